// Setups and command lines outside the model's domain end a run before a day is simulated: olive
// ends with exit code 1 and leaves the shared files as they were, and olive-batch refuses them
// once, before any of its stations runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "batch_test_support.h"
#include "driver/batch.h"
#include "run_test_support.h"

namespace olive {
namespace {

namespace fs = std::filesystem;
using batch_testing::kOlive;
using batch_testing::kOliveBatch;
using batch_testing::MaskedLines;
using batch_testing::ReadText;
using batch_testing::RunIn;
using batch_testing::SharedFileNames;
using batch_testing::WriteText;
using run_testing::ExampleSetup;

const std::set<std::string> kUntouched = {"errorlog", "lut/OliveSoilWater.txt"};

// The error log's lines before the weather file names the station: the date and time, and two
// blanks around the empty station name.
std::vector<std::string> LogLines(const std::vector<std::string>& messages) {
  std::vector<std::string> lines;
  for (const std::string& m : messages) lines.push_back("<date time>  " + m);
  return lines;
}

TEST(BadSetupRun, EndsWithExitOneAndLeavesTheSharedFilesAsTheyWere) {
  const struct {
    std::map<int, std::string> lines;
    std::string message;  // after "Setup file "test.setup" line "
  } cases[] = {
      {{{7, "0\tdelfol"}}, "7: delfol 0 is outside its range: 1 to 1000000000."},
      {{{14, "0\tdelfru"}}, "14: delfru 0 is outside its range: 1 to 1000000000."},
      {{{43, "T\tmite"}, {53, "2.5\tdelAdlMite"}},
       "54: delPreovMite 25 is outside its range: at most delAdlMite (2.5)."},
      {{{30, "9\tHarvEfficiency"}}, "30: HarvEfficiency 9 is outside its range: 0 to 1."},
      {{{31, "Y\tnitro"}}, "31: nitro \"Y\" is outside its range: T, t, F or f."},
  };
  run_testing::RunDir dir;
  fs::create_directories(dir / "wx");
  fs::copy_file(fs::path(OLIVE_SOURCE_DIR) / "examples/weather/Cordoba.txt", dir / "wx/c.txt");
  const std::string table = ReadText(dir / "lut/OliveSoilWater.txt");
  for (const auto& c : cases) {
    fs::remove(dir / "errorlog");
    WriteText(dir / "test.setup", ExampleSetup(c.lines));
    EXPECT_EQ(RunIn(dir.path(),
                    "'" + kOlive + "' test.setup 1 1 2001 3 31 2001 30 wx/c.txt >/dev/null 2>&1"),
              1)
        << c.message;
    EXPECT_EQ(ReadText(dir / "lut/OliveSoilWater.txt"), table) << c.message;
    EXPECT_EQ(SharedFileNames(dir.path()), kUntouched) << c.message;
    EXPECT_EQ(MaskedLines(dir / "errorlog"),
              LogLines({"Setup file \"test.setup\" line " + c.message}));
  }
}

TEST(BadSetupBatch, IsRefusedOnceBeforeAnyStationRuns) {
  run_testing::RunDir dir;
  batch_testing::WriteStation(dir / "wx/A.txt", "Alpha", 2001, 1, 1, 100);
  batch_testing::WriteStation(dir / "wx/B.txt", "Beta", 2001, 1, 1, 100);
  WriteText(dir / "test.setup", ExampleSetup({{7, "0"}, {30, "9"}}));
  const std::string table = ReadText(dir / "lut/OliveSoilWater.txt");
  const std::string batch = "'" + kOliveBatch + "' -j 2 test.setup ";
  EXPECT_EQ(RunIn(dir.path(), batch + "1 1 2001 3 31 2001 30 wx/A.txt wx/B.txt 2>stderr.txt"),
            kBatchStationFailed);
  EXPECT_EQ(ReadText(dir / "lut/OliveSoilWater.txt"), table);
  EXPECT_EQ(SharedFileNames(dir.path()), kUntouched);
  EXPECT_EQ(MaskedLines(dir / "errorlog"),
            LogLines({"Setup file \"test.setup\" line 7: delfol 0 is outside its range: 1 to "
                      "1000000000.",
                      "Setup file \"test.setup\" line 30: HarvEfficiency 9 is outside its range: 0 "
                      "to 1."}));
  EXPECT_EQ(ReadText(dir / "stderr.txt"), ReadText(dir / "errorlog"));

  // A wrong date of the command line, the same way.
  fs::remove(dir / "errorlog");
  WriteText(dir / "test.setup", ExampleSetup());
  EXPECT_EQ(RunIn(dir.path(), batch + "13 1 2001 3 31 2001 30 wx/A.txt wx/B.txt 2>/dev/null"),
            kBatchStationFailed);
  EXPECT_EQ(SharedFileNames(dir.path()), kUntouched);
  EXPECT_EQ(MaskedLines(dir / "errorlog"), LogLines({"Error in date month1 "}));
}

TEST(BatchCommandLineRanges, TemperatureIncrementsMustBeFiniteAndInTheAdjustmentsRange) {
  const std::vector<std::string> base = {"s", "1", "1", "2001", "3", "31", "2001", "30", "w.txt"};
  auto parse = [&](const std::string& increments, std::string& error) {
    std::vector<std::string> args = {"--temp-increments", increments};
    args.insert(args.end(), base.begin(), base.end());
    BatchOptions o;
    return ParseBatchArgs(args, o, error);
  };
  for (const std::string bad : {"nan", "0,inf", "-infinity", "100.5", "-101", "1e39"}) {
    std::string error;
    EXPECT_FALSE(parse(bad, error)) << bad;
    EXPECT_EQ(error,
              "the temperature increments must be numbers from -100 to 100 (deg C) "
              "separated by commas, not \"" +
                  bad + "\"");
  }
  std::string error;
  EXPECT_TRUE(parse("-100,0,100", error)) << error;
  EXPECT_EQ(RunIn(fs::temp_directory_path(), "'" + kOliveBatch +
                                                 "' --temp-increments nan s 1 1 2001 3 31 2001 30 "
                                                 "w.txt 2>/dev/null"),
            kBatchUsage);
}

TEST(BatchCommandLineRanges, StationListsSkipAByteOrderMarkAndRefuseTabsInNames) {
  const fs::path list = fs::temp_directory_path() / "olive_batch_ranges_list.txt";
  const std::vector<std::string> base = {"s", "1", "1", "2001", "3", "31", "2001", "30"};
  auto parse = [&](const std::string& station, BatchOptions& o, std::string& error) {
    std::vector<std::string> args = base;
    args.push_back(station);
    return ParseBatchArgs(args, o, error);
  };
  BatchOptions o;
  std::string error;
  WriteText(list, "\xEF\xBB\xBFwx/a.txt\r\nwx/b.txt\r\n");
  ASSERT_TRUE(parse("@" + list.string(), o, error)) << error;
  EXPECT_EQ(o.weatherFiles, (std::vector<std::string>{"wx/a.txt", "wx/b.txt"}));

  WriteText(list, "wx/a.txt\nwx/b\t2.txt\n");
  EXPECT_FALSE(parse("@" + list.string(), o, error));
  EXPECT_EQ(error,
            "station list \"" + list.string() +
                "\" line 2: the weather file name \"wx/b\\t2.txt\" holds a TAB or a line end");
  EXPECT_FALSE(parse("wx/c\r.txt", o, error));
  EXPECT_EQ(error, "the weather file name \"wx/c\\r.txt\" holds a TAB or a line end");
  EXPECT_FALSE(parse("@/dev/zero", o, error));
  EXPECT_EQ(error, "cannot read the station list \"/dev/zero\": not a regular file");
  fs::remove(list);
}

}  // namespace
}  // namespace olive
