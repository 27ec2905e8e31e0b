#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "calculate_command.h"

namespace tly {
namespace {

using History = std::vector<std::u16string>;

std::u16string U(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

// The main window as what it was last told.
struct FakeDisplay : CalculatorDisplay {
  History history;
  std::vector<std::u16string> formulas_set;
  std::u16string result, error;
  int errors = 0;
  std::optional<SourceSpan> selected;

  void SetHistory(const History& entries) override { history = entries; }
  void SetFormula(std::u16string_view f) override { formulas_set.emplace_back(f); }
  void ShowResult(std::u16string_view t) override { result = t; }
  void ShowError(std::u16string_view m) override {
    error = m;
    ++errors;
  }
  void SelectInFormula(int begin, int end) override { selected = SourceSpan{begin, end}; }
};

struct Calc {
  Tly engine;
  FakeDisplay display;
  CalculatorCore core{engine, display};
  bool Run(std::string_view formula, std::optional<Conversion> conversion = {}, char sep = '.') {
    display.selected.reset();
    return core.Calculate(U(formula), conversion, sep);
  }
};

TEST(CalculateCommand, ShowsTheConvertedResultAndKeepsItInAns) {
  Calc c;
  EXPECT_TRUE(c.Run("1+2"));
  EXPECT_EQ(c.display.result, u"3");
  EXPECT_EQ(c.engine.Register(0), 3);
  EXPECT_TRUE(c.Run("&ans*2"));
  EXPECT_EQ(c.display.result, u"6");
  EXPECT_EQ(c.display.history, (History{u"&ans*2", u"1+2"}));
  EXPECT_EQ(c.display.errors, 0);
  EXPECT_TRUE(c.Run("1/4", std::nullopt, ','));
  EXPECT_EQ(c.display.result, u"0,25");
  c.Run("1", Conversion{1, 8, 1});  // mile to m, when the panel is on
  EXPECT_EQ(c.engine.Register(0), 1609.3439999999998);
  EXPECT_EQ(c.display.result, u"1609.344");
}

// The result box and the live result follow the number format; a new one shows the last result
// again, and after a failure there is none to show.
TEST(CalculateCommand, ShowsResultsInTheNumberFormat) {
  Calc c;
  c.core.SetNumberFormat({.grouping = Grouping::kThousands});
  c.Run("1234567");
  EXPECT_EQ(c.display.result, u"1,234,567");
  EXPECT_EQ(c.core.PreviewText(u"&ans*2", std::nullopt, '.'), u"2,469,134");
  c.core.SetNumberFormat({.grouping = Grouping::kJapanese});
  c.core.ShowResultAgain('.');
  EXPECT_EQ(c.display.result, u"123万4567");
  c.Run("1/0");
  c.display.result.clear();
  c.core.ShowResultAgain('.');
  EXPECT_EQ(c.display.result, u"");
  EXPECT_FALSE(c.core.result());
}

TEST(CalculateCommand, HistoryListsEachFormulaOnceNewestFirst) {
  Calc c;
  c.core.RestoreHistory({u"old", u"1+2"});
  for (const char* f : {"1+2", "3", "X+1", "x+1", "1+2"}) c.Run(f);
  // The comparison is exact: X+1 and x+1 are two entries.
  EXPECT_EQ(c.core.history(), (History{u"1+2", u"x+1", u"X+1", u"3", u"old"}));
  EXPECT_EQ(c.display.history, c.core.history());
  // The box's text is written again (caret at its end) only when an older copy went.
  EXPECT_EQ(c.display.formulas_set, (std::vector<std::u16string>{u"1+2", u"1+2"}));
}

TEST(CalculateCommand, PreviewShowsWhatCalculateThenShowsAndChangesNothing) {
  Calc c;
  const Conversion mile_to_m{1, 8, 1}, overflowing{0, 0, 20};
  auto check = [&c](const char* formula, std::optional<Conversion> conversion, bool blank) {
    const State before = c.engine.state();
    const std::u16string preview = c.core.PreviewText(U(formula), conversion, ',');
    EXPECT_TRUE(c.engine.state() == before) << formula;
    const bool ok = c.Run(formula, conversion, ',');
    EXPECT_EQ(preview, blank ? u"" : ok ? c.display.result : c.display.error) << formula;
  };
  const std::pair<const char*, std::optional<Conversion>> cases[] = {
      {"a=a+1", {}}, {"a*10", {}},   {"1", mile_to_m}, {"1e300", overflowing}, {"1+*2", {}},
      {"1/0", {}},   {"&ans+1", {}}, {"xyz+1", {}},    {"sin(1,", {}},         {"1 2 ", {}}};
  for (const auto& [formula, conversion] : cases) check(formula, conversion, false);
  // Nothing for values that would change, nor for unfinished formulas (syntax errors at the end).
  for (const char* formula : {"rnd(0, 1)", "now(0)", "1+", "sqr(", "max(1, ", "a=", "sq", "1 + "})
    check(formula, {}, true);
  EXPECT_EQ(c.engine.Register(1), 1);
  EXPECT_EQ(c.core.PreviewText(u"", {}, '.'), u"");
}

// A value too wide for the live result loses digits, never its exponent's; a message is cut
// and ends in "…". Measured here one unit a character.
TEST(CalculateCommand, PreviewFitsItsLine) {
  const TextWidth chars = [](std::u16string_view text) { return static_cast<int>(text.size()); };
  const double x = -1.0 / 3 * 1e-100, y = 123456789012.345;
  const std::tuple<double, int, const char16_t*> numbers[] = {
      {x, 22, u"-3.33333333333333E-101"},
      {x, 12, u"-3.3333E-101"},
      {x, 7, u"-3E-101"},
      {x, 6, u"…"},
      {y, 12, u"123456789012"},
      {y, 11, u"1.23457E+11"},
      {0.000123456789012345, 8, u"0.000123"},
      {9.99999999999999e20, 8, u"1E+21"}};
  for (const auto& [value, width, shown] : numbers)
    EXPECT_EQ(FitNumber(value, {}, '.', width, chars), shown) << value << " in " << width;
  EXPECT_EQ(FitMessage(u"文法が違います。", 8, chars), u"文法が違います。");
  EXPECT_EQ(FitMessage(u"文法が違います。", 5, chars), u"文法が違…");
  EXPECT_EQ(FitMessage(u"文法が違います。", 0, chars), u"…");
}

TEST(CalculateCommand, AFailureShowsItsMessageSelectsItsPlaceAndKeepsAns) {
  Calc c;
  c.Run("5");
  const struct {
    const char* formula;
    std::optional<Conversion> conversion;
    int number;
    std::optional<SourceSpan> span;
  } cases[] = {
      {"1+*2", {}, 2, SourceSpan{2, 3}},       // the token
      {"(1+2", {}, 29, SourceSpan{0, 1}},      // the open parenthesis
      {"1+&sum", {}, 30, SourceSpan{2, 6}},    // the unknown name
      {"1+1/0", {}, 11, SourceSpan{3, 4}},     // the operator
      {"sqr(-1)+1", {}, 5, SourceSpan{0, 3}},  // the function call
      {"10^400", {}, 6, SourceSpan{2, 3}},
      {"1e300", Conversion{0, 0, 20}, 6, std::nullopt},  // the conversion has no place
  };
  for (const auto& e : cases) {
    EXPECT_FALSE(c.Run(e.formula, e.conversion));
    EXPECT_EQ(c.display.error, ErrorMessageText(e.number)) << e.formula;
    EXPECT_EQ(c.display.selected, e.span) << e.formula;
    EXPECT_EQ(c.engine.Register(0), 5);
  }
  EXPECT_EQ(c.display.errors, 7);
  EXPECT_EQ(c.display.result, u"5");
  EXPECT_EQ(c.core.history().size(), 8u);  // failing formulas are kept too
  EXPECT_TRUE(c.Run("1+2"));
  EXPECT_EQ(c.display.selected, std::nullopt);
  // An assignment carried out before the failing step keeps its effect.
  c.Run("mem(0, 5) + 1/0");
  EXPECT_EQ(c.engine.Register(1), 5);
}

TEST(KeyFilters, FormulaBox) {
  // Enter and Esc close the drop-down list; a one-line box inserts neither.
  for (char16_t c : {u'\x03', u'\b', u'\r', u'\x16', u'\x18', u'\x1A', u'\x1B', u' ', u'~'})
    EXPECT_TRUE(FormulaKeyAllowed(c)) << static_cast<int>(c);
  for (char16_t c : {u'\x01', u'\t', u'\n', u'\x7F', u'\u3042', u'\uFF11', u'\u00E9'})
    EXPECT_FALSE(FormulaKeyAllowed(c)) << static_cast<int>(c);
}

TEST(KeyFilters, VariableBoxTakesTheLocaleSeparator) {
  for (char16_t c : std::u16string(u"0123456789+-.Ee\b\x03\x16\x18\x1A"))
    EXPECT_TRUE(VariableKeyAllowed(c, '.') && VariableKeyAllowed(c, ',')) << static_cast<int>(c);
  EXPECT_TRUE(VariableKeyAllowed(u',', ','));
  for (char16_t c : std::u16string(u"aDd, */\x01\u3042"))
    EXPECT_FALSE(VariableKeyAllowed(c, '.')) << static_cast<int>(c);
}

}  // namespace
}  // namespace tly
