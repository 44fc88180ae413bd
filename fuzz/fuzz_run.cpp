// Fuzz target: a short run (1 January to 28 February 2001, GIS rows every 30 days) of the example
// station's first 60 days of weather from a fuzzed setup file. Every input runs in a fresh
// temporary working folder that holds the setup, the weather and a soil-water table that already
// has the station's row (one pass, no recording); no daily file, no console. The folder is
// removed after each input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "fuzz_support.h"
#include "soil/soil_water_table.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWeatherDays = 60;
constexpr const char* kStation = "Cordoba60.txt";

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& p, std::string_view text) {
  std::ofstream f(p, std::ios::binary);
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The example station's head and its first days.
std::string WeatherHead() {
  const std::string all = ReadFile(fs::path(OLIVE_SOURCE_DIR) / "examples/weather/Cordoba.txt");
  size_t end = 0;
  for (int line = 0; line < 3 + kWeatherDays && end != std::string::npos; ++line) {
    end = all.find('\n', end);
    if (end != std::string::npos) ++end;
  }
  olive::fuzzing::Require(end != std::string::npos, "the example weather file has 60 days");
  return all.substr(0, end);
}

struct Fixture {
  fs::path dir;
  std::string weather;
  std::string table;
};

Fixture& Files() {
  static Fixture f = [] {
    Fixture made;
    made.dir = fs::temp_directory_path() / ("olive-fuzz-run." + std::to_string(getpid()));
    made.weather = WeatherHead();
    made.table = std::string(olive::kSoilWaterTitle) + "\n" + std::string(olive::kSoilWaterHeader) +
                 "\n" + kStation + "\t3000.00\t4000.00\t1000.00\n";
    return made;
  }();
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace olive;
  Fixture& f = Files();
  fs::remove_all(f.dir);
  fs::create_directories(f.dir / kSoilWaterTableDir);
  WriteFile(SoilWaterTablePath(f.dir), f.table);
  WriteFile(f.dir / kStation, f.weather);
  WriteFile(f.dir / "olive.setup", fuzzing::AsText(data, size));

  const std::vector<std::string> args = {
      (f.dir / "olive.setup").string(), "1", "1", "2001", "2", "28", "2001", "30",
      (f.dir / kStation).string()};
  RunPlace place;
  place.workdir = f.dir;
  place.dailyToFile = false;
  place.console = nullptr;
  fuzzing::DiscardingSink log;
  const RunResult result = RunStation(log, args, place);
  fuzzing::Require(result.code != kExitWriteFailed, "the run's files in the folder are written");
  fs::remove_all(f.dir);
  return 0;
}
