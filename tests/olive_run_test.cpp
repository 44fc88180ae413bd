// The olive executable from the command line: exit codes and the error log it leaves behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "driver/program_info.h"
#include "input_test_support.h"

namespace olive {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadWholeFile;
using testing_support::SplitLines;

// A working directory with the example setup, an empty soil-water table and a year of weather
// from 1 January 2001.
struct Workdir {
  fs::path dir;
  explicit Workdir(const std::string& name) : dir(fs::temp_directory_path() / name) {
    fs::remove_all(dir);
    fs::create_directories(dir / "wx");
    fs::create_directories(dir / "lut");
    fs::copy_file(fs::path(OLIVE_SOURCE_DIR) / "examples" / "olive.setup", dir / "olive.setup");
    fs::copy_file(fs::path(OLIVE_SOURCE_DIR) / "examples" / "lut" / "OliveSoilWater.txt",
                  dir / "lut" / "OliveSoilWater.txt");
    std::ofstream(dir / "wx" / "cordoba.txt")
        << testing_support::WxText(1, 1, 2001, std::vector<testing_support::WxDay>(365));
  }
  ~Workdir() { fs::remove_all(dir); }

  // Runs olive with the given parameters; returns its exit code.
  int Olive(const std::string& params) const {
    const std::string command = "cd '" + dir.string() + "' && '" OLIVE_BINARY_DIR "/olive' " +
                                params + " >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::vector<std::string> LogLines() const {
    return SplitLines(ReadWholeFile((dir / "errorlog").string()));
  }
};

TEST(OliveExecutable, CleanInputsLeaveAnEmptyLog) {
  Workdir w("olive_run_clean");
  EXPECT_EQ(w.Olive("olive.setup 1 1 2001 12 31 2001 365 wx/cordoba.txt"), 0);
  EXPECT_TRUE(fs::exists(w.dir / "errorlog"));
  EXPECT_TRUE(w.LogLines().empty());
}

TEST(OliveExecutable, InputErrorEndsTheRunWithExitCodeOneAndTheMessageOnStandardError) {
  Workdir w("olive_run_bad_month");
  EXPECT_EQ(w.Olive("olive.setup 13 1 2001 12 31 2001 365 wx/cordoba.txt"), 1);
  EXPECT_EQ(w.Olive("olive.setup 1 1 2001 12 31 2001 365 wx/missing.txt"), 1);
  const auto lines = w.LogLines();
  ASSERT_EQ(lines.size(), 2u);  // appended run after run
  EXPECT_TRUE(lines[0].ends_with("  Error in date month1 ")) << lines[0];
  EXPECT_TRUE(lines[1].ends_with("  Initialize Brask. Wx file not found: \"wx/missing.txt\""))
      << lines[1];
  EXPECT_EQ(ReadWholeFile((w.dir / "stderr.txt").string()), lines[1] + "\n");
}

TEST(OliveExecutable, HelpAndVersionPrintOnStandardOutputAndWriteNoFile) {
  Workdir w("olive_run_help");
  for (const char* option : {"--help", "-h"}) {
    EXPECT_EQ(w.Olive(option), 0);
    const std::string out = ReadWholeFile((w.dir / "stdout.txt").string());
    EXPECT_TRUE(out.starts_with("usage: olive SETUP MONTH1 DAY1 YEAR1")) << out;
    EXPECT_NE(out.find("Exit codes: 0 a normal end; 1 the run was ended by bad input"),
              std::string::npos);
    EXPECT_NE(out.find("olive --columns"), std::string::npos);
  }
  EXPECT_EQ(w.Olive("--version"), 0);
  EXPECT_EQ(ReadWholeFile((w.dir / "stdout.txt").string()),
            "olive " + std::string(OliveVersion()) + "\n");
  EXPECT_FALSE(fs::exists(w.dir / "errorlog"));
}

// docs/columns.md is what olive --columns prints; after a change of the column tables,
// regenerate it with build/olive --columns > docs/columns.md and review the diff.
TEST(OliveExecutable, ColumnsPrintsTheDataDictionaryOfDocsAndWritesNoFile) {
  Workdir w("olive_run_columns");
  EXPECT_EQ(w.Olive("--columns"), 0);
  EXPECT_EQ(ReadWholeFile((w.dir / "stdout.txt").string()),
            ReadWholeFile((fs::path(OLIVE_SOURCE_DIR) / "docs" / "columns.md").string()));
  EXPECT_FALSE(fs::exists(w.dir / "errorlog"));
}

TEST(OliveExecutable, AWrongNumberOfParametersIsAUsageErrorThatWritesNoFile) {
  Workdir w("olive_run_usage");
  EXPECT_EQ(w.Olive("olive.setup 1 1 2001 12 31 2001 365"), 64);
  EXPECT_EQ(w.Olive("olive.setup 1 1 2001 12 31 2001 365 wx/cordoba.txt extra"), 64);
  EXPECT_FALSE(fs::exists(w.dir / "errorlog"));
  EXPECT_NE(ReadWholeFile((w.dir / "stderr.txt").string()).find("usage: olive SETUP"),
            std::string::npos);
}

TEST(OliveExecutable, WeatherMessagesNameTheStation) {
  Workdir w("olive_run_short_weather");
  EXPECT_EQ(w.Olive("olive.setup 1 1 2001 12 31 2002 365 wx/cordoba.txt"), 0);
  const auto lines = w.LogLines();
  // Once per pass: the station is new to the soil-water table, so the weather is read twice.
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines) {
    EXPECT_TRUE(line.ends_with(" Cordoba Model end date adjusted to end of weather data.")) << line;
  }
}

TEST(OliveExecutable, UnwritableLogIsAnError) {
  Workdir w("olive_run_no_log");
  fs::create_directory(w.dir / "errorlog");  // a directory where the log should be
  EXPECT_EQ(w.Olive("olive.setup 1 1 2001 12 31 2001 365 wx/cordoba.txt"), 2);
  EXPECT_NE(ReadWholeFile((w.dir / "stderr.txt").string()).find("error log"), std::string::npos);
}

}  // namespace
}  // namespace olive
