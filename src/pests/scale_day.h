#pragma once
// What the scale complex (the two armoured scales, their parasitoids and the coccinellid) reads
// of the day besides its own state: the weather series for its degree-days, today's weather
// (Daydegrees also records the day's maximum and minimum there), the run's random generator and
// the day index.
#include <cstdint>

#include "toolkit/random.h"
#include "weather/weather.h"

namespace olive {

struct ScaleDay {
  const Weather& wx;
  DayWeather& today;  // Daydegrees writes today's tmax and tmin
  Rng& rng;
  uint16_t modelday;  // index into the weather series, 1..ndays
};

// Degree-days above (dda) and below (ddb) base on the day, through the toolkit's single-sine
// method.
void ScaleDayDegrees(const ScaleDay& day, float& dda, float& ddb, float base);

}  // namespace olive
