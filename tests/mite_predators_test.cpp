#include "pests/mite_predators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "mite_test_inputs.h"
#include "pests/mites.h"
#include "toolkit/modutils.h"

namespace olive {
namespace {

struct RecordingSink : ErrorSink {
  std::vector<std::string> messages;
  void Report(std::string_view m) override { messages.emplace_back(m); }
};

// Spider mites and their predators on one tree, with a weather series the test writes.
struct MiteOrchard {
  RecordingSink log;
  Rng rng;
  Inputs in;
  Weather wx;
  DayWeather today;
  DriverState drv;
  PlantState plant;
  MiteState mites;
  PredState preds;

  explicit MiteOrchard(int days = 400, float temperature = 22) {
    testing::SetMiteInputs(in);
    in.PredIn = true;
    in.MiteWgtPredStart = 1e-3;
    in.Predins = 2;
    in.PredinsPcnt = 0;
    rng.s = 12345;
    wx.temps.assign(days + 1, TempPair{temperature, temperature});
    wx.LatitudeRadians = 0.6632f;
    today.tmean = temperature;
    drv.modelday = 1;
    drv.jday = 150;
    plant.leafNum = 250000;
    plant.leafmass = 37500;
    InitMites(mites, in);
    predsetup(log, preds);
  }

  PredDayInputs PredDay(float spraylevel = 0) {
    return PredDayInputs{in, wx, drv.modelday, spraylevel, rng};
  }

  // Juvenile and egg prey in every immature substage, adults in every adult substage.
  void StockMites(float imm, float adl) {
    mites.start = true;
    mites.springhatch = false;
    for (int32_t i = 1; i <= mites.MiteKimm; ++i) mites.vImmMite[i] = imm;
    for (int32_t i = 1; i <= mites.kAdl; ++i) mites.vAdlMite[i] = adl;
    MitePoputaions(mites);
  }

  void StockPredators(float perSubstage) {
    for (int32_t i = 1; i <= preds.kPred; ++i) preds.PredNums[i] = perSubstage;
  }
};

double Total(const AgeVec& v, int32_t k) {
  double s = 0;
  for (int32_t i = 1; i <= k; ++i) s += v[i];
  return s;
}

TEST(PredSetup, FixedParametersAndStageWindows) {
  MiteOrchard o;
  EXPECT_TRUE(o.log.messages.empty());
  EXPECT_EQ(o.preds.kPred, 45);
  EXPECT_NEAR(o.preds.delkPred, 342.05 / 45, 1e-5);
  EXPECT_EQ(o.preds.PredSexR, 0.66);
  // The seven stage windows split every substage completely; the report window is all but eggs.
  for (int32_t i = 1; i <= o.preds.kPred; ++i) {
    const double all = o.preds.veggs[i] + o.preds.vlarva[i] + o.preds.vproto[i] +
                       o.preds.vdeuto[i] + o.preds.vPredPreov[i] + o.preds.vovipad[i] +
                       o.preds.vadult[i];
    EXPECT_NEAR(all, 1.0, 1e-5) << i;
    EXPECT_NEAR(o.preds.vreport[i], all - o.preds.veggs[i], 1e-5) << i;
  }
  EXPECT_EQ(Total(o.preds.PredNums, 45), 0.0);
  EXPECT_EQ(o.preds.tPredDD, 0.0f);
}

TEST(PredSetup, StageCountsAddUpToThePopulation) {
  MiteOrchard o;
  o.StockPredators(3);
  Predcount(o.preds);
  double sum = 0;
  for (int j = 1; j <= 7; ++j) sum += o.preds.PredN[j];
  EXPECT_NEAR(sum, 45 * 3 * o.preds.delkPred, 1e-3);
  EXPECT_NEAR(o.preds.PredReport, sum - o.preds.PredN[1], 1e-3);
}

TEST(PredImmigration, NoSpreadGoesExactlyIntoSubstage38) {
  MiteOrchard o;
  o.in.Predins = 5;
  o.in.PredinsPcnt = 0;
  Predimmig(o.preds, o.in, o.rng);
  for (int32_t i = 1; i <= o.preds.kPred; ++i) {
    if (i == 38) {
      EXPECT_FLOAT_EQ(o.preds.PredNums[i], static_cast<float>(5 / o.preds.delkPred));
    } else {
      EXPECT_EQ(o.preds.PredNums[i], 0.0f) << i;
    }
  }
  // With a spread the number varies, but always within its bounds and into the same substage.
  o.in.PredinsPcnt = 20;
  for (int n = 0; n < 50; ++n) {
    const float before = o.preds.PredNums[38];
    Predimmig(o.preds, o.in, o.rng);
    const double arrived = (o.preds.PredNums[38] - before) * o.preds.delkPred;
    EXPECT_GE(arrived, 4.0 - 1e-3);
    EXPECT_LT(arrived, 6.0 + 1e-3);
  }
  EXPECT_EQ(Total(o.preds.PredNums, 45) - o.preds.PredNums[38], 0.0);
}

TEST(PredDay, WithoutPreyThePredatorsAreWipedOut) {
  MiteOrchard o;  // no mites have hatched: nothing to eat
  o.StockPredators(5);
  bool GoPred = true;
  const double winterEggs = o.mites.vWiEggMite[1];
  MitePred(o.preds, o.mites, GoPred, o.PredDay());
  EXPECT_EQ(o.preds.PreyAvail, 0.0);
  EXPECT_EQ(o.preds.PredSD, 0.0);
  // The day's immigrants die with the rest.
  EXPECT_EQ(Total(o.preds.PredNums, 45), 0.0);
  EXPECT_EQ(o.mites.vWiEggMite[1], winterEggs);
  EXPECT_TRUE(GoPred);  // too early to be declared extinct
}

TEST(PredDay, ADayWithoutDegreeDaysClearsThePopulation) {
  MiteOrchard o(10, 5);  // 5 deg C: below the predators' base
  o.StockMites(10, 10);
  o.StockPredators(5);
  bool GoPred = true;
  const double prey = o.mites.MiteEggs;
  MitePred(o.preds, o.mites, GoPred, o.PredDay());
  EXPECT_EQ(o.preds.PredDD, 0.0f);
  EXPECT_GT(o.preds.PreyAvail, 0.0);
  EXPECT_EQ(o.preds.PreyFound, 0.0);
  EXPECT_EQ(Total(o.preds.PredNums, 45), 0.0);
  MitePoputaions(o.mites);
  EXPECT_NEAR(o.mites.MiteEggs, prey, 1e-6 * prey);  // nothing eaten
}

TEST(PredDay, PredatorsEatWhatTheyFindAndNeverExceedTheirDemand) {
  MiteOrchard o;
  o.StockMites(50, 20);
  o.StockPredators(2);
  bool GoPred = true;
  const double adults = o.mites.MiteAdults;
  MitePred(o.preds, o.mites, GoPred, o.PredDay());
  ASSERT_GT(o.preds.PreyFound, 0.0);
  EXPECT_LE(o.preds.PreyFound, o.preds.PreyAvail);
  EXPECT_LE(o.preds.PredSD, 1.0);
  EXPECT_GT(o.preds.PredSD, 0.0);
  // The prey left is the prey available less the prey found; adults lose the same share.
  const double mort = o.preds.PreyFound / o.preds.PreyAvail;
  MitePoputaions(o.mites);
  double left = 0;
  MitesAvail(o.mites, left);
  EXPECT_NEAR(left, o.preds.PreyAvail - o.preds.PreyFound, 1e-5 * o.preds.PreyAvail);
  EXPECT_NEAR(o.mites.MiteAdults, adults * (1 - mort), 1e-5 * adults);

  // Scarce prey: never more found than there is, even where single precision rounds up.
  double found = 0;
  for (double avail : {1e-9, 4e-4, 1e-3}) {
    Predsup(o.preds, 2.0, avail, found);
    EXPECT_LE(found, avail);
  }

  // Abundant prey: found prey approaches the demand and the ratio is capped at one.
  MiteOrchard rich;
  rich.StockMites(1e6f, 20);
  rich.StockPredators(2);
  MitePred(rich.preds, rich.mites, GoPred, rich.PredDay());
  EXPECT_LE(rich.preds.PredSD, 1.0);
  EXPECT_GT(rich.preds.PredSD, 0.999);
}

TEST(PredExtinction, NeverDeclaredBefore200DegreeDays) {
  // 21.64 deg C all day: 15 predator degree-days a day; no immigrants, no prey.
  MiteOrchard o(40, 21.64f);
  o.in.Predins = 0;
  o.StockPredators(1e-4f);
  bool GoPred = true;
  for (int day = 1; day <= 20; ++day) {
    o.drv.modelday = static_cast<uint16_t>(day);
    MitePred(o.preds, o.mites, GoPred, o.PredDay());
    if (o.preds.tPredDD <= 200) {
      EXPECT_TRUE(GoPred) << "day " << day << ", " << o.preds.tPredDD << " degree-days";
    } else {
      EXPECT_FALSE(GoPred) << "day " << day;
      EXPECT_EQ(day, 14);  // 14 x 15 = 210 degree-days
      break;
    }
  }
  EXPECT_FALSE(GoPred);
  for (int j = 1; j <= 7; ++j) EXPECT_EQ(o.preds.PredN[j], 0.0);
  EXPECT_EQ(o.preds.PredReport, 0.0);
}

TEST(PredExtinction, DailyImmigrantsKeepThePopulationAlive) {
  MiteOrchard o(40, 21.64f);
  o.in.Predins = 1;
  bool GoPred = true;
  for (int day = 1; day <= 30; ++day) {
    o.drv.modelday = static_cast<uint16_t>(day);
    MitePred(o.preds, o.mites, GoPred, o.PredDay());
  }
  EXPECT_GT(o.preds.tPredDD, 200.0f);
  EXPECT_TRUE(GoPred);
}

TEST(PredOutputSums, AccumulateDailyAndClearOnResetAndFreeze) {
  MiteOrchard o;
  o.StockMites(50, 20);
  o.StockPredators(2);
  bool GoPred = true;
  double n1 = 0, report = 0;
  for (int day = 1; day <= 10; ++day) {
    o.drv.modelday = static_cast<uint16_t>(day);
    MitePred(o.preds, o.mites, GoPred, o.PredDay());
    n1 += o.preds.PredN[1];
    report += o.preds.PredReport;
  }
  EXPECT_GT(report, 0.0);
  EXPECT_NEAR(o.preds.Predn1Sum, n1, 1e-9 * (n1 + 1));
  EXPECT_NEAR(o.preds.PredreportSum, report, 1e-9 * report);
  EXPECT_NEAR(o.preds.PredDays, report, 1e-9 * report);
  SavePredHarvestValues(o.preds);
  EXPECT_EQ(o.preds.PredreportSave, o.preds.PredreportSum);
  ResetPredSums(o.preds);
  EXPECT_EQ(o.preds.Predn1Sum + o.preds.PredreportSum, 0.0);
  FreezePreds(o.preds);
  EXPECT_EQ(o.preds.PredReport, 0.0);
  for (int j = 1; j <= 7; ++j) EXPECT_EQ(o.preds.PredN[j], 0.0);
}

// Everything a season run found out.
struct SeasonFigures {
  bool hatched = false, predatorsStarted = false;
  int firstBadDay = 0;  // first day with a negative or non-finite variable, 0 when none
  double maxMobiles = 0, maxPredators = 0, maxWinterEggs = 0;
  double mobilesTotal = 0, reportTotal = 0;
};

bool AllFiniteAndNonNegative(const MiteState& m, const PredState& p) {
  const double scalars[] = {m.winterEggs,    m.MiteEggs,      m.juveniles,    m.MiteAdults,
                            m.mobiles,       m.mitedays,      m.newEggs,      m.demandJ,
                            m.demandA,       m.demandPU,      m.MiteResp,     m.MiteTotWgt,
                            m.intake,        m.sdPU,          m.sdmean,       m.gddWiEgg,
                            m.gddI,          m.gddA,          m.diffWiEgg,    m.diffI,
                            m.diffA,         m.deutochry,     m.MiteImmLoss,  m.MiteAdultDeaths,
                            m.MiteAdlLoss,   m.WinterEggsSum, m.MiteEggsSum,  m.JuvenilesSum,
                            m.MiteAdultsSum, m.MobilesSum,    p.PredReport,   p.PredDays,
                            p.PredSD,        p.PreyFound,     p.PreyAvail,    p.tPredDD,
                            p.PredDD,        p.Predn1Sum,     p.PredreportSum};
  for (double x : scalars) {
    if (!std::isfinite(x) || x < 0) return false;
  }
  for (int j = 1; j <= 7; ++j) {
    if (!std::isfinite(p.PredN[j]) || p.PredN[j] < 0) return false;
  }
  if (m.sdmean > 1 || m.sdPU > 1 || p.PredSD > 1) return false;
  for (const AgeVec* v : {&m.vWiEggMite, &m.vImmMite, &m.vAdlMite, &p.PredNums}) {
    for (float x : *v) {
      if (!std::isfinite(x) || x < 0) return false;
    }
  }
  return true;
}

// Three years of synthetic Mediterranean weather with rain, autumn leaf fall, a pruning, a spray
// and a spell of poor leaves; the mites and predators run as the daily loop runs them.
SeasonFigures RunSeason(MiteOrchard& o, int days) {
  for (int d = 1; d <= days; ++d) {
    const double t = 15 + 9 * std::sin(2 * std::numbers::pi * (d - 110) / 365.0);
    const double wobble = 3 * std::sin(d * 0.7);
    o.wx.temps[d] = TempPair{static_cast<float>(t + 6 + wobble), static_cast<float>(t - 5)};
  }
  SeasonFigures f;
  bool GoPred = false;
  int jday = 1;
  for (int d = 1; d <= days; ++d) {
    o.drv.modelday = static_cast<uint16_t>(d);
    o.drv.jday = jday;
    float PlantDD = 0, ddb = 0, tmax = 0, tmin = 0;
    Daydegrees(o.wx.temps.data(), d, PlantDD, ddb, 9.1f, tmax, tmin);
    o.today.tmax = tmax;
    o.today.tmin = tmin;
    o.today.tmean = (tmax + tmin) / 2;
    o.today.precip = d % 31 == 0 ? 30.0f : d % 9 == 0 ? 15.0f : 0.0f;
    o.plant.leafshed = (jday > 280 && jday < 330) ? 800 : 0;
    o.drv.PruneToday = d == 400;
    o.plant.PanulmiPruneSurv = 0.6;
    const double leafN = (d > 600 && d < 700) ? 1.3 : 2.6;
    const float spraylevel = (d >= 500 && d < 505) ? 0.5f : 0.0f;

    MiteModel(o.mites, MiteDayInputs{o.wx, o.today, o.drv, o.plant, PlantDD, leafN, spraylevel});
    if (o.in.PredIn && o.mites.MiteTotWgt > o.in.MiteWgtPredStart) GoPred = true;
    if (GoPred) {
      f.predatorsStarted = true;
      MitePred(o.preds, o.mites, GoPred, o.PredDay(spraylevel));
    }

    f.hatched = f.hatched || o.mites.start;
    f.mobilesTotal += o.mites.mobiles;
    f.reportTotal += o.preds.PredReport;
    f.maxMobiles = std::max(f.maxMobiles, o.mites.mobiles);
    f.maxPredators = std::max(f.maxPredators, o.preds.PredReport);
    f.maxWinterEggs = std::max(f.maxWinterEggs, d > 200 ? o.mites.winterEggs : 0.0);
    if (f.firstBadDay == 0 && !AllFiniteAndNonNegative(o.mites, o.preds)) f.firstBadDay = d;
    jday = jday == 365 ? 1 : jday + 1;
  }
  return f;
}

TEST(MiteSeason, LongSyntheticSeasonWithoutPredatorsStaysFiniteAndNonNegative) {
  const int days = 3 * 365;
  MiteOrchard o(days);
  o.in.PredIn = false;
  const SeasonFigures f = RunSeason(o, days);
  EXPECT_EQ(f.firstBadDay, 0);
  EXPECT_TRUE(f.hatched);
  EXPECT_FALSE(f.predatorsStarted);
  EXPECT_GT(f.maxMobiles, 1000.0);
  EXPECT_GT(f.maxWinterEggs, 1.0);  // autumn diapause
  EXPECT_NEAR(o.mites.MobilesSum, f.mobilesTotal, 1e-9 * f.mobilesTotal);
}

TEST(MiteSeason, LongSyntheticSeasonWithPredatorsStaysFiniteAndNonNegative) {
  const int days = 3 * 365;
  MiteOrchard o(days);
  o.in.PredinsPcnt = 25;
  const SeasonFigures f = RunSeason(o, days);
  EXPECT_EQ(f.firstBadDay, 0);
  EXPECT_TRUE(f.hatched);
  EXPECT_TRUE(f.predatorsStarted);
  EXPECT_GT(f.maxPredators, 1.0);
  EXPECT_NEAR(o.mites.MobilesSum, f.mobilesTotal, 1e-9 * f.mobilesTotal);
  EXPECT_NEAR(o.preds.PredreportSum, f.reportTotal, 1e-9 * f.reportTotal);
}

}  // namespace
}  // namespace olive
