#pragma once
// The coccinellid: a lady beetle that eats the two armoured scales and, with them, the youngest
// stage of their parasitoids inside the scales. A biomass model: one distributed delay carries
// numbers and a parallel one mass through egg, larva, pupa and adult; a second pair carries the
// embryos forming inside the females until they are laid. Prey consumption is a demand-driven
// functional response on the pooled prey biomass; the supply/demand ratio sets larval and embryo
// growth, reproduction and starvation, and a reserve pool buffers short shortfalls. The share of
// the prey that survives the beetle today is handed to each prey.
//
// Mass: the scales' mass unit, shared with the prey without conversion.
// Time: degree-days above Coccbase.
#include <array>
#include <cstdint>

#include "model/inputs.h"
#include "pests/scale.h"
#include "pests/scale_day.h"
#include "pests/scale_parasitoids.h"
#include "toolkit/agevec.h"
#include "toolkit/error_sink.h"

namespace olive {

// The coccinellid's prey: the two scales and the two parasitoid pairs. Each prey holds its own
// survival from the beetle (`Cocclx` of a scale, `lx1` of a parasitoid species), which the beetle
// writes and the prey applies.
struct CoccPrey {
  ScaleState& olive;
  ScaleState& oleander;
  ScaleParasitoidState& oliveParas;
  ScaleParasitoidState& oleanderParas;
};

// The prey's survivals from the beetle, all six, to 1 (no predation): the run's initial state.
void CoccPreySharesInit(CoccPrey prey);

struct CoccState {
  // Parameters (set by the set-up).
  float Coccbase = 14;              // deg C
  int32_t kCocc = 65;               // substages of every delay
  std::array<double, 6> Coccage{};  // 1..5: stage limits, degree-days
  float Coccdelk = 0;               // substage width of the life delay
  float delemCocc = 109;            // mean embryo time inside the female, degree-days
  float delkemCocc = 0;             // substage width of the embryo delay
  double betaCocc = 0.26;           // egested share of food
  double Coccsexr = 0.55;           // share of females
  float rateem = 0.41f;             // embryos started per female per degree-day
  float CoccShedMin = 0, CoccShedMax = 54;
  int32_t j2 = 0, j3 = 0, j4 = 0;  // first substages of larva, pupa and adult (truncated)

  // Windows: eggs, larvae, pupae, adults; embryo window (set, not used).
  AgeVec vCocceggs{}, vCoccimm{}, vCoccpupa{}, vCoccadlt{}, vshedCoccem{};

  // Delays: numbers and mass along the life, embryo numbers and mass.
  AgeVec Coccnm{}, Coccwt{}, CoccembNum{}, Coccembwgt{};

  float Coccdelt = 0;                  // today's degree-days
  float Cocctdelt = 0;                 // their total
  std::array<double, 11> Coccstack{};  // ring of the last three supply/demand ratios (1..3)
  int32_t nextCocc = 0;
  double sdv = 0, sde = 0;  // today's ratios for vegetative growth and for embryos
  double food = 0, Coccreserve = 0, dmgro = 0, dmres = 0, dmrespCocc = 0, bCocc = 0;
  double Coccegest = 0, gr = 0, bornCocc = 0;
  double Coccdmres = 0;  // reserve brought by immigrants: a total that nothing reads
  double toplai = 0;     // cleared by the set-up; not used
  bool goCocc = false;   // active from the first day the scale biomass exceeds CoccPreyLevel

  // Stage totals: numbers, masses, embryos.
  double Coccegnm = 0, Cocclarn = 0, Coccpupnm = 0, Coccadnm = 0;
  double Coccegwt = 0, Cocclarwt = 0, Coccpupwt = 0, Coccadwt = 0;
  double Coccemnm = 0, Coccemwt = 0;
  double Cocctotn = 0, Cocctotwt = 0;

  // Running sums between output dates.
  double CoccEgnmSum = 0, CoccLarNSum = 0, CoccPupNmSum = 0, CoccAdnmSum = 0;
  double CoccEgnmSave = 0, CoccLarNSave = 0, CoccPupNmSave = 0,
         CoccAdnmSave = 0;  // sums at harvest
};

// Set-up of a pass.
void Coccsetup(ErrorSink& log, CoccState& c);

// One day: activation on the scales' biomass, then (once active) immigration, degree-days,
// demand, supply (writing the prey's survivals), ratios, mortality, growth and counts.
void Coccmod(CoccState& c, const Inputs& in, CoccPrey prey, const ScaleDay& day, float spraylevel);

// The steps of the day.
void Coccimmigrate(CoccState& c, const Inputs& in, Rng& rng);
void Coccheat(CoccState& c, const ScaleDay& day);
void Coccdem(CoccState& c);
void Coccsup(CoccState& c, CoccPrey prey);
void Coccrsv(CoccState& c);
void Coccratios(CoccState& c);
void Coccmort(CoccState& c, float spraylevel);
void Coccgrow(CoccState& c);
void CoccCount(CoccState& c);

// Killing freeze of the orchard: vectors, totals, heat sum and running sums to zero.
void CoccFreeze(CoccState& c);
// Output sums to zero after a GIS output date.
void CoccResetSums(CoccState& c);

}  // namespace olive
