#include "soil/soil_water_table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "io/file_contents.h"

namespace olive {
namespace {

namespace fs = std::filesystem;

struct RecordingSink : ErrorSink {
  std::vector<std::string> messages;
  void Report(std::string_view message) override { messages.emplace_back(message); }
};

const std::string kHead =
    "Soil water conditions for each weather station location.\n"
    "Station\tSoilWater\tSoilWaterMax\tPermanentWiltingPoint\n";

WaterRec Lookup(std::string_view text, std::string_view station, bool& found) {
  RecordingSink log;
  WaterRec row;
  EXPECT_TRUE(FindSoilWaterRow(log, text, station, row, found));
  EXPECT_TRUE(log.messages.empty());
  return row;
}

bool Has(std::string_view text, std::string_view station) {
  bool found = false;
  Lookup(text, station, found);
  return found;
}

TEST(SoilWaterTableLookup, FirstRowWithExactlyTheStationKey) {
  const std::string text = kHead +
                           "Cordoba.txt\t120.00\t300.00\t80.00\n"
                           "Jaen.txt \t1.00\t2.00\t3.00\n"
                           "Jaen.txt\t110.50\t290.25\t75.75\n"
                           "Jaen.txt\t9.00\t9.00\t9.00\n";
  bool found = false;
  const WaterRec row = Lookup(text, "Jaen.txt", found);
  ASSERT_TRUE(found);
  EXPECT_EQ(row.wxloc, "Jaen.txt");
  EXPECT_DOUBLE_EQ(row.sw, 110.5);
  EXPECT_DOUBLE_EQ(row.swmax, 290.25);
  EXPECT_DOUBLE_EQ(row.pwp, 75.75);

  EXPECT_DOUBLE_EQ(Lookup(text, "Jaen.txt ", found).sw, 1.0);  // the key with its blank
  EXPECT_FALSE(Has(text, "jaen.txt"));                         // case counts
  EXPECT_FALSE(Has(text, "Jaen"));
  EXPECT_FALSE(Has(text, "Station"));  // the header is not a row
  EXPECT_FALSE(Has(kHead, "Cordoba.txt"));
  EXPECT_FALSE(Has("", "Cordoba.txt"));
}

TEST(SoilWaterTableLookup, LineEndsAndSeparators) {
  // Last line without a line end; numbers separated by any white space; the rest ignored.
  bool found = false;
  WaterRec row = Lookup(kHead + "A\t1 2 3\nB\t 4.5  \t5e1\t-6 note\tmore", "B", found);
  ASSERT_TRUE(found);
  EXPECT_DOUBLE_EQ(row.sw, 4.5);
  EXPECT_DOUBLE_EQ(row.swmax, 50);
  EXPECT_DOUBLE_EQ(row.pwp, -6);

  // A table written with CR LF line ends.
  const std::string crlf =
      "Soil water conditions for each weather station location.\r\n"
      "Station\tSoilWater\tSoilWaterMax\tPermanentWiltingPoint\r\n"
      "A\t1.00\t2.00\t3.00\r\nB\t4.00\t5.00\t6.00\r\n";
  row = Lookup(crlf, "B", found);
  ASSERT_TRUE(found);
  EXPECT_DOUBLE_EQ(row.pwp, 6);

  // Blank lines between rows are skipped.
  EXPECT_TRUE(Has(kHead + "A\t1 2 3\n\n  \nB\t4 5 6\n", "B"));
}

TEST(SoilWaterTableLookup, KeyAtTheEndOfTheFileIsIgnored) {
  for (const std::string tail : {"C", "C\n", "C\r\n\n  \n"}) {
    const std::string text = kHead + "A\t1 2 3\n" + tail;
    EXPECT_FALSE(Has(text, "C")) << tail;
    EXPECT_TRUE(Has(text, "A"));
    RecordingSink log;
    std::vector<WaterRec> rows;
    ASSERT_TRUE(ParseSoilWaterTable(log, text, rows));
    EXPECT_EQ(rows.size(), 1u);
  }
}

std::vector<std::string> ParseErrors(const std::string& text) {
  RecordingSink log;
  std::vector<WaterRec> rows;
  EXPECT_FALSE(ParseSoilWaterTable(log, text, rows));
  return log.messages;
}

TEST(SoilWaterTableLookup, MalformedRowsAreReportedWithTheirLine) {
  using Messages = std::vector<std::string>;
  EXPECT_EQ(ParseErrors(kHead + "A\t1 2 3\nB\t1.0 abc 3\n"),
            Messages{"Error reading lut\\OliveSoilWater.txt, line 4: \"abc\" is not a number"});
  EXPECT_EQ(ParseErrors(kHead + "A\t1,5 2 3\n"),
            Messages{"Error reading lut\\OliveSoilWater.txt, line 3: \"1,5\" is not a number"});
  EXPECT_EQ(ParseErrors(kHead + "A\t1 2 nan\n"),
            Messages{"Error reading lut\\OliveSoilWater.txt, line 3: \"nan\" is not a number"});
  EXPECT_EQ(ParseErrors(kHead + "A\t1 2\nB\t4 5 6\n"),
            Messages{"Error reading lut\\OliveSoilWater.txt, line 3: expected 3 numbers after "
                     "the station key \"A\", found 2"});
  EXPECT_EQ(ParseErrors(kHead + "A\t1 2 3\nB 4 5 6\nC\t7 8 9\n"),
            Messages{"Error reading lut\\OliveSoilWater.txt, line 4: no TAB after the station "
                     "key \"B 4 5 6\""});

  // A lookup reads only up to its match.
  const std::string text = kHead + "A\t1 2 3\nB\tx 5 6\n";
  bool found = false;
  EXPECT_DOUBLE_EQ(Lookup(text, "A", found).sw, 1);
  RecordingSink log;
  WaterRec row;
  EXPECT_FALSE(FindSoilWaterRow(log, text, "C", row, found));
  EXPECT_FALSE(found);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_NE(log.messages[0].find("line 4"), std::string::npos);
}

WaterRec Rec(std::string key, double sw, double swmax = 300, double pwp = 80) {
  return WaterRec{std::move(key), sw, swmax, pwp};
}

TEST(SoilWaterTableRewrite, KeepsEveryRowInOrderWithTwoDecimalsAndTabs) {
  RecordingSink log;
  std::vector<WaterRec> rows;
  ASSERT_TRUE(ParseSoilWaterTable(
      log, kHead + "A\t1.234 300 80\nZ \t0 1 2\nB\t3 12.5 0.126\nC\t0.00 1 1\nD\t-1 1 1", rows));
  AppendSoilWaterRow(rows, Rec("new.txt", 145.004, 300, 79.996));
  EXPECT_EQ(FormatSoilWaterTable(rows), kHead +
                                            "A\t1.23\t300.00\t80.00\n"
                                            "Z \t0.00\t1.00\t2.00\n"
                                            "B\t3.00\t12.50\t0.13\n"
                                            "new.txt\t145.00\t300.00\t80.00\n");
  EXPECT_TRUE(log.messages.empty());
}

// Regression: a number of 1e60 or more was cut at 63 characters, so another station's row
// came back with another value.
TEST(SoilWaterTableRewrite, NumbersOfAnySizeReadBackWhole) {
  RecordingSink log;
  std::vector<WaterRec> rows = {Rec("huge.txt", 1e100, 1.7e308, 1e60)}, back;
  ASSERT_TRUE(ParseSoilWaterTable(log, FormatSoilWaterTable(rows), back));
  EXPECT_EQ(back, rows);
}

TEST(SoilWaterTableRewrite, TrailingRowsWithoutSoilWaterAreDroppedOnlyAtTheEnd) {
  std::vector<WaterRec> rows = {Rec("A", 0), Rec("B", 5), Rec("C", -1), Rec("D", 0)};
  AppendSoilWaterRow(rows, Rec("E", 7));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].wxloc, "A");
  EXPECT_EQ(rows[1].wxloc, "B");
  EXPECT_EQ(rows[2].wxloc, "E");

  std::vector<WaterRec> none = {Rec("A", 0)};
  AppendSoilWaterRow(none, Rec("E", 7));
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0].wxloc, "E");
}

TEST(SoilWaterTableRewrite, ATableOf10000RowsKeepsThemAllAndGrows) {
  std::string text = kHead;
  for (int i = 1; i <= 10000; ++i) {
    text += "st" + std::to_string(i) + ".txt\t" + std::to_string(i) + ".50\t300.00\t80.00\n";
  }
  RecordingSink log;
  std::vector<WaterRec> rows;
  ASSERT_TRUE(ParseSoilWaterTable(log, text, rows));
  ASSERT_EQ(rows.size(), 10000u);
  AppendSoilWaterRow(rows, Rec("st10001.txt", 42));
  const std::string rewritten = FormatSoilWaterTable(rows);
  EXPECT_EQ(rewritten.substr(0, text.size()), text);
  EXPECT_EQ(rewritten.substr(text.size()), "st10001.txt\t42.00\t300.00\t80.00\n");
  ASSERT_TRUE(ParseSoilWaterTable(log, rewritten, rows));
  EXPECT_EQ(rows.size(), 10001u);
  bool found = false;
  EXPECT_DOUBLE_EQ(Lookup(rewritten, "st10001.txt", found).sw, 42);
  EXPECT_TRUE(found);
}

TEST(SoilWaterTableRewrite, StationRowStoresTheBucketInTableUnits) {
  WaterState w;
  w.soilw = 7.25f;  // mm in the bucket
  w.SoilwMaxIn = 300;
  w.pwpin = 80;
  const WaterRec row = StationRow("Baeza.txt", w);
  EXPECT_EQ(row.wxloc, "Baeza.txt");
  EXPECT_DOUBLE_EQ(row.sw, 145.0);
  EXPECT_DOUBLE_EQ(row.swmax, 300);
  EXPECT_DOUBLE_EQ(row.pwp, 80);
}

// A working directory of its own under the system's temporary folder.
class SoilWaterTableOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = fs::temp_directory_path() /
           ("olive_soil_" + std::to_string(stamp) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_ / "lut");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path Table() const { return dir_ / "lut" / "OliveSoilWater.txt"; }
  void WriteTable(const std::string& text) const {
    std::ofstream(Table(), std::ios::binary) << text;
  }
  std::string ReadTable() const {
    std::ifstream in(Table(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  size_t FilesInLut() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_ / "lut"), {}));
  }
  fs::path dir_;
};

TEST_F(SoilWaterTableOnDisk, NewStationIsRecordedAndFoundByTheRepeatedPass) {
  const std::string old = kHead + "Cordoba.txt\t120.00\t300.00\t80.00\n";
  WriteTable(old);
  RecordingSink log;

  // First pass: the station is missing; the run starts from the setup file's values.
  WaterState w;
  w.SoilwIn = 160;
  w.SoilwMaxIn = 300;
  w.pwpin = 80;
  bool SoilWaterOk = true;
  GetSoilWaterConditions(log, "Baeza.txt", w, SoilWaterOk, dir_);
  EXPECT_FALSE(SoilWaterOk);
  EXPECT_EQ(w.SoilwIn, 160.0f);
  waterinit(w);
  w.soilw = 7.25f;  // the bucket at the end of the pass

  ASSERT_TRUE(GenerateSoilwater(log, "Baeza.txt", w, dir_));
  EXPECT_EQ(ReadTable(), old + "Baeza.txt\t145.00\t300.00\t80.00\n");
  EXPECT_EQ(FilesInLut(), 1u);  // no temporary file left behind

  // Repeated pass: the station is found and the bucket starts where the first pass ended.
  WaterState again;
  GetSoilWaterConditions(log, "Baeza.txt", again, SoilWaterOk, dir_);
  EXPECT_TRUE(SoilWaterOk);
  EXPECT_EQ(again.SoilwIn, 145.0f);
  EXPECT_EQ(again.SoilwMaxIn, 300.0f);
  EXPECT_EQ(again.pwpin, 80.0f);
  waterinit(again);
  EXPECT_FLOAT_EQ(again.soilw, 7.25f);
  EXPECT_TRUE(log.messages.empty());
  EXPECT_TRUE(log.RunOk);
}

TEST_F(SoilWaterTableOnDisk, MissingTableEndsTheRunAndWritesNothing) {
  fs::remove(Table());
  RecordingSink log;
  WaterState w;
  for (bool before : {true, false}) {
    bool SoilWaterOk = before;
    log.RunOk = true;
    GetSoilWaterConditions(log, "Baeza.txt", w, SoilWaterOk, dir_);
    EXPECT_EQ(SoilWaterOk, before);
    EXPECT_FALSE(log.RunOk);
    EXPECT_EQ(log.messages.back(), "Error opening lut\\OliveSoilWater.txt");
  }
  log.RunOk = true;
  EXPECT_FALSE(GenerateSoilwater(log, "Baeza.txt", w, dir_));
  EXPECT_FALSE(log.RunOk);
  EXPECT_EQ(log.messages.back().rfind("Error opening lut\\OliveSoilWater.txt", 0), 0u);
  EXPECT_FALSE(fs::exists(Table()));
}

TEST_F(SoilWaterTableOnDisk, MalformedTableIsReportedAndLeftIntact) {
  const std::string bad = kHead + "Cordoba.txt\t120.00\t300.00\t80.00\nJaen.txt\tdry\t1\t2\n";
  WriteTable(bad);
  RecordingSink log;
  WaterState w;
  bool SoilWaterOk = false;
  GetSoilWaterConditions(log, "Baeza.txt", w, SoilWaterOk, dir_);
  EXPECT_FALSE(log.RunOk);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0],
            "Error reading lut\\OliveSoilWater.txt, line 4: \"dry\" is not a number");

  log.RunOk = true;
  EXPECT_FALSE(GenerateSoilwater(log, "Baeza.txt", w, dir_));
  EXPECT_FALSE(log.RunOk);
  ASSERT_EQ(log.messages.size(), 3u);
  EXPECT_EQ(log.messages[1], log.messages[0]);
  EXPECT_EQ(log.messages[2],
            "lut\\OliveSoilWater.txt is malformed; the soil water of station \"Baeza.txt\" was "
            "not recorded and the table was left unchanged");
  EXPECT_EQ(ReadTable(), bad);
}

TEST_F(SoilWaterTableOnDisk, StationKeyThatCouldNotBeReadBackIsRefused) {
  const std::string old = kHead + "Cordoba.txt\t120.00\t300.00\t80.00\n";
  WriteTable(old);
  RecordingSink log;
  WaterState w;
  EXPECT_FALSE(GenerateSoilwater(log, "two\tparts.txt", w, dir_));
  EXPECT_FALSE(log.RunOk);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0],
            "Error writing lut\\OliveSoilWater.txt: the station key holds a TAB or a line end; "
            "the soil water of station \"two\tparts.txt\" was not recorded and the table was left "
            "unchanged");
  EXPECT_EQ(ReadTable(), old);
}

TEST_F(SoilWaterTableOnDisk, FailedReplacementLeavesTheOldContents) {
  std::string reason;
  // The target cannot be replaced: it is a folder with something in it.
  const fs::path blocked = dir_ / "lut" / "blocked";
  fs::create_directories(blocked / "inside");
  EXPECT_FALSE(ReplaceFileContents(blocked, "new", reason));
  EXPECT_NE(reason.find("cannot replace"), std::string::npos) << reason;
  EXPECT_TRUE(fs::is_directory(blocked / "inside"));
  // The folder does not exist: no temporary file can be made.
  EXPECT_FALSE(ReplaceFileContents(dir_ / "absent" / "t.txt", "new", reason));
  EXPECT_NE(reason.find("cannot create"), std::string::npos) << reason;
  EXPECT_EQ(FilesInLut(), 1u);  // only the blocked folder; no temporary file left

  // The table itself replaced by a folder: GenerateSoilwater reports and writes nothing.
  fs::remove(Table());
  fs::create_directories(Table() / "inside");
  RecordingSink log;
  WaterState w;
  EXPECT_FALSE(GenerateSoilwater(log, "Baeza.txt", w, dir_));
  EXPECT_FALSE(log.RunOk);
  EXPECT_TRUE(fs::is_directory(Table() / "inside"));
}

TEST_F(SoilWaterTableOnDisk, ReplacementCopiesTheOtherRowsByteForByte) {
  // Rows as a person or another program wrote them; the rows without soil water and the blank
  // line at the end are dropped as whole lines.
  const std::string kept =
      "Soil water conditions for each weather station location.\r\n"
      "Station\tSoilWater\tSoilWaterMax\tPermanentWiltingPoint\r\n"
      "Odd key \t 1e100   4000 1000 notes after the numbers\r\n"
      "\r\n"
      "Plain\t3000.5\t4000\t1000\r\n";
  WriteTable(kept + "Dry\t0\t4000\t1000\r\nDrier\t-1 4000 1000\r\n\r\n");
  RecordingSink log;
  WaterState w;
  w.soilw = 7.25f;
  w.SoilwMaxIn = 300;
  w.pwpin = 80;
  ASSERT_TRUE(GenerateSoilwater(log, "Baeza.txt", w, dir_));
  EXPECT_EQ(ReadTable(), kept + "Baeza.txt\t145.00\t300.00\t80.00\r\n");
  EXPECT_TRUE(log.messages.empty());
}

TEST_F(SoilWaterTableOnDisk, ReplacementWritesThroughASymlinkAndKeepsModeAndGroup) {
  // The table lives in a shared folder; lut/ links to it.
  const fs::path real = dir_ / "shared" / "table.txt";
  fs::create_directories(real.parent_path());
  std::ofstream(real, std::ios::binary) << kHead;
  fs::remove(Table());
  fs::create_symlink("../shared/table.txt", Table());
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(real.c_str(), 0, 4242), 0);  // a group of its own
  }
  struct stat before {};
  ASSERT_EQ(::stat(real.c_str(), &before), 0);

  RecordingSink log;
  WaterState w;
  w.soilw = 7.25f;
  w.SoilwMaxIn = 300;
  w.pwpin = 80;
  ASSERT_TRUE(GenerateSoilwater(log, "Baeza.txt", w, dir_));
  EXPECT_TRUE(fs::is_symlink(Table()));
  EXPECT_EQ(fs::read_symlink(Table()), "../shared/table.txt");
  EXPECT_EQ(ReadTable(), kHead + "Baeza.txt\t145.00\t300.00\t80.00\n");
  struct stat after {};
  ASSERT_EQ(::stat(real.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);  // replaced whole, not rewritten in place
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(FilesInLut(), 1u);  // the link; no temporary file here or beside the table
  EXPECT_EQ(std::distance(fs::directory_iterator(real.parent_path()), {}), 1);
}

TEST_F(SoilWaterTableOnDisk, AValueOutOfItsPhysicalRangeIsNeverRecorded) {
  WriteTable(kHead);
  struct Case {
    float soilw, SoilwMaxIn, pwpin;
    const char* problem;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {nan, 4000, 1000, "the soil water (nan) is not within 0 to the maximum soil water (4000)"},
      {-0.5f, 4000, 1000, "the soil water (-10) is not within 0 to the maximum soil water (4000)"},
      {201, 4000, 1000, "the soil water (4020) is not within 0 to the maximum soil water (4000)"},
      {10, inf, 1000, "the maximum soil water (inf) is not within 0 to 1e+06"},
      {10, 1e30f, 1000, "the maximum soil water (1e+30) is not within 0 to 1e+06"},
      {10, 4000, 5000,
       "the permanent wilting point (5000) is not within 0 to the maximum soil water (4000)"},
  };
  for (const Case& c : cases) {
    RecordingSink log;
    WaterState w;
    w.soilw = c.soilw;
    w.SoilwMaxIn = c.SoilwMaxIn;
    w.pwpin = c.pwpin;
    EXPECT_FALSE(GenerateSoilwater(log, "Baeza.txt", w, dir_));
    EXPECT_FALSE(log.RunOk);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0], std::string("Error writing lut\\OliveSoilWater.txt: ") + c.problem +
                                   "; the soil water of station \"Baeza.txt\" was not recorded "
                                   "and the table was left unchanged");
  }
  EXPECT_EQ(ReadTable(), kHead);
  // A bucket filled to the brim (its float rounding included) and an empty one are in range.
  RecordingSink log;
  WaterState w;
  w.SoilwMaxIn = 333.33f;
  w.pwpin = 0;
  w.soilw = static_cast<float>(kBucketScale * w.SoilwMaxIn);
  EXPECT_TRUE(GenerateSoilwater(log, "Full.txt", w, dir_));
  w.soilw = 0;
  EXPECT_TRUE(GenerateSoilwater(log, "Empty.txt", w, dir_));
  EXPECT_TRUE(log.messages.empty());
}

}  // namespace
}  // namespace olive
