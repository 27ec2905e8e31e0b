// The built-in functions that the catalogue calls by slot code: the elementary, combinatorial,
// random, list, date and time functions (the special functions are in higher_math.h). Each
// returns its result or raises a numbered error.
#pragma once

#include "higher_math.h"
#include "state.h"

namespace tly {

double Sin(double x);
double Cos(double x);
double Tan(double x);
double Asin(double x);
double Acos(double x);
double Atan(double x);
double Sinh(double x);
double Cosh(double x);
double Tanh(double x);
double Asinh(double x);
double Acosh(double x);
double Atanh(double x);
double Log(double x);
double Abs(double x);
double Int(double x);
double SgnFn(double x);
double Rad(double x);
double Deg(double x);
double Db(double x);
double Sinc(double x);
double Fact(double x);
double Rcp(double x);

double Round(double x, double n);
double Floor(double x, double s);
double Ceil(double x, double s);
double Hypot(double a, double b);
double Arg(double x, double y);
double Npr(double n, double r);
double Ncr(double n, double r);
double GcdFn(double a, double b);
double Lcm(double a, double b);

double Rnd(State& state, double a, double b);
double Nrnd(State& state, double m, double s);

// The lists take their arguments in formula order, at least one.
double Sum(const double* x, int n);
double Avg(const double* x, int n);
double Min(const double* x, int n);
double Max(const double* x, int n);
double Var(const double* x, int n);
double Std(const double* x, int n);
double Prod(const double* x, int n);
double Geo(const double* x, int n);
double Har(const double* x, int n);
double Series(const double* x, int n);  // x, p, s, c0, c1, ...

double Date(double y, double m, double d);
double Time(double h, double m, double s);
double Now(State& state, double part);
double Ymd(double d, double part);

}  // namespace tly
