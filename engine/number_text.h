// Numbers as the result box and the variables panel show them.
#pragma once

#include <string>
#include <string_view>

namespace tly {

// At most 15 significant digits, no trailing zeros, no grouping, "-" before negative numbers.
// Magnitudes from 1E-04 up to below 1E+15 (after rounding to 15 digits) are written in plain
// digits; the others as a mantissa, "E", a sign and at least two exponent digits ("1.5E+20",
// "1E-05"). Negative zero shows as "0". `decimal_separator` is the user's locale's.
// With fewer `significant_digits` (1 ... 15), plain digits are kept only while every whole
// digit is significant: 123456.7 to 5 digits is "1.2346E+05".
std::string FormatResult(double x, char decimal_separator = '.', int significant_digits = 15);

// The digits of `x` rounded to `significant` digits (ties to even on the exact value), without
// the point, and the exponent of the first one: 1234.5 to 3 digits is "123" and 3.
struct Scientific {
  bool negative;
  std::string digits;
  int exponent;
};
Scientific ToScientific(double x, int significant);

// A mantissa and the result box's exponent style: "E", a sign, at least two digits.
std::string WithExponent(std::string mantissa, int exponent);

// The shortest decimal that reads back as the same double ("1609.3439999999998").
std::string FormatPrecise(double x);

// ASCII text, such as the numbers above, as UTF-16: each character stands for itself.
inline std::u16string WidenAscii(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

}  // namespace tly
