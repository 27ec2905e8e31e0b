// The local time on Windows: the C runtime's localtime_s.
#include <ctime>

#include "state.h"

namespace tly {

LocalTime SystemLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_s(&t, &now);
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

}  // namespace tly
