#pragma once
// The files that every run in a working directory shares and extends: the GIS files and their list
// "GisFilesList.txt", the summary table and the soil-water table. (The error log, also shared, is
// the run's ErrorSink.) The writers hand their rows to a SharedFiles sink rather than to the files:
//
//  - DirectSharedFiles (output/direct_shared_files.h) writes them at once, each change under the
//    file's lock, so that runs going on at the same time in one directory (several olive
//    processes, a cluster's job array) never lose or interleave rows, and each file gets its
//    header, and its line in the list, once;
//  - a journal (driver/journal.h) keeps them in memory, to be applied through a DirectSharedFiles
//    only once the run has completed (so that a run ended by bad input changes no shared file),
//    and in a batch in the order of the batch's station list.
#include <filesystem>
#include <string_view>

#include "soil/water.h"
#include "toolkit/error_sink.h"

namespace olive {

struct RunFiles;

// One row for a shared table file.
struct TableAppend {
  std::string_view name;    // the file's name in the working directory, as messages name it
  std::string_view header;  // the header line (with its line end), written first in a new file
  std::string_view row;     // the row (with its line end)
  bool listed = false;      // a new file's name goes to the list "GisFilesList.txt" (GIS files)
};

class SharedFiles {
 public:
  virtual ~SharedFiles() = default;

  // The start of a pass (INIT1): the list of GIS files is made when it is absent.
  virtual void OpenGisList(RunFiles& files) = 0;
  // Appends a row to a table file in workdir. A file that is new (absent or empty) gets the header
  // first and, when listed, its name in the list. Failures are reported to log and clear RunOk;
  // false then.
  virtual bool AppendRow(RunFiles& files, ErrorSink& log, const std::filesystem::path& workdir,
                         const TableAppend& row) = 0;
  // The soil-water table: the station's row at the start of a pass, and the recording of a new
  // station's row after a pass without output (see soil/soil_water_table.h).
  virtual void GetSoilWaterConditions(ErrorSink& log, std::string_view wxstation, WaterState& w,
                                      bool& SoilWaterOk, const std::filesystem::path& workdir) = 0;
  virtual bool GenerateSoilwater(ErrorSink& log, std::string_view wxstation, const WaterState& w,
                                 const std::filesystem::path& workdir) = 0;
};

}  // namespace olive
