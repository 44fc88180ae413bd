#pragma once
// Shared pieces of the scale, parasitoid and coccinellid tests: a silent error log, synthetic
// weather, and a world holding the two scales, their parasitoid pairs and the coccinellid.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "model/inputs.h"
#include "pests/coccinellid.h"
#include "pests/scale.h"
#include "pests/scale_parasitoids.h"
#include "plant/plant_state.h"
#include "toolkit/random.h"
#include "weather/weather.h"

namespace olive::testing_scale {

struct NullSink : ErrorSink {
  int reports = 0;
  void Report(std::string_view) override { ++reports; }
};

// Weather of `days` days whose maximum and minimum come from f(day, tmax, tmin).
template <typename F>
Weather MakeWeather(int32_t days, F f) {
  Weather wx;
  wx.temps.assign(days + 2, TempPair{0, 0});
  for (int32_t d = 1; d <= days + 1; ++d) {
    float tmax = 0, tmin = 0;
    f(d, tmax, tmin);
    wx.temps[d] = TempPair{tmax, tmin};
  }
  return wx;
}

// Every day at one constant temperature (deg C): degree-days above a base are T - base.
inline Weather ConstantWeather(int32_t days, float T) {
  return MakeWeather(days, [T](int32_t, float& tmax, float& tmin) {
    tmax = T;
    tmin = T;
  });
}

// A seasonal climate: mean 17 deg C, yearly swing of 12, daily range 12.
inline Weather SeasonalWeather(int32_t days) {
  return MakeWeather(days, [](int32_t d, float& tmax, float& tmin) {
    const double mean = 17 - 12 * std::cos(2 * 3.14159265358979 * (d - 15) / 365.0);
    tmax = static_cast<float>(mean + 6);
    tmin = static_cast<float>(mean - 6);
  });
}

// Setup values of a run with both scales, all four parasitoids and the coccinellid.
inline Inputs AllScalesInputs() {
  Inputs in;
  in.OliveScale = true;
  in.OliveScaleImmigProb = 0.05f;
  in.OliveScaleIns = 200;
  in.OliveScaleInspcnt = 20;
  in.OliveScalebeta = 0.3f;
  in.OleanderScale = true;
  in.OleanderScaleImmigProb = 0.05f;
  in.OleanderScaleIns = 200;
  in.OleanderScaleInspcnt = 20;
  in.OleanderScalebeta = 0.3f;
  in.AMaculicornis = true;
  in.AMaculicornisImmigProb = 0.05;
  in.AMaculicornisIns = 20;
  in.AMaculicornisInspcnt = 10;
  in.Cutilis = true;
  in.CutilisImmigProb = 0.05;
  in.CutilisIns = 20;
  in.CutilisInspcnt = 10;
  in.Achilensis = true;
  in.AchilensisImmigProb = 0.05;
  in.AchilensisIns = 20;
  in.AchilensisInspcnt = 10;
  in.ed = true;
  in.edImmigProb = 0.05;
  in.edins = 20;
  in.edinspcnt = 10;
  in.CoccInRun = true;
  in.CoccPreyLevel = 0.5;
  in.Coccins = 0.5f;
  in.Coccinspcnt = 10;
  return in;
}

// The scale complex of one orchard, set up as the run's initialisation does.
struct ScaleWorld {
  NullSink log;
  Inputs in = AllScalesInputs();
  Weather wx;
  DayWeather today;
  Rng rng;
  PlantState plant;
  ScaleState olivescale, oleanderscale;
  ScaleParasitoidState oliveparas, oleanderparas;
  CoccState cocc;

  explicit ScaleWorld(Weather w) : wx(std::move(w)) {
    rng.s = 12345;
    CoccPreySharesInit(Prey());
    OleanderScaleSetup(log, oleanderscale);
    OliveScaleSetup(log, olivescale);
    OleanderParasetup(log, oleanderparas);
    OliveScaleParaSetup(log, oliveparas);
    Coccsetup(log, cocc);
  }

  CoccPrey Prey() { return CoccPrey{olivescale, oleanderscale, oliveparas, oleanderparas}; }
  ScaleDay Day(uint16_t d) { return ScaleDay{wx, today, rng, d}; }

  // One day of the complex in the daily order: scales, coccinellid, (the tree's growth and
  // the mites would run here), parasitoids.
  void Step(uint16_t d, float spraylevel) {
    const ScaleDay day = Day(d);
    const float edNum1 = oleanderparas.second.Num[1];
    OliveScaleMod(olivescale, in, plant, day, spraylevel, edNum1);
    OleanderScaleMod(oleanderscale, in, plant, day, spraylevel, edNum1);
    Coccmod(cocc, in, Prey(), day, spraylevel);
    OliveScaleParas(oliveparas, in, olivescale, day, spraylevel);
    OleanderParas(oleanderparas, in, oleanderscale, day, spraylevel);
  }
};

}  // namespace olive::testing_scale
