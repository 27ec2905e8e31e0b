// The unit catalogue: fourteen quantities, each with an ordered list of units. Each unit is one
// row of the string table (strings.inc) that holds its name and its size; quantity q is named by
// string ids::kQuantityNames + q and its units by the strings from FirstUnitString(q) on, so
// quantities and units are known here only by their positions in those lists.
#pragma once

#include <cstdint>

#include "string_ids.h"

namespace tly {

inline constexpr int kQuantityCount = 14;

inline constexpr int kUnitStringsPerQuantity = 50;

constexpr int FirstUnitString(int quantity) {
  return ids::kUnitNames + kUnitStringsPerQuantity * quantity;
}

// Number of units of `quantity`, 0 outside 0 ... 13.
int UnitCount(int quantity);

// The size of one `unit` of `quantity` in the quantity's base unit, computed afresh at every
// call in the order the definition is written. 0 for a quantity or unit outside the catalogue.
double UnitFactor(std::int16_t quantity, std::int16_t unit);

// The unit both lists of the conversion panel select whenever `quantity` is selected: the
// first one whose factor is exactly 1.
int InitialUnit(int quantity);

}  // namespace tly
