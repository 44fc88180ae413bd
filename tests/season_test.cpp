// The tree's season: frost on flowers and shoots, chilling and bloom, the harvest decision and
// snapshot, and the killing freeze, alone and over whole passes.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/day_loop.h"
#include "driver/read_inputs.h"
#include "driver/run.h"
#include "driver/season_events.h"
#include "output/direct_shared_files.h"
#include "run_test_support.h"
#include "state/simulation.h"

namespace olive {
namespace {

using namespace olive::run_testing;

struct MemoryLog : ErrorSink {
  std::vector<std::string> lines;
  void Report(std::string_view message) override { lines.emplace_back(message); }
};

// One day's season rules on a tree with flowers and shoots, at a given minimum temperature.
struct FrostDay {
  PlantState plant;
  SeasonState season;
  Inputs in;
  Weather wx;
  DayWeather today;
  DriverState drv;

  explicit FrostDay(float tmin) {
    wx.temps.assign(3, TempPair{10, tmin});
    in.burstpnt = 1e9;
    drv.jday = 300;  // no chilling
    drv.modelday = 2;
    today.tmax = 10;
    today.tmin = tmin;
    for (int i = 1; i <= plant.kbloom; ++i) plant.BloomArray[i] = 100;
    for (int i = 1; i <= kshoot; ++i) plant.ShootliveArray[i] = 50;
    SeasonEvents(season, plant, in, wx, today, drv);
  }
};

TEST(Frost, MinusThreePointFiveExactlyLeavesFlowersAndShoots) {
  FrostDay d(-3.5f);
  for (int i = 1; i <= d.plant.kbloom; ++i) EXPECT_EQ(d.plant.BloomArray[i], 100.0f);
  for (int i = 1; i <= kshoot; ++i) EXPECT_EQ(d.plant.ShootliveArray[i], 50.0f);
  EXPECT_EQ(FrostSurvival(-3.5f), 1.0f);
  EXPECT_EQ(FrostSurvival(25.0f), 1.0f);
}

TEST(Frost, MinusThreePointSixRemovesAboutAQuarter) {
  FrostDay d(-3.6f);
  const float kept = FrostSurvival(-3.6f);
  EXPECT_NEAR(1 - kept, 0.265, 0.001);
  for (int i = 1; i <= d.plant.kbloom; ++i) EXPECT_FLOAT_EQ(d.plant.BloomArray[i], 100 * kept);
  for (int i = 1; i <= kshoot; ++i) EXPECT_FLOAT_EQ(d.plant.ShootliveArray[i], 50 * kept);
  EXPECT_NEAR(FrostSurvival(-10), 0.578, 0.001);
  EXPECT_NEAR(FrostSurvival(-20), 0.313, 0.001);
}

TEST(Chilling, SavedAndRestartedOnDay290ThenIdleToTheYearsEnd) {
  SeasonState season;
  PlantState plant;
  Inputs in;
  in.burstpnt = 1e9;
  Weather wx;
  wx.temps.assign(3, TempPair{12, 2});  // cool days: chilling accumulates
  DayWeather today{12, 2};
  DriverState drv;
  drv.modelday = 2;
  for (drv.jday = 280; drv.jday <= 295; ++drv.jday) {
    const double before = season.BloomChillHourDegrees;
    SeasonEvents(season, plant, in, wx, today, drv);
    if (drv.jday < 290) {
      EXPECT_GT(season.BloomChillHourDegrees, before) << drv.jday;
    } else if (drv.jday == 290) {
      EXPECT_EQ(season.BloomChillHourDegrees, 0);
      EXPECT_EQ(season.BloomChillHourDegreesSave, before);
    } else {
      EXPECT_EQ(season.BloomChillHourDegrees, 0) << drv.jday;
    }
  }
}

TEST(Bloom, InitiationLoadsTheFlowersOnceAndBloomFollows400DegreeDays) {
  SeasonState season;
  PlantState plant;
  plant.shootlive = 2.0;
  Inputs in;
  in.burstpnt = 100;
  Weather wx;
  wx.temps.assign(3, TempPair{20, 10});
  DayWeather today{20, 10};
  DriverState drv;
  drv.modelday = 2;
  drv.jday = 100;
  season.BloomChillHourDegrees = 339.9;  // one cool day short
  season.PlantDD = 0;
  season.PlantDDSum = 50;
  SeasonEvents(season, plant, in, wx, today, drv);
  EXPECT_FALSE(season.budburst);
  season.PlantDDSum = 100;
  season.BloomChillHourDegrees = kBloomChillHourDegrees - season.hd;  // reaches 340 today
  SeasonEvents(season, plant, in, wx, today, drv);
  EXPECT_TRUE(season.budburst);
  ASSERT_TRUE(season.BloomInit);
  EXPECT_FLOAT_EQ(plant.BloomArray[1], 2.0f * 75 * 60 / 75);
  plant.BloomArray[1] = 7;  // a second day of initiation adds no flowers
  season.PlantDD = 150;
  for (int day = 0; day < 2; ++day) {
    ++drv.jday;
    SeasonEvents(season, plant, in, wx, today, drv);
  }
  EXPECT_EQ(plant.BloomArray[1], 7.0f);
  EXPECT_DOUBLE_EQ(season.TimetoBloom, 300);
  EXPECT_FALSE(season.blooming);
  ++drv.jday;
  SeasonEvents(season, plant, in, wx, today, drv);  // 450 degree-days since initiation
  EXPECT_TRUE(season.blooming);
  EXPECT_EQ(season.bloomday, drv.jday);
  EXPECT_FLOAT_EQ(season.FruGrowDD, 150);  // fruit growth counts from the day of bloom
  ++drv.jday;
  SeasonEvents(season, plant, in, wx, today, drv);
  EXPECT_EQ(season.bloomday, drv.jday - 1);  // the first bloom day stays
  EXPECT_FLOAT_EQ(season.FruGrowDD, 300);
}

TEST(Harvest, OneAYearByFruitGrowthOrOnDay345) {
  Inputs in;
  in.Veraison = 2000;
  SeasonState s;
  in.HarvestOption = true;
  s.FruGrowDD = 2699;
  HarvestDecision(s, in, 280);
  EXPECT_FALSE(s.harvest);
  s.FruGrowDD = 2700;
  HarvestDecision(s, in, 281);
  EXPECT_TRUE(s.harvest);
  EXPECT_EQ(s.jdayHarvest, 281);
  HarvestDecision(s, in, 282);  // a harvest is for the day only
  EXPECT_FALSE(s.harvest);
  HarvestDecision(s, in, 345);  // and once a year
  EXPECT_FALSE(s.harvest);

  SeasonState late;
  in.HarvestOption = false;
  late.FruGrowDD = 1e6;
  HarvestDecision(late, in, 300);
  EXPECT_FALSE(late.harvest);  // without the option fruit growth decides nothing
  HarvestDecision(late, in, 345);
  EXPECT_TRUE(late.harvest);
  EXPECT_EQ(late.jdayHarvest, 345);
}

TEST(Harvest, SnapshotKeepsTheRunningChillingOnlyBeforeDay290) {
  MemoryLog log;
  Simulation sim(log);
  sim.plant.Frumass = 12;
  sim.plant.fruNum = 3;
  sim.season.PlantDDSum = 2500;
  sim.season.BloomChillHourDegreesSave = 111;
  sim.season.BloomChillHourDegrees = 0;  // after day 290
  SaveHarvestValues(sim);
  EXPECT_EQ(sim.season.BloomChillHourDegreesSave, 111);
  EXPECT_EQ(sim.harvestSave.FruMassSave, 12);
  EXPECT_EQ(sim.harvestSave.FruNumSave, 3);
  EXPECT_EQ(sim.harvestSave.PlantddSumSave, 2500);
  EXPECT_TRUE(sim.drv.UseHarvestValues);
  sim.season.BloomChillHourDegrees = 222;  // before day 290
  SaveHarvestValues(sim);
  EXPECT_EQ(sim.season.BloomChillHourDegreesSave, 222);
}

// A pass of the example set-up run day by day, with a look at the state after each day.
class PassTest : public ::testing::Test {
 protected:
  void Start(const std::map<int, std::string>& setupLines, const std::string& from,
             const std::string& to) {
    WriteText(dir_ / "test.setup", ExampleSetup(setupLines));
    const std::vector<std::string> f = Split(from, "/"), t = Split(to, "/");
    const std::vector<std::string> args = {
        (dir_ / "test.setup").string(), f[0], f[1], f[2], t[0], t[1], t[2], "365",
        (dir_ / "weather.txt").string()};
    sim_ = std::make_unique<Simulation>(log_);
    sim_->files.workdir = dir_.path();
    sim_->files.shared = &direct_;
    ReadInputs(log_, args, DiskFiles(), sim_->in, sim_->drv, sim_->rng);
    ASSERT_TRUE(log_.RunOk);
    ASSERT_TRUE(PreparePass(*sim_, sim_->drv));
  }
  // Runs the next day and returns the state after it.
  const Simulation& Day(uint16_t iday) {
    RunDay(*sim_, iday);
    return *sim_;
  }

  RunDir dir_;
  MemoryLog log_;
  DirectSharedFiles direct_;
  std::unique_ptr<Simulation> sim_;
};

TEST_F(PassTest, ASeasonRunsBudBurstBloomHarvestInOrderOnceAYear) {
  std::filesystem::copy_file(
      std::filesystem::path(OLIVE_SOURCE_DIR) / "examples/weather/Cordoba.txt",
      dir_ / "weather.txt");
  Start({{kLineHarvestOption, "T"}}, "1/1/2001", "12/31/2010");
  struct Year {
    int budburst = 0, bloom = 0, harvests = 0, harvestDay = 0;
    double yield = 0;
  };
  std::map<int32_t, Year> years;
  for (uint16_t iday = 1; iday <= sim_->drv.ndays; ++iday) {
    const int32_t year = sim_->drv.modelyear, jday = sim_->drv.jday;
    const Simulation& s = Day(iday);
    Year& y = years[year];
    if (s.season.budburst && y.budburst == 0) y.budburst = jday;
    if (s.season.blooming && y.bloom == 0) y.bloom = jday;
    if (s.season.harvest) {
      ++y.harvests;
      y.harvestDay = jday;
    }
    if (y.harvestDay != 0 && jday == y.harvestDay + 1) y.yield = s.plant.yield;  // fruit leave
    ASSERT_TRUE(std::isfinite(s.plant.reserveTot));
  }
  ASSERT_EQ(years.size(), 10u);
  for (const auto& [year, y] : years) {
    SCOPED_TRACE(year);
    EXPECT_GT(y.budburst, 0);
    EXPECT_LT(y.budburst, y.bloom);
    EXPECT_LT(y.bloom, y.harvestDay);
    EXPECT_EQ(y.harvests, 1);
    EXPECT_GE(y.bloom, 90);  // spring bloom
    EXPECT_LE(y.bloom, 160);
    EXPECT_GT(y.yield, 0);
  }
  EXPECT_GT(sim_->plant.reserveTot, 0);
}

TEST_F(PassTest, WithoutHarvestOptionTheHarvestIsOnDay345EveryYear) {
  WriteWeather(dir_ / "weather.txt", 2003, 1, 1, 800, [](int32_t) { return WxDay{}; });
  Start({{kLineHarvestOption, "F"}}, "1/1/2003", "12/31/2004");
  std::vector<std::pair<int32_t, int32_t>> harvests;
  for (uint16_t iday = 1; iday <= sim_->drv.ndays; ++iday) {
    const int32_t year = sim_->drv.modelyear, jday = sim_->drv.jday;
    if (Day(iday).season.harvest) harvests.emplace_back(year, jday);
  }
  const std::vector<std::pair<int32_t, int32_t>> expected = {{2003, 345}, {2004, 345}};
  EXPECT_EQ(harvests, expected);  // 11 December 2003, 10 December 2004
}

// Weather at a constant -4 deg C: 4 degree-days below zero a day, exactly.
WxDay Frozen(int32_t) {
  return WxDay{-4, -4, 100, 0, 80, 1};
}

TEST_F(PassTest, FreezeDegreeDaysOfExactly200DoNotKillTheOrchardAbove200Do) {
  WriteWeather(dir_ / "weather.txt", 2001, 1, 1, 100, Frozen);
  Start({}, "1/1/2001", "3/31/2001");
  for (uint16_t iday = 1; iday <= 50; ++iday) Day(iday);
  EXPECT_EQ(sim_->season.PlantFreezeDD, 200.0);
  EXPECT_FALSE(sim_->season.PlantHasFrozen);
  EXPECT_GT(sim_->plant.leafmass, 0);
  Day(51);  // 204 degree-days below zero
  EXPECT_TRUE(sim_->season.PlantHasFrozen);
  EXPECT_EQ(sim_->season.PlantFreezeDD, 0.0);
  EXPECT_EQ(sim_->plant.leafmass, 0);
}

TEST(FrozenOrchard, StaysDeadForTheRestOfThePassWhileRowsGoOn) {
  RunDir dir;
  // A hard January freeze, then two mild years.
  WriteWeather(dir / "weather.txt", 2001, 1, 1, 800, [](int32_t i) {
    return (i >= 5 && i < 70) ? WxDay{-2, -8, 100, 0, 80, 1} : WxDay{24, 12, 250, 0, 50, 2};
  });
  ASSERT_EQ(RunIn(dir, ExampleSetup({{kLineNitro, "T"}}), "1/1/2001", "12/31/2002"), kExitOk);
  const DailyFile d = ReadDaily(dir / "OliveDaily.txt");
  ASSERT_EQ(d.rows.size(), 730u);
  size_t frozenRow = 0;
  for (size_t r = 0; r < d.rows.size() && frozenRow == 0; ++r) {
    if (d.At(r, "lfmass") == "0.0") frozenRow = r;
  }
  ASSERT_GT(frozenRow, 0u);
  ASSERT_LT(frozenRow, 70u);
  for (size_t r = frozenRow; r < d.rows.size(); ++r) {
    for (const char* name : {"lfnum", "frunum", "rootMass", "rootlive", "frame", "shootMass", "res",
                             "lfmass", "fruwgt", "lfarea100", "Nres", "Ndtot"}) {
      ASSERT_EQ(d.Value(r, name), 0.0) << name << " row " << r;
    }
    for (const std::string& field : d.rows[r]) ASSERT_TRUE(std::isfinite(std::stod(field)));
  }
  // The calendar and the year's degree-days go on; the harvest day still comes.
  EXPECT_EQ(d.At(729, "jday"), "365");
  EXPECT_GT(d.Value(729, "PlantDDSum"), 1000);
  EXPECT_EQ(d.At(365 + 344, "Harvest"), "1000");
}

}  // namespace
}  // namespace olive
