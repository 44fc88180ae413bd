#pragma once
// GIS output files. Every GIS output date of a pass has its own file, numbered by the date's
// position in the pass; a run for another station appends its row to the same numbered file, so
// that the runs over a region together give one table per date. The first output date of a pass
// writes nothing. At the end of a run (naming scheme 1) one more row goes into "OUT00end.txt".
// Each GIS file gets its header when it is created, and its name is added to the list file
// "GisFilesList.txt" (before its first row); an existing file gets rows only. Each row goes to
// the run's shared-files sink (state/shared_files.h): a journal that is applied once the run has
// completed, or the files themselves, where each row is written whole and under the file's lock,
// also when many runs share the files.
//
// Row forms: the common part (weather file, place, dates, the tree's degree-days, fruit and bloom)
// reports the output day, or the harvest snapshot when a harvest happened since the last output
// date; the groups of the organisms in the run report the harvest snapshot, the period sums (GIS
// output interval 365: yearly sums) or the values of the output day.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "output/column_table.h"
#include "output/writer_context.h"
#include "toolkit/error_sink.h"

namespace olive {

struct Simulation;
struct Inputs;

// Largest GIS file number that the five-digit file names hold.
inline constexpr uint32_t kMaxGisFileIndex = 99999;
inline constexpr std::string_view kGisEndFileName = "OUT00end.txt";

// The GIS file of the current output date, between OpenGisFile and GisOutput.
struct GisFile {
  bool due = false;  // a row is to be written (not on the first output date of a pass)
  bool ok = true;    // false once naming the file, writing it or adding it to the list failed
};

// Upper bound of the GIS output dates of a pass of ndays days: ndays / interval, or with interval
// 365 (day of year 365 of every year) ndays / 365 + 1. 0 for an interval of 0 or less.
uint32_t GisOutputDateCount(uint32_t ndays, int32_t GisOutputInterval);
// Refuses, at the start of a pass, more output dates than the GIS file names can number: reports
// the count, clears RunOk and returns false.
bool GisOutputDatesFit(ErrorSink& log, uint32_t ndays, int32_t GisOutputInterval);

// The periodic file name of GIS output date n: scheme 1 "OUT" + n + ".txt"; scheme 2 modelName +
// "_" + date ("ddmmmyy") + "_" + n + ".txt"; n in five digits with leading zeros. Empty for any
// other scheme.
std::string GisPeriodicName(uint8_t GisOutputTarget, std::string_view modelName, uint32_t n,
                            std::string_view date);

// The columns of the GIS files.
std::span<const ColumnGroup> GisColumnGroups();
// Which values the next GIS row reports.
RowSource GisRowSource(const Simulation& sim);

// Advances GisFileIndex and forms GisFilename; f is then due for a row (not on the first output
// date of a pass, unless for the end-of-run row). A GisOutputTarget without a naming scheme, or
// more output dates than the names can number, is reported to the error log and clears RunOk;
// false then.
bool OpenGisFile(GisFile& f, Simulation& sim, const WriterContext& ctx, std::string_view modelName);
// Appends the header line (column names and line end) for the run's switches.
void GisHeaders(std::string& out, const Inputs& in);
// Appends one row to the GIS file through the run's shared-files sink. A file that is new (absent
// or empty) gets the header first, and its name goes to the list "GisFilesList.txt". False when
// the file or the list could not be opened or written, or when the file's header has other
// columns than the run's (reported to the error log, RunOk cleared); the driver then ends the run
// with a non-zero exit code.
bool GisOutput(GisFile& f, Simulation& sim, const WriterContext& ctx);

// One GIS output date, as the driver calls it: OpenGisFile, then GisOutput.
bool WriteGisRow(Simulation& sim, const WriterContext& ctx, std::string_view modelName);

}  // namespace olive
