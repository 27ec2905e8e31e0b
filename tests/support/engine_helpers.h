// Helpers shared by the engine's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "engine.h"

namespace tly::testing {

inline std::u16string Widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

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

inline double Evaluate(Tly& engine, std::string_view formula) {
  engine.CompileFormula(Widen(formula));
  return engine.EvaluateFormula();
}

// The compiled program as "code[value] code[value] ..." (slots 1 ... N).
inline std::string Listing(const Tly& engine) {
  std::string out;
  const auto& slots = engine.compiled();
  for (int i = 1; i <= slots[0].code; ++i) {
    if (!out.empty()) out += ' ';
    out += std::to_string(slots[static_cast<std::size_t>(i)].code) + '[' +
           FormatPrecise(slots[static_cast<std::size_t>(i)].value) + ']';
  }
  return out;
}

inline std::uint64_t Bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// A formula and the error its compile or evaluation raises. Test files instantiate
// EvaluationError with their own tables; its one test lives in evaluator_test.cpp.
struct ErrorCase {
  const char* formula;
  int error;
};

class EvaluationError : public ::testing::TestWithParam<ErrorCase> {};

}  // namespace tly::testing
