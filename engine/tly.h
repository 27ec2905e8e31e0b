// The formula engine as the program sees it: compile a formula, evaluate it, preview one, read
// and write the registers. Behind it are three stages, each with its own state: the tokenizer
// and compiler made for each compilation (compiler.h), the compiled Program and its
// translation, and the machine that runs them against the engine State (machine.h). The
// program owns one Tly for the whole run; tests make a fresh one for each case.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "numbered_error.h"
#include "registers.h"
#include "state.h"

namespace tly {

struct Slot;

// What a formula would give, computed without changing the engine: its value or its error,
// or neither when the formula cannot be previewed.
struct Preview {
  enum class Kind {
    kValue,
    kError,
    kNone,  // uses rnd, nrnd or now, or runs past the preview's loop budget or time
  };
  Kind kind = Kind::kNone;
  double value = 0;
  std::optional<NumberedError> error;
};

class Tly {
 public:
  // Loop passes a preview may run before it gives up.
  static constexpr long long kPreviewLoopPasses = 1'000'000;
  // And the time its loops may run: past it the preview gives up as past its budget.
  static constexpr std::chrono::milliseconds kPreviewTime{50};

  Tly();
  ~Tly();
  Tly(Tly&&) noexcept;
  Tly& operator=(Tly&&) noexcept;

  // Compiles `text` into the compiled formula; raises a NumberedError on a malformed formula,
  // leaving an empty program behind. The error's where() is the offending token.
  void CompileFormula(std::u16string_view text);
  // Runs the compiled formula on a fresh operand stack. The error's where() is the operator or
  // function call that raised it.
  double EvaluateFormula();

  // Compiles and evaluates `text` against a copy of the state: no register, random number or
  // cached normal deviate changes, and the compiled formula stays as it was. `time` bounds the
  // evaluation's loops besides the loop budget.
  Preview PreviewFormula(std::u16string_view text,
                         std::chrono::steady_clock::duration time = kPreviewTime) const;

  // The compiled formula's slots (program.h): slot 0 holds their count.
  const std::vector<Slot>& compiled() const;

  // Register store: index 0 is &ans, 1 ... 26 are a ... z.
  double Register(int index) const { return state_.registers.at(static_cast<std::size_t>(index)); }
  void SetRegister(int index, double value) {
    state_.registers.at(static_cast<std::size_t>(index)) = value;
  }

  // Random numbers behind "rnd" and "nrnd".
  void SeedRandom(std::uint64_t seed) { state_.random.Seed(seed); }
  void SeedRandomFromClock();

  void SetLoopPassLimit(long long passes) { state_.loop_pass_limit = passes; }

  // The clock behind "now"; the system's local time unless a test sets another.
  void SetClock(ClockFunction clock) { state_.clock = clock; }

  const State& state() const { return state_; }

 private:
  // The compiled program and its translation into the machine's instructions (machine.h).
  struct Compiled;
  std::unique_ptr<Compiled> compiled_;
  State state_;
};

}  // namespace tly
