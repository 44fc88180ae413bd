#include "driver/season_events.h"

#include <algorithm>
#include <cmath>

#include "driver/submodels.h"
#include "plant/olive_bio.h"
#include "plant/plant_init.h"
#include "state/simulation.h"

namespace olive {

float FrostSurvival(float tmin) {
  if (!(tmin < kFrostThreshold)) return 1.0f;
  return static_cast<float>(1.0 / (1.0 + 0.2423 * std::exp(-0.1101 * static_cast<double>(tmin))));
}

void SeasonEvents(SeasonState& season, PlantState& plant, const Inputs& in, const Weather& wx,
                  const DayWeather& today, const DriverState& drv) {
  // Bud burst once the season's plant degree-days reach the bud-burst point.
  if (in.burstpnt <= season.PlantDDSum) season.budburst = true;

  // Chilling accumulates from 1 January to day 289; on day 290 it is saved and restarted, and
  // nothing accumulates for the rest of the year.
  if (drv.jday < kChillSaveDay) {
    const double tmaxprev = wx.temps[std::max<int32_t>(drv.modelday - 1, 1)][0];
    HourDegrees(tmaxprev, today.tmin, today.tmax, season.hd);
    season.BloomChillHourDegrees += season.hd;
  }
  if (drv.jday == kChillSaveDay) {
    season.BloomChillHourDegreesSave = season.BloomChillHourDegrees;
    season.BloomChillHourDegrees = 0;
  }

  // Bloom initiation: the flowers of the live shoots enter the youngest flower substage once.
  if (season.BloomChillHourDegrees >= kBloomChillHourDegrees && !season.blooming) {
    if (!season.BloomInit) {
      plant.BloomArray[1] =
          static_cast<float>(plant.shootlive * kFlowersPerShoot * plant.kbloom / plant.delbloom);
    }
    season.BloomInit = true;
  }

  // Frost below -3.5 deg C kills a share of the flowers and of the live shoots.
  const float ffchill = FrostSurvival(today.tmin);
  if (ffchill != 1.0f) {
    for (int32_t i = 1; i <= plant.kbloom; ++i) plant.BloomArray[i] *= ffchill;
    for (int32_t i = 1; i <= kshoot; ++i) plant.ShootliveArray[i] *= ffchill;
  }

  // Time to bloom in plant degree-days from initiation; bloom; fruit growth from bloom on.
  if (season.BloomInit) season.TimetoBloom += season.PlantDD;
  if (season.TimetoBloom > kTimeToBloomDD) {
    season.blooming = true;
    if (season.bloomday == 0) season.bloomday = drv.jday;
  }
  if (season.blooming) season.FruGrowDD += season.PlantDD;
}

void HarvestDecision(SeasonState& season, const Inputs& in, int32_t jday) {
  season.harvest = false;
  if (in.HarvestOption && season.jdayHarvest == 0 &&
      season.FruGrowDD >= in.Veraison + kVeraisonToHarvestDD) {
    season.harvest = true;
    season.jdayHarvest = jday;
  }
  if (season.jdayHarvest == 0 && jday == kLatestHarvestDay) {
    season.harvest = true;
    season.jdayHarvest = kLatestHarvestDay;
  }
}

void SaveHarvestValues(Simulation& sim) {
  HarvestSnapshot& h = sim.harvestSave;
  const SeasonState& s = sim.season;
  const PlantState& p = sim.plant;
  h.PlantddSumSave = s.PlantDDSum;
  h.PlantFreezeDDSave = s.PlantFreezeDD;
  h.LeafNumSave = p.leafNum;
  h.LeafmassSave = p.leafmass;
  h.LeafareaSave = p.leafarea;
  h.ShootsSave = p.shoots;
  h.RootsSave = p.roots;
  h.RootLiveSave = p.rootlive;
  h.FrameSave = p.TotalFrame;
  h.FruMassSave = p.Frumass;
  h.FruNumSave = p.fruNum;
  h.ResSave = p.reserveTot;
  h.sdvegSave = p.sdveg;
  h.sdfruSave = p.sdfru;
  h.PrcntAtkdsave = sim.out.prcntatkd;
  if (sim.in.nitro) {
    const NitroState& n = sim.nitro;
    h.NdtotSave = n.Ndtot;
    h.SoilNSave = n.soilN;
    h.NresSave = n.Nres;
    h.NuptkSave = n.Nuptk;
    h.rLeafN3Save = n.rleafN[3];
    h.rLeafN15Save = n.rleafN[15];
    h.rLeafN30Save = n.rleafN[30];
    h.NsdtotSave = n.Nsdtot;
  }
  SavePestHarvestValues(sim);
  if (sim.season.BloomChillHourDegrees > 0) {
    sim.season.BloomChillHourDegreesSave = sim.season.BloomChillHourDegrees;
  }
  h.PlantddbSumSave = s.PlantddbSum;
  sim.drv.UseHarvestValues = true;
}

void FreezeSeason(SeasonState& season) {
  season.PlantDD = 0;
  season.FruGrowDD = 0;
  season.BloomChillHourDegreesSave = 0;
  season.BloomChillHourDegrees = 0;
  season.PlantFreezeDD = 0;
  season.budburst = season.blooming = season.BloomInit = season.harvest = false;
  season.TimetoBloom = 0;
  season.PlantHasFrozen = true;
}

void FreezePlant(Simulation& sim) {
  FreezeSeason(sim.season);
  FreezePlantState(sim.plant);
  FreezeNitro(sim.nitro);
  FreezePests(sim);  // the spray level and every pest living on the tree
}

}  // namespace olive
