#pragma once
// The calendar of a daily weather series: its records follow one another day by day, without a
// missing, repeated, backward or misplaced date. The check works on the dates as numbers, apart
// from any file format, so that every reader and converter of daily weather shares it. Every year
// divisible by 4 is a leap year, as in the rest of the model.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace olive {

// A record's date as written: month, day, year.
struct WxDate {
  int32_t month = 0, day = 0, year = 0;
  friend bool operator==(const WxDate&, const WxDate&) = default;
};

// How a record's date fails to follow the record before it.
enum class WxDateFault : uint8_t {
  kNone,        // the day after the record before
  kNotADate,    // no calendar date: month 13, 30 February, a year outside 0..10000
  kRepeated,    // the date of the record before once more
  kBackward,    // earlier than the record before, and the series goes on from it
  kMissing,     // later than the day after the record before: days are missing
  kOutOfPlace,  // one record out of the series, which goes on from the record before it
};

// A day of the calendar: month 1..12, day 1..the month's length, year 0..10000 (the years the
// model's Julian accepts).
bool IsCalendarDate(const WxDate& d);
// The day after the calendar date d.
WxDate NextDay(const WxDate& d);
// Days since 1 January of year 0 of the calendar date d.
int64_t DaySerial(const WxDate& d);

// Judges the date found on the record that follows the record dated previous (a calendar date).
// next is the date of the record after found, when there is one: when it goes on from previous
// (the day after it, or the day after that) found is a single record out of place, a typing error
// in the year for example; otherwise the series itself steps back or leaves out days.
WxDateFault FollowOn(const WxDate& previous, const WxDate& found, const WxDate* next);

// The first record of a series that does not follow the record before it.
struct WxDateProblem {
  std::size_t index = 0;  // its position in the series
  WxDateFault fault = WxDateFault::kNone;
  std::optional<WxDate> expected;  // the day after the record before (none for the first)
  WxDate found;
};

// Checks that the dates follow one another day by day from the first on; none when they do.
std::optional<WxDateProblem> CheckDateSequence(std::span<const WxDate> dates);

// The problem in words, for a message after the file and line: "date 1/2/1999 where 1/2/2000 is
// expected (the dates go back)."
std::string DescribeDateProblem(const WxDateProblem& problem);

// A date as month/day/year.
std::string FormatWxDate(const WxDate& d);

}  // namespace olive
