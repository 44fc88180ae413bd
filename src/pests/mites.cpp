#include "pests/mites.h"

#include <algorithm>
#include <cmath>

#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {

namespace {

constexpr double kEggMass = 5e-7;      // mass of one egg
constexpr double kAdultMass = 4e-6;    // mass of one adult
constexpr double kJuvGrowth = 0.0237;  // juvenile relative growth rate per degree-day

// Today's degree-days above base from the station's temperature series.
float DegreeDays(const Weather& wx, uint16_t modelday, float base) {
  float dda = 0, ddb = 0, tmax = 0, tmin = 0;
  Daydegrees(wx.temps.data(), modelday, dda, ddb, base, tmax, tmin);
  return dda;
}

void Scale(AgeVec& v, int32_t from, int32_t to, double factor) {
  for (int32_t i = from; i <= to; ++i) v[i] = static_cast<float>(v[i] * factor);
}

}  // namespace

void InitMites(MiteState& s, const Inputs& in) {
  s.thrWiEgg = in.thrWiEgg;
  s.thrA = in.thrA;
  s.kWiEgg = in.kWiEgg;
  s.MiteKimm = in.MiteKimm;
  s.kAdl = in.kAdl;
  s.delWiEgg = in.delWiEgg;
  s.delEggMite = in.delEggMite;
  s.delJuvMite = in.delJuvMite;
  s.delAdlMite = in.delAdlMite;
  s.delPreovMite = in.delPreovMite;
  s.beta = in.beta;
  s.MiteSexr = in.MiteSexr;

  s.start = false;
  s.springhatch = true;
  s.FirstHatchToday = false;
  s.hatchingDay = 0;
  s.ddWiEgg = s.ddI = s.ddA = 0;
  s.gddWiEgg = s.gddI = s.gddA = 0;
  s.diffWiEgg = s.diffI = s.diffA = 0;
  s.MiteEggs = s.juveniles = s.MiteAdults = s.mobiles = s.mitedays = 0;
  s.sdmean = 1;
  s.sdPU = 0;
  s.newEggs = s.demandJ = s.demandA = s.demandPU = s.MiteResp = s.MiteTotWgt = s.intake = 0;
  s.deutochry = s.MiteImmLoss = s.MiteAdultDeaths = s.MiteAdlLoss = 0;
  ResetMiteSums(s);

  // Only 56 per cent of the eggs laid last autumn live through the winter.
  s.winterEggs = in.winterEggs * 0.56;

  s.delImmMite = s.delEggMite + s.delJuvMite;
  s.delkWiEgg = s.delWiEgg / s.kWiEgg;
  s.delkImm = s.delImmMite / s.MiteKimm;
  s.delkAdl = s.delAdlMite / s.kAdl;
  s.borderEgg = static_cast<int32_t>(s.delEggMite / s.delImmMite * s.MiteKimm);
  s.borderPre = static_cast<int32_t>(s.delPreovMite / s.delAdlMite * s.kAdl);
  s.intrinsurvE = 0.99;
  s.intrinsurvJ = 0.97;
  s.intrinsurvA = 1.0;

  s.vWiEggMite.fill(0);
  s.vWiEggMite[1] = static_cast<float>(s.winterEggs / s.delkWiEgg);
  s.vImmMite.fill(0);
  s.plrImmMite.fill(0);
  s.vEggsMite.fill(0);
  s.vJuvMite.fill(0);
  s.vAdlMite.fill(0);
  s.plrAdlMite.fill(0);
  s.vPreovMite.fill(0);
  s.vOvipMite.fill(0);
  s.ovir.fill(0);
  s.stackMite.fill(0);
  Fill(s.stackMite, 10, 1.0f);

  for (int32_t i = 1; i <= s.borderEgg; ++i) s.vEggsMite[i] = 1;
  for (int32_t i = s.borderEgg + 1; i <= s.MiteKimm; ++i) s.vJuvMite[i] = 1;
  for (int32_t i = 1; i <= s.borderPre; ++i) s.vPreovMite[i] = 1;
  for (int32_t i = s.borderPre + 1; i <= s.kAdl; ++i) s.vOvipMite[i] = 1;

  // Oviposition profile by adult age t (mid-age of the substage, degree-days): nothing before
  // 28 degree-days, then a hump that tails off slowly.
  for (int32_t i = 1; i <= s.kAdl; ++i) {
    const double t = s.delkAdl * (i - 0.5);
    const double r = 0.0124 * (t - 28) / std::pow(1.0186, t - 28);
    s.ovir[i] = static_cast<float>(2.2 * max(0.0f, static_cast<float>(r)));
  }
}

void HEATSUM(MiteState& s, const MiteDayInputs& d) {
  if (s.winterEggs > 0.01) {
    s.ddWiEgg = DegreeDays(d.wx, d.drv.modelday, s.thrWiEgg);
    s.gddWiEgg += s.ddWiEgg;
  }
  if (s.start) {
    // Immatures develop on the plant's degree-days.
    s.ddI = d.PlantDD;
    s.gddI += s.ddI;
    s.ddA = DegreeDays(d.wx, d.drv.modelday, s.thrA);
    s.gddA += s.ddA;
  }
}

void HATCHING(MiteState& s, uint16_t modelday) {
  // Winter eggs advance in whole degree-day steps; the fraction waits for tomorrow.
  const double sum = s.diffWiEgg + s.ddWiEgg;
  const int32_t n = static_cast<int32_t>(sum);
  s.diffWiEgg = sum - n;

  double hatch = 0;
  for (int32_t j = 0; j < n; ++j) {
    float out = 0;
    DelayNoPlr(0.0f, out, s.vWiEggMite, static_cast<float>(s.delWiEgg), 1.0f, s.kWiEgg);
    hatch += out;
  }
  // Hatched larvae enter the first juvenile substage.
  s.vImmMite[s.borderEgg + 1] = static_cast<float>(s.vImmMite[s.borderEgg + 1] + hatch / s.delkImm);

  if (s.juveniles + hatch > 0.5 && !s.start) {
    s.FirstHatchToday = true;
    s.hatchingDay = modelday;
    s.start = true;
  }
  // Once the winter eggs are gone they never hatch again this run, even those laid later.
  if (s.winterEggs < 0.1) {
    s.vWiEggMite.fill(0);
    s.springhatch = false;
  }
}

void MiteDemand(MiteState& s, const MiteDayInputs& d) {
  // Juveniles grow exponentially from egg mass.
  s.demandJ = 0;
  double massJ = 0;
  for (int32_t i = s.borderEgg + 1; i <= s.MiteKimm; ++i) {
    const double age = s.delkImm * (i - 0.5);
    const double weight = kEggMass * std::exp(kJuvGrowth * age);
    const double growthRate = kJuvGrowth * weight;
    const double number = s.delkImm * s.vImmMite[i];
    massJ += number * weight;
    s.demandJ += growthRate * number * s.ddI;
  }

  // Eggs the females would lay today, and their mass.
  s.newEggs = 0;
  for (int32_t i = 1; i <= s.kAdl; ++i) {
    s.newEggs += s.delkAdl * s.vAdlMite[i] * s.MiteSexr * s.ovir[i] * s.ddA;
  }
  s.demandA = s.newEggs * kEggMass;

  const double massA = s.MiteAdults * kAdultMass;
  s.MiteTotWgt = s.demandA + massJ + massA;

  // Heavy rain stops egg laying, but the eggs still count in today's demand.
  if (d.today.precip > 20) s.newEggs = 0;

  // Respiration: 0.24 per day at 26 deg C, Q10 of 2.
  s.MiteResp = (massJ + massA) * 0.24 * std::pow(2.0, (d.today.tmean - 26.0) / 10.0);
  s.demandPU = (s.demandJ + s.demandA + s.MiteResp) / (1 - s.beta);
}

void MiteSupply(MiteState& s, const MiteDayInputs& d) {
  if (d.today.tmean < 6 || s.demandPU < 1e-8) {
    s.intake = 0;
  } else {
    // Demand-driven functional response, search rate 0.1 on the leaf mass.
    s.intake = s.demandPU * (1 - Expo(static_cast<float>(-0.1 * d.plant.leafmass / s.demandPU)));
  }
}

void MiteRatios(MiteState& s) {
  const double food = std::max(0.0, s.intake * (1 - s.beta) - s.MiteResp);
  const double growthDemand = s.demandJ + s.demandA;
  s.sdPU = growthDemand > 0 ? Zerone(food / growthDemand) : 0;
  for (int32_t i = 5; i >= 2; --i) s.stackMite[i] = s.stackMite[i - 1];
  s.stackMite[1] = static_cast<float>(s.sdPU);
  const double fiveDayMean =
      0.2 * (s.stackMite[1] + s.stackMite[2] + s.stackMite[3] + s.stackMite[4] + s.stackMite[5]);
  s.sdmean = std::max(fiveDayMean, s.sdPU);
}

void MORTALITY(const MiteDayInputs& d, MiteSurvivals& surv) {
  surv.spraysurv = 1 - d.spraylevel;
  surv.rainsurvI = 1;
  surv.rainsurvA = 1;
  if (d.today.precip > 10) {
    if (d.today.precip < 20) {
      surv.rainsurvI = 0.8;
    } else {
      surv.rainsurvI = 0.7;
      surv.rainsurvA = 0.7;
    }
  }
  surv.prunsurv = d.drv.PruneToday ? d.plant.PanulmiPruneSurv : 1.0;
  surv.shedsurv =
      (d.plant.leafshed > 0 && d.plant.leafNum > 0) ? 1 - d.plant.leafshed / d.plant.leafNum : 1.0;
}

double DIAPAUSE(int32_t jday, float LatitudeRadians, float tmean, double leafN) {
  const float dl = Daylength(jday, LatitudeRadians);  // hours
  double diap = 0;
  if (dl < 13.5f) {
    diap = 1;
    if (tmean > 18) diap = 0.8;
    if (tmean > 20) diap = 0.6;
    if (tmean > 24) diap = 0;
  }
  // Leaves poor in nitrogen send every egg into diapause.
  if (leafN < 1.5) diap = 1;
  return diap;
}

void MiteGrowth(MiteState& s, const MiteDayInputs& d) {
  // Leaf nitrogen slows immature development and scales fecundity.
  const double Nfctr1 = 1.3 - 0.1 * d.leafN;
  const double Nfctr2 = 0.25 + 0.25 * d.leafN;

  // Whole degree-day steps of the immature and adult delays; fractions carried.
  double sum = s.ddI / Nfctr1 + s.diffI;
  const int32_t nI = static_cast<int32_t>(sum);
  s.diffI = sum - nI;
  sum = s.diffA + s.ddA;
  const int32_t nA = static_cast<int32_t>(sum);
  s.diffA = sum - nA;

  MiteSurvivals surv;
  MORTALITY(d, surv);

  // The test is on the run's day counter, not the day of the year.
  const double diap = d.drv.modelday > 200
                          ? DIAPAUSE(d.drv.jday, d.wx.LatitudeRadians, d.today.tmean, d.leafN)
                          : 0.0;

  const double survivalE = s.intrinsurvE;
  const double survivalI = s.sdmean * s.intrinsurvJ * surv.rainsurvI * surv.spraysurv;
  const double survivalA = s.sdmean * s.intrinsurvA * surv.rainsurvA * surv.spraysurv;

  // Eggs laid today; the diapausing share becomes winter eggs.
  s.newEggs = s.newEggs * s.sdPU * Nfctr2;
  s.vWiEggMite[1] = static_cast<float>(s.vWiEggMite[1] + s.newEggs * diap / s.delkWiEgg);
  s.newEggs = s.newEggs * (1 - diap);

  // Immatures.
  s.deutochry = 0;
  s.MiteImmLoss = 0;
  if (nI < 1) {
    s.vImmMite[1] = static_cast<float>(s.vImmMite[1] + s.newEggs / s.delkImm);
    Scale(s.vImmMite, 1, s.borderEgg, survivalE);
    Scale(s.vImmMite, s.borderEgg + 1, s.MiteKimm, survivalI);
  } else {
    // Loss rates that give the day's survival over nI steps of one degree-day.
    const double plrE = 1 - std::pow(survivalE, s.delkImm / nI);
    const double plrJ = 1 - std::pow(survivalI, s.delkImm / nI);
    for (int32_t i = 1; i <= s.MiteKimm; ++i) {
      s.plrImmMite[i] = static_cast<float>(i <= s.borderEgg ? plrE : plrJ);
    }
    for (int32_t j = 0; j < nI; ++j) {
      float out = 0, loss = 0;
      DelayWithPlr(static_cast<float>(s.newEggs / nI), out, loss, s.vImmMite, s.plrImmMite,
                   static_cast<float>(s.delImmMite), 1.0f, s.MiteKimm);
      s.deutochry += out;
      s.MiteImmLoss += loss;
    }
  }

  // Adults. The immature outflow enters as it is, without the immature substage width.
  s.MiteAdultDeaths = 0;
  s.MiteAdlLoss = 0;
  if (nA < 1) {
    s.vAdlMite[1] = static_cast<float>(s.vAdlMite[1] + s.deutochry / s.delAdlMite * s.kAdl);
    Scale(s.vAdlMite, 1, s.kAdl, survivalA);
  } else {
    const float plrA = static_cast<float>(1 - std::pow(survivalA, s.delkAdl / nA));
    Fill(s.plrAdlMite, s.kAdl, plrA);
    for (int32_t j = 0; j < nA; ++j) {
      float out = 0, loss = 0;
      DelayWithPlr(static_cast<float>(s.deutochry / nA), out, loss, s.vAdlMite, s.plrAdlMite,
                   static_cast<float>(s.delAdlMite), 1.0f, s.kAdl);
      s.MiteAdultDeaths += out;
      s.MiteAdlLoss += loss;
    }
  }

  // Mites on pruned wood and on fallen leaves leave the tree with them.
  const double removal = surv.prunsurv * surv.shedsurv;
  if (removal < 0.99) {
    Scale(s.vImmMite, 1, s.MiteKimm, removal);
    Scale(s.vAdlMite, 1, s.kAdl, removal);
  }
}

void MitePoputaions(MiteState& s) {
  s.winterEggs =
      static_cast<double>(Sum(s.vWiEggMite, 1, static_cast<uint16_t>(s.kWiEgg))) * s.delkWiEgg;
  s.MiteEggs = static_cast<double>(dot(s.vImmMite, s.vEggsMite, s.MiteKimm)) * s.delkImm;
  s.juveniles = static_cast<double>(dot(s.vImmMite, s.vJuvMite, s.MiteKimm)) * s.delkImm;
  s.MiteAdults = static_cast<double>(Sum(s.vAdlMite, 1, static_cast<uint16_t>(s.kAdl))) * s.delkAdl;
  s.mobiles = s.juveniles + s.MiteAdults;
  s.mitedays += s.mobiles;

  s.WinterEggsSum += s.winterEggs;
  s.MiteEggsSum += s.MiteEggs;
  s.JuvenilesSum += s.juveniles;
  s.MiteAdultsSum += s.MiteAdults;
  s.MobilesSum += s.mobiles;
}

void MiteModel(MiteState& s, const MiteDayInputs& d) {
  s.FirstHatchToday = false;
  HEATSUM(s, d);
  if (s.springhatch) HATCHING(s, d.drv.modelday);
  // Checked after the hatch: on the day of the first hatch the balance already runs, with the
  // immature and adult degree-days still at zero.
  if (s.start) {
    MiteDemand(s, d);
    MiteSupply(s, d);
    MiteRatios(s);
    MiteGrowth(s, d);
  }
  MitePoputaions(s);
}

double EggEquivs(double age) {
  return std::pow(10.0, 0.00496 * age);
}

void MitesAvail(const MiteState& s, double& PA) {
  // Juveniles weighted by their egg equivalents at the substage's upper age; adults are not prey.
  double juv = 0;
  for (int32_t i = 1; i <= s.MiteKimm; ++i) {
    if (s.vJuvMite[i] > 0) juv += EggEquivs(s.delkImm * i) * s.vImmMite[i];
  }
  PA = s.delkImm * juv + s.MiteEggs;
}

void MiteMort(MiteState& s, float MiteSurv) {
  for (int32_t i = 1; i <= s.MiteKimm; ++i) s.vImmMite[i] *= MiteSurv;
  for (int32_t i = 1; i <= s.kAdl; ++i) s.vAdlMite[i] *= MiteSurv;
}

void FreezeMites(MiteState& s) {
  s.winterEggs = s.MiteEggs = s.juveniles = s.MiteAdults = s.mobiles = 0;
  ResetMiteSums(s);
}

void ResetMiteSums(MiteState& s) {
  s.WinterEggsSum = s.MiteEggsSum = s.JuvenilesSum = s.MiteAdultsSum = s.MobilesSum = 0;
}

void SaveMiteHarvestValues(MiteState& s) {
  s.WinterEggsSave = s.WinterEggsSum;
  s.MiteEggsSave = s.MiteEggsSum;
  s.JuvenilesSave = s.JuvenilesSum;
  s.MiteAdultsSave = s.MiteAdultsSum;
  s.MobilesSave = s.MobilesSum;
}

}  // namespace olive
