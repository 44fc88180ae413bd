#pragma once
// The driver's periodic resets: the yearly reset of the tree's season on 1 January and the reset
// of the output sums after each GIS output date.

namespace olive {

struct Simulation;

// 1 January: clears the season's degree-day totals, the bloom and harvest flags and days, the
// chilling and the shed-fruit total, and renews the year's sprays.
void InitAgain(Simulation& sim);

// After a GIS output date: the year's precipitation and each active pest's period sums restart.
void ResetSums(Simulation& sim);

}  // namespace olive
