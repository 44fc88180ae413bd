#pragma once
// One station's daily weather as a series in memory: the six series of the weather file, one value
// per day of the model's calendar from a first day on, in the file's units (deg C, daily mean W/m2,
// mm, %, m/s), -99 for a missing value. The converters (olive-wx) make them and write them as
// weather files; a gridded batch hands them to the weather reader as they are (readwxSeries), so
// that a run over a grid needs no weather file on disk.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/error_sink.h"
#include "weather/wx_dates.h"

namespace olive {

// The weather variables, in the order of the weather file's record.
enum class WxVar : uint8_t { Tmax, Tmin, Solar, Rain, RelHum, Wind };
inline constexpr std::size_t kWxVarCount = 6;
inline constexpr std::array<WxVar, kWxVarCount> kWxVars = {WxVar::Tmax, WxVar::Tmin,   WxVar::Solar,
                                                           WxVar::Rain, WxVar::RelHum, WxVar::Wind};

inline constexpr std::size_t Index(WxVar v) {
  return static_cast<std::size_t>(v);
}

// The value that marks a missing day in the weather file (the simulator's kMissing).
inline constexpr float kWxMissing = -99.0f;

struct StationSeries {
  std::string name;      // the station; its weather file is name + ".wx"
  std::string origin;    // where the data came from, for the file's first line
  float lon = 0;         // degrees east, -180..180
  float lat = 0;         // degrees north
  int64_t firstDay = 0;  // model day number (days since 1 January of year 0) of the first value
  std::size_t cell = 0;  // the station's place among its source's cells (row-major), from 0
  std::array<std::vector<float>, kWxVarCount> values;  // each of the same length: the days

  std::size_t Days() const { return values[0].size(); }
  float& At(WxVar v, std::size_t day) { return values[Index(v)][day]; }
  float At(WxVar v, std::size_t day) const { return values[Index(v)][day]; }
  // Sizes every series to days values, all missing.
  void Resize(std::size_t days) {
    for (auto& s : values) s.assign(days, kWxMissing);
  }
};

// The first line of the station's weather file: its name, a TAB and where the data came from
// ("tasmax_day_3_7\tdaily weather from tasmax_day.nc and 5 more files, converted by olive-wx").
std::string WeatherFileFirstLine(const StationSeries& s);

// A value as the weather file holds it: -99 for one that is not finite, 0 for -0.
float WeatherFileValue(float v);
// Appends v in the shortest fixed-point form that reads back as the same 32-bit float ("26.85",
// "-99", "0.00001"), the form of the weather file.
void AppendShortest(std::string& out, float v);

// The calendar date of a model day number (days since 1 January of year 0, every year divisible
// by 4 a leap year).
WxDate DateOfDayNumber(int64_t dayNumber);

// Stations' daily series read from a source of many (a grid, a station collection), block after
// block of stations, so that a source larger than the memory can be run. Its cells are numbered
// row by row from 0; each block is a run of consecutive cells.
class WxSeriesSource {
 public:
  virtual ~WxSeriesSource() = default;
  // The names of every cell, sea included, in order (a cell's weather file is name + ".wx").
  virtual const std::vector<std::string>& CellNames() const = 0;
  virtual std::size_t BlockCount() const = 0;
  // The first cell of block b and the number of its cells.
  virtual std::size_t BlockFirstCell(std::size_t b) const = 0;
  virtual std::size_t BlockCells(std::size_t b) const = 0;
  // Reads block b: the series of its cells that have a valid temperature on some day (the others
  // are sea), in the order of the cells, into out (emptied first). False (reported) when the data
  // cannot be read.
  virtual bool ReadBlock(ErrorSink& log, std::size_t b, std::vector<StationSeries>& out) = 0;
};

}  // namespace olive
