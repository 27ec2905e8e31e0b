// Converting a result from one unit of a quantity to another.
#pragma once

#include <cstdint>

namespace tly {

struct Conversion {
  int quantity;
  int from_unit;  // the unit of the formula
  int to_unit;    // the unit of the result
};

// True when the quantity and both units are in the catalogue.
bool IsValid(const Conversion& c);

// UnitFactor(q, from) × r / UnitFactor(q, to): multiplied first, divided second, checked
// like the engine's own arithmetic (error 6 on overflow, 11 on a division by zero).
double Convert(const Conversion& c, double r);

}  // namespace tly
