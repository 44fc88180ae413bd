#include "wxconvert/wx_command_line.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "wxsource/wx_variables.h"

namespace olive {
namespace {

// "a=b,c=d" as pairs; false when an item has no '=' or an empty side.
bool ParsePairs(std::string_view text, std::vector<std::pair<std::string, std::string>>& out) {
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos || eq == 0 || eq + 1 == item.size()) return false;
    out.emplace_back(item.substr(0, eq), item.substr(eq + 1));
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

std::optional<float> ParseDegrees(std::string_view text) {
  double v = 0;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) {
    return std::nullopt;
  }
  return static_cast<float>(v);
}

bool AddColumns(std::string_view text, CsvOptions& csv, std::string& error) {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (!ParsePairs(text, pairs)) {
    error = "--map takes VAR=COLUMN pairs separated by commas, not \"" + std::string(text) + "\"";
    return false;
  }
  for (const auto& [key, column] : pairs) {
    const std::string k = LowerAscii(key);
    const auto v = VarByName(k);
    if (!v && !IsCsvColumnKey(k)) {
      error = "--map: \"" + key +
              "\" is not one of tmax, tmin, solar, rain, rh, wind, date, year, month, day, doy, "
              "lon, lat";
      return false;
    }
    csv.columns[v ? std::string(VarKey(*v)) : k] = column;
  }
  return true;
}

bool AddUnits(std::string_view text, CsvOptions& csv, std::string& error) {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (!ParsePairs(text, pairs)) {
    error = "--units takes VAR=UNIT pairs separated by commas, not \"" + std::string(text) + "\"";
    return false;
  }
  for (const auto& [key, unit] : pairs) {
    const auto v = VarByName(key);
    if (!v) {
      error = "--units: \"" + key + "\" is not one of tmax, tmin, solar, rain, rh, wind";
      return false;
    }
    const auto conversion = FindUnit(*v, unit);
    if (!conversion) {
      error = "--units: \"" + unit + "\" is not a unit of the " + std::string(VarDescription(*v)) +
              " (" + std::string(KnownUnits(*v)) + ")";
      return false;
    }
    csv.units[Index(*v)] = *conversion;
  }
  return true;
}

// The options' values and the files; the checks of their combinations follow in ParseWxArgs.
struct Parsed {
  std::optional<float> lon, lat;
  bool csvOnly = false;  // a CSV option was given
  std::string csvOption;
};

bool ParseOption(std::span<const std::string> args, std::size_t& i, WxOptions& o, Parsed& p,
                 std::string& error) {
  const std::string& a = args[i];
  const std::size_t eq = a.find('=');
  const std::string name = a.starts_with("--") && eq != std::string::npos ? a.substr(0, eq) : a;
  std::string value;
  if (name == "-h" || name == "--help") {
    o.help = true;
    return true;
  }
  if (name != a) {
    value = a.substr(eq + 1);
  } else if (i + 1 < args.size()) {
    value = args[++i];
  } else {
    error = "option " + name + " needs a value";
    return false;
  }
  if (name != "-o" && name != "--output" && name != "--prefix") {
    p.csvOnly = true;
    p.csvOption = name;
  }
  if (name == "-o" || name == "--output") {
    o.outDir = value;
  } else if (name == "--prefix") {
    o.netcdf.prefix = value;
  } else if (name == "--map") {
    return AddColumns(value, o.csv, error);
  } else if (name == "--units") {
    return AddUnits(value, o.csv, error);
  } else if (name == "--station-column") {
    o.csv.stationColumn = value;
  } else if (name == "--stations") {
    o.stationsFile = value;
  } else if (name == "--lon" || name == "--lat") {
    const auto v = ParseDegrees(value);
    if (!v) {
      error = name + " takes a number of degrees, not \"" + value + "\"";
      return false;
    }
    (name == "--lon" ? p.lon : p.lat) = v;
  } else {
    error = "unknown option \"" + a + "\"";
    return false;
  }
  if (value.empty()) {
    error = "option " + name + " needs a value";
    return false;
  }
  return true;
}

bool CheckCombinations(const WxOptions& o, const Parsed& p, std::string& error) {
  if (o.source == WxOptions::Source::Netcdf && p.csvOnly) {
    error = "option " + p.csvOption + " is one of olive-wx csv";
  } else if (o.source == WxOptions::Source::Csv && !o.netcdf.prefix.empty()) {
    error = "option --prefix is one of olive-wx netcdf";
  } else if (o.inputs.empty()) {
    error = "no input file";
  } else if (o.outDir.empty()) {
    error = "no output folder (-o DIR)";
  } else if (p.lon.has_value() != p.lat.has_value()) {
    error = "--lon and --lat go together";
  } else if (p.lon && !o.stationsFile.empty()) {
    error = "--lon and --lat give one station's place, --stations many: give one of them";
  } else if (p.lon && (o.inputs.size() > 1 || !o.csv.stationColumn.empty())) {
    error = "--lon and --lat give the place of one station, in one file without a station column";
  } else {
    return true;
  }
  return false;
}

}  // namespace

bool ParseWxArgs(std::span<const std::string> args, WxOptions& options, std::string& error) {
  options = WxOptions{};
  if (args.empty()) {
    error = "no converter (csv or netcdf)";
    return false;
  }
  for (const std::string& a : args) {
    if (a == "-h" || a == "--help") {
      options.help = true;
      return true;
    }
  }
  if (args[0] == "csv") {
    options.source = WxOptions::Source::Csv;
  } else if (args[0] == "netcdf") {
    options.source = WxOptions::Source::Netcdf;
  } else {
    error = "the converter is csv or netcdf, not \"" + args[0] + "\"";
    return false;
  }
  Parsed p;
  bool optionsEnd = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!optionsEnd && a == "--") {
      optionsEnd = true;
    } else if (!optionsEnd && a.size() > 1 && a[0] == '-') {
      if (!ParseOption(args, i, options, p, error)) return false;
    } else {
      options.inputs.push_back(a);
    }
  }
  if (!CheckCombinations(options, p, error)) return false;
  if (p.lon) options.csv.place = StationPlace{*p.lon, *p.lat};
  return true;
}

std::string WxUsage() {
  return "usage: olive-wx csv [--map VAR=COLUMN,...] [--units VAR=UNIT,...]\n"
         "                    [--station-column COLUMN] [--stations FILE.csv | --lon X --lat Y]\n"
         "                    FILE.csv... -o DIR\n"
         "       olive-wx netcdf [--prefix NAME] FILE.nc... -o DIR\n"
         "       olive-wx --help | --version\n";
}

std::string WxHelp() {
  return WxUsage() +
         "\n"
         "Converts daily weather to the simulator's weather files: one file per station, NAME.wx,\n"
         "in the folder DIR, and DIR/stations.txt listing them (olive-batch ... @stations.txt\n"
         "run in DIR runs them all). Nothing is written when an input is wrong.\n"
         "\n"
         "olive-wx csv: tables with a header row, comma, semicolon or TAB separated. The date is\n"
         "a column \"date\" (YYYY-MM-DD) or columns \"year\", \"month\" and \"day\" (or \"year\"\n"
         "and \"doy\"); the variables are found by their common names (case-insensitive):\n"
         "  tmax   tmax, temp_max, tasmax, tx           deg C\n"
         "  tmin   tmin, temp_min, tasmin, tn           deg C\n"
         "  solar  solar, rsds, srad, radiation, qq     W/m2, daily mean\n"
         "  rain   rain, precipitation, prcp, pr, rr    mm\n"
         "  rh     rh, hurs, humidity, hu               %\n"
         "  wind   wind, sfcWind, wind_speed, fg        m/s\n"
         "Other columns are ignored; a variable without a column is -99 on every day; empty\n"
         "cells and NA are -99, and so are the days the table lacks.\n"
         "  --map VAR=COLUMN,...     columns by name (VAR: a variable, date, year, month, day,\n"
         "                           doy, lon, lat)\n"
         "  --units VAR=UNIT,...     the tables' units: degC, K, degF; mm, in, cm; W/m2, MJ/m2/d,\n"
         "                           kJ/m2/d, J/m2/d, cal/cm2/d; %, 1; m/s, km/h, mph, knots\n"
         "  --station-column COLUMN  many stations in one table, named by that column\n"
         "  --stations FILE.csv      the stations' coordinates: columns name, lon, lat\n"
         "  --lon X --lat Y          the one station's coordinates (degrees)\n"
         "Coordinates may also come from columns \"lon\" and \"lat\". A station is named after\n"
         "its file (a table of one station) or its station column.\n"
         "\n"
         "olive-wx netcdf: CF NetCDF files, one variable a file or more, a variable possibly\n"
         "split along time over several files; grids (1-D or 2-D lat and lon) or stations (a\n"
         "station dimension). Variables by CF standard_name and cell_methods or by the names\n"
         "above; units from their units attribute; noleap calendars get each 29 February as the\n"
         "mean of 28 February and 1 March; 360_day and all_leap are refused. Sea cells (no valid\n"
         "temperature on any day) are skipped. A station is named after its timeseries_id; a\n"
         "grid cell PREFIX_ROW_COLUMN, counted from 1 along the grid's first and second\n"
         "dimensions, PREFIX being the stem of the file of the maximum temperature:\n"
         "  --prefix NAME            another prefix\n"
         "\n"
         "Problems go to errorlog in the current folder, and to standard error.\n"
         "Exit codes: 0 converted; 1 an input is wrong (see errorlog); 2 the error log could not\n"
         "be written; 3 an output file could not be written; 64 a wrong command line.\n"
         "\n"
         "More: README.md and docs/weather.md (installed under share/olive).\n";
}

}  // namespace olive
