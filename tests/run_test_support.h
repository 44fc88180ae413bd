#pragma once
// Helpers of the whole-run tests: a scratch working directory, the example setup file with edited
// lines, weather files made to order, and a reader of the daily file.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "toolkit/modutils.h"

namespace olive::run_testing {

inline std::string ReadText(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

inline void WriteText(const std::filesystem::path& p, const std::string& text) {
  std::ofstream f(p, std::ios::binary);
  f << text;
}

inline std::vector<std::string> Split(const std::string& text, const std::string& sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(sep, start);
    if (at == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, at - start));
    start = at + sep.size();
  }
}

// A fresh working directory with an empty soil-water table, removed at the end of the test.
class RunDir {
 public:
  RunDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            (std::string("olive_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_ / "lut");
    std::filesystem::copy_file(
        std::filesystem::path(OLIVE_SOURCE_DIR) / "examples/lut/OliveSoilWater.txt",
        path_ / "lut/OliveSoilWater.txt");
  }
  ~RunDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The example setup file with some of its lines (numbered from 1) replaced.
inline std::string ExampleSetup(const std::map<int, std::string>& lines = {}) {
  std::vector<std::string> all =
      Split(ReadText(std::filesystem::path(OLIVE_SOURCE_DIR) / "examples/olive.setup"), "\n");
  for (const auto& [n, text] : lines) all.at(n - 1) = text;
  std::string out;
  for (size_t i = 0; i < all.size(); ++i) {
    out += all[i];
    if (i + 1 < all.size()) out += "\n";
  }
  return out;
}

// Setup-file lines of the switches and values the tests change.
inline constexpr int kLineHarvestOption = 29;
inline constexpr int kLineNitro = 31;
inline constexpr int kLineOutscreen = 32;
inline constexpr int kLineDaily = 33;
inline constexpr int kLineRandSeed = 36;

// One day of weather in the file's units.
struct WxDay {
  float tmax = 20, tmin = 10, solar = 200, rain = 0, rh = 60, wind = 2;
};

// A weather file of ndays records from the given date, each made by day(i), i = 0..ndays-1.
inline void WriteWeather(const std::filesystem::path& p, int32_t year, int32_t month,
                         int32_t dayOfMonth, int32_t ndays,
                         const std::function<WxDay(int32_t)>& day) {
  std::ostringstream s;
  s << "Teststation\tmade by the tests\n-4.77 37.88\nmonth day year tmax tmin solar rain rh wind\n";
  int32_t y = year;
  int32_t m = month, d = dayOfMonth;
  for (int32_t i = 0; i < ndays; ++i) {
    const WxDay w = day(i);
    s << m << '\t' << d << '\t' << y << '\t' << w.tmax << '\t' << w.tmin << '\t' << w.solar << '\t'
      << w.rain << '\t' << w.rh << '\t' << w.wind << '\n';
    const int32_t len =
        (m == 2) ? (IsLeapYear(y) ? 29 : 28) : ((m == 4 || m == 6 || m == 9 || m == 11) ? 30 : 31);
    if (++d > len) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
  }
  WriteText(p, s.str());
}

// The daily file split into its title, column names and rows of fields.
struct DailyFile {
  std::string title;
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> rows;
  bool crlf = true;  // every line ends with CR LF

  int Column(const std::string& name) const {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no column " << name;
    return 0;
  }
  const std::string& At(size_t row, const std::string& name) const {
    return rows.at(row).at(Column(name));
  }
  double Value(size_t row, const std::string& name) const { return std::stod(At(row, name)); }
};

inline DailyFile ReadDaily(const std::filesystem::path& p) {
  DailyFile f;
  const std::string text = ReadText(p);
  std::vector<std::string> lines = Split(text, "\n");
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  for (std::string& l : lines) {
    if (l.empty() || l.back() != '\r') {
      f.crlf = false;
    } else {
      l.pop_back();
    }
  }
  if (lines.size() >= 1) f.title = lines[0];
  if (lines.size() >= 2) f.names = Split(lines[1], "\t");
  for (size_t i = 2; i < lines.size(); ++i) f.rows.push_back(Split(lines[i], "\t"));
  return f;
}

// Runs the simulator in dir with the setup text and a weather file already in dir.
inline int RunIn(const RunDir& dir, const std::string& setup, const std::string& from,
                 const std::string& to, const std::string& weather = "weather.txt",
                 const std::string& interval = "365") {
  WriteText(dir / "test.setup", setup);
  const std::vector<std::string> f = Split(from, "/"), t = Split(to, "/");
  const std::vector<std::string> args = {
      (dir / "test.setup").string(), f[0], f[1], f[2], t[0], t[1], t[2], interval,
      (dir / weather).string()};
  return RunOlive(args, dir.path());
}

// The soil-water table's rows (the lines after the title and the header).
inline std::vector<std::string> TableRows(const RunDir& dir) {
  std::vector<std::string> lines = Split(ReadText(dir / "lut/OliveSoilWater.txt"), "\n");
  std::vector<std::string> rows;
  for (size_t i = 2; i < lines.size(); ++i) {
    if (!lines[i].empty()) rows.push_back(lines[i]);
  }
  return rows;
}

}  // namespace olive::run_testing
