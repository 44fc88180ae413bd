#pragma once
// olive-batch: many weather stations, and warming scenarios, in one working directory, run in
// parallel on all cores, leaving the same files as one olive run per station in the list's order.
//
//   olive-batch [-j N] [--temp-increments T1,T2,...] [--daily DIR] [--progress]
//               SETUP MONTH1 DAY1 YEAR1 MONTH2 DAY2 YEAR2 GIS_INTERVAL WEATHER_FILE...
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
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace olive {

// Exit codes of olive-batch (2 and 3 as olive's).
inline constexpr int kBatchAllRan = 0;         // every station ran to its end date
inline constexpr int kBatchStationFailed = 1;  // a station stopped early: an input error, bad
                                               // weather or an arcsine out of its domain; or the
                                               // setup file or the dates are wrong (none ran)
inline constexpr int kBatchUsage = 64;         // olive-batch's own command line is wrong

struct BatchOptions {
  std::vector<std::string> params;        // SETUP and the seven numbers, as olive takes them
  std::vector<std::string> weatherFiles;  // the stations, in the list's order
  std::vector<float> TempIncrements;      // the warming scenarios; empty: the setup's own
  unsigned jobs = 0;                      // stations run at once; 0: the hardware threads
  std::optional<std::filesystem::path> dailyDir;  // per-station daily files
  bool progress = false;                          // the progress bar also off a terminal
  bool help = false;
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

// The progress line: a bar, the stations done of the total, the elapsed time and the time left.
std::string ProgressLine(std::size_t done, std::size_t total, double elapsedSeconds);

// Where the batch reports its progress: a one-line bar redrawn in place on out, when enabled.
struct ProgressTarget {
  std::FILE* out = stderr;
  bool enabled = false;
};

// Runs the batch in workdir (the setup and weather names are taken as given). The setup file and
// the dates are read once first, without a station: when they are wrong, their messages go to the
// error log once and no station runs. Returns the exit code: kBatchAllRan, kBatchStationFailed,
// kExitErrorLogFailed or kExitWriteFailed (the worst).
int RunBatch(const BatchOptions& options, const std::filesystem::path& workdir = ".",
             ProgressTarget progress = {});

// The olive-batch executable.
int RunOliveBatch(int argc, char** argv);

}  // namespace olive
