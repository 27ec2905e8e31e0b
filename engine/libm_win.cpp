// Calls msvcrt.dll through its import table entries, past the libmingwex functions that the
// linker would otherwise bind to the same names.
#include "libm.h"

extern "C" {
extern double (*__imp_sin)(double);
extern double (*__imp_cos)(double);
extern double (*__imp_tan)(double);
extern double (*__imp_atan)(double);
extern double (*__imp_exp)(double);
extern double (*__imp_log)(double);
extern double (*__imp_pow)(double, double);
}

namespace tly::libm::runtime {

double Sin(double x) { return __imp_sin(x); }
double Cos(double x) { return __imp_cos(x); }
double Tan(double x) { return __imp_tan(x); }
double Atan(double x) { return __imp_atan(x); }
double Exp(double x) { return __imp_exp(x); }
double Log(double x) { return __imp_log(x); }
double Pow(double x, double y) { return __imp_pow(x, y); }

}  // namespace tly::libm::runtime
