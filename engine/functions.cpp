// The elementary, combinatorial, random, list, date and time functions.
#include "functions.h"

#include <array>

#include "arith.h"
#include "constants.h"
#include "datetime.h"
#include "higher_math.h"
#include "tly.h"

namespace tly {
namespace {

using namespace tly::k;

// ---- one argument ----

double Asin(double x) {
  if (x > 1 || x < -1) Raise(err::kInvalidArgument);
  if (x == 1 || x == -1) return x * kHalfPi;
  return libm::Atan(Div(x, Sqrt(Sub(1, x * x))));
}

double Sinh(double x) {
  double e = Exp(x);
  return Mul(Sub(e, Div(1, e)), 0.5);
}

double Cosh(double x) {
  double e = Exp(x);
  return Mul(Add(e, Div(1, e)), 0.5);
}

double Tanh(double x) {
  double e = Exp(x);
  double inv = Div(1, e);
  return Div(Sub(e, inv), Add(e, inv));
}

double Asinh(double x) { return Sgn(x) * Ln(Add(std::fabs(x), Sqrt(Add(Mul(x, x), 1)))); }

double Acosh(double x) {
  if (x < 1) Raise(err::kInvalidArgument);
  return Ln(Add(x, Sqrt(Sub(Mul(x, x), 1))));
}

double Atanh(double x) { return 0.5 * Ln(Div(Add(1, x), Sub(1, x))); }

double Log(double x) { return Ln(x) / kLn10; }
double Db(double x) { return Mul(Ln(x) / kLn10, 20); }

double Sinc(double x) {
  if (x == 0) return 1;
  double y = Mul(x, kPi);
  return Div(libm::Sin(y), y);
}

double Fact(double x) {
  if (!IsInteger(x) || !(x > 0)) Raise(err::kInvalidArgument);
  const int n = Round16(x);
  double r = 1;
  for (int j = 1; j <= n; ++j) r = Mul(j, r);
  return r;
}

// ---- two arguments ----

double Round(double x, double n) {
  if (!IsInteger(n)) Raise(err::kInvalidArgument);
  double p = Pow(10, n);
  double r = std::floor(Add(Mul(x, p), 0.5));
  return Div(r, p);
}

double Floor(double x, double s) {
  double t = std::fabs(s);
  return Mul(std::floor(Div(x, t)), t);
}

double Ceil(double x, double s) {
  double t = std::fabs(s);
  double r = Mul(std::floor(Div(x, t)), t);
  return r < x ? Add(r, t) : r;
}

// n! / (n - r)!, or with `combinations` divided by r! along the way, so that every
// intermediate value is itself a binomial coefficient.
double Permutations(double n, double r, bool combinations) {
  if (!IsInteger(n) || !IsInteger(r) || r < 0 || r > n) Raise(err::kInvalidArgument);
  if (combinations && n / 2 < r) r = n - r;
  double q = 1;
  const int k = Round16(r);
  for (int j = 1; j <= k; ++j) {
    q = Mul(Sub(Add(j, n), r), q);
    if (combinations) q = Div(q, j);
  }
  return q;
}

// The remainder of g by h, both rounded to 32-bit integers.
double IntegerRemainder(double g, double h) {
  std::int32_t a = Round32(g), b = Round32(h);
  if (b == -1) return 0;  // a % -1 would trap for the smallest a
  return a % b;
}

double Gcd(double a, double b) {
  if (!IsInteger(a) || !IsInteger(b)) Raise(err::kInvalidArgument);
  double g = a, h = b;
  while (h != 0) {
    double r = IntegerRemainder(g, h);
    g = h;
    h = r;
  }
  return g;
}

double Arg(double x, double y) {
  if (x == 0) return Sgn(y) * kHalfPi;
  double t = libm::Atan(Div(y, x));
  if (x > 0) return t;
  return y >= 0 ? t + kPi : t - kPi;
}

// ---- date and time ----

double CheckedDate(std::int64_t day) {
  if (day < kFirstValidDay || day > kLastValidDay) Raise(err::kInvalidArgument);
  return static_cast<double>(day);
}

double Date(double y, double m, double d) {
  if (!IsInteger(y) || !IsInteger(m) || !IsInteger(d)) Raise(err::kInvalidArgument);
  std::int64_t year = Round16(y), month = Round16(m), day = Round16(d);
  if (year >= 0 && year <= 29)
    year += 2000;
  else if (year >= 30 && year <= 99)
    year += 1900;
  // Months outside 1 ... 12 carry into the years, days outside the month into the months.
  std::int64_t months = year * 12 + (month - 1);
  std::int64_t carried_year = months >= 0 ? months / 12 : -((-months + 11) / 12);
  int carried_month = static_cast<int>(months - carried_year * 12) + 1;
  return CheckedDate(DayNumber(carried_year, carried_month, 1) + (day - 1));
}

double Time(double h, double m, double s) {
  if (!IsInteger(h) || !IsInteger(m) || !IsInteger(s)) Raise(err::kInvalidArgument);
  double seconds = Round16(h) * 3600.0 + Round16(m) * 60.0 + Round16(s);
  return seconds / 86400;
}

double DateNumber(const LocalTime& t) {
  return static_cast<double>(DayNumber(t.year, t.month, t.day)) +
         (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400;
}

double Now(Tly& tly, double s) {
  if (s != 0 && s != 1 && s != 2) Raise(err::kInvalidArgument);
  LocalTime t = tly.Now();
  if (s == 1) return static_cast<double>(DayNumber(t.year, t.month, t.day));
  if (s == 2) return (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400;
  return DateNumber(t);
}

// A field of date number d, read to the nearest second.
double Ymd(double d, double part) {
  if (part != 0 && part != 1 && part != 2 && part != 3 && part != 4 && part != 5 && part != 6)
    Raise(err::kInvalidArgument);
  const double seconds = std::floor(d * 86400 + 0.5);
  if (!(seconds >= kFirstValidDay * 86400.0 && seconds < (kLastValidDay + 1) * 86400.0))
    Raise(err::kInvalidArgument);
  const auto total = static_cast<std::int64_t>(seconds);
  std::int64_t day = total / 86400, second_of_day = total % 86400;
  if (second_of_day < 0) {
    second_of_day += 86400;
    --day;
  }
  switch (static_cast<int>(part)) {
    case 0: return static_cast<double>(CivilFromDayNumber(day).year);
    case 1: return CivilFromDayNumber(day).month;
    case 2: return CivilFromDayNumber(day).day;
    case 3: return static_cast<double>(((day + 6) % 7 + 7) % 7);  // day 0 was a Saturday
    case 4: return static_cast<double>(second_of_day / 3600);
    case 5: return static_cast<double>(second_of_day / 60 % 60);
    default: return static_cast<double>(second_of_day % 60);
  }
}

// ---- random numbers ----

double Rnd(Tly& tly, double a, double b) {
  double u = tly.NextUniform();
  return Add(a, Mul(u, Sub(b, a)));
}

// Box-Muller in its trigonometric form; the sine half of each pair serves the next call.
double Nrnd(Tly& tly, double m, double s) {
  NormalDeviateCache& cache = tly.normal_cache();
  double z;
  if (cache.flag == 0) {
    double u1 = tly.NextUniform();
    cache.radius = Sqrt(-2 * Ln(1 - u1));
    double u2 = tly.NextUniform();
    cache.angle = u2 * kTwoPi;
    z = libm::Cos(cache.angle);
  } else {
    z = libm::Sin(cache.angle);
  }
  cache.flag = static_cast<std::int16_t>(1 - cache.flag);
  return Add(Mul(Mul(s, cache.radius), z), m);
}

// ---- lists ----

enum class ListKind { kSum, kAvg, kMin, kMax, kVar, kStd, kProd, kGeo, kHar };

// The running value starts at the last argument and takes the others from the last but one
// back to the first.
double List(ListKind kind, const double* x, int n) {
  // Only the variance needs the sum of squares; forming it for the other functions would let
  // a square overflow where their own result does not.
  const bool squared = kind == ListKind::kVar || kind == ListKind::kStd;
  const double last = x[n - 1];
  double run = kind == ListKind::kHar ? (last != 0 ? Div(1, last) : 0) : last;
  double squares = squared ? Mul(last, last) : 0;
  for (int i = n - 2; i >= 0; --i) {
    const double xi = x[i];
    switch (kind) {
      case ListKind::kMin:
        if (run > xi) run = xi;
        break;
      case ListKind::kMax:
        if (run < xi) run = xi;
        break;
      case ListKind::kProd:
      case ListKind::kGeo: run = Mul(run, xi); break;
      case ListKind::kHar:
        if (xi != 0) run = Add(run, Div(1, xi));
        break;
      default:
        run = Add(run, xi);
        if (squared) squares = Add(squares, Mul(xi, xi));
        break;
    }
  }
  switch (kind) {
    case ListKind::kAvg: return Div(run, n);
    case ListKind::kVar:
    case ListKind::kStd: {
      double mean = Div(run, n);
      // Rounding can take the difference below zero for equal arguments; a variance is not
      // negative.
      double var = Div(Sub(squares, Mul(run, mean)), n - 1);
      if (var < 0) var = 0;
      return kind == ListKind::kVar ? var : Sqrt(var);
    }
    case ListKind::kGeo: return Pow(run, Div(1, n));
    case ListKind::kHar: return Div(n, run);
    default: return run;
  }
}

// Horner's rule from the last coefficient: x^p (c0 + c1 x^s + ... + ck x^(ks)).
double Series(const double* a, int n) {
  const double x = a[0], p = a[1], s = a[2];
  const double* c = a + 3;
  const int k = n - 4;
  const double q = Pow(x, s);
  double v = c[k];
  for (int i = k - 1; i >= 0; --i) v = Add(Mul(q, v), c[i]);
  return Mul(Pow(x, p), v);
}

// ---- the table ----

template <double (*F)(double)>
double Fn1(Tly&, const double* a, int) {
  return F(a[0]);
}
template <double (*F)(double, double)>
double Fn2(Tly&, const double* a, int) {
  return F(a[0], a[1]);
}
template <double (*F)(double, double, double)>
double Fn3(Tly&, const double* a, int) {
  return F(a[0], a[1], a[2]);
}
template <double (*F)(double, double, double, double)>
double Fn4(Tly&, const double* a, int) {
  return F(a[0], a[1], a[2], a[3]);
}
template <ListKind K>
double ListFn(Tly&, const double* a, int n) {
  return List(K, a, n);
}

double Sin(double x) { return libm::Sin(x); }
double Cos(double x) { return libm::Cos(x); }
double Tan(double x) { return Checked(libm::Tan(x)); }
double Acos(double x) { return kHalfPi - Asin(x); }
double Atan(double x) { return libm::Atan(x); }
double Abs(double x) { return std::fabs(x); }
double Int(double x) { return std::floor(x); }
double SgnFn(double x) { return Sgn(x); }
double Rad(double x) { return Mul(x, kDegree); }
double Deg(double x) { return Div(x, kDegree); }
double Rcp(double x) { return Div(1, x); }
double Hypot(double a, double b) { return Sqrt(Add(Mul(a, a), Mul(b, b))); }
double Npr(double n, double r) { return Permutations(n, r, false); }
double Ncr(double n, double r) { return Permutations(n, r, true); }
double GcdFn(double a, double b) { return std::fabs(Gcd(a, b)); }
double Lcm(double a, double b) { return std::fabs(Mul(Div(a, Gcd(a, b)), b)); }
double RndFn(Tly& t, const double* a, int) { return Rnd(t, a[0], a[1]); }
double NrndFn(Tly& t, const double* a, int) { return Nrnd(t, a[0], a[1]); }
double NowFn(Tly& t, const double* a, int) { return Now(t, a[0]); }
double SeriesFn(Tly&, const double* a, int n) { return Series(a, n); }

constexpr std::array<FunctionImpl, 256> MakeTable() {
  std::array<FunctionImpl, 256> t{};
  t[16] = Fn1<Sin>;
  t[17] = Fn1<Cos>;
  t[18] = Fn1<Tan>;
  t[19] = Fn1<Asin>;
  t[20] = Fn1<Acos>;
  t[21] = Fn1<Atan>;
  t[22] = Fn1<Sinh>;
  t[23] = Fn1<Cosh>;
  t[24] = Fn1<Tanh>;
  t[25] = Fn1<Asinh>;
  t[26] = Fn1<Acosh>;
  t[27] = Fn1<Atanh>;
  t[28] = Fn1<Ln>;
  t[29] = Fn1<Log>;
  t[30] = Fn1<Exp>;
  t[31] = Fn1<Sqrt>;
  t[32] = Fn1<Abs>;
  t[33] = Fn1<Int>;
  t[34] = Fn1<SgnFn>;
  t[35] = Fn1<Rad>;
  t[36] = Fn1<Deg>;
  t[37] = Fn1<Db>;
  t[38] = Fn1<Sinc>;
  t[39] = Fn1<Fact>;
  t[40] = Fn1<Rcp>;
  t[41] = Fn2<Round>;
  t[42] = Fn2<Floor>;
  t[43] = Fn2<Ceil>;
  t[44] = RndFn;
  t[45] = NrndFn;
  t[46] = Fn2<Hypot>;
  t[47] = Fn2<Arg>;
  t[48] = Fn2<Npr>;
  t[49] = Fn2<Ncr>;
  t[50] = Fn2<GcdFn>;
  t[51] = Fn2<Lcm>;
  t[52] = SeriesFn;
  t[64] = Fn4<Gauss>;
  t[65] = Fn4<Lorentz>;
  t[66] = Fn1<GammaFn>;
  t[67] = Fn1<LogGamma>;
  t[68] = Fn2<GammaP>;
  t[69] = Fn2<BetaFn>;
  t[70] = Fn3<BetaI>;
  t[71] = Fn2<BesselJ>;
  t[72] = Fn2<BesselY>;
  t[73] = Fn1<Erf>;
  t[74] = Fn1<Erfc>;
  t[96] = ListFn<ListKind::kSum>;
  t[97] = ListFn<ListKind::kAvg>;
  t[98] = ListFn<ListKind::kMin>;
  t[99] = ListFn<ListKind::kMax>;
  t[100] = ListFn<ListKind::kVar>;
  t[101] = ListFn<ListKind::kStd>;
  t[102] = ListFn<ListKind::kProd>;
  t[103] = ListFn<ListKind::kGeo>;
  t[104] = ListFn<ListKind::kHar>;
  t[105] = Fn4<Normal>;
  t[106] = Fn4<Binom>;
  t[107] = Fn4<FDist>;
  t[108] = Fn3<TDist>;
  t[109] = Fn3<ChiDist>;
  t[120] = Fn3<Date>;
  t[121] = Fn3<Time>;
  t[122] = NowFn;
  t[123] = Fn2<Ymd>;
  return t;
}

}  // namespace

const std::array<FunctionImpl, 256> kFunctionTable = MakeTable();

}  // namespace tly
