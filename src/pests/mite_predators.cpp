#include "pests/mite_predators.h"

#include <algorithm>
#include <cmath>

#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {

void predsetup(ErrorSink& log, PredState& p) {
  p.kPred = 45;
  p.Predbase = 6.64f;
  p.delPred = 342.05f;
  p.delkPred = static_cast<double>(p.delPred) / p.kPred;
  p.PredAge = {0, 28.9, 44.1, 63.34, 82.44, 136.05, 290.82, 342.05};
  p.PredDem = {0, 0, 0.22, 0.21, 0.26, 0.41, 0.37, 0.27};
  p.Predfec = 0.064;
  p.Predsexr1 = 0.66;
  p.PredSexR = p.Predsexr1;
  p.Predalpha = 1;
  p.Predalphain = 1;
  p.tpeak = 13.2;
  p.rhlim = 25;
  p.sdmin = 0;
  p.Predov = p.Predlarv = p.Predproto = p.Preddeuto = p.Predpreovip = p.Predovipad = p.Predad = 0;

  // Stage windows on the delay of kPred substages and mean life span PredAge[7].
  const float del = static_cast<float>(p.PredAge[7]);
  auto window = [&](double from, double to, AgeVec& v) {
    v.fill(0);
    wdwvec(log, static_cast<float>(from), static_cast<float>(to), p.kPred, del, v);
  };
  window(0, p.PredAge[1], p.veggs);
  window(p.PredAge[1], p.PredAge[2], p.vlarva);
  window(p.PredAge[2], p.PredAge[3], p.vproto);
  window(p.PredAge[3], p.PredAge[4], p.vdeuto);
  window(p.PredAge[4], p.PredAge[5], p.vPredPreov);
  window(p.PredAge[5], p.PredAge[6], p.vovipad);
  window(p.PredAge[6], p.PredAge[7], p.vadult);
  window(p.PredAge[1], p.PredAge[7], p.vreport);

  p.PredNums.fill(0);
  p.PredN.fill(0);
  p.PredReport = 0;
  p.PredSD = 0;
  p.PredDD = 0;
  p.tPredDD = 0;
  ResetPredSums(p);
}

void Predimmig(PredState& p, const Inputs& in, Rng& rng) {
  const double xin = Fran(rng, in.Predins, in.PredinsPcnt) / p.delkPred;
  // Immigrants arrive as adults at the end of their ovipositing age.
  const int32_t k = static_cast<int32_t>(std::lround(p.PredAge[6] / p.PredAge[7] * p.kPred));
  p.PredNums[k] = static_cast<float>(p.PredNums[k] + xin);
}

void Predcount(PredState& p) {
  const AgeVec* windows[8] = {nullptr,   &p.veggs,      &p.vlarva,  &p.vproto,
                              &p.vdeuto, &p.vPredPreov, &p.vovipad, &p.vadult};
  for (int32_t j = 1; j <= 7; ++j) {
    p.PredN[j] = static_cast<double>(dot(p.PredNums, *windows[j], p.kPred)) * p.delkPred;
  }
  p.PredReport = static_cast<double>(dot(p.PredNums, p.vreport, p.kPred)) * p.delkPred;
}

void Preddemand(const PredState& p, double& demtot) {
  double perDD = 0;
  for (int32_t j = 1; j <= 7; ++j) perDD += p.PredN[j] * p.PredDem[j];
  demtot = perDD * p.PredDD;
}

void Predsup(const PredState& p, double demtot, double PreyAvail, double& PreyFound) {
  double b = demtot;
  if (b < 1e-7) b = 0;
  if (b > 0) {
    PreyFound = b * (1 - Expo(static_cast<float>(-p.Predalpha * PreyAvail / b)));
    // The response never finds more than there is; with scarce prey the single-precision
    // exponential can round 1 - e^-x above x, which would kill more mites than exist.
    PreyFound = std::min(PreyFound, PreyAvail);
  } else {
    PreyFound = 0;
  }
}

void Predsdr(PredState& p, double mort, double PreyAvail, double demtot) {
  // Prey killed over prey demanded.
  p.PredSD = 0;
  if (demtot > 0) p.PredSD = std::min(1.0, mort * PreyAvail / demtot);
}

void Preddyn(PredState& p) {
  // Only ovipositing females lay, in proportion to the prey they got.
  const double bn = p.PredN[6] * p.PredSexR * p.Predfec * p.PredDD * p.PredSD;
  float out = 0;  // deaths of old age
  DelayNoPlr(static_cast<float>(bn), out, p.PredNums, static_cast<float>(p.PredAge[7]), p.PredDD,
             p.kPred);
}

void PredMort(PredState& p, float spraylevel) {
  // The supply/demand ratio is also the day's survival of every stage, eggs included.
  for (int32_t i = 1; i <= p.kPred; ++i) {
    p.PredNums[i] = static_cast<float>(p.PredNums[i] * (1 - spraylevel));
    p.PredNums[i] = static_cast<float>(p.PredNums[i] * p.PredSD);
  }
}

void Predsdone(PredState& p, bool& GoPred) {
  if (p.tPredDD <= 200) return;
  double s = 0;
  for (int32_t j = 1; j <= 7; ++j) s += p.PredN[j];
  if (s < 0.01) {
    GoPred = false;
    Fill(p.PredNums, p.kPred, 0.0f);
    p.PredN.fill(0);
    p.PredReport = 0;
  }
}

void MitePred(PredState& p, MiteState& mites, bool& GoPred, const PredDayInputs& d) {
  double mort = 0;
  MitesAvail(mites, p.PreyAvail);
  Predimmig(p, d.in, d.rng);

  float dda = 0, ddb = 0, tmax = 0, tmin = 0;
  Daydegrees(d.wx.temps.data(), d.modelday, dda, ddb, p.Predbase, tmax, tmin);
  p.PredDD = dda;
  p.tPredDD += p.PredDD;

  Predcount(p);
  double demtot = 0;
  Preddemand(p, demtot);
  Predsup(p, demtot, p.PreyAvail, p.PreyFound);

  // The mites keep the share of the prey that was not found.
  if (p.PreyAvail > 0) mort = p.PreyFound / p.PreyAvail;
  MiteMort(mites, static_cast<float>(1 - mort));

  Predsdr(p, mort, p.PreyAvail, demtot);
  Preddyn(p);
  PredMort(p, d.spraylevel);
  Predsdone(p, GoPred);
  p.PredDays += p.PredReport;

  // Period sums for the GIS and summary rows, like the mites' own.
  p.Predn1Sum += p.PredN[1];
  p.PredreportSum += p.PredReport;
}

void FreezePreds(PredState& p) {
  p.PredN.fill(0);
  p.PredReport = 0;
  ResetPredSums(p);
}

void ResetPredSums(PredState& p) {
  p.Predn1Sum = p.PredreportSum = 0;
}

void SavePredHarvestValues(PredState& p) {
  p.Predn1Save = p.Predn1Sum;
  p.PredreportSave = p.PredreportSum;
}

}  // namespace olive
