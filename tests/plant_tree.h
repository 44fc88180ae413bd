#pragma once
// A small test orchard for the plant and nitrogen tests: one tree built from typical setup
// values, and a day that runs the tree's routines in the driver's order.
#include <cmath>
#include <functional>

#include "model/calendar_state.h"
#include "model/inputs.h"
#include "plant/nitrogen.h"
#include "plant/olive_bio.h"
#include "plant/plant_growth.h"
#include "plant/plant_init.h"
#include "plant/plant_state.h"
#include "recording_sink.h"
#include "toolkit/error_sink.h"
#include "weather/weather.h"

namespace olive::testing {

inline Inputs TreeInputs() {
  Inputs in;
  in.OliveBase = 9.1f;
  in.delfol = 2000;  // degree-days
  in.delshootLive = 800;
  in.delShootWood = 20000;
  in.delRootLive = 600;
  in.delRootWood = 20000;
  in.delframeLive = 1000;
  in.delframeWood = 30000;
  in.delfru = 2400;
  in.m2PerPlant = 30;  // m2
  in.ShootWood = 20000;
  in.shootnr = 100;
  in.roots = 30000;
  in.TotalFrame = 80000;
  in.burstpnt = 100;
  in.RapidFruGrow = 300;
  in.Veraison = 1500;
  in.folrate = 40;
  in.rootmax = 5000;
  in.HarvEfficiency = 0.9;
  in.nitro = true;
  return in;
}

struct Tree {
  Inputs in = TreeInputs();
  RecordingSink log;
  PlantState p;
  NitroState n;
  SeasonState season;
  DayWeather today;

  // Builds the tree as the driver does at the start of a pass.
  void Init() {
    InitPlant(p, in, log);
    ResetNitro(n);
    if (in.nitro) INITRO(log, n, p, in);
  }

  // Observes the carbon allocation of one day: the plant before and after Ratios.
  using RatiosProbe = std::function<void(const PlantState& before, const PlantState& after)>;

  // One living day in the driver's order (without pests), with the given weather.
  void Day(float PlantDD, float tmean, float solrad, uint16_t modelday,
           const RatiosProbe& probe = nullptr) {
    season.PlantDD = PlantDD;
    season.PlantDDSum += PlantDD;
    today.tmean = tmean;
    today.solrad = solrad;
    n.Nuptk = 0;
    p.leafshed = 0;
    Demand(p, in, today, season);
    Supply(p, in, today);
    const PlantState before = p;
    Ratios(p, season);
    if (probe) probe(before, p);
    if (in.nitro) {
      N_DEMAND(n, p, season);
      N_SUPPLY(n, p, in);
      N_RATIOS(n, season);
    }
    Growth(p, n, in, today, season);
    if (in.nitro) SOILNITRO(n, in, season, modelday);
    Populations(p, n, in, season);
  }

  // A year of days with a seasonal temperature wave: bud burst, bloom (with flowers loaded from
  // the live shoots, as the season events do), fruit growth and a harvest day.
  // dayEnd, when given, is called at the end of every day with the day of the year.
  void Year(const RatiosProbe& probe = nullptr, int days = 365,
            const std::function<void(int)>& dayEnd = nullptr) {
    for (int d = 1; d <= days; ++d) {
      const float tmean = 16.0f + 10.0f * static_cast<float>(std::sin((d - 105) * 2 * M_PI / 365));
      const float PlantDD = tmean > in.OliveBase ? tmean - in.OliveBase : 0.0f;
      const float solrad =
          450.0f + 250.0f * static_cast<float>(std::sin((d - 80) * 2 * M_PI / 365));
      season.budburst = d >= 60;
      if (d == 110) p.BloomArray[1] = static_cast<float>(p.shootlive * 75 * p.kbloom / p.delbloom);
      season.blooming = d >= 130;
      season.harvest = d == 320;
      Day(PlantDD, tmean, solrad, static_cast<uint16_t>(d), probe);
      if (dayEnd) dayEnd(d);
    }
    season.harvest = false;
  }
};

// Contents of the first k classes of a vector of class width w.
inline double Contents(const AgeVec& v, int k, double w) {
  double s = 0;
  for (int i = 1; i <= k; ++i) s += v[i];
  return s * w;
}

}  // namespace olive::testing
