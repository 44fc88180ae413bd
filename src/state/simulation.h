#pragma once
// All state of one run of one weather station. Several simulations can live side by side in one
// process: nothing here is global.
#include "model/calendar_state.h"
#include "model/inputs.h"
#include "pests/coccinellid.h"
#include "pests/mite_predators.h"
#include "pests/mites.h"
#include "pests/olive_fly.h"
#include "pests/sharpshooter.h"
#include "pests/sprays.h"
#include "plant/nitrogen.h"
#include "plant/plant_state.h"
#include "soil/water.h"
#include "state/harvest_snapshot.h"
#include "state/output_state.h"
#include "state/run_files.h"
#include "toolkit/error_sink.h"
#include "toolkit/random.h"
#include "weather/weather.h"

namespace olive {

struct Simulation {
  explicit Simulation(ErrorSink& log_) : log(log_) {}

  ErrorSink& log;  // the run's error log; log.RunOk ends the run when false
  Rng rng;
  Inputs in;
  Weather wx;
  DayWeather today;
  DriverState drv;
  SeasonState season;
  PlantState plant;
  WaterState water;
  NitroState nitro;
  MiteState mites;
  PredState preds;
  FlyState fly;
  GWssState gwss;    // glassy-winged sharpshooter
  SprayState spray;  // pesticide sprays and their residual level
  // The armoured scales, their parasitoid pairs and the coccinellid that eats them all.
  ScaleState olivescale, oleanderscale;
  ScaleParasitoidState oliveparas, oleanderparas;
  CoccState cocc;
  HarvestSnapshot harvestSave;  // the tree on the harvest day, for the GIS and summary rows
  DailyOutputState out;
  RunFiles files;  // the daily file, the GIS list file and the console
  GisState gis;    // GIS output dates of the pass and the current GIS file
};

}  // namespace olive
