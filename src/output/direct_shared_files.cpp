#include "output/direct_shared_files.h"

#include <algorithm>
#include <string>
#include <vector>

#include "io/file_lock.h"
#include "output/writer_context.h"
#include "soil/soil_water_table.h"
#include "state/run_files.h"

namespace olive {
namespace {

// The text without a line end at its end.
std::string_view WithoutLineEnd(std::string_view text) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  if (text.ends_with('\r')) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// The items of a that b does not have (as many times as a has them more often), comma-separated.
std::string OnlyIn(const std::vector<std::string_view>& a, std::vector<std::string_view> b) {
  std::string out;
  for (std::string_view item : a) {
    const auto match = std::find(b.begin(), b.end(), item);
    if (match != b.end()) {
      b.erase(match);
      continue;
    }
    if (!out.empty()) out.append(", ");
    out.append(item);
  }
  return out;
}

// Whether the list text has name as one of its lines.
bool Lists(std::string_view list, std::string_view name) {
  for (std::string_view line : SplitAt(list, '\n')) {
    if (WithoutLineEnd(line) == name) return true;
  }
  return false;
}

// Says that a half line left by a writer that was stopped was cut off the end of a file.
void ReportCutOff(ErrorSink& log, std::string_view name, const LockedAppendFile& f) {
  if (f.CutOff() == 0) return;
  ReportError(log, std::string(name) + " ended in an incomplete line of " +
                       std::to_string(f.CutOff()) +
                       " bytes (a run was stopped while writing it); it was removed");
}

// Adds the name of a new GIS file to the list of GIS files, unless a run that was stopped before
// it wrote the file's first row listed it already. One whole line, under the list's lock.
bool ListGisFile(ErrorSink& log, const std::filesystem::path& workdir, std::string_view name) {
  LockedAppendFile list;
  if (!list.Open(workdir / kGisFilesListName)) {
    ReportFileFailure(log, "Can not open: ", kGisFilesListName, list.Error());
    return false;
  }
  ReportCutOff(log, kGisFilesListName, list);
  std::string line;
  if (!Lists(list.Contents(), name)) line.append(name).append(kTableLineEnd);
  const bool written = list.Write(line);
  if (!list.Close() || !written) {
    ReportFileFailure(log, "Can not write: ", kGisFilesListName, list.Error());
    return false;
  }
  return true;
}

}  // namespace

std::string HeaderMismatch(std::string_view name, std::string_view fileHeader,
                           std::string_view runHeader) {
  fileHeader = WithoutLineEnd(fileHeader);
  runHeader = WithoutLineEnd(runHeader);
  if (fileHeader == runHeader) return std::string();
  const std::vector<std::string_view> file = SplitAt(fileHeader, '\t');
  const std::vector<std::string_view> run = SplitAt(runHeader, '\t');
  const std::string onlyFile = OnlyIn(file, run);
  const std::string onlyRun = OnlyIn(run, file);
  std::string message =
      "Can not append to " + std::string(name) + ": its header has other columns than this run (";
  if (onlyFile.empty() && onlyRun.empty()) {
    message.append("the same columns in another order");
  } else {
    message.append("only in the file: ").append(onlyFile.empty() ? "none" : onlyFile);
    message.append("; only in this run: ").append(onlyRun.empty() ? "none" : onlyRun);
  }
  message.append(")");
  return message;
}

bool HeaderFits(ErrorSink& log, const std::filesystem::path& workdir, std::string_view name,
                std::string_view runHeader) {
  std::string line;
  // A file that cannot be read is reported when its row is written.
  if (ReadFirstLine(workdir / name, line) != FirstLineStatus::Line) return true;
  const std::string mismatch = HeaderMismatch(name, line, runHeader);
  if (mismatch.empty()) return true;
  ReportError(log, mismatch);
  log.RunOk = false;
  return false;
}

void DirectSharedFiles::OpenGisList(RunFiles& files) {
  // The list exists from the first pass on; one that cannot be made is reported when the first
  // name is to be listed.
  LockedAppendFile list;
  list.Open(files.workdir / kGisFilesListName);
}

AppendOutcome DirectSharedFiles::Append(ErrorSink& log, const std::filesystem::path& workdir,
                                        const TableAppend& row) {
  LockedAppendFile f;
  if (!f.Open(workdir / row.name)) {
    ReportFileFailure(log, "Can not open: ", row.name, f.Error());
    return AppendOutcome::Failed;
  }
  ReportCutOff(log, row.name, f);
  // New or not is decided under the lock: of runs that reach a new file at the same moment, the
  // first to hold the lock writes the header and lists the file, the others find it written.
  const bool created = f.Empty();
  std::string header;
  if (!created && f.FirstLine(header)) {
    const std::string mismatch = HeaderMismatch(row.name, header, row.header);
    if (!mismatch.empty()) {
      ReportError(log, mismatch);
      log.RunOk = false;
      return AppendOutcome::Refused;
    }
  }
  // Listed before its first row: a run stopped at any point leaves no rows in an unlisted file.
  if (created && row.listed && !ListGisFile(log, workdir, row.name)) return AppendOutcome::Failed;
  std::string text;
  if (created) text.append(row.header);
  text.append(row.row);
  const bool written = f.Write(text);
  if (!f.Close() || !written) {
    ReportFileFailure(log, "Can not write: ", row.name, f.Error());
    return AppendOutcome::Failed;
  }
  return AppendOutcome::Written;
}

bool DirectSharedFiles::AppendRow(RunFiles&, ErrorSink& log, const std::filesystem::path& workdir,
                                  const TableAppend& row) {
  return Append(log, workdir, row) == AppendOutcome::Written;
}

void DirectSharedFiles::GetSoilWaterConditions(ErrorSink& log, std::string_view wxstation,
                                               WaterState& w, bool& SoilWaterOk,
                                               const std::filesystem::path& workdir) {
  olive::GetSoilWaterConditions(log, wxstation, w, SoilWaterOk, workdir);
}

bool DirectSharedFiles::GenerateSoilwater(ErrorSink& log, std::string_view wxstation,
                                          const WaterState& w,
                                          const std::filesystem::path& workdir) {
  return olive::GenerateSoilwater(log, wxstation, w, workdir);
}

}  // namespace olive
