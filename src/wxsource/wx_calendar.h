#pragma once
// The calendars the converters meet and the model's own. The model's calendar has a 29 February
// in every year divisible by 4 (no century rule), so it has one day more than the Gregorian
// calendar in 1900, 2100, 2200, ... and one day more than a 365-day ("noleap") calendar in every
// fourth year. Days are counted by day numbers: consecutive integers, one a day, in each calendar.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace olive {

struct CivilDate {
  int32_t year = 0, month = 0, day = 0;
  bool operator==(const CivilDate&) const = default;
};

// "2001-03-07" (the year in at least four digits).
std::string DateText(const CivilDate& d);

// The model's calendar: every year divisible by 4 is a leap year.
int32_t ModelMonthLength(int32_t year, int32_t month);
bool IsModelDate(const CivilDate& d);  // year 0..9999, month 1..12, a day of that month
int64_t ModelDayNumber(const CivilDate& d);
CivilDate ModelDate(int64_t dayNumber);

// A source's calendar (a NetCDF time axis; CSV tables are read in the model's calendar).
enum class SourceCalendar : uint8_t {
  Gregorian,           // "standard", "gregorian": Julian before 15 October 1582
  ProlepticGregorian,  // "proleptic_gregorian"
  NoLeap,              // "noleap", "365_day": no 29 February
};

int64_t SourceDayNumber(SourceCalendar c, const CivilDate& d);
CivilDate SourceDate(SourceCalendar c, int64_t dayNumber);
// True when the source calendar has the model's date d (false for the 29 Februaries that only the
// model's calendar has).
bool SourceHasDay(SourceCalendar c, const CivilDate& d);

// Reads "YYYY-MM-DD" (also "YYYY/MM/DD" and "YYYYMMDD"), optionally followed by a time of day
// ("T12:00", " 00:00:00", "Z") that is ignored; the date must be one of the model's calendar.
std::optional<CivilDate> ParseIsoDate(std::string_view text);

}  // namespace olive
