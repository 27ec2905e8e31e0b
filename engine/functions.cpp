// The elementary, combinatorial, random, list, date and time functions.
#include "functions.h"

#include "arith.h"
#include "constants.h"
#include "datetime.h"

namespace tly {

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

namespace {

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

double Gcd(double a, double b) {
  if (!IsInteger(a) || !IsInteger(b)) Raise(err::kInvalidArgument);
  double g = a, h = b;
  while (h != 0) {
    double r = IntRemainder(g, h);
    g = h;
    h = r;
  }
  return g;
}

}  // namespace

double Arg(double x, double y) {
  if (x == 0) return Sgn(y) * kHalfPi;
  double t = libm::Atan(Div(y, x));
  if (x > 0) return t;
  return y >= 0 ? t + kPi : t - kPi;
}

// ---- date and time ----

namespace {

double CheckedDate(std::int64_t day) {
  if (day < kFirstValidDay || day > kLastValidDay) Raise(err::kInvalidArgument);
  return static_cast<double>(day);
}

}  // namespace

double Date(double y, double m, double d) {
  if (!IsInteger(y) || !IsInteger(m) || !IsInteger(d)) Raise(err::kInvalidArgument);
  int year = Round16(y), month = Round16(m), day = Round16(d);
  if (year >= 0 && year <= 29)
    year += 2000;
  else if (year >= 30 && year <= 99)
    year += 1900;
  // Months outside 1 ... 12 carry into the years, days outside the month into the months.
  // A year the calendar type cannot hold lies far outside the valid dates.
  const int months = year * 12 + (month - 1);
  const int carried_year = months >= 0 ? months / 12 : -((-months + 11) / 12);
  const auto carried_month = static_cast<unsigned>(months - carried_year * 12 + 1);
  if (carried_year < int{std::chrono::year::min()} || carried_year > int{std::chrono::year::max()})
    Raise(err::kInvalidArgument);
  const std::chrono::year_month_day first{std::chrono::year{carried_year},
                                          std::chrono::month{carried_month}, std::chrono::day{1}};
  return CheckedDate(DayNumber(first) + (day - 1));
}

double Time(double h, double m, double s) {
  if (!IsInteger(h) || !IsInteger(m) || !IsInteger(s)) Raise(err::kInvalidArgument);
  double seconds = Round16(h) * 3600.0 + Round16(m) * 60.0 + Round16(s);
  return seconds / kSecondsPerDay;
}

namespace {

std::int64_t DayNumberOf(const LocalTime& t) {
  return DayNumber(std::chrono::year{t.year} / t.month / t.day);
}

double TimeOfDay(const LocalTime& t) {
  return (t.hour * 3600.0 + t.minute * 60.0 + t.second) / kSecondsPerDay;
}

}  // namespace

double Now(State& state, double s) {
  if (s != 0 && s != 1 && s != 2) Raise(err::kInvalidArgument);
  LocalTime t = state.clock();
  if (s == 1) return static_cast<double>(DayNumberOf(t));
  if (s == 2) return TimeOfDay(t);
  return static_cast<double>(DayNumberOf(t)) + TimeOfDay(t);
}

// A field of date number d, read to the nearest second.
double Ymd(double d, double part) {
  if (part != 0 && part != 1 && part != 2 && part != 3 && part != 4 && part != 5 && part != 6)
    Raise(err::kInvalidArgument);
  const double seconds = std::floor(d * kSecondsPerDay + 0.5);
  if (!(seconds >= kFirstValidDay * double{kSecondsPerDay} &&
        seconds < (kLastValidDay + 1) * double{kSecondsPerDay}))
    Raise(err::kInvalidArgument);
  const auto total = static_cast<std::int64_t>(seconds);
  std::int64_t day = total / kSecondsPerDay, second_of_day = total % kSecondsPerDay;
  if (second_of_day < 0) {
    second_of_day += kSecondsPerDay;
    --day;
  }
  const std::chrono::year_month_day date{DayOf(day)};
  switch (static_cast<int>(part)) {
    case 0: return int{date.year()};
    case 1: return unsigned{date.month()};
    case 2: return unsigned{date.day()};
    case 3: return std::chrono::weekday{DayOf(day)}.c_encoding();  // 0 is Sunday
    case 4: return static_cast<double>(second_of_day / 3600);
    case 5: return static_cast<double>(second_of_day / 60 % 60);
    default: return static_cast<double>(second_of_day % 60);
  }
}

// ---- random numbers ----

double Rnd(State& state, double a, double b) {
  double u = state.random.Next();
  return Add(a, Mul(u, Sub(b, a)));
}

// Box-Muller in its trigonometric form; the sine half of each pair serves the next call.
double Nrnd(State& state, double m, double s) {
  NormalDeviateCache& cache = state.normal_cache;
  double z;
  if (cache.flag == 0) {
    double u1 = state.random.Next();
    cache.radius = Sqrt(-2 * Ln(1 - u1));
    double u2 = state.random.Next();
    cache.angle = u2 * kTwoPi;
    z = libm::Cos(cache.angle);
  } else {
    z = libm::Sin(cache.angle);
  }
  cache.flag = static_cast<std::int16_t>(1 - cache.flag);
  return Add(Mul(Mul(s, cache.radius), z), m);
}

// ---- lists ----

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

double Acos(double x) { return kHalfPi - Asin(x); }
double Npr(double n, double r) { return Permutations(n, r, false); }
double Ncr(double n, double r) { return Permutations(n, r, true); }
double GcdFn(double a, double b) { return std::fabs(Gcd(a, b)); }
double Lcm(double a, double b) { return std::fabs(Mul(Div(a, Gcd(a, b)), b)); }

}  // namespace tly
