#pragma once
// The olive tree as a supply-demand system in dry-matter units per tree (one mass unit for all
// plant pools). Each day the tree states a photosynthate demand by every organ plus maintenance
// respiration (Demand), acquires a supply from light interception (Supply), and divides it by a
// fixed priority: maintenance first, then fruit, then vegetative growth, the surplus to the
// reserves (Ratios). The supply/demand ratios sdfru and sdveg scale the day's growth and the
// nitrogen demand. HourDegrees gives the day's chilling units for bloom.
//
// Daily order: Demand, Supply, the sap feeders' withdrawals from PhotoSynthate and reserveTot,
// Ratios, then the nitrogen ratios and Growth.
#include "model/calendar_state.h"
#include "model/inputs.h"
#include "plant/plant_state.h"
#include "weather/weather.h"

namespace olive {

// Today's growth demand of every organ, fruit and maintenance respiration; on a harvest day it
// first removes the harvested fruit and records Frumass, fruNum, yield and OldShootWood.
void Demand(PlantState& p, const Inputs& in, const DayWeather& today, const SeasonState& season);
// Today's photosynthate from the leaves' light interception (leafarea, LAI, PhotoSynthate).
void Supply(PlantState& p, const Inputs& in, const DayWeather& today);
// Allocates the day's photosynthate: maintenance, then fruit, then vegetative growth; the rest
// to the reserves. Sets sdfru and sdveg.
void Ratios(PlantState& p, const SeasonState& season);
// Chilling units of one day (hd) from 25 hourly temperatures on a sine curve through the
// previous day's maximum Max1, today's minimum Min and today's maximum max2 (deg C).
void HourDegrees(double Max1, double Min, double max2, double& hd);

}  // namespace olive
