#pragma once
// The per-station soil-water lookup table "lut/OliveSoilWater.txt" under the working directory,
// shared by all runs there and extended from run to run. A run whose station has no row makes a
// first pass without output; its bucket content at the end is then recorded here so that the
// repeated pass (and every later run of that station) starts from it.
//
// Format: a title line, a header line, then one row per line: the station key (every character
// up to the first TAB), a TAB, and three numbers separated by white space (soil water, maximum
// soil water, permanent wilting point, in table units: the bucket holds 0.05 times these).
// Written with single TABs and 2 decimals. Lookups take the first row whose key matches.
//
// The text functions work on the table in memory; GetSoilWaterConditions and GenerateSoilwater
// are the thin edge that reads and rewrites the file. Runs in one working directory may go on at
// the same time: GenerateSoilwater re-reads, extends and replaces the table under its lock, so that
// no run's row is lost, and the table is always replaced whole (a new file renamed over the old),
// so that a reader sees either the old or the new table.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "soil/water.h"
#include "toolkit/error_sink.h"

namespace olive {

// One row of the table.
struct WaterRec {
  std::string wxloc;  // station key (the weather file's name)
  double sw = 0;      // soil water, table units
  double swmax = 0;   // maximum soil water (field capacity), table units
  double pwp = 0;     // permanent wilting point, table units

  bool operator==(const WaterRec&) const = default;
};

// The table's name in messages, and its folder and file under the working directory.
inline constexpr std::string_view kSoilWaterTableName = "lut\\OliveSoilWater.txt";
inline constexpr std::string_view kSoilWaterTableDir = "lut";
inline constexpr std::string_view kSoilWaterTableFile = "OliveSoilWater.txt";
// The two lines that precede the rows.
inline constexpr std::string_view kSoilWaterTitle =
    "Soil water conditions for each weather station location.";
inline constexpr std::string_view kSoilWaterHeader =
    "Station\tSoilWater\tSoilWaterMax\tPermanentWiltingPoint";

// Finds the first row of the table text whose key equals wxstation exactly (case-sensitive, no
// trimming) and stops there. found tells whether the station has a row. Returns false after
// reporting the file and line when a row before the match is malformed.
bool FindSoilWaterRow(ErrorSink& log, std::string_view text, std::string_view wxstation,
                      WaterRec& row, bool& found);

// Reads every row of the table text into WatArray (cleared first), in file order, without a
// limit on their number. Returns false after reporting the file and line of a malformed row.
bool ParseSoilWaterTable(ErrorSink& log, std::string_view text, std::vector<WaterRec>& WatArray);

// Drops the rows at the end of the table whose sw is 0 or less, then appends row (also when its
// station is already in the table: lookups take the first match).
void AppendSoilWaterRow(std::vector<WaterRec>& WatArray, WaterRec row);

// The run's row: the station with the bucket content converted to table units (soilw / 0.05, so
// that waterinit of a later run restores the same bucket) and the run's SoilwMaxIn and pwpin.
WaterRec StationRow(std::string_view wxstation, const WaterState& w);

// The whole table as written: title, header, and one line per row with 2-decimal numbers.
std::string FormatSoilWaterTable(const std::vector<WaterRec>& WatArray);

// Path of the table under a working directory.
std::filesystem::path SoilWaterTablePath(const std::filesystem::path& workdir);

// How the table file could be read.
enum class TableReadStatus : uint8_t { Ok, CannotOpen, ReadFailed };

// The table as read from the file.
struct SoilWaterText {
  TableReadStatus status = TableReadStatus::Ok;
  std::string text;
};

// Reads the table under workdir.
SoilWaterText ReadSoilWaterTable(const std::filesystem::path& workdir);

// What looking a station up in a table finds: the messages the lookup reports, whether the run
// can go on, and the station's row when it has one.
struct SoilWaterLookup {
  std::vector<std::string> messages;
  bool ok = true;      // false: the table could not be read or is malformed; the run ends
  bool found = false;  // the station has a row
  WaterRec row;        // its first row, when found

  bool operator==(const SoilWaterLookup&) const = default;
};

// Looks wxstation up in a table read from the file.
SoilWaterLookup LookUpStation(const SoilWaterText& table, std::string_view wxstation);

// Reports a lookup's messages to log and does what GetSoilWaterConditions does with its result.
void ApplySoilWaterLookup(ErrorSink& log, const SoilWaterLookup& lookup, WaterState& w,
                          bool& SoilWaterOk);

// The largest value of the table, in table units: the bucket would hold 0.05 times it, 50 m of
// water, more than any soil.
inline constexpr double kMaxSoilWaterValue = 1e6;

// Whether row may go into the table: every value finite and within its physical range, 0 <=
// permanent wilting point <= maximum soil water <= kMaxSoilWaterValue and 0 <= soil water <= the
// maximum (a value the bucket cannot hold would make every later run of the station, and every
// reader of the table, go wrong). Otherwise reports which value is out of range and clears
// log.RunOk.
bool StationRowFits(ErrorSink& log, const WaterRec& row);

// The text that GenerateSoilwater writes: the table as it is, byte for byte (the other rows are
// not reformatted), less the rows without soil water (sw 0 or less) and blank lines at its end,
// with row appended as one line (2 decimals, TABs). Returns false, after reporting why the row was
// not recorded and clearing log.RunOk, when the table could not be read or is malformed, when the
// station key could not be read back or when the row does not fit (StationRowFits).
bool SoilWaterTableWithRow(ErrorSink& log, const SoilWaterText& table, const WaterRec& row,
                           std::string& newText);

// How recording a station's row went.
enum class TableRecording : uint8_t {
  Recorded,
  Refused,      // the table is unreadable or malformed, or the row does not fit: reported
  WriteFailed,  // the new table could not be written; the old one is left whole: reported
};

// Records row in the table under workdir, whose contents the caller read (and whose lock it
// holds): SoilWaterTableWithRow, then the replacement of the file. Failures are reported and clear
// log.RunOk.
TableRecording RecordSoilWaterRow(ErrorSink& log, const std::filesystem::path& workdir,
                                  const SoilWaterText& table, const WaterRec& row);

// Looks wxstation up in the table under workdir. When found, sets w.SoilwIn, w.SoilwMaxIn and
// w.pwpin from its row; SoilWaterOk := found. A table that cannot be opened or read is reported
// ("Error opening lut\OliveSoilWater.txt"), clears log.RunOk and leaves SoilWaterOk unchanged.
void GetSoilWaterConditions(ErrorSink& log, std::string_view wxstation, WaterState& w,
                            bool& SoilWaterOk, const std::filesystem::path& workdir = ".");

// Appends the run's row (StationRow) to the table under workdir and rewrites it, keeping every
// row already there; the table is re-read and replaced under its lock (RecordSoilWaterRow).
// Returns false, after reporting and clearing log.RunOk, when the table cannot be read, is
// malformed or cannot be rewritten, or when the row does not fit; the table on disk is then left
// as it was.
bool GenerateSoilwater(ErrorSink& log, std::string_view wxstation, const WaterState& w,
                       const std::filesystem::path& workdir = ".");

}  // namespace olive
