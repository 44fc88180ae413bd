#include "plant/nitrogen.h"

#include <algorithm>

#include "plant/class_bounds.h"
#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {

namespace {

// Leaf classes younger than this (degree-days) export N to the reserve.
constexpr double kLeafExportAge = 300.0;
// Leaf classes younger than this (degree-days) have an N growth demand.
constexpr double kLeafNDemandAge = 250.0;

// Number of leaf classes younger than kLeafExportAge.
int32_t ExportClasses(float DelkFol) {
  return ClassBound(kLeafExportAge / DelkFol, kfol);
}

}  // namespace

void ResetNitro(NitroState& n) {
  n = NitroState{};
}

void INITRO(ErrorSink& log, NitroState& n, const PlantState& p, const Inputs& in) {
  n.Nuptk = 0;
  n.Ndtot = 0;
  n.Nfruit = 0;
  n.Nshoot = 0;
  n.Nshwood = 0;
  n.shootN = 0;
  n.fruitN = 0;
  n.Nsdtot = 0;
  Fill(n.rleafN, kfol, 0);
  Fill(n.rNfol, kfol, 0);
  Fill(n.dNleaf, kfol, 0);
  Fill(n.perL, kfol, 0);
  Fill(n.rNshoot, kshoot, 0);
  Fill(n.rNroot, kroot, 0);

  n.conclf = 0.07;
  n.concsh = 0.07;
  n.concro = 0.07;
  n.concfra = 0.0044;
  n.concfru = 0.02;

  // Two thirds of the wood's N starts in the reserve; the wood keeps three quarters of its own.
  n.Nrowood = 0.0073 * p.roots;
  n.Nframe = 0.0044 * p.TotalFrame;
  n.Nres = 0.67 * (n.Nframe + n.Nrowood);
  n.Nrowood = 0.75 * n.Nrowood;
  n.Nframe = 0.75 * n.Nframe;

  n.soilN = 1.7 * in.m2PerPlant;
  n.OM = 2.8 * 2420 * in.m2PerPlant;

  n.dayfert = Julian(log, 1, 1, 1988);
  n.Nfert = 0;  // no fertiliser is applied
}

void N_DEMAND(NitroState& n, const PlantState& p, const SeasonState& season) {
  const double Ndleafnew = p.folMaProd * p.sdveg * n.conclf;
  double sum = 0;
  for (int32_t i = 1; i <= kfol; ++i) {
    const double age = (i - 0.5) * p.DelkFol;  // degree-days
    n.dNleaf[i] = age < kLeafNDemandAge ? static_cast<float>(p.sdveg * p.grl[i] * n.conclf) : 0.f;
    sum += n.dNleaf[i];
  }
  n.Ndleaf = sum + Ndleafnew;
  n.Ndshoot = n.concsh * p.dshoot * p.sdveg;
  n.Ndroot = n.concro * p.droot * p.sdveg;
  n.Ndframe = n.concfra * p.dframe * p.sdveg;
  // Fruit set during bloom is poorer in N than the leaf-like tissue of growing fruit.
  n.Ndfru = (season.blooming ? n.concfru : n.conclf) * p.dfru * p.sdfru;
  // The frame's demand is not part of the vegetative demand.
  n.Ndveg = n.Ndleaf + n.Ndshoot + n.Ndroot;
  n.Ndtot = n.Ndveg + n.Ndfru;
}

void N_SUPPLY(NitroState& n, const PlantState& p, const Inputs& in) {
  const double need = std::max(0.0, n.Ndtot - 0.33 * n.Nres);
  if (!(need > 0)) {
    n.Nuptk = 0;
    return;
  }
  // Root access to the soil's N, full once the live roots reach rootmax.
  const double a = Zerone(p.rootlive / in.rootmax);
  // A tiny need gives an exponent far below any float: exp of it is 0 either way.
  const double arg = std::max(-1000.0, -a * n.soilN / need);
  n.Nuptk = need * (1.0 - Expo(static_cast<float>(arg)));
}

void N_RATIOS(NitroState& n, const SeasonState& season) {
  const double Nresut = 0.33 * n.Nres;
  n.Nres -= Nresut;
  double availN = n.Nuptk + Nresut;

  n.Nsdtot = n.Ndtot > 0 ? std::min(availN / n.Ndtot, 1.0) : 1.0;
  n.Nsdfru = 1;
  n.Nsdveg = 1;
  if (!season.blooming) {
    // One common ratio for fruit and vegetative growth.
    const double d = n.Ndveg + n.Ndfru;
    if (d > 0) {
      n.Nsdveg = std::min(availN / d, 1.0);
      availN = std::max(0.0, availN - d * n.Nsdveg);
      n.Nsdfru = n.Nsdveg;
    }
  } else {
    // During bloom the fruit is served first.
    if (n.Ndfru > 0) {
      n.Nsdfru = Zerone(availN / n.Ndfru);
      availN = std::max(0.0, availN - n.Ndfru * n.Nsdfru);
    }
    if (n.Ndveg > 0) {
      n.Nsdveg = Zerone(availN / n.Ndveg);
      availN = std::max(0.0, availN - n.Ndveg * n.Nsdveg);
    }
  }
  n.Nres += availN;  // N not allocated returns to the reserve
}

void N_GROWTH(NitroState& n, const PlantState& p, const Inputs& in, bool blooming,
              const NGrowthDay& day) {
  const int32_t iter = day.iter;
  const float dd = day.dd;
  // Export and loss rates rise as the vegetative N ratio falls (floored at one half).
  const double m = std::max(0.5, n.Nsdveg);

  const int32_t nexp = ExportClasses(p.DelkFol);
  Fill(n.perL, nexp, static_cast<float>(0.007 / m));
  AgeVec plrS{}, plrR{}, plrL{};
  Fill(plrS, kshoot, static_cast<float>(0.05 / m));
  Fill(plrR, kroot, static_cast<float>(0.05 / m));

  // Fruit returns part of its N to the reserve.
  const double e = blooming ? 0.0038 * dd / std::max(0.5, n.Nsdfru) : 0.011 * dd / m;
  n.Nres += e * n.Nfruit;
  n.Nfruit *= (1.0 - e);

  // Inflows of one step. The leaf inflow enters whole in every step.
  const float Nleafin = static_cast<float>(n.conclf * day.lmassin * n.Nsdveg);
  float Nshootin = 0, Nrootin = 0;
  if (iter > 0) {
    Nshootin = static_cast<float>(n.Ndshoot * n.Nsdveg / iter);
    Nrootin = static_cast<float>(n.Ndroot * n.Nsdveg / iter);
  }

  n.Nfruit += n.Ndfru * n.Nsdfru;
  n.Nframe += n.Ndframe * n.Nsdveg;
  n.Nfruit *= day.shedprop;  // the N of shed fruit leaves the tree

  const float delfol = in.delfol;
  const float delshootLive = static_cast<float>(in.delshootLive);
  const float delRootLive = in.delRootLive;
  // Leaf classes lose N only by export inside the delay; their growth is added after each step.
  // As a negative loss rate inside the delay, the growth would be scaled by the class's N after
  // the step's ageing over its N before it: at the front of the N wave, where a class holds
  // next to nothing and receives N from its younger neighbour, that ratio is huge and the leaf N
  // runs away to infinity within weeks.
  plrL = n.perL;
  // Growth of the N already in a young leaf class (entry units): what the loss rate
  // pgrL = -dNleaf * Nsdveg / (rNfol * DelkFol) / iter gives a steady class in one step,
  // -dd / DelkFol * pgrL * rNfol. Only classes that hold N grow; which do is decided step by step.
  AgeVec growth{};
  if (iter > 0) {
    for (int32_t i = 1; i <= kfol; ++i) {
      growth[i] = static_cast<float>(dd / p.DelkFol * n.dNleaf[i] * n.Nsdveg /
                                     (static_cast<double>(p.DelkFol) * iter));
    }
  }
  for (int32_t step = 0; step < iter; ++step) {
    AgeVec leafGrowth;
    for (int32_t i = 1; i <= kfol; ++i) leafGrowth[i] = n.rNfol[i] > 0 ? growth[i] : 0.0f;
    // The reserve receives what the export and loss rates remove in this step: a class loses
    // about dd * rate of its contents (rate * entry * dd, in mass units).
    for (int32_t i = 1; i <= nexp; ++i) n.Nres += dd * n.perL[i] * n.rNfol[i];
    for (int32_t i = 1; i <= kshoot; ++i) n.Nres += dd * plrS[i] * n.rNshoot[i];
    for (int32_t i = 1; i <= kroot; ++i) n.Nres += dd * plrR[i] * n.rNroot[i];

    // The delays' totals of the losses are not needed: the reserve took them above.
    float Nleafout = 0, Nshootout = 0, Nrootout = 0;
    DelayWithPlrNoShed(Nleafin, Nleafout, n.rNfol, plrL, delfol, dd, kfol);
    DelayWithPlrNoShed(Nshootin, Nshootout, n.rNshoot, plrS, delshootLive, dd, kshoot);
    DelayWithPlrNoShed(Nrootin, Nrootout, n.rNroot, plrR, delRootLive, dd, kroot);
    for (int32_t i = 1; i <= kfol; ++i) n.rNfol[i] += leafGrowth[i];

    n.Nres += 0.52 * Nleafout;  // 52 % of the N of senescing leaves is resorbed
    n.Nshwood += Nshootout;
    n.Nrowood += Nrootout;
  }
}

void N_POPULATIONS(NitroState& n, const PlantState& p, const SeasonState& season) {
  n.Nfol = Sum(n.rNfol, 1, kfol) * p.DelkFol;
  n.Nshlive = Sum(n.rNshoot, 1, kshoot) * p.delkShootLive;
  n.Nrolive = Sum(n.rNroot, 1, kroot) * p.delkRootLive;

  n.Nshoot = n.Nshlive + n.Nshwood + p.ashoot * n.Nres;
  n.Nroot = n.Nrolive + n.Nrowood + p.aroot * n.Nres;
  const double Nframetot = n.Nframe + p.aframe * n.Nres;

  for (int32_t i = 1; i <= kfol; ++i) {
    n.rleafN[i] =
        p.FolWgtArray[i] != 0 ? static_cast<float>(100.0 * n.rNfol[i] / p.FolWgtArray[i]) : 0.f;
  }
  n.leafN = p.leafmass > 0 ? 100.0 * n.Nfol / p.leafmass : 0.0;

  if (season.budburst) {
    n.shootN = p.shoots > 0 ? 100.0 * n.Nshoot / p.shoots : 0.0;
    n.fruitN = (!season.harvest && p.Frumass > 0) ? 100.0 * n.Nfruit / p.Frumass : 0.0;
  }
  // Roots and frame are positive while the orchard lives; after a freeze both are 0.
  n.rootN = p.roots > 0 ? 100.0 * n.Nroot / p.roots : 0.0;
  n.frameN = p.TotalFrame > 0 ? 100.0 * Nframetot / p.TotalFrame : 0.0;
}

void SOILNITRO(NitroState& n, const Inputs& in, const SeasonState& season, uint16_t modelday) {
  const double Nappl = modelday == n.dayfert ? n.Nfert : 0.0;
  if (season.budburst) n.soilN += n.OM * 0.05 * 0.04 * 0.005;  // mineralisation
  n.soilN = n.soilN - n.Nuptk + 0.5 * Nappl;
  n.soilN += 0.024657534246575342 * in.m2PerPlant;  // 9/365: constant daily input
  n.soilN -= 0.0136986301369863 * in.m2PerPlant;    // 5/365: constant daily loss
  n.soilN = std::max(0.0, n.soilN);
}

void FreezeNitro(NitroState& n) {
  n.Nsdveg = 1;
  n.Nsdfru = 1;
  n.leafN = 4;
  n.Ndtot = 0;
  n.Nres = 0;
  n.Nuptk = 0;
  Fill(n.rleafN, kfol, 0);
  Fill(n.rNfol, kfol, 0);
  Fill(n.rNshoot, kshoot, 0);
}

}  // namespace olive
