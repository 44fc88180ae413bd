#pragma once
// The pests and natural enemies as the driver sees them: their set-up at the start of a pass,
// their places in the day, and their share of the freeze, of the reset of output sums and of the
// harvest snapshot. Each submodel runs only behind its switch.
#include "state/simulation.h"

namespace olive {

// Set-up of every active pest submodel, in the initialisation's order (the olive fly right after
// the tree; the others after the soil water), their output sums cleared, and the sprays armed.
void SetUpFly(Simulation& sim);
void SetUpPests(Simulation& sim);

// The sap feeders take their share of the day's photosynthate and reserves before the tree
// allocates them: sharpshooter, olive scale, oleander scale, then the coccinellid, which eats
// the scales and their parasitoids.
void SapFeeders(Simulation& sim);

// The pests that run after the tree's growth, in the day's order: spider mites, mite predators,
// scale parasitoids, olive fly, then the sprays, whose level the populations use tomorrow.
void PestsAfterGrowth(Simulation& sim);

// The pests' share of the orchard's freeze, of ResetSums and of the harvest snapshot.
void FreezePests(Simulation& sim);
void ResetPestSums(Simulation& sim);
void SavePestHarvestValues(Simulation& sim);

// True when the sprays have a pest to act on.
bool SprayTargetsInRun(const Inputs& in);

}  // namespace olive
