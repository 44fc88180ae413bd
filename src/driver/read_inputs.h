#pragma once
// Reading of everything that parameterises a run: the nine command-line parameters
//   SETUP MONTH1 DAY1 YEAR1 MONTH2 DAY2 YEAR2 GIS_INTERVAL WEATHER_FILE
// and the setup file with its optional spray schedule.
//
// Setup file: 124 lines of three kinds, in a fixed order, then the spray schedule.
//   number line    one or more numbers, then free text to the end of the line (ignored);
//   switch line    the first character is the switch: "T" or "t" for true, "F" or "f" for false;
//   asterisk line  "*" in the first column; separates the sections and catches a file that is
//                  out of step with the reader.
// Spray schedule (when line 117 is true): a heading line, then one entry per line
//   month day year strength decay-days cost [text]
// ended by a line whose month is 0. An entry is kept only when a line follows it, and at most 29
// entries are kept.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/calendar_state.h"
#include "model/inputs.h"
#include "toolkit/error_sink.h"
#include "toolkit/random.h"

namespace olive {

// The input files of a run, by name: the disk for the executable, memory for the tests.
class InputFiles {
 public:
  virtual ~InputFiles() = default;
  // The whole contents of the file; nullopt when it cannot be opened for reading. An empty name
  // never opens (it is never taken as the console).
  virtual std::optional<std::string> Read(const std::string& name) const = 0;
  // True when the file can be opened for reading.
  virtual bool CanOpen(const std::string& name) const { return Read(name).has_value(); }
  // Why the file cannot be read when it exists ("not a regular file", "larger than 256 MiB"),
  // for a message; empty when it is absent or cannot be opened.
  virtual std::string Problem(const std::string& /*name*/) const { return std::string(); }
};

// Files of the file system, relative to the working directory, read whole (ReadWholeFile): a
// folder, a device, a pipe or an oversized file is refused, with its Problem.
class DiskFiles final : public InputFiles {
 public:
  std::optional<std::string> Read(const std::string& name) const override;
  bool CanOpen(const std::string& name) const override;
  std::string Problem(const std::string& name) const override;
};

// The longest run in days: the running day number is a 16-bit unsigned count.
inline constexpr int32_t kMaxRunDays = 65535;

// Reads the command-line parameters args (the program's arguments after its name; missing ones
// are empty and fail their checks) and the setup file into in, the run's dates into drv, and
// seeds rng. The first failure is reported and clears log.RunOk; nothing after a failing
// command-line parameter is read.
void ReadInputs(ErrorSink& log, std::span<const std::string> args, const InputFiles& files,
                Inputs& in, DriverState& drv, Rng& rng);

// Reads the command line's first eight parameters (the setup file, the dates and the GIS output
// interval) and the setup file as ReadInputs does, without a weather file: the check olive-batch
// makes once, before any of its stations runs.
void ReadSetupInputs(ErrorSink& log, std::span<const std::string> params, const InputFiles& files,
                     Inputs& in, DriverState& drv, Rng& rng);

// Reads the setup file's text (lines 1-124 and the spray schedule) into in, the sharpshooter's
// start day and month also into drv.dy and drv.mo, and seeds rng from RandSeed (from the clock
// when it is 0). in.SetupFileName names the file in messages; drv.modelStartDate must be set.
// Text where a number is needed ends the reading with one message naming the file, the line and
// the text found. Every value is checked against the range in which the model is defined; a
// value outside it is reported ("Setup file "NAME" line 7: delfol 0 is outside its range: 1 to
// 1000000000.") and clears log.RunOk, and the reading goes on, so that every bad line is
// reported. A switch line must begin with T, t, F or f.
void ReadSetup(ErrorSink& log, std::string_view text, Inputs& in, DriverState& drv, Rng& rng);

// The weather file's name without its directory (after the last "\" or "/").
std::string WxStationName(std::string_view WxFilename);

}  // namespace olive
