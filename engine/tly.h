// The formula engine: tokenizer, parser and evaluator over one state object. The program
// owns one Tly for the whole run; tests make a fresh one for each case.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "random.h"

namespace tly {

// One slot of a compiled formula. Slot 0 holds the program length N in its code, slots
// 1 ... N the postfix program, slot N + 1 the end code 255.
struct Slot {
  std::int16_t code = 0;
  double value = 0;
};

struct LocalTime {
  int year, month, day, hour, minute, second;
};
using ClockFunction = LocalTime (*)();
LocalTime SystemLocalTime();

// The second value of the last Box-Muller pair, kept for the next "nrnd".
struct NormalDeviateCache {
  std::int16_t flag = 0;
  double radius = 0;
  double angle = 0;
};

inline constexpr int kRegisterCount = 27;  // &ans and a ... z

class Tly {
 public:
  Tly();

  // Compiles `text` into the compiled formula; raises a NumberedError on a malformed formula,
  // leaving an empty program behind.
  void CompileFormula(std::u16string_view text);
  // Runs the compiled formula on a fresh operand stack.
  double EvaluateFormula();

  const std::vector<Slot>& compiled() const { return slots_; }

  // Register store: index 0 is &ans, 1 ... 26 are a ... z.
  double Register(int index) const { return registers_.at(static_cast<std::size_t>(index)); }
  void SetRegister(int index, double value) {
    registers_.at(static_cast<std::size_t>(index)) = value;
  }

  // Random numbers behind "rnd" and "nrnd".
  void SeedRandom(std::uint64_t seed) { random_.Seed(seed); }
  void SeedRandomFromClock();
  float NextUniform() { return random_.Next(); }
  NormalDeviateCache& normal_cache() { return normal_cache_; }

  // Loop bodies may run this many times in one evaluation; a formula that asks for more ends
  // with error 16 instead of freezing the program.
  void SetLoopPassLimit(long long passes) { loop_pass_limit_ = passes; }

  // The clock behind "now"; the system's local time unless a test sets another.
  void SetClock(ClockFunction clock) { clock_ = clock; }
  LocalTime Now() const { return clock_(); }

  // Scanner, driven by the parser; public so that the token stream can be examined.
  void StartScan(std::u16string_view text);  // store the text and read its first character
  int NextChar();                            // lower-cased character, or kNoChar past the end
  void NextToken();
  double ScanNumber();
  int token_code() const { return token_code_; }
  double token_value() const { return token_value_; }
  int paren_depth() const { return paren_depth_; }

  static constexpr int kNoChar = -1;  // the empty string: below every character class

 private:
  void ParseExpression();
  void ParseTerm();
  void ParseFactor();
  void ParseOperand();
  void ParsePrimary();
  void EmitSlot(int code, int count);
  void WriteSlot(int code, double value);
  bool CommaAtCallLevel(int depth) const;
  void ScanWord();
  void ScanRelational();

  // Scanner state.
  std::u16string text_;
  std::int16_t position_ = 0;
  int current_ = kNoChar;
  int token_code_ = 0;
  double token_value_ = 0;
  std::int16_t paren_depth_ = 0;
  int expression_depth_ = 0;

  // Compiled formula and its output index.
  std::vector<Slot> slots_;
  int output_index_ = 1;

  std::array<double, kRegisterCount> registers_{};
  NormalDeviateCache normal_cache_;
  UniformRandom random_;
  ClockFunction clock_ = SystemLocalTime;
  long long loop_pass_limit_ = 100'000'000;
};

}  // namespace tly
