#include "tly.h"

#include <chrono>
#include <ctime>

namespace tly {

Tly::Tly() = default;

void Tly::SeedRandomFromClock() {
  auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  random_.Seed(static_cast<std::uint64_t>(ticks));
}

LocalTime SystemLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
#ifdef _WIN32
  localtime_s(&t, &now);
#else
  localtime_r(&now, &t);
#endif
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

}  // namespace tly
