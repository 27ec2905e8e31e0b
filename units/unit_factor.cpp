#include "unit_factor.h"

#include <array>

#include "constants.h"
#include "libm.h"
#include "powers_of_ten.h"

namespace tly {
namespace {

// The sizes that the units of strings.inc are written with. Where the formula language has
// the same constant (#c, #e, #g, #h, #k), the unit uses that constant, so both agree to the bit.
constexpr double kInch = 0.0254;                        // m
constexpr double kSun = 33;                             // 寸 per m: 1 尺 is 10/33 m
constexpr double kParsec = 3.0856776e16;                // m
constexpr double kUsGallon = 3785.411784;               // cm³, 231 cubic inches
constexpr double kImperialGallon = 4546.092;            // cm³
constexpr double kPound = 0.45359237;                   // kg
constexpr double kKan = 3.75;                           // kg, 1 貫
constexpr double kDay = 86400;                          // s
constexpr double kCalorie = 4.18604651162791;           // J, 3600 / 860 to 15 digits
using k::kBoltzmann;                                    // J/K, #k
using k::kPlanck;                                       // J·s, #h
using k::kSpeedOfLight;                                 // m/s, #c
using k::kStandardGravity;                              // m/s², #g
constexpr double kElectronVolt = k::kElementaryCharge;  // J, #e

#define TLY_STRING(name, id, text)
#define TLY_BASE(name, id)
#define TLY_ITEM(id, text)

#define TLY_UNIT(id, text, size) id,
constexpr int kUnitIds[] = {
#include "strings.inc"
};
#undef TLY_UNIT

// A unit's number is its place in its quantity's list, so the ids of a quantity's units must
// follow one another from FirstUnitString(q), quantity after quantity.
constexpr bool UnitIdsFollowOneAnother() {
  int quantity = 0, unit = 0;
  for (int id : kUnitIds) {
    if (id != FirstUnitString(quantity) + unit) {
      ++quantity;
      unit = 0;
    }
    if (quantity >= kQuantityCount || id != FirstUnitString(quantity) + unit) return false;
    ++unit;
  }
  return quantity == kQuantityCount - 1;
}
static_assert(UnitIdsFollowOneAnother(), "strings.inc numbers each quantity's units 0, 1, 2, ...");

constexpr std::array<int, kQuantityCount> CountUnits() {
  std::array<int, kQuantityCount> counts{};
  for (int id : kUnitIds)
    ++counts[static_cast<std::size_t>((id - ids::kUnitNames) / kUnitStringsPerQuantity)];
  return counts;
}
constexpr std::array<int, kQuantityCount> kUnitCounts = CountUnits();

}  // namespace

int UnitCount(int quantity) {
  if (quantity < 0 || quantity >= kQuantityCount) return 0;
  return kUnitCounts[static_cast<std::size_t>(quantity)];
}

int InitialUnit(int quantity) {
  for (int unit = 0; unit < UnitCount(quantity); ++unit) {
    if (UnitFactor(static_cast<std::int16_t>(quantity), static_cast<std::int16_t>(unit)) == 1)
      return unit;
  }
  return 0;
}

double UnitFactor(std::int16_t quantity, std::int16_t unit) {
  if (unit < 0 || unit >= UnitCount(quantity)) return 0;
  switch (FirstUnitString(quantity) + unit) {
#define TLY_UNIT(id, text, size) \
  case id:                       \
    return size;
#include "strings.inc"
#undef TLY_UNIT
  }
  return 0;
}

#undef TLY_STRING
#undef TLY_BASE
#undef TLY_ITEM

}  // namespace tly
