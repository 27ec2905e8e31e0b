// Checked arithmetic for the engine: every operation is tested as it is performed, so that
// an infinity or a NaN never becomes a value. Overflow and invalid operations raise error 6,
// a non-zero number divided by zero raises error 11; underflow is not an error.
#pragma once

#include <cmath>
#include <cstdint>

#include "libm.h"
#include "numbered_error.h"

namespace tly {

// A result computed from finite operands is finite unless the operation overflowed or was
// invalid.
inline double Checked(double r) {
  if (!std::isfinite(r)) [[unlikely]]
    Raise(err::kOverflow);
  return r;
}

inline double Add(double a, double b) { return Checked(a + b); }
inline double Sub(double a, double b) { return Checked(a - b); }
inline double Mul(double a, double b) { return Checked(a * b); }

inline double Div(double a, double b) {
  if (b == 0) [[unlikely]]
    Raise(a == 0 ? err::kOverflow : err::kDivisionByZero);
  return Checked(a / b);
}

// a raised to b. A negative base needs an integer exponent (error 5); zero to a negative
// power is a division by zero (error 11).
double Pow(double a, double b);

inline double Sqrt(double x) {  // error 5 below zero
  if (x < 0) Raise(err::kInvalidArgument);
  return std::sqrt(x);
}

inline double Ln(double x) {  // error 5 at or below zero
  if (x <= 0) Raise(err::kInvalidArgument);
  return libm::Log(x);
}
inline double Exp(double x) { return Checked(libm::Exp(x)); }

// True when x has no fractional part.
inline bool IsInteger(double x) { return std::floor(x) == x; }

inline int Sgn(double x) { return (x > 0) - (x < 0); }

// Rounding to the nearest integer, halves to even (lrint in the default rounding mode);
// error 6 outside the target range. -2147483648.5 rounds to the even -2147483648, while
// 2147483647.5 rounds to 2147483648, which does not fit.
inline std::int32_t Round32(double x) {
  if (!(x >= -2147483648.5 && x < 2147483647.5)) [[unlikely]]
    Raise(err::kOverflow);
  return static_cast<std::int32_t>(std::lrint(x));
}

// The remainder of a by b, both rounded to 32-bit integers, with the sign of a; an error when
// b rounds to zero (division by zero). The remainder by -1 is 0, also for the smallest a, where the
// machine division would trap.
inline std::int32_t IntRemainder(double a, double b) {
  std::int32_t x = Round32(a), y = Round32(b);
  if (y == 0) Raise(err::kDivisionByZero);
  if (y == -1) return 0;
  return x % y;
}

inline std::int16_t Round16(double x) {
  if (!(x >= -32768.5 && x < 32767.5)) [[unlikely]]
    Raise(err::kOverflow);
  return static_cast<std::int16_t>(std::lrint(x));
}

}  // namespace tly
