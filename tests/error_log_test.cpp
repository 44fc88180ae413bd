// The error log file: line format, appending across runs, and failed writes.
#include "io/error_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "input_test_support.h"

namespace olive {
namespace {

namespace fs = std::filesystem;

// A fresh directory for one test's log.
struct LogDir {
  fs::path dir;
  explicit LogDir(const std::string& name) : dir(fs::temp_directory_path() / name) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~LogDir() { fs::remove_all(dir); }
  std::string Log() const { return (dir / "errorlog").string(); }
};

TEST(ErrorLogFile, LineIsDateTimeLocationAndMessage) {
  LogDir d("olive_errorlog_format");
  {
    ErrorLog log(d.Log());
    ASSERT_TRUE(log.IsOpen());
    log.Report("before the weather");
    log.SetLocation("Sierra de Cazorla experimental orchard");
    log.Report("Model end date adjusted to end of weather data.");
    EXPECT_FALSE(log.WriteFailed());
  }
  const auto lines = testing_support::SplitLines(testing_support::ReadWholeFile(d.Log()));
  ASSERT_EQ(lines.size(), 2u);
  const std::regex stamp(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} )");
  const std::string kStampLength = "2026-12-07 21:44:35 ";
  for (const auto& line : lines) {
    ASSERT_GT(line.size(), kStampLength.size());
    EXPECT_TRUE(std::regex_match(line.substr(0, kStampLength.size()), stamp)) << line;
  }
  // An empty location leaves two blanks; a long one is cut to 20 characters.
  EXPECT_EQ(lines[0].substr(kStampLength.size()), " before the weather");
  EXPECT_EQ(lines[1].substr(kStampLength.size()),
            "Sierra de Cazorla ex Model end date adjusted to end of weather data.");
}

TEST(ErrorLogFile, RunsAppendToTheSameLog) {
  LogDir d("olive_errorlog_append");
  for (int run = 0; run < 3; ++run) {
    ErrorLog log(d.Log());
    log.Report("run " + std::to_string(run));
  }
  const auto lines = testing_support::SplitLines(testing_support::ReadWholeFile(d.Log()));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[2].find(" run 2"), std::string::npos);
}

TEST(ErrorLogFile, EachLineIsOnDiskAtOnce) {
  LogDir d("olive_errorlog_flush");
  ErrorLog log(d.Log());
  log.Report("first");
  EXPECT_NE(testing_support::ReadWholeFile(d.Log()).find("first\n"), std::string::npos);
}

TEST(ErrorLogFile, FailedWritesAreFlagged) {
  ErrorLog full("/dev/full");  // every write fails: no space left
  ASSERT_TRUE(full.IsOpen());
  EXPECT_FALSE(full.WriteFailed());
  full.Report("lost");
  EXPECT_TRUE(full.WriteFailed());

  ErrorLog nowhere("/nonexistent-directory/errorlog");
  EXPECT_FALSE(nowhere.IsOpen());
  EXPECT_TRUE(nowhere.WriteFailed());
  nowhere.Report("lost");  // no crash
}

}  // namespace
}  // namespace olive
