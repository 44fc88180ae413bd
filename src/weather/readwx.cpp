#include "weather/readwx.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>

#include "toolkit/modutils.h"
#include "toolkit/text_scan.h"

namespace olive {
namespace {

// Every day a run can ask for (a 16-bit count) has its place in the series.
static_assert(std::numeric_limits<uint16_t>::max() <= Weather::kCapacity);

// One day's record as written in the file.
struct WxRecord {
  int32_t month = 0, day = 0, year = 0;
  float tmax = 0, tmin = 0, solar = 0, rain = 0, relhum = 0, wind = 0;
};

// Reads the weather file's text with messages that name the file and the line.
class WxReader {
 public:
  WxReader(ErrorSink& log, std::string_view text, std::string_view wxfile)
      : log_(log), in_(text), wxfile_(wxfile) {}

  TextScanner& in() { return in_; }

  // Reads one number; on failure reports what was found and clears RunOk.
  template <class T>
  bool Number(T& v) {
    const TextScanner::Status s = in_.Read(v);
    if (s == TextScanner::Status::kOk) return true;
    Fail(in_.Problem<T>(s));
    return false;
  }

  // Reads a record; a month of 0 or below ends the data and leaves the rest of the line unread.
  bool Record(WxRecord& r) {
    if (!Number(r.month)) return false;
    if (r.month > 0) {
      if (!Number(r.day) || !Number(r.year) || !Number(r.tmax) || !Number(r.tmin) ||
          !Number(r.solar) || !Number(r.rain) || !Number(r.relhum) || !Number(r.wind)) {
        return false;
      }
    }
    in_.SkipLine();
    return true;
  }

  void Fail(const std::string& problem) {
    ReportError(log_, "Weather file \"" + std::string(wxfile_) + "\" line " +
                          std::to_string(in_.Line()) + ": " + problem);
    log_.RunOk = false;
  }

 private:
  ErrorSink& log_;
  TextScanner in_;
  std::string_view wxfile_;
};

void Store(Weather& wx, int32_t p, const WxRecord& r) {
  wx.temps[p] = {r.tmax, r.tmin};
  wx.solar[p] = r.solar;
  wx.rain[p] = r.rain;
  wx.relhum[p] = r.relhum;
  wx.winds[p] = r.wind;
}

// Missing-value repair of one series over days 1..ndays (see wxmissing). get and set address the
// series; dflt is its value when it has no valid value at all.
template <class Get, class Set>
void FillSeries(uint16_t ndays, float dflt, Get get, Set set) {
  int32_t missing = 0;  // missing days of the current gap
  float t1 = kMissing;  // last valid value before the gap
  int32_t f = 0;        // day of t1 (0 when the gap starts on day 1)
  for (int32_t i = 1; i <= ndays; ++i) {
    const bool isMissing = get(i) == kMissing;
    if (isMissing) {
      ++missing;
      if (missing == 1) {
        if (i > 1) t1 = get(i - 1);
        f = i - 1;
      }
    }
    if (i == ndays && isMissing) {
      // The gap runs to the last day: keep the last valid value.
      const float v = t1 == kMissing ? dflt : t1;
      for (int32_t j = std::max(f, 1); j <= ndays; ++j) set(j, v);
      missing = 0;
    } else if (!isMissing && missing > 0) {
      const float t2 = get(i);
      if (t1 != kMissing) {
        // Straight line through (f, t1) and (i, t2).
        const float slope = (t2 - t1) / static_cast<float>(i - f);
        const float intercept = t2 - slope * static_cast<float>(i);
        for (int32_t j = f; j <= i; ++j) set(j, slope * static_cast<float>(j) + intercept);
      } else {
        // The gap started on day 1: take the first valid value.
        for (int32_t j = 1; j <= i; ++j) set(j, t2);
      }
      missing = 0;
      t1 = kMissing;
    }
  }
}

// Multiplies a value above -99 by a conversion factor (factor held as a real).
void Convert(float& v, double factor) {
  if (v > kMissing) v = static_cast<float>(v * factor);
}

}  // namespace

void SizeWeather(Weather& wx) {
  const size_t n = static_cast<size_t>(Weather::kCapacity) + 1;
  if (wx.temps.size() != n) wx.temps.assign(n, {kMissing, kMissing});
  if (wx.solar.size() != n) wx.solar.assign(n, kMissing);
  if (wx.rain.size() != n) wx.rain.assign(n, kMissing);
  if (wx.relhum.size() != n) wx.relhum.assign(n, kMissing);
  if (wx.winds.size() != n) wx.winds.assign(n, kMissing);
}

void readwx(ErrorSink& log, const std::string& wxfile, WxPeriod& period, const WxCons& wxcons,
            Weather& wx) {
  std::ifstream file;
  if (!wxfile.empty()) file.open(wxfile, std::ios::binary);
  std::ostringstream text;
  if (file.is_open()) text << file.rdbuf();
  if (!file.is_open() || file.bad()) {
    ReportError(log, "Initialize Brask. Wx file not found: \"" + wxfile + "\"");
    log.RunOk = false;
    return;
  }
  readwxText(log, text.str(), wxfile, period, wxcons, wx);
}

void readwxText(ErrorSink& log, std::string_view text, std::string_view wxfile, WxPeriod& period,
                const WxCons& wxcons, Weather& wx) {
  SizeWeather(wx);
  WxReader rd(log, text, wxfile);
  TextScanner& in = rd.in();

  // 1. Station: the whole first line, the location name before its first TAB (after the first
  // character; the whole line when it has none), then longitude and latitude.
  wx.wxid = std::string(in.ReadLine());
  const size_t tab = wx.wxid.find('\t', 1);
  wx.Location = tab == std::string::npos ? wx.wxid : wx.wxid.substr(0, tab);
  log.SetLocation(wx.Location);
  if (!rd.Number(wx.Longitude) || !rd.Number(wx.LatitudeDegrees)) return;
  in.SkipLine();
  wx.LatitudeRadians = static_cast<float>(wx.LatitudeDegrees * 0.0174533);

  // 2. Any adjustment asked for?
  bool adjust = false;
  for (int k = 1; k <= 5; ++k) adjust = adjust || wxcons[k] != 0.0f;

  // 3. Every day of the pass starts missing.
  for (int32_t i = 1; i <= period.ndays; ++i) {
    Store(wx, i, {0, 0, 0, kMissing, kMissing, kMissing, kMissing, kMissing, kMissing});
  }

  // 4. Skip the heading; the first record goes to position 1.
  in.SkipLine();
  WxRecord r;
  auto dateOf = [&log](const WxRecord& rec) {
    return rdate(rec.year, Julian(log, rec.month, rec.day, rec.year));
  };
  if (in.AtEnd()) {
    ReportError(log, "Weather data ends before model start date.");
    log.RunOk = false;
    return;
  }
  if (!rd.Record(r)) return;
  bool dataEnded = r.month <= 0;
  float recordDate = 0;
  if (!dataEnded) {
    Store(wx, 1, r);
    recordDate = dateOf(r);
    // 5. The data must not begin after the start date.
    if (period.Firstdate < recordDate) {
      ReportError(log, "Model start date precedes weather data.");
      log.RunOk = false;
      return;
    }
  }

  // 6. Skip to the first record dated on or after the start date, always into position 1.
  while (!dataEnded && period.Firstdate > recordDate && !in.AtEnd()) {
    if (!rd.Record(r)) return;
    if (r.month <= 0) {
      dataEnded = true;
    } else {
      Store(wx, 1, r);
      recordDate = dateOf(r);
    }
  }

  // 7. The data ended before the start date.
  if (dataEnded || period.Firstdate > recordDate) {
    ReportError(log, "Weather data ends before model start date.");
    log.RunOk = false;
    return;
  }

  // 8. Store the following records day by day until one reaches the end date.
  int32_t p = 2;
  while (!in.AtEnd() && recordDate < period.Lastdate && r.month > 0) {
    if (p > Weather::kCapacity) {
      ReportError(log, "Weather file \"" + std::string(wxfile) +
                           "\" has more records before the model end date than the weather "
                           "series can hold (73050 days).");
      log.RunOk = false;
      return;
    }
    if (!rd.Record(r)) return;
    if (r.month > 0) {
      Store(wx, p, r);
      recordDate = dateOf(r);
    }
    ++p;
  }

  // 9. The data ended before the end date: the pass stops the day before the last record.
  if (recordDate < period.Lastdate) {
    ReportError(log, "Model end date adjusted to end of weather data.");
    // Never more than asked for (equal dates give equal counts; this only guards a caller whose
    // ndays and dates disagree).
    const double days = std::trunc(recordDate - period.Firstdate);
    period.ndays = static_cast<uint16_t>(std::min<double>(days, period.ndays));
  }

  // 10. Repair, convert to the model's units, adjust.
  wxmissing(wx, period.ndays);
  wxunits(wx, period.ndays, false, true, false, false, true);
  if (adjust) DoAdjustWx(wx, period.ndays, wxcons);
}

void wxmissing(Weather& wx, uint16_t ndays) {
  // Defaults in the file's units, used only by a series without any valid value.
  FillSeries(
      ndays, 25.0f, [&](int32_t i) { return wx.temps[i][0]; },
      [&](int32_t i, float v) { wx.temps[i][0] = v; });
  FillSeries(
      ndays, 12.0f, [&](int32_t i) { return wx.temps[i][1]; },
      [&](int32_t i, float v) { wx.temps[i][1] = v; });
  FillSeries(
      ndays, 200.0f, [&](int32_t i) { return wx.solar[i]; },
      [&](int32_t i, float v) { wx.solar[i] = v; });
  FillSeries(
      ndays, 0.0f, [&](int32_t i) { return wx.rain[i]; },
      [&](int32_t i, float v) { wx.rain[i] = v; });
  FillSeries(
      ndays, 1.0f, [&](int32_t i) { return wx.winds[i]; },
      [&](int32_t i, float v) { wx.winds[i] = v; });
  FillSeries(
      ndays, 55.0f, [&](int32_t i) { return wx.relhum[i]; },
      [&](int32_t i, float v) { wx.relhum[i] = v; });
}

void wxunits(Weather& wx, uint16_t ndays, bool fahr, bool watts, bool inches, bool kilom,
             bool metersPerSec) {
  for (int32_t i = 1; i <= ndays; ++i) {
    if (fahr) {
      for (float& t : wx.temps[i]) {
        if (t > kMissing) t = static_cast<float>((t - 32) * 0.55555);
      }
    }
    if (watts) Convert(wx.solar[i], 2.066);  // W/m2 daily mean -> cal/cm2/day
    if (inches) Convert(wx.rain[i], 25.4);   // in -> mm
    if (kilom) Convert(wx.winds[i], 1.609);
    if (metersPerSec) Convert(wx.winds[i], 2.237);  // m/s -> miles per hour
  }
}

void DoAdjustWx(Weather& wx, uint16_t ndays, const WxCons& wxcons) {
  for (int32_t i = 1; i <= ndays; ++i) {
    if (wxcons[1] != 0.0f) {
      for (float& t : wx.temps[i]) {
        if (t > kMissing) t += wxcons[1];
      }
    }
    float* const series[6] = {nullptr,     nullptr,       &wx.solar[i],
                              &wx.rain[i], &wx.relhum[i], &wx.winds[i]};
    for (int k = 2; k <= 5; ++k) {
      if (*series[k] > kMissing && wxcons[k] != 0.0f) *series[k] += wxcons[k];
    }
  }
}

}  // namespace olive
