#include "plant/olive_bio.h"

#include <algorithm>
#include <cmath>

#include "plant/class_bounds.h"
#include "toolkit/modutils.h"

namespace olive {

namespace {

// Harvest spares the youngest fruit classes 1..14.
constexpr int32_t kFirstHarvestedClass = 15;
// Ratios below or at this demand count as no demand.
constexpr double kNoDemand = 0.000001;

}  // namespace

void Demand(PlantState& p, const Inputs& in, const DayWeather& today, const SeasonState& season) {
  const float PlantDD = season.PlantDD;
  p.folNrProd = 0;
  p.folMaProd = 0;
  // Temperature scalar: 0 at or outside 9.1 and 37 deg C, 1 at 23.05 deg C.
  const float OliveFF = FFTemperature(today.tmean, 9.1f, 37.0f);

  // New leaves; a new leaf weighs 0.001 mass units.
  p.folNrProd = in.folrate * PlantDD * OliveFF;
  p.folMaProd = p.folNrProd * 0.001;

  // Growth of the young leaves: 1/2600 mass units per leaf per degree-day.
  p.dleaf = 0;
  const int32_t n = YoungLeafClasses(in);
  for (int32_t i = 1; i <= n; ++i) {
    const double age = (i - 0.5) * p.DelkFol;  // mid-age of the class, degree-days
    if (age >= kLeafGrowthAgeDD) {
      p.grl[i] = 0;
    } else {
      p.grl[i] =
          static_cast<float>(OliveFF * (PlantDD * (1.0 / 2600)) * p.FolNumArray[i] * p.DelkFol);
    }
    p.dleaf += p.grl[i];
  }
  p.dleaf += p.folMaProd;

  if (season.harvest) {
    p.Frumass = (Sum(p.FruMassArray, 1, kfru) + Sum(p.FruMassAttacked, 1, kfru)) * p.delkfru;
    p.fruNum = (Sum(p.FruNumArray, 1, kfru) + Sum(p.FruNumAttacked, 1, kfru)) * p.delkfru;
    p.yield = p.Frumass * in.HarvEfficiency;
    const float left = static_cast<float>(1.0 - in.HarvEfficiency);
    for (int32_t i = kFirstHarvestedClass; i <= kfru; ++i) {
      p.FruNumArray[i] *= left;
      p.FruMassArray[i] *= left;
      p.FruNumAttacked[i] *= left;
      p.FruMassAttacked[i] *= left;
    }
    p.OldShootWood = dot(p.ShootWoodArray, p.vOldShootWood, kshoot) * p.delkShootWood;
  }

  // Fruit: a rapid growth phase up to RapidFruGrow, then a slower one up to veraison; the
  // boundary class nr belongs to both. Older fruit has no demand.
  p.dfru = 0;
  const float g1 = static_cast<float>(0.035 / in.RapidFruGrow);
  const int32_t nr = RapidFruitClasses(in);
  for (int32_t i = 1; i <= nr; ++i) {
    p.dfru += static_cast<double>(p.FruNumArray[i] + p.FruNumAttacked[i]) * g1 * PlantDD;
  }
  const double g2 = 1.1 / in.Veraison;
  const int32_t nv = VeraisonClasses(in);
  for (int32_t i = nr; i <= nv; ++i) {
    p.dfru += static_cast<double>(p.FruNumArray[i] + p.FruNumAttacked[i]) * g2 * PlantDD;
  }
  p.dfru = p.dfru * p.delkfru * OliveFF;

  // Vegetative demands in fixed proportion to the leaves'.
  p.droot = 0.1 * p.dleaf;
  p.dframe = 0.5 * p.dleaf;
  p.dshoot = 1.25 * p.dleaf;
  p.dres = 0.25 * p.dleaf;
  if (p.dres <= 0) p.dres = 0.1;
  p.dveg = p.dleaf + p.dshoot + p.droot + p.dframe + p.dres;
  if (p.dveg <= 0) p.dveg = 0.1;

  // Maintenance respiration at 9.1 deg C, corrected with a Q10 of 2.3.
  p.mresp = 0.01 * (p.shootlive + p.framelive) + 0.01 * p.rootlive + 0.03 * p.leafmass +
            0.01 * (p.Frumass + p.reserveTot);
  p.mresp *= Power(2.3f, (today.tmean - 9.1f) / 10);

  // Growth respiration: the vegetative demand grossed up; the fruit demand stays apart.
  p.gresp = 0.3;
  p.dgrowth = p.dveg / (1 - p.gresp);
  p.dtot = p.dgrowth + p.mresp;
}

void Supply(PlantState& p, const Inputs& in, const DayWeather& today) {
  p.PhotoSynthate = 0;
  if (p.leafmass < 0.0001) return;

  // 0.2 m2 of leaf per mass unit, weighted by the efficiency of the leaf's age.
  double trueArea = 0;
  for (int32_t i = 1; i <= kfol; ++i) {
    trueArea += (p.FolWgtArray[i] * p.DelkFol * 0.2) * p.PSageScalar[i];
  }
  p.leafarea = trueArea;
  p.LAI = std::min(trueArea / in.m2PerPlant, 2.73);

  const double intcept = 1.0 - Expo(static_cast<float>(-0.6 * p.LAI));  // extinction 0.6
  const double potAss = 3.85 * today.solrad * in.m2PerPlant;
  if (p.dtot > 0.00001) {
    const double arg = std::max(-1000.0, -intcept * potAss / p.dtot);
    p.PhotoSynthate = p.dtot * (1.0 - Expo(static_cast<float>(arg)));
  } else {
    p.PhotoSynthate = 0;
  }
}

void Ratios(PlantState& p, const SeasonState& season) {
  p.availph = p.PhotoSynthate - p.mresp;
  if (p.availph < 0) {
    // Maintenance exceeds the day's supply. A deficit that empties the reserves takes them
    // all; a smaller one stays in availph and is paid from the day's mobilised reserves.
    const double deficit = -p.availph;
    if (deficit >= p.reserveTot) {
      p.availph = 0;
      p.reserveTot -= deficit;
      if (p.reserveTot < 0) p.reserveTot = 0;
    }
  }

  p.sdfru = 1;
  p.sdveg = 1;
  const double grossUp = 1.0 - p.gresp;  // share of growth carbon that is not respired
  if (!season.harvest) {
    // 4 % of the reserves are mobilised every day.
    const double m = 0.04 * p.reserveTot;
    p.reserveTot -= m;
    p.availph += m;
    // Fruit first, then vegetative growth. An organ whose ratio is below 1 took all there was:
    // nothing is left, not the rounding residue of the subtraction (about 1e-13), which would
    // give the next organ a ratio of 1e-16 instead of 0.
    if (p.dfru > kNoDemand) {
      p.sdfru = Zerone(p.availph / (p.dfru / grossUp));
      p.availph = p.sdfru < 1 ? 0.0 : std::max(0.0, p.availph - p.sdfru * p.dfru / grossUp);
    } else {
      p.sdfru = 0;
    }
    if (p.dveg > kNoDemand) {
      p.sdveg = Zerone(p.availph / (p.dveg / grossUp));
      p.availph = p.sdveg < 1 ? 0.0 : std::max(0.0, p.availph - p.sdveg * p.dveg / grossUp);
    } else {
      p.sdveg = 0;
    }
  } else {
    // Harvest day: the fruit is gone (sdfru stays 1). The reserves' demand is met first,
    // vegetative growth is paid next, and only what remains after both is stored.
    const double sdres = p.dres > kNoDemand ? Zerone(p.availph / p.dres) : 0.0;
    p.availph -= sdres * p.dres;
    p.sdveg = p.dveg > kNoDemand ? Zerone(p.availph / p.dveg) : 0.0;
    p.availph = std::max(0.0, p.availph - p.sdveg * p.dveg);
    p.reserveTot += p.availph;
    p.reserveTot += sdres * p.dres;
    p.availph = 0;
  }
  p.reserveTot += std::max(0.0, p.availph);  // the day's surplus is stored
}

void HourDegrees(double Max1, double Min, double max2, double& hd) {
  const double dif12 = Max1 - Min;
  const double dif23 = max2 - Min;
  hd = 0;
  constexpr double t0 = 7.3;   // deg C, optimum chilling
  constexpr double tx = 21.6;  // deg C, upper limit of positive chilling
  constexpr double a = 0.56;
  double x = 1.5707963267941523;  // pi/2: hour 0 at the previous day's maximum
  double u = 0;
  for (int32_t i = 0; i <= 24; ++i) {
    const double s = std::sin(x);
    // Falling from the previous maximum to the minimum at hour 12, then rising to today's
    // maximum at hour 24.
    const double th = i < 13 ? Max1 - dif12 / 2 + s * dif12 / 2 : max2 - dif23 / 2 + s * dif23 / 2;
    if (th == 0) {
      u = 0;
    } else if (th > 0 && th <= t0) {
      u = th / t0;
    } else if (th > t0 && th <= tx) {
      u = 1 - (1 - a) * (th - t0) * 0.06993006993006994;  // 1/(tx - t0)
    } else if (th > tx) {
      u = -a;  // warm hours undo chilling
    }
    // Below 0 deg C the hour counts as the hour before.
    hd += u;
    x += 0.26179938779914946;  // pi/12: one hour
  }
}

}  // namespace olive
