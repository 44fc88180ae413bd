#pragma once
// Reading, repair, unit conversion and adjustment of the station's daily weather for a whole pass.
//
// Weather file (plain text, numbers separated by blanks or tabs):
//   line 1  station identification: location name, a TAB, any text
//   line 2  longitude and latitude, degrees
//   line 3  column heading (skipped)
//   then    one record a line: month day year tmax tmin solar rain relhum wind [text]
// in deg C, daily mean W/m2, mm, per cent and m/s; -99 marks a missing value, a record with month
// 0 or below ends the data, blank lines hold no record. Text may follow a record's nine numbers
// (a note on the day), a tenth number may not.
//
// Records follow one another day by day, from the first record of the file on: a missing,
// repeated, backward or misplaced date, or a record with too few or too many fields, refuses the
// run with the file, the line and the dates found and expected. Dates choose the records of the
// pass; the records after the one that reaches the end date are not read.
//
// A value of the pass that the weather cannot have (see CheckWxValues) is reported with its
// line and taken as missing, so that the repair fills it; the run goes on.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/error_sink.h"
#include "weather/weather.h"

namespace olive {

struct StationSeries;

// The dates a pass asks of the weather file, and the days it gets.
struct WxPeriod {
  float Firstdate = 0;  // modelStartDate (rdate serial number)
  float Lastdate = 0;   // ModelEndDate
  uint16_t ndays = 0;   // in: days of the pass; out: shortened when the data end early
};

// Additive adjustments, entries 1..5: temperatures, solar, rain, relative humidity, wind, in the
// model's internal units (the setup file's wxcons).
using WxCons = std::array<float, 6>;

// Reads the weather file wxfile for the pass: loads, repairs and converts the series of days
// 1..period.ndays into wx. On failure reports the reason and clears log.RunOk; an end of the data
// before Lastdate shortens period.ndays and lets the run go on. The file is read whole, and only
// when it is a regular file of a sensible size (not a folder, a device or a pipe).
void readwx(ErrorSink& log, const std::string& wxfile, WxPeriod& period, const WxCons& wxcons,
            Weather& wx);
// The same from the file's contents already in memory (a UTF-8 byte-order mark at its start is
// skipped); wxfile names the file in messages.
void readwxText(ErrorSink& log, std::string_view text, std::string_view wxfile, WxPeriod& period,
                const WxCons& wxcons, Weather& wx);
// The same from a station's series in memory (weather/wx_series.h), as if it were read from the
// weather file that olive-wx writes of it, named wxfile in messages: the same weather, the same
// messages (lines counted as in that file), without the text.
void readwxSeries(ErrorSink& log, const StationSeries& s, std::string_view wxfile, WxPeriod& period,
                  const WxCons& wxcons, Weather& wx);

// Fills the missing values (-99) of the six series over days 1..ndays: straight lines across
// gaps, the first valid value before a leading gap, the last one after a trailing gap, and the
// series' default when it has no valid value at all.
void wxmissing(Weather& wx, uint16_t ndays);
// Converts the file's units to the model's, for values above -99 on days 1..ndays.
void wxunits(Weather& wx, uint16_t ndays, bool fahr, bool watts, bool inches, bool kilom,
             bool metersPerSec);
// Adds the non-zero adjustments wxcons[1..5] to the values above -99 on days 1..ndays.
void DoAdjustWx(Weather& wx, uint16_t ndays, const WxCons& wxcons);

// Sizes the series to their capacity (once; later calls keep the contents).
void SizeWeather(Weather& wx);

}  // namespace olive
