#pragma once
// Scale parasitoids: two wasp species on each armoured scale, one model run as two pairs.
//
// The first species of a pair (AMaculicornis on the olive scale, Achilensis on the oleander
// scale) lays female eggs in the scales; its males arrive only with immigrants. The second
// (Cutilis on the olive scale, ed on the oleander scale) lays eggs in the scales too; Cutilis
// females are born unmated, mate as adults, lay female eggs in scales once mated and male eggs on
// immature parasitoids while unmated. Each species is carried from egg to adult death by one
// distributed delay per kind (degree-days above 13.3 deg C), through three stages: immature in
// the host, pupa, adult. Each day the adult females search the scale population with a
// demand-driven functional response; their attacks are shared among the host stages 3..6 by
// fixed preference weights, give the scale's survival from parasitism, and become the next eggs.
#include <array>
#include <cstdint>

#include "model/inputs.h"
#include "pests/scale.h"
#include "pests/scale_day.h"
#include "toolkit/agevec.h"
#include "toolkit/error_sink.h"

namespace olive {

// Life table and host preferences of one species.
struct ParaSpeciesTraits {
  std::array<double, 5> Age;  // 1..4: immature 1..2, pupa 2..3, adult 3..4; Age[4] is the delay
  int32_t K;                  // substages of each kind's delay
  double Ovip;                // basic attack rate per female
  float base;                 // deg C
  std::array<double, 7> w;    // preference weights of the host stages 3..6
};

// What differs between the two pairs.
struct ParasitoidPairTraits {
  const char* name;
  ParaSpeciesTraits first, second;
  // Attack rate B = Ovip * ff * Avgsd * attackFactor.
  double attackFactor;
  // Attacks and the adults' egg demand scale with the day's degree-days.
  bool attacksPerDegreeDay;
  // The second species has mated and unmated females; unmated ones lay male eggs on immature
  // parasitoids, daughters are born unmated and mate as adults. Without mating, the second
  // species has females (held in Frn) and males, and its eggs are split by the factors phi.
  bool mating;
  // The second species' immatures enter the host pools through its immature window refilled the
  // same day; otherwise through its working window as its population step left it the day before
  // (the adult window).
  bool secondHostsInImmatureWindow;
  // The first species' survivals are updated only when its host pool exceeds this.
  double firstSurvivalGuard;
  // A host attacked by both species yields the first species (otherwise the second).
  bool sharedHostToFirst;
  // The first species' immatures die of the coccinellid's share (otherwise of the second
  // species' attacks on them).
  bool firstImmaturesToCocc;
  // The second species' sprays act on every substage after the stage survivals (otherwise they
  // are part of the immature and adult survivals only).
  bool secondSprayAll;
};

// Life tables (ages 1..4, substages, attack rate, base) and host-stage weights (stages 3..6).
inline constexpr ParaSpeciesTraits kAphytisTraits{
    {0, 0, 100, 186, 366}, 25, 0.9, 13.3f, {0, 0, 0, 0.328, 0.514, 1, 0.514}};

inline constexpr ParasitoidPairTraits kOliveScaleParaTraits{
    .name = "OliveScale",
    .first = kAphytisTraits,  // AMaculicornis
    .second = {{0, 0, 105, 195, 380}, 6, 0.9, 13.3f, {0, 0, 0, 0.328, 0.514, 1, 0.514}},
    .attackFactor = 10.0,
    .attacksPerDegreeDay = false,
    .mating = true,
    .secondHostsInImmatureWindow = true,
    .firstSurvivalGuard = 1e-6,
    .sharedHostToFirst = false,
    .firstImmaturesToCocc = false,
    .secondSprayAll = false};

inline constexpr ParasitoidPairTraits kOleanderParaTraits{
    .name = "OleanderScale",
    .first = kAphytisTraits,  // Achilensis
    .second = {{0, 0, 105, 195, 380}, 25, 0.9, 13.3f, {0, 0, 0, 0.16, 0.54, 1, 0.5}},
    .attackFactor = 1.0,
    .attacksPerDegreeDay = true,
    .mating = false,
    .secondHostsInImmatureWindow = false,
    .firstSurvivalGuard = 0.0,
    .sharedHostToFirst = true,
    .firstImmaturesToCocc = true,
    .secondSprayAll = true};

// Setup-file parameters of one species.
struct ParaSpeciesParams {
  bool on = false;       // the species is simulated (only with its host scale)
  double ImmigProb = 0;  // daily probability of an immigration event
  float Ins = 0;         // immigrants per event
  int32_t Inspcnt = 0;   // random spread of Ins, per cent
};

struct ScaleParasitoidParams {
  const ParasitoidPairTraits* traits = &kOliveScaleParaTraits;
  ParaSpeciesParams first, second;
};

ScaleParasitoidParams OliveScaleParaParams(const Inputs& in);
ScaleParasitoidParams OleanderParaParams(const Inputs& in);

// One species. Names drop the species prefix. First species: `AMaculicornisFrn` is `Frn`,
// `AMaculicornisFemad` is `Femad`, `lxAMaculicornisOliveScale` is `lxScale`, `WgtedAmHost` is
// `Wgted`, `natkdAm` is `natkd`, `adlhfl` is `adlhf`, `lxAMaculicornis1` is `lx1`,
// `AmaculicornisNum1Sum` is `NumSum[1]`; the same for Achilensis. Second species: `CutilisMatedFrn`
// is `Frn`, `CutilisUnmatedFrn` is `UnmatedFrn`, `CutilisMatedFemad` is `Femad`,
// `CutilisMatedFNum` is `MatedFNum`, `WgtedCuHost` is `Wgted`, `NatkdCu` is `natkd`, `adlhfd` is
// `adlhf`, `lxCutilisOliveScale` is `lxScale`, `lxCutilis1` is `lx1`; for ed, `edfrn` is `Frn`,
// `edmrn` is `Mrn`, `edv` is `V`, `edfemad` is `Femad`, `edNum` is `Num`, `edwgt` is `Wgt`,
// `edbt` is `Bt`, `edfemin`/`edmalin` are `Femin`/`Malin`, `lxEdOleander` is `lxScale`, `lxEd1`
// is `lx1` (ed has no unmated line: `UnmatedFrn` stays empty).
struct ParaSpeciesState {
  // Life table (set by the set-up).
  std::array<double, 5> Age{};
  int32_t K = 0;
  float Delk = 0;   // substage width, degree-days
  double Kdel = 0;  // set, not used
  double Ovip = 0;
  float base = 13.3f;

  // Delays: (mated) females, unmated females, males.
  AgeVec Frn{}, UnmatedFrn{}, Mrn{};
  // Working window, refilled for the stage at hand; some steps use it as another step left it.
  AgeVec V{};
  // The windows it is refilled from: immatures, adults, stages 1..3.
  AgeVec immWindow{}, adultWindow{};
  std::array<AgeVec, 4> stageWindow{};

  // Counts.
  std::array<float, 4> Num{}, Wgt{};  // stages 1..3; biomass 0.07 per individual
  std::array<float, 4> UnmatedFNum{}, MatedFNum{}, MaleNum{};
  double Femad = 0;         // ovipositing (mated) adult females
  double UnmatedFemad = 0;  // unmated adult females
  double Males = 0;         // adult males
  double Sexratio = 0;

  // Attacks and eggs.
  float Delt = 0;    // today's degree-days above the base
  double Bt = 0;     // today's maximum attack rate per female
  double ER = 0;     // immature parasitoids present as hosts
  double Wgted = 0;  // weighted hosts searched by this species' females
  double natkd = 0;  // hosts attacked by them
  std::array<double, 7> lxScale{1, 1, 1, 1, 1, 1, 1};  // survival of scale stages 1..6
  double Eggs = 0;
  float Femin = 0, Malin = 0;  // today's eggs entering the female and male delays

  // Adult supply/demand: today's ratio, the last seven (newest first) and the mean of two.
  double Adlsd = 1;
  std::array<float, 8> Sd{};
  double Avgsd = 1;
  double adlhf = 1;  // adult survival of the day: the adult supply/demand ratio

  double lx1 = 1;  // survival of the first stage from the coccinellid

  std::array<double, 4> NumSum{};   // running sums of Num[1..3] between output dates
  std::array<double, 4> NumSave{};  // NumSum at harvest
};

struct ScaleParasitoidState {
  ParaSpeciesState first;                       // AMaculicornis / Achilensis
  ParaSpeciesState second;                      // Cutilis / ed
  double NatkdCuImmToMales = 0;                 // immature parasitoids attacked by unmated females
  double cept = 0.6;                            // search constant
  double texp = 0;                              // search term of the functional response
  std::array<double, 7> phi{};                  // sex allocation of ed's eggs: nothing sets it
  std::array<double, 7> naFirst{}, naSecond{};  // today's hosts of each species, stages 1..6
};

// Set-up: constants, windows and empty populations of both species.
void ScaleParasitoidSetup(ErrorSink& log, ScaleParasitoidState& p,
                          const ParasitoidPairTraits& traits);
void OliveScaleParaSetup(ErrorSink& log, ScaleParasitoidState& p);
void OleanderParasetup(ErrorSink& log, ScaleParasitoidState& p);

// One day of both species on their host scale: immigration, attacks, shares of the hosts and
// the scale's survivals from parasitism (host.lxParas), eggs, mating, adult supply/demand, then
// each species' mortality, ageing and counts.
void ScaleParasitoidsDay(ScaleParasitoidState& p, const ScaleParasitoidParams& params,
                         ScaleState& host, const ScaleDay& day, float spraylevel);
void OliveScaleParas(ScaleParasitoidState& p, const Inputs& in, ScaleState& host,
                     const ScaleDay& day, float spraylevel);
void OleanderParas(ScaleParasitoidState& p, const Inputs& in, ScaleState& host, const ScaleDay& day,
                   float spraylevel);

// The steps of the day. N is the host scale's stage numbers n[1..6].
void FirstSpeciesImmig(ParaSpeciesState& a, const ParaSpeciesParams& params, Rng& rng);
void SecondSpeciesImmig(ParaSpeciesState& c, const ParasitoidPairTraits& t,
                        const ParaSpeciesParams& params, Rng& rng);
void Survsd(ScaleParasitoidState& p, const ParasitoidPairTraits& t, bool secondOn, bool firstOn,
            std::array<double, 7> N);
void survsl(ScaleParasitoidState& p, const ParasitoidPairTraits& t, bool secondOn, bool firstOn,
            const std::array<double, 7>& N);
void Parova(ScaleParasitoidState& p, const ParasitoidPairTraits& t, bool secondOn, bool firstOn,
            ScaleState& host);
void SecondSpeciesPopulation(ScaleParasitoidState& p, const ParasitoidPairTraits& t,
                             const ScaleState& host, float spraylevel);
void FirstSpeciesPopulation(ScaleParasitoidState& p, const ParasitoidPairTraits& t, bool secondOn,
                            float spraylevel);

// Killing freeze of the orchard: stage numbers and running sums to zero.
void ScaleParasitoidFreeze(ScaleParasitoidState& p);
// Output sums of one species to zero after a GIS output date.
void ParaSpeciesResetSums(ParaSpeciesState& s);

}  // namespace olive
