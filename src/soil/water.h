#pragma once
// One-layer soil water balance of the orchard: potential evapotranspiration by a Penman
// combination equation, potential transpiration and two-stage soil evaporation after Ritchie,
// transpiration from a ratio-dependent uptake of the available soil water, a running 5-day water
// supply/demand ratio, and the bucket update.
//
// Daily order (before the plant's Demand), with w the run's WaterState:
//   Ritchi(w, today, LAI, w.wdemand, w.evapsoil);
//   Wsupply(w, LAI, w.wdemand, w.evapsoil, w.transpire);
//   Wratio(w, today, LAI, w.transpire, w.wdemand, w.wsd);   // ends with waterbalance
#include <array>
#include <cstdint>

#include "weather/weather.h"

namespace olive {

// Upper limit of stage-1 soil evaporation (mm) and the stage-2 coefficient (mm / sqrt(day)).
inline constexpr float kStage1Limit = 5.735f;
inline constexpr float kStage2Coeff = 3.2995f;
// Days averaged in the running water supply/demand ratio.
inline constexpr int32_t kWsdDays = 5;
// The bucket holds this fraction of the station values (table or setup-file units).
inline constexpr double kBucketScale = 0.05;

struct WaterState {
  // Station soil values of the run in table / setup-file units; the bucket works in
  // kBucketScale times these. The driver sets them at the start of each pass (setup file, then
  // the soil-water table's row when the station is found), before waterinit.
  float SoilwIn = 0;     // soil water at the start of the run
  float SoilwMaxIn = 0;  // maximum soil water (field capacity)
  float pwpin = 0;       // permanent wilting point

  float soilw = 0;         // soil water in the bucket, mm
  float avlw = 0;          // water available to the tree (soilw above the wilting point), mm
  float prevawat = 0;      // root-zone access factor of the previous day; never decreases in a run
  float wdemand = 0;       // potential transpiration of the day, mm
  float evapsoil = 0;      // actual soil evaporation of the day, mm
  float transpire = 0;     // actual transpiration of the day, mm
  float es1 = 0, es2 = 0;  // cumulative stage-1 and stage-2 soil evaporation since wetting, mm
  float watertime = 0;     // time counter of stage-2 evaporation, days
  bool watfirst = true;    // true until the first day of the run has been processed
  float wsd = 1;           // water supply/demand ratio, running mean over kWsdDays days
  std::array<float, 11> wsdarray{};  // ring buffer of daily ratios, entries 1..10 (1..5 used)
  int32_t iwsd = 0;                  // last written position of the ring buffer
  float SumET = 0, SumPrecip = 0;    // run totals of evapotranspiration and precipitation, mm
  uint8_t nirrs = 0;                 // irrigations (none are simulated)
};

// Start-of-pass state of the bucket from SoilwIn; the station values must be set first.
void waterinit(WaterState& w);

// Potential transpiration (wdemand) and actual soil evaporation (evapsoil) of the day, mm.
// LAI is the tree's leaf area index of the previous day. A relative humidity of exactly 0 in
// today's weather is replaced by 55 % (today.rhmean is changed).
void Ritchi(WaterState& w, DayWeather& today, double LAI, float& wdemand, float& evapsoil);

// Actual transpiration of the day (mm) from the demand and the water above the wilting point.
// evapsoil is not used.
void Wsupply(WaterState& w, double LAI, float wdemand, float evapsoil, float& transpire);

// Running 5-day mean of the water supply/demand ratio (kept when LAI <= 0.01), then the day's
// water balance.
void Wratio(WaterState& w, const DayWeather& today, double LAI, float Transpire, float wdemand,
            float& wsd);

// Updates the bucket and the run totals with the day's rain, evaporation and transpiration;
// water above field capacity drains. today.precip is left unchanged for later submodels.
void waterbalance(WaterState& w, const DayWeather& today);

}  // namespace olive
