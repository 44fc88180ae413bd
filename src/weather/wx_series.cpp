#include "weather/wx_series.h"

#include <charconv>
#include <cmath>

namespace olive {

std::string WeatherFileFirstLine(const StationSeries& s) {
  return s.name + "\tdaily weather " + s.origin + ", converted by olive-wx";
}

float WeatherFileValue(float v) {
  if (!std::isfinite(v)) return kWxMissing;
  return v == 0 ? 0.0f : v;  // no "-0"
}

void AppendShortest(std::string& out, float v) {
  v = WeatherFileValue(v);
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
  out.append(text, ec == std::errc() ? end : text);
}

WxDate DateOfDayNumber(int64_t dayNumber) {
  // Four-year cycles of 1461 days from year 0, a leap year.
  constexpr int64_t kCycle = 4 * 365 + 1;
  int64_t cycles = dayNumber / kCycle;
  int64_t rest = dayNumber % kCycle;
  if (rest < 0) {
    rest += kCycle;
    --cycles;
  }
  auto year = static_cast<int32_t>(4 * cycles);
  if (rest >= 366) {
    rest -= 366;
    year += 1 + static_cast<int32_t>(rest / 365);
    rest %= 365;
  }
  WxDate d{1, 1, year};
  for (int64_t i = 0; i < rest; ++i) d = NextDay(d);
  return d;
}

}  // namespace olive
