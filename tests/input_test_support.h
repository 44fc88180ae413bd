#pragma once
// Helpers of the input-reader tests: an in-memory error log and file set, the example setup file,
// line edits, and a builder of weather files.
#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/read_inputs.h"
#include "toolkit/error_sink.h"
#include "toolkit/modutils.h"

namespace olive::testing_support {

// Records the messages instead of writing a file.
struct MemoryLog : ErrorSink {
  std::vector<std::string> lines;
  std::string location;
  void Report(std::string_view message) override { lines.emplace_back(message); }
  void SetLocation(std::string_view Location) override { location = Location; }
};

// Files held in memory by name.
class MemoryFiles : public InputFiles {
 public:
  std::map<std::string, std::string> files;
  std::optional<std::string> Read(const std::string& name) const override {
    const auto it = files.find(name);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

inline std::string ExampleSetup() {
  return ReadWholeFile(std::string(OLIVE_SOURCE_DIR) + "/examples/olive.setup");
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream s(text);
  for (std::string line; std::getline(s, line);) lines.push_back(line);
  return lines;
}

inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

// The text with its line n (1-based) replaced.
inline std::string WithLine(const std::string& text, int n, const std::string& line) {
  auto lines = SplitLines(text);
  lines.at(static_cast<size_t>(n - 1)) = line;
  return JoinLines(lines);
}

// The first n lines of the text.
inline std::string FirstLines(const std::string& text, int n) {
  auto lines = SplitLines(text);
  lines.resize(static_cast<size_t>(n));
  return JoinLines(lines);
}

// A day's weather as the file writes it.
struct WxDay {
  float tmax = 20, tmin = 10, solar = 100, rain = 0, relhum = 60, wind = 2;
};

// A weather file with consecutive records from month/day/year on.
inline std::string WxText(int32_t month, int32_t day, int32_t year,
                          const std::vector<WxDay>& records,
                          const std::string& station = "Cordoba\tSpain, test station") {
  std::ostringstream s;
  s << station << "\n-4.77 37.85 longitude latitude\nmonth day year tmax tmin solar rain rh wind\n";
  for (const WxDay& d : records) {
    s << month << ' ' << day << ' ' << year << '\t' << d.tmax << '\t' << d.tmin << '\t' << d.solar
      << '\t' << d.rain << '\t' << d.relhum << '\t' << d.wind << '\n';
    const int32_t length = month == 2 ? (IsLeapYear(year) ? 29 : 28)
                           : (month == 4 || month == 6 || month == 9 || month == 11) ? 30
                                                                                     : 31;
    if (++day > length) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
  return s.str();
}

// The rdate serial number of a calendar date.
inline float DateOf(int32_t month, int32_t day, int32_t year) {
  MemoryLog log;
  return rdate(year, Julian(log, month, day, year));
}

}  // namespace olive::testing_support
