#include "driver/program_info.h"

#include <cstdio>

#include "driver/run.h"

#ifndef OLIVE_VERSION
#error "OLIVE_VERSION must be defined by the build"
#endif

namespace olive {

std::string_view OliveVersion() {
  return OLIVE_VERSION;
}

std::optional<int> HandleInfoOptions(std::string_view program, std::span<const std::string> args,
                                     std::string_view help) {
  if (args.size() != 1) return std::nullopt;
  if (args[0] == "--help" || args[0] == "-h") {
    std::fwrite(help.data(), 1, help.size(), stdout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::printf("%.*s %.*s\n", static_cast<int>(program.size()), program.data(),
                static_cast<int>(OliveVersion().size()), OliveVersion().data());
    return kExitOk;
  }
  return std::nullopt;
}

std::string OliveHelp() {
  return OliveUsage() +
         "\n"
         "Simulates an olive orchard (the tree, its soil water and nitrogen, its pests and their\n"
         "natural enemies) for one weather station, one day at a time.\n"
         "\n"
         "  SETUP          the setup file: the tree's parameters, the submodels' switches, sprays\n"
         "  MONTH1 DAY1 YEAR1\n"
         "                 the first day simulated\n"
         "  MONTH2 DAY2 YEAR2\n"
         "                 the last day simulated\n"
         "  GIS_INTERVAL   days between GIS output dates (365: day of year 365 of every year)\n"
         "  WEATHER_FILE   the station's daily weather; its name is the station's key\n"
         "\n"
         "Reads SETUP, WEATHER_FILE and lut/OliveSoilWater.txt (the soil-water table). Writes,\n"
         "in the current folder: OliveDaily.txt (one row per day, when the setup's Daily is on),\n"
         "the GIS files OUT00002.txt ... and OUT00end.txt with their list GisFilesList.txt, the\n"
         "summary table OliveSummaries.txt (setup switch Summary) and errorlog. The GIS files,\n"
         "the summary, the table and errorlog are shared by every run in the folder and only\n"
         "grow; a run that ends on bad input adds no row to them. A station new to the table is\n"
         "simulated twice: once to record its soil water, then with output.\n"
         "\n"
         "Exit codes: 0 a normal end; 1 the run was ended by bad input (see errorlog, or the\n"
         "standard error stream, which shows every line written to it); 2 the error log could\n"
         "not be written; 3 an output file could not be created or written; 64 a wrong command\n"
         "line.\n"
         "\n"
         "  olive --help      this text\n"
         "  olive --version   the version\n"
         "  olive --columns   every column of the output files, its meaning and its unit\n"
         "                    (Markdown: docs/columns.md)\n"
         "\n"
         "More: README.md and docs/guide.md (installed under share/olive); many stations at\n"
         "once: olive-batch --help.\n";
}

}  // namespace olive
