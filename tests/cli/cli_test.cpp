#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli.h"
#include "error_place.h"
#include "tly.h"
#include "utf8.h"

namespace tly {
namespace {

struct CliRun {
  int status;
  std::string out, err;
};

CliRun RunWith(std::vector<std::string> args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = RunCli(args, {in, out, err, false});
  return {status, out.str(), err.str()};
}

// Errors show as the result box shows them, and keep &ans.
TEST(Cli, RunsEachArgumentAsAFormula) {
  CliRun r = RunWith({"1+2", "&ans*2", "1/3", "-4", "1.5e20", "7", "1+", "1/0", "&ans"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "3\n6\n0.333333333333333\n-4\n1.5E+20\n7\n文法が違います。\n0 で除算しました。\n7\n");
  EXPECT_EQ(r.err, "");
  // After "--" even an option's name is a formula.
  EXPECT_EQ(RunWith({"--", "--precise"}).out, "文法が違います。\n");
}

// Powers of ten come from a table of the nearest doubles, not from the C runtime's power
// function, so every build reads a literal to the same bits. 10^23 lies halfway between two
// doubles; a negative exponent divides by the power.
TEST(Cli, NumberLiteralsHaveTheSameBitsOnEveryBuild) {
  CliRun r = RunWith(
      {"--precise", "4e126+0", "1e23", "1e210", "1.5e300", "3e-300", "0.00000000000000000000001"});
  EXPECT_EQ(r.out,
            "4e+126\n1e+23\n1e+210\n1.5e+300\n2.9999999999999996e-300\n1.0000000000000001e-23\n");
}

TEST(Cli, ReadsLinesWhenNoFormulaIsGiven) {
  // The line terminator is not part of the formula; an empty line is an empty formula.
  CliRun r = RunWith({}, "a = 5\r\na * 2\n\nx\t1\n&ans + a");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "5\n10\n文法が違います。\n文法が違います。\n15\n");
}

TEST(Cli, ConvertsLikeTheConversionPanel) {
  // Every result is converted, also one that reads &ans.
  EXPECT_EQ(RunWith({"--convert", "1,0,1", "2", "&ans"}).out, "2000\n2000000\n");
  EXPECT_EQ(RunWith({"--precise", "--convert", "1,8,1", "1"}).out, "1609.3439999999998\n");
  // A conversion that overflows fails like the Calculate command.
  CliRun r = RunWith({"--convert", "0,0,20", "1e300", "&ans"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "オーバーフローしました。\n0\n");
}

// The display options shape the result text as in the result box; --precise ignores them.
TEST(Cli, ShowsResultsInTheChosenFormat) {
  EXPECT_EQ(RunWith({"--grouping", "japanese", "1234567890.5", "100000005"}).out,
            "12億3456万7890.5\n1億5\n");
  EXPECT_EQ(RunWith({"--notation", "eng", "--digits", "3", "--base", "16", "-1", "0.5"}).out,
            "0xFFFFFFFF\n500E-03\n");
  EXPECT_EQ(RunWith({"--notation", "sci", "--precise", "0.5"}).out, "0.5\n");
}

TEST(Cli, ListsTheWholeCatalogue) {
  CliRun r = RunWith({"--units"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 246);
  EXPECT_TRUE(r.out.starts_with("0,0\t接頭語\tヨタ Y\t1e+24\n"));
  const std::string last = "13,10\t情報量\tnibble\t0.5\n";
  EXPECT_EQ(r.out.substr(r.out.size() - last.size()), last);
}

TEST(Cli, UsageErrors) {
  using Args = std::vector<std::string>;
  const Args cases[] = {{"--seed"},
                        {"--seed", "x"},
                        {"--convert", "14,0,0"},
                        {"--convert", "1,0"},
                        {"--convert", "1,0,1,2"},
                        {"--units", "--precise"},
                        {"--notation", "sci1"},
                        {"--digits", "16"},
                        {"--grouping"},
                        {"--base", "3"}};
  const std::string usage = RunWith({"--help"}).out;
  ASSERT_TRUE(usage.starts_with("usage: tallyra-eval")) << usage;
  for (const Args& args : cases) {
    CliRun r = RunWith(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.out, "");
    // The problem on one line, then the usage.
    EXPECT_EQ(r.err.find('\n') + 1, r.err.size() - usage.size()) << r.err;
    EXPECT_TRUE(r.err.starts_with("tallyra-eval: ") && r.err.ends_with(usage)) << r.err;
  }
}

TEST(Utf8, RoundTripsAndReplacesMalformedBytes) {
  EXPECT_EQ(Utf8ToUtf16("a\xE6\x96\x87"), u"a\u6587");
  EXPECT_EQ(Utf16ToUtf8(u"a\u6587\U0001F600"), "a\xE6\x96\x87\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf8ToUtf16("1\xFF"), u"1\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(Utf8ToUtf16("\xE6\x96"), u"\uFFFD\uFFFD");  // cut short
}

TEST(ErrorPlace, ColumnsOfTheSpan) {
  struct Case {
    std::u16string_view formula;
    SourceSpan place;
    const char* columns;
  };
  for (Case c :
       {Case{u"1+*2", {2, 3}, "3-3"}, Case{u"sqr(-1)+1", {0, 3}, "1-3"}, Case{u"1+", {2, 2}, "3-3"},
        Case{u"\U0001F600+*", {3, 4}, "3-3"}, Case{u"1+", {2, 5}, "3-3"}})
    EXPECT_EQ(ColumnRange(c.formula, c.place), c.columns) << c.columns;
}

}  // namespace
}  // namespace tly
