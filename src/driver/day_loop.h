#pragma once
// One simulated day of the orchard, in the fixed daily order.
#include <cstdint>

#include "model/calendar_state.h"
#include "weather/weather.h"

namespace olive {

struct Simulation;

// Runs day iday (1..ndays) of the pass: calendar, degree-days, weather, freeze check, the living
// orchard, the tree's totals, harvest, the day's outputs, and the step to the next day.
void RunDay(Simulation& sim, uint16_t iday);

// Degree-days above (dda) and below (ddb) base on model day iday by the single-sine method over
// two half-days; sets today's tmax and tmin from the weather series.
void Daydegrees(const Weather& wx, DayWeather& today, uint16_t iday, float& dda, float& ddb,
                float base);
// The day's plant degree-days above OliveBase and their sums, and the freeze sums below 0, -10
// and -8.3 deg C.
void DegreeDaySums(SeasonState& season, const Weather& wx, DayWeather& today, float OliveBase,
                   uint16_t iday);
// A GIS output date: day of year 365 with an interval of 365, otherwise every interval-th day of
// the pass. An interval of 0 or less has no output dates.
bool GisOutputDue(int32_t GisOutputInterval, int32_t jday, uint16_t modelday);

}  // namespace olive
