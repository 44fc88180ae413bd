#pragma once
// Glassy-winged sharpshooter: a sap-feeding leafhopper kept as a biomass model on the olive tree.
// One distributed delay carries numbers and a parallel one carries mass through egg, nymph and
// adult. The insects take their food from the day's photosynthate before the tree allocates it;
// their supply/demand ratio, averaged over three days, drives nymph growth, survival and egg
// laying. Frost, pruning and sprays kill; young adults emigrate at a density-dependent rate once
// the population has existed for about 115 degree-days; adults immigrate at a constant rate.
#include <array>
#include <cstdint>

#include "model/inputs.h"
#include "plant/plant_state.h"
#include "toolkit/agevec.h"
#include "toolkit/error_sink.h"
#include "toolkit/modutils.h"

namespace olive {

// Rows of the table of past population totals.
inline constexpr int32_t kGWssHistory = 35;

// One row of that table: the population total and the degree-day total of its day.
struct GWssPast {
  double num = 0;    // eggs + nymphs + adults
  double ddTot = 0;  // GWssDDaTot of that day, degree-days above GWssBase
};

struct GWssState {
  // Fixed parameters, set by GWssInit.
  int32_t kGWss = 60;               // substages of both delays
  float GWssBase = 4.445f;          // deg C
  std::array<double, 4> GWssAge{};  // [1..3] upper age of egg, nymph, adult, degree-days
  double GWssBeta = 0.176;          // egested share of the food
  float GWssDel = 0, GWssDelk = 0, GWsskDel = 0;  // life span, substage width, its inverse

  // Age windows of egg [0, 36.25], nymph [36.25, 145] and adult [145, 390] degree-days.
  AgeVec GWssVegg{}, GWssVnymph{}, GWssVadult{};

  // Numbers and mass per substage (flow rates: contents = entry * GWssDelk).
  AgeVec GWssNum{}, GWssWgt{};

  // Stage figures [1..3] egg, nymph, adult: numbers, mass (mass units per tree) and mean mass of
  // one individual. GWNum and GWwgt start as the setup file's initial population.
  std::array<double, 4> GWNum{}, GWwgt{}, GWAvg{};

  // Heat.
  float GWssDDa = 0;     // today's degree-days above GWssBase
  float GWssDDaTot = 0;  // degree-days since GWssInit

  // Supply/demand: daily ratios, newest at 1 (1..3 used), and their three-day mean.
  std::array<double, 8> GWssArraySD{};
  float GWssAsd = 0;

  // Population totals of the last 35 days, newest in row 1 (rows 1..35), and the total about TPrev
  // degree-days ago that gates emigration.
  std::array<GWssPast, kGWssHistory + 1> AR{};
  double TPrev = 115;  // degree-days
  double GWssPrev = 0;

  // Pruning: days left of pruning mortality, and today's mortality.
  int32_t kut4 = 0;
  double CMort = 0;

  // Output sums between output dates (reset by the driver) and their harvest snapshot.
  double GWNum1Sum = 0, GWNum2Sum = 0, GWNum3Sum = 0, GWssAsdSum = 0, GWssDDaTotSum = 0;
  double GWssDDaTotSave = 0, GWNum1Save = 0, GWNum2Save = 0, GWNum3Save = 0, GWssAsdSave = 0;
};

// What the sharpshooter reads of the day besides the tree.
struct GWssDay {
  const TempPair* temps = nullptr;  // temperature series by model day (Weather::temps.data())
  uint16_t modelday = 0;            // today's index into temps
  float tmean = 0;                  // deg C
  bool PruneToday = false;          // the tree was pruned (the driver's flag as it stands)
};

// Parameters, windows and the setup file's initial population spread over the substages of each
// stage; clears everything else, so a repeated pass starts exactly as the setup file says.
void GWssInit(ErrorSink& log, GWssState& gw, const Inputs& in);

// One day of the sharpshooter. Takes its food from plant.PhotoSynthate (reduced by what it eats);
// spraylevel is the spray mortality of the day (0..1).
void GWssMod(ErrorSink& log, GWssState& gw, const Inputs& in, PlantState& plant, const GWssDay& day,
             float spraylevel);

// Records today's population total in the table of past totals and returns in GWssPrev the total
// of the oldest row no more than TPREV degree-days back.
void DELATE(GWssState& gw, double TPREV, double& GWssPrev);

// A killing freeze of the orchard: stage numbers, their sums, the heat sum and the mean ratio to 0.
void GWssFreeze(GWssState& gw);
// Clears the output sums after an output date (GWssDDaTotSum is cleared only by the summary).
void GWssResetSums(GWssState& gw);
// Harvest snapshot of the heat sum and the output sums.
void GWssSaveHarvestValues(GWssState& gw);

}  // namespace olive
