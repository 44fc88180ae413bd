// The scale parasitoids: set-up, immigration, attacks on the scale stages, shared hosts, eggs,
// mating, adult supply/demand, and the differences between the two pairs.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "pests/scale_parasitoids.h"
#include "scale_complex_fixture.h"

namespace olive {
namespace {

using testing_scale::NullSink;

const ParasitoidPairTraits* const kPairs[] = {&kOliveScaleParaTraits, &kOleanderParaTraits};

ScaleParasitoidState SetUpPair(const ParasitoidPairTraits& t) {
  NullSink log;
  ScaleParasitoidState p;
  ScaleParasitoidSetup(log, p, t);
  EXPECT_EQ(log.reports, 0);
  return p;
}

// A host scale with numbers in every stage.
ScaleState HostScale() {
  ScaleState s;
  s.n = {0, 100, 80, 60, 40, 30, 20};
  return s;
}

// Adult females of the second species (mated ones for Cutilis) and of the first, on a day of
// 10 degree-days above their base (the attack rate's temperature optimum).
void AddAttackingFemales(ScaleParasitoidState& p, double second, double first) {
  p.second.Femad = second;
  p.second.Delt = 10;
  p.first.Femad = first;
  p.first.Delt = 10;
}

// Scale hosts attacked, summed over the stages, from a species' survivals.
double HostsAttacked(const std::array<double, 7>& lx, const std::array<double, 7>& N) {
  double sum = 0;
  for (int st = 1; st <= 6; ++st) sum += (1 - lx[st]) * N[st];
  return sum;
}

// ---------------------------------------------------------------- set-up and immigration

TEST(ParasitoidSetup, SurvivalsStartAtOneAndPopulationsEmpty) {
  for (const ParasitoidPairTraits* t : kPairs) {
    ScaleParasitoidState p = SetUpPair(*t);
    for (const ParaSpeciesState* s : {&p.first, &p.second}) {
      for (int st = 1; st <= 6; ++st) EXPECT_EQ(s->lxScale[st], 1.0) << t->name;
      for (int i = 1; i <= s->K; ++i) {
        EXPECT_EQ(s->Frn[i], 0.0f);
        EXPECT_EQ(s->Mrn[i], 0.0f);
      }
      for (int i = 1; i <= 7; ++i) EXPECT_EQ(s->Sd[i], 1.0f);
      EXPECT_EQ(s->Avgsd, 1.0);
    }
    EXPECT_FLOAT_EQ(p.first.Delk, 366.0f / 25);
  }
  ScaleParasitoidState olive = SetUpPair(kOliveScaleParaTraits);
  EXPECT_EQ(olive.second.K, 6);
  EXPECT_FLOAT_EQ(olive.second.Delk, 380.0f / 6);
  ScaleParasitoidState oleander = SetUpPair(kOleanderParaTraits);
  EXPECT_EQ(oleander.second.K, 25);
}

TEST(ParasitoidImmigration, ZeroSpreadAddsExactlyTheImmigrantsWhereTheTableSays) {
  Rng rng;
  ParaSpeciesParams params;
  params.Ins = 30;
  params.Inspcnt = 0;

  // AMaculicornis and Achilensis: the immigrants to females and to males at substage 13.
  for (const ParasitoidPairTraits* t : kPairs) {
    ScaleParasitoidState p = SetUpPair(*t);
    FirstSpeciesImmig(p.first, params, rng);
    EXPECT_FLOAT_EQ(p.first.Frn[13] * p.first.Delk, 30.0f) << t->name;
    EXPECT_FLOAT_EQ(p.first.Mrn[13] * p.first.Delk, 30.0f) << t->name;
  }

  // Cutilis: a third each to mated, unmated females and males at substage 3.
  ScaleParasitoidState olive = SetUpPair(kOliveScaleParaTraits);
  SecondSpeciesImmig(olive.second, kOliveScaleParaTraits, params, rng);
  for (const AgeVec* v : {&olive.second.Frn, &olive.second.UnmatedFrn, &olive.second.Mrn}) {
    EXPECT_FLOAT_EQ((*v)[3] * olive.second.Delk, 10.0f);
  }

  // ed: like the first species, to females and males at substage 13.
  ScaleParasitoidState oleander = SetUpPair(kOleanderParaTraits);
  SecondSpeciesImmig(oleander.second, kOleanderParaTraits, params, rng);
  EXPECT_FLOAT_EQ(oleander.second.Frn[13] * oleander.second.Delk, 30.0f);
  EXPECT_FLOAT_EQ(oleander.second.Mrn[13] * oleander.second.Delk, 30.0f);
  EXPECT_EQ(oleander.second.UnmatedFrn[13], 0.0f);
}

// ---------------------------------------------------------------- attacks

TEST(ParasitoidAttacks, HostsAttackedEqualAttacksMade) {
  for (const ParasitoidPairTraits* t : kPairs) {
    ScaleParasitoidState p = SetUpPair(*t);
    ScaleState host = HostScale();
    AddAttackingFemales(p, 3, 4);

    Survsd(p, *t, true, true, host.n);
    ASSERT_GT(p.second.natkd, 1.0) << t->name;
    EXPECT_NEAR(HostsAttacked(p.second.lxScale, host.n), p.second.natkd, 1e-9 * p.second.natkd)
        << t->name;

    survsl(p, *t, true, true, host.n);
    ASSERT_GT(p.first.natkd, 1.0) << t->name;
    EXPECT_NEAR(HostsAttacked(p.first.lxScale, host.n), p.first.natkd, 1e-9 * p.first.natkd)
        << t->name;
    // Eggs and crawlers are never attacked.
    EXPECT_EQ(p.first.lxScale[1], 1.0);
    EXPECT_EQ(p.second.lxScale[2], 1.0);
  }
}

TEST(ParasitoidAttacks, AttacksOnImmatureParasitoidsMakeUpTheRestOfThePool) {
  // With immature AMaculicornis in the pool, the Cutilis attacks on scales plus those on
  // immature parasitoids (weight 0.25 each) equal the attacks made.
  ScaleParasitoidState p = SetUpPair(kOliveScaleParaTraits);
  for (int i = 1; i <= 6; ++i) p.first.Frn[i] = 2;
  ScaleState host = HostScale();
  AddAttackingFemales(p, 5, 0);
  Survsd(p, kOliveScaleParaTraits, true, true, host.n);
  ASSERT_GT(p.first.ER, 0.0);
  const double onParasitoids = p.second.natkd * 0.25 * p.first.ER * p.first.Delk / p.second.Wgted;
  EXPECT_NEAR(HostsAttacked(p.second.lxScale, host.n) + onParasitoids, p.second.natkd,
              1e-9 * p.second.natkd);
}

TEST(ParasitoidAttacks, SurvivalOfAStageIsTheShareOfItsHostsNotAttacked) {
  // Few attacks on many hosts: each stage loses a small share, never a number of hosts.
  ScaleParasitoidState p = SetUpPair(kOliveScaleParaTraits);
  ScaleState host;
  host.n = {0, 0, 0, 1000, 1000, 1000, 1000};
  AddAttackingFemales(p, 0.5, 0.5);
  Survsd(p, kOliveScaleParaTraits, true, true, host.n);
  const double W = p.second.Wgted;
  for (int st = 3; st <= 6; ++st) {
    const double w = kOliveScaleParaTraits.second.w[st];
    EXPECT_NEAR(p.second.lxScale[st], 1 - p.second.natkd * w / W, 1e-12);
    EXPECT_GT(p.second.lxScale[st], 0.99);
  }
}

TEST(ParasitoidAttacks, ARemnantOfFemalesAttacksInProportionToItsNumber) {
  // Few females on many hosts attack in proportion to their number: a remnant of 1e-7 does
  // 1e-4 of what 1e-3 females do, and is not rounded down to no attacks at all.
  for (const ParasitoidPairTraits* t : kPairs) {
    std::array<double, 3> few{}, remnant{};
    for (double females : {1e-3, 1e-7}) {
      ScaleParasitoidState p = SetUpPair(*t);
      for (int i = 1; i <= p.second.K; ++i) p.second.UnmatedFrn[i] = 100;
      ScaleState host = HostScale();
      AddAttackingFemales(p, females, females);
      p.second.UnmatedFemad = females;
      Survsd(p, *t, true, true, host.n);
      survsl(p, *t, true, true, host.n);
      (females > 1e-5 ? few : remnant) = {p.first.natkd, p.second.natkd, p.NatkdCuImmToMales};
    }
    for (int s = 0; s < 3; ++s) {
      if (s == 2 && !t->mating) continue;
      ASSERT_GT(few[s], 0.0) << t->name << " " << s;
      EXPECT_NEAR(remnant[s] / few[s], 1e-4, 1e-7) << t->name << " " << s;
    }
  }
}

TEST(ParasitoidHosts, FewUnmatedFemalesAmongManyMalesMateInProportion) {
  // The share left unmated, e^-(unmated / males), is 1 - 1e-9 here: not rounded to 1.
  ScaleParasitoidState p = SetUpPair(kOliveScaleParaTraits);
  for (int i = 1; i <= 6; ++i) p.second.UnmatedFrn[i] = 4;
  p.second.UnmatedFemad = 1e-8;
  p.second.Males = 10;
  ScaleState host;
  Parova(p, kOliveScaleParaTraits, true, false, host);
  const AgeVec& adult = p.second.adultWindow;
  for (int i = 1; i <= 6; ++i) {
    if (adult[i] > 1e-5f) {
      EXPECT_NEAR(p.second.UnmatedFrn[i] / (4 * adult[i]), 1e-9, 1e-13) << i;
    }
  }
}

TEST(ParasitoidAttacks, EmptyStageKeepsTheScalesSurvival) {
  for (const ParasitoidPairTraits* t : kPairs) {
    ScaleParasitoidState p = SetUpPair(*t);
    ScaleState host = HostScale();
    host.n[4] = 0;
    host.lxParas[4] = 0.7;  // yesterday's value
    AddAttackingFemales(p, 3, 3);
    Survsd(p, *t, true, true, host.n);
    survsl(p, *t, true, true, host.n);
    EXPECT_EQ(p.second.lxScale[4], 1.0);
    EXPECT_EQ(p.first.lxScale[4], 1.0);
    Parova(p, *t, true, true, host);
    EXPECT_EQ(host.lxParas[4], 0.7) << t->name;
    EXPECT_LT(host.lxParas[5], 1.0) << t->name;
  }
}

TEST(ParasitoidAttacks, TooHotForTheSecondSpeciesLeavesYesterdaysSurvivals) {
  for (const ParasitoidPairTraits* t : kPairs) {
    ScaleParasitoidState p = SetUpPair(*t);
    ScaleState host = HostScale();
    AddAttackingFemales(p, 3, 3);
    p.second.lxScale[5] = 0.4;
    p.first.lxScale[5] = 0.4;
    p.second.Delt = 20;  // ff = 0, so Bt = 0
    p.first.Delt = 20;
    Survsd(p, *t, true, true, host.n);
    EXPECT_EQ(p.second.Bt, 0.0);
    EXPECT_EQ(p.second.lxScale[5], 0.4) << t->name;
    // The first species still updates (frac 0) while its degree-days are positive.
    survsl(p, *t, true, true, host.n);
    EXPECT_EQ(p.first.lxScale[5], 1.0) << t->name;
  }
}

TEST(ParasitoidAttacks, NoScaleHostsLeaveEveryScaleSurvivalAlone) {
  ScaleParasitoidState p = SetUpPair(kOliveScaleParaTraits);
  for (int i = 1; i <= 6; ++i) p.first.Frn[i] = 1;
  ScaleState host;  // no scales in any stage
  host.lxParas = {1, 0.9, 0.8, 0.7, 0.6, 0.5, 0.4};
  AddAttackingFemales(p, 2, 2);
  Survsd(p, kOliveScaleParaTraits, true, true, host.n);
  survsl(p, kOliveScaleParaTraits, true, true, host.n);
  EXPECT_GT(p.second.Wgted, 0.0);  // only immature parasitoids
  Parova(p, kOliveScaleParaTraits, true, true, host);
  EXPECT_EQ(host.lxParas, (std::array<double, 7>{1, 0.9, 0.8, 0.7, 0.6, 0.5, 0.4}));
}

// ---------------------------------------------------------------- shared hosts and eggs

TEST(ParasitoidHosts, AHostAttackedByBothYieldsTheSpeciesTheTableSays) {
  for (const ParasitoidPairTraits* t : kPairs) {
    ScaleParasitoidState p = SetUpPair(*t);
    ScaleState host;
    host.n = {0, 0, 0, 0, 100, 0, 0};
    host.Cocclx = 0.5;          // the beetle's share is the scale's own factor, not folded in here
    p.second.lxScale[4] = 0.6;  // 40 % attacked by the second species
    p.first.lxScale[4] = 0.5;   // 50 % by the first
    Parova(p, *t, true, true, host);
    if (t->sharedHostToFirst) {  // oleander: Achilensis wins
      EXPECT_NEAR(p.naFirst[4], 50, 1e-9);
      EXPECT_NEAR(p.naSecond[4], 20, 1e-9);
    } else {  // olive: Cutilis wins
      EXPECT_NEAR(p.naFirst[4], 30, 1e-9);
      EXPECT_NEAR(p.naSecond[4], 40, 1e-9);
    }
    EXPECT_NEAR(host.lxParas[4], 0.3, 1e-12) << t->name;
    EXPECT_NEAR(p.first.Femin, p.naFirst[4], 1e-4);
  }
}

TEST(ParasitoidHosts, CutilisDaughtersAreBornUnmatedAndSonsComeFromImmatureParasitoids) {
  ScaleParasitoidState p = SetUpPair(kOliveScaleParaTraits);
  ScaleState host;
  host.n = {0, 0, 0, 50, 50, 50, 50};
  p.second.lxScale = {1, 1, 1, 0.9, 0.8, 0.7, 0.6};
  p.NatkdCuImmToMales = 3;
  Parova(p, kOliveScaleParaTraits, true, false, host);
  EXPECT_NEAR(p.second.Femin, 5 + 10 + 15 + 20, 1e-4);
  EXPECT_FLOAT_EQ(p.second.Malin, 3);
  EXPECT_NEAR(p.second.Eggs, 53, 1e-4);
}

TEST(ParasitoidHosts, WithoutSexAllocationFactorsEveryEdEggIsMale) {
  ScaleParasitoidState p = SetUpPair(kOleanderParaTraits);
  ScaleState host;
  host.n = {0, 0, 0, 50, 50, 50, 50};
  p.second.lxScale = {1, 1, 1, 0.9, 0.8, 0.7, 0.6};
  Parova(p, kOleanderParaTraits, true, false, host);
  EXPECT_EQ(p.second.Femin, 0.0f);
  EXPECT_NEAR(p.second.Malin, 50, 1e-4);
  // With phi set, the stated shares of the hosts in stages 4..6 become daughters.
  p.phi = {0, 1, 1, 1, 1, 1, 1};
  Parova(p, kOleanderParaTraits, true, false, host);
  EXPECT_NEAR(p.second.Femin, 0.13 * 10 + 0.73 * 15 + 0.92 * 20, 1e-4);
  EXPECT_NEAR(p.second.Femin + p.second.Malin, 50, 1e-4);
}

TEST(ParasitoidHosts, WithoutMalesEveryAdultUnmatedFemaleMates) {
  ScaleParasitoidState p = SetUpPair(kOliveScaleParaTraits);
  for (int i = 1; i <= 6; ++i) p.second.UnmatedFrn[i] = 4;
  p.second.UnmatedFemad = 10;
  p.second.Males = 0;
  ScaleState host;
  Parova(p, kOliveScaleParaTraits, true, false, host);
  const AgeVec& adult = p.second.adultWindow;
  for (int i = 1; i <= 6; ++i) {
    if (adult[i] > 1e-5f) {
      EXPECT_EQ(p.second.UnmatedFrn[i], 0.0f) << i;
      EXPECT_FLOAT_EQ(p.second.Frn[i], 4 * adult[i]) << i;
    } else {
      EXPECT_EQ(p.second.UnmatedFrn[i], 4.0f) << i;
    }
  }
}

TEST(ParasitoidHosts, FemalesThatFindNoHostsStarve) {
  for (const ParasitoidPairTraits* t : kPairs) {
    ScaleParasitoidState p = SetUpPair(*t);
    ScaleState host;  // no hosts at all
    AddAttackingFemales(p, 5, 5);
    Survsd(p, *t, true, true, host.n);
    survsl(p, *t, true, true, host.n);
    Parova(p, *t, true, true, host);
    EXPECT_EQ(p.second.adlhf, 0.0) << t->name;
    EXPECT_EQ(p.first.adlhf, 0.0) << t->name;
    EXPECT_EQ(p.first.Sd[1], 0.0f);
    EXPECT_EQ(p.first.Avgsd, 0.5);  // with yesterday's 1: the next day's fecundity halves
  }
}

TEST(ParasitoidHosts, ARemnantOfFemalesThatLaysNoEggByRoundingDoesNotStarve) {
  for (const ParasitoidPairTraits* t : kPairs) {
    ScaleParasitoidState p = SetUpPair(*t);
    ScaleState host = HostScale();
    AddAttackingFemales(p, 1e-44, 1e-44);
    Survsd(p, *t, true, true, host.n);
    survsl(p, *t, true, true, host.n);
    Parova(p, *t, true, true, host);
    for (const ParaSpeciesState* s : {&p.first, &p.second}) {
      EXPECT_EQ(s->Eggs, 0.0) << t->name;
      EXPECT_EQ(s->Adlsd, 1.0) << t->name;
      EXPECT_EQ(s->adlhf, 1.0) << t->name;
      EXPECT_EQ(s->Avgsd, 1.0) << t->name;  // the next day's attack rate is not halved
    }
  }
}

// ---------------------------------------------------------------- populations

TEST(ParasitoidPopulation, EggsEnterTheDelaysAndAreCounted) {
  for (const ParasitoidPairTraits* t : kPairs) {
    ScaleParasitoidState p = SetUpPair(*t);
    ScaleState host;
    p.first.Femin = 40;
    p.second.Femin = 40;
    p.second.Malin = 20;
    p.first.Delt = p.second.Delt = 12;
    SecondSpeciesPopulation(p, *t, host, 0);
    FirstSpeciesPopulation(p, *t, true, 0);
    // The eggs of the day, scaled by 1 / (1 + 0.02 DT), are all still immatures.
    const double scale = 1 / (1 + 0.02 * 12);
    EXPECT_NEAR(p.second.Num[1], 60 * scale, 1e-4) << t->name;
    EXPECT_EQ(p.second.Num[2] + p.second.Num[3], 0.0f) << t->name;
    EXPECT_NEAR(p.first.Num[1], 40 * scale, 1e-4) << t->name;
    EXPECT_FLOAT_EQ(p.first.Wgt[1], 0.07f * p.first.Num[1]);
    EXPECT_NEAR(p.first.NumSum[1], p.first.Num[1], 1e-6);
    if (t->mating) {
      EXPECT_GT(p.second.UnmatedFNum[1], 0.0f);  // daughters start unmated
      EXPECT_EQ(p.second.MatedFNum[1], 0.0f);
    } else {
      EXPECT_GT(p.second.MatedFNum[1], 0.0f);  // ed's females
    }
  }
}

TEST(ParasitoidPopulation, CoccinellidShareKillsTheImmaturesItShould) {
  // Oleander pair: both species' immatures die with their host to the beetle.
  ScaleParasitoidState p = SetUpPair(kOleanderParaTraits);
  ScaleState host;
  for (int i = 1; i <= 4; ++i) {
    p.first.Frn[i] = p.first.Mrn[i] = 10;
    p.second.Frn[i] = p.second.Mrn[i] = 10;
  }
  p.first.lx1 = 0.5;
  p.second.lx1 = 0.5;
  SecondSpeciesPopulation(p, kOleanderParaTraits, host, 0);
  FirstSpeciesPopulation(p, kOleanderParaTraits, true, 0);
  EXPECT_LT(p.first.Num[1], 0.6 * 4 * 10 * 2 * p.first.Delk);
  EXPECT_LT(p.second.Num[1], 0.6 * 4 * 10 * 2 * p.second.Delk);

  // Olive pair: the beetle's share reaches Cutilis immatures only.
  ScaleParasitoidState q = SetUpPair(kOliveScaleParaTraits);
  q.first.Frn[2] = 10;
  q.first.lx1 = 0;
  FirstSpeciesPopulation(q, kOliveScaleParaTraits, false, 0);
  EXPECT_GT(q.first.Num[1], 0.0f);
}

// ---------------------------------------------------------------- the whole day

TEST(ParasitoidDay, ASpeciesSwitchedOffNeitherAttacksNorChangesItsSurvivals) {
  NullSink log;
  Inputs in = testing_scale::AllScalesInputs();
  in.Cutilis = false;
  in.AMaculicornisImmigProb = 1;
  Weather wx = testing_scale::ConstantWeather(3, 23.3f);
  DayWeather today;
  Rng rng;
  ScaleParasitoidState p;
  OliveScaleParaSetup(log, p);
  ScaleState host = HostScale();
  OliveScaleParas(p, in, host, ScaleDay{wx, today, rng, 2}, 0);
  for (int st = 1; st <= 6; ++st) EXPECT_EQ(p.second.lxScale[st], 1.0);
  EXPECT_EQ(p.second.Bt, 0.0);
  EXPECT_NEAR(p.first.Delt, 10.0f, 1e-5);
  EXPECT_GT(p.first.Num[3], 0.0f);  // immigrant adults
}

TEST(ParasitoidDay, APairNeedsItsHostScale) {
  Inputs in = testing_scale::AllScalesInputs();
  in.OliveScale = false;
  const ScaleParasitoidParams olive = OliveScaleParaParams(in);
  EXPECT_FALSE(olive.first.on);
  EXPECT_FALSE(olive.second.on);
  const ScaleParasitoidParams oleander = OleanderParaParams(in);
  EXPECT_TRUE(oleander.first.on);
  EXPECT_TRUE(oleander.second.on);
}

}  // namespace
}  // namespace olive
