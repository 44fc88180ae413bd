// Fuzz target: the soil-water table's text functions. The first line of the input is the station
// looked up, the rest is the table. Besides not crashing, the readers must agree with each other,
// and a table that reads must read back, row for row, from the text it is written as (2 decimals).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "soil/soil_water_table.h"

namespace {

using olive::fuzzing::Require;

// The value a table number reads back as once written with 2 decimals.
double Written(double v) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  return std::strtod(buffer, nullptr);
}

void CheckRoundTrip(const std::vector<olive::WaterRec>& rows) {
  olive::fuzzing::DiscardingSink log;
  std::vector<olive::WaterRec> again;
  Require(olive::ParseSoilWaterTable(log, olive::FormatSoilWaterTable(rows), again),
          "a table that reads is written as a table that reads");
  Require(again.size() == rows.size(), "the written table has the same rows");
  for (size_t i = 0; i < rows.size(); ++i) {
    Require(again[i].wxloc == rows[i].wxloc, "a written row keeps its station key");
    Require(again[i].sw == Written(rows[i].sw) && again[i].swmax == Written(rows[i].swmax) &&
                again[i].pwp == Written(rows[i].pwp),
            "a written row keeps its numbers to 2 decimals");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace olive;
  const std::string_view input = fuzzing::AsText(data, size);
  const size_t eol = input.find('\n');
  const std::string_view station = input.substr(0, eol);
  const std::string_view text = eol == std::string_view::npos ? "" : input.substr(eol + 1);

  fuzzing::DiscardingSink log;
  std::vector<WaterRec> rows;
  const bool parsed = ParseSoilWaterTable(log, text, rows);
  WaterRec row;
  bool found = false;
  const bool searched = FindSoilWaterRow(log, text, station, row, found);
  const SoilWaterLookup lookup =
      LookUpStation(SoilWaterText{TableReadStatus::Ok, std::string(text)}, station);
  Require(lookup.ok == searched && lookup.found == found && (!found || lookup.row == row),
          "LookUpStation finds what FindSoilWaterRow finds");
  if (parsed) {
    Require(searched, "a table that reads whole is searched without error");
    const WaterRec* first = nullptr;
    for (const WaterRec& r : rows) {
      if (r.wxloc == station) {
        first = &r;
        break;
      }
    }
    Require(found == (first != nullptr) && (!found || *first == row),
            "the lookup finds the first row of the station");
    CheckRoundTrip(rows);
    WaterRec added{"Fuzz station", 61.25, 80, 20};
    std::string written;
    if (SoilWaterTableWithRow(log, SoilWaterText{TableReadStatus::Ok, std::string(text)}, added,
                              written)) {
      const SoilWaterLookup back =
          LookUpStation(SoilWaterText{TableReadStatus::Ok, written}, added.wxloc);
      Require(back.ok && back.found, "a recorded station is found in the table written");
    }
  }
  return 0;
}
