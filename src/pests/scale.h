#pragma once
// Armoured scales: the olive scale and the oleander scale, one metabolic pool model run as two
// instances. A cohort moves along one distributed delay from egg to death through fixed age
// windows (egg, crawler, second and third instar, pre-ovipositing and ovipositing adult), with
// parallel delays for body mass and reserves; a short second delay carries the embryos inside the
// mothers. Each day the scales state a food demand, take sap from the tree's fresh photosynthate
// and then its reserves, and let the supply/demand ratio scale survival, growth and births.
//
// Mass unit: the scale's mass unit is one thousandth of the tree's dry-matter unit.
// Time: degree-days above the base temperature, after the nonlinear temperature index.
#include <array>
#include <cstdint>

#include "model/inputs.h"
#include "pests/scale_day.h"
#include "plant/plant_state.h"
#include "toolkit/agevec.h"
#include "toolkit/error_sink.h"

namespace olive {

// What differs between the two scale species. Everything else, including every constant of the
// life table, is the same.
struct ScaleTraits {
  const char* name;
  // Initial contents of every substage of the number, mass, reserve and embryo vectors.
  float initialContents;
  // Birth temperature scalar ff = max(1 - ((DT - birthOptimum) * birthSpread)^2, 0).
  double birthOptimum;  // effective degree-days a day at which ff is 1
  double birthSpread;   // inverse half-width of the parabola, per degree-day
  // Births: Delk * femaleShare * bn1 * sdemb * ff (* DT when birthsPerDegreeDay).
  float femaleShare;
  bool birthsPerDegreeDay;
  // Cold survival of the embryos: (1 - tempmort)^(embryoColdExponent / kEm).
  float embryoColdExponent;
  // The spray factor is Zerone(1 - spraylevel), taken once before the survival loops, rather
  // than the raw (1 - spraylevel) inside each product.
  bool sprayZeroned;
};

inline constexpr ScaleTraits kOliveScaleTraits{.name = "OliveScale",
                                               .initialContents = 0.01f,
                                               .birthOptimum = 15.0,
                                               .birthSpread = 0.06666667,
                                               .femaleShare = 0.5f,
                                               .birthsPerDegreeDay = true,
                                               .embryoColdExponent = 1.0f,
                                               .sprayZeroned = false};
inline constexpr ScaleTraits kOleanderScaleTraits{.name = "OleanderScale",
                                                  .initialContents = 0.0f,
                                                  .birthOptimum = 10.0,
                                                  .birthSpread = 0.1,
                                                  .femaleShare = 1.0f,
                                                  .birthsPerDegreeDay = false,
                                                  .embryoColdExponent = 8.0f,
                                                  .sprayZeroned = true};

// The scale's setup-file parameters with its traits.
struct ScaleParams {
  const ScaleTraits* traits = &kOliveScaleTraits;
  float ImmigProb = 0;  // daily probability of an immigration event
  float Ins = 0;        // crawlers per event
  int32_t Inspcnt = 0;  // random spread of Ins, per cent
  float beta = 0;       // fraction of the ingested food that is not assimilated
  bool ed = false;      // the oleander-scale parasitoid ed is simulated
};

ScaleParams OliveScaleParams(const Inputs& in);
ScaleParams OleanderScaleParams(const Inputs& in);

// State of one scale species. Names drop the species prefix: `OliveScalen` of the olive scale is
// `olivescale.n`, `OleanderScaleTotWgt` is `oleanderscale.TotWgt`, `lxOliveScaleParas` is
// `olivescale.lxParas`, `OliveScaleCocclx` / `OleanderCocclx` is `Cocclx`, `kOliveScale` is `k`,
// `DelkOliveScale` is `Delk`, `vOliveScaleOva` .. `vOliveScaleAdltmature` are `vStage[1..6]`.
// Arrays indexed 1..n in the model are sized n + 1 and used 1-based.
struct ScaleState {
  // Life table (set by the set-up).
  std::array<float, 6> age{};  // 1..5: end of egg, crawler, growing immature, pre-oviposition
                               // stages and the life span, degree-days
  float base = 11;             // deg C
  int32_t k = 25;              // substages of the life delay
  double Delk = 0;             // substage width of the life delay, degree-days
  float delEm = 100;           // embryo delay, degree-days
  int32_t kEm = 25;
  float delkEm = 4;
  int32_t kCrawl = 3;                     // substage that receives immigrant crawlers
  float EmbShedMin = 0, EmbShedMax = 60;  // embryo-age window, degree-days

  // Windows of the life delay (vStage[1..6]: eggs, crawlers, second instar, third instar,
  // pre-ovipositing adults, ovipositing adults) and of the embryo delay.
  std::array<AgeVec, 7> vStage{};
  AgeVec vGrow{};      // growing immatures, 80 to 634
  AgeVec vTotadlts{};  // all adults, 634 to 1596
  AgeVec vAttk{};      // 160 to 1596: set, not used
  AgeVec vEmb{};       // embryos exposed to mortality

  // Delays: numbers, body mass and reserves along the life; embryo numbers and mass.
  AgeVec NumArray{}, WgtArray{}, ReserveArray{};
  AgeVec EmbNumArray{}, EmbWgtArray{};

  // Survivals handed in by the parasitoids (per stage 1..6) and the coccinellid (all stages).
  std::array<double, 7> lxParas{1, 1, 1, 1, 1, 1, 1};
  double Cocclx = 1;
  double RainMort = 0;  // rain mortality: not modelled, always 0

  // Daily results.
  std::array<double, 7> n{};     // numbers in stages 1..6
  std::array<double, 7> size{};  // mean mass per individual, stages 2..6
  double Adults = 0;
  float imm = 0;  // growing immatures
  double EmbNumTot = 0;
  float TotWgt = 0;  // total biomass, scale mass units
  float reserves = 0;
  float ovawgt = 0;  // egg mass
  float Delt = 0;    // effective degree-days of the day
  float Ddb = 0;     // degree-days below the base (the oleander scale's `ddb`)
  double Index = 0;  // temperature index 0..1
  bool Go = false;   // an immigration event has happened; not used by the model
  bool Fin = false;  // the population has died out

  // Energy budget of the day, scale mass units.
  float dmgrow = 0, dmemb = 0, dmRes = 0, dmresp = 0, dmtot = 0;
  float food = 0;
  double sdtot = 0;  // supply/demand ratio 0..1
  float sdemb = 0, sdgrow = 0;

  // Running sums of the stage numbers between output dates: nSum[1..4], AdultsSum.
  std::array<double, 5> nSum{};
  double AdultsSum = 0;
  // Their values at harvest, reported on the next output date.
  std::array<double, 5> nSave{};
  double AdultsSave = 0;
};

// Set-up: life table, windows and the initial trace population.
void ScaleSetup(ErrorSink& log, ScaleState& s, const ScaleTraits& traits);
void OliveScaleSetup(ErrorSink& log, ScaleState& s);
void OleanderScaleSetup(ErrorSink& log, ScaleState& s);

// One day of a scale: degree-days, temperature index, possible immigration, then demand, supply,
// costs, ratio, mortality, growth, births, counts and the extinction test. edNum1 is the number
// of immatures of the parasitoid ed (read only when p.ed), which the scales feed too.
void ScaleMod(ScaleState& s, const ScaleParams& p, PlantState& plant, const ScaleDay& day,
              float spraylevel, float edNum1);
void OliveScaleMod(ScaleState& s, const Inputs& in, PlantState& plant, const ScaleDay& day,
                   float spraylevel, float edNum1);
void OleanderScaleMod(ScaleState& s, const Inputs& in, PlantState& plant, const ScaleDay& day,
                      float spraylevel, float edNum1);

// The steps of the day, in the order ScaleMod runs them.
double ScaleTemperatureIndex(float degreeDays);
void ScaleImmig(ScaleState& s, const ScaleParams& p, Rng& rng);
void ScaleDemand(ScaleState& s, const ScaleParams& p, float edNum1);
void ScaleSupply(ScaleState& s, PlantState& plant);
void ScaleCosts(ScaleState& s, const ScaleParams& p);
void Scalesdr(ScaleState& s);
void ScaleMort(ScaleState& s, const ScaleTraits& traits, float spraylevel);
void ScaleGrowth(ScaleState& s);
void ScaleNewEmbryos(ScaleState& s, const ScaleTraits& traits);
void ScaleCount(ScaleState& s);
void ScaleDone(ScaleState& s);

// Killing freeze of the orchard: the scale's totals and running sums to zero.
void ScaleFreeze(ScaleState& s);
// Output sums to zero after a GIS output date.
void ScaleResetSums(ScaleState& s);

}  // namespace olive
