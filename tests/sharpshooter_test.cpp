// Glassy-winged sharpshooter: set-up, feeding on the day's photosynthate, mortality from pruning
// and sprays, emigration, immigration, output sums and a long run's soundness.
#include "pests/sharpshooter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace olive {
namespace {

struct QuietSink : ErrorSink {
  int messages = 0;
  void Report(std::string_view) override { ++messages; }
};

// Substages holding eggs and nymphs only (no adult share).
constexpr int32_t kYoung = 22;

double Contents(const AgeVec& v, int32_t from, int32_t to, float width) {
  double s = 0;
  for (int32_t i = from; i <= to; ++i) s += v[i];
  return s * width;
}

// A sharpshooter on a tree, day by day over a temperature series of model days 1..n.
struct GWssRun {
  QuietSink log;
  Inputs in;
  GWssState gw;
  PlantState plant;
  std::vector<TempPair> temps;
  uint16_t modelday = 0;

  GWssRun(int32_t days, float tmax, float tmin) : temps(days + 1, TempPair{tmax, tmin}) {}

  void Init() { GWssInit(log, gw, in); }

  // One day with the given photosynthate (mass units per tree); returns what was eaten.
  double Day(double photo, bool prune = false, float spraylevel = 0) {
    modelday = static_cast<uint16_t>(modelday + 1);
    const TempPair t = temps[modelday];
    const GWssDay day{temps.data(), modelday, (t[0] + t[1]) / 2, prune};
    plant.PhotoSynthate = photo;
    GWssMod(log, gw, in, plant, day, spraylevel);
    return photo - plant.PhotoSynthate;
  }
};

void ExpectSound(const GWssState& gw, const char* when) {
  for (int32_t i = 1; i <= gw.kGWss; ++i) {
    ASSERT_TRUE(std::isfinite(gw.GWssNum[i]) && gw.GWssNum[i] >= 0) << when << " substage " << i;
    ASSERT_TRUE(std::isfinite(gw.GWssWgt[i]) && gw.GWssWgt[i] >= 0) << when << " substage " << i;
  }
  for (int32_t s = 1; s <= 3; ++s) {
    ASSERT_TRUE(std::isfinite(gw.GWNum[s]) && gw.GWNum[s] >= 0) << when;
    ASSERT_TRUE(std::isfinite(gw.GWwgt[s]) && gw.GWwgt[s] >= 0) << when;
    ASSERT_TRUE(std::isfinite(gw.GWAvg[s]) && gw.GWAvg[s] >= 0) << when;
  }
  ASSERT_GE(gw.GWssAsd, 0.0f) << when;
  ASSERT_LE(gw.GWssAsd, 1.0f) << when;
  ASSERT_TRUE(std::isfinite(gw.GWssPrev)) << when;
}

TEST(GWssInit, SpreadsTheSetupPopulationOverItsStages) {
  GWssRun r(10, 25, 15);
  r.in.GWNum = {0, 200, 300, 100};
  r.in.GWwgt = {0, 5, 30, 40};
  r.Init();
  const GWssState& gw = r.gw;
  EXPECT_EQ(gw.kGWss, 60);
  EXPECT_FLOAT_EQ(gw.GWssDelk, 6.5f);
  // Every stage's number and mass land in its own substages and add up to the setup's.
  EXPECT_NEAR(Contents(gw.GWssNum, 1, gw.kGWss, gw.GWssDelk), 600, 1e-3);
  EXPECT_NEAR(Contents(gw.GWssWgt, 1, gw.kGWss, gw.GWssDelk), 75, 1e-4);
  // Each stage spread evenly over the substages wholly inside its window.
  EXPECT_EQ(gw.GWssNum[1], gw.GWssNum[5]);
  EXPECT_EQ(gw.GWssNum[7], gw.GWssNum[kYoung]);
  EXPECT_EQ(gw.GWssNum[kYoung + 2], gw.GWssNum[gw.kGWss]);
  // The egg window covers 36.25 / 6.5 substages.
  EXPECT_NEAR(gw.GWssNum[1] * gw.GWssDelk * (36.25 / 6.5), 200, 1e-3);
  EXPECT_EQ(gw.GWNum, r.in.GWNum);
  EXPECT_EQ(gw.AR[1].num, 600);
  EXPECT_EQ(gw.AR[2].num, 0);
  for (int32_t i = 1; i <= 3; ++i) EXPECT_EQ(gw.GWssArraySD[i], 1);
  EXPECT_EQ(r.log.messages, 0);
}

TEST(GWssInit, RepeatedPassStartsAsTheSetupSays) {
  GWssRun r(40, 24, 12);
  r.in.GWNum = {0, 50, 80, 30};
  r.in.GWwgt = {0, 1, 8, 12};
  r.in.GWssImrt = 2;
  r.Init();
  const GWssState fresh = r.gw;
  for (int32_t d = 0; d < 30; ++d) r.Day(500, d == 10, d == 20 ? 0.5f : 0);
  r.Init();
  EXPECT_EQ(r.gw.GWssNum, fresh.GWssNum);
  EXPECT_EQ(r.gw.GWssWgt, fresh.GWssWgt);
  EXPECT_EQ(r.gw.GWNum, fresh.GWNum);
  EXPECT_EQ(r.gw.GWAvg, fresh.GWAvg);
  EXPECT_EQ(r.gw.GWssDDaTot, 0.0f);
  EXPECT_EQ(r.gw.kut4, 0);
  EXPECT_EQ(r.gw.GWssArraySD, fresh.GWssArraySD);
  for (int32_t j = 1; j <= kGWssHistory; ++j) EXPECT_EQ(r.gw.AR[j].num, fresh.AR[j].num) << j;
  EXPECT_EQ(r.gw.GWNum3Sum, 0);
}

TEST(GWssFeeding, NoPhotosynthateNoFoodAndTheMeanRatioFallsOverThreeDays) {
  GWssRun r(10, 26, 14);
  r.in.GWNum = {0, 100, 400, 200};
  r.in.GWwgt = {0, 2, 40, 80};
  r.Init();
  const float expected[] = {2.0f / 3, 1.0f / 3, 0};
  for (float mean : expected) {
    EXPECT_EQ(r.Day(0), 0);
    EXPECT_EQ(r.plant.PhotoSynthate, 0);
    EXPECT_EQ(r.gw.GWssArraySD[1], 0);
    EXPECT_NEAR(r.gw.GWssAsd, mean, 1e-6);
  }
  // With nothing to eat the eggs and nymphs are gone.
  EXPECT_EQ(Contents(r.gw.GWssNum, 1, kYoung, r.gw.GWssDelk), 0);
  ExpectSound(r.gw, "after starving");
}

TEST(GWssFeeding, EatsFromTheDaysPoolNeverMoreThanItHolds) {
  GWssRun r(80, 27, 15);
  r.in.GWNum = {0, 500, 2000, 1000};
  r.in.GWwgt = {0, 10, 200, 400};
  r.in.GWssImrt = 5;
  r.Init();
  for (int32_t d = 0; d < 60; ++d) {
    const double photo = d % 3 == 0 ? 0.5 : 50.0;
    const double eaten = r.Day(photo);
    ASSERT_GT(eaten, 0) << d;  // there is always someone to feed
    ASSERT_LT(eaten, photo) << d;
    ASSERT_GT(r.plant.PhotoSynthate, 0) << d;
  }
}

TEST(GWssPruning, ThreeDaysOfNinetyFivePercentMortality) {
  // Cool days (about 0.65 degree-days above the base) keep the supply/demand ratio positive, so
  // eggs and nymphs survive and the pruning's share can be seen.
  GWssRun r(40, 6, 4);
  r.in.GWNum = {0, 300, 600, 300};
  r.in.GWwgt = {0, 6, 60, 120};
  r.Init();
  for (int32_t d = 0; d < 5; ++d) r.Day(1000);
  ASSERT_GT(r.gw.GWssAsd, 0.5f);

  // Each day: the pruned run against the same state without pruning mortality.
  for (int32_t day = 0; day < 5; ++day) {
    GWssRun control = r;
    control.gw.kut4 = 0;
    r.Day(1000, day == 0);
    control.Day(1000);
    const double young = Contents(r.gw.GWssNum, 1, kYoung, 1);
    const double youngControl = Contents(control.gw.GWssNum, 1, kYoung, 1);
    ASSERT_GT(youngControl, 0);
    const double mortality = day < 3 ? 0.95 : 0.0;
    EXPECT_NEAR(r.gw.CMort, mortality, 0) << day;
    EXPECT_NEAR(young / youngControl, 1 - mortality, 1e-5) << day;
    const double mass = Contents(r.gw.GWssWgt, 1, kYoung, 1);
    const double massControl = Contents(control.gw.GWssWgt, 1, kYoung, 1);
    EXPECT_NEAR(mass / massControl, 1 - mortality, 1e-5) << day;
  }
}

TEST(GWssSprays, ResidueThinsEveryStage) {
  // Eggs and nymphs only, none with an adult share, and no immigrants: no eggs are laid and
  // nobody emigrates, so the sprayed population is the unsprayed one times the survival in every
  // substage.
  GWssRun r(10, 25, 14);
  r.in.GWNum = {0, 300, 600, 0};
  r.in.GWwgt = {0, 6, 60, 0};
  r.Init();
  r.gw.GWssNum[kYoung + 1] = 0;
  r.gw.GWssWgt[kYoung + 1] = 0;
  GWssRun control = r;
  r.Day(1000, false, 0.4f);
  control.Day(1000);
  for (int32_t i = 1; i <= r.gw.kGWss; ++i) {
    EXPECT_NEAR(r.gw.GWssNum[i], 0.6 * control.gw.GWssNum[i], 1e-5 * control.gw.GWssNum[i]) << i;
    EXPECT_NEAR(r.gw.GWssWgt[i], 0.6 * control.gw.GWssWgt[i], 1e-5 * control.gw.GWssWgt[i]) << i;
  }
}

TEST(GWssImmigration, FirstImmigrantsArriveWithoutMass) {
  GWssRun r(10, 28, 16);
  r.in.GWssImrt = 10;
  r.Init();
  r.Day(1000);
  EXPECT_GT(r.gw.GWNum[3], 0);
  EXPECT_EQ(Contents(r.gw.GWssWgt, 1, r.gw.kGWss, 1), 0);
  EXPECT_EQ(r.gw.GWAvg[3], 0);
  // The immigrants enter the first adult substage, 10 per day in all.
  EXPECT_NEAR(r.gw.GWssNum[kYoung + 1] * r.gw.GWssDelk, 10, 1e-5);
}

TEST(GWssEmigration, WaitsForAPopulationAbout115DegreeDaysBack) {
  GWssRun r(10, 28, 16);
  r.in.GWNum = {0, 0, 0, 5000};
  r.in.GWwgt = {0, 0, 0, 2000};
  r.Init();
  for (int32_t d = 0; d < 3; ++d) r.Day(1000);
  // The same state with a history of a large population at today's degree-day total.
  GWssRun settled = r;
  for (int32_t j = 2; j <= kGWssHistory; ++j) settled.gw.AR[j] = {5000, settled.gw.GWssDDaTot};
  r.Day(1000);
  settled.Day(1000);
  EXPECT_EQ(r.gw.GWssPrev, 0);  // the unfilled rows of the history are the oldest qualifying
  EXPECT_EQ(settled.gw.GWssPrev, 5000);
  EXPECT_LT(settled.gw.GWNum[3], r.gw.GWNum[3]);
  // The emigrants are the youngest adults only.
  for (int32_t i = 40; i <= r.gw.kGWss; ++i) EXPECT_EQ(settled.gw.GWssNum[i], r.gw.GWssNum[i]);
}

TEST(GWssEmigration, EmptyPopulationWithAHistoryStaysSound) {
  GWssRun r(10, 28, 16);
  r.Init();
  for (int32_t j = 1; j <= kGWssHistory; ++j) r.gw.AR[j] = {100, 0};
  r.Day(1000);
  EXPECT_EQ(r.gw.GWssPrev, 100);
  EXPECT_EQ(r.gw.GWNum[3], 0);
  ExpectSound(r.gw, "empty");
}

TEST(DELATE, ReturnsTheOldestTotalWithinTPrevDegreeDays) {
  GWssState gw;
  double prev = -1;
  // Day d: population 100 d at a degree-day total of 10 d.
  for (int32_t d = 1; d <= 20; ++d) {
    gw.GWNum = {0, 0, 0, 100.0 * d};
    gw.GWssDDaTot = 10.0f * d;
    DELATE(gw, 115, prev);
    if (d <= 11) {
      EXPECT_EQ(prev, 0) << d;  // the unfilled rows still qualify
    }
  }
  // Day 20 at 200 degree-days: the oldest row at or after 85 degree-days is day 9's.
  EXPECT_EQ(prev, 900);
  EXPECT_EQ(gw.AR[1].num, 2000);
  EXPECT_EQ(gw.AR[20].num, 100);
  // After 35 more days the oldest rows fall off the table.
  for (int32_t d = 21; d <= 60; ++d) {
    gw.GWNum = {0, 0, 0, 100.0 * d};
    gw.GWssDDaTot = 1.0f * d + 1000;  // 1 degree-day a day: 115 back is beyond the table
    DELATE(gw, 115, prev);
  }
  EXPECT_EQ(prev, 2600);  // row 35, day 26
}

TEST(GWssSums, AccumulateDailyResetAndSnapshot) {
  GWssRun r(30, 25, 13);
  r.in.GWNum = {0, 100, 100, 100};
  r.in.GWwgt = {0, 2, 10, 40};
  r.in.GWssImrt = 3;
  r.Init();
  double n1 = 0, n2 = 0, n3 = 0, asd = 0, ddTot = 0;
  for (int32_t d = 0; d < 20; ++d) {
    r.Day(200);
    n1 += r.gw.GWNum[1];
    n2 += r.gw.GWNum[2];
    n3 += r.gw.GWNum[3];
    asd += r.gw.GWssAsd;
    ddTot += r.gw.GWssDDaTot;
  }
  EXPECT_DOUBLE_EQ(r.gw.GWNum1Sum, n1);
  EXPECT_DOUBLE_EQ(r.gw.GWNum2Sum, n2);
  EXPECT_DOUBLE_EQ(r.gw.GWNum3Sum, n3);
  EXPECT_DOUBLE_EQ(r.gw.GWssAsdSum, asd);
  EXPECT_DOUBLE_EQ(r.gw.GWssDDaTotSum, ddTot);

  GWssSaveHarvestValues(r.gw);
  EXPECT_EQ(r.gw.GWNum3Save, n3);
  EXPECT_EQ(r.gw.GWssAsdSave, asd);
  EXPECT_EQ(r.gw.GWssDDaTotSave, r.gw.GWssDDaTot);

  GWssResetSums(r.gw);
  EXPECT_EQ(r.gw.GWNum1Sum + r.gw.GWNum2Sum + r.gw.GWNum3Sum + r.gw.GWssAsdSum, 0);
  EXPECT_EQ(r.gw.GWssDDaTotSum, ddTot);  // cleared only with the summary row
  EXPECT_EQ(r.gw.GWNum3Save, n3);

  GWssFreeze(r.gw);
  EXPECT_EQ(r.gw.GWNum[1] + r.gw.GWNum[2] + r.gw.GWNum[3], 0);
  EXPECT_EQ(r.gw.GWssDDaTot, 0.0f);
  EXPECT_EQ(r.gw.GWssAsd, 0.0f);
}

TEST(GWssSeason, WarmDaysLeaveOnlyTheImmigrants) {
  // Respiration is charged twice times the day's degree-days in the supply/demand ratio, so on
  // warm days the ratio is 0: eggs and nymphs die and the adults are the immigrants.
  GWssRun r(120, 30, 16);
  r.in.GWNum = {0, 0, 0, 100};
  r.in.GWwgt = {0, 0, 0, 40};
  r.in.GWssImrt = 1;
  r.Init();
  double eaten = 0;
  for (int32_t d = 0; d < 100; ++d) {
    eaten += r.Day(1000);
    if (d >= 3) {
      ASSERT_EQ(r.gw.GWssAsd, 0.0f) << d;
    }
  }
  EXPECT_EQ(r.gw.GWNum[1], 0);
  // About 1 immigrant a day living 245 degree-days at about 15 a day, some of them emigrating.
  EXPECT_GT(r.gw.GWNum[3], 5);
  EXPECT_LT(r.gw.GWNum[3], 20);
  EXPECT_LT(eaten / 100, 5);  // mass units a day, from a pool of 1000
}

TEST(GWssLongRun, StaysFiniteAndNonNegative) {
  // Ten synthetic years: seasonal temperatures with day-to-day noise and winter frosts, a
  // photosynthate pool that is sometimes empty, yearly pruning and sprays.
  constexpr int32_t kDays = 3650;
  for (const double start : {0.0, 50.0, 1e6}) {
    GWssRun r(kDays, 0, 0);
    uint32_t s = 12345;
    auto noise = [&s] {
      s = s * 134775813u + 1u;
      return static_cast<float>(s / 4294967296.0) - 0.5f;
    };
    for (int32_t d = 1; d <= kDays; ++d) {
      const float mean = 15 - 11 * static_cast<float>(std::cos(2 * M_PI * (d - 15) / 365.0));
      const float range = 12 + 6 * noise();
      const float m = mean + 8 * noise();
      r.temps[d] = {m + range / 2, m - range / 2};
    }
    r.in.GWNum = {0, start, start, start};
    r.in.GWwgt = {0, start * 0.02, start * 0.2, start * 0.4};
    r.in.GWssImrt = 2;
    r.Init();
    for (int32_t d = 1; d <= kDays; ++d) {
      const int32_t doy = (d - 1) % 365 + 1;
      const double photo = doy < 60 || doy > 330 ? 0 : 3000 * (0.5 + noise());
      const bool prune = doy == 100;
      const float spray = doy >= 150 && doy < 160 ? 0.9f - 0.08f * (doy - 150) : 0;
      r.Day(photo, prune, spray);
      ASSERT_GE(r.plant.PhotoSynthate, 0) << d;
      ExpectSound(r.gw, "long run");
    }
    EXPECT_EQ(r.log.messages, 0);
  }
}

}  // namespace
}  // namespace olive
