#pragma once
// Everything that parameterises a run: the nine command-line parameters and the setup file
// (weather adjustments, the olive tree's parameters, the submodel switches with their immigration
// parameters, output switches, random seed and spray options, and the optional spray schedule).
// Set once by ReadInputs; read-only afterwards except where noted.
#include <array>
#include <cstdint>
#include <string>

namespace olive {

struct Inputs {
  // Command line.
  std::string SetupFileName;
  int32_t month1 = 0, day1 = 0, FirstYear = 0;
  int32_t month2 = 0, day2 = 0, LastYear = 0;
  int32_t GisOutputInterval = 0;  // days between GIS output dates; 365: day of year 365
  std::string WxFilename;
  std::string wxstation;  // weather file name without its directory: the station key

  // Weather adjustments (lines 1-5): added to tmax and tmin, solar, rain, humidity, wind.
  std::array<float, 6> wxcons{};  // entries 1..5

  // Olive tree (lines 6-30).
  float OliveBase = 0;  // deg C, base of the plant's degree-days
  float delfol = 0;     // leaf delay, degree-days
  double delshootLive = 0, delShootWood = 0;
  float delRootLive = 0, delRootWood = 0;
  double delframeLive = 0, delframeWood = 0;
  float delfru = 0;
  double m2PerPlant = 0;  // ground area per tree, m2
  double ShootWood = 0;
  double shootnr = 0;
  double roots = 0;       // initial root mass
  double TotalFrame = 0;  // initial frame mass
  double burstpnt = 0;    // plant degree-days to bud burst
  double bloomdel = 0;    // read and kept; unused
  double RapidFruGrow = 0, Veraison = 0;
  double folrate = 0, rootmax = 0;
  uint8_t PruneNumber = 0;
  double Prune1DD = 0, Prune2DD = 0;
  bool HarvestOption = false;
  double HarvEfficiency = 0;
  bool nitro = false;
  bool outscreen = false;
  bool Daily = false;
  bool Summary = false;
  uint8_t GisOutputTarget = 0;  // GIS file naming scheme, 1 or 2
  int32_t RandSeed = 0;         // 0: seed from the clock

  // Soil (lines 38-41).
  bool UseDefaultConditions = false;  // read and kept; unused
  float pwpin = 0, SoilwIn = 0, SoilwMaxIn = 0;

  // Spider mites (lines 43-57).
  bool mite = false;
  float thrWiEgg = 0, thrI = 0, thrA = 0;
  int32_t kWiEgg = 0, MiteKimm = 0, kAdl = 0;
  double delWiEgg = 0, delEggMite = 0, delJuvMite = 0, delAdlMite = 0, delPreovMite = 0;
  double winterEggs = 0;  // initial winter eggs
  double beta = 0, MiteSexr = 0;

  // Mite predators (lines 59-62).
  bool PredIn = false;
  double MiteWgtPredStart = 0, PredImmigProb = 0;
  float Predins = 0;
  int32_t PredinsPcnt = 0;

  // Sharpshooter (lines 64-68); the start date's day and month also land in the current-date
  // globals, which the driver overwrites on the first day.
  bool GWss = false;
  uint8_t GWssStartDy = 0, GWssStartMo = 0;
  int32_t GWssStartYr = 0;
  int32_t GWssStartDay = 0;                // Julian(mo, dy, yr)
  std::array<double, 4> GWwgt{}, GWNum{};  // entries 1..3
  double GWssImrt = 0;

  // Olive scale (lines 70-74).
  bool OliveScale = false;
  float OliveScaleNm1 = 0, OliveScaleImmigProb = 0, OliveScaleIns = 0;
  int32_t OliveScaleInspcnt = 0;
  float OliveScalebeta = 0;

  // Olive-scale parasitoids (lines 76-81); a switch is true only with the olive scale.
  bool AMaculicornis = false;
  double AMaculicornisImmigProb = 0;
  float AMaculicornisIns = 0;
  int32_t AMaculicornisInspcnt = 0;
  bool Cutilis = false;
  double CutilisImmigProb = 0;
  float CutilisIns = 0;
  int32_t CutilisInspcnt = 0;

  // Oleander scale (lines 83-87).
  bool OleanderScale = false;
  float OleanderScaleNm1 = 0, OleanderScaleImmigProb = 0, OleanderScaleIns = 0;
  int32_t OleanderScaleInspcnt = 0;
  float OleanderScalebeta = 0;

  // Oleander-scale parasitoids (lines 89-94); true only with the oleander scale.
  bool Achilensis = false;
  double AchilensisImmigProb = 0;
  float AchilensisIns = 0;
  int32_t AchilensisInspcnt = 0;
  bool ed = false;
  double edImmigProb = 0;
  float edins = 0;
  int32_t edinspcnt = 0;

  // Coccinellid (lines 96-99); true only with a scale.
  bool CoccInRun = false;
  double CoccPreyLevel = 0, Coccimmigprob = 0;
  float Coccins = 0;
  int32_t Coccinspcnt = 0;

  // Olive fly (lines 101-106).
  bool OliveFlyInRun = false;
  float OliveFlyBase = 0, CritDayLenOliveFly = 0, OliveFlyImmigProb = 0, OliveFlyDurim = 0,
        OliveFlyBakim = 0;

  // Sprays (lines 108-123).
  float SprayMaxMortDefault = 0;     // default strength, in [0, 1]
  int32_t SprayDurationDefault = 0;  // default days of decay, in [1, 20]
  int32_t PredEffectDuration = 0;
  bool MiteSpr = false, OliveScaleSpr = false, OleanderScaleSpr = false, OliveFlySpr = false;
  bool spdates = false;  // a spray schedule follows at the end of the file
  bool SprayRelBurst = false;
  double SprayDDRelBurst = 0;
  uint8_t SprayInterval = 0;
  int32_t DaysToSprayStopDate = 0;
  float StopSprayDate = 0;  // modelStartDate + DaysToSprayStopDate; the spray state takes a copy
  uint8_t maxspr = 0;
  bool simspraysin = false;  // any spray option set

  // Spray schedule: rows 1..30 of [1] day of year, [2] strength, [3] days of decay, [4] cost.
  std::array<std::array<float, 5>, 31> sprayspecs{};
  uint8_t numspr = 0;
};

}  // namespace olive
