#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calculate_command.h"
#include "calculation.h"
#include "string_table.h"
#include "unit_factor.h"

namespace tly {
namespace {

std::u16string U(std::string_view utf8_ascii) { return {utf8_ascii.begin(), utf8_ascii.end()}; }

// The main window's controls as plain values.
struct FakeControls : CalculateControls {
  std::u16string formula;
  std::vector<std::u16string> history;
  std::optional<Conversion> conversion;
  std::u16string result;
  bool focused = false, copy_result_enabled = false;
  int refreshes = 0, set_text_calls = 0;
  std::vector<unsigned> beeps;

  std::u16string FormulaText() override { return formula; }
  void SetFormulaText(std::u16string_view t) override {
    formula = t;
    ++set_text_calls;
  }
  int HistoryCount() override { return static_cast<int>(history.size()); }
  std::u16string HistoryItem(int i) override { return history.at(static_cast<std::size_t>(i)); }
  void InsertHistoryItem(int i, std::u16string_view t) override {
    history.insert(history.begin() + i, std::u16string(t));
  }
  void RemoveHistoryItem(int i) override { history.erase(history.begin() + i); }
  std::optional<Conversion> ActiveConversion() override { return conversion; }
  void SetResultText(std::u16string_view t) override { result = t; }
  void FocusFormula() override { focused = true; }
  void SetCopyResultEnabled(bool e) override { copy_result_enabled = e; }
  void RefreshVariables() override { ++refreshes; }
  void Beep(unsigned type) override { beeps.push_back(type); }
  std::u16string ErrorText(int n) override {
    std::string_view text = ErrorMessage(n);
    return U("message ") + U(std::to_string(n)) + (text.empty() ? U("?") : U(""));
  }
  char DecimalSeparator() override { return '.'; }
};

struct Calc {
  Tly engine;
  FakeControls ui;
  void Run(std::string_view formula) {
    ui.formula = U(formula);
    RunCalculateCommand(engine, ui);
  }
};

TEST(CalculateCommand, ShowsTheResultAndKeepsItInAns) {
  Calc c;
  c.Run("1+2");
  EXPECT_EQ(c.ui.result, u"3");
  EXPECT_EQ(c.engine.Register(0), 3);
  EXPECT_TRUE(c.ui.copy_result_enabled);
  EXPECT_TRUE(c.ui.focused);
  EXPECT_EQ(c.ui.refreshes, 1);
  EXPECT_TRUE(c.ui.beeps.empty());
  c.Run("&ans*2");
  EXPECT_EQ(c.ui.result, u"6");
  EXPECT_EQ(c.ui.history, (std::vector<std::u16string>{u"&ans*2", u"1+2"}));
}

TEST(CalculateCommand, HistoryListsEachFormulaOnceNewestFirst) {
  Calc c;
  for (const char* f : {"1+2", "3", "X+1", "x+1", "1+2"}) c.Run(f);
  // The comparison is exact: X+1 and x+1 are two entries.
  EXPECT_EQ(c.ui.history, (std::vector<std::u16string>{u"1+2", u"x+1", u"X+1", u"3"}));
  EXPECT_EQ(c.ui.set_text_calls, 1);  // the text is set again only when a copy was removed
  EXPECT_EQ(c.ui.formula, u"1+2");
}

TEST(CalculateCommand, ErrorPathBeepsShowsTheMessageAndKeepsAns) {
  Calc c;
  c.Run("5");
  for (auto [formula, number] : {std::pair{"1+", 2}, std::pair{"(1", 29}, std::pair{"&sum", 30},
                                 std::pair{"1/0", 11}, std::pair{"sqr(-1)", 5}}) {
    c.Run(formula);
    EXPECT_EQ(c.ui.result, U("message ") + U(std::to_string(number))) << formula;
    EXPECT_FALSE(c.ui.copy_result_enabled);
    EXPECT_EQ(c.engine.Register(0), 5);
  }
  EXPECT_EQ(c.ui.beeps, std::vector<unsigned>(5, kExclamationBeep));
  EXPECT_EQ(c.ui.refreshes, 1);        // only the success refreshed the variables panel
  EXPECT_EQ(c.ui.history.size(), 6u);  // failing formulas are kept too
}

TEST(CalculateCommand, RegisterWritesBeforeAnErrorStay) {
  Calc c;
  c.Run("mem(0, 5) + 1/0");
  EXPECT_EQ(c.engine.Register(1), 5);
  EXPECT_EQ(c.ui.refreshes, 0);
}

TEST(CalculateCommand, ConvertsWhenThePanelIsOn) {
  Calc c;
  c.ui.conversion = Conversion{1, 0, 1};  // km to m
  c.Run("2");
  EXPECT_EQ(c.ui.result, u"2000");
  EXPECT_EQ(c.engine.Register(0), 2000);
  c.ui.conversion = Conversion{1, 8, 1};  // mile to m
  c.Run("1");
  EXPECT_EQ(c.engine.Register(0), 1609.3439999999998);
  EXPECT_EQ(c.ui.result, u"1609.344");
  c.ui.conversion = Conversion{0, 0, 20};
  c.Run("1e300");
  EXPECT_EQ(c.ui.result, u"message 6");
}

TEST(CalculateCommand, ResultTextUsesTheLocaleSeparator) {
  struct CommaControls : FakeControls {
    char DecimalSeparator() override { return ','; }
  } ui;
  Tly engine;
  ui.formula = u"1/4";
  RunCalculateCommand(engine, ui);
  EXPECT_EQ(ui.result, u"0,25");
}

TEST(KeyFilters, FormulaBox) {
  for (char16_t c : {u'\x03', u'\b', u'\x16', u'\x18', u'\x1A', u' ', u'a', u'~', u'('})
    EXPECT_TRUE(FormulaKeyAllowed(c)) << static_cast<int>(c);
  for (char16_t c : {u'\x01', u'\t', u'\r', u'\x7F', u'\u3042', u'\uFF11', u'\u00E9'})
    EXPECT_FALSE(FormulaKeyAllowed(c)) << static_cast<int>(c);
}

TEST(KeyFilters, VariableBox) {
  for (char16_t c : std::u16string(u"0123456789+-.Ee\b\x03\x16\x18\x1A"))
    EXPECT_TRUE(VariableKeyAllowed(c)) << static_cast<int>(c);
  for (char16_t c : std::u16string(u"aDd, */\x01\u3042"))
    EXPECT_FALSE(VariableKeyAllowed(c)) << static_cast<int>(c);
}

TEST(VariablesPanel, RowLetters) {
  EXPECT_EQ(RegisterLetter(257), u'A');
  EXPECT_EQ(RegisterLetter(278), u'V');
  EXPECT_EQ(RegisterLetter(282), u'Z');
}

TEST(StringLists, StopAtTheFirstStar) {
  auto load = [](int id) {
    std::string_view t = LoadString(id);
    return std::u16string(t.begin(), t.end());  // ASCII names suffice here
  };
  EXPECT_EQ(ReadStringList(FirstUnitString(13), load).size(), 11u);
  EXPECT_EQ(ReadStringList(FirstUnitString(13), load).back(), u"nibble");
  EXPECT_EQ(ReadStringList(FirstUnitString(1), load).size(), 35u);
  EXPECT_TRUE(ReadStringList(999, load).empty());
}

}  // namespace
}  // namespace tly
