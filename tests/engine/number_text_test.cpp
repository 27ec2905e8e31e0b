#include <gtest/gtest.h>

#include <limits>

#include "number_text.h"

namespace tly {
namespace {

struct TextCase {
  double value;
  const char* text;
};

class ResultText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ResultText, IsWrittenSo) { EXPECT_EQ(FormatResult(GetParam().value), GetParam().text); }

// Fifteen significant digits, plain up to 1e15 and from 1e-4, in exponent notation beyond.
INSTANTIATE_TEST_SUITE_P(
    All, ResultText,
    ::testing::Values(
        TextCase{-4, "-4"}, TextCase{2.0 / 3, "0.666666666666667"}, TextCase{-0.0, "0"},
        TextCase{1609.3439999999998, "1609.344"}, TextCase{2.9999999999999942, "2.99999999999999"},
        TextCase{999999999999999, "999999999999999"}, TextCase{-0.000123456789, "-0.000123456789"},
        TextCase{1.5e20, "1.5E+20"}, TextCase{1e-5, "1E-05"}, TextCase{-1e15, "-1E+15"},
        TextCase{1234567890123456, "1.23456789012346E+15"},
        // Rounding to 15 digits carries into the next power of ten.
        TextCase{999999999999999.9, "1E+15"}, TextCase{9.999999999999999e-5, "0.0001"},
        TextCase{5e-324, "4.94065645841247E-324"},
        TextCase{std::numeric_limits<double>::max(), "1.79769313486232E+308"},
        TextCase{1e100, "1E+100"}));

TEST(ResultText, UsesTheLocaleDecimalSeparator) {
  EXPECT_EQ(FormatResult(0.5, ','), "0,5");
  EXPECT_EQ(FormatResult(1.5e20, ','), "1,5E+20");
}

}  // namespace
}  // namespace tly
