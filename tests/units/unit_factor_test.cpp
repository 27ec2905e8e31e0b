#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "calculation.h"
#include "conversion.h"
#include "string_ids.h"
#include "string_table.h"
#include "unit_factor.h"

namespace tly {
namespace {

std::uint64_t Bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

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

// Units defined by others of their quantity: unit `unit` is `ratio` units `other`.
struct Relation {
  int quantity, unit, other;
  double ratio;
};
const Relation kRelations[] = {
    {1, 8, 9, 8},          {1, 9, 10, 10},         {1, 10, 11, 4},        {1, 11, 12, 5.5},
    {1, 12, 13, 3},        {1, 13, 14, 12},        {1, 15, 14, 0.001},    {1, 16, 12, 2},
    {1, 18, 20, 60},       {1, 19, 21, 10},        {1, 20, 21, 6},        {1, 21, 22, 10},
    {1, 22, 23, 10},       {1, 23, 24, 10},        {1, 25, 14, 1.0 / 72}, {1, 26, 25, 0.05},
    {1, 32, 33, 1000},     {1, 33, 34, 1000},      {2, 0, 3, 100},        {2, 3, 4, 100},
    {2, 5, 6, 640},        {2, 6, 8, 43560},       {2, 7, 8, 9},          {2, 8, 9, 144},
    {2, 10, 11, 10},       {2, 11, 12, 10},        {2, 12, 13, 30},       {2, 13, 14, 10},
    {2, 15, 13, 1.0 / 36}, {2, 16, 13, 0.01},      {3, 0, 3, 1000},       {3, 2, 3, 1000},
    {3, 4, 5, 100},        {3, 6, 5, 1},           {3, 7, 8, 1728},       {3, 9, 11, 42},
    {3, 12, 11, 0.25},     {3, 13, 12, 0.5},       {3, 14, 13, 0.5},      {3, 15, 14, 0.125},
    {3, 16, 15, 0.5},      {3, 17, 16, 1.0 / 3},   {3, 20, 19, 0.25},     {3, 21, 20, 0.5},
    {3, 22, 21, 0.25},     {3, 23, 19, 1.0 / 160}, {3, 24, 25, 216},      {3, 26, 28, 10},
    {3, 28, 29, 10},       {3, 30, 31, 10},        {3, 32, 33, 10},       {3, 34, 35, 10},
    {4, 0, 1, 1000},       {4, 5, 7, 2240},        {4, 6, 7, 2000},       {4, 9, 8, 0.0625},
    {4, 10, 13, 1000},     {4, 11, 13, 160},       {4, 12, 13, 10},       {4, 14, 15, 10},
    {4, 15, 16, 10},       {4, 17, 2, 0.2},        {5, 4, 13, 365},       {5, 6, 13, 30},
    {5, 13, 15, 24},       {5, 15, 16, 60},        {5, 16, 17, 60},       {6, 1, 0, 60},
    {6, 2, 1, 60},         {6, 3, 4, 1.0 / 60},    {6, 8, 5, 0.01},       {6, 9, 0, 1.609344},
    {7, 3, 2, 1},          {7, 4, 1, 9.80665},     {8, 0, 1, 60},         {8, 1, 2, 60},
    {8, 4, 0, 0.9},        {8, 5, 0, 90},          {8, 6, 5, 4},          {8, 7, 6, 0.01},
    {9, 0, 1, 1000},       {9, 3, 1, 1},           {9, 4, 3, 100},        {9, 5, 6, 1000},
    {9, 7, 5, 1},          {10, 0, 1, 1000},       {10, 4, 8, 1},         {10, 5, 6, 1000},
    {10, 6, 2, 3600},      {10, 7, 2, 1},          {10, 10, 11, 1000},    {10, 12, 13, 1000},
    {10, 14, 15, 1000},    {10, 18, 19, 1000},     {10, 20, 21, 1000},    {11, 0, 1, 1000},
    {11, 3, 4, 1000},      {11, 7, 8, 1000},       {11, 9, 8, 3600},      {12, 0, 1, 1000},
    {12, 2, 3, 100},       {12, 5, 3, 1},          {12, 7, 2, 1000},      {12, 8, 2, 1},
    {12, 9, 10, 76},       {12, 10, 11, 10},       {12, 12, 11, 1},       {12, 14, 13, 10000},
    {12, 15, 13, 10},      {13, 0, 1, 1024},       {13, 1, 2, 1024},      {13, 3, 4, 1024},
    {13, 5, 6, 1000},      {13, 7, 8, 1000},       {13, 8, 4, 0.125},     {13, 9, 4, 1},
    {13, 10, 8, 4},
};

TEST(UnitFactor, UnitsKeepTheirRelations) {
  for (const Relation& r : kRelations) {
    const double expected = r.ratio * Factor(r.quantity, r.other);
    EXPECT_NEAR(Factor(r.quantity, r.unit), expected, expected * 5e-15)
        << r.quantity << "," << r.unit << " is " << r.ratio << " × unit " << r.other;
  }
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
  EXPECT_EQ(Convert({1, 0, 1}, 2), 2000);                // 2 km in m
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
