#pragma once
// The station's weather, loaded for a whole pass, and the weather of the current day.
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/modutils.h"

namespace olive {

// Value that marks a missing weather value everywhere in the series (compared exactly).
inline constexpr float kMissing = -99.0f;

struct Weather {
  // Capacity of the series: 200 years of 365.25 days.
  static constexpr int32_t kCapacity = 73050;

  // Series indexed by model day 1..ndays (entry 0 unused); sized kCapacity + 1 once per run.
  std::vector<TempPair> temps;  // [d][0] maximum, [d][1] minimum air temperature, deg C
  std::vector<float> solar;     // solar radiation, cal/cm2/day (file's W/m2 * 2.066)
  std::vector<float> rain;      // precipitation, mm
  std::vector<float> relhum;    // mean relative humidity, as in the file
  std::vector<float> winds;     // wind, miles per hour (file's m/s * 2.237)

  // Station data from the file's head.
  std::string wxid;      // the whole first line
  std::string Location;  // the first line up to its first TAB
  float Longitude = 0, LatitudeDegrees = 0, LatitudeRadians = 0;
};

// Today's weather (Getdailywx and the driver's degree-day step).
struct DayWeather {
  float tmax = 0, tmin = 0, tmean = 0;  // deg C
  float solrad = 0, precip = 0, rhmean = 0, wind = 0;
};

// Picks the weather of model day d: solar, rain, humidity, wind, and tmean from today's tmax and
// tmin as they stand.
void Getdailywx(const Weather& wx, int32_t d, DayWeather& today);

}  // namespace olive
