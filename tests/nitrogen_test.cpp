#include <gtest/gtest.h>

#include <cmath>

#include "plant_tree.h"
#include "toolkit/modutils.h"

namespace olive {
namespace {

using testing::Contents;
using testing::Tree;

// N in the leaf, live-shoot and live-root vectors (mass units).
double VectorN(const NitroState& n, const PlantState& p) {
  return Contents(n.rNfol, kfol, p.DelkFol) + Contents(n.rNshoot, kshoot, p.delkShootLive) +
         Contents(n.rNroot, kroot, p.delkRootLive);
}

TEST(INITRO, StartsFromTheWoodAndTheSoilUnderTheTree) {
  Tree t;
  t.Init();
  EXPECT_NEAR(t.n.Nrowood, 0.75 * 0.0073 * 30000, 1e-9);
  EXPECT_NEAR(t.n.Nframe, 0.75 * 0.0044 * t.p.TotalFrame, 1e-9);
  EXPECT_NEAR(t.n.Nres, 0.67 * (0.0073 * 30000 + 0.0044 * t.p.TotalFrame), 1e-9);
  EXPECT_NEAR(t.n.soilN, 1.7 * 30, 1e-12);
  EXPECT_EQ(t.n.dayfert, 1);
  EXPECT_EQ(t.n.leafN, 4);
  EXPECT_EQ(t.log.reports, 0);
}

TEST(Nitrogen, PoolsStayNonNegativeOverYearsOfGrowth) {
  Tree t;
  t.Init();
  bool sawUptake = false;
  for (int year = 0; year < 3; ++year) {
    t.Year(nullptr, 365, [&](int) {
      const NitroState& n = t.n;
      for (int i = 1; i <= kfol; ++i) {
        ASSERT_GE(n.rNfol[i], 0) << i;
        ASSERT_TRUE(std::isfinite(n.rleafN[i])) << i;
      }
      for (int i = 1; i <= kshoot; ++i) ASSERT_GE(n.rNshoot[i], 0) << i;
      for (int i = 1; i <= kroot; ++i) ASSERT_GE(n.rNroot[i], 0) << i;
      for (double v : {n.Nres, n.Nfruit, n.Nframe, n.Nshwood, n.Nrowood, n.Nuptk, n.soilN}) {
        ASSERT_GE(v, 0);
        ASSERT_TRUE(std::isfinite(v));
      }
      for (double v : {n.leafN, n.shootN, n.fruitN, n.rootN, n.frameN}) {
        ASSERT_TRUE(std::isfinite(v));
      }
      ASSERT_GE(n.Nsdveg, 0);
      ASSERT_LE(n.Nsdveg, 1);
      sawUptake = sawUptake || n.Nuptk > 0;
    });
    // A poor soil and an empty reserve in the second year: uptake can never take the soil
    // below 0.
    if (year == 0) {
      t.n.soilN = 0.01;
      t.n.Nres = 0;
    }
  }
  EXPECT_TRUE(sawUptake);
  EXPECT_GT(t.n.leafN, 0);
  EXPECT_GT(VectorN(t.n, t.p), 0);
}

TEST(Nitrogen, ReserveOnlyReceivesWhatTheOrgansLose) {
  Tree t;
  t.Init();
  // N in every leaf, shoot and root class; no demand, no inflow, no fruit.
  Fill(t.n.rNfol, kfol, 0.01f);
  Fill(t.n.rNshoot, kshoot, 0.05f);
  Fill(t.n.rNroot, kroot, 0.05f);
  t.n.Nsdveg = 1;
  t.n.Nsdfru = 1;
  t.n.Ndshoot = t.n.Ndroot = t.n.Ndfru = t.n.Ndframe = 0;
  t.n.Nfruit = 0;
  t.n.dNleaf.fill(0);
  for (int day = 0; day < 30; ++day) {
    const double vecBefore = VectorN(t.n, t.p);
    const double resBefore = t.n.Nres, woodBefore = t.n.Nshwood + t.n.Nrowood;
    NGrowthDay d;
    d.iter = 10;
    d.lmassin = 0;
    d.shedprop = 1;
    N_GROWTH(t.n, t.p, t.in, false, d);
    const double lost = vecBefore - VectorN(t.n, t.p);
    const double gained = (t.n.Nres - resBefore) + (t.n.Nshwood + t.n.Nrowood - woodBefore);
    EXPECT_GT(t.n.Nres, resBefore) << "day " << day;
    EXPECT_LE(gained, lost) << "day " << day;
  }
}

TEST(Nitrogen, ExportClassesStayInsideTheLeafVector) {
  Tree t;
  t.in.delfol = 200;  // round(300 / 2) = 150 exporting classes
  t.Init();
  Fill(t.n.rleafN, kfol, 7.0f);
  const AgeVec rleafN = t.n.rleafN;
  NGrowthDay d;
  d.iter = 3;
  N_GROWTH(t.n, t.p, t.in, false, d);
  EXPECT_TRUE(t.n.rleafN == rleafN);
  for (int i = 1; i <= kfol; ++i) EXPECT_FLOAT_EQ(t.n.perL[i], 0.007f) << i;
}

TEST(Nitrogen, DayWithoutWholeDegreeDaysDoesNotAgeTheVectors) {
  Tree t;
  t.Init();
  Fill(t.n.rNshoot, kshoot, 0.05f);
  t.n.Ndfru = 2;
  t.n.Ndframe = 1;
  t.n.Nsdveg = 0.5;
  const NitroState before = t.n;
  NGrowthDay d;
  d.iter = 0;
  d.lmassin = 1;
  d.shedprop = 0.5f;
  N_GROWTH(t.n, t.p, t.in, false, d);
  EXPECT_TRUE(t.n.rNshoot == before.rNshoot);
  EXPECT_TRUE(t.n.rNfol == before.rNfol);
  EXPECT_NEAR(t.n.Nfruit, 0.5 * 2 * 1, 1e-12);  // Ndfru * Nsdfru, then half shed
  EXPECT_NEAR(t.n.Nframe, before.Nframe + 0.5, 1e-9);
}

TEST(Nitrogen, RatiosServeFruitFirstOnlyInBloom) {
  NitroState n;
  SeasonState season;
  n.Nuptk = 1;
  n.Ndveg = 3;
  n.Ndfru = 1;
  n.Ndtot = 4;
  N_RATIOS(n, season);
  EXPECT_EQ(n.Nsdveg, 0.25);
  EXPECT_EQ(n.Nsdfru, n.Nsdveg);
  EXPECT_EQ(n.Nsdtot, 0.25);
  EXPECT_EQ(n.Nres, 0);

  n = NitroState{};
  n.Nuptk = 1;
  n.Ndveg = 3;
  n.Ndfru = 1;
  n.Ndtot = 4;
  season.blooming = true;
  N_RATIOS(n, season);
  EXPECT_EQ(n.Nsdfru, 1);
  EXPECT_EQ(n.Nsdveg, 0);

  // No demand: ratios 1, everything drawn returns to the reserve.
  n = NitroState{};
  n.Nres = 3;
  N_RATIOS(n, season);
  EXPECT_EQ(n.Nsdtot, 1);
  EXPECT_EQ(n.Nsdfru, 1);
  EXPECT_EQ(n.Nsdveg, 1);
  EXPECT_NEAR(n.Nres, 3, 1e-12);
}

TEST(Nitrogen, UptakeOnlyForWhatTheReserveCannotCover) {
  PlantState p;
  p.rootlive = 2500;
  Inputs in;
  in.rootmax = 5000;
  NitroState n;
  n.soilN = 10;
  n.Ndtot = 1;
  n.Nres = 10;  // a third of it covers the demand
  N_SUPPLY(n, p, in);
  EXPECT_EQ(n.Nuptk, 0);

  n.Nres = 0;
  n.Ndtot = 4;
  N_SUPPLY(n, p, in);
  EXPECT_NEAR(n.Nuptk, 4 * (1 - std::exp(-0.5 * 10 / 4.0)), 1e-6);
  n.soilN = 0.5;
  N_SUPPLY(n, p, in);
  EXPECT_LE(n.Nuptk, 0.5 * 0.5);  // never more than the roots can reach
}

TEST(SOILNITRO, NeverBelowZero) {
  Inputs in;
  in.m2PerPlant = 30;
  NitroState n;
  SeasonState season;
  n.soilN = 0.1;
  n.Nuptk = 5;
  SOILNITRO(n, in, season, 10);
  EXPECT_EQ(n.soilN, 0);

  // Net input of 4/365 per m2 a day; mineralisation of organic matter after bud burst.
  n.soilN = 10;
  n.Nuptk = 0;
  n.OM = 1000;
  SOILNITRO(n, in, season, 10);
  EXPECT_NEAR(n.soilN, 10 + 4.0 / 365 * 30, 1e-9);
  season.budburst = true;
  SOILNITRO(n, in, season, 11);
  EXPECT_NEAR(n.soilN, 10 + 8.0 / 365 * 30 + 1000 * 0.05 * 0.04 * 0.005, 1e-9);
}

TEST(Nitrogen, WithoutTheOptionNothingChanges) {
  Tree t;
  t.in.nitro = false;
  t.Init();
  t.Year();
  EXPECT_TRUE(t.n == NitroState{});
  EXPECT_EQ(t.n.leafN, 4);
}

}  // namespace
}  // namespace olive
