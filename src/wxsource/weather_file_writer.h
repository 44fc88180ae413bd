#pragma once
// The simulator's weather file of a station, and the output folder that receives a conversion's
// files whole or not at all.
//
// The file: line 1 the station's name, a TAB and where the data came from; line 2 longitude and
// latitude; line 3 the column heading; then one record per day of the model's calendar: month,
// day, year, maximum and minimum temperature (deg C), solar radiation (daily mean W/m2),
// precipitation (mm), relative humidity (%), wind speed (m/s), TAB-separated, -99 for a missing
// value. Numbers are written in the shortest fixed-point form that reads back as the same 32-bit
// float.
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/error_sink.h"
#include "wxsource/wx_series.h"

namespace olive {

// The text of the station's weather file.
std::string WeatherFileText(const StationSeries& s);

// The name of the list of a conversion's weather files, in the output folder.
inline constexpr std::string_view kStationListName = "stations.txt";

// Writes a conversion's weather files into a staging folder and moves them into the output
// folder only when every one has been written: a failed conversion leaves the output folder as
// it was. The staging folder is made inside the output folder when that exists (and removed
// after), beside it otherwise (and then renamed to it).
class WeatherFolder {
 public:
  WeatherFolder() = default;
  ~WeatherFolder() { Abandon(); }
  WeatherFolder(const WeatherFolder&) = delete;
  WeatherFolder& operator=(const WeatherFolder&) = delete;

  // Makes the staging folder for dir. False (reported) when it cannot be made.
  bool Begin(ErrorSink& log, const std::filesystem::path& dir);
  // Writes the station's weather file into the staging folder. False (reported) when a station of
  // that name was written already, or when the file cannot be written (WriteFailed()).
  bool Add(ErrorSink& log, const StationSeries& s);
  // Moves the files into the output folder, with the list "stations.txt" (one file name a line,
  // in the order added) last. False (reported) on a failure.
  bool Commit(ErrorSink& log);
  // Removes the staging folder with what it holds.
  void Abandon();

  std::size_t Count() const { return names_.size(); }
  bool WriteFailed() const { return writeFailed_; }

 private:
  bool WriteStaged(ErrorSink& log, const std::string& name, std::string_view text);

  std::filesystem::path dir_, staging_;
  bool stagingInside_ = false;
  bool writeFailed_ = false;
  std::vector<std::string> names_;              // file names, in order
  std::map<std::string, std::string> origins_;  // file name -> where its data came from
};

}  // namespace olive
