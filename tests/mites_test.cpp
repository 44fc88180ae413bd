#include "pests/mites.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mite_test_inputs.h"
#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {
namespace {

// A mite world of a few days: a constant temperature series, a tree with full foliage.
struct MiteWorld {
  Inputs in;
  Weather wx;
  DayWeather today;
  DriverState drv;
  PlantState plant;
  MiteState s;

  explicit MiteWorld(float temperature = 20, int days = 400) {
    testing::SetMiteInputs(in);
    wx.temps.assign(days + 1, TempPair{temperature, temperature});
    wx.LatitudeRadians = 0.6632f;  // 38 degrees north
    today.tmean = temperature;
    drv.modelday = 1;
    drv.jday = 150;
    plant.leafNum = 250000;
    plant.leafmass = 37500;
    InitMites(s, in);
  }

  MiteDayInputs Day(float PlantDD = 10, double leafN = 4, float spraylevel = 0) const {
    return MiteDayInputs{wx, today, drv, plant, PlantDD, leafN, spraylevel};
  }

  // Skips the spring hatch: the season is running, with adults of every age.
  void StartSeasonWithAdults(float perSubstage = 20) {
    s.start = true;
    s.springhatch = false;
    s.vWiEggMite.fill(0);
    for (int32_t i = 1; i <= s.kAdl; ++i) s.vAdlMite[i] = perSubstage;
    MitePoputaions(s);
  }
};

double Contents(const AgeVec& v, int32_t k, double width) {
  double sum = 0;
  for (int32_t i = 1; i <= k; ++i) sum += v[i];
  return sum * width;
}

TEST(MiteInit, WinterEggsSurviveTheWinterAtFiftySixPerCent) {
  MiteWorld w;
  EXPECT_DOUBLE_EQ(w.s.winterEggs, 56.0);
  // The eggs wait in the first winter-egg substage, and the stage total reads them back.
  EXPECT_GT(w.s.vWiEggMite[1], 0.0f);
  for (int32_t i = 2; i <= w.s.kWiEgg; ++i) EXPECT_EQ(w.s.vWiEggMite[i], 0.0f);
  MitePoputaions(w.s);
  EXPECT_NEAR(w.s.winterEggs, 56.0, 1e-4);
  EXPECT_EQ(w.s.MiteEggs + w.s.juveniles + w.s.MiteAdults, 0.0);
}

TEST(MiteInit, StageMasksSplitTheDelays) {
  MiteWorld w;
  // 60 of 150 degree-days as an egg on 30 substages; 30 of 300 pre-ovipositing.
  EXPECT_EQ(w.s.borderEgg, 12);
  EXPECT_EQ(w.s.borderPre, 3);
  for (int32_t i = 1; i <= w.s.MiteKimm; ++i) {
    EXPECT_EQ(w.s.vEggsMite[i] + w.s.vJuvMite[i], 1.0f) << i;
    EXPECT_EQ(w.s.vEggsMite[i], i <= 12 ? 1.0f : 0.0f) << i;
  }
  for (int32_t i = 1; i <= w.s.kAdl; ++i) {
    EXPECT_EQ(w.s.vPreovMite[i] + w.s.vOvipMite[i], 1.0f) << i;
    // No eggs before 28 degree-days of adult age (substage width 10).
    if (i <= 3) {
      EXPECT_EQ(w.s.ovir[i], 0.0f) << i;
    } else {
      EXPECT_GT(w.s.ovir[i], 0.0f) << i;
    }
  }
  for (int32_t i = 1; i <= 10; ++i) EXPECT_EQ(w.s.stackMite[i], 1.0f);
  EXPECT_EQ(w.s.sdmean, 1.0);
  EXPECT_FALSE(w.s.start);
  EXPECT_TRUE(w.s.springhatch);
}

TEST(MiteHatching, FractionalDegreeDaysAreCarriedToTheNextDay) {
  // 8.75 deg C all day over a base of 8: 0.75 winter-egg degree-days a day.
  MiteWorld w(8.75f);
  AgeVec reference = w.s.vWiEggMite;
  const int expectedSteps[] = {0, 1, 1, 1, 0};
  const double expectedCarry[] = {0.75, 0.5, 0.25, 0.0, 0.75};
  for (int day = 0; day < 5; ++day) {
    w.drv.modelday = static_cast<uint16_t>(day + 1);
    MiteModel(w.s, w.Day());
    EXPECT_FLOAT_EQ(w.s.ddWiEgg, 0.75f);
    EXPECT_NEAR(w.s.diffWiEgg, expectedCarry[day], 1e-6) << "day " << day + 1;
    // The delay moves in whole steps of one degree-day, never by the day's 0.75.
    for (int j = 0; j < expectedSteps[day]; ++j) {
      float out = 0;
      DelayNoPlr(0, out, reference, 100, 1, 20);
    }
    for (int32_t i = 1; i <= 20; ++i) EXPECT_EQ(w.s.vWiEggMite[i], reference[i]) << day;
  }
  EXPECT_NEAR(w.s.gddWiEgg, 3.75, 1e-6);
}

TEST(MiteHatching, FirstHatchStartsTheSeasonOnce) {
  // Warm spring: 12 winter-egg degree-days a day bring the first larvae within days.
  MiteWorld w(20);
  int hatchDays = 0;
  for (int day = 1; day <= 60; ++day) {
    w.drv.modelday = static_cast<uint16_t>(day);
    MiteModel(w.s, w.Day());
    if (w.s.FirstHatchToday) {
      ++hatchDays;
      EXPECT_EQ(w.s.hatchingDay, day);
      EXPECT_TRUE(w.s.start);
      // The balance already runs on the hatch day, on zero immature and adult degree-days: no
      // growth demand, so the day's ratio is 0 and enters the five-day mean.
      EXPECT_EQ(w.s.ddA, 0.0f);
      EXPECT_EQ(w.s.sdPU, 0.0);
      EXPECT_NEAR(w.s.sdmean, 0.8, 1e-7);
    }
  }
  EXPECT_EQ(hatchDays, 1);
  EXPECT_GT(w.s.hatchingDay, 1);
  EXPECT_GT(w.s.gddA, 0.0);
  EXPECT_GT(w.s.gddI, 0.0);
}

TEST(MiteHatching, NoWinterEggsMeansNoSeason) {
  MiteWorld w(20);
  w.in.winterEggs = 0;
  InitMites(w.s, w.in);
  for (int day = 1; day <= 30; ++day) {
    w.drv.modelday = static_cast<uint16_t>(day);
    MiteModel(w.s, w.Day());
  }
  EXPECT_FALSE(w.s.springhatch);
  EXPECT_FALSE(w.s.start);
  EXPECT_EQ(w.s.mobiles, 0.0);
}

TEST(MiteRain, HeavyRainStopsEggLayingButTheDemandCountsTheEggs) {
  MiteWorld dry(22), wet(22);
  dry.StartSeasonWithAdults();
  wet.StartSeasonWithAdults();
  wet.today.precip = 25;
  MiteModel(dry.s, dry.Day());
  MiteModel(wet.s, wet.Day());

  EXPECT_GT(dry.s.demandA, 0.0);
  EXPECT_DOUBLE_EQ(wet.s.demandA, dry.s.demandA);
  EXPECT_DOUBLE_EQ(wet.s.MiteTotWgt, dry.s.MiteTotWgt);
  EXPECT_DOUBLE_EQ(wet.s.demandPU, dry.s.demandPU);
  EXPECT_GT(dry.s.MiteEggs, 0.0);
  EXPECT_EQ(wet.s.MiteEggs, 0.0);
  EXPECT_EQ(wet.s.newEggs, 0.0);
  // Above 20 mm adults suffer too.
  EXPECT_LT(wet.s.MiteAdults, dry.s.MiteAdults);
}

TEST(MiteRain, SurvivalSharesOfRainSprayPruningAndLeafFall) {
  MiteWorld w;
  MiteSurvivals sv;
  w.today.precip = 10;
  MORTALITY(w.Day(), sv);
  EXPECT_EQ(sv.rainsurvI, 1.0);
  w.today.precip = 15;
  MORTALITY(w.Day(), sv);
  EXPECT_EQ(sv.rainsurvI, 0.8);
  EXPECT_EQ(sv.rainsurvA, 1.0);
  w.today.precip = 20;
  MORTALITY(w.Day(), sv);
  EXPECT_EQ(sv.rainsurvI, 0.7);
  EXPECT_EQ(sv.rainsurvA, 0.7);

  w.plant.PanulmiPruneSurv = 0.4;
  w.plant.leafshed = 25000;
  MORTALITY(w.Day(10, 4, 0.25f), sv);
  EXPECT_EQ(sv.spraysurv, 0.75);
  EXPECT_EQ(sv.prunsurv, 1.0);  // not a pruning day
  EXPECT_DOUBLE_EQ(sv.shedsurv, 0.9);
  w.drv.PruneToday = true;
  MORTALITY(w.Day(), sv);
  EXPECT_EQ(sv.prunsurv, 0.4);
}

TEST(MiteRain, PruningAndLeafFallTakeTheirShareOfEveryMobileStage) {
  MiteWorld kept(22), pruned(22);
  kept.StartSeasonWithAdults();
  pruned.StartSeasonWithAdults();
  pruned.drv.PruneToday = true;
  pruned.plant.PanulmiPruneSurv = 0.5;
  MiteModel(kept.s, kept.Day());
  MiteModel(pruned.s, pruned.Day());
  EXPECT_NEAR(pruned.s.MiteAdults, 0.5 * kept.s.MiteAdults, 1e-4 * kept.s.MiteAdults);
  EXPECT_NEAR(pruned.s.MiteEggs, 0.5 * kept.s.MiteEggs, 1e-4 * kept.s.MiteEggs + 1e-9);
}

TEST(MiteDiapause, DayLengthTemperatureAndLeafNitrogen) {
  const float lat = 0.6632f;  // 38 N: 14.1 h on day 172, 9.1 h on day 355
  EXPECT_EQ(DIAPAUSE(172, lat, 15, 4), 0.0);
  EXPECT_EQ(DIAPAUSE(355, lat, 18, 4), 1.0);
  EXPECT_EQ(DIAPAUSE(355, lat, 19, 4), 0.8);
  EXPECT_EQ(DIAPAUSE(355, lat, 21, 4), 0.6);
  EXPECT_EQ(DIAPAUSE(355, lat, 25, 4), 0.0);
  // Poor leaves override everything.
  EXPECT_EQ(DIAPAUSE(172, lat, 30, 1.4), 1.0);
  EXPECT_EQ(DIAPAUSE(172, lat, 30, 1.5), 0.0);
}

// Runs one season day on adults only and returns the winter eggs gained and the immature eggs.
struct LayingResult {
  double winterEggsGained, eggsInDelay, eggsLaid;
};
LayingResult LayOneDay(uint16_t modelday, double leafN) {
  MiteWorld w(25);
  w.StartSeasonWithAdults();
  w.drv.modelday = modelday;
  w.drv.jday = 172;  // long days, warm: no diapause from the weather
  const MiteDayInputs d = w.Day(10, leafN);
  HEATSUM(w.s, d);
  MiteDemand(w.s, d);
  MiteSupply(w.s, d);
  MiteRatios(w.s);
  const double laid = w.s.newEggs * w.s.sdPU * (0.25 + 0.25 * leafN);
  MiteGrowth(w.s, d);
  MitePoputaions(w.s);
  return {w.s.winterEggs, w.s.MiteEggs, laid};
}

TEST(MiteDiapause, PoorLeavesTurnEveryEggIntoAWinterEggAfterDay200) {
  const LayingResult late = LayOneDay(201, 1.4);
  EXPECT_GT(late.eggsLaid, 1.0);
  EXPECT_NEAR(late.winterEggsGained, late.eggsLaid, 1e-4 * late.eggsLaid);
  EXPECT_EQ(late.eggsInDelay, 0.0);

  // Day 200 of the run is still too early, whatever the leaves.
  const LayingResult early = LayOneDay(200, 1.4);
  EXPECT_EQ(early.winterEggsGained, 0.0);
  EXPECT_GT(early.eggsInDelay, 0.0);

  // Rich leaves on a long warm day: no diapause.
  const LayingResult rich = LayOneDay(201, 2.0);
  EXPECT_EQ(rich.winterEggsGained, 0.0);
  EXPECT_GT(rich.eggsInDelay, 0.0);
}

TEST(MiteDiapause, WinterEggsLaidAfterTheSpringHatchNeverHatch) {
  MiteWorld w(25);
  w.StartSeasonWithAdults();
  double previous = 0;
  for (int day = 201; day <= 210; ++day) {
    w.drv.modelday = static_cast<uint16_t>(day);
    MiteModel(w.s, w.Day(10, 1.0));
    EXPECT_GE(w.s.winterEggs, previous);
    previous = w.s.winterEggs;
  }
  EXPECT_GT(w.s.winterEggs, 1.0);
  EXPECT_FALSE(w.s.springhatch);
  EXPECT_EQ(w.s.MiteEggs, 0.0);
}

TEST(MiteBalance, CoolDaysKeepTheFiveDayMeanRatio) {
  MiteWorld w(4);
  w.StartSeasonWithAdults();
  w.today.tmean = 4;
  MiteModel(w.s, w.Day(0));
  EXPECT_EQ(w.s.intake, 0.0);
  EXPECT_EQ(w.s.sdPU, 0.0);
  EXPECT_NEAR(w.s.sdmean, 0.8, 1e-7);  // (0 + 1 + 1 + 1 + 1) / 5
  MiteModel(w.s, w.Day(0));
  EXPECT_NEAR(w.s.sdmean, 0.6, 1e-7);
}

TEST(MiteBalance, AmpleLeavesFeedEveryMiteFully) {
  MiteWorld w(22);
  w.StartSeasonWithAdults();
  MiteModel(w.s, w.Day());
  EXPECT_GT(w.s.demandPU, 0.0);
  EXPECT_NEAR(w.s.intake, w.s.demandPU, 1e-6 * w.s.demandPU);
  EXPECT_NEAR(w.s.sdPU, 1.0, 1e-12);
  // A bare tree: nothing to eat.
  MiteWorld bare(22);
  bare.StartSeasonWithAdults();
  bare.plant.leafmass = 0;
  MiteModel(bare.s, bare.Day());
  EXPECT_EQ(bare.s.sdPU, 0.0);
}

TEST(MiteBalance, LossRateDelaysBalanceTheirBooks) {
  // A day with several whole steps in both delays and survival below one in both.
  MiteWorld w(24);
  w.StartSeasonWithAdults(15);
  for (int32_t i = 1; i <= w.s.MiteKimm; ++i) w.s.vImmMite[i] = 8;
  MitePoputaions(w.s);
  w.today.precip = 15;  // juveniles lose 20 per cent; the spray hits juveniles and adults

  const double imm0 = Contents(w.s.vImmMite, w.s.MiteKimm, w.s.delkImm);
  const double adl0 = Contents(w.s.vAdlMite, w.s.kAdl, w.s.delkAdl);
  const MiteDayInputs d = w.Day(12, 4, 0.1f);
  HEATSUM(w.s, d);
  MiteDemand(w.s, d);
  MiteSupply(w.s, d);
  MiteRatios(w.s);
  MiteGrowth(w.s, d);
  ASSERT_GE(w.s.ddA, 1.0f);
  ASSERT_GT(w.s.MiteImmLoss, 0.0);
  ASSERT_GT(w.s.MiteAdlLoss, 0.0);
  ASSERT_GT(w.s.deutochry, 0.0);

  // Immatures: eggs laid in, new adults and losses out (outflows times the substage width).
  const double imm1 = Contents(w.s.vImmMite, w.s.MiteKimm, w.s.delkImm);
  const double immIn = w.s.newEggs;
  const double immOut = (w.s.deutochry + w.s.MiteImmLoss) * w.s.delkImm;
  EXPECT_NEAR(imm1, imm0 + immIn - immOut, 1e-4 * imm0);

  // Adults receive the immature outflow as it stands (not times the immature substage width).
  const double adl1 = Contents(w.s.vAdlMite, w.s.kAdl, w.s.delkAdl);
  const double adlOut = (w.s.MiteAdultDeaths + w.s.MiteAdlLoss) * w.s.delkAdl;
  EXPECT_NEAR(adl1, adl0 + w.s.deutochry - adlOut, 1e-4 * adl0);
}

TEST(MitePrey, EggEquivalentsAndPredation) {
  EXPECT_DOUBLE_EQ(EggEquivs(0), 1.0);
  EXPECT_NEAR(EggEquivs(100), std::pow(10.0, 0.496), 1e-12);

  MiteWorld w;
  w.StartSeasonWithAdults();
  for (int32_t i = 1; i <= w.s.MiteKimm; ++i) w.s.vImmMite[i] = 4;
  MitePoputaions(w.s);
  double prey = 0;
  MitesAvail(w.s, prey);
  // Eggs count once, each juvenile by its egg equivalents at the substage's upper age.
  double expected = w.s.MiteEggs;
  for (int32_t i = w.s.borderEgg + 1; i <= w.s.MiteKimm; ++i) {
    expected += w.s.delkImm * 4 * EggEquivs(w.s.delkImm * i);
  }
  EXPECT_NEAR(prey, expected, 1e-9 * expected);

  // Adults are not prey, but predation thins them as well.
  const double adults = w.s.MiteAdults;
  MiteMort(w.s, 0.25f);
  MitePoputaions(w.s);
  double after = 0;
  MitesAvail(w.s, after);
  EXPECT_NEAR(after, 0.25 * prey, 1e-5 * prey);
  EXPECT_NEAR(w.s.MiteAdults, 0.25 * adults, 1e-5 * adults);
}

TEST(MiteOutputSums, AccumulateDailyAndClearOnResetAndFreeze) {
  MiteWorld w(20);
  double winter = 0, mobiles = 0;
  for (int day = 1; day <= 40; ++day) {
    w.drv.modelday = static_cast<uint16_t>(day);
    MiteModel(w.s, w.Day());
    winter += w.s.winterEggs;
    mobiles += w.s.mobiles;
  }
  EXPECT_NEAR(w.s.WinterEggsSum, winter, 1e-9 * winter);
  EXPECT_NEAR(w.s.MobilesSum, mobiles, 1e-9 * mobiles + 1e-12);
  EXPECT_NEAR(w.s.mitedays, mobiles, 1e-9 * mobiles + 1e-12);
  SaveMiteHarvestValues(w.s);
  EXPECT_EQ(w.s.WinterEggsSave, w.s.WinterEggsSum);
  ResetMiteSums(w.s);
  EXPECT_EQ(
      w.s.WinterEggsSum + w.s.MiteEggsSum + w.s.JuvenilesSum + w.s.MiteAdultsSum + w.s.MobilesSum,
      0.0);
  EXPECT_GT(w.s.WinterEggsSave, 0.0);
  MiteModel(w.s, w.Day());
  FreezeMites(w.s);
  EXPECT_EQ(w.s.winterEggs + w.s.MiteEggs + w.s.juveniles + w.s.MiteAdults + w.s.mobiles, 0.0);
  EXPECT_EQ(w.s.WinterEggsSum + w.s.MobilesSum, 0.0);
}

}  // namespace
}  // namespace olive
