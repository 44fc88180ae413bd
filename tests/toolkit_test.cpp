// Calendar, day length, degree-days, angles, window vectors and the small helpers of the toolkit.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "toolkit/modutils.h"
#include "toolkit/random.h"
#include "weather/weather.h"

namespace olive {
namespace {

struct RecordingSink : ErrorSink {
  std::vector<std::string> messages;
  void Report(std::string_view m) override { messages.emplace_back(m); }
};

// ---------------------------------------------------------------- calendar

TEST(Calendar, JulianExamples) {
  RecordingSink log;
  EXPECT_EQ(Julian(log, 3, 1, 2000), 61);
  EXPECT_EQ(Julian(log, 3, 1, 1999), 60);
  EXPECT_EQ(Julian(log, 12, 31, 1900), 366);  // every fourth year is a leap year, 1900 too
  EXPECT_EQ(Julian(log, 1, 1, 2001), 1);
  EXPECT_EQ(Julian(log, 2, 29, 2004), 60);
  EXPECT_TRUE(log.messages.empty());
}

TEST(Calendar, JulianReportsBadDatesAndReturnsZero) {
  RecordingSink log;
  EXPECT_EQ(Julian(log, 2, 29, 1999), 0);
  EXPECT_EQ(Julian(log, 13, 1, 1999), 0);
  EXPECT_EQ(Julian(log, 1, 1, 10001), 0);
  EXPECT_EQ(Julian(log, 4, 31, 2000), 0);
  EXPECT_EQ(Julian(log, 1, 0, 2000), 0);
  ASSERT_EQ(log.messages.size(), 5u);
  EXPECT_EQ(log.messages[0], " Invalid day in Julian Function:       29");
  EXPECT_EQ(log.messages[1], " Invalid Month in Julian Function:       13");
  EXPECT_EQ(log.messages[2], " Invalid year in Julian Function:    10001");
  EXPECT_EQ(log.messages[3], " Invalid day in Julian Function:       31");
  EXPECT_EQ(log.messages[4], " Invalid day in Julian Function:        0");
  EXPECT_TRUE(log.RunOk);  // a bad date does not end the run
}

TEST(Calendar, CalandExamples) {
  uint8_t mo = 0, dy = 0;
  bool ok = false;
  Caland(2001, 60, mo, dy, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(mo, 3);
  EXPECT_EQ(dy, 1);
  Caland(2000, 366, mo, dy, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(mo, 12);
  EXPECT_EQ(dy, 31);
  Caland(2001, 366, mo, dy, ok);  // out of range: month and day left as they were
  EXPECT_FALSE(ok);
  EXPECT_EQ(mo, 12);
  EXPECT_EQ(dy, 31);
  Caland(2000, 0, mo, dy, ok);
  EXPECT_FALSE(ok);
}

TEST(Calendar, CalandInvertsJulianOverWholeYears) {
  RecordingSink log;
  for (int32_t year : {1900, 1999, 2000, 2001, 2004}) {
    for (int32_t j = 1; j <= YearLengthOf(year); ++j) {
      uint8_t mo = 0, dy = 0;
      bool ok = false;
      Caland(year, j, mo, dy, ok);
      ASSERT_TRUE(ok) << year << " " << j;
      ASSERT_EQ(Julian(log, mo, dy, year), j) << year << " " << j;
    }
  }
  EXPECT_TRUE(log.messages.empty());
}

TEST(Calendar, RdateExamples) {
  EXPECT_EQ(rdate(1900, 1), 1.0f);
  EXPECT_EQ(rdate(1999, 1), 36161.0f);
  EXPECT_EQ(rdate(2000, 1), 36526.0f);
  EXPECT_EQ(rdate(2001, 1), 36892.0f);
  EXPECT_EQ(rdate(2001, 2), rdate(2001, 1) + 1.0f);
  EXPECT_EQ(rdate(2000, 366) + 1.0f, rdate(2001, 1));
}

// The serial numbers run on by exactly one a day, across every year end from 1900 to 2099.
TEST(Calendar, RdateCountsEveryDayOnce) {
  float prev = rdate(1900, 1) - 1.0f;
  for (int32_t year = 1900; year <= 2099; ++year) {
    for (int32_t d = 1; d <= YearLengthOf(year); ++d) {
      const float now = rdate(year, d);
      ASSERT_EQ(now, prev + 1.0f) << year << " day " << d;
      prev = now;
    }
  }
}

// ---------------------------------------------------------------- day length

TEST(DayLength, ThirtyEightDegreesNorth) {
  EXPECT_NEAR(Daylength(172, 0.6632f), 14.13f, 0.005f);
  EXPECT_NEAR(Daylength(355, 0.6632f), 9.10f, 0.005f);
  // Longest near the June solstice, shortest near the December one.
  float longest = 0, shortest = 100;
  int32_t dayLongest = 0, dayShortest = 0;
  for (int32_t j = 1; j <= 365; ++j) {
    const float h = Daylength(j, 0.6632f);
    if (h > longest) longest = h, dayLongest = j;
    if (h < shortest) shortest = h, dayShortest = j;
  }
  EXPECT_NEAR(dayLongest, 173, 2);
  EXPECT_NEAR(dayShortest, 355, 2);
}

// ---------------------------------------------------------------- degree-days

// Degree-days of one half-day by numerical integration of the sine between tmin and TX: the mean
// of max(T - base, 0) (above) or max(base - T, 0) (below) over the half-period, halved.
void IntegrateHalfDay(double tx, double tn, double base, double& above, double& below) {
  const int n = 20000;
  const double pi = 3.14159265358979323846;
  const double mid = 0.5 * (tx + tn), amp = 0.5 * (tx - tn);
  double sa = 0, sb = 0;
  for (int i = 0; i < n; ++i) {
    const double theta = -pi / 2 + pi * (i + 0.5) / n;
    const double t = mid + amp * std::sin(theta);
    sa += std::max(t - base, 0.0);
    sb += std::max(base - t, 0.0);
  }
  above += 0.5 * sa / n;
  below += 0.5 * sb / n;
}

TEST(DegreeDays, MatchIntegratedHalfSines) {
  // Day 1 uses its own maximum for the previous day's.
  const std::vector<TempPair> temps = {{0, 0},  {24, 8}, {30, 12}, {18, 14},
                                       {9, -3}, {4, -6}, {15, 2},  {26, 11}};
  for (float base : {-10.0f, 0.0f, 10.0f, 12.0f, 14.0f, 20.0f, 35.0f}) {
    for (int32_t d = 1; d < static_cast<int32_t>(temps.size()); ++d) {
      float dda = -1, ddb = -1, tmax = 0, tmin = 0;
      Daydegrees(temps.data(), d, dda, ddb, base, tmax, tmin);
      EXPECT_EQ(tmax, temps[d][0]);
      EXPECT_EQ(tmin, temps[d][1]);
      const double prevMax = temps[d > 1 ? d - 1 : 1][0];
      double above = 0, below = 0;
      for (double tx : {prevMax, static_cast<double>(temps[d][0])}) {
        IntegrateHalfDay(tx, temps[d][1], base, above, below);
      }
      EXPECT_NEAR(dda, above, 2e-4) << "day " << d << " base " << base;
      EXPECT_NEAR(ddb, below, 2e-4) << "day " << d << " base " << base;
      EXPECT_GE(dda, 0.0f);
      EXPECT_GE(ddb, 0.0f);
    }
  }
}

TEST(DegreeDays, WholeHalfDaysAboveOrBelowBase) {
  const std::vector<TempPair> temps = {{0, 0}, {20, 10}, {28, 14}};
  float dda, ddb, tmax, tmin;
  // Both halves above base 5: (20 + 14 - 10)/4 + (28 + 14 - 10)/4.
  Daydegrees(temps.data(), 2, dda, ddb, 5.0f, tmax, tmin);
  EXPECT_FLOAT_EQ(dda, 6.0f + 8.0f);
  EXPECT_EQ(ddb, 0.0f);
  // Both halves below base 30: (60 - 20 - 14)/4 + (60 - 28 - 14)/4.
  Daydegrees(temps.data(), 2, dda, ddb, 30.0f, tmax, tmin);
  EXPECT_EQ(dda, 0.0f);
  EXPECT_FLOAT_EQ(ddb, 6.5f + 4.5f);
}

// A minimum above the previous day's maximum with the base between them: both whole-half-day
// rules apply to the first half, so dda loses what ddb gains (dda - ddb still equals the mean
// excess over base).
TEST(DegreeDays, MinimumAboveYesterdaysMaximumAppliesBothRules) {
  const std::vector<TempPair> temps = {{0, 0}, {4, -6}, {15, 10}};
  float dda, ddb, tmax, tmin;
  Daydegrees(temps.data(), 2, dda, ddb, 10.0f, tmax, tmin);
  // First half (4 and 10): dda += (14 - 20)/4, ddb -= (14 - 20)/4; second (15 and 10): dda += 5/4.
  EXPECT_FLOAT_EQ(dda, -1.5f + 1.25f);
  EXPECT_FLOAT_EQ(ddb, 1.5f);
}

// ---------------------------------------------------------------- angles

TEST(Angles, AsinInsideItsDomain) {
  RecordingSink log;
  EXPECT_EQ(Asin(log, 0.0f), 0.0f);
  EXPECT_EQ(Asin(log, 1.0f), 1.5707964f);
  EXPECT_EQ(Asin(log, -1.0f), -1.5707964f);
  EXPECT_NEAR(Asin(log, 0.5f), 0.5235988f, 1e-6);
  EXPECT_NEAR(Asin(log, -0.8f), std::asin(-0.8), 1e-6);
  EXPECT_TRUE(log.messages.empty());
}

TEST(Angles, AsinOutOfDomainIsFatal) {
  RecordingSink log;
  EXPECT_THROW(Asin(log, 1.0001f), AsinDomainError);
  EXPECT_THROW(Asin(log, -2.0f), AsinDomainError);
  ASSERT_EQ(log.messages.size(), 2u);
  EXPECT_EQ(log.messages[0], " Asin Function argument out of range.");
}

TEST(Angles, AtanQuadrantsInDegrees) {
  EXPECT_EQ(Atan(0, 0), 0.0f);
  EXPECT_EQ(Atan(0, -1), 90.0f);
  EXPECT_EQ(Atan(0, 2), 90.0f);
  EXPECT_EQ(Atan(-1, 0), 0.0f);
  EXPECT_NEAR(Atan(1, 1), 45.0f, 1e-5);
  EXPECT_NEAR(Atan(1, -1), -45.0f, 1e-5);
  EXPECT_NEAR(Atan(-1, 1), 135.0f, 1e-5);
  EXPECT_NEAR(Atan(-1, -1), 225.0f, 1e-5);
  EXPECT_NEAR(Atan(2, 1), 26.565051f, 1e-4);
}

TEST(Angles, ArccosInDegrees) {
  EXPECT_EQ(Arccos(0), 90.0f);
  EXPECT_EQ(Arccos(1), 0.0f);
  EXPECT_EQ(Arccos(-1), 180.0f);
  EXPECT_NEAR(Arccos(0.5f), 60.0f, 1e-4);
  EXPECT_NEAR(Arccos(-0.5f), 120.0f, 1e-4);
  for (float x = -0.95f; x < 0.96f; x += 0.05f) {
    EXPECT_NEAR(Arccos(x), std::acos(x) * 57.29577951308232, 1e-3) << x;
  }
}

// ---------------------------------------------------------------- window vectors

TEST(WindowVector, WholeDelayIsOneEverywhere) {
  RecordingSink log;
  AgeVec v;
  v.fill(-7.0f);
  wdwvec(log, 0.0f, 100.0f, 10, 100.0f, v);
  for (int32_t i = 1; i <= 10; ++i) EXPECT_FLOAT_EQ(v[i], 1.0f) << i;
  EXPECT_EQ(v[11], -7.0f);  // classes above k are not touched
  EXPECT_TRUE(log.messages.empty());
}

TEST(WindowVector, WindowInsideOneClass) {
  RecordingSink log;
  AgeVec v;
  v.fill(-7.0f);
  wdwvec(log, 12.0f, 17.0f, 10, 100.0f, v);
  for (int32_t i = 1; i <= 10; ++i) EXPECT_FLOAT_EQ(v[i], i == 2 ? 0.5f : 0.0f) << i;
}

TEST(WindowVector, EdgesAreFractions) {
  RecordingSink log;
  AgeVec v{};
  wdwvec(log, 15.0f, 42.0f, 10, 100.0f, v);
  const float expect[] = {0, 0, 0.5f, 1, 1, 0.2f, 0, 0, 0, 0, 0};
  for (int32_t i = 1; i <= 10; ++i) EXPECT_NEAR(v[i], expect[i], 1e-5) << i;
}

// A population spread evenly over the ages counts, through its window, the window's length; a
// window that reaches past the delay's end is cut there.
TEST(WindowVector, CountsAnEvenPopulation) {
  RecordingSink log;
  const int32_t k = 40;
  const float del = 250.0f;
  AgeVec even{};
  Fill(even, k, 1.0f);
  struct Case {
    float xl, xr;
  };
  for (Case c : {Case{0, 250}, Case{10, 20}, Case{3.1f, 187.4f}, Case{75, 500}, Case{240, 260}}) {
    AgeVec v{};
    wdwvec(log, c.xl, c.xr, k, del, v);
    EXPECT_NEAR(dot(even, v, k) * del / k, std::min(c.xr, del) - c.xl, 1e-3) << c.xl;
  }
  EXPECT_TRUE(log.messages.empty());
}

TEST(WindowVector, ReversedBoundsAreReportedAndTheRunGoesOn) {
  RecordingSink log;
  AgeVec v{};
  wdwvec(log, 50.0f, 20.0f, 10, 100.0f, v);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0], " Invalid arguments to wdwvec.");
  EXPECT_TRUE(log.RunOk);
}

// ---------------------------------------------------------------- responses and checks

TEST(TemperatureResponse, ParabolaBetweenLimits) {
  EXPECT_EQ(FFTemperature(10, 10, 30), 0.0f);
  EXPECT_EQ(FFTemperature(30, 10, 30), 0.0f);
  EXPECT_EQ(FFTemperature(-5, 10, 30), 0.0f);
  EXPECT_EQ(FFTemperature(40, 10, 30), 0.0f);
  EXPECT_FLOAT_EQ(FFTemperature(20, 10, 30), 1.0f);
  EXPECT_FLOAT_EQ(FFTemperature(15, 10, 30), 0.75f);
  EXPECT_FLOAT_EQ(FFTemperature(25, 10, 30), 0.75f);
}

TEST(RangeCheck, OutOfRangeClearsRunOk) {
  RecordingSink log;
  GISrngchk(log, 5, 0, 10);
  GISrngchk(log, 0, 0, 10);
  GISrngchk(log, 10, 0, 10);
  EXPECT_TRUE(log.messages.empty());
  EXPECT_TRUE(log.RunOk);
  GISrngchk(log, 10.5f, 0, 10);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0], "Input real or single variable out of range");
  EXPECT_FALSE(log.RunOk);
  GISrngchk(log, -1, 0, 10);
  EXPECT_EQ(log.messages.size(), 2u);
}

// ---------------------------------------------------------------- small helpers

TEST(SmallHelpers, VectorRoutines) {
  AgeVec a{}, b{};
  for (int32_t i = 1; i <= 100; ++i) a[i] = static_cast<float>(i);
  EXPECT_EQ(Sum(a, 1, 10), 55.0f);
  EXPECT_EQ(Sum(a, 4, 4), 4.0f);
  EXPECT_EQ(Sum(a, 5, 4), 0.0f);
  Fill(b, 3, 2.0f);
  EXPECT_EQ(b[3], 2.0f);
  EXPECT_EQ(b[4], 0.0f);
  EXPECT_EQ(dot(a, b, 100), 12.0f);
  EXPECT_EQ(dot(a, b, 0), 0.0f);
  EXPECT_EQ(dot(a, b, -3), 0.0f);
  Fill(b, 0, 9.0f);
  Fill(b, -1, 9.0f);
  EXPECT_EQ(b[1], 2.0f);
  AgeVec z{};
  z[6] = 1.0f;
  EXPECT_FALSE(NonZero(z, 5));
  EXPECT_TRUE(NonZero(z, 6));
}

TEST(SmallHelpers, ScalarRoutines) {
  EXPECT_EQ(max(1, 2), 2.0f);
  EXPECT_EQ(max(2, 1), 2.0f);
  EXPECT_EQ(min(1, 2), 1.0f);
  EXPECT_EQ(min(2, 1), 1.0f);
  EXPECT_EQ(Zerone(-0.5), 0.0);
  EXPECT_EQ(Zerone(std::numeric_limits<double>::quiet_NaN()), 0.0);
  EXPECT_EQ(Zerone(0.25), 0.25);
  EXPECT_EQ(Zerone(1.0), 1.0);
  EXPECT_EQ(Zerone(7.0), 1.0);
  EXPECT_EQ(Expo(100.0f), Expo(88.6f));
  EXPECT_TRUE(std::isfinite(Expo(1e30f)));
  EXPECT_FLOAT_EQ(Expo(0.0f), 1.0f);
  EXPECT_FLOAT_EQ(Expo(1.0f), 2.7182817f);
  EXPECT_EQ(Power(0.0f, 3.0f), 0.0f);
  EXPECT_NEAR(Power(2.0f, 10.0f), 1024.0f, 1e-3);
  EXPECT_NEAR(Power(9.0f, 0.5f), 3.0f, 1e-5);
  EXPECT_FLOAT_EQ(Power(5.0f, 0.0f), 1.0f);
}

// ---------------------------------------------------------------- daily weather

TEST(DailyWeather, PicksTheDayAndAveragesTodaysExtremes) {
  Weather wx;
  wx.solar = {0, 400, 500};
  wx.rain = {0, 0, 12.5f};
  wx.relhum = {0, 55, 80};
  wx.winds = {0, 3, 7};
  DayWeather today;
  today.tmax = 24;
  today.tmin = 9;
  Getdailywx(wx, 2, today);
  EXPECT_EQ(today.solrad, 500.0f);
  EXPECT_EQ(today.precip, 12.5f);
  EXPECT_EQ(today.rhmean, 80.0f);
  EXPECT_EQ(today.wind, 7.0f);
  EXPECT_EQ(today.tmean, 16.5f);
  EXPECT_EQ(today.tmax, 24.0f);  // not set here
  EXPECT_EQ(today.tmin, 9.0f);
}

// ---------------------------------------------------------------- random numbers

TEST(RandomGenerator, SequenceFromASeed) {
  Rng rng;
  rng.s = 0;
  EXPECT_EQ(rng.Uniform(), 1.0 / 4294967296.0);
  EXPECT_EQ(rng.s, 1u);
  EXPECT_DOUBLE_EQ(rng.Uniform(), 134775814.0 / 4294967296.0);
  EXPECT_EQ(rng.Below(10), 8u);  // state 3698175007
  EXPECT_EQ(rng.s, 3698175007u);
  EXPECT_EQ(rng.Below(10), 2u);  // state 870078620
  rng.s = 12345;
  EXPECT_EQ(rng.Below(1000), 385u);
  EXPECT_EQ(rng.s, 1655067934u);
}

TEST(RandomGenerator, BelowCoversItsRangeEvenly) {
  Rng rng;
  rng.s = 42;
  int counts[7] = {};
  const int n = 70000;
  for (int i = 0; i < n; ++i) {
    const uint32_t b = rng.Below(7);
    ASSERT_LT(b, 7u);
    ++counts[b];
  }
  for (int c : counts) EXPECT_NEAR(c, n / 7, 300);
  EXPECT_EQ(rng.Below(1), 0u);
  for (int i = 0; i < 1000; ++i) {
    const double u = rng.Uniform();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
  }
}

}  // namespace
}  // namespace olive
