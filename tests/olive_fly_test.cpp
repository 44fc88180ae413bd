#include "pests/olive_fly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {
namespace {

struct NullSink : ErrorSink {
  void Report(std::string_view) override {}
};

// A fly on a tree whose fruit the test sets by hand. Fruit delay 2500 plant degree-days and rapid
// growth 600, so preference begins at class round(100 * 950 / 2500) = 38 and is full from 69 on.
struct FlyWorld {
  NullSink log;
  Inputs in;
  PlantState plant;
  FlyState fly;
  std::vector<TempPair> temps = std::vector<TempPair>(4000, TempPair{27.0f, 17.0f});
  DayWeather today;
  int32_t day = 0;

  FlyWorld() {
    in.OliveFlyInRun = true;
    in.delfru = 2500.0f;
    in.RapidFruGrow = 600.0;
    in.HarvEfficiency = 0.8;
    in.OliveFlyBase = 9.0f;
    plant.delkfru = static_cast<double>(in.delfru) / kfru;
    OliveFlySetup(log, fly, in);
    OliveFlyInit(fly, plant);
  }
  double Sound() const { return Sum(plant.FruNumArray, 1, kfru) * plant.delkfru; }
  double Attacked() const { return Sum(plant.FruNumAttacked, 1, kfru) * plant.delkfru; }
  // n sound fruit in every class lo..hi, each of 0.004 mass units.
  void SoundFruit(int32_t lo, int32_t hi, double n) {
    for (int32_t j = lo; j <= hi; ++j) {
      plant.FruNumArray[j] = static_cast<float>(n / plant.delkfru);
      plant.FruMassArray[j] = 0.004f * plant.FruNumArray[j];
    }
    plant.fruNum = Sound() + Attacked();
  }
  // One day of the fly with the weather (tmax, tmin) and the plant's degree-days.
  void Step(float tmax = 27.0f, float tmin = 17.0f, float PlantDD = 12.0f, bool harvest = false,
            float spraylevel = 0.0f) {
    ++day;
    temps[day] = {tmax, tmin};
    today.tmax = tmax;
    today.tmin = tmin;
    today.tmean = (tmax + tmin) / 2.0f;
    const FlyDay fd{temps.data(), static_cast<uint16_t>(day), &today, PlantDD, harvest};
    OliveFlyModel(fly, in, plant, fd, spraylevel);
  }
  double Adults() const { return Sum(fly.OliveFlyAdultArray, 1, 40) * fly.delkOliveFlyAdult; }
  double Dormant() const { return Sum(fly.OliveFlyDormantAdults, 1, 40) * fly.DormantDel / 40.0; }
  double Pupae() const { return Sum(fly.OliveFlypupArray, 1, 40) * fly.delkOliveFlyPup; }
};

TEST(OliveFlySetup, LifeTablePreferencesAndFecundity) {
  FlyWorld w;
  EXPECT_FLOAT_EQ(w.fly.delkOliveFlyLarv, 3.995f);
  EXPECT_FLOAT_EQ(w.fly.delkOliveFlyAdult, 14.375f);
  EXPECT_NEAR(w.Pupae(), 4000.0, 0.05);
  EXPECT_NEAR(w.Adults(), 4000.0, 0.05);
  EXPECT_EQ(w.Dormant(), 0.0);
  EXPECT_DOUBLE_EQ(w.fly.OflysdAvg, 0.05);

  EXPECT_EQ(w.fly.kPref1, 38);
  EXPECT_EQ(w.fly.kPrefmid, 69);
  for (int32_t j = 1; j <= 38; ++j) EXPECT_EQ(w.fly.vOliveFlyPrefs[j], 0.0f) << j;
  for (int32_t j = 39; j < 69; ++j) {
    EXPECT_GT(w.fly.vOliveFlyPrefs[j], w.fly.vOliveFlyPrefs[j - 1]) << j;
    EXPECT_LT(w.fly.vOliveFlyPrefs[j], 1.0f) << j;
  }
  for (int32_t j = 69; j <= kfru; ++j) EXPECT_EQ(w.fly.vOliveFlyPrefs[j], 1.0f) << j;

  // Only ovipositing substages lay; the rate peaks near 69.5 degree-days at about 17 eggs.
  float best = 0.0f;
  for (int32_t i = 1; i <= 5; ++i) EXPECT_EQ(w.fly.OliveFlyOvipRate[i], 0.0f);
  for (int32_t i = 6; i <= 40; ++i) best = std::max(best, w.fly.OliveFlyOvipRate[i]);
  EXPECT_NEAR(best, 17.0f, 0.1f);
}

// Rapid growth far longer than the fruit delay: no fruit class is old enough to be preferred.
TEST(OliveFlySetup, PreferenceAgePastTheOldestFruitClass) {
  NullSink log;
  Inputs in;
  in.OliveFlyInRun = true;
  in.delfru = 1.0f;
  in.RapidFruGrow = 1e8;
  FlyState fly;
  OliveFlySetup(log, fly, in);
  EXPECT_EQ(fly.kPref1, kfru + 1);
  EXPECT_EQ(fly.kPrefmid, kfru + 1);
  for (int32_t j = 1; j <= kfru; ++j) EXPECT_EQ(fly.vOliveFlyPrefs[j], 0.0f) << j;
}

TEST(OliveFlySetup, HelpersMatchTheirParabolas) {
  EXPECT_EQ(PrefsHost(38, 38, 100), 0.0f);
  EXPECT_EQ(PrefsHost(100, 38, 100), 0.0f);
  EXPECT_EQ(PrefsHost(69, 38, 100), 1.0f);
  EXPECT_EQ(PrefsHost(5, 5, 5), 0.0f);
  for (float t = 10.0f; t <= 38.0f; t += 0.37f) {
    EXPECT_EQ(olivefly::FFTemperature(t, 15.0f, 33.0f), FFTemperature(t, 15.0f, 33.0f)) << t;
  }
  EXPECT_EQ(olivefly::FFTemperature(15.0f, 15.0f, 33.0f), 0.0f);
  EXPECT_EQ(olivefly::FFTemperature(33.0f, 15.0f, 33.0f), 0.0f);
  EXPECT_EQ(olivefly::FFTemperature(24.0f, 15.0f, 33.0f), 1.0f);
}

TEST(OliveFlyMortality, HotFreezingMildAndSprayedDays) {
  FlyWorld w;
  w.fly.OliveFly2dArray[3][80] = 2.0f;
  w.fly.OliveFlyDormantAdults[7] = 1.0f;
  const FlyState before = w.fly;
  auto check = [&](float tmax, float tmin, float spray, double larv, double adult) {
    w.fly = before;
    OliveFlyMortality(w.fly, DayWeather{tmax, tmin, (tmax + tmin) / 2, 0, 0, 0, 0}, false, 0.8,
                      spray);
    const float immatureSurv = w.fly.LarvTempsurvival;
    const float adultSurv = w.fly.AdltTempsurvival * w.fly.SprayLx;
    EXPECT_NEAR(immatureSurv, larv, 1e-5) << tmax << " " << tmin;
    EXPECT_NEAR(adultSurv, adult, 1e-5) << tmax << " " << tmin << " " << spray;
    EXPECT_EQ(w.fly.OliveFly2dArray[3][80], 2.0f * immatureSurv);
    EXPECT_EQ(w.fly.OliveFlypupArray[9], before.OliveFlypupArray[9] * immatureSurv);
    EXPECT_EQ(w.fly.OliveFlyAdultArray[9], before.OliveFlyAdultArray[9] * adultSurv);
    EXPECT_EQ(w.fly.OliveFlyDormantAdults[7], adultSurv);
  };
  check(28.01f, 15.0f, 0.0f, 0.93259, 0.87517);  // heat
  check(5.0f, -5.0f, 0.0f, 0.94240, 0.89333);    // frost
  check(28.0f, 0.0f, 0.0f, 1.0, 1.0);            // both limits exactly: no mortality
  check(25.0f, 10.0f, 0.3f, 1.0, 0.7);           // sprays reach only adults
  check(25.0f, 10.0f, 1.5f, 1.0, 0.0);
}

TEST(OliveFlyMortality, HarvestTakesImmaturesWithTheFruitInsteadOfWeather) {
  FlyWorld w;
  for (int32_t i = 1; i <= 40; ++i) w.fly.OliveFly2dArray[i][90] = 1.0f;
  const float pupa = w.fly.OliveFlypupArray[1];
  OliveFlyMortality(w.fly, DayWeather{35.0f, 20.0f, 27.5f, 0, 0, 0, 0}, true, 0.8, 0.0f);
  for (int32_t i = 1; i <= 40; ++i) EXPECT_NEAR(w.fly.OliveFly2dArray[i][90], 0.2f, 1e-6);
  EXPECT_NEAR(w.fly.OliveFlypupArray[1], pupa * w.fly.LarvTempsurvival, 1e-6);
  EXPECT_LT(w.fly.LarvTempsurvival, 0.94f);
}

// The matrix step must give exactly what one DelayNoPlr per row (along fruit age), then one per
// column (along immature age), each through a work copy, gives; also when the young fruit classes
// hold no immatures (which the step skips) or none do.
TEST(OliveFlyImmatures, MatrixStepEqualsOneDelayPerRowAndColumn) {
  struct Case {
    float PlantDD, dda;
    int32_t firstFilled;  // youngest fruit class given immatures
  };
  for (const Case& c : {Case{13.7f, 17.3f, 1}, Case{0.0f, 9.0f, 1}, Case{31.0f, 0.0f, 1},
                        Case{6.0f, 61.0f, 1}, Case{12.5f, 1.9975f, 1}, Case{14.0f, 15.0f, 2},
                        Case{14.0f, 15.0f, 40}, Case{14.0f, 15.0f, 100}, Case{14.0f, 15.0f, 101}}) {
    const float PlantDD = c.PlantDD, dda = c.dda;
    FlyWorld w;
    uint32_t s = 12345u;
    for (int32_t i = 1; i <= 40; ++i) {
      for (int32_t j = c.firstFilled; j <= kfru; ++j) {
        s = s * 134775813u + 1u;
        w.fly.OliveFly2dArray[i][j] = static_cast<float>(s >> 8) / 65536.0f;
      }
    }
    OliveFlyMatrix ref = w.fly.OliveFly2dArray;
    float Larvout = 0.0f, Vout = 0.0f;
    for (int32_t i = 1; i <= 40; ++i) {
      AgeVec work = ref[i];
      DelayNoPlr(0.0f, Vout, work, w.in.delfru, PlantDD, kfru);
      Larvout = static_cast<float>(0.0f + w.plant.delkfru * Vout);
      ref[i] = work;
    }
    for (int32_t j = 1; j <= kfru; ++j) {
      AgeVec work{};
      for (int32_t i = 1; i <= 40; ++i) work[i] = ref[i][j];
      DelayNoPlr(0.0f, Vout, work, w.fly.delOliveFlyLarv, dda, 40);
      Larvout = Larvout + Vout * w.fly.delkOliveFlyLarv;
      for (int32_t i = 1; i <= 40; ++i) ref[i][j] = work[i];
    }
    w.fly.OliveFlydda = dda;
    OliveFlyAgeImmatures(w.fly, w.in.delfru, PlantDD, w.plant.delkfru);
    EXPECT_EQ(w.fly.Larvout, Larvout) << PlantDD << " " << dda << " " << c.firstFilled;
    for (int32_t i = 1; i <= 40; ++i) {
      for (int32_t j = 1; j <= kfru; ++j) {
        ASSERT_EQ(w.fly.OliveFly2dArray[i][j], ref[i][j]) << i << " " << j;
      }
    }
  }
}

TEST(OliveFlyAttacks, NoAttacksWhileNoFruitClassIsPreferred) {
  FlyWorld young;  // fruit only in classes too young to be preferred
  young.SoundFruit(1, 38, 50.0);
  for (int32_t d = 0; d < 30; ++d) {
    young.Step();
    ASSERT_EQ(young.fly.OliveFlyAtks, 0.0f);
    ASSERT_EQ(young.fly.OliveFlySD, 0.0f);
  }
  EXPECT_EQ(young.Attacked(), 0.0);
  EXPECT_EQ(young.fly.OliveFlySumdamfruNum, 0.0f);
  EXPECT_EQ(young.fly.OflysdAvg, 0.0);

  FlyWorld never;  // preference would begin beyond the oldest class: nothing is ever preferred
  never.in.RapidFruGrow = 3000.0;
  OliveFlySetup(never.log, never.fly, never.in);
  OliveFlyInit(never.fly, never.plant);
  EXPECT_GT(never.fly.kPref1, kfru);
  never.SoundFruit(1, kfru, 50.0);
  for (int32_t d = 0; d < 30; ++d) never.Step();
  EXPECT_EQ(never.fly.OliveFlySumdamfruNum, 0.0f);
  EXPECT_EQ(never.fly.OliveFlyegg + never.fly.OliveFlylarv, 0.0f);

  FlyWorld cool;  // preferred fruit, but a day at 15 deg C mean: no demand
  cool.SoundFruit(60, kfru, 50.0);
  cool.Step(20.0f, 10.0f);
  EXPECT_EQ(cool.fly.Oflydemand, 0.0f);
  EXPECT_EQ(cool.fly.OliveFlyAtks, 0.0f);
  EXPECT_GT(cool.fly.OliveFlyHosts, 0.0f);
}

TEST(OliveFlyAttacks, EggsAndDamageOnlyInPreferredClasses) {
  FlyWorld w;
  w.SoundFruit(1, kfru, 40.0);
  for (int32_t d = 0; d < 12; ++d) w.Step();
  EXPECT_GT(w.fly.OliveFlyegg, 0.0f);
  EXPECT_GT(w.fly.OliveFlySumdamfruNum, 0.0f);
  for (int32_t j = 1; j <= w.fly.kPref1; ++j) {
    EXPECT_EQ(w.plant.FruNumAttacked[j], 0.0f) << j;
    for (int32_t i = 1; i <= 40; ++i) ASSERT_EQ(w.fly.OliveFly2dArray[i][j], 0.0f) << i << " " << j;
  }
}

// Regression: the sound fruit moved into the attacked classes equal the attacks that fell on sound
// fruit, OliveFlyAtks * U / T, not OliveFlyAtks * (U / T)^2.
TEST(OliveFlyAttacks, FruitMovedEqualsAttacksOnSoundFruit) {
  FlyWorld w;
  w.SoundFruit(30, kfru, 20.0);
  for (int32_t j = 60; j <= kfru; ++j) {
    w.plant.FruNumAttacked[j] = static_cast<float>(10.0 / w.plant.delkfru);
    w.plant.FruMassAttacked[j] = 0.004f * w.plant.FruNumAttacked[j];
  }
  w.plant.fruNum = w.Sound() + w.Attacked();
  double preferredMass = 0.0;
  for (int32_t j = 1; j <= kfru; ++j) {
    preferredMass += w.fly.vOliveFlyPrefs[j] * w.plant.FruMassArray[j] * w.plant.delkfru;
  }
  const double sound = w.Sound(), attacked = w.Attacked();
  const double mass = Sum(w.plant.FruMassArray, 1, kfru) * w.plant.delkfru;
  w.Step();

  const double U = w.fly.UndamagedFruitAvail, T = w.fly.TotalFruitAvail;
  const double atks = w.fly.OliveFlyAtks;
  ASSERT_GT(atks, 1.0);
  ASSERT_LT(U / T, 0.8);
  const double moved = sound - w.Sound();
  EXPECT_NEAR(moved, atks * U / T, 1e-4 * moved);
  EXPECT_NEAR(w.Attacked() - attacked, moved, 1e-4 * moved);
  EXPECT_NEAR(w.fly.OliveFlySumdamfruNum, moved, 1e-4 * moved);
  const double massMoved = mass - Sum(w.plant.FruMassArray, 1, kfru) * w.plant.delkfru;
  EXPECT_NEAR(massMoved, w.fly.Fracattacked * preferredMass, 1e-4 * massMoved);
  EXPECT_NEAR(w.fly.OliveFlySumdamfruMass, massMoved, 1e-4 * massMoved);
  EXPECT_NEAR(w.fly.OliveFlydpc, 100.0 * atks / (w.plant.fruNum + atks), 1e-4);
}

// Regression: a remnant of fruit so small that demand / hosts overflows a float made the attacks
// inf * 0 = NaN, which then spread through the fruit and the fly.
TEST(OliveFlyAttacks, ARemnantOfFruitGivesFiniteAttacksBelowTheHosts) {
  FlyWorld w;
  w.SoundFruit(60, kfru, 40.0);
  for (int32_t d = 0; d < 12; ++d) w.Step();  // adults with a demand
  for (int32_t j = 1; j <= kfru; ++j) {
    w.plant.FruNumArray[j] = 1e-42f;
    w.plant.FruNumAttacked[j] = 0.0f;
  }
  OliveFlyAttacks(w.fly, w.plant, 24.0f);
  ASSERT_GT(w.fly.Oflydemand, 1e-7f);
  ASSERT_GT(w.fly.TotalFruitAvail, 0.0f);
  EXPECT_TRUE(std::isfinite(w.fly.OliveFlyAtks));
  EXPECT_GE(w.fly.OliveFlyAtks, 0.0f);
  EXPECT_LE(w.fly.OliveFlyAtks, w.fly.TotalFruitAvail);
}

TEST(OliveFlyAttacks, DormancyExchangeConservesAdultsAndReadsOnlyThreeRingSlots) {
  FlyWorld w;  // no fruit: every call enters a ratio of 0
  for (int32_t i = 1; i <= 40; ++i) w.fly.OliveFlyDormantAdults[i] = 0.3f * i;
  w.fly.OflySdarray[1] = 0.2;
  w.fly.OflySdarray[2] = 0.6;
  w.fly.OflySdarray[3] = 1.0;
  w.fly.OflysdK = 3;
  // Writes go to slots 4, 5, 1, 2, 3: the two first leave the mean alone.
  const double expected[] = {0.6, 0.6, 1.6 / 3, 1.0 / 3, 0.0};
  for (const double s : expected) {
    const double total = w.Adults() + w.Dormant();
    OliveFlyAttacks(w.fly, w.plant, 24.0f);
    EXPECT_NEAR(w.fly.OflysdAvg, s, 1e-7);
    EXPECT_NEAR(w.Adults() + w.Dormant(), total, 1e-5 * total);
  }
  EXPECT_EQ(w.Adults(), 0.0);  // s = 0: every active adult turned dormant

  // s = 1 (read as 3 * 0.33333333): no adult turns dormant and every dormant adult returns, up to
  // the 1e-8 that the factor 0.33333333 leaves behind.
  for (int32_t k = 1; k <= 5; ++k) w.fly.OflySdarray[k] = 1.0;
  w.fly.OflysdK = 3;  // the next write goes to slot 4, which is not read
  const double total = w.Dormant();
  OliveFlyAttacks(w.fly, w.plant, 24.0f);
  EXPECT_NEAR(w.Dormant(), 0.0, 1e-7 * total);
  EXPECT_NEAR(w.Adults(), total, 1e-5 * total);
}

TEST(OliveFlyModel, ImmigrationAddsExactlyBakimAdults) {
  FlyWorld a, b;
  a.SoundFruit(50, kfru, 30.0);
  b.SoundFruit(50, kfru, 30.0);
  b.in.OliveFlyBakim = 25.0f;
  a.Step();
  b.Step();
  EXPECT_NEAR(b.fly.OliveFlyAdults - a.fly.OliveFlyAdults, 25.0, 2e-3);
  EXPECT_EQ(b.fly.OFlyDormantAdults, a.fly.OFlyDormantAdults);
}

TEST(OliveFlyModel, AdultsDriftIntoDormancyWithoutFruitAndReturnWithIt) {
  FlyWorld w;
  w.in.OliveFlyBakim = 5.0f;
  for (int32_t d = 0; d < 25; ++d) w.Step();
  EXPECT_EQ(w.fly.OflysdAvg, 0.0);
  const double dormant = w.fly.OFlyDormantAdults, adults = w.fly.OliveFlyAdults;
  EXPECT_GT(dormant, 2000.0);
  EXPECT_LT(adults, 0.05 * dormant);  // only the day's emerging and immigrating adults

  w.SoundFruit(70, kfru, 5000.0 / 31.0);
  double leastDormant = dormant, mostAdults = adults;
  for (int32_t d = 0; d < 10; ++d) {
    w.Step();
    leastDormant = std::min<double>(leastDormant, w.fly.OFlyDormantAdults);
    mostAdults = std::max<double>(mostAdults, w.fly.OliveFlyAdults);
  }
  EXPECT_GT(w.fly.OliveFlySumdamfruNum, 0.0f);
  EXPECT_LT(leastDormant, 0.75 * dormant);
  EXPECT_GT(mostAdults, 100.0 * adults);
}

// Five years on a tree whose fruit set, grow, age, fall when attacked and are harvested, under
// weather with frost in winter and heat in summer: every stage stays finite and non-negative.
TEST(OliveFlyModel, LongSeasonalRunStaysFiniteAndNonNegative) {
  FlyWorld w;
  w.in.OliveFlyBakim = 2.0f;
  w.plant.FruNumArray.fill(0.0f);
  w.plant.FruMassArray.fill(0.0f);
  bool sawEggs = false, sawDamage = false;
  auto finite = [](float v) { return std::isfinite(v) && v >= 0.0f; };
  for (int32_t d = 1; d <= 5 * 365; ++d) {
    const int32_t jday = (d - 1) % 365 + 1;
    const float mean = 15.0f + 10.0f * static_cast<float>(std::sin(6.2832 * (jday - 110) / 365.0));
    const float PlantDD = std::max(0.0f, mean - 9.1f);
    const bool harvest = jday == 320;
    // The tree: fruit set around bloom, fruit ageing, attacked fruit ageing and falling.
    float out = 0.0f;
    const float set = (jday >= 150 && jday < 165) ? 400.0f : 0.0f;
    DelayNoPlr(set, out, w.plant.FruNumArray, w.in.delfru, PlantDD, kfru);
    DelayNoPlr(0.01f * set, out, w.plant.FruMassArray, w.in.delfru, PlantDD, kfru);
    DelayNoPlr(0.0f, out, w.plant.FruNumAttacked, w.in.delfru, PlantDD, kfru);
    DelayNoPlr(0.0f, out, w.plant.FruMassAttacked, w.in.delfru, PlantDD, kfru);
    for (int32_t j = 1; j <= kfru; ++j) {
      w.plant.FruMassArray[j] += 0.0002f * w.plant.FruNumArray[j] * PlantDD;
      const double age = w.plant.delkfru * (j - 1);
      if (age > 533.3 && age <= 800.0) w.plant.FruNumAttacked[j] *= 1.0f - 0.02f * PlantDD / 10;
      if (harvest) {
        w.plant.FruNumArray[j] *= 0.2f;
        w.plant.FruNumAttacked[j] *= 0.2f;
      }
    }
    w.plant.fruNum = w.Sound() + w.Attacked();
    w.Step(mean + 6.0f, mean - 6.0f, PlantDD, harvest, jday > 200 && jday < 210 ? 0.5f : 0.0f);

    sawEggs = sawEggs || w.fly.OliveFlyegg > 1.0f;
    sawDamage = sawDamage || w.fly.OliveFlyAtks > 1.0f;
    ASSERT_TRUE(finite(w.fly.OliveFlyegg) && finite(w.fly.OliveFlylarv) &&
                finite(w.fly.OliveFlypup) && finite(w.fly.OliveFlyAdults) &&
                finite(w.fly.OFlyDormantAdults) && finite(w.fly.OliveFlyAtks))
        << "day " << d;
    ASSERT_TRUE(std::isfinite(w.fly.OflysdAvg) && w.fly.OflysdAvg >= 0.0) << "day " << d;
    for (int32_t j = 1; j <= kfru; ++j) {
      ASSERT_TRUE(finite(w.plant.FruNumArray[j]) && finite(w.plant.FruNumAttacked[j]) &&
                  finite(w.plant.FruMassArray[j]) && finite(w.plant.FruMassAttacked[j]))
          << "day " << d << " class " << j;
      for (int32_t i = 1; i <= 40; ++i) ASSERT_TRUE(finite(w.fly.OliveFly2dArray[i][j]));
    }
    for (int32_t i = 1; i <= 40; ++i) {
      ASSERT_TRUE(finite(w.fly.OliveFlypupArray[i]) && finite(w.fly.OliveFlyAdultArray[i]) &&
                  finite(w.fly.OliveFlyDormantAdults[i]))
          << "day " << d << " substage " << i;
    }
  }
  EXPECT_TRUE(sawEggs);
  EXPECT_TRUE(sawDamage);
  EXPECT_GT(w.fly.OliveFlypupSum, 0.0);
}

TEST(OliveFlyState, FreezeResetAndHarvestSnapshot) {
  FlyWorld w;
  w.SoundFruit(50, kfru, 30.0);
  for (int32_t d = 0; d < 20; ++d) w.Step();
  ASSERT_GT(w.fly.OliveFlyEggDays, 0.0);
  OliveFlySaveHarvestValues(w.fly);
  EXPECT_EQ(w.fly.OliveFlyEggSave, w.fly.OliveFlyEggDays);
  EXPECT_EQ(w.fly.OliveFlyAdultsSave, w.fly.OliveFlyAdultDays);

  FlyState reset = w.fly;
  OliveFlyResetSums(reset);
  EXPECT_EQ(reset.OliveFlyEggDays + reset.OliveFlylarvDays + reset.OliveFlypupDays +
                reset.OliveFlyAdultDays + reset.OliveFlypupSum,
            0.0);
  EXPECT_EQ(reset.OliveFlySumdamfruNum + reset.OliveFlySumdamfruMass, 0.0f);

  OliveFlyFreeze(w.fly);
  EXPECT_EQ(w.Pupae() + w.Adults(), 0.0);
  for (int32_t i = 1; i <= 40; ++i) EXPECT_EQ(Sum(w.fly.OliveFly2dArray[i], 1, kfru), 0.0f);
  EXPECT_EQ(w.fly.OliveFlyegg + w.fly.OliveFlylarv + w.fly.OliveFlypup + w.fly.OliveFlyAdults +
                w.fly.OFlyDormantAdults,
            0.0f);
  EXPECT_EQ(w.fly.OliveFlyEggDays + w.fly.OliveFlyAdultDays + w.fly.OflysdAvg, 0.0);
}

}  // namespace
}  // namespace olive
