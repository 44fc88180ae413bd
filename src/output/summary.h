#pragma once
// The summary table "OliveSummaries.txt": one TAB-separated row per GIS output date of every run
// in the working directory, so that many runs (stations, years, scenarios) accumulate in one table.
// A row names the run (weather file, place, GIS output sequence, dates), gives the tree's and every
// organism's results, ten 0/1 columns saying which organisms took part, and the precipitation
// summed since the last output date. The header is written only by the run that creates the file,
// for that run's switches.
//
// Each row reports one of three sources: the harvest snapshot when a harvest happened since the
// last output date; otherwise the period sums when the GIS output interval is 365 days; otherwise
// the values of the output day. The columns of the tree report the output day in a period-sum row.
#include <span>
#include <string>
#include <string_view>

#include "output/column_table.h"
#include "output/writer_context.h"

namespace olive {

struct Simulation;
struct Inputs;

inline constexpr std::string_view kSummaryFileName = "OliveSummaries.txt";

// The columns of the summary table.
std::span<const ColumnGroup> SummaryColumnGroups();
// Which values the next summary row reports.
RowSource SummaryRowSource(const Simulation& sim);
// Appends the header line (column names and line end) for the run's switches.
void SummaryHeader(std::string& out, const Inputs& in);

// Appends one row to the summary table through the run's shared-files sink, with the header first
// when the table is new (absent or empty); a row whose columns differ from the header of an
// existing table is refused. False when the table could not be opened or written, or the row was
// refused (reported to the error log, RunOk cleared); the driver then ends the run with a
// non-zero exit code. Called on each GIS output date when Summary is on, after the GIS row and
// before the period sums are cleared.
bool WriteSummary(Simulation& sim, const WriterContext& ctx);

}  // namespace olive
