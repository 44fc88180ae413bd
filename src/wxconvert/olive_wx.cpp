#include "wxconvert/olive_wx.h"

#include <cstdio>

#include "driver/run.h"
#include "io/error_log.h"
#include "io/file_contents.h"
#include "wxconvert/wx_command_line.h"
#include "wxsource/weather_file_writer.h"
#include "wxsource/wx_report.h"

namespace olive {
namespace {

// Reads a whole input file; reports why it cannot be read.
bool ReadInput(ErrorSink& log, std::string_view kind, const std::string& path, std::string& text) {
  const FileReadStatus status = ReadWholeFile(path, text);
  if (status == FileReadStatus::Ok) return true;
  const std::string why = FileReadProblem(status);
  WxError(log, std::string(kind) + " " + Quoted(path) + ": cannot read it" +
                   (why.empty() ? "" : " (" + why + ")") + ".");
  return false;
}

void Written(const WeatherFolder& out, const std::string& dir) {
  std::printf("olive-wx: %zu weather file%s and %s written into %s\n", out.Count(),
              out.Count() == 1 ? "" : "s", std::string(kStationListName).c_str(), dir.c_str());
}

// Writes the stations into the output folder, all or none.
int WriteAll(ErrorSink& log, const WxOptions& o, const std::vector<StationSeries>& stations) {
  WeatherFolder out;
  if (!out.Begin(log, o.outDir)) return kExitWriteFailed;
  for (const StationSeries& s : stations) {
    if (!out.Add(log, s)) return out.WriteFailed() ? kExitWriteFailed : kExitBadInput;
  }
  if (!out.Commit(log)) return kExitWriteFailed;
  Written(out, o.outDir);
  return kExitOk;
}

int ConvertCsv(ErrorSink& log, WxOptions& o) {
  std::string text;
  if (!o.stationsFile.empty()) {
    if (!ReadInput(log, "Stations file", o.stationsFile, text) ||
        !ReadCsvStations(log, text, o.stationsFile, o.csv.places)) {
      return kExitBadInput;
    }
  }
  std::vector<StationSeries> stations;
  bool ok = true;
  for (const std::string& file : o.inputs) {
    ok = ReadInput(log, "CSV file", file, text) &&
         ReadCsvWeather(log, text, file, o.csv, stations) && ok;
  }
  return ok ? WriteAll(log, o, stations) : kExitBadInput;
}

int ConvertNetcdf(ErrorSink& log, const WxOptions& o) {
  NetcdfSource source;
  if (!source.Open(log, o.inputs, o.netcdf)) return kExitBadInput;
  WeatherFolder out;
  if (!out.Begin(log, o.outDir)) return kExitWriteFailed;
  std::vector<StationSeries> block;
  for (std::size_t b = 0; b < source.BlockCount(); ++b) {
    if (!source.ReadBlock(log, b, block)) return kExitBadInput;
    for (const StationSeries& s : block) {
      if (!out.Add(log, s)) return out.WriteFailed() ? kExitWriteFailed : kExitBadInput;
    }
  }
  if (out.Count() == 0) {
    WxError(log, "NetCDF files: no cell has a valid temperature on any day; nothing is written.");
    return kExitBadInput;
  }
  if (!out.Commit(log)) return kExitWriteFailed;
  Written(out, o.outDir);
  return kExitOk;
}

}  // namespace

int RunOliveWx(const std::vector<std::string>& args) {
  WxOptions options;
  std::string error;
  if (!ParseWxArgs(args, options, error)) {
    std::fprintf(stderr, "olive-wx: %s\n%s", error.c_str(), WxUsage().c_str());
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(WxHelp().c_str(), stdout);
    return kExitOk;
  }
  ErrorLog log("errorlog", stderr);
  if (!log.IsOpen()) {
    std::fprintf(stderr, "olive-wx: cannot open or create the error log \"%s\"\n",
                 log.Path().c_str());
    return kExitErrorLogFailed;
  }
  const int code = options.source == WxOptions::Source::Csv ? ConvertCsv(log, options)
                                                            : ConvertNetcdf(log, options);
  if (log.WriteFailed()) {
    std::fprintf(stderr, "olive-wx: writing to the error log \"%s\" failed\n", log.Path().c_str());
    return kExitErrorLogFailed;
  }
  return code;
}

}  // namespace olive
