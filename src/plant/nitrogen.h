#pragma once
// The tree's nitrogen balance: organ N demands that follow the day's carbon growth, uptake from
// the soil's mineral N by a ratio-dependent acquisition, an N reserve, supply/demand ratios for
// fruit and vegetative growth, and the N of leaves, live shoots and live roots carried in
// age-class vectors parallel to the carbon vectors. Nitrogen does not feed back on carbon
// growth; the mites read the leaf N concentration and the scales the leaf N by age.
//
// N amounts are in the model's mass units per tree; concentrations (leafN, rleafN, ...) are in
// per cent of the organ's dry mass.
#include <cstdint>

#include "model/calendar_state.h"
#include "model/inputs.h"
#include "plant/plant_state.h"
#include "toolkit/agevec.h"
#include "toolkit/error_sink.h"

namespace olive {

struct NitroState {
  // N by age class, parallel to FolWgtArray, ShootliveArray and RootLiveArray (same widths).
  AgeVec rNfol{}, rNshoot{}, rNroot{};
  AgeVec dNleaf{};  // today's N demand of each leaf class
  AgeVec perL{};    // N export rate of each leaf class to the reserve
  AgeVec rleafN{};  // N concentration of each leaf class, per cent of leaf mass

  // N concentration of new growth (fraction of mass), set by INITRO.
  double conclf = 0, concsh = 0, concro = 0, concfra = 0, concfru = 0;

  // Demands of the day.
  double Ndleaf = 0, Ndshoot = 0, Ndroot = 0, Ndframe = 0, Ndfru = 0, Ndveg = 0, Ndtot = 0;
  double Nuptk = 0;  // taken up from the soil today; the driver clears it at the start of a day

  // Supply/demand ratios, 0..1.
  double Nsdtot = 0, Nsdfru = 1, Nsdveg = 1;

  // Pools.
  double Nres = 0;  // N reserve
  double Nfruit = 0, Nframe = 0;
  double Nshwood = 0, Nrowood = 0;
  double Nfol = 0, Nshlive = 0, Nrolive = 0;  // vector totals
  double Nshoot = 0, Nroot = 0;               // including their share of Nres

  // Concentrations, per cent of organ mass.
  double leafN = 4, shootN = 0, fruitN = 0, rootN = 0, frameN = 0;

  // Soil.
  double soilN = 0;     // mineral N under the tree
  double OM = 0;        // organic matter under the tree
  int32_t dayfert = 0;  // model day of a fertiliser application
  double Nfert = 0;     // its amount

  bool operator==(const NitroState&) const = default;
};

// The arguments of one day's N growth (called from Growth).
struct NGrowthDay {
  int32_t iter = 0;       // N delay steps today: the whole plant degree-days of the day
  float dd = 1.0f;        // degree-days of one step
  float lmassin = 0;      // leaf mass entering the leaf delay today
  float shedprop = 1.0f;  // fraction of young fruit retained today
};

// Puts every N quantity to its value before set-up: ratios 1, leaf N 4 %, all else 0. The
// driver calls it at the start of every pass, with or without the nitrogen option, because the
// mites read leafN either way.
void ResetNitro(NitroState& n);
// Initial N pools from the tree's root and frame mass and the soil's N under the tree.
void INITRO(ErrorSink& log, NitroState& n, const PlantState& p, const Inputs& in);
// N demand of the organs from the day's carbon demands and ratios.
void N_DEMAND(NitroState& n, const PlantState& p, const SeasonState& season);
// N uptake from the soil for the part of the demand that the reserve cannot cover.
void N_SUPPLY(NitroState& n, const PlantState& p, const Inputs& in);
// N supply/demand ratios; N not allocated returns to the reserve.
void N_RATIOS(NitroState& n, const SeasonState& season);
// Moves the day's N into the organs and ages the N vectors by iter steps of dd degree-days.
void N_GROWTH(NitroState& n, const PlantState& p, const Inputs& in, bool blooming,
              const NGrowthDay& day);
// Organ N totals and concentrations from the vectors and the carbon totals.
void N_POPULATIONS(NitroState& n, const PlantState& p, const SeasonState& season);
// The soil's mineral N: mineralisation after bud burst, uptake, fertiliser, constant input and
// loss; never below 0.
void SOILNITRO(NitroState& n, const Inputs& in, const SeasonState& season, uint16_t modelday);
// The orchard's nitrogen after a killing freeze.
void FreezeNitro(NitroState& n);

}  // namespace olive
