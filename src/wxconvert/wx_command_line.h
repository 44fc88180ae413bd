#pragma once
// olive-wx's command line: which converter, its options, the input files and the output folder.
#include <span>
#include <string>
#include <vector>

#include "wxsource/csv_weather.h"
#include "wxsource/netcdf_source.h"

namespace olive {

struct WxOptions {
  enum class Source { Csv, Netcdf };
  Source source = Source::Csv;
  std::vector<std::string> inputs;  // the tables or NetCDF files
  std::string outDir;               // -o DIR
  CsvOptions csv;                   // csv: columns, units, stations, place
  std::string stationsFile;         // csv: --stations FILE.csv
  NetcdfOptions netcdf;             // netcdf: --prefix
  bool help = false;                // --help or -h anywhere
};

// Reads olive-wx's arguments (after the program name). False with the reason in error.
bool ParseWxArgs(std::span<const std::string> args, WxOptions& options, std::string& error);

// The usage lines (for a wrong command line) and the whole help text (--help).
std::string WxUsage();
std::string WxHelp();

}  // namespace olive
