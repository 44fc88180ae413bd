#pragma once
// The olive fly. Females lay eggs in the fruit they prefer; egg and larva live inside the fruit, so
// the immatures are a matrix over immature age (rows) and the age of the carrying fruit (columns).
// Pupae, reproductive adults and reproductively dormant adults are ordinary distributed delays.
// Each day: weather, harvest and spray mortality; demand-driven attacks on preferred fruit; the
// attacked fruit move into the plant's attacked-fruit vectors; every stage ages; adults move in and
// out of dormancy by how well their egg demand was met lately; adults immigrate.
//
// Physiological times are degree-days above OliveFlyBase, except the immatures' ride along fruit
// age, which runs on the plant's degree-days. Vectors hold flow rates: a stage's number is the sum
// of its entries times its substage width del/k.
#include <array>
#include <cstdint>

#include "model/inputs.h"
#include "plant/plant_state.h"
#include "toolkit/agevec.h"
#include "toolkit/error_sink.h"
#include "toolkit/modutils.h"
#include "weather/weather.h"

namespace olive {

// Rows of the immature matrix: capacity for kOliveFlyLarv immature age classes (entry 0 unused).
inline constexpr int32_t kOliveFlyLarvMax = 40;

// Immatures: element [i][j] is immature age class i (1..kOliveFlyLarv) in fruit of fruit age class
// j (1..kfru), in the units of the immature delay (flow rate per immature substage).
using OliveFlyMatrix = std::array<AgeVec, kOliveFlyLarvMax + 1>;

struct FlyState {
  // Life table, set by OliveFlySetup. Delays in degree-days above OliveFlyBase.
  float delOliveFlyLarv = 159.8f;  // egg and larva together, inside the fruit
  int32_t kOliveFlyLarv = 40;
  float delOliveFlyPup = 203.0f;
  int32_t kOliveFlyPup = 40;
  float delOliveFlyAdult = 575.0f;  // reproductive adults
  int32_t kOliveFlyAdult = 40;
  float delkOliveFlyLarv = 0, delkOliveFlyPup = 0, delkOliveFlyAdult = 0;  // substage widths
  float DormantDel = 1500.0f;     // dormant adults: kOliveFlyAdult substages
  float OliveFlySexRatio = 0.5f;  // fraction of adults that are female
  int32_t OFlySprayDelay = 30;    // days; read by the sprays
  float OFlySprayScalar = 1.0f;   // kept; unused

  // Age windows: eggs 0..47.2 and larvae 47.2..end of the immature delay; pre-oviposition 0..75
  // and oviposition 75..575 of the adult delay.
  AgeVec vOliveFlyEgg{}, vOliveFlyLarv{}, vOliveFlyPreov{}, vOliveFlyAdult{};

  // Host preference by fruit age class 1..kfru, 0..1.
  AgeVec vOliveFlyPrefs{};
  float AgeOliveFlyPref1 = 0;  // fruit degree-days at which preference begins
  float AgeOliveFlyPref2 = 0;  // the fruit delay, delfru
  float Prefmid = 0;
  int32_t kPref1 = 0, kPrefmid = 0;  // fruit classes of AgeOliveFlyPref1 and Prefmid
  int32_t OliveFlyNcells = 0;        // kept; unused

  // Eggs per female per day at the optimum temperature, per adult substage.
  AgeVec OliveFlyOvipRate{};

  // Populations.
  OliveFlyMatrix OliveFly2dArray{};
  AgeVec OliveFlypupArray{};
  AgeVec OliveFlyAdultArray{};     // reproductive adults, both sexes
  AgeVec OliveFlyDormantAdults{};  // delay of mean DormantDel, kOliveFlyAdult substages
  AgeVec OliveFlyDamfruMass{};     // cleared at set-up and freeze; unused otherwise

  // Ring of recent daily supply/demand ratios of the females: entries 1..10, slots 1..5 written.
  std::array<double, 11> OflySdarray{};
  int32_t OflysdK = 0;   // slot last written
  double OflysdAvg = 0;  // fraction of adults that stays or becomes reproductive

  // Results of the day.
  float OliveFlyegg = 0, OliveFlylarv = 0, OliveFlypup = 0, OliveFlyAdults = 0;
  float OFlyDormantAdults = 0;
  std::array<float, 6> OliveFlyn{};        // 1..4: eggs, larvae, pupae, adults
  float OliveFlydda = 0, OliveFlyddb = 0;  // degree-days above and below OliveFlyBase
  float UndamagedFruitAvail = 0, DamagedFruitAvail = 0, TotalFruitAvail = 0;  // preferred fruit
  float OliveFlyHosts = 0;          // preference-weighted fruit number
  float Oflydemand = 0;             // eggs the females would lay today
  float OliveFlyAtks = 0;           // fruit attacks of the day
  float OliveFlySD = 0;             // the day's supply/demand ratio
  float OliveFlydpc = 0;            // per cent of fruit attacked today
  float Fracattacked = 0;           // fraction of preferred fruit attacked today
  float UndamagedFracAttacked = 0;  // the same counted on sound fruit only
  float LarvTempsurvival = 1, AdltTempsurvival = 1, SprayLx = 1;  // the day's survival
  float Larvout = 0, Pupout = 0;                  // larvae leaving the fruit; adults emerging
  float OliveFlyTotalAtks = 0, OliveFlydamf = 0;  // cleared at set-up and freeze; unused

  // Running sums between output dates.
  double OliveFlyEggDays = 0, OliveFlylarvDays = 0, OliveFlypupDays = 0, OliveFlyAdultDays = 0;
  double OliveFlypupSum = 0;                                  // larvae that entered the pupae
  float OliveFlySumdamfruNum = 0, OliveFlySumdamfruMass = 0;  // sound fruit turned attacked

  // Harvest snapshot of the running sums.
  double OliveFlyEggSave = 0, OliveFlylarvSave = 0, OliveFlypupSave = 0, OliveFlyAdultsSave = 0;
};

// What the fly reads of the day besides the plant.
struct FlyDay {
  const TempPair* temps = nullptr;    // temperature series by model day (Weather::temps.data())
  uint16_t modelday = 0;              // today's index into temps
  const DayWeather* today = nullptr;  // tmin, tmax, tmean of today
  float PlantDD = 0;     // plant degree-days of today: fruit, and the immatures in it, age by these
  bool harvest = false;  // the driver's harvest flag as it stands when the fly runs
};

// Constants, age windows, host preference, fecundity; 100 pupae and 100 adults in every substage,
// no dormant adults.
void OliveFlySetup(ErrorSink& log, FlyState& fly, const Inputs& in);
// Initial state of a pass: no immatures, no attacked fruit, ring of ratios at 0.05.
void OliveFlyInit(FlyState& fly, PlantState& plant);
// One day of the fly. spraylevel is yesterday's spray mortality (0..1).
void OliveFlyModel(FlyState& fly, const Inputs& in, PlantState& plant, const FlyDay& day,
                   float spraylevel);

// Weather, harvest and spray survival of the day.
void OliveFlyMortality(FlyState& fly, const DayWeather& today, bool harvest, double HarvEfficiency,
                       float spraylevel);
// Preference-weighted numbers of sound, attacked and all fruit.
void OliveFlyavail(FlyState& fly, const PlantState& plant);
// Attacks of the day, the supply/demand ratio and its ring, the dormancy exchange.
void OliveFlyAttacks(FlyState& fly, const PlantState& plant, float tmean);
// Ages the immatures with their fruit (plant degree-days PlantDD over the fruit delay delfru),
// then along immature age (the day's OliveFlydda); Larvout receives the larvae that pupate.
void OliveFlyAgeImmatures(FlyState& fly, float delfru, float PlantDD, double delkfru);
// Preference of fruit class k on a parabola that is 0 at klow and khi and 1 halfway.
float PrefsHost(int32_t k, int32_t klow, int32_t khi);

// The orchard freeze: immatures, pupae, adults, totals, running sums and the smoothed ratio to 0.
// (The plant's freeze clears FruNumAttacked.)
void OliveFlyFreeze(FlyState& fly);
// Clears the running sums after an output date (and at the start of a pass).
void OliveFlyResetSums(FlyState& fly);
// Copies the running sums into the harvest snapshot.
void OliveFlySaveHarvestValues(FlyState& fly);

namespace olivefly {
// The fly's own temperature response: 0 at and outside (Tlow, THigh), 1 in the middle; the same
// inverted parabola as the toolkit's.
float FFTemperature(float T, float Tlow, float THigh);
}  // namespace olivefly

}  // namespace olive
