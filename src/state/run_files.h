#pragma once
// The output files that the driver opens and closes: the daily file and the console; and the sink
// through which the run changes the files that it shares with every run in its working directory.
// A failed write on any of them ends the run with a message in the error log and a non-zero exit
// code.
#include <filesystem>

#include "io/output_file.h"
#include "state/shared_files.h"
#include "toolkit/error_sink.h"

namespace olive {

struct RunFiles {
  std::filesystem::path workdir = ".";  // where the run's output files are written
  OutputFile dailyfile;                 // "OliveDaily.txt"
  OutputFile console;                   // standard output: the console tables
  bool WriteFailed = false;             // an output file could not be written

  // Where the daily rows go: a file (dailyPath, or "OliveDaily.txt" in workdir when it is empty),
  // or, with dailyToFile false, nowhere; the Daily switch keeps its meaning for the model either
  // way.
  bool dailyToFile = true;
  std::filesystem::path dailyPath;

  // The shared files' sink (not owned): the files themselves (output/direct_shared_files.h), or a
  // journal that keeps the run's changes for later. Set before the run starts.
  SharedFiles* shared = nullptr;
  SharedFiles& Shared() { return *shared; }
  // The daily file's path.
  std::filesystem::path DailyPath() const;
};

inline constexpr const char* kDailyFileName = "OliveDaily.txt";
// The list of GIS files, written by the shared-files sink (output/direct_shared_files.h).
inline constexpr const char* kGisFilesListName = "GisFilesList.txt";

// When f has failed, reports "Can not write: <name> (<system message>)" once per failure,
// clears RunOk and sets WriteFailed. True when f is sound.
bool CheckOutput(RunFiles& files, OutputFile& f, ErrorSink& log);
// Flushes and closes f, then checks it as above.
bool CloseOutput(RunFiles& files, OutputFile& f, ErrorSink& log);
// Checks every output file of the run.
bool CheckAllOutputs(RunFiles& files, ErrorSink& log);

}  // namespace olive
