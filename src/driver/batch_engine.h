#pragma once
// The inside of olive-batch (driver/batch.h): its list of station runs, the threads that run
// them, the committer that applies their journals in the list's order, and the roles a process
// takes in a batch past one machine (batch.cpp: one process; batch_ranks.cpp: the ranks of an
// MPI job; batch_shards.cpp: the shards of a job array and their merge).
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver/batch.h"
#include "driver/batch_ledger.h"
#include "driver/journal.h"
#include "driver/journal_format.h"
#include "driver/run.h"

namespace olive {

class ErrorLog;
class GridWriter;
class WxSeriesSource;
struct StationSeries;

namespace batch_engine {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The one-line progress bar, redrawn in place.
class Progress {
 public:
  Progress(ProgressTarget target, std::size_t total, std::size_t scenarios);
  // Draws the line for done runs; at most ten times a second unless forced.
  void Show(std::size_t done, bool force = false);
  // Erases the line, before other output goes to the terminal.
  void Clear();
  void Finish(std::size_t done);

 private:
  ProgressTarget target_;
  std::size_t total_;
  std::size_t scenarios_;
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
  std::unique_ptr<StationOutcome> outcome;
  fs::path dailyTemp, dailyFinal;
  // A gridded batch: the station's weather, from its block of cells, until its commit.
  std::shared_ptr<const StationSeries> weather;
  bool weatherReady = true;  // false until the block of a gridded batch's cell is read
  bool sea = false;          // a cell without a valid temperature: nothing runs or commits
};

enum class Role : uint8_t {
  Local,      // one process: runs and commits
  MpiRoot,    // rank 0: runs, hands out, receives and commits
  MpiWorker,  // another rank: runs what rank 0 hands out and sends the journals back
  Shard,      // runs its share and leaves the journals as files
  Merge,      // commits the shards' journal files
};

// The largest journal file a merge reads.
inline constexpr std::uintmax_t kMaxJournalBytes = 1u << 30;

// Message tags between ranks.
enum RankTag : int {
  kTagRequest = 1,  // a rank has a free thread: the next station, please
  kTagJob = 2,      // the station (its list position, 8 bytes) to run
  kTagStop = 3,     // no station left to hand out
  kTagResult = 4,   // a finished station's journal record
  kTagBye = 5,      // a rank has sent every result
  kTagFinal = 6,    // the batch's exit code
};

// What the main thread of a rank other than 0 keeps track of.
struct RankWork {
  std::size_t slots = 1;      // its threads
  std::size_t requested = 0;  // stations asked for and not yet answered
  bool stop = false;          // rank 0 has no more stations
  int code = -1;              // the batch's exit code, once rank 0 sends it
};

class Batch {
 public:
  Batch(const BatchOptions& options, fs::path workdir, ProgressTarget progress, RankLink* ranks,
        WxSeriesSource* source = nullptr, GridWriter* grid = nullptr);
  int Run();

 private:
  // batch.cpp: runs, commits and the end of a batch.
  void Worker();
  std::ptrdiff_t PickLocked() const;
  RunPlace PlaceOf(const Job& job) const;
  std::vector<std::string> ArgsOf(const Job& job) const;
  std::unique_ptr<StationOutcome> RunJournaled(const Job& job) const;
  bool InputsAreGood(ErrorLog& log, int32_t& RandSeed) const;
  int OpenLedger(int32_t RandSeed);
  int Prepare(ErrorLog& log);
  void StartThreads(unsigned count);
  void JoinThreads();
  int Commits(ErrorLog& log);
  void WaitForTurn(std::size_t k);
  bool Commit(std::size_t k, ErrorLog& log);
  int CommitOutcome(Job& job, ErrorLog& log, std::size_t k);
  int RunDirect(Job& job);
  void FinishDaily(const Job& job);
  void Count(int code);
  // A commit could not be recorded in the ledger (reason): nothing more is started or committed.
  void Stop(const std::string& reason);
  int ExitCode(ErrorLog& log);
  // The end of a batch that was not stopped: its record completed in the ledger (a failure to
  // write it makes the code at least 3), then the summary line. Returns the exit code.
  int Conclude(int code, std::string_view who);
  void Summarize(std::string_view who) const;
  std::string SummaryFields() const;
  unsigned ThreadCount() const;
  double StationYears(std::size_t runs) const;
  std::string Describe(std::size_t k) const;

  // batch_gridded.cpp: the blocks of cells of a gridded batch, and its NetCDF output.
  void StartReader();
  void StopReader();
  void Reader();
  std::size_t BlockOfCell(std::size_t cell) const;
  void TakeBlock(std::size_t first, std::size_t b, bool ok, const std::vector<std::string>& lines,
                 const std::shared_ptr<std::vector<StationSeries>>& block);
  void GridRows(std::size_t k, const Journal& journal);
  int FinishGrid(ErrorLog& log, int code);

  // batch_ranks.cpp: an MPI job.
  bool RanksAgree(unsigned slots, std::string& verdict);
  int RunRoot();
  void PumpRanks();
  bool HandOut(int rank);
  void FinishRanks(int code);
  bool AskAndSend(RankWork& w);
  void TakeAnswers(RankWork& w);
  int RunRankWorker();

  // batch_shards.cpp: a job array's shards and their merge.
  int RunShard();
  void RunShardJob(std::size_t k);
  bool ShardJournalIsThere(std::size_t k) const;
  std::string JournalName(std::size_t k) const;
  bool ReadJournalFile(const std::string& name, std::size_t k, JournalRecord& record,
                       std::string& problem) const;
  bool CheckJournals();
  void LoadJournal(std::size_t k);
  int RunMerge();

  const BatchOptions& options_;
  fs::path workdir_;
  RankLink* ranks_;
  Role role_ = Role::Local;
  BatchIdentity identity_;
  uint64_t batchId_ = 0;
  std::vector<Job> jobs_;
  std::size_t window_ = 1;
  std::size_t scenarios_ = 1;
  Progress progress_;
  Clock::time_point start_;
  Ledger ledger_;

  std::mutex mutex_;
  std::condition_variable workCv_;  // a job may have become startable
  std::condition_variable doneCv_;  // a job is done
  std::size_t firstRun_ = 0;        // the jobs before it were committed by an earlier batch
  std::size_t nextCommit_ = 0;      // the jobs before it are committed
  std::size_t started_ = 0;         // jobs started, here or on other ranks
  std::size_t toStart_ = 0;         // jobs this batch starts
  std::vector<std::thread> threads_;
  std::deque<int> waitingRanks_;           // rank 0: ranks that asked while nothing could start
  std::vector<bool> rankDone_;             // rank 0: ranks that said bye
  std::deque<std::size_t> handed_;         // another rank: the stations rank 0 handed it, to start
  std::deque<std::size_t> finished_;       // another rank: its finished stations, to send
  std::size_t active_ = 0;                 // another rank: stations its threads are running
  bool quit_ = false;                      // another rank: its threads end
  std::vector<std::string> journalFiles_;  // the merge: each position's journal file

  WxSeriesSource* source_ = nullptr;  // a gridded batch's cells
  GridWriter* grid_ = nullptr;        // its NetCDF output
  std::size_t cells_ = 0;             // the source's cells, sea included (the jobs of a scenario)
  std::size_t nextRead_ = 0;          // the jobs before it have their weather (or are sea)
  bool readerQuit_ = false;
  std::condition_variable readCv_;  // the reader may read the next block
  std::thread reader_;

  bool errorLogFailed_ = false;
  bool writeFailed_ = false;
  bool stationFailed_ = false;
  bool stopped_ = false;  // a commit could not be recorded in the ledger: commit nothing more
  std::size_t ran_ = 0, failed_ = 0, skipped_ = 0;
};

}  // namespace batch_engine

// A batch over the cells of NetCDF files (--netcdf): opens them, names the stations after the
// cells and runs them (batch_gridded.cpp).
int RunGriddedBatch(const BatchOptions& options, const std::filesystem::path& workdir,
                    ProgressTarget progress, const GriddedIo* gridded);

}  // namespace olive
