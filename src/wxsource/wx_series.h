#pragma once
// One station's daily weather as the converters hold it in memory: the six series of the
// simulator's weather file, one value per day of the model's calendar from a first day on, in the
// file's units (deg C, daily mean W/m2, mm, %, m/s), -99 for a missing value. The CSV and NetCDF
// readers make them; the weather-file writer writes them; a batch run can take them as they are.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
  int64_t firstDay = 0;  // model day number (ModelDayNumber) of the first value
  std::array<std::vector<float>, kWxVarCount> values;  // each of the same length: the days

  std::size_t Days() const { return values[0].size(); }
  float& At(WxVar v, std::size_t day) { return values[Index(v)][day]; }
  float At(WxVar v, std::size_t day) const { return values[Index(v)][day]; }
  // Sizes every series to days values, all missing.
  void Resize(std::size_t days) {
    for (auto& s : values) s.assign(days, kWxMissing);
  }
};

}  // namespace olive
