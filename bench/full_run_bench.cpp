// The whole model against its input/output floor, over the example station's ten years
// (2001-2010):
//
//   BM_EverythingOn/daily:1   a run with every submodel on (nitrogen, spider mites and their
//   BM_EverythingOn/daily:0   predators, sharpshooter, both scales with their parasitoids, the
//                             coccinellid, the olive fly, sprays against all four pests), with the
//                             daily file on and off; GIS rows and the summary table as in the
//                             example;
//   BM_IoFloor                the same weather file read and a daily file of the same bytes
//                             written, without simulating: the rows of the whole run's daily file
//                             are recorded once and written again through the same column formats,
//                             number formatting and output file.
//
// Each reports simulated station-years per second. The aim: the whole model with its daily file
// costs at most three times the floor.
//
//   build/olive_bench --benchmark_filter='EverythingOn|IoFloor'
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "io/error_log.h"
#include "io/output_file.h"
#include "model/inputs.h"
#include "output/daily_output.h"
#include "toolkit/modutils.h"
#include "weather/readwx.h"

namespace {

namespace fs = std::filesystem;
using olive::NumberFormat;

constexpr double kYears = 10.0;

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Setup-file lines (from 1) of the switches that put every submodel and spray in the run.
constexpr int kEveryPestLines[] = {31, 43, 59, 64,  70,  76,  79,  83,
                                   89, 92, 96, 101, 112, 113, 114, 115};
constexpr int kDailyLine = 33;

// The example setup file with every submodel on and the daily file on or off.
std::string EverythingOnSetup(bool daily) {
  std::istringstream in(ReadFile(fs::path(OLIVE_SOURCE_DIR) / "examples/olive.setup"));
  std::string out, line;
  for (int n = 1; std::getline(in, line); ++n) {
    for (int on : kEveryPestLines) {
      if (n == on) line = "T\tswitched on by the benchmark";
    }
    if (n == kDailyLine) line = daily ? "T\tDaily" : "F\tDaily";
    out += line + "\n";
  }
  return out;
}

// A scratch working directory with the setup files and a soil-water table that already knows the
// station (a first run records it), so every timed run makes one pass.
struct BenchDir {
  fs::path dir = fs::temp_directory_path() / "olive_full_run_bench";
  std::string weather = (fs::path(OLIVE_SOURCE_DIR) / "examples/weather/Cordoba.txt").string();

  BenchDir() {
    fs::remove_all(dir);
    fs::create_directories(dir / "lut");
    fs::copy_file(fs::path(OLIVE_SOURCE_DIR) / "examples/lut/OliveSoilWater.txt",
                  dir / "lut/OliveSoilWater.txt");
    for (bool daily : {true, false}) {
      std::ofstream(dir / Setup(daily), std::ios::binary) << EverythingOnSetup(daily);
    }
  }
  ~BenchDir() { fs::remove_all(dir); }

  static std::string Setup(bool daily) { return daily ? "all-daily.setup" : "all.setup"; }
  std::vector<std::string> Args(bool daily) const {
    return {(dir / Setup(daily)).string(), "1", "1", "2001", "12", "31", "2010", "365", weather};
  }
  int Run(bool daily) const { return olive::RunOlive(Args(daily), dir); }
};

void BM_EverythingOn(benchmark::State& state) {
  const bool daily = state.range(0) != 0;
  BenchDir d;
  if (d.Run(daily) != olive::kExitOk || !ReadFile(d.dir / "errorlog").empty()) {
    state.SkipWithError("the run with every submodel failed");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(d.Run(daily));
  state.counters["station_years_per_s"] = benchmark::Counter(
      kYears * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  if (daily)
    state.counters["daily_bytes"] = static_cast<double>(fs::file_size(d.dir / "OliveDaily.txt"));
}
BENCHMARK(BM_EverythingOn)->ArgName("daily")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The inputs whose switches decide the daily file's columns in the run with every submodel.
olive::Inputs EverythingOnSwitches() {
  olive::Inputs in;
  in.nitro = in.mite = in.PredIn = in.GWss = in.OliveScale = in.AMaculicornis = in.Cutilis =
      in.OleanderScale = in.Achilensis = in.ed = in.CoccInRun = in.OliveFlyInRun = true;
  in.simspraysin = true;
  in.Daily = true;
  return in;
}

// The daily file's rows as numbers, one vector per row, and each column's format.
struct RecordedDaily {
  std::vector<NumberFormat> formats;
  std::vector<std::vector<double>> rows;
};

RecordedDaily Record(const std::string& text, const olive::Inputs& in) {
  RecordedDaily r;
  for (const auto& g : olive::DailyColumnGroups()) {
    if (!g.present(in)) continue;
    for (const auto& c : g.columns) r.formats.push_back(c.format);
  }
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // title
  std::getline(lines, line);  // column names
  while (std::getline(lines, line)) {
    std::vector<double> row;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '\t')) row.push_back(std::stod(field));
    r.rows.push_back(std::move(row));
  }
  return r;
}

struct NullLog : olive::ErrorSink {
  void Report(std::string_view) override {}
};

void BM_IoFloor(benchmark::State& state) {
  BenchDir d;
  // The first run records the station in the soil-water table and makes two passes; the second
  // makes one, as the timed runs of BM_EverythingOn do, and its daily file is the one recorded.
  if (d.Run(true) != olive::kExitOk || d.Run(true) != olive::kExitOk) {
    state.SkipWithError("the run with every submodel failed");
    return;
  }
  const std::string model = ReadFile(d.dir / "OliveDaily.txt");
  olive::Inputs in = EverythingOnSwitches();
  in.WxFilename = d.weather;
  const RecordedDaily rec = Record(model, in);
  if (rec.rows.empty() || rec.rows.front().size() != rec.formats.size()) {
    state.SkipWithError("the daily file's columns do not match the column table");
    return;
  }
  const std::string floorFile = (d.dir / "FloorDaily.txt").string();
  const float first = olive::rdate(2001, 1);
  const float last = olive::rdate(2010, 365);
  NullLog log;
  olive::Weather wx;
  const olive::WxCons cons{};
  std::string line;
  auto once = [&] {
    olive::WxPeriod period{first, last, static_cast<uint16_t>(last - first + 1)};
    olive::readwx(log, d.weather, period, cons, wx);
    olive::OutputFile out;
    out.Create(floorFile);
    olive::WriteDailyHeader(out, in, olive::LocalDateTimeText());
    for (const std::vector<double>& row : rec.rows) {
      line.clear();
      for (size_t c = 0; c < row.size(); ++c) {
        if (c > 0) line.push_back('\t');
        olive::AppendNumber(line, row[c], rec.formats[c]);
      }
      line.append("\r\n");
      out.Write(line);
    }
    return out.Close() && log.RunOk && period.ndays == rec.rows.size();
  };
  // The floor writes the model's file again, byte for byte but for the clock in the title.
  const auto bodyOf = [](const std::string& text) { return text.substr(text.find('\n')); };
  if (!once() || bodyOf(ReadFile(floorFile)) != bodyOf(model) ||
      fs::file_size(floorFile) != model.size()) {
    state.SkipWithError("the floor's daily file differs from the model's");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(once());
  state.counters["station_years_per_s"] = benchmark::Counter(
      kYears * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["daily_bytes"] = static_cast<double>(model.size());
}
BENCHMARK(BM_IoFloor)->Unit(benchmark::kMillisecond);

}  // namespace
