#include "state/run_files.h"

#include <cstring>
#include <string>

namespace olive {

std::filesystem::path RunFiles::DailyPath() const {
  return dailyPath.empty() ? workdir / kDailyFileName : dailyPath;
}

bool CheckOutput(RunFiles& files, OutputFile& f, ErrorSink& log) {
  if (!f.Failed()) return true;
  if (!f.FailureReported()) {
    ReportError(log, "Can not write: " + f.Name() + " (" + std::strerror(f.Error()) + ")");
    f.SetFailureReported();
  }
  files.WriteFailed = true;
  log.RunOk = false;
  return false;
}

bool CloseOutput(RunFiles& files, OutputFile& f, ErrorSink& log) {
  f.Close();
  return CheckOutput(files, f, log);
}

bool CheckAllOutputs(RunFiles& files, ErrorSink& log) {
  const bool daily = CheckOutput(files, files.dailyfile, log);
  const bool console = CheckOutput(files, files.console, log);
  return daily && console;
}

}  // namespace olive
