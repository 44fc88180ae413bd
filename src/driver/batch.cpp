#include "driver/batch.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "driver/journal.h"
#include "driver/read_inputs.h"
#include "driver/run.h"
#include "io/error_log.h"
#include "io/file_contents.h"
#include "soil/soil_water_table.h"

namespace olive {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Finished journals wait for their turn in memory; a station starts only while it is fewer than
// this many times the job count ahead of the next commit.
constexpr std::size_t kWindowPerJob = 8;

// The one-line progress bar, redrawn in place.
class Progress {
 public:
  Progress(ProgressTarget target, std::size_t total)
      : target_(target), total_(total), start_(Clock::now()) {}

  // Draws the line for done stations; at most ten times a second unless forced.
  void Show(std::size_t done, bool force = false) {
    if (!target_.enabled) return;
    const Clock::time_point now = Clock::now();
    if (!force && drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    std::string text(1, '\r');
    text.append(ProgressLine(done, total_, elapsed));
    const std::size_t length = text.size() - 1;
    if (length < length_) text.append(length_ - length, ' ');
    length_ = length;
    std::fwrite(text.data(), 1, text.size(), target_.out);
    std::fflush(target_.out);
    drawn_ = true;
    lastDraw_ = now;
  }
  // Erases the line, before other output goes to the terminal.
  void Clear() {
    if (!target_.enabled || !drawn_) return;
    std::string text(length_ + 2, ' ');
    text.front() = '\r';
    text.back() = '\r';
    std::fwrite(text.data(), 1, text.size(), target_.out);
    std::fflush(target_.out);
    drawn_ = false;
    length_ = 0;
  }
  void Finish(std::size_t done) {
    if (!target_.enabled) return;
    Show(done, true);
    std::fputc('\n', target_.out);
    std::fflush(target_.out);
  }

 private:
  ProgressTarget target_;
  std::size_t total_;
  Clock::time_point start_;
  Clock::time_point lastDraw_{};
  std::size_t length_ = 0;
  bool drawn_ = false;
};

// One station of one scenario.
struct Job {
  std::string wxfile;
  std::string key;  // the station key of the soil-water table
  std::optional<float> TempIncr;
  std::ptrdiff_t previous = -1;  // the last earlier job of the same key
  bool keyStable = false;        // the key's first table row had soil water when the batch began
  enum class State : uint8_t { Waiting, Running, Done } state = State::Waiting;
  std::unique_ptr<Journal> journal;
  std::string console;  // the run's console tables
  RunResult result;
  std::string crash;  // what an unexpected failure of the run said
  fs::path dailyTemp, dailyFinal;
};

class Batch {
 public:
  Batch(const BatchOptions& options, fs::path workdir, ProgressTarget progress);
  int Run();

 private:
  void Worker();
  std::ptrdiff_t PickLocked() const;
  RunPlace PlaceOf(const Job& job) const;
  std::vector<std::string> ArgsOf(const Job& job) const;
  void RunJournaled(Job& job);
  void Commit(Job& job, ErrorLog& log);
  void RunDirect(Job& job);
  bool InputsAreGood(ErrorLog& log) const;
  void Account(const RunResult& result, const CommitResult& commit);
  void FinishDaily(const Job& job);

  const BatchOptions& options_;
  fs::path workdir_;
  std::vector<Job> jobs_;
  std::size_t window_ = 1;
  Progress progress_;

  std::mutex mutex_;
  std::condition_variable workCv_;  // a job may have become startable
  std::condition_variable doneCv_;  // a job is done
  std::size_t nextCommit_ = 0;      // the jobs before it are committed
  std::size_t started_ = 0;

  bool errorLogFailed_ = false;
  bool writeFailed_ = false;
  bool stationFailed_ = false;
};

Batch::Batch(const BatchOptions& options, fs::path workdir, ProgressTarget progress)
    : options_(options),
      workdir_(std::move(workdir)),
      progress_(progress, options.weatherFiles.size() *
                              std::max<std::size_t>(1, options.TempIncrements.size())) {
  std::vector<std::optional<float>> scenarios;
  for (float t : options.TempIncrements) scenarios.emplace_back(t);
  if (scenarios.empty()) scenarios.emplace_back(std::nullopt);

  // Keys whose first row in the table has soil water: their lookup gives that row whatever the
  // stations before them record (rows are only appended, and only rows without soil water at the
  // end of the table are ever dropped).
  std::unordered_map<std::string, bool> firstRowHasWater;
  const SoilWaterText table = ReadSoilWaterTable(workdir_);
  if (table.status == TableReadStatus::Ok) {
    struct Quiet final : ErrorSink {
      void Report(std::string_view) override {}
    } quiet;
    std::vector<WaterRec> rows;
    if (ParseSoilWaterTable(quiet, table.text, rows)) {
      for (const WaterRec& r : rows) firstRowHasWater.emplace(r.wxloc, r.sw > 0);
    }
  }

  std::unordered_map<std::string, std::ptrdiff_t> lastOfKey;
  for (const std::optional<float>& incr : scenarios) {
    for (const std::string& wxfile : options.weatherFiles) {
      Job job;
      job.wxfile = wxfile;
      job.key = WxStationName(wxfile);
      job.TempIncr = incr;
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
  return place;
}

std::ptrdiff_t Batch::PickLocked() const {
  const std::size_t end = std::min(jobs_.size(), nextCommit_ + window_);
  for (std::size_t i = nextCommit_; i < end; ++i) {
    const Job& job = jobs_[i];
    if (job.state != Job::State::Waiting) continue;
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
      return k >= 0 || started_ == jobs_.size();
    });
    if (k < 0) return;
    Job& job = jobs_[static_cast<std::size_t>(k)];
    job.state = Job::State::Running;
    ++started_;
    lock.unlock();
    RunJournaled(job);
    lock.lock();
    job.state = Job::State::Done;
    doneCv_.notify_all();
  }
}

void Batch::RunJournaled(Job& job) {
  job.journal = std::make_unique<Journal>();
  JournalLog log(*job.journal);
  JournalFiles files(*job.journal);
  RunPlace place = PlaceOf(job);
  place.shared = &files;
  // The console tables are kept until the station's turn, so that they come in the list's order.
  char* buffer = nullptr;
  std::size_t size = 0;
  place.console = open_memstream(&buffer, &size);
  try {
    job.result = RunStation(log, ArgsOf(job), place, job.TempIncr);
  } catch (const std::exception& e) {
    job.crash = e.what();
  }
  if (place.console != nullptr) {
    std::fclose(place.console);
    job.console.assign(buffer, size);
  }
  std::free(buffer);
}

// The setup file and the command line, read once before any station runs: a bad one would end
// every station's run with the same messages. Only a refusal's messages reach the log; the
// warnings of a good setup come with each station's run, as with olive.
bool Batch::InputsAreGood(ErrorLog& log) const {
  struct Kept final : ErrorSink {
    std::vector<std::string> lines;
    void Report(std::string_view message) override { lines.emplace_back(message); }
  } kept;
  Inputs in;
  DriverState drv;
  Rng rng;
  ReadSetupInputs(kept, options_.params, DiskFiles(), in, drv, rng);
  if (kept.RunOk) return true;
  for (const std::string& line : kept.lines) log.Report(line);
  return false;
}

void Batch::Account(const RunResult& result, const CommitResult& commit) {
  if (commit.writeFailed || result.code == kExitWriteFailed) writeFailed_ = true;
  if (commit.writeFailed || commit.refused || !result.completed) stationFailed_ = true;
}

void Batch::FinishDaily(const Job& job) {
  if (job.dailyTemp.empty()) return;
  std::error_code ec;
  if (!fs::exists(job.dailyTemp, ec)) return;
  // In the list's order: of two runs of one station, the later one's file stays, as with olive.
  fs::rename(job.dailyTemp, job.dailyFinal, ec);
  if (ec) {
    progress_.Clear();
    std::fprintf(stderr, "olive-batch: cannot move the daily file to \"%s\": %s\n",
                 job.dailyFinal.c_str(), ec.message().c_str());
    writeFailed_ = true;
    fs::remove(job.dailyTemp, ec);
  }
}

void Batch::RunDirect(Job& job) {
  std::error_code ec;
  if (!job.dailyTemp.empty()) fs::remove(job.dailyTemp, ec);
  progress_.Clear();
  std::fflush(stdout);
  ErrorLog log((workdir_ / "errorlog").string(), stderr);
  if (!log.IsOpen()) {
    errorLogFailed_ = true;
    stationFailed_ = true;
    return;
  }
  RunResult result;
  try {
    result = RunStation(log, ArgsOf(job), PlaceOf(job), job.TempIncr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "olive-batch: %s: %s\n", job.wxfile.c_str(), e.what());
  }
  std::fflush(stdout);
  if (log.WriteFailed()) errorLogFailed_ = true;
  Account(result, CommitResult{});
}

void Batch::Commit(Job& job, ErrorLog& log) {
  if (!job.crash.empty()) {
    progress_.Clear();
    std::fprintf(stderr, "olive-batch: %s: %s\n", job.wxfile.c_str(), job.crash.c_str());
    stationFailed_ = true;
    return;
  }
  // The journal's error-log lines also go to the standard error stream: clear the bar first.
  if (std::any_of(job.journal->entries.begin(), job.journal->entries.end(),
                  [](const JournalEntry& e) { return e.kind == JournalEntry::Kind::ErrorLine; })) {
    progress_.Clear();
  }
  // A station that did not complete leaves its messages only.
  const CommitResult commit = CommitJournal(*job.journal, log, workdir_, job.result.completed);
  if (commit.stale) {
    // The table changed in a way the run could not foresee: run the station again, now that
    // every station before it is committed.
    RunDirect(job);
  } else {
    if (!job.console.empty()) {
      progress_.Clear();
      std::fwrite(job.console.data(), 1, job.console.size(), stdout);
      std::fflush(stdout);
    }
    Account(job.result, commit);
  }
  FinishDaily(job);
}

int Batch::Run() {
  ErrorLog log((workdir_ / "errorlog").string(), stderr);
  if (!log.IsOpen()) {
    std::fprintf(stderr, "olive-batch: cannot open or create the error log \"%s\"\n",
                 log.Path().c_str());
    return kExitErrorLogFailed;
  }
  if (!InputsAreGood(log)) return log.WriteFailed() ? kExitErrorLogFailed : kBatchStationFailed;
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

  unsigned jobs = options_.jobs != 0 ? options_.jobs : std::thread::hardware_concurrency();
  jobs =
      std::clamp<unsigned>(jobs, 1, static_cast<unsigned>(std::max<std::size_t>(1, jobs_.size())));
  window_ = std::max<std::size_t>(2, kWindowPerJob * jobs);

  std::vector<std::thread> workers;
  workers.reserve(jobs);
  for (unsigned i = 0; i < jobs; ++i) workers.emplace_back([this] { Worker(); });

  progress_.Show(0, true);
  for (std::size_t k = 0; k < jobs_.size(); ++k) {
    Job& job = jobs_[k];
    for (;;) {
      std::unique_lock<std::mutex> lock(mutex_);
      if (doneCv_.wait_for(lock, std::chrono::milliseconds(250),
                           [&] { return job.state == Job::State::Done; })) {
        break;
      }
      lock.unlock();
      progress_.Show(k);  // the elapsed time goes on
    }
    Commit(job, log);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      nextCommit_ = k + 1;
      job.journal.reset();
      job.console = std::string();
    }
    workCv_.notify_all();
    progress_.Show(k + 1);
  }
  for (std::thread& t : workers) t.join();
  progress_.Finish(jobs_.size());

  if (log.WriteFailed()) errorLogFailed_ = true;
  if (errorLogFailed_) {
    std::fprintf(stderr, "olive-batch: writing to the error log \"%s\" failed\n",
                 log.Path().c_str());
    return kExitErrorLogFailed;
  }
  if (writeFailed_) return kExitWriteFailed;
  return stationFailed_ ? kBatchStationFailed : kBatchAllRan;
}

}  // namespace

int RunBatch(const BatchOptions& options, const std::filesystem::path& workdir,
             ProgressTarget progress) {
  Batch batch(options, workdir, progress);
  return batch.Run();
}

int RunOliveBatch(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  BatchOptions options;
  std::string error;
  if (!ParseBatchArgs(args, options, error)) {
    std::fprintf(stderr, "olive-batch: %s\n%s", error.c_str(), BatchUsage().c_str());
    return kBatchUsage;
  }
  if (options.help) {
    std::fputs(BatchUsage().c_str(), stdout);
    return kBatchAllRan;
  }
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  return RunBatch(options, ".", ProgressTarget{stderr, terminal || options.progress});
}

}  // namespace olive