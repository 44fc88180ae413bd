// olive-batch: its command line, its journals, and above all its promise: the shared files it
// leaves are those of one olive run per station in the list's order, apart from the clock's texts.
#include "driver/batch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch_test_support.h"
#include "driver/journal.h"
#include "driver/run.h"
#include "io/error_log.h"
#include "soil/soil_water_table.h"

namespace olive {
namespace {

namespace fs = std::filesystem;
using batch_testing::ExpectSameSharedFiles;
using batch_testing::FieldsOf;
using batch_testing::kOlive;
using batch_testing::kOliveBatch;
using batch_testing::ReadText;
using batch_testing::RunIn;
using batch_testing::Split;
using batch_testing::WriteStation;
using batch_testing::WriteText;
using run_testing::ExampleSetup;

const std::string kTableHead =
    "Soil water conditions for each weather station location.\n"
    "Station\tSoilWater\tSoilWaterMax\tPermanentWiltingPoint\n";

// Two empty working directories side by side: one for olive run station by station, one for
// olive-batch.
class TwoFolders {
 public:
  TwoFolders() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            (std::string("olive_batch_") + info->test_suite_name() + "_" + info->name());
    fs::remove_all(root_);
    fs::create_directories(seq());
    fs::create_directories(bat());
  }
  ~TwoFolders() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path seq() const { return root_ / "seq"; }
  fs::path bat() const { return root_ / "bat"; }
  // Runs prepare in both folders.
  template <class F>
  void Both(F prepare) const {
    prepare(seq());
    prepare(bat());
  }

 private:
  fs::path root_;
};

std::string Column(const std::vector<std::string>& lines, size_t row, const std::string& name) {
  const std::vector<std::string> names = FieldsOf(lines.at(0));
  const std::vector<std::string> values = FieldsOf(lines.at(row));
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return values.at(i);
  }
  ADD_FAILURE() << "no column " << name;
  return {};
}

std::vector<std::string> CrLfLines(const fs::path& p) {
  std::vector<std::string> lines = Split(ReadText(p), "\r\n");
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// olive once per station, in order, appending the console to stdout.txt.
void RunSequentially(const fs::path& dir, const std::string& params,
                     const std::vector<std::string>& stations) {
  for (const std::string& w : stations) {
    RunIn(dir, "'" + kOlive + "' " + params + " " + w + " >>stdout.txt 2>>stderr.txt");
  }
}

TEST(BatchCommandLine, OptionsParametersAndStationLists) {
  const fs::path list = fs::temp_directory_path() / "olive_batch_list.txt";
  WriteText(list, "wx/x.txt\n\n  wx/y.txt \r\n");
  const std::vector<std::string> args = {
      "-j", "3",     "--temp-increments", "0,1.5,-2",   "olive.setup", "1",
      "1",  "2001",  "--daily=out",       "3",          "31",          "2001",
      "30", "a.txt", "@" + list.string(), "--progress", "--",          "-odd.txt"};
  BatchOptions o;
  std::string error;
  ASSERT_TRUE(ParseBatchArgs(args, o, error)) << error;
  EXPECT_EQ(o.params,
            (std::vector<std::string>{"olive.setup", "1", "1", "2001", "3", "31", "2001", "30"}));
  EXPECT_EQ(o.weatherFiles,
            (std::vector<std::string>{"a.txt", "wx/x.txt", "wx/y.txt", "-odd.txt"}));
  EXPECT_EQ(o.jobs, 3u);
  EXPECT_EQ(o.TempIncrements, (std::vector<float>{0.0f, 1.5f, -2.0f}));
  ASSERT_TRUE(o.dailyDir.has_value());
  EXPECT_EQ(*o.dailyDir, fs::path("out"));
  EXPECT_TRUE(o.progress);
  fs::remove(list);

  const std::vector<std::string> attached = {"-j4", "s",  "1",    "1",  "2001",
                                             "3",   "31", "2001", "30", "w.txt"};
  ASSERT_TRUE(ParseBatchArgs(attached, o, error)) << error;
  EXPECT_EQ(o.jobs, 4u);
  EXPECT_EQ(o.TempIncrements.size(), 0u);  // the setup's own adjustment
  EXPECT_FALSE(o.dailyDir.has_value());
  EXPECT_FALSE(o.progress);
}

TEST(BatchCommandLine, WrongCommandLinesAreRefusedWithAReason) {
  const std::vector<std::string> base = {"s", "1", "1", "2001", "3", "31", "2001", "30"};
  auto refused = [&](std::vector<std::string> extra, const std::string& reason) {
    std::vector<std::string> args = extra;
    BatchOptions o;
    std::string error;
    EXPECT_FALSE(ParseBatchArgs(args, o, error)) << reason;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  };
  refused(base, "at least one weather file");
  auto with = [&](std::vector<std::string> front) {
    front.insert(front.end(), base.begin(), base.end());
    front.push_back("w.txt");
    return front;
  };
  refused(with({"-j", "0"}), "job count");
  refused(with({"--jobs=x"}), "job count");
  refused(with({"--temp-increments", "1,,2"}), "temperature increments");
  refused(with({"--temp-increments=a"}), "temperature increments");
  refused(with({"--frobnicate"}), "unknown option \"--frobnicate\"");
  refused({"s", "1", "1", "2001", "3", "31", "2001", "30", "@/nonexistent/list"},
          "cannot read the station list");
  refused({"-j"}, "option -j needs a value");

  // The executable: exit code 64 and the usage on the standard error stream.
  const fs::path dir = fs::temp_directory_path();
  EXPECT_EQ(RunIn(dir, "'" + kOliveBatch + "' -j 0 s 1 1 2001 3 31 2001 30 w.txt 2>/dev/null"),
            kBatchUsage);
  EXPECT_EQ(RunIn(dir, "'" + kOliveBatch + "' --help >/dev/null"), 0);
}

TEST(BatchNames, DailyFilesAndProgressLine) {
  EXPECT_EQ(BatchDailyFileName("Cordoba.txt", std::nullopt), "Cordoba_OliveDaily.txt");
  EXPECT_EQ(BatchDailyFileName("Cordoba.txt", 1.5f), "Cordoba_TempIncr1.500_OliveDaily.txt");
  EXPECT_EQ(BatchDailyFileName("Baeza", -1.0f), "Baeza_TempIncr-1.000_OliveDaily.txt");
  EXPECT_EQ(ProgressLine(0, 8, 0.2),
            "olive-batch [........................] 0/8 stations, 0:00 elapsed, --:-- left");
  EXPECT_EQ(ProgressLine(2, 8, 30),
            "olive-batch [######..................] 2/8 stations, 0:30 elapsed, 1:30 left");
  EXPECT_EQ(ProgressLine(8, 8, 3725),
            "olive-batch [########################] 8/8 stations, 1:02:05 elapsed, 0:00 left");
}

// The stations of the comparison: new ones, one known to the table, one whose table row (without
// soil water, at the table's end) the first new station's recording drops, a repeated one (also
// under another folder, with the same key), one whose weather starts after the start date, and
// one whose weather ends before the end date.
void PrepareStations(const fs::path& dir) {
  fs::create_directories(dir / "lut");
  WriteText(dir / "lut/OliveSoilWater.txt",
            kTableHead + "Known.txt\t3000.00\t4000.00\t1000.00\nDry.txt\t0.00\t4000.00\t1000.00\n");
  WriteText(dir / "test.setup", ExampleSetup({{run_testing::kLineOutscreen, "T"}}));
  WriteStation(dir / "wx/A.txt", "Alpha", 2001, 1, 1, 200);
  WriteStation(dir / "wx2/A.txt", "Alpha two", 2001, 1, 1, 200);
  WriteStation(dir / "wx/B.txt", "Beta", 2001, 1, 1, 200);
  WriteStation(dir / "wx/Known.txt", "Known", 2001, 1, 1, 200);
  WriteStation(dir / "wx/Dry.txt", "Dry", 2001, 1, 1, 200);
  WriteStation(dir / "wx/Late.txt", "Late", 2001, 2, 1, 200);
  WriteStation(dir / "wx/Short.txt", "Short", 2001, 1, 1, 45);
}

TEST(BatchVsSequential, NewRepeatedKnownDroppedAndBadStationsGiveTheSameFiles) {
  TwoFolders f;
  f.Both(PrepareStations);
  const std::string params = "test.setup 1 1 2001 3 31 2001 30";
  const std::vector<std::string> stations = {
      "wx/A.txt", "wx/Known.txt", "wx/A.txt",     "wx/Late.txt", "wx/Dry.txt",
      "wx/B.txt", "wx/Known.txt", "wx/Short.txt", "wx2/A.txt",   "wx/B.txt"};
  RunSequentially(f.seq(), params, stations);

  std::string list;
  for (size_t i = 1; i < stations.size(); ++i) list += stations[i] + "\n";
  WriteText(f.bat() / "stations.txt", list);
  EXPECT_EQ(RunIn(f.bat(), "'" + kOliveBatch + "' -j 3 " + params + " " + stations[0] +
                               " @stations.txt >stdout.txt 2>stderr.txt"),
            kBatchStationFailed);  // the late weather stops one station

  ExpectSameSharedFiles(f.seq(), f.bat());
  // The console tables in the list's order; off a terminal, the standard error stream has the
  // error log's lines, no progress bar, and the summary line.
  EXPECT_EQ(ReadText(f.bat() / "stdout.txt"), ReadText(f.seq() / "stdout.txt"));
  const std::string stderrText = ReadText(f.bat() / "stderr.txt");
  const std::string log = ReadText(f.bat() / "errorlog");
  EXPECT_EQ(stderrText.substr(0, log.size()), log);
  EXPECT_TRUE(
      stderrText.substr(log.size())
          .starts_with("olive-batch: 9 stations ran, 1 failed, 0 skipped; 2.2 station-years "
                       "in "))
      << stderrText;
  // The daily rows of a batch go to files only when asked.
  EXPECT_TRUE(fs::exists(f.seq() / "OliveDaily.txt"));
  EXPECT_FALSE(fs::exists(f.bat() / "OliveDaily.txt"));

  // What the comparison covered: the table as sequential runs leave it (Dry's row dropped by A's
  // recording, then recorded anew), the bad station's message, and every station's rows.
  const std::vector<std::string> table = Split(ReadText(f.bat() / "lut/OliveSoilWater.txt"), "\n");
  ASSERT_EQ(table.size(), 8u);  // title, header, five rows, the end of the last line
  EXPECT_TRUE(table[2].starts_with("Known.txt\t3000.00\t"));
  EXPECT_TRUE(table[3].starts_with("A.txt\t"));
  EXPECT_TRUE(table[4].starts_with("Dry.txt\t"));
  EXPECT_FALSE(table[4].starts_with("Dry.txt\t0.00"));
  EXPECT_TRUE(table[5].starts_with("B.txt\t"));
  EXPECT_TRUE(table[6].starts_with("Short.txt\t"));
  EXPECT_NE(ReadText(f.bat() / "errorlog").find(" Late Model start date precedes weather data."),
            std::string::npos);
  EXPECT_NE(ReadText(f.bat() / "errorlog").find(" Short Model end date adjusted"),
            std::string::npos);
  // A row from every station but the one whose bad weather ended its run.
  std::vector<std::string> ran = stations;
  ran.erase(ran.begin() + 3);
  const std::vector<std::string> end = CrLfLines(f.bat() / "OUT00end.txt");
  ASSERT_EQ(end.size(), 1 + ran.size());
  for (size_t i = 0; i < ran.size(); ++i) EXPECT_EQ(Column(end, i + 1, "WxFile"), ran[i]);
}

TEST(BatchVsSequential, WarmingScenariosRunStationByStationScenarioByScenario) {
  TwoFolders f;
  f.Both([](const fs::path& dir) {
    fs::create_directories(dir / "lut");
    WriteText(dir / "lut/OliveSoilWater.txt", kTableHead);
    WriteStation(dir / "wx/A.txt", "Alpha", 2001, 1, 1, 100);
    WriteStation(dir / "wx/B.txt", "Beta", 2001, 1, 1, 100);
  });
  const std::vector<std::string> stations = {"wx/A.txt", "wx/B.txt", "wx/A.txt"};
  const std::vector<std::string> increments = {"0", "1.5", "-1"};
  // Sequential runs with the setup file edited for each scenario.
  for (const std::string& t : increments) {
    WriteText(f.seq() / "test.setup", ExampleSetup({{1, t + "\twxcons[1]"}}));
    RunSequentially(f.seq(), "test.setup 1 1 2001 3 31 2001 30", stations);
  }
  WriteText(f.bat() / "test.setup", ExampleSetup());
  EXPECT_EQ(RunIn(f.bat(), "'" + kOliveBatch +
                               "' -j 2 --temp-increments 0,1.5,-1 test.setup 1 1 2001 3 31 2001 "
                               "30 wx/A.txt wx/B.txt wx/A.txt >stdout.txt 2>stderr.txt"),
            kBatchAllRan);
  ExpectSameSharedFiles(f.seq(), f.bat());

  // All stations of one increment, then all of the next.
  const std::vector<std::string> day60 = CrLfLines(f.bat() / "OUT00002.txt");
  ASSERT_EQ(day60.size(), 10u);
  const std::vector<std::string> want = {"0.000", "0.000",  "0.000",  "1.500", "1.500",
                                         "1.500", "-1.000", "-1.000", "-1.000"};
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(Column(day60, i + 1, "TempIncr"), want[i]);
    EXPECT_EQ(Column(day60, i + 1, "WxFile"), stations[i % 3]);
  }
  // Warmer weather, more degree-days by day 60.
  EXPECT_LT(std::stod(Column(day60, 7, "dd")), std::stod(Column(day60, 1, "dd")));
  EXPECT_LT(std::stod(Column(day60, 1, "dd")), std::stod(Column(day60, 4, "dd")));
}

TEST(BatchDaily, TheDailySwitchKeepsItsMeaningAndDailyFilesComeOnlyWhenAsked) {
  TwoFolders f;
  const int kLineOliveFly = 101;
  f.Both([&](const fs::path& dir) {
    fs::create_directories(dir / "lut");
    WriteText(dir / "lut/OliveSoilWater.txt", kTableHead);
    WriteText(dir / "test.setup", ExampleSetup({{kLineOliveFly, "T"}}));
    fs::create_directories(dir / "wx");
    fs::copy_file(fs::path(OLIVE_SOURCE_DIR) / "examples/weather/Cordoba.txt",
                  dir / "wx/Cordoba.txt");
  });
  const std::string params = "test.setup 1 1 2001 12 31 2001 365";
  RunSequentially(f.seq(), params, {"wx/Cordoba.txt"});
  ASSERT_EQ(RunIn(f.bat(), "'" + kOliveBatch + "' " + params + " wx/Cordoba.txt"), kBatchAllRan);
  ExpectSameSharedFiles(f.seq(), f.bat());
  // The share of fruit attacked by the fly, which the daily step computes, is in the rows.
  const std::vector<std::string> end = CrLfLines(f.bat() / "OUT00end.txt");
  ASSERT_EQ(end.size(), 2u);
  EXPECT_NE(Column(end, 1, "PrcntAtkd"), "0.00");
  EXPECT_FALSE(fs::exists(f.bat() / "OliveDaily.txt"));

  // Asked for: one file per station in the folder given, the rows of olive's daily file.
  ASSERT_EQ(RunIn(f.bat(), "'" + kOliveBatch + "' -j 2 --daily days " + params +
                               " wx/Cordoba.txt wx/Cordoba.txt"),
            kBatchAllRan);
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(f.bat() / "days")) {
    files.push_back(e.path().filename().string());
  }
  EXPECT_EQ(files, std::vector<std::string>{"Cordoba_OliveDaily.txt"});
  const std::vector<std::string> want = CrLfLines(f.seq() / "OliveDaily.txt");
  const std::vector<std::string> got = CrLfLines(f.bat() / "days/Cordoba_OliveDaily.txt");
  ASSERT_EQ(got.size(), want.size());
  EXPECT_EQ(got.size(), 2u + 365u);
  EXPECT_TRUE(got[0].starts_with("Olive Model ") && got[0].ends_with(" wx/Cordoba.txt"));
  for (size_t i = 1; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
}

TEST(BatchProgress, ABarOnTheErrorStreamOnlyWhenAskedOffATerminal) {
  TwoFolders f;
  PrepareStations(f.bat());
  const std::string run = "'" + kOliveBatch + "' -j 2 test.setup 1 1 2001 3 31 2001 30 ";
  ASSERT_EQ(RunIn(f.bat(), run + "wx/A.txt wx/B.txt 2>quiet.txt"), kBatchAllRan);
  // Off a terminal, only the summary line.
  const std::string quiet = ReadText(f.bat() / "quiet.txt");
  EXPECT_TRUE(quiet.starts_with("olive-batch: 2 stations ran, 0 failed, 0 skipped; ")) << quiet;
  EXPECT_EQ(quiet.find('\n'), quiet.size() - 1);
  ASSERT_EQ(RunIn(f.bat(), run + "--progress wx/A.txt wx/B.txt wx/Known.txt 2>bar.txt >/dev/null"),
            kBatchAllRan);
  std::string bar = ReadText(f.bat() / "bar.txt");
  const std::size_t summary = bar.rfind("olive-batch: 3 stations ran, 0 failed, 0 skipped; ");
  ASSERT_NE(summary, std::string::npos) << bar;
  bar.erase(summary);
  EXPECT_TRUE(bar.starts_with("\rolive-batch [........................] 0/3 stations, ")) << bar;
  EXPECT_NE(bar.find("\rolive-batch [########################] 3/3 stations, "), std::string::npos)
      << bar;
  EXPECT_TRUE(bar.ends_with(" left\n")) << bar;
  EXPECT_EQ(bar.find('\n'), bar.size() - 1);  // one line, redrawn in place
}

TEST(BatchExitCode, TellsWhetherEveryStationRan) {
  TwoFolders f;
  PrepareStations(f.bat());
  const std::string run = "'" + kOliveBatch + "' test.setup 1 1 2001 3 31 2001 30 ";
  EXPECT_EQ(RunIn(f.bat(), run + "wx/A.txt wx/Short.txt >/dev/null"), kBatchAllRan);
  EXPECT_EQ(RunIn(f.bat(), run + "wx/A.txt wx/Missing.txt >/dev/null"), kBatchStationFailed);
  EXPECT_NE(ReadText(f.bat() / "errorlog").find("Wx file not found: \"wx/Missing.txt\""),
            std::string::npos);
  // No error log: nothing runs.
  PrepareStations(f.seq());
  fs::create_directory(f.seq() / "errorlog");
  EXPECT_EQ(RunIn(f.seq(), run + "wx/A.txt >/dev/null 2>&1"), kExitErrorLogFailed);
  EXPECT_FALSE(fs::exists(f.seq() / "GisFilesList.txt"));
}

// A station's run into a journal, as a batch's worker makes it.
struct JournaledRun {
  Journal journal;
  JournalLog log{journal};
  JournalFiles files{journal};
  RunResult result;

  JournaledRun(const fs::path& dir, const std::string& weather) {
    RunPlace place;
    place.workdir = dir;
    place.shared = &files;
    place.dailyToFile = false;
    place.console = nullptr;
    result = RunStation(log,
                        {(dir / "test.setup").string(), "1", "1", "2001", "3", "31", "2001", "30",
                         (dir / weather).string()},
                        place);
  }
};

TEST(BatchJournal, ARunWritesNothingUntilItsJournalIsCommitted) {
  TwoFolders f;
  PrepareStations(f.bat());
  JournaledRun run(f.bat(), "wx/B.txt");
  EXPECT_TRUE(run.result.completed);
  EXPECT_TRUE(run.journal.lookedUp);
  EXPECT_FALSE(run.journal.lookup.found);  // new: a pass without output, then the row
  EXPECT_TRUE(run.journal.recordsStation);
  EXPECT_EQ(run.journal.stationRow.wxloc, "B.txt");
  EXPECT_EQ(batch_testing::SharedFileNames(f.bat()),
            (std::set<std::string>{"lut/OliveSoilWater.txt"}));

  ErrorLog log((f.bat() / "errorlog").string());
  const CommitResult commit = CommitJournal(run.journal, log, f.bat());
  EXPECT_FALSE(commit.stale);
  EXPECT_FALSE(commit.writeFailed);
  EXPECT_EQ(CrLfLines(f.bat() / "OUT00002.txt").size(), 2u);
  EXPECT_EQ(CrLfLines(f.bat() / "OliveSummaries.txt").size(), 4u);
  EXPECT_EQ(ReadText(f.bat() / "GisFilesList.txt"),
            "OUT00002.txt\r\nOUT00003.txt\r\nOUT00end.txt\r\n");
  EXPECT_NE(ReadText(f.bat() / "lut/OliveSoilWater.txt").find("\nB.txt\t"), std::string::npos);
}

TEST(BatchJournal, AJournalWhoseLookupTheTableNoLongerGivesIsStaleAndAppliesNothing) {
  TwoFolders f;
  PrepareStations(f.bat());
  JournaledRun run(f.bat(), "wx/Dry.txt");
  ASSERT_TRUE(run.result.completed);
  EXPECT_TRUE(run.journal.lookup.found);  // the row without soil water
  EXPECT_FALSE(run.journal.recordsStation);

  // Meanwhile another station is recorded, and the row without soil water at the table's end goes.
  const std::string before = ReadText(f.bat() / "lut/OliveSoilWater.txt");
  struct Quiet final : ErrorSink {
    void Report(std::string_view) override {}
  } quiet;
  WaterState w;
  w.soilw = 150;
  w.SoilwMaxIn = 4000;
  w.pwpin = 1000;
  ASSERT_TRUE(GenerateSoilwater(quiet, "Wet.txt", w, f.bat()));
  const std::string after = ReadText(f.bat() / "lut/OliveSoilWater.txt");
  ASSERT_EQ(after.find("Dry.txt"), std::string::npos);

  ErrorLog log((f.bat() / "errorlog").string());
  EXPECT_TRUE(CommitJournal(run.journal, log, f.bat()).stale);
  EXPECT_FALSE(fs::exists(f.bat() / "OUT00002.txt"));
  EXPECT_EQ(ReadText(f.bat() / "lut/OliveSoilWater.txt"), after);
  // Against the table it was run with, the same journal commits.
  WriteText(f.bat() / "lut/OliveSoilWater.txt", before);
  EXPECT_FALSE(CommitJournal(run.journal, log, f.bat()).stale);
  EXPECT_EQ(CrLfLines(f.bat() / "OUT00002.txt").size(), 2u);
}

// An olive run on its own commits against the table as other runs left it meanwhile.
TEST(OliveCommit, ANewStationRecordedMeanwhileIsRecordedAgainAFoundRowThatChangedIsStale) {
  TwoFolders f;
  PrepareStations(f.bat());
  struct Quiet final : ErrorSink {
    void Report(std::string_view) override {}
  } quiet;
  JournaledRun fresh(f.bat(), "wx/B.txt");
  ASSERT_TRUE(fresh.journal.recordsStation);
  WaterState w;
  w.soilw = 150;
  w.SoilwMaxIn = 4000;
  w.pwpin = 1000;
  ASSERT_TRUE(
      GenerateSoilwater(quiet, "B.txt", w, f.bat()));  // a run that went on at the same time
  const CommitResult recorded = CommitRun(fresh.journal, quiet, f.bat());
  EXPECT_FALSE(recorded.stale || recorded.refused || recorded.writeFailed);
  EXPECT_EQ(Split(ReadText(f.bat() / "lut/OliveSoilWater.txt"), "\nB.txt\t").size(), 3u);
  EXPECT_EQ(CrLfLines(f.bat() / "OUT00end.txt").size(), 2u);

  JournaledRun known(f.bat(), "wx/Known.txt");
  ASSERT_TRUE(known.journal.lookup.found);
  const std::string table = ReadText(f.bat() / "lut/OliveSoilWater.txt");
  WriteText(f.bat() / "lut/OliveSoilWater.txt",
            table.substr(0, table.find("Known.txt")) + "Known.txt\t2000.00\t4000.00\t1000.00" +
                table.substr(table.find('\n', table.find("Known.txt"))));
  EXPECT_TRUE(CommitRun(known.journal, quiet, f.bat()).stale);
  EXPECT_EQ(CrLfLines(f.bat() / "OUT00end.txt").size(), 2u);  // nothing applied
}

}  // namespace
}  // namespace olive
