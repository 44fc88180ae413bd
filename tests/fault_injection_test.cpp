// A run killed at any point: the olive executable is run under strace, which kills it on the n-th
// call of a system call that changes a shared file (a write, an open, a lock, a flush, a cut, a
// rename), for every n the run reaches. After each kill the shared files hold no half row, no GIS
// file that the list does not name, no name listed twice and a whole soil-water table; a rerun of
// the station then completes them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "batch_test_support.h"
#include "soil/soil_water_table.h"

namespace olive {
namespace {

namespace fs = std::filesystem;
using batch_testing::FieldsOf;
using batch_testing::kOlive;
using batch_testing::ReadText;
using batch_testing::Split;
using batch_testing::WriteStation;
using batch_testing::WriteText;

const std::string kTable =
    "Soil water conditions for each weather station location.\n"
    "Station\tSoilWater\tSoilWaterMax\tPermanentWiltingPoint\n"
    "Other.txt\t3000.00\t4000.00\t1000.00\n";
// Four output dates (days 30 to 120): OUT00002.txt and OUT00003.txt exist from an earlier
// station, OUT00004.txt is new.
const std::string kRun = "test.setup 1 1 2001 4 30 2001 30 B.txt";

// Runs a shell command in dir; its wait status.
int Shell(const fs::path& dir, const std::string& command) {
  return std::system(("cd '" + dir.string() + "' && " + command + " >/dev/null 2>&1").c_str());
}

bool KilledBySigkill(int status) {
  return (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) ||
         (WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGKILL);
}

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines = Split(text, "\r\n");
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// No half row, every GIS file with rows listed, no name listed twice, the table whole.
void ExpectWhole(const fs::path& dir, const std::string& when) {
  const std::string list = ReadText(dir / "GisFilesList.txt");
  EXPECT_TRUE(list.empty() || list.ends_with("\r\n")) << when;
  std::set<std::string> listed;
  for (const std::string& name : CrLfLines(list)) {
    EXPECT_TRUE(listed.insert(name).second) << when << ": " << name << " listed twice";
  }
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (!name.starts_with("OUT") && name != "OliveSummaries.txt") continue;
    const std::string text = ReadText(e.path());
    if (text.empty()) continue;
    EXPECT_TRUE(text.ends_with("\r\n")) << when << ": " << name << " ends in a half row";
    const std::vector<std::string> lines = CrLfLines(text);
    for (const std::string& line : lines) {
      EXPECT_EQ(FieldsOf(line).size(), FieldsOf(lines[0]).size()) << when << ": " << name;
    }
    if (name.starts_with("OUT")) {
      EXPECT_TRUE(listed.count(name)) << when << ": " << name << " not listed";
    }
  }
  const std::string table = ReadText(dir / "lut/OliveSoilWater.txt");
  EXPECT_TRUE(table.starts_with(kTable)) << when << ": " << table;
  struct Quiet final : ErrorSink {
    void Report(std::string_view) override {}
  } quiet;
  std::vector<WaterRec> rows;
  EXPECT_TRUE(ParseSoilWaterTable(quiet, table, rows)) << when;
}

// After the rerun: the station in the table once, each of its GIS files with a header and its row,
// listed once, and nothing left in lut/ but the table.
void ExpectComplete(const fs::path& dir, const std::string& when) {
  ExpectWhole(dir, when);
  const std::string table = ReadText(dir / "lut/OliveSoilWater.txt");
  EXPECT_EQ(Split(table, "\nB.txt\t").size(), 2u) << when << ": " << table;
  EXPECT_EQ(
      CrLfLines(ReadText(dir / "GisFilesList.txt")),
      (std::vector<std::string>{"OUT00002.txt", "OUT00003.txt", "OUT00end.txt", "OUT00004.txt"}))
      << when;
  for (const char* name : {"OUT00002.txt", "OUT00003.txt", "OUT00004.txt", "OUT00end.txt"}) {
    const std::vector<std::string> lines = CrLfLines(ReadText(dir / name));
    ASSERT_GE(lines.size(), 2u) << when << ": " << name;
    EXPECT_TRUE(lines[0].starts_with("Model\t")) << when << ": " << name;
    EXPECT_NE(lines.back().find("\tB.txt\t"), std::string::npos) << when << ": " << name;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "lut"), fs::directory_iterator()), 1)
      << when;
}

TEST(KilledRun, AtEveryWriteOpenLockFlushCutAndRenameLeavesWholeFilesThatARerunCompletes) {
  run_testing::RunDir root;
  if (Shell(root.path(), "strace -f -qq -o /dev/null true") != 0) {
    GTEST_SKIP() << "strace is not installed or may not trace processes here (ptrace refused)";
  }
  // The folder every killed run starts from: another station's run has made the shared files.
  const fs::path start = root / "start";
  fs::create_directories(start / "lut");
  WriteText(start / "lut/OliveSoilWater.txt", kTable);
  WriteText(start / "test.setup", run_testing::ExampleSetup({{run_testing::kLineDaily, "F"}}));
  WriteStation(start / "Other.txt", "Other", 2001, 1, 1, 100);
  WriteStation(start / "B.txt", "Bravo", 2001, 1, 1, 125);
  ASSERT_EQ(Shell(start, "'" + kOlive + "' test.setup 1 1 2001 3 31 2001 30 Other.txt"), 0);
  ASSERT_EQ(ReadText(start / "GisFilesList.txt"),
            "OUT00002.txt\r\nOUT00003.txt\r\nOUT00end.txt\r\n");

  const fs::path dir = root / "run";
  int kills = 0;
  for (const char* call :
       {"write", "pwrite64", "openat", "flock", "fsync", "ftruncate", "rename", "renameat2"}) {
    for (int n = 1;; ++n) {
      fs::remove_all(dir);
      fs::copy(start, dir, fs::copy_options::recursive);
      const std::string when = std::string(call) + " #" + std::to_string(n);
      // No leak check under strace: the sanitizer's own tracer cannot attach then.
      const int status =
          Shell(dir, "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null -e trace=" +
                         std::string(call) + " -e inject=" + call +
                         ":signal=KILL:when=" + std::to_string(n) + " '" + kOlive + "' " + kRun);
      if (!KilledBySigkill(status)) {
        // The run makes fewer calls than n: it ended normally.
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << when << ": " << status;
        break;
      }
      ++kills;
      ExpectWhole(dir, "killed at " + when);
      ASSERT_EQ(Shell(dir, "'" + kOlive + "' " + kRun), 0) << when;
      ExpectComplete(dir, "rerun after " + when);
      if (HasFatalFailure()) return;
    }
  }
  EXPECT_GT(kills, 50);  // the run's writes, opens, locks, flushes and its rename
}

}  // namespace
}  // namespace olive
