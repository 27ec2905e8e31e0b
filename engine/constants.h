// Numeric constants of the built-in functions. Each is the decimal written here, not the exact
// mathematical value, so that results come out the same to the last bit.
#pragma once

namespace tly::k {

inline constexpr double kHalfPi = 1.570796326794895;
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kTwoPi = 6.28318530717958;
inline constexpr double kLn10 = 2.30258509299405;
inline constexpr double kDegree = 0.017453292519943278;  // nearest double to kPi / 180

}  // namespace tly::k
