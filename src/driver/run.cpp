#include "driver/run.h"

#include <cstdio>
#include <memory>

#include "driver/day_loop.h"
#include "driver/init1.h"
#include "driver/journal.h"
#include "driver/read_inputs.h"
#include "io/error_log.h"
#include "output/gis_output.h"
#include "state/simulation.h"
#include "weather/readwx.h"
#include "weather/wx_series.h"

namespace olive {
namespace {

// Runs of a station on its own before it gives up on a soil-water table that keeps changing.
constexpr int kRunAttempts = 3;

// The day loop of one pass; false when the run must end (RunOk cleared by an error or a failed
// write).
bool RunDays(Simulation& sim) {
  for (uint16_t iday = 1; iday <= sim.drv.ndays && iday != 0; ++iday) {
    RunDay(sim, iday);
    CheckAllOutputs(sim.files, sim.log);
    if (!sim.log.RunOk) return false;
  }
  return true;
}

// The end of the run: the end-of-run GIS row of a run that completed its passes, then the files
// are closed.
void EndSequence(Simulation& sim, bool passesRan) {
  if (passesRan && sim.in.GisOutputTarget == 1) {
    sim.drv.DoEndFile = true;
    if (!WriteGisRow(sim, WriterContext{sim.files.workdir}, "Olive")) sim.files.WriteFailed = true;
  }
  CloseOutput(sim.files, sim.files.dailyfile, sim.log);
  CloseOutput(sim.files, sim.files.console, sim.log);
}

// The files of the disk, and the station's key as an open weather file when its weather is in
// memory.
class SeriesFiles final : public InputFiles {
 public:
  explicit SeriesFiles(std::string key) : key_(std::move(key)) {}
  std::optional<std::string> Read(const std::string& name) const override {
    if (IsKey(name)) return std::string();
    return disk_.Read(name);
  }
  bool CanOpen(const std::string& name) const override {
    return IsKey(name) || disk_.CanOpen(name);
  }
  std::string Problem(const std::string& name) const override { return disk_.Problem(name); }

 private:
  bool IsKey(const std::string& name) const { return !key_.empty() && name == key_; }

  std::string key_;
  DiskFiles disk_;
};

// A run whose shared files go to place.shared.
RunResult RunWithSink(ErrorSink& log, const std::vector<std::string>& args, const RunPlace& place,
                      std::optional<float> TempIncr) {
  auto sim = std::make_unique<Simulation>(log);
  sim->files.workdir = place.workdir;
  sim->files.shared = place.shared;
  sim->files.dailyToFile = place.dailyToFile;
  sim->files.dailyPath = place.dailyPath;
  if (place.console != nullptr) sim->files.console.Attach(place.console, "standard output");
  RunResult result;
  try {
    const SeriesFiles files(place.weather != nullptr && args.size() == kRunParameterCount
                                ? args.back()
                                : std::string());
    ReadInputs(log, args, files, sim->in, sim->drv, sim->rng);
    const bool inputsRead = log.RunOk;
    result.seeded = inputsRead;
    result.seed = sim->rng.s;
    // A warming scenario: the setup file as if its temperature adjustment had been edited.
    if (inputsRead && TempIncr) sim->in.wxcons[1] = *TempIncr;
    if (inputsRead) RunPasses(*sim, place.weather);
    const bool passesRan = inputsRead && log.RunOk && !sim->files.WriteFailed;
    EndSequence(*sim, passesRan);
    result.completed = passesRan && log.RunOk && !sim->files.WriteFailed;
  } catch (const AsinDomainError&) {
    result.completed = false;
  }
  if (!result.completed) result.code = kExitBadInput;
  if (sim->files.WriteFailed) result.code = kExitWriteFailed;
  return result;
}

// What a commit of a completed run's journal makes of the run.
RunResult Committed(const RunResult& run, const CommitResult& commit) {
  RunResult result = run;
  result.code = kExitOk;
  if (commit.refused || commit.stale) result.code = kExitBadInput;
  if (commit.writeFailed) result.code = kExitWriteFailed;
  result.completed = result.code == kExitOk;
  return result;
}

}  // namespace

std::string OliveUsage() {
  return "usage: olive SETUP MONTH1 DAY1 YEAR1 MONTH2 DAY2 YEAR2 GIS_INTERVAL WEATHER_FILE\n";
}

void StartPass(Simulation& sim, const DriverState& atInputs) {
  const bool GoPred = sim.drv.GoPred;
  sim.drv = atInputs;
  sim.drv.GoPred = GoPred;
  sim.drv.modelyear = sim.in.FirstYear;
  sim.today = DayWeather{};
  sim.season = SeasonState{};
  sim.plant = PlantState{};
  sim.water = WaterState{};
  sim.water.SoilwIn = sim.in.SoilwIn;  // the table's row replaces them when the station is found
  sim.water.SoilwMaxIn = sim.in.SoilwMaxIn;
  sim.water.pwpin = sim.in.pwpin;
  sim.nitro = NitroState{};
  sim.mites = MiteState{};
  sim.preds = PredState{};
  sim.fly = FlyState{};
  sim.gwss = GWssState{};
  sim.spray = SprayState{};
  sim.spray.simsprays = sim.in.simspraysin;
  sim.spray.StopSprayDate = sim.in.StopSprayDate;  // the start date plus DaysToSprayStopDate
  sim.olivescale = ScaleState{};
  sim.oleanderscale = ScaleState{};
  sim.oliveparas = ScaleParasitoidState{};
  sim.oleanderparas = ScaleParasitoidState{};
  sim.cocc = CoccState{};
  sim.harvestSave = HarvestSnapshot{};
  sim.out.prcntatkd = 0;
}

bool PreparePass(Simulation& sim, const DriverState& atInputs, const StationSeries* weather) {
  StartPass(sim, atInputs);
  sim.files.Shared().GetSoilWaterConditions(sim.log, sim.in.wxstation, sim.water,
                                            sim.drv.SoilWaterOk, sim.files.workdir);
  if (!sim.log.RunOk) return false;
  sim.drv.PruneToday = false;
  WxPeriod period{sim.drv.modelStartDate, sim.drv.ModelEndDate, sim.drv.ndays};
  if (weather != nullptr) {
    readwxSeries(sim.log, *weather, sim.in.WxFilename, period, sim.in.wxcons, sim.wx);
  } else {
    readwx(sim.log, sim.in.WxFilename, period, sim.in.wxcons, sim.wx);
  }
  if (!sim.log.RunOk) return false;
  sim.drv.ndays = period.ndays;
  if (!GisOutputDatesFit(sim.log, sim.drv.ndays, sim.in.GisOutputInterval)) return false;
  INIT1(sim);
  if (!sim.log.RunOk) return false;
  sim.drv.PrecipYearSum = 0;
  sim.drv.jday = sim.drv.jdayStart;
  sim.drv.YearLength = YearLengthOf(sim.drv.modelyear);
  return true;
}

int RunPasses(Simulation& sim, const StationSeries* weather) {
  const DriverState atInputs = sim.drv;
  // The station's row is recorded after the first pass, so a second pass finds it; the bound
  // guards the loop against a table that does not give the row back.
  for (int pass = 1; pass <= 2; ++pass) {
    if (!PreparePass(sim, atInputs, weather) || !RunDays(sim)) return pass;
    if (sim.drv.SoilWaterOk) {
      if (sim.in.Daily) CloseOutput(sim.files, sim.files.dailyfile, sim.log);
      return pass;
    }
    if (!sim.files.Shared().GenerateSoilwater(sim.log, sim.in.wxstation, sim.water,
                                              sim.files.workdir)) {
      return pass;
    }
  }
  ReportError(sim.log, "Station " + sim.in.wxstation +
                           " still missing from lut\\OliveSoilWater.txt after it was recorded.");
  sim.log.RunOk = false;
  return 2;
}

RunResult RunStation(ErrorSink& log, const std::vector<std::string>& args, const RunPlace& place,
                     std::optional<float> TempIncr) {
  if (place.shared != nullptr) return RunWithSink(log, args, place, TempIncr);
  // On its own, the run's changes to the shared files are kept in a journal and applied only once
  // it has completed; its messages go to log as they are reported.
  for (int attempt = 1;; ++attempt) {
    Journal journal;
    JournalFiles files(journal);
    RunPlace journaled = place;
    journaled.shared = &files;
    const RunResult result = RunWithSink(log, args, journaled, TempIncr);
    if (!result.completed) return result;
    const CommitResult commit = CommitRun(journal, log, place.workdir);
    if (place.applied != nullptr) *place.applied = journal;
    // The station's row changed in the soil-water table while the run went on: run it again
    // from the row as it is now.
    if (commit.stale && attempt < kRunAttempts) continue;
    if (commit.stale) {
      ReportError(log, "The row of station " + journal.wxstation + " in " +
                           std::string(kSoilWaterTableName) + " changed during each of " +
                           std::to_string(kRunAttempts) + " runs; no output was written");
      log.RunOk = false;
    }
    return Committed(result, commit);
  }
}

int RunOlive(const std::vector<std::string>& args, const std::filesystem::path& workdir) {
  if (args.size() != kRunParameterCount) {
    std::fprintf(stderr,
                 "olive: %zu parameters given, %zu needed\n%sRun 'olive --help' for more.\n",
                 args.size(), kRunParameterCount, OliveUsage().c_str());
    return kExitUsage;
  }
  // Start-up: the error log, shared by all runs in the working directory; its lines also go to
  // the standard error stream.
  ErrorLog log((workdir / "errorlog").string(), stderr);
  if (!log.IsOpen()) {
    std::fprintf(stderr, "olive: cannot open or create the error log \"%s\"\n", log.Path().c_str());
    return kExitErrorLogFailed;
  }
  RunPlace place;
  place.workdir = workdir;
  int code = RunStation(log, args, place).code;
  if (log.WriteFailed()) {
    std::fprintf(stderr, "olive: writing to the error log \"%s\" failed\n", log.Path().c_str());
    code = kExitErrorLogFailed;
  }
  return code;
}

int RunOlive(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return RunOlive(args);
}

}  // namespace olive
