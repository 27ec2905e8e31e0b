#include "number_text.h"

#include <algorithm>
#include <charconv>

namespace tly {

std::string FormatResult(double x, char decimal_separator, int significant_digits) {
  if (x == 0) return "0";
  // d.dddde±x: the value rounded to the significant digits.
  const int digit_count = std::clamp(significant_digits, 1, 15);
  char buf[40];
  auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, digit_count - 1);
  std::string_view text(buf, static_cast<std::size_t>(end - buf));
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t e_pos = text.find('e');
  const std::size_t mantissa_end = digit_count > 1 ? 2 : 1;  // past "d." or "d"
  std::string_view exponent_text = text.substr(e_pos + 1);
  if (exponent_text.front() == '+') exponent_text.remove_prefix(1);  // from_chars reads no "+"
  int exponent = 0;
  std::from_chars(exponent_text.data(), exponent_text.data() + exponent_text.size(), exponent);
  std::string digits;
  digits += text[0];
  digits += text.substr(mantissa_end, e_pos - mantissa_end);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= digit_count || exponent < -4) {
    out += digits[0];
    if (digits.size() > 1) {
      out += decimal_separator;
      out.append(digits, 1);
    }
    out += exponent < 0 ? "E-" : "E+";
    int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
  } else if (exponent < 0) {
    out += '0';
    out += decimal_separator;
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
  } else {
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits;
      out.append(whole - digits.size(), '0');
    } else {
      out.append(digits, 0, whole);
      out += decimal_separator;
      out.append(digits, whole);
    }
  }
  return out;
}

std::string FormatPrecise(double x) {
  char buf[40];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, end);
}

}  // namespace tly
