#pragma once
// The data dictionary of the output files: every column of the daily file, the GIS files and the
// summary table, with its meaning and unit, as the column tables declare them, grouped as the
// files group their columns. `olive --columns` prints it as Markdown; docs/columns.md is that text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/column_info.h"

namespace olive {

enum class OutputFileKind : uint8_t { Daily, Gis, Summary };

// One column of one file, with the group it belongs to.
struct DictionaryEntry {
  OutputFileKind file;
  std::string_view group;  // the group's title
  std::string_view when;   // the setup switches under which the group is written
  std::string_view name;
  ColumnInfo info;
};

// Every column of the three files in file order, whatever the switches (a run with every switch
// on writes them all).
std::vector<DictionaryEntry> DictionaryEntries();

// The dictionary as Markdown: the units, then one table per file, a row per column.
std::string ColumnDictionaryMarkdown();

}  // namespace olive
