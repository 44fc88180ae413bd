// A ten-year run of the example station with the daily file on, in a scratch directory: the
// whole run as a user makes it (setup and weather reading, the day loop, the daily file).
// Reported as simulated station-years per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/run.h"

namespace {

namespace fs = std::filesystem;

void BM_ExampleStationTenYears(benchmark::State& state) {
  const fs::path source(OLIVE_SOURCE_DIR);
  const fs::path dir = fs::temp_directory_path() / "olive_run_bench";
  fs::remove_all(dir);
  fs::create_directories(dir / "lut");
  fs::copy_file(source / "examples/lut/OliveSoilWater.txt", dir / "lut/OliveSoilWater.txt");
  const std::vector<std::string> args = {(source / "examples/olive.setup").string(),
                                         "1",
                                         "1",
                                         "2001",
                                         "12",
                                         "31",
                                         "2010",
                                         "365",
                                         (source / "examples/weather/Cordoba.txt").string()};
  // The first run records the station in the soil-water table; the timed runs make one pass.
  if (olive::RunOlive(args, dir) != olive::kExitOk) state.SkipWithError("example run failed");
  for (auto _ : state) {
    benchmark::DoNotOptimize(olive::RunOlive(args, dir));
  }
  state.counters["station_years_per_s"] = benchmark::Counter(
      10.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  fs::remove_all(dir);
}
BENCHMARK(BM_ExampleStationTenYears)->Unit(benchmark::kMillisecond);

}  // namespace
