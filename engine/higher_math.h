// Special functions and probability distributions, carried by four routines: LogGamma,
// GammaP, BetaI and Bessel.
#pragma once

namespace tly {

double LogGamma(double x);                   // ln |gamma(x)|
double GammaP(double a, double x);           // regularized lower incomplete gamma P(a, x)
double BetaI(double x, double a, double b);  // regularized incomplete beta I_x(a, b)
double Bessel(int kind, double x, int n);    // kind 0: J_n(x), kind 1: Y_n(x)

// Formula functions.
double GammaFn(double x);
double BetaFn(double a, double b);
double BesselJ(double x, double n);
double BesselY(double x, double n);
double Erf(double x);
double Erfc(double x);
double Gauss(double x, double c, double w, double h);
double Lorentz(double x, double c, double w, double h);
double Normal(double x, double m, double s, double mode);
double Binom(double n, double k, double p, double mode);
double FDist(double x, double d1, double d2, double mode);
double TDist(double t, double v, double mode);
double ChiDist(double x, double v, double mode);

}  // namespace tly
