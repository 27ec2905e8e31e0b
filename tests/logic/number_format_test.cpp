#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "calculation.h"
#include "number_format.h"
#include "utf8.h"

namespace tly {
namespace {

constexpr Notation kStd = Notation::kStandard, kFix = Notation::kFixed,
                   kSci = Notation::kScientific, kEng = Notation::kEngineering;
constexpr Grouping kNo = Grouping::kNone, k3 = Grouping::kThousands, kJa = Grouping::kJapanese;
constexpr NumberBase k10 = NumberBase::kDecimal, k16 = NumberBase::kHex, k8 = NumberBase::kOctal,
                     k2 = NumberBase::kBinary;

struct FormatCase {
  double x;
  NumberFormat format;
  const char* shown;
  const char* copy;  // nullptr: the shown text
};

class Formats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Formats, ShowAndCopySo) {
  const FormatCase& c = GetParam();
  const NumberText text = FormatNumber(c.x, c.format);
  EXPECT_EQ(Utf16ToUtf8(text.shown), c.shown) << c.x;
  EXPECT_EQ(Utf16ToUtf8(text.copy), c.copy ? c.copy : c.shown) << c.x;
}

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kDenormal = std::numeric_limits<double>::denorm_min();

INSTANTIATE_TEST_SUITE_P(
    All, Formats,
    ::testing::Values(
        // The standard notation, grouped.
        FormatCase{1234567.891, {kStd, 6, k3}, "1,234,567.891", "1234567.891"},
        FormatCase{-1234567, {kStd, 6, k3}, "-1,234,567", "-1234567"},
        FormatCase{999999999999999, {kStd, 6, k3}, "999,999,999,999,999", "999999999999999"},
        FormatCase{1e15, {kStd, 6, k3}, "1E+15", nullptr},
        FormatCase{1234567890.5, {kStd, 6, kJa}, "12億3456万7890.5", "1234567890.5"},
        FormatCase{100000005, {kStd, 6, kJa}, "1億5", "100000005"},
        FormatCase{-100000000, {kStd, 6, kJa}, "-1億", "-100000000"},
        FormatCase{0.5, {kStd, 6, kJa}, "0.5", nullptr},
        FormatCase{-0.0, {kStd, 6, kJa}, "0", nullptr},
        FormatCase{1e-5, {kStd, 6, kJa}, "1E-05", nullptr},
        FormatCase{kDenormal, {kStd}, "4.94065645841247E-324", "4.94065645841247E-16*1E-308"},
        FormatCase{-kMax, {kStd}, "-1.79769313486232E+308", "-1.7976931348623157E+308"},
        // Fixed decimals: correct rounding of the exact value, ties to even.
        FormatCase{99.9996, {kFix, 3}, "100.000", nullptr},
        FormatCase{9.9995, {kFix, 3}, "9.999", nullptr},  // just below the tie
        FormatCase{0.125, {kFix, 2}, "0.12", nullptr},
        FormatCase{0.375, {kFix, 2}, "0.38", nullptr}, FormatCase{2.5, {kFix, 0}, "2", nullptr},
        FormatCase{-1e-20, {kFix, 3}, "-0.000", nullptr},
        FormatCase{-0.0, {kFix, 3}, "0.000", nullptr},
        FormatCase{kDenormal, {kFix, 15}, "0.000000000000000", nullptr},
        // Fifteen significant digits at most, the others zeros.
        FormatCase{0.1, {kFix, 15}, "0.100000000000000", nullptr},
        FormatCase{1234.5678, {kFix, 15}, "1234.567800000000000", nullptr},
        FormatCase{-0.99999999999999999, {kFix, 15}, "-1.000000000000000", nullptr},
        FormatCase{1e15 + 0.5, {kFix, 1, k3}, "1,000,000,000,000,000.0", "1000000000000000.0"},
        FormatCase{1e16, {kFix, 0, kJa}, "1京", "10000000000000000"},
        FormatCase{1.23456789012345678e17,
                   {kFix, 0, kJa},
                   "12京3456兆7890億1234万6000",
                   "123456789012346000"},
        FormatCase{1e21, {kFix, 2, k3}, "1E+21", nullptr},  // too large: as the standard text
        FormatCase{-kMax, {kFix, 2}, "-1.79769313486232E+308", "-1.7976931348623157E+308"},
        // Scientific and engineering notation keep their digits.
        FormatCase{1234567, {kSci, 4, k3}, "1.235E+06", nullptr},
        FormatCase{0, {kSci, 3}, "0.00E+00", nullptr},
        FormatCase{-0.0, {kSci, 1}, "0E+00", nullptr},
        FormatCase{9.9996, {kSci, 4}, "1.000E+01", nullptr},
        FormatCase{1e15 - 1, {kSci, 15}, "9.99999999999999E+14", nullptr},
        FormatCase{1e15 + 1, {kSci, 15}, "1.00000000000000E+15", nullptr},
        FormatCase{kMax, {kSci, 2}, "1.8E+308", "1.7976931348623157E+308"},
        FormatCase{-kDenormal, {kSci, 2}, "-4.9E-324", "-4.9E-16*1E-308"},
        FormatCase{12345, {kEng, 1}, "10E+03", nullptr},
        FormatCase{-0.000123456, {kEng, 3}, "-123E-06", nullptr},
        FormatCase{999.96, {kEng, 4}, "1.000E+03", nullptr},
        FormatCase{1e-309, {kEng, 3, kJa}, "1.00E-309", "1.00E-01*1E-308"},
        FormatCase{kMax, {kEng, 3}, "180E+306", "1.7976931348623157E+308"},
        // Other bases: whole numbers of the signed 32-bit range, the copy in decimal.
        FormatCase{0, {kStd, 6, kNo, k16}, "0x0", "0"},
        FormatCase{-1, {kStd, 6, kNo, k16}, "0xFFFFFFFF", "-1"},
        FormatCase{2147483647, {kFix, 2, k3, k16}, "0x7FFFFFFF", "2147483647"},
        FormatCase{-2147483648, {kStd, 6, kNo, k8}, "0o20000000000", "-2147483648"},
        FormatCase{31, {kSci, 6, kNo, k8}, "0o37", "31"},
        FormatCase{31, {kStd, 6, kJa, k2}, "0b1_1111", "31"},
        FormatCase{-2147483648,
                   {kStd, 6, k3, k2},
                   "0b1000_0000_0000_0000_0000_0000_0000_0000",
                   "-2147483648"},
        FormatCase{-1, {kStd, 6, kNo, k2}, "0b11111111111111111111111111111111", "-1"},
        FormatCase{2147483648, {kStd, 6, k3, k16}, "2,147,483,648", "2147483648"},
        FormatCase{1.5, {kFix, 2, kNo, k2}, "1.50", nullptr}));

TEST(Formats, GroupWithTheOtherMarkWhereTheCommaSeparatesDecimals) {
  EXPECT_EQ(ShownNumber(1234567.5, {kStd, 6, k3}, ','), u"1.234.567,5");
  EXPECT_EQ(CopyNumber(1234567.5, {kStd, 6, k3}), u"1234567.5");
}

TEST(Formats, FitFewerDigitsBeforeGivingUp) {
  const TextWidth chars = [](std::u16string_view t) { return static_cast<int>(t.size()); };
  EXPECT_EQ(FitNumber(1234.5678, {kFix, 4, k3}, '.', 8, chars), u"1,234.57");
  EXPECT_EQ(FitNumber(123456789, {kFix, 2}, '.', 8, chars), u"1.23E+08");
  EXPECT_EQ(FitNumber(123456789, {kSci, 6}, '.', 7, chars), u"1.2E+08");
  EXPECT_EQ(FitNumber(-1, {kStd, 6, kNo, k16}, '.', 9, chars), u"…");
}

// The copy, read back by a formula, shows as the value did, for doubles of every magnitude:
// in decimal, since another base shows only whole numbers, and with the sign of a value that
// shows as zero left aside.
TEST(Formats, CopiesReadBackAsShown) {
  std::mt19937_64 random(21);
  const Notation notations[] = {kStd, kFix, kSci, kEng};
  for (int i = 0; i < 40000; ++i) {
    double x;
    const std::uint64_t bits = random();
    std::memcpy(&x, &bits, sizeof x);
    if (!std::isfinite(x)) continue;
    if (i % 4 == 1) x = std::ldexp(x - std::trunc(x), static_cast<int>(random() % 80));
    if (i % 4 == 2) x = static_cast<double>(static_cast<std::int32_t>(random()));
    const NumberFormat f{notations[i % 4], static_cast<int>(random() % 16),
                         static_cast<Grouping>(random() % 3),
                         static_cast<NumberBase>(random() % 4)};
    const auto shown = [f](double v) {
      std::u16string t = ShownNumber(v, {f.notation, f.digits, f.grouping});
      if (t.find_first_of(u"123456789") == std::u16string::npos && t[0] == u'-') t.erase(0, 1);
      return t;
    };
    Tly engine;
    const std::u16string copy = CopyNumber(x, f);
    // Printable ASCII only: no group marks, unit words, spaces or invisible characters.
    EXPECT_TRUE(
        std::all_of(copy.begin(), copy.end(), [](char16_t c) { return c > 32 && c < 127; }));
    const double back = Calculate(engine, copy, std::nullopt);
    EXPECT_EQ(shown(back), shown(x)) << Utf16ToUtf8(copy);
  }
}

}  // namespace
}  // namespace tly
