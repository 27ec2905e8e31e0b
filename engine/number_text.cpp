#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace tly {

Scientific ToScientific(double x, int significant) {
  char buf[64];
  auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, significant - 1);
  std::string_view text(buf, static_cast<std::size_t>(end - buf));
  Scientific s{text.front() == '-' && x != 0, {}, 0};
  if (text.front() == '-') text.remove_prefix(1);
  const std::size_t e = text.find('e');
  for (char c : text.substr(0, e))
    if (c != '.') s.digits += c;
  std::string_view exponent = text.substr(e + 1);
  if (exponent.front() == '+') exponent.remove_prefix(1);  // from_chars reads no "+"
  std::from_chars(exponent.data(), exponent.data() + exponent.size(), s.exponent);
  return s;
}

std::string WithExponent(std::string mantissa, int exponent) {
  mantissa += exponent < 0 ? "E-" : "E+";
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude < 10) mantissa += '0';
  return mantissa + std::to_string(magnitude);
}

std::string FormatResult(double x, char decimal_separator, int significant_digits) {
  if (x == 0) return "0";
  // The value rounded to the significant digits.
  const int digit_count = std::clamp(significant_digits, 1, 15);
  auto [negative, digits, exponent] = ToScientific(x, digit_count);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= digit_count || exponent < -4) {
    out += digits[0];
    if (digits.size() > 1) {
      out += decimal_separator;
      out.append(digits, 1);
    }
    out = WithExponent(std::move(out), exponent);
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
