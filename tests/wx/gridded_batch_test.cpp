// olive-batch over the cells of NetCDF files (--netcdf) and its NetCDF output (--netcdf-out), on
// the grids of tools/make_netcdf_test_data.py; and the weather reader on a series in memory.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "batch_test_support.h"
#include "driver/batch.h"
#include "weather/readwx.h"
#include "weather/wx_series.h"
#include "wx_test_support.h"
#include "wxsource/netcdf_file.h"
#include "wxsource/weather_file_writer.h"

namespace olive {
namespace {

using batch_testing::ExpectSameSharedFiles;
using batch_testing::MaskedLines;
using testing_support::MemoryLog;
using wx_testing::MakeRunFolder;
using wx_testing::Scratch;
namespace fs = std::filesystem;

const std::string kBatch = "'" OLIVE_BINARY_DIR "/olive-batch' ";

// A daily file's lines, with the date and time of its first line ("Olive Model 2026-12-08
// 04:50:04 tasmax_day_test_1_3.wx") masked.
std::vector<std::string> DailyLines(const fs::path& p) {
  std::vector<std::string> lines = MaskedLines(p);
  if (!lines.empty()) {
    std::size_t at = 0;
    for (int blank = 0; blank < 4 && at != std::string::npos; ++blank)
      at = lines[0].find(' ', at + 1);
    if (at != std::string::npos) lines[0].replace(0, at, "<head and clock>");
  }
  return lines;
}

// A series with what a weather file can hold: impossible values, -0, a value that is not finite.
StationSeries OddSeries() {
  StationSeries s;
  s.name = "odd_2_3";
  s.origin = "from odd.nc and 5 more files";
  s.lon = -0.0f;
  s.lat = 37.123456f;
  s.firstDay = 730500;  // 1 January 2000
  s.Resize(40);
  for (std::size_t d = 0; d < s.Days(); ++d) {
    s.At(WxVar::Tmax, d) = 14.15f + 0.1f * static_cast<float>(d);
    s.At(WxVar::Tmin, d) = 2.0f;
    s.At(WxVar::Solar, d) = 150.25f;
    s.At(WxVar::Rain, d) = d % 3 == 0 ? 0.00001f : -0.0f;
    s.At(WxVar::RelHum, d) = 70;
    s.At(WxVar::Wind, d) = 2.5f;
  }
  s.At(WxVar::RelHum, 5) = 120;
  s.At(WxVar::Tmin, 6) = 30;
  s.At(WxVar::Rain, 7) = -1;
  s.At(WxVar::Tmax, 8) = 1e30f;
  s.At(WxVar::Wind, 9) = std::numeric_limits<float>::quiet_NaN();
  s.At(WxVar::Solar, 10) = kWxMissing;
  return s;
}

TEST(SeriesWeather, ASeriesReadsAsTheWeatherFileOliveWxWritesOfIt) {
  const StationSeries s = OddSeries();
  const std::string text = WeatherFileText(s);
  // Within the data, from before its start, and past its end (the pass is shortened).
  for (const auto& [first, last] : {std::pair{2, 30}, std::pair{-3, 10}, std::pair{20, 60}}) {
    WxPeriod fromText{testing_support::DateOf(1, 1, 2000) + static_cast<float>(first),
                      testing_support::DateOf(1, 1, 2000) + static_cast<float>(last),
                      static_cast<uint16_t>(last - first + 1)};
    WxPeriod fromSeries = fromText;
    const WxCons cons = {0, 1.5f, 0, 0, -5, 0};
    MemoryLog textLog, seriesLog;
    Weather a, b;
    readwxText(textLog, text, "odd_2_3.wx", fromText, cons, a);
    readwxSeries(seriesLog, s, "odd_2_3.wx", fromSeries, cons, b);
    EXPECT_FALSE(textLog.lines.empty()) << first;  // impossible values, the start or the end
    EXPECT_EQ(seriesLog.lines, textLog.lines);
    EXPECT_EQ(seriesLog.RunOk, textLog.RunOk);
    EXPECT_EQ(fromSeries.ndays, fromText.ndays);
    EXPECT_EQ(b.wxid, a.wxid);
    EXPECT_EQ(b.Location, a.Location);
    EXPECT_EQ(std::signbit(b.Longitude), std::signbit(a.Longitude));
    EXPECT_EQ(b.Longitude, a.Longitude);
    EXPECT_EQ(b.LatitudeRadians, a.LatitudeRadians);
    EXPECT_EQ(b.temps, a.temps);
    EXPECT_EQ(b.solar, a.solar);
    EXPECT_EQ(b.rain, a.rain);
    EXPECT_EQ(b.relhum, a.relhum);
    EXPECT_EQ(b.winds, a.winds);
  }
}

TEST(SeriesWeather, NetcdfInABuildWithoutTheLibraryIsAWrongCommandLine) {
  EXPECT_EQ(RunOliveBatch(
                {"--netcdf", "olive.setup", "1", "1", "2000", "12", "31", "2001", "365", "grid.nc"},
                nullptr, nullptr),
            kBatchUsage);
}

// A scratch folder with the generated files: the test grid under data/ and a grid of three years
// under year3/.
class GriddedBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!NetcdfAvailable()) GTEST_SKIP() << "built without the netCDF-C library";
    if (std::string(OLIVE_TEST_PYTHON).empty()) GTEST_SKIP() << "no Python 3 for the generator";
    const std::string tool =
        "'" OLIVE_TEST_PYTHON "' '" OLIVE_SOURCE_DIR "/tools/make_netcdf_test_data.py' ";
    const int rc = s.Run(tool + "data && " + tool + "--grid 3x4 --years 3 year3");
    if (rc == 77) GTEST_SKIP() << s.Read("stderr.txt");
    ASSERT_EQ(rc, 0) << s.Read("stderr.txt");
  }
  Scratch s;
};

TEST_F(GriddedBatch, TheNetcdfRouteLeavesTheFilesOfTheConvertedRoute) {
  // Past the end of the data: every station's run is shortened, with a message.
  const std::string run =
      "--temp-increments 0,2 --daily daily olive.setup 1 1 2000 12 31 2002 365 ";
  ASSERT_EQ(s.OliveWx("netcdf data/grid/*.nc -o converted"), 0) << s.Read("stderr.txt");
  MakeRunFolder(s / "converted");
  MakeRunFolder(s / "direct");
  ASSERT_EQ(s.Run("cd converted && " + kBatch + run + "@stations.txt"), 0);
  ASSERT_EQ(s.Run("cd direct && " + kBatch + "--netcdf " + run + "../data/grid/*.nc"), 0)
      << s.Read("direct/stderr.txt");
  EXPECT_EQ(s.Read("direct/stdout.txt"), s.Read("converted/stdout.txt"));
  ExpectSameSharedFiles(s / "converted", s / "direct");
  EXPECT_NE(s.Read("direct/errorlog").find("tasmax_day_test_3_3 Model end date adjusted"),
            std::string::npos);
  std::size_t daily = 0;
  for (const auto& e : fs::directory_iterator(s / "converted/daily")) {
    const fs::path name = e.path().filename();
    EXPECT_EQ(DailyLines(s / "direct/daily" / name), DailyLines(e.path())) << name;
    ++daily;
  }
  EXPECT_EQ(daily, 22u);  // 11 cells (one is sea) in two scenarios
}

TEST_F(GriddedBatch, TheNetcdfOutputHoldsTheGisRowsOnTheInputsGrid) {
  MakeRunFolder(s / "run");
  ASSERT_EQ(s.Run("cd run && " + kBatch +
                  "--netcdf --netcdf-out out.nc --temp-increments 0,2 olive.setup 1 1 2000 12 31 "
                  "2002 365 ../year3/grid/*.nc"),
            0)
      << s.Read("run/stderr.txt");
  ASSERT_TRUE(fs::exists(s / "run/OUT00003.txt"));
  const int rc = s.Run("'" OLIVE_TEST_PYTHON "' '" OLIVE_SOURCE_DIR
                       "/tests/wx/netcdf_output_check.py' run/out.nc "
                       "year3/grid/tasmax_day_test.nc run 3 4");
  if (rc == 77) GTEST_SKIP() << s.Read("stdout.txt");
  EXPECT_EQ(rc, 0) << s.Read("stdout.txt");
}

TEST_F(GriddedBatch, BadInputAndWrongCombinationsAreRefusedAndWriteNothing) {
  MakeRunFolder(s / "run");
  const std::string dates = "olive.setup 1 1 2000 12 31 2001 365 ";
  EXPECT_EQ(s.Run("cd run && " + kBatch + "--netcdf " + dates +
                  "../data/badunits/tasmax_day_test.nc ../data/grid/tasmin_day_test.nc"),
            1);
  EXPECT_EQ(MaskedLines(s / "run/errorlog"),
            (std::vector<std::string>{
                "<date time>  NetCDF file \"../data/badunits/tasmax_day_test.nc\", variable "
                "\"tasmax\": the units \"degrees\" are not known for the maximum temperature "
                "(degC, K, degF)."}));
  EXPECT_EQ(s.Run("cd run && " + kBatch + "--netcdf --shard 1/2 --journal-dir j " + dates +
                  "../data/grid/*.nc"),
            kBatchUsage);
  EXPECT_NE(
      s.Read("run/stderr.txt").find("--netcdf runs on one machine: it does not go with --shard"),
      std::string::npos);
  EXPECT_EQ(s.Run("cd run && " + kBatch + "--netcdf-out out.nc " + dates + "x.wx"), kBatchUsage);
  EXPECT_EQ(batch_testing::SharedFileNames(s / "run"),
            (std::set<std::string>{"errorlog", "lut/OliveSoilWater.txt"}));
  EXPECT_FALSE(fs::exists(s / "run/out.nc"));
}

}  // namespace
}  // namespace olive
