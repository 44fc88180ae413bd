#pragma once
// Daily weather from CF NetCDF files: observation grids, reanalyses, downscaled climate
// projections and station collections, usually one variable a file, a variable possibly split
// over several files along time.
//
// The variables are found by their CF standard_name and cell_methods or by their common names
// (wx_variables.h), their units converted from the units attribute, _FillValue, missing_value and
// values outside valid_min/valid_max made missing (-99), packed values unpacked. The cells are
// those of a grid (one- or two-dimensional lat and lon) or the stations of a station dimension
// (names from the variable whose cf_role is "timeseries_id"). The time axis is decoded from its
// units and calendar onto the model's calendar; a 29 February that the source's calendar lacks
// (every one of a noleap calendar, 2100's of a standard one) is the mean of 28 February and
// 1 March. A cell without a valid temperature on any day (sea) is left out.
//
// The data are read by blocks of cells, each block's series whole in memory and no more, so that
// grids far larger than the memory can be converted (or run) block after block.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/error_sink.h"
#include "wxsource/wx_series.h"

namespace olive {

struct NetcdfOptions {
  // Grid cells are named prefix_ROW_COLUMN; empty: the stem of the first file that holds the
  // maximum temperature.
  std::string prefix;
  // The memory one block of cells may take (its series and a read buffer), bytes.
  std::size_t blockBytes = std::size_t{64} << 20;
};

class NetcdfSource final : public WxSeriesSource {
 public:
  NetcdfSource();
  ~NetcdfSource() override;
  NetcdfSource(const NetcdfSource&) = delete;
  NetcdfSource& operator=(const NetcdfSource&) = delete;

  // Opens the files and checks what they hold: the variables and their units, the grid or the
  // stations and their coordinates, the time axes. Reports every problem (naming the file and
  // the variable) and the warnings (gaps in the time axes, days added to the calendar); false
  // after an error.
  bool Open(ErrorSink& log, const std::vector<std::string>& files, const NetcdfOptions& options);

  std::size_t CellCount() const;  // the cells of the grid, or the stations, sea included
  std::size_t Days() const;       // the days of every series
  std::size_t BlockCount() const override;
  // The cells' names (sea included), row by row: what olive-wx names their weather files after.
  const std::vector<std::string>& CellNames() const override;
  // Blocks are runs of whole rows of the grid, or of part of one row.
  std::size_t BlockFirstCell(std::size_t b) const override;
  std::size_t BlockCells(std::size_t b) const override;
  // Reads block b (0..BlockCount()-1): the series of its cells that have a valid temperature on
  // some day, in the order of the grid's rows and columns, into out (emptied first). False
  // (reported) when the library cannot read the data.
  bool ReadBlock(ErrorSink& log, std::size_t b, std::vector<StationSeries>& out) override;

  // The grid: the file and the variable (the first of the maximum temperature) whose dimensions,
  // coordinates and grid mapping the cells are those of.
  const std::string& GridFile() const;
  const std::string& GridVariable() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace olive
