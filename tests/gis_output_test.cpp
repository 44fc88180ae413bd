#include "output/gis_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "output/column_table.h"
#include "output_test_support.h"
#include "run_test_support.h"

namespace olive {
namespace {

using testing::FieldOf;
using testing::Fields;
using testing::FixedClock;
using testing::ReadFile;
using testing::ReadLines;
using testing::RecordingSink;
using testing::RunOutputPass;
using testing::SetStation;
using testing::TempDir;

constexpr const char* kCommonHeader =
    "Model\tDate\tTime\tWxFile\tLong\tLat\tJdStart\tDysToOut\tMonth\tDay\tYear\tdd\tddbZero\t"
    "FruWgt\tfruNum\tBloomday\tBloomYr\tDDBSum\tChillHD\tPrcpYrSum\tTempIncr\tddbMinus10\t"
    "ddbMinus83";

// The tree on every day of the test passes: values chosen to show each column's format.
void SetTree(Simulation& sim) {
  sim.season.PlantDDSum = 12.25f * sim.drv.modelday;
  sim.season.PlantFreezeDD = 3.14159;
  sim.plant.Frumass = 1234.56;
  sim.plant.fruNum = 0.04;
  sim.season.bloomday = sim.drv.modelday >= 80 ? 85 : 0;
  sim.season.PlantddbSum = 17.36f;
  sim.season.BloomChillHourDegreesSave = 412.5;
  sim.season.PlantKillDD = 0;
  sim.season.PlantDamageDD = 1.04;
  sim.drv.PrecipYearSum += 0.5f - 1.25f;  // 0.5 mm a day (the pass adds 1.25)
}

class GisTest : public ::testing::Test {
 protected:
  GisTest() : sim(log) {
    sim.files.shared = &direct;
    SetStation(sim, "Cordoba.txt", -4.7794f, 37.8882f);
    sim.in.GisOutputInterval = 30;
    sim.in.GisOutputTarget = 1;
    ctx.workdir = dir.path();
    ctx.clock = FixedClock;
  }
  std::filesystem::path File(const std::string& name) const { return dir.path() / name; }

  TempDir dir;
  RecordingSink log;
  DirectSharedFiles direct;
  Simulation sim;
  WriterContext ctx;
};

TEST_F(GisTest, Interval30Over95DaysWritesDays60And90AndTheEndRow) {
  ASSERT_TRUE(RunOutputPass(sim, ctx, 95, false, SetTree));
  EXPECT_TRUE(log.messages.empty());

  // Day 30 is the first output date of the pass: no file, no row.
  EXPECT_FALSE(std::filesystem::exists(File("OUT00001.txt")));
  const auto day60 = ReadLines(File("OUT00002.txt"));
  const auto day90 = ReadLines(File("OUT00003.txt"));
  const auto end = ReadLines(File("OUT00end.txt"));
  ASSERT_EQ(day60.size(), 2u);
  ASSERT_EQ(day90.size(), 2u);
  ASSERT_EQ(end.size(), 2u);
  EXPECT_EQ(day60[0], kCommonHeader);
  EXPECT_EQ(end[0], kCommonHeader);

  // Exact formats: 4 decimals for the place, whole numbers for dates, width 8 for bloom.
  EXPECT_EQ(day60[1],
            "VudadIDE\t07Dec26\t11:49:50-PM\tCordoba.txt\t-4.7794\t37.8882\t1\t60\t3\t1\t2001\t"
            "735.0\t3.1\t1234.6\t0.0\t     0.0\t     0.0\t17.4\t412.5\t15.0\t0.500\t0.0\t1.0");
  EXPECT_EQ(day90[1],
            "VudadIDE\t07Dec26\t11:49:50-PM\tCordoba.txt\t-4.7794\t37.8882\t1\t90\t3\t31\t2001\t"
            "1102.5\t3.1\t1234.6\t0.0\t    85.0\t     1.0\t17.4\t412.5\t15.0\t0.500\t0.0\t1.0");
  // The end-of-run row comes after the step to the next day: day of year 96, date of day 95,
  // rain of days 91 to 95.
  EXPECT_EQ(end[1],
            "VudadIDE\t07Dec26\t11:49:50-PM\tCordoba.txt\t-4.7794\t37.8882\t1\t96\t4\t5\t2001\t"
            "1163.8\t3.1\t1234.6\t0.0\t    85.0\t     1.0\t17.4\t412.5\t2.5\t0.500\t0.0\t1.0");

  EXPECT_EQ(ReadFile(File("GisFilesList.txt")), "OUT00002.txt\r\nOUT00003.txt\r\nOUT00end.txt\r\n");
  EXPECT_EQ(sim.gis.GisFileIndex, 4u);  // three output dates and the end-of-run row
  EXPECT_EQ(sim.gis.GisFilename, "OUT00end.txt");
}

TEST_F(GisTest, ASecondStationAppendsOneRowToEachFileWithoutHeaderOrListEntry) {
  ASSERT_TRUE(RunOutputPass(sim, ctx, 95, false, SetTree));
  const std::string list = ReadFile(File("GisFilesList.txt"));

  RecordingSink log2;
  Simulation other(log2);
  SetStation(other, "Sevilla.txt", -5.9823f, 37.3891f);
  other.in.GisOutputInterval = 30;
  other.in.GisOutputTarget = 1;
  ASSERT_TRUE(RunOutputPass(other, ctx, 95, false, SetTree));

  for (const char* name : {"OUT00002.txt", "OUT00003.txt", "OUT00end.txt"}) {
    const auto lines = ReadLines(File(name));
    ASSERT_EQ(lines.size(), 3u) << name;
    EXPECT_EQ(lines[0], kCommonHeader) << name;
    EXPECT_EQ(FieldOf(lines[0], lines[1], "WxFile"), "Cordoba.txt") << name;
    EXPECT_EQ(FieldOf(lines[0], lines[2], "WxFile"), "Sevilla.txt") << name;
    EXPECT_EQ(FieldOf(lines[0], lines[2], "Long"), "-5.9823") << name;
  }
  EXPECT_EQ(ReadFile(File("GisFilesList.txt")), list);
}

TEST_F(GisTest, AnExistingFileGetsRowsOnlyAndIsNotListed) {
  {
    std::ofstream existing(File("OUT00002.txt"), std::ios::binary);
    existing << kCommonHeader << "\r\n";  // made by an earlier run
  }
  ASSERT_TRUE(RunOutputPass(sim, ctx, 65, false, SetTree));
  const auto lines = ReadLines(File("OUT00002.txt"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], kCommonHeader);
  EXPECT_EQ(Fields(lines[1]).size(), 23u);
  EXPECT_EQ(FieldOf(lines[0], lines[1], "WxFile"), "Cordoba.txt");
  EXPECT_EQ(ReadFile(File("GisFilesList.txt")), "OUT00end.txt\r\n");
}

TEST_F(GisTest, AnEmptyFileIsNewItGetsTheHeaderAndIsListed) {
  { std::ofstream existing(File("OUT00002.txt"), std::ios::binary); }
  ASSERT_TRUE(RunOutputPass(sim, ctx, 65, false, SetTree));
  const auto lines = ReadLines(File("OUT00002.txt"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], kCommonHeader);
  EXPECT_EQ(ReadFile(File("GisFilesList.txt")), "OUT00002.txt\r\nOUT00end.txt\r\n");
}

TEST_F(GisTest, GroupsFollowTheSwitchesInTheirOrder) {
  std::string header;
  sim.in.mite = true;
  sim.in.OliveFlyInRun = true;
  GisHeaders(header, sim.in);
  EXPECT_EQ(header, std::string(kCommonHeader) +
                        "\tWintEggs\tMiteEggs\tJuvenile\tMiteAdls\tMobiles\tPredEggs\tLrvAdlts"
                        "\tOFEgDays\tOFLrDays\tOFPuDays\tOFAdDays\tOfPupSum\tDamFrSum\tPrcntAtkd"
                        "\r\n");
}

// Every organism in the run.
void AllSwitchesOn(Inputs& in) {
  in.mite = in.PredIn = in.GWss = in.OliveScale = in.AMaculicornis = in.Cutilis = true;
  in.OleanderScale = in.Achilensis = in.ed = in.CoccInRun = in.OliveFlyInRun = true;
}

TEST_F(GisTest, WithEveryOrganismEachRowFormHasOneValueUnderEachName) {
  AllSwitchesOn(sim.in);
  std::string header;
  GisHeaders(header, sim.in);
  const auto names = Fields(header.substr(0, header.size() - 2));
  ASSERT_EQ(names.size(), 68u);
  EXPECT_EQ(std::vector<std::string>(names.begin() + 30, names.begin() + 35),
            (std::vector<std::string>{"GWssDDT", "GWssEggs", "GWssJuv", "GWssAdl", "GWssAsd"}));
  EXPECT_EQ(names[35], "OlivSc1");
  EXPECT_EQ(names[40], "Amaculi1");
  EXPECT_EQ(names[43], "Cutilis1");
  EXPECT_EQ(names[46], "OleaSc1");
  EXPECT_EQ(names[51], "Achilen1");
  EXPECT_EQ(names[54], "ed1");
  EXPECT_EQ(names[57], "CoccEggs");
  EXPECT_EQ(names[61], "OFEgDays");

  sim.gwss.GWssDDaTot = 812.26f;
  sim.gwss.GWssDDaTotSave = 640.5;
  sim.gwss.GWNum[1] = 3.5;
  sim.gwss.GWNum1Sum = 70.126;
  sim.olivescale.n[4] = 0.505;
  sim.olivescale.nSum[4] = 12.5;
  sim.cocc.Coccadnm = 2.0004;
  sim.cocc.CoccAdnmSum = 9.876;
  for (const RowSource source : {RowSource::Current, RowSource::Sums, RowSource::Harvest}) {
    std::string row;
    AppendRow(row, GisColumnGroups(), sim, source, {"07Dec26", "11:49:50-PM"});
    EXPECT_EQ(Fields(row).size(), names.size());
  }
  std::string current, sums;
  AppendRow(current, GisColumnGroups(), sim, RowSource::Current, {"", ""});
  AppendRow(sums, GisColumnGroups(), sim, RowSource::Sums, {"", ""});
  const std::string h = header.substr(0, header.size() - 2);
  // The sharpshooter's degree-days are its running total in both forms.
  EXPECT_EQ(FieldOf(h, current, "GWssDDT"), "812.3");
  EXPECT_EQ(FieldOf(h, sums, "GWssDDT"), "812.3");
  EXPECT_EQ(FieldOf(h, current, "GWssEggs"), "3.50");
  EXPECT_EQ(FieldOf(h, sums, "GWssEggs"), "70.13");
  EXPECT_EQ(FieldOf(h, current, "OlivSc4"), "0.51");
  EXPECT_EQ(FieldOf(h, sums, "OlivSc4"), "12.50");
  EXPECT_EQ(FieldOf(h, current, "CoccAdnm"), "2.00");
  EXPECT_EQ(FieldOf(h, sums, "CoccAdnm"), "9.88");
  std::string harvest;
  AppendRow(harvest, GisColumnGroups(), sim, RowSource::Harvest, {"", ""});
  EXPECT_EQ(FieldOf(h, harvest, "GWssDDT"), "640.5");
}

void SetMites(Simulation& sim) {
  testing::SetMites(sim, 3.24);
}

TEST_F(GisTest, WithInterval365TheGroupsCarryYearlySums) {
  sim.in.mite = true;
  sim.in.GisOutputInterval = 365;
  // 2001 and 2002: day of year 365 is pass day 365 (no row) and pass day 730.
  ASSERT_TRUE(RunOutputPass(sim, ctx, 731, false, [](Simulation& s) {
    SetTree(s);
    SetMites(s);
  }));
  const auto lines = ReadLines(File("OUT00002.txt"));
  ASSERT_EQ(lines.size(), 2u);
  const auto values = Fields(lines[1]);
  ASSERT_EQ(values.size(), 30u);
  // The year since the last output date: 365 days of each daily addition.
  EXPECT_EQ(std::vector<std::string>(values.begin() + 23, values.end()),
            (std::vector<std::string>{"730.00", "1095.00", "1460.0", "1825.0", "2190.0", "0.365",
                                      "2555.000"}));
  EXPECT_EQ(FieldOf(lines[0], lines[1], "DysToOut"), "365");
  EXPECT_EQ(FieldOf(lines[0], lines[1], "Year"), "2002");
}

TEST_F(GisTest, WithOtherIntervalsTheGroupsCarryTheValuesOfTheDay) {
  sim.in.mite = true;
  ASSERT_TRUE(RunOutputPass(sim, ctx, 65, false, [](Simulation& s) {
    SetTree(s);
    SetMites(s);
  }));
  const auto lines = ReadLines(File("OUT00002.txt"));
  ASSERT_EQ(lines.size(), 2u);
  const auto values = Fields(lines[1]);
  EXPECT_EQ(std::vector<std::string>(values.begin() + 23, values.end()),
            (std::vector<std::string>{"1.00", "2.00", "3.2", "4.0", "5.0", "0.123", "6.000"}));
}

TEST_F(GisTest, TheFirstRowAfterAHarvestCarriesTheSnapshotAndTheRunningDay) {
  sim.in.mite = true;
  sim.drv.jdayStart = 100;
  ASSERT_TRUE(RunOutputPass(sim, ctx, 95, false, [](Simulation& s) {
    SetTree(s);
    SetMites(s);
    if (s.drv.modelday == 45) {  // the harvest day, after the daily row
      s.harvestSave.PlantddSumSave = 551.26;
      s.harvestSave.PlantFreezeDDSave = 2.5;
      s.harvestSave.FruMassSave = 980.04;
      s.harvestSave.FruNumSave = 3210.5;
      s.harvestSave.PlantddbSumSave = 14.76;
      SaveMiteHarvestValues(s.mites);
      SavePredHarvestValues(s.preds);
      s.drv.UseHarvestValues = true;
    }
  }));
  const auto harvestRow = ReadLines(File("OUT00002.txt"));
  const auto nextRow = ReadLines(File("OUT00003.txt"));
  ASSERT_EQ(harvestRow.size(), 2u);
  ASSERT_EQ(nextRow.size(), 2u);
  // Running day 60 instead of day of year 159; the tree and the mites as on the harvest day (the
  // mite sums over days 31 to 45); the rest of the common part as on the output day.
  const auto h = Fields(harvestRow[1]);
  EXPECT_EQ(std::vector<std::string>(h.begin() + 7, h.end()),
            (std::vector<std::string>{"60",    "6",      "8",        "2001",     "551.3",  "2.5",
                                      "980.0", "3210.5", "     0.0", "     0.0", "14.8",   "412.5",
                                      "15.0",  "0.500",  "0.0",      "1.0",      "30.00",  "45.00",
                                      "60.0",  "75.0",   "90.0",     "0.015",    "105.000"}));
  // The next output date reports its own day again.
  EXPECT_EQ(FieldOf(nextRow[0], nextRow[1], "DysToOut"), "189");
  EXPECT_EQ(FieldOf(nextRow[0], nextRow[1], "dd"), "1102.5");
  EXPECT_EQ(FieldOf(nextRow[0], nextRow[1], "WintEggs"), "1.00");
}

TEST_F(GisTest, EveryFormOfTheRowHasSevenOliveFlyValues) {
  sim.in.OliveFlyInRun = true;
  auto fly = [](Simulation& s) {
    SetTree(s);
    FlyState& f = s.fly;
    f.OliveFlyegg = 1.111f;
    f.OliveFlylarv = 2.222f;
    f.OliveFlypup = 3.3333f;
    f.OliveFlyAdults = 4.444f;
    f.OliveFlyEggDays += 10;
    f.OliveFlylarvDays += 20;
    f.OliveFlypupDays += 30;
    f.OliveFlyAdultDays += 40;
    f.OliveFlypupSum = 55.556;
    f.OliveFlySumdamfruNum = 66.5f;
    s.harvestSave.PrcntAtkdsave = 12.346;
    if (s.drv.modelday == 65) {
      OliveFlySaveHarvestValues(f);
      s.drv.UseHarvestValues = true;
    }
  };
  // Output day (interval 30), harvest snapshot (the row of day 90 after the harvest on day 65).
  ASSERT_TRUE(RunOutputPass(sim, ctx, 95, false, fly));
  const auto day60 = Fields(ReadLines(File("OUT00002.txt"))[1]);
  const auto day90 = Fields(ReadLines(File("OUT00003.txt"))[1]);
  ASSERT_EQ(day60.size(), 30u);
  ASSERT_EQ(day90.size(), 30u);
  EXPECT_EQ(std::vector<std::string>(day60.begin() + 23, day60.end()),
            (std::vector<std::string>{"1.11", "2.22", "3.333", "4.44", "55.56", "66.50", "12.35"}));
  EXPECT_EQ(std::vector<std::string>(day90.begin() + 23, day90.end()),
            (std::vector<std::string>{"50.00", "100.00", "150.000", "200.00", "55.56", "66.50",
                                      "12.35"}));
  // Period sums (interval 365).
  TempDir dir365;
  WriterContext ctx365{dir365.path(), FixedClock};
  sim.in.GisOutputInterval = 365;
  ASSERT_TRUE(RunOutputPass(sim, ctx365, 731, false, [&](Simulation& s) {
    fly(s);
    s.drv.UseHarvestValues = false;
  }));
  const auto year = Fields(ReadLines(dir365.path() / "OUT00002.txt")[1]);
  ASSERT_EQ(year.size(), 30u);
  EXPECT_EQ(std::vector<std::string>(year.begin() + 23, year.end()),
            (std::vector<std::string>{"3650.00", "7300.00", "10950.000", "14600.00", "55.56",
                                      "66.50", "12.35"}));
}

TEST_F(GisTest, NamingScheme2UsesModelNameAndDateAndHasNoEndFile) {
  EXPECT_EQ(GisPeriodicName(1, "Olive", 17, "07Dec26"), "OUT00017.txt");
  EXPECT_EQ(GisPeriodicName(2, "Olive", 2, "07Dec26"), "Olive_07Dec26_00002.txt");
  EXPECT_EQ(GisPeriodicName(2, "Olive", 99999, "01Jan00"), "Olive_01Jan00_99999.txt");
  EXPECT_EQ(GisPeriodicName(3, "Olive", 2, "07Dec26"), "");

  sim.in.GisOutputTarget = 2;
  ASSERT_TRUE(RunOutputPass(sim, ctx, 65, false, SetTree));
  EXPECT_EQ(ReadLines(File("Olive_07Dec26_00002.txt")).size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(File("OUT00end.txt")));
  EXPECT_EQ(ReadFile(File("GisFilesList.txt")), "Olive_07Dec26_00002.txt\r\n");
}

TEST_F(GisTest, AnUnknownNamingSchemeIsRefused) {
  sim.in.GisOutputTarget = 3;
  EXPECT_FALSE(RunOutputPass(sim, ctx, 65, false, SetTree));
  ASSERT_FALSE(log.messages.empty());
  EXPECT_EQ(log.messages[0], "No GIS file name for GisOutputTarget 3");
  EXPECT_FALSE(log.RunOk);
}

TEST(GisOutputDates, APassWithMoreDatesThanTheFileNamesHoldIsRefused) {
  EXPECT_EQ(GisOutputDateCount(95, 30), 3u);
  EXPECT_EQ(GisOutputDateCount(731, 365), 3u);  // an upper bound: at most one day 365 a year
  EXPECT_EQ(GisOutputDateCount(100, 0), 0u);

  RecordingSink log;
  EXPECT_TRUE(GisOutputDatesFit(log, 65535, 1));
  EXPECT_TRUE(GisOutputDatesFit(log, 73050, 365));
  EXPECT_TRUE(log.messages.empty());
  EXPECT_TRUE(log.RunOk);

  EXPECT_FALSE(GisOutputDatesFit(log, 100000, 1));
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0],
            "Too many GIS output dates: 100000 in 100000 days with GIS output interval 1; the GIS "
            "file names number at most 99999.");
  EXPECT_FALSE(log.RunOk);
}

TEST_F(GisTest, AGisFileThatCannotBeOpenedIsReportedAndFailsTheRun) {
  ctx.workdir = dir.path() / "missing";
  EXPECT_FALSE(RunOutputPass(sim, ctx, 65, false, SetTree));
  ASSERT_EQ(log.messages.size(), 2u);
  EXPECT_EQ(log.messages[0], "Can not open: OUT00002.txt (No such file or directory)");
  EXPECT_EQ(log.messages[1], "Can not open: OUT00end.txt (No such file or directory)");
  EXPECT_FALSE(log.RunOk);
}

TEST_F(GisTest, AGisRowThatCannotBeWrittenIsReportedAndFailsTheRun) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::filesystem::create_symlink("/dev/full", File("OUT00002.txt"));
  sim.gis.GisFileIndex = 1;
  GisFile f;
  EXPECT_TRUE(OpenGisFile(f, sim, ctx, "Olive"));  // an existing file: no header, not listed
  EXPECT_FALSE(GisOutput(f, sim, ctx));
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0], "Can not write: OUT00002.txt (No space left on device)");
  EXPECT_FALSE(log.RunOk);
}

// A GIS file is listed before its first row: when the list cannot be written, no row goes into
// a file that the list would not name.
TEST_F(GisTest, AListThatCannotBeOpenedIsReportedAndTheRowIsNotWritten) {
  std::filesystem::create_directory(File("GisFilesList.txt"));
  sim.gis.GisFileIndex = 1;
  EXPECT_FALSE(WriteGisRow(sim, ctx, "Olive"));
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0], "Can not open: GisFilesList.txt (Is a directory)");
  EXPECT_FALSE(log.RunOk);
  EXPECT_EQ(ReadFile(File("OUT00002.txt")), "");  // still new for the next run
}

TEST_F(GisTest, AListThatCannotBeWrittenIsReportedAndNoRowIsWritten) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::filesystem::create_symlink("/dev/full", File("GisFilesList.txt"));
  EXPECT_FALSE(RunOutputPass(sim, ctx, 95, false, SetTree));
  ASSERT_EQ(log.messages.size(), 3u);  // one for each new file
  EXPECT_EQ(log.messages[0], "Can not write: GisFilesList.txt (No space left on device)");
  EXPECT_FALSE(log.RunOk);
  for (const char* name : {"OUT00002.txt", "OUT00003.txt", "OUT00end.txt"}) {
    EXPECT_EQ(ReadFile(File(name)), "") << name;
  }
}

TEST_F(GisTest, AnEndRowBeforeTheListWasOpenedStillListsItsFile) {
  // INIT1 stopped before it opened the list (the daily file could not be created).
  sim.drv.DoEndFile = true;
  EXPECT_TRUE(WriteGisRow(sim, ctx, "Olive"));
  EXPECT_EQ(ReadLines(File("OUT00end.txt")).size(), 2u);
  EXPECT_EQ(ReadFile(File("GisFilesList.txt")), "OUT00end.txt\r\n");
  EXPECT_TRUE(log.messages.empty());
}

// Whole runs of the simulator with the example station.
namespace runs = olive::run_testing;

void CopyExampleWeather(const runs::RunDir& dir, const std::string& name) {
  std::filesystem::copy_file(
      std::filesystem::path(OLIVE_SOURCE_DIR) / "examples/weather/Cordoba.txt", dir / name);
}

TEST(GisRun, TwoStationsWithInterval30Over95DaysBuildOneTablePerDate) {
  runs::RunDir dir;
  CopyExampleWeather(dir, "station1.txt");
  CopyExampleWeather(dir, "station2.txt");
  const std::string setup = runs::ExampleSetup({{43, "T\tmite"}, {101, "T\tOliveFlyInRun"}});
  ASSERT_EQ(runs::RunIn(dir, setup, "1/1/2001", "4/5/2001", "station1.txt", "30"), kExitOk);
  ASSERT_EQ(runs::RunIn(dir, setup, "1/1/2001", "4/5/2001", "station2.txt", "30"), kExitOk);

  EXPECT_FALSE(std::filesystem::exists(dir / "OUT00001.txt"));
  for (const char* name : {"OUT00002.txt", "OUT00003.txt", "OUT00end.txt"}) {
    const auto lines = ReadLines(dir / name);
    ASSERT_EQ(lines.size(), 3u) << name;
    EXPECT_EQ(Fields(lines[0]).size(), 37u) << name;  // common part, mites, olive fly
    EXPECT_EQ(Fields(lines[1]).size(), 37u) << name;
    EXPECT_NE(FieldOf(lines[0], lines[1], "WxFile").find("station1.txt"), std::string::npos);
    EXPECT_NE(FieldOf(lines[0], lines[2], "WxFile").find("station2.txt"), std::string::npos);
  }
  EXPECT_EQ(
      FieldOf(ReadLines(dir / "OUT00002.txt")[0], ReadLines(dir / "OUT00002.txt")[1], "DysToOut"),
      "60");
  EXPECT_EQ(ReadFile(dir / "GisFilesList.txt"), "OUT00002.txt\r\nOUT00003.txt\r\nOUT00end.txt\r\n");

  // The summary: one header, a row for each output date of each run, the first date included.
  const auto summary = ReadLines(dir / "OliveSummaries.txt");
  ASSERT_EQ(summary.size(), 7u);
  for (const auto& line : summary) EXPECT_EQ(Fields(line).size(), 47u);
  EXPECT_EQ(FieldOf(summary[0], summary[1], "GisOutSeq"), "1");
  EXPECT_EQ(FieldOf(summary[0], summary[3], "DysToOut"), "90");
  EXPECT_EQ(FieldOf(summary[0], summary[4], "GisOutSeq"), "1");
  EXPECT_EQ(FieldOf(summary[0], summary[6], "Mite01"), "1");
  EXPECT_EQ(FieldOf(summary[0], summary[6], "OlvFly01"), "1");
  EXPECT_EQ(FieldOf(summary[0], summary[6], "GWSS01"), "0");
  EXPECT_TRUE(runs::ReadText(dir / "errorlog").empty());
}

TEST(GisRun, YearlyRowsAfterTheHarvestCarryTheHarvestDaysTree) {
  runs::RunDir dir;
  CopyExampleWeather(dir, "weather.txt");
  ASSERT_EQ(runs::RunIn(dir, runs::ExampleSetup(), "1/1/2001", "12/31/2002"), kExitOk);
  const runs::DailyFile daily = runs::ReadDaily(dir / "OliveDaily.txt");
  // The harvest day of 2002 in the daily file.
  size_t harvestRow = 0;
  for (size_t r = 0; r < daily.rows.size(); ++r) {
    if (daily.At(r, "yr") == "2002" && daily.At(r, "Harvest") == "1000") harvestRow = r;
  }
  ASSERT_GT(harvestRow, 0u);
  // 2001's output date writes no GIS row; 2002's has the harvest form.
  const auto lines = ReadLines(dir / "OUT00002.txt");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(FieldOf(lines[0], lines[1], "DysToOut"), "730");  // running day, not day of year
  EXPECT_EQ(FieldOf(lines[0], lines[1], "FruWgt"), daily.At(harvestRow, "fruwgt"));
  EXPECT_NEAR(std::stod(FieldOf(lines[0], lines[1], "fruNum")), daily.Value(harvestRow, "frunum"),
              0.05);
  const auto summary = ReadLines(dir / "OliveSummaries.txt");
  ASSERT_EQ(summary.size(), 3u);
  EXPECT_EQ(FieldOf(summary[0], summary[2], "DysToOut"), "730");
  // The end-of-run row reports the last day: 31 December, day of year 1 after the step.
  const auto end = ReadLines(dir / "OUT00end.txt");
  ASSERT_EQ(end.size(), 2u);
  EXPECT_EQ(FieldOf(end[0], end[1], "Month"), "12");
  EXPECT_EQ(FieldOf(end[0], end[1], "Day"), "31");
}

TEST(RowTexts, DateAndTimeTextsOfTheClock) {
  EXPECT_EQ(DateText({2026, 12, 7, 23, 49, 50}), "07Dec26");
  EXPECT_EQ(DateText({2000, 1, 31, 0, 0, 0}), "31Jan00");
  EXPECT_EQ(LongTimeText({2026, 12, 7, 23, 49, 50}), "11:49:50 PM");
  EXPECT_EQ(LongTimeText({2026, 12, 7, 0, 5, 9}), "12:05:09 AM");
  EXPECT_EQ(LongTimeText({2026, 12, 7, 12, 0, 0}), "12:00:00 PM");
  EXPECT_EQ(RowTimeText("11:49:50 PM"), "11:49:50-PM");
  EXPECT_EQ(RowTimeText("9:49:50 PM MEZ"), "9:49:50-PM-");  // cut to 11 characters
  EXPECT_EQ(RowTimeText("23:49:50"), "23:49:50");
}

}  // namespace
}  // namespace olive
