// olive-batch: the list of station runs, the threads that run them into journals, the preparation
// of a batch (its setup read once, its ledger) and its roles.
#include "driver/batch.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "driver/batch_engine.h"
#include "driver/read_inputs.h"
#include "io/error_log.h"
#include "io/file_contents.h"
#include "soil/soil_water_table.h"
#include "state/run_files.h"
#include "toolkit/modutils.h"

namespace olive {
namespace batch_engine {
namespace {

// Finished journals wait for their turn in memory; a station starts only while it is fewer than
// this many times the thread count ahead of the next commit.
constexpr std::size_t kWindowPerJob = 8;

// Keys whose first row in the table has soil water: their lookup gives that row whatever the
// stations before them record (rows are only appended, and only rows without soil water at the
// end of the table are ever dropped).
std::unordered_map<std::string, bool> KeysWithWater(const fs::path& workdir) {
  std::unordered_map<std::string, bool> firstRowHasWater;
  const SoilWaterText table = ReadSoilWaterTable(workdir);
  if (table.status != TableReadStatus::Ok) return firstRowHasWater;
  struct Quiet final : ErrorSink {
    void Report(std::string_view) override {}
  } quiet;
  std::vector<WaterRec> rows;
  if (ParseSoilWaterTable(quiet, table.text, rows)) {
    for (const WaterRec& r : rows) firstRowHasWater.emplace(r.wxloc, r.sw > 0);
  }
  return firstRowHasWater;
}
}  // namespace

Batch::Batch(const BatchOptions& options, fs::path workdir, ProgressTarget progress,
             RankLink* ranks, WxSeriesSource* source, GridWriter* grid)
    : options_(options),
      workdir_(std::move(workdir)),
      ranks_(ranks),
      identity_(IdentityOf(options)),
      batchId_(identity_.Id()),
      scenarios_(std::max<std::size_t>(1, options.TempIncrements.size())),
      progress_(progress, options.weatherFiles.size() * scenarios_, scenarios_),
      start_(Clock::now()),
      source_(source),
      grid_(grid),
      cells_(options.weatherFiles.size()) {
  if (options.merge) role_ = Role::Merge;
  if (options.shards != 0) role_ = Role::Shard;
  if (ranks_ != nullptr) role_ = ranks_->Rank() == 0 ? Role::MpiRoot : Role::MpiWorker;

  std::vector<std::optional<float>> scenarios;
  for (float t : options.TempIncrements) scenarios.emplace_back(t);
  if (scenarios.empty()) scenarios.emplace_back(std::nullopt);
  const std::unordered_map<std::string, bool> firstRowHasWater = KeysWithWater(workdir_);
  std::unordered_map<std::string, std::ptrdiff_t> lastOfKey;
  jobs_.reserve(options.weatherFiles.size() * scenarios.size());
  for (const std::optional<float>& incr : scenarios) {
    for (const std::string& wxfile : options.weatherFiles) {
      Job job;
      job.wxfile = wxfile;
      job.key = WxStationName(wxfile);
      job.TempIncr = incr;
      job.weatherReady = source_ == nullptr;
      const auto last = lastOfKey.find(job.key);
      if (last != lastOfKey.end()) job.previous = last->second;
      const auto stable = firstRowHasWater.find(job.key);
      job.keyStable = stable != firstRowHasWater.end() && stable->second;
      lastOfKey[job.key] = static_cast<std::ptrdiff_t>(jobs_.size());
      if (options.dailyDir) {
        const std::string name = BatchDailyFileName(job.key, incr);
        job.dailyFinal = *options.dailyDir / name;
        job.dailyTemp = *options.dailyDir / TemporaryFileName("." + name, jobs_.size());
      }
      jobs_.push_back(std::move(job));
    }
  }
}

std::vector<std::string> Batch::ArgsOf(const Job& job) const {
  std::vector<std::string> args = options_.params;
  args.push_back(job.wxfile);
  return args;
}

RunPlace Batch::PlaceOf(const Job& job) const {
  RunPlace place;
  place.workdir = workdir_;
  place.dailyToFile = options_.dailyDir.has_value();
  place.dailyPath = job.dailyTemp;
  place.weather = job.weather.get();
  return place;
}

std::string Batch::Describe(std::size_t k) const {
  std::string text = jobs_[k].wxfile;
  if (jobs_[k].TempIncr) {
    char incr[48];
    std::snprintf(incr, sizeof incr, "\tTempIncr=%.3f", static_cast<double>(*jobs_[k].TempIncr));
    text += incr;
  }
  return text;
}

double Batch::StationYears(std::size_t runs) const {
  // The command line's dates, month day year; a station-year is 365.2425 days.
  struct Quiet final : ErrorSink {
    void Report(std::string_view) override {}
  } quiet;
  const auto number = [&](std::size_t i) { return std::atoi(options_.params[i].c_str()); };
  const double first = rdate(number(3), Julian(quiet, number(1), number(2), number(3)));
  const double last = rdate(number(6), Julian(quiet, number(4), number(5), number(6)));
  return static_cast<double>(runs) * std::max(0.0, last - first + 1) / 365.2425;
}

unsigned Batch::ThreadCount() const {
  const unsigned wanted =
      options_.jobs != 0 ? options_.jobs : std::max(1u, std::thread::hardware_concurrency());
  return std::clamp<unsigned>(wanted, 1, static_cast<unsigned>(std::max<std::size_t>(1, toStart_)));
}

std::ptrdiff_t Batch::PickLocked() const {
  if (stopped_) return -1;
  if (role_ == Role::MpiWorker) {
    return handed_.empty() ? -1 : static_cast<std::ptrdiff_t>(handed_.front());
  }
  if (role_ == Role::Shard) {
    for (std::size_t i = options_.shard - 1; i < jobs_.size(); i += options_.shards) {
      if (jobs_[i].state == Job::State::Waiting) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
  }
  const std::size_t end = std::min(jobs_.size(), nextCommit_ + window_);
  for (std::size_t i = nextCommit_; i < end; ++i) {
    const Job& job = jobs_[i];
    if (job.state != Job::State::Waiting || !job.weatherReady) continue;
    // The soil-water row that the run starts from may be the one an earlier job of the same
    // station records: wait for that job's commit.
    if (job.previous < 0 || job.keyStable || static_cast<std::size_t>(job.previous) < nextCommit_) {
      return static_cast<std::ptrdiff_t>(i);
    }
  }
  return -1;
}

void Batch::Worker() {
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    std::ptrdiff_t k = -1;
    workCv_.wait(lock, [&] {
      k = PickLocked();
      return k >= 0 || started_ >= toStart_ || stopped_ || quit_;
    });
    if (k < 0) return;
    Job& job = jobs_[static_cast<std::size_t>(k)];
    job.state = Job::State::Running;
    ++started_;
    if (role_ == Role::MpiWorker) {
      handed_.pop_front();
      ++active_;
    }
    lock.unlock();
    if (role_ == Role::Shard) {
      RunShardJob(static_cast<std::size_t>(k));
    } else {
      std::unique_ptr<StationOutcome> outcome = RunJournaled(job);
      lock.lock();
      job.outcome = std::move(outcome);
    }
    if (!lock.owns_lock()) lock.lock();
    job.state = Job::State::Done;
    if (role_ == Role::MpiWorker) {
      --active_;
      finished_.push_back(static_cast<std::size_t>(k));
    }
    doneCv_.notify_all();
  }
}

void Batch::StartThreads(unsigned count) {
  threads_.reserve(count);
  for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { Worker(); });
}

void Batch::JoinThreads() {
  workCv_.notify_all();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
}

std::unique_ptr<StationOutcome> Batch::RunJournaled(const Job& job) const {
  auto outcome = std::make_unique<StationOutcome>();
  JournalLog log(outcome->journal);
  JournalFiles files(outcome->journal);
  RunPlace place = PlaceOf(job);
  place.shared = &files;
  // The console tables are kept until the station's turn, so that they come in the list's order.
  char* buffer = nullptr;
  std::size_t size = 0;
  place.console = open_memstream(&buffer, &size);
  try {
    outcome->result = RunStation(log, ArgsOf(job), place, job.TempIncr);
  } catch (const std::exception& e) {
    outcome->crash = e.what();
  }
  if (place.console != nullptr) {
    std::fclose(place.console);
    outcome->console.assign(buffer, size);
  }
  std::free(buffer);
  if (!job.dailyTemp.empty()) outcome->dailyFile = job.dailyTemp.string();
  return outcome;
}

// The setup file and the command line, read once before any station runs: a bad one would end
// every station's run with the same messages. Only a refusal's messages reach the log; the
// warnings of a good setup come with each station's run, as with olive.
bool Batch::InputsAreGood(ErrorLog& log, int32_t& RandSeed) const {
  struct Kept final : ErrorSink {
    std::vector<std::string> lines;
    void Report(std::string_view message) override { lines.emplace_back(message); }
  } kept;
  Inputs in;
  DriverState drv;
  Rng rng;
  ReadSetupInputs(kept, options_.params, DiskFiles(), in, drv, rng);
  RandSeed = in.RandSeed;
  if (kept.RunOk) return true;
  for (const std::string& line : kept.lines) log.Report(line);
  return false;
}

// The ledger of a batch that commits; -1 to go on, else the exit code.
int Batch::OpenLedger(int32_t RandSeed) {
  const std::string seeds = RandSeed == 0
                                ? "RandSeed 0 (the clock: each station's seed on its done line)"
                                : "RandSeed " + std::to_string(RandSeed);
  std::string message;
  switch (ledger_.Open(workdir_, identity_, options_.resume, seeds, message)) {
    case Ledger::Opened::Fresh:
      return -1;
    case Ledger::Opened::Complete:
      std::fprintf(stderr, "olive-batch: the batch of %s is complete; nothing to resume\n",
                   (workdir_ / kLedgerName).c_str());
      return ledger_.CompleteExitCode();
    case Ledger::Opened::Refused:
      std::fprintf(stderr, "olive-batch: %s\n", message.c_str());
      return kBatchStationFailed;
    case Ledger::Opened::Failed:
      std::fprintf(stderr, "olive-batch: %s\n", message.c_str());
      return kExitWriteFailed;
    case Ledger::Opened::Resumed:
      break;
  }
  firstRun_ = std::min(ledger_.Committed(), jobs_.size());
  if (ledger_.Interrupted() && firstRun_ < jobs_.size()) {
    if (!ledger_.RepairInterrupted(message)) {
      std::fprintf(stderr, "olive-batch: %s\n", message.c_str());
      return kExitWriteFailed;
    }
    std::fprintf(stderr,
                 "olive-batch: resuming: station run %zu (%s) was being committed when the batch "
                 "stopped; %zu files were put back as they were before it\n",
                 firstRun_ + 1, jobs_[firstRun_].wxfile.c_str(), ledger_.Repaired());
  }
  for (const int code : ledger_.ExitCodes()) {
    if (code == kExitWriteFailed) writeFailed_ = true;
    if (code != kExitOk) stationFailed_ = true;
  }
  skipped_ = firstRun_;
  return -1;
}

// Before the first commit: the inputs, the daily folder and the ledger. -1 to go on, else the
// exit code.
int Batch::Prepare(ErrorLog& log) {
  if (!log.IsOpen()) {
    std::fprintf(stderr, "olive-batch: cannot open or create the error log \"%s\"\n",
                 log.Path().c_str());
    return kExitErrorLogFailed;
  }
  int32_t RandSeed = 0;
  if (!InputsAreGood(log, RandSeed)) {
    return log.WriteFailed() ? kExitErrorLogFailed : kBatchStationFailed;
  }
  if (options_.dailyDir) {
    std::error_code ec;
    fs::create_directories(*options_.dailyDir, ec);
    if (ec) {
      std::fprintf(stderr, "olive-batch: cannot make the daily-file folder \"%s\": %s\n",
                   options_.dailyDir->c_str(), ec.message().c_str());
      return kExitWriteFailed;
    }
    // What batches that were killed left there.
    RemoveStaleTemporaries(*options_.dailyDir, "_OliveDaily.txt");
  }
  if (role_ == Role::Shard) return -1;
  const int code = OpenLedger(RandSeed);
  if (code >= 0) return code;
  nextCommit_ = firstRun_;
  for (std::size_t k = 0; k < firstRun_; ++k) jobs_[k].state = Job::State::Done;
  toStart_ = jobs_.size() - firstRun_;
  return -1;
}

int Batch::Conclude(int code, std::string_view who) {
  if (!stopped_) {
    std::string reason;
    if (!ledger_.Complete(SummaryFields(), code, reason)) {
      std::fprintf(stderr, "olive-batch: %s\n", reason.c_str());
      code = std::max(code, kExitWriteFailed);
    }
  }
  Summarize(who);
  return code;
}

void Batch::Summarize(std::string_view who) const {
  const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  const std::string line =
      SummaryLine(who, ran_, failed_, skipped_, StationYears(ran_), seconds) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

int Batch::Run() {
  switch (role_) {
    case Role::MpiRoot:
      return RunRoot();
    case Role::MpiWorker:
      return RunRankWorker();
    case Role::Shard:
      return RunShard();
    case Role::Merge:
      return RunMerge();
    case Role::Local:
      break;
  }
  ErrorLog log((workdir_ / "errorlog").string(), stderr);
  const int refused = Prepare(log);
  if (refused >= 0) return refused;
  const unsigned threads = ThreadCount();
  window_ = std::max<std::size_t>(2, kWindowPerJob * threads);
  StartThreads(threads);
  StartReader();
  int code = Commits(log);
  StopReader();
  JoinThreads();
  code = FinishGrid(log, code);
  return Conclude(code, "olive-batch");
}

std::string Batch::SummaryFields() const {
  return "ran=" + std::to_string(ran_) + "\tfailed=" + std::to_string(failed_) +
         "\tskipped=" + std::to_string(skipped_);
}

}  // namespace batch_engine

int RunBatch(const BatchOptions& options, const std::filesystem::path& workdir,
             ProgressTarget progress, RankLink* ranks, const GriddedIo* gridded) {
  if (options.netcdf) return RunGriddedBatch(options, workdir, progress, gridded);
  batch_engine::Batch batch(options, workdir, progress, ranks);
  return batch.Run();
}

int RunOliveBatch(const std::vector<std::string>& args, RankLink* ranks, const GriddedIo* gridded) {
  BatchOptions options;
  std::string error;
  if (!ParseBatchArgs(args, options, error)) {
    std::fprintf(stderr, "olive-batch: %s\n%s", error.c_str(), BatchUsage().c_str());
    // Every rank of an MPI job ends with it.
    if (ranks != nullptr) ranks->Abort(kBatchUsage);
    return kBatchUsage;
  }
  if (options.help) {
    std::fputs(BatchUsage().c_str(), stdout);
    return kBatchAllRan;
  }
  if (options.mpi && ranks == nullptr) {
    std::fprintf(stderr,
                 "olive-batch: --mpi: this olive-batch was built without MPI (install an MPI, "
                 "e.g. Debian's libopenmpi-dev, and build again)\n");
    return kBatchUsage;
  }
  if (options.netcdf && (gridded == nullptr || !gridded->openWeather ||
                         (options.netcdfOut && !gridded->makeWriter))) {
    std::fprintf(
        stderr,
        "olive-batch: --netcdf: this olive-batch was built without NetCDF support (install "
        "the netCDF-C library, Debian's libnetcdf-dev, and build again), or convert the "
        "files with olive-wx netcdf and run the weather files\n");
    return kBatchUsage;
  }
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  // Only rank 0 of an MPI job draws the bar.
  const bool drawer = ranks == nullptr || ranks->Rank() == 0;
  return RunBatch(options, ".", ProgressTarget{stderr, drawer && (terminal || options.progress)},
                  ranks, gridded);
}

}  // namespace olive
