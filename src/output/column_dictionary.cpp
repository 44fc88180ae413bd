#include "output/column_dictionary.h"

#include <span>

#include "output/daily_output.h"
#include "output/gis_output.h"
#include "output/summary.h"

namespace olive {
namespace {

void AddGroups(std::vector<DictionaryEntry>& out, OutputFileKind file,
               std::span<const ColumnGroup> groups) {
  for (const ColumnGroup& g : groups) {
    for (const OutputColumn& c : g.columns) out.push_back({file, g.title, g.when, c.name, c.info});
    AddGroups(out, file, g.subgroups);
  }
}

std::string_view FileLabel(OutputFileKind file) {
  switch (file) {
    case OutputFileKind::Daily:
      return "daily";
    case OutputFileKind::Gis:
      return "GIS";
    case OutputFileKind::Summary:
      return "summary";
  }
  return "";
}

constexpr std::string_view kPreamble =
    "# Columns of olive's output files\n"
    "\n"
    "<!-- Printed by `olive --columns` from the column tables in src/output; a test checks that\n"
    "this file is what it prints. Regenerate: build/olive --columns > docs/columns.md -->\n"
    "\n"
    "What every column of the daily file, the GIS files and the summary table means, and its\n"
    "unit. Each table lists a file's columns in the file's order, group by group; a group's\n"
    "first row says under which setup switches the file has it. The last column names the\n"
    "columns that report the same quantity under their own names.\n"
    "\n"
    "Units:\n"
    "\n"
    "- *per tree*: the model simulates one tree of the orchard; every amount is the tree's.\n"
    "- *mass units*: dry matter in the model's one mass unit of all plant pools (a new leaf\n"
    "  weighs 0.001 of them, a new fruit 0.01); *mass units of N*: nitrogen in the same unit.\n"
    "- *number per tree*: individuals (leaves, fruit, insects, mites) on or under the tree;\n"
    "  *number × days per tree*: daily numbers summed over the days of a period.\n"
    "- *degree-days above OliveBase*: the tree's degree-days above its base temperature\n"
    "  `OliveBase` (setup file); *below* a base: the degree-days of cold under it.\n"
    "- *chill units*: hourly chilling summed over the hours (1 for an hour at the optimum,\n"
    "  7.3 °C; less when warmer or colder; -0.56 for an hour above 21.6 °C).\n"
    "- *1*: a ratio from 0 to 1 (a supply/demand ratio is 1 when the day's supply met the\n"
    "  demand); *-*: a text, a flag or a calendar field.\n";

constexpr std::string_view kDailyIntro =
    "\n"
    "## Daily file: `OliveDaily.txt`\n"
    "\n"
    "With the setup switch `Daily` (and with `olive-batch`, only with `--daily DIR`): a title\n"
    "line, a line of column names, then one row per simulated day. Two names can occur twice:\n"
    "`frunum` with the olive fly, `adults` with the spider mites and the oleander scale.\n";

constexpr std::string_view kGisIntro =
    "\n"
    "## GIS files: `OUT00002.txt` ... `OUT00end.txt`, `Olive_*.txt`\n"
    "\n"
    "A line of column names, then one row per station and output date. A row reports the\n"
    "output day, except a *harvest row* (the tree was harvested since the last output date),\n"
    "which reports the tree at harvest. The organisms' columns hold the numbers of the output\n"
    "day, or their period sums (unit after Σ: the daily values summed since the last output\n"
    "date) in every row of a run with GIS interval 365 and, up to the harvest, in harvest rows.\n";

constexpr std::string_view kSummaryIntro =
    "\n"
    "## Summary table: `OliveSummaries.txt`\n"
    "\n"
    "With the setup switch `Summary`: a line of column names, written by the run that creates\n"
    "the table for its own switches, then one row per output date of every run. Rows report\n"
    "the output day, the harvest or the period sums as the GIS rows of the same date do.\n";

constexpr std::string_view kTableHead =
    "\n"
    "| column | meaning | unit | same quantity in |\n"
    "| --- | --- | --- | --- |\n";

// The other columns of the same quantity, each as file `name`, each name once.
std::string SameAs(const std::vector<DictionaryEntry>& all, const DictionaryEntry& e) {
  std::string out;
  if (e.info.quantity.empty()) return out;
  for (const DictionaryEntry& other : all) {
    if (&other == &e || other.info.quantity != e.info.quantity) continue;
    std::string item(FileLabel(other.file));
    item.append(" `").append(other.name).append("`");
    if (out.find(item) != std::string::npos) continue;
    if (!out.empty()) out.append(", ");
    out.append(item);
  }
  return out;
}

// One table row; wrap goes before and after the name ("**" for a group, "`" for a column).
void AppendRow(std::string& out, std::string_view wrap, std::string_view name,
               std::string_view meaning, std::string_view unit, std::string_view same) {
  out.append("| ").append(wrap).append(name).append(wrap).append(" | ");
  out.append(meaning).append(" | ").append(unit).append(" | ").append(same).append(" |\n");
}

void AppendTable(std::string& out, const std::vector<DictionaryEntry>& all, OutputFileKind file) {
  out.append(kTableHead);
  std::string_view group;
  std::string text;
  for (const DictionaryEntry& e : all) {
    if (e.file != file) continue;
    if (e.group != group) {
      group = e.group;
      text.assign(e.when == "always" ? "" : "with ").append(e.when);
      AppendRow(out, "**", e.group, text, "", "");
    }
    text.assign(e.info.unit);
    if (!e.info.sumUnit.empty()) text.append("; Σ ").append(e.info.sumUnit);
    AppendRow(out, "`", e.name, e.info.meaning, text, SameAs(all, e));
  }
}

}  // namespace

std::vector<DictionaryEntry> DictionaryEntries() {
  std::vector<DictionaryEntry> out;
  for (const DailyColumnGroup& g : DailyColumnGroups()) {
    for (const DailyColumn& c : g.columns) {
      out.push_back({OutputFileKind::Daily, g.title, g.when, c.name, c.info});
    }
  }
  AddGroups(out, OutputFileKind::Gis, GisColumnGroups());
  AddGroups(out, OutputFileKind::Summary, SummaryColumnGroups());
  return out;
}

std::string ColumnDictionaryMarkdown() {
  const std::vector<DictionaryEntry> all = DictionaryEntries();
  std::string out(kPreamble);
  out.append(kDailyIntro);
  AppendTable(out, all, OutputFileKind::Daily);
  out.append(kGisIntro);
  AppendTable(out, all, OutputFileKind::Gis);
  out.append(kSummaryIntro);
  AppendTable(out, all, OutputFileKind::Summary);
  return out;
}

}  // namespace olive
