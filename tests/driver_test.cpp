// Whole runs of the simulator: the daily file's layout and calendar, the passes and the
// soil-water table, the yearly reset, the end of a run on missing weather or a failed file, and
// the example station's ten years.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "driver/read_inputs.h"
#include "driver/run.h"
#include "output/daily_output.h"
#include "output/direct_shared_files.h"
#include "run_test_support.h"
#include "state/simulation.h"

namespace olive {
namespace {

using namespace olive::run_testing;

const std::vector<std::string> kBaseColumns = {
    "month",      "day",           "yr",         "jday",     "PlantDDSum",
    "FreezeDD",   "ddbMinus10",    "ddbMinus85", "Bloomday", "lfnum",
    "frunum",     "rootMass",      "rootlive",   "frame",    "shootMass",
    "res",        "lfmass",        "fruwgt",     "Harvest",  "Yield",
    "lfarea100",  "sdveg",         "sdfru",      "TempIncr", "DDBelowBase",
    "blmchillHr", "blmchillHr290", "PrcntTkd"};

// Mild weather: every day 20/10 deg C.
WxDay Mild(int32_t) {
  return WxDay{};
}

// The example station's weather file, copied into the run's folder.
void UseExampleWeather(const RunDir& dir) {
  std::filesystem::copy_file(
      std::filesystem::path(OLIVE_SOURCE_DIR) / "examples/weather/Cordoba.txt",
      dir / "weather.txt");
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// An error sink that keeps the messages.
struct MemoryLog : ErrorSink {
  std::vector<std::string> lines;
  void Report(std::string_view message) override { lines.emplace_back(message); }
};

// A simulation whose inputs have been read from files in dir.
std::unique_ptr<Simulation> ReadRun(MemoryLog& log, const RunDir& dir, const std::string& setup,
                                    const std::string& from, const std::string& to) {
  WriteText(dir / "test.setup", setup);
  const std::vector<std::string> f = Split(from, "/"), t = Split(to, "/");
  const std::vector<std::string> args = {
      (dir / "test.setup").string(), f[0], f[1], f[2], t[0], t[1], t[2], "365",
      (dir / "weather.txt").string()};
  static DirectSharedFiles direct;  // stateless: the files themselves
  auto sim = std::make_unique<Simulation>(log);
  sim->files.workdir = dir.path();
  sim->files.shared = &direct;
  ReadInputs(log, args, DiskFiles(), sim->in, sim->drv, sim->rng);
  EXPECT_TRUE(log.RunOk);
  return sim;
}

TEST(DailyFile, EverythingOffGivesTheTitleAnd28Columns) {
  RunDir dir;
  WriteWeather(dir / "weather.txt", 2001, 1, 1, 40, Mild);
  ASSERT_EQ(RunIn(dir, ExampleSetup({{kLineNitro, "F"}}), "1/1/2001", "1/10/2001"), kExitOk);
  const DailyFile d = ReadDaily(dir / "OliveDaily.txt");
  EXPECT_TRUE(d.crlf);
  EXPECT_EQ(d.title.rfind("Olive Model ", 0), 0u);
  const std::string weatherName = (dir / "weather.txt").string();
  EXPECT_EQ(d.title.substr(d.title.size() - weatherName.size() - 1), ' ' + weatherName);
  EXPECT_EQ(d.names, kBaseColumns);
  ASSERT_EQ(d.rows.size(), 10u);
  for (const auto& row : d.rows) EXPECT_EQ(row.size(), 28u);
  // First row: fixed formats of the always-present groups.
  EXPECT_EQ(d.At(0, "month"), "1");
  EXPECT_EQ(d.At(0, "ddbMinus10"), " 0.00000000000000E+0000");
  EXPECT_EQ(d.At(0, "PlantDDSum").size(), 8u);  // width 8, one decimal
  EXPECT_EQ(d.At(0, "Harvest"), "0");
  EXPECT_EQ(d.At(0, "TempIncr"), "0.000");
  EXPECT_EQ(d.At(0, "PrcntTkd"), "0.00");
}

TEST(DailyFile, NitrogenAddsItsEightColumnsAfterTheTree) {
  RunDir dir;
  WriteWeather(dir / "weather.txt", 2001, 1, 1, 40, Mild);
  ASSERT_EQ(RunIn(dir, ExampleSetup({{kLineNitro, "T"}}), "1/1/2001", "1/5/2001"), kExitOk);
  const DailyFile d = ReadDaily(dir / "OliveDaily.txt");
  std::vector<std::string> expected(kBaseColumns.begin(), kBaseColumns.begin() + 23);
  for (const char* n : {"Ndtot", "soiln", "Nres", "Nuptk", "youngL", "middleL", "oldL", "Nsdtot"}) {
    expected.push_back(n);
  }
  expected.insert(expected.end(), kBaseColumns.begin() + 23, kBaseColumns.end());
  EXPECT_EQ(d.names, expected);
  for (const auto& row : d.rows) EXPECT_EQ(row.size(), 36u);
}

TEST(DailyFile, ColumnGroupsFollowTheirSwitches) {
  Inputs in;
  EXPECT_EQ(DailyColumnCount(in), 28);
  in.simspraysin = true;  // sprays without a pest: no spray-level column
  EXPECT_EQ(DailyColumnCount(in), 28);
  in.PredIn = true;  // predators without mites: no predator columns
  EXPECT_EQ(DailyColumnCount(in), 28);
  in.nitro = true;
  EXPECT_EQ(DailyColumnCount(in), 36);
}

TEST(DailyFile, EveryPestGroupJoinsInItsPlace) {
  Inputs in;
  in.nitro = in.simspraysin = in.mite = in.PredIn = in.GWss = true;
  in.OliveScale = in.AMaculicornis = in.Cutilis = true;
  in.OleanderScale = in.Achilensis = in.ed = in.CoccInRun = in.OliveFlyInRun = true;
  // 23 tree + 8 nitrogen + spray + TempIncr + 5 mites + 2 predators + 5 sharpshooter
  // + 7 + 3 + 6 olive scale + 7 + 3 + 3 oleander scale + 4 coccinellid + 11 fly + 4 chilling.
  EXPECT_EQ(DailyColumnCount(in), 93);
  std::vector<std::string> names;
  for (const DailyColumnGroup& g : DailyColumnGroups()) {
    if (!g.present(in)) continue;
    for (const DailyColumn& c : g.columns) names.emplace_back(c.name);
  }
  ASSERT_EQ(names.size(), 93u);
  EXPECT_EQ(names[31], "SprayLevel");
  EXPECT_EQ(names[32], "TempIncr");
  EXPECT_EQ(names[33], "MiteW.Eggs");
  EXPECT_EQ(names[38], "predEggs");
  EXPECT_EQ(names[40], "GWssDDaTot");
  EXPECT_EQ(names[45], "OliveScEggs");
  EXPECT_EQ(names[52], "AMacu1");
  EXPECT_EQ(names[55], "Cutilis1");
  EXPECT_EQ(names[61], "Oleandereggs");
  EXPECT_EQ(names[68], "Achil1");
  EXPECT_EQ(names[71], "ed1");
  EXPECT_EQ(names[74], "Coccegnm");
  EXPECT_EQ(names[78], "ddtot");
  EXPECT_EQ(names[86], "frunum");
  EXPECT_EQ(names[89], "DDBelowBase");
  // A parasitoid's columns need its host scale; the spray level needs a pest.
  in.OliveScale = false;
  EXPECT_EQ(DailyColumnCount(in), 93 - 16);
}

TEST(DailyFile, DailyOffWritesNoFileAndLeavesAnOldOneAlone) {
  RunDir dir;
  WriteWeather(dir / "weather.txt", 2001, 1, 1, 40, Mild);
  WriteText(dir / "OliveDaily.txt", "an older daily file\n");
  ASSERT_EQ(RunIn(dir, ExampleSetup({{kLineDaily, "F"}}), "1/1/2001", "1/10/2001"), kExitOk);
  EXPECT_EQ(ReadText(dir / "OliveDaily.txt"), "an older daily file\n");
}

TEST(Calendar, OneRowPerDayAcrossALeapYearAndAYearEnd) {
  RunDir dir;
  WriteWeather(dir / "weather.txt", 2003, 12, 1, 420, Mild);
  ASSERT_EQ(RunIn(dir, ExampleSetup(), "12/20/2003", "1/10/2005"), kExitOk);
  const DailyFile d = ReadDaily(dir / "OliveDaily.txt");
  ASSERT_EQ(d.rows.size(), 12u + 366u + 10u);
  int32_t year = 2003, jday = 354;  // 20 December 2003
  for (size_t r = 0; r < d.rows.size(); ++r) {
    uint8_t mo = 0, dy = 0;
    bool ok = false;
    Caland(year, jday, mo, dy, ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(d.At(r, "yr"), std::to_string(year)) << "row " << r;
    ASSERT_EQ(d.At(r, "jday"), std::to_string(jday)) << "row " << r;
    ASSERT_EQ(d.At(r, "month"), std::to_string(mo)) << "row " << r;
    ASSERT_EQ(d.At(r, "day"), std::to_string(dy)) << "row " << r;
    if (++jday > YearLengthOf(year)) {
      jday = 1;
      ++year;
    }
  }
  EXPECT_EQ(d.At(12 + 365, "jday"), "366");  // 31 December 2004
  EXPECT_EQ(d.At(12 + 365, "day"), "31");
}

TEST(Calendar, FirstJanuaryStartsTheTreesNewSeason) {
  RunDir dir;
  UseExampleWeather(dir);
  ASSERT_EQ(RunIn(dir, ExampleSetup(), "1/1/2001", "1/10/2002"), kExitOk);
  const DailyFile d = ReadDaily(dir / "OliveDaily.txt");
  ASSERT_EQ(d.rows.size(), 375u);
  const size_t dec31 = 364, jan1 = 365;
  EXPECT_EQ(d.At(jan1, "jday"), "1");
  EXPECT_GT(d.Value(dec31, "PlantDDSum"), 1000);
  EXPECT_LT(d.Value(jan1, "PlantDDSum"), 20);  // one winter day's degree-days
  EXPECT_GT(d.Value(dec31, "Bloomday"), 0);
  EXPECT_EQ(d.At(jan1, "Bloomday"), "0");
  EXPECT_GT(d.Value(dec31, "blmchillHr290"), 0);
  EXPECT_EQ(d.At(jan1, "blmchillHr290"), "0.00");
  EXPECT_EQ(d.At(dec31, "blmchillHr"), "0.00");  // nothing accumulates after day 290
  EXPECT_GT(d.Value(jan1, "blmchillHr"), 0);     // ... and it starts again on 1 January
  EXPECT_LT(d.Value(jan1, "DDBelowBase"), d.Value(dec31, "DDBelowBase"));
}

TEST(Passes, NewStationGetsAPassWithoutOutputThenItsRowThenOutput) {
  RunDir dir;
  WriteWeather(dir / "weather.txt", 2001, 1, 1, 100, Mild);
  {
    MemoryLog log;
    auto sim = ReadRun(log, dir, ExampleSetup(), "1/1/2001", "3/1/2001");
    EXPECT_EQ(RunPasses(*sim), 2);
    EXPECT_TRUE(log.RunOk);
    EXPECT_TRUE(sim->drv.SoilWaterOk);
  }
  std::vector<std::string> rows = TableRows(dir);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].rfind("weather.txt\t", 0), 0u) << rows[0];
  EXPECT_EQ(ReadDaily(dir / "OliveDaily.txt").rows.size(), 60u);
  {
    MemoryLog log;
    auto sim = ReadRun(log, dir, ExampleSetup(), "1/1/2001", "3/1/2001");
    EXPECT_EQ(RunPasses(*sim), 1);  // found: one pass, with output
    EXPECT_TRUE(log.lines.empty());
  }
  EXPECT_EQ(TableRows(dir).size(), 1u);
}

TEST(Passes, ARepeatedPassStartsExactlyLikeAFirstPass) {
  RunDir dir;
  UseExampleWeather(dir);
  // Three years with nitrogen, pruning and harvests; no submodel draws random numbers.
  const std::string setup = ExampleSetup({{kLineNitro, "T"}});
  ASSERT_EQ(RunIn(dir, setup, "3/1/2001", "2/28/2004"), kExitOk);
  const std::string newStation = ReadText(dir / "OliveDaily.txt");
  ASSERT_EQ(TableRows(dir).size(), 1u);
  ASSERT_EQ(RunIn(dir, setup, "3/1/2001", "2/28/2004"), kExitOk);
  const std::string knownStation = ReadText(dir / "OliveDaily.txt");
  EXPECT_EQ(TableRows(dir).size(), 1u);
  // Everything after the title line (which holds the time of the run) is the same.
  const auto body = [](const std::string& t) { return t.substr(t.find('\n')); };
  EXPECT_EQ(body(newStation), body(knownStation));
  const DailyFile d = ReadDaily(dir / "OliveDaily.txt");
  EXPECT_EQ(d.At(0, "yr"), "2001");  // the repeated pass starts at the first year again
  EXPECT_EQ(d.At(0, "jday"), "60");
}

TEST(Run, WeatherEndingEarlyShortensTheRunAndEndsNormally) {
  RunDir dir;
  WriteWeather(dir / "weather.txt", 2001, 1, 1, 30, Mild);
  ASSERT_EQ(RunIn(dir, ExampleSetup(), "1/1/2001", "3/1/2001"), kExitOk);
  EXPECT_TRUE(
      Contains(ReadText(dir / "errorlog"), "Model end date adjusted to end of weather data."));
  const DailyFile d = ReadDaily(dir / "OliveDaily.txt");
  ASSERT_EQ(d.rows.size(), 29u);  // the last record's day is not simulated
  EXPECT_EQ(d.At(28, "jday"), "29");
  EXPECT_EQ(TableRows(dir).size(), 1u);  // the pass without output still recorded the station
}

TEST(Run, DailyFileThatCannotBeCreatedStopsBeforeTheFirstDay) {
  RunDir dir;
  WriteWeather(dir / "weather.txt", 2001, 1, 1, 40, Mild);
  std::filesystem::create_directories(dir / "OliveDaily.txt");
  EXPECT_EQ(RunIn(dir, ExampleSetup(), "1/1/2001", "1/20/2001"), kExitWriteFailed);
  const std::string log = ReadText(dir / "errorlog");
  EXPECT_TRUE(Contains(log, "Can not open: OliveDaily.txt")) << log;
  EXPECT_TRUE(TableRows(dir).empty());  // no pass ran
}

TEST(Run, FailedWriteEndsWithAMessageAndANonZeroExitCode) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  RunDir dir;
  UseExampleWeather(dir);
  std::filesystem::create_symlink("/dev/full", dir / "OliveDaily.txt");
  EXPECT_EQ(RunIn(dir, ExampleSetup(), "1/1/2001", "12/31/2003"), kExitWriteFailed);
  const std::string log = ReadText(dir / "errorlog");
  EXPECT_TRUE(Contains(log, "Can not write: ")) << log;
  EXPECT_TRUE(Contains(log, "OliveDaily.txt")) << log;
}

TEST(Run, ExecutableReportsTheRunsOutcomeInItsExitCode) {
  RunDir dir;
  UseExampleWeather(dir);
  WriteText(dir / "test.setup", ExampleSetup());
  const std::string cmd = "cd '" + dir.path().string() +
                          "' && '" OLIVE_BINARY_DIR
                          "/olive' test.setup 1 1 2001 12 31 2001 365 weather.txt >/dev/null";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(ReadDaily(dir / "OliveDaily.txt").rows.size(), 365u);
  if (std::filesystem::exists("/dev/full")) {
    std::filesystem::remove(dir / "OliveDaily.txt");
    std::filesystem::create_symlink("/dev/full", dir / "OliveDaily.txt");
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kExitWriteFailed);
  }
}

TEST(ExampleStation, TenYearsHaveNoNaNOrInfinity) {
  for (const char* nitro : {"F", "T"}) {
    RunDir dir;
    UseExampleWeather(dir);
    ASSERT_EQ(RunIn(dir, ExampleSetup({{kLineNitro, nitro}}), "1/1/2001", "12/31/2010"), kExitOk);
    const DailyFile d = ReadDaily(dir / "OliveDaily.txt");
    ASSERT_EQ(d.rows.size(), 3652u);
    for (size_t r = 0; r < d.rows.size(); ++r) {
      for (size_t c = 0; c < d.names.size(); ++c) {
        const double v = std::stod(d.rows[r][c]);
        ASSERT_TRUE(std::isfinite(v)) << d.names[c] << " row " << r << " nitro " << nitro;
      }
    }
    EXPECT_EQ(ReadText(dir / "errorlog"), "");
  }
}

TEST(ExampleStation, TenYearsWithEveryPestAndSpraysRunCleanly) {
  RunDir dir;
  UseExampleWeather(dir);
  std::map<int, std::string> on;
  // nitro, mites, predators, sharpshooter, both scales and their parasitoids, coccinellid, olive
  // fly, sprays against mites and the olive fly
  for (int line : {31, 43, 59, 64, 70, 76, 79, 83, 89, 92, 96, 101, 112, 115}) {
    on[line] = "T\tswitched on by the test";
  }
  ASSERT_EQ(RunIn(dir, ExampleSetup(on), "1/1/2001", "12/31/2010"), kExitOk);
  EXPECT_EQ(ReadText(dir / "errorlog"), "");
  const DailyFile d = ReadDaily(dir / "OliveDaily.txt");
  ASSERT_EQ(d.rows.size(), 3652u);
  for (size_t r = 0; r < d.rows.size(); ++r) {
    ASSERT_EQ(d.rows[r].size(), d.names.size());
    for (const std::string& field : d.rows[r]) ASSERT_TRUE(std::isfinite(std::stod(field)));
  }
}

}  // namespace
}  // namespace olive
