// The data dictionary of the output files: it lists exactly the columns that a run with every
// switch on writes, each with a meaning and a unit, and its same-quantity links join columns of
// one unit.
#include "output/column_dictionary.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "run_test_support.h"

namespace olive {
namespace {

using run_testing::ExampleSetup;
using run_testing::ReadText;
using run_testing::RunDir;
using run_testing::Split;

// The column names of a header line (CR LF at its end).
std::vector<std::string> Names(const std::string& line) {
  return Split(line.substr(0, line.find('\r')), "\t");
}

std::vector<std::string> DictionaryNames(OutputFileKind file) {
  std::vector<std::string> names;
  for (const DictionaryEntry& e : DictionaryEntries()) {
    if (e.file == file) names.emplace_back(e.name);
  }
  return names;
}

TEST(DataDictionary, ListsEveryColumnOfARunWithEverythingOnWithAMeaningAndAUnit) {
  RunDir dir;
  std::map<int, std::string> on;
  for (int line : {31, 43, 59, 64, 70, 76, 79, 83, 89, 92, 96, 101, 112, 113, 114, 115}) {
    on[line] = "T\tswitched on";
  }
  run_testing::WriteWeather(dir / "weather.txt", 2001, 1, 1, 40,
                            [](int32_t) { return run_testing::WxDay{}; });
  ASSERT_EQ(run_testing::RunIn(dir, ExampleSetup(on), "1/1/2001", "2/9/2001", "weather.txt", "10"),
            0);
  EXPECT_EQ(Names(Split(ReadText(dir / "OliveDaily.txt"), "\n").at(1)),
            DictionaryNames(OutputFileKind::Daily));
  EXPECT_EQ(Names(ReadText(dir / "OUT00002.txt")), DictionaryNames(OutputFileKind::Gis));
  EXPECT_EQ(Names(ReadText(dir / "OliveSummaries.txt")), DictionaryNames(OutputFileKind::Summary));

  for (const DictionaryEntry& e : DictionaryEntries()) {
    EXPECT_FALSE(e.info.meaning.empty()) << e.name;
    EXPECT_FALSE(e.info.unit.empty()) << e.name;
    // Each text is one cell of a Markdown table.
    for (std::string_view text : {e.info.meaning, e.info.unit, e.info.sumUnit, e.group, e.when}) {
      EXPECT_EQ(text.find_first_of("|\n"), std::string_view::npos) << e.name << ": " << text;
    }
  }
}

TEST(DataDictionary, ASharedQuantityJoinsSeveralColumnsOfOneUnit) {
  std::map<std::string_view, std::vector<DictionaryEntry>> byQuantity;
  for (const DictionaryEntry& e : DictionaryEntries()) {
    if (!e.info.quantity.empty()) byQuantity[e.info.quantity].push_back(e);
  }
  EXPECT_GT(byQuantity.size(), 60u);
  for (const auto& [quantity, columns] : byQuantity) {
    EXPECT_GE(columns.size(), 2u) << quantity << " names no other column";
    for (const DictionaryEntry& c : columns) {
      EXPECT_EQ(c.info.unit, columns.front().info.unit) << quantity << ": " << c.name;
    }
  }
  // The chilling saved on day 290 under its three names.
  const auto& chill = byQuantity.at("chill_saved");
  ASSERT_EQ(chill.size(), 3u);
  EXPECT_EQ(chill[0].name, "blmchillHr290");
  EXPECT_EQ(chill[1].name, "ChillHD");
  EXPECT_EQ(chill[2].name, "BloomChillHr");
}

}  // namespace
}  // namespace olive
