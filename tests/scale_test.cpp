// The armoured scales: temperature index, immigration, feeding on the tree, starvation, the
// differences between the olive and the oleander scale, and a long run of the whole complex.
#include "pests/scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "scale_complex_fixture.h"

namespace olive {
namespace {

using testing_scale::ConstantWeather;
using testing_scale::NullSink;
using testing_scale::ScaleWorld;
using testing_scale::SeasonalWeather;

// An olive scale with `crawlers` immigrant crawlers and effective degree-days DT.
ScaleState ScaleWithCrawlers(const ScaleTraits& traits, float crawlers, float DT) {
  NullSink log;
  ScaleState s;
  ScaleSetup(log, s, traits);
  ScaleParams p;
  p.Ins = crawlers;
  p.Inspcnt = 0;
  Rng rng;
  ScaleImmig(s, p, rng);
  ScaleCount(s);
  s.Delt = DT;
  return s;
}

// ---------------------------------------------------------------- temperature

TEST(ScaleTemperature, IndexIsOneNearSixteenAndAHalfDegreeDaysAndZeroFromTwentyOne) {
  EXPECT_NEAR(ScaleTemperatureIndex(16.5f), 1.0, 1e-3);
  EXPECT_EQ(ScaleTemperatureIndex(21.0f), 0.0);
  EXPECT_EQ(ScaleTemperatureIndex(25.0f), 0.0);
  EXPECT_EQ(ScaleTemperatureIndex(0.0f), 0.0);
  EXPECT_EQ(ScaleTemperatureIndex(-4.0f), 0.0);
  EXPECT_NEAR(ScaleTemperatureIndex(0.001f), 0.12, 0.005);
  double highest = 0;
  for (float dd = 0; dd <= 21; dd += 0.05f) highest = std::max(highest, ScaleTemperatureIndex(dd));
  EXPECT_LE(highest, 1.0 + 1e-6);
  EXPECT_GT(highest, 0.999);
}

TEST(ScaleTemperature, TheIndexNotTheRawDegreeDaysDrivesTheDay) {
  // 27.5 deg C all day: 16.5 degree-days above 11, index about 1, effective degree-days 21.
  ScaleWorld mild(ConstantWeather(5, 27.5f));
  mild.in.OliveScaleImmigProb = 0;
  mild.plant.PhotoSynthate = 10;
  OliveScaleMod(mild.olivescale, mild.in, mild.plant, mild.Day(2), 0, 0);
  EXPECT_NEAR(mild.olivescale.Index, 1.0, 1e-3);
  EXPECT_NEAR(mild.olivescale.Delt, 21.0, 0.05);

  // 33 deg C: 22 degree-days, index 0: no development, no growth, no births.
  ScaleWorld hot(ConstantWeather(5, 33.0f));
  hot.in.OliveScaleImmigProb = 0;
  hot.plant.PhotoSynthate = 10;
  const AgeVec weights = hot.olivescale.WgtArray;
  OliveScaleMod(hot.olivescale, hot.in, hot.plant, hot.Day(2), 0, 0);
  EXPECT_EQ(hot.olivescale.Index, 0.0);
  EXPECT_EQ(hot.olivescale.Delt, 0.0f);
  EXPECT_NEAR(hot.olivescale.EmbNumTot, 0.01 * 25 * 4, 1e-6);  // embryos neither born nor aged
  for (int i = 1; i <= hot.olivescale.k; ++i) EXPECT_LE(hot.olivescale.WgtArray[i], weights[i]);
}

// ---------------------------------------------------------------- immigration

TEST(ScaleImmigration, ZeroSpreadAddsExactlyTheImmigrantsToTheCrawlerSubstage) {
  for (const ScaleTraits* traits : {&kOliveScaleTraits, &kOleanderScaleTraits}) {
    NullSink log;
    ScaleState s;
    ScaleSetup(log, s, *traits);
    s.lxParas[4] = 0.3;  // an event resets the parasitism survivals for the day
    const AgeVec before = s.NumArray;
    ScaleParams p;
    p.Ins = 150;
    p.Inspcnt = 0;
    Rng rng;
    rng.s = 99;
    ScaleImmig(s, p, rng);

    ASSERT_EQ(s.kCrawl, 3) << traits->name;
    EXPECT_NEAR((s.NumArray[3] - before[3]) * s.Delk, 150.0, 150.0 * 1e-6) << traits->name;
    for (int i = 1; i <= s.k; ++i) {
      if (i != 3) {
        EXPECT_EQ(s.NumArray[i], before[i]) << traits->name << " substage " << i;
      }
    }
    // The substage takes the immigrants' mass and reserve per head.
    EXPECT_FLOAT_EQ(s.WgtArray[3], 0.004f * s.NumArray[3]);
    EXPECT_FLOAT_EQ(s.ReserveArray[3], 0.0004f * s.NumArray[3]);
    for (int st = 1; st <= 6; ++st) EXPECT_EQ(s.lxParas[st], 1.0);
    EXPECT_TRUE(s.Go);
    EXPECT_FALSE(s.Fin);
    // Substage 3 lies in the crawler window (80..160 degree-days straddles substages 2 and 3).
    EXPECT_GT(s.n[2], 0.5 * 150);
  }
}

// ---------------------------------------------------------------- feeding

TEST(ScaleFood, FreshPhotosynthateFeedsTheScaleWhenItMeetsTheDemand) {
  ScaleState s = ScaleWithCrawlers(kOliveScaleTraits, 10000, 21);
  ScaleParams p = OliveScaleParams(Inputs{});
  ScaleDemand(s, p, 0);
  ASSERT_GT(s.dmtot, 1.0f);

  PlantState plant;
  plant.PhotoSynthate = 10;
  plant.reserveTot = 30;
  ScaleSupply(s, plant);
  EXPECT_GT(s.food, 0.95f * s.dmtot);
  EXPECT_EQ(plant.reserveTot, 30.0);
  // The scale's mass unit is a thousandth of the tree's.
  EXPECT_NEAR(10 - plant.PhotoSynthate, s.food / 1000.0, 1e-9);
}

TEST(ScaleFood, ReservesMakeUpWhatFreshPhotosynthateCannotAndTheBooksBalance) {
  ScaleState s = ScaleWithCrawlers(kOliveScaleTraits, 10000, 21);
  ScaleDemand(s, OliveScaleParams(Inputs{}), 0);
  ASSERT_GT(s.dmtot, 1.0f);

  PlantState plant;
  plant.PhotoSynthate = 1e-6;
  plant.reserveTot = 30;
  const double before = plant.PhotoSynthate + plant.reserveTot;
  ScaleSupply(s, plant);
  EXPECT_GT(s.food, 0.0f);
  EXPECT_LT(plant.reserveTot, 30.0);
  EXPECT_GE(plant.PhotoSynthate, 0.0);
  EXPECT_NEAR(before - (plant.PhotoSynthate + plant.reserveTot), s.food / 1000.0, 1e-9);
}

TEST(ScaleFood, TheTreeNeverGivesMoreThanItHas) {
  for (double ps : {0.0, 1e-5, 1e-3, 0.01}) {
    for (double res : {0.0, 1e-4, 0.005}) {
      ScaleState s = ScaleWithCrawlers(kOliveScaleTraits, 50000, 21);
      ScaleDemand(s, OliveScaleParams(Inputs{}), 0);
      PlantState plant;
      plant.PhotoSynthate = ps;
      plant.reserveTot = res;
      ScaleSupply(s, plant);
      EXPECT_GE(plant.PhotoSynthate, 0.0) << ps << " " << res;
      EXPECT_GE(plant.reserveTot, 0.0) << ps << " " << res;
      EXPECT_NEAR(ps + res - (plant.PhotoSynthate + plant.reserveTot), s.food / 1000.0,
                  1e-6 * s.food / 1000.0 + 1e-15);
    }
  }
}

TEST(ScaleFood, NoSugarsAndNoReservesGiveZeroSurvivalThatDay) {
  for (const ScaleTraits* traits : {&kOliveScaleTraits, &kOleanderScaleTraits}) {
    NullSink log;
    ScaleState s;
    ScaleSetup(log, s, *traits);
    ScaleParams p;
    p.traits = traits;
    p.Ins = 500;
    Rng rng;
    ScaleImmig(s, p, rng);
    ScaleCount(s);
    for (int i = 1; i <= s.kEm; ++i) s.EmbNumArray[i] = 1;
    s.Delt = 14;
    s.Ddb = 0;

    PlantState plant;  // no sugars, no reserves
    ScaleDemand(s, p, 0);
    ASSERT_GT(s.dmtot, 1e-5f);
    ScaleSupply(s, plant);
    ScaleCosts(s, p);
    Scalesdr(s);
    EXPECT_EQ(s.sdtot, 0.0) << traits->name;
    ScaleMort(s, *traits, 0);

    for (int i = 1; i <= s.k; ++i) {
      EXPECT_EQ(s.NumArray[i], 0.0f) << traits->name << " " << i;
      EXPECT_EQ(s.WgtArray[i], 0.0f) << traits->name << " " << i;
    }
    // Embryos in the exposed window die with their mothers' hunger; older ones are not exposed.
    for (int i = 1; i <= s.kEm; ++i) {
      EXPECT_EQ(s.EmbNumArray[i], s.vEmb[i] > 0 ? 0.0f : 1.0f) << traits->name << " " << i;
    }
    EXPECT_EQ(plant.PhotoSynthate, 0.0);
    EXPECT_EQ(plant.reserveTot, 0.0);

    // Without embryos to be born, the day ends with the population extinct.
    ScaleState t;
    ScaleSetup(log, t, *traits);
    ScaleImmig(t, p, rng);
    t.EmbNumArray.fill(0);
    t.EmbWgtArray.fill(0);
    ScaleCount(t);
    Weather wx = testing_scale::ConstantWeather(3, 25);
    DayWeather today;
    ScaleMod(t, p, plant, ScaleDay{wx, today, rng, 2}, 0, 0);
    EXPECT_EQ(t.TotWgt, 0.0f) << traits->name;
    EXPECT_TRUE(t.Fin) << traits->name;
  }
}

TEST(ScaleFood, WithoutTheParasitoidEdTheGrowthDemandHasNoParasitoidTerm) {
  ScaleState s = ScaleWithCrawlers(kOliveScaleTraits, 10000, 21);
  ScaleParams p = OliveScaleParams(Inputs{});
  p.ed = false;
  ScaleDemand(s, p, 500);
  const float without = s.dmgrow;
  ScaleDemand(s, p, 0);
  EXPECT_EQ(s.dmgrow, without);
  p.ed = true;
  ScaleDemand(s, p, 500);
  EXPECT_GT(s.dmgrow, without);
}

TEST(ScaleFood, ABetaOfOneAsksForNothingInsteadOfDividingByZero) {
  ScaleState s = ScaleWithCrawlers(kOliveScaleTraits, 1000, 21);
  ScaleParams p;
  p.beta = 1;
  ScaleDemand(s, p, 0);
  EXPECT_EQ(s.dmtot, 0.0f);
  ScaleState empty;
  NullSink log;
  OleanderScaleSetup(log, empty);
  ScaleDemand(empty, p, 0);
  EXPECT_EQ(empty.dmtot, 0.0f);
}

// ---------------------------------------------------------------- the two species

TEST(ScaleTwins, ShareTheLifeTableAndStartDifferently) {
  NullSink log;
  ScaleState o, l;
  OliveScaleSetup(log, o);
  OleanderScaleSetup(log, l);
  EXPECT_EQ(o.age, l.age);
  EXPECT_EQ(o.base, l.base);
  EXPECT_EQ(o.k, l.k);
  EXPECT_EQ(o.Delk, l.Delk);
  EXPECT_NEAR(o.Delk, 63.84, 1e-12);
  EXPECT_EQ(o.kEm, l.kEm);
  EXPECT_EQ(o.kCrawl, l.kCrawl);
  for (int st = 1; st <= 6; ++st) EXPECT_EQ(o.vStage[st], l.vStage[st]);
  EXPECT_EQ(o.vGrow, l.vGrow);
  EXPECT_EQ(o.vTotadlts, l.vTotadlts);
  EXPECT_EQ(o.vEmb, l.vEmb);
  for (int i = 1; i <= o.k; ++i) {
    EXPECT_EQ(o.NumArray[i], 0.01f);
    EXPECT_EQ(o.EmbWgtArray[i], 0.01f);
    EXPECT_EQ(l.NumArray[i], 0.0f);
    EXPECT_EQ(l.EmbWgtArray[i], 0.0f);
  }
  EXPECT_EQ(o.NumArray[o.k + 1], 0.0f);
  EXPECT_EQ(log.reports, 0);
}

// Two scales in the same state, one run with each species' traits.
struct TwinPair {
  ScaleState olive, oleander;
  TwinPair() {
    NullSink log;
    OliveScaleSetup(log, olive);
    for (int i = 1; i <= olive.k; ++i) olive.NumArray[i] = 5.0f + i;
    for (int i = 1; i <= olive.kEm; ++i) olive.EmbNumArray[i] = 2.0f;
    olive.sdtot = 0.8;
    olive.sdemb = 1;
    olive.sdgrow = 1;
    oleander = olive;
  }
};

TEST(ScaleTwins, MortalityDiffersOnlyInTheEmbryosColdSurvival) {
  TwinPair t;
  t.olive.Ddb = 10;  // 10 degree-days below the base: tempmort 0.1
  t.oleander.Ddb = 10;
  ScaleMort(t.olive, kOliveScaleTraits, 0.25f);
  ScaleMort(t.oleander, kOleanderScaleTraits, 0.25f);
  EXPECT_EQ(t.olive.NumArray, t.oleander.NumArray);
  EXPECT_EQ(t.olive.WgtArray, t.oleander.WgtArray);
  EXPECT_NEAR(t.olive.EmbNumArray[1], 2.0 * 0.75 * 0.8 * std::pow(0.9, 1.0 / 25), 1e-5);
  EXPECT_NEAR(t.oleander.EmbNumArray[1], 2.0 * 0.75 * 0.8 * std::pow(0.9, 8.0 / 25), 1e-5);

  // No cold: the two agree everywhere.
  TwinPair warm;
  ScaleMort(warm.olive, kOliveScaleTraits, 0.25f);
  ScaleMort(warm.oleander, kOleanderScaleTraits, 0.25f);
  EXPECT_EQ(warm.olive.NumArray, warm.oleander.NumArray);
  EXPECT_EQ(warm.olive.EmbNumArray, warm.oleander.EmbNumArray);
}

// Embryos started in one step from empty embryo delays.
double NewEmbryos(ScaleState s, const ScaleTraits& traits, float DT) {
  s.EmbNumArray.fill(0);
  s.EmbWgtArray.fill(0);
  s.Delt = DT;
  ScaleNewEmbryos(s, traits);
  return s.EmbNumTot;
}

TEST(ScaleTwins, BirthsFollowEachSpeciesTemperatureScalarAndFormula) {
  TwinPair t;
  // Olive: Delk * 0.5 * bn1 * ff15 * DT; oleander: Delk * bn1 * ff10.
  auto ff = [](double DT, double opt, double spread) {
    return std::max(1 - ((DT - opt) * spread) * ((DT - opt) * spread), 0.0);
  };
  for (float DT : {5.0f, 10.0f, 15.0f}) {
    const double olive = NewEmbryos(t.olive, kOliveScaleTraits, DT);
    const double oleander = NewEmbryos(t.olive, kOleanderScaleTraits, DT);
    ASSERT_GT(oleander, 0.0);
    const double expected = 0.5 * ff(DT, 15, 0.06666667) * DT / ff(DT, 10, 0.1);
    EXPECT_NEAR(olive / oleander, expected, 1e-4 * expected) << DT;
  }
  // 20 effective degree-days: the oleander scale's scalar is 0, the olive scale's is not.
  EXPECT_EQ(NewEmbryos(t.olive, kOleanderScaleTraits, 20), 0.0);
  EXPECT_GT(NewEmbryos(t.olive, kOliveScaleTraits, 20), 0.0);
}

TEST(ScaleTwins, GrowthDemandAndCountsAreTheSameModel) {
  TwinPair t;
  t.olive.Delt = t.oleander.Delt = 12;
  ScaleGrowth(t.olive);
  ScaleGrowth(t.oleander);
  ScaleCount(t.olive);
  ScaleCount(t.oleander);
  ScaleDemand(t.olive, OliveScaleParams(Inputs{}), 0);
  ScaleDemand(t.oleander, OleanderScaleParams(Inputs{}), 0);
  EXPECT_EQ(t.olive.WgtArray, t.oleander.WgtArray);
  EXPECT_EQ(t.olive.n, t.oleander.n);
  EXPECT_EQ(t.olive.TotWgt, t.oleander.TotWgt);
  EXPECT_EQ(t.olive.dmtot, t.oleander.dmtot);
}

// ---------------------------------------------------------------- counts and events

TEST(ScaleCounts, SizesAreMassOverNumberAndTheSumsAccumulate) {
  TwinPair t;
  for (int i = 1; i <= t.olive.k; ++i) t.olive.WgtArray[i] = 0.02f * t.olive.NumArray[i];
  ScaleCount(t.olive);
  EXPECT_EQ(t.olive.size[1], 0.0);
  for (int st = 2; st <= 6; ++st) EXPECT_NEAR(t.olive.size[st], 0.02, 1e-6) << st;
  ScaleCount(t.olive);
  EXPECT_NEAR(t.olive.nSum[1], 2 * t.olive.n[1], 1e-9);
  EXPECT_NEAR(t.olive.AdultsSum, 2 * t.olive.Adults, 1e-9);
  ScaleResetSums(t.olive);
  EXPECT_EQ(t.olive.nSum[1], 0.0);
  EXPECT_EQ(t.olive.AdultsSum, 0.0);
}

// ---------------------------------------------------------------- long run

std::string BadVector(const char* name, const AgeVec& v, int k) {
  for (int i = 1; i <= k; ++i) {
    if (!std::isfinite(v[i]) || v[i] < 0) return std::string(name) + "[" + std::to_string(i) + "]";
  }
  return {};
}

std::string BadValue(const char* name, double v) {
  return (!std::isfinite(v) || v < 0) ? std::string(name) : std::string();
}

std::string BadShare(const char* name, double v) {
  return (!std::isfinite(v) || v < 0 || v > 1) ? std::string(name) : std::string();
}

using Vectors = std::initializer_list<std::pair<const char*, const AgeVec*>>;
using Values = std::initializer_list<std::pair<const char*, double>>;

std::string FirstBad(const ScaleState& s) {
  for (const auto& [name, v] : Vectors{{"NumArray", &s.NumArray},
                                       {"WgtArray", &s.WgtArray},
                                       {"ReserveArray", &s.ReserveArray}}) {
    if (auto b = BadVector(name, *v, s.k); !b.empty()) return b;
  }
  if (auto b = BadVector("EmbNumArray", s.EmbNumArray, s.kEm); !b.empty()) return b;
  if (auto b = BadVector("EmbWgtArray", s.EmbWgtArray, s.kEm); !b.empty()) return b;
  for (int st = 1; st <= 6; ++st) {
    if (auto b = BadValue("n", s.n[st]); !b.empty()) return b;
    if (auto b = BadValue("size", s.size[st]); !b.empty()) return b;
    if (auto b = BadShare("lxParas", s.lxParas[st]); !b.empty()) return b;
  }
  for (const auto& [name, v] : Values{{"Adults", s.Adults},
                                      {"imm", double{s.imm}},
                                      {"EmbNumTot", s.EmbNumTot},
                                      {"TotWgt", double{s.TotWgt}},
                                      {"reserves", double{s.reserves}},
                                      {"dmtot", double{s.dmtot}},
                                      {"Delt", double{s.Delt}},
                                      {"AdultsSum", s.AdultsSum}}) {
    if (auto b = BadValue(name, v); !b.empty()) return b;
  }
  if (auto b = BadShare("sdtot", s.sdtot); !b.empty()) return b;
  return BadShare("Cocclx", s.Cocclx);
}

std::string FirstBad(const ParaSpeciesState& s) {
  for (const auto& [name, v] :
       Vectors{{"Frn", &s.Frn}, {"UnmatedFrn", &s.UnmatedFrn}, {"Mrn", &s.Mrn}}) {
    if (auto b = BadVector(name, *v, s.K); !b.empty()) return b;
  }
  for (int st = 1; st <= 3; ++st) {
    if (auto b = BadValue("Num", s.Num[st]); !b.empty()) return b;
    if (auto b = BadValue("Wgt", s.Wgt[st]); !b.empty()) return b;
  }
  for (int st = 1; st <= 6; ++st) {
    if (auto b = BadShare("lxScale", s.lxScale[st]); !b.empty()) return b;
  }
  for (const auto& [name, v] : Values{{"Femad", s.Femad},
                                      {"UnmatedFemad", s.UnmatedFemad},
                                      {"Males", s.Males},
                                      {"Bt", s.Bt},
                                      {"ER", s.ER},
                                      {"Wgted", s.Wgted},
                                      {"natkd", s.natkd},
                                      {"Eggs", s.Eggs},
                                      {"Femin", double{s.Femin}},
                                      {"Malin", double{s.Malin}},
                                      {"Sexratio", s.Sexratio}}) {
    if (auto b = BadValue(name, v); !b.empty()) return b;
  }
  for (const auto& [name, v] :
       Values{{"Adlsd", s.Adlsd}, {"Avgsd", s.Avgsd}, {"adlhf", s.adlhf}, {"lx1", s.lx1}}) {
    if (auto b = BadShare(name, v); !b.empty()) return b;
  }
  return {};
}

std::string FirstBad(const CoccState& c) {
  for (const auto& [name, v] : Vectors{{"Coccnm", &c.Coccnm},
                                       {"Coccwt", &c.Coccwt},
                                       {"CoccembNum", &c.CoccembNum},
                                       {"Coccembwgt", &c.Coccembwgt}}) {
    if (auto b = BadVector(name, *v, c.kCocc); !b.empty()) return b;
  }
  for (const auto& [name, v] : Values{{"Coccreserve", c.Coccreserve},
                                      {"food", c.food},
                                      {"bCocc", c.bCocc},
                                      {"Coccegnm", c.Coccegnm},
                                      {"Cocclarn", c.Cocclarn},
                                      {"Coccpupnm", c.Coccpupnm},
                                      {"Coccadnm", c.Coccadnm},
                                      {"Coccadwt", c.Coccadwt},
                                      {"Coccemnm", c.Coccemnm},
                                      {"Cocctotwt", c.Cocctotwt},
                                      {"bornCocc", c.bornCocc}}) {
    if (auto b = BadValue(name, v); !b.empty()) return b;
  }
  if (auto b = BadShare("sdv", c.sdv); !b.empty()) return b;
  return BadShare("sde", c.sde);
}

TEST(ScaleComplexLongRun, EveryVariableStaysFiniteAndNonNegative) {
  constexpr int kDays = 4 * 365;
  ScaleWorld w(SeasonalWeather(kDays));
  double mostOliveAdults = 0, mostOleanderAdults = 0, mostCocc = 0;
  double mostParas[4] = {0, 0, 0, 0};
  for (int d = 1; d <= kDays; ++d) {
    // The tree: fresh photosynthate every day, a reserve that refills slowly, and a week of
    // famine in the second summer.
    const bool famine = d >= 550 && d < 557;
    w.plant.PhotoSynthate = famine ? 0.0 : 0.2;
    w.plant.reserveTot = famine ? 0.0 : std::min(w.plant.reserveTot + 0.01, 2.0);
    // A spray every autumn, decaying over ten days.
    const int sinceSpray = (d - 280) % 365;
    const float spraylevel =
        (d >= 280 && sinceSpray < 10) ? static_cast<float>(0.9 * std::pow(0.7, sinceSpray)) : 0;

    w.Step(static_cast<uint16_t>(d), spraylevel);

    const std::string where = " on day " + std::to_string(d);
    ASSERT_EQ(FirstBad(w.olivescale), "") << "olive scale" << where;
    ASSERT_EQ(FirstBad(w.oleanderscale), "") << "oleander scale" << where;
    ASSERT_EQ(FirstBad(w.oliveparas.first), "") << "AMaculicornis" << where;
    ASSERT_EQ(FirstBad(w.oliveparas.second), "") << "Cutilis" << where;
    ASSERT_EQ(FirstBad(w.oleanderparas.first), "") << "Achilensis" << where;
    ASSERT_EQ(FirstBad(w.oleanderparas.second), "") << "ed" << where;
    ASSERT_EQ(FirstBad(w.cocc), "") << "coccinellid" << where;
    ASSERT_GE(w.plant.PhotoSynthate, 0.0) << where;
    ASSERT_GE(w.plant.reserveTot, 0.0) << where;

    mostOliveAdults = std::max(mostOliveAdults, w.olivescale.Adults);
    mostOleanderAdults = std::max(mostOleanderAdults, w.oleanderscale.Adults);
    mostCocc = std::max(mostCocc, w.cocc.Coccadnm);
    const ParaSpeciesState* paras[4] = {&w.oliveparas.first, &w.oliveparas.second,
                                        &w.oleanderparas.first, &w.oleanderparas.second};
    for (int i = 0; i < 4; ++i) mostParas[i] = std::max(mostParas[i], double{paras[i]->Num[3]});
  }
  // The run exercised every population.
  EXPECT_GT(mostOliveAdults, 1.0);
  EXPECT_GT(mostOleanderAdults, 1.0);
  EXPECT_TRUE(w.cocc.goCocc);
  EXPECT_GT(mostCocc, 0.1);
  for (double most : mostParas) EXPECT_GT(most, 0.1);
  EXPECT_EQ(w.log.reports, 0);
}

}  // namespace
}  // namespace olive
