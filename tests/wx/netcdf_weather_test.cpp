// Weather from CF NetCDF files made by tools/make_netcdf_test_data.py: a rotated grid with a sea
// cell in kelvin and flux units, a noleap and a 360_day calendar, stations along a station
// dimension; converted by olive-wx and run by the simulator.
#include <gtest/gtest.h>

#include <algorithm>

#include "wx_test_support.h"
#include "wxsource/netcdf_file.h"
#include "wxsource/netcdf_source.h"
#include "wxsource/weather_file_writer.h"

namespace olive {
namespace {

using testing_support::MemoryLog;
using wx_testing::CheckRecords;
using wx_testing::MakeRunFolder;
using wx_testing::ReadBackMessages;
using wx_testing::Scratch;
namespace fs = std::filesystem;

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, '\t');) fields.push_back(f);
  return fields;
}

// The record of a month, day and year in a weather file's text, split into its fields.
std::vector<std::string> RecordOf(const std::string& text, int m, int d, int y) {
  const std::string start =
      std::to_string(m) + "\t" + std::to_string(d) + "\t" + std::to_string(y) + "\t";
  for (const std::string& line : testing_support::SplitLines(text)) {
    if (line.starts_with(start)) return Fields(line);
  }
  return {};
}

// A scratch folder with the generated files under data/.
class NetcdfWeather : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NetcdfAvailable()) GTEST_SKIP() << "olive-wx was built without the netCDF-C library";
    if (std::string(OLIVE_TEST_PYTHON).empty()) GTEST_SKIP() << "no Python 3 for the generator";
    const int rc =
        s.Run("'" OLIVE_TEST_PYTHON "' '" OLIVE_SOURCE_DIR "/tools/make_netcdf_test_data.py' data");
    if (rc == 77) GTEST_SKIP() << s.Read("stderr.txt");
    ASSERT_EQ(rc, 0) << s.Read("stderr.txt");
  }
  std::vector<std::string> Files(const std::string& folder) const {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(s / "data" / folder)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }
  Scratch s;
};

TEST_F(NetcdfWeather, AGridConvertsWithoutItsSeaCellAndEveryCellRuns) {
  ASSERT_EQ(s.OliveWx("netcdf data/grid/*.nc -o wx"), 0) << s.Read("stderr.txt");
  EXPECT_TRUE(s.LogMessages().empty()) << s.LogMessages().front();
  std::string list;
  for (const char* cell : {"1_1", "1_2", "1_3", "1_4", "2_1", "2_2", "2_3", "2_4", "3_1", "3_2",
                           "3_3"}) {  // 3_4 is sea
    const std::string name = std::string("tasmax_day_test_") + cell + ".wx";
    list += name + "\n";
    const std::string text = s.Read("wx/" + name);
    EXPECT_EQ(CheckRecords(text).count, 731u) << name;
    EXPECT_TRUE(ReadBackMessages(text).empty()) << name;
  }
  EXPECT_EQ(s.Read("wx/stations.txt"), list);
  MakeRunFolder(s / "wx");
  EXPECT_EQ(s.Run("cd wx && '" OLIVE_BINARY_DIR "/olive-batch' olive.setup 1 1 2000 12 31 2001 "
                  "365 @stations.txt"),
            0);
  EXPECT_EQ(s.Read("wx/errorlog"), "");
}

TEST_F(NetcdfWeather, KelvinAndFluxUnitsAreConvertedAndFillValuesAreMissing) {
  ASSERT_EQ(s.OliveWx("netcdf data/grid/*.nc -o wx"), 0) << s.Read("stderr.txt");
  const std::string text = s.Read("wx/tasmax_day_test_1_1.wx");
  const auto lines = testing_support::SplitLines(text);
  EXPECT_EQ(lines[0],
            "tasmax_day_test_1_1\tdaily weather from tasmax_day_test.nc and 6 more files, "
            "converted by olive-wx");
  EXPECT_EQ(lines[1], "-5.5\t37.5\tlongitude and latitude, degrees");  // given as 354.5 E
  const auto first = Fields(lines[3]);
  EXPECT_EQ(first[3], "26.85");  // 300 K
  EXPECT_EQ(first[6], "8.64");   // 1e-4 kg m-2 s-1
  EXPECT_EQ(RecordOf(s.Read("wx/tasmax_day_test_2_2.wx"), 1, 12, 2000)[3], "-99");
  EXPECT_EQ(RecordOf(s.Read("wx/tasmax_day_test_1_2.wx"), 2, 20, 2000)[6], "-99");
}

TEST_F(NetcdfWeather, ANoleapCalendarGets29FebruaryAsTheMeanOfItsNeighbours) {
  ASSERT_EQ(s.OliveWx("netcdf data/noleap/*.nc -o wx"), 0) << s.Read("stderr.txt");
  EXPECT_EQ(s.LogMessages(),
            std::vector<std::string>{
                "Warning: NetCDF files: the calendar \"noleap\" has no 29 February in 2000 (1 "
                "day), which the model's calendar has (every year divisible by 4 is a leap "
                "year): each is written as the mean of 28 February and 1 March."});
  const std::string text = s.Read("wx/tasmax_day_test_1_1.wx");
  EXPECT_EQ(CheckRecords(text).count, 731u);  // 366 days in 2000, 365 in 2001
  const auto before = RecordOf(text, 2, 28, 2000), day = RecordOf(text, 2, 29, 2000),
             after = RecordOf(text, 3, 1, 2000);
  for (std::size_t k = 3; k < 9; ++k) {
    const float mean = static_cast<float>(0.5 * (std::stod(before[k]) + std::stod(after[k])));
    EXPECT_EQ(std::stof(day[k]), mean) << k;
  }
  // Where a neighbour is missing, so is the added day.
  EXPECT_EQ(RecordOf(s.Read("wx/tasmax_day_test_1_2.wx"), 2, 29, 2000)[3], "-99");
}

TEST_F(NetcdfWeather, A360DayCalendarAndUnknownUnitsAreRefusedAndNothingIsWritten) {
  EXPECT_EQ(s.OliveWx("netcdf data/360day/tasmax_day_test.nc -o wx"), 1);
  EXPECT_EQ(s.OliveWx("netcdf data/badunits/tasmax_day_test.nc data/grid/tasmin_day_test.nc "
                      "-o wx"),
            1);
  EXPECT_EQ(s.LogMessages(),
            (std::vector<std::string>{
                "NetCDF file \"data/360day/tasmax_day_test.nc\", variable \"time\": the calendar "
                "\"360_day\" has twelve months of 30 days, which have no day-by-day match in the "
                "model's calendar; convert the data to a standard or noleap calendar first.",
                "NetCDF file \"data/badunits/tasmax_day_test.nc\", variable \"tasmax\": the "
                "units \"degrees\" are not known for the maximum temperature (degC, K, degF).",
            }));
  EXPECT_FALSE(fs::exists(s / "wx"));
}

TEST_F(NetcdfWeather, StationsAreNamedAfterTheirIdentifiers) {
  ASSERT_EQ(s.OliveWx("netcdf data/stations/eobs_stations.nc -o wx"), 0) << s.Read("stderr.txt");
  EXPECT_EQ(s.Read("wx/stations.txt"), "CORDOBA_AEROPUERTO.wx\nJa\xC3\xA9n.wx\n");
  EXPECT_EQ(s.Read("wx/CORDOBA_AEROPUERTO.wx"),
            "CORDOBA_AEROPUERTO\tdaily weather from eobs_stations.nc, converted by olive-wx\n"
            "-4.85\t37.85\tlongitude and latitude, degrees\n"
            "month\tday\tyear\ttmax\ttmin\tsolar\train\trh\twind\n"
            "2\t25\t2000\t15\t2\t120\t1.5\t70\t3\n"
            "2\t26\t2000\t15.5\t2.25\t125\t0\t69\t3\n"
            "2\t27\t2000\t16\t2.5\t130\t0\t68\t3\n"
            "2\t28\t2000\t16.5\t2.75\t135\t1.5\t67\t3\n"
            "2\t29\t2000\t17\t3\t140\t0\t66\t3\n"
            "3\t1\t2000\t17.5\t3.25\t145\t0\t65\t3\n"
            "3\t2\t2000\t18\t3.5\t150\t1.5\t64\t3\n"
            "3\t3\t2000\t18.5\t3.75\t155\t0\t63\t3\n"
            "3\t4\t2000\t19\t4\t160\t0\t62\t3\n"
            "3\t5\t2000\t19.5\t4.25\t165\t1.5\t61\t3\n");
  EXPECT_EQ(RecordOf(s.Read("wx/Ja\xC3\xA9n.wx"), 2, 29, 2000)[6], "-99");
}

TEST_F(NetcdfWeather, ReadingCellByCellGivesTheSeriesOfOneBlock) {
  MemoryLog log;
  NetcdfSource whole, byCell;
  ASSERT_TRUE(whole.Open(log, Files("grid"), NetcdfOptions{}));
  ASSERT_TRUE(byCell.Open(log, Files("grid"), NetcdfOptions{"cell", 1}));
  EXPECT_EQ(whole.BlockCount(), 1u);
  EXPECT_EQ(byCell.BlockCount(), 12u);
  std::vector<StationSeries> all, block;
  ASSERT_TRUE(whole.ReadBlock(log, 0, all));
  ASSERT_EQ(all.size(), 11u);
  std::size_t n = 0;
  for (std::size_t b = 0; b < byCell.BlockCount(); ++b) {
    ASSERT_TRUE(byCell.ReadBlock(log, b, block));
    for (StationSeries& cell : block) {
      EXPECT_EQ(cell.name, "cell" + all[n].name.substr(std::string("tasmax_day_test").size()));
      cell.name = all[n].name;
      EXPECT_EQ(WeatherFileText(cell), WeatherFileText(all[n]));
      ++n;
    }
  }
  EXPECT_EQ(n, 11u);
  EXPECT_TRUE(log.lines.empty());
}

}  // namespace
}  // namespace olive
