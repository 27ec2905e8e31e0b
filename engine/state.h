// What an evaluation reads and changes besides its program: the registers, the random
// generator with the cached half of the last normal pair, the clock and the loop budget. A
// plain value: copying it is cheap, and an evaluation against a copy leaves the original as it
// was.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "random.h"
#include "registers.h"

namespace tly {

struct LocalTime {
  int year, month, day, hour, minute, second;
};
using ClockFunction = LocalTime (*)();

// The system's local time, from the platform's calendar.
LocalTime SystemLocalTime();

// The second value of the last Box-Muller pair, kept for the next "nrnd".
struct NormalDeviateCache {
  std::int16_t flag = 0;
  double radius = 0;
  double angle = 0;
  friend bool operator==(const NormalDeviateCache&, const NormalDeviateCache&) = default;
};

struct State {
  std::array<double, kRegisterCount> registers{};
  UniformRandom random;
  NormalDeviateCache normal_cache;
  ClockFunction clock = SystemLocalTime;
  // Loop bodies may run this many times in one evaluation; a formula that asks for more ends
  // with error 16 instead of freezing the program.
  long long loop_pass_limit = 100'000'000;
  // When set, the loops also end with error 16 once the clock passes it (checked every
  // kPassesPerClockCheck passes), so that a preview keeps typing responsive.
  std::optional<std::chrono::steady_clock::time_point> deadline;
  static constexpr long long kPassesPerClockCheck = 256;

  friend bool operator==(const State&, const State&) = default;
};

}  // namespace tly
