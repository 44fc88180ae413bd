// The coccinellid: activation on prey biomass, immigration, feeding on the pooled prey, the
// reserve, the three-day starvation ring, growth and reproduction.
#include "pests/coccinellid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scale_complex_fixture.h"

namespace olive {
namespace {

using testing_scale::ConstantWeather;
using testing_scale::NullSink;
using testing_scale::ScaleWorld;

// A beetle population of `adults` adults and `larvae` larvae with today's degree-days.
CoccState Beetles(double adults, double larvae, float dd) {
  NullSink log;
  CoccState c;
  Coccsetup(log, c);
  for (int i = c.j4 + 2; i <= c.kCocc; ++i) {
    c.Coccnm[i] = static_cast<float>(adults / ((c.kCocc - c.j4 - 1) * c.Coccdelk));
    c.Coccwt[i] = c.Coccnm[i];
  }
  for (int i = c.j2 + 1; i <= c.j3 - 1; ++i) {
    c.Coccnm[i] = static_cast<float>(larvae / ((c.j3 - c.j2 - 1) * c.Coccdelk));
    c.Coccwt[i] = 0.1f * c.Coccnm[i];
  }
  CoccCount(c);
  CoccResetSums(c);
  c.Coccdelt = dd;
  return c;
}

// Total prey biomass of the world.
double PreyBiomass(const ScaleWorld& w) {
  return w.olivescale.TotWgt + w.oleanderscale.TotWgt + w.oliveparas.second.Wgt[1] +
         w.oliveparas.first.Wgt[1] + w.oleanderparas.first.Wgt[1] + w.oleanderparas.second.Wgt[1];
}

// ---------------------------------------------------------------- set-up and activation

TEST(CoccActivation, WaitsForTheScalesAndThenStaysActive) {
  ScaleWorld w(ConstantWeather(10, 24));
  w.in.CoccPreyLevel = 5;
  w.olivescale.TotWgt = 2;
  w.oleanderscale.TotWgt = 3;  // 5: not above the level
  const uint32_t seed = w.rng.s;
  Coccmod(w.cocc, w.in, w.Prey(), w.Day(2), 0);
  EXPECT_FALSE(w.cocc.goCocc);
  EXPECT_EQ(w.rng.s, seed);  // a dormant beetle draws no immigrants
  EXPECT_EQ(w.cocc.Coccadnm, 0.0);

  w.oleanderscale.TotWgt = 3.5f;
  Coccmod(w.cocc, w.in, w.Prey(), w.Day(3), 0);
  EXPECT_TRUE(w.cocc.goCocc);
  EXPECT_GT(w.cocc.Coccadnm, 0.0);

  w.olivescale.TotWgt = 0;
  w.oleanderscale.TotWgt = 0;
  Coccmod(w.cocc, w.in, w.Prey(), w.Day(4), 0);
  EXPECT_TRUE(w.cocc.goCocc);
}

TEST(CoccActivation, ImmigrantsSpreadOverTheAdultSubstages) {
  NullSink log;
  CoccState c;
  Coccsetup(log, c);
  Inputs in;
  in.Coccins = 2;
  in.Coccinspcnt = 0;
  Rng rng;
  Coccimmigrate(c, in, rng);
  EXPECT_EQ(c.Coccnm[14], 0.0f);
  EXPECT_GT(c.Coccnm[15], 0.0f);
  double total = 0;
  for (int i = 1; i <= c.kCocc; ++i) total += c.Coccnm[i] * c.Coccdelk;
  EXPECT_NEAR(total, 2.0, 1e-5);
  EXPECT_NEAR(c.Coccwt[20] / c.Coccnm[20], 0.98, 1e-6);
}

// ---------------------------------------------------------------- feeding

TEST(CoccFeeding, PreyLoseWhatTheBeetleEats) {
  ScaleWorld w(ConstantWeather(5, 24));
  w.olivescale.TotWgt = 30;
  w.oleanderscale.TotWgt = 10;
  w.oliveparas.second.Wgt[1] = 2;
  w.oleanderparas.first.Wgt[1] = 1;
  CoccState c = Beetles(20, 10, 10);
  Coccdem(c);
  Coccsup(c, w.Prey());

  const double eaten = c.Coccegest / c.betaCocc;  // gross food of the day
  ASSERT_GT(eaten, 0.5);
  const double lost = w.olivescale.TotWgt * (1 - w.olivescale.Cocclx) +
                      w.oleanderscale.TotWgt * (1 - w.oleanderscale.Cocclx) +
                      w.oliveparas.second.Wgt[1] * (1 - w.oliveparas.second.lx1) +
                      w.oleanderparas.first.Wgt[1] * (1 - w.oleanderparas.first.lx1);
  EXPECT_NEAR(lost, eaten, 1e-9 * eaten);
  // One search of the pooled prey: every prey loses the same share.
  EXPECT_EQ(w.olivescale.Cocclx, w.oleanderscale.Cocclx);
  EXPECT_EQ(w.olivescale.Cocclx, w.oliveparas.first.lx1);
  EXPECT_EQ(w.olivescale.Cocclx, w.oleanderparas.second.lx1);
  EXPECT_NEAR(w.olivescale.Cocclx, 1 - eaten / PreyBiomass(w), 1e-12);
}

TEST(CoccFeeding, TheScaleLosesItsShareOfBiomassTheNextDay) {
  // The olive scale applies the beetle's share in its own mortality: its biomass falls by what
  // the beetle ate of it.
  ScaleWorld w(ConstantWeather(5, 24));
  ScaleParams p = OliveScaleParams(w.in);
  p.Ins = 4000;
  ScaleImmig(w.olivescale, p, w.rng);
  for (int i = 1; i <= w.olivescale.k; ++i) {
    w.olivescale.WgtArray[i] = 0.05f * w.olivescale.NumArray[i];
  }
  // Only embryos younger than 60 degree-days are exposed; leave out the older ones.
  for (int i = 1; i <= w.olivescale.kEm; ++i) {
    if (w.olivescale.vEmb[i] <= 0) w.olivescale.EmbWgtArray[i] = 0;
  }
  ScaleCount(w.olivescale);
  const double before = w.olivescale.TotWgt;
  ASSERT_GT(before, 1.0);

  CoccState c = Beetles(20, 10, 10);
  Coccdem(c);
  Coccsup(c, w.Prey());
  const double eaten = c.Coccegest / c.betaCocc;

  w.olivescale.sdtot = 1;
  w.olivescale.Ddb = 0;
  ScaleMort(w.olivescale, kOliveScaleTraits, 0);
  ScaleCount(w.olivescale);
  EXPECT_NEAR(before - w.olivescale.TotWgt, eaten, 1e-4 * eaten);
}

TEST(CoccFeeding, PreySurvivalsStayInZeroOneAndAreOneWithoutBeetles) {
  for (double prey : {0.0, 1e-8, 0.01, 1.0, 100.0, 1e5}) {
    for (double beetles : {0.0, 0.5, 50.0, 5000.0}) {
      ScaleWorld w(ConstantWeather(5, 24));
      w.olivescale.TotWgt = static_cast<float>(prey);
      w.oleanderparas.second.Wgt[1] = static_cast<float>(prey / 10);
      CoccState c = Beetles(beetles, beetles / 2, 12);
      Coccdem(c);
      Coccsup(c, w.Prey());
      for (double lx :
           {w.olivescale.Cocclx, w.oleanderscale.Cocclx, w.oliveparas.first.lx1,
            w.oliveparas.second.lx1, w.oleanderparas.first.lx1, w.oleanderparas.second.lx1}) {
        EXPECT_GE(lx, 0.0) << prey << " " << beetles;
        EXPECT_LE(lx, 1.0) << prey << " " << beetles;
      }
      if (beetles == 0) {
        EXPECT_LE(c.bCocc, 1e-5);
        EXPECT_EQ(w.olivescale.Cocclx, 1.0);
      }
      EXPECT_GE(c.Coccreserve, 0.0);
    }
  }
}

TEST(CoccFeeding, AFoodDeficitDrawsTheReserveDownButNeverBelowZero) {
  CoccState c = Beetles(50, 0, 15);
  c.Coccreserve = 0.3;
  ScaleWorld w(ConstantWeather(5, 24));  // no prey at all
  Coccdem(c);
  ASSERT_GT(c.dmrespCocc, 0.3);
  Coccsup(c, w.Prey());
  EXPECT_EQ(c.food, 0.0);
  EXPECT_EQ(c.Coccreserve, 0.0);

  CoccState d = Beetles(1, 0, 15);
  d.Coccreserve = 10;
  Coccdem(d);
  Coccsup(d, w.Prey());
  EXPECT_NEAR(d.Coccreserve, 10 - d.dmrespCocc, 1e-12);
}

// ---------------------------------------------------------------- ratios and mortality

TEST(CoccRatios, NoGrowthDemandGivesRatioOne) {
  CoccState c = Beetles(10, 0, 10);  // adults only: no larvae, no embryos
  Coccdem(c);
  EXPECT_EQ(c.dmgro, 0.0);
  c.food = 0;
  Coccratios(c);
  EXPECT_EQ(c.sdv, 1.0);
  EXPECT_EQ(c.sde, 1.0);
}

TEST(CoccRatios, AResidueOfGrowthDemandGivesRatioOne) {
  // What is left of an emptied larval stage is no demand: the beetle does not starve on it.
  CoccState c = Beetles(10, 0, 10);
  c.dmgro = 1e-45;
  c.dmres = 1.5e-46;
  c.food = 0;
  Coccratios(c);
  EXPECT_EQ(c.sdv, 1.0);
  EXPECT_EQ(c.sde, 1.0);
}

TEST(CoccMortality, StarvationBuildsUpOverTheThreeDayRing) {
  CoccState c = Beetles(30, 30, 10);
  const float adults = c.Coccnm[40];
  c.sdv = 0;
  Coccmort(c, 0);
  // One day of famine: the ring holds 0, 1, 1, so a third of the exposed stages die.
  EXPECT_NEAR(c.Coccnm[40], adults * 2.0 / 3, 1e-5 * adults);
  Coccmort(c, 0);
  Coccmort(c, 0);
  EXPECT_EQ(c.Coccnm[40], 0.0f);       // three days: nothing left
  EXPECT_EQ(c.Coccnm[c.kCocc], 0.0f);  // also where the window entry rounds above 1
  // Eggs are not exposed to starvation.
  CoccState e = Beetles(0, 0, 10);
  e.Coccnm[1] = 5;
  e.sdv = 0;
  Coccmort(e, 0);
  EXPECT_EQ(e.Coccnm[1], 5.0f);
  Coccmort(e, 0.5f);
  EXPECT_EQ(e.Coccnm[1], 2.5f);
}

// ---------------------------------------------------------------- growth and counts

TEST(CoccGrowth, FedFemalesStartEmbryosThatBecomeEggs) {
  CoccState c = Beetles(40, 0, 12);
  c.sde = c.sdv = 1;
  const double bn = 1.0 * c.rateem * c.Coccadnm * 0.55 * 12;
  Coccgrow(c);
  CoccCount(c);
  EXPECT_NEAR(c.Coccemnm, bn, 1e-4 * bn);  // a day's embryos are all still inside
  EXPECT_NEAR(c.bornCocc, c.rateem * 12.0, 1e-5);
  for (int day = 0; day < 30; ++day) {
    Coccgrow(c);
    CoccCount(c);
  }
  EXPECT_GT(c.Coccegnm, 0.0);  // laid
  EXPECT_GT(c.CoccEgnmSum, 0.0);
  CoccFreeze(c);
  EXPECT_EQ(c.Coccegnm, 0.0);
  EXPECT_EQ(c.CoccEgnmSum, 0.0);
  EXPECT_EQ(c.Coccnm[30], 0.0f);
}

TEST(CoccDay, AWeekOfFeedingKeepsTheBeetleAndPreyConsistent) {
  ScaleWorld w(ConstantWeather(20, 26));
  w.in.OliveScaleImmigProb = 0;
  w.in.OleanderScaleImmigProb = 0;
  ScaleParams p = OliveScaleParams(w.in);
  p.Ins = 20000;
  ScaleImmig(w.olivescale, p, w.rng);
  ScaleCount(w.olivescale);
  w.in.CoccPreyLevel = 0;
  for (int d = 2; d <= 8; ++d) {
    w.plant.PhotoSynthate = 1;
    w.plant.reserveTot = 1;
    w.Step(static_cast<uint16_t>(d), 0);
    EXPECT_GE(w.cocc.Coccreserve, 0.0);
    EXPECT_GE(w.olivescale.Cocclx, 0.0);
    EXPECT_LE(w.olivescale.Cocclx, 1.0);
  }
  EXPECT_TRUE(w.cocc.goCocc);
  EXPECT_LT(w.olivescale.Cocclx, 1.0);
  EXPECT_GT(w.cocc.CoccAdnmSum, 0.0);
}

}  // namespace
}  // namespace olive
