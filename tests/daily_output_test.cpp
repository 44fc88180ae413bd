// Number formats, the buffered output file, and the daily file's header, rows and console tables.
#include "output/daily_output.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "io/output_file.h"
#include "output/number_format.h"
#include "state/simulation.h"

namespace olive {
namespace {

std::string Fixed(double v, int decimals, int width = 0) {
  std::string s;
  AppendFixed(s, v, decimals, width);
  return s;
}

std::string Sci(double v) {
  std::string s;
  AppendScientific(s, v);
  return s;
}

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

TEST(NumberFormat, FixedRoundsToItsDecimalsWithMinimumWidth) {
  EXPECT_EQ(Fixed(0.4, 0), "0");  // a positive value below one half prints as 0
  EXPECT_EQ(Fixed(0.6, 0), "1");
  EXPECT_EQ(Fixed(1234.5678, 1), "1234.6");
  EXPECT_EQ(Fixed(2.0, 2), "2.00");
  EXPECT_EQ(Fixed(0.0, 3), "0.000");
  EXPECT_EQ(Fixed(1000.0, 0), "1000");  // the harvest marker
  EXPECT_EQ(Fixed(99.9999, 4), "99.9999");
}

TEST(NumberFormat, NegativeValuesKeepTheirSignWithoutBlanks) {
  EXPECT_EQ(Fixed(-3.0, 0), "-3");
  EXPECT_EQ(Fixed(-12.345, 2), "-12.35");
  EXPECT_EQ(Fixed(-0.75, 1), "-0.8");
  // A value that rounds to zero has no sign.
  EXPECT_EQ(Fixed(-0.4, 0), "0");
  EXPECT_EQ(Fixed(-0.001, 2), "0.00");
}

TEST(NumberFormat, WidthRightAlignsWithBlanks) {
  EXPECT_EQ(Fixed(12.34, 1, 8), "    12.3");
  EXPECT_EQ(Fixed(-1.0, 2, 8), "   -1.00");
  EXPECT_EQ(Fixed(123456789.0, 1, 8), "123456789.0");  // wider than the field: not cut
  std::string s;
  AppendInteger(s, 7, 2);
  AppendInteger(s, 12, 3);
  AppendInteger(s, -5);
  EXPECT_EQ(s, " 7 12-5");
}

TEST(NumberFormat, ScientificIsAlways23Characters) {
  EXPECT_EQ(Sci(125), " 1.25000000000000E+0002");
  EXPECT_EQ(Sci(0), " 0.00000000000000E+0000");
  EXPECT_EQ(Sci(-0.00125), "-1.25000000000000E-0003");
  EXPECT_EQ(Sci(1e-300), " 1.00000000000000E-0300");
  EXPECT_EQ(Sci(6.02214076e23), " 6.02214076000000E+0023");
  for (double v : {0.0, 1.0, -1.0, 3.3e-7, 1e300, -2.5e100, 987654.321}) {
    EXPECT_EQ(Sci(v).size(), 23u) << v;
  }
}

TEST(NumberFormat, NonFiniteValuesAreVisibleNotGarbage) {
  EXPECT_EQ(Fixed(std::numeric_limits<double>::quiet_NaN(), 2), "NaN");
  EXPECT_EQ(Fixed(-std::numeric_limits<double>::infinity(), 2, 6), "  -Inf");
  EXPECT_EQ(Sci(std::numeric_limits<double>::infinity()).size(), 23u);
}

TEST(NumberFormat, NamedFormatsDispatch) {
  std::string s;
  AppendNumber(s, 7.9, kInteger);  // integer columns hold whole numbers; truncates
  s.push_back('|');
  AppendNumber(s, 8.26, kWidth8Fixed1);
  s.push_back('|');
  AppendNumber(s, 125, kScientific);
  s.push_back('|');
  AppendNumber(s, 0.12345, kFixed4);
  EXPECT_EQ(s, "7|     8.3| 1.25000000000000E+0002|0.1235");
}

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() /
        ("olive_output_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(OutputFileTest, WritesEverythingInOrderAcrossManyBuffers) {
  OutputFile f;
  ASSERT_TRUE(f.Create((dir_ / "a.txt").string()));
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    std::string line = "row\t" + std::to_string(i) + "\r\n";
    f.Write(line);
    expected += line;
  }
  EXPECT_TRUE(f.Close());
  EXPECT_FALSE(f.Failed());
  EXPECT_EQ(ReadFile(dir_ / "a.txt"), expected);
}

TEST_F(OutputFileTest, CreateTruncatesAndAppendKeeps) {
  {
    OutputFile f;
    ASSERT_TRUE(f.Create((dir_ / "b.txt").string()));
    f.Write("first\n");
  }  // closed by the destructor
  {
    OutputFile f;
    ASSERT_TRUE(f.Append((dir_ / "b.txt").string()));
    f.Write("second\n");
    EXPECT_TRUE(f.Close());
  }
  EXPECT_EQ(ReadFile(dir_ / "b.txt"), "first\nsecond\n");
  OutputFile f;
  ASSERT_TRUE(f.Create((dir_ / "b.txt").string()));
  EXPECT_TRUE(f.Close());
  EXPECT_EQ(ReadFile(dir_ / "b.txt"), "");
}

TEST_F(OutputFileTest, OpenFailureIsReportedWithTheSystemReason) {
  std::filesystem::create_directories(dir_ / "adir");
  OutputFile f;
  EXPECT_FALSE(f.Create((dir_ / "adir").string()));  // a directory cannot be a text file
  EXPECT_EQ(f.Error(), EISDIR);
  EXPECT_FALSE(f.IsOpen());
  f.Write("ignored");
  EXPECT_FALSE(f.Failed());  // nothing was lost: the caller knows the file is not open
  EXPECT_TRUE(f.Close());
}

TEST_F(OutputFileTest, FullDiskFailsTheWriteInsteadOfLosingItSilently) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  OutputFile f;
  ASSERT_TRUE(f.Create("/dev/full"));
  f.Write("a row that has nowhere to go\r\n");
  EXPECT_FALSE(f.Flush());
  EXPECT_TRUE(f.Failed());
  EXPECT_NE(f.FailureText().find("/dev/full: "), std::string::npos);
  EXPECT_FALSE(f.Close());
}

struct NullLog : ErrorSink {
  void Report(std::string_view) override {}
};

TEST_F(OutputFileTest, DailyRowShowsTheHarvestAndTheAttackedShare) {
  NullLog log;
  Simulation sim(log);
  sim.in.Daily = true;
  ASSERT_TRUE(sim.files.dailyfile.Create((dir_ / "daily.txt").string()));
  sim.drv.mo = 11;
  sim.drv.dy = 2;
  sim.drv.modelyear = 2004;
  sim.drv.jday = 307;
  sim.season.PlantDDSum = 2345.67f;
  sim.season.PlantFreezeDD = 12.5;
  sim.season.PlantKillDD = 125;
  sim.season.harvest = true;
  sim.plant.fruNum = 4;
  sim.plant.FruNumAtk = 1;
  sim.plant.leafarea = 1.234;
  sim.plant.sdveg = 0.456;
  sim.in.wxcons[1] = -1.5f;
  OUTPUT(sim);
  EXPECT_DOUBLE_EQ(sim.out.prcntatkd, 25);
  sim.season.harvest = false;
  sim.plant.fruNum = 0;  // no fruit: no share attacked
  OUTPUT(sim);
  EXPECT_EQ(sim.out.prcntatkd, 0);
  sim.in.Daily = false;  // the daily file off: no row
  OUTPUT(sim);
  ASSERT_TRUE(sim.files.dailyfile.Close());
  const std::string text = ReadFile(dir_ / "daily.txt");
  EXPECT_EQ(text,
            "11\t2\t2004\t307\t  2345.7\t12\t 1.25000000000000E+0002\t 0.00000000000000E+0000\t0\t"
            "0.0\t4.00\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\t1000\t0.0\t123.4\t0.46\t1.00\t"
            "-1.500\t0.00\t0.00\t0.00\t25.00\r\n"
            "11\t2\t2004\t307\t  2345.7\t12\t 1.25000000000000E+0002\t 0.00000000000000E+0000\t0\t"
            "0.0\t0.00\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0\t0.0\t123.4\t0.46\t1.00\t"
            "-1.500\t0.00\t0.00\t0.00\t0.00\r\n");
}

TEST_F(OutputFileTest, TreeConsoleTableHasItsHeadingOnDayOneAndEveryTwentiethDay) {
  NullLog log;
  Simulation sim(log);
  OutputFile console;
  ASSERT_TRUE(console.Create((dir_ / "console.txt").string()));
  sim.in.outscreen = true;
  sim.drv.dy = 5;
  sim.drv.mo = 1;
  sim.season.PlantDDSum = 3;
  sim.plant.leafNum = 250000;
  sim.plant.sdveg = 1;
  sim.plant.sdfru = 0.5;
  for (int32_t jday : {1, 2, 40}) {
    sim.drv.jday = jday;
    DM_OUTPUT(sim, console);
  }
  sim.in.outscreen = false;
  DM_OUTPUT(sim, console);
  ASSERT_TRUE(console.Close());
  const std::string heading =
      "\n date    gdd   leafnbr leafwgt shoots  roots L  fruit    res    sdveg   sdfru  \n" +
      std::string(79, '-') + "\n";
  const std::string line =
      " 5  1     3.0250000.0     0.0     0.0     0.0     0.0     0.0    1.00    0.50\n";
  EXPECT_EQ(ReadFile(dir_ / "console.txt"), heading + line + line + heading + line);
}

TEST_F(OutputFileTest, MiteConsoleTableCountsThePassDays) {
  OutputFile console;
  ASSERT_TRUE(console.Create((dir_ / "mites.txt").string()));
  MiteTableRow row;
  row.dy = 12;
  row.mo = 4;
  row.gddA = 123.45;
  row.sdmean = 0.876;
  row.winterEggs = 1000.4;
  row.mobiles = 2.6;
  row.modelday = 20;  // every 20th day of the pass, whatever the day of the year
  MiteOutput(console, true, row);
  row.modelday = 21;
  MiteOutput(console, true, row);
  MiteOutput(console, false, row);
  ASSERT_TRUE(console.Close());
  const std::string heading =
      "\n date   ddtA   sdmean wi.eggs   eggs   juven  adults  mobiles m'days \n" +
      std::string(69, '-') + "\n";
  const std::string line =
      "12  4   123.5    0.88    1000       0       0       0       3       0\n";
  EXPECT_EQ(ReadFile(dir_ / "mites.txt"), heading + line + line);
}

}  // namespace
}  // namespace olive
