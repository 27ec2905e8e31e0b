#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "calculation.h"
#include "conversion.h"
#include "engine_helpers.h"
#include "string_ids.h"
#include "string_table.h"
#include "unit_factor.h"

namespace tly {
namespace {

using testing::Bits;

double Factor(int q, int u) {
  return UnitFactor(static_cast<std::int16_t>(q), static_cast<std::int16_t>(u));
}

struct FactorCase {
  int quantity, unit;
  double expected;
};

// One unit of each quantity, sized by another road than the catalogue's own expression.
constexpr double kInch = 0.0254, kShaku = 10.0 / 33, kKen = 6 * kShaku;  // m
constexpr double kPound = 0.45359237, kG = 9.80665;
const FactorCase kOtherRoads[] = {
    {1, 17, 36 * 60 * kKen},                    // 里: 36 町 of 60 間
    {2, 13, kKen* kKen},                        // 坪: one square 間
    {3, 29, 64.827 * 1e6 / (33.0 * 33 * 33)},   // 升: 64.827 cubic 寸, in cm³
    {3, 14, 231 * 2.54 * 2.54 * 2.54 / 16},     // cup: 1/16 of 231 cubic inches
    {4, 8, kPound / 16},                        // ounce
    {5, 12, 7 * 24 * 3600},                     // week
    {6, 10, 1852.0 / 3600},                     // knot: a nautical mile an hour
    {7, 0, 1000.0 / 3600},                      // km/h/s
    {8, 6, 2 * 3.14159265358979},               // one turn
    {9, 2, 1e-5},                               // dyn: g·cm/s²
    {10, 22, 6.6260755e-34 * 299792458 * 100},  // wavenumber: h c per cm
    {11, 7, 1000 * (3600.0 / 860) / 3600},      // kcal/h
    {12, 16, kPound* kG / (kInch * kInch)},     // psi
    {13, 7, 1000.0 / 8},                        // kb
};

TEST(UnitFactor, UnitsHaveTheSizeOfTheirDefinitions) {
  // The catalogue's 15-digit decimals (the calorie as 4.18604651162791, 1/36 as
  // 0.0277777777777778) agree with the definitions to a few parts in 1e15.
  for (const FactorCase& c : kOtherRoads)
    EXPECT_NEAR(Factor(c.quantity, c.unit), c.expected, c.expected * 5e-15)
        << c.quantity << "," << c.unit;
}

// The relations of unit_relations.txt: "quantity unit other ratio", unit `unit` being `ratio`
// (a number or a fraction) units `other`; # starts a comment.
TEST(UnitFactor, UnitsKeepTheirRelations) {
  std::ifstream in(TALLYRA_UNIT_RELATIONS);
  int count = 0;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line.substr(0, line.find('#')));
    int q = 0, unit = 0, other = 0;
    double ratio = 0, denominator = 1;
    if (!(fields >> q)) continue;
    ASSERT_TRUE(fields >> unit >> other >> ratio) << line;
    if (fields.peek() == '/') fields.ignore() >> denominator;
    const double expected = ratio / denominator * Factor(q, other);
    EXPECT_NEAR(Factor(q, unit), expected, expected * 5e-15) << line;
    ++count;
  }
  EXPECT_EQ(count, 117) << TALLYRA_UNIT_RELATIONS;
}

// The prefixes run 10^24, 10^21, ... 10^3, 10^2 ... 10^-2, 10^-3, 10^-6 ... 10^-24, each the
// double nearest to its power, as the C library reads "1eN".
TEST(UnitFactor, PrefixesArePowersOfTen) {
  for (int u = 0; u < UnitCount(0); ++u) {
    const int e = u < 8 ? 24 - 3 * u : u <= 12 ? 10 - u : -3 - 3 * (u - 13);
    EXPECT_EQ(Bits(Factor(0, u)), Bits(std::strtod(("1e" + std::to_string(e)).c_str(), nullptr)))
        << u;
  }
}

// The same bits on every build: integer powers of ten are the nearest doubles (10^-24 is not
// 1 / 10^24), the 俵's non-integer power and the squares and cubes come from the C runtime.
TEST(UnitFactor, SizesToTheBit) {
  const FactorCase cases[] = {{1, 6, 1e-10},
                              {2, 6, 4046.856422400012},
                              {3, 7, 28316.846592},
                              {3, 27, 72156.2734785871},
                              {3, 33, 0.18039068369646885}};
  for (const FactorCase& c : cases)
    EXPECT_EQ(Bits(Factor(c.quantity, c.unit)), Bits(c.expected)) << c.quantity << "," << c.unit;
}

TEST(UnitFactor, OutsideTheCatalogueIsZero) {
  for (auto [q, u] : {std::pair{14, 0}, {-1, 0}, {1, UnitCount(1)}, {1, -1}})
    EXPECT_EQ(Factor(q, u), 0) << q << "," << u;
}

// Each quantity's units and the string table's list of its unit names are one list: the
// names end with "*" right after the last unit.
TEST(Catalogue, UnitListsEndWhereTheStringListsEnd) {
  EXPECT_EQ(static_cast<int>(LoadList(ids::kQuantityNames).size()), kQuantityCount);
  EXPECT_EQ(LoadString(ids::kQuantityNames + kQuantityCount), "*");
  int total = 0;
  for (int q = 0; q < kQuantityCount; ++q) {
    EXPECT_EQ(static_cast<int>(LoadList(FirstUnitString(q)).size()), UnitCount(q)) << q;
    EXPECT_EQ(LoadString(FirstUnitString(q) + UnitCount(q)), "*") << q;
    EXPECT_NE(Factor(q, UnitCount(q) - 1), 0) << q;
    total += UnitCount(q);
  }
  EXPECT_EQ(total, 246);
  EXPECT_EQ(UnitCount(kQuantityCount), 0);
  // A list also ends at the first id missing from the table.
  EXPECT_EQ(LoadList(ids::kStartupRunKey).size(), 1u);  // 1002 is not in the table
  EXPECT_EQ(LoadString(999), "");
}

TEST(Catalogue, InitialUnitsAreTheBaseUnits) {
  const char* names[] = {"なし",         "m", "㎡", "立方cm", "kg", "秒 s",     "m/s", "m/s2",
                         "ラジアン rad", "N", "J",  "W",      "Pa", "B（byte）"};
  for (int q = 0; q < kQuantityCount; ++q) {
    EXPECT_EQ(Factor(q, InitialUnit(q)), 1) << q;
    EXPECT_EQ(LoadString(FirstUnitString(q) + InitialUnit(q)), names[q]) << q;
  }
}

// The messages of the other numbers are checked by their text where formulas fail.
TEST(ErrorMessages, NumbersWithoutAMessageOfTheirOwn) {
  EXPECT_EQ(ErrorMessageId(335), ids::kErrorDescriptionRegistry);
  for (int n : {7, -1, 0, 3000}) EXPECT_EQ(ErrorMessageId(n), ids::kErrorDescriptionOther) << n;
}

TEST(Conversion, MultipliesFirstAndDividesSecond) {
  EXPECT_EQ(Convert({1, 1, 8}, 1609.3439999999998), 1);  // a mile of metres in miles
  EXPECT_EQ(Convert({8, 0, 3}, 180), 180 * 0.017453292519943278);
  // 10 miles in 里 rounds otherwise when divided first.
  EXPECT_EQ(Convert({1, 8, 17}, 10), 10 * 1609.3439999999998 / 3927.2727272727275);
  EXPECT_TRUE(IsValid({13, 10, 0}));
  for (Conversion c : {Conversion{13, 11, 0}, {0, 0, -1}, {-1, 0, 0}})
    EXPECT_FALSE(IsValid(c)) << c.quantity << "," << c.from_unit << "," << c.to_unit;
}

}  // namespace
}  // namespace tly
