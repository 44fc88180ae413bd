#pragma once
// Growth of the olive tree's age-structured organs. Every organ class is an age-class vector
// advanced by a distributed delay in plant degree-days: Growth applies the day's supply/demand
// ratios, sheds young fruit under carbon stress, ages live tissue into wood, turns flowers into
// fruit, drops fruit attacked by the olive fly and returns part of the senescing tissue to the
// reserves. Populations turns the vectors into the organ totals the rest of the model reads and
// re-divides the reserves among shoots, roots and frame. Prune removes a fixed share of leaves
// and live shoots on a pruning day.
//
// Daily order: Growth after Ratios (and the nitrogen ratios); Prune on a pruning day; the pests;
// Populations every day, also after a freeze.
#include <cstdint>

#include "model/calendar_state.h"
#include "model/inputs.h"
#include "plant/nitrogen.h"
#include "plant/plant_state.h"
#include "weather/weather.h"

namespace olive {

// One day's growth and ageing of the tree; nothing at all when PlantDD is 0 or less. With the
// nitrogen option it ends with the day's N_GROWTH.
void Growth(PlantState& p, NitroState& n, const Inputs& in, const DayWeather& today,
            const SeasonState& season);
// Organ totals from the vectors and the reserve shares; with the nitrogen option also the N
// totals (N_POPULATIONS).
void Populations(PlantState& p, NitroState& n, const Inputs& in, const SeasonState& season);
// Pruning of type which: 1 winter pruning (a quarter of the leaves and live shoots, shoot number
// times 1.7), 2 summer pruning (a tenth). Any other value prunes nothing. Always sets PruneToday.
void Prune(PlantState& p, NitroState& n, bool& PruneToday, uint8_t which);

}  // namespace olive
