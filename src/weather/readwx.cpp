#include "weather/readwx.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "io/file_contents.h"
#include "toolkit/modutils.h"
#include "toolkit/text_scan.h"
#include "weather/wx_dates.h"
#include "weather/wx_record.h"
#include "weather/wx_series.h"

namespace olive {
namespace {

// Every day a run can ask for (a 16-bit count) has its place in the series.
static_assert(std::numeric_limits<uint16_t>::max() <= Weather::kCapacity);

// The units of the file's values, as wxunits converts them: deg C, W/m2, mm, m/s.
constexpr bool kFahr = false, kWatts = true, kInches = false, kKilom = false, kMetersPerSec = true;

// Impossible values listed in the error log per reading of the file; the rest are counted.
constexpr int32_t kMaxListedValues = 20;

bool IsBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

void ReportWxLine(ErrorSink& log, std::string_view wxfile, int32_t line,
                  const std::string& problem) {
  ReportError(log, "Weather file \"" + std::string(wxfile) + "\" line " + std::to_string(line) +
                       ": " + problem);
}

// The values of the records a pass keeps: the impossible ones become missing, each with a warning
// naming the line (the first 20; the rest are counted), and the run goes on.
class ValueChecks {
 public:
  ValueChecks(ErrorSink& log, std::string_view wxfile) : log_(log), wxfile_(wxfile) {}

  void Check(WxRecord& r) {
    CheckWxValues(r, kFahr, problems_);
    for (const std::string& p : problems_) {
      if (++impossible_ <= kMaxListedValues) ReportWxLine(log_, wxfile_, r.line, p);
    }
    problems_.clear();
  }

  // Counts the impossible values not listed.
  void Finish() {
    if (impossible_ <= kMaxListedValues) return;
    ReportError(log_, "Weather file \"" + std::string(wxfile_) +
                          "\": " + std::to_string(impossible_ - kMaxListedValues) +
                          " more impossible values taken as missing.");
  }

 private:
  ErrorSink& log_;
  std::string_view wxfile_;
  std::vector<std::string> problems_;  // the impossible values of one record
  int32_t impossible_ = 0;             // impossible values found so far
};

// Reads the weather file's text with messages that name the file and the line: the station head
// token by token, then one record a line, each dated the day after the one before.
class WxReader {
 public:
  WxReader(ErrorSink& log, std::string_view text, std::string_view wxfile)
      : log_(log), in_(text), wxfile_(wxfile) {}

  TextScanner& in() { return in_; }

  // Reads one number of the head; on failure reports what was found and clears RunOk.
  template <class T>
  bool Number(T& v) {
    const TextScanner::Status s = in_.Read(v);
    if (s == TextScanner::Status::kOk) return true;
    Fail(in_.Line(), in_.Problem<T>(s));
    return false;
  }

  // Reads the next record (blank lines hold none). ended: the file ends, or a record with month
  // 0 or below ends the data. False, with the fault reported and RunOk cleared, for a line that
  // is not a record and for a date that does not follow the record before day by day.
  bool Record(WxRecord& r, bool& ended) {
    ended = false;
    std::string problem;
    switch (NextRecord(in_, r, problem)) {
      case Got::kNone:
        ended = true;
        return true;
      case Got::kMalformed:
        Fail(r.line, problem);
        return false;
      case Got::kRecord:
        break;
    }
    return InSequence(r);
  }

  void CheckValues(WxRecord& r) { values_.Check(r); }
  void FinishValues() { values_.Finish(); }

  void Fail(int32_t line, const std::string& problem) {
    ReportWxLine(log_, wxfile_, line, problem);
    log_.RunOk = false;
  }

 private:
  enum class Got : uint8_t { kRecord, kNone, kMalformed };

  // The next record line of in, parsed; kNone at the end of the file or of the data.
  static Got NextRecord(TextScanner& in, WxRecord& r, std::string& problem) {
    while (!in.AtEnd()) {
      r.line = in.Line();
      const std::string_view line = in.ReadLine();
      if (IsBlankLine(line)) continue;
      switch (ParseWxRecord(line, r, problem)) {
        case WxLine::kRecord:
          return Got::kRecord;
        case WxLine::kDataEnd:
          return Got::kNone;
        case WxLine::kMalformed:
          return Got::kMalformed;
      }
    }
    return Got::kNone;
  }

  // Checks r's date against the record before (the first record needs only a calendar date).
  bool InSequence(const WxRecord& r) {
    WxDateProblem p{0, WxDateFault::kNone, std::nullopt, r.date};
    if (!previous_) {
      if (!IsCalendarDate(r.date)) p.fault = WxDateFault::kNotADate;
    } else if (FollowOn(*previous_, r.date, nullptr) != WxDateFault::kNone) {
      // The record after tells a misplaced record from a gap or a step back.
      TextScanner ahead = in_;
      WxRecord after;
      std::string unused;
      const bool hasNext = NextRecord(ahead, after, unused) == Got::kRecord;
      p.fault = FollowOn(*previous_, r.date, hasNext ? &after.date : nullptr);
      p.expected = NextDay(*previous_);
    }
    if (p.fault != WxDateFault::kNone) {
      Fail(r.line, DescribeDateProblem(p));
      return false;
    }
    previous_ = r.date;
    return true;
  }

  ErrorSink& log_;
  TextScanner in_;
  std::string_view wxfile_;
  std::optional<WxDate> previous_;  // the date of the record before
  ValueChecks values_{log_, wxfile_};
};

// The records of a station's series in memory, as its weather file would give them: one a day from
// the series' first day, on the lines 4, 5, ... of the file.
class SeriesReader {
 public:
  SeriesReader(ErrorSink& log, const StationSeries& s, std::string_view wxfile)
      : s_(s), date_(DateOfDayNumber(s.firstDay)), values_(log, wxfile) {}

  bool Record(WxRecord& r, bool& ended) {
    ended = day_ >= s_.Days();
    if (ended) return true;
    r.date = date_;
    r.line = kFirstRecordLine + static_cast<int32_t>(day_);
    for (const WxVar v : kWxVars) r.value[Index(v)] = WeatherFileValue(s_.At(v, day_));
    r.text = {};
    date_ = NextDay(date_);
    ++day_;
    return true;
  }

  // The values as the file would write them are needed only for the messages of impossible ones.
  void CheckValues(WxRecord& r) {
    WxRecord copy = r;
    CheckWxValues(copy, kFahr, unused_);
    if (unused_.empty()) return;
    unused_.clear();
    for (std::size_t f = 0; f < texts_.size(); ++f) {
      texts_[f].clear();
      AppendShortest(texts_[f], r.value[f]);
      r.text[f] = texts_[f];
    }
    values_.Check(r);
  }
  void FinishValues() { values_.Finish(); }

 private:
  static constexpr int32_t kFirstRecordLine = 4;  // after the name, the place and the heading

  const StationSeries& s_;
  std::size_t day_ = 0;
  WxDate date_;
  ValueChecks values_;
  std::vector<std::string> unused_;
  std::array<std::string, kWxValues> texts_;
};

void Store(Weather& wx, int32_t p, const WxRecord& r) {
  wx.temps[p] = {r.value[kTmax], r.value[kTmin]};
  wx.solar[p] = r.value[kSolar];
  wx.rain[p] = r.value[kRain];
  wx.relhum[p] = r.value[kRelhum];
  wx.winds[p] = r.value[kWind];
}

void StoreMissing(Weather& wx, int32_t p) {
  wx.temps[p] = {kMissing, kMissing};
  wx.solar[p] = wx.rain[p] = wx.relhum[p] = wx.winds[p] = kMissing;
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

// The first line's location name: the text before its first TAB (after the first character; the
// whole line when it has none).
void SetLocation(ErrorSink& log, Weather& wx) {
  const size_t tab = wx.wxid.find('\t', 1);
  wx.Location = tab == std::string::npos ? wx.wxid : wx.wxid.substr(0, tab);
  log.SetLocation(wx.Location);
}

// Stores the records of the pass from rd (the records after the head) into wx: selects the days
// from the start date to the end date, checks their values, then repairs, converts and adjusts
// the series. Shared by the weather file's text and a series in memory, so that both give the
// same weather and the same messages.
template <class Reader>
void StoreAndRepair(ErrorSink& log, Reader& rd, std::string_view wxfile, WxPeriod& period,
                    const WxCons& wxcons, Weather& wx) {
  // 2. Any adjustment asked for?
  bool adjust = false;
  for (int k = 1; k <= 5; ++k) adjust = adjust || wxcons[k] != 0.0f;

  // 3. Every day of the pass starts missing.
  for (int32_t i = 1; i <= period.ndays; ++i) StoreMissing(wx, i);

  // 4. Read the first record. Every record read, also those before the start date, follows the
  // one before day by day (dates only choose the records of the pass).
  WxRecord r;
  bool ended = false;
  auto dateOf = [&log](const WxRecord& rec) {
    return rdate(rec.date.year, Julian(log, rec.date.month, rec.date.day, rec.date.year));
  };
  if (!rd.Record(r, ended)) return;
  float recordDate = ended ? 0.0f : dateOf(r);

  // 5. The data must not begin after the start date.
  if (!ended && period.Firstdate < recordDate) {
    ReportError(log, "Model start date precedes weather data.");
    log.RunOk = false;
    return;
  }

  // 6. Skip to the first record dated on or after the start date.
  while (!ended && period.Firstdate > recordDate) {
    if (!rd.Record(r, ended)) return;
    if (!ended) recordDate = dateOf(r);
  }

  // 7. The data ended before the start date.
  if (ended) {
    ReportError(log, "Weather data ends before model start date.");
    log.RunOk = false;
    return;
  }
  rd.CheckValues(r);
  Store(wx, 1, r);

  // 8. Store the following records day by day until one reaches the end date.
  for (int32_t p = 2; recordDate < period.Lastdate; ++p) {
    if (p > Weather::kCapacity) {
      ReportError(log, "Weather file \"" + std::string(wxfile) +
                           "\" has more records before the model end date than the weather "
                           "series can hold (73050 days).");
      log.RunOk = false;
      return;
    }
    if (!rd.Record(r, ended)) return;
    if (ended) break;
    rd.CheckValues(r);
    Store(wx, p, r);
    recordDate = dateOf(r);
  }
  rd.FinishValues();

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
  wxunits(wx, period.ndays, kFahr, kWatts, kInches, kKilom, kMetersPerSec);
  if (adjust) DoAdjustWx(wx, period.ndays, wxcons);
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
  std::string text;
  const FileReadStatus status =
      wxfile.empty() ? FileReadStatus::CannotOpen : ReadWholeFile(wxfile, text);
  if (status == FileReadStatus::CannotOpen) {
    ReportError(log, "Initialize Brask. Wx file not found: \"" + wxfile + "\"");
    log.RunOk = false;
    return;
  }
  if (status != FileReadStatus::Ok) {
    ReportError(log,
                "Weather file \"" + wxfile + "\" cannot be read: " + FileReadProblem(status) + ".");
    log.RunOk = false;
    return;
  }
  readwxText(log, text, wxfile, period, wxcons, wx);
}

void readwxText(ErrorSink& log, std::string_view text, std::string_view wxfile, WxPeriod& period,
                const WxCons& wxcons, Weather& wx) {
  SizeWeather(wx);
  WxReader rd(log, SkipByteOrderMark(text), wxfile);
  TextScanner& in = rd.in();

  // 1. Station: the whole first line, the location name before its first TAB (after the first
  // character; the whole line when it has none), then longitude and latitude.
  wx.wxid = std::string(in.ReadLine());
  SetLocation(log, wx);
  if (!rd.Number(wx.Longitude) || !rd.Number(wx.LatitudeDegrees)) return;
  in.SkipLine();
  wx.LatitudeRadians = static_cast<float>(wx.LatitudeDegrees * 0.0174533);

  in.SkipLine();  // the heading
  StoreAndRepair(log, rd, wxfile, period, wxcons, wx);
}

void readwxSeries(ErrorSink& log, const StationSeries& s, std::string_view wxfile, WxPeriod& period,
                  const WxCons& wxcons, Weather& wx) {
  SizeWeather(wx);
  // The head as the station's weather file gives it: its first line, then its place as read back
  // from the file.
  wx.wxid = WeatherFileFirstLine(s);
  SetLocation(log, wx);
  wx.Longitude = WeatherFileValue(s.lon);
  wx.LatitudeDegrees = WeatherFileValue(s.lat);
  wx.LatitudeRadians = static_cast<float>(wx.LatitudeDegrees * 0.0174533);
  SeriesReader rd(log, s, wxfile);
  StoreAndRepair(log, rd, wxfile, period, wxcons, wx);
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
