#pragma once
// The olive tree's initial state, built from the setup values at the start of every pass, and
// the tree after a killing freeze.
#include "model/inputs.h"
#include "plant/plant_state.h"
#include "toolkit/error_sink.h"

namespace olive {

// Builds the whole tree from the setup values: organ vectors and totals, bloom delay, the fruit
// carried over from last season (the oldest third of the fruit classes, 0.99 fruit in all),
// frame, leaves, wood, window vectors, reserves and the photosynthetic efficiency of each leaf
// age. Every member of p is rebuilt, so a repeated pass starts from exactly the same tree.
void InitPlant(PlantState& p, const Inputs& in, ErrorSink& log);
// The tree after a killing freeze: organs, vectors, totals, ratios and reserves to 0.
void FreezePlantState(PlantState& p);

}  // namespace olive
