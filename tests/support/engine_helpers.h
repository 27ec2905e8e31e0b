// Helpers shared by the engine's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine.h"

namespace tly::testing {

inline std::u16string Widen(std::string_view ascii) { return tly::WidenAscii(ascii); }

// The number of the error that `f` raises, or nullopt when it returns.
template <typename F>
std::optional<int> ErrorOf(F&& f) {
  try {
    f();
  } catch (const NumberedError& e) {
    return e.number();
  }
  return std::nullopt;
}

inline std::uint64_t Bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// Compiles and evaluates `formula`. On the way it checks the preview of the same formula: it
// gives the same value or error, leaves the engine's state alone, and gives up only on
// formulas with rnd, nrnd or now or with long loops.
inline double Evaluate(Tly& engine, std::string_view formula) {
  const std::u16string text = Widen(formula);
  const State before = engine.state();
  const Preview preview = engine.PreviewFormula(text);
  EXPECT_TRUE(engine.state() == before) << "preview of " << formula << " changed the state";
  const bool may_give_up = formula.find("rnd") != formula.npos ||
                           formula.find("now") != formula.npos ||
                           formula.find("loop") != formula.npos;
  EXPECT_TRUE(preview.kind != Preview::Kind::kNone || may_give_up) << formula;
  try {
    engine.CompileFormula(text);
    const double value = engine.EvaluateFormula();
    if (preview.kind != Preview::Kind::kNone) {
      EXPECT_TRUE(preview.kind == Preview::Kind::kValue && Bits(preview.value) == Bits(value))
          << "preview of " << formula << " gave another value";
    }
    return value;
  } catch (const NumberedError& e) {
    if (preview.kind != Preview::Kind::kNone) {
      EXPECT_TRUE(preview.kind == Preview::Kind::kError && preview.error &&
                  preview.error->number() == e.number() && preview.error->where() == e.where())
          << "preview of " << formula << " gave another error";
    }
    throw;
  }
}

// The rows of a data file of formulas: each line split at its last `separator` into the formula
// (without trailing blanks) and what it gives. Empty lines and lines starting with # are left out.
inline std::vector<std::pair<std::string, std::string>> ReadRows(const char* path,
                                                                 std::string_view separator) {
  std::ifstream in(path);
  std::vector<std::pair<std::string, std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t at = line.rfind(separator);
    EXPECT_NE(at, std::string::npos) << line;
    if (at == std::string::npos) continue;
    rows.emplace_back(line.substr(0, line.find_last_not_of(' ', at) + 1),
                      line.substr(at + separator.size()));
  }
  return rows;
}

}  // namespace tly::testing
