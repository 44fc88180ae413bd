#pragma once
// The GIS output of a gridded batch as one file on the input's grid (olive-batch --netcdf-out):
// the committer hands it each committed station run's GIS rows, as the GIS files received them,
// and it writes every numeric column as a variable over the output dates, the warming scenarios
// and the cells. The NetCDF writer (wxsource/netcdf_writer.h) is the one kind there is; olive-batch
// sees it through this interface, so that it does not depend on the NetCDF library.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/error_sink.h"

namespace olive {

// What the output records of its batch.
struct GridOutputInfo {
  std::string program;                                     // "olive-batch 1.0.0"
  std::string command;                                     // olive-batch's command line
  std::string setupFile;                                   // the setup file's name
  int32_t startMonth = 1, startDay = 1, startYear = 2000;  // the run's first day
  int32_t GisOutputInterval = 365;    // 365: the organisms' columns are yearly sums
  std::vector<float> TempIncrements;  // the scenarios; empty: one, the setup's own
};

class GridWriter {
 public:
  virtual ~GridWriter() = default;
  // One GIS row of a committed station run: its scenario (from 0), its cell (row-major, from 0),
  // the GIS file's name ("OUT00003.txt"), the file's header line and the row, as written.
  virtual void AddRow(std::size_t scenario, std::size_t cell, std::string_view file,
                      std::string_view header, std::string_view row) = 0;
  // Writes the file whole (under a temporary name, renamed at the end). False, reported, when it
  // cannot be written; nothing is left then.
  virtual bool Finish(ErrorSink& log) = 0;
};

}  // namespace olive
