#include "libm.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace tly::libm {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// ln of the largest power of two that rounds to zero.
constexpr double kLnUnderflow = -0x1.74910d52d3052p+9;  // -1075 ln 2
// How far y ln|x| may be off the exact value: a few units in the last place of numbers
// below 1000, with a wide margin.
constexpr double kSlack = 1e-9;

}  // namespace

// The size of the result, y ln|x|, decides outside a narrow band around the limits; inside
// it, where the result may be the smallest or largest double, the runtime decides. The binary
// exponent of a normal x bounds that size from both sides, which settles most arguments
// without the logarithm.
double Pow(double x, double y) {
  if (y == 0) return 1;
  if (x < 0 && std::floor(y) != y) return std::numeric_limits<double>::quiet_NaN();
  const int exponent = static_cast<int>(std::bit_cast<std::uint64_t>(x) >> 52 & 0x7ff) - 1023;
  if (exponent > -1023) {  // 2^exponent <= |x| < 2^(exponent + 1)
    const double a = y * exponent, b = y * (exponent + 1);
    if (std::min(a, b) > -1074 && std::max(a, b) < 1023) return runtime::Pow(x, y);
  }
  const bool odd = std::floor(y) == y && std::floor(y / 2) * 2 != y;
  if (x == 0) return y > 0 ? (odd ? x : 0.0) : std::copysign(kInfinity, odd ? x : 1.0);
  const double sign = x < 0 && odd ? -1.0 : 1.0;
  const double size = y * runtime::Log(std::fabs(x));
  if (size > kLnOverflow + kSlack) return sign * kInfinity;
  if (size < kLnUnderflow - kSlack) return sign * 0.0;
  return runtime::Pow(x, y);
}

}  // namespace tly::libm
