#include "cli.h"

#include <charconv>
#include <initializer_list>
#include <istream>
#include <optional>
#include <ostream>

#include "calculation.h"
#include "error_place.h"
#include "number_format.h"
#include "number_text.h"
#include "numbered_error.h"
#include "string_ids.h"
#include "string_table.h"
#include "unit_factor.h"
#include "utf8.h"

namespace tly {
namespace {

constexpr std::string_view kUsage =
    "usage: tallyra-eval [--precise] [--seed N] [--convert Q,S,T] [--notation "
    "standard|fixed|sci|eng]\n"
    "                    [--digits N] [--grouping none|thousands|japanese] [--base 10|16|8|2]\n"
    "                    [FORMULA ...]\n"
    "       tallyra-eval --units | --help | --version\n"
    "Computes each FORMULA, or else each line of standard input, as the calculator's Calculate\n"
    "command does, and writes one line for each: its result or error message.\n"
    "  --precise         the shortest decimal that reads back as the same number; a failure as\n"
    "                    error N, the message and the columns where the error was found\n"
    "  --seed N          seeds rnd and nrnd with N instead of the clock\n"
    "  --convert Q,S,T   converts every result from unit S to unit T of quantity Q\n"
    "  --notation N      standard (the default), fixed decimals, sci(entific) or eng(ineering)\n"
    "  --digits N        decimals for fixed (0-15, default 6), significant digits for sci and\n"
    "                    eng (1-15)\n"
    "  --grouping G      none (the default), thousands (1,234,567) or japanese (123万4567)\n"
    "  --base B          whole results from -2^31 to 2^31-1 in base 16, 8 or 2 (0x1F, 0o17,\n"
    "                    0b11111); --precise ignores these four\n"
    "  --units           lists the units: Q,U, the quantity, the unit and its factor\n"
    "  --help            shows this text\n"
    "  --version         shows the version\n";

struct Options {
  bool precise = false;
  bool units = false;
  bool help = false;
  bool version = false;
  std::optional<std::uint64_t> seed;
  std::optional<Conversion> conversion;
  NumberFormat format;
  std::vector<std::string> formulas;
};

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::optional<Conversion> ParseConversion(std::string_view text) {
  int parts[3];
  for (int i = 0; i < 3; ++i) {
    const std::size_t comma = i < 2 ? text.find(',') : text.size();
    if (comma == std::string_view::npos || !ParseNumber(text.substr(0, comma), parts[i]))
      return std::nullopt;
    text.remove_prefix(i < 2 ? comma + 1 : comma);
  }
  Conversion c{parts[0], parts[1], parts[2]};
  if (!IsValid(c)) return std::nullopt;
  return c;
}

// `value` as the index of one of `names`; false when it is none of them.
template <typename E>
bool ParseChoice(std::string_view value, std::initializer_list<std::string_view> names, E& out) {
  int index = 0;
  for (std::string_view name : names) {
    if (value == name) {
      out = static_cast<E>(index);
      return true;
    }
    ++index;
  }
  return false;
}

// One of the number display options and its value; an error text when the value is not one.
std::optional<std::string> ParseFormatOption(const std::string& option, const std::string& value,
                                             NumberFormat& f) {
  if (option == "--notation") {
    if (!ParseChoice(value, {"standard", "fixed", "sci", "eng"}, f.notation))
      return "--notation needs standard, fixed, sci or eng";
  } else if (option == "--digits") {
    if (!ParseNumber(value, f.digits) || f.digits < 0 || f.digits > 15)
      return "--digits needs a whole number from 0 to 15";
  } else if (option == "--grouping") {
    if (!ParseChoice(value, {"none", "thousands", "japanese"}, f.grouping))
      return "--grouping needs none, thousands or japanese";
  } else if (!ParseChoice(value, {"10", "16", "8", "2"}, f.base)) {
    return "--base needs 10, 16, 8 or 2";
  }
  return std::nullopt;
}

// Returns an error text for a usage error.
std::optional<std::string> ParseArguments(const std::vector<std::string>& args, Options& o) {
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // Formulas may start with a minus sign ('-2^2'); only "--" starts an option.
    if (options_done || a.rfind("--", 0) != 0) {
      o.formulas.push_back(a);
    } else if (a == "--") {
      options_done = true;
    } else if (a == "--precise") {
      o.precise = true;
    } else if (a == "--units") {
      o.units = true;
    } else if (a == "--help") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--notation" || a == "--digits" || a == "--grouping" || a == "--base") {
      if (i + 1 == args.size()) return a + " needs a value";
      if (auto problem = ParseFormatOption(a, args[++i], o.format)) return problem;
    } else if (a == "--seed" || a == "--convert") {
      if (i + 1 == args.size()) return a + " needs a value";
      const std::string& value = args[++i];
      if (a == "--seed") {
        std::uint64_t seed;
        if (!ParseNumber(value, seed)) return "--seed needs a whole number, not '" + value + "'";
        o.seed = seed;
      } else {
        o.conversion = ParseConversion(value);
        if (!o.conversion) return "--convert needs Q,S,T of a quantity and two of its units";
      }
    } else {
      return "unknown option " + a;
    }
  }
  if (o.units && !o.help && !o.version &&
      (o.precise || o.seed || o.conversion || !o.formulas.empty()))
    return "--units takes no other arguments";
  return std::nullopt;
}

void ListUnits(std::ostream& out) {
  for (int q = 0; q < kQuantityCount; ++q) {
    const std::string_view quantity = LoadString(ids::kQuantityNames + q);
    const auto units = LoadList(FirstUnitString(q));
    for (int u = 0; u < static_cast<int>(units.size()); ++u) {
      const double factor = UnitFactor(static_cast<std::int16_t>(q), static_cast<std::int16_t>(u));
      out << q << ',' << u << '\t' << quantity << '\t' << units[static_cast<std::size_t>(u)] << '\t'
          << FormatPrecise(factor) << '\n';
    }
  }
}

// Runs one formula and writes its line; false when it failed.
// A precise failure line also gives the columns where the error was found, when it has a place.
bool RunFormula(Tly& engine, const Options& o, std::string_view formula, std::ostream& out) {
  const std::u16string text = Utf8ToUtf16(formula);
  try {
    const double r = Calculate(engine, text, o.conversion);
    out << (o.precise ? FormatPrecise(r) : Utf16ToUtf8(ShownNumber(r, o.format))) << '\n';
    return true;
  } catch (const NumberedError& e) {
    if (o.precise) out << "error " << e.number() << '\t';
    out << ErrorMessage(e.number());
    if (o.precise && e.where()) out << '\t' << ColumnRange(text, *e.where());
    out << '\n';
    return false;
  }
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliStreams s) {
  Options o;
  if (auto problem = ParseArguments(args, o)) {
    s.err << "tallyra-eval: " << *problem << '\n' << kUsage;
    return 2;
  }
  if (o.help || o.version) {
    s.out << (o.help ? kUsage : "tallyra-eval " TALLYRA_VERSION "\n");
    return 0;
  }
  if (o.units) {
    ListUnits(s.out);
    return 0;
  }

  Tly engine;
  if (o.seed) {
    engine.SeedRandom(*o.seed);
  } else {
    engine.SeedRandomFromClock();
  }
  bool all_ok = true;
  if (!o.formulas.empty()) {
    for (const std::string& f : o.formulas) all_ok = RunFormula(engine, o, f, s.out) && all_ok;
  } else {
    std::string line;
    for (;;) {
      if (s.interactive) s.err << "> " << std::flush;
      if (!std::getline(s.in, line)) break;
      // The line's terminator is not part of the formula; every other character is.
      if (!line.empty() && line.back() == '\r') line.pop_back();
      all_ok = RunFormula(engine, o, line, s.out) && all_ok;
      s.out.flush();
    }
  }
  return all_ok ? 0 : 1;
}

}  // namespace tly
