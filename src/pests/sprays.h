#pragma once
// Pesticide sprays. Once a day decides whether the orchard is sprayed (on a date of the spray
// table, on a degree-day schedule from bud burst, or when a pest density crosses its threshold)
// and keeps the spray's residual effect as one number, spraylevel: the share of the exposed
// individuals that the spray kills. The populations read it the next day; the spray does not know
// which species it hits.
#include <cstdint>

#include "model/calendar_state.h"
#include "model/inputs.h"

namespace olive {

struct SprayState {
  bool simsprays = false;      // spraying is still active this season
  bool spraytoday = false;     // a spray happens today (cleared at the end of each day)
  uint8_t SpraysDone = 0;      // sprays so far this season
  int32_t sprday = 1000;       // days since the last spray; 1000: none yet
  float SprayMaxMort = 0;      // mortality on the day of the current spray, 0..1
  int32_t SprayDuration = 0;   // days until the current spray's effect has decayed to 0.05
  float SprayCost = 0;         // cost of the last dated spray (kept, not used)
  float spraylevel = 0;        // today's spray mortality, 0..1, read by the populations
  float LinearPredEffect = 1;  // recovery ramp after a spray, 0..1 (nothing reads it)
  uint8_t markspray = 0;       // 15 on a spray day, else 0
  float totspraycost = 0;      // cleared at set-up, not accumulated
  // Date number (rdate) after which spraying may end: the setup's value, moved on by the year's
  // length at each new year by the driver.
  float StopSprayDate = 0;
};

// The day's pest densities and tree figures that the threshold sprays read, filled by the caller.
struct SprayPestFigures {
  double MiteAdults = 0, juveniles = 0;  // spider mites on the tree
  double leafNum = 0;                    // leaves on the tree
  double OliveScaleAdults = 0;
  double OleanderScaleAdults = 0;
  float OliveFlyegg = 0, OliveFlylarv = 0;  // olive fly immatures in the fruit
  int32_t OFlySprayDelay = 30;              // days after a spray before the fly may trigger another
  double fruNum = 0;                        // fruit on the tree
};

// Start of a season's spraying: no spray yet, no residue, the default strength and duration.
// StopSprayDate is left alone (it belongs to the driver's calendar).
void sprayinit(SprayState& sp, const Inputs& in);

// The day's decision and spray level. Runs after all pests of the day.
void sprays(SprayState& sp, const Inputs& in, const DriverState& drv, const SeasonState& season,
            const SprayPestFigures& pests);

}  // namespace olive
