#pragma once
// Spider mites on the olive leaves: winter eggs that hatch in spring on a heat sum, immatures
// (eggs then juveniles) and adults carried through distributed delays, egg laying driven by a
// supply/demand balance on the leaf mass, mortality from rain, sprays, pruning and leaf fall, and
// a diapause that turns part of the autumn eggs back into winter eggs.
//
// Numbers are mites per tree; masses are in the plant's leaf-mass unit (an egg weighs 5e-7, an
// adult 4e-6). Age-class vectors hold flow rates: the number in substage i is entry i times the
// substage width in degree-days.
#include <cstdint>

#include "model/calendar_state.h"
#include "model/inputs.h"
#include "plant/plant_state.h"
#include "toolkit/agevec.h"
#include "weather/weather.h"

namespace olive {

struct MiteState {
  // --- Fixed after InitMites: copies of the setup values and derived constants. ---
  float thrWiEgg = 0;                              // deg C, base of winter-egg development
  float thrA = 0;                                  // deg C, base of adult development
  int32_t kWiEgg = 1, MiteKimm = 1, kAdl = 1;      // substages of the three delays
  double delWiEgg = 0;                             // degree-days above thrWiEgg, winter eggs
  double delEggMite = 0;                           // plant degree-days as an egg
  double delJuvMite = 0;                           // plant degree-days as a juvenile
  double delImmMite = 0;                           // delEggMite + delJuvMite
  double delAdlMite = 0;                           // degree-days above thrA, adult longevity
  double delPreovMite = 0;                         // degree-days above thrA, pre-oviposition
  double beta = 0;                                 // share of the food intake not assimilated
  double MiteSexr = 0;                             // share of females
  double delkWiEgg = 0, delkImm = 0, delkAdl = 0;  // substage widths, degree-days
  int32_t borderEgg = 0;                           // last egg substage of the immature delay
  int32_t borderPre = 0;  // last pre-ovipositing substage of the adult delay
  double intrinsurvE = 0.99, intrinsurvJ = 0.97, intrinsurvA = 1.0;  // daily survivals

  // Stage masks on the immature and adult delays (1 inside the stage, 0 outside).
  AgeVec vEggsMite{}, vJuvMite{}, vPreovMite{}, vOvipMite{};
  // Eggs laid per female per degree-day, by adult substage.
  AgeVec ovir{};

  // --- Day-to-day state. ---
  AgeVec vWiEggMite{};                // winter eggs (kWiEgg substages)
  AgeVec vImmMite{};                  // eggs 1..borderEgg, juveniles borderEgg+1..MiteKimm
  AgeVec vAdlMite{};                  // pre-ovipositing 1..borderPre, ovipositing adults after
  AgeVec plrImmMite{}, plrAdlMite{};  // proportional loss rates per substage transit
  AgeVec stackMite{};                 // the last daily supply/demand ratios, newest in entry 1

  float ddWiEgg = 0, ddI = 0, ddA = 0;         // today's degree-days of the three delays
  double gddWiEgg = 0, gddI = 0, gddA = 0;     // their running totals
  double diffWiEgg = 0, diffI = 0, diffA = 0;  // degree-day fractions carried to the next day

  double newEggs = 0;     // eggs laid today
  double demandJ = 0;     // juvenile growth demand today, mass
  double demandA = 0;     // mass of the eggs adults would lay today
  double demandPU = 0;    // food demand including respiration and assimilation loss, mass
  double MiteResp = 0;    // respiration of juveniles and adults today, mass
  double MiteTotWgt = 0;  // mite biomass (new eggs, juveniles, adults): starts the predators
  double intake = 0;      // food taken from the leaves today, mass
  double sdPU = 0;        // today's supply/demand ratio 0..1
  double sdmean = 1;      // five-day mean ratio, never below today's

  bool springhatch = true;       // winter eggs are still hatching
  bool start = false;            // the season's first hatch has happened
  int32_t hatchingDay = 0;       // run day of the first hatch
  bool FirstHatchToday = false;  // the first hatch happened today (the caller prints the notice)

  // Standing numbers of each stage.
  double winterEggs = 0, MiteEggs = 0, juveniles = 0, MiteAdults = 0, mobiles = 0;
  double mitedays = 0;  // running total of mobiles

  // Today's flows through the delays (contents = value times the delay's substage width).
  double deutochry = 0;        // outflow of the immature delay: new adults
  double MiteImmLoss = 0;      // removed from the immature delay by its loss rates
  double MiteAdultDeaths = 0;  // outflow of the adult delay: adults dead of old age
  double MiteAdlLoss = 0;      // removed from the adult delay by its loss rates

  // Output sums between GIS output dates, and their harvest snapshot.
  double WinterEggsSum = 0, MiteEggsSum = 0, JuvenilesSum = 0, MiteAdultsSum = 0, MobilesSum = 0;
  double WinterEggsSave = 0, MiteEggsSave = 0, JuvenilesSave = 0, MiteAdultsSave = 0,
         MobilesSave = 0;
};

// What one mite day reads from the rest of the orchard.
struct MiteDayInputs {
  const Weather& wx;        // temperature series for the degree-days, LatitudeRadians
  const DayWeather& today;  // tmean (deg C), precip (mm)
  const DriverState& drv;   // modelday, jday, PruneToday
  const PlantState& plant;  // leafmass, leafNum, leafshed, PanulmiPruneSurv
  float PlantDD = 0;        // today's plant degree-days: the immatures' clock
  double leafN = 4;         // leaf N concentration, per cent of leaf mass
  float spraylevel = 0;     // spray mortality 0..1 left by yesterday's spray step
};

// Today's survival shares 0..1 from sprays, rain, pruning and leaf fall.
struct MiteSurvivals {
  double spraysurv = 1, rainsurvI = 1, rainsurvA = 1, prunsurv = 1, shedsurv = 1;
};

// Initial state of a pass: the winter eggs read from the setup survive the winter at 56 per cent
// and wait in the first winter-egg substage.
void InitMites(MiteState& s, const Inputs& in);

// One mite day: heat sums, spring hatch, then (once hatching has begun) feeding, growth and
// deaths, then the stage totals.
void MiteModel(MiteState& s, const MiteDayInputs& d);

void HEATSUM(MiteState& s, const MiteDayInputs& d);
void HATCHING(MiteState& s, uint16_t modelday);
void MiteDemand(MiteState& s, const MiteDayInputs& d);
void MiteSupply(MiteState& s, const MiteDayInputs& d);
void MiteRatios(MiteState& s);
void MiteGrowth(MiteState& s, const MiteDayInputs& d);
void MORTALITY(const MiteDayInputs& d, MiteSurvivals& surv);
// Share 0..1 of today's eggs that enter diapause (become winter eggs): short days and cool
// weather, or poor leaf nitrogen.
double DIAPAUSE(int32_t jday, float LatitudeRadians, float tmean, double leafN);
void MitePoputaions(MiteState& s);

// Egg equivalents of one mite of the given age (degree-days).
double EggEquivs(double age);
// Mites open to the predators, in egg equivalents: eggs and juveniles.
void MitesAvail(const MiteState& s, double& PA);
// Multiplies every immature and adult substage by the survival share MiteSurv.
void MiteMort(MiteState& s, float MiteSurv);

// A killing freeze of the orchard: reported totals and output sums to zero (vectors kept).
void FreezeMites(MiteState& s);
// Clears the output sums after a GIS output date.
void ResetMiteSums(MiteState& s);
// Harvest snapshot of the output sums.
void SaveMiteHarvestValues(MiteState& s);

}  // namespace olive
