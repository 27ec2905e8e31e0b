#include "unit_factor.h"

#include <array>
#include <initializer_list>

#include "libm.h"

namespace tly {
namespace {

constexpr std::array<int, kQuantityCount> kUnitCounts = {21, 35, 18, 36, 19, 22, 13,
                                                         5,  8,  8,  23, 10, 17, 11};
constexpr std::array<int, kQuantityCount> kInitialUnits = {10, 1, 1, 1, 1, 17, 5,
                                                           1,  3, 1, 2, 2, 3,  4};

// The number of unit `u` in a group of units that starts at `first`.
double Pick(int u, int first, std::initializer_list<double> numbers) {
  return numbers.begin()[u - first];
}

double Pow10(double e) { return libm::Pow(10.0, e); }

constexpr double kInch = 0.0254;                  // m
constexpr double kSun = 33;                       // 寸 per m
constexpr double kParsec = 3.0856776e16;          // m
constexpr double kUsGallon = 3785.411784;         // cm³
constexpr double kImperialGallon = 4546.092;      // cm³
constexpr double kPound = 0.45359237;             // kg
constexpr double kDay = 86400;                    // s
constexpr double kDegree = 0.017453292519943278;  // 3.14159265358979 / 180 rad
constexpr double kStandardGravity = 9.80665;      // m/s²
constexpr double kElectronVolt = 1.60217733e-19;  // J
constexpr double kCalorie = 4.18604651162791;     // J, 3600 / 860 to 15 digits
constexpr double kPlanck = 6.6260755e-34;         // J·s

double Prefix(int u) {
  return Pow10(Pick(
      u, 0, {24, 21, 18, 15, 12, 9, 6, 3, 2, 1, 0, -1, -2, -3, -6, -9, -12, -15, -18, -21, -24}));
}

double Length(int u) {
  if (u <= 7) return Pow10(Pick(u, 0, {3, 0, -2, -3, -6, -9, -10, -15}));
  if (u <= 16) return Pick(u, 8, {63360, 7920, 792, 198, 36, 12, 1, 0.001, 72}) * kInch;
  if (u <= 24) return Pick(u, 17, {129600, 3600, 100, 60, 10, 1, 0.1, 0.01}) / kSun;
  if (u <= 26) return kInch / Pick(u, 25, {72, 1440});
  if (u <= 31)
    return Pick(u, 27, {1852, 1.0020772e-13, 5.29177249e-11, 149597870000, 9460536207068020});
  return Pick(u, 32, {1000000, 1000, 1}) * kParsec;
}

double Area(int u) {
  if (u <= 4) return Pow10(Pick(u, 0, {6, 0, -4, 4, 2}));
  if (u <= 9) return libm::Pow(Pick(u, 5, {63360, 2504.52390685336, 36, 12, 1}) * kInch, 2);
  if (u <= 16) return (Pick(u, 10, {3000, 300, 30, 1, 0.1, 0.0277777777777778, 0.01}) / 121) * 400;
  return 1e-28;
}

double Volume(int u) {
  if (u <= 6) return Pow10(Pick(u, 0, {6, 0, 6, 3, 2, 0, 0}));
  if (u <= 8) return libm::Pow(Pick(u, 7, {12, 1}) * 2.54, 3);
  if (u <= 11) return Pick(u, 9, {42, 9.309, 1}) * kUsGallon;
  if (u <= 17) return kUsGallon / Pick(u, 12, {4, 8, 16, 128, 256, 768});
  if (u <= 23) return Pick(u, 18, {7.996, 1, 0.25, 0.125, 0.03125, 0.00625}) * kImperialGallon;
  if (u <= 25) return libm::Pow((Pick(u, 24, {6, 1}) * 1000) / kSun, 3);
  // 石 and its parts: one 升 is 2401 / 1331 litres.
  return (Pow10(Pick(u, 26, {5, 4.60205999132796, 4, 3, 2, 1, 0, -1, -2, -3})) * 2401) / 1331;
}

double Mass(int u) {
  if (u <= 4) return Pow10(Pick(u, 0, {3, 0, -3, -6, -9}));
  if (u <= 9) return Pick(u, 5, {2240, 2000, 1, 0.0625, 0.00390625}) * kPound;
  if (u <= 16) return 3.75 / Pick(u, 10, {1, 6.25, 100, 1000, 10000, 100000, 1000000});
  return Pick(u, 17, {0.0002, 1.6605402e-27});
}

double Time(int u) {
  if (u <= 14)
    return Pick(u, 0,
                {365.2596, 365.2564, 365.2425, 365.2422, 365, 346.6201, 30, 29.530589, 27.55455,
                 27.321662, 27.321582, 27.212221, 7, 1, 0.997269565972222}) *
           kDay;
  if (u <= 17) return Pick(u, 15, {3600, 60, 1});
  return Pow10(Pick(u, 18, {-3, -6, -9, -12}));
}

double Speed(int u) {
  // The nine metric speeds: {km, m, cm} per {h, min, s}.
  if (u <= 8) return Pick(u / 3, 0, {1000, 1, 0.01}) / Pick(u % 3, 0, {3600, 60, 1});
  if (u <= 10) return Pick(u, 9, {1609.344, 1852}) / 3600;
  return Pick(u, 11, {331.45, 299792458});
}

double Acceleration(int u) { return Pick(u, 0, {0.277777777777778, 1, 0.01, 0.01, 9.80665}); }

double Angle(int u) {
  if (u <= 2) return kDegree / Pick(u, 0, {1, 60, 3600});
  if (u == 3) return 1;
  return Pick(u, 4, {0.9, 90, 360, 3.6}) * kDegree;
}

double Force(int u) {
  // J/m is 1 N, and J/cm is 100 N.
  if (u <= 4) return Pow10(Pick(u, 0, {3, 0, -5, 0, 2}));
  return Pick(u, 5, {1, 0.001, 1}) * kStandardGravity;
}

double Energy(int u) {
  if (u <= 9)
    return Pick(u, 0, {1000000, 1000, 1, 0.001, 1e-7, 3600000, 3600, 1, 1e-7, 1.380658e-23});
  if (u <= 13) return Pick(u, 10, {1000000, 1000, 1, 0.001}) * kElectronVolt;
  if (u <= 15) return Pick(u, 14, {1000, 1}) * kCalorie;
  if (u <= 17) return Pick(u, 16, {4184, 1055.06});
  return Pick(u, 18, {1000000000, 1000000, 1000, 1, 29979245800}) * kPlanck;
}

double Power(int u) {
  if (u <= 6) return Pick(u, 0, {1000000, 1000, 1, 0.001, 1e-6, 735.5, 745.7});
  return Pick(u, 7, {1000, 1, 3600}) / 860;
}

double Pressure(int u) {
  if (u <= 8) return Pow10(Pick(u, 0, {6, 3, 2, 0, -3, 0, -1, 5, 2}));
  if (u <= 12) return 101325 / Pick(u, 9, {1, 76, 760, 760});
  return Pick(u, 13, {1, 10000, 10, 703.069579639159}) * kStandardGravity;
}

double Information(int u) {
  if (u <= 4) return libm::Pow(2.0, Pick(u, 0, {40, 30, 20, 10, 0}));
  return Pick(u, 5, {125000000, 125000, 125, 0.125, 1, 0.5});
}

}  // namespace

int UnitCount(int quantity) {
  if (quantity < 0 || quantity >= kQuantityCount) return 0;
  return kUnitCounts[static_cast<std::size_t>(quantity)];
}

int InitialUnit(int quantity) {
  if (quantity < 0 || quantity >= kQuantityCount) return 0;
  return kInitialUnits[static_cast<std::size_t>(quantity)];
}

double UnitFactor(std::int16_t quantity, std::int16_t unit) {
  if (unit < 0 || unit >= UnitCount(quantity)) return 0;
  switch (quantity) {
    case 0: return Prefix(unit);
    case 1: return Length(unit);
    case 2: return Area(unit);
    case 3: return Volume(unit);
    case 4: return Mass(unit);
    case 5: return Time(unit);
    case 6: return Speed(unit);
    case 7: return Acceleration(unit);
    case 8: return Angle(unit);
    case 9: return Force(unit);
    case 10: return Energy(unit);
    case 11: return Power(unit);
    case 12: return Pressure(unit);
    default: return Information(unit);
  }
}

}  // namespace tly
