// Date numbers: days counted from 30 December 1899 (day 0), the fraction being the time of
// day, on the proleptic Gregorian calendar. Dates from 1 January 100 to 31 December 9999 are
// valid; the functions of the formula language raise error 5 outside that range.
#pragma once

#include <cstdint>

namespace tly {

struct CivilDate {
  std::int64_t year;
  int month;  // 1 ... 12
  int day;    // 1 ... 31
};

// Day number of a calendar date; the month and day must be within their ranges.
std::int64_t DayNumber(std::int64_t year, int month, int day);
CivilDate CivilFromDayNumber(std::int64_t day_number);

inline constexpr std::int64_t kFirstValidDay = -657434;  // 1 January 100
inline constexpr std::int64_t kLastValidDay = 2958465;   // 31 December 9999

}  // namespace tly
