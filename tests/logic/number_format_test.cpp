#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <random>
#include <sstream>

#include "calculation.h"
#include "number_format.h"
#include "utf8.h"

namespace tly {
namespace {

constexpr Notation kStd = Notation::kStandard, kFix = Notation::kFixed,
                   kSci = Notation::kScientific, kEng = Notation::kEngineering;
constexpr Grouping k3 = Grouping::kThousands;
constexpr NumberBase k16 = NumberBase::kHex;

// The index of `word` among `words`.
template <typename E>
E Pick(const std::string& word, std::initializer_list<const char*> words) {
  int i = 0;
  for (const char* w : words) {
    if (word == w) return static_cast<E>(i);
    ++i;
  }
  ADD_FAILURE() << "unknown " << word;
  return E{};
}

TEST(Formats, ShowAndCopyAsTheTableSays) {
  std::ifstream table(TALLYRA_NUMBER_FORMAT_CASES);
  ASSERT_TRUE(table) << TALLYRA_NUMBER_FORMAT_CASES;
  int cases = 0;
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string value, notation, grouping, base, shown, copy;
    NumberFormat f;
    if (!(fields >> value >> notation >> f.digits >> grouping >> base >> shown >> copy)) continue;
    double x = 0;
    std::from_chars(value.data(), value.data() + value.size(), x);
    f.notation = Pick<Notation>(notation, {"std", "fix", "sci", "eng"});
    f.grouping = Pick<Grouping>(grouping, {"no", "3", "ja"});
    f.base = Pick<NumberBase>(base, {"10", "16", "8", "2"});
    const NumberText text = FormatNumber(x, f);
    EXPECT_EQ(Utf16ToUtf8(text.shown), shown) << line;
    EXPECT_EQ(Utf16ToUtf8(text.copy), copy == "=" ? shown : copy) << line;
    ++cases;
  }
  EXPECT_GT(cases, 50);
}

TEST(Formats, GroupWithTheOtherMarkWhereTheCommaSeparatesDecimals) {
  EXPECT_EQ(ShownNumber(1234567.5, {kStd, 6, k3}, ','), u"1.234.567,5");
  EXPECT_EQ(CopyNumber(1234567.5, {kStd, 6, k3}), u"1234567.5");
}

TEST(Formats, FitFewerDigitsBeforeGivingUp) {
  const TextWidth chars = [](std::u16string_view t) { return static_cast<int>(t.size()); };
  EXPECT_EQ(FitNumber(1234.5678, {kFix, 4, k3}, '.', 8, chars), u"1,234.57");
  EXPECT_EQ(FitNumber(123456789, {kFix, 2}, '.', 8, chars), u"1.23E+08");
  EXPECT_EQ(FitNumber(123456789, {kSci, 6}, '.', 7, chars), u"1.2E+08");
  EXPECT_EQ(FitNumber(-1, {kStd, 6, Grouping::kNone, k16}, '.', 9, chars), u"…");
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
