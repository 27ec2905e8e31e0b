#include <gtest/gtest.h>

#include <cmath>

#include "engine_helpers.h"

namespace tly {
namespace {

using testing::Bits;
using testing::ErrorCase;
using testing::ErrorOf;
using testing::Evaluate;
using testing::EvaluationError;
using testing::FormulaValue;
using testing::ValueCase;

TEST_P(FormulaValue, IsAsDefined) {
  const ValueCase& c = GetParam();
  Tly t;
  const double got = Evaluate(t, c.formula);
  if (c.tolerance == 0) {
    EXPECT_EQ(Bits(got), Bits(c.value)) << c.formula << " = " << FormatPrecise(got);
  } else {
    EXPECT_NEAR(got, c.value, std::fabs(c.value) * c.tolerance) << c.formula;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Operators, FormulaValue,
    ::testing::Values(ValueCase{"10 - 4", 6}, ValueCase{"2^-1", 0.5}, ValueCase{"2^3^2", 64},
                      ValueCase{"8/4/2", 1}, ValueCase{"7.5 \\ 2", 4}, ValueCase{"6.5 \\ 2", 3},
                      ValueCase{"-7 \\ 2", -3}, ValueCase{"-7 % 2", -1}, ValueCase{"7 % -2", 1},
                      ValueCase{"-2.5 \\ 1", -2}, ValueCase{"3.5 % 10", 4},
                      ValueCase{"-2147483648 % -1", 0}, ValueCase{"2147483647 \\ -1", -2147483647},
                      ValueCase{"(-8)^3", -512}, ValueCase{"0^0", 1}, ValueCase{"(-2)^-2", 0.25},
                      ValueCase{"-0", -0.0}, ValueCase{"1e-300 * 1e-300", 0},
                      ValueCase{"1e-308 / 1e10", 1e-308 / 1e10}));  // underflow is no error

INSTANTIATE_TEST_SUITE_P(
    ComparisonsAndLogic, FormulaValue,
    ::testing::Values(ValueCase{"3 > 2", -1}, ValueCase{"2 = 2.0000001", 0}, ValueCase{"2 = 2", -1},
                      ValueCase{"1 < 2 < 3", 0},  // 1 < (2 < 3) = 1 < -1
                      ValueCase{"1 + 2 = 3", -1}, ValueCase{"eq(1, 1)", -1},
                      ValueCase{"ne(1, 1)", 0}, ValueCase{"ge(1, 2)", 0}, ValueCase{"gt(2, 1)", -1},
                      ValueCase{"le(1, 2)", -1}, ValueCase{"lt(2, 1)", 0}, ValueCase{"not(0)", -1},
                      ValueCase{"not(5)", -6}, ValueCase{"and(6, 3)", 2}, ValueCase{"or(6, 3)", 7},
                      ValueCase{"xor(6, 3)", 5}, ValueCase{"not(2147483647)", -2147483648.0},
                      // Operands round to integers half to even.
                      ValueCase{"and(2.5, -1)", 2}, ValueCase{"and(-2.5, -1)", -2},
                      ValueCase{"and(-2147483648.5, -1)", -2147483648.0}));

INSTANTIATE_TEST_SUITE_P(
    ConditionalsAndLoops, FormulaValue,
    ::testing::Values(ValueCase{"if(2, 7, 8)", 7}, ValueCase{"if(0, 7)", 0},
                      ValueCase{"if(-0.5, 7, 8)", 7}, ValueCase{"if(0, 1/0, 5)", 5},
                      ValueCase{"if(1, 5, 1/0)", 5}, ValueCase{"1 + if(1, 2, 3) * 10", 21},
                      ValueCase{"if(0, 1, if(0, 2))", 0}, ValueCase{"loop(1, 10, 1, z)", 10},
                      ValueCase{"loop(10, 1, -3, z)", 1}, ValueCase{"loop(5, 1, 1, z)", 0},
                      ValueCase{"2 * loop(1, 3, 1, z * z)", 18},
                      ValueCase{"loop(1, 3, 1, loop(1, z, 1, z))", 3},
                      ValueCase{"loop(0, 1, 0.25, z)", 1},
                      // Afterwards z holds the first value past the end.
                      ValueCase{"loop(1, 10, 1, 0) + z", 11}, ValueCase{"loop(1, 1, 1, 0) + z", 2},
                      ValueCase{"loop(10, 1, -3, 0) + z", -2},
                      // The slot just above the step held 5 earlier in the same evaluation,
                      // pushed by a pair that the translation fuses.
                      ValueCase{"(1+(2+(3+(4+5))))*0 + loop(5, 1, 1, z)", 5}));

TEST(Evaluate, RegistersLoopsAndAssignments) {
  Tly t;
  EXPECT_EQ(Evaluate(t, "c = 4"), 4);
  EXPECT_EQ(Evaluate(t, "rm(2)"), 4);  // c
  EXPECT_EQ(Evaluate(t, "b = a = 1"), 1);
  EXPECT_EQ(t.Register(2), 1);  // b
  EXPECT_EQ(Evaluate(t, "loop(1, 10, 1, mem(0, a + z))"), 56);
  EXPECT_EQ(t.Register(1), 56);
  // Not assignments: these compare.
  EXPECT_EQ(Evaluate(t, "2*a = 112"), -1);
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

TEST_P(EvaluationError, RaisesItsNumber) {
  Tly t;
  EXPECT_EQ(ErrorOf([&] { Evaluate(t, GetParam().formula); }), GetParam().error)
      << GetParam().formula;
}

// Errors of the operators and registers; error_place_test.cpp has more, with their places.
INSTANTIATE_TEST_SUITE_P(
    Machine, EvaluationError,
    ::testing::Values(ErrorCase{"/5", 2}, ErrorCase{"=5", 2}, ErrorCase{"mem(-1, 1)", 9},
                      ErrorCase{"rm(2.5)", 9}, ErrorCase{"mem(1e10, 1)", 9}, ErrorCase{"0 / 0", 6},
                      ErrorCase{"-1e308 - 1e308", 6}, ErrorCase{"1e308 + 1e308", 6},
                      ErrorCase{"1e300 / 1e-300", 6}, ErrorCase{"10 ^ 400", 6},
                      ErrorCase{"0 ^ -1", 11}, ErrorCase{"1 / 0 * 0", 11},
                      ErrorCase{"3000000000 \\ 1", 6}, ErrorCase{"1 \\ 3000000000", 6},
                      ErrorCase{"5 % 0.4", 11}, ErrorCase{"5 \\ 0.5", 11},
                      ErrorCase{"-2147483648 \\ -1", 6}, ErrorCase{"2147483647.5 % 2", 6},
                      ErrorCase{"not(2147483648)", 6}, ErrorCase{"and(1, -2147483649)", 6}));

}  // namespace
}  // namespace tly
