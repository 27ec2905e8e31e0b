#include <gtest/gtest.h>

#include <cmath>

#include "engine_helpers.h"

namespace tly {
namespace {

using testing::ErrorCase;
using testing::Evaluate;
using testing::EvaluationError;
using testing::FormulaValue;
using testing::ValueCase;

constexpr double kPi = 3.14159265358979;
constexpr double kHalfPi = 1.570796326794895;

INSTANTIATE_TEST_SUITE_P(
    Elementary, FormulaValue,
    ::testing::Values(
        ValueCase{"asin(1)", kHalfPi}, ValueCase{"acos(-1)", kPi},
        // half pi - asin(x), with the stored half pi
        ValueCase{"acos(0.5)", 1.0471975511965961, 2e-16},
        ValueCase{"atan(1)", 0.7853981633974483, 2e-16},
        ValueCase{"sin(0.5)", 0.479425538604203, 2e-16},
        ValueCase{"cos(1)", 0.5403023058681398, 2e-16},
        ValueCase{"tan(1)", 1.5574077246549023, 2e-16}, ValueCase{"sinc(0)", 1},
        // sin(3.14159265358979) / 3.14159265358979: the stored pi is not pi.
        ValueCase{"sinc(1)", 1.0284876192249555e-15, 1e-10}, ValueCase{"rad(180)", kPi},
        ValueCase{"deg(pi)", 180}, ValueCase{"arg(-1, -1)", 0.7853981633974483 - kPi},
        ValueCase{"arg(0, -2)", -kHalfPi}, ValueCase{"sinh(1)", 1.1752011936438014, 4e-16},
        ValueCase{"cosh(1)", 1.5430806348152437, 4e-16}, ValueCase{"tanh(400)", 1},
        ValueCase{"asinh(1)", 0.881373587019543, 4e-16},
        ValueCase{"acosh(2)", 1.3169578969248166, 4e-16},
        ValueCase{"atanh(0.5)", 0.5493061443340549, 4e-16},
        // ln 10 is stored slightly above the true value
        ValueCase{"log(1000)", 2.9999999999999942}, ValueCase{"db(10)", 19.99999999999996, 3e-16},
        ValueCase{"exp(1)", 2.718281828459045}, ValueCase{"exp(-1000)", 0},
        ValueCase{"sqr(2)", 1.4142135623730951}));

INSTANTIATE_TEST_SUITE_P(
    RoundingCombinatoricsAndLists, FormulaValue,
    ::testing::Values(ValueCase{"int(-2.5)", -3}, ValueCase{"round(2.5, 0)", 3},
                      ValueCase{"round(-2.5, 0)", -2}, ValueCase{"round(1234, -2)", 1200},
                      ValueCase{"round(0.125, 2)", 0.13}, ValueCase{"floor(-7, 3)", -9},
                      ValueCase{"ceil(-7, 3)", -6}, ValueCase{"ceil(2.25, 0.5)", 2.5},
                      ValueCase{"fact(170)", 7.257415615307994e306}, ValueCase{"npr(5, 2)", 20},
                      ValueCase{"ncr(50, 25)", 126410606437752}, ValueCase{"lcm(4, 6)", 12},
                      ValueCase{"gcd(-12, 18)", 6}, ValueCase{"gcd(-2147483648, -1)", 1},
                      ValueCase{"hypot(3, 4)", 5}, ValueCase{"avg(1, 2, 3)", 2},
                      ValueCase{"var(1, 2, 3, 4)", 1.6666666666666667},
                      ValueCase{"std(2, 4)", 1.4142135623730951}, ValueCase{"har(1, 0, 4)", 2.4},
                      ValueCase{"geo(2, 8)", 4}, ValueCase{"min(3, 1, 2)", 1},
                      // Sums run from the last argument to the first.
                      ValueCase{"sum(1e16, 1, 1)", 1e16 + 2},
                      // A variance is never negative, and squares are formed only for it.
                      ValueCase{"std(0.1, 0.1, 0.1)", 0}, ValueCase{"sum(1e200, 1e200)", 2e200},
                      ValueCase{"series(2, 0, 1, 1, 1, 1)", 7},
                      ValueCase{"series(3, 2, 2, 1, 0, 1)", 9 * (1 + 81)}));

INSTANTIATE_TEST_SUITE_P(
    DatesAndTimes, FormulaValue,
    ::testing::Values(
        ValueCase{"date(1900, 1, 1)", 2}, ValueCase{"date(2015, 13, 1)", 42370},
        ValueCase{"date(2015, -1, 1)", 41944}, ValueCase{"date(15, 6, 10)", 42165},
        ValueCase{"date(30, 1, 1)", 10959}, ValueCase{"date(1900, 2, 29)", 61},
        ValueCase{"date(2000, 2, 29)", 36585}, ValueCase{"date(100, 1, 1)", -657434},
        ValueCase{"date(10000, 0, 31)", 2958465}, ValueCase{"time(-6, 90, 0)", -0.1875},
        ValueCase{"ymd(date(2015, 6, 10), 3)", 3}, ValueCase{"ymd(42165.5 + time(1, 2, 3), 5)", 2},
        // The time of a negative date number counts forward from the start of its day.
        ValueCase{"ymd(-0.25, 2)", 29}, ValueCase{"ymd(-0.25, 4)", 18},
        ValueCase{"ymd(0.9999999, 2)", 31},  // rounds to midnight of the next day
        ValueCase{"ymd(2958465.9999, 0)", 9999}));

INSTANTIATE_TEST_SUITE_P(
    InvalidArguments, EvaluationError,
    ::testing::Values(ErrorCase{"asin(1.5)", 5}, ErrorCase{"acosh(0.5)", 5},
                      ErrorCase{"atanh(-1)", 5}, ErrorCase{"ln(0)", 5}, ErrorCase{"sqr(-1)", 5},
                      ErrorCase{"fact(0)", 5}, ErrorCase{"fact(2.5)", 5},
                      ErrorCase{"round(1, 0.5)", 5}, ErrorCase{"ncr(5, 6)", 5},
                      ErrorCase{"npr(2.5, 1)", 5}, ErrorCase{"gcd(1.5, 3)", 5},
                      ErrorCase{"geo(-8, 2)", 5}, ErrorCase{"series(-8, 0.5, 1, 1)", 5},
                      ErrorCase{"now(3)", 5}, ErrorCase{"ymd(1, 7)", 5},
                      ErrorCase{"ymd(-657435, 0)", 5}, ErrorCase{"ymd(2958465.99999999, 0)", 5},
                      ErrorCase{"date(2015, 1, 1.5)", 5}, ErrorCase{"date(10000, 1, 1)", 5},
                      ErrorCase{"date(-1, 1, 1)", 5}, ErrorCase{"time(1.5, 0, 0)", 5}));

INSTANTIATE_TEST_SUITE_P(
    OverflowAndDivision, EvaluationError,
    ::testing::Values(ErrorCase{"sinh(710)", 6}, ErrorCase{"tanh(710)", 6},
                      ErrorCase{"cosh(-710)", 6}, ErrorCase{"asinh(1e200)", 6},
                      ErrorCase{"fact(171)", 6}, ErrorCase{"gcd(3000000000, 3)", 6},
                      ErrorCase{"lcm(0, 0)", 6}, ErrorCase{"hypot(1e200, 1e200)", 6},
                      ErrorCase{"var(5)", 6}, ErrorCase{"round(1, -400)", 6},
                      ErrorCase{"date(40000, 1, 1)", 6}, ErrorCase{"time(0, 0, 32768)", 6},
                      ErrorCase{"floor(0, 0)", 6}, ErrorCase{"npr(1e300, 2)", 6},
                      ErrorCase{"rcp(0)", 11}, ErrorCase{"atanh(1)", 11},
                      ErrorCase{"ceil(3, 0)", 11}, ErrorCase{"har(0)", 11},
                      ErrorCase{"tanh(-1000)", 11}, ErrorCase{"series(0, -1, 1, 1)", 11}));

TEST(Clock, NowReadsTheLocalTime) {
  Tly t;
  t.SetClock([] { return LocalTime{2015, 6, 10, 18, 0, 0}; });
  EXPECT_EQ(Evaluate(t, "now(0)"), 42165.75);
  EXPECT_EQ(Evaluate(t, "now(1)"), 42165);
  EXPECT_EQ(Evaluate(t, "now(2)"), 0.75);
}

// Mean and standard deviation of `draws` evaluations of `formula`, and the correlation of
// each odd draw with the even one after it.
struct Sample {
  double mean, deviation, pair_correlation;
};

Sample Draw(const char* formula, int draws) {
  Tly t;
  t.SeedRandom(20240229);
  t.CompileFormula(testing::Widen(formula));
  double sum = 0, squares = 0, pair_sum = 0, previous = 0;
  for (int i = 0; i < draws; ++i) {
    const double x = t.EvaluateFormula();
    sum += x;
    squares += x * x;
    if (i % 2 == 1) pair_sum += previous * x;
    previous = x;
  }
  const double mean = sum / draws, variance = squares / draws - mean * mean;
  const double pair_covariance = pair_sum / (draws / 2) - mean * mean;
  return {mean, std::sqrt(variance), pair_covariance / variance};
}

// Bounds of five standard errors over 200 000 draws: a sound generator leaves them with a
// probability below one in a million, a wrong scale, shift or pairing by far.
constexpr int kDraws = 200000;
const double kFiveStandardErrors = 5 / std::sqrt(double{kDraws});

TEST(Random, RndIsUniformBetweenItsBounds) {
  // Uniform on [2, 5): mean 3.5, deviation 3 / sqrt(12). The sample deviation's standard
  // error is 3 / (2 sqrt(15 n)), from the fourth central moment 3^4 / 80.
  const Sample s = Draw("rnd(2, 5)", kDraws);
  EXPECT_NEAR(s.mean, 3.5, 3 / std::sqrt(12.0) * kFiveStandardErrors);
  EXPECT_NEAR(s.deviation, 3 / std::sqrt(12.0), 3 / (2 * std::sqrt(15.0)) * kFiveStandardErrors);
  EXPECT_NEAR(s.pair_correlation, 0, kFiveStandardErrors * std::sqrt(2.0));
  Tly t;
  for (int i = 0; i < 1000; ++i) {
    const double r = Evaluate(t, "rnd(5, 1)");
    ASSERT_GT(r, 1);
    ASSERT_LE(r, 5);
  }
}

TEST(Random, NrndIsNormalWithItsMeanAndDeviation) {
  // The standard error of the mean is s / sqrt(n), of the deviation s / sqrt(2 n). The two
  // halves of one Box-Muller pair are independent: uncorrelated.
  const Sample s = Draw("nrnd(10, 2)", kDraws);
  EXPECT_NEAR(s.mean, 10, 2 * kFiveStandardErrors);
  EXPECT_NEAR(s.deviation, 2, 2 * kFiveStandardErrors / std::sqrt(2.0));
  EXPECT_NEAR(s.pair_correlation, 0, kFiveStandardErrors * std::sqrt(2.0));
}

TEST(Random, SameSeedSameSequenceAcrossFormulas) {
  Tly a, b, c;
  a.SeedRandom(7);
  b.SeedRandom(7);
  c.SeedRandom(8);
  for (const char* f : {"rnd(0, 10)", "nrnd(0, 1)", "nrnd(0, 1)", "rnd(0, 10)"}) {
    const double x = Evaluate(a, f);
    EXPECT_EQ(x, Evaluate(b, f)) << f;
    EXPECT_NE(x, Evaluate(c, f)) << f;
  }
}

}  // namespace
}  // namespace tly
