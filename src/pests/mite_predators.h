#pragma once
// Predatory mites that eat the spider mites. The whole life (egg, larva, protonymph, deutonymph,
// pre-ovipositing, ovipositing and old adult) runs through one distributed delay in degree-days
// above Predbase; seven age windows on it give the stage numbers. Each day the predators search
// for prey counted in mite egg equivalents, kill what they find, and their supply/demand ratio
// sets both their births and their survival. Immigrants arrive every active day.
#include <array>
#include <cstdint>

#include "model/inputs.h"
#include "pests/mites.h"
#include "toolkit/agevec.h"
#include "toolkit/error_sink.h"
#include "toolkit/random.h"
#include "weather/weather.h"

namespace olive {

struct PredState {
  // --- Fixed by predsetup. ---
  int32_t kPred = 45;       // substages of the predator delay
  float Predbase = 6.64f;   // deg C, base of predator degree-days
  float delPred = 342.05f;  // degree-days from egg to death
  double delkPred = 0;      // substage width, degree-days
  // Entries 1..7: egg, larva, protonymph, deutonymph, pre-ovipositing, ovipositing, old adult.
  std::array<double, 8> PredAge{};  // upper age of each stage, degree-days
  std::array<double, 8> PredDem{};  // prey demand per individual per degree-day, egg equivalents
  double Predfec = 0.064;           // eggs per female per degree-day
  double Predsexr1 = 0.66, PredSexR = 0.66;  // share of females
  double Predalpha = 1;                      // search rate of the functional response
  // Kept by the set-up but not used by the model.
  double Predalphain = 1, tpeak = 13.2, rhlim = 25, sdmin = 0;
  double Predov = 0, Predlarv = 0, Predproto = 0, Preddeuto = 0, Predpreovip = 0, Predovipad = 0,
         Predad = 0;

  // Age windows of the seven stages, and of every stage but eggs.
  AgeVec veggs{}, vlarva{}, vproto{}, vdeuto{}, vPredPreov{}, vovipad{}, vadult{}, vreport{};

  // --- Day-to-day state. ---
  AgeVec PredNums{};              // the whole population (kPred substages)
  std::array<double, 8> PredN{};  // numbers per stage, entries 1..7
  double PredReport = 0;          // larvae to adults
  double PredDays = 0;            // running total of PredReport
  float PredDD = 0;               // today's predator degree-days
  float tPredDD = 0;              // predator degree-days since predsetup
  double PredSD = 0;              // today's supply/demand ratio 0..1
  double PreyFound = 0;           // prey found today, egg equivalents
  double PreyAvail = 0;           // prey available today, egg equivalents

  // Output sums between GIS output dates, and their harvest snapshot.
  double Predn1Sum = 0, PredreportSum = 0;
  double Predn1Save = 0, PredreportSave = 0;
};

// What one predator day reads from the rest of the orchard.
struct PredDayInputs {
  const Inputs& in;   // Predins (immigrants per day), PredinsPcnt (their random spread, %)
  const Weather& wx;  // temperature series for the degree-days
  uint16_t modelday = 0;
  float spraylevel = 0;  // spray mortality 0..1 left by yesterday's spray step
  Rng& rng;
};

// Fixed parameters, stage windows and an empty population.
void predsetup(ErrorSink& log, PredState& p);

// One predator day: immigration, search and kill of the mites, births, ageing and deaths, and
// the extinction test, which clears GoPred.
void MitePred(PredState& p, MiteState& mites, bool& GoPred, const PredDayInputs& d);

void Predimmig(PredState& p, const Inputs& in, Rng& rng);
void Predcount(PredState& p);
void Preddemand(const PredState& p, double& demtot);
void Predsup(const PredState& p, double demtot, double PreyAvail, double& PreyFound);
void Predsdr(PredState& p, double mort, double PreyAvail, double demtot);
void Preddyn(PredState& p);
void PredMort(PredState& p, float spraylevel);
void Predsdone(PredState& p, bool& GoPred);

// A killing freeze of the orchard: stage numbers and output sums to zero (the vector is kept).
void FreezePreds(PredState& p);
// Clears the output sums after a GIS output date.
void ResetPredSums(PredState& p);
// Harvest snapshot of the output sums.
void SavePredHarvestValues(PredState& p);

}  // namespace olive
