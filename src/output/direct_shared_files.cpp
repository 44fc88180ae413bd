#include "output/direct_shared_files.h"

#include <string>

#include "io/file_lock.h"
#include "output/writer_context.h"
#include "soil/soil_water_table.h"
#include "state/run_files.h"

namespace olive {
namespace {

// Adds the name of a newly created GIS file to the list of GIS files: through the run's list,
// opened at the start of the pass, or directly when the run ended before it opened the list (the
// end-of-run row). Each name is one whole line written under the list's lock.
bool ListGisFile(RunFiles& files, ErrorSink& log, const std::filesystem::path& workdir,
                 std::string_view name) {
  std::string line(name);
  line.append(kTableLineEnd);
  OutputFile& list = files.gisfilesListfile;
  if (list.IsOpen()) {
    {
      const FileLock lock(list.Descriptor());
      list.Write(line);
      list.Flush();
    }
    return CheckOutput(files, list, log);
  }
  if (list.Error() != 0) {
    // The start of the pass could not open the list: say so rather than lose the name.
    ReportFileFailure(log, "Can not open: ", kGisFilesListName, list.Error());
    files.WriteFailed = true;
    return false;
  }
  LockedAppendFile direct;
  if (!direct.Open(workdir / kGisFilesListName)) {
    ReportFileFailure(log, "Can not open: ", kGisFilesListName, direct.Error());
    files.WriteFailed = true;
    return false;
  }
  direct.Write(line);
  if (!direct.Close()) {
    ReportFileFailure(log, "Can not write: ", kGisFilesListName, direct.Error());
    files.WriteFailed = true;
    return false;
  }
  return true;
}

}  // namespace

void DirectSharedFiles::OpenGisList(RunFiles& files) {
  // A list that cannot be opened stays closed; the first name to be listed reports it.
  files.gisfilesListfile.Append((files.workdir / kGisFilesListName).string());
}

bool DirectSharedFiles::AppendRow(RunFiles& files, ErrorSink& log,
                                  const std::filesystem::path& workdir, const TableAppend& row) {
  LockedAppendFile f;
  if (!f.Open(workdir / row.name)) {
    ReportFileFailure(log, "Can not open: ", row.name, f.Error());
    return false;
  }
  // New or not is decided under the lock: of runs that reach a new file at the same moment, the
  // first to hold the lock writes the header and lists the file, the others find it written.
  const bool created = f.Empty();
  std::string text;
  if (created) text.append(row.header);
  text.append(row.row);
  const bool written = f.Write(text);
  bool listed = true;
  if (written && created && row.listed) listed = ListGisFile(files, log, workdir, row.name);
  if (!f.Close() || !written) {
    ReportFileFailure(log, "Can not write: ", row.name, f.Error());
    return false;
  }
  return listed;
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
