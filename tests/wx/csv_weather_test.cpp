// Weather from CSV tables: columns found by name or named, units, dates, gaps, repeated dates,
// many stations in one table; and the weather files written from them.
#include "wxsource/csv_weather.h"

#include <gtest/gtest.h>

#include "wx_test_support.h"
#include "wxconvert/wx_command_line.h"
#include "wxsource/weather_file_writer.h"

namespace olive {
namespace {

using testing_support::MemoryLog;
using wx_testing::ReadBackMessages;

// One table read with the options of an olive-wx csv command line (its files and -o aside).
struct CsvRead {
  MemoryLog log;
  std::vector<StationSeries> out;
  bool ok = false;

  CsvRead(const std::string& text,
          const std::vector<std::string>& args = {"--lon", "-4.77", "--lat", "37.88"},
          const std::string& file = "data/cordoba.csv") {
    std::vector<std::string> line = {"csv"};
    line.insert(line.end(), args.begin(), args.end());
    line.insert(line.end(), {file, "-o", "out"});
    WxOptions options;
    std::string error;
    EXPECT_TRUE(ParseWxArgs(line, options, error)) << error;
    ok = ReadCsvWeather(log, text, file, options.csv, out);
  }
  std::string Text(std::size_t i = 0) const { return WeatherFileText(out.at(i)); }
};

const std::string kHead =
    "cordoba\tdaily weather from cordoba.csv, converted by olive-wx\n"
    "-4.77\t37.88\tlongitude and latitude, degrees\n"
    "month\tday\tyear\ttmax\ttmin\tsolar\train\trh\twind\n";

// Three days with an NA, empty cells and no wind column.
const std::string kThreeDays = kHead +
                               "2\t27\t2001\t15.5\t4\t180\t0\t70\t-99\n"
                               "2\t28\t2001\t16\t-99\t185.5\t2.5\t-99\t-99\n"
                               "3\t1\t2001\t17.25\t5\t190\t-99\t72\t-99\n";

const std::string kNoWind =
    "Warning: CSV file \"data/cordoba.csv\": no column of wind speed (wind, sfcWind, wind_speed, "
    "fg): written as -99 on every day.";

TEST(CsvWeather, ADateColumnGivesOneRecordPerDayWithMissingValuesAsMinus99) {
  const CsvRead r(
      "date,tmax,tmin,rain,solar,rh\n"
      "2001-02-27,15.5,4,0,180,70\n"
      "2001-02-28,16,NA,2.5,185.5,\n"
      "2001-03-01,17.25,5,,190,72\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.log.lines, std::vector<std::string>{kNoWind});
  EXPECT_EQ(r.Text(), kThreeDays);
  EXPECT_TRUE(ReadBackMessages(r.Text()).empty());
}

TEST(CsvWeather, YearMonthDayColumnsSemicolonsDecimalCommasQuotesAndCrLfReadTheSame) {
  const CsvRead r(
      "\xEF\xBB\xBF\"Year\";\"Month\";\"Day\";\"TMAX\";\"Tmin\";\"rain\";\"solar\";\"RH\"\r\n"
      "2001;3;1;17,25;5;;190;72\r\n"
      "2001;2;27;15,5;4;0;180;70\r\n"
      "\r\n"
      "2001;2;28;16;NA;2,5;185,5;\"\"\r\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.log.lines, std::vector<std::string>{kNoWind});
  EXPECT_EQ(r.Text(), kThreeDays);
}

TEST(CsvWeather, AGapBecomesMinus99RecordsWithOneWarning) {
  const CsvRead r(
      "date,tmax,tmin,rain,solar,rh,wind,snow_depth\n"
      "2001-02-26,15,4,0,180,70,2,0\n"
      "2001-03-02,16,5,0,180,70,2,\n");
  ASSERT_TRUE(r.ok) << r.log.lines.front();
  EXPECT_EQ(r.log.lines, (std::vector<std::string>{
                             "Warning: CSV file \"data/cordoba.csv\": columns ignored: "
                             "\"snow_depth\".",
                             "Warning: CSV file \"data/cordoba.csv\": no records from 2001-02-27 "
                             "to 2001-03-01 (3 days): written as -99.",
                         }));
  EXPECT_EQ(r.Text(), kHead +
                          "2\t26\t2001\t15\t4\t180\t0\t70\t2\n"
                          "2\t27\t2001\t-99\t-99\t-99\t-99\t-99\t-99\n"
                          "2\t28\t2001\t-99\t-99\t-99\t-99\t-99\t-99\n"
                          "3\t1\t2001\t-99\t-99\t-99\t-99\t-99\t-99\n"
                          "3\t2\t2001\t16\t5\t180\t0\t70\t2\n");
}

TEST(CsvWeather, RepeatedAndUnreadableDatesAreErrorsNamingTheFileAndTheLine) {
  const CsvRead r(
      "date,tmax,tmin\n"
      "2001-01-01,15,4\n"
      "2001-01-02,15,4\n"
      "2001-01-01,16,5\n"
      "2001-02-29,16,5\n"
      "2001-01-03,warm,5\n");
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.log.RunOk);
  EXPECT_TRUE(r.out.empty());
  const std::vector<std::string> errors(r.log.lines.begin() + 1, r.log.lines.end());
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "CSV file \"data/cordoba.csv\" line 5: \"2001-02-29\" in column \"date\" "
                        "is not a date (YYYY-MM-DD).",
                        "CSV file \"data/cordoba.csv\" line 6: \"warm\" in column \"tmax\" is not "
                        "a number.",
                        "CSV file \"data/cordoba.csv\" line 4: the date 2001-01-01 repeats line 2.",
                    }));
}

TEST(CsvWeather, MappedColumnsAndTheirUnitsAreConvertedToTheWeatherFilesUnits) {
  const CsvRead r(
      "day,Max T,Min T,P,Rs,U,Humidity\n"
      "2001-02-27,50,32,1,8.64,36,55\n",
      {"--lon", "-4.77", "--lat", "37.88", "--map", "date=day,tmax=Max T,tmin=Min T",
       "--map=rain=P,solar=Rs,wind=U", "--units",
       "tmax=degF,tmin=degF,rain=in,solar=MJ/m2/d,wind=km/h"});
  ASSERT_TRUE(r.ok) << r.log.lines.front();
  EXPECT_TRUE(r.log.lines.empty()) << r.log.lines.front();
  EXPECT_EQ(r.Text(), kHead + "2\t27\t2001\t10\t0\t100\t25.4\t55\t10\n");
}

TEST(CsvWeather, ALongTableGivesOneStationPerNameWithTheCoordinatesOfTheStationsTable) {
  const std::string table =
      "station,date,tmax,tmin,rain,solar,rh,wind\n"
      "Jaen,2001-01-02,11,3,0,90,80,2\n"
      "Cordoba Aeropuerto,2001-01-01,12,2,0,95,82,1\n"
      "Jaen,2001-01-01,10,2,1,85,85,3\n"
      "Cordoba Aeropuerto,2001-01-02,13,1,0,96,81,1.5\n";
  const CsvRead without(table, {"--station-column", "station"}, "region.csv");
  EXPECT_FALSE(without.ok);
  EXPECT_EQ(without.log.lines.back(),
            "CSV file \"region.csv\", station \"Cordoba_Aeropuerto\" has no longitude and "
            "latitude: give --lon and --lat, a --stations table, or columns \"lon\" and \"lat\".");

  MemoryLog log;
  CsvOptions options;
  options.stationColumn = "station";
  ASSERT_TRUE(ReadCsvStations(log,
                              "name,lat,lon\n"
                              "Jaen,37.77,-3.79\n"
                              "Cordoba Aeropuerto,37.85,-4.85\n",
                              "stations.csv", options.places));
  std::vector<StationSeries> out;
  ASSERT_TRUE(ReadCsvWeather(log, table, "region.csv", options, out));
  EXPECT_TRUE(log.lines.empty());
  ASSERT_EQ(out.size(), 2u);
  const std::string head = "month\tday\tyear\ttmax\ttmin\tsolar\train\trh\twind\n";
  EXPECT_EQ(WeatherFileText(out[0]),
            "Jaen\tdaily weather from region.csv, converted by olive-wx\n"
            "-3.79\t37.77\tlongitude and latitude, degrees\n" +
                head +
                "1\t1\t2001\t10\t2\t85\t1\t85\t3\n"
                "1\t2\t2001\t11\t3\t90\t0\t80\t2\n");
  EXPECT_EQ(WeatherFileText(out[1]),
            "Cordoba_Aeropuerto\tdaily weather from region.csv, converted by olive-wx\n"
            "-4.85\t37.85\tlongitude and latitude, degrees\n" +
                head +
                "1\t1\t2001\t12\t2\t95\t0\t82\t1\n"
                "1\t2\t2001\t13\t1\t96\t0\t81\t1.5\n");
}

}  // namespace
}  // namespace olive
