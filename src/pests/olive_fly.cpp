#include "pests/olive_fly.h"

#include <cmath>

#include "toolkit/delays.h"
#include "toolkit/vector_clones.h"

namespace olive {

namespace {

// The youngest fruit class that holds immatures, kfru + 1 when none does. Immatures only ever
// move to older fruit classes, so the classes below it stay empty for the rest of the day: the
// steps below skip them, where they would only add and move exact zeros.
int32_t FirstOccupiedClass(const OliveFlyMatrix& m, int32_t kLarv) {
  std::array<int32_t, kfru + 1> occupied{};
  for (int32_t i = 1; i <= kLarv; ++i) {
    for (int32_t j = 1; j <= kfru; ++j) occupied[j] |= static_cast<int32_t>(m[i][j] != 0.0f);
  }
  int32_t j = 1;
  while (j <= kfru && occupied[j] == 0) ++j;
  return j;
}

// Ages every row of the immature matrix along fruit age: each row is a delay of kfru substages
// and mean delfru in plant degree-days, with no inflow. Immatures ride with their fruit; what
// leaves the oldest fruit class leaves the matrix. Returns the outflow of the last row only
// (delkfru * Vout), the one the day's larval count keeps. Classes below first are empty.
OLIVE_VECTOR_CLONES
float AgeAlongFruit(OliveFlyMatrix& m, int32_t kLarv, int32_t first, float delfru, float PlantDD,
                    double delkfru) {
  if (PlantDD <= 0.0f || first > kfru) return 0.0f;
  const SubSteps s = SplitStep(delfru, PlantDD, kfru);
  const float rate = 0.0f / PlantDD;  // no inflow along fruit age
  const int32_t jlo = first < 2 ? 2 : first;
  float lastOut = 0.0f;
  for (int32_t i = 1; i <= kLarv; ++i) {
    float* r = m[i].data();
    float out = 0.0f;
    for (int32_t step = 1; step <= s.idt; ++step) {
      out = out + s.a * r[kfru];  // before this sub-step moves anything
      // Downward, every r[j - 1] read is still the value from before the sub-step.
      for (int32_t j = kfru; j >= jlo; --j) r[j] = r[j] + s.a * (r[j - 1] - r[j]);
      if (first <= 1) r[1] = r[1] + s.a * (rate - r[1]);
    }
    lastOut = out;
  }
  return static_cast<float>(0.0f + delkfru * lastOut);
}

// Ages every column of the immature matrix along immature age: each column is a delay of kLarv
// substages and mean delLarv in the fly's degree-days, with no inflow. All columns share the
// coefficients, so one sub-step advances whole rows at a time. Adds each column's outflow, in
// fruit-class order, to Larvout: the larvae that leave the fruit to pupate. Classes below first
// are empty.
OLIVE_VECTOR_CLONES
void AgeAlongImmatureAge(OliveFlyMatrix& m, int32_t kLarv, int32_t first, float delLarv, float dda,
                         float delkLarv, float& Larvout) {
  if (dda <= 0.0f || first > kfru) return;  // no outflow: Larvout + 0 would leave it as it is
  std::array<float, kfru + 1> vout{};       // outflow of each column, rate units
  const SubSteps s = SplitStep(delLarv, dda, kLarv);
  const float rate = 0.0f / dda;  // no inflow along immature age
  const float a = s.a;
  for (int32_t step = 1; step <= s.idt; ++step) {
    const float* oldest = m[kLarv].data();
    for (int32_t j = first; j <= kfru; ++j) vout[j] = vout[j] + a * oldest[j];
    for (int32_t i = kLarv; i >= 2; --i) {
      float* __restrict r = m[i].data();
      const float* __restrict younger = m[i - 1].data();
      for (int32_t j = first; j <= kfru; ++j) r[j] = r[j] + a * (younger[j] - r[j]);
    }
    float* youngest = m[1].data();
    for (int32_t j = first; j <= kfru; ++j) youngest[j] = youngest[j] + a * (rate - youngest[j]);
  }
  for (int32_t j = first; j <= kfru; ++j) Larvout = Larvout + vout[j] * delkLarv;
}

// Both matrix steps; first is the youngest occupied fruit class.
void AgeImmatures(FlyState& fly, int32_t first, float delfru, float PlantDD, double delkfru) {
  // Only the last row's outflow along fruit age is kept: the immatures of the oldest age class
  // carried out of the oldest fruit class join the larvae that pupate; the others are lost.
  fly.Larvout =
      AgeAlongFruit(fly.OliveFly2dArray, fly.kOliveFlyLarv, first, delfru, PlantDD, delkfru);
  AgeAlongImmatureAge(fly.OliveFly2dArray, fly.kOliveFlyLarv, first, fly.delOliveFlyLarv,
                      fly.OliveFlydda, fly.delkOliveFlyLarv, fly.Larvout);
}

// The first and last substage (lo, hi) where the window v is non-zero; hi < lo when it is zero.
void WindowRows(const AgeVec& v, int32_t k, int32_t& lo, int32_t& hi) {
  lo = 1;
  hi = 0;
  while (lo <= k && v[lo] == 0.0f) ++lo;
  for (int32_t i = lo; i <= k; ++i) {
    if (v[i] != 0.0f) hi = i;
  }
}

// Survival from the day's extremes: cold below 0 deg C, heat above 28 (which replaces the cold
// value); scale is 0.0675 for immatures and pupae, 0.125 for adults.
float TempSurvival(float tmin, float tmax, double scale) {
  float surv = 1.0f;
  if (tmin <= 0.0f) surv = static_cast<float>(1.0 - scale * (1.0 - Expo(0.384 * tmin)));
  if (tmax > 28.0f) surv = static_cast<float>(1.0 - scale * Expo(0.000667 * (tmax - 30.0)));
  return surv;
}

// The fruit class of a fruit age (degree-days): round(kfru * age / delfru). Every age past the
// oldest class gives kfru + 1 (no fruit gets that old), so that the class is a whole number
// whatever the ratio of the setup's ages to the fruit delay.
int32_t FruitClassOfAge(float age, float delfru) {
  const float c = std::nearbyint(static_cast<float>(kfru) * age / delfru);
  return c < static_cast<float>(kfru + 1) ? static_cast<int32_t>(c) : kfru + 1;
}

}  // namespace

namespace olivefly {

float FFTemperature(float T, float Tlow, float THigh) {
  const float A = (THigh - Tlow) * 0.5f;  // half the range, deg C
  if (T <= Tlow || T >= THigh) return 0.0f;
  const float u = (T - Tlow - A) / A;
  return max(1.0f - u * u, 0.0f);
}

}  // namespace olivefly

float PrefsHost(int32_t k, int32_t klow, int32_t khi) {
  if (!(klow < k && k < khi)) return 0.0f;
  const float a = static_cast<float>(khi - klow) * 0.5f;  // half the span, fruit classes
  const float u = (static_cast<float>(k - klow) - a) / a;
  return max(1.0f - u * u, 0.0f);
}

void OliveFlySetup(ErrorSink& log, FlyState& fly, const Inputs& in) {
  // Life table (degree-days above OliveFlyBase).
  fly.delOliveFlyLarv = 159.8f;
  fly.kOliveFlyLarv = 40;
  fly.delOliveFlyPup = 203.0f;
  fly.kOliveFlyPup = 40;
  fly.delOliveFlyAdult = 575.0f;
  fly.kOliveFlyAdult = 40;
  fly.delkOliveFlyLarv = fly.delOliveFlyLarv / static_cast<float>(fly.kOliveFlyLarv);
  fly.delkOliveFlyPup = fly.delOliveFlyPup / static_cast<float>(fly.kOliveFlyPup);
  fly.delkOliveFlyAdult = fly.delOliveFlyAdult / static_cast<float>(fly.kOliveFlyAdult);

  fly.DormantDel = 1500.0f;
  Fill(fly.OliveFlyDormantAdults, fly.kOliveFlyAdult, 0.0f);

  wdwvec(log, 0.0f, 47.2f, fly.kOliveFlyLarv, fly.delOliveFlyLarv, fly.vOliveFlyEgg);
  wdwvec(log, 47.2f, 210.0f, fly.kOliveFlyLarv, fly.delOliveFlyLarv, fly.vOliveFlyLarv);
  wdwvec(log, 0.0f, 75.0f, fly.kOliveFlyAdult, fly.delOliveFlyAdult, fly.vOliveFlyPreov);
  wdwvec(log, 75.0f, 575.0f, fly.kOliveFlyAdult, fly.delOliveFlyAdult, fly.vOliveFlyAdult);

  // 100 individuals in every pupal and adult substage.
  Fill(fly.OliveFlypupArray, fly.kOliveFlyPup, 100.0f / fly.delkOliveFlyPup);
  Fill(fly.OliveFlyAdultArray, fly.kOliveFlyAdult, 100.0f / fly.delkOliveFlyAdult);

  // Host preference: none for fruit younger than class kPref1, then a rising parabola, and full
  // preference from halfway between kPref1 and the oldest class on.
  fly.AgeOliveFlyPref1 = static_cast<float>(in.RapidFruGrow + 350.0);
  fly.AgeOliveFlyPref2 = in.delfru;
  fly.Prefmid = (fly.AgeOliveFlyPref1 + fly.AgeOliveFlyPref2) / 2.0f;
  fly.kPref1 = FruitClassOfAge(fly.AgeOliveFlyPref1, in.delfru);
  fly.kPrefmid = FruitClassOfAge(fly.Prefmid, in.delfru);
  fly.OliveFlyNcells = fly.kPrefmid - fly.kPref1 + 1;
  Fill(fly.vOliveFlyPrefs, kfru, 0.0f);
  for (int32_t i = 1; i <= kfru; ++i) {
    if (i >= fly.kPref1) fly.vOliveFlyPrefs[i] = PrefsHost(i, fly.kPref1, kfru);
  }
  const int32_t m = fly.kPref1 + (kfru - fly.kPref1) / 2;
  for (int32_t i = m < 1 ? 1 : m; i <= kfru; ++i) fly.vOliveFlyPrefs[i] = 1.0f;

  // Fecundity by adult substage, from the oviposition age at the substage's upper edge; peaks
  // near 69.5 degree-days at about 17 eggs a day.
  Fill(fly.OliveFlyOvipRate, fly.kOliveFlyAdult, 0.0f);
  for (int32_t i = 1; i <= fly.kOliveFlyAdult; ++i) {
    if (fly.vOliveFlyAdult[i] > 0.0f) {
      const double age = static_cast<double>(i) * fly.delkOliveFlyAdult - 75.0;  // degree-days
      fly.OliveFlyOvipRate[i] =
          static_cast<float>(0.666 * age / Power(1.0145f, static_cast<float>(age)));
    }
  }

  fly.OliveFlySexRatio = 0.5f;
  fly.OFlySprayScalar = 1.0f;
  fly.OFlySprayDelay = 30;
}

void OliveFlyInit(FlyState& fly, PlantState& plant) {
  fly.OliveFlySD = 0.0f;
  fly.delkOliveFlyAdult = fly.delOliveFlyAdult / static_cast<float>(fly.kOliveFlyAdult);
  for (AgeVec& row : fly.OliveFly2dArray) row.fill(0.0f);
  Fill(fly.OliveFlypupArray, fly.kOliveFlyPup, 100.0f / fly.delkOliveFlyPup);
  Fill(fly.OliveFlyAdultArray, fly.kOliveFlyAdult, 100.0f / fly.delkOliveFlyAdult);
  Fill(plant.FruNumAttacked, kfru, 0.0f);
  Fill(fly.OliveFlyDamfruMass, kfru, 0.0f);

  // Display values until the first day of the fly recomputes them.
  fly.OliveFlyegg = 0.0f;
  fly.OliveFlylarv = 0.0f;
  fly.OliveFlypup = 500.0f;
  fly.OliveFlyAdults = 0.0f;
  fly.OFlyDormantAdults = 500.0f;
  fly.OliveFlylarvDays = 0.0;
  fly.OliveFlyHosts = 0.0f;
  fly.OliveFlyTotalAtks = 0.0f;
  fly.OliveFlydamf = 0.0f;

  double total = 0.0;
  for (int32_t i = 1; i <= 10; ++i) {
    fly.OflySdarray[i] = 0.05;
    total += fly.OflySdarray[i];
  }
  fly.OflysdK = 0;
  fly.OflysdAvg = total / 10.0;
}

void OliveFlyavail(FlyState& fly, const PlantState& plant) {
  float sound = 0.0f, attacked = 0.0f;
  for (int32_t j = 1; j <= kfru; ++j) {
    sound += fly.vOliveFlyPrefs[j] * plant.FruNumArray[j];
    attacked += fly.vOliveFlyPrefs[j] * plant.FruNumAttacked[j];
  }
  fly.UndamagedFruitAvail = static_cast<float>(plant.delkfru * sound);
  fly.DamagedFruitAvail = static_cast<float>(plant.delkfru * attacked);
  fly.TotalFruitAvail = fly.UndamagedFruitAvail + fly.DamagedFruitAvail;
}

void OliveFlyMortality(FlyState& fly, const DayWeather& today, bool harvest, double HarvEfficiency,
                       float spraylevel) {
  fly.SprayLx = spraylevel > 0.0f ? max(min(1.0f - spraylevel, 1.0f), 0.0f) : 1.0f;
  fly.LarvTempsurvival = TempSurvival(today.tmin, today.tmax, 0.0675);
  fly.AdltTempsurvival = TempSurvival(today.tmin, today.tmax, 0.125);

  // The harvest takes the immatures with the fruit it removes; those left get no weather
  // mortality that day.
  const int32_t kLarv = fly.kOliveFlyLarv;
  if (harvest) {
    for (int32_t i = 1; i <= kLarv; ++i) {
      for (int32_t j = 1; j <= kfru; ++j) {
        fly.OliveFly2dArray[i][j] =
            static_cast<float>(fly.OliveFly2dArray[i][j] * (1.0 - HarvEfficiency));
      }
    }
  } else {
    const float surv = fly.LarvTempsurvival;
    for (int32_t i = 1; i <= kLarv; ++i) {
      for (int32_t j = 1; j <= kfru; ++j) fly.OliveFly2dArray[i][j] *= surv;
    }
  }
  for (int32_t i = 1; i <= fly.kOliveFlyPup; ++i) fly.OliveFlypupArray[i] *= fly.LarvTempsurvival;
  // Sprays reach only the adults, active and dormant.
  const float adultSurv = fly.AdltTempsurvival * fly.SprayLx;
  for (int32_t i = 1; i <= fly.kOliveFlyAdult; ++i) {
    fly.OliveFlyAdultArray[i] *= adultSurv;
    fly.OliveFlyDormantAdults[i] *= adultSurv;
  }
}

void OliveFlyAttacks(FlyState& fly, const PlantState& plant, float tmean) {
  fly.OliveFlyAtks = 0.0f;
  fly.OliveFlySD = 0.0f;
  fly.Oflydemand = 0.0f;
  OliveFlyavail(fly, plant);
  fly.OliveFlyHosts = fly.TotalFruitAvail;

  if (fly.TotalFruitAvail > 0.0f) {
    const float a = 0.1f;  // search rate
    float eggs = 0.0f;     // eggs per day of all adults at the optimum, rate units
    for (int32_t i = 1; i <= fly.kOliveFlyAdult; ++i) {
      eggs += fly.OliveFlyOvipRate[i] * fly.OliveFlyAdultArray[i];
    }
    fly.Oflydemand = olivefly::FFTemperature(tmean, 15.0f, 33.0f) * eggs * fly.delkOliveFlyAdult *
                     fly.OliveFlySexRatio;
    if (fly.Oflydemand > 1e-7) {
      // Demand-driven functional response: attacks approach the demand D when hosts abound and
      // the host number H when demand is large.
      const float H = fly.TotalFruitAvail;
      const float D = fly.Oflydemand;
      float x = (D / H) * (1.0f - Expo(-a * H / D));
      if (!std::isfinite(x)) {
        // Hosts so few that D / H overflows a float (inf times 0): the same exponent in double,
        // whose limit for a vanishing H is the search rate a.
        const double dh = static_cast<double>(D) / H;
        x = static_cast<float>(dh * -std::expm1(-a / dh));
      }
      fly.OliveFlyAtks = H * (1.0f - Expo(-x));
      fly.OliveFlySD = fly.OliveFlyAtks / D;
    }
  }

  // Ring of recent ratios, written every day: five slots cycle, the mean reads slots 1..3 only.
  fly.OflysdK = fly.OflysdK + 1;
  if (fly.OflysdK > 5) fly.OflysdK = 1;
  fly.OflySdarray[fly.OflysdK] = fly.OliveFlySD;
  fly.OflysdAvg = (fly.OflySdarray[1] + fly.OflySdarray[2] + fly.OflySdarray[3]) * 0.33333333;

  // Dormancy exchange: the fraction 1 - s of active adults turns dormant, then the fraction s of
  // dormant adults turns active. An adult keeps its substage; the factors convert between the
  // two delays' units so that numbers are conserved.
  const double s = fly.OflysdAvg;
  const int32_t kA = fly.kOliveFlyAdult;
  const double delA = fly.delOliveFlyAdult;
  const double delD = fly.DormantDel;
  for (int32_t i = 1; i <= kA; ++i) {
    fly.OliveFlyDormantAdults[i] = static_cast<float>(
        fly.OliveFlyDormantAdults[i] + (1.0 - s) * fly.OliveFlyAdultArray[i] * delA / delD);
    fly.OliveFlyAdultArray[i] = static_cast<float>(s * fly.OliveFlyAdultArray[i]);
  }
  for (int32_t i = 1; i <= kA; ++i) {
    fly.OliveFlyAdultArray[i] = static_cast<float>(fly.OliveFlyAdultArray[i] +
                                                   s * fly.OliveFlyDormantAdults[i] * delD / delA);
    fly.OliveFlyDormantAdults[i] = static_cast<float>((1.0 - s) * fly.OliveFlyDormantAdults[i]);
  }
}

void OliveFlyAgeImmatures(FlyState& fly, float delfru, float PlantDD, double delkfru) {
  AgeImmatures(fly, FirstOccupiedClass(fly.OliveFly2dArray, fly.kOliveFlyLarv), delfru, PlantDD,
               delkfru);
}

void OliveFlyModel(FlyState& fly, const Inputs& in, PlantState& plant, const FlyDay& day,
                   float spraylevel) {
  const DayWeather& today = *day.today;
  const int32_t kLarv = fly.kOliveFlyLarv;

  OliveFlyMortality(fly, today, day.harvest, in.HarvEfficiency, spraylevel);
  float tmaxToday = 0.0f, tminToday = 0.0f;
  Daydegrees(day.temps, day.modelday, fly.OliveFlydda, fly.OliveFlyddb, in.OliveFlyBase, tmaxToday,
             tminToday);
  OliveFlyAttacks(fly, plant, today.tmean);

  const double fruitAndAttacks = plant.fruNum + fly.OliveFlyAtks;
  fly.OliveFlydpc =
      fruitAndAttacks > 0.0 ? static_cast<float>(100.0 * fly.OliveFlyAtks / fruitAndAttacks) : 0.0f;

  if (fly.TotalFruitAvail > 0.0f) {
    fly.Fracattacked = fly.OliveFlyAtks / fly.TotalFruitAvail;
    fly.UndamagedFracAttacked = fly.Fracattacked * fly.UndamagedFruitAvail / fly.TotalFruitAvail;
  } else {
    fly.Fracattacked = 0.0f;
    fly.UndamagedFracAttacked = 0.0f;
  }

  // New eggs, in sound fruit by its preference-weighted share of all preferred fruit; the share
  // of the attacks that falls on already attacked fruit lays no new eggs.
  if (fly.OliveFlyAtks > 0.0f) {
    const double perClass = fly.TotalFruitAvail / plant.delkfru;
    const float eggsIn = fly.OliveFlyAtks / fly.delkOliveFlyLarv;
    for (int32_t j = 1; j <= kfru; ++j) {
      if (fly.vOliveFlyPrefs[j] > 0.0f) {
        fly.OliveFly2dArray[1][j] =
            static_cast<float>(fly.OliveFly2dArray[1][j] +
                               fly.vOliveFlyPrefs[j] * plant.FruNumArray[j] / perClass * eggsIn);
      }
    }
  }

  const int32_t first = FirstOccupiedClass(fly.OliveFly2dArray, kLarv);
  AgeImmatures(fly, first, in.delfru, day.PlantDD, plant.delkfru);

  // Pupae, adults (those leaving the last substage die), dormant adults.
  fly.OliveFlypupSum += fly.Larvout;
  float Vout = 0.0f;
  DelayNoPlr(fly.Larvout, Vout, fly.OliveFlypupArray, fly.delOliveFlyPup, fly.OliveFlydda,
             fly.kOliveFlyPup);
  fly.Pupout = Vout * fly.delkOliveFlyPup;
  DelayNoPlr(fly.Pupout, Vout, fly.OliveFlyAdultArray, fly.delOliveFlyAdult, fly.OliveFlydda,
             fly.kOliveFlyAdult);
  DelayNoPlr(0.0f, Vout, fly.OliveFlyDormantAdults, fly.DormantDel, fly.OliveFlydda,
             fly.kOliveFlyAdult);

  // Immigration: OliveFlyBakim adults a day, spread evenly over all adult ages.
  const double incr = static_cast<double>(in.OliveFlyBakim) / fly.kOliveFlyAdult /
                      static_cast<double>(fly.delkOliveFlyAdult);
  for (int32_t i = 1; i <= fly.kOliveFlyAdult; ++i) {
    fly.OliveFlyAdultArray[i] = static_cast<float>(fly.OliveFlyAdultArray[i] + incr);
  }

  // Stage numbers: the immatures weighted by the egg and larva windows, summed over fruit classes
  // and, within each, over immature age. Empty fruit classes and rows outside a window add exact
  // zeros to a sum and are skipped.
  int32_t eggLo = 0, eggHi = -1, larvLo = 0, larvHi = -1;
  WindowRows(fly.vOliveFlyEgg, kLarv, eggLo, eggHi);
  WindowRows(fly.vOliveFlyLarv, kLarv, larvLo, larvHi);
  float eggs = 0.0f, larvae = 0.0f;
  for (int32_t j = first; j <= kfru; ++j) {
    for (int32_t i = eggLo; i <= eggHi; ++i)
      eggs += fly.OliveFly2dArray[i][j] * fly.vOliveFlyEgg[i];
    for (int32_t i = larvLo; i <= larvHi; ++i) {
      larvae += fly.OliveFly2dArray[i][j] * fly.vOliveFlyLarv[i];
    }
  }
  fly.OliveFlyegg = fly.delkOliveFlyLarv * eggs;
  fly.OliveFlylarv = fly.delkOliveFlyLarv * larvae;
  fly.OliveFlypup =
      Sum(fly.OliveFlypupArray, 1, static_cast<uint16_t>(fly.kOliveFlyPup)) * fly.delkOliveFlyPup;
  fly.OliveFlyAdults = Sum(fly.OliveFlyAdultArray, 1, static_cast<uint16_t>(fly.kOliveFlyAdult)) *
                       fly.delkOliveFlyAdult;
  fly.OFlyDormantAdults =
      Sum(fly.OliveFlyDormantAdults, 1, static_cast<uint16_t>(fly.kOliveFlyAdult)) *
      fly.DormantDel / static_cast<float>(fly.kOliveFlyAdult);

  fly.OliveFlyEggDays += fly.OliveFlyegg;
  fly.OliveFlylarvDays += fly.OliveFlylarv;
  fly.OliveFlypupDays += fly.OliveFlypup;
  fly.OliveFlyAdultDays += fly.OliveFlyAdults;
  fly.OliveFlyn[1] = fly.OliveFlyegg;
  fly.OliveFlyn[2] = fly.OliveFlylarv;
  fly.OliveFlyn[3] = fly.OliveFlypup;
  fly.OliveFlyn[4] = fly.OliveFlyAdults;

  // Attacked sound fruit move into the plant's attacked-fruit vectors. Each preferred class loses
  // the share Fracattacked * preference of its sound fruit, so the fruit moved add up to the
  // attacks that fell on sound fruit, OliveFlyAtks * UndamagedFruitAvail / TotalFruitAvail.
  for (int32_t j = 1; j <= kfru; ++j) {
    const float pref = fly.vOliveFlyPrefs[j];
    if (pref > 0.0f) {
      const float num = plant.FruNumArray[j] * fly.Fracattacked * pref;
      plant.FruNumArray[j] -= num;
      plant.FruNumAttacked[j] += num;
      fly.OliveFlySumdamfruNum = static_cast<float>(fly.OliveFlySumdamfruNum + plant.delkfru * num);
      const float mass = plant.FruMassArray[j] * fly.Fracattacked * pref;
      plant.FruMassArray[j] -= mass;
      plant.FruMassAttacked[j] += mass;
      fly.OliveFlySumdamfruMass =
          static_cast<float>(fly.OliveFlySumdamfruMass + plant.delkfru * mass);
    }
  }
}

void OliveFlyFreeze(FlyState& fly) {
  for (AgeVec& row : fly.OliveFly2dArray) row.fill(0.0f);
  Fill(fly.OliveFlypupArray, fly.kOliveFlyPup, 0.0f);
  Fill(fly.OliveFlyAdultArray, fly.kOliveFlyAdult, 0.0f);
  Fill(fly.OliveFlyDamfruMass, kfru, 0.0f);
  fly.OliveFlyegg = 0.0f;
  fly.OliveFlylarv = 0.0f;
  fly.OliveFlypup = 0.0f;
  fly.OliveFlyAdults = 0.0f;
  fly.OFlyDormantAdults = 0.0f;
  fly.OliveFlyHosts = 0.0f;
  fly.OliveFlyTotalAtks = 0.0f;
  fly.OliveFlydamf = 0.0f;
  fly.OliveFlyEggDays = 0.0;
  fly.OliveFlylarvDays = 0.0;
  fly.OliveFlypupDays = 0.0;
  fly.OliveFlyAdultDays = 0.0;
  fly.OflysdAvg = 0.0;
}

void OliveFlyResetSums(FlyState& fly) {
  fly.OliveFlyEggDays = 0.0;
  fly.OliveFlylarvDays = 0.0;
  fly.OliveFlypupDays = 0.0;
  fly.OliveFlyAdultDays = 0.0;
  fly.OliveFlySumdamfruNum = 0.0f;
  fly.OliveFlySumdamfruMass = 0.0f;
  fly.OliveFlypupSum = 0.0;
}

void OliveFlySaveHarvestValues(FlyState& fly) {
  fly.OliveFlyEggSave = fly.OliveFlyEggDays;
  fly.OliveFlylarvSave = fly.OliveFlylarvDays;
  fly.OliveFlypupSave = fly.OliveFlypupDays;
  fly.OliveFlyAdultsSave = fly.OliveFlyAdultDays;
}

}  // namespace olive
