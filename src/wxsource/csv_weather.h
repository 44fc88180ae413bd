#pragma once
// Daily weather from CSV tables: station exports of weather services, data portals and
// spreadsheets. A header row names the columns; a date column ("date", ISO dates) or "year",
// "month" and "day" columns (or "year" and "doy") give each row's day; the variables are found by
// their common names (wx_variables.h) or named on the command line; other columns are ignored.
// One station a file (named after the file), or many in one long table with a station column.
// Empty cells, NA and the like are missing (-99); days the table lacks become missing days.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/error_sink.h"
#include "wxsource/wx_series.h"
#include "wxsource/wx_variables.h"

namespace olive {

struct StationPlace {
  float lon = 0, lat = 0;  // degrees
};

struct CsvOptions {
  // Columns named on the command line (--map): a variable's key (tmax, ...) or one of "date",
  // "year", "month", "day", "doy", "lon", "lat", to the column's name.
  std::map<std::string, std::string> columns;
  // Each variable's unit in the tables (--units); the weather file's units by default.
  std::array<UnitConversion, kWxVarCount> units{};
  std::string stationColumn;                   // empty: one station a file
  std::map<std::string, StationPlace> places;  // the stations' coordinates (--stations)
  std::optional<StationPlace> place;           // the one station's coordinates (--lon, --lat)
};

// True for the keys of --map that are not variables: date, year, month, day, doy, lon, lat.
bool IsCsvColumnKey(std::string_view key);

// Reads the table text of the file named file: appends its stations to out, in the order of
// their first rows. Reports every problem (naming the file, the column and the line); false
// after an error.
bool ReadCsvWeather(ErrorSink& log, std::string_view text, std::string_view file,
                    const CsvOptions& options, std::vector<StationSeries>& out);

// Reads a table of station coordinates: columns "name" (or "station", "id"), "lon" and "lat"
// (or "longitude" and "latitude"). False after an error.
bool ReadCsvStations(ErrorSink& log, std::string_view text, std::string_view file,
                     std::map<std::string, StationPlace>& places);

}  // namespace olive
