#pragma once
// State owned by the output files: the daily row being formatted and the GIS output dates of
// the pass.
#include <cstdint>
#include <string>

namespace olive {

// State owned by the daily output.
struct DailyOutputState {
  double prcntatkd = 0;  // percentage of the fruit attacked by the olive fly, on today's row
  std::string line;      // the row being formatted; keeps its capacity from day to day
};

struct GisState {
  // GIS output dates so far in the pass (INIT1 sets it to 0); the end-of-run row counts too.
  uint32_t GisFileIndex = 0;
  std::string GisFilename;  // the GIS file of the current output date
  bool ok = false;          // the last GIS row was written
};

}  // namespace olive
