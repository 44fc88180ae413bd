#include "pests/scale.h"

#include <cmath>

#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {

namespace {

// Cap of the day's degree-days in the temperature index, degree-days.
constexpr double kScaleddmax = 21;

// Food taken from the tree: search rate on the tree's sugars, and the tree's mass unit in
// scale mass units.
constexpr double kSearchRate = 0.85;
constexpr double kScalePerPlantMass = 1000;
constexpr double kPlantPerScaleMass = 0.001;

// Mass of an individual at age a (degree-days from the start of the crawler stage) grows at this
// rate per degree-day: 1.8e-5 * e^(0.0042 a), scale mass units.
float GrowthRate(double a) {
  return 1.8e-5f * Expo(static_cast<float>(0.0042 * a));
}

// Embryo mass growth per embryo and degree-day, scale mass units.
constexpr float kEmbryoGrowth = 4.3e-5f;

// The spray's survival factor of the day.
double SprayFactor(const ScaleTraits& traits, float spraylevel) {
  return traits.sprayZeroned ? Zerone(1 - spraylevel) : static_cast<double>(1 - spraylevel);
}

}  // namespace

void ScaleDayDegrees(const ScaleDay& day, float& dda, float& ddb, float base) {
  Daydegrees(day.wx.temps.data(), day.modelday, dda, ddb, base, day.today.tmax, day.today.tmin);
}

ScaleParams OliveScaleParams(const Inputs& in) {
  return ScaleParams{&kOliveScaleTraits,   in.OliveScaleImmigProb, in.OliveScaleIns,
                     in.OliveScaleInspcnt, in.OliveScalebeta,      in.ed};
}

ScaleParams OleanderScaleParams(const Inputs& in) {
  return ScaleParams{&kOleanderScaleTraits,   in.OleanderScaleImmigProb, in.OleanderScaleIns,
                     in.OleanderScaleInspcnt, in.OleanderScalebeta,      in.ed};
}

void ScaleSetup(ErrorSink& log, ScaleState& s, const ScaleTraits& traits) {
  // Only what is named here is set: the day's results of an earlier pass (biomass, reserves) are
  // left as they stand and read by the first day's respiration demand.
  s.age = {0, 80, 160, 634, 796, 1596};
  s.base = 11;
  s.k = 25;
  s.Delk = s.age[5] / static_cast<double>(s.k);
  s.delEm = 100;
  s.kEm = 25;
  s.delkEm = 4;
  s.kCrawl = static_cast<int32_t>(std::nearbyint(s.age[2] / s.age[5] * s.k));
  s.EmbShedMin = 0;
  s.EmbShedMax = 60;

  const float del = s.age[5];
  const float larv2End = s.age[3] - (s.age[3] - s.age[2]) / 2;  // 397: half of 160..634
  wdwvec(log, 0, s.age[1], s.k, del, s.vStage[1]);
  wdwvec(log, s.age[1], s.age[2], s.k, del, s.vStage[2]);
  wdwvec(log, s.age[2], larv2End, s.k, del, s.vStage[3]);
  wdwvec(log, larv2End, s.age[3], s.k, del, s.vStage[4]);
  wdwvec(log, s.age[3], s.age[4], s.k, del, s.vStage[5]);
  wdwvec(log, s.age[4], s.age[5], s.k, del, s.vStage[6]);
  wdwvec(log, s.age[1], s.age[3], s.k, del, s.vGrow);
  wdwvec(log, s.age[3], s.age[5], s.k, del, s.vTotadlts);
  wdwvec(log, s.age[2], s.age[5], s.k, del, s.vAttk);
  wdwvec(log, s.EmbShedMin, s.EmbShedMax, s.kEm, s.delEm, s.vEmb);

  // The embryo vectors are filled by the same loop, over the life delay's substages.
  for (int32_t i = 1; i <= s.k; ++i) {
    s.NumArray[i] = traits.initialContents;
    s.WgtArray[i] = traits.initialContents;
    s.ReserveArray[i] = traits.initialContents;
    s.EmbNumArray[i] = traits.initialContents;
    s.EmbWgtArray[i] = traits.initialContents;
  }

  s.lxParas.fill(1);
  s.Adults = 0;
  s.sdtot = 0;
  s.ovawgt = 0;
  s.Fin = false;
}

void OliveScaleSetup(ErrorSink& log, ScaleState& s) {
  ScaleSetup(log, s, kOliveScaleTraits);
}

void OleanderScaleSetup(ErrorSink& log, ScaleState& s) {
  ScaleSetup(log, s, kOleanderScaleTraits);
}

double ScaleTemperatureIndex(float degreeDays) {
  const float dd = min(degreeDays, static_cast<float>(kScaleddmax));
  const double x = kScaleddmax - dd;
  double R = 0.0011 * x / Power(1.25f, static_cast<float>(x));
  if (dd <= 0) R = 0;
  double index = 551.41990625861593 * R;
  if (index < 0) index = 0;
  return index;
}

void ScaleImmig(ScaleState& s, const ScaleParams& p, Rng& rng) {
  s.lxParas.fill(1);
  s.Adults = 0;
  s.reserves = 0.004f;
  s.sdtot = 1;
  s.ovawgt = 0;
  s.Fin = false;
  s.Go = true;

  ScaleCount(s);

  // Immigrant crawlers, as a flow rate of the crawler substage; each brings 0.004 mass units and
  // 0.0004 reserve, and the whole substage takes that mass per head.
  const double xin = Fran(rng, p.Ins, p.Inspcnt) / s.Delk;
  const int32_t kc = s.kCrawl;
  s.NumArray[kc] = static_cast<float>(s.NumArray[kc] + xin);
  s.WgtArray[kc] = 0.004f * s.NumArray[kc];
  s.ReserveArray[kc] = 0.0004f * s.NumArray[kc];

  for (int32_t st = 1; st <= 6; ++st) s.n[st] = s.Delk * dot(s.NumArray, s.vStage[st], s.k);
}

void ScaleDemand(ScaleState& s, const ScaleParams& p, float edNum1) {
  const float DT = s.Delt;

  // Growth of the growing immatures; w keeps the rate of the last substage visited, which the
  // parasitoid term below reuses.
  float dmgrow = 0;
  float w = 1;
  for (int32_t i = 1; i <= s.k; ++i) {
    if (s.vGrow[i] > 0 || s.vTotadlts[i] > 0) {
      double a = s.Delk * i - s.age[1];
      if (s.vTotadlts[i] > 0) a = s.Delk * s.age[3] / s.age[5] - s.age[1];
      w = GrowthRate(a);
      dmgrow += s.NumArray[i] * s.vGrow[i] * w;
    }
  }
  dmgrow = static_cast<float>(s.Delk * dmgrow * DT);

  // Immatures of the parasitoid ed grow on the scale's food too.
  float totedwgt = 0;
  if (p.ed) {
    totedwgt = edNum1 * w;
    dmgrow += totedwgt * DT;
  }
  s.dmgrow = dmgrow;

  float embryos = 0;
  for (int32_t i = 1; i <= s.kEm; ++i) embryos += kEmbryoGrowth * s.EmbNumArray[i];
  s.dmemb = s.delkEm * DT * embryos;

  s.dmRes = 0.05f * (s.dmgrow + s.dmemb);

  // Maintenance respiration of the standing biomass (eggs and reserves excluded) and of today's
  // new growth, Q10 of 2.
  const float rate = DT > 0 ? 0.008f * Power(2, 0.1f * DT) : 0.0f;
  float t = s.TotWgt - s.ovawgt + s.dmemb + s.dmgrow - s.reserves + totedwgt;
  if (t < 1e-8f) t = 0;
  s.dmresp = rate * t;

  // Gross demand: the net needs inflated by the share that is not assimilated. With nothing
  // assimilated (beta of 1 or more) the scale asks for nothing.
  const float net = s.dmgrow + s.dmRes + s.dmresp + s.dmemb;
  const float assimilated = 1 - p.beta;
  s.dmtot = assimilated > 0 ? net / assimilated : 0.0f;
}

void ScaleSupply(ScaleState& s, PlantState& plant) {
  s.food = 0;
  if (s.dmtot <= 0) return;

  float D = s.dmtot;
  if (D < 1e-20f) D = 0;
  float food1 = 0;
  if (D > 1e-5f) {
    food1 =
        D *
        (1 - Expo(static_cast<float>(-kSearchRate * kScalePerPlantMass * plant.PhotoSynthate / D)));
  }

  // Fresh photosynthate meets the demand.
  if (0.95f * s.dmtot < food1) {
    plant.PhotoSynthate -= kPlantPerScaleMass * food1;
    s.food = food1;
    return;
  }

  // Otherwise the scale also draws on the reserves; what fresh photosynthate did not supply is
  // charged to the reserve pool.
  if (D > -1e-6f && D < 1e-6f) D = 0;
  float food2 = 0;
  if (D > 0) {
    food2 = D * (1 - Expo(static_cast<float>(-kSearchRate * kScalePerPlantMass *
                                             (plant.PhotoSynthate + plant.reserveTot) / D)));
  }
  plant.PhotoSynthate -= kPlantPerScaleMass * food1;
  plant.reserveTot -= kPlantPerScaleMass * (food2 - food1);
  s.food = food2;
}

void ScaleCosts(ScaleState& s, const ScaleParams& p) {
  s.food = max((1 - p.beta) * s.food - s.dmresp, 0);
}

void Scalesdr(ScaleState& s) {
  s.sdtot = 1;
  const float totdm = s.dmemb + s.dmRes + s.dmgrow;
  if (totdm > 1e-5f) {
    s.sdtot = s.food / totdm;
    if (s.sdtot > 1) s.sdtot = 1;
  }
  s.sdemb = static_cast<float>(s.sdtot);
  s.sdgrow = static_cast<float>(s.sdtot);
  s.food = 0;
}

void ScaleMort(ScaleState& s, const ScaleTraits& traits, float spraylevel) {
  const double sd = s.sdtot;             // starvation reduces survival in proportion
  const float tempmort = 0.01f * s.Ddb;  // one per cent per degree-day below the base
  s.RainMort = 0;
  const double spray = SprayFactor(traits, spraylevel);
  // A cold beyond 100 degree-days below the base in a day kills everything.
  const float coldBase = max(1 - tempmort, 0);

  // Embryos of a parasitised mother die with her.
  const double Acx = (1 - s.RainMort) * s.Cocclx * s.lxParas[6] * spray;
  const double embSurv =
      Acx * sd * Power(coldBase, traits.embryoColdExponent / static_cast<float>(s.kEm));
  for (int32_t i = 1; i <= s.kEm; ++i) {
    if (s.vEmb[i] > 0) {
      s.EmbNumArray[i] = static_cast<float>(s.EmbNumArray[i] * embSurv);
      s.EmbWgtArray[i] = static_cast<float>(s.EmbWgtArray[i] * embSurv);
    }
  }

  const float cold = Power(coldBase, 1.0f / static_cast<float>(s.k));
  for (int32_t i = 1; i <= s.k; ++i) {
    double p = 0;  // parasitised fraction of the substage
    for (int32_t st = 1; st <= 6; ++st) p += (1 - s.lxParas[st]) * s.vStage[st][i];
    const double lx = Zerone(cold * (1 - p) * sd * (1 - s.RainMort) * s.Cocclx * spray);
    s.NumArray[i] = static_cast<float>(s.NumArray[i] * lx);
    s.WgtArray[i] = static_cast<float>(s.WgtArray[i] * lx);
    s.ReserveArray[i] = static_cast<float>(s.ReserveArray[i] * lx);
  }
}

void ScaleGrowth(ScaleState& s) {
  const float DT = s.Delt;
  for (int32_t i = 1; i <= s.k; ++i) {
    if (s.vGrow[i] > 0) {
      const float delwgt =
          GrowthRate(s.Delk * i - s.age[1]) * s.NumArray[i] * s.vGrow[i] * s.sdgrow * DT;
      s.WgtArray[i] += delwgt;
      s.ReserveArray[i] += 0.05f * delwgt;
    }
  }
  for (int32_t i = 1; i <= s.kEm; ++i) {
    s.EmbWgtArray[i] += s.EmbNumArray[i] * kEmbryoGrowth * s.sdemb * DT;
  }
}

void ScaleNewEmbryos(ScaleState& s, const ScaleTraits& traits) {
  const float DT = s.Delt;

  // Oviposition of the ovipositing adults: per female 0.03356 a / 1.00469^a at a degree-days of
  // reproductive life (the middle of the substage), peaking near 214 degree-days at about 2.64.
  double bn1 = 0;
  for (int32_t i = 1; i <= s.k; ++i) {
    if (s.vStage[6][i] > 0) {
      const double a = std::max(s.Delk * (i - 0.5) - s.age[4], 0.0);
      const double adinbin = s.vStage[6][i] * s.NumArray[i];
      bn1 += 0.03356 * adinbin * a / Power(1.00469f, static_cast<float>(a));
    }
  }

  const double q = (DT - traits.birthOptimum) * traits.birthSpread;
  const double ff = std::max(1 - q * q, 0.0);
  bn1 = s.Delk * traits.femaleShare * bn1 * s.sdemb * ff;
  if (traits.birthsPerDegreeDay) bn1 *= DT;
  bn1 = std::max(bn1, 0.0);

  // Embryos develop inside the mothers; those that leave the embryo delay are born.
  float bornnr = 0, bornwt = 0;
  DelayNoPlr(static_cast<float>(bn1), bornnr, s.EmbNumArray, s.delEm, DT, s.kEm);
  s.EmbNumTot = Sum(s.EmbNumArray, 1, static_cast<uint16_t>(s.kEm)) * s.delEm / s.kEm;
  DelayNoPlr(0, bornwt, s.EmbWgtArray, s.delEm, DT, s.kEm);
  bornnr *= s.delkEm;
  bornwt *= s.delkEm;

  // What leaves the last substage of the life delay dies of old age.
  float out = 0;
  DelayNoPlr(bornnr, out, s.NumArray, s.age[5], DT, s.k);
  DelayNoPlr(bornwt, out, s.WgtArray, s.age[5], DT, s.k);
  DelayNoPlr(0.1f * bornwt, out, s.ReserveArray, s.age[5], DT, s.k);
}

void ScaleCount(ScaleState& s) {
  for (int32_t st = 1; st <= 6; ++st) s.n[st] = s.Delk * dot(s.NumArray, s.vStage[st], s.k);
  s.imm = static_cast<float>(s.Delk * dot(s.NumArray, s.vGrow, s.k));
  s.Adults = s.Delk * dot(s.NumArray, s.vTotadlts, s.k);

  for (int32_t st = 1; st <= 4; ++st) s.nSum[st] += s.n[st];
  s.AdultsSum += s.Adults;

  s.size.fill(0);
  for (int32_t st = 2; st <= 6; ++st) {
    if (s.n[st] > 0) {
      s.size[st] = s.Delk * dot(s.WgtArray, s.vStage[st], s.k) / s.n[st];
      if (s.size[st] < 0.0001) s.size[st] = 0;
    }
  }

  const float cimwgt = static_cast<float>(s.Delk * dot(s.WgtArray, s.vGrow, s.k));
  s.ovawgt = static_cast<float>(s.Delk * dot(s.WgtArray, s.vStage[1], s.k));
  const float adlwgt = static_cast<float>(s.Delk * dot(s.WgtArray, s.vTotadlts, s.k));
  const float preovw = static_cast<float>(s.Delk * dot(s.WgtArray, s.vStage[5], s.k));
  const float ewgt = Sum(s.EmbWgtArray, 1, static_cast<uint16_t>(s.kEm)) * s.delkEm;
  s.reserves = static_cast<float>(s.Delk * Sum(s.ReserveArray, 1, static_cast<uint16_t>(s.k)));

  // The pre-ovipositing adults, already inside adlwgt, are counted a second time.
  s.TotWgt = s.ovawgt + cimwgt + adlwgt + preovw + ewgt + s.reserves;

  if (s.Adults + s.imm + s.n[1] <= 1e-8) {
    s.TotWgt = 0;
    s.n[1] = 0;
    s.imm = 0;
    s.Adults = 0;
  }
}

void ScaleDone(ScaleState& s) {
  s.Fin = (s.Adults + s.imm + s.n[1] <= 0);
  if (s.Fin) {
    s.imm = 0;
    s.Adults = 0;
    s.n[1] = 0;
  }
}

void ScaleMod(ScaleState& s, const ScaleParams& p, PlantState& plant, const ScaleDay& day,
              float spraylevel, float edNum1) {
  const ScaleTraits& traits = *p.traits;

  ScaleDayDegrees(day, s.Delt, s.Ddb, s.base);
  s.Delt = min(s.Delt, static_cast<float>(kScaleddmax));
  s.Index = ScaleTemperatureIndex(s.Delt);
  // The index, not the raw degree-days, drives development, growth and births.
  s.Delt = static_cast<float>(kScaleddmax * s.Index);

  if (day.rng.Uniform() <= p.ImmigProb) ScaleImmig(s, p, day.rng);

  ScaleDemand(s, p, edNum1);
  ScaleSupply(s, plant);
  ScaleCosts(s, p);
  Scalesdr(s);
  ScaleMort(s, traits, spraylevel);
  ScaleGrowth(s);
  ScaleNewEmbryos(s, traits);
  ScaleCount(s);
  ScaleDone(s);
}

void OliveScaleMod(ScaleState& s, const Inputs& in, PlantState& plant, const ScaleDay& day,
                   float spraylevel, float edNum1) {
  ScaleMod(s, OliveScaleParams(in), plant, day, spraylevel, edNum1);
}

void OleanderScaleMod(ScaleState& s, const Inputs& in, PlantState& plant, const ScaleDay& day,
                      float spraylevel, float edNum1) {
  ScaleMod(s, OleanderScaleParams(in), plant, day, spraylevel, edNum1);
}

void ScaleFreeze(ScaleState& s) {
  for (int32_t st = 1; st <= 4; ++st) s.n[st] = 0;
  s.Adults = 0;
  s.EmbNumTot = 0;
  s.sdtot = 0;
  ScaleResetSums(s);
}

void ScaleResetSums(ScaleState& s) {
  s.nSum.fill(0);
  s.AdultsSum = 0;
}

}  // namespace olive
