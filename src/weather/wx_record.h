#pragma once
// One daily record of a weather file: its nine fields read from the line, and the values the
// weather cannot have found and marked missing.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "weather/wx_dates.h"

namespace olive {

// The values of a record, in the order of the file.
enum WxField : int { kTmax, kTmin, kSolar, kRain, kRelhum, kWind, kWxValues };

// The fields of a record: month, day, year and the six values.
inline constexpr int kWxRecordFields = 3 + kWxValues;

struct WxRecord {
  WxDate date;
  std::array<float, kWxValues> value{};            // in the file's units; -99 missing
  std::array<std::string_view, kWxValues> text{};  // the values as written, for messages
  int32_t line = 0;                                // the file's line, for messages
};

enum class WxLine : uint8_t {
  kRecord,     // a record, read whole
  kDataEnd,    // its month is 0 or below: the data end here (the rest of the line is not read)
  kMalformed,  // not a record; problem says why
};

// Reads a record from line (a line of the file without its line end, not blank). A record is
// the nine numbers; text may follow them (a note on the day), but not a tenth number. A value
// that is not finite (nan, inf, or beyond the range of a float) is read as such, for
// CheckWxValues to find; its text stays as written.
WxLine ParseWxRecord(std::string_view line, WxRecord& r, std::string& problem);

// Finds the values the weather cannot have, in the file's units (temperatures in deg F when
// fahr, else deg C): a value that is not finite; solar radiation, rain or wind below 0; relative
// humidity outside 0..100; a temperature beyond -70..70 deg C; a minimum above the maximum (both
// are then doubtful). Each is set to -99, so that the repair fills it as a missing value, and
// described in problems ("tmax 1e9 is beyond -70 to 70 deg C; taken as missing."). -99 itself
// is missing, not impossible.
void CheckWxValues(WxRecord& r, bool fahr, std::vector<std::string>& problems);

}  // namespace olive
