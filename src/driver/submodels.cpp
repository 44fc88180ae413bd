#include "driver/submodels.h"

#include "pests/coccinellid.h"
#include "pests/mite_predators.h"
#include "pests/mites.h"
#include "pests/olive_fly.h"
#include "pests/scale.h"
#include "pests/scale_parasitoids.h"
#include "pests/sharpshooter.h"
#include "pests/sprays.h"

namespace olive {
namespace {

CoccPrey Prey(Simulation& sim) {
  return CoccPrey{sim.olivescale, sim.oleanderscale, sim.oliveparas, sim.oleanderparas};
}

bool OliveParasInRun(const Inputs& in) {
  return in.AMaculicornis || in.Cutilis;
}
bool OleanderParasInRun(const Inputs& in) {
  return in.Achilensis || in.ed;
}

// Yesterday's spray level: the populations apply it as a survival of (1 - spraylevel).
float SprayLevel(const Simulation& sim) {
  return sim.spray.spraylevel;
}

void MitesAndPredators(Simulation& sim) {
  const Inputs& in = sim.in;
  if (in.mite) {
    MiteModel(sim.mites, MiteDayInputs{sim.wx, sim.today, sim.drv, sim.plant, sim.season.PlantDD,
                                       sim.nitro.leafN, SprayLevel(sim)});
  }
  // The predators start once the mites' biomass passes its threshold and then run every day.
  if (in.PredIn && sim.mites.MiteTotWgt > in.MiteWgtPredStart) sim.drv.GoPred = true;
  if (sim.drv.GoPred) {
    MitePred(sim.preds, sim.mites, sim.drv.GoPred,
             PredDayInputs{in, sim.wx, sim.drv.modelday, SprayLevel(sim), sim.rng});
  }
}

void Sprays(Simulation& sim) {
  SprayPestFigures f;
  f.MiteAdults = sim.mites.MiteAdults;
  f.juveniles = sim.mites.juveniles;
  f.leafNum = sim.plant.leafNum;
  f.fruNum = sim.plant.fruNum;
  f.OliveScaleAdults = sim.olivescale.Adults;
  f.OleanderScaleAdults = sim.oleanderscale.Adults;
  f.OliveFlyegg = sim.fly.OliveFlyegg;
  f.OliveFlylarv = sim.fly.OliveFlylarv;
  f.OFlySprayDelay = sim.fly.OFlySprayDelay;
  sprays(sim.spray, sim.in, sim.drv, sim.season, f);
}

}  // namespace

bool SprayTargetsInRun(const Inputs& in) {
  return in.OliveFlyInRun || in.mite || in.OliveScale || in.OleanderScale || in.GWss;
}

void SetUpFly(Simulation& sim) {
  if (!sim.in.OliveFlyInRun) return;
  OliveFlySetup(sim.log, sim.fly, sim.in);
  OliveFlyInit(sim.fly, sim.plant);
}

void SetUpPests(Simulation& sim) {
  const Inputs& in = sim.in;
  ErrorSink& log = sim.log;
  CoccPreySharesInit(Prey(sim));  // no predation until the coccinellid eats
  if (in.mite) InitMites(sim.mites, in);
  if (in.GWss) GWssInit(log, sim.gwss, in);
  if (in.OleanderScale) OleanderScaleSetup(log, sim.oleanderscale);
  if (in.OliveScale) OliveScaleSetup(log, sim.olivescale);
  if (OleanderParasInRun(in)) OleanderParasetup(log, sim.oleanderparas);
  if (OliveParasInRun(in)) OliveScaleParaSetup(log, sim.oliveparas);
  if (in.CoccInRun) Coccsetup(log, sim.cocc);
  if (in.PredIn) predsetup(log, sim.preds);

  // Every output sum starts at zero, whatever the switches.
  ResetMiteSums(sim.mites);
  ResetPredSums(sim.preds);
  GWssResetSums(sim.gwss);
  sim.gwss.GWssDDaTotSum = 0;
  ScaleResetSums(sim.olivescale);
  ScaleResetSums(sim.oleanderscale);
  for (ScaleParasitoidState* p : {&sim.oliveparas, &sim.oleanderparas}) {
    ParaSpeciesResetSums(p->first);
    ParaSpeciesResetSums(p->second);
  }
  CoccResetSums(sim.cocc);
  OliveFlyResetSums(sim.fly);

  // Sprays: no residue at the start; the season's sprays are armed; the stop date counts from
  // the start date on every pass.
  sim.spray.spraylevel = 0;
  sim.plant.TotShed = 0;
  sim.spray.StopSprayDate = in.StopSprayDate;
  sim.spray.simsprays = in.simspraysin;
  sim.spray.LinearPredEffect = 1;
  if (sim.spray.simsprays) sprayinit(sim.spray, in);
}

void SapFeeders(Simulation& sim) {
  const Inputs& in = sim.in;
  const SeasonState& season = sim.season;
  if (in.GWss && season.budburst && season.PlantDDSum > 100) {
    GWssMod(sim.log, sim.gwss, in, sim.plant,
            GWssDay{sim.wx.temps.data(), sim.drv.modelday, sim.today.tmean, sim.drv.PruneToday},
            SprayLevel(sim));
  }
  const ScaleDay day{sim.wx, sim.today, sim.rng, sim.drv.modelday};
  // The scales read yesterday's parasitism and predation: their enemies run later in the day.
  const float edNum1 = sim.oleanderparas.second.Num[1];
  if (in.OliveScale) OliveScaleMod(sim.olivescale, in, sim.plant, day, SprayLevel(sim), edNum1);
  if (in.OleanderScale) {
    OleanderScaleMod(sim.oleanderscale, in, sim.plant, day, SprayLevel(sim), edNum1);
  }
  if (in.CoccInRun) Coccmod(sim.cocc, in, Prey(sim), day, SprayLevel(sim));
}

void PestsAfterGrowth(Simulation& sim) {
  const Inputs& in = sim.in;
  MitesAndPredators(sim);
  const ScaleDay day{sim.wx, sim.today, sim.rng, sim.drv.modelday};
  if (OliveParasInRun(in)) {
    OliveScaleParas(sim.oliveparas, in, sim.olivescale, day, SprayLevel(sim));
  }
  if (OleanderParasInRun(in)) {
    OleanderParas(sim.oleanderparas, in, sim.oleanderscale, day, SprayLevel(sim));
  }
  if (in.OliveFlyInRun && in.burstpnt < sim.season.PlantDDSum) {
    OliveFlyModel(sim.fly, in, sim.plant,
                  FlyDay{sim.wx.temps.data(), sim.drv.modelday, &sim.today, sim.season.PlantDD,
                         sim.season.harvest},
                  SprayLevel(sim));
  }
  if (sim.spray.simsprays && SprayTargetsInRun(in)) Sprays(sim);
}

void FreezePests(Simulation& sim) {
  sim.spray.spraylevel = 0;
  CoccFreeze(sim.cocc);
  OliveFlyFreeze(sim.fly);
  FreezeMites(sim.mites);
  FreezePreds(sim.preds);
  GWssFreeze(sim.gwss);
  ScaleFreeze(sim.olivescale);
  ScaleParasitoidFreeze(sim.oliveparas);
  ScaleFreeze(sim.oleanderscale);
  ScaleParasitoidFreeze(sim.oleanderparas);
}

void ResetPestSums(Simulation& sim) {
  const Inputs& in = sim.in;
  if (in.mite) {
    ResetMiteSums(sim.mites);
    ResetPredSums(sim.preds);
  }
  if (in.GWss) GWssResetSums(sim.gwss);
  if (in.OliveScale) ScaleResetSums(sim.olivescale);
  if (in.AMaculicornis) ParaSpeciesResetSums(sim.oliveparas.first);
  if (in.Cutilis) ParaSpeciesResetSums(sim.oliveparas.second);
  if (in.OleanderScale) ScaleResetSums(sim.oleanderscale);
  if (in.Achilensis) ParaSpeciesResetSums(sim.oleanderparas.first);
  if (in.ed) ParaSpeciesResetSums(sim.oleanderparas.second);
  if (in.CoccInRun) CoccResetSums(sim.cocc);
  if (in.OliveFlyInRun) OliveFlyResetSums(sim.fly);
}

void SavePestHarvestValues(Simulation& sim) {
  const Inputs& in = sim.in;
  if (in.mite) {
    SaveMiteHarvestValues(sim.mites);
    SavePredHarvestValues(sim.preds);
  }
  if (in.GWss) GWssSaveHarvestValues(sim.gwss);
  if (in.OliveFlyInRun) OliveFlySaveHarvestValues(sim.fly);
  // The scales', parasitoids' and coccinellid's snapshots are their period sums at harvest.
  if (in.OliveScale) {
    sim.olivescale.nSave = sim.olivescale.nSum;
    sim.olivescale.AdultsSave = sim.olivescale.AdultsSum;
    if (in.AMaculicornis) sim.oliveparas.first.NumSave = sim.oliveparas.first.NumSum;
    if (in.Cutilis) sim.oliveparas.second.NumSave = sim.oliveparas.second.NumSum;
  }
  if (in.OleanderScale) {
    sim.oleanderscale.nSave = sim.oleanderscale.nSum;
    sim.oleanderscale.AdultsSave = sim.oleanderscale.AdultsSum;
    if (in.Achilensis) sim.oleanderparas.first.NumSave = sim.oleanderparas.first.NumSum;
    if (in.ed) sim.oleanderparas.second.NumSave = sim.oleanderparas.second.NumSum;
  }
  if (in.CoccInRun) {
    CoccState& c = sim.cocc;
    c.CoccEgnmSave = c.CoccEgnmSum;
    c.CoccLarNSave = c.CoccLarNSum;
    c.CoccPupNmSave = c.CoccPupNmSum;
    c.CoccAdnmSave = c.CoccAdnmSum;
  }
}

}  // namespace olive
