#include "pests/coccinellid.h"

#include <algorithm>
#include <cmath>

#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {

namespace {

// Embryo growth per embryo and degree-day, mass units.
constexpr double kEmbryoGrowth = 0.0009;
// Mass of an immigrant adult, and of a new embryo, mass units.
constexpr float kImmigrantMass = 0.98f;
constexpr double kNewEmbryoMass = 0.1;
// Growth demand (mass units a day) below which there is none.
constexpr double kNoGrowthDemand = 0.00001;

// Larval growth rate of substage i, mass units per larva and degree-day.
double LarvalGrowthRate(const CoccState& c, int32_t i) {
  return 0.003065 * std::exp(0.03065 * (i + 1 - c.j2) * c.Coccdelk);
}

// Every prey's survival from the beetle.
void SetPreyShares(CoccPrey prey, double lx) {
  prey.oleander.Cocclx = lx;
  prey.olive.Cocclx = lx;
  prey.oleanderParas.first.lx1 = lx;   // lxAchilensis1
  prey.oleanderParas.second.lx1 = lx;  // lxEd1
  prey.oliveParas.first.lx1 = lx;      // lxAMaculicornis1: not read
  prey.oliveParas.second.lx1 = lx;     // lxCutilis1
}

// Starvation of substage i: it loses the share (1 - sd) of what lies in the stage's window. A
// window entry can exceed 1 by float rounding (the last adult substage is 1.0000023); the loss
// is capped at what the substage holds, so a stage starved to nothing is 0, not slightly below.
void Starve(CoccState& c, int32_t i, double sd, float window) {
  c.Coccwt[i] = static_cast<float>(std::max(c.Coccwt[i] - (1 - sd) * c.Coccwt[i] * window, 0.0));
  c.Coccnm[i] = static_cast<float>(std::max(c.Coccnm[i] - (1 - sd) * c.Coccnm[i] * window, 0.0));
}

}  // namespace

void CoccPreySharesInit(CoccPrey prey) {
  SetPreyShares(prey, 1);
}

void Coccsetup(ErrorSink& log, CoccState& c) {
  c.Coccbase = 14;
  c.kCocc = 65;
  c.Coccage = {0, 0, 58.42, 163.9, 262.0, 1224.0};
  c.Coccdelk = static_cast<float>(c.Coccage[5] / c.kCocc);
  c.delemCocc = 109;
  c.delkemCocc = c.delemCocc / c.kCocc;
  c.betaCocc = 0.26;
  c.Coccsexr = 0.55;
  c.rateem = 0.41f;
  c.CoccShedMin = 0;
  c.CoccShedMax = 54;
  c.j2 = static_cast<int32_t>(c.Coccage[2] / c.Coccage[5] * c.kCocc);
  c.j3 = static_cast<int32_t>(c.Coccage[3] / c.Coccage[5] * c.kCocc);
  c.j4 = static_cast<int32_t>(c.Coccage[4] / c.Coccage[5] * c.kCocc);

  const float del = static_cast<float>(c.Coccage[5]);
  const auto at = [&](int32_t j) { return static_cast<float>(c.Coccage[j]); };
  wdwvec(log, 0, at(2), c.kCocc, del, c.vCocceggs);
  wdwvec(log, at(2), at(3), c.kCocc, del, c.vCoccimm);
  wdwvec(log, at(3), at(4), c.kCocc, del, c.vCoccpupa);
  wdwvec(log, at(4), at(5), c.kCocc, del, c.vCoccadlt);
  wdwvec(log, c.CoccShedMin, c.CoccShedMax, c.kCocc, c.delemCocc, c.vshedCoccem);

  for (int32_t i = 1; i <= c.kCocc; ++i) {
    c.Coccnm[i] = 0;
    c.Coccwt[i] = 0;
    c.CoccembNum[i] = 0;
    c.Coccembwgt[i] = 0;
  }
  for (int32_t i = 1; i <= 10; ++i) c.Coccstack[i] = 1;

  c.Coccegnm = c.Cocclarn = c.Coccpupnm = c.Coccadnm = 0;
  c.Coccegwt = c.Cocclarwt = c.Coccpupwt = c.Coccadwt = 0;
  c.Coccemnm = c.Coccemwt = 0;
  c.Cocctotn = c.Cocctotwt = 0;
  c.Cocctdelt = 0;
  c.toplai = 0;
  c.nextCocc = 0;
  c.Coccreserve = 0;
  c.food = 0;
}

void Coccimmigrate(CoccState& c, const Inputs& in, Rng& rng) {
  // Immigrant adults spread evenly over the adult substages from the first one.
  const int32_t kimm =
      static_cast<int32_t>(std::nearbyint(c.Coccage[4] / c.Coccage[5] * c.kCocc)) + 1;
  const double xin = Fran(rng, in.Coccins, in.Coccinspcnt) / c.Coccdelk;
  const double incr = xin / (c.kCocc - kimm + 1);
  for (int32_t i = kimm; i <= c.kCocc; ++i) {
    c.Coccnm[i] = static_cast<float>(c.Coccnm[i] + incr);
    c.Coccwt[i] = static_cast<float>(c.Coccwt[i] + kImmigrantMass * incr);
    c.Coccdmres += 0.1 * incr * c.Coccdelk;
  }
}

void Coccheat(CoccState& c, const ScaleDay& day) {
  float ddb = 0;
  ScaleDayDegrees(day, c.Coccdelt, ddb, c.Coccbase);
  c.Cocctdelt += c.Coccdelt;
}

void Coccdem(CoccState& c) {
  double dmv = 0;
  for (int32_t i = c.j2; i <= c.j3; ++i) {
    if (c.vCoccimm[i] > 0) {
      c.gr = LarvalGrowthRate(c, i);
      dmv += c.gr * c.Coccdelt * c.Coccnm[i] * c.Coccdelk * c.vCoccimm[i];
    }
  }
  c.dmres = 0.15 * dmv;

  double embryos = 0;
  for (int32_t i = 1; i <= c.kCocc; ++i) embryos += c.CoccembNum[i] * kEmbryoGrowth;
  const double dmemb = embryos * c.Coccdelt * c.delkemCocc;
  c.dmgro = dmv + dmemb;

  // Respiration of larvae, adults and embryos, Q10 of 2.
  const double sume = Sum(c.Coccembwgt, 1, static_cast<uint16_t>(c.kCocc)) * c.delkemCocc;
  const double sumv = c.Cocclarwt + c.Coccadwt;
  const double rate = 0.008 * std::pow(2.0, (c.Coccdelt + 6) * 0.1);
  c.dmrespCocc = (sumv + sume) * rate;

  c.bCocc = (c.dmgro + c.dmres + c.dmrespCocc) / (1 - c.betaCocc);
}

void Coccsup(CoccState& c, CoccPrey prey) {
  SetPreyShares(prey, 1);
  c.food = 0;
  if (c.bCocc <= 1e-5) return;

  const double W = prey.olive.TotWgt + prey.oleander.TotWgt + prey.oliveParas.second.Wgt[1] +
                   prey.oliveParas.first.Wgt[1] + prey.oleanderParas.first.Wgt[1] +
                   prey.oleanderParas.second.Wgt[1];
  // The search rate grows with prey density.
  const double a = 1 - Expo(static_cast<float>(-0.025 * W));

  if (W > 1e-7) {
    c.food = c.bCocc * (1 - Expo(static_cast<float>(-a * W / c.bCocc)));
    // The beetle searches the pooled prey: each prey loses the same share of its biomass, so the
    // prey together lose what the beetle eats.
    SetPreyShares(prey, 1 - c.food / W);
  }

  c.Coccegest = c.food * c.betaCocc;
  c.food = c.food * (1 - c.betaCocc) - c.dmrespCocc;
  if (c.food < 0) Coccrsv(c);
}

void Coccrsv(CoccState& c) {
  c.Coccreserve += c.food;
  c.food = 0;
  if (c.Coccreserve < 0) c.Coccreserve = 0;
}

void Coccratios(CoccState& c) {
  // A growth demand at or below kNoGrowthDemand is the residue of an emptied stage, not a
  // demand: its ratio over food that is residue too (or 0) would be 0 or 1 at random.
  c.sdv = 1;
  const double demand = c.dmgro + c.dmres;
  if (demand > kNoGrowthDemand) c.sdv = Zerone(c.food / demand);
  c.sde = c.sdv;
  c.food = 0;
}

void Coccmort(CoccState& c, float spraylevel) {
  // Starvation acts through the mean ratio of the last three days.
  c.nextCocc += 1;
  if (c.nextCocc > 3) c.nextCocc = 1;
  c.Coccstack[c.nextCocc] = c.sdv;
  const double sd = (c.Coccstack[1] + c.Coccstack[2] + c.Coccstack[3]) / 3;

  c.Coccreserve = (c.Coccreserve + c.dmres * c.sdv) * sd;

  if (sd < 1) {
    for (int32_t i = c.j2; i <= c.j3; ++i) Starve(c, i, sd, c.vCoccimm[i]);
    for (int32_t i = c.j4; i <= c.kCocc; ++i) Starve(c, i, sd, c.vCoccadlt[i]);
  }

  for (int32_t i = 1; i <= c.kCocc; ++i) {
    c.Coccwt[i] *= (1 - spraylevel);
    c.Coccnm[i] *= (1 - spraylevel);
  }
}

void Coccgrow(CoccState& c) {
  if (c.Coccadnm > 0) {
    for (int32_t i = 1; i <= c.kCocc; ++i) {
      if (c.CoccembNum[i] > 1e-5f) {
        c.Coccembwgt[i] = static_cast<float>(c.Coccembwgt[i] +
                                             c.CoccembNum[i] * kEmbryoGrowth * c.sde * c.Coccdelt);
      }
    }
  }
  if (c.Cocclarn > 0) {
    for (int32_t i = c.j2; i <= c.j3; ++i) {
      if (c.vCoccimm[i] > 0) {
        c.gr = LarvalGrowthRate(c, i);
        c.Coccwt[i] = static_cast<float>(c.Coccwt[i] +
                                         c.gr * c.vCoccimm[i] * c.sdv * c.Coccdelt * c.Coccnm[i]);
      }
    }
  }

  c.Coccsexr = 0.55;
  const double bn = c.sde * c.rateem * c.Coccadnm * c.Coccsexr * c.Coccdelt;

  // Embryos develop inside the females; those that leave the embryo delay are laid as eggs.
  float outnum = 0, outwgt = 0, out = 0;
  DelayNoPlr(static_cast<float>(bn), outnum, c.CoccembNum, c.delemCocc, c.Coccdelt, c.kCocc);
  DelayNoPlr(static_cast<float>(kNewEmbryoMass * bn), outwgt, c.Coccembwgt, c.delemCocc, c.Coccdelt,
             c.kCocc);
  // What leaves the life delays (old adults) dies.
  const float life = static_cast<float>(c.Coccage[5]);
  DelayNoPlr(outnum * c.delkemCocc, out, c.Coccnm, life, c.Coccdelt, c.kCocc);
  DelayNoPlr(outwgt * c.delkemCocc, out, c.Coccwt, life, c.Coccdelt, c.kCocc);

  const double females = c.Coccadnm * c.Coccsexr;
  c.bornCocc = females > 0 ? bn / females : 0.0;
}

void CoccCount(CoccState& c) {
  c.Coccegnm = dot(c.Coccnm, c.vCocceggs, c.kCocc) * c.Coccdelk;
  c.Coccegwt = dot(c.Coccwt, c.vCocceggs, c.kCocc) * c.Coccdelk;
  c.Cocclarn = dot(c.Coccnm, c.vCoccimm, c.kCocc) * c.Coccdelk;
  c.Cocclarwt = dot(c.Coccwt, c.vCoccimm, c.kCocc) * c.Coccdelk;
  c.Coccpupnm = dot(c.Coccnm, c.vCoccpupa, c.kCocc) * c.Coccdelk;
  c.Coccpupwt = dot(c.Coccwt, c.vCoccpupa, c.kCocc) * c.Coccdelk;
  c.Coccadnm = dot(c.Coccnm, c.vCoccadlt, c.kCocc) * c.Coccdelk;
  c.Coccadwt = dot(c.Coccwt, c.vCoccadlt, c.kCocc) * c.Coccdelk;
  const auto k = static_cast<uint16_t>(c.kCocc);
  c.Coccemwt = Sum(c.Coccembwgt, 1, k) * c.delkemCocc;
  c.Coccemnm = Sum(c.CoccembNum, 1, k) * c.delkemCocc;
  // Pupae do not count in the totals.
  c.Cocctotn = c.Coccegnm + c.Cocclarn + c.Coccadnm;
  c.Cocctotwt = c.Coccemwt + c.Cocclarwt + c.Coccadwt;

  c.CoccEgnmSum += c.Coccegnm;
  c.CoccLarNSum += c.Cocclarn;
  c.CoccPupNmSum += c.Coccpupnm;
  c.CoccAdnmSum += c.Coccadnm;
}

void Coccmod(CoccState& c, const Inputs& in, CoccPrey prey, const ScaleDay& day, float spraylevel) {
  if (prey.olive.TotWgt + prey.oleander.TotWgt > in.CoccPreyLevel) c.goCocc = true;
  if (!c.goCocc) return;
  Coccimmigrate(c, in, day.rng);
  Coccheat(c, day);
  Coccdem(c);
  Coccsup(c, prey);
  Coccratios(c);
  Coccmort(c, spraylevel);
  Coccgrow(c);
  CoccCount(c);
}

void CoccFreeze(CoccState& c) {
  for (int32_t i = 1; i <= c.kCocc; ++i) {
    c.Coccnm[i] = 0;
    c.Coccwt[i] = 0;
    c.CoccembNum[i] = 0;
    c.Coccembwgt[i] = 0;
  }
  c.Coccadnm = c.Coccegnm = c.Cocclarn = c.Coccpupnm = c.Coccemnm = 0;
  c.Coccpupwt = c.Coccegwt = c.Cocclarwt = 0;
  c.Cocctdelt = 0;
  CoccResetSums(c);
}

void CoccResetSums(CoccState& c) {
  c.CoccEgnmSum = 0;
  c.CoccLarNSum = 0;
  c.CoccPupNmSum = 0;
  c.CoccAdnmSum = 0;
}

}  // namespace olive
