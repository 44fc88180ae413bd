#include "driver/resets.h"

#include "driver/simulation.h"

namespace olive {

void InitAgain(Simulation& sim) {
  SeasonState& s = sim.season;
  s.PlantFreezeDD = 0;
  s.PlantDDSum = 0;
  s.PlantddbSum = 0;
  s.FruGrowDD = 0;
  s.PlantKillDD = 0;
  s.PlantDamageDD = 0;
  s.TimetoBloom = 0;
  sim.plant.TotShed = 0;
  s.BloomChillHourDegrees = 0;
  s.BloomChillHourDegreesSave = 0;
  s.budburst = s.blooming = s.harvest = s.BloomInit = false;
  s.jdayHarvest = 0;
  s.bloomday = 0;
  sim.spray.simsprays = sim.in.simspraysin;
  sim.spray.LinearPredEffect = 1;
  // The sprays' season starts here: sprayinit, when simsprays.
}

void ResetSums(Simulation& sim) {
  sim.drv.PrecipYearSum = 0;
  // Each pest's period sums restart here, behind its switch:
  // Spider mites and their predators, when mite.
  // Sharpshooter, when GWss (GWssDDaTotSum is not cleared).
  // Olive scale, when OliveScale; its parasitoids, when AMaculicornis and when Cutilis.
  // Oleander scale, when OleanderScale; its parasitoids, when Achilensis and when ed.
  // Coccinellid, when CoccInRun.
  // Olive fly, when OliveFlyInRun.
}

}  // namespace olive
