// The olive-wx executable: a conversion the simulator runs, the folder a failed conversion leaves
// as it was, the command line.
#include <gtest/gtest.h>

#include <sstream>

#include "driver/program_info.h"
#include "wx_test_support.h"

namespace olive {
namespace {

using wx_testing::CheckRecords;
using wx_testing::MakeRunFolder;
using wx_testing::ReadBackMessages;
using wx_testing::Scratch;
using wx_testing::WriteFile;
namespace fs = std::filesystem;

// A year of a station's weather in a table, from 1 January 2001.
std::string YearTable() {
  std::ostringstream s;
  s << "date,tmax,tmin,rain,solar,rh,wind\n";
  const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int n = 0;
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= lengths[m - 1]; ++d, ++n) {
      const double season = (n < 182 ? n : 364 - n) / 182.0;  // 0 in winter, 1 in summer
      s << "2001-" << (m < 10 ? "0" : "") << m << '-' << (d < 10 ? "0" : "") << d << ','
        << 14 + 20 * season << ',' << 3 + 15 * season << ',' << (n % 9 == 0 ? 6.5 : 0) << ','
        << 100 + 220 * season << ',' << 80 - 40 * season << ",2.5\n";
    }
  }
  return s.str();
}

TEST(OliveWx, ATableConvertsIntoAFolderThatTheSimulatorRuns) {
  Scratch s;
  WriteFile(s / "Cordoba.csv", YearTable());
  ASSERT_EQ(s.OliveWx("csv Cordoba.csv --lon -4.77 --lat 37.88 -o wx"), 0) << s.Read("stderr.txt");
  EXPECT_EQ(s.Read("stdout.txt"), "olive-wx: 1 weather file and stations.txt written into wx\n");
  EXPECT_TRUE(s.LogMessages().empty());
  EXPECT_EQ(s.Read("wx/stations.txt"), "Cordoba.wx\n");
  const std::string wx = s.Read("wx/Cordoba.wx");
  const auto records = CheckRecords(wx);
  EXPECT_EQ(records.problem, "");
  EXPECT_EQ(records.count, 365u);
  EXPECT_TRUE(ReadBackMessages(wx).empty());

  MakeRunFolder(s / "wx");
  EXPECT_EQ(s.Run("cd wx && '" OLIVE_BINARY_DIR "/olive' olive.setup 1 1 2001 12 31 2001 365 "
                  "Cordoba.wx"),
            0);
  EXPECT_EQ(s.Read("wx/errorlog"), "");
}

TEST(OliveWx, AFailedConversionLeavesTheFolderAsItWas) {
  Scratch s;
  WriteFile(s / "a.csv", YearTable());
  WriteFile(s / "b.csv", "date,tmax\n2001-01-01,3\n2001-01-01,4\n");
  WriteFile(s / "places.csv", "name,lon,lat\na,1,2\nb,3,4\n");
  // A new folder is not made at all.
  EXPECT_EQ(s.OliveWx("csv a.csv b.csv --stations places.csv -o wx"), 1);
  EXPECT_FALSE(fs::exists(s / "wx"));
  EXPECT_EQ(s.LogMessages().back(),
            "CSV file \"b.csv\" line 3: the date 2001-01-01 repeats line 2.");
  // An existing folder keeps what it had, and gets nothing.
  fs::create_directories(s / "wx");
  WriteFile(s / "wx/old.wx", "old");
  EXPECT_EQ(s.OliveWx("csv a.csv b.csv --stations places.csv -o wx"), 1);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(s / "wx")) left.push_back(e.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"old.wx"});
  EXPECT_EQ(s.Read("stdout.txt"), "");
}

TEST(OliveWx, AWrongCommandLineIsAUsageErrorThatWritesNothing) {
  Scratch s;
  for (const char* args : {"", "grib x.grb -o wx", "csv x.csv", "csv -o wx", "netcdf --lon 3 x",
                           "csv --units tmax=furlongs x.csv -o wx", "csv --lon 1 x.csv -o wx"}) {
    EXPECT_EQ(s.OliveWx(args), 64) << args;
    EXPECT_TRUE(s.Read("stderr.txt").starts_with("olive-wx: ")) << args;
    EXPECT_NE(s.Read("stderr.txt").find("usage: olive-wx csv"), std::string::npos);
  }
  EXPECT_EQ(s.OliveWx("--version"), 0);
  EXPECT_EQ(s.Read("stdout.txt"), "olive-wx " + std::string(OliveVersion()) + "\n");
  EXPECT_EQ(s.OliveWx("csv --help"), 0);
  EXPECT_TRUE(s.Read("stdout.txt").starts_with("usage: olive-wx csv"));
  EXPECT_FALSE(fs::exists(s / "errorlog"));
}

}  // namespace
}  // namespace olive
