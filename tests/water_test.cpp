#include "soil/water.h"

#include <gtest/gtest.h>

#include <cmath>

namespace olive {
namespace {

DayWeather Day(float tmean, float solrad, float precip, float rhmean = 50, float wind = 4) {
  DayWeather d;
  d.tmean = tmean;
  d.tmax = tmean + 6;
  d.tmin = tmean - 6;
  d.solrad = solrad;
  d.precip = precip;
  d.rhmean = rhmean;
  d.wind = wind;
  return d;
}

// A bucket of 10 mm with the wilting point at 5 mm and field capacity at 20 mm.
WaterState FreshBucket() {
  WaterState w;
  w.SoilwIn = 200;
  w.SoilwMaxIn = 400;
  w.pwpin = 100;
  waterinit(w);
  return w;
}

// The day's soil water steps in the driver's order.
void WaterDay(WaterState& w, DayWeather& today, double LAI) {
  Ritchi(w, today, LAI, w.wdemand, w.evapsoil);
  Wsupply(w, LAI, w.wdemand, w.evapsoil, w.transpire);
  Wratio(w, today, LAI, w.transpire, w.wdemand, w.wsd);
}

TEST(WaterInit, StartsBucketAtScaledStationWaterAndClearsRunState) {
  WaterState w;
  w.SoilwIn = 200;
  w.es1 = 3;
  w.es2 = 2;
  w.watertime = 4;
  w.watfirst = false;
  w.prevawat = 0.7f;
  w.iwsd = 3;
  w.wsd = 0.2f;
  w.wsdarray[2] = 0.1f;
  w.SumET = 9;
  w.SumPrecip = 9;
  w.nirrs = 2;
  waterinit(w);
  EXPECT_FLOAT_EQ(w.soilw, 10.0f);
  EXPECT_EQ(w.es1, 0);
  EXPECT_EQ(w.es2, 0);
  EXPECT_EQ(w.watertime, 0);
  EXPECT_TRUE(w.watfirst);
  EXPECT_EQ(w.prevawat, 0);
  EXPECT_EQ(w.iwsd, 0);
  EXPECT_EQ(w.wsd, 1);
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(w.wsdarray[i], 1) << i;
  EXPECT_EQ(w.SumET, 0);
  EXPECT_EQ(w.SumPrecip, 0);
  EXPECT_EQ(w.nirrs, 0);
}

// A warm sunny day computed by hand from the Penman and Ritchie equations.
TEST(WaterDayFigures, FirstDayOfWarmSunnyWeather) {
  WaterState w = FreshBucket();
  DayWeather today = Day(20, 600, 0, 50, 4);
  WaterDay(w, today, 1.0);
  EXPECT_NEAR(w.wdemand, 0.833751, 2e-6);   // (0.7 - 0.21) * eo, eo = 1.701533 mm
  EXPECT_NEAR(w.evapsoil, 0.484970, 2e-6);  // stage 1: potential soil evaporation
  EXPECT_NEAR(w.es1, 0.484970, 2e-6);
  EXPECT_NEAR(w.prevawat, 0.552778, 2e-6);
  EXPECT_NEAR(w.transpire, 0.803458, 2e-6);
  EXPECT_NEAR(w.wsd, 0.992733, 2e-6);  // (0.963666 + 4 * 1) / 5
  EXPECT_NEAR(w.soilw, 8.711572, 4e-6);
  EXPECT_FALSE(w.watfirst);
  EXPECT_EQ(w.iwsd, 1);
}

TEST(Ritchi, ZeroHumidityIsTakenAs55PercentAndKept) {
  WaterState a = FreshBucket(), b = FreshBucket();
  DayWeather dry = Day(25, 650, 0, 0), humid = Day(25, 650, 0, 55);
  float wa = 0, ea = 0, wb = 0, eb = 0;
  Ritchi(a, dry, 1.5, wa, ea);
  Ritchi(b, humid, 1.5, wb, eb);
  EXPECT_EQ(dry.rhmean, 55.0f);
  EXPECT_EQ(wa, wb);
  EXPECT_EQ(ea, eb);

  DayWeather other = Day(25, 650, 0, 40);
  Ritchi(a, other, 1.5, wa, ea);
  EXPECT_EQ(other.rhmean, 40.0f);
}

TEST(Ritchi, PotentialTranspirationFollowsLeafAreaThresholds) {
  DayWeather today = Day(22, 700, 0);
  for (double lai : {0.0, 0.05, 0.091}) {
    WaterState w = FreshBucket();
    float wdemand = -1, evapsoil = -1;
    Ritchi(w, today, lai, wdemand, evapsoil);
    EXPECT_EQ(wdemand, 0.01f) << "LAI " << lai;
  }
  // Just above 0.091 the canopy transpires a sliver of the potential.
  {
    WaterState w = FreshBucket();
    float wdemand = 0, evapsoil = 0;
    Ritchi(w, today, 0.0911, wdemand, evapsoil);
    EXPECT_GT(wdemand, 0.0f);
    EXPECT_LT(wdemand, 0.01f);
  }
  // Above 2.98 transpiration takes all of the potential evapotranspiration, leaving none for the
  // soil in stage 1; at 2.98 itself nearly all.
  WaterState full = FreshBucket();
  float epFull = 0, esFull = -1;
  Ritchi(full, today, 3.2, epFull, esFull);
  EXPECT_EQ(esFull, 0.0f);
  EXPECT_NEAR(epFull, 1.815223, 2e-6);  // eo of the day with the albedo of LAI 3.2
  WaterState edge = FreshBucket();
  float epEdge = 0, esEdge = 0;
  Ritchi(edge, today, 2.98, epEdge, esEdge);
  EXPECT_NEAR(epEdge, 1.824559, 2e-6);  // (0.7 sqrt(2.98) - 0.21) eo, eo = 1.827506 mm
  EXPECT_GT(esEdge, 0.0f);
}

TEST(Ritchi, DryingSoilPassesFromStage1ToFallingStage2) {
  WaterState w = FreshBucket();
  double total = 0;  // soil evaporation since the last wetting, mm
  float previousStage2 = 1e9f;
  int stage2Days = 0;
  for (int day = 1; day <= 60; ++day) {
    DayWeather today = Day(26, 700, 0);
    const bool inStage2 = !w.watfirst && w.es1 >= kStage1Limit;
    WaterDay(w, today, 0.8);
    total += w.evapsoil;
    EXPECT_GE(w.evapsoil, 0.0f);
    if (inStage2) {
      ++stage2Days;
      EXPECT_LE(w.evapsoil, previousStage2) << "day " << day;
      previousStage2 = w.evapsoil;
    }
  }
  ASSERT_GT(stage2Days, 30);
  // What evaporated is the stage-1 limit plus the stage-2 total.
  EXPECT_NEAR(total, kStage1Limit + w.es2, 1e-3);
  EXPECT_NEAR(w.watertime, std::pow(w.es2 / kStage2Coeff, 2), 1e-4);
  EXPECT_LT(previousStage2, 0.35f);  // about 3.3 (sqrt(t) - sqrt(t - 1)) mm after weeks
}

// A soil in stage 2 with 3 mm of stage-2 evaporation behind it.
WaterState InStage2() {
  WaterState w = FreshBucket();
  w.watfirst = false;
  w.es1 = kStage1Limit;
  w.es2 = 3;
  w.watertime = std::pow(3 / kStage2Coeff, 2);
  return w;
}

TEST(Ritchi, RainAtLeastTheStage2TotalRewetsAndEvaporatesAsStage1SameDay) {
  WaterState w = InStage2();
  const float watertimeBefore = w.watertime;
  DayWeather rainy = Day(20, 500, 5);  // 2 mm left after refilling the stage-2 total
  float wdemand = 0, evapsoil = 0;
  Ritchi(w, rainy, 1.0, wdemand, evapsoil);
  EXPECT_EQ(w.es2, 0.0f);
  // The stage-2 clock is not touched by the rewetting; it is set afresh when stage 1 ends.
  EXPECT_EQ(w.watertime, watertimeBefore);

  // The same day on a soil already in stage 1 with the same deficit.
  WaterState ref = FreshBucket();
  ref.watfirst = false;
  ref.es1 = kStage1Limit - 2;
  DayWeather same = Day(20, 500, 0);
  float refDemand = 0, refEvap = 0;
  Ritchi(ref, same, 1.0, refDemand, refEvap);
  EXPECT_FLOAT_EQ(evapsoil, refEvap);
  EXPECT_FLOAT_EQ(w.es1, ref.es1);
  EXPECT_FLOAT_EQ(w.es1, kStage1Limit - 2 + evapsoil);

  // Rain beyond the stage-1 limit leaves no stage-1 deficit.
  WaterState soaked = InStage2();
  DayWeather downpour = Day(20, 500, 40);
  Ritchi(soaked, downpour, 1.0, wdemand, evapsoil);
  EXPECT_FLOAT_EQ(soaked.es1, evapsoil);

  // Dry days end the new stage 1 and restart the stage-2 clock from the new stage-2 total.
  for (int day = 0; day < 30 && w.es2 == 0; ++day) {
    DayWeather dry = Day(24, 700, 0);
    Ritchi(w, dry, 1.0, wdemand, evapsoil);
  }
  ASSERT_GT(w.es2, 0.0f);
  EXPECT_FLOAT_EQ(w.watertime, std::pow(w.es2 / kStage2Coeff, 2));
}

TEST(Ritchi, RainBelowTheStage2TotalStaysInStage2) {
  WaterState w = InStage2();
  const float watertimeBefore = w.watertime;
  DayWeather drizzle = Day(20, 500, 1);
  float wdemand = 0, evapsoil = 0;
  Ritchi(w, drizzle, 1.0, wdemand, evapsoil);
  EXPECT_EQ(w.es1, kStage1Limit);
  EXPECT_GT(evapsoil, 0.0f);
  EXPECT_NEAR(w.es2, 3 + evapsoil - 1, 1e-6);
  EXPECT_LT(w.watertime, watertimeBefore);  // the drizzle moved the stage-2 clock back
}

TEST(Ritchi, LightShowerLateInStage2EvaporatesAtThePotentialRate) {
  WaterState late = InStage2();
  late.es2 = 30;  // weeks of drying: the stage-2 rate is down to about 0.18 mm/day
  late.watertime = std::pow(30 / kStage2Coeff, 2);
  DayWeather shower = Day(24, 700, 0.1f);
  float wdemand = 0, evapsoil = 0;
  Ritchi(late, shower, 0.2, wdemand, evapsoil);

  // The same day's evaporation from a freshly wetted soil.
  WaterState wet = FreshBucket();
  wet.watfirst = false;
  DayWeather dry = Day(24, 700, 0);
  float wetDemand = 0, wetEvap = 0;
  Ritchi(wet, dry, 0.2, wetDemand, wetEvap);
  EXPECT_GT(wetEvap, 0.5f);
  EXPECT_EQ(evapsoil, wetEvap);
  EXPECT_FLOAT_EQ(late.es2, 30 + wetEvap - 0.1f);

  // Midway through stage 2 a shower evaporates on top of the stage-2 rate.
  WaterState mid = InStage2();
  mid.es2 = 10;
  mid.watertime = std::pow(10 / kStage2Coeff, 2);
  const double rate = kStage2Coeff * (std::sqrt(mid.watertime + 1.0) - std::sqrt(mid.watertime));
  DayWeather midShower = Day(20, 600, 0.3f);
  Ritchi(mid, midShower, 1.0, wdemand, evapsoil);
  EXPECT_NEAR(evapsoil, rate + 0.3, 1e-5);

  // Without the shower the dry crust keeps it low.
  WaterState noShower = late;
  noShower.es2 = 30;
  noShower.watertime = std::pow(30 / kStage2Coeff, 2);
  Ritchi(noShower, dry, 0.2, wdemand, evapsoil);
  EXPECT_NEAR(evapsoil, 0.18, 0.01);
}

TEST(Wsupply, AccessFactorKeepsItsLargestValue) {
  WaterState w = FreshBucket();
  float transpire = 0;
  Wsupply(w, 0.0, 2, 0, transpire);
  EXPECT_FLOAT_EQ(w.prevawat, 0.05f);  // bare tree: the floor
  Wsupply(w, 2.0, 2, 0, transpire);
  const float grown = w.prevawat;
  EXPECT_NEAR(grown, 1 - std::exp(-0.8047 * 2.0), 1e-6);
  const float fullTranspire = transpire;

  // After pruning the leaf area falls; the roots still reach the same water.
  Wsupply(w, 0.3, 2, 0, transpire);
  EXPECT_EQ(w.prevawat, grown);
  EXPECT_EQ(transpire, fullTranspire);

  WaterState fresh = FreshBucket();
  float freshTranspire = 0;
  Wsupply(fresh, 0.3, 2, 0, freshTranspire);
  EXPECT_LT(freshTranspire, fullTranspire);
}

TEST(Wsupply, TranspirationLimitedByDemandAndAvailableWater) {
  WaterState w = FreshBucket();
  float transpire = -1;
  Wsupply(w, 1.5, 0, 0, transpire);
  EXPECT_EQ(transpire, 0.0f);  // no demand

  w.soilw = 200;  // far above the wilting point
  Wsupply(w, 1.5, 3, 0, transpire);
  EXPECT_NEAR(transpire, 3.0f, 1e-5);
  EXPECT_LE(transpire, 3.0f);

  w.soilw = 4.9f;  // below the 5 mm wilting point
  Wsupply(w, 1.5, 3, 0, transpire);
  EXPECT_EQ(w.avlw, 0.0f);
  EXPECT_EQ(transpire, 0.0f);
}

TEST(Wratio, RunningMeanOfFiveDailyRatios) {
  WaterState w = FreshBucket();
  DayWeather today = Day(20, 0, 0);
  Wratio(w, today, 1.0, 1, 2, w.wsd);  // ratio 0.5
  EXPECT_FLOAT_EQ(w.wsd, 0.9f);
  Wratio(w, today, 1.0, 0, 2, w.wsd);  // no uptake counts as 0.001
  EXPECT_FLOAT_EQ(w.wsdarray[2], 0.001f);
  EXPECT_FLOAT_EQ(w.wsd, (0.5f + 0.001f + 3) / 5);
  Wratio(w, today, 1.0, 0, 0, w.wsd);  // no demand: ratio 1
  Wratio(w, today, 1.0, 3, 2, w.wsd);  // uptake above demand: ratio 1
  Wratio(w, today, 1.0, 0.4f, 2, w.wsd);
  EXPECT_EQ(w.iwsd, 5);
  EXPECT_FLOAT_EQ(w.wsd, (0.5f + 0.001f + 1 + 1 + 0.2f) / 5);
  Wratio(w, today, 1.0, 1.8f, 2, w.wsd);  // the sixth day replaces the first
  EXPECT_EQ(w.iwsd, 1);
  EXPECT_FLOAT_EQ(w.wsd, (0.9f + 0.001f + 1 + 1 + 0.2f) / 5);
  for (int i = 6; i <= 10; ++i) EXPECT_EQ(w.wsdarray[i], 1.0f);
}

TEST(Wratio, TinyLeafAreaKeepsTheRatioButStillUpdatesTheBucket) {
  WaterState w = FreshBucket();
  DayWeather today = Day(20, 0, 0);
  Wratio(w, today, 1.0, 1, 2, w.wsd);
  const float wsd = w.wsd;
  const auto ring = w.wsdarray;
  w.evapsoil = 0.3f;
  w.transpire = 0.2f;
  DayWeather rain = Day(20, 0, 1.5f);
  const float before = w.soilw;
  Wratio(w, rain, 0.01, 0.01f, 2, w.wsd);
  EXPECT_EQ(w.wsd, wsd);
  EXPECT_EQ(w.iwsd, 1);
  EXPECT_EQ(w.wsdarray, ring);
  EXPECT_FLOAT_EQ(w.soilw, before + 1.5f - 0.3f - 0.2f);
  EXPECT_FLOAT_EQ(w.SumET, 0.5f);
  EXPECT_FLOAT_EQ(w.SumPrecip, 1.5f);
}

TEST(WaterBalance, ExcessWaterDrainsAtFieldCapacity) {
  WaterState w = FreshBucket();
  w.evapsoil = 0.5f;
  w.transpire = 1;
  DayWeather storm = Day(15, 100, 80);
  waterbalance(w, storm);
  EXPECT_EQ(w.soilw, static_cast<float>(0.05 * 400));
  EXPECT_EQ(storm.precip, 80.0f);  // left for the submodels that run later today
  EXPECT_FLOAT_EQ(w.SumPrecip, 80);
  EXPECT_FLOAT_EQ(w.SumET, 1.5f);
}

// Three years of seasonal weather with rain spells and a canopy that grows and is pruned.
TEST(WaterBalance, ClosesOverThreeYears) {
  WaterState w = FreshBucket();
  const float capacity = static_cast<float>(0.05 * w.SoilwMaxIn);
  const double start = w.soilw;
  double rain = 0, evaporation = 0, transpiration = 0, drainage = 0;
  int drainingDays = 0, wiltedDays = 0, stressedDays = 0;
  uint32_t s = 12345;
  double lai = 0.2;
  for (int day = 1; day <= 3 * 365; ++day) {
    const double season = std::sin(2 * 3.14159265358979 * (day - 100) / 365.0);
    s = s * 134775813u + 1u;
    const double draw = s / 4294967296.0;
    const float precip = draw < 0.25 - 0.2 * season ? static_cast<float>(40 * draw) : 0.0f;
    DayWeather today =
        Day(static_cast<float>(16 + 10 * season), static_cast<float>(450 + 250 * season), precip,
            static_cast<float>(60 - 20 * season), 5);
    lai = day % 365 == 200 ? 0.4 : std::min(2.7, lai + 0.01);
    const float before = w.soilw;
    WaterDay(w, today, lai);

    EXPECT_GE(w.evapsoil, 0.0f);
    EXPECT_GE(w.transpire, 0.0f);
    EXPECT_LE(w.transpire, w.wdemand * (1 + 1e-6f));
    EXPECT_GT(w.wsd, 0.0f);
    EXPECT_LE(w.wsd, 1.0f);
    EXPECT_LE(w.soilw, capacity);
    if (w.avlw == 0) {
      EXPECT_EQ(w.transpire, 0.0f);
      ++wiltedDays;
    }
    if (w.wsd < 0.9f) ++stressedDays;

    const double unbounded = double(before) + precip - w.evapsoil - w.transpire;
    const double drained = std::max(0.0, unbounded - capacity);
    EXPECT_NEAR(w.soilw, unbounded - drained, 1e-5) << "day " << day;
    if (drained > 0) ++drainingDays;
    rain += precip;
    evaporation += w.evapsoil;
    transpiration += w.transpire;
    drainage += drained;
  }
  EXPECT_NEAR(w.soilw - start, rain - evaporation - transpiration - drainage, 1e-3);
  EXPECT_NEAR(w.SumPrecip, rain, 1e-3 * rain);
  EXPECT_NEAR(w.SumET, evaporation + transpiration, 1e-3 * (evaporation + transpiration));
  // The weather must exercise the whole range of the bucket.
  EXPECT_GT(drainingDays, 5);
  EXPECT_GT(wiltedDays, 5);
  EXPECT_GT(stressedDays, 5);
}

}  // namespace
}  // namespace olive
