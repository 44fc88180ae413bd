#pragma once
// Reading of delimited text tables (CSV) held in memory, record by record: fields separated by
// commas, semicolons or TABs (the one found most often in the first record, outside quotes),
// fields in double quotes that may hold separators, doubled quotes and line ends, LF or CR LF
// line ends, a UTF-8 byte-order mark at the start. Blank lines are skipped.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace olive {

class CsvReader {
 public:
  explicit CsvReader(std::string_view text);

  // Reads the next record's fields. False at the end of the text, and on a malformed record
  // (Problem() then says what is wrong, Line() where).
  bool Next(std::vector<std::string>& fields);
  // The line on which the last record read begins, counted from 1.
  int32_t Line() const { return recordLine_; }
  // Why the last Next failed; empty at the end of the text.
  const std::string& Problem() const { return problem_; }
  char Separator() const { return separator_; }

 private:
  bool QuotedField(std::string& field);
  void SkipBlankLines();

  std::string_view text_;
  size_t pos_ = 0;
  int32_t line_ = 1;
  int32_t recordLine_ = 0;
  char separator_ = ',';
  std::string problem_;
};

// Drops blanks and TABs at both ends.
std::string_view TrimBlanks(std::string_view s);

}  // namespace olive
