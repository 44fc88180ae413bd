#include "wxsource/weather_file_writer.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <system_error>

#include "wxsource/station_names.h"
#include "wxsource/wx_calendar.h"
#include "wxsource/wx_report.h"

namespace olive {

namespace fs = std::filesystem;

std::string WeatherFileText(const StationSeries& s) {
  std::string out;
  out.reserve(64 * s.Days() + 256);
  out += WeatherFileFirstLine(s) + '\n';
  AppendShortest(out, s.lon);
  out += '\t';
  AppendShortest(out, s.lat);
  out += "\tlongitude and latitude, degrees\n";
  out += "month\tday\tyear\ttmax\ttmin\tsolar\train\trh\twind\n";
  for (size_t d = 0; d < s.Days(); ++d) {
    const CivilDate date = ModelDate(s.firstDay + static_cast<int64_t>(d));
    out += std::to_string(date.month) + '\t' + std::to_string(date.day) + '\t' +
           std::to_string(date.year);
    for (const WxVar v : kWxVars) {
      out += '\t';
      AppendShortest(out, s.At(v, d));
    }
    out += '\n';
  }
  return out;
}

bool WeatherFolder::Begin(ErrorSink& log, const fs::path& dir) {
  dir_ = dir;
  const std::string stamp = ".olive-wx-" + std::to_string(::getpid()) + ".tmp";
  std::error_code ec;
  if (fs::exists(dir, ec)) {
    if (!fs::is_directory(dir, ec)) {
      writeFailed_ = true;
      WxError(log, "Output folder " + Quoted(dir.string()) + " is not a folder.");
      return false;
    }
    staging_ = dir / stamp;
    stagingInside_ = true;
  } else {
    const fs::path parent = dir.parent_path().empty() ? fs::path(".") : dir.parent_path();
    fs::create_directories(parent, ec);
    std::string name(".");
    name += dir.filename().string();
    name += stamp;
    staging_ = parent / name;
  }
  fs::remove_all(staging_, ec);
  if (!fs::create_directory(staging_, ec)) {
    writeFailed_ = true;
    WxError(log, "Output folder " + Quoted(dir.string()) + ": cannot make the folder " +
                     Quoted(staging_.string()) + " (" + ec.message() + ").");
    staging_.clear();
    return false;
  }
  return true;
}

bool WeatherFolder::WriteStaged(ErrorSink& log, const std::string& name, std::string_view text) {
  const fs::path path = staging_ / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) {
    writeFailed_ = true;
    WxError(log, "Cannot write the weather file " + Quoted(path.string()) + ".");
    return false;
  }
  return true;
}

bool WeatherFolder::Add(ErrorSink& log, const StationSeries& s) {
  const std::string name = s.name + std::string(kWeatherFileExtension);
  const auto [it, added] = origins_.try_emplace(name, s.origin);
  if (!added) {
    WxError(log, "Two stations are named " + Quoted(s.name) + " (" + it->second + " and " +
                     s.origin + "); each needs a weather file of its own.");
    return false;
  }
  names_.push_back(name);
  return WriteStaged(log, name, WeatherFileText(s));
}

bool WeatherFolder::Commit(ErrorSink& log) {
  std::string list;
  for (const std::string& n : names_) list += n + "\n";
  if (!WriteStaged(log, std::string(kStationListName), list)) return false;
  std::error_code ec;
  if (!stagingInside_) {
    fs::rename(staging_, dir_, ec);
    if (!ec) {
      staging_.clear();
      return true;
    }
  } else {
    names_.emplace_back(kStationListName);
    for (const std::string& n : names_) {
      fs::rename(staging_ / n, dir_ / n, ec);
      if (ec) break;
    }
    names_.pop_back();
    if (!ec) {
      Abandon();
      return true;
    }
  }
  writeFailed_ = true;
  WxError(log, "Cannot move the weather files from " + Quoted(staging_.string()) + " into " +
                   Quoted(dir_.string()) + " (" + ec.message() + ").");
  return false;
}

void WeatherFolder::Abandon() {
  if (staging_.empty()) return;
  std::error_code ec;
  fs::remove_all(staging_, ec);
  staging_.clear();
}

}  // namespace olive
