// Whole runs against the files that every run in a working directory shares: a run that ends badly
// or does not fit the files leaves them as they were, byte for byte, and runs clear away what
// killed runs left.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "batch_test_support.h"
#include "driver/run.h"
#include "io/file_contents.h"

namespace olive {
namespace {

namespace fs = std::filesystem;
using batch_testing::kOlive;
using batch_testing::kOliveBatch;
using batch_testing::ReadText;
using batch_testing::WriteStation;
using run_testing::ExampleSetup;
using run_testing::RunDir;

constexpr int kLineSummary = 34;
constexpr int kLineMite = 43;
constexpr int kLineOliveFly = 101;

// Every shared file but the error log, with its bytes.
std::map<std::string, std::string> SharedBytes(const fs::path& dir) {
  std::map<std::string, std::string> bytes;
  for (const std::string& name : batch_testing::SharedFileNames(dir)) {
    if (name != "errorlog") bytes[name] = ReadText(dir / name);
  }
  return bytes;
}

bool LogHas(const RunDir& dir, const std::string& text) {
  return ReadText(dir / "errorlog").find(text) != std::string::npos;
}

// A folder in which station A has made the shared files: three GIS files, their list, the summary
// table and A's row in the soil-water table.
void RunStationA(const RunDir& dir, const std::string& setup) {
  WriteStation(dir / "wx/A.txt", "Alpha", 2001, 1, 1, 100);
  ASSERT_EQ(run_testing::RunIn(dir, setup, "1/1/2001", "3/31/2001", "wx/A.txt", "30"), kExitOk);
  ASSERT_EQ(batch_testing::SharedFileNames(dir.path()).size(), 7u);
}

TEST(FailedRun, BadInputWritesNoGisRowNoListLineNoSummaryRowAndNoSoilWaterRow) {
  RunDir dir;
  RunStationA(dir, ExampleSetup());
  const auto before = SharedBytes(dir.path());
  WriteStation(dir / "wx/Late.txt", "Late", 2001, 2, 1, 100);
  WriteStation(dir / "wx/C.txt", "Charlie", 2001, 1, 1, 100);

  // Missing weather, weather that starts after the start date, and a setup whose leaves never
  // age (no finite soil water) at a station new to the table.
  EXPECT_EQ(run_testing::RunIn(dir, ExampleSetup(), "1/1/2001", "3/31/2001", "wx/None.txt", "30"),
            kExitBadInput);
  EXPECT_TRUE(LogHas(dir, "Wx file not found"));
  EXPECT_EQ(run_testing::RunIn(dir, ExampleSetup(), "1/1/2001", "3/31/2001", "wx/Late.txt", "30"),
            kExitBadInput);
  EXPECT_TRUE(LogHas(dir, " Late Model start date precedes weather data."));
  EXPECT_EQ(run_testing::RunIn(dir, ExampleSetup({{7, "0\tdelfol"}}), "1/1/2001", "3/31/2001",
                               "wx/C.txt", "30"),
            kExitBadInput);
  EXPECT_EQ(SharedBytes(dir.path()), before);
}

TEST(HeaderMismatch, ARunWithOtherOrganismsIsRefusedBeforeItWritesAnything) {
  RunDir dir;
  RunStationA(dir, ExampleSetup({{kLineOliveFly, "T"}}));
  const auto before = SharedBytes(dir.path());
  WriteStation(dir / "wx/B.txt", "Bravo", 2001, 1, 1, 100);

  // The summary table's row comes first (the first output date writes no GIS row).
  const std::string mites = ExampleSetup({{kLineMite, "T"}});
  EXPECT_EQ(run_testing::RunIn(dir, mites, "1/1/2001", "3/31/2001", "wx/B.txt", "30"),
            kExitBadInput);
  EXPECT_TRUE(
      LogHas(dir,
             " Bravo Can not append to OliveSummaries.txt: its header has other columns than this "
             "run (only in the file: OfEgDays, OfLaDays, OfPuDays, OfAdDays, OfPupSum, DamFrSum, "
             "PrcntAtkd; only in this run: WintEggs, MiteEggs, Juvenile, MiteAdls, Mobiles, "
             "PredEggs, Lrv-Adls)\n"));
  // Without the summary, the first GIS file.
  const std::string noSummary = ExampleSetup({{kLineMite, "T"}, {kLineSummary, "F"}});
  EXPECT_EQ(run_testing::RunIn(dir, noSummary, "1/1/2001", "3/31/2001", "wx/B.txt", "30"),
            kExitBadInput);
  EXPECT_TRUE(
      LogHas(dir,
             " Bravo Can not append to OUT00002.txt: its header has other columns than this run "
             "(only in the file: OFEgDays, OFLrDays, OFPuDays, OFAdDays, OfPupSum, DamFrSum, "
             "PrcntAtkd; only in this run: WintEggs, MiteEggs, Juvenile, MiteAdls, Mobiles, "
             "PredEggs, LrvAdlts)\n"));
  EXPECT_EQ(SharedBytes(dir.path()), before);  // B not in the table either
}

// A temporary file's name as a process with the given pid on the given host makes it.
std::string TemporaryOf(const std::string& base, const std::string& host, pid_t pid) {
  std::string name = base;
  name.append(".").append(host).append(".").append(std::to_string(pid)).append(".0.tmp");
  return name;
}

TEST(StaleTemporaries, RunsRemoveThoseOfDeadProcessesOnTheirHostOnly) {
  RunDir dir;
  // This host as the names have it: "x.<host>.<pid>.0.tmp" less "x." and ".<pid>.0.tmp".
  const std::string own = TemporaryFileName("x", 0);
  const std::string suffix = TemporaryOf("", "", getpid()).substr(1);  // ".<pid>.0.tmp"
  const std::string host = own.substr(2, own.size() - 2 - suffix.size());
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_GT(dead, 0);
  waitpid(dead, nullptr, 0);
  const pid_t alive = getpid();
  // What killed runs left in lut/ and in a batch's daily folder, and what others are writing.
  const std::string table = "OliveSoilWater.txt", daily = ".A_OliveDaily.txt";
  fs::create_directories(dir / "days");
  const std::vector<fs::path> stale = {dir / "lut" / TemporaryOf(table, host, dead),
                                       dir / "days" / TemporaryOf(daily, host, dead)};
  const std::vector<fs::path> kept = {
      dir / "lut" / TemporaryOf(table, host, alive), dir / "lut" / TemporaryOf(table, "far", dead),
      dir / "days" / TemporaryOf(daily, host, alive),
      dir / "days" / TemporaryOf(daily, "far", dead), dir / "days" / "notes.tmp"};
  for (const fs::path& p : stale) batch_testing::WriteText(p, "half");
  for (const fs::path& p : kept) batch_testing::WriteText(p, "half");
  WriteStation(dir / "wx/A.txt", "Alpha", 2001, 1, 1, 100);
  batch_testing::WriteText(dir / "test.setup", ExampleSetup());

  ASSERT_EQ(batch_testing::RunIn(dir.path(),
                                 "'" + kOlive + "' test.setup 1 1 2001 3 31 2001 30 wx/A.txt"),
            kExitOk);
  EXPECT_FALSE(fs::exists(stale[0]));
  ASSERT_EQ(batch_testing::RunIn(dir.path(), "'" + kOliveBatch +
                                                 "' --daily days test.setup 1 1 2001 3 31 2001 30 "
                                                 "wx/A.txt"),
            kExitOk);
  EXPECT_FALSE(fs::exists(stale[1]));
  for (const fs::path& p : kept) EXPECT_TRUE(fs::exists(p)) << p;
  EXPECT_TRUE(fs::exists(dir / "days/A_OliveDaily.txt"));
}

}  // namespace
}  // namespace olive
