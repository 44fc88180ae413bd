#include "wxsource/cf_time.h"

#include <charconv>
#include <cmath>

#include "wxsource/wx_variables.h"

namespace olive {
namespace {

// A whole number at the front of s, taken off it.
bool TakeNumber(std::string_view& s, int32_t& v) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end == s.data()) return false;
  s.remove_prefix(static_cast<size_t>(end - s.data()));
  return true;
}

bool TakeChar(std::string_view& s, char c) {
  if (s.empty() || s.front() != c) return false;
  s.remove_prefix(1);
  return true;
}

// "Y-M-D", then optionally a time "h:m[:s[.f]]" after a blank or 'T', then optionally a zone of
// UTC ("Z", "UTC", "+00:00", ...).
bool ParseReference(std::string_view s, CivilDate& date, double& dayFraction) {
  if (!TakeNumber(s, date.year) || !TakeChar(s, '-') || !TakeNumber(s, date.month) ||
      !TakeChar(s, '-') || !TakeNumber(s, date.day)) {
    return false;
  }
  dayFraction = 0;
  if (!s.empty() && (s.front() == ' ' || s.front() == 'T')) {
    s.remove_prefix(1);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    int32_t h = 0, m = 0;
    double sec = 0;
    if (!s.empty() && s.front() >= '0' && s.front() <= '9') {
      if (!TakeNumber(s, h) || !TakeChar(s, ':') || !TakeNumber(s, m)) return false;
      if (TakeChar(s, ':')) {
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), sec);
        if (ec != std::errc()) return false;
        s.remove_prefix(static_cast<size_t>(end - s.data()));
      }
      dayFraction = (h * 3600.0 + m * 60.0 + sec) / 86400.0;
    }
  }
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  // Only a zone of UTC may follow.
  if (s.empty() || s == "Z" || s == "UTC" || s == "GMT") return true;
  if (s.front() != '+' && s.front() != '-') return false;
  s.remove_prefix(1);
  for (const char c : s) {
    if (c != '0' && c != ':') return false;
  }
  return true;
}

}  // namespace

std::optional<SourceCalendar> ParseCfCalendar(std::string_view calendar, std::string& problem) {
  const std::string c = LowerAscii(calendar);
  if (c.empty() || c == "standard" || c == "gregorian") return SourceCalendar::Gregorian;
  if (c == "proleptic_gregorian") return SourceCalendar::ProlepticGregorian;
  if (c == "noleap" || c == "365_day") return SourceCalendar::NoLeap;
  if (c == "360_day") {
    problem =
        "the calendar \"360_day\" has twelve months of 30 days, which have no day-by-day "
        "match in the model's calendar; convert the data to a standard or noleap calendar "
        "first";
  } else if (c == "all_leap" || c == "366_day") {
    problem = "the calendar \"" + c +
              "\" has a 29 February in every year, which has no "
              "day-by-day match in the model's calendar; convert the data to a standard or "
              "noleap calendar first";
  } else {
    problem = "the calendar \"" + std::string(calendar) +
              "\" is not supported (standard, gregorian, proleptic_gregorian, noleap and "
              "365_day are)";
  }
  return std::nullopt;
}

std::optional<CfTimeAxis> ParseCfTimeUnits(std::string_view units, SourceCalendar calendar,
                                           std::string& problem) {
  problem = "the time units \"" + std::string(units) +
            "\" are not \"days since DATE\", \"hours since DATE\", \"minutes since DATE\" or "
            "\"seconds since DATE\"";
  const size_t since = units.find(" since ");
  if (since == std::string_view::npos) return std::nullopt;
  const std::string unit = LowerAscii(units.substr(0, since));
  CfTimeAxis axis;
  axis.calendar = calendar;
  if (unit == "days" || unit == "day" || unit == "d") {
    axis.daysPerUnit = 1;
  } else if (unit == "hours" || unit == "hour" || unit == "h" || unit == "hr") {
    axis.daysPerUnit = 1.0 / 24;
  } else if (unit == "minutes" || unit == "minute" || unit == "min") {
    axis.daysPerUnit = 1.0 / 1440;
  } else if (unit == "seconds" || unit == "second" || unit == "s" || unit == "sec") {
    axis.daysPerUnit = 1.0 / 86400;
  } else {
    return std::nullopt;
  }
  std::string_view rest = units.substr(since + 7);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  while (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
  CivilDate ref;
  if (!ParseReference(rest, ref, axis.referenceTime) || ref.month < 1 || ref.month > 12 ||
      ref.day < 1 || ref.day > 31 ||
      (ref.month == 2 && ref.day == 29 && !SourceHasDay(calendar, ref))) {
    return std::nullopt;
  }
  axis.referenceDay = SourceDayNumber(calendar, ref);
  problem.clear();
  return axis;
}

int64_t DayOfTime(const CfTimeAxis& axis, double value) {
  // A millionth of a day (0.09 s) of slack, so that a time stored as 0.9999999 of the next day
  // falls on it.
  constexpr double kSlack = 1e-6;
  return axis.referenceDay +
         static_cast<int64_t>(std::floor(axis.referenceTime + value * axis.daysPerUnit + kSlack));
}

}  // namespace olive
