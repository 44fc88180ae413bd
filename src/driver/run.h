#pragma once
// One run of the simulator: one weather station from the start date to the end date of the
// command line. The run opens the error log, reads the command line and the setup file, makes one
// pass over the dates (two when the station is new to the soil-water table: a first pass without
// output records the station's soil water), and ends by closing its files.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace olive {

struct Simulation;
struct DriverState;
struct StationSeries;
struct Journal;
struct ErrorSink;
class SharedFiles;

// Process exit codes, the same for every executable.
inline constexpr int kExitOk = 0;        // the run (every station of a batch) ended normally
inline constexpr int kExitBadInput = 1;  // a run was ended early by bad input (an arcsine out of
                                         // its domain included)
inline constexpr int kExitErrorLogFailed = 2;  // the error log could not be opened or written
inline constexpr int kExitWriteFailed = 3;     // an output file could not be created or written
inline constexpr int kExitUsage = 64;          // a wrong command line

// The number of command-line parameters of a run.
inline constexpr std::size_t kRunParameterCount = 9;

// Runs the simulator with the command line's parameters (the program's arguments after its
// name). The error log, the output files and the soil-water table are in workdir; the setup and
// weather file names are taken as given. Returns the process's exit code.
int RunOlive(const std::vector<std::string>& args, const std::filesystem::path& workdir = ".");
int RunOlive(int argc, char** argv);
// The command line's description.
std::string OliveUsage();

// Where one run's output goes.
struct RunPlace {
  std::filesystem::path workdir = ".";  // the shared files and, by default, the daily file
  // The sink of the shared files; nullptr: the shared files themselves, changed only once the run
  // has completed (see RunStation).
  SharedFiles* shared = nullptr;
  bool dailyToFile = true;          // false: no daily file (Daily keeps its meaning for the model)
  std::filesystem::path dailyPath;  // empty: "OliveDaily.txt" in workdir
  std::FILE* console = stdout;      // the console tables; nullptr: none
  // The station's weather in memory (a cell of a gridded source), taken in place of the weather
  // file: the command line's weather file name is then the station's key, its name plus ".wx", and
  // the run is that of olive on the weather file olive-wx converts the series to, under that
  // name. nullptr: the weather file of the command line.
  const StationSeries* weather = nullptr;
  // A run without a sink in place (RunStation): receives the journal it applied to the files.
  Journal* applied = nullptr;
};

// How one run ended.
struct RunResult {
  int code = kExitOk;      // the exit code of olive for this run (the error log aside):
                           // kExitOk, kExitBadInput or kExitWriteFailed
  bool completed = false;  // inputs read, every day simulated, every write made
  bool seeded = false;     // the setup was read and seeded the random generator with seed
  uint32_t seed = 0;       // RandSeed, or the clock's seed when RandSeed is 0
};

// One run of one station (RunOlive without the error log's opening): reads the command line's
// parameters args and the setup file, replaces the setup's temperature adjustment wxcons[1] with
// TempIncr when given, and runs the passes with their output going to place. Messages go to log.
//
// Without a sink in place, the run's changes to the shared files are kept in a journal
// (driver/journal.h) and applied only when the run has completed: a run ended by bad input or a
// failed write changes no GIS file, list, summary table or soil-water table (its messages are in
// the error log). A file whose header has other columns than the run's is refused (exit code 1,
// nothing written); should the station's row in the soil-water table have changed while the run
// went on, the station is run again.
RunResult RunStation(ErrorSink& log, const std::vector<std::string>& args, const RunPlace& place,
                     std::optional<float> TempIncr = std::nullopt);

// The passes of a run whose inputs have been read: each pass looks the station up in the
// soil-water table, reads the weather, initialises the model and runs the days. A station missing
// from the table gets a pass without output, its table row, and a repeated pass with output.
// Returns the number of passes begun.
// weather: the station's series in memory in place of its weather file (see RunPlace).
int RunPasses(Simulation& sim, const StationSeries* weather = nullptr);

// The start of a pass: the station's soil water from the table, the weather of the pass (from
// weather when given, else from the weather file), the initial state and the first day's calendar.
// False when the run must end (RunOk cleared).
bool PreparePass(Simulation& sim, const DriverState& atInputs,
                 const StationSeries* weather = nullptr);

// Puts every part of the state that a pass changes back to where the inputs left it, so that a
// repeated pass starts exactly as the first: only the random sequence and the mite predators'
// latch GoPred carry over.
void StartPass(Simulation& sim, const DriverState& atInputs);

}  // namespace olive
