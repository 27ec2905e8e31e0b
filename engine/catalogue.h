// The function catalogue: one row per keyword of the formula language, with its slot code,
// how many operands it takes and what computes it. The tokenizer's keyword lookup, the
// compiler's operand counts and the machine's calls are all derived from this one table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "arith.h"
#include "codes.h"
#include "constants.h"
#include "functions.h"
#include "state.h"

namespace tly {

// A built-in function as the machine calls it: its operands in formula order.
using FunctionImpl = double (*)(State& state, const double* args, int count);

inline constexpr int kAnyNumber = 255;  // no upper bound on the operands of a list

struct Keyword {
  std::string_view spelling;
  int code;
  int min_operands;
  int max_operands;       // kAnyNumber for a list
  FunctionImpl function;  // nullptr: a case of the machine itself (registers, control, logic)
  bool varies = false;    // the value may differ from one evaluation to the next

  constexpr bool variadic() const { return max_operands == kAnyNumber; }
};

namespace catalogue_detail {

template <typename F>
struct Signature;
template <typename... A>
struct Signature<double (*)(A...)> {
  static constexpr bool kTakesState = (std::is_same_v<A, State&> || ...);
  static constexpr bool kList = (std::is_same_v<A, const double*> || ...);
  static constexpr int kOperands = static_cast<int>(sizeof...(A)) - (kTakesState ? 1 : 0);
};

template <auto F, std::size_t... I>
double CallFixed(State& state, const double* a, std::index_sequence<I...>) {
  if constexpr (Signature<decltype(F)>::kTakesState)
    return F(state, a[I]...);
  else
    return F(a[I]...);
}

// The machine's calling convention around a plain function of doubles.
template <auto F>
double Call(State& state, const double* a, int count) {
  using S = Signature<decltype(F)>;
  if constexpr (S::kList) {
    return F(a, count);
  } else {
    return CallFixed<F>(state, a,
                        std::make_index_sequence<static_cast<std::size_t>(S::kOperands)>());
  }
}

template <auto F>
constexpr Keyword Fn(std::string_view spelling, int code, bool varies = false) {
  constexpr int n = Signature<decltype(F)>::kOperands;
  return {spelling, code, n, n, Call<F>, varies};
}

template <auto F>
constexpr Keyword List(std::string_view spelling, int code, int min_operands = 1) {
  return {spelling, code, min_operands, kAnyNumber, Call<F>};
}

constexpr Keyword Own(std::string_view spelling, int code, int min_operands, int max_operands) {
  return {spelling, code, min_operands, max_operands, nullptr};
}

}  // namespace catalogue_detail

inline constexpr auto kCatalogue = [] {
  using namespace catalogue_detail;
  return std::array{
      Fn<Sin>("sin", 16),
      Fn<Cos>("cos", 17),
      Fn<Tan>("tan", 18),
      Fn<Asin>("asin", 19),
      Fn<Acos>("acos", 20),
      Fn<Atan>("atan", 21),
      Fn<Sinh>("sinh", 22),
      Fn<Cosh>("cosh", 23),
      Fn<Tanh>("tanh", 24),
      Fn<Asinh>("asinh", 25),
      Fn<Acosh>("acosh", 26),
      Fn<Atanh>("atanh", 27),
      Fn<Ln>("ln", 28),
      Fn<Log>("log", 29),
      Fn<Exp>("exp", 30),
      Fn<Sqrt>("sqr", 31),
      Fn<Abs>("abs", 32),
      Fn<Int>("int", 33),
      Fn<SgnFn>("sgn", 34),
      Fn<Rad>("rad", 35),
      Fn<Deg>("deg", 36),
      Fn<Db>("db", 37),
      Fn<Sinc>("sinc", 38),
      Fn<Fact>("fact", 39),
      Fn<Rcp>("rcp", 40),
      Fn<Round>("round", 41),
      Fn<Floor>("floor", 42),
      Fn<Ceil>("ceil", 43),
      Fn<Rnd>("rnd", 44, true),
      Fn<Nrnd>("nrnd", 45, true),
      Fn<Hypot>("hypot", 46),
      Fn<Arg>("arg", 47),
      Fn<Npr>("npr", 48),
      Fn<Ncr>("ncr", 49),
      Fn<GcdFn>("gcd", 50),
      Fn<Lcm>("lcm", 51),
      List<Series>("series", code::kSeries, 4),
      Own("mem", code::kMem, 2, 2),
      Own("rm", code::kRm, 1, 1),
      Own("loop", code::kLoop, 4, 4),
      Fn<Gauss>("gauss", 64),
      Fn<Lorentz>("lorentz", 65),
      Fn<GammaFn>("gamma", 66),
      Fn<LogGamma>("gammaln", 67),
      Fn<GammaP>("gammainc", 68),
      Fn<BetaFn>("beta", 69),
      Fn<BetaI>("betainc", 70),
      Fn<BesselJ>("besselj", 71),
      Fn<BesselY>("bessely", 72),
      Fn<Erf>("erf", 73),
      Fn<Erfc>("erfc", 74),
      Own("if", code::kIf, 2, 3),
      Own("not", code::kNot, 1, 1),
      Own("and", code::kAnd, 2, 2),
      Own("or", code::kOr, 2, 2),
      Own("xor", code::kXor, 2, 2),
      Own("eq", code::kEq, 2, 2),
      Own("ne", code::kNe, 2, 2),
      Own("ge", code::kGe, 2, 2),
      Own("gt", code::kGt, 2, 2),
      Own("le", code::kLe, 2, 2),
      Own("lt", code::kLt, 2, 2),
      List<Sum>("sum", 96),
      List<Avg>("avg", 97),
      List<Min>("min", 98),
      List<Max>("max", 99),
      List<Var>("var", 100),
      List<Std>("std", 101),
      List<Prod>("prod", 102),
      List<Geo>("geo", 103),
      List<Har>("har", 104),
      Fn<Normal>("normal", 105),
      Fn<Binom>("binom", 106),
      Fn<FDist>("fdist", 107),
      Fn<TDist>("tdist", 108),
      Fn<ChiDist>("chidist", 109),
      Fn<Date>("date", 120),
      Fn<Time>("time", 121),
      Fn<Now>("now", 122, true),
      Fn<Ymd>("ymd", 123),
  };
}();

// The catalogue row of slot code `code`, or nullptr for the operators and the control codes.
inline constexpr auto kKeywordOfCode = [] {
  std::array<const Keyword*, code::kCodeCount> rows{};
  for (const Keyword& k : kCatalogue) rows[static_cast<std::size_t>(k.code)] = &k;
  return rows;
}();

constexpr const Keyword* KeywordOfCode(int code) {
  return code >= 0 && code < code::kCodeCount ? kKeywordOfCode[static_cast<std::size_t>(code)]
                                              : nullptr;
}

// The other words of the formula language: named constants, &ans, and words that are known
// but not supported.
struct NamedValue {
  std::string_view spelling;
  double value;
};

inline constexpr NamedValue kNamedConstants[] = {
    {"pi", k::kPi},
    {"true", -1},
    {"false", 0},
    {"#e", k::kElementaryCharge},
    {"#me", k::kElectronMass},
    {"#mp", k::kProtonMass},
    {"#c", k::kSpeedOfLight},
    {"#h", k::kPlanck},
    {"#k", k::kBoltzmann},
    {"#na", k::kAvogadro},
    {"#eo", k::kVacuumPermittivity},
    {"#uo", k::kVacuumPermeability},
    {"#g", k::kStandardGravity},
};

inline constexpr std::string_view kAnsSpelling = "&ans";

inline constexpr std::string_view kUnsupportedWords[] = {
    "rd", "para", "rp", "&count", "&sum", "&avg", "&min", "&max", "&var", "&std",
};

// A word as the tokenizer reads it: the token it stands for, or a word that is not supported.
struct Word {
  enum class Kind { kFunction, kConstant, kRegister, kUnsupported };
  std::string_view spelling;
  Kind kind;
  int code;      // token code
  double value;  // token value
};

// The longest spelling of a word; a longer word can only be an unknown one.
inline constexpr std::size_t kLongestSpelling = 8;

// The word spelled exactly `spelling` (lower case), or nullptr.
const Word* FindWord(std::string_view spelling);

}  // namespace tly
