// Cost of the olive fly: one simulated year of its daily step on a synthetic tree whose fruit set
// at bloom, grow, age, fall when attacked and are harvested, against the same year of the tree
// alone. A warm-up year fills the fruit vectors and the fly's stages first; every iteration then
// runs the following year from that state.
//
//   build/olive_bench --benchmark_filter=OliveFly
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "pests/olive_fly.h"
#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {
namespace {

struct NullSink : ErrorSink {
  void Report(std::string_view) override {}
};

struct Orchard {
  Inputs in;
  PlantState plant;
  FlyState fly;
  std::vector<TempPair> temps = std::vector<TempPair>(2 * 365 + 2);
  DayWeather today;
};

float MeanTemperature(int32_t jday) {
  return 15.0f + 10.0f * static_cast<float>(std::sin(6.2832 * (jday - 110) / 365.0));
}

Orchard MakeOrchard() {
  NullSink log;
  Orchard o;
  o.in.OliveFlyInRun = true;
  o.in.delfru = 2500.0f;
  o.in.RapidFruGrow = 600.0;
  o.in.HarvEfficiency = 0.8;
  o.in.OliveFlyBase = 9.0f;
  o.in.OliveFlyBakim = 2.0f;
  o.plant.delkfru = static_cast<double>(o.in.delfru) / kfru;
  for (int32_t d = 1; d < static_cast<int32_t>(o.temps.size()); ++d) {
    const float mean = MeanTemperature((d - 1) % 365 + 1);
    o.temps[d] = {mean + 6.0f, mean - 6.0f};
  }
  OliveFlySetup(log, o.fly, o.in);
  OliveFlyInit(o.fly, o.plant);
  return o;
}

// One day of the synthetic tree's fruit: set during bloom, ageing, growth in mass, attacked fruit
// falling between 533 and 800 fruit degree-days, harvest.
void FruitDay(Orchard& o, int32_t jday, float PlantDD, bool harvest) {
  PlantState& p = o.plant;
  const float set = (jday >= 150 && jday < 165) ? 400.0f : 0.0f;
  float out = 0.0f;
  DelayNoPlr(set, out, p.FruNumArray, o.in.delfru, PlantDD, kfru);
  DelayNoPlr(0.01f * set, out, p.FruMassArray, o.in.delfru, PlantDD, kfru);
  DelayNoPlr(0.0f, out, p.FruNumAttacked, o.in.delfru, PlantDD, kfru);
  DelayNoPlr(0.0f, out, p.FruMassAttacked, o.in.delfru, PlantDD, kfru);
  for (int32_t j = 1; j <= kfru; ++j) {
    p.FruMassArray[j] += 0.0002f * p.FruNumArray[j] * PlantDD;
    const double age = p.delkfru * (j - 1);
    if (age > 533.3 && age <= 800.0) p.FruNumAttacked[j] *= 1.0f - 0.002f * PlantDD;
    if (harvest) {
      p.FruNumArray[j] *= 0.2f;
      p.FruNumAttacked[j] *= 0.2f;
    }
  }
  p.fruNum = (Sum(p.FruNumArray, 1, kfru) + Sum(p.FruNumAttacked, 1, kfru)) * p.delkfru;
}

// Days first..first+364 of the orchard, with or without the fly.
void RunYear(Orchard& o, int32_t first, bool withFly) {
  for (int32_t d = first; d < first + 365; ++d) {
    const int32_t jday = (d - 1) % 365 + 1;
    o.today.tmax = o.temps[d][0];
    o.today.tmin = o.temps[d][1];
    o.today.tmean = (o.today.tmax + o.today.tmin) / 2.0f;
    const float PlantDD = std::max(0.0f, o.today.tmean - 9.1f);
    const bool harvest = jday == 320;
    FruitDay(o, jday, PlantDD, harvest);
    if (withFly) {
      const FlyDay day{o.temps.data(), static_cast<uint16_t>(d), &o.today, PlantDD, harvest};
      OliveFlyModel(o.fly, o.in, o.plant, day, 0.0f);
    }
  }
}

const Orchard& WarmedUp() {
  static const Orchard warm = [] {
    Orchard o = MakeOrchard();
    RunYear(o, 1, true);
    return o;
  }();
  return warm;
}

void BM_OliveFlyYear(benchmark::State& state) {
  const bool withFly = state.range(0) != 0;
  Orchard o = WarmedUp();
  for (auto _ : state) {
    state.PauseTiming();
    o = WarmedUp();
    state.ResumeTiming();
    RunYear(o, 366, withFly);
    benchmark::DoNotOptimize(o.plant.fruNum);
    benchmark::DoNotOptimize(o.fly.OliveFlyAdults);
  }
  state.SetLabel(withFly ? "tree and fly" : "tree alone");
}
BENCHMARK(BM_OliveFlyYear)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The immature matrix step alone on a filled matrix, and the same step written as one DelayNoPlr
// per row and per column through work copies (the reference it must equal).
void BM_OliveFlyImmatureStep(benchmark::State& state) {
  const Orchard& warm = WarmedUp();
  FlyState fly = warm.fly;
  fly.OliveFlydda = 14.0f;
  for (auto _ : state) {
    state.PauseTiming();
    fly.OliveFly2dArray = warm.fly.OliveFly2dArray;
    state.ResumeTiming();
    OliveFlyAgeImmatures(fly, warm.in.delfru, 12.0f, warm.plant.delkfru);
    benchmark::DoNotOptimize(fly.Larvout);
  }
}
BENCHMARK(BM_OliveFlyImmatureStep)->Unit(benchmark::kMicrosecond);

void BM_OliveFlyImmatureStepPerDelay(benchmark::State& state) {
  const Orchard& warm = WarmedUp();
  OliveFlyMatrix m;
  const FlyState& fly = warm.fly;
  for (auto _ : state) {
    state.PauseTiming();
    m = fly.OliveFly2dArray;
    state.ResumeTiming();
    float Larvout = 0.0f, Vout = 0.0f;
    for (int32_t i = 1; i <= fly.kOliveFlyLarv; ++i) {
      AgeVec work = m[i];
      DelayNoPlr(0.0f, Vout, work, warm.in.delfru, 12.0f, kfru);
      Larvout = static_cast<float>(warm.plant.delkfru * Vout);
      m[i] = work;
    }
    for (int32_t j = 1; j <= kfru; ++j) {
      AgeVec work{};
      for (int32_t i = 1; i <= fly.kOliveFlyLarv; ++i) work[i] = m[i][j];
      DelayNoPlr(0.0f, Vout, work, fly.delOliveFlyLarv, 14.0f, fly.kOliveFlyLarv);
      Larvout = Larvout + Vout * fly.delkOliveFlyLarv;
      for (int32_t i = 1; i <= fly.kOliveFlyLarv; ++i) m[i][j] = work[i];
    }
    benchmark::DoNotOptimize(Larvout);
  }
}
BENCHMARK(BM_OliveFlyImmatureStepPerDelay)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace olive
