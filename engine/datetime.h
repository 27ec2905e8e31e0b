// Date numbers: days counted from 30 December 1899 (day 0), the fraction being the time of
// day, on the proleptic Gregorian calendar. Dates from 1 January 100 to 31 December 9999 are
// valid; the functions of the formula language raise error 5 outside that range.
#pragma once

#include <chrono>
#include <cstdint>

namespace tly {

inline constexpr std::chrono::sys_days kDayZero =
    std::chrono::sys_days{std::chrono::year{1899} / std::chrono::December / 30};

constexpr std::int64_t DayNumber(std::chrono::year_month_day date) {
  return (std::chrono::sys_days{date} - kDayZero).count();
}

constexpr std::chrono::sys_days DayOf(std::int64_t day_number) {
  return kDayZero + std::chrono::days{day_number};
}

inline constexpr std::int64_t kFirstValidDay =
    DayNumber(std::chrono::year{100} / std::chrono::January / 1);
inline constexpr std::int64_t kLastValidDay =
    DayNumber(std::chrono::year{9999} / std::chrono::December / 31);

inline constexpr int kSecondsPerDay = 86400;

}  // namespace tly
