// The transcendental functions of the platform's C runtime. On Windows they are msvcrt's own:
// mingw-w64's replacements are x87 code that is several units in the last place off (its sine
// loses digits near multiples of pi, its 10^-9 is not the nearest double).
#pragma once

namespace tly::libm {

double Sin(double x);
double Cos(double x);
double Tan(double x);
double Atan(double x);
double Exp(double x);
double Log(double x);
double Pow(double x, double y);

}  // namespace tly::libm
