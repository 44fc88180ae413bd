#include "weather/wx_dates.h"

#include "toolkit/modutils.h"

namespace olive {
namespace {

constexpr int32_t kLastYear = 10000;

int32_t MonthLength(int32_t month, int32_t year) {
  constexpr int32_t kLength[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kLength[month];
}

}  // namespace

bool IsCalendarDate(const WxDate& d) {
  return d.year >= 0 && d.year <= kLastYear && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= MonthLength(d.month, d.year);
}

WxDate NextDay(const WxDate& d) {
  if (d.day < MonthLength(d.month, d.year)) return {d.month, d.day + 1, d.year};
  if (d.month < 12) return {d.month + 1, 1, d.year};
  return {1, 1, d.year + 1};
}

int64_t DaySerial(const WxDate& d) {
  int64_t days = 365 * static_cast<int64_t>(d.year) + (d.year + 3) / 4;  // leap days before
  for (int32_t m = 1; m < d.month; ++m) days += MonthLength(m, d.year);
  return days + d.day - 1;
}

WxDateFault FollowOn(const WxDate& previous, const WxDate& found, const WxDate* next) {
  if (!IsCalendarDate(found)) return WxDateFault::kNotADate;
  const WxDate expected = NextDay(previous);
  if (found == expected) return WxDateFault::kNone;
  if (found == previous) return WxDateFault::kRepeated;
  // A record put in between (next is the expected day) or one with a wrong date (next is the
  // day after that): the series goes on without it.
  if (next != nullptr && (*next == expected || *next == NextDay(expected))) {
    return WxDateFault::kOutOfPlace;
  }
  return DaySerial(found) < DaySerial(previous) ? WxDateFault::kBackward : WxDateFault::kMissing;
}

std::optional<WxDateProblem> CheckDateSequence(std::span<const WxDate> dates) {
  for (std::size_t i = 0; i < dates.size(); ++i) {
    if (i == 0) {
      if (!IsCalendarDate(dates[0])) return WxDateProblem{0, WxDateFault::kNotADate, {}, dates[0]};
      continue;
    }
    const WxDate* next = i + 1 < dates.size() ? &dates[i + 1] : nullptr;
    const WxDateFault fault = FollowOn(dates[i - 1], dates[i], next);
    if (fault != WxDateFault::kNone) {
      return WxDateProblem{i, fault, NextDay(dates[i - 1]), dates[i]};
    }
  }
  return std::nullopt;
}

std::string FormatWxDate(const WxDate& d) {
  return std::to_string(d.month) + "/" + std::to_string(d.day) + "/" + std::to_string(d.year);
}

std::string DescribeDateProblem(const WxDateProblem& problem) {
  std::string text = "date " + FormatWxDate(problem.found);
  if (!problem.expected) return text + " is not a calendar date.";
  text += " where " + FormatWxDate(*problem.expected) + " is expected (";
  switch (problem.fault) {
    case WxDateFault::kNotADate:
      return text + "not a calendar date).";
    case WxDateFault::kRepeated:
      return text + "a repeated date).";
    case WxDateFault::kBackward:
      return text + "the dates go back).";
    case WxDateFault::kOutOfPlace:
      return text + "a date out of place).";
    case WxDateFault::kMissing: {
      const int64_t gap = DaySerial(problem.found) - DaySerial(*problem.expected);
      return text + std::to_string(gap) + (gap == 1 ? " day" : " days") + " missing).";
    }
    case WxDateFault::kNone:
      break;
  }
  return text + "in order).";
}

}  // namespace olive
