// Powers of ten with an integer exponent, the same on every build: read from a table of the
// nearest doubles, never computed by the C runtime's power function, which on some platforms
// misses the nearest double by a unit in the last place.
#pragma once

namespace tly {

// The double nearest to 10^n: 0 below 10^-323, infinity above 10^308.
double PowerOfTen(int n);

}  // namespace tly
