#include <gtest/gtest.h>

#include <charconv>
#include <cmath>

#include "engine_helpers.h"

namespace tly {
namespace {

using testing::Bits;
using testing::ErrorOf;
using testing::Evaluate;

// The formulas of formula_cases.txt, each with the value (to the bit or within a relative
// tolerance) or the error it must give.
TEST(FormulaCases, GiveTheirValueOrError) {
  const auto rows = testing::ReadRows(TALLYRA_FORMULA_CASES, " | ");
  ASSERT_GE(rows.size(), 240u) << TALLYRA_FORMULA_CASES;
  for (const auto& [formula, expected] : rows) {
    Tly t;
    double got = 0;
    const std::optional<int> error = ErrorOf([&] { got = Evaluate(t, formula); });
    if (expected.starts_with("error ")) {
      EXPECT_EQ(error, std::stoi(expected.substr(6))) << formula;
      continue;
    }
    double value = 0, tolerance = 0;
    const char* const end = expected.data() + expected.size();
    const char* rest = std::from_chars(expected.data(), end, value).ptr;
    if (std::string_view(rest, end).starts_with(" ~"))
      rest = std::from_chars(rest + 2, end, tolerance).ptr;
    ASSERT_EQ(rest, end) << formula;
    EXPECT_EQ(error, std::nullopt) << formula;
    if (tolerance == 0) {
      EXPECT_EQ(Bits(got), Bits(value)) << formula << " = " << FormatPrecise(got);
    } else {
      EXPECT_NEAR(got, value, std::fabs(value) * tolerance) << formula;
    }
  }
}

TEST(Evaluate, RegistersLoopsAndAssignments) {
  Tly t;
  EXPECT_EQ(Evaluate(t, "c = 4"), 4);
  EXPECT_EQ(Evaluate(t, "rm(2)"), 4);  // c
  EXPECT_EQ(Evaluate(t, "loop(1, 10, 1, mem(0, a + z))"), 55);
  EXPECT_EQ(t.Register(1), 55);
  // Not assignments: these compare.
  EXPECT_EQ(Evaluate(t, "2*a = 110"), -1);
  EXPECT_EQ(Evaluate(t, "-a = 5"), 0);
  EXPECT_EQ(Evaluate(t, "&ans = 0"), -1);
  EXPECT_EQ(t.Register(kAnsIndex), 0);  // the engine never writes &ans
  t.SetRegister(kAnsIndex, 3);
  t.SetRegister(24, 7);
  EXPECT_EQ(Evaluate(t, "&ans*2 + x"), 13);
  EXPECT_EQ(Evaluate(t, "(1+(2+(3+(4+x))))*0 + loop(5, 1, 1, z)"), 7);
  EXPECT_EQ(ErrorOf([&] { Evaluate(t, "mem(0, 5) + 1/0"); }), 11);
  EXPECT_EQ(t.Register(1), 5);  // a failed evaluation keeps its register writes
}

TEST(Evaluate, StackAndLoopsAreBounded) {
  // A long right-grouping chain stays within (L div 2) + 1 slots: 1 = (1 = (... = 1)).
  std::string f;
  for (int i = 0; i < 400; ++i) f += "1=";
  Tly t;
  EXPECT_EQ(Evaluate(t, f + "1"), 0);
  // A step that cannot move the loop variable would run for ages.
  EXPECT_EQ(ErrorOf([&] { Evaluate(t, "loop(1, 2, 1e-20, 0)"); }), 5);
  EXPECT_EQ(ErrorOf([&] { Evaluate(t, "loop(1e300, 2e300, 1, 0)"); }), 5);
  EXPECT_EQ(ErrorOf([&] { Evaluate(t, "loop(1, 1e6, 1, loop(1, 1e6, 1, 0))"); }), 16);
  t.SetLoopPassLimit(1000);
  EXPECT_EQ(Evaluate(t, "loop(1, 1000, 1, z)"), 1000);
  EXPECT_EQ(ErrorOf([&] { Evaluate(t, "loop(1, 1001, 1, z)"); }), 16);
}

// A program without registers, jumps or state has one value, kept from its first run; a new
// compile forgets it, a failing program fails every time, and one with state runs anew.
TEST(Machine, KeepsTheValueOfAProgramWithoutState) {
  Tly t;
  t.CompileFormula(u"1/0");
  for (int pass = 0; pass < 2; ++pass) EXPECT_EQ(ErrorOf([&] { t.EvaluateFormula(); }), 11);
  t.CompileFormula(u"2*3");
  for (int pass = 0; pass < 2; ++pass) EXPECT_EQ(t.EvaluateFormula(), 6);
  t.CompileFormula(u"a = a + 1");
  EXPECT_EQ(t.EvaluateFormula(), 1);
  EXPECT_EQ(t.EvaluateFormula(), 2);
}

}  // namespace
}  // namespace tly
