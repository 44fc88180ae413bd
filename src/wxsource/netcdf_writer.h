#pragma once
// The GIS output of a gridded batch as a CF NetCDF file on the grid of its input (olive-batch
// --netcdf-out). Every numeric GIS column is a float variable (time, temp_incr, the input's
// spatial dimensions): time the GIS output dates (days since the run's first day; the calendar is
// "standard", which is the model's from 1583 to 2099 but for 1700, 1800 and 1900, or "julian",
// whose leap years are the model's, for dates that cross such a year), temp_incr the warming
// scenarios (K), _FillValue where a cell has no row (sea, a station whose run failed). The input's
// coordinate variables, latitude and longitude, grid mapping and station names are copied; the
// units come from the data dictionary (output/cf_units.h), its meaning is the long_name. The
// end-of-run file (OUT00end.txt) is not an output date and is left out; the text columns (Model,
// Date, Time, WxFile) are not variables.
//
// The values are kept in memory until the batch ends (4 bytes per column, output date, scenario
// and cell), then written under a temporary name and renamed: a batch that fails leaves no file.
#include <filesystem>
#include <memory>

#include "output/grid_writer.h"
#include "toolkit/error_sink.h"
#include "wxsource/netcdf_source.h"

namespace olive {

// The writer of path on source's grid; nullptr, reported, when the grid's file cannot be read.
std::unique_ptr<GridWriter> MakeNetcdfGridWriter(ErrorSink& log, const NetcdfSource& source,
                                                 const std::filesystem::path& path,
                                                 const GridOutputInfo& info);

}  // namespace olive
