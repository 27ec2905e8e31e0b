#include <gtest/gtest.h>

#include "calculation.h"
#include "memory_settings.h"
#include "result_list.h"
#include "settings.h"
#include "utf8.h"

namespace tly {
namespace {

using testing::MemorySettings;
using V = SettingValue;

std::vector<ResultLine> Numbered(int from, int to) {
  std::vector<ResultLine> lines;
  for (int i = from; i < to; ++i) lines.push_back({ResultKey(i), u"1", u"1"});
  return lines;
}

// Adding keeps the newest 500; removing takes only the line named.
TEST(ResultList, KeepsTheNewestLinesAndRemovesWhatItIsTold) {
  ResultList list;
  for (const ResultLine& line : Numbered(0, 500)) EXPECT_FALSE(list.Add(line));
  EXPECT_TRUE(list.Add(Numbered(500, 501)[0]));
  for (int index : {0, -1, 499, 498}) list.Remove(index);
  EXPECT_EQ(list.lines(), Numbered(2, 500));
  list.Assign(Numbered(0, 650));
  EXPECT_EQ(list.lines(), Numbered(150, 650));
}

// The line shows the result as the result box does; its insert text is the copy text of the
// value the formula gave, converted or not: a point, no group marks, decimal digits. A failed
// calculation inserts nothing.
TEST(ResultList, TheInsertTextReadsAsTheValueInAFormula) {
  using N = NumberFormat;
  const struct {
    const char16_t* formula;
    std::optional<Conversion> conversion;
    N format;
    char separator;
    const char16_t *text, *insert;
  } cases[] = {
      {u"6*7", {}, {}, '.', u"6*7 = 42", u"42"},
      {u"-1/3", {}, {}, ',', u"-1/3 = -0,333333333333333", u"-0.333333333333333"},
      {u"2^60", {}, {}, '.', u"2^60 = 1.15292150460685E+18", u"1.15292150460685E+18"},
      {u"1234567.891",
       {},
       {Notation::kFixed, 2, Grouping::kThousands},
       '.',
       u"1234567.891 = 1,234,567.89",
       u"1234567.89"},
      {u"255", {}, {.base = NumberBase::kHex}, '.', u"255 = 0xFF", u"255"},
      {u"1", Conversion{1, 8, 1}, {}, '.', u"1 = 1609.344", u"1609.344"},  // mile to m
      {u"1/0", {}, {}, '.', u"1/0 = 0 で除算しました。", u""},
  };
  for (const auto& c : cases) {
    Tly engine;
    ResultLine line;
    try {
      const double value = Calculate(engine, c.formula, c.conversion);
      line = ValueLine(c.formula, ShownNumber(value, c.format, c.separator), value, c.format);
    } catch (const NumberedError& e) {
      line = ErrorLine(c.formula, Utf8ToUtf16(ErrorMessage(e.number())));
    }
    EXPECT_EQ(line.Text(), c.text);
    EXPECT_EQ(line.insert, c.insert);
  }
}

TEST(ResultList, AStoredLineReadsBackWholeOrNotAtAll) {
  const ResultLine lines[] = {{u"a\tb = 1", u"3", u"3"}, {u"sqr(-1)", u"無効な値です。", u""}};
  for (const ResultLine& line : lines) EXPECT_EQ(DecodeResultLine(EncodeResultLine(line)), line);
  for (const char16_t* damaged : {u"", u"1+1", u"1+1\t2", u"\t2\t2", u"1+1\t\t"})
    EXPECT_EQ(DecodeResultLine(damaged), std::nullopt);
}

// Saved with the history, as it is: a count and one value a line; a count that is damaged or
// names lines that are missing keeps every line that reads.
TEST(ResultList, SavedLinesComeBackAndADamagedCountKeepsWhatReads) {
  const std::vector<ResultLine> lines = {
      {u"円(3)", u"文法が違います。", u""}, {u"1+1", u"2", u"2"}, {u"x", u"0", u"0"}};
  MemorySettings store;
  WriteSettings(store, {.results = lines}, kHistoryPart);
  EXPECT_FALSE(store.HasApp(u"Results", u"Count"));  // only while SaveFormation is on
  store.App(u"", u"SaveFormation") = V::Boolean(true);
  WriteSettings(store, {.results = lines}, kHistoryPart);
  EXPECT_EQ(store.App(u"Results", u"0001"), V::String(u"1+1\t2\t2"));
  EXPECT_EQ(store.written.back(), u"Results/Count");
  EXPECT_EQ(LoadSettings(store).results, lines);
  store.App(u"Results", u"0001") = V::Long(2);  // not a line
  store.App(u"Results", u"0499") = V::String(u"f\t1\t1");
  const std::vector<ResultLine> readable = {lines[0], lines[2], {u"f", u"1", u"1"}};
  const struct {
    V count;
    std::vector<ResultLine> read;
  } cases[] = {{V::Long(1), {lines[0]}},
               {V::Long(3), readable},
               {V::String(u"x"), readable},
               {V::Long(-1), readable},
               {V::Long(900), readable}};
  for (const auto& c : cases) {
    store.App(u"Results", u"Count") = c.count;
    EXPECT_EQ(LoadSettings(store).results, c.read) << c.count.number;
  }
  // A shorter list leaves no line behind, whatever the count said.
  WriteSettings(store, {.results = {lines[1]}}, kHistoryPart);
  EXPECT_FALSE(store.HasApp(u"Results", u"0001") || store.HasApp(u"Results", u"0499"));
  store.App(u"Results", u"Count") = V::String(u"x");
  EXPECT_EQ(LoadSettings(store).results, std::vector<ResultLine>{lines[1]});
}

}  // namespace
}  // namespace tly
