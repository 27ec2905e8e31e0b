// How results read: the notation, the number of digits, the grouping of the whole digits and the
// base, and the plain text a copy of a result takes, which a formula reads back.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tly {

enum class Notation { kStandard, kFixed, kScientific, kEngineering };
enum class Grouping { kNone, kThousands, kJapanese };  // none, "1,234,567", "123万4567"
enum class NumberBase { kDecimal, kHex, kOctal, kBinary };

// The default is the result box's standard text: at most 15 significant digits, plain digits
// from 1E-04 to below 1E+15, no grouping.
struct NumberFormat {
  Notation notation = Notation::kStandard;
  // Fixed: the decimals (0 ... 15); scientific and engineering: the significant digits
  // (1 ... 15). The standard notation keeps its 15 significant digits.
  int digits = 6;
  Grouping grouping = Grouping::kNone;
  // Whole results from -2^31 to 2^31-1 show in this base with its prefix ("0x1F", "0o17",
  // "0b11111"), negative ones in 32-bit two's complement; the others in decimal.
  NumberBase base = NumberBase::kDecimal;

  bool operator==(const NumberFormat&) const = default;
};

// A result as shown, and as copied: the copy has no group marks and no unit words, "." as the
// decimal point and, for another base, the decimal value, so that a formula reads it back as
// the value shown, to the digits shown.
struct NumberText {
  std::u16string shown, copy;
};

// The width of a text as a line draws it, in the line's own unit.
using TextWidth = std::function<int(std::u16string_view)>;

NumberText FormatNumber(double x, const NumberFormat& format, char decimal_separator = '.');
std::u16string ShownNumber(double x, const NumberFormat& format, char decimal_separator = '.');
std::u16string CopyNumber(double x, const NumberFormat& format);

// `x` as shown when that fits in `width`; else with as many digits as fit (fewer decimals,
// then fewer significant digits), so that an exponent is always whole; "…" when nothing does.
std::u16string FitNumber(double x, const NumberFormat& format, char decimal_separator, int width,
                         const TextWidth& measure);

}  // namespace tly
