// Gamma, beta, incomplete gamma and beta, Bessel functions, the error function, two peak
// shapes and five distributions.
#include "higher_math.h"

#include <algorithm>
#include <limits>

#include "arith.h"
#include "constants.h"

namespace tly {
namespace {

using namespace tly::k;

constexpr double kStirling[] = {1.0 / 12,   -1.0 / 360,        1.0 / 1260, -1.0 / 1680,
                                1.0 / 1188, -691.0 / 360360.0, 1.0 / 156,  -3617.0 / 122400.0};
constexpr double kLogRootTwoPi = 0.918938533204675;
constexpr double kEuler = 0.577215664901533;
constexpr double kBesselStart = 2.22044604925031e-16;
constexpr double kGammaTolerance = 2.22044604925031e-15;
constexpr double kBetaTolerance = 8.88178419700124e-16;
constexpr double kMinusLn2 = -0.693147180559945;

// The routines count their iterations in 16-bit integers; running past 32767 is an overflow
// rather than a wrap.
int Increment16(int k) {
  if (k >= std::numeric_limits<std::int16_t>::max()) Raise(err::kOverflow);
  return k + 1;
}

int Mode(double mode) {
  if (mode != 0 && mode != 1 && mode != 2) Raise(err::kInvalidArgument);
  return static_cast<int>(mode);
}

bool IsPositiveInteger(double v) { return IsInteger(v) && v > 0; }

}  // namespace

// Stirling's series after shifting the argument up to at least 8.
double LogGamma(double x) {
  double y = x, p = 1;
  while (y < 8) {
    p = Mul(p, y);
    y = Add(y, 1);
  }
  const double s = Mul(y, y);
  double series = kStirling[7];
  for (int i = 6; i >= 0; --i) series = Add(Div(series, s), kStirling[i]);
  return Add(Sub(Sub(Add(Div(series, y), kLogRootTwoPi), Ln(p)), y), Mul(Sub(y, 0.5), Ln(y)));
}

double GammaP(double a, double x) {
  if (x == 0) return 0;
  const double g = LogGamma(a);
  if (Add(a, 1) > x) {
    double sum = Div(1, a), term = sum;
    int k = 0;
    while (std::fabs(term) > std::fabs(Mul(sum, kGammaTolerance))) {
      k = Increment16(k);
      term = Div(Mul(term, x), Add(k, a));
      sum = Add(sum, term);
    }
    return Mul(Exp(Sub(Sub(Mul(a, Ln(x)), x), g)), sum);
  }
  // The continued fraction of the upper function Q = 1 - P, summed term by term.
  double f0 = 1, f1 = Sub(Add(x, 1), a), r = 1;
  double sum = Div(1, f1), d = sum;
  int k = 1;
  while (std::fabs(d) > std::fabs(Mul(sum, kGammaTolerance))) {
    k = Increment16(k);
    const double f = Div(Add(Mul(Sub(Sub(k, a), 1), Sub(f1, f0)), Mul(Add(k, x), f1)), k);
    r = Div(Mul(Sub(k - 1, a), r), k);
    d = Div(r, Mul(f, f1));
    sum = Add(sum, d);
    f0 = f1;
    f1 = f;
  }
  return Sub(1, Mul(Exp(Sub(Sub(Mul(a, Ln(x)), x), g)), sum));
}

// The continued fraction by the two-step recurrence, renormalised at every step. Inside the
// domain (a, b > 0, 0 <= x <= 1) it converges long before the counter's 32767 steps; outside
// it may never converge, and running out of steps is then an invalid argument.
double BetaI(double x, double a, double b) {
  double px, p, q;
  bool flip;
  if (Div(Add(a, 1), Add(Add(a, b), 2)) > x) {
    px = x, p = a, q = b, flip = false;
  } else {
    px = Sub(1, x), p = b, q = a, flip = true;
  }
  const double s = Add(p, q);
  double am = 1, bm = 1, az = 1, aold = 0;
  double bz = Sub(1, Div(Mul(s, px), Add(p, 1)));
  int m = 1;
  while (std::fabs(Sub(az, aold)) > Mul(std::fabs(az), kBetaTolerance)) {
    const double e = Add(p, 2.0 * m);
    aold = az;
    double d = Div(Mul(Mul(Sub(q, m), m), px), Mul(Sub(e, 1), e));
    const double ap = Add(Mul(d, am), az);
    const double bp = Add(Mul(bm, d), bz);
    d = Div(Mul(Mul(-Add(m, p), Add(m, s)), px), Mul(Add(e, 1), e));
    const double app = Add(Mul(d, az), ap);
    const double bpp = Add(Mul(bz, d), bp);
    am = Div(ap, bpp);
    az = Div(app, bpp);
    bm = Div(bp, bpp);
    bz = 1;
    if (m == std::numeric_limits<std::int16_t>::max()) Raise(err::kInvalidArgument);
    ++m;
  }
  double result = 0;
  if (px != 0) {
    const double lg = Sub(Sub(LogGamma(Add(a, b)), LogGamma(a)), LogGamma(b));
    result = Div(Mul(Exp(Add(Add(lg, Mul(p, Ln(px))), Mul(q, Ln(Sub(1, px))))), az), p);
  }
  return flip ? Sub(1, result) : result;
}

// Miller's backward recurrence, normalised with J0 + 2 (J2 + J4 + ...) = 1. Y0 and Y1 come
// from their Neumann series in the same unnormalised values, higher orders of Y by forward
// recurrence.
double Bessel(int kind, double x, int n) {
  const double ax = std::fabs(x);
  const int order = n < 0 ? -n : n;
  if (order > std::numeric_limits<std::int16_t>::max()) Raise(err::kOverflow);
  if (kind == 0 && x == 0) return n == 0 ? 1 : 0;
  if (kind == 1 && x <= 0) Raise(err::kInvalidArgument);
  const double h = ax / 2;
  const double l = Add(Ln(h), kEuler);

  // The start order: far enough above both x and n that the term has become negligible.
  int k = std::min<int>(Round16(ax), order);
  double t = 1;
  do {
    k = Increment16(k);
    t = Div(Mul(t, h), k);
  } while (t > kBesselStart);
  if (k % 2 != 0) k = Increment16(k);

  double u = 0, s = 0, w = 0, r = 0;
  while (k > 0) {
    s = Add(s, t);
    if (kind == 1) w = Sub(Div(2 * t, k), w);
    u = Sub(Div(Mul(2.0 * k, t), ax), u);
    --k;
    if (kind == 0 && k == order) r = u;
    if (kind == 1 && k > 2) {
      const int m = k / 2;
      r = Sub(Div(Mul(k, u), static_cast<double>(m) * (m + 1)), r);
    }
    t = Sub(Div(Mul(2.0 * k, u), ax), t);
    --k;
    if (kind == 0 && k == order) r = t;
  }
  s = Add(2 * s, t);  // t holds the unnormalised order 0, u the order 1

  if (kind == 1) {
    w = Div(Add(Mul(l, t), 2 * w), kHalfPi);
    if (order == 0) {
      r = w;
    } else {
      r = Div(Sub(Add(Mul(Sub(l, 1), u), r), Div(t, ax)), kHalfPi);
      for (int j = 2; j <= order; ++j) {
        const double v = Sub(Div(Mul(2.0 * (j - 1), r), ax), w);
        w = r;
        r = v;
      }
    }
  }
  if (n % 2 != 0 && ((x < 0) != (n < 0))) r = -r;
  return Div(r, s);
}

double GammaFn(double x) {
  if (x > 0) return Exp(LogGamma(x));
  // Reflection; at the negative integers the sine of a multiple of the stored pi is tiny but
  // not zero, so the result is large rather than an error.
  return Div(kPi, Mul(libm::Sin(Mul(x, kPi)), Exp(LogGamma(Sub(1, x)))));
}

double BetaFn(double a, double b) {
  return Exp(Sub(Add(LogGamma(a), LogGamma(b)), LogGamma(Add(a, b))));
}

double BesselJ(double x, double n) { return Bessel(0, x, Round16(n)); }
double BesselY(double x, double n) { return Bessel(1, x, Round16(n)); }

double Erf(double x) { return Sgn(x) * GammaP(0.5, Mul(x, x)); }
double Erfc(double x) { return Sub(1, Erf(x)); }

double Gauss(double x, double c, double w, double h) {
  const double z = Div(Sub(x, c), w);
  const double q = Mul(Mul(z, z), 4);
  return Mul(Exp(Mul(q, kMinusLn2)), h);
}

double Lorentz(double x, double c, double w, double h) {
  const double z = Div(Sub(x, c), w);
  const double q = Mul(Mul(z, z), 4);
  return Div(h, Add(q, 1));
}

double Normal(double x, double m, double s, double mode) {
  const double z = Div(Sub(x, m), s);
  switch (Mode(mode)) {
    case 0: return Div(Exp(Div(Mul(-z, z), 2)), std::sqrt(kTwoPi));
    case 1: return Add(Mul(GammaP(0.5, Div(Mul(z, z), 2)), Sgn(z) / 2.0), 0.5);
    default: return Sub(1, Add(Mul(GammaP(0.5, Div(Mul(z, z), 2)), Sgn(z) / 2.0), 0.5));
  }
}

double Binom(double n, double k, double p, double mode) {
  if (!IsInteger(n) || !IsInteger(k) || k < 0 || k > n || p < 0 || p > 1)
    Raise(err::kInvalidArgument);
  switch (Mode(mode)) {
    case 0: {
      double q = Mul(Pow(Sub(1, p), Sub(n, k)), Pow(p, k));
      const double r = n / 2 < k ? n - k : k;
      const int steps = Round16(r);
      for (int j = 1; j <= steps; ++j) q = Div(Mul(Sub(Add(j, n), r), q), j);
      return q;
    }
    case 1: return k >= n ? 1 : BetaI(Sub(1, p), Sub(n, k), Add(k, 1));
    default: return k == 0 ? 1 : BetaI(p, k, Add(Sub(n, k), 1));
  }
}

double FDist(double x, double d1, double d2, double mode) {
  if (!IsPositiveInteger(d1) || !IsPositiveInteger(d2)) Raise(err::kInvalidArgument);
  const int m = Mode(mode);
  const double a = d1 / 2, b = d2 / 2;
  if (x < 0) x = 0;
  if (m == 0) {
    if (x <= 0) return 0;
    const double lg = Sub(Sub(LogGamma(Add(a, b)), LogGamma(a)), LogGamma(b));
    const double ratio = Div(a, b);
    return Mul(Mul(Div(Pow(x, Sub(a, 1)), Pow(Add(Mul(ratio, x), 1), Add(a, b))), Pow(ratio, a)),
               Exp(lg));
  }
  const double upper = BetaI(Div(b, Add(b, Mul(a, x))), b, a);
  return m == 2 ? upper : Sub(1, upper);
}

double TDist(double t, double v, double mode) {
  const double w = Add(Div(Mul(t, t), v), 1);
  if (!IsPositiveInteger(v)) Raise(err::kInvalidArgument);
  const int m = Mode(mode);
  const double h = v / 2;
  if (m == 0) {
    return Mul(Div(Exp(Sub(LogGamma(Add(h, 0.5)), LogGamma(h))), Sqrt(Mul(h, kTwoPi))),
               Pow(w, -Add(h, 0.5)));
  }
  const double upper = BetaI(Div(1, w), h, 0.5) / 2;
  return m == 2 ? upper : Sub(1, upper);
}

double ChiDist(double x, double v, double mode) {
  double y = x / 2;
  if (!IsPositiveInteger(v)) Raise(err::kInvalidArgument);
  const int m = Mode(mode);
  const double h = v / 2;
  if (y < 0) y = 0;
  switch (m) {
    case 0: return Mul(Div(Exp(Sub(-y, LogGamma(h))), 2), Pow(y, Sub(h, 1)));
    case 1: return GammaP(h, y);
    default: return Sub(1, GammaP(h, y));
  }
}

}  // namespace tly
