#include "pests/sprays.h"

#include <algorithm>
#include <cmath>

#include "toolkit/modutils.h"

namespace olive {

namespace {

// Threshold densities above which a pest triggers a spray (strictly above).
constexpr double kMitesPerLeaf = 2;
constexpr double kOliveScaleAdults = 20;
constexpr double kOleanderScaleAdults = 1000;
constexpr double kFlyPerFruit = 0.001;  // eggs and larvae per fruit

// Residual mortality sprday days after a spray of strength SprayMaxMort that decays
// geometrically to 0.05 in SprayDuration days, and is 0 afterwards. A spray without strength or
// lasting less than a day has no effect.
float SprayLevel(float SprayMaxMort, int32_t SprayDuration, int32_t sprday) {
  if (SprayMaxMort <= 0 || SprayDuration < 1 || sprday > SprayDuration) return 0;
  const double SprayDecay =
      (std::log(0.05) - std::log(static_cast<double>(SprayMaxMort))) / SprayDuration;
  return static_cast<float>(SprayMaxMort * std::exp(SprayDecay * sprday));
}

// The threshold triggers, tried in turn while none has fired; a threshold spray needs the
// previous spray's effect to be over.
bool ThresholdSpray(const SprayState& sp, const Inputs& in, const SprayPestFigures& pests) {
  const bool effectOver = sp.sprday > sp.SprayDuration;
  bool spray = false;
  if (in.MiteSpr) {
    const double perLeaf =
        pests.leafNum > 0 ? (pests.MiteAdults + pests.juveniles) / pests.leafNum : 0;
    spray = perLeaf > kMitesPerLeaf && effectOver;
  }
  if (!spray && in.OliveScaleSpr) {
    spray = pests.OliveScaleAdults > kOliveScaleAdults && effectOver;
  }
  if (!spray && in.OleanderScaleSpr) {
    spray = pests.OleanderScaleAdults > kOleanderScaleAdults && effectOver;
  }
  if (!spray && in.OliveFlySpr && sp.sprday > pests.OFlySprayDelay) {
    const double perFruit =
        pests.fruNum > 0
            ? (static_cast<double>(pests.OliveFlylarv) + pests.OliveFlyegg) / pests.fruNum
            : 0;
    spray = perFruit > kFlyPerFruit && effectOver;
  }
  return spray;
}

}  // namespace

void sprayinit(SprayState& sp, const Inputs& in) {
  sp.SpraysDone = 0;
  sp.sprday = 1000;
  sp.spraylevel = 0;
  sp.LinearPredEffect = 1;
  sp.SprayMaxMort = in.SprayMaxMortDefault;
  sp.SprayDuration = in.SprayDurationDefault;
  sp.totspraycost = 0;
  sp.simsprays = in.simspraysin;
}

void sprays(SprayState& sp, const Inputs& in, const DriverState& drv, const SeasonState& season,
            const SprayPestFigures& pests) {
  // 1. Dated sprays: a later matching row overrides an earlier one.
  if (in.spdates) {
    for (int32_t r = 1; r <= in.numspr; ++r) {
      const auto& row = in.sprayspecs[r];
      if (row[1] != static_cast<float>(drv.jday)) continue;
      sp.spraytoday = true;
      sp.SprayMaxMort = row[2];
      sp.SprayDuration = static_cast<int32_t>(row[3]);
      sp.SprayCost = row[4];
    }
  }

  // 2. Degree-day schedule from bud burst: the first spray once the start is reached, then one
  // whenever SprayInterval + 1 days have passed since the last (sprday before today's count).
  if (in.SprayRelBurst && season.PlantDDSum >= in.burstpnt + in.SprayDDRelBurst) {
    if (sp.SpraysDone == 0 || sp.sprday == in.SprayInterval + 1) sp.spraytoday = true;
  }

  // 3. Pest thresholds.
  if (!sp.spraytoday) sp.spraytoday = ThresholdSpray(sp, in, pests);

  // 4. Count the spray and the days since the last one.
  if (sp.spraytoday) sp.SpraysDone = static_cast<uint8_t>(sp.SpraysDone + 1);
  sp.sprday += 1;
  if (sp.spraytoday) sp.sprday = 0;

  // 5. Residual mortality of the day.
  sp.spraylevel = SprayLevel(sp.SprayMaxMort, sp.SprayDuration, sp.sprday);

  // 6. Recovery ramp: 0 while the spray acts, then rising until PredEffectDuration.
  if (sp.sprday < sp.SprayDuration) {
    sp.LinearPredEffect = 0;
  } else if (sp.sprday <= in.PredEffectDuration) {
    const double ramp =
        in.PredEffectDuration > 0
            ? static_cast<double>(sp.sprday - sp.SprayDuration) / in.PredEffectDuration
            : 0;
    sp.LinearPredEffect = static_cast<float>(Zerone(ramp));
  }

  // 7. End of the season's spraying, after the stop date or the last allowed spray, once both the
  // recovery period and the last spray's decay are over (so the level has come back to 0).
  const int32_t settled = std::max(in.PredEffectDuration, sp.SprayDuration);
  if (drv.ModelDate >= sp.StopSprayDate && sp.sprday > settled) sp.simsprays = false;
  if (sp.SpraysDone >= in.maxspr && sp.sprday > settled) sp.simsprays = false;

  // 8. Mark the day for output.
  sp.markspray = sp.spraytoday ? 15 : 0;
  sp.spraytoday = false;
}

}  // namespace olive
