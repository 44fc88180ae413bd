#pragma once
// The time axis of a CF NetCDF file: its units ("days since 1950-01-01", "hours since
// 1949-12-01 00:00:00") and calendar decoded into day numbers of the source's calendar.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "wxsource/wx_calendar.h"

namespace olive {

struct CfTimeAxis {
  SourceCalendar calendar = SourceCalendar::Gregorian;
  int64_t referenceDay = 0;  // day number of the reference date
  double referenceTime = 0;  // time of day of the reference, in days
  double daysPerUnit = 1;    // 1 for days, 1/24 for hours, ...
};

// The calendar of a CF calendar attribute (empty: the default "standard"). For a calendar
// whose days have no match in the model's calendar (360_day, all_leap, julian, none) problem
// says why.
std::optional<SourceCalendar> ParseCfCalendar(std::string_view calendar, std::string& problem);

// The axis of CF time units in a calendar; problem says what is wrong with the units.
std::optional<CfTimeAxis> ParseCfTimeUnits(std::string_view units, SourceCalendar calendar,
                                           std::string& problem);

// The source day number on which a time value falls.
int64_t DayOfTime(const CfTimeAxis& axis, double value);

}  // namespace olive
