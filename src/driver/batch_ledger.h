#pragma once
// The record of a batch in its working folder: the ledger "olive-batch.ledger", which makes a
// batch that was stopped at any point (SIGKILL, a node failure, a job's time limit) resumable
// exactly, and keeps what each batch was.
//
// A ledger is a text file of TAB-separated records, one a line, appended by the one process that
// commits (olive-batch, rank 0 of an MPI batch, or the merge of a job array's shards) and held
// under its lock for the whole batch:
//
//   olive-batch ledger  1                       the format
//   version   1.0.0                             the program's version
//   id        <16 hex digits>                   the batch's identity (below)
//   command   SETUP 1 1 2001 ... @stations.txt  the batch's command line, less how it runs
//   setup     olive.setup  <checksum>           the setup file and the FNV-1a checksum of its bytes
//   stations  36  <checksum>                    the station runs and the checksum of their names
//   seeds     RandSeed 42                       or "RandSeed 0 (the clock: each station's seed
//   below)" started   2026-12-07 21:44:35 begin     12  table=4096:<checksum>  errorlog=1834
//   OUT00002.txt=-1 ... done      12  exit=0  seed=42  wx/B.txt  [TempIncr=1.000] resumed
//   2026-12-07 22:10:02               each start with --resume complete  2026-12-07 22:31:40 ran=35
//   failed=1  skipped=12  exit=1
//
// "begin" is written and flushed to disk before a station's commit changes any shared file: its
// list position, the length of every shared file the commit may write (-1: absent) and, when the
// commit may replace the soil-water table, the table's size and checksum, whose bytes are kept in
// "olive-batch.ledger.table". "done" follows the commit (flushed to disk with the next "begin" or
// "complete"; one lost with a node leaves that station's exit code unknown, taken as 0). A station
// is committed when it has a "done" line or a later station has a "begin" line (commits go in list
// order). A resume cuts every file of the station being committed back to its recorded length
// (removing the ones that were absent), puts the table back when it changed, and commits from that
// station on; only bytes written after its "begin" are removed.
//
// A complete ledger stays as it is: a later batch in the folder renames it to
// "olive-batch.<started>.ledger" (the record of that batch) and starts its own; --resume with a
// complete ledger of the same batch has nothing to do.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace olive {

struct BatchOptions;

inline constexpr const char* kLedgerName = "olive-batch.ledger";
inline constexpr const char* kLedgerTableName = "olive-batch.ledger.table";

// What a batch is, whichever way it runs: what a resume, a shard's journal and the ranks of an MPI
// batch must share. -j, --progress, --mpi, --resume, --shard and --journal-dir are how it runs,
// not what it is.
struct BatchIdentity {
  std::string command;            // the command line (shell-quoted), less how it runs
  std::size_t runs = 0;           // station runs: stations times scenarios
  uint64_t stationsChecksum = 0;  // of the expanded list of weather files
  std::string setupFile;
  uint64_t setupChecksum = 0;  // of the setup file's bytes (0 when it cannot be read)
  uint64_t Id() const;
};
BatchIdentity IdentityOf(const BatchOptions& options);

// Writes bytes to path whole: into a temporary file beside it, flushed to disk and renamed over
// path. False with the reason when it fails (nothing is left then).
bool WriteFileWhole(const std::filesystem::path& path, std::string_view bytes, std::string& reason);

// A shared file's length before a station's commit (-1: absent).
using FileLength = std::pair<std::string, int64_t>;

class Ledger {
 public:
  Ledger() = default;
  ~Ledger();
  Ledger(const Ledger&) = delete;
  Ledger& operator=(const Ledger&) = delete;

  enum class Opened : uint8_t {
    Fresh,     // a new ledger: nothing committed
    Resumed,   // an unfinished ledger of this batch, to be completed
    Complete,  // --resume, and the ledger of this batch is complete: nothing to do
    Refused,   // the message says why (another batch's ledger, one in use, not --resume)
    Failed,    // the ledger cannot be made or written
  };
  // Opens the ledger in workdir for a batch with identity; resume: --resume was given. seeds is
  // the text of the "seeds" line.
  Opened Open(const std::filesystem::path& workdir, const BatchIdentity& identity, bool resume,
              const std::string& seeds, std::string& message);

  // What an opened ledger says.
  std::size_t Committed() const { return committed_; }
  const std::vector<int>& ExitCodes() const { return exitCodes_; }  // of committed positions
  int CompleteExitCode() const { return completeExit_; }

  // Whether the first uncommitted station was being committed when the batch stopped.
  bool Interrupted() const;
  // Then cuts its files back and puts the table back. False with the message when a file cannot
  // be repaired. Repaired() counts the files it changed.
  bool RepairInterrupted(std::string& message);
  std::size_t Repaired() const { return repaired_; }

  // Before a station's commit: its position, the lengths of files (named relative to the working
  // folder), and the table's bytes when the commit may replace it. False with the reason when the
  // ledger cannot be written (the station is then not committed).
  bool Begin(std::size_t position, const std::vector<std::string>& files, bool keepTable,
             std::string& reason);
  // After it: its exit code, its seed and what it was.
  bool Done(std::size_t position, int exitCode, const std::optional<uint32_t>& seed,
            const std::string& station, std::string& reason);
  bool Complete(const std::string& summary, int exitCode, std::string& reason);
  // Removes a ledger that Open made afresh and nothing was committed under: the batch was refused
  // before its first commit.
  void DiscardFresh();

 private:
  bool Append(const std::string& line, bool sync, std::string& reason);
  bool OpenFile(std::string& message);
  bool ReadExisting(const BatchIdentity& identity, std::string& message);
  void TakeRecord(std::string_view line, std::string& id, std::string& command);
  bool StartFresh(const BatchIdentity& identity, const std::string& seeds, std::string& message);
  bool RestoreTable(std::string_view recorded, std::string& message);

  std::filesystem::path workdir_;
  int fd_ = -1;
  std::size_t committed_ = 0;
  std::vector<int> exitCodes_;
  int completeExit_ = 0;
  bool complete_ = false;
  bool sameBatch_ = false;
  bool busy_ = false;
  bool fresh_ = false;
  std::size_t repaired_ = 0;
  std::string started_;
  std::string lastBegin_;  // the fields of the begin line of the first uncommitted station
};

}  // namespace olive
