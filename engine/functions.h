// The built-in functions that the catalogue calls by slot code: the elementary, combinatorial,
// random, list, date and time functions (the special functions are in higher_math.h). Each
// returns its result or raises a numbered error.
#pragma once

#include <cmath>

#include "arith.h"
#include "constants.h"
#include "higher_math.h"
#include "libm.h"
#include "state.h"

namespace tly {

inline double Sin(double x) { return libm::Sin(x); }
inline double Cos(double x) { return libm::Cos(x); }
inline double Tan(double x) { return Checked(libm::Tan(x)); }
double Asin(double x);
double Acos(double x);
inline double Atan(double x) { return libm::Atan(x); }
double Sinh(double x);
double Cosh(double x);
double Tanh(double x);
double Asinh(double x);
double Acosh(double x);
double Atanh(double x);
double Log(double x);
inline double Abs(double x) { return std::fabs(x); }
inline double Int(double x) { return std::floor(x); }
inline double SgnFn(double x) { return Sgn(x); }
inline double Rad(double x) { return Mul(x, k::kDegree); }
inline double Deg(double x) { return Div(x, k::kDegree); }
double Db(double x);
double Sinc(double x);
double Fact(double x);
inline double Rcp(double x) { return Div(1, x); }

double Round(double x, double n);
double Floor(double x, double s);
double Ceil(double x, double s);
inline double Hypot(double a, double b) { return Sqrt(Add(Mul(a, a), Mul(b, b))); }
double Arg(double x, double y);
double Npr(double n, double r);
double Ncr(double n, double r);
double GcdFn(double a, double b);
double Lcm(double a, double b);

double Rnd(State& state, double a, double b);
double Nrnd(State& state, double m, double s);

// The lists take their arguments in formula order, at least one.
enum class ListKind { kSum, kAvg, kMin, kMax, kVar, kStd, kProd, kGeo, kHar };
double List(ListKind kind, const double* x, int n);
inline double Sum(const double* x, int n) { return List(ListKind::kSum, x, n); }
inline double Avg(const double* x, int n) { return List(ListKind::kAvg, x, n); }
inline double Min(const double* x, int n) { return List(ListKind::kMin, x, n); }
inline double Max(const double* x, int n) { return List(ListKind::kMax, x, n); }
inline double Var(const double* x, int n) { return List(ListKind::kVar, x, n); }
inline double Std(const double* x, int n) { return List(ListKind::kStd, x, n); }
inline double Prod(const double* x, int n) { return List(ListKind::kProd, x, n); }
inline double Geo(const double* x, int n) { return List(ListKind::kGeo, x, n); }
inline double Har(const double* x, int n) { return List(ListKind::kHar, x, n); }
double Series(const double* x, int n);  // x, p, s, c0, c1, ...

double Date(double y, double m, double d);
double Time(double h, double m, double s);
double Now(State& state, double part);
double Ymd(double d, double part);

}  // namespace tly
