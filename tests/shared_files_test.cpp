// The files that every run in a working directory shares, changed by many writers at once: threads
// of one process through the direct sink, and many olive processes started together in one folder.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "batch_test_support.h"
#include "io/file_lock.h"
#include "output/direct_shared_files.h"
#include "soil/soil_water_table.h"
#include "state/run_files.h"

namespace olive {
namespace {

namespace fs = std::filesystem;
using batch_testing::FieldsOf;
using batch_testing::ReadText;
using batch_testing::Split;
using batch_testing::WriteText;
using run_testing::RunDir;
using run_testing::TableRows;

struct Messages final : ErrorSink {
  std::vector<std::string> lines;
  void Report(std::string_view m) override { lines.emplace_back(m); }
};

std::vector<std::string> Lines(const fs::path& p) {
  std::vector<std::string> lines = Split(ReadText(p), "\r\n");
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

TEST(LockedAppend, ANewFileIsOneThatIsEmptyUnderTheLock) {
  RunDir dir;
  LockedAppendFile f;
  ASSERT_TRUE(f.Open(dir / "t.txt"));
  EXPECT_TRUE(f.Empty());
  EXPECT_TRUE(f.Write("head\n"));
  EXPECT_TRUE(f.Close());
  ASSERT_TRUE(f.Open(dir / "t.txt"));
  EXPECT_FALSE(f.Empty());
  EXPECT_TRUE(f.Write("row\n"));
  EXPECT_TRUE(f.Close());
  EXPECT_EQ(ReadText(dir / "t.txt"), "head\nrow\n");
  EXPECT_FALSE(f.Open(dir / "missing" / "t.txt"));
  EXPECT_EQ(f.Error(), ENOENT);
}

TEST(LockedAppend, ALockExcludesAnotherOpeningOfTheSameFileInTheSameProcess) {
  RunDir dir;
  LockedAppendFile first;
  ASSERT_TRUE(first.Open(dir / "t.txt"));
  std::atomic<bool> secondHasIt{false};
  std::thread other([&] {
    LockedAppendFile second;
    ASSERT_TRUE(second.Open(dir / "t.txt"));  // waits for first's lock
    secondHasIt = true;
    EXPECT_FALSE(second.Empty());  // first's text is there
    second.Write("b\n");
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(secondHasIt);
  first.Write("a\n");
  first.Close();
  other.join();
  EXPECT_TRUE(secondHasIt);
  EXPECT_EQ(ReadText(dir / "t.txt"), "a\nb\n");
}

TEST(LockedAppend, AWriteThatFallsShortIsUndone) {
  RunDir dir;
  WriteText(dir / "t.txt", "head\r\n");
  // The file may grow by 4 bytes only: the row's first write falls short, the next one fails.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 10;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  LockedAppendFile f;
  ASSERT_TRUE(f.Open(dir / "t.txt"));
  const bool written = f.Write("a row longer than the room left\r\n");
  const bool closed = f.Close();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldSignal);
  EXPECT_FALSE(written);
  EXPECT_FALSE(closed);
  EXPECT_EQ(f.Error(), EFBIG);
  EXPECT_EQ(ReadText(dir / "t.txt"), "head\r\n");
}

TEST(DirectSharedFiles, AHalfRowLeftByAKilledRunIsCutOffBeforeTheNextRow) {
  RunDir dir;
  WriteText(dir / "OUT00002.txt", "Model\tRow\r\nVudadIDE\t1\r\nVudadIDE\t");
  Messages log;
  EXPECT_EQ(DirectSharedFiles::Append(log, dir.path(),
                                      {"OUT00002.txt", "Model\tRow\r\n", "VudadIDE\t2\r\n", true}),
            AppendOutcome::Written);
  EXPECT_EQ(ReadText(dir / "OUT00002.txt"), "Model\tRow\r\nVudadIDE\t1\r\nVudadIDE\t2\r\n");
  EXPECT_EQ(log.lines, std::vector<std::string>{"OUT00002.txt ended in an incomplete line of 9 "
                                                "bytes (a run was stopped while writing it); it "
                                                "was removed"});
  EXPECT_FALSE(fs::exists(dir / "GisFilesList.txt"));  // not new: listed when it was made
}

TEST(DirectSharedFiles, AFileThatAKilledRunListedButDidNotWriteIsNotListedTwice) {
  RunDir dir;
  WriteText(dir / "GisFilesList.txt", "OUT00002.txt\r\n");
  WriteText(dir / "OUT00002.txt", "");
  Messages log;
  EXPECT_EQ(DirectSharedFiles::Append(log, dir.path(),
                                      {"OUT00002.txt", "Model\tRow\r\n", "VudadIDE\t2\r\n", true}),
            AppendOutcome::Written);
  EXPECT_EQ(ReadText(dir / "OUT00002.txt"), "Model\tRow\r\nVudadIDE\t2\r\n");
  EXPECT_EQ(ReadText(dir / "GisFilesList.txt"), "OUT00002.txt\r\n");
  EXPECT_TRUE(log.lines.empty());
}

TEST(DirectSharedFiles, RowsFromManyThreadsGetOneHeaderOneListLineAndNoLoss) {
  RunDir dir;
  constexpr int kThreads = 12, kRows = 40;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each writer is a run of its own: its own files, list and log.
      Messages log;
      DirectSharedFiles direct;
      RunFiles files;
      files.workdir = dir.path();
      files.shared = &direct;
      files.Shared().OpenGisList(files);
      for (int r = 0; r < kRows; ++r) {
        std::string row = "t";
        row.append(std::to_string(t)).append("\tr").append(std::to_string(r)).append("\r\n");
        for (const char* name : {"OUT00002.txt", "OliveSummaries.txt"}) {
          const bool gis = name[0] == 'O' && name[1] == 'U';
          if (!files.Shared().AppendRow(files, log, dir.path(),
                                        {name, "Model\tRow\r\n", row, gis})) {
            ++failures;
          }
        }
      }
      if (!log.lines.empty()) ++failures;
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures, 0);
  for (const char* name : {"OUT00002.txt", "OliveSummaries.txt"}) {
    const std::vector<std::string> lines = Lines(dir / name);
    ASSERT_EQ(lines.size(), 1u + kThreads * kRows) << name;
    EXPECT_EQ(lines[0], "Model\tRow") << name;
    std::map<std::string, int> seen;
    for (size_t i = 1; i < lines.size(); ++i) ++seen[lines[i]];
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kRows)) << name;
    for (const auto& [row, n] : seen) EXPECT_EQ(n, 1) << name << ": " << row;
  }
  EXPECT_EQ(ReadText(dir / "GisFilesList.txt"), "OUT00002.txt\r\n");
}

TEST(DirectSharedFiles, StationsRecordedByManyThreadsAreAllInTheTable) {
  RunDir dir;
  constexpr int kThreads = 12;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      Messages log;
      WaterState w;
      w.soilw = 10.0f + static_cast<float>(t);
      w.SoilwMaxIn = 4000;
      w.pwpin = 1000;
      // Three threads record the same new station, as runs racing on it would.
      const std::string station = t < 3 ? "Same.txt" : "S" + std::to_string(t) + ".txt";
      EXPECT_TRUE(GenerateSoilwater(log, station, w, dir.path()));
      EXPECT_TRUE(log.lines.empty());
    });
  }
  for (std::thread& t : threads) t.join();
  const std::vector<std::string> rows = TableRows(dir);
  EXPECT_EQ(rows.size(), static_cast<size_t>(kThreads));  // every append kept
  for (int t = 3; t < kThreads; ++t) {
    const std::string station = "S" + std::to_string(t) + ".txt";
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                            [&](const std::string& r) { return r.starts_with(station + "\t"); }),
              1)
        << station;
  }
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                          [](const std::string& r) { return r.starts_with("Same.txt\t"); }),
            3);
  // Nothing but the table is left in lut/.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "lut"), fs::directory_iterator()), 1);
}

// Many olive processes started at the same moment in one working directory, each a short run of a
// new station: 20 stations of their own and 4 runs racing on one more station (the same file name
// in four folders, so the same key of the soil-water table).
TEST(ConcurrentOliveProcesses, EveryRowOnceEveryHeaderOnceEveryStationInTheTable) {
  RunDir dir;
  WriteText(dir / "test.setup", run_testing::ExampleSetup({{run_testing::kLineDaily, "F"}}));
  std::vector<std::string> weather;
  std::map<std::string, std::string> locationOf;  // weather file -> Location
  for (int i = 0; i < 20; ++i) {
    const std::string loc = "St" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    weather.push_back("wx/" + loc + ".txt");
    locationOf[weather.back()] = loc;
  }
  for (int i = 0; i < 4; ++i) {
    weather.push_back("wx" + std::to_string(i) + "/Same.txt");
    locationOf[weather.back()] = "Same";
  }
  // 100 days of weather for a run of 120: "Model end date adjusted" once per pass, in the log.
  for (const std::string& w : weather) {
    batch_testing::WriteStation(dir / w, locationOf[w], 2001, 1, 1, 100);
  }
  // All processes wait at a gate (a lock the script holds) and start when it is released.
  std::string script = "exec 9>gate\nflock -x 9\n";
  for (size_t i = 0; i < weather.size(); ++i) {
    script += "( flock -s gate true 9>&-; '" + batch_testing::kOlive +
              "' test.setup 1 1 2001 4 30 2001 30 " + weather[i] +
              " >/dev/null 2>&1 9>&-; echo $? >rc" + std::to_string(i) + " ) &\n";
  }
  script += "sleep 0.3\nflock -u 9\nwait\n";
  WriteText(dir / "start.sh", script);
  ASSERT_EQ(batch_testing::RunIn(dir.path(), "bash start.sh"), 0);
  for (size_t i = 0; i < weather.size(); ++i) {
    EXPECT_EQ(ReadText(dir / ("rc" + std::to_string(i))), "0\n") << weather[i];
  }

  // GIS files of days 60 and 90 and the end-of-run file: the header once, then one whole row per
  // run.
  for (const char* name : {"OUT00002.txt", "OUT00003.txt", "OUT00end.txt"}) {
    const std::vector<std::string> lines = Lines(dir / name);
    ASSERT_EQ(lines.size(), 1 + weather.size()) << name;
    EXPECT_TRUE(lines[0].starts_with("Model\tDate\tTime\tWxFile")) << name;
    const size_t columns = FieldsOf(lines[0]).size();
    std::map<std::string, int> rowsOf;
    for (size_t i = 1; i < lines.size(); ++i) {
      const std::vector<std::string> f = FieldsOf(lines[i]);
      ASSERT_EQ(f.size(), columns) << name << ": " << lines[i];
      EXPECT_EQ(f[0], "VudadIDE");
      ++rowsOf[f[3]];
    }
    for (const std::string& w : weather) EXPECT_EQ(rowsOf[w], 1) << name << ": " << w;
  }
  // The list names each file once.
  std::vector<std::string> list = Lines(dir / "GisFilesList.txt");
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, (std::vector<std::string>{"OUT00002.txt", "OUT00003.txt", "OUT00end.txt"}));

  // The summary table: its header once, then output dates 1, 2, 3 of every run.
  const std::vector<std::string> summary = Lines(dir / "OliveSummaries.txt");
  ASSERT_EQ(summary.size(), 1 + 3 * weather.size());
  EXPECT_TRUE(summary[0].starts_with("Model\tDate\tTime\tWxFile\tLong\tLat\tGisOutSeq"));
  std::map<std::string, std::string> seqOf;
  for (size_t i = 1; i < summary.size(); ++i) {
    const std::vector<std::string> f = FieldsOf(summary[i]);
    ASSERT_EQ(f.size(), FieldsOf(summary[0]).size()) << summary[i];
    seqOf[f[3]] += f[6];
  }
  for (const std::string& w : weather) EXPECT_EQ(seqOf[w], "123") << w;

  // The soil-water table: every station; the raced station at least once (each run that did not
  // find it at its start records it); nothing else, and no temporary file left.
  std::map<std::string, int> tableRows;
  for (const std::string& row : TableRows(dir)) ++tableRows[row.substr(0, row.find('\t'))];
  for (int i = 0; i < 20; ++i) EXPECT_EQ(tableRows[fs::path(weather[i]).filename()], 1);
  EXPECT_GE(tableRows["Same.txt"], 1);
  EXPECT_LE(tableRows["Same.txt"], 4);
  EXPECT_EQ(tableRows.size(), 21u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "lut"), fs::directory_iterator()), 1);

  // The error log: whole lines only; the weather's early end once per pass of each run (two
  // passes for a new station; a raced run that found the station made one).
  const std::regex line(
      R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (St\d\d|Same) Model end date adjusted to end of weather data\.)");
  std::map<std::string, int> linesOf;
  for (const std::string& l : Split(ReadText(dir / "errorlog"), "\n")) {
    if (l.empty()) continue;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, line)) << l;
    ++linesOf[m[1]];
  }
  for (int i = 0; i < 20; ++i) EXPECT_EQ(linesOf[locationOf[weather[i]]], 2) << weather[i];
  EXPECT_GE(linesOf["Same"], 4);
  EXPECT_LE(linesOf["Same"], 8);
  EXPECT_EQ(linesOf["Same"], 4 + tableRows["Same.txt"]);  // a second pass for each recording run
}

}  // namespace
}  // namespace olive
