#include "driver/resets.h"

#include "driver/submodels.h"
#include "pests/sprays.h"
#include "state/simulation.h"

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
  if (sim.spray.simsprays) sprayinit(sim.spray, sim.in);
}

void ResetSums(Simulation& sim) {
  sim.drv.PrecipYearSum = 0;
  ResetPestSums(sim);  // each active pest's period sums (not GWssDDaTotSum)
}

}  // namespace olive
