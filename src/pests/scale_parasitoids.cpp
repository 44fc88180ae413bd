#include "pests/scale_parasitoids.h"

#include <algorithm>
#include <cmath>

#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {

namespace {

// A window entry counts when it exceeds this.
constexpr float kInWindow = 1e-5f;
// Immature parasitoids are hosts of this weight.
constexpr double kParasitoidHostWeight = 0.25;
// Biomass of one parasitoid, in the scales' mass units.
constexpr float kParaWeight = 0.07f;
// Eggs a day the adult females could lay, at or below which they lay none.
constexpr double kNoEggs = 0.00001;

// e^arg in double precision, for the attack and mating shares 1 - e^-x. A float exponential
// rounds e^-x to 1 for x below about 3e-8, so that a remnant of females among many hosts would
// find none: no eggs, a supply/demand ratio of 0 and every adult dead.
double ExpoReal(double arg) {
  constexpr double kCap = 88.6;  // the same cap as Expo's
  return std::exp(std::min(arg, kCap));
}

// Temperature scalar of the attack rate: 1 at 10 degree-days a day, 0 at 0 and at 20 and beyond.
double AttackTemperature(float Delt) {
  const double q = 1 - ((Delt - 10) * 0.1) * ((Delt - 10) * 0.1);
  return std::max(q, 0.0);
}

// Today's maximum attack rate per female.
double AttackRate(const ParaSpeciesState& s, const ParasitoidPairTraits& t) {
  const double B = s.Ovip * AttackTemperature(s.Delt) * s.Avgsd * t.attackFactor;
  return B * (1 + 0.02 * s.Delt);
}

// Share of the host pool W attacked by `females` searching with rate Bt.
double AttackedShare(double females, double Bt, double texp, float Delt, double W,
                     const ParasitoidPairTraits& t) {
  if (!(W > 0)) return 0;
  double effort = females * Bt;
  if (t.attacksPerDegreeDay) effort *= Delt;
  return 1 - ExpoReal(-effort * texp / W);
}

// Weighted scale hosts of stages 3..6.
double ScaleHosts(const std::array<double, 7>& w, const std::array<double, 7>& N) {
  return w[3] * N[3] + w[4] * N[4] + w[5] * N[5] + w[6] * N[6];
}

// Survival of the scale stages 3..6 from `attacked` hosts of the pool W: the share of a stage's
// hosts attacked is attacked * w_s / W, so that summed over the stages the hosts attacked equal
// the attacks made on scales. An empty stage keeps survival 1.
void StageSurvivals(std::array<double, 7>& lx, double attacked, double W,
                    const std::array<double, 7>& w, const std::array<double, 7>& N) {
  for (int32_t st = 3; st <= 6; ++st) {
    if (N[st] > 0) lx[st] = 1 - std::min(attacked * w[st] / W, 1.0);
  }
}

// Multiplies the substages of v inside the working window by factor * window.
void ApplyInWindow(AgeVec& v, const AgeVec& window, int32_t K, double factor) {
  for (int32_t i = 1; i <= K; ++i) {
    if (window[i] > kInWindow) v[i] = static_cast<float>(v[i] * (factor * window[i]));
  }
}

// Adult supply/demand: eggs laid over the eggs the females could lay, capped at 1; 1 when the
// females could lay no more than kNoEggs. A remnant of females (1e-44) lays no egg by rounding;
// a ratio of 0 for it would halve the attack rate of the next immigrants.
double AdultSupplyDemand(double eggs, double females, const ParaSpeciesState& s,
                         const ParasitoidPairTraits& t) {
  double capacity = females * s.Bt;
  if (t.attacksPerDegreeDay) capacity *= s.Delt;
  capacity /= (1 + 0.02 * s.Delt);
  if (!(capacity > kNoEggs)) return 1;
  return std::min(eggs / capacity, 1.0);
}

// Two-day mean of the adult supply/demand ratio: the next day's fecundity.
void ShiftSupplyDemand(ParaSpeciesState& s) {
  for (int32_t i = 7; i >= 2; --i) s.Sd[i] = s.Sd[i - 1];
  s.Sd[1] = static_cast<float>(s.Adlsd);
  s.Avgsd = (s.Sd[1] + s.Sd[2]) * 0.5;
}

void SpeciesSetup(ErrorSink& log, ParaSpeciesState& s, const ParaSpeciesTraits& t) {
  s.Age = t.Age;
  s.K = t.K;
  const float del = static_cast<float>(s.Age[4]);
  s.Delk = static_cast<float>(s.Age[4] / s.K);
  s.Kdel = s.K / s.Age[4];
  s.Ovip = t.Ovip;
  s.base = t.base;
  wdwvec(log, static_cast<float>(s.Age[1]), static_cast<float>(s.Age[2]), s.K, del, s.immWindow);
  wdwvec(log, static_cast<float>(s.Age[3]), del, s.K, del, s.adultWindow);
  for (int32_t st = 1; st <= 3; ++st) {
    wdwvec(log, static_cast<float>(s.Age[st]), static_cast<float>(s.Age[st + 1]), s.K, del,
           s.stageWindow[st]);
  }

  s.Num[1] = 0;
  s.Num[2] = 0;
  for (int32_t i = 1; i <= s.K; ++i) {
    s.Frn[i] = 0;
    s.UnmatedFrn[i] = 0;
    s.Mrn[i] = 0;
    s.V[i] = 0;
  }
  s.Sd.fill(1);
  s.Avgsd = 1;
  // Survivals from parasitism start at no parasitism.
  s.lxScale.fill(1);
}

// Substage where immigrants arrive: the start of the adult stage.
int32_t ImmigrantSubstage(const ParaSpeciesState& s) {
  return static_cast<int32_t>(std::nearbyint(s.Age[3] / s.Age[4] * s.K));
}

ParaSpeciesParams SpeciesParams(bool on, double ImmigProb, float Ins, int32_t Inspcnt) {
  return ParaSpeciesParams{on, ImmigProb, Ins, Inspcnt};
}

}  // namespace

ScaleParasitoidParams OliveScaleParaParams(const Inputs& in) {
  ScaleParasitoidParams p;
  p.traits = &kOliveScaleParaTraits;
  p.first = SpeciesParams(in.OliveScale && in.AMaculicornis, in.AMaculicornisImmigProb,
                          in.AMaculicornisIns, in.AMaculicornisInspcnt);
  p.second = SpeciesParams(in.OliveScale && in.Cutilis, in.CutilisImmigProb, in.CutilisIns,
                           in.CutilisInspcnt);
  return p;
}

ScaleParasitoidParams OleanderParaParams(const Inputs& in) {
  ScaleParasitoidParams p;
  p.traits = &kOleanderParaTraits;
  p.first = SpeciesParams(in.OleanderScale && in.Achilensis, in.AchilensisImmigProb,
                          in.AchilensisIns, in.AchilensisInspcnt);
  p.second = SpeciesParams(in.OleanderScale && in.ed, in.edImmigProb, in.edins, in.edinspcnt);
  return p;
}

void ScaleParasitoidSetup(ErrorSink& log, ScaleParasitoidState& p,
                          const ParasitoidPairTraits& traits) {
  SpeciesSetup(log, p.first, traits.first);
  SpeciesSetup(log, p.second, traits.second);
  p.cept = 0.6;
}

void OliveScaleParaSetup(ErrorSink& log, ScaleParasitoidState& p) {
  ScaleParasitoidSetup(log, p, kOliveScaleParaTraits);
}

void OleanderParasetup(ErrorSink& log, ScaleParasitoidState& p) {
  ScaleParasitoidSetup(log, p, kOleanderParaTraits);
}

void FirstSpeciesImmig(ParaSpeciesState& a, const ParaSpeciesParams& params, Rng& rng) {
  const float xin = Fran(rng, params.Ins, params.Inspcnt) / a.Delk;
  const int32_t kimm = ImmigrantSubstage(a);
  a.Frn[kimm] += xin;
  a.Mrn[kimm] += xin;
}

void SecondSpeciesImmig(ParaSpeciesState& c, const ParasitoidPairTraits& t,
                        const ParaSpeciesParams& params, Rng& rng) {
  const float xin = Fran(rng, params.Ins, params.Inspcnt) / c.Delk;
  const int32_t kimm = ImmigrantSubstage(c);
  if (t.mating) {
    // A third each to mated females, unmated females and males.
    c.Frn[kimm] += xin / 3;
    c.UnmatedFrn[kimm] += xin / 3;
    c.Mrn[kimm] += xin / 3;
  } else {
    c.Frn[kimm] += xin;
    c.Mrn[kimm] += xin;
  }
}

void Survsd(ScaleParasitoidState& p, const ParasitoidPairTraits& t, bool secondOn, bool firstOn,
            std::array<double, 7> N) {
  ParaSpeciesState& a = p.first;
  ParaSpeciesState& c = p.second;

  c.Bt = AttackRate(c, t);

  // Immature parasitoids of both species inside the scales are hosts too.
  a.ER = 0;
  c.ER = 0;
  a.V = a.immWindow;
  if (firstOn) {
    for (int32_t i = 1; i <= a.K; ++i) {
      if (a.V[i] > kInWindow) a.ER += (a.Frn[i] + a.Mrn[i]) * a.V[i];
    }
  }
  if (t.secondHostsInImmatureWindow) c.V = c.immWindow;
  double UnmatedFrnImm = 0;
  if (secondOn) {
    for (int32_t i = 1; i <= c.K; ++i) {
      if (c.V[i] > kInWindow) {
        // With mating, the immature females are the unmated line (daughters are born unmated).
        const float females = t.mating ? c.UnmatedFrn[i] : c.Frn[i];
        c.ER += (females + c.Mrn[i]) * c.V[i];
        UnmatedFrnImm += c.UnmatedFrn[i] * c.V[i];
      }
    }
  }

  const double W = ScaleHosts(t.second.w, N) + kParasitoidHostWeight * a.ER * a.Delk +
                   kParasitoidHostWeight * c.ER * c.Delk;
  c.Wgted = W;

  // No attacks today: yesterday's survivals and attacks stand.
  if (c.Bt == 0 || c.Delt == 0) return;

  // Female eggs: the ovipositing females on the scales.
  p.texp = c.Bt > 0 ? 1 - ExpoReal(-p.cept * W / c.Bt) : 0.0;
  const double frac = AttackedShare(c.Femad, c.Bt, p.texp, c.Delt, W, t);
  c.natkd = frac * W;

  c.lxScale.fill(1);
  if (W > 0) StageSurvivals(c.lxScale, c.natkd, W, t.second.w, N);

  if (!t.mating) return;

  // Male eggs: unmated females on the immature unmated-line females; the attacked hosts die.
  p.texp = c.Bt > 0 ? 1 - ExpoReal(-p.cept * UnmatedFrnImm / c.Bt) : 0.0;
  p.NatkdCuImmToMales = 0;
  if (UnmatedFrnImm > 0) {
    const double fracm = 1 - ExpoReal(-c.UnmatedFemad * c.Bt * p.texp / UnmatedFrnImm);
    p.NatkdCuImmToMales = fracm * UnmatedFrnImm;
    const double survival = 1 - p.NatkdCuImmToMales / UnmatedFrnImm;
    for (int32_t i = 1; i <= c.K; ++i) {
      if (c.V[i] > kInWindow) c.UnmatedFrn[i] = static_cast<float>(c.UnmatedFrn[i] * survival);
    }
  }
}

void survsl(ScaleParasitoidState& p, const ParasitoidPairTraits& t, bool secondOn, bool firstOn,
            const std::array<double, 7>& N) {
  ParaSpeciesState& a = p.first;
  const ParaSpeciesState& c = p.second;

  a.Bt = AttackRate(a, t);

  // Immature parasitoids as hosts, each through its species' working window as it stands.
  double erA = 0;
  if (firstOn) {
    for (int32_t i = 1; i <= a.K; ++i) {
      if (a.V[i] > kInWindow) erA += (a.Frn[i] + a.Mrn[i]) * a.V[i];
    }
  }
  double erC = 0;
  if (secondOn) {
    for (int32_t i = 1; i <= c.K; ++i) {
      if (c.V[i] > kInWindow) erC += (c.Frn[i] + c.UnmatedFrn[i] + c.Mrn[i]) * c.V[i];
    }
  }
  const double W = ScaleHosts(t.first.w, N) + kParasitoidHostWeight * erA * a.Delk +
                   kParasitoidHostWeight * erC * c.Delk;
  a.Wgted = W;

  if (a.Bt <= 0 && a.Delt <= 0) return;

  p.texp = a.Bt > 0 ? 1 - ExpoReal(-0.6 * W / a.Bt) : 0.0;
  const double frac = AttackedShare(a.Femad, a.Bt, p.texp, a.Delt, W, t);
  a.natkd = frac * W;

  a.lxScale.fill(1);
  if (W > t.firstSurvivalGuard) StageSurvivals(a.lxScale, a.natkd, W, t.first.w, N);
}

void Parova(ScaleParasitoidState& p, const ParasitoidPairTraits& t, bool secondOn, bool firstOn,
            ScaleState& host) {
  ParaSpeciesState& a = p.first;
  ParaSpeciesState& c = p.second;
  const std::array<double, 7> N = host.n;

  // Hosts of each species; a host attacked by both goes to one of them.
  for (int32_t st = 1; st <= 6; ++st) {
    const double muC = 1 - c.lxScale[st];
    const double muA = 1 - a.lxScale[st];
    p.naFirst[st] = 0;
    p.naSecond[st] = 0;
    if (muC + muA > 0) {
      if (t.sharedHostToFirst) {
        p.naFirst[st] = muA * N[st];
        p.naSecond[st] = muC * (1 - muA) * N[st];
      } else {
        p.naFirst[st] = muA * (1 - muC) * N[st];
        p.naSecond[st] = muC * N[st];
      }
    }
  }

  // The scale's survival from parasitism; the coccinellid's predation is the scale's own factor.
  for (int32_t st = 1; st <= 6; ++st) {
    if (N[st] > 0) host.lxParas[st] = 1 - (p.naSecond[st] + p.naFirst[st]) / N[st];
  }

  // Eggs of the second species: one per host.
  if (secondOn) {
    const std::array<double, 7>& na = p.naSecond;
    if (t.mating) {
      // Daughters in the scales (born unmated), sons on the immature parasitoids.
      c.Femin = static_cast<float>(na[3] + na[4] + na[5] + na[6]);
      c.Malin = static_cast<float>(p.NatkdCuImmToMales);
    } else {
      const std::array<double, 7>& phi = p.phi;
      c.Femin = static_cast<float>(0.13 * phi[4] * phi[4] * na[4] + 0.73 * phi[5] * phi[5] * na[5] +
                                   0.92 * phi[6] * phi[6] * na[6]);
      c.Malin = static_cast<float>(na[3] + na[4] + na[5] + na[6] - c.Femin);
    }
    c.Eggs = c.Femin + c.Malin;
  }

  // Mating of the adult unmated females.
  if (t.mating) {
    const double m = c.Males > 0 ? ExpoReal(-c.UnmatedFemad / c.Males) : 1.0;
    c.V = c.adultWindow;
    if (c.UnmatedFemad > 0) {
      for (int32_t i = 1; i <= c.K; ++i) {
        if (c.V[i] > kInWindow) {
          c.Frn[i] = static_cast<float>(c.Frn[i] + m * c.UnmatedFrn[i] * c.V[i]);
          c.UnmatedFrn[i] = static_cast<float>((1 - m) * c.UnmatedFrn[i] * c.V[i]);
        }
      }
    }
  }

  // Eggs of the first species: all female.
  if (firstOn) {
    a.Femin = static_cast<float>(p.naFirst[3] + p.naFirst[4] + p.naFirst[5] + p.naFirst[6]);
    a.Malin = 0;
    a.Eggs = a.Femin;
  }

  // Adult supply/demand: eggs laid over the eggs the females could lay.
  c.adlhf = 1;
  c.Adlsd = 1;
  if (secondOn) {
    c.Adlsd = AdultSupplyDemand(c.Eggs, c.Femad + c.UnmatedFemad, c, t);
    c.adlhf = c.Adlsd;
  }
  a.adlhf = 1;
  a.Adlsd = 1;
  if (firstOn) {
    a.Adlsd = AdultSupplyDemand(a.Eggs, a.Femad, a, t);
    a.adlhf = a.Adlsd;
  }

  if (secondOn) ShiftSupplyDemand(c);
  if (firstOn) ShiftSupplyDemand(a);
}

void SecondSpeciesPopulation(ScaleParasitoidState& p, const ParasitoidPairTraits& t,
                             const ScaleState& host, float spraylevel) {
  ParaSpeciesState& c = p.second;
  const double spray = 1 - spraylevel;

  // Immatures die with their host to the coccinellid; adults by their supply/demand ratio.
  double s1 = (1 - host.RainMort) * c.lx1;
  if (!t.secondSprayAll) s1 *= spray;
  c.V = c.immWindow;
  ApplyInWindow(c.Frn, c.V, c.K, s1);
  ApplyInWindow(c.UnmatedFrn, c.V, c.K, s1);
  ApplyInWindow(c.Mrn, c.V, c.K, s1);

  double s2 = c.adlhf;
  if (!t.secondSprayAll) s2 *= spray;
  c.V = c.adultWindow;
  ApplyInWindow(c.Frn, c.V, c.K, s2);
  ApplyInWindow(c.UnmatedFrn, c.V, c.K, s2);
  ApplyInWindow(c.Mrn, c.V, c.K, s2);

  if (t.secondSprayAll) {
    for (int32_t i = 1; i <= c.K; ++i) {
      c.Frn[i] = static_cast<float>(c.Frn[i] * spray);
      c.UnmatedFrn[i] = static_cast<float>(c.UnmatedFrn[i] * spray);
      c.Mrn[i] = static_cast<float>(c.Mrn[i] * spray);
    }
  }

  c.Femin = static_cast<float>(c.Femin / (1 + 0.02 * c.Delt));
  c.Malin = static_cast<float>(c.Malin / (1 + 0.02 * c.Delt));

  const float del = static_cast<float>(c.Age[4]);
  float out = 0;
  if (t.mating) {
    DelayNoPlr(0, out, c.Frn, del, c.Delt, c.K);
    DelayNoPlr(c.Femin, out, c.UnmatedFrn, del, c.Delt, c.K);
  } else {
    DelayNoPlr(c.Femin, out, c.Frn, del, c.Delt, c.K);
  }
  DelayNoPlr(c.Malin, out, c.Mrn, del, c.Delt, c.K);

  for (int32_t st = 1; st <= 3; ++st) {
    c.V = c.stageWindow[st];
    c.UnmatedFNum[st] = c.Delk * dot(c.UnmatedFrn, c.V, c.K);
    c.MatedFNum[st] = c.Delk * dot(c.Frn, c.V, c.K);
    c.MaleNum[st] = c.Delk * dot(c.Mrn, c.V, c.K);
    c.Num[st] = c.UnmatedFNum[st] + c.MatedFNum[st] + c.MaleNum[st];
    c.Wgt[st] = kParaWeight * c.Num[st];
    c.NumSum[st] += c.Num[st];
  }

  c.V = c.adultWindow;
  c.Femad = c.Delk * dot(c.Frn, c.V, c.K);
  c.UnmatedFemad = c.Delk * dot(c.UnmatedFrn, c.V, c.K);
  c.Males = c.Delk * dot(c.Mrn, c.V, c.K);
  c.Sexratio = c.Num[3] > 0 ? (c.Femad + c.UnmatedFemad) / c.Num[3] : 0.5;
}

void FirstSpeciesPopulation(ScaleParasitoidState& p, const ParasitoidPairTraits& t, bool secondOn,
                            float spraylevel) {
  ParaSpeciesState& a = p.first;
  const ParaSpeciesState& c = p.second;

  // Adults survive by their supply/demand ratio.
  a.V = a.adultWindow;
  ApplyInWindow(a.Frn, a.V, a.K, a.adlhf);
  ApplyInWindow(a.Mrn, a.V, a.K, a.adlhf);

  a.V = a.immWindow;
  if (t.firstImmaturesToCocc) {
    // Immatures die with their host to the coccinellid.
    ApplyInWindow(a.Frn, a.V, a.K, a.lx1);
    ApplyInWindow(a.Mrn, a.V, a.K, a.lx1);
  } else if (secondOn && c.Wgted > 0 && a.ER > 0) {
    // Immature females attacked by the second species' females (males are not attacked).
    for (int32_t i = 1; i <= a.K; ++i) {
      if (a.Frn[i] > kInWindow && a.V[i] > 0) {
        a.Frn[i] = static_cast<float>(a.Frn[i] * (1 - (c.natkd * a.Frn[i] / c.Wgted) / a.ER));
      }
    }
  }

  const double spray = 1 - spraylevel;
  for (int32_t i = 1; i <= a.K; ++i) {
    a.Frn[i] = static_cast<float>(a.Frn[i] * spray);
    a.Mrn[i] = static_cast<float>(a.Mrn[i] * spray);
  }

  a.Malin = static_cast<float>(a.Malin / (1 + 0.02 * a.Delt));
  a.Femin = static_cast<float>(a.Femin / (1 + 0.02 * a.Delt));

  const float del = static_cast<float>(a.Age[4]);
  float out = 0;
  DelayNoPlr(a.Femin, out, a.Frn, del, a.Delt, a.K);
  DelayNoPlr(a.Malin, out, a.Mrn, del, a.Delt, a.K);

  for (int32_t st = 1; st <= 3; ++st) {
    a.V = a.stageWindow[st];
    a.Num[st] = a.Delk * (dot(a.Frn, a.V, a.K) + dot(a.Mrn, a.V, a.K));
    a.Wgt[st] = kParaWeight * a.Num[st];
    a.NumSum[st] += a.Num[st];
  }

  a.V = a.adultWindow;
  a.Femad = a.Delk * dot(a.Frn, a.V, a.K);
  a.Sexratio = 1;
}

void ScaleParasitoidsDay(ScaleParasitoidState& p, const ScaleParasitoidParams& params,
                         ScaleState& host, const ScaleDay& day, float spraylevel) {
  const ParasitoidPairTraits& t = *params.traits;
  ParaSpeciesState& a = p.first;
  ParaSpeciesState& c = p.second;
  const bool firstOn = params.first.on;
  const bool secondOn = params.second.on;

  // Both draws are made every day, and immigrants arrive also for a species that is off.
  if (day.rng.Uniform() <= params.first.ImmigProb) FirstSpeciesImmig(a, params.first, day.rng);
  if (day.rng.Uniform() <= params.second.ImmigProb) {
    SecondSpeciesImmig(c, t, params.second, day.rng);
  }

  float ddb = 0;
  if (!secondOn) {
    c.lxScale.fill(1);
    c.Bt = 0;
    c.Delt = 0;
    c.Femad = 0;
    c.UnmatedFemad = 0;
    c.Males = 0;
  } else {
    ScaleDayDegrees(day, c.Delt, ddb, c.base);
    Survsd(p, t, secondOn, firstOn, host.n);
  }

  if (!firstOn) {
    a.lxScale.fill(1);
    a.Bt = 0;
    a.Delt = 0;
    a.Femad = 0;
  } else {
    ScaleDayDegrees(day, a.Delt, ddb, a.base);
    survsl(p, t, secondOn, firstOn, host.n);
  }

  Parova(p, t, secondOn, firstOn, host);
  if (secondOn) SecondSpeciesPopulation(p, t, host, spraylevel);
  if (firstOn) FirstSpeciesPopulation(p, t, secondOn, spraylevel);
}

void OliveScaleParas(ScaleParasitoidState& p, const Inputs& in, ScaleState& host,
                     const ScaleDay& day, float spraylevel) {
  ScaleParasitoidsDay(p, OliveScaleParaParams(in), host, day, spraylevel);
}

void OleanderParas(ScaleParasitoidState& p, const Inputs& in, ScaleState& host, const ScaleDay& day,
                   float spraylevel) {
  ScaleParasitoidsDay(p, OleanderParaParams(in), host, day, spraylevel);
}

void ScaleParasitoidFreeze(ScaleParasitoidState& p) {
  for (ParaSpeciesState* s : {&p.first, &p.second}) {
    for (int32_t st = 1; st <= 3; ++st) s->Num[st] = 0;
    ParaSpeciesResetSums(*s);
  }
  p.second.MatedFNum[3] = 0;
  p.second.UnmatedFNum[3] = 0;
  p.second.MaleNum[3] = 0;
}

void ParaSpeciesResetSums(ParaSpeciesState& s) {
  s.NumSum.fill(0);
}

}  // namespace olive
