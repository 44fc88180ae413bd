// The command line and the setup file: values, derived dates, line kinds, switches, spray
// schedule, and every refusal on its exact message.
#include "driver/read_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "input_test_support.h"
#include "toolkit/random.h"

namespace olive {
namespace {

using testing_support::ExampleSetup;
using testing_support::FirstLines;
using testing_support::JoinLines;
using testing_support::MemoryFiles;
using testing_support::MemoryLog;
using testing_support::SplitLines;
using testing_support::WithLine;

// One ReadInputs call over in-memory files.
struct InputRun {
  MemoryLog log;
  MemoryFiles files;
  Inputs in;
  DriverState drv;
  Rng rng;

  explicit InputRun(const std::string& setup = ExampleSetup()) {
    files.files["olive.setup"] = setup;
    files.files["wx/cordoba.txt"] = "weather";
  }
  void Read(std::vector<std::string> args) { ReadInputs(log, args, files, in, drv, rng); }
  // A run from 1 March 2001 to 1 March 2002 with a GIS row every 30 days.
  void ReadDefault() {
    Read({"olive.setup", "3", "1", "2001", "3", "1", "2002", "30", "wx/cordoba.txt"});
  }
};

// Setup text alone, read with the start date 1 January 2001.
struct SetupRead {
  MemoryLog log;
  Inputs in;
  DriverState drv;
  Rng rng;
  explicit SetupRead(const std::string& text) {
    in.SetupFileName = "olive.setup";
    drv.modelStartDate = testing_support::DateOf(1, 1, 2001);
    ReadSetup(log, text, in, drv, rng);
  }
};

std::vector<std::string> Args(int index, const std::string& value) {
  std::vector<std::string> a = {"olive.setup", "3",    "1",  "2001",          "3",
                                "1",           "2002", "30", "wx/cordoba.txt"};
  a.at(static_cast<size_t>(index)) = value;
  return a;
}

TEST(CommandLine, DerivesDatesAndStation) {
  InputRun r;
  r.ReadDefault();
  EXPECT_TRUE(r.log.RunOk);
  EXPECT_TRUE(r.log.lines.empty());
  EXPECT_EQ(r.in.SetupFileName, "olive.setup");
  EXPECT_EQ(r.in.WxFilename, "wx/cordoba.txt");
  EXPECT_EQ(r.in.wxstation, "cordoba.txt");
  EXPECT_EQ(r.in.GisOutputInterval, 30);
  EXPECT_EQ(r.drv.jdayStart, 60);
  EXPECT_EQ(r.drv.jdayEnd, 60);
  EXPECT_EQ(r.drv.modelStartDate, rdate(2001, 60));
  EXPECT_EQ(r.drv.ModelEndDate, rdate(2002, 60));
  EXPECT_EQ(r.drv.modelyear, 2001);
  EXPECT_EQ(r.drv.ndays, 366);  // 365 days later, both ends included
}

TEST(CommandLine, EndDateEqualToStartGivesOneDay) {
  InputRun r;
  r.Read({"olive.setup", "7", "4", "1999", "7", "4", "1999", "365", "wx/cordoba.txt"});
  EXPECT_TRUE(r.log.RunOk);
  EXPECT_EQ(r.drv.ndays, 1);
}

TEST(CommandLine, CenturyRunCountsEveryDay) {
  InputRun r;
  r.Read({"olive.setup", "1", "1", "1901", "12", "31", "2000", "365", "wx/cordoba.txt"});
  EXPECT_TRUE(r.log.RunOk);
  EXPECT_EQ(r.drv.ndays, 36525);  // 100 years, every fourth a leap year
}

TEST(CommandLine, EachParameterFailsWithItsMessage) {
  const struct {
    int index;
    std::string value;
    std::string message;
  } cases[] = {
      {0, "missing.setup", "setup file missing.setup not found."},
      {1, "x", "Error in date month1 "},
      {1, "13", "Error in date month1 "},
      {1, "3.0", "Error in date month1 "},
      {2, "1a", "Error in date day1 "},
      {3, "", "Error in date FirstYear "},
      {4, "three", "Error in date month2 "},
      {4, "13", "Error in date month2 "},
      {5, " 1", "Error in date day2 "},
      {6, "2002x", "Error in date LastYear "},
      {7, "3o", "Error in GIS output interval "},
      {8, "wx/nowhere.txt", "Initialize Brask. Wx file not found: \"wx/nowhere.txt\""},
  };
  for (const auto& c : cases) {
    InputRun r;
    r.Read(Args(c.index, c.value));
    EXPECT_FALSE(r.log.RunOk) << c.value;
    ASSERT_EQ(r.log.lines.size(), 1u) << c.value;
    EXPECT_EQ(r.log.lines[0], c.message);
    EXPECT_EQ(r.in.RandSeed, 0) << "the setup file is not read after a command-line failure";
  }
}

TEST(CommandLine, SignedIntegersAreAccepted) {
  InputRun r;
  r.Read({"olive.setup", "+3", "01", "2001", "3", "+1", "2002", "+30", "wx/cordoba.txt"});
  EXPECT_TRUE(r.log.RunOk);
  EXPECT_EQ(r.in.month1, 3);
  EXPECT_EQ(r.in.GisOutputInterval, 30);
}

TEST(CommandLine, MissingParametersFailTheirOwnChecks) {
  {
    InputRun r;
    r.Read({});
    ASSERT_EQ(r.log.lines.size(), 1u);
    EXPECT_EQ(r.log.lines[0], "setup file  not found.");  // an empty name never opens
  }
  {
    InputRun r;
    r.Read({"olive.setup", "3", "1", "2001", "3", "1", "2002", "30"});
    ASSERT_EQ(r.log.lines.size(), 1u);
    EXPECT_EQ(r.log.lines[0], "Initialize Brask. Wx file not found: \"\"");
  }
  {
    InputRun r;
    r.Read({"olive.setup", "3", "1"});
    ASSERT_EQ(r.log.lines.size(), 1u);
    EXPECT_EQ(r.log.lines[0], "Error in date FirstYear ");
  }
}

TEST(CommandLine, ImpossibleDatesAreRefused) {
  const struct {
    int index;
    std::string value;
    std::string message;
  } cases[] = {
      {1, "0", "Error in date month1 "},         {1, "-2", "Error in date month1 "},
      {4, "0", "Error in date month2 "},         {2, "0", "Error in date day1 "},
      {2, "32", "Error in date day1 "},          {5, "40", "Error in date day2 "},
      {3, "-1", "Error in date FirstYear "},     {6, "10001", "Error in date LastYear "},
      {7, "0", "Error in GIS output interval "}, {7, "-30", "Error in GIS output interval "},
  };
  for (const auto& c : cases) {
    InputRun r;
    r.Read(Args(c.index, c.value));
    EXPECT_FALSE(r.log.RunOk) << c.value;
    ASSERT_EQ(r.log.lines.size(), 1u) << c.value;
    EXPECT_EQ(r.log.lines[0], c.message);
  }
}

TEST(CommandLine, TwentyNinthOfFebruaryOnlyInLeapYears) {
  InputRun bad;
  bad.Read({"olive.setup", "2", "29", "2001", "3", "1", "2002", "30", "wx/cordoba.txt"});
  ASSERT_EQ(bad.log.lines.size(), 1u);
  EXPECT_EQ(bad.log.lines[0], "Error in date day1 ");
  InputRun good;
  good.Read({"olive.setup", "2", "29", "2000", "2", "29", "2004", "30", "wx/cordoba.txt"});
  EXPECT_TRUE(good.log.RunOk);
  EXPECT_EQ(good.drv.ndays, 1462);
}

TEST(CommandLine, EndBeforeStartIsRefused) {
  InputRun r;
  r.Read({"olive.setup", "3", "2", "2001", "3", "1", "2001", "30", "wx/cordoba.txt"});
  EXPECT_FALSE(r.log.RunOk);
  ASSERT_EQ(r.log.lines.size(), 1u);
  EXPECT_EQ(r.log.lines[0], "Model end date precedes model start date.");
  EXPECT_EQ(r.in.RandSeed, 0);  // no setup read, no run
}

TEST(CommandLine, RunLongerThanTheDayCounterIsRefused) {
  InputRun r;
  r.Read({"olive.setup", "1", "1", "2001", "12", "31", "2199", "365", "wx/cordoba.txt"});
  EXPECT_FALSE(r.log.RunOk);
  ASSERT_EQ(r.log.lines.size(), 1u);
  EXPECT_EQ(r.log.lines[0],
            "Model run of 72684 days is longer than the 65535 days one run can simulate.");
  EXPECT_EQ(r.drv.ndays, 0);  // not wrapped
}

TEST(CommandLine, SetupThatVanishesBeforeReading) {
  // The file passes the first check but cannot be read afterwards.
  struct Vanishing : MemoryFiles {
    bool CanOpen(const std::string&) const override { return true; }
    std::optional<std::string> Read(const std::string&) const override { return std::nullopt; }
  } files;
  MemoryLog log;
  Inputs in;
  DriverState drv;
  Rng rng;
  const std::vector<std::string> args = {"s.setup", "3", "1", "2001", "3", "1", "2002", "30", "w"};
  ReadInputs(log, args, files, in, drv, rng);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0], "Setup file not found: \"s.setup\"");
  EXPECT_FALSE(log.RunOk);
}

TEST(CommandLine, StationNameFollowsEitherSeparator) {
  EXPECT_EQ(WxStationName("cordoba.txt"), "cordoba.txt");
  EXPECT_EQ(WxStationName("wx/cordoba.txt"), "cordoba.txt");
  EXPECT_EQ(WxStationName("C:\\weather\\sites\\cordoba.txt"), "cordoba.txt");
  EXPECT_EQ(WxStationName("a\\b/c\\jaen"), "jaen");
  EXPECT_EQ(WxStationName("dir/"), "");
}

TEST(DiskFilesTest, DevicesAndFoldersAreRefusedWithTheReason) {
  const std::string weather = std::string(OLIVE_SOURCE_DIR) + "/examples/weather/Cordoba.txt";
  const std::string folder = std::filesystem::temp_directory_path().string();
  for (const std::string& setup : {std::string("/dev/zero"), folder}) {
    MemoryLog log;
    Inputs in;
    DriverState drv;
    Rng rng;
    const std::vector<std::string> args = {setup, "1",    "1",  "2001", "3",
                                           "31",  "2001", "30", weather};
    ReadInputs(log, args, DiskFiles(), in, drv, rng);
    EXPECT_FALSE(log.RunOk);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Setup file \"" + setup +
                                                   "\" cannot be read: not a regular file."}));
  }
  MemoryLog log;
  Inputs in;
  DriverState drv;
  Rng rng;
  const std::string example = std::string(OLIVE_SOURCE_DIR) + "/examples/olive.setup";
  const std::vector<std::string> args = {example, "1",    "1",  "2001",     "3",
                                         "31",    "2001", "30", "/dev/zero"};
  ReadInputs(log, args, DiskFiles(), in, drv, rng);
  EXPECT_EQ(
      log.lines,
      (std::vector<std::string>{"Weather file \"/dev/zero\" cannot be read: not a regular file."}));
}

TEST(DiskFilesTest, EmptyNamesAndDirectoriesNeverOpen) {
  DiskFiles disk;
  EXPECT_FALSE(disk.CanOpen(""));
  EXPECT_FALSE(disk.Read("").has_value());
  EXPECT_FALSE(disk.CanOpen(std::filesystem::temp_directory_path().string()));
  const std::string example = std::string(OLIVE_SOURCE_DIR) + "/examples/olive.setup";
  ASSERT_TRUE(disk.CanOpen(example));
  EXPECT_EQ(disk.Read(example).value(), ExampleSetup());
}

TEST(SetupFile, ExampleReadsCompletely) {
  InputRun r;
  r.ReadDefault();
  ASSERT_TRUE(r.log.RunOk);
  EXPECT_TRUE(r.log.lines.empty());
  const Inputs& in = r.in;
  for (int k = 1; k <= 5; ++k) EXPECT_EQ(in.wxcons[k], 0.0f);
  EXPECT_EQ(in.OliveBase, 9.1f);
  EXPECT_EQ(in.delfol, 6000.0f);
  EXPECT_EQ(in.delshootLive, 1500.0);
  EXPECT_EQ(in.delShootWood, 10000.0);
  EXPECT_EQ(in.delRootLive, 1000.0f);
  EXPECT_EQ(in.delRootWood, 20000.0f);
  EXPECT_EQ(in.delframeLive, 2000.0);
  EXPECT_EQ(in.delframeWood, 40000.0);
  EXPECT_EQ(in.delfru, 3000.0f);
  EXPECT_EQ(in.m2PerPlant, 20.0);
  EXPECT_EQ(in.shootnr, 150.0);
  EXPECT_EQ(in.roots, 30000.0);
  EXPECT_EQ(in.TotalFrame, 100000.0);
  EXPECT_EQ(in.burstpnt, 300.0);
  EXPECT_EQ(in.RapidFruGrow, 700.0);
  EXPECT_EQ(in.Veraison, 2100.0);
  EXPECT_EQ(in.folrate, 60.0);
  EXPECT_EQ(in.rootmax, 5000.0);
  EXPECT_EQ(in.PruneNumber, 1);
  EXPECT_TRUE(in.HarvestOption);
  EXPECT_EQ(in.HarvEfficiency, 0.9);
  EXPECT_FALSE(in.nitro);
  EXPECT_FALSE(in.outscreen);
  EXPECT_TRUE(in.Daily);
  EXPECT_TRUE(in.Summary);
  EXPECT_EQ(in.GisOutputTarget, 1);
  EXPECT_EQ(in.RandSeed, 12345);
  EXPECT_EQ(r.rng.s, 12345u);
  EXPECT_EQ(in.pwpin, 1000.0f);
  EXPECT_EQ(in.SoilwIn, 3000.0f);
  EXPECT_EQ(in.SoilwMaxIn, 4000.0f);
  EXPECT_FALSE(in.mite || in.PredIn || in.GWss || in.OliveScale || in.AMaculicornis || in.Cutilis ||
               in.OleanderScale || in.Achilensis || in.ed || in.CoccInRun || in.OliveFlyInRun);
  EXPECT_EQ(in.kWiEgg, 30);
  EXPECT_EQ(in.MiteKimm, 40);
  EXPECT_EQ(in.kAdl, 40);
  EXPECT_EQ(in.MiteSexr, 0.7);
  EXPECT_EQ(in.Predins, 2.0f);
  EXPECT_EQ(in.PredinsPcnt, 20);
  EXPECT_EQ(in.GWwgt[3], 1.0);
  EXPECT_EQ(in.GWNum[1], 100.0);
  EXPECT_EQ(in.OliveScaleIns, 100.0f);
  EXPECT_EQ(in.OliveScaleInspcnt, 20);
  EXPECT_EQ(in.edinspcnt, 20);
  EXPECT_EQ(in.Coccinspcnt, 20);
  EXPECT_EQ(in.OliveFlyBase, 9.0f);
  EXPECT_EQ(in.OliveFlyBakim, 1.0f);
  EXPECT_EQ(in.SprayMaxMortDefault, 0.9f);
  EXPECT_EQ(in.SprayDurationDefault, 10);
  EXPECT_EQ(in.PredEffectDuration, 30);
  EXPECT_FALSE(in.spdates);
  EXPECT_FALSE(in.simspraysin);
  EXPECT_EQ(in.SprayInterval, 14);
  EXPECT_EQ(in.maxspr, 3);
  EXPECT_EQ(in.numspr, 0);  // the schedule after line 124 is read only with spdates
  EXPECT_EQ(in.DaysToSprayStopDate, 300);
  EXPECT_EQ(in.StopSprayDate, r.drv.modelStartDate + 300.0f);
}

TEST(SetupFile, SharpshooterStartDateAlsoSetsTheCurrentDate) {
  SetupRead s(ExampleSetup());
  EXPECT_EQ(s.in.GWssStartDy, 1);
  EXPECT_EQ(s.in.GWssStartMo, 5);
  EXPECT_EQ(s.in.GWssStartYr, 2000);
  EXPECT_EQ(s.in.GWssStartDay, 122);  // 1 May of a leap year
  EXPECT_EQ(s.drv.dy, 1);
  EXPECT_EQ(s.drv.mo, 5);
}

TEST(SetupFile, SwitchIsTOrFInTheFirstColumn) {
  const struct {
    std::string line;
    bool value;
  } cases[] = {{"T", true}, {"t nitrogen", true}, {"True", true}, {"F", false}, {"f", false}};
  for (const auto& c : cases) {
    SetupRead s(WithLine(ExampleSetup(), 31, c.line));
    EXPECT_EQ(s.in.nitro, c.value) << '"' << c.line << '"';
    EXPECT_TRUE(s.log.RunOk) << '"' << c.line << '"';
  }
  // Anything else is refused, and the rest of the file stays in step.
  for (const std::string line : {"Y", " T", "", "yes", "\tT", "1"}) {
    SetupRead s(WithLine(ExampleSetup(), 31, line));
    EXPECT_FALSE(s.in.nitro);
    EXPECT_FALSE(s.log.RunOk);
    const std::string shown = line.empty() ? "" : line[0] == '\t' ? "?" : line.substr(0, 1);
    ASSERT_EQ(s.log.lines.size(), 1u) << '"' << line << '"';
    EXPECT_EQ(s.log.lines[0], "Setup file \"olive.setup\" line 31: nitro \"" + shown +
                                  "\" is outside its range: T, t, F or f.");
    EXPECT_EQ(s.in.maxspr, 3);
  }
}

TEST(SetupFile, ParasitoidsAndCoccinellidNeedTheirHosts) {
  std::string text = ExampleSetup();
  for (int line : {76, 79, 89, 92, 96}) text = WithLine(text, line, "T");
  text = WithLine(text, 77, "0.33 immigration probability");
  {
    SetupRead s(text);  // no scale at all
    EXPECT_FALSE(s.in.AMaculicornis || s.in.Cutilis || s.in.Achilensis || s.in.ed ||
                 s.in.CoccInRun);
    EXPECT_EQ(s.in.AMaculicornisImmigProb, 0.33);  // parameter lines are still read
    EXPECT_TRUE(s.log.RunOk);
  }
  {
    SetupRead s(WithLine(text, 70, "T"));  // olive scale only
    EXPECT_TRUE(s.in.AMaculicornis && s.in.Cutilis && s.in.CoccInRun);
    EXPECT_FALSE(s.in.Achilensis || s.in.ed);
  }
  {
    SetupRead s(WithLine(text, 83, "t"));  // oleander scale only
    EXPECT_TRUE(s.in.Achilensis && s.in.ed && s.in.CoccInRun);
    EXPECT_FALSE(s.in.AMaculicornis || s.in.Cutilis);
  }
}

TEST(SetupFile, NumbersMayBeWrittenInAnyStandardForm) {
  std::string text = ExampleSetup();
  text = WithLine(text, 1, "  \t-1.5e0 leading blanks and an exponent");
  text = WithLine(text, 2, "+.5");
  text = WithLine(text, 3, "7.");
  SetupRead s(text);
  EXPECT_TRUE(s.log.RunOk);
  EXPECT_EQ(s.in.wxcons[1], -1.5f);
  EXPECT_EQ(s.in.wxcons[2], 0.5f);
  EXPECT_EQ(s.in.wxcons[3], 7.0f);
}

TEST(SetupFile, EmptyLinesBeforeANumberAreSkipped) {
  // A number read skips line ends, so an empty line before a number line does not shift the
  // values; the same before a switch line would.
  auto lines = SplitLines(ExampleSetup());
  lines.insert(lines.begin() + 5, "");
  SetupRead s(JoinLines(lines));
  EXPECT_TRUE(s.log.RunOk);
  EXPECT_EQ(s.in.OliveBase, 9.1f);
  EXPECT_EQ(s.in.maxspr, 3);
}

TEST(SetupFile, WindowsLineEndsReadTheSame) {
  std::string crlf;
  for (const auto& line : SplitLines(ExampleSetup())) crlf += line + "\r\n";
  SetupRead s(crlf);
  EXPECT_TRUE(s.log.RunOk);
  EXPECT_TRUE(s.log.lines.empty());
  EXPECT_EQ(s.in.OliveBase, 9.1f);
  EXPECT_TRUE(s.in.Summary);
  EXPECT_EQ(s.in.maxspr, 3);
}

TEST(SetupFile, TextInsteadOfANumberEndsTheReading) {
  const struct {
    int line;
    std::string text;
    std::string message;
  } cases[] = {
      {17, "abc shoots", "Setup file \"olive.setup\" line 17: \"abc\" is not a number."},
      {17, "1,5", "Setup file \"olive.setup\" line 17: \"1,5\" is not a number."},
      {26, "1.5",
       "Setup file \"olive.setup\" line 26: \"1.5\" is not a whole number from 0 to 255."},
      {35, "300",
       "Setup file \"olive.setup\" line 35: \"300\" is not a whole number from 0 to 255."},
      {47, "30.0", "Setup file \"olive.setup\" line 47: \"30.0\" is not a whole number."},
      {36, "99999999999",
       "Setup file \"olive.setup\" line 36: \"99999999999\" is not a whole number from "
       "-2147483648 to 2147483647."},
      {40, "1e999", "Setup file \"olive.setup\" line 40: \"1e999\" is out of range."},
      {62, "2 many", "Setup file \"olive.setup\" line 62: \"many\" is not a whole number."},
      {65, "1 x 2000",
       "Setup file \"olive.setup\" line 65: \"x\" is not a whole number from 0 to 255."},
  };
  for (const auto& c : cases) {
    SetupRead s(WithLine(ExampleSetup(), c.line, c.text));
    EXPECT_FALSE(s.log.RunOk) << c.text;
    ASSERT_EQ(s.log.lines.size(), 1u) << c.text;
    EXPECT_EQ(s.log.lines[0], c.message);
    EXPECT_EQ(s.in.maxspr, 0) << "nothing after the failing line is read";
  }
}

TEST(SetupFile, TruncatedFileEndsWithOneMessage) {
  SetupRead s(FirstLines(ExampleSetup(), 50));
  EXPECT_FALSE(s.log.RunOk);
  ASSERT_EQ(s.log.lines.size(), 1u);
  EXPECT_EQ(s.log.lines[0],
            "Setup file \"olive.setup\" line 51: the file ends where a number is expected.");
}

TEST(SetupFile, MissingAsteriskIsOutOfSequence) {
  SetupRead s(WithLine(ExampleSetup(), 37, "F"));
  EXPECT_FALSE(s.log.RunOk);
  ASSERT_EQ(s.log.lines.size(), 1u);
  EXPECT_EQ(s.log.lines[0], "Input out of sequence in setup file.  Expected to read asterisk.");
  EXPECT_EQ(s.in.maxspr, 3);  // reading goes on
}

TEST(SetupFile, ExtraSwitchLineShiftsUntilTheNextAsterisk) {
  // One switch line too many among the spray triggers: the reader is out of step at line 116
  // and again at 118, reads the asterisks as switches, and stops at the switch of line 119 where
  // line 120's number is needed.
  auto lines = SplitLines(ExampleSetup());
  lines.insert(lines.begin() + 112, "T extra switch");
  SetupRead s(JoinLines(lines));
  EXPECT_FALSE(s.log.RunOk);
  const std::string kSequence = "Input out of sequence in setup file.  Expected to read asterisk.";
  const std::string kAt = "Setup file \"olive.setup\" line ";
  EXPECT_EQ(s.log.lines,
            (std::vector<std::string>{
                kSequence, kAt + "117: spdates \"*\" is outside its range: T, t, F or f.",
                kSequence, kAt + "119: SprayRelBurst \"*\" is outside its range: T, t, F or f.",
                kAt + "120: \"F\" is not a number."}));
}

TEST(SetupFile, SprayDefaultsAreRangeChecked) {
  const std::string kRange = "Input real or single variable out of range";
  const struct {
    int line;
    std::string text, message;
  } cases[] = {
      {108, "1.5", "line 108: SprayMaxMortDefault 1.5 is outside its range: 0 to 1."},
      {109, "21", "line 109: SprayDurationDefault 21 is outside its range: 1 to 20."},
      {109, "0", "line 109: SprayDurationDefault 0 is outside its range: 1 to 20."},
  };
  for (const auto& c : cases) {
    SetupRead s(WithLine(ExampleSetup(), c.line, c.text));
    EXPECT_FALSE(s.log.RunOk);
    EXPECT_EQ(s.log.lines,
              (std::vector<std::string>{kRange, "Setup file \"olive.setup\" " + c.message}));
    EXPECT_EQ(s.in.maxspr, 3);  // reading goes on
  }
  {
    // A strength of 0 passes the range check but cannot act: a warning only.
    SetupRead s(WithLine(ExampleSetup(), 108, "0"));
    EXPECT_TRUE(s.log.RunOk);
    ASSERT_EQ(s.log.lines.size(), 1u);
    EXPECT_EQ(s.log.lines[0],
              "Setup file \"olive.setup\" line 108: a default spray strength of 0 gives sprays no "
              "effect.");
  }
  {
    SetupRead s(WithLine(WithLine(ExampleSetup(), 108, "1"), 109, "20"));
    EXPECT_TRUE(s.log.RunOk);
    EXPECT_TRUE(s.log.lines.empty());
  }
}

TEST(SetupFile, MiteSubstageCountsMustFitTheirVectors) {
  const std::string kRange = "Input real or single variable out of range";
  const char* names[] = {"kWiEgg", "MiteKimm", "kAdl"};
  for (int line : {47, 48, 49}) {
    for (const std::string bad : {"0", "101", "-3"}) {
      SetupRead s(WithLine(ExampleSetup(), line, bad));
      EXPECT_FALSE(s.log.RunOk) << line << ' ' << bad;
      EXPECT_EQ(s.log.lines, (std::vector<std::string>{
                                 kRange, "Setup file \"olive.setup\" line " + std::to_string(line) +
                                             ": " + names[line - 47] + " " + bad +
                                             " is outside its range: 1 to 100."}));
    }
    for (const char* good : {"1", "100"}) {
      SetupRead s(WithLine(ExampleSetup(), line, good));
      EXPECT_TRUE(s.log.RunOk) << line << ' ' << good;
    }
  }
}

TEST(SetupFile, GisOutputTargetMustBeOneOrTwo) {
  for (const std::string bad : {"0", "3"}) {
    SetupRead s(WithLine(ExampleSetup(), 35, bad));
    EXPECT_FALSE(s.log.RunOk);
    ASSERT_EQ(s.log.lines.size(), 1u);
    EXPECT_EQ(s.log.lines[0], "Setup file \"olive.setup\" line 35: GisOutputTarget " + bad +
                                  " is outside its range: 1 or 2.");
  }
  SetupRead two(WithLine(ExampleSetup(), 35, "2"));
  EXPECT_TRUE(two.log.RunOk);
  EXPECT_EQ(two.in.GisOutputTarget, 2);
}

TEST(SetupFile, ValuesOutsideTheModelsDomainAreAllReported) {
  const struct {
    int line;
    std::string text, message;  // message: after "Setup file "olive.setup" line N: "
  } cases[] = {
      {1, "3e38", "wxcons[1] 3e+38 is outside its range: -100 to 100."},
      {7, "0", "delfol 0 is outside its range: 1 to 1000000000."},
      {9, "1000", "delShootWood 1000 is outside its range: at least delshootLive (1500)."},
      {14, "0", "delfru 0 is outside its range: 1 to 1000000000."},
      {15, "0", "m2PerPlant 0 is outside its range: above 0 and at most 1e+30."},
      {18, "1e300", "roots 1e+300 is outside its range: 0 to 1e+30."},
      {23, "50", "Veraison 50 is outside its range: 75 to 1000000000."},
      {26, "0", "PruneNumber 0 is outside its range: 1 or 2."},
      {30, "9", "HarvEfficiency 9 is outside its range: 0 to 1."},
      {31, "Y", "nitro \"Y\" is outside its range: T, t, F or f."},
      {53, "2.5", ""},  // below line 54's pre-oviposition period of 25
      {56, "1", "beta 1 is outside its range: at least 0 and below 1."},
      {62, "2 120", "PredinsPcnt 120 is outside its range: 0 to 100."},
      {65, "31 4 2001", "dy 31 is outside its range: 1 to 30."},
      {67, "100 -5 10", "GWNum[2] -5 is outside its range: 0 to 1e+30."},
      {126, "6 15 2001 1.5 70000 100", "strength 1.5 is outside its range: 0 to 1."},
  };
  std::string text = WithLine(ExampleSetup(), 117, "T");
  std::vector<std::string> want;
  for (const auto& c : cases) {
    text = WithLine(text, c.line, c.text);
    if (c.line == 53) {
      want.push_back(
          "Setup file \"olive.setup\" line 54: delPreovMite 25 is outside its range: at "
          "most delAdlMite (2.5).");
    } else if (!c.message.empty()) {
      want.push_back("Setup file \"olive.setup\" line " + std::to_string(c.line) + ": " +
                     c.message);
    }
  }
  want.push_back(
      "Setup file \"olive.setup\" line 126: decay-days 70000 is outside its range: 0 to 65535.");
  SetupRead s(text);
  EXPECT_FALSE(s.log.RunOk);
  EXPECT_EQ(s.log.lines, want);
  EXPECT_EQ(s.in.numspr, 2);  // read to the end

  // The bounds themselves lie in the ranges.
  std::string edge = ExampleSetup();
  for (const auto& [line, value] : std::vector<std::pair<int, std::string>>{{1, "-100"},
                                                                            {7, "1"},
                                                                            {9, "1500"},
                                                                            {14, "1e9"},
                                                                            {23, "75"},
                                                                            {26, "2"},
                                                                            {30, "1"},
                                                                            {53, "25"},
                                                                            {56, "0"},
                                                                            {62, "0 100"},
                                                                            {65, "29 2 2000"},
                                                                            {120, "0"}}) {
    edge = WithLine(edge, line, value);
  }
  SetupRead e(edge);
  EXPECT_TRUE(e.log.RunOk);
  EXPECT_TRUE(e.log.lines.empty()) << e.log.lines.front();
}

TEST(SetupFile, ByteOrderMarkAtTheStartIsSkipped) {
  InputRun r("\xEF\xBB\xBF" + ExampleSetup());
  r.ReadDefault();
  EXPECT_TRUE(r.log.RunOk);
  EXPECT_TRUE(r.log.lines.empty());
  EXPECT_EQ(r.in.wxcons[1], 0.0f);
  EXPECT_EQ(r.in.maxspr, 3);
}

TEST(CommandLine, WeatherFileNameWithATabOrLineEndIsRefused) {
  for (const std::string name : {"wx/cor\tdoba.txt", "wx/cordoba.txt\r", "wx/cor\ndoba.txt"}) {
    InputRun r;
    r.files.files[name] = "weather";
    r.Read(Args(8, name));
    EXPECT_FALSE(r.log.RunOk);
    std::string shown = name;
    for (const auto& [c, text] : {std::pair{'\t', "\\t"}, {'\r', "\\r"}, {'\n', "\\n"}}) {
      if (const size_t at = shown.find(c); at != std::string::npos) shown.replace(at, 1, text);
    }
    EXPECT_EQ(r.log.lines,
              (std::vector<std::string>{"Weather file name \"" + shown +
                                        "\" holds a TAB or a line end, which the TAB-separated GIS "
                                        "and summary rows cannot hold."}));
    EXPECT_EQ(r.in.RandSeed, 0);  // the setup file is not read
  }
}

TEST(SetupFile, RandomSeedRepeatsOrComesFromTheClock) {
  SetupRead a(ExampleSetup()), b(ExampleSetup());
  EXPECT_EQ(a.rng.Uniform(), b.rng.Uniform());
  SetupRead negative(WithLine(ExampleSetup(), 36, "-1"));
  EXPECT_EQ(negative.rng.s, 0xFFFFFFFFu);
  SetupRead clock(WithLine(ExampleSetup(), 36, "0"));
  EXPECT_EQ(clock.in.RandSeed, 0);
  EXPECT_LT(clock.rng.s, 86400000u);  // milliseconds of the UTC day
}

TEST(SetupFile, AnySprayOptionTurnsSpraysOn) {
  SetupRead none(ExampleSetup());
  EXPECT_FALSE(none.in.simspraysin);
  for (int line : {112, 113, 114, 115, 117, 119}) {
    SetupRead s(WithLine(ExampleSetup(), line, "T"));
    EXPECT_TRUE(s.in.simspraysin) << line;
  }
  SetupRead stop(WithLine(ExampleSetup(), 122, "45"));
  EXPECT_EQ(stop.in.StopSprayDate, stop.drv.modelStartDate + 45.0f);
}

// The example with spdates on and the given schedule lines after line 124.
std::string WithSchedule(const std::vector<std::string>& entries) {
  auto lines = SplitLines(WithLine(ExampleSetup(), 117, "T"));
  lines.resize(124);
  lines.push_back("month day year strength decay cost");
  for (const auto& e : entries) lines.push_back(e);
  return JoinLines(lines);
}

TEST(SprayScheduleTest, EntriesNeedATerminatingLine) {
  {
    SetupRead s(WithSchedule({"6 15 2001 0.9 10 100 first", "7 15 2001 0.8 7 50", "0"}));
    EXPECT_TRUE(s.log.RunOk);
    EXPECT_TRUE(s.log.lines.empty());
    ASSERT_EQ(s.in.numspr, 2);
    EXPECT_EQ(s.in.sprayspecs[1][1], 166.0f);  // 15 June 2001
    EXPECT_EQ(s.in.sprayspecs[1][2], 0.9f);
    EXPECT_EQ(s.in.sprayspecs[1][3], 10.0f);
    EXPECT_EQ(s.in.sprayspecs[1][4], 100.0f);
    EXPECT_EQ(s.in.sprayspecs[2][1], 196.0f);
    EXPECT_EQ(s.in.sprayspecs[2][4], 50.0f);
    EXPECT_EQ(s.in.sprayspecs[3][1], 0.0f);
  }
  {
    // The last entry is the file's last line: it is lost.
    SetupRead s(WithSchedule({"6 15 2001 0.9 10 100", "7 15 2001 0.8 7 50"}));
    EXPECT_TRUE(s.log.RunOk);
    EXPECT_EQ(s.in.numspr, 1);
    EXPECT_EQ(s.in.sprayspecs[2][1], 0.0f);
  }
  {
    // The year only decides the leap-year counting.
    SetupRead s(WithSchedule({"6 15 2000 0.9 10 100", "0"}));
    EXPECT_EQ(s.in.sprayspecs[1][1], 167.0f);
  }
  {
    SetupRead s(WithSchedule({}));  // spdates on, no entries
    EXPECT_TRUE(s.log.RunOk);
    EXPECT_EQ(s.in.numspr, 0);
  }
}

TEST(SprayScheduleTest, ThirtyFiveEntriesStoreTwentyNine) {
  std::vector<std::string> entries;
  for (int k = 1; k <= 35; ++k) entries.push_back("1 " + std::to_string(k) + " 2001 0.5 5 1");
  entries.push_back("0");
  SetupRead s(WithSchedule(entries));
  EXPECT_TRUE(s.log.RunOk);
  ASSERT_EQ(s.in.numspr, 29);
  EXPECT_EQ(s.in.sprayspecs[29][1], 29.0f);
  EXPECT_EQ(s.in.sprayspecs[30][1], 0.0f);  // row 30 is never filled
}

TEST(SprayScheduleTest, IneffectiveEntriesAreKeptWithAWarning) {
  SetupRead s(WithSchedule({"6 15 2001 0 10 100", "7 15 2001 0.8 0.5 50", "0"}));
  EXPECT_TRUE(s.log.RunOk);
  ASSERT_EQ(s.in.numspr, 2);
  ASSERT_EQ(s.log.lines.size(), 2u);
  EXPECT_EQ(s.log.lines[0],
            "Setup file \"olive.setup\" line 126: a spray strength of 0 gives this spray no "
            "effect.");
  EXPECT_EQ(s.log.lines[1],
            "Setup file \"olive.setup\" line 127: a spray decay of 0.5 days gives this spray no "
            "effect.");
}

TEST(SprayScheduleTest, NegativeMonthEndsTheListWithAWarning) {
  SetupRead s(
      WithSchedule({"6 15 2001 0.9 10 100", "-7 15 2001 0.8 7 50", "8 1 2001 0.9 10 1", "0"}));
  EXPECT_TRUE(s.log.RunOk);
  EXPECT_EQ(s.in.numspr, 1);
  ASSERT_EQ(s.log.lines.size(), 1u);
  EXPECT_EQ(s.log.lines[0],
            "Setup file \"olive.setup\" line 127: month -7 in the spray schedule is taken as its "
            "end.");
}

TEST(SprayScheduleTest, TextInAnEntryEndsTheReading) {
  SetupRead s(WithSchedule({"6 15 2001 strong 10 100", "0"}));
  EXPECT_FALSE(s.log.RunOk);
  ASSERT_EQ(s.log.lines.size(), 1u);
  EXPECT_EQ(s.log.lines[0], "Setup file \"olive.setup\" line 126: \"strong\" is not a number.");
}

TEST(SetupFileRobustness, EveryTruncationIsRefused) {
  // Any prefix that ends before the asterisk of line 124.
  const std::string full = ExampleSetup();
  const size_t start124 = FirstLines(full, 123).size();
  for (size_t n = 0; n <= start124; ++n) {
    SetupRead s(full.substr(0, n));
    EXPECT_FALSE(s.log.RunOk) << "prefix of " << n << " bytes";
  }
  SetupRead whole(full.substr(0, start124 + 1));
  EXPECT_TRUE(whole.log.RunOk);
}

TEST(SetupFileRobustness, GarbageNeverCrashes) {
  std::mt19937 gen(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  const std::string full = ExampleSetup();
  for (int trial = 0; trial < 300; ++trial) {
    // Random bytes of random length.
    std::string junk(static_cast<size_t>(gen() % 4000), '\0');
    for (char& c : junk) c = static_cast<char>(byte(gen));
    SetupRead a(junk);
    EXPECT_FALSE(a.log.RunOk);
    // The example with a few bytes changed.
    std::string mutated = WithLine(full, 117, "T");
    for (int k = 0; k < 5; ++k) mutated[gen() % mutated.size()] = static_cast<char>(byte(gen));
    SetupRead b(mutated);
    (void)b;
  }
}

}  // namespace
}  // namespace olive
