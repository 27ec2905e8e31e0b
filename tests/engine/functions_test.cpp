#include <gtest/gtest.h>

#include <cmath>

#include "engine_helpers.h"

namespace tly {
namespace {

using testing::Evaluate;

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
