#include "output/summary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "output_test_support.h"

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

constexpr const char* kRunHeader =
    "Model\tDate\tTime\tWxFile\tLong\tLat\tGisOutSeq\tJdStart\tDysToOut\tMonth\tDay\tYear\tdd\t"
    "ddbZero\tFruWgt\tfruNum\tBloomday\tPlantddBSum\tBloomChillHr\tTempIncr\tddbMinus10\t"
    "ddbMinus85";
constexpr const char* kMiteHeader =
    "WintEggs\tMiteEggs\tJuvenile\tMiteAdls\tMobiles\tPredEggs\tLrv-Adls";
constexpr const char* kFlyHeader =
    "OfEgDays\tOfLaDays\tOfPuDays\tOfAdDays\tOfPupSum\tDamFrSum\tPrcntAtkd";
constexpr const char* kSwitchHeader =
    "Mite01\tGWSS01\tOlivscal01\tAmacul01\tCutil01\tOleanScl01\tAchilen01\tEd\tCocc01\tOlvFly01\t"
    "PrcpYrSum";

// The tree and the mites on every day: today's values, daily additions to the period sums, and on
// day 45 the harvest snapshot.
void SetDay(Simulation& sim) {
  sim.season.PlantDDSum = 12.3f * sim.drv.modelday;
  sim.season.PlantFreezeDD = 3.14159;
  sim.plant.Frumass = 1234.567;
  sim.plant.fruNum = 20.125;
  sim.season.bloomday = 121;
  sim.season.PlantddbSum = 17.36f;
  sim.season.BloomChillHourDegreesSave = 412.5;
  sim.season.PlantKillDD = 0.06;
  sim.season.PlantDamageDD = 1.04;
  testing::SetMites(sim, 3.5001);
  if (sim.drv.modelday == 45) {
    sim.harvestSave.PlantddSumSave = 551.6;
    sim.harvestSave.PlantFreezeDDSave = 2.5;
    sim.harvestSave.FruMassSave = 980.046;
    sim.harvestSave.FruNumSave = 3210.5;
    SaveMiteHarvestValues(sim.mites);
    SavePredHarvestValues(sim.preds);
    sim.drv.UseHarvestValues = true;
  }
}

class SummaryTest : public ::testing::Test {
 protected:
  SummaryTest() : sim(log) {
    sim.files.shared = &direct;
    SetStation(sim, "Cordoba.txt", -4.7794f, 37.8882f);
    sim.in.GisOutputInterval = 30;
    sim.in.GisOutputTarget = 1;
    sim.in.mite = true;
    ctx.workdir = dir.path();
    ctx.clock = FixedClock;
  }
  std::filesystem::path SummaryFile() const { return dir.path() / "OliveSummaries.txt"; }

  TempDir dir;
  RecordingSink log;
  DirectSharedFiles direct;
  Simulation sim;
  WriterContext ctx;
};

TEST_F(SummaryTest, HeaderOnceThenOneRowPerOutputDateInExactFormats) {
  ASSERT_TRUE(RunOutputPass(sim, ctx, 95, true, SetDay));
  EXPECT_TRUE(log.messages.empty());
  const auto lines = ReadLines(SummaryFile());
  ASSERT_EQ(lines.size(), 4u);  // header and the rows of days 30, 60 and 90
  EXPECT_EQ(lines[0], std::string(kRunHeader) + "\t" + kMiteHeader + "\t" + kSwitchHeader);
  for (const auto& line : lines) EXPECT_EQ(Fields(line).size(), 40u);

  // Day 30: the output day's values; the first output date of the pass has a summary row.
  EXPECT_EQ(lines[1],
            "VudadIDE\t07Dec26\t11:49:50-PM\tCordoba.txt\t-4.7794\t37.8882\t1\t1\t30\t1\t30\t2001\t"
            "369\t3.1\t1234.6\t20.1\t121\t17.4\t412.5\t0.500\t0.1\t1.0\t"
            "1.00\t2.00\t4\t4\t5\t0.123\t6.000\t"
            "1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t37.5");
  // Day 60, after the harvest on day 45: the snapshot, with two decimals for the fruit; the mite
  // sums of days 31 to 45.
  EXPECT_EQ(lines[2],
            "VudadIDE\t07Dec26\t11:49:50-PM\tCordoba.txt\t-4.7794\t37.8882\t2\t1\t60\t3\t1\t2001\t"
            "552\t2.5\t980.05\t3210.50\t121\t17.4\t412.5\t0.500\t0.1\t1.0\t"
            "30.00\t45.00\t60\t75\t90\t0.015\t105.000\t"
            "1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t37.5");
  // Day 90: the output day's values again.
  EXPECT_EQ(FieldOf(lines[0], lines[3], "dd"), "1107");
  EXPECT_EQ(FieldOf(lines[0], lines[3], "FruWgt"), "1234.6");
  EXPECT_EQ(FieldOf(lines[0], lines[3], "GisOutSeq"), "3");
  EXPECT_EQ(FieldOf(lines[0], lines[3], "WintEggs"), "1.00");

  // A second run appends its rows under the same header.
  RecordingSink log2;
  Simulation other(log2);
  SetStation(other, "Sevilla.txt", -5.9823f, 37.3891f);
  other.in.GisOutputInterval = 30;
  other.in.GisOutputTarget = 1;
  other.in.mite = true;
  ASSERT_TRUE(RunOutputPass(other, ctx, 65, true, SetDay));
  const auto after = ReadLines(SummaryFile());
  ASSERT_EQ(after.size(), 6u);
  EXPECT_EQ(after[0], lines[0]);
  EXPECT_EQ(FieldOf(after[0], after[5], "WxFile"), "Sevilla.txt");
  int headers = 0;
  for (const auto& line : after) headers += line.rfind("Model\t", 0) == 0 ? 1 : 0;
  EXPECT_EQ(headers, 1);
}

TEST_F(SummaryTest, WithInterval365RowsCarryTheYearsSumsExceptAfterAHarvest) {
  sim.in.GisOutputInterval = 365;
  int harvestYear = 0;
  ASSERT_TRUE(RunOutputPass(sim, ctx, 1096, true, [&](Simulation& s) {
    SetDay(s);
    // Harvest on day of year 300 of 2002 only.
    if (s.drv.modelyear == 2002 && s.drv.jday == 300) {
      SaveMiteHarvestValues(s.mites);
      s.harvestSave.FruMassSave = 1.5;
      s.drv.UseHarvestValues = true;
      harvestYear = s.drv.modelyear;
    }
  }));
  ASSERT_EQ(harvestYear, 2002);
  const auto lines = ReadLines(SummaryFile());
  ASSERT_EQ(lines.size(), 4u);  // 2001, 2002, 2003
  // 2001: the snapshot of the harvest on pass day 45 (the sums of days 1 to 45).
  EXPECT_EQ(FieldOf(lines[0], lines[1], "WintEggs"), "90.00");
  EXPECT_EQ(FieldOf(lines[0], lines[1], "FruWgt"), "980.05");
  // 2002: the harvest snapshot on day of year 300, sums of days 1 to 300 of the year.
  EXPECT_EQ(FieldOf(lines[0], lines[2], "WintEggs"), "600.00");
  EXPECT_EQ(FieldOf(lines[0], lines[2], "FruWgt"), "1.50");
  EXPECT_EQ(FieldOf(lines[0], lines[2], "DysToOut"), "730");
  // 2003: the yearly sums again, and the tree's values of the output day.
  EXPECT_EQ(FieldOf(lines[0], lines[3], "WintEggs"), "730.00");
  EXPECT_EQ(FieldOf(lines[0], lines[3], "MiteEggs"), "1095.00");
  EXPECT_EQ(FieldOf(lines[0], lines[3], "Juvenile"), "1460");
  EXPECT_EQ(FieldOf(lines[0], lines[3], "FruWgt"), "1234.6");
}

TEST_F(SummaryTest, SwitchColumnsMatchTheRun) {
  sim.in.mite = false;
  sim.in.OliveFlyInRun = true;
  sim.drv.modelday = 30;
  ASSERT_TRUE(WriteSummary(sim, ctx));
  const auto lines = ReadLines(SummaryFile());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(kRunHeader) + "\t" + kFlyHeader + "\t" + kSwitchHeader);
  const auto values = Fields(lines[1]);
  ASSERT_EQ(values.size(), 40u);
  EXPECT_EQ(std::vector<std::string>(values.begin() + 29, values.end() - 1),
            (std::vector<std::string>{"0", "0", "0", "0", "0", "0", "0", "0", "0", "1"}));

  // The header stays as the creating run made it: a row of a run with other switches, whose
  // columns would not line up with it, is refused under the table's lock.
  const std::string before = ReadFile(SummaryFile());
  sim.in.mite = true;
  EXPECT_FALSE(WriteSummary(sim, ctx));
  EXPECT_FALSE(log.RunOk);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(
      log.messages[0],
      "Can not append to OliveSummaries.txt: its header has other columns than this run (only "
      "in the file: none; only in this run: WintEggs, MiteEggs, Juvenile, MiteAdls, Mobiles, "
      "PredEggs, Lrv-Adls)");
  EXPECT_EQ(ReadFile(SummaryFile()), before);
}

TEST_F(SummaryTest, WithEveryOrganismHeaderAndRowsHaveTheSameColumns) {
  sim.in.PredIn = sim.in.GWss = sim.in.OliveScale = sim.in.AMaculicornis = true;
  sim.in.Cutilis = sim.in.OleanderScale = sim.in.Achilensis = sim.in.ed = true;
  sim.in.CoccInRun = sim.in.OliveFlyInRun = true;
  sim.gwss.GWssDDaTot = 812.4f;
  sim.gwss.GWssDDaTotSave = 640.4;
  sim.cocc.CoccAdnmSum = 9.87;
  sim.in.GisOutputInterval = 365;
  ASSERT_TRUE(WriteSummary(sim, ctx));  // period sums
  sim.drv.UseHarvestValues = true;
  ASSERT_TRUE(WriteSummary(sim, ctx));  // harvest snapshot
  sim.drv.UseHarvestValues = false;
  sim.in.GisOutputInterval = 30;
  ASSERT_TRUE(WriteSummary(sim, ctx));  // output day
  const auto lines = ReadLines(SummaryFile());
  ASSERT_EQ(lines.size(), 4u);
  for (const auto& line : lines) EXPECT_EQ(Fields(line).size(), 78u);
  EXPECT_EQ(FieldOf(lines[0], lines[0], "GWssDDT"), "GWssDDT");
  EXPECT_EQ(FieldOf(lines[0], lines[1], "GWssDDT"), "812");  // the total: no period sum
  EXPECT_EQ(FieldOf(lines[0], lines[2], "GWssDDT"), "640");
  EXPECT_EQ(FieldOf(lines[0], lines[3], "GWssDDT"), "812");
  EXPECT_EQ(FieldOf(lines[0], lines[1], "CoccAdnm"), "9.87");
  EXPECT_EQ(FieldOf(lines[0], lines[3], "CoccAdnm"), "0.00");
  const auto values = Fields(lines[3]);
  EXPECT_EQ(std::vector<std::string>(values.end() - 11, values.end() - 1),
            std::vector<std::string>(10, "1"));
}

TEST_F(SummaryTest, ASummaryThatCannotBeOpenedIsReportedAndFailsTheRun) {
  std::filesystem::create_directory(SummaryFile());
  EXPECT_FALSE(WriteSummary(sim, ctx));
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0], "Can not open: OliveSummaries.txt (Is a directory)");
  EXPECT_FALSE(log.RunOk);
}

TEST_F(SummaryTest, ASummaryRowThatCannotBeWrittenIsReportedAndFailsTheRun) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::filesystem::create_symlink("/dev/full", SummaryFile());
  EXPECT_FALSE(WriteSummary(sim, ctx));
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0], "Can not write: OliveSummaries.txt (No space left on device)");
  EXPECT_FALSE(log.RunOk);
}

TEST_F(SummaryTest, TheRowTimeIsTheClocksTimeCutAndHyphenated) {
  ctx.clock = [] { return ClockReading{2009, 3, 4, 9, 5, 7}; };
  ASSERT_TRUE(WriteSummary(sim, ctx));
  const auto lines = ReadLines(SummaryFile());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(FieldOf(lines[0], lines[1], "Date"), "04Mar09");
  EXPECT_EQ(FieldOf(lines[0], lines[1], "Time"), "09:05:07-AM");
}

}  // namespace
}  // namespace olive
