// Number formats, the buffered output file, and the daily file's header, rows and console tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "output/number_format.h"
#include "output/output_file.h"

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
  EXPECT_TRUE(f.Failed());
  EXPECT_NE(f.Error(), 0);
  EXPECT_FALSE(f.IsOpen());
  f.Write("ignored");
  EXPECT_FALSE(f.Close());
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

}  // namespace
}  // namespace olive
