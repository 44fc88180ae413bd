#pragma once
// The daily file "OliveDaily.txt" (a title line, a line of column names, one TAB-separated row per
// simulated day, CR LF line ends) and the console tables of the tree and of the spider mites.
//
// The columns come from one table of groups: each group has the condition under which it takes
// part in a run and its columns (name, value, format, and what the value means in which unit).
// The header and every row are generated from that table, so names and values always line up.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "io/output_file.h"
#include "output/column_info.h"
#include "output/number_format.h"

namespace olive {

struct Simulation;
struct Inputs;

// One column of the daily file.
struct DailyColumn {
  std::string_view name;
  double (*value)(const Simulation&);
  NumberFormat format;
  ColumnInfo info;
};

// A group of columns and the switches under which it is written.
struct DailyColumnGroup {
  std::string_view title;  // what the group reports
  std::string_view when;   // the setup switches under which it is written, as the dictionary says
  bool (*present)(const Inputs&);
  std::span<const DailyColumn> columns;
};

// The column groups in file order.
std::span<const DailyColumnGroup> DailyColumnGroups();
// Number of columns of a run with these switches.
int DailyColumnCount(const Inputs& in);

// Title line: "Olive Model ", the date and time text, one blank, the weather file name; then the
// line of column names. Both end with CR LF.
void WriteDailyHeader(OutputFile& dailyfile, const Inputs& in, std::string_view dateTime);
// Appends today's row when the daily file is on (sets prcntatkd first).
void OUTPUT(Simulation& sim);
// Today's line of the tree's console table, with its heading on day of year 1 and every 20th
// day, when the console tables are on.
void DM_OUTPUT(const Simulation& sim, OutputFile& console);

// One line of the spider-mite console table.
struct MiteTableRow {
  uint16_t modelday = 0;  // running day of the pass (decides the heading)
  uint8_t dy = 0, mo = 0;
  double gddA = 0;  // mite degree-day total
  double sdmean = 0;
  double winterEggs = 0, MiteEggs = 0, juveniles = 0, MiteAdults = 0, mobiles = 0, mitedays = 0;
};
// The spider mites' console line, with its heading on pass day 1 and every 20th pass day.
void MiteOutput(OutputFile& console, bool outscreen, const MiteTableRow& row);

}  // namespace olive
