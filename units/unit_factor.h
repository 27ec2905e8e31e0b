// The unit catalogue: fourteen quantities, each with an ordered list of units, and the size of
// every unit in its quantity's base unit. The names live in the string table (quantity q at
// 2000 + q, its units from 2050 + 50 q on); quantities and units are known here only by their
// positions in those lists.
#pragma once

#include <cstdint>

namespace tly {

inline constexpr int kQuantityCount = 14;
inline constexpr int kFirstQuantityString = 2000;

constexpr int FirstUnitString(int quantity) { return 2050 + 50 * quantity; }

// Number of units of `quantity`, 0 outside 0 ... 13.
int UnitCount(int quantity);

// The size of one `unit` of `quantity` in the quantity's base unit, computed afresh at every
// call in the order the definition is written. 0 for a quantity or unit outside the catalogue.
double UnitFactor(std::int16_t quantity, std::int16_t unit);

// The unit both lists of the conversion panel select whenever `quantity` is selected: the one
// whose factor is exactly 1.
int InitialUnit(int quantity);

}  // namespace tly
