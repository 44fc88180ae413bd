#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "plant_tree.h"
#include "toolkit/modutils.h"
#include "toolkit/random.h"

namespace olive {
namespace {

using testing::Contents;
using testing::Tree;

// ---------------------------------------------------------------------------------------------
// The initial tree.

TEST(InitPlant, LastSeasonsFruitLiesInTheOldestThird) {
  Tree t;
  t.Init();
  const float perClass = 3.0f / t.in.delfru;
  for (int i = 1; i <= 67; ++i) EXPECT_EQ(t.p.FruNumArray[i], 0.0f) << "class " << i;
  for (int i = 68; i <= kfru; ++i) EXPECT_NEAR(t.p.FruNumArray[i], perClass, 1e-9) << i;
  EXPECT_NEAR(Contents(t.p.FruNumArray, kfru, t.p.delkfru), 0.99, 1e-5);
  EXPECT_NEAR(Contents(t.p.FruMassArray, kfru, t.p.delkfru), 0.99 * 0.0006, 1e-8);
  EXPECT_EQ(t.p.fruNum, 1.0);
}

TEST(InitPlant, OrgansReservesAndWindowsFollowTheSetup) {
  Tree t;
  t.Init();
  const PlantState& p = t.p;
  EXPECT_NEAR(p.leafNum, 250000, 1);
  EXPECT_NEAR(p.leafmass, 37500, 0.5);
  EXPECT_NEAR(Contents(p.ShootliveArray, kshoot, p.delkShootLive), 1000, 0.01);
  EXPECT_NEAR(Contents(p.ShootWoodArray, kshoot, p.delkShootWood), 20000, 0.5);
  EXPECT_NEAR(Contents(p.RootWoodArray, kroot, p.delkRootWood), 26500, 0.5);
  // 2.5 % of roots and frame are reserves.
  EXPECT_NEAR(p.reserveTot, 0.025 * (30000 + 80000), 0.05);
  EXPECT_NEAR(p.RootWood, 0.975 * 30000, 1e-6);
  EXPECT_NEAR(p.framewood, 0.975 * 80000, 0.05);
  EXPECT_NEAR(p.TotalFrame, 80000, 0.05);
  EXPECT_EQ(p.framelive, 0);
  EXPECT_EQ(p.shootnr, 100);
  EXPECT_EQ(p.sdveg, 1);
  EXPECT_EQ(p.sdfru, 1);
  EXPECT_EQ(p.kbloom, 60);
  EXPECT_EQ(p.delbloom, 75);
  // Windows: fruit younger than 500 degree-days can be shed (class width 24).
  EXPECT_EQ(p.vFruitShed[1], 1.0f);
  EXPECT_NEAR(p.vFruitShed[21], (500.0 - 480.0) / 24.0, 1e-6);
  EXPECT_EQ(p.vFruitShed[22], 0.0f);
  EXPECT_EQ(p.vFruit[1], 1.0f);
  EXPECT_EQ(p.vFruit[kfru], 1.0f);
  // Leaf efficiency: 1 at the peak age of about 981 degree-days, lower for young and old.
  const float peak = *std::max_element(p.PSageScalar.begin() + 1, p.PSageScalar.end());
  EXPECT_NEAR(peak, 1.0f, 1e-3);
  EXPECT_LT(p.PSageScalar[1], 0.05f);
  EXPECT_EQ(t.log.reports, 0);
}

TEST(InitPlant, ARepeatedPassStartsFromTheSameTree) {
  Tree t;
  t.Init();
  const PlantState fresh = t.p;
  t.Year(nullptr, 200);
  bool PruneToday = false;
  Prune(t.p, t.n, PruneToday, 1);
  ASSERT_FALSE(t.p == fresh);
  InitPlant(t.p, t.in, t.log);
  EXPECT_TRUE(t.p == fresh);
}

// ---------------------------------------------------------------------------------------------
// Carbon allocation.

// What Ratios hands out to fruit, vegetative growth and the reserves never exceeds what the
// day's photosynthate leaves after maintenance plus what was drawn from the reserves.
void ExpectCarbonBooksClose(const PlantState& before, const PlantState& after, bool harvest) {
  const double grossUp = 1.0 - before.gresp;
  double allocated = 0;
  if (!harvest && before.dfru > 0.000001) allocated += after.sdfru * before.dfru / grossUp;
  allocated += after.sdveg * before.dveg / (harvest ? 1.0 : grossUp);
  const double change = after.reserveTot - before.reserveTot;
  allocated += std::max(0.0, change);
  const double available =
      std::max(0.0, before.PhotoSynthate - before.mresp) + std::max(0.0, -change);
  EXPECT_LE(allocated, available * (1 + 1e-9) + 1e-9)
      << "P " << before.PhotoSynthate << " mresp " << before.mresp << " res " << before.reserveTot
      << " dfru " << before.dfru << " dveg " << before.dveg << " harvest " << harvest;
  EXPECT_GE(after.reserveTot, 0);
  EXPECT_GE(after.sdfru, 0);
  EXPECT_LE(after.sdfru, 1);
  EXPECT_GE(after.sdveg, 0);
  EXPECT_LE(after.sdveg, 1);
}

TEST(Ratios, AllocationNeverExceedsSupplyPlusReserves) {
  Rng rng;
  rng.s = 12345;
  for (int c = 0; c < 5000; ++c) {
    PlantState p;
    p.PhotoSynthate = 200 * rng.Uniform();
    p.mresp = 100 * rng.Uniform();
    p.reserveTot = rng.Below(4) == 0 ? 0.0 : 300 * rng.Uniform();
    p.dfru = rng.Below(3) == 0 ? 0.0 : 80 * rng.Uniform();
    p.dleaf = 60 * rng.Uniform();
    p.dres = std::max(0.1, 0.25 * p.dleaf);
    p.dveg = std::max(0.1, 3.1 * p.dleaf + p.dres);
    p.gresp = 0.3;
    SeasonState season;
    season.harvest = rng.Below(3) == 0;
    const PlantState before = p;
    Ratios(p, season);
    ExpectCarbonBooksClose(before, p, season.harvest);
  }
}

TEST(Ratios, CarbonBooksCloseOverAYearOfGrowth) {
  Tree t;
  t.Init();
  int days = 0;
  t.Year([&](const PlantState& before, const PlantState& after) {
    ExpectCarbonBooksClose(before, after, t.season.harvest);
    ++days;
  });
  EXPECT_EQ(days, 365);
  EXPECT_TRUE(std::isfinite(t.p.reserveTot));
  EXPECT_GT(t.p.leafmass, 0);
}

TEST(Ratios, HarvestDayPaysGrowthBeforeStoringTheSurplus) {
  PlantState p;
  p.PhotoSynthate = 100;
  p.mresp = 10;
  p.reserveTot = 50;
  p.dres = 5;
  p.dveg = 50;
  p.dfru = 20;
  p.gresp = 0.3;
  SeasonState season;
  season.harvest = true;
  Ratios(p, season);
  // 90 after maintenance: 5 to the reserves' demand, 50 to growth, the 35 left is stored.
  EXPECT_EQ(p.sdfru, 1);
  EXPECT_EQ(p.sdveg, 1);
  EXPECT_NEAR(p.reserveTot, 50 + 5 + 35, 1e-12);
  EXPECT_EQ(p.availph, 0);

  // Short supply: growth gets what the reserves' demand leaves, nothing is stored besides.
  p = PlantState{};
  p.PhotoSynthate = 30;
  p.mresp = 10;
  p.reserveTot = 50;
  p.dres = 5;
  p.dveg = 50;
  p.gresp = 0.3;
  Ratios(p, season);
  EXPECT_NEAR(p.sdveg, 15.0 / 50.0, 1e-12);
  EXPECT_NEAR(p.reserveTot, 55, 1e-12);
}

TEST(Ratios, MaintenanceDeficitAndAmpleSupply) {
  SeasonState season;
  // A deficit larger than the reserves empties them and nothing is allocated.
  PlantState p;
  p.PhotoSynthate = 10;
  p.mresp = 40;
  p.reserveTot = 20;
  p.dfru = 5;
  p.dveg = 10;
  p.gresp = 0.3;
  Ratios(p, season);
  EXPECT_EQ(p.reserveTot, 0);
  EXPECT_EQ(p.sdfru, 0);
  EXPECT_EQ(p.sdveg, 0);

  // Ample supply: both ratios 1, the rest (with the 4 % mobilised) is stored.
  p = PlantState{};
  p.PhotoSynthate = 100;
  p.mresp = 10;
  p.reserveTot = 100;
  p.dfru = 7;
  p.dveg = 14;
  p.gresp = 0.3;
  Ratios(p, season);
  EXPECT_EQ(p.sdfru, 1);
  EXPECT_EQ(p.sdveg, 1);
  EXPECT_NEAR(p.reserveTot, 100 + 90 - 10 - 20, 1e-9);

  // No fruit demand: sdfru 0, the vegetative demand is still served.
  p = PlantState{};
  p.PhotoSynthate = 100;
  p.dveg = 14;
  p.gresp = 0.3;
  Ratios(p, season);
  EXPECT_EQ(p.sdfru, 0);
  EXPECT_EQ(p.sdveg, 1);
}

TEST(Ratios, AnOrganShortOfSupplyLeavesNothingOver) {
  // 3 mass units for a fruit demand of 30 / 0.7: the subtraction would leave 4e-16.
  SeasonState season;
  PlantState p;
  p.PhotoSynthate = 3;
  p.dfru = 30;
  p.dveg = 30;
  p.gresp = 0.3;
  Ratios(p, season);
  EXPECT_NEAR(p.sdfru, 0.07, 1e-12);
  EXPECT_EQ(p.availph, 0);
  EXPECT_EQ(p.sdveg, 0);
  EXPECT_EQ(p.reserveTot, 0);

  // The same supply for vegetative growth alone: nothing over for the reserves.
  p = PlantState{};
  p.PhotoSynthate = 3;
  p.dveg = 30;
  p.gresp = 0.3;
  Ratios(p, season);
  EXPECT_NEAR(p.sdveg, 0.07, 1e-12);
  EXPECT_EQ(p.availph, 0);
  EXPECT_EQ(p.reserveTot, 0);
}

// ---------------------------------------------------------------------------------------------
// Demand and supply.

TEST(Demand, HarvestTakesTheFruitOlderThanClass14) {
  Tree t;
  t.Init();
  for (int i = 1; i <= kfru; ++i) {
    t.p.FruNumArray[i] = 1;
    t.p.FruMassArray[i] = 0.5f;
  }
  t.season.harvest = true;
  t.season.PlantDD = 5;
  t.today.tmean = 20;
  Demand(t.p, t.in, t.today, t.season);
  EXPECT_NEAR(t.p.fruNum, 100 * 24.0, 1e-3);
  EXPECT_NEAR(t.p.Frumass, 50 * 24.0, 1e-3);
  EXPECT_NEAR(t.p.yield, 0.9 * 50 * 24.0, 1e-3);
  for (int i = 1; i <= 14; ++i) EXPECT_EQ(t.p.FruNumArray[i], 1.0f) << i;
  for (int i = 15; i <= kfru; ++i) EXPECT_NEAR(t.p.FruNumArray[i], 0.1f, 1e-6) << i;
  EXPECT_GT(t.p.OldShootWood, 0);
}

// Setup values that would carry a loop past the end of a 100-class vector are held to it.
TEST(Demand, ShortLeafLifeDoesNotLeaveTheLeafVectors) {
  Tree t;
  t.in.delfol = 300;  // round(390 / 300 * 100) = 130 classes
  t.Init();
  const AgeVec scalar = t.p.PSageScalar;
  t.season.PlantDD = 10;
  t.today.tmean = 23.05f;
  Demand(t.p, t.in, t.today, t.season);
  EXPECT_TRUE(t.p.PSageScalar == scalar);
  EXPECT_GT(t.p.grl[kfol], 0);  // every class is younger than 390 degree-days
  Growth(t.p, t.n, t.in, t.today, t.season);
  EXPECT_TRUE(std::isfinite(t.p.leafmass));
}

TEST(Demand, VeraisonBeyondTheFruitDelayStaysInsideTheFruitVectors) {
  Tree t;
  t.in.Veraison = 3000;  // round(3000 * 100 / 2400) = 125 classes
  t.Init();
  for (int i = 1; i <= kfru; ++i) t.p.FruNumArray[i] = 1;
  t.season.PlantDD = 10;
  t.today.tmean = 23.05f;
  Demand(t.p, t.in, t.today, t.season);
  // Rapid phase classes 1..12 (12.5 rounds to even), slow phase 12..100.
  const double g1 = static_cast<float>(0.035 / 300), g2 = 1.1 / 3000;
  const double expected = (12 * g1 + 89 * g2) * 10 * 24;
  EXPECT_NEAR(t.p.dfru, expected, 1e-5 * expected);
  Growth(t.p, t.n, t.in, t.today, t.season);
  for (int i = 1; i <= kfru; ++i) ASSERT_EQ(t.p.FruNumAttacked[i], 0.0f) << i;
}

TEST(Demand, TinyRapidGrowthPhaseStillHasOneClass) {
  Tree t;
  t.in.RapidFruGrow = 1;  // round(1 * 100 / 2400) = 0
  t.Init();
  for (int i = 1; i <= kfru; ++i) t.p.FruNumArray[i] = 1;
  t.season.PlantDD = 10;
  t.today.tmean = 23.05f;
  Demand(t.p, t.in, t.today, t.season);
  // Class 1 in both phases, classes 1..62 in the slow phase (62.5 rounds to even).
  const double g1 = static_cast<float>(0.035 / 1), g2 = 1.1 / 1500;
  const double expected = (g1 + 62 * g2) * 10 * 24;
  EXPECT_NEAR(t.p.dfru, expected, 1e-5 * expected);
}

// ---------------------------------------------------------------------------------------------
// Growth.

// Young fruit of one class only; returns the share of it shed by one day's Growth.
double ShedShare(double sdfru, float PlantDD, int cls) {
  Tree t;
  t.in.nitro = false;
  t.Init();
  t.p.FruNumArray.fill(0);
  t.p.FruMassArray.fill(0);
  t.p.FruNumArray[cls] = 2;
  t.p.FruMassArray[cls] = 0.02f;
  t.p.sdfru = sdfru;
  t.season.PlantDD = PlantDD;
  t.today.tmean = 20;
  const double before = Contents(t.p.FruNumArray, kfru, t.p.delkfru);
  Growth(t.p, t.n, t.in, t.today, t.season);
  const double after = Contents(t.p.FruNumArray, kfru, t.p.delkfru);
  // The fruit delay only moves fruit between classes: what is gone was shed.
  EXPECT_NEAR(before - after, t.p.TotShed * t.p.delkfru, 1e-5 * before);
  return t.p.TotShed * t.p.delkfru / before;
}

TEST(Growth, YoungFruitIsShedByAgeAndCarbonStress) {
  EXPECT_NEAR(ShedShare(1.0, 10, 1), 1 - std::pow(0.995, 10), 1e-5);
  EXPECT_NEAR(ShedShare(0.1, 10, 1), 1 - 0.1 * std::pow(0.995, 10), 1e-5);
  EXPECT_NEAR(ShedShare(0.02, 10, 5), ShedShare(0.1, 10, 5), 1e-9);
  EXPECT_GT(ShedShare(0.05, 1, 5), 0.89);
  // A class partly inside the window (5/6 of class 21) loses more than a class wholly inside.
  EXPECT_GT(ShedShare(1.0, 10, 21), ShedShare(1.0, 10, 20));
  // Fruit older than 500 degree-days is never shed.
  EXPECT_EQ(ShedShare(0.01, 10, 22), 0);
  EXPECT_EQ(ShedShare(0.01, 10, 90), 0);
}

TEST(Growth, NoDegreeDaysChangeNothing) {
  Tree t;
  t.in.OliveFlyInRun = true;
  t.Init();
  t.Year(nullptr, 150);  // a tree in bloom with fruit, leaves and nitrogen
  for (int i = 1; i <= kfru; ++i) t.p.FruNumAttacked[i] = 0.5f;
  t.season.PlantDD = 0;
  const PlantState p = t.p;
  const NitroState n = t.n;
  Growth(t.p, t.n, t.in, t.today, t.season);
  EXPECT_TRUE(t.p == p);
  EXPECT_TRUE(t.n == n);
}

TEST(Growth, AttackedFruitFallsOnlyBetween533And800DegreeDays) {
  Tree t;
  t.in.delfru = 1600;  // class width 16: class i has age 16 (i - 1), 800 at class 51
  t.in.OliveFlyInRun = true;
  t.in.nitro = false;
  t.Init();
  t.p.vFruitShed.fill(0);  // no shedding: only the fly's damage acts
  t.p.FruNumArray.fill(0);
  t.p.FruNumAttacked.fill(1);
  t.p.FruMassAttacked.fill(0.1f);
  t.p.sdfru = 0;  // no fruit mass growth
  t.season.PlantDD = 4;
  t.today.tmean = 20;
  Growth(t.p, t.n, t.in, t.today, t.season);
  // A uniform vector with no inflow keeps its classes 2..100 through the delay.
  for (int i = 2; i <= kfru; ++i) {
    const double age = 16.0 * (i - 1);
    if (age > 533.3 && age <= 800) {
      const double mu = 0.025 * std::exp(-0.025 * (age - 533.3)) * 4;
      EXPECT_NEAR(t.p.FruNumAttacked[i], 1 - mu, 1e-5) << "age " << age;
      EXPECT_NEAR(t.p.FruMassAttacked[i], 0.1 * (1 - mu), 1e-6) << "age " << age;
    } else {
      EXPECT_EQ(t.p.FruNumAttacked[i], 1.0f) << "age " << age;
    }
  }
  EXPECT_LT(t.p.FruNumAttacked[51], 1.0f);  // exactly 800 falls
}

TEST(Growth, AgeingLiveTissueFeedsWoodAndReserves) {
  Tree t;
  t.in.nitro = false;
  t.Init();
  Populations(t.p, t.n, t.in, t.season);
  const double leaves = t.p.leafNum;
  t.p.folNrProd = t.p.folMaProd = t.p.dshoot = t.p.droot = t.p.dframe = 0;
  t.season.PlantDD = 10;
  t.today.tmean = 20;
  const double res = t.p.reserveTot;
  Growth(t.p, t.n, t.in, t.today, t.season);
  Populations(t.p, t.n, t.in, t.season);
  EXPECT_LT(t.p.leafNum, leaves);
  EXPECT_NEAR(leaves - t.p.leafNum, t.p.leafshed * t.p.DelkFol, 1e-3 * leaves);
  EXPECT_GT(t.p.reserveTot, res);
}

// ---------------------------------------------------------------------------------------------
// Populations and pruning.

TEST(Populations, ReservesAreSharedByYesterdaysTotals) {
  Tree t;
  t.Init();
  t.p.shoots = 1;
  t.p.roots = 1;
  t.p.TotalFrame = 2;
  Populations(t.p, t.n, t.in, t.season);
  EXPECT_EQ(t.p.ashoot, 0.25);
  EXPECT_EQ(t.p.aframe, 0.5);
  EXPECT_NEAR(t.p.TotalFrame, t.p.framelive + t.p.framewood + 0.5 * t.p.reserveTot, 1e-9);
  EXPECT_NEAR(t.p.shoots + t.p.roots + t.p.TotalFrame,
              t.p.shootlive + t.p.ShootWood + t.p.rootlive + t.p.RootWood + t.p.framelive +
                  t.p.framewood + t.p.reserveTot,
              1e-6);

  t.p.shoots = t.p.roots = t.p.TotalFrame = 0;
  Populations(t.p, t.n, t.in, t.season);
  EXPECT_EQ(t.p.ashoot + t.p.aroot + t.p.aframe, 0);
  EXPECT_NEAR(t.p.roots, t.p.rootlive + t.p.RootWood, 1e-9);
}

TEST(Prune, WinterPruningTakesAQuarterAndMultipliesShoots) {
  Tree t;
  t.Init();
  t.Year(nullptr, 100);
  const PlantState p0 = t.p;
  const NitroState n0 = t.n;
  bool PruneToday = false;
  Prune(t.p, t.n, PruneToday, 1);
  EXPECT_TRUE(PruneToday);
  auto expectQuarterGone = [](const AgeVec& now, const AgeVec& was, int k) {
    const double before = Sum(was, 1, k);
    EXPECT_GT(before, 0);
    EXPECT_NEAR(Sum(now, 1, k), 0.75 * before, 1e-5 * before);
  };
  expectQuarterGone(t.p.FolNumArray, p0.FolNumArray, kfol);
  expectQuarterGone(t.p.FolWgtArray, p0.FolWgtArray, kfol);
  expectQuarterGone(t.p.ShootliveArray, p0.ShootliveArray, kshoot);
  expectQuarterGone(t.n.rNfol, n0.rNfol, kfol);
  expectQuarterGone(t.n.rNshoot, n0.rNshoot, kshoot);
  EXPECT_GT(p0.ashoot, 0);
  EXPECT_NEAR(t.p.reserveTot, p0.reserveTot * (1 - 0.25 * p0.ashoot), 1e-9);
  EXPECT_NEAR(t.n.Nres, n0.Nres * (1 - 0.25 * p0.ashoot), 1e-9);
  EXPECT_NEAR(t.p.shootnr, 170, 1e-9);
  EXPECT_EQ(t.p.PanulmiPruneSurv, 1);
  EXPECT_TRUE(t.p.RootLiveArray == p0.RootLiveArray);
}

TEST(Prune, SummerPruningTakesATenthAndUnknownTypesNothing) {
  Tree t;
  t.Init();
  const PlantState p0 = t.p;
  bool PruneToday = false;
  Prune(t.p, t.n, PruneToday, 2);
  const double leaves = Sum(p0.FolNumArray, 1, kfol);
  EXPECT_NEAR(Sum(t.p.FolNumArray, 1, kfol), 0.9 * leaves, 1e-5 * leaves);
  EXPECT_EQ(t.p.shootnr, 100);
  EXPECT_EQ(t.p.PanulmiPruneSurv, 0.9);

  t.p = p0;
  PruneToday = false;
  Prune(t.p, t.n, PruneToday, 3);
  EXPECT_TRUE(PruneToday);
  EXPECT_TRUE(t.p.FolNumArray == p0.FolNumArray);
  EXPECT_EQ(t.p.shootnr, 100);
  EXPECT_EQ(t.p.PruneFactor, 0);
}

TEST(FreezePlantState, LeavesNothingAlive) {
  Tree t;
  t.Init();
  t.Year(nullptr, 200);
  FreezePlantState(t.p);
  FreezeNitro(t.n);
  Populations(t.p, t.n, t.in, t.season);
  EXPECT_EQ(t.p.leafmass, 0);
  EXPECT_EQ(t.p.roots, 0);
  EXPECT_EQ(t.p.TotalFrame, 0);
  EXPECT_EQ(t.p.fruNum, 0);
  EXPECT_EQ(t.p.reserveTot, 0);
  EXPECT_EQ(t.n.leafN, 0);
  EXPECT_EQ(t.n.rootN, 0);
  EXPECT_EQ(t.n.frameN, 0);
}

// ---------------------------------------------------------------------------------------------
// Chilling.

TEST(HourDegrees, StaysWithinItsBounds) {
  double hd = 0;
  HourDegrees(7.3, 7.3, 7.3, hd);
  EXPECT_NEAR(hd, 25, 1e-9);  // every hour at the optimum
  HourDegrees(30, 25, 30, hd);
  EXPECT_NEAR(hd, -14, 1e-9);  // every hour too warm
  HourDegrees(3.65, 3.65, 3.65, hd);
  EXPECT_NEAR(hd, 12.5, 1e-9);
  HourDegrees(-5, -8, -2, hd);
  EXPECT_EQ(hd, 0);  // frost hours count as the hour before: none counted yet
  HourDegrees(20, 10, 21, hd);
  EXPECT_GE(hd, 25 * 0.56);
  EXPECT_LE(hd, 25);
  // Frost hours after a chilling hour repeat its unit.
  HourDegrees(3.65, -5, -5, hd);
  EXPECT_GT(hd, 0.5);
  Rng rng;
  rng.s = 7;
  for (int c = 0; c < 1000; ++c) {
    const double lo = -15 + 40 * rng.Uniform();
    HourDegrees(lo + 20 * rng.Uniform(), lo, lo + 20 * rng.Uniform(), hd);
    ASSERT_GE(hd, -14 - 1e-9);
    ASSERT_LE(hd, 25 + 1e-9);
  }
}

}  // namespace
}  // namespace olive
