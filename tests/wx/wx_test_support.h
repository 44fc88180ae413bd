#pragma once
// Helpers of the weather converters' tests: a scratch folder, the executables run in it, the
// error log's messages, and the checks every written weather file must pass: the simulator's
// weather reader reads it without a message, and its records follow each other day by day.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "input_test_support.h"
#include "weather/readwx.h"

namespace olive::wx_testing {

namespace fs = std::filesystem;
using testing_support::MemoryLog;
using testing_support::ReadWholeFile;
using testing_support::SplitLines;

inline void WriteFile(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

// A fresh folder under the build's temporary folder, removed at the end of the test.
class Scratch {
 public:
  Scratch() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           (std::string("olive_wx_") + info->test_suite_name() + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~Scratch() { fs::remove_all(dir_); }
  const fs::path& dir() const { return dir_; }
  fs::path operator/(const std::string& name) const { return dir_ / name; }

  // Runs a shell command in the folder (standard output and error into stdout.txt and
  // stderr.txt); returns its exit code.
  int Run(const std::string& command) const {
    const std::string line =
        "cd '" + dir_.string() + "' && " + command + " >stdout.txt 2>stderr.txt";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int OliveWx(const std::string& args) const {
    return Run("'" OLIVE_BINARY_DIR "/olive-wx' " + args);
  }
  std::string Read(const std::string& name) const { return ReadWholeFile((dir_ / name).string()); }

  // The messages of the folder's error log, without their date and time.
  std::vector<std::string> LogMessages() const {
    std::vector<std::string> messages;
    for (const std::string& line : SplitLines(Read("errorlog"))) {
      messages.push_back(line.size() > 21 ? line.substr(21) : line);
    }
    return messages;
  }

 private:
  fs::path dir_;
};

// Makes dir a working folder of the simulator: the example setup and an empty soil-water table.
inline void MakeRunFolder(const fs::path& dir) {
  fs::create_directories(dir / "lut");
  fs::copy_file(fs::path(OLIVE_SOURCE_DIR) / "examples/olive.setup", dir / "olive.setup",
                fs::copy_options::overwrite_existing);
  fs::copy_file(fs::path(OLIVE_SOURCE_DIR) / "examples/lut/OliveSoilWater.txt",
                dir / "lut/OliveSoilWater.txt", fs::copy_options::overwrite_existing);
}

// Why a weather file's records do not follow each other day by day with nine fields (empty when
// they do), and the first and last record's month, day and year.
struct Records {
  std::string problem;
  std::array<int32_t, 3> first{}, last{};
  std::size_t count = 0;
};

inline Records CheckRecords(const std::string& text) {
  Records r;
  const std::vector<std::string> lines = SplitLines(text);
  if (lines.size() < 4) {
    r.problem = "fewer than four lines";
    return r;
  }
  for (std::size_t i = 3; i < lines.size(); ++i) {
    std::vector<std::string> fields;
    std::istringstream in(lines[i]);
    for (std::string f; std::getline(in, f, '\t');) fields.push_back(f);
    if (fields.size() != 9) {
      r.problem =
          "line " + std::to_string(i + 1) + " has " + std::to_string(fields.size()) + " fields";
      return r;
    }
    const std::array<int32_t, 3> date = {std::stoi(fields[0]), std::stoi(fields[1]),
                                         std::stoi(fields[2])};
    if (i > 3) {
      auto [m, d, y] = r.last;
      const int32_t length = m == 2                                    ? (IsLeapYear(y) ? 29 : 28)
                             : (m == 4 || m == 6 || m == 9 || m == 11) ? 30
                                                                       : 31;
      if (++d > length) {
        d = 1;
        if (++m > 12) {
          m = 1;
          ++y;
        }
      }
      if (date != std::array<int32_t, 3>{m, d, y}) {
        r.problem =
            "line " + std::to_string(i + 1) + " is not the day after line " + std::to_string(i);
        return r;
      }
    } else {
      r.first = date;
    }
    r.last = date;
    ++r.count;
  }
  return r;
}

// The messages of the simulator's weather reader reading the whole file (none for a good one).
inline std::vector<std::string> ReadBackMessages(const std::string& text) {
  const Records r = CheckRecords(text);
  if (!r.problem.empty()) return {r.problem};
  MemoryLog log;
  Weather wx;
  WxPeriod period;
  period.Firstdate = testing_support::DateOf(r.first[0], r.first[1], r.first[2]);
  period.Lastdate = testing_support::DateOf(r.last[0], r.last[1], r.last[2]);
  period.ndays = static_cast<uint16_t>(r.count);
  readwxText(log, text, "converted.wx", period, WxCons{}, wx);
  if (period.ndays != r.count) log.lines.push_back("ndays changed");
  return log.lines;
}

}  // namespace olive::wx_testing
