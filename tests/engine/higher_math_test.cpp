#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine_helpers.h"

namespace tly {
namespace {

using testing::ErrorCase;
using testing::Evaluate;
using testing::EvaluationError;
using testing::FormulaValue;
using testing::ValueCase;

struct Reference {
  std::string formula;
  double value;
};

// One row per line: the formula, blanks, and the value; lines starting with # are comments.
std::vector<Reference> ReadReferences() {
  std::ifstream in(TALLYRA_REFERENCE_FILE);
  std::vector<Reference> rows;
  for (std::string line; std::getline(in, line);) {
    const std::size_t blank = line.find_last_of(' ');
    if (line.empty() || line[0] == '#' || blank == std::string::npos) continue;
    const std::string formula = line.substr(0, line.find_last_not_of(' ', blank) + 1);
    rows.push_back({formula, std::stod(line.substr(blank + 1))});
  }
  return rows;
}

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
  const std::vector<Reference> references = ReadReferences();
  ASSERT_GE(references.size(), 190u) << TALLYRA_REFERENCE_FILE;
  for (const Reference& r : references) {
    Tly t;
    const double got = Evaluate(t, r.formula);
    const std::string& f = r.formula;
    // Orders well above x give values close to the start threshold of the backward
    // recurrence, where only the leading digits are right.
    const double tolerance =
        f == "besselj(0.5, 10)" ? 2e-10 : kTolerance.at(f.substr(0, f.find('(')));
    EXPECT_LE(std::fabs(got - r.value), tolerance * std::fabs(r.value))
        << f << " = " << FormatPrecise(got) << ", reference " << FormatPrecise(r.value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, FormulaValue,
    ::testing::Values(
        // At the negative integers the sine of a multiple of the stored pi is not zero.
        ValueCase{"gamma(-1)", -9.72e14, 2e-3}, ValueCase{"gammainc(2, 0)", 0},
        ValueCase{"betainc(1, 2, 3)", 1}, ValueCase{"erfc(0)", 1}, ValueCase{"besselj(0, 0)", 1},
        ValueCase{"besselj(0, 3)", 0},
        ValueCase{"besselj(1, 1.4)", 0.440050585744934, 1e-14},  // the order is rounded
        ValueCase{"normal(0, 0, 1, 1)", 0.5}, ValueCase{"gauss(1, 0, 2, 5)", 2.5, 1e-15},
        ValueCase{"lorentz(1, 0, 2, 5)", 2.5}, ValueCase{"lorentz(2, 0, 2, 5)", 1},
        ValueCase{"binom(10, 0, 0.3, 2)", 1}, ValueCase{"binom(5, 0, 0, 0)", 1},  // 0^0 is 1
        ValueCase{"fdist(-1, 2, 3, 1)", 0}, ValueCase{"tdist(0, 5, 1)", 0.5},
        ValueCase{"chidist(0, 2, 0)", 0.5}));

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

INSTANTIATE_TEST_SUITE_P(
    Domains, EvaluationError,
    ::testing::Values(
        ErrorCase{"gammaln(0)", 5}, ErrorCase{"gammaln(-0.5)", 5}, ErrorCase{"gammainc(0, 1)", 5},
        ErrorCase{"bessely(0, 1)", 5}, ErrorCase{"bessely(-1, 0)", 5},
        ErrorCase{"normal(0, 0, 1, 3)", 5}, ErrorCase{"binom(10, 11, 0.5, 0)", 5},
        ErrorCase{"binom(10, 2.5, 0.5, 0)", 5}, ErrorCase{"binom(10, 3, 0.5, 3)", 5},
        ErrorCase{"fdist(1, 2.5, 3, 0)", 5}, ErrorCase{"tdist(1, 2.5, 0)", 5},
        ErrorCase{"chidist(1, 0, 1)", 5}, ErrorCase{"chidist(1, 2, 4)", 5},
        // Outside its domain the continued fraction of betainc does not settle; it stops.
        ErrorCase{"betainc(2, 1, 1)", 5}, ErrorCase{"betainc(-1, 1, 1)", 5},
        ErrorCase{"betainc(0.5, -1.5, 1)", 5}));

INSTANTIATE_TEST_SUITE_P(
    HigherMathOverflowAndDivision, EvaluationError,
    ::testing::Values(ErrorCase{"gamma(172)", 6}, ErrorCase{"gamma(0)", 11},
                      ErrorCase{"gauss(1, 0, 0, 1)", 11}, ErrorCase{"gauss(0, 0, 0, 1)", 6},
                      ErrorCase{"lorentz(1, 0, 0, 1)", 11}, ErrorCase{"normal(1, 0, 0, 0)", 11},
                      ErrorCase{"normal(0, 0, 0, 0)", 6}, ErrorCase{"tdist(1, 0, 1)", 11},
                      ErrorCase{"tdist(0, 0, 1)", 6},
                      // zero to a negative power is a division by zero
                      ErrorCase{"chidist(0, 1, 0)", 11}, ErrorCase{"besselj(40000, 1)", 6},
                      ErrorCase{"besselj(1, 40000)", 6}, ErrorCase{"besselj(1, -32768)", 6},
                      ErrorCase{"bessely(1, 32768)", 6},
                      // x and n round into 16 bits, but the start order climbs past 32767.
                      ErrorCase{"besselj(32767, 32767)", 6},
                      ErrorCase{"bessely(32760, 32760)", 6}));

}  // namespace
}  // namespace tly
