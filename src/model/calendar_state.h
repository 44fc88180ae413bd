#pragma once
// The driver's dates, counters and run flags, and the season's degree-day and event state.
#include <cstdint>

namespace olive {

struct DriverState {
  bool SoilWaterOk = false;  // station found in the soil-water table; false: pass without output
  int32_t jdayStart = 0, jdayEnd = 0;  // days of year of the start and end dates
  int32_t jday = 0;                    // current day of year
  int32_t modelyear = 0;
  uint16_t modelday = 0;   // running day of the pass, 1..ndays; index into the weather series
  uint16_t ndays = 0;      // days of the pass
  uint8_t mo = 0, dy = 0;  // current month and day of month
  float modelStartDate = 0, ModelEndDate = 0, ModelDate = 0;  // rdate serial numbers
  int32_t YearLength = 365;
  bool DoEndFile = false;         // the end-of-run GIS row is being written
  bool UseHarvestValues = false;  // a harvest snapshot waits for the next GIS output date
  bool PruneToday = false;
  bool GoPred = false;  // latch: mite predators run from the day it is set
  float PrecipYearSum = 0;
};

// Degree-day totals and season events of the tree.
struct SeasonState {
  float PlantDD = 0;     // today's plant degree-days above OliveBase
  float PlantDDSum = 0;  // since 1 January or the start date
  float PlantDDSumPrev = 0;
  float PlantddbSum = 0;
  double PlantddTot = 0;
  double PlantFreezeDD = 0;  // degree-days below 0 deg C since 1 January
  double PlantKillDD = 0;    // below -10
  double PlantDamageDD = 0;  // below -8.3
  bool budburst = false;
  double hd = 0;  // today's chilling hour-degrees
  double BloomChillHourDegrees = 0, BloomChillHourDegreesSave = 0;
  bool BloomInit = false;
  double TimetoBloom = 0;
  bool blooming = false;
  int32_t bloomday = 0;
  float FruGrowDD = 0;  // plant degree-days since bloom
  bool harvest = false;
  int32_t jdayHarvest = 0;
  bool PlantHasFrozen = false;
};

}  // namespace olive
