// Pesticide sprays: dated, degree-day and threshold triggers, the decaying spray level and the end
// of a season's spraying.
#include "pests/sprays.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace olive {
namespace {

// One season of sprays driven day by day as the driver does: sprays runs only while simsprays.
struct SprayRun {
  Inputs in;
  SprayState sp;
  DriverState drv;
  SeasonState season;
  SprayPestFigures pests;

  SprayRun() {
    in.SprayMaxMortDefault = 0.9f;
    in.SprayDurationDefault = 10;
    in.PredEffectDuration = 10;
    in.maxspr = 50;
    in.simspraysin = true;
    pests.leafNum = 1000;
    pests.fruNum = 1000;
  }

  void Start(int32_t jday) {
    sprayinit(sp, in);
    sp.StopSprayDate = 1e9f;  // no stop date unless a test sets one
    drv.jday = jday;
    drv.ModelDate = static_cast<float>(jday);
  }

  // One day at the current date, then the date moves on. Returns whether sprays ran.
  bool Day() {
    const bool ran = sp.simsprays;
    if (ran) sprays(sp, in, drv, season, pests);
    drv.jday += 1;
    drv.ModelDate += 1;
    return ran;
  }

  void AddDatedSpray(int32_t jday, float strength, float days) {
    in.spdates = true;
    in.numspr = static_cast<uint8_t>(in.numspr + 1);
    in.sprayspecs[in.numspr] = {0, static_cast<float>(jday), strength, days, 12.5f};
  }
};

TEST(SprayLevel, DecaysGeometricallyToFivePercentThenStops) {
  SprayRun r;
  r.AddDatedSpray(100, 0.9f, 10);
  r.Start(90);
  std::vector<float> level(130, -1);
  std::vector<int> mark(130, -1);
  for (int32_t d = 90; d < 125; ++d) {
    r.Day();
    level[d] = r.sp.spraylevel;
    mark[d] = r.sp.markspray;
  }
  for (int32_t d = 90; d < 100; ++d) EXPECT_EQ(level[d], 0.0f) << d;
  EXPECT_NEAR(level[100], 0.9, 1e-6);
  EXPECT_NEAR(level[105], 0.2121, 1e-4);
  EXPECT_NEAR(level[110], 0.05, 1e-6);
  EXPECT_EQ(level[111], 0.0f);
  for (int32_t d = 101; d <= 110; ++d) EXPECT_LT(level[d], level[d - 1]) << d;
  for (int32_t d = 111; d < 125; ++d) EXPECT_EQ(level[d], 0.0f) << d;
  // Marked on the spray day only; the row's cost is kept.
  for (int32_t d = 90; d < 125; ++d) EXPECT_EQ(mark[d], d == 100 ? 15 : 0) << d;
  EXPECT_EQ(r.sp.SprayCost, 12.5f);
  EXPECT_EQ(r.sp.SpraysDone, 1);

  // A spray of 0.05 stays at 0.05 for its whole duration.
  SprayRun flat;
  flat.AddDatedSpray(50, 0.05f, 6);
  flat.Start(50);
  for (int32_t day = 0; day <= 7; ++day) {
    flat.Day();
    EXPECT_NEAR(flat.sp.spraylevel, day <= 6 ? 0.05 : 0, 1e-7) << day;
  }
}

TEST(SprayLevel, SprayWithoutStrengthOrDurationHasNoEffect) {
  for (const auto& [strength, days] : {std::pair{0.0f, 10.0f}, std::pair{-0.2f, 10.0f},
                                       std::pair{0.8f, 0.0f}, std::pair{0.8f, 0.9f}}) {
    SprayRun r;
    r.AddDatedSpray(20, strength, days);
    r.Start(15);
    for (int32_t d = 15; d < 40; ++d) {
      r.Day();
      EXPECT_EQ(r.sp.spraylevel, 0.0f) << strength << " " << days << " day " << d;
      EXPECT_TRUE(std::isfinite(r.sp.LinearPredEffect));
    }
    EXPECT_EQ(r.sp.SpraysDone, 1);  // it still counts as a spray
  }
  // The default strength 0 passes the setup's range check and reaches a threshold spray.
  SprayRun r;
  r.in.SprayMaxMortDefault = 0;
  r.in.MiteSpr = true;
  r.pests.MiteAdults = 5000;
  r.Start(100);
  for (int32_t d = 0; d < 30; ++d) {
    r.Day();
    EXPECT_EQ(r.sp.spraylevel, 0.0f) << d;
  }
  EXPECT_GT(r.sp.SpraysDone, 1);
}

TEST(SprayDates, FireOnTheirDayOfYearOnlyAndLaterRowsOverride) {
  SprayRun r;
  r.AddDatedSpray(120, 0.5f, 5);
  r.AddDatedSpray(120, 0.7f, 8);              // same day: this one wins
  r.AddDatedSpray(400, 0.9f, 5);              // a day of year never reached
  r.in.sprayspecs[4] = {0, 200, 0.9f, 5, 0};  // beyond the row count: never consulted
  r.Start(110);
  std::vector<int32_t> sprayDays;
  for (int32_t d = 110; d < 366; ++d) {
    r.Day();
    if (r.sp.markspray == 15) sprayDays.push_back(d);
    if (d == 120) {
      EXPECT_NEAR(r.sp.spraylevel, 0.7, 1e-6);
      EXPECT_EQ(r.sp.SprayDuration, 8);
    }
  }
  EXPECT_EQ(sprayDays, std::vector<int32_t>{120});
  EXPECT_EQ(r.sp.SpraysDone, 1);
}

TEST(SpraySchedule, FirstAtTheDegreeDayStartThenEveryIntervalPlusTwoDays) {
  SprayRun r;
  r.in.SprayRelBurst = true;
  r.in.burstpnt = 200;
  r.in.SprayDDRelBurst = 100;
  r.in.SprayInterval = 7;
  r.in.SprayDurationDefault = 5;
  r.in.PredEffectDuration = 5;
  r.in.maxspr = 3;
  r.Start(1);
  std::vector<int32_t> sprayDays;
  for (int32_t d = 1; d <= 80 && r.sp.simsprays; ++d) {
    r.season.PlantDDSum = 10.0f * d;  // reaches 300 on day 30
    r.Day();
    if (r.sp.markspray == 15) sprayDays.push_back(d);
  }
  EXPECT_EQ(sprayDays, (std::vector<int32_t>{30, 39, 48}));
  EXPECT_FALSE(r.sp.simsprays);  // maxspr reached and the recovery period passed
}

TEST(SprayThresholds, ExactlyAtTheLimitDoNotTriggerJustAboveDo) {
  struct Case {
    const char* name;
    void (*set)(SprayRun&, double);
    double limit;
  };
  const Case cases[] = {
      {"mites per leaf",
       [](SprayRun& r, double v) {
         r.in.MiteSpr = true;
         r.pests.leafNum = 1000;
         r.pests.MiteAdults = v * 1000 / 2;
         r.pests.juveniles = v * 1000 / 2;
       },
       2},
      {"olive scale adults",
       [](SprayRun& r, double v) {
         r.in.OliveScaleSpr = true;
         r.pests.OliveScaleAdults = v;
       },
       20},
      {"oleander scale adults",
       [](SprayRun& r, double v) {
         r.in.OleanderScaleSpr = true;
         r.pests.OleanderScaleAdults = v;
       },
       1000},
      {"fly per fruit",
       [](SprayRun& r, double v) {
         r.in.OliveFlySpr = true;
         r.pests.fruNum = 1000;
         r.pests.OliveFlyegg = static_cast<float>(v * 1000 / 2);
         r.pests.OliveFlylarv = static_cast<float>(v * 1000 / 2);
       },
       0.001},
  };
  for (const Case& c : cases) {
    SprayRun atLimit;
    c.set(atLimit, c.limit);
    atLimit.Start(100);
    for (int32_t d = 0; d < 20; ++d) atLimit.Day();
    EXPECT_EQ(atLimit.sp.SpraysDone, 0) << c.name;

    SprayRun above;
    c.set(above, c.limit * 1.01);
    above.Start(100);
    above.Day();
    EXPECT_EQ(above.sp.markspray, 15) << c.name;
  }
  // Without leaves or fruit there is no density to compare.
  SprayRun bare;
  cases[0].set(bare, 1e6);
  cases[3].set(bare, 1e6);
  bare.pests.leafNum = 0;
  bare.pests.fruNum = 0;
  bare.Start(100);
  for (int32_t d = 0; d < 10; ++d) bare.Day();
  EXPECT_EQ(bare.sp.SpraysDone, 0);
}

TEST(SprayThresholds, NextThresholdSprayComesDurationPlusTwoDaysLater) {
  SprayRun r;
  r.in.OliveScaleSpr = true;
  r.pests.OliveScaleAdults = 50;
  r.in.SprayDurationDefault = 5;
  r.in.PredEffectDuration = 5;
  r.Start(100);
  std::vector<int32_t> sprayDays;
  for (int32_t d = 0; d < 22; ++d) {
    r.Day();
    if (r.sp.markspray == 15) sprayDays.push_back(d);
  }
  EXPECT_EQ(sprayDays, (std::vector<int32_t>{0, 7, 14, 21}));
}

TEST(SprayThresholds, FlyWaitsItsOwnDelayAfterASpray) {
  SprayRun r;
  r.in.OliveFlySpr = true;
  r.pests.OliveFlyegg = 100;  // 0.1 per fruit
  r.in.SprayDurationDefault = 5;
  r.Start(100);
  std::vector<int32_t> sprayDays;
  for (int32_t d = 0; d < 40; ++d) {
    r.Day();
    if (r.sp.markspray == 15) sprayDays.push_back(d);
  }
  // sprday must exceed OFlySprayDelay (30) before the day's count.
  EXPECT_EQ(sprayDays, (std::vector<int32_t>{0, 32}));
}

TEST(SprayEnd, MaximumSpraysStopOnlyAfterTheRecoveryPeriod) {
  SprayRun r;
  r.in.MiteSpr = true;
  r.pests.MiteAdults = 5000;
  r.in.SprayDurationDefault = 3;
  r.in.PredEffectDuration = 10;
  r.in.maxspr = 2;
  r.Start(100);
  std::vector<int32_t> sprayDays;
  int32_t lastDay = -1;
  for (int32_t d = 0; d < 60; ++d) {
    if (d == 6) r.pests.MiteAdults = 0;  // the second spray has done its work
    if (!r.Day()) break;
    lastDay = d;
    if (r.sp.markspray == 15) sprayDays.push_back(d);
  }
  EXPECT_EQ(sprayDays, (std::vector<int32_t>{0, 5}));
  // Second spray on day 5; sprday passes PredEffectDuration on day 16, the last day sprays runs.
  EXPECT_EQ(lastDay, 16);
  EXPECT_EQ(r.sp.sprday, 11);
  EXPECT_FALSE(r.sp.simsprays);
  // The recovery ramp rose after the spray's decay and stopped where PredEffectDuration ends.
  EXPECT_NEAR(r.sp.LinearPredEffect, (10.0 - 3.0) / 10.0, 1e-6);
}

TEST(SprayEnd, MaximumIsNoCapWhileThresholdSpraysComeWithinTheRecoveryPeriod) {
  // A pest that stays above its threshold is sprayed every SprayDuration + 2 days; with a longer
  // recovery period sprday never passes it, so the season goes on beyond maxspr.
  SprayRun r;
  r.in.MiteSpr = true;
  r.pests.MiteAdults = 5000;
  r.in.SprayDurationDefault = 3;
  r.in.PredEffectDuration = 10;
  r.in.maxspr = 2;
  r.Start(100);
  for (int32_t d = 0; d < 60; ++d) r.Day();
  EXPECT_TRUE(r.sp.simsprays);
  EXPECT_EQ(r.sp.SpraysDone, 12);  // days 0, 5, 10, ..., 55
}

TEST(SprayEnd, StopDateWaitsForTheLastSprayToDecayAndTheRecoveryPeriod) {
  // Recovery period shorter than the spray's decay: spraying must not end with the level frozen
  // part-way down. A longer recovery period still governs the end.
  for (const auto& [recovery, lastSprday] : {std::pair{2, 11}, std::pair{15, 16}}) {
    SprayRun r;
    r.in.PredEffectDuration = recovery;
    r.AddDatedSpray(100, 0.9f, 10);
    r.Start(100);
    r.sp.StopSprayDate = 90;  // already passed
    int32_t days = 0;
    while (r.Day()) ++days;
    EXPECT_EQ(r.sp.spraylevel, 0.0f) << recovery;
    EXPECT_EQ(r.sp.sprday, lastSprday) << recovery;
    EXPECT_EQ(days, lastSprday + 1) << recovery;  // the spray day and the days after it
  }
}

TEST(SprayInit, RestartsTheSeasonButKeepsTheStopDate) {
  SprayRun r;
  r.AddDatedSpray(10, 0.6f, 4);
  r.Start(10);
  r.sp.StopSprayDate = 1234;
  r.Day();
  ASSERT_GT(r.sp.spraylevel, 0.0f);
  sprayinit(r.sp, r.in);
  EXPECT_EQ(r.sp.SpraysDone, 0);
  EXPECT_EQ(r.sp.sprday, 1000);
  EXPECT_EQ(r.sp.spraylevel, 0.0f);
  EXPECT_EQ(r.sp.LinearPredEffect, 1.0f);
  EXPECT_EQ(r.sp.SprayMaxMort, 0.9f);
  EXPECT_EQ(r.sp.SprayDuration, 10);
  EXPECT_TRUE(r.sp.simsprays);
  EXPECT_EQ(r.sp.StopSprayDate, 1234.0f);
}

}  // namespace
}  // namespace olive
