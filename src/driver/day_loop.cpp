#include "driver/day_loop.h"

#include "driver/resets.h"
#include "driver/season_events.h"
#include "driver/submodels.h"
#include "output/daily_output.h"
#include "output/gis_output.h"
#include "output/summary.h"
#include "plant/nitrogen.h"
#include "plant/olive_bio.h"
#include "plant/plant_growth.h"
#include "soil/water.h"
#include "state/simulation.h"
#include "toolkit/modutils.h"

namespace olive {
namespace {

// Pruning on the day the season's plant degree-days pass the pruning total (strictly on both
// sides, so a total is crossed on exactly one day).
void PruningStep(Simulation& sim) {
  const Inputs& in = sim.in;
  const SeasonState& s = sim.season;
  sim.drv.PruneToday = false;
  if (in.PruneNumber == 1 && s.PlantDDSumPrev < in.Prune1DD && in.Prune1DD < s.PlantDDSum) {
    Prune(sim.plant, sim.nitro, sim.drv.PruneToday, 1);
  }
  if (in.PruneNumber == 2 && s.PlantDDSumPrev < in.Prune2DD && in.Prune2DD < s.PlantDDSum) {
    Prune(sim.plant, sim.nitro, sim.drv.PruneToday, 2);
  }
}

// The spider mites' console lines: the notice of the season's first hatch, then the day's line.
void MiteConsole(Simulation& sim, bool hatchedBefore) {
  if (!sim.in.outscreen) return;
  const MiteState& m = sim.mites;
  if (m.start && !hatchedBefore) {
    sim.files.console.Write("                           FIRST WINTER EGGS HATCHED\n");
  }
  MiteOutput(sim.files.console, sim.in.outscreen,
             MiteTableRow{sim.drv.modelday, sim.drv.dy, sim.drv.mo, m.gddA, m.sdmean, m.winterEggs,
                          m.MiteEggs, m.juveniles, m.MiteAdults, m.mobiles, m.mitedays});
}

// Everything that happens only while the orchard lives.
void LivingOrchard(Simulation& sim) {
  const Inputs& in = sim.in;
  PlantState& plant = sim.plant;
  WaterState& w = sim.water;

  SeasonEvents(sim.season, plant, in, sim.wx, sim.today, sim.drv);
  // Water first: the tree's demand uses yesterday's leaf area and today's water stress.
  Ritchi(w, sim.today, plant.LAI, w.wdemand, w.evapsoil);
  Wsupply(w, plant.LAI, w.wdemand, w.evapsoil, w.transpire);
  Wratio(w, sim.today, plant.LAI, w.transpire, w.wdemand, w.wsd);
  Demand(plant, in, sim.today, sim.season);
  Supply(plant, in, sim.today);
  // The sap feeders (sharpshooter, scales, coccinellid) take their share of PhotoSynthate and
  // reserveTot before the tree allocates it.
  SapFeeders(sim);
  Ratios(plant, sim.season);
  if (in.nitro) {
    N_DEMAND(sim.nitro, plant, sim.season);
    N_SUPPLY(sim.nitro, plant, in);
    N_RATIOS(sim.nitro, sim.season);
  }
  Growth(plant, sim.nitro, in, sim.today, sim.season);
  PruningStep(sim);
  if (in.nitro) SOILNITRO(sim.nitro, in, sim.season, sim.drv.modelday);
  // Spider mites, mite predators (behind the GoPred latch), scale parasitoids (they hand the
  // scales tomorrow's parasitism), olive fly, and last the sprays, whose level the populations
  // apply tomorrow.
  const bool hatched = sim.mites.start;
  PestsAfterGrowth(sim);
  if (in.mite) MiteConsole(sim, hatched);
}

// A GIS output date with output: GIS row, summary row, and the restart of the period sums.
void OutputDate(Simulation& sim) {
  sim.drv.DoEndFile = false;
  // Both rows read the harvest snapshot while UseHarvestValues is set.
  const WriterContext ctx{sim.files.workdir};
  if (!WriteGisRow(sim, ctx, "Olive")) sim.files.WriteFailed = true;
  if (sim.in.Summary && !WriteSummary(sim, ctx)) sim.files.WriteFailed = true;
  sim.drv.UseHarvestValues = false;
  ResetSums(sim);
}

// The step to the next day; 1 January starts the tree's new season.
void NextDay(Simulation& sim) {
  DriverState& drv = sim.drv;
  drv.jday += 1;
  if (drv.jday <= drv.YearLength) return;
  drv.jday = 1;
  drv.modelyear += 1;
  drv.YearLength = YearLengthOf(drv.modelyear);
  InitAgain(sim);
  if (sim.in.simspraysin) {
    sim.spray.simsprays = sim.in.simspraysin;
    sim.spray.StopSprayDate += static_cast<float>(drv.YearLength);  // the year just begun
  }
}

}  // namespace

void Daydegrees(const Weather& wx, DayWeather& today, uint16_t iday, float& dda, float& ddb,
                float base) {
  olive::Daydegrees(wx.temps.data(), iday, dda, ddb, base, today.tmax, today.tmin);
}

void DegreeDaySums(SeasonState& season, const Weather& wx, DayWeather& today, float OliveBase,
                   uint16_t iday) {
  float ddb = 0;
  Daydegrees(wx, today, iday, season.PlantDD, ddb, OliveBase);
  season.PlantDDSum += season.PlantDD;
  season.PlantddTot += season.PlantDD;
  season.PlantddbSum += ddb;
  float ddAbove = 0, ddBelow = 0;
  Daydegrees(wx, today, iday, ddAbove, ddBelow, 0.0f);
  season.PlantFreezeDD += ddBelow;
  Daydegrees(wx, today, iday, ddAbove, ddBelow, -10.0f);
  season.PlantKillDD += ddBelow;
  Daydegrees(wx, today, iday, ddAbove, ddBelow, -8.3f);
  season.PlantDamageDD += ddBelow;
}

bool GisOutputDue(int32_t GisOutputInterval, int32_t jday, uint16_t modelday) {
  if (GisOutputInterval == 365) return jday == 365;
  return GisOutputInterval > 0 && modelday % GisOutputInterval == 0;
}

void RunDay(Simulation& sim, uint16_t iday) {
  DriverState& drv = sim.drv;
  SeasonState& season = sim.season;

  drv.modelday = iday;
  bool ok = true;
  Caland(drv.modelyear, drv.jday, drv.mo, drv.dy, ok);
  drv.ModelDate = rdate(drv.modelyear, drv.jday);
  sim.nitro.Nuptk = 0;
  sim.plant.leafshed = 0;
  season.PlantDDSumPrev = season.PlantDDSum;
  DegreeDaySums(season, sim.wx, sim.today, sim.in.OliveBase, iday);  // also today's tmax, tmin
  Getdailywx(sim.wx, iday, sim.today);  // tmean from the tmax and tmin just set
  drv.PrecipYearSum += sim.today.precip;

  if (season.PlantFreezeDD > kKillingFreezeDD && !season.PlantHasFrozen) FreezePlant(sim);
  if (!season.PlantHasFrozen) LivingOrchard(sim);
  Populations(sim.plant, sim.nitro, sim.in, season);  // every day, also after a freeze

  HarvestDecision(season, sim.in, drv.jday);
  if (drv.SoilWaterOk) {  // a pass without output writes no rows
    OUTPUT(sim);
    DM_OUTPUT(sim, sim.files.console);
  }
  // The snapshot follows the row: the row shows the harvest day as it was simulated.
  if (season.harvest) SaveHarvestValues(sim);
  if (drv.SoilWaterOk && GisOutputDue(sim.in.GisOutputInterval, drv.jday, drv.modelday)) {
    OutputDate(sim);
  }
  NextDay(sim);
}

}  // namespace olive
