#include "wxsource/wx_calendar.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace olive {
namespace {

constexpr std::array<int32_t, 13> kMonthDays = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Days of a 365-day year before each month.
constexpr std::array<int32_t, 13> kNoLeapBefore = {0,   0,   31,  59,  90,  120, 151,
                                                   181, 212, 243, 273, 304, 334};
// Julian day number of 15 October 1582, the first day of the Gregorian calendar.
constexpr int64_t kFirstGregorianDay = 2299161;
// Days of four model years.
constexpr int64_t kModelCycle = 1461;

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

bool IsGregorianLeap(int32_t y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Julian day numbers of a date in the Gregorian or the Julian calendar.
int64_t GregorianJdn(const CivilDate& d) {
  const int64_t a = (14 - d.month) / 12;
  const int64_t y = d.year + 4800 - a;
  const int64_t m = d.month + 12 * a - 3;
  return d.day + (153 * m + 2) / 5 + 365 * y + FloorDiv(y, 4) - FloorDiv(y, 100) +
         FloorDiv(y, 400) - 32045;
}
int64_t JulianJdn(const CivilDate& d) {
  const int64_t a = (14 - d.month) / 12;
  const int64_t y = d.year + 4800 - a;
  const int64_t m = d.month + 12 * a - 3;
  return d.day + (153 * m + 2) / 5 + 365 * y + FloorDiv(y, 4) - 32083;
}

// The date of a Julian day number, in the Gregorian (gregorian true) or the Julian calendar.
CivilDate JdnDate(int64_t jdn, bool gregorian) {
  int64_t c = 0, b = 0;
  if (gregorian) {
    const int64_t a = jdn + 32044;
    b = FloorDiv(4 * a + 3, 146097);
    c = a - FloorDiv(146097 * b, 4);
  } else {
    b = 0;
    c = jdn + 32082;
  }
  const int64_t d = FloorDiv(4 * c + 3, 1461);
  const int64_t e = c - FloorDiv(1461 * d, 4);
  const int64_t m = FloorDiv(5 * e + 2, 153);
  return {static_cast<int32_t>(100 * b + d - 4800 + m / 10),
          static_cast<int32_t>(m + 3 - 12 * (m / 10)),
          static_cast<int32_t>(e - FloorDiv(153 * m + 2, 5) + 1)};
}

bool IsLeapIn(SourceCalendar c, int32_t year) {
  switch (c) {
    case SourceCalendar::Gregorian:
      return year < 1583 ? year % 4 == 0 : IsGregorianLeap(year);
    case SourceCalendar::ProlepticGregorian:
      return IsGregorianLeap(year);
    case SourceCalendar::NoLeap:
      break;
  }
  return false;
}

// Reads exactly n digits at s[i] into v.
bool Digits(std::string_view s, size_t i, size_t n, int32_t& v) {
  if (i + n > s.size()) return false;
  for (size_t k = i; k < i + n; ++k) {
    if (s[k] < '0' || s[k] > '9') return false;
  }
  std::from_chars(s.data() + i, s.data() + i + n, v);
  return true;
}

// A time of day after a date: "T12:00", " 00:00:00.0", "Z"; ignored, but it must look like one.
bool IsTimeOfDay(std::string_view s) {
  if (s.empty()) return true;
  if (s.front() != 'T' && s.front() != ' ') return s == "Z";
  s.remove_prefix(1);
  for (const char ch : s) {
    if (!((ch >= '0' && ch <= '9') || ch == ':' || ch == '.' || ch == 'Z')) return false;
  }
  return !s.empty() && s.front() >= '0' && s.front() <= '9';
}

}  // namespace

std::string DateText(const CivilDate& d) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  return text;
}

int32_t ModelMonthLength(int32_t year, int32_t month) {
  return month == 2 && year % 4 == 0 ? 29 : kMonthDays[static_cast<size_t>(month)];
}

bool IsModelDate(const CivilDate& d) {
  return d.year >= 0 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= ModelMonthLength(d.year, d.month);
}

int64_t ModelDayNumber(const CivilDate& d) {
  // Whole four-year cycles from year 0 (a leap year), then the years of the cycle, then the days
  // of the year.
  const int64_t cycles = FloorDiv(d.year, 4);
  const int64_t yearOfCycle = d.year - 4 * cycles;
  int64_t n = cycles * kModelCycle + (yearOfCycle == 0 ? 0 : 366 + (yearOfCycle - 1) * 365);
  n += kNoLeapBefore[static_cast<size_t>(d.month)] + d.day - 1;
  if (yearOfCycle == 0 && d.month > 2) ++n;
  return n;
}

CivilDate ModelDate(int64_t dayNumber) {
  const int64_t cycles = FloorDiv(dayNumber, kModelCycle);
  int64_t rest = dayNumber - cycles * kModelCycle;  // 0..1460
  int32_t year = static_cast<int32_t>(4 * cycles);
  if (rest >= 366) {
    rest -= 366;
    year += 1 + static_cast<int32_t>(rest / 365);
    rest %= 365;
  }
  int32_t month = 1;
  while (rest >= ModelMonthLength(year, month)) rest -= ModelMonthLength(year, month++);
  return {year, month, static_cast<int32_t>(rest) + 1};
}

int64_t SourceDayNumber(SourceCalendar c, const CivilDate& d) {
  switch (c) {
    case SourceCalendar::Gregorian: {
      const int64_t g = GregorianJdn(d);
      return g >= kFirstGregorianDay ? g : JulianJdn(d);
    }
    case SourceCalendar::ProlepticGregorian:
      return GregorianJdn(d);
    case SourceCalendar::NoLeap:
      break;
  }
  return static_cast<int64_t>(d.year) * 365 + kNoLeapBefore[static_cast<size_t>(d.month)] + d.day -
         1;
}

CivilDate SourceDate(SourceCalendar c, int64_t dayNumber) {
  switch (c) {
    case SourceCalendar::Gregorian:
      return JdnDate(dayNumber, dayNumber >= kFirstGregorianDay);
    case SourceCalendar::ProlepticGregorian:
      return JdnDate(dayNumber, true);
    case SourceCalendar::NoLeap:
      break;
  }
  const int64_t year = FloorDiv(dayNumber, 365);
  const int32_t dayOfYear = static_cast<int32_t>(dayNumber - year * 365);  // 0..364
  int32_t month = 12;
  while (kNoLeapBefore[static_cast<size_t>(month)] > dayOfYear) --month;
  return {static_cast<int32_t>(year), month,
          dayOfYear - kNoLeapBefore[static_cast<size_t>(month)] + 1};
}

bool SourceHasDay(SourceCalendar c, const CivilDate& d) {
  return !(d.month == 2 && d.day == 29) || IsLeapIn(c, d.year);
}

std::optional<CivilDate> ParseIsoDate(std::string_view text) {
  CivilDate d;
  size_t end = 0;
  if (text.size() >= 10 && (text[4] == '-' || text[4] == '/') && text[7] == text[4]) {
    if (!Digits(text, 0, 4, d.year) || !Digits(text, 5, 2, d.month) || !Digits(text, 8, 2, d.day)) {
      return std::nullopt;
    }
    end = 10;
  } else if (text.size() >= 8 && Digits(text, 0, 4, d.year) && Digits(text, 4, 2, d.month) &&
             Digits(text, 6, 2, d.day)) {
    end = 8;
  } else {
    return std::nullopt;
  }
  if (!IsTimeOfDay(text.substr(end)) || !IsModelDate(d)) return std::nullopt;
  return d;
}

}  // namespace olive
