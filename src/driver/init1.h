#pragma once
// The initial state of a pass: the daily file and its header, the driver's accumulators, the
// olive tree's organ age structure from the setup file's delays and masses, the GIS list file,
// the soil water, the nitrogen and each active submodel's set-up.

namespace olive {

struct Simulation;

// Builds the complete initial state of a pass. When the daily file cannot be created it reports
// "Can not open: OliveDaily.txt", clears RunOk and returns before anything else is initialised.
void INIT1(Simulation& sim);

}  // namespace olive
