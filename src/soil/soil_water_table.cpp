#include "soil/soil_water_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <utility>

#include "io/file_contents.h"
#include "io/file_lock.h"

namespace olive {

namespace fs = std::filesystem;

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool AllBlank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), IsBlank);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string ReadingError(std::size_t line) {
  return "Error reading " + std::string(kSoilWaterTableName) + ", line " + std::to_string(line) +
         ": ";
}

// Reads a whole white-space-delimited token as a decimal number (optional sign, digits, point,
// exponent), as a text-number reader does; anything else is refused.
bool ParseNumber(std::string_view token, double& value) {
  std::size_t start = 0;
  if (!token.empty() && token.front() == '+') start = 1;
  const std::size_t first = start < token.size() && token[start] == '-' ? start + 1 : start;
  if (first >= token.size() || !(IsDigit(token[first]) || token[first] == '.')) return false;
  const char* begin = token.data() + start;
  const char* end = token.data() + token.size();
  const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
  return ec == std::errc() && ptr == end;
}

// Walks the rows of the table text line by line, after the title and header lines.
struct RowReader {
  std::string_view text;
  std::size_t pos = 0;   // start of the next line
  std::size_t line = 0;  // number of the line last read

  explicit RowReader(std::string_view t) : text(t) {
    while (line < 2 && pos < text.size()) {
      const std::size_t eol = text.find('\n', pos);
      pos = eol == std::string_view::npos ? text.size() : eol + 1;
      ++line;
    }
    line = 2;
  }
};

enum class RowResult { Row, End, Error };

// Reads the next row into row. Blank lines are skipped; a key without numbers that only white
// space follows ends the table; any other line without a TAB, a missing number or a text that is
// not a number is reported with its line.
RowResult NextRow(ErrorSink& log, RowReader& r, WaterRec& row) {
  while (r.pos < r.text.size()) {
    const std::size_t eol = r.text.find('\n', r.pos);
    const std::size_t lineEnd = eol == std::string_view::npos ? r.text.size() : eol;
    std::string_view line = r.text.substr(r.pos, lineEnd - r.pos);
    r.pos = eol == std::string_view::npos ? r.text.size() : eol + 1;
    ++r.line;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
      if (AllBlank(line)) continue;
      if (AllBlank(r.text.substr(r.pos))) {
        r.pos = r.text.size();
        return RowResult::End;
      }
      ReportError(
          log, ReadingError(r.line) + "no TAB after the station key \"" + std::string(line) + "\"");
      return RowResult::Error;
    }

    row.wxloc.assign(line.substr(0, tab));
    std::string_view rest = line.substr(tab + 1);
    double values[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
      const auto tokenStart = std::find_if_not(rest.begin(), rest.end(), IsBlank);
      rest.remove_prefix(static_cast<std::size_t>(tokenStart - rest.begin()));
      if (rest.empty()) {
        ReportError(log, ReadingError(r.line) + "expected 3 numbers after the station key \"" +
                             row.wxloc + "\", found " + std::to_string(i));
        return RowResult::Error;
      }
      const auto tokenEnd = std::find_if(rest.begin(), rest.end(), IsBlank);
      const std::string_view token =
          rest.substr(0, static_cast<std::size_t>(tokenEnd - rest.begin()));
      if (!ParseNumber(token, values[i])) {
        ReportError(log, ReadingError(r.line) + "\"" + std::string(token) + "\" is not a number");
        return RowResult::Error;
      }
      rest.remove_prefix(token.size());
    }
    row.sw = values[0];
    row.swmax = values[1];
    row.pwp = values[2];
    return RowResult::Row;
  }
  return RowResult::End;
}

// A number with 2 decimals, whole: the largest double takes 309 digits before the point.
void AppendNumber(std::string& out, double v) {
  char buffer[400];
  const int n = std::snprintf(buffer, sizeof buffer, "%.2f", v);
  out.append(buffer,
             static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
}

// One row as written: key, TAB, the three numbers with 2 decimals separated by TABs.
void AppendRowText(std::string& out, const WaterRec& row) {
  out.append(row.wxloc).push_back('\t');
  AppendNumber(out, row.sw);
  out.push_back('\t');
  AppendNumber(out, row.swmax);
  out.push_back('\t');
  AppendNumber(out, row.pwp);
}

// A value in a message: short, and "nan" or "inf" as such.
std::string NumberText(double v) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%g", v);
  return std::string(buffer, static_cast<std::size_t>(std::clamp(n, 0, 31)));
}

std::string NotRecorded(std::string_view wxloc) {
  return "; the soil water of station \"" + std::string(wxloc) +
         "\" was not recorded and the table was left unchanged";
}

// Keeps no message: the text has been checked before.
struct Quiet final : ErrorSink {
  void Report(std::string_view) override {}
};

// The table text (well formed) with row appended: every byte up to the end of the last row with
// soil water, or of the two heading lines, then the row's line. The rows without soil water and
// the blank lines after it are dropped, whole lines; the row's line ends as the line before it.
std::string TableTextWithRow(std::string_view text, const WaterRec& row) {
  RowReader reader(text);
  std::size_t keep = reader.pos;
  const std::string_view heading = text.substr(0, keep);
  const std::size_t headingLines =
      static_cast<std::size_t>(std::count(heading.begin(), heading.end(), '\n')) +
      (!heading.empty() && heading.back() != '\n' ? 1 : 0);
  Quiet quiet;
  WaterRec current;
  while (NextRow(quiet, reader, current) == RowResult::Row) {
    if (current.sw > 0) keep = reader.pos;
  }
  std::string out;
  if (headingLines < 2) {
    // No whole heading, so no rows: the heading as this program writes it.
    out.append(kSoilWaterTitle).push_back('\n');
    out.append(kSoilWaterHeader).push_back('\n');
  } else {
    out.assign(text.substr(0, keep));
  }
  const std::string_view lineEnd = out.ends_with("\r\n") ? "\r\n" : "\n";
  if (!out.empty() && out.back() != '\n') out.append(lineEnd);
  AppendRowText(out, row);
  out.append(lineEnd);
  return out;
}

}  // namespace

bool FindSoilWaterRow(ErrorSink& log, std::string_view text, std::string_view wxstation,
                      WaterRec& row, bool& found) {
  found = false;
  RowReader reader(text);
  WaterRec current;
  for (;;) {
    switch (NextRow(log, reader, current)) {
      case RowResult::Error:
        return false;
      case RowResult::End:
        return true;
      case RowResult::Row:
        if (current.wxloc == wxstation) {
          row = std::move(current);
          found = true;
          return true;
        }
        break;
    }
  }
}

bool ParseSoilWaterTable(ErrorSink& log, std::string_view text, std::vector<WaterRec>& WatArray) {
  WatArray.clear();
  RowReader reader(text);
  WaterRec row;
  for (;;) {
    switch (NextRow(log, reader, row)) {
      case RowResult::Error:
        return false;
      case RowResult::End:
        return true;
      case RowResult::Row:
        WatArray.push_back(row);
        break;
    }
  }
}

void AppendSoilWaterRow(std::vector<WaterRec>& WatArray, WaterRec row) {
  while (!WatArray.empty() && WatArray.back().sw <= 0) WatArray.pop_back();
  WatArray.push_back(std::move(row));
}

WaterRec StationRow(std::string_view wxstation, const WaterState& w) {
  WaterRec row;
  row.wxloc.assign(wxstation);
  row.sw = static_cast<double>(w.soilw) / kBucketScale;
  row.swmax = w.SoilwMaxIn;
  row.pwp = w.pwpin;
  return row;
}

std::string FormatSoilWaterTable(const std::vector<WaterRec>& WatArray) {
  std::string out;
  out.reserve(128 + WatArray.size() * 48);
  out.append(kSoilWaterTitle).push_back('\n');
  out.append(kSoilWaterHeader).push_back('\n');
  for (const WaterRec& row : WatArray) {
    AppendRowText(out, row);
    out.push_back('\n');
  }
  return out;
}

fs::path SoilWaterTablePath(const fs::path& workdir) {
  return workdir / kSoilWaterTableDir / kSoilWaterTableFile;
}

SoilWaterText ReadSoilWaterTable(const fs::path& workdir) {
  SoilWaterText table;
  switch (ReadWholeFile(SoilWaterTablePath(workdir), table.text)) {
    case FileReadStatus::CannotOpen:
      table.status = TableReadStatus::CannotOpen;
      table.text.clear();
      break;
    case FileReadStatus::NotRegular:
    case FileReadStatus::TooLarge:
    case FileReadStatus::ReadFailed:
      table.status = TableReadStatus::ReadFailed;
      table.text.clear();
      break;
    case FileReadStatus::Ok:
      table.status = TableReadStatus::Ok;
      break;
  }
  return table;
}

SoilWaterLookup LookUpStation(const SoilWaterText& table, std::string_view wxstation) {
  SoilWaterLookup lookup;
  switch (table.status) {
    case TableReadStatus::CannotOpen:
      lookup.messages.push_back("Error opening " + std::string(kSoilWaterTableName));
      lookup.ok = false;
      return lookup;
    case TableReadStatus::ReadFailed:
      lookup.messages.push_back("Error reading " + std::string(kSoilWaterTableName));
      lookup.ok = false;
      return lookup;
    case TableReadStatus::Ok:
      break;
  }
  // The messages of a malformed row, kept for the caller's log.
  struct Messages final : ErrorSink {
    std::vector<std::string>& out;
    explicit Messages(std::vector<std::string>& o) : out(o) {}
    void Report(std::string_view m) override { out.emplace_back(m); }
  } sink(lookup.messages);
  lookup.ok = FindSoilWaterRow(sink, table.text, wxstation, lookup.row, lookup.found);
  if (!lookup.found) lookup.row = WaterRec{};
  return lookup;
}

void ApplySoilWaterLookup(ErrorSink& log, const SoilWaterLookup& lookup, WaterState& w,
                          bool& SoilWaterOk) {
  for (const std::string& message : lookup.messages) ReportError(log, message);
  if (!lookup.ok) {
    log.RunOk = false;
    return;
  }
  if (lookup.found) {
    w.SoilwIn = static_cast<float>(lookup.row.sw);
    w.SoilwMaxIn = static_cast<float>(lookup.row.swmax);
    w.pwpin = static_cast<float>(lookup.row.pwp);
  }
  SoilWaterOk = lookup.found;
}

void GetSoilWaterConditions(ErrorSink& log, std::string_view wxstation, WaterState& w,
                            bool& SoilWaterOk, const fs::path& workdir) {
  ApplySoilWaterLookup(log, LookUpStation(ReadSoilWaterTable(workdir), wxstation), w, SoilWaterOk);
}

bool StationRowFits(ErrorSink& log, const WaterRec& row) {
  // Written so that a value that is not a number fails every test.
  const double slack = 0.005 + 1e-6 * std::fabs(row.swmax);  // float rounding of the bucket
  std::string problem;
  if (!(row.swmax >= 0 && row.swmax <= kMaxSoilWaterValue)) {
    problem = "the maximum soil water (" + NumberText(row.swmax) + ") is not within 0 to " +
              NumberText(kMaxSoilWaterValue);
  } else if (!(row.pwp >= 0 && row.pwp <= row.swmax)) {
    problem = "the permanent wilting point (" + NumberText(row.pwp) +
              ") is not within 0 to the maximum soil water (" + NumberText(row.swmax) + ")";
  } else if (!(row.sw >= 0 && row.sw <= row.swmax + slack)) {
    problem = "the soil water (" + NumberText(row.sw) +
              ") is not within 0 to the maximum soil water (" + NumberText(row.swmax) + ")";
  } else {
    return true;
  }
  ReportError(log, "Error writing " + std::string(kSoilWaterTableName) + ": " + problem +
                       NotRecorded(row.wxloc));
  log.RunOk = false;
  return false;
}

bool SoilWaterTableWithRow(ErrorSink& log, const SoilWaterText& table, const WaterRec& row,
                           std::string& newText) {
  const std::string notRecorded = NotRecorded(row.wxloc);
  // A key with a TAB or a line end could not be read back: the station would be missed again
  // and again.
  if (row.wxloc.find_first_of("\t\r\n") != std::string::npos) {
    ReportError(log, "Error writing " + std::string(kSoilWaterTableName) +
                         ": the station key holds a TAB or a line end" + notRecorded);
    log.RunOk = false;
    return false;
  }
  switch (table.status) {
    case TableReadStatus::CannotOpen:
      ReportError(log, "Error opening " + std::string(kSoilWaterTableName) + notRecorded);
      log.RunOk = false;
      return false;
    case TableReadStatus::ReadFailed:
      ReportError(log, "Error reading " + std::string(kSoilWaterTableName) + notRecorded);
      log.RunOk = false;
      return false;
    case TableReadStatus::Ok:
      break;
  }
  std::vector<WaterRec> WatArray;
  if (!ParseSoilWaterTable(log, table.text, WatArray)) {
    ReportError(log, std::string(kSoilWaterTableName) + " is malformed" + notRecorded);
    log.RunOk = false;
    return false;
  }
  if (!StationRowFits(log, row)) return false;
  newText = TableTextWithRow(table.text, row);
  return true;
}

TableRecording RecordSoilWaterRow(ErrorSink& log, const fs::path& workdir,
                                  const SoilWaterText& table, const WaterRec& row) {
  std::string text;
  if (!SoilWaterTableWithRow(log, table, row, text)) return TableRecording::Refused;
  std::string reason;
  if (!ReplaceFileContents(SoilWaterTablePath(workdir), text, reason)) {
    ReportError(log, "Error writing " + std::string(kSoilWaterTableName) + ": " + reason +
                         NotRecorded(row.wxloc));
    log.RunOk = false;
    return TableRecording::WriteFailed;
  }
  return TableRecording::Recorded;
}

bool GenerateSoilwater(ErrorSink& log, std::string_view wxstation, const WaterState& w,
                       const fs::path& workdir) {
  // Other runs in the working directory may record their stations meanwhile: the table is
  // re-read, extended and replaced under its lock, so that every run's row stays.
  const ReplacedFileLock lock(SoilWaterTablePath(workdir));
  return RecordSoilWaterRow(log, workdir, ReadSoilWaterTable(workdir), StationRow(wxstation, w)) ==
         TableRecording::Recorded;
}

}  // namespace olive
