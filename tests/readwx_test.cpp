// The weather reader: station head, choice of the stored days, repair of missing values, units,
// adjustments, and refusals of malformed files.
#include "weather/readwx.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>

#include "input_test_support.h"
#include "weather/wx_dates.h"
#include "weather/wx_record.h"

namespace olive {
namespace {

using testing_support::DateOf;
using testing_support::MemoryLog;
using testing_support::WxDay;
using testing_support::WxText;

constexpr float kSolarFactor = 2.066f;
constexpr float kWindFactor = 2.237f;

// One readwxText call for the pass from start to end.
struct WxRead {
  MemoryLog log;
  Weather wx;
  WxPeriod period;
  WxCons wxcons{};

  WxRead(const std::string& text, float start, float end, const WxCons& cons = WxCons{}) {
    wxcons = cons;
    period.Firstdate = start;
    period.Lastdate = end;
    period.ndays = static_cast<uint16_t>(end - start + 1);
    readwxText(log, text, "cordoba.txt", period, wxcons, wx);
  }
};

std::vector<WxDay> Days(int n) {
  std::vector<WxDay> d(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    d[static_cast<size_t>(i)].tmax = 20.0f + static_cast<float>(i);
    d[static_cast<size_t>(i)].tmin = 5.0f + static_cast<float>(i);
  }
  return d;
}

TEST(ReadWx, StationHeadAndConvertedSeries) {
  std::vector<WxDay> days = Days(3);
  days[1] = {31.5f, 14.25f, 250, 12.5f, 45, 3};
  WxRead r(WxText(6, 1, 2001, days), DateOf(6, 1, 2001), DateOf(6, 3, 2001));
  ASSERT_TRUE(r.log.RunOk);
  EXPECT_TRUE(r.log.lines.empty());
  EXPECT_EQ(r.wx.wxid, "Cordoba\tSpain, test station");
  EXPECT_EQ(r.wx.Location, "Cordoba");
  EXPECT_EQ(r.log.location, "Cordoba");  // later messages carry the station
  EXPECT_EQ(r.wx.Longitude, -4.77f);
  EXPECT_EQ(r.wx.LatitudeDegrees, 37.85f);
  EXPECT_FLOAT_EQ(r.wx.LatitudeRadians, 37.85f * 0.0174533f);
  EXPECT_EQ(r.period.ndays, 3);
  ASSERT_EQ(r.wx.temps.size(), static_cast<size_t>(Weather::kCapacity) + 1);
  EXPECT_EQ(r.wx.temps[2][0], 31.5f);  // deg C, unchanged
  EXPECT_EQ(r.wx.temps[2][1], 14.25f);
  EXPECT_FLOAT_EQ(r.wx.solar[2], 250 * kSolarFactor);  // cal/cm2/day
  EXPECT_EQ(r.wx.rain[2], 12.5f);                      // mm, unchanged
  EXPECT_EQ(r.wx.relhum[2], 45.0f);                    // never converted
  EXPECT_FLOAT_EQ(r.wx.winds[2], 3 * kWindFactor);     // miles per hour
  EXPECT_EQ(r.wx.temps[1][0], 20.0f);
  EXPECT_EQ(r.wx.temps[3][0], 22.0f);
}

TEST(ReadWx, LocationIsTheWholeLineWithoutATab) {
  WxRead r(WxText(6, 1, 2001, Days(2), "Jaen experimental farm"), DateOf(6, 1, 2001),
           DateOf(6, 2, 2001));
  EXPECT_EQ(r.wx.Location, "Jaen experimental farm");
  // A TAB in the first column does not end the name.
  WxRead t(WxText(6, 1, 2001, Days(2), "\tJaen\tfarm"), DateOf(6, 1, 2001), DateOf(6, 2, 2001));
  EXPECT_EQ(t.wx.Location, "\tJaen");
}

TEST(ReadWx, RecordsBeforeTheStartAreSkipped) {
  WxRead r(WxText(1, 1, 2001, Days(40)), DateOf(1, 11, 2001), DateOf(1, 20, 2001));
  ASSERT_TRUE(r.log.RunOk);
  EXPECT_EQ(r.period.ndays, 10);
  EXPECT_EQ(r.wx.temps[1][0], 30.0f);  // the record of 11 January
  EXPECT_EQ(r.wx.temps[10][0], 39.0f);
}

TEST(ReadWx, RecordsContinueAcrossYears) {
  WxRead r(WxText(12, 30, 2000, Days(5)), DateOf(12, 31, 2000), DateOf(1, 2, 2001));
  ASSERT_TRUE(r.log.RunOk);
  EXPECT_EQ(r.period.ndays, 3);
  EXPECT_EQ(r.wx.temps[1][0], 21.0f);
  EXPECT_EQ(r.wx.temps[3][0], 23.0f);
}

TEST(ReadWx, RecordsBeforeTheStartFollowDayByDayToo) {
  // The data jump from 10 to 20 January while the run starts on 15 January.
  std::string text = WxText(1, 1, 2001, Days(10));
  text += "1 20 2001 99 1 100 0 50 1\n1 21 2001 98 1 100 0 50 1\n1 22 2001 97 1 100 0 50 1\n";
  WxRead r(text, DateOf(1, 15, 2001), DateOf(1, 16, 2001));
  EXPECT_FALSE(r.log.RunOk);
  EXPECT_EQ(r.log.lines, std::vector<std::string>{"Weather file \"cordoba.txt\" line 14: date "
                                                  "1/20/2001 where 1/11/2001 is expected (9 days "
                                                  "missing)."});
}

TEST(ReadWx, StartBeforeTheDataIsRefused) {
  WxRead r(WxText(3, 1, 2001, Days(10)), DateOf(2, 27, 2001), DateOf(3, 5, 2001));
  EXPECT_FALSE(r.log.RunOk);
  ASSERT_EQ(r.log.lines.size(), 1u);
  EXPECT_EQ(r.log.lines[0], "Model start date precedes weather data.");
}

TEST(ReadWx, DataEndingBeforeTheStartIsRefused) {
  WxRead r(WxText(3, 1, 2001, Days(10)), DateOf(4, 1, 2001), DateOf(4, 5, 2001));
  EXPECT_FALSE(r.log.RunOk);
  ASSERT_EQ(r.log.lines.size(), 1u);
  EXPECT_EQ(r.log.lines[0], "Weather data ends before model start date.");
  // A file without a single record, and one whose data end with month 0 first.
  WxRead empty(WxText(3, 1, 2001, {}), DateOf(3, 1, 2001), DateOf(3, 5, 2001));
  ASSERT_EQ(empty.log.lines.size(), 1u);
  EXPECT_EQ(empty.log.lines[0], "Weather data ends before model start date.");
  WxRead ended(WxText(3, 1, 2001, Days(3)) + "0 0 0\n" + "3 4 2001 1 1 1 1 1 1\n",
               DateOf(3, 4, 2001), DateOf(3, 5, 2001));
  ASSERT_EQ(ended.log.lines.size(), 1u);
  EXPECT_EQ(ended.log.lines[0], "Weather data ends before model start date.");
}

TEST(ReadWx, EndBeyondTheDataShortensTheRun) {
  // Data for 1..31 March; the run asks for March and April.
  WxRead r(WxText(3, 1, 2001, Days(31)), DateOf(3, 1, 2001), DateOf(4, 30, 2001));
  EXPECT_TRUE(r.log.RunOk);
  ASSERT_EQ(r.log.lines.size(), 1u);
  EXPECT_EQ(r.log.lines[0], "Model end date adjusted to end of weather data.");
  EXPECT_EQ(r.period.ndays, 30);  // the last record's day itself is not simulated
  EXPECT_EQ(r.wx.temps[30][0], 49.0f);
}

TEST(ReadWx, MonthZeroEndsTheData) {
  std::string text = WxText(3, 1, 2001, Days(10)) + "0\n" + "3 11 2001 1 1 1 1 1 1\n";
  WxRead r(text, DateOf(3, 1, 2001), DateOf(3, 20, 2001));
  EXPECT_TRUE(r.log.RunOk);
  ASSERT_EQ(r.log.lines.size(), 1u);
  EXPECT_EQ(r.log.lines[0], "Model end date adjusted to end of weather data.");
  EXPECT_EQ(r.period.ndays, 9);
}

TEST(ReadWx, TrailingBlankLinesAreTheEndOfTheFile) {
  WxRead r(WxText(3, 1, 2001, Days(10)) + "\n\n  \n", DateOf(3, 1, 2001), DateOf(3, 10, 2001));
  EXPECT_TRUE(r.log.RunOk);
  EXPECT_TRUE(r.log.lines.empty());
  EXPECT_EQ(r.period.ndays, 10);
}

// Weather whose rain series is given, every other value present.
std::vector<WxDay> WithRain(const std::vector<float>& rain) {
  std::vector<WxDay> d(rain.size());
  for (size_t i = 0; i < rain.size(); ++i) d[i].rain = rain[i];
  return d;
}

TEST(WxMissing, GapIsFilledOnAStraightLine) {
  WxRead r(WxText(5, 1, 2001, WithRain({10, -99, -99, -99, 20, 3})), DateOf(5, 1, 2001),
           DateOf(5, 6, 2001));
  ASSERT_TRUE(r.log.RunOk);
  EXPECT_EQ(r.wx.rain[1], 10.0f);
  EXPECT_EQ(r.wx.rain[2], 12.5f);
  EXPECT_EQ(r.wx.rain[3], 15.0f);
  EXPECT_EQ(r.wx.rain[4], 17.5f);
  EXPECT_EQ(r.wx.rain[5], 20.0f);
  EXPECT_EQ(r.wx.rain[6], 3.0f);
}

TEST(WxMissing, GapFromDayOneTakesTheFirstValue) {
  WxRead r(WxText(5, 1, 2001, WithRain({-99, -99, -99, -99, -99, 7, 8})), DateOf(5, 1, 2001),
           DateOf(5, 7, 2001));
  for (int d = 1; d <= 6; ++d) EXPECT_EQ(r.wx.rain[d], 7.0f) << d;
  EXPECT_EQ(r.wx.rain[7], 8.0f);
}

TEST(WxMissing, GapToTheEndKeepsTheLastValue) {
  std::vector<float> rain(100, 1.0f);
  rain[88] = 4.0f;  // day 89
  for (size_t i = 89; i < 100; ++i) rain[i] = -99;
  WxRead r(WxText(1, 1, 2001, WithRain(rain)), DateOf(1, 1, 2001), DateOf(4, 10, 2001));
  ASSERT_EQ(r.period.ndays, 100);
  for (int d = 89; d <= 100; ++d) EXPECT_EQ(r.wx.rain[d], 4.0f) << d;
  EXPECT_EQ(r.wx.rain[88], 1.0f);
}

TEST(WxMissing, SeriesWithoutDataTakesItsDefaultConverted) {
  std::vector<WxDay> days(4, WxDay{-99, -99, -99, -99, -99, -99});
  WxRead r(WxText(5, 1, 2001, days), DateOf(5, 1, 2001), DateOf(5, 4, 2001));
  ASSERT_TRUE(r.log.RunOk);
  for (int d = 1; d <= 4; ++d) {
    EXPECT_EQ(r.wx.temps[d][0], 25.0f);
    EXPECT_EQ(r.wx.temps[d][1], 12.0f);
    EXPECT_FLOAT_EQ(r.wx.solar[d], 200 * kSolarFactor);
    EXPECT_EQ(r.wx.rain[d], 0.0f);
    EXPECT_EQ(r.wx.relhum[d], 55.0f);
    EXPECT_FLOAT_EQ(r.wx.winds[d], kWindFactor);
  }
}

TEST(WxMissing, OnlyMinus99IsMissing) {
  // -99.5 and -999 are not the mark of a missing value: they are rain below 0, reported.
  WxRead r(WxText(5, 1, 2001, WithRain({1, -99.5f, -999, -99, 5})), DateOf(5, 1, 2001),
           DateOf(5, 5, 2001));
  EXPECT_TRUE(r.log.RunOk);
  EXPECT_EQ(r.log.lines,
            (std::vector<std::string>{
                "Weather file \"cordoba.txt\" line 5: rain -99.5 is below 0; taken as missing.",
                "Weather file \"cordoba.txt\" line 6: rain -999 is below 0; taken as missing."}));
  for (int d = 1; d <= 5; ++d) EXPECT_EQ(r.wx.rain[d], static_cast<float>(d)) << d;
}

// One line of a clean file of 1..6 March 2001 changed, and the one message it gives.
struct SequenceCase {
  const char* what;
  const char* record;   // the new text of line 6, the record of 3 March
  int line;             // the line of the message
  const char* message;  // after the file and line; empty: the file is read
};

// Records follow one another day by day, nine fields each (days the file skips were once
// filled as missing values; every later day then sat one day early).
TEST(ReadWxErrors, RecordsFollowDayByDay) {
  const SequenceCase cases[] = {
      {"missing day (a blank line holds no record)", "", 7,
       "date 3/4/2001 where 3/3/2001 is expected (1 day missing)."},
      {"repeated day", "3 2 2001 20 10 100 0 60 2", 6,
       "date 3/2/2001 where 3/3/2001 is expected (a repeated date)."},
      {"year typo", "3 3 2010 20 10 100 0 60 2", 6,
       "date 3/3/2010 where 3/3/2001 is expected (a date out of place)."},
      {"no such day", "2 30 2001 20 10 100 0 60 2", 6,
       "date 2/30/2001 where 3/3/2001 is expected (not a calendar date)."},
      {"8 fields", "3 3 2001 20 10 100 0 60", 6,
       "8 fields where a record has 9 (month day year tmax tmin solar rain rh wind)."},
      {"10 fields", "3 3 2001 20 10 100 0 60 2 7", 6,
       "10 fields where a record has 9 (month day year tmax tmin solar rain rh wind)."},
      {"a note after the record", "3 3 2001 20 10 100 0 60 2 estimated 4", 6, ""},
  };
  const std::string clean = WxText(3, 1, 2001, std::vector<WxDay>(6));
  for (const SequenceCase& c : cases) {
    WxRead r(testing_support::WithLine(clean, 6, c.record), DateOf(3, 1, 2001), DateOf(3, 6, 2001));
    const std::string message = c.message;
    EXPECT_EQ(r.log.RunOk, message.empty()) << c.what;
    const std::vector<std::string> expected = {"Weather file \"cordoba.txt\" line " +
                                               std::to_string(c.line) + ": " + message};
    EXPECT_EQ(r.log.lines, message.empty() ? std::vector<std::string>{} : expected) << c.what;
  }
  // Dates that go back: the data of 2000 go on from 2 January 1999.
  std::string back = WxText(12, 31, 1999, std::vector<WxDay>(2));
  back += "1 2 1999 20 10 100 0 60 2\n1 3 1999 20 10 100 0 60 2\n";
  WxRead r(back, DateOf(1, 1, 2000), DateOf(12, 31, 2000));
  EXPECT_FALSE(r.log.RunOk);
  EXPECT_EQ(r.log.lines, std::vector<std::string>{"Weather file \"cordoba.txt\" line 6: date "
                                                  "1/2/1999 where 1/2/2000 is expected (the "
                                                  "dates go back)."});
}

// The same check on dates given as numbers, for readers of other formats.
TEST(CheckDateSequenceTest, FindsTheFirstDateOutOfStep) {
  const std::vector<WxDate> leap = {{2, 28, 2004}, {2, 29, 2004}, {3, 1, 2004}, {3, 1, 2004}};
  EXPECT_FALSE(CheckDateSequence(std::span(leap).first(3)));
  const auto repeated = CheckDateSequence(leap);
  ASSERT_TRUE(repeated);
  EXPECT_EQ(repeated->index, 3u);
  EXPECT_EQ(DescribeDateProblem(*repeated),
            "date 3/1/2004 where 3/2/2004 is expected (a repeated date).");
  const std::vector<WxDate> noLeapDay = {{2, 29, 2001}};
  EXPECT_EQ(DescribeDateProblem(*CheckDateSequence(noLeapDay)),
            "date 2/29/2001 is not a calendar date.");
}

// Values the weather cannot have are reported with their line and text, and repaired as
// missing values; the run goes on.
TEST(ReadWx, ImpossibleValuesAreReportedAndFilled) {
  std::string text = WxText(3, 1, 2001, std::vector<WxDay>(2));
  text +=
      "3 3 2001 1e9 10 100 0 60 2\n"     // line 6
      "3 4 2001 20 10 -5 -3 200 -1\n"    // line 7
      "3 5 2001 20 30 100 0 60 2\n"      // line 8
      "3 6 2001 nan 1e39 100 0 -99 2\n"  // line 9
      "3 7 2001 20 10 100 0 60 2\n";
  WxRead r(text, DateOf(3, 1, 2001), DateOf(3, 7, 2001));
  EXPECT_TRUE(r.log.RunOk);
  const std::string at = "Weather file \"cordoba.txt\" line ";
  EXPECT_EQ(r.log.lines,
            (std::vector<std::string>{
                at + "6: tmax 1e9 is beyond -70 to 70 deg C; taken as missing.",
                at + "7: solar -5 is below 0; taken as missing.",
                at + "7: rain -3 is below 0; taken as missing.",
                at + "7: rh 200 is outside 0 to 100 %; taken as missing.",
                at + "7: wind -1 is below 0; taken as missing.",
                at + "8: tmin 30 is above tmax 20; both taken as missing.",
                at + "9: tmax nan cannot be held as a finite number; taken as missing.",
                at + "9: tmin 1e39 cannot be held as a finite number; taken as missing."}));
  // Every series of the file is constant, and so is every repaired day.
  for (int d = 1; d <= 7; ++d) {
    EXPECT_EQ(r.wx.temps[d][0], 20.0f) << d;
    EXPECT_EQ(r.wx.temps[d][1], 10.0f) << d;
    EXPECT_FLOAT_EQ(r.wx.solar[d], 100 * kSolarFactor) << d;
    EXPECT_EQ(r.wx.rain[d], 0.0f) << d;
    EXPECT_EQ(r.wx.relhum[d], 60.0f) << d;
    EXPECT_FLOAT_EQ(r.wx.winds[d], 2 * kWindFactor) << d;
  }
}

TEST(ReadWx, ManyImpossibleValuesAreCounted) {
  WxRead r(WxText(5, 1, 2001, WithRain(std::vector<float>(30, -1.0f))), DateOf(5, 1, 2001),
           DateOf(5, 30, 2001));
  EXPECT_TRUE(r.log.RunOk);
  ASSERT_EQ(r.log.lines.size(), 21u);
  EXPECT_EQ(r.log.lines[19],
            "Weather file \"cordoba.txt\" line 23: rain -1 is below 0; taken as missing.");
  EXPECT_EQ(r.log.lines[20],
            "Weather file \"cordoba.txt\": 10 more impossible values taken as missing.");
}

TEST(CheckWxValues, TemperaturesAreJudgedInTheFilesUnit) {
  WxRecord r;
  r.value = {150, 40, 0, 0, 50, 0};  // deg F: 65.6 and 4.4 deg C
  r.text = {"150", "40", "0", "0", "50", "0"};
  std::vector<std::string> problems;
  CheckWxValues(r, true, problems);
  EXPECT_TRUE(problems.empty());
  r.value[kTmax] = 160;  // 71.1 deg C
  r.text[kTmax] = "160";
  CheckWxValues(r, true, problems);
  EXPECT_EQ(problems,
            std::vector<std::string>{"tmax 160 is beyond -70 to 70 deg C; taken as missing."});
  EXPECT_EQ(r.value[kTmax], kMissing);
}

TEST(DoAdjustWxTest, TemperatureAdjustmentFollowsTheRepair) {
  std::vector<WxDay> days(5);
  days[0].tmax = 10;
  days[1].tmax = -99;
  days[2].tmax = 20;
  WxCons cons{};
  cons[1] = 2;
  WxRead r(WxText(5, 1, 2001, days), DateOf(5, 1, 2001), DateOf(5, 5, 2001), cons);
  EXPECT_EQ(r.wx.temps[1][0], 12.0f);
  EXPECT_EQ(r.wx.temps[2][0], 17.0f);  // filled with 15, then adjusted
  EXPECT_EQ(r.wx.temps[3][0], 22.0f);
  EXPECT_EQ(r.wx.temps[1][1], 12.0f);                  // minimum 10 + 2
  EXPECT_FLOAT_EQ(r.wx.solar[1], 100 * kSolarFactor);  // other series untouched
  EXPECT_EQ(r.wx.rain[1], 0.0f);
}

TEST(DoAdjustWxTest, EachSeriesHasItsOwnAdjustmentInInternalUnits) {
  WxCons cons{0, 0, 10, -1, 5, 0.5f};
  WxRead r(WxText(5, 1, 2001, std::vector<WxDay>(2)), DateOf(5, 1, 2001), DateOf(5, 2, 2001), cons);
  EXPECT_EQ(r.wx.temps[1][0], 20.0f);
  EXPECT_FLOAT_EQ(r.wx.solar[1], 100 * kSolarFactor + 10);
  EXPECT_EQ(r.wx.rain[1], -1.0f);  // no bounds afterwards
  EXPECT_EQ(r.wx.relhum[1], 65.0f);
  EXPECT_FLOAT_EQ(r.wx.winds[1], 2 * kWindFactor + 0.5f);
}

TEST(WxUnits, EveryConversion) {
  Weather wx;
  SizeWeather(wx);
  wx.temps[1] = {212, -99};
  wx.solar[1] = 100;
  wx.rain[1] = 1;
  wx.winds[1] = 10;
  wxunits(wx, 1, true, false, true, true, false);
  EXPECT_FLOAT_EQ(wx.temps[1][0], 180 * 0.55555f);
  EXPECT_EQ(wx.temps[1][1], -99.0f);  // missing stays missing
  EXPECT_EQ(wx.solar[1], 100.0f);
  EXPECT_FLOAT_EQ(wx.rain[1], 25.4f);
  EXPECT_FLOAT_EQ(wx.winds[1], 16.09f);
}

TEST(ReadWxErrors, TextWhereANumberBelongs) {
  WxRead head("Cordoba\tx\nlongitude 37\nheading\n", 1, 1);
  EXPECT_FALSE(head.log.RunOk);
  ASSERT_EQ(head.log.lines.size(), 1u);
  EXPECT_EQ(head.log.lines[0],
            "Weather file \"cordoba.txt\" line 2: \"longitude\" is not a number.");
  std::string text = WxText(3, 1, 2001, Days(3)) + "3 4 2001 20 10 n/a 0 50 1\n";
  WxRead body(text, DateOf(3, 1, 2001), DateOf(3, 10, 2001));
  EXPECT_FALSE(body.log.RunOk);
  ASSERT_EQ(body.log.lines.size(), 1u);
  EXPECT_EQ(body.log.lines[0], "Weather file \"cordoba.txt\" line 7: \"n/a\" is not a number.");
  // A file cut short in its last record.
  WxRead cut(WxText(3, 1, 2001, Days(3)) + "3 4 2001 20", DateOf(3, 1, 2001), DateOf(3, 10, 2001));
  EXPECT_FALSE(cut.log.RunOk);
  ASSERT_EQ(cut.log.lines.size(), 1u);
  EXPECT_EQ(cut.log.lines[0],
            "Weather file \"cordoba.txt\" line 7: 4 fields where a record has 9 (month day year "
            "tmax tmin solar rain rh wind).");
}

TEST(ReadWxErrors, MissingFileIsReported) {
  MemoryLog log;
  Weather wx;
  WxPeriod period{DateOf(3, 1, 2001), DateOf(3, 2, 2001), 2};
  readwx(log, "no/such/weather.txt", period, WxCons{}, wx);
  EXPECT_FALSE(log.RunOk);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0], "Initialize Brask. Wx file not found: \"no/such/weather.txt\"");
}

TEST(ReadWxErrors, DeviceIsRefused) {
  MemoryLog log;
  Weather wx;
  WxPeriod period{DateOf(3, 1, 2001), DateOf(3, 2, 2001), 2};
  readwx(log, "/dev/zero", period, WxCons{}, wx);
  EXPECT_FALSE(log.RunOk);
  EXPECT_EQ(log.lines, std::vector<std::string>{
                           "Weather file \"/dev/zero\" cannot be read: not a regular file."});
}

TEST(ReadWxErrors, ReadsTheFileFromDiskPastAByteOrderMark) {
  const auto path = std::filesystem::temp_directory_path() / "olive_readwx_test.txt";
  {
    std::ofstream f(path, std::ios::binary);
    f << "\xEF\xBB\xBF" << WxText(3, 1, 2001, Days(5));
  }
  MemoryLog log;
  Weather wx;
  WxPeriod period{DateOf(3, 2, 2001), DateOf(3, 4, 2001), 3};
  readwx(log, path.string(), period, WxCons{}, wx);
  std::filesystem::remove(path);
  EXPECT_TRUE(log.RunOk);
  EXPECT_EQ(wx.Location, "Cordoba");
  EXPECT_EQ(wx.temps[1][0], 21.0f);
  EXPECT_EQ(period.ndays, 3);
}

TEST(ReadWxErrors, MoreRecordsThanTheSeriesHoldAreRefused) {
  // Records of 73060 days that never reach the end date.
  MemoryLog log;
  Weather wx;
  WxPeriod period{DateOf(1, 1, 2001), 1e9f, 65535};
  readwxText(log, WxText(1, 1, 2001, std::vector<WxDay>(73060)), "cordoba.txt", period, WxCons{},
             wx);
  EXPECT_FALSE(log.RunOk);
  EXPECT_EQ(log.lines, std::vector<std::string>{
                           "Weather file \"cordoba.txt\" has more records before the model end "
                           "date than the weather series can hold (73050 days)."});
}

TEST(ReadWxErrors, GarbageAndTruncationsNeverCrash) {
  const std::string full = WxText(3, 1, 2001, Days(20));
  for (size_t n = 0; n <= full.size(); ++n) {
    WxRead r(full.substr(0, n), DateOf(3, 5, 2001), DateOf(3, 15, 2001));
    EXPECT_LE(r.period.ndays, 11);
  }
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int trial = 0; trial < 300; ++trial) {
    std::string junk(static_cast<size_t>(gen() % 3000), '\0');
    for (char& c : junk) c = static_cast<char>(byte(gen));
    WxRead a(junk, DateOf(3, 5, 2001), DateOf(3, 15, 2001));
    std::string mutated = full;
    for (int k = 0; k < 4; ++k) mutated[gen() % mutated.size()] = static_cast<char>(byte(gen));
    WxRead b(mutated, DateOf(3, 5, 2001), DateOf(3, 15, 2001));
    EXPECT_LE(b.period.ndays, 11);
  }
}

}  // namespace
}  // namespace olive
