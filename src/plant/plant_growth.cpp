#include "plant/plant_growth.h"

#include <algorithm>
#include <cmath>

#include "plant/class_bounds.h"
#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {

namespace {

// Share of the live tissue ageing out of a live delay that becomes wood, and share of
// senescing tissue recycled to the reserves.
constexpr double kToWood = 0.67;
// Attacked fruit falls between these fruit ages (degree-days).
constexpr double kAttackedFallFrom = 533.3, kAttackedFallTo = 800.0;

// Grows the fruit mass of classes first..last by rate * fruit number * PlantDD * sdfru.
void GrowFruit(PlantState& p, int32_t first, int32_t last, double rate, float PlantDD) {
  for (int32_t i = first; i <= last; ++i) {
    p.FruMassArray[i] += static_cast<float>(rate * p.FruNumArray[i] * PlantDD * p.sdfru);
    p.FruMassAttacked[i] += static_cast<float>(rate * p.FruNumAttacked[i] * PlantDD * p.sdfru);
  }
}

}  // namespace

void Growth(PlantState& p, NitroState& n, const Inputs& in, const DayWeather& today,
            const SeasonState& season) {
  const float PlantDD = season.PlantDD;
  if (PlantDD <= 0) return;
  const float oliveFF = FFTemperature(today.tmean, 9.1f, 37.0f);

  // Fruit mass: rapid phase, then slow phase to veraison (class nr grows in both).
  const int32_t nr = RapidFruitClasses(in);
  GrowFruit(p, 1, nr, 0.035 * oliveFF / in.RapidFruGrow, PlantDD);
  const int32_t nv = VeraisonClasses(in);
  GrowFruit(p, nr, nv, 1.1 * oliveFF / in.Veraison, PlantDD);

  // Shedding of young fruit (the vFruitShed window, 0..500 degree-days): an intrinsic 0.5 % per
  // degree-day, and under carbon stress down to a tenth retained.
  const double SdShedRate = std::max(0.1, p.sdfru);
  const double IntrinsicShedRate = std::pow(0.995, static_cast<double>(PlantDD));
  const float shedprop = static_cast<float>(SdShedRate * IntrinsicShedRate);
  for (int32_t i = 1; i <= kfru; ++i) {
    if (!(p.vFruitShed[i] > 0)) continue;
    const float s = 1 - shedprop * p.vFruitShed[i];  // fraction shed today
    p.TotShed += s * p.FruNumArray[i];
    p.FruNumArray[i] -= s * p.FruNumArray[i];
    p.FruMassArray[i] -= s * p.FruMassArray[i];
    p.TotShed += s * p.FruNumAttacked[i];
    p.FruNumAttacked[i] -= s * p.FruNumAttacked[i];
    p.FruMassAttacked[i] -= s * p.FruMassAttacked[i];
  }

  // Fruit totals after shedding, for the pests that run before Populations.
  p.FruNumAtk = dot(p.FruNumAttacked, p.vFruit, kfru) * p.delkfru;
  p.fruNum = dot(p.FruNumArray, p.vFruit, kfru) * p.delkfru + p.FruNumAtk;
  p.Frumass = dot(p.FruMassArray, p.vFruit, kfru) * p.delkfru +
              dot(p.FruMassAttacked, p.vFruit, kfru) * p.delkfru;

  // Today's inflows, scaled by the vegetative ratio.
  const float lnumin = static_cast<float>(p.folNrProd * p.sdveg);
  const float lmassin = static_cast<float>(p.folMaProd * p.sdveg);
  const float shootin = static_cast<float>(p.dshoot * p.sdveg);
  const float rootin = static_cast<float>(p.droot * p.sdveg);
  const float framein = static_cast<float>(p.dframe * p.sdveg);

  // Growth of the young leaves (grl already holds the temperature scalar once).
  const int32_t nyoung = YoungLeafClasses(in);
  for (int32_t i = 1; i <= nyoung; ++i) {
    if (p.FolWgtArray[i] > 0) {
      p.FolWgtArray[i] += static_cast<float>(p.sdveg * oliveFF * p.grl[i] / p.DelkFol);
    }
  }

  // Ageing. An outflow times the live delay's class width is the mass that left; two thirds of
  // it becomes wood.
  const float delshootLive = static_cast<float>(in.delshootLive);
  const float delShootWood = static_cast<float>(in.delShootWood);
  const float delframeLive = static_cast<float>(in.delframeLive);
  const float delframeWood = static_cast<float>(in.delframeWood);
  float lnumout = 0, lmassout = 0, out1 = 0, out2 = 0, rootout = 0, rootwoodout = 0;
  float frameout = 0, framewoodout = 0;
  DelayNoPlr(lnumin, lnumout, p.FolNumArray, in.delfol, PlantDD, kfol);
  DelayNoPlr(lmassin, lmassout, p.FolWgtArray, in.delfol, PlantDD, kfol);
  DelayNoPlr(shootin, out1, p.ShootliveArray, delshootLive, PlantDD, kshoot);
  DelayNoPlr(static_cast<float>(kToWood * out1 * in.delshootLive / kroot), out2, p.ShootWoodArray,
             delShootWood, PlantDD, kshoot);
  DelayNoPlr(rootin, rootout, p.RootLiveArray, in.delRootLive, PlantDD, kroot);
  DelayNoPlr(static_cast<float>(kToWood * rootout * in.delRootLive / kroot), rootwoodout,
             p.RootWoodArray, in.delRootWood, PlantDD, kroot);
  DelayNoPlr(framein, frameout, p.FrameliveArray, delframeLive, PlantDD, kroot);
  DelayNoPlr(static_cast<float>(kToWood * frameout * in.delframeLive / kroot), framewoodout,
             p.FrameWoodArray, delframeWood, PlantDD, kroot);

  // Flowers that complete bloom become fruit of 0.01 mass units; the fruit delays age every
  // day, also outside bloom.
  float Frunumin = 0;
  if (season.blooming) {
    float BloomOut = 0;
    DelayNoPlr(0, BloomOut, p.BloomArray, p.delbloom, PlantDD, p.kbloom);
    Frunumin = BloomOut * p.delbloom / p.kbloom;
  }
  float frunumout = 0, frumassout = 0;
  DelayNoPlr(Frunumin, frunumout, p.FruNumArray, in.delfru, PlantDD, kfru);
  DelayNoPlr(0.01f * Frunumin, frumassout, p.FruMassArray, in.delfru, PlantDD, kfru);

  // Fruit attacked by the olive fly ages too, and falls between 533.3 and 800 degree-days.
  if (in.OliveFlyInRun) {
    float atknumout = 0, atkmassout = 0;
    DelayNoPlr(0, atknumout, p.FruNumAttacked, in.delfru, PlantDD, kfru);
    DelayNoPlr(0, atkmassout, p.FruMassAttacked, in.delfru, PlantDD, kfru);
    for (int32_t i = 1; i <= kfru; ++i) {
      const double age = p.delkfru * (i - 1);  // degree-days
      double mu = 0;
      if (age > kAttackedFallFrom && age <= kAttackedFallTo) {
        mu = 0.025 * Expo(static_cast<float>(-0.025 * (age - kAttackedFallFrom))) * PlantDD;
      }
      const double fall = mu * p.FruNumAttacked[i];
      p.FruNumAttacked[i] = static_cast<float>(p.FruNumAttacked[i] - fall);
      p.FruMassAttacked[i] = static_cast<float>((1 - mu) * p.FruMassAttacked[i]);
    }
  }

  // Two thirds of the senescing shoot wood, live roots and leaf mass return to the reserves.
  p.reserveTot += kToWood * (out2 + rootout) * in.delRootLive / kroot;
  p.reserveTot += kToWood * lmassout * in.delfol / kfol;

  p.leafshed += lnumout;

  if (in.nitro) {
    NGrowthDay day;
    day.iter = static_cast<int32_t>(PlantDD);  // whole degree-days: one N step each
    day.dd = 1.0f;
    day.lmassin = lmassin;
    day.shedprop = shedprop;
    N_GROWTH(n, p, in, season.blooming, day);
  }
}

void Populations(PlantState& p, NitroState& n, const Inputs& in, const SeasonState& season) {
  p.leafNum = Sum(p.FolNumArray, 1, kfol) * p.DelkFol;
  p.leafmass = Sum(p.FolWgtArray, 1, kfol) * p.DelkFol;

  p.shootlive = Sum(p.ShootliveArray, 1, kshoot) * p.delkShootLive;
  p.ShootWood = Sum(p.ShootWoodArray, 1, kshoot) * p.delkShootWood;
  p.rootlive = Sum(p.RootLiveArray, 1, kroot) * p.delkRootLive;
  p.RootWood = Sum(p.RootWoodArray, 1, kroot) * p.delkRootWood;
  p.framelive = Sum(p.FrameliveArray, 1, kroot) * p.delkFrameLive;
  p.framewood = Sum(p.FrameWoodArray, 1, kroot) * p.delkFrameWood;

  p.fruNum = (Sum(p.FruNumArray, 1, kfru) + Sum(p.FruNumAttacked, 1, kfru)) * p.delkfru;
  p.Frumass = (Sum(p.FruMassArray, 1, kfru) + Sum(p.FruMassAttacked, 1, kfru)) * p.delkfru;
  p.FruNumAtk = Sum(p.FruNumAttacked, 1, kfru) * p.delkfru;

  // The reserves are shared out in proportion to yesterday's organ totals.
  const double sum = p.shoots + p.roots + p.TotalFrame;
  if (sum > 0) {
    p.ashoot = p.shoots / sum;
    p.aroot = p.roots / sum;
    p.aframe = p.TotalFrame / sum;
  } else {
    p.ashoot = 0;
    p.aroot = 0;
    p.aframe = 0;
  }
  p.shoots = p.shootlive + p.ShootWood + p.ashoot * p.reserveTot;
  p.roots = p.rootlive + p.RootWood + p.aroot * p.reserveTot;
  p.TotalFrame = p.framelive + p.framewood + p.aframe * p.reserveTot;

  if (in.nitro) N_POPULATIONS(n, p, season);
}

void Prune(PlantState& p, NitroState& n, bool& PruneToday, uint8_t which) {
  PruneToday = true;
  p.PruneFactor = 0;
  p.ShootFactor = 1;
  if (which == 1) {  // winter pruning
    p.PruneFactor = 0.25;
    p.ShootFactor = 1.7;
    p.PanulmiPruneSurv = 1;
  } else if (which == 2) {  // summer pruning
    p.PruneFactor = 0.1;
    p.ShootFactor = 1;
    p.PanulmiPruneSurv = 1 - p.PruneFactor;
  }
  const float kept = static_cast<float>(1 - p.PruneFactor);
  for (int32_t i = 1; i <= kfol; ++i) {
    p.FolNumArray[i] *= kept;
    p.FolWgtArray[i] *= kept;
    n.rNfol[i] *= kept;
  }
  for (int32_t i = 1; i <= kshoot; ++i) {
    p.ShootliveArray[i] *= kept;
    n.rNshoot[i] *= kept;
  }
  // The shoots' share of the reserves goes with the pruned wood.
  p.reserveTot -= p.reserveTot * p.ashoot * p.PruneFactor;
  n.Nres -= n.Nres * p.ashoot * p.PruneFactor;
  p.shootnr *= p.ShootFactor;
}

}  // namespace olive
