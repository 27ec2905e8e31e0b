#include "vocabulary.h"

#include <array>
#include <cstdint>

#include "codes.h"

namespace tly {
namespace {

using K = Word::Kind;

constexpr Word Fn(std::string_view s, int c) { return {s, K::kFunction, c, 0}; }
constexpr Word Const(std::string_view s, double v) { return {s, K::kConstant, code::kNumber, v}; }
constexpr Word Unsupported(std::string_view s) { return {s, K::kUnsupported, 0, 0}; }

constexpr std::array kWords{
    Fn("sin", 16),
    Fn("cos", 17),
    Fn("tan", 18),
    Fn("asin", 19),
    Fn("acos", 20),
    Fn("atan", 21),
    Fn("sinh", 22),
    Fn("cosh", 23),
    Fn("tanh", 24),
    Fn("asinh", 25),
    Fn("acosh", 26),
    Fn("atanh", 27),
    Fn("ln", 28),
    Fn("log", 29),
    Fn("exp", 30),
    Fn("sqr", 31),
    Fn("abs", 32),
    Fn("int", 33),
    Fn("sgn", 34),
    Fn("rad", 35),
    Fn("deg", 36),
    Fn("db", 37),
    Fn("sinc", 38),
    Fn("fact", 39),
    Fn("rcp", 40),
    Fn("round", 41),
    Fn("floor", 42),
    Fn("ceil", 43),
    Fn("rnd", 44),
    Fn("nrnd", 45),
    Fn("hypot", 46),
    Fn("arg", 47),
    Fn("npr", 48),
    Fn("ncr", 49),
    Fn("gcd", 50),
    Fn("lcm", 51),
    Fn("series", 52),
    Fn("mem", 59),
    Fn("rm", 60),
    Fn("loop", 61),
    Fn("gauss", 64),
    Fn("lorentz", 65),
    Fn("gamma", 66),
    Fn("gammaln", 67),
    Fn("gammainc", 68),
    Fn("beta", 69),
    Fn("betainc", 70),
    Fn("besselj", 71),
    Fn("bessely", 72),
    Fn("erf", 73),
    Fn("erfc", 74),
    Fn("if", 80),
    Fn("not", 81),
    Fn("and", 82),
    Fn("or", 83),
    Fn("xor", 84),
    Fn("eq", 85),
    Fn("ne", 86),
    Fn("ge", 87),
    Fn("gt", 88),
    Fn("le", 89),
    Fn("lt", 90),
    Fn("sum", 96),
    Fn("avg", 97),
    Fn("min", 98),
    Fn("max", 99),
    Fn("var", 100),
    Fn("std", 101),
    Fn("prod", 102),
    Fn("geo", 103),
    Fn("har", 104),
    Fn("normal", 105),
    Fn("binom", 106),
    Fn("fdist", 107),
    Fn("tdist", 108),
    Fn("chidist", 109),
    Fn("date", 120),
    Fn("time", 121),
    Fn("now", 122),
    Fn("ymd", 123),
    // Named constants, as stored (pi is 7 units in the last place below the nearest double
    // to the true value; #uo is not 4 pi 10^-7).
    Const("pi", 3.14159265358979),
    Const("true", -1),
    Const("false", 0),
    Const("#e", 1.60217733e-19),
    Const("#me", 9.1093897e-31),
    Const("#mp", 1.67262305e-27),
    Const("#c", 299792458),
    Const("#h", 6.6260755e-34),
    Const("#k", 1.380658e-23),
    Const("#na", 6.0221367e23),
    Const("#eo", 8.85418771414949e-12),
    Const("#uo", 1.2566370761211e-06),
    Const("#g", 9.80665),
    Word{"&ans", K::kRegister, code::kRegister, code::kAnsRegisterNumber},
    Unsupported("rd"),
    Unsupported("para"),
    Unsupported("rp"),
    Unsupported("&count"),
    Unsupported("&sum"),
    Unsupported("&avg"),
    Unsupported("&min"),
    Unsupported("&max"),
    Unsupported("&var"),
    Unsupported("&std"),
};

// For the lookup, each spelling (at most eight characters) packed into one number, first
// character in the lowest byte, and a hash table of those numbers with linear probing.
constexpr std::size_t kLongestSpelling = 8;

constexpr std::uint64_t Key(std::string_view s) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < s.size(); ++i)
    key |= std::uint64_t{static_cast<unsigned char>(s[i])} << (8 * i);
  return key;
}

constexpr std::size_t kBuckets = 256;  // a power of two, over twice the words
constexpr std::size_t Bucket(std::uint64_t key) { return (key * 0x9E3779B97F4A7C15u) >> 56; }

struct Bucketed {
  std::uint64_t key = 0;
  std::size_t length = 0;      // of the spelling, kept here to spare a look into the word
  const Word* word = nullptr;  // nullptr: an empty bucket
};

constexpr auto kTable = [] {
  std::array<Bucketed, kBuckets> table{};
  for (const Word& w : kWords) {
    const std::uint64_t key = Key(w.spelling);
    std::size_t b = Bucket(key);
    while (table[b].word != nullptr) b = (b + 1) % kBuckets;
    table[b] = {key, w.spelling.size(), &w};
  }
  return table;
}();

constexpr bool KeysAreDistinct() {
  for (const Word& w : kWords)
    if (w.spelling.empty() || w.spelling.size() > kLongestSpelling) return false;
  for (std::size_t i = 0; i < kWords.size(); ++i)
    for (std::size_t j = i + 1; j < kWords.size(); ++j)
      if (Key(kWords[i].spelling) == Key(kWords[j].spelling)) return false;
  return true;
}
static_assert(KeysAreDistinct(), "every spelling has one to eight characters and its own key");

}  // namespace

const Word* FindWord(std::string_view spelling) {
  if (spelling.size() > kLongestSpelling) return nullptr;
  const std::uint64_t key = Key(spelling);
  for (std::size_t b = Bucket(key); kTable[b].word != nullptr; b = (b + 1) % kBuckets) {
    // Equal keys of equally long spellings are equal spellings; of others, they differ in
    // trailing NUL characters.
    if (kTable[b].key == key) return kTable[b].length == spelling.size() ? kTable[b].word : nullptr;
  }
  return nullptr;
}

std::string_view FunctionKeyword(int c) {
  for (const Word& w : kWords) {
    if (w.kind == K::kFunction && w.code == c) return w.spelling;
  }
  return {};
}

}  // namespace tly
