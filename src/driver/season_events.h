#pragma once
// The tree's calendar: bud burst, chilling and its save on day of year 290, bloom initiation,
// frost on flowers and shoots, time to bloom, bloom, fruit-growth degree-days, the harvest
// decision with its snapshot, and the killing freeze of the orchard.
#include <cstdint>

#include "model/calendar_state.h"
#include "model/inputs.h"
#include "plant/plant_state.h"
#include "state/harvest_snapshot.h"
#include "weather/weather.h"

namespace olive {

struct Simulation;

// Degree-days below 0 deg C since 1 January above which the orchard is killed.
inline constexpr double kKillingFreezeDD = 200;
// Chilling: hour-degrees needed for bloom initiation; the day of year on which the season's
// chilling is saved and restarted.
inline constexpr double kBloomChillHourDegrees = 340;
inline constexpr int32_t kChillSaveDay = 290;
// Plant degree-days from bloom initiation to bloom.
inline constexpr double kTimeToBloomDD = 400;
// Flowers per unit of live shoot that enter bloom.
inline constexpr double kFlowersPerShoot = 75;
// Minimum temperature (deg C) below which flowers and shoots are damaged.
inline constexpr float kFrostThreshold = -3.5f;
// Fruit-growth degree-days from veraison to harvest (with HarvestOption).
inline constexpr double kVeraisonToHarvestDD = 700;
// Latest harvest day of the year.
inline constexpr int32_t kLatestHarvestDay = 345;

// Surviving fraction of flowers and shoots after a night at tmin (deg C): 1 at -3.5 and above.
float FrostSurvival(float tmin);

// The season's rules before growth, in order: bud burst, chilling and its day-290 save, bloom
// initiation, frost on flowers and shoots, time to bloom, bloom, fruit-growth degree-days.
// today.tmax and today.tmin hold the day's temperatures (set by the degree-day step).
void SeasonEvents(SeasonState& season, PlantState& plant, const Inputs& in, const Weather& wx,
                  const DayWeather& today, const DriverState& drv);

// Sets harvest for today: by fruit-growth degree-days with HarvestOption, and on day 345 at the
// latest; one harvest per calendar year (jdayHarvest blocks a second one).
void HarvestDecision(SeasonState& season, const Inputs& in, int32_t jday);

// Takes the harvest snapshot and marks it for the next GIS output date.
void SaveHarvestValues(Simulation& sim);

// Kills the orchard for the rest of the pass: the tree, its nitrogen and every pest living on
// it are zeroed, and PlantHasFrozen is set (only the next pass clears it).
void FreezePlant(Simulation& sim);
// The season's share of the freeze: degree-day counters, chilling, bloom and harvest flags.
void FreezeSeason(SeasonState& season);

}  // namespace olive
