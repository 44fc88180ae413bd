#include "pests/sharpshooter.h"

#include <cmath>

#include "toolkit/delays.h"

namespace olive {

namespace {

// Round to nearest, halves to even.
int32_t RoundEven(double x) {
  return static_cast<int32_t>(std::nearbyint(x));
}

// Substages whose growth the nymphs ask for (1..22, up to the adult age) and the first adult
// substage (23).
int32_t GrowSubstages(const GWssState& gw) {
  return RoundEven(gw.GWssAge[2] * gw.kGWss / gw.GWssAge[3]);
}
int32_t FirstAdult(const GWssState& gw) {
  return RoundEven(gw.GWssAge[2] / gw.GWssAge[3] * gw.kGWss) + 1;
}

// Growth demand of the eggs and nymphs per degree-day (mass units per tree). Each substage asks
// for 0.002286 e^(0.02286 age) of its numbers; no adult term (the adults do not grow).
double NymphGrowthDemand(const GWssState& gw) {
  double DmGrow = 0;
  const int32_t kGrow = GrowSubstages(gw);
  for (int32_t i = 1; i <= kGrow; ++i) {
    DmGrow += 0.002286 * Expo(static_cast<float>(0.02286 * i * gw.GWssDelk)) * gw.GWssNum[i];
  }
  return DmGrow * gw.GWssDelk;
}

// Eggs laid today by the adults, before survival: 8.9 eggs per unit of the age-dependent
// oviposition rate 0.524 a 1.226^-a (a, adult age in units of 14.5 degree-days), scaled by the
// three-day supply/demand mean.
double EggsLaid(const GWssState& gw) {
  if (gw.GWNum[3] <= 0) return 0;
  const int32_t kya = FirstAdult(gw);
  double E = 0;
  for (int32_t i = kya - 1; i <= gw.kGWss; ++i) {
    if (gw.GWssVadult[i] <= 0) continue;
    const int32_t n = i - kya + 2;
    const double a = n * static_cast<double>(gw.GWssDelk) / 14.5;
    const double ovip = 0.524 * a / std::pow(1.226, a) * gw.GWssAsd;
    E += ovip * gw.GWssNum[i] * gw.GWssVadult[i];
  }
  return 8.9 * (E * gw.GWssDelk);
}

// Stage figures of the day from the vectors.
void StageTotals(GWssState& gw) {
  const AgeVec* windows[4] = {nullptr, &gw.GWssVegg, &gw.GWssVnymph, &gw.GWssVadult};
  for (int32_t s = 1; s <= 3; ++s) {
    gw.GWwgt[s] = dot(gw.GWssWgt, *windows[s], gw.kGWss) * gw.GWssDelk;
    gw.GWNum[s] = dot(gw.GWssNum, *windows[s], gw.kGWss) * gw.GWssDelk;
  }
}

}  // namespace

void GWssInit(ErrorSink& log, GWssState& gw, const Inputs& in) {
  gw = GWssState{};
  gw.kGWss = 60;
  gw.GWssBase = 4.445f;
  gw.GWssAge = {0.0, 36.25, 145.0, 390.0};
  gw.GWssBeta = 0.176;
  gw.GWssDel = static_cast<float>(gw.GWssAge[3]);
  gw.GWssDelk = static_cast<float>(gw.GWssAge[3] / gw.kGWss);
  gw.GWsskDel = static_cast<float>(gw.kGWss / gw.GWssAge[3]);
  for (int32_t i = 1; i <= 7; ++i) gw.GWssArraySD[i] = 1;

  const auto del = static_cast<float>(gw.GWssAge[3]);
  wdwvec(log, 0.0f, static_cast<float>(gw.GWssAge[1]), gw.kGWss, del, gw.GWssVegg);
  wdwvec(log, static_cast<float>(gw.GWssAge[1]), static_cast<float>(gw.GWssAge[2]), gw.kGWss, del,
         gw.GWssVnymph);
  wdwvec(log, static_cast<float>(gw.GWssAge[2]), static_cast<float>(gw.GWssAge[3]), gw.kGWss, del,
         gw.GWssVadult);

  // Each stage's initial mass and numbers spread over its substages in proportion to the window.
  gw.GWwgt = in.GWwgt;
  gw.GWNum = in.GWNum;
  const AgeVec* windows[4] = {nullptr, &gw.GWssVegg, &gw.GWssVnymph, &gw.GWssVadult};
  for (int32_t s = 1; s <= 3; ++s) {
    const AgeVec& w = *windows[s];
    const float S = Sum(w, 1, static_cast<uint16_t>(gw.kGWss));
    for (int32_t i = 1; i <= gw.kGWss; ++i) {
      if (w[i] <= 0) continue;
      gw.GWssWgt[i] = static_cast<float>(gw.GWssWgt[i] + gw.GWwgt[s] * gw.GWsskDel * w[i] / S);
      gw.GWssNum[i] = static_cast<float>(gw.GWssNum[i] + gw.GWNum[s] * gw.GWsskDel * w[i] / S);
    }
  }

  gw.GWssDDaTot = 0;
  gw.AR[1] = {gw.GWNum[1] + gw.GWNum[2] + gw.GWNum[3], 0};
}

void GWssMod(ErrorSink& log, GWssState& gw, const Inputs& in, PlantState& plant, const GWssDay& day,
             float spraylevel) {
  const int32_t k = gw.kGWss;

  // 1. Heat.
  float ddb = 0, tmax = 0, tmin = 0;
  Daydegrees(day.temps, day.modelday, gw.GWssDDa, ddb, gw.GWssBase, tmax, tmin);
  gw.GWssDDaTot += gw.GWssDDa;

  // 2-5. Demand: growth of eggs and nymphs over at most 15.5 degree-days, and respiration of the
  // whole mass (doubling every 10 deg C, uncapped), grossed up for egestion.
  const double DmGrow = NymphGrowthDemand(gw);
  const float Q = min(gw.GWssDDa, 15.5f);
  const double wgt = Sum(gw.GWssWgt, 1, static_cast<uint16_t>(k)) * gw.GWssDelk;
  const double resp =
      0.008 * std::exp2((static_cast<double>(day.tmean) - 18.5) * 0.1) * wgt * gw.GWssDDa;
  const double dem = (Q * DmGrow + resp) / (1 - gw.GWssBeta);

  // 6. The ratio history moves back a day.
  gw.GWssArraySD[3] = gw.GWssArraySD[2];
  gw.GWssArraySD[2] = gw.GWssArraySD[1];
  gw.GWssArraySD[1] = 0;

  // 7. Supply: a functional response on the day's photosynthate, which loses what is eaten.
  double MassConsumed = 0;
  if (dem > 0) {
    MassConsumed = dem * (1 - Expo(static_cast<float>(-plant.PhotoSynthate / dem)));
  }
  plant.PhotoSynthate -= MassConsumed;

  // 8. Ratio of the day's supply to demand net of respiration. Respiration here is taken once more
  // times the day's degree-days although resp already holds them, so on warm days the ratio is
  // usually 0.
  double x = (1 - gw.GWssBeta) * MassConsumed - resp * gw.GWssDDa;
  if (x < 0) x = 0;
  const double y = (1 - gw.GWssBeta) * dem - resp * gw.GWssDDa;
  if (y > 0) gw.GWssArraySD[1] = x / y;
  gw.GWssAsd = static_cast<float>((gw.GWssArraySD[1] + gw.GWssArraySD[2] + gw.GWssArraySD[3]) / 3);

  // 9. Egg laying by the adults: numbers, and mass at 0.025 per egg.
  const int32_t kya = FirstAdult(gw);
  gw.GWNum[3] = dot(gw.GWssNum, gw.GWssVadult, k) * gw.GWssDelk;
  double repron = EggsLaid(gw);
  double repro = 0.025 * repron;

  // 10-12. Survival of eggs and nymphs and of the day's eggs: the supply/demand mean, halved on a
  // frost day, and 95 % mortality on the day the pruning is seen and the two days after it.
  double tlx = gw.GWssAsd;
  if (tmin < 0) tlx = tlx / 2;
  if (day.PruneToday) gw.kut4 = 3;
  gw.CMort = gw.kut4 > 0 ? 0.95 : 0;
  gw.kut4 -= 1;
  tlx = tlx * (1 - gw.CMort);
  repro = repro * tlx;
  repron = repron * tlx;

  // 13. Eggs and nymphs (substages with no adult share) grow and are thinned.
  for (int32_t i = 1; i <= k; ++i) {
    if (gw.GWssVadult[i] != 0) continue;
    const double dwt = 0.000345 * std::exp(0.023 * i * gw.GWssDelk) * gw.GWssArraySD[1] *
                       static_cast<double>(gw.GWssDDa);
    gw.GWssWgt[i] = static_cast<float>(gw.GWssWgt[i] + dwt * gw.GWssNum[i]);
    gw.GWssWgt[i] = static_cast<float>(gw.GWssWgt[i] * tlx);
    gw.GWssNum[i] = static_cast<float>(gw.GWssNum[i] * tlx);
  }

  // 14-15. Emigration rate of the young adults, N^0.3 e^-6.9 (0..1), once the table shows a
  // population about TPrev degree-days back; no emigrants from an empty population.
  gw.TPrev = 115;
  DELATE(gw, gw.TPrev, gw.GWssPrev);
  double Alate = 0;
  if (gw.GWssPrev > 0) {
    const double N = gw.GWNum[1] + gw.GWNum[2] + gw.GWNum[3];
    if (N > 0) Alate = Zerone(Expo(static_cast<float>(1.3 * std::log(N) - 6.9)) / N);
  }

  // 16. Emigrants leave from the youngest adults: those less than (0.8 + 0.2 asd) times today's
  // degree-days past the adult age.
  const auto width = static_cast<float>((0.8 + 0.2 * static_cast<double>(gw.GWssAsd)) *
                                        static_cast<double>(gw.GWssDDa));
  AgeVec v{};
  wdwvec(log, static_cast<float>(gw.GWssAge[2]), static_cast<float>(gw.GWssAge[2] + width), k,
         static_cast<float>(gw.GWssAge[3]), v);
  for (int32_t i = 1; i <= k; ++i) {
    if (v[i] <= 0) continue;
    gw.GWssNum[i] = static_cast<float>(gw.GWssNum[i] * (1 - v[i] * Alate));
    gw.GWssWgt[i] = static_cast<float>(gw.GWssWgt[i] * (1 - v[i] * Alate));
  }

  // 17. Spray residue reaches every stage.
  const float spraySurv = 1 - spraylevel;
  for (int32_t i = 1; i <= k; ++i) {
    gw.GWssNum[i] *= spraySurv;
    gw.GWssWgt[i] *= spraySurv;
  }

  // 18. Ageing and births; deaths of old age are not kept.
  float out = 0;
  DelayNoPlr(static_cast<float>(repron), out, gw.GWssNum, gw.GWssDel, gw.GWssDDa, k);
  DelayNoPlr(static_cast<float>(repro), out, gw.GWssWgt, gw.GWssDel, gw.GWssDDa, k);

  // 19. Immigrant adults enter the first adult substage with yesterday's mean adult mass.
  const double Imm = in.GWssImrt / gw.GWssDelk;
  gw.GWssNum[kya] = static_cast<float>(gw.GWssNum[kya] + Imm);
  gw.GWssWgt[kya] = static_cast<float>(gw.GWssWgt[kya] + gw.GWAvg[3] * Imm);

  // 20. Stage totals, output sums and mean masses.
  StageTotals(gw);
  gw.GWNum1Sum += gw.GWNum[1];
  gw.GWNum2Sum += gw.GWNum[2];
  gw.GWNum3Sum += gw.GWNum[3];
  gw.GWssAsdSum += gw.GWssAsd;
  gw.GWssDDaTotSum += gw.GWssDDaTot;
  for (int32_t s = 1; s <= 3; ++s) {
    if (gw.GWNum[s] > 0) gw.GWAvg[s] = gw.GWwgt[s] / gw.GWNum[s];
  }
}

void DELATE(GWssState& gw, double TPREV, double& GWssPrev) {
  for (int32_t j = kGWssHistory; j >= 2; --j) gw.AR[j] = gw.AR[j - 1];
  gw.AR[1] = {gw.GWNum[1] + gw.GWNum[2] + gw.GWNum[3], gw.GWssDDaTot};
  // The oldest row at or after the target wins; row 1 always qualifies.
  const double Target = gw.GWssDDaTot - TPREV;
  for (int32_t j = 1; j <= kGWssHistory; ++j) {
    if (gw.AR[j].ddTot >= Target) GWssPrev = gw.AR[j].num;
  }
}

void GWssFreeze(GWssState& gw) {
  for (int32_t s = 1; s <= 3; ++s) gw.GWNum[s] = 0;
  gw.GWNum1Sum = 0;
  gw.GWNum2Sum = 0;
  gw.GWNum3Sum = 0;
  gw.GWssAsdSum = 0;
  gw.GWssDDaTot = 0;
  gw.GWssAsd = 0;
}

void GWssResetSums(GWssState& gw) {
  gw.GWNum1Sum = 0;
  gw.GWNum2Sum = 0;
  gw.GWNum3Sum = 0;
  gw.GWssAsdSum = 0;
}

void GWssSaveHarvestValues(GWssState& gw) {
  gw.GWssDDaTotSave = gw.GWssDDaTot;
  gw.GWNum1Save = gw.GWNum1Sum;
  gw.GWNum2Save = gw.GWNum2Sum;
  gw.GWNum3Save = gw.GWNum3Sum;
  gw.GWssAsdSave = gw.GWssAsdSum;
}

}  // namespace olive
