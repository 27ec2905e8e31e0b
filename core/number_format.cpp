#include "number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "number_text.h"
#include "utf8.h"

namespace tly {
namespace {

// Fixed decimals show below this magnitude; larger values show as the standard text does.
constexpr double kFixedLimit = 1e21;
constexpr int kMostDigits = 15;
constexpr int kLeastExponent = 308;  // 1E-308 is the smallest power of ten a formula reads

// One way to write a decimal number: the notation and its digits, as FormatNumber uses them.
struct Decimal {
  Notation notation;
  int digits;  // significant digits for the standard notation too
};

// Scientific (`step` 1) or engineering (`step` 3) notation with `significant` digits, trailing
// zeros kept.
std::string Exponential(double x, int significant, int step) {
  const Scientific s = ToScientific(x, significant);
  int exponent = s.exponent;
  std::size_t whole = 1;
  if (step == 3) {
    const int lower = exponent >= 0 ? exponent / 3 * 3 : -((-exponent + 2) / 3 * 3);
    whole = static_cast<std::size_t>(exponent - lower + 1);
    exponent = lower;
  }
  std::string digits = s.digits;
  if (digits.size() < whole) digits.append(whole - digits.size(), '0');
  std::string mantissa = s.negative ? "-" : "";
  mantissa.append(digits, 0, whole);
  if (digits.size() > whole) mantissa += '.' + digits.substr(whole);
  return WithExponent(mantissa, exponent);
}

// `decimals` decimals of the exact value, at most 15 of its digits significant (the others
// zeros), as the standard text keeps them; a value that rounds to zero keeps its sign, zero
// itself has none.
std::string Fixed(double x, int decimals) {
  const Scientific s = ToScientific(x, kMostDigits);
  if (x == 0 || s.exponent + 1 + decimals <= kMostDigits) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    std::string text(buf, end);
    if (x == 0 && text.front() == '-') text.erase(0, 1);
    return text;
  }
  // Here the first digit is a whole one.
  const auto whole = static_cast<std::size_t>(s.exponent + 1);
  std::string digits = s.digits;
  digits.resize(whole + static_cast<std::size_t>(decimals), '0');
  if (decimals > 0) digits.insert(whole, 1, '.');
  return (s.negative ? "-" : "") + digits;
}

// The text of `x` with "." as its decimal point and no grouping.
std::string PlainDecimal(double x, Decimal d) {
  switch (d.notation) {
    case Notation::kStandard: return FormatResult(x, '.', d.digits);
    case Notation::kFixed:
      return std::fabs(x) < kFixedLimit ? Fixed(x, d.digits) : FormatResult(x, '.', kMostDigits);
    case Notation::kScientific: return Exponential(x, d.digits, 1);
    case Notation::kEngineering: return Exponential(x, d.digits, 3);
  }
  return {};
}

// The whole digits `whole` in groups of four, each followed by its unit word; empty groups left
// out ("100000005" is "1億5").
std::string JapaneseGroups(std::string_view whole) {
  static constexpr std::array<std::string_view, 6> kUnits = {"", "万", "億", "兆", "京", "垓"};
  std::string out;
  const std::size_t groups = (whole.size() + 3) / 4;
  std::size_t begin = 0;
  for (std::size_t g = groups; g-- > 0;) {
    const std::size_t end = whole.size() - 4 * g;
    std::string_view group = whole.substr(begin, end - begin);
    begin = end;
    group.remove_prefix(std::min(group.find_first_not_of('0'), group.size()));
    if (group.empty()) continue;
    out += group;
    out += kUnits[std::min(g, kUnits.size() - 1)];
  }
  return out.empty() ? "0" : out;
}

// A plain decimal text grouped and written with the locale's decimal separator; exponent form
// is left ungrouped. The thousands mark is "," unless that is the decimal separator.
std::string Localized(std::string text, Grouping grouping, char decimal_separator) {
  const bool exponent_form = text.find('E') != std::string::npos;
  const std::size_t sign = text.front() == '-' ? 1 : 0;
  const std::size_t point = std::min(text.find('.'), text.size());
  if (point < text.size()) text[point] = decimal_separator;
  if (exponent_form || grouping == Grouping::kNone) return text;
  const std::string whole = text.substr(sign, point - sign);
  std::string grouped;
  if (grouping == Grouping::kJapanese) {
    grouped = JapaneseGroups(whole);
    // A point needs a digit before it: "1億0.5", not "1億.5".
    if (point < text.size() && (grouped.back() < '0' || grouped.back() > '9')) grouped += '0';
  } else {
    const char mark = decimal_separator == ',' ? '.' : ',';
    for (std::size_t i = 0; i < whole.size(); ++i) {
      if (i > 0 && (whole.size() - i) % 3 == 0) grouped += mark;
      grouped += whole[i];
    }
  }
  return text.substr(0, sign) + grouped + text.substr(point);
}

// `x` in `base` when it is a whole number in the signed 32-bit range.
bool InOtherBase(double x, NumberBase base) {
  return base != NumberBase::kDecimal && std::trunc(x) == x && x >= -2147483648.0 &&
         x <= 2147483647.0;
}

std::string BaseText(double x, NumberBase base, Grouping grouping) {
  auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(x));
  const int radix = base == NumberBase::kHex ? 16 : base == NumberBase::kOctal ? 8 : 2;
  std::string digits;
  do {
    digits.insert(digits.begin(), "0123456789ABCDEF"[bits % static_cast<std::uint32_t>(radix)]);
    bits /= static_cast<std::uint32_t>(radix);
  } while (bits != 0);
  if (base == NumberBase::kBinary && grouping != Grouping::kNone) {
    for (std::size_t i = digits.size(); i > 4; i -= 4) digits.insert(i - 4, 1, '_');
  }
  return (radix == 16 ? "0x" : radix == 8 ? "0o" : "0b") + digits;
}

// `copy` as a formula reads it back: an exponent below the smallest power of ten the formula
// language reads becomes a product ("4.94E-16*1E-308"), and a value that rounds past the largest
// double is written as the shortest text of `x` itself.
std::string Readable(std::string copy, double x) {
  const std::size_t e = copy.find('E');
  if (e == std::string::npos) return copy;
  int exponent = 0;
  const char* first = copy.data() + e + (copy[e + 1] == '+' ? 2 : 1);
  std::from_chars(first, copy.data() + copy.size(), exponent);
  if (exponent < -kLeastExponent)
    return WithExponent(copy.substr(0, e), exponent + kLeastExponent) +
           WithExponent("*1", -kLeastExponent);
  double back = 0;
  if (std::from_chars(copy.data(), copy.data() + copy.size(), back).ec == std::errc()) return copy;
  std::string precise = FormatPrecise(x);
  std::replace(precise.begin(), precise.end(), 'e', 'E');
  return precise;
}

// The ways to write `x` in `format`, longest first: the shown one, then with fewer digits.
std::vector<Decimal> Shorter(const NumberFormat& f) {
  std::vector<Decimal> ways;
  const auto count_down = [&](Notation n, int from, int to) {
    for (int d = from; d >= to; --d) ways.push_back({n, d});
  };
  switch (f.notation) {
    case Notation::kStandard: count_down(Notation::kStandard, kMostDigits, 1); break;
    case Notation::kFixed:
      count_down(Notation::kFixed, std::clamp(f.digits, 0, kMostDigits), 0);
      count_down(Notation::kStandard, kMostDigits, 1);
      break;
    case Notation::kScientific:
    case Notation::kEngineering:
      count_down(f.notation, std::clamp(f.digits, 1, kMostDigits), 1);
      break;
  }
  return ways;
}

}  // namespace

std::u16string ShownNumber(double x, const NumberFormat& f, char decimal_separator) {
  if (InOtherBase(x, f.base)) return WidenAscii(BaseText(x, f.base, f.grouping));
  return Utf8ToUtf16(Localized(PlainDecimal(x, Shorter(f).front()), f.grouping, decimal_separator));
}

std::u16string CopyNumber(double x, const NumberFormat& f) {
  if (InOtherBase(x, f.base)) return WidenAscii(FormatResult(x));
  return WidenAscii(Readable(PlainDecimal(x, Shorter(f).front()), x));
}

NumberText FormatNumber(double x, const NumberFormat& f, char decimal_separator) {
  return {ShownNumber(x, f, decimal_separator), CopyNumber(x, f)};
}

std::u16string FitNumber(double x, const NumberFormat& f, char decimal_separator, int width,
                         const TextWidth& measure) {
  if (InOtherBase(x, f.base)) {
    std::u16string text = ShownNumber(x, f, decimal_separator);
    return measure(text) <= width ? text : u"…";
  }
  for (const Decimal& d : Shorter(f)) {
    std::u16string text = Utf8ToUtf16(Localized(PlainDecimal(x, d), f.grouping, decimal_separator));
    if (measure(text) <= width) return text;
  }
  return u"…";
}

}  // namespace tly
