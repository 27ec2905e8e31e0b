#include "conversion.h"

#include "arith.h"
#include "unit_factor.h"

namespace tly {

bool IsValid(const Conversion& c) {
  const int count = UnitCount(c.quantity);
  return count > 0 && c.from_unit >= 0 && c.from_unit < count && c.to_unit >= 0 &&
         c.to_unit < count;
}

double Convert(const Conversion& c, double r) {
  const auto q = static_cast<std::int16_t>(c.quantity);
  const double scaled = Mul(UnitFactor(q, static_cast<std::int16_t>(c.from_unit)), r);
  return Div(scaled, UnitFactor(q, static_cast<std::int16_t>(c.to_unit)));
}

}  // namespace tly
