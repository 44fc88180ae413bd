#include "weather/weather.h"

namespace olive {

void Getdailywx(const Weather& wx, int32_t d, DayWeather& today) {
  today.solrad = wx.solar[d];
  today.precip = wx.rain[d];
  today.rhmean = wx.relhum[d];
  today.wind = wx.winds[d];
  // From today's extremes as the degree-day step left them.
  today.tmean = (today.tmin + today.tmax) / 2.0f;
}

}  // namespace olive
