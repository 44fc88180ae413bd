#pragma once
// Helpers of the tests that run the executables in a working directory: weather files for named
// stations, the shell, and the shared files read for comparison (date and time texts masked).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "run_test_support.h"

namespace olive::batch_testing {

using run_testing::ReadText;
using run_testing::Split;
using run_testing::WriteText;
using run_testing::WxDay;

inline const std::string kOlive = OLIVE_BINARY_DIR "/olive";
inline const std::string kOliveBatch = OLIVE_BINARY_DIR "/olive-batch";

// A weather file of ndays days from the given date whose station (the Location of the error log's
// lines) is location; the days are mild, with rain every fifth day.
inline void WriteStation(const std::filesystem::path& p, const std::string& location, int32_t year,
                         int32_t month, int32_t day, int32_t ndays) {
  std::filesystem::create_directories(p.parent_path());
  run_testing::WriteWeather(p, year, month, day, ndays, [](int32_t i) {
    WxDay d;
    d.tmax = 16.0f + static_cast<float>(i % 11);
    d.tmin = 4.0f + static_cast<float>(i % 7);
    d.rain = i % 5 == 0 ? 6.0f : 0.0f;
    return d;
  });
  std::string text = ReadText(p);
  text.replace(0, text.find('\t'), location);
  WriteText(p, text);
}

// Runs a shell command in dir; returns its exit code (-1 when it did not exit normally).
inline int RunIn(const std::filesystem::path& dir, const std::string& command) {
  const std::string full = "cd '" + dir.string() + "' && " + command;
  const int status = std::system(full.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A working directory's shared files: the GIS files, their list, the summary table, the error log
// and whatever is in lut/ (the soil-water table; a left-over temporary file shows up here).
inline std::set<std::string> SharedFileNames(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name.starts_with("OUT") || name.starts_with("Olive_") || name == "GisFilesList.txt" ||
        name == "OliveSummaries.txt" || name == "errorlog") {
      names.insert(name);
    }
  }
  if (std::filesystem::exists(dir / "lut")) {
    for (const auto& e : std::filesystem::directory_iterator(dir / "lut")) {
      names.insert("lut/" + e.path().filename().string());
    }
  }
  return names;
}

// The lines of a shared file with the texts of the computer's clock masked: the date and time of
// an error-log line, and the Date and Time fields of a GIS or summary row.
inline std::vector<std::string> MaskedLines(const std::filesystem::path& p) {
  std::vector<std::string> lines = Split(ReadText(p), "\n");
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  const bool errorlog = p.filename() == "errorlog";
  for (std::string& line : lines) {
    if (errorlog) {
      if (line.size() >= 19) line.replace(0, 19, "<date time>");
      continue;
    }
    std::vector<std::string> fields = Split(line, "\t");
    if (fields.size() > 3 && fields[0] == "VudadIDE") {
      fields[1] = "<date>";
      fields[2] = "<time>";
      line.clear();
      for (size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
    }
  }
  return lines;
}

// Expects the shared files of two working directories to be the same, row by row.
inline void ExpectSameSharedFiles(const std::filesystem::path& expected,
                                  const std::filesystem::path& actual) {
  const std::set<std::string> names = SharedFileNames(expected);
  EXPECT_EQ(SharedFileNames(actual), names);
  for (const std::string& name : names) {
    const std::vector<std::string> want = MaskedLines(expected / name);
    const std::vector<std::string> got = MaskedLines(actual / name);
    EXPECT_EQ(got.size(), want.size()) << name;
    for (size_t i = 0; i < want.size() && i < got.size(); ++i) {
      EXPECT_EQ(got[i], want[i]) << name << " line " << i + 1;
    }
  }
}

// The TAB-separated fields of a line without its CR.
inline std::vector<std::string> FieldsOf(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return Split(line, "\t");
}

}  // namespace olive::batch_testing
