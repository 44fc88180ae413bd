#pragma once
// What the GIS and summary writers need besides the run's state: the directory they write in and
// the computer's clock, whose date and time are written in every row (the time of writing, not the
// simulated date). Tests set a fixed clock.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "toolkit/error_sink.h"

namespace olive {

// A reading of the local clock.
struct ClockReading {
  int32_t year = 2000;  // four digits
  int32_t month = 1;    // 1..12
  int32_t day = 1;      // 1..31
  int32_t hour = 0;     // 0..23
  int32_t minute = 0;
  int32_t second = 0;
};

// The computer's local date and time now.
ClockReading LocalClock();

// The date as "ddmmmyy": day of month in two digits, the month's three-letter English name, the
// year in two digits ("07Dec26"). Once the first GIS output date of a run has passed, every date
// text of the GIS and summary rows has this form.
std::string DateText(const ClockReading& c);
// The long time text: "hh:mm:ss AM" or "hh:mm:ss PM", the hour 01..12 ("11:49:50 PM").
std::string LongTimeText(const ClockReading& c);
// The time text of a row: a long time text cut to its first 11 characters, with every blank among
// them replaced by "-" ("11:49:50 PM" becomes "11:49:50-PM").
std::string RowTimeText(std::string_view longTime);

// Line end of the GIS files, their list and the summary table.
inline constexpr std::string_view kTableLineEnd = "\r\n";

// Reports a file that could not be opened or written ("<what><name> (<system message>)", e.g.
// "Can not write: OUT00002.txt (No space left on device)") and ends the run (RunOk false).
void ReportFileFailure(ErrorSink& log, std::string_view what, std::string_view name, int error);

struct WriterContext {
  std::filesystem::path workdir = ".";  // where the GIS files, their list and the summary live
  std::function<ClockReading()> clock = LocalClock;
};

}  // namespace olive
