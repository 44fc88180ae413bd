// olive-batch's committer: the journals applied to the shared files strictly in the list's order,
// each station's commit recorded in the ledger before and after it, a stale journal run again at
// its place, and the batch's exit code.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string_view>
#include <unordered_set>

#include "driver/batch_engine.h"
#include "io/error_log.h"
#include "state/run_files.h"

namespace olive {
namespace batch_engine {
namespace {

// The shared files that a journal's commit may change, named relative to the working folder.
std::vector<std::string> FilesOf(const Journal& journal) {
  std::vector<std::string> files = {"errorlog", kGisFilesListName};
  std::unordered_set<std::string_view> seen(files.begin(), files.end());
  for (const JournalEntry& e : journal.entries) {
    if (e.kind == JournalEntry::Kind::Row && seen.insert(e.name).second) files.push_back(e.name);
  }
  return files;
}

// The exit code of a station whose journal was committed.
int StationCode(const RunResult& result, const CommitResult& commit) {
  if (commit.writeFailed || result.code == kExitWriteFailed) return kExitWriteFailed;
  if (commit.refused || !result.completed) return kExitBadInput;
  return kExitOk;
}

}  // namespace

void Batch::FinishDaily(const Job& job) {
  if (job.dailyTemp.empty()) return;
  std::error_code ec;
  if (!fs::exists(job.dailyTemp, ec)) return;
  // In the list's order: of two runs of one station, the later one's file stays, as with olive.
  fs::rename(job.dailyTemp, job.dailyFinal, ec);
  if (ec == std::errc::cross_device_link) {
    // A shard's file, in a journal folder on another file system.
    fs::copy_file(job.dailyTemp, job.dailyFinal, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::remove(job.dailyTemp, ec);
  }
  if (ec) {
    progress_.Clear();
    std::fprintf(stderr, "olive-batch: cannot move the daily file to \"%s\": %s\n",
                 job.dailyFinal.c_str(), ec.message().c_str());
    writeFailed_ = true;
    fs::remove(job.dailyTemp, ec);
  }
}

int Batch::RunDirect(Job& job) {
  std::error_code ec;
  if (!job.dailyTemp.empty()) fs::remove(job.dailyTemp, ec);
  progress_.Clear();
  std::fflush(stdout);
  ErrorLog log((workdir_ / "errorlog").string(), stderr);
  if (!log.IsOpen()) {
    errorLogFailed_ = true;
    return kExitBadInput;
  }
  RunResult result;
  RunPlace place = PlaceOf(job);
  place.applied = &job.outcome->journal;  // its rows, for the NetCDF output
  try {
    result = RunStation(log, ArgsOf(job), place, job.TempIncr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "olive-batch: %s: %s\n", job.wxfile.c_str(), e.what());
  }
  std::fflush(stdout);
  if (log.WriteFailed()) errorLogFailed_ = true;
  job.outcome->result = result;
  if (result.code == kExitWriteFailed) return kExitWriteFailed;
  return result.completed ? kExitOk : kExitBadInput;
}

int Batch::CommitOutcome(Job& job, ErrorLog& log, std::size_t k) {
  StationOutcome& o = *job.outcome;
  if (!o.crash.empty()) {
    progress_.Clear();
    std::fprintf(stderr, "olive-batch: %s: %s\n", job.wxfile.c_str(), o.crash.c_str());
    return kExitBadInput;
  }
  // The journal's error-log lines also go to the standard error stream: clear the bar first.
  if (std::any_of(o.journal.entries.begin(), o.journal.entries.end(),
                  [](const JournalEntry& e) { return e.kind == JournalEntry::Kind::ErrorLine; })) {
    progress_.Clear();
  }
  // A station that did not complete leaves its messages only.
  const CommitResult commit = CommitJournal(o.journal, log, workdir_, o.result.completed);
  int code = StationCode(o.result, commit);
  if (commit.stale) {
    // The table changed in a way the run could not foresee: run the station again, now that
    // every station before it is committed (nothing of the journal was applied).
    std::string reason;
    if (!ledger_.Begin(k, FilesOf(o.journal), true, reason)) {
      Stop(reason);
      return kExitWriteFailed;
    }
    code = RunDirect(job);
  } else if (!o.console.empty()) {
    progress_.Clear();
    std::fwrite(o.console.data(), 1, o.console.size(), stdout);
    std::fflush(stdout);
  }
  FinishDaily(job);
  return code;
}

void Batch::Count(int code) {
  if (code == kExitWriteFailed) writeFailed_ = true;
  if (code != kExitOk) stationFailed_ = true;
  ++(code == kExitOk ? ran_ : failed_);
}

bool Batch::Commit(std::size_t k, ErrorLog& log) {
  Job& job = jobs_[k];
  if (job.sea) return true;  // a cell without weather: nothing to commit, nothing to count
  StationOutcome& o = *job.outcome;
  if (!o.dailyFile.empty()) job.dailyTemp = o.dailyFile;  // where its run left the daily file
  std::string reason;
  int code = kExitOk;
  if (!ledger_.Begin(k, FilesOf(o.journal), o.journal.recordsStation, reason)) {
    Stop(reason);
  } else {
    code = CommitOutcome(job, log, k);
  }
  const RunResult& result = job.outcome->result;
  const std::optional<uint32_t> seed =
      result.seeded ? std::optional<uint32_t>(result.seed) : std::nullopt;
  if (!stopped_ && !ledger_.Done(k, code, seed, Describe(k), reason)) Stop(reason);
  if (stopped_) {
    writeFailed_ = true;
    return false;
  }
  if (code == kExitOk) GridRows(k, o.journal);
  Count(code);
  return true;
}

void Batch::Stop(const std::string& reason) {
  progress_.Clear();
  std::fprintf(stderr, "olive-batch: %s; the batch stops (complete it with --resume)\n",
               reason.c_str());
  const std::lock_guard<std::mutex> lock(mutex_);
  stopped_ = true;
}

void Batch::WaitForTurn(std::size_t k) {
  Job& job = jobs_[k];
  if (role_ == Role::Merge) {
    LoadJournal(k);
    return;
  }
  for (;;) {
    if (role_ == Role::MpiRoot) PumpRanks();
    std::unique_lock<std::mutex> lock(mutex_);
    // Rank 0 also answers the other ranks while it waits: it looks for their messages often.
    const auto wait =
        role_ == Role::MpiRoot ? std::chrono::milliseconds(1) : std::chrono::milliseconds(250);
    if (doneCv_.wait_for(lock, wait, [&] { return job.state == Job::State::Done; })) return;
    lock.unlock();
    progress_.Show(k);  // the elapsed time goes on
  }
}

int Batch::Commits(ErrorLog& log) {
  progress_.Show(firstRun_, true);
  for (std::size_t k = firstRun_; k < jobs_.size(); ++k) {
    WaitForTurn(k);
    if (stopped_ || !jobs_[k].outcome || !Commit(k, log)) break;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      nextCommit_ = k + 1;
      jobs_[k].outcome.reset();
      jobs_[k].weather.reset();
    }
    workCv_.notify_all();
    readCv_.notify_all();
    progress_.Show(k + 1);
  }
  if (stopped_) {
    const std::lock_guard<std::mutex> lock(mutex_);
    workCv_.notify_all();
    readCv_.notify_all();
  }
  progress_.Finish(nextCommit_);
  return ExitCode(log);
}

int Batch::ExitCode(ErrorLog& log) {
  if (log.WriteFailed()) errorLogFailed_ = true;
  if (errorLogFailed_) {
    std::fprintf(stderr, "olive-batch: writing to the error log \"%s\" failed\n",
                 log.Path().c_str());
    return kExitErrorLogFailed;
  }
  if (writeFailed_) return kExitWriteFailed;
  return stationFailed_ ? kBatchStationFailed : kBatchAllRan;
}

}  // namespace batch_engine
}  // namespace olive
