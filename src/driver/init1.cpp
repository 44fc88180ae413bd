#include "driver/init1.h"

#include <cerrno>

#include "driver/submodels.h"
#include "io/error_log.h"
#include "output/daily_output.h"
#include "plant/nitrogen.h"
#include "plant/plant_init.h"
#include "soil/water.h"
#include "state/simulation.h"
#include "toolkit/modutils.h"

namespace olive {
namespace {

// Creates the daily file and writes its two header lines. The file of an earlier pass of the
// run is closed first.
bool OpenDailyFile(Simulation& sim) {
  OutputFile& f = sim.files.dailyfile;
  if (f.IsOpen() && !CloseOutput(sim.files, f, sim.log)) return false;
  if (!f.Create(sim.files.DailyPath().string())) {
    // The file is held by another process.
    if (f.Error() == EBUSY || f.Error() == ETXTBSY) {
      sim.files.console.Write("Dailyfile already open .\n");
    }
    ReportError(sim.log, "Can not open: OliveDaily.txt");
    sim.log.RunOk = false;
    sim.files.WriteFailed = true;
    return false;
  }
  WriteDailyHeader(f, sim.in, LocalDateTimeText());
  return true;
}

}  // namespace

void INIT1(Simulation& sim) {
  if (sim.in.Daily && sim.files.dailyToFile && !OpenDailyFile(sim)) return;

  SeasonState& s = sim.season;
  s.PlantDD = s.PlantDDSum = s.PlantddbSum = 0;
  s.PlantddTot = 0;
  s.FruGrowDD = 0;
  s.BloomChillHourDegrees = s.BloomChillHourDegreesSave = 0;
  s.PlantFreezeDD = s.PlantKillDD = s.PlantDamageDD = 0;
  s.bloomday = 0;
  s.PlantHasFrozen = false;

  ResetNitro(sim.nitro);  // ratios 1 and leaf N 4 %: the mites read them without the N option
  InitPlant(sim.plant, sim.in, sim.log);
  s.budburst = s.blooming = s.BloomInit = s.harvest = false;
  s.jdayHarvest = 0;
  s.TimetoBloom = 0;

  SetUpFly(sim);  // the fly's attacked fruit start from the tree's fruit

  // Names of new GIS files are appended to the list; a list that cannot be opened stays closed.
  sim.files.Shared().OpenGisList(sim.files);

  if (sim.in.nitro) INITRO(sim.log, sim.nitro, sim.plant, sim.in);
  waterinit(sim.water);

  sim.gis = GisState{};  // GIS output dates of the pass: GisFileIndex := 0
  // The other pests' set-ups, their output sums to zero, no spray residue and the season's sprays
  // armed (simsprays, StopSprayDate, LinearPredEffect, sprayinit); TotShed := 0.
  SetUpPests(sim);
}

}  // namespace olive
