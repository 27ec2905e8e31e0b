#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>

#include "conversion.h"
#include "numbered_error.h"
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

// Sizes from their definitions, in the base unit of each quantity, reached by another road
// than the catalogue's own expressions where one exists.
constexpr double kInch = 0.0254, kFoot = 12 * kInch, kYard = 3 * kFoot;
constexpr double kShaku = 10.0 / 33, kKen = 6 * kShaku, kCho = 60 * kKen;  // 1 尺 = 10/33 m
constexpr double kTsubo = kKen * kKen;                                     // 1 坪 = 1 間²
constexpr double kSho = 2401.0 / 1331 * 1000;  // 1 升 in cm³ (64.827 cubic 寸)
constexpr double kUsGallon = 231 * 2.54 * 2.54 * 2.54, kUkGallon = 4546.092;
constexpr double kPound = 0.45359237, kKan = 3.75;
constexpr double kDegree = 3.14159265358979 / 180, kG = 9.80665;

struct FactorCase {
  int quantity, unit;
  double expected;
};

// Every unit of the catalogue.
const FactorCase kDefinitions[] = {
    // prefixes
    {0, 0, 1e24},
    {0, 1, 1e21},
    {0, 2, 1e18},
    {0, 3, 1e15},
    {0, 4, 1e12},
    {0, 5, 1e9},
    {0, 6, 1e6},
    {0, 7, 1e3},
    {0, 8, 1e2},
    {0, 9, 1e1},
    {0, 10, 1},
    {0, 11, 1e-1},
    {0, 12, 1e-2},
    {0, 13, 1e-3},
    {0, 14, 1e-6},
    {0, 15, 1e-9},
    {0, 16, 1e-12},
    {0, 17, 1e-15},
    {0, 18, 1e-18},
    {0, 19, 1e-21},
    {0, 20, 1e-24},
    // length, m
    {1, 0, 1000},
    {1, 1, 1},
    {1, 2, 0.01},
    {1, 3, 0.001},
    {1, 4, 1e-6},
    {1, 5, 1e-9},
    {1, 6, 1e-10},
    {1, 7, 1e-15},
    {1, 8, 1760 * kYard},
    {1, 9, 220 * kYard},
    {1, 10, 22 * kYard},
    {1, 11, 5.5 * kYard},
    {1, 12, 0.9144},
    {1, 13, 0.3048},
    {1, 14, kInch},
    {1, 15, kInch / 1000},
    {1, 16, 6 * kFoot},
    {1, 17, 36 * kCho},
    {1, 18, kCho},
    {1, 19, 10 * kShaku},
    {1, 20, kKen},
    {1, 21, kShaku},
    {1, 22, kShaku / 10},
    {1, 23, kShaku / 100},
    {1, 24, kShaku / 1000},
    {1, 25, kInch / 72},
    {1, 26, kInch / 1440},
    {1, 27, 1852},
    {1, 28, 1.0020772e-13},
    {1, 29, 5.29177249e-11},
    {1, 30, 1.4959787e11},
    {1, 31, 9.46053620706802e15},
    {1, 32, 3.0856776e22},
    {1, 33, 3.0856776e19},
    {1, 34, 3.0856776e16},
    // area, m²
    {2, 0, 1e6},
    {2, 1, 1},
    {2, 2, 1e-4},
    {2, 3, 1e4},
    {2, 4, 100},
    {2, 5, (1760 * kYard) * (1760 * kYard)},
    {2, 6, 4840 * kYard* kYard},
    {2, 7, kYard* kYard},
    {2, 8, kFoot* kFoot},
    {2, 9, kInch* kInch},
    {2, 10, 3000 * kTsubo},
    {2, 11, 300 * kTsubo},
    {2, 12, 30 * kTsubo},
    {2, 13, kTsubo},
    {2, 14, kTsubo / 10},
    {2, 15, kTsubo / 36},
    {2, 16, kTsubo / 100},
    {2, 17, 1e-28},
    // volume, cm³
    {3, 0, 1e6},
    {3, 1, 1},
    {3, 2, 1e6},
    {3, 3, 1e3},
    {3, 4, 100},
    {3, 5, 1},
    {3, 6, 1},
    {3, 7, 1728 * 2.54 * 2.54 * 2.54},
    {3, 8, 2.54 * 2.54 * 2.54},
    {3, 9, 42 * kUsGallon},
    {3, 10, 9.309 * kUsGallon},
    {3, 11, kUsGallon},
    {3, 12, kUsGallon / 4},
    {3, 13, kUsGallon / 8},
    {3, 14, kUsGallon / 16},
    {3, 15, kUsGallon / 128},
    {3, 16, kUsGallon / 256},
    {3, 17, kUsGallon / 768},
    {3, 18, 7.996 * kUkGallon},
    {3, 19, kUkGallon},
    {3, 20, kUkGallon / 4},
    {3, 21, kUkGallon / 8},
    {3, 22, kUkGallon / 32},
    {3, 23, kUkGallon / 160},
    {3, 24, std::pow(600 * kShaku, 3)},
    {3, 25, std::pow(100 * kShaku, 3)},
    {3, 26, 100 * kSho},
    {3, 27, 72156.2734785871},
    {3, 28, 10 * kSho},
    {3, 29, kSho},
    {3, 30, kSho / 10},
    {3, 31, kSho / 100},
    {3, 32, kSho / 1000},
    {3, 33, kSho / 1e4},
    {3, 34, kSho / 1e5},
    {3, 35, kSho / 1e6},
    // mass, kg
    {4, 0, 1000},
    {4, 1, 1},
    {4, 2, 1e-3},
    {4, 3, 1e-6},
    {4, 4, 1e-9},
    {4, 5, 2240 * kPound},
    {4, 6, 2000 * kPound},
    {4, 7, kPound},
    {4, 8, kPound / 16},
    {4, 9, kPound / 256},
    {4, 10, kKan},
    {4, 11, 0.6},
    {4, 12, 0.0375},
    {4, 13, 0.00375},
    {4, 14, 0.000375},
    {4, 15, 0.0000375},
    {4, 16, 0.00000375},
    {4, 17, 0.0002},
    {4, 18, 1.6605402e-27},
    // time, s
    {5, 0, 365.2596 * 86400},
    {5, 1, 365.2564 * 86400},
    {5, 2, 365.2425 * 86400},
    {5, 3, 365.2422 * 86400},
    {5, 4, 31536000},
    {5, 5, 346.6201 * 86400},
    {5, 6, 2592000},
    {5, 7, 29.530589 * 86400},
    {5, 8, 27.55455 * 86400},
    {5, 9, 27.321662 * 86400},
    {5, 10, 27.321582 * 86400},
    {5, 11, 27.212221 * 86400},
    {5, 12, 604800},
    {5, 13, 86400},
    {5, 14, 86164.09050000000},
    {5, 15, 3600},
    {5, 16, 60},
    {5, 17, 1},
    {5, 18, 1e-3},
    {5, 19, 1e-6},
    {5, 20, 1e-9},
    {5, 21, 1e-12},
    // speed, m/s
    {6, 0, 1000.0 / 3600},
    {6, 1, 1000.0 / 60},
    {6, 2, 1000},
    {6, 3, 1.0 / 3600},
    {6, 4, 1.0 / 60},
    {6, 5, 1},
    {6, 6, 0.01 / 3600},
    {6, 7, 0.01 / 60},
    {6, 8, 0.01},
    {6, 9, 1760 * kYard / 3600},
    {6, 10, 1852.0 / 3600},
    {6, 11, 331.45},
    {6, 12, 299792458},
    // acceleration, m/s²
    {7, 0, 1000.0 / 3600},
    {7, 1, 1},
    {7, 2, 0.01},
    {7, 3, 0.01},
    {7, 4, kG},
    // angle, rad
    {8, 0, kDegree},
    {8, 1, kDegree / 60},
    {8, 2, kDegree / 3600},
    {8, 3, 1},
    {8, 4, kDegree * 0.9},
    {8, 5, kDegree * 90},
    {8, 6, 2 * 3.14159265358979},
    {8, 7, kDegree * 3.6},
    // force, N
    {9, 0, 1000},
    {9, 1, 1},
    {9, 2, 1e-5},
    {9, 3, 1},
    {9, 4, 100},
    {9, 5, kG},
    {9, 6, kG / 1000},
    {9, 7, kG},
    // energy, J
    {10, 0, 1e6},
    {10, 1, 1e3},
    {10, 2, 1},
    {10, 3, 1e-3},
    {10, 4, 1e-7},
    {10, 5, 3.6e6},
    {10, 6, 3600},
    {10, 7, 1},
    {10, 8, 1e-7},
    {10, 9, 1.380658e-23},
    {10, 10, 1.60217733e-13},
    {10, 11, 1.60217733e-16},
    {10, 12, 1.60217733e-19},
    {10, 13, 1.60217733e-22},
    {10, 14, 3600000.0 / 860},
    {10, 15, 3600.0 / 860},
    {10, 16, 4184},
    {10, 17, 1055.06},
    {10, 18, 6.6260755e-25},
    {10, 19, 6.6260755e-28},
    {10, 20, 6.6260755e-31},
    {10, 21, 6.6260755e-34},
    {10, 22, 6.6260755e-34 * 299792458 * 100},
    // power, W
    {11, 0, 1e6},
    {11, 1, 1e3},
    {11, 2, 1},
    {11, 3, 1e-3},
    {11, 4, 1e-6},
    {11, 5, 735.5},
    {11, 6, 745.7},
    {11, 7, 1000.0 / 860},
    {11, 8, 1.0 / 860},
    {11, 9, 3600.0 / 860},
    // pressure, Pa
    {12, 0, 1e6},
    {12, 1, 1e3},
    {12, 2, 100},
    {12, 3, 1},
    {12, 4, 1e-3},
    {12, 5, 1},
    {12, 6, 0.1},
    {12, 7, 1e5},
    {12, 8, 100},
    {12, 9, 101325},
    {12, 10, 101325.0 / 76},
    {12, 11, 101325.0 / 760},
    {12, 12, 101325.0 / 760},
    {12, 13, kG},
    {12, 14, kG * 1e4},
    {12, 15, kG * 10},
    {12, 16, kPound* kG / (kInch * kInch)},
    // information, byte
    {13, 0, 1099511627776},
    {13, 1, 1073741824},
    {13, 2, 1048576},
    {13, 3, 1024},
    {13, 4, 1},
    {13, 5, 1e9 / 8},
    {13, 6, 1e6 / 8},
    {13, 7, 1e3 / 8},
    {13, 8, 0.125},
    {13, 9, 1},
    {13, 10, 0.5},
};

TEST(UnitFactor, EveryUnitHasTheSizeOfItsDefinition) {
  int count = 0;
  for (const FactorCase& c : kDefinitions) {
    // The catalogue's decimals (15-digit literals such as 0.0277777777777778 for 1/36 or the
    // calorie written as 4.18604651162791) agree with the definitions to a few parts in 1e15.
    EXPECT_NEAR(Factor(c.quantity, c.unit), c.expected, std::fabs(c.expected) * 5e-15)
        << "quantity " << c.quantity << " unit " << c.unit;
    ++count;
  }
  EXPECT_EQ(count, 246);
}

TEST(UnitFactor, EdgeCasesToTheBit) {
  struct Exact {
    int q, u;
    double value;
  };
  for (Exact e :
       {Exact{0, 10, 1}, Exact{0, 14, 1e-6}, Exact{1, 8, 1609.3439999999998},
        Exact{1, 17, 3927.2727272727275}, Exact{3, 27, 72156.2734785871}, Exact{4, 4, 1e-9},
        Exact{6, 0, 0.2777777777777778}, Exact{7, 0, 0.277777777777778}, Exact{8, 3, 1},
        Exact{8, 0, 0.017453292519943278}, Exact{8, 6, 6.28318530717958},
        Exact{12, 11, 101325.0 / 760}, Exact{12, 12, 101325.0 / 760}, Exact{13, 0, 1099511627776},
        Exact{13, 5, 125000000}, Exact{2, 6, 4046.856422400012}, Exact{9, 4, 100}})
    EXPECT_EQ(Bits(Factor(e.q, e.u)), Bits(e.value)) << e.q << "," << e.u;
}

TEST(UnitFactor, OutsideTheCatalogueIsZero) {
  EXPECT_EQ(Factor(14, 0), 0);
  EXPECT_EQ(Factor(-1, 0), 0);
  EXPECT_EQ(Factor(1, 35), 0);
  EXPECT_EQ(Factor(1, -1), 0);
  EXPECT_EQ(Factor(7, 5), 0);
  EXPECT_EQ(Factor(32767, 32767), 0);
}

TEST(UnitFactor, InitialUnitsAreTheBaseUnits) {
  const char* names[] = {"なし",         "m", "㎡", "立方cm", "kg", "秒 s",     "m/s", "m/s2",
                         "ラジアン rad", "N", "J",  "W",      "Pa", "B（byte）"};
  for (int q = 0; q < kQuantityCount; ++q) {
    EXPECT_EQ(Factor(q, InitialUnit(q)), 1) << q;
    EXPECT_EQ(LoadString(FirstUnitString(q) + InitialUnit(q)), names[q]) << q;
  }
}

TEST(Catalogue, UnitListsMatchTheStringTable) {
  int total = 0;
  for (int q = 0; q < kQuantityCount; ++q) {
    const auto units = LoadList(FirstUnitString(q));
    EXPECT_EQ(static_cast<int>(units.size()), UnitCount(q)) << q;
    EXPECT_EQ(LoadString(FirstUnitString(q) + UnitCount(q)), "*") << q;
    total += static_cast<int>(units.size());
  }
  EXPECT_EQ(total, 246);
  EXPECT_EQ(LoadList(FirstUnitString(1)).size(), 35u);
}

TEST(Conversion, MultipliesFirstAndDividesSecond) {
  EXPECT_EQ(Convert({1, 0, 1}, 2), 2000);                // 2 km in m
  EXPECT_EQ(Convert({1, 8, 1}, 1), 1609.3439999999998);  // 1 mile in m
  EXPECT_EQ(Convert({1, 1, 8}, 1609.3439999999998), 1);
  EXPECT_EQ(Convert({5, 17, 17}, 42), 42);
  EXPECT_EQ(Convert({8, 0, 3}, 180), 180 * 0.017453292519943278);
  EXPECT_TRUE(IsValid({13, 10, 0}));
  EXPECT_FALSE(IsValid({13, 11, 0}));
  EXPECT_FALSE(IsValid({14, 0, 0}));
  EXPECT_FALSE(IsValid({0, 0, -1}));
}

TEST(Conversion, OverflowIsError6) {
  try {
    Convert({0, 0, 20}, 1e300);  // yotta to yocto: 1e300 × 1e24 overflows
    FAIL();
  } catch (const NumberedError& e) {
    EXPECT_EQ(e.number(), 6);
  }
}

}  // namespace
}  // namespace tly
