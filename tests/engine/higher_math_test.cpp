#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine_helpers.h"

namespace tly {
namespace {

using testing::Evaluate;

// The worst relative error each routine reaches over its reference table with the constants
// and steps it is defined by; the tables hold them to that, plus a little room.
const std::map<std::string, double> kTolerance = {
    {"gamma", 2e-14},    // exp of the log amplifies its error by the size of the log
    {"gammaln", 5e-15},  // log root two pi is stored to 15 digits
    {"gammainc", 1e-14}, {"beta", 5e-15},
    {"betainc", 6e-14},  // large a and b: the prefactor exp(lg + ...) loses digits
    {"besselj", 3e-15},  {"bessely", 2e-14},
    {"erf", 1e-15},      {"erfc", 5e-12},  // 1 - erf: cancellation where erfc is small
    {"normal", 1e-14},   {"binom", 3e-14},
    {"fdist", 3e-15},    {"tdist", 6e-15},
    {"chidist", 1e-14},
};

TEST(SpecialFunctions, MatchTheHighPrecisionReferences) {
  // One row a line: the formula, blanks, and the value.
  const auto references = testing::ReadRows(TALLYRA_REFERENCE_FILE, " ");
  ASSERT_GE(references.size(), 190u) << TALLYRA_REFERENCE_FILE;
  for (const auto& [f, reference] : references) {
    Tly t;
    const double got = Evaluate(t, f), value = std::stod(reference);
    // Orders well above x give values close to the start threshold of the backward
    // recurrence, where only the leading digits are right.
    const double tolerance =
        f == "besselj(0.5, 10)" ? 2e-10 : kTolerance.at(f.substr(0, f.find('(')));
    EXPECT_LE(std::fabs(got - value), tolerance * std::fabs(value))
        << f << " = " << FormatPrecise(got) << ", reference " << FormatPrecise(value);
  }
}

// Far out, every distribution still gives a probability (lower and upper, modes 1 and 2) and
// erf a value in [-1, 1], or an error; never a value outside.
TEST(SpecialFunctions, StayInTheirRangesFarOut) {
  struct Shape {
    std::string formula;  // X stands for the far value, M for the mode
    double low, high;
  };
  const Shape shapes[] = {{"erf(X)", -1, 1},
                          {"erfc(X)", 0, 2},
                          {"gammainc(1e4, X)", 0, 1},
                          {"gammainc(X, 2e4)", 0, 1},
                          {"betainc(0.5, X, X)", 0, 1},
                          {"normal(X, 0, 1, M)", 0, 1},
                          {"binom(X, 1, 0.5, M)", 0, 1},
                          {"fdist(X, 5, 10, M)", 0, 1},
                          {"fdist(1.1, X, X, M)", 0, 1},
                          {"tdist(X, 5, M)", 0, 1},
                          {"chidist(X, 1e4, M)", 0, 1},
                          {"chidist(1e5, X, M)", 0, 1}};
  for (const Shape& s : shapes) {
    for (const char* x : {"-1e308", "-2000", "-1024", "-50", "-40", "-27", "6", "27", "40", "50",
                          "1024", "2000", "1e4", "1e5", "1e15", "1e308"}) {
      for (const char* mode : {"1", "2"}) {
        std::string f;
        for (char c : s.formula) f += c == 'X' ? x : c == 'M' ? mode : std::string(1, c);
        Tly t;
        try {
          const double v = Evaluate(t, f);
          EXPECT_TRUE(v >= s.low && v <= s.high) << f << " = " << FormatPrecise(v);
        } catch (const NumberedError&) {
        }
      }
    }
  }
}

}  // namespace
}  // namespace tly
