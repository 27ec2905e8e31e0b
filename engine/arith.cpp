#include "arith.h"

namespace tly {

double Pow(double a, double b) {
  if (a < 0 && !IsInteger(b)) Raise(err::kInvalidArgument);
  if (a == 0 && b < 0) Raise(err::kDivisionByZero);
  // A square is the one product that needs no power function: a × a is already the nearest
  // double to the exact square, which a power function may miss by a unit.
  if (b == 2) return Mul(a, a);
  return Checked(libm::Pow(a, b));
}

}  // namespace tly
