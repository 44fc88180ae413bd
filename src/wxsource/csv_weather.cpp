#include "wxsource/csv_weather.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <initializer_list>

#include "wxsource/csv_table.h"
#include "wxsource/station_names.h"
#include "wxsource/wx_calendar.h"
#include "wxsource/wx_report.h"

namespace olive {
namespace {

// The most errors reported for one file; a table that is wrong throughout says so once.
constexpr int kMaxErrors = 20;

// The columns other than the variables, with their common names (lower case; for the date the
// first found wins, so that a "date" column goes before a "time" of day).
enum Place : size_t { kDate, kYear, kMonth, kDay, kDoy, kLon, kLat, kPlaceCount };
struct PlaceColumn {
  std::string_view key;
  std::initializer_list<std::string_view> names;
};
const std::array<PlaceColumn, kPlaceCount> kPlaceColumns = {{
    {"date", {"date", "datetime", "time"}},
    {"year", {"year", "yr"}},
    {"month", {"month", "mon", "mo"}},
    {"day", {"day", "dy"}},
    {"doy", {"doy", "yday", "jday"}},
    {"lon", {"lon", "longitude", "long", "lng"}},
    {"lat", {"lat", "latitude"}},
}};

// Texts of a cell without a value.
bool IsMissingText(std::string_view s) {
  const std::string lower = LowerAscii(s);
  for (const std::string_view m :
       {"", "na", "n/a", "nan", "null", "none", "-", "--", "missing", "m", "#n/a"}) {
    if (lower == m) return true;
  }
  return false;
}

// A decimal number; with a semicolon separator a decimal comma is taken too.
bool ParseNumber(std::string_view s, char separator, double& v) {
  std::string text(s);
  if (separator == ';') std::replace(text.begin(), text.end(), ',', '.');
  std::string_view t = text;
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && end == t.data() + t.size() && std::isfinite(v) && !t.empty();
}

bool ParseWhole(std::string_view s, int32_t& v) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

struct Record {
  int64_t day = 0;  // model day number
  int32_t line = 0;
  std::array<float, kWxVarCount> v{};
};

struct StationRows {
  std::string name;
  std::optional<StationPlace> place;  // from the table's coordinate columns
  bool placeChanged = false;
  std::vector<Record> records;
};

std::string DaysText(int64_t first, int64_t last) {
  if (first == last) return "no record for " + DateText(ModelDate(first));
  return "no records from " + DateText(ModelDate(first)) + " to " + DateText(ModelDate(last)) +
         " (" + std::to_string(last - first + 1) + " days)";
}

class TableReader {
 public:
  TableReader(ErrorSink& log, std::string_view text, std::string_view file,
              const CsvOptions& options)
      : log_(log), csv_(text), file_(file), options_(options) {
    vars_.fill(-1);
    places_.fill(-1);
  }

  bool Read(std::vector<StationSeries>& out) {
    if (!csv_.Next(header_)) {
      Error(csv_.Problem().empty() ? "has no header row." : csv_.Problem() + ".", 0);
      return false;
    }
    for (auto& h : header_) h = std::string(TrimBlanks(h));
    if (!FindColumns()) return false;
    std::vector<std::string> fields;
    while (errors_ < kMaxErrors && csv_.Next(fields)) Row(fields);
    if (errors_ < kMaxErrors && !csv_.Problem().empty()) Error(csv_.Problem() + ".", csv_.Line());
    for (StationRows& s : stations_) SortAndCheck(s);
    if (errors_ >= kMaxErrors) {
      WxError(log_,
              Where(0) + ": reading stopped after " + std::to_string(kMaxErrors) + " problems.");
      return false;
    }
    if (errors_ > 0) return false;
    if (stations_.empty()) {
      Error("has no rows of data.", 0);
      return false;
    }
    if (options_.place && stations_.size() > 1) {
      Error("holds " + std::to_string(stations_.size()) +
                " stations, but --lon and --lat give the place of one.",
            0);
      return false;
    }
    const size_t before = out.size();
    for (StationRows& s : stations_) Build(s, out);
    if (errors_ > 0) out.resize(before);
    return errors_ == 0;
  }

 private:
  // "CSV file "f"" or "CSV file "f" line 9".
  std::string Where(int32_t line) const {
    std::string w = "CSV file " + Quoted(file_);
    if (line > 0) w += " line " + std::to_string(line);
    return w;
  }
  void Error(const std::string& what, int32_t line) {
    ++errors_;
    if (errors_ <= kMaxErrors) WxError(log_, Where(line) + (line > 0 ? ": " : " ") + what);
  }
  std::string StationWhere(const StationRows& s) const {
    return options_.stationColumn.empty() ? Where(0) : Where(0) + ", station " + Quoted(s.name);
  }

  int FindHeader(std::string_view name) const {
    for (size_t i = 0; i < header_.size(); ++i) {
      if (header_[i] == name) return static_cast<int>(i);
    }
    const std::string lower = LowerAscii(name);
    for (size_t i = 0; i < header_.size(); ++i) {
      if (LowerAscii(header_[i]) == lower) return static_cast<int>(i);
    }
    return -1;
  }

  std::string ColumnList() const {
    std::string list;
    for (const auto& h : header_) list += (list.empty() ? "" : ", ") + Quoted(h);
    return list;
  }

  bool FindColumns();
  bool AutomaticColumns(std::vector<bool>& used);
  void ReportUnused(const std::vector<bool>& used);
  void Row(const std::vector<std::string>& fields);
  std::optional<int64_t> RowDay(const std::vector<std::string>& fields);
  void RowPlace(StationRows& s, const std::vector<std::string>& fields);
  void SortAndCheck(StationRows& s);
  void Build(StationRows& s, std::vector<StationSeries>& out);

  ErrorSink& log_;
  CsvReader csv_;
  std::string file_;
  const CsvOptions& options_;
  std::vector<std::string> header_;
  std::array<int, kWxVarCount> vars_{};  // column of each variable, -1: none
  std::array<int, kPlaceCount> places_{};
  int station_ = -1;
  int errors_ = 0;
  std::vector<StationRows> stations_;
  std::map<std::string, size_t> stationIndex_;
};

bool TableReader::FindColumns() {
  std::vector<bool> used(header_.size(), false);
  // Columns named on the command line.
  for (const auto& [key, column] : options_.columns) {
    const int at = FindHeader(column);
    if (at < 0) {
      Error("has no column " + Quoted(column) + " (--map " + key + "=" + column +
                "); its columns: " + ColumnList() + ".",
            0);
      continue;
    }
    used[static_cast<size_t>(at)] = true;
    if (const auto v = VarByName(key)) vars_[Index(*v)] = at;
    for (size_t p = 0; p < kPlaceCount; ++p) {
      if (key == kPlaceColumns[p].key) places_[p] = at;
    }
  }
  if (!options_.stationColumn.empty()) {
    station_ = FindHeader(options_.stationColumn);
    if (station_ < 0) {
      Error("has no station column " + Quoted(options_.stationColumn) +
                "; its columns: " + ColumnList() + ".",
            0);
    } else {
      used[static_cast<size_t>(station_)] = true;
    }
  }
  if (errors_ > 0 || !AutomaticColumns(used)) return false;
  const bool ymd = places_[kYear] >= 0 && places_[kMonth] >= 0 && places_[kDay] >= 0;
  const bool ydoy = places_[kYear] >= 0 && places_[kDoy] >= 0;
  if (places_[kDate] < 0 && !ymd && !ydoy) {
    Error(
        "has no date column: a column \"date\" (YYYY-MM-DD), or columns \"year\", \"month\" "
        "and \"day\" (or --map date=COLUMN, ...); its columns: " +
            ColumnList() + ".",
        0);
    return false;
  }
  // The date column goes first; year, month and day are then not used.
  if (places_[kDate] >= 0) {
    for (const Place p : {kYear, kMonth, kDay, kDoy}) {
      if (places_[p] >= 0) used[static_cast<size_t>(places_[p])] = false;
      places_[p] = -1;
    }
  } else if (ymd) {
    if (places_[kDoy] >= 0) used[static_cast<size_t>(places_[kDoy])] = false;
    places_[kDoy] = -1;
  }
  ReportUnused(used);
  return true;
}

bool TableReader::AutomaticColumns(std::vector<bool>& used) {
  bool ok = true;
  for (size_t i = 0; i < header_.size(); ++i) {
    if (used[i]) continue;
    const auto v = VarByName(header_[i]);
    if (!v || options_.columns.contains(std::string(VarKey(*v)))) continue;
    if (vars_[Index(*v)] >= 0) {
      Error("has two columns of the " + std::string(VarDescription(*v)) + ", " +
                Quoted(header_[static_cast<size_t>(vars_[Index(*v)])]) + " and " +
                Quoted(header_[i]) + ": choose one with --map " + std::string(VarKey(*v)) +
                "=COLUMN.",
            0);
      ok = false;
      continue;
    }
    vars_[Index(*v)] = static_cast<int>(i);
    used[i] = true;
  }
  for (size_t p = 0; p < kPlaceCount; ++p) {
    if (places_[p] >= 0 || options_.columns.contains(std::string(kPlaceColumns[p].key))) continue;
    for (const std::string_view name : kPlaceColumns[p].names) {
      const int at = FindHeader(name);
      if (at >= 0 && !used[static_cast<size_t>(at)]) {
        places_[p] = at;
        used[static_cast<size_t>(at)] = true;
        break;
      }
    }
  }
  return ok;
}

void TableReader::ReportUnused(const std::vector<bool>& used) {
  std::string ignored;
  for (size_t i = 0; i < header_.size(); ++i) {
    if (!used[i]) ignored += (ignored.empty() ? "" : ", ") + Quoted(header_[i]);
  }
  if (!ignored.empty()) WxWarning(log_, Where(0) + ": columns ignored: " + ignored + ".");
  std::string lacking;
  for (const WxVar v : kWxVars) {
    if (vars_[Index(v)] >= 0) continue;
    lacking +=
        (lacking.empty() ? "" : ", ") + std::string(VarDescription(v)) + " (" + VarNames(v) + ")";
  }
  if (!lacking.empty()) {
    WxWarning(log_, Where(0) + ": no column of " + lacking + ": written as -99 on every day.");
  }
}

std::optional<int64_t> TableReader::RowDay(const std::vector<std::string>& fields) {
  const int32_t line = csv_.Line();
  if (places_[kDate] >= 0) {
    const std::string_view text = TrimBlanks(fields[static_cast<size_t>(places_[kDate])]);
    const auto date = ParseIsoDate(text);
    if (!date) {
      Error(Quoted(text) + " in column " + Quoted(header_[static_cast<size_t>(places_[kDate])]) +
                " is not a date (YYYY-MM-DD).",
            line);
      return std::nullopt;
    }
    return ModelDayNumber(*date);
  }
  const bool byDoy = places_[kMonth] < 0;
  std::array<int32_t, 3> n{};
  const std::array<Place, 3> parts = {kYear, byDoy ? kDoy : kMonth, kDay};
  for (size_t k = 0; k < (byDoy ? 2u : 3u); ++k) {
    const size_t col = static_cast<size_t>(places_[parts[k]]);
    const std::string_view text = TrimBlanks(fields[col]);
    if (!ParseWhole(text, n[k])) {
      Error(Quoted(text) + " in column " + Quoted(header_[col]) + " is not a whole number.", line);
      return std::nullopt;
    }
  }
  if (byDoy) {
    const CivilDate jan1{n[0], 1, 1};
    const int32_t length = n[0] % 4 == 0 ? 366 : 365;
    if (!IsModelDate(jan1) || n[1] < 1 || n[1] > length) {
      Error("year " + std::to_string(n[0]) + ", day of the year " + std::to_string(n[1]) +
                " is not a date.",
            line);
      return std::nullopt;
    }
    return ModelDayNumber(jan1) + n[1] - 1;
  }
  const CivilDate date{n[0], n[1], n[2]};
  if (!IsModelDate(date)) {
    Error("year " + std::to_string(n[0]) + ", month " + std::to_string(n[1]) + ", day " +
              std::to_string(n[2]) + " is not a date.",
          line);
    return std::nullopt;
  }
  return ModelDayNumber(date);
}

void TableReader::RowPlace(StationRows& s, const std::vector<std::string>& fields) {
  if (places_[kLon] < 0 || places_[kLat] < 0) return;
  double lon = 0, lat = 0;
  const char sep = csv_.Separator();
  if (!ParseNumber(TrimBlanks(fields[static_cast<size_t>(places_[kLon])]), sep, lon) ||
      !ParseNumber(TrimBlanks(fields[static_cast<size_t>(places_[kLat])]), sep, lat)) {
    return;
  }
  const StationPlace p{static_cast<float>(lon), static_cast<float>(lat)};
  if (!s.place) {
    s.place = p;
  } else if ((s.place->lon != p.lon || s.place->lat != p.lat) && !s.placeChanged) {
    s.placeChanged = true;
    WxWarning(log_, Where(csv_.Line()) + ": the longitude and latitude of station " +
                        Quoted(s.name) + " change; the first ones are used.");
  }
}

void TableReader::Row(const std::vector<std::string>& fields) {
  const int32_t line = csv_.Line();
  if (fields.size() != header_.size()) {
    Error(std::to_string(fields.size()) + " fields where the header has " +
              std::to_string(header_.size()) + ".",
          line);
    return;
  }
  std::string name = SafeStationName(FileStem(file_));
  if (station_ >= 0) {
    name = SafeStationName(TrimBlanks(fields[static_cast<size_t>(station_)]));
    if (name.empty()) {
      Error("no station name in column " + Quoted(options_.stationColumn) + ".", line);
      return;
    }
  }
  const auto day = RowDay(fields);
  if (!day) return;
  Record r{*day, line, {}};
  for (const WxVar v : kWxVars) {
    r.v[Index(v)] = kWxMissing;
    if (vars_[Index(v)] < 0) continue;
    const std::string_view text = TrimBlanks(fields[static_cast<size_t>(vars_[Index(v)])]);
    if (IsMissingText(text)) continue;
    double x = 0;
    if (!ParseNumber(text, csv_.Separator(), x)) {
      Error(Quoted(text) + " in column " + Quoted(header_[static_cast<size_t>(vars_[Index(v)])]) +
                " is not a number.",
            line);
      return;
    }
    if (x != kWxMissing) r.v[Index(v)] = static_cast<float>(options_.units[Index(v)].Apply(x));
  }
  auto [it, added] = stationIndex_.try_emplace(name, stations_.size());
  if (added) stations_.push_back(StationRows{name, std::nullopt, false, {}});
  StationRows& s = stations_[it->second];
  RowPlace(s, fields);
  s.records.push_back(r);
}

void TableReader::SortAndCheck(StationRows& s) {
  // Rows may come in any order; a day given twice is an error at its second row.
  std::stable_sort(s.records.begin(), s.records.end(),
                   [](const Record& a, const Record& b) { return a.day < b.day; });
  for (size_t i = 1; i < s.records.size(); ++i) {
    if (s.records[i].day != s.records[i - 1].day) continue;
    const std::string of = options_.stationColumn.empty() ? "" : " of station " + Quoted(s.name);
    const int32_t first = std::min(s.records[i - 1].line, s.records[i].line);
    const int32_t second = std::max(s.records[i - 1].line, s.records[i].line);
    Error("the date " + DateText(ModelDate(s.records[i].day)) + of + " repeats line " +
              std::to_string(first) + ".",
          second);
  }
}

void TableReader::Build(StationRows& s, std::vector<StationSeries>& out) {
  const std::string where = StationWhere(s);
  StationSeries series;
  series.name = s.name;
  series.origin = "from " + std::filesystem::path(file_).filename().string();
  if (options_.place) {
    series.lon = options_.place->lon;
    series.lat = options_.place->lat;
  } else if (const auto it = options_.places.find(s.name); it != options_.places.end()) {
    series.lon = it->second.lon;
    series.lat = it->second.lat;
  } else if (s.place) {
    series.lon = s.place->lon;
    series.lat = s.place->lat;
  } else {
    ++errors_;
    WxError(log_, where +
                      " has no longitude and latitude: give --lon and --lat, a --stations table, "
                      "or columns \"lon\" and \"lat\".");
    return;
  }
  series.firstDay = s.records.front().day;
  series.Resize(static_cast<size_t>(s.records.back().day - series.firstDay + 1));
  for (size_t i = 0; i < s.records.size(); ++i) {
    const Record& r = s.records[i];
    if (i > 0 && r.day > s.records[i - 1].day + 1) {
      WxWarning(log_,
                where + ": " + DaysText(s.records[i - 1].day + 1, r.day - 1) + ": written as -99.");
    }
    for (const WxVar v : kWxVars) {
      series.At(v, static_cast<size_t>(r.day - series.firstDay)) = r.v[Index(v)];
    }
  }
  out.push_back(std::move(series));
}

// A table of station coordinates, one station a row.
class PlacesReader {
 public:
  PlacesReader(ErrorSink& log, std::string_view text, std::string_view file)
      : log_(log), csv_(text), file_(file) {}

  bool Read(std::map<std::string, StationPlace>& places) {
    std::vector<std::string> header;
    if (!csv_.Next(header))
      return Fail(csv_.Problem().empty() ? "has no header row." : csv_.Problem() + ".", 0);
    const int name = Find(header, {"name", "station", "id", "station_name"});
    const int lon = Find(header, {"lon", "longitude", "long", "lng"});
    const int lat = Find(header, {"lat", "latitude"});
    if (name < 0 || lon < 0 || lat < 0) {
      return Fail("needs the columns \"name\", \"lon\" and \"lat\".", 0);
    }
    std::vector<std::string> f;
    bool ok = true;
    while (csv_.Next(f)) {
      const int32_t line = csv_.Line();
      if (f.size() != header.size()) {
        ok = Fail(std::to_string(f.size()) + " fields where the header has " +
                      std::to_string(header.size()) + ".",
                  line);
        continue;
      }
      const std::string station = SafeStationName(TrimBlanks(f[static_cast<size_t>(name)]));
      double x = 0, y = 0;
      if (!ParseNumber(TrimBlanks(f[static_cast<size_t>(lon)]), csv_.Separator(), x) ||
          !ParseNumber(TrimBlanks(f[static_cast<size_t>(lat)]), csv_.Separator(), y)) {
        ok = Fail("the longitude and latitude of " + Quoted(station) + " are not numbers.", line);
        continue;
      }
      if (!places.try_emplace(station, StationPlace{static_cast<float>(x), static_cast<float>(y)})
               .second) {
        ok = Fail("station " + Quoted(station) + " is listed twice.", line);
      }
    }
    if (!csv_.Problem().empty()) ok = Fail(csv_.Problem() + ".", csv_.Line());
    return ok;
  }

 private:
  static int Find(const std::vector<std::string>& header,
                  std::initializer_list<std::string_view> names) {
    for (const std::string_view n : names) {
      for (size_t i = 0; i < header.size(); ++i) {
        if (LowerAscii(TrimBlanks(header[i])) == n) return static_cast<int>(i);
      }
    }
    return -1;
  }
  bool Fail(const std::string& what, int32_t line) {
    std::string w = "Stations file " + Quoted(file_);
    if (line > 0) w += " line " + std::to_string(line) + ":";
    WxError(log_, w + " " + what);
    return false;
  }

  ErrorSink& log_;
  CsvReader csv_;
  std::string file_;
};

}  // namespace

bool ReadCsvStations(ErrorSink& log, std::string_view text, std::string_view file,
                     std::map<std::string, StationPlace>& places) {
  PlacesReader reader(log, text, file);
  return reader.Read(places);
}

bool IsCsvColumnKey(std::string_view key) {
  for (const PlaceColumn& p : kPlaceColumns) {
    if (key == p.key) return true;
  }
  return false;
}

bool ReadCsvWeather(ErrorSink& log, std::string_view text, std::string_view file,
                    const CsvOptions& options, std::vector<StationSeries>& out) {
  TableReader reader(log, text, file, options);
  return reader.Read(out);
}

}  // namespace olive
