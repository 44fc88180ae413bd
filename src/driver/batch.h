#pragma once
// olive-batch: many weather stations, and warming scenarios, in one working directory, run in
// parallel on all cores, leaving the same files as one olive run per station in the list's order.
//
//   olive-batch [-j N] [--temp-increments T1,T2,...] [--daily DIR] [--progress] [--resume]
//               [--mpi | --shard K/N --journal-dir DIR]
//               SETUP MONTH1 DAY1 YEAR1 MONTH2 DAY2 YEAR2 GIS_INTERVAL WEATHER_FILE...
//   olive-batch merge --journal-dir DIR [--resume] [options as above] SETUP ... WEATHER_FILE...
//   olive-batch --netcdf [--prefix NAME] [--netcdf-out OUT.nc] [options] SETUP ... FILE.nc...
//
// A WEATHER_FILE "@LIST" stands for the names in the file LIST, one a line. With temperature
// increments, every station runs once per increment, scenario by scenario (all stations for the
// first increment, then all for the second, ...), the increment replacing the setup's temperature
// adjustment wxcons[1].
//
// How: each station's run is an ordinary run (its own Simulation, random generator and error
// sink) whose changes to the shared files go to an in-memory journal (driver/journal.h); the main
// thread commits the journals strictly in the list's order through the same writers and locks as
// olive. The one thing a run reads from the shared files is its station's soil-water row, which an
// earlier station of the list can write: a station whose key appears earlier in the list, and is
// not already in the table with soil water (such a row never changes), starts only once that
// earlier station is committed. Should the table at a station's turn still not give what its run
// found (another program changed it, or the row could not be recorded), the journal is dropped and
// the station is run again directly, at its place in the order.
//
// With --netcdf the stations are the cells of NetCDF files, read block after block of cells by a
// reader thread as the commits advance (batch_gridded.cpp) and run from memory; --netcdf-out
// writes the GIS rows' values as they are committed into a NetCDF file on the input's grid.
//
// Past one machine: with --mpi every rank of an MPI job runs stations (rank 0 hands them out one
// at a time, as ranks ask), the others send each finished journal to rank 0 (driver/
// journal_format.h), and rank 0 alone commits. With --shard K/N a process runs every N-th
// station from the K-th and leaves their journals as files; "merge" commits them. Whoever
// commits keeps a ledger (driver/batch_ledger.h), from which --resume completes a stopped batch.
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace olive {

struct ErrorSink;
class WxSeriesSource;
class GridWriter;
struct GridOutputInfo;

// Exit codes of olive-batch (2 and 3 as olive's).
inline constexpr int kBatchAllRan = 0;         // every station ran to its end date
inline constexpr int kBatchStationFailed = 1;  // a station stopped early: an input error, bad
                                               // weather or an arcsine out of its domain; or the
                                               // setup file or the dates are wrong (none ran)
inline constexpr int kBatchUsage = 64;         // olive-batch's own command line is wrong

struct BatchOptions {
  std::vector<std::string> params;        // SETUP and the seven numbers, as olive takes them
  std::vector<std::string> weatherFiles;  // the stations, in the list's order
  // --netcdf: the weather of every cell comes from these NetCDF files (the WEATHER_FILE arguments),
  // and the stations are the cells, named as olive-wx names them (with prefix, when not empty).
  bool netcdf = false;
  std::vector<std::string> netcdfFiles;
  std::string prefix;
  std::optional<std::filesystem::path> netcdfOut;  // --netcdf-out: the GIS output as NetCDF
  std::vector<float> TempIncrements;               // the warming scenarios; empty: the setup's own
  unsigned jobs = 0;                               // stations run at once; 0: the hardware threads
  std::optional<std::filesystem::path> dailyDir;   // per-station daily files
  bool progress = false;                           // the progress bar also off a terminal
  bool help = false;
  bool resume = false;  // complete the batch of the working folder's ledger
  bool mpi = false;     // one rank of an MPI job
  bool merge = false;   // commit the journals of shards
  unsigned shard = 0;   // this process runs the stations shard, shard + shards, ... (from 1)
  unsigned shards = 0;  // 0: not a shard
  std::optional<std::filesystem::path> journalDir;  // the shards' journals
  // The arguments that say what the batch is (all but -j, --progress, --resume, --mpi, --shard,
  // --journal-dir and "merge", which say how it runs), for its identity.
  std::vector<std::string> definingArgs;
};

// The messages between the ranks of an MPI job, as olive-batch needs them; made by the
// executable over MPI (driver/batch_mpi.h) when it was built with MPI. Only the thread that
// made it calls it.
class RankLink {
 public:
  virtual ~RankLink() = default;
  virtual int Rank() const = 0;
  virtual int Size() const = 0;
  // Every rank's text, in rank order, at rank 0 (an empty list elsewhere); all ranks call it.
  virtual std::vector<std::string> Gather(const std::string& mine) = 0;
  // Rank 0's text at every rank; all ranks call it.
  virtual std::string Broadcast(const std::string& text) = 0;
  virtual void Send(int to, int tag, const std::string& bytes) = 0;
  // A message that has arrived, without waiting; false when there is none.
  virtual bool Receive(int& from, int& tag, std::string& bytes) = 0;
  // Ends every rank of the job at once with code.
  [[noreturn]] virtual void Abort(int code) = 0;
};

// What --netcdf and --netcdf-out need from the NetCDF library, which olive-batch links only when
// it was built with it: the executable fills it in; empty functions refuse the options.
struct GriddedIo {
  // Opens the NetCDF files of a gridded batch (cells named prefix_ROW_COLUMN, or after the file
  // when prefix is empty); nullptr after every problem was reported to log.
  std::function<std::unique_ptr<WxSeriesSource>(
      ErrorSink& log, const std::vector<std::string>& files, const std::string& prefix)>
      openWeather;
  // The writer of the NetCDF output path on the grid of source; nullptr after reporting why not.
  std::function<std::unique_ptr<GridWriter>(ErrorSink& log, const WxSeriesSource& source,
                                            const std::filesystem::path& path,
                                            const GridOutputInfo& info)>
      makeWriter;
};

// Reads olive-batch's arguments (after the program name); @LIST names are expanded. False with a
// message in error when they are wrong, a temperature increment outside the range of the setup's
// temperature adjustment and a weather file name with a TAB or a line end included.
bool ParseBatchArgs(std::span<const std::string> args, BatchOptions& options, std::string& error);
// The command line's description, for --help and errors.
std::string BatchUsage();

// The daily file of a station in a batch: "<station>_OliveDaily.txt", with the station's weather
// file name less its extension, and "_TempIncr<T>" (three decimals) before "_OliveDaily" in a
// warming scenario.
std::string BatchDailyFileName(const std::string& wxstation, std::optional<float> TempIncr);

// The progress line: a bar, the station runs done of the total, the elapsed time and the time
// left. With several warming scenarios (the runs being scenario by scenario), the stations done
// of the current scenario and the scenario: "5/12 stations, scenario 2/3".
std::string ProgressLine(std::size_t done, std::size_t total, double elapsedSeconds,
                         std::size_t scenarios = 1);

// The summary line that ends a batch on standard error: "olive-batch: 35 stations ran, 1
// failed, 0 skipped; 360.0 station-years in 2.9 s, 124.1 station-years/s". Station-years are
// those of the stations that ran, each the command line's dates.
std::string SummaryLine(std::string_view who, std::size_t ran, std::size_t failed,
                        std::size_t skipped, double stationYears, double seconds);

// Where the batch reports its progress: a one-line bar redrawn in place on out, when enabled.
struct ProgressTarget {
  std::FILE* out = stderr;
  bool enabled = false;
};

// Runs the batch in workdir (the setup and weather names are taken as given). The setup file and
// the dates are read once first, without a station: when they are wrong, their messages go to the
// error log once and no station runs. Returns the exit code: kBatchAllRan, kBatchStationFailed,
// kExitErrorLogFailed or kExitWriteFailed (the worst).
// With --netcdf the cells of the NetCDF files are opened first (gridded: how); a problem with them
// is reported and no station runs (exit code 1).
int RunBatch(const BatchOptions& options, const std::filesystem::path& workdir = ".",
             ProgressTarget progress = {}, RankLink* ranks = nullptr,
             const GriddedIo* gridded = nullptr);

// Whether the arguments ask for an MPI batch (--mpi before any "--"): the executable then starts
// MPI before anything else.
bool AsksForMpi(std::span<const std::string> args);

// The olive-batch executable, with its arguments after the program's name; ranks: MPI, when the
// executable was built with it and --mpi was given (--mpi without it is a wrong command line);
// gridded: the NetCDF input and output, when the executable was built with the NetCDF library
// (--netcdf without it is a wrong command line).
int RunOliveBatch(const std::vector<std::string>& args, RankLink* ranks = nullptr,
                  const GriddedIo* gridded = nullptr);

}  // namespace olive
