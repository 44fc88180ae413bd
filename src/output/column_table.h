#pragma once
// Column tables of the GIS files and of the summary table. Each column is declared once: the
// header text and, for each of the three sources of a row (harvest snapshot, period sums, values
// of the output day), the value it reads and its number format. The header and every row are
// generated from that one table, so names and values cannot drift apart. The organism columns,
// which both tables report from the same state, are declared once for both (OrganismGroups).
// Every column also says what it means and in which unit (ColumnInfo, output/column_info.h).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "output/column_info.h"
#include "output/number_format.h"

namespace olive {

struct Simulation;
struct Inputs;

// Which values a row reports.
enum class RowSource : uint8_t {
  Harvest,  // the harvest snapshot (a harvest since the last output date)
  Sums,     // the period sums (GIS output interval 365)
  Current,  // the values of the output day
};

// The text fields of a row.
enum class TextField : uint8_t { None, Model, Date, Time, WxFile };

// Texts that do not come from the model's state: the computer's date and time of writing.
struct RowTexts {
  std::string_view date;
  std::string_view time;
};

// The model name written in the first column of every GIS and summary row.
inline constexpr std::string_view kRowModelName = "VudadIDE";

// One source of a column: the value it reads and its format.
struct ColumnCell {
  double (*value)(const Simulation&) = nullptr;
  NumberFormat format{};
};

// One column: its header text, and either a text field or a value for each source.
struct OutputColumn {
  std::string_view name;
  TextField text = TextField::None;
  ColumnCell harvest, sums, current;
  ColumnInfo info{};

  const ColumnCell& Cell(RowSource source) const {
    return source == RowSource::Harvest ? harvest : source == RowSource::Sums ? sums : current;
  }
};

using ValueOf = double (*)(const Simulation&);

// A text column.
constexpr OutputColumn TextColumn(std::string_view name, TextField field, const ColumnInfo& info) {
  return {name, field, {}, {}, {}, info};
}
// A column with one source for every kind of row.
constexpr OutputColumn OneSource(std::string_view name, ValueOf value, NumberFormat f,
                                 const ColumnInfo& info) {
  return {name, TextField::None, {value, f}, {value, f}, {value, f}, info};
}
// A column whose harvest rows read the snapshot and whose other rows read the output day.
constexpr OutputColumn CurrentOrHarvest(std::string_view name, ValueOf current, ValueOf harvest,
                                        NumberFormat f, const ColumnInfo& info) {
  return {name, TextField::None, {harvest, f}, {current, f}, {current, f}, info};
}
// A column with its three sources in the order harvest snapshot, period sums, output day, the
// harvest-snapshot rows in their own format.
constexpr OutputColumn ThreeSources(std::string_view name, ValueOf harvest,
                                    NumberFormat harvestFormat, ValueOf sums, ValueOf current,
                                    NumberFormat f, const ColumnInfo& info) {
  return {name, TextField::None, {harvest, harvestFormat}, {sums, f}, {current, f}, info};
}

// A column's value: an expression of the run's state `sim`, read as a real.
#define OLIVE_COLUMN_VALUE(expr) \
  [](const Simulation& sim) -> double { return static_cast<double>(expr); }

// A group of columns and the switches under which it takes part in a file. Its subgroups follow
// its own columns, each behind its own switch as well.
struct ColumnGroup {
  std::string_view title;  // what the group reports
  std::string_view when;   // the setup switches under which it is written, as the dictionary says
  bool (*present)(const Inputs&);
  std::span<const OutputColumn> columns;
  std::span<const ColumnGroup> subgroups{};
};

// The tables that write the organism columns.
enum class ColumnTable : uint8_t { Gis, Summary };

// The organism groups in file order, each behind its switch: spider mites and their predators,
// sharpshooter, olive scale and its two parasitoids, oleander scale and its two parasitoids,
// coccinellid, olive fly. Both tables report the same state, each under its own column names and
// number formats.
std::span<const ColumnGroup> OrganismGroups(ColumnTable table);

// The column names of the groups present under these switches, TAB-separated, without a line
// end.
void AppendHeader(std::string& out, std::span<const ColumnGroup> groups, const Inputs& in);
// One row of the groups present under the run's switches, TAB-separated, without a line end.
void AppendRow(std::string& out, std::span<const ColumnGroup> groups, const Simulation& sim,
               RowSource source, const RowTexts& texts);
// Number of columns present under these switches.
int ColumnCount(std::span<const ColumnGroup> groups, const Inputs& in);

}  // namespace olive
