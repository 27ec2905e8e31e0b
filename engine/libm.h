// The transcendental functions, computed by the platform's C runtime. On Windows they are
// msvcrt's own: mingw-w64's replacements are x87 code that is several units in the last place
// off (its sine loses digits near multiples of pi, its 10^-9 is not the nearest double).
//
// What a runtime answers on its error paths (overflow, underflow, a pole, a domain error) is
// its own: Wine's msvcrt gives 1 + x for exp(x) at x <= -1024. So these functions decide those
// ranges themselves and hand the runtime only arguments with a finite, non-zero result (or,
// for pow, a result so close to the largest or smallest double that only the runtime's
// rounding can tell). A result that underflows is zero, signed as the exact result; one that
// overflows is infinite, which the engine's checked arithmetic reports as an overflow.
#pragma once

#include <limits>

namespace tly::libm {

// ln of the largest double, which rounds to the same double as 1024 ln 2: above it exp overflows.
inline constexpr double kLnOverflow = 0x1.62e42fefa39efp+9;

// The runtime's own functions.
namespace runtime {
double Sin(double x);
double Cos(double x);
double Tan(double x);
double Atan(double x);
double Exp(double x);
double Log(double x);
double Pow(double x, double y);
}  // namespace runtime

// Every finite argument has a finite result; the engine passes no other.
inline double Sin(double x) { return runtime::Sin(x); }
inline double Cos(double x) { return runtime::Cos(x); }
inline double Tan(double x) { return runtime::Tan(x); }
inline double Atan(double x) { return runtime::Atan(x); }

inline double Exp(double x) {
  // Below -1075 ln 2 the result rounds to zero; above ln of the largest double it overflows.
  // Both bounds are the last arguments of a non-zero and of a finite result.
  if (x < -0x1.74910d52d3051p+9) return 0;
  if (x > kLnOverflow) return std::numeric_limits<double>::infinity();
  return runtime::Exp(x);
}

inline double Log(double x) {
  if (x > 0) return runtime::Log(x);
  return x == 0 ? -std::numeric_limits<double>::infinity()
                : std::numeric_limits<double>::quiet_NaN();
}

// x^y; a negative x needs an integer y (NaN otherwise).
double Pow(double x, double y);

}  // namespace tly::libm
