#include "wxsource/csv_table.h"

#include <array>

#include "io/file_contents.h"

namespace olive {
namespace {

// The separator of the first record: the most frequent of comma, semicolon and TAB outside
// quotes (a comma when none is found).
char DetectSeparator(std::string_view text) {
  std::array<int, 3> counts{};
  constexpr std::array<char, 3> kSeparators = {',', ';', '\t'};
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n') break;
    for (size_t k = 0; k < kSeparators.size(); ++k) counts[k] += c == kSeparators[k] ? 1 : 0;
  }
  size_t best = 0;
  for (size_t k = 1; k < counts.size(); ++k) {
    if (counts[k] > counts[best]) best = k;
  }
  return kSeparators[best];
}

bool IsLineBlank(std::string_view line) {
  for (const char c : line) {
    if (c != ' ' && c != '\t' && c != '\r') return false;
  }
  return true;
}

}  // namespace

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

CsvReader::CsvReader(std::string_view text) : text_(SkipByteOrderMark(text)) {
  separator_ = DetectSeparator(text_);
}

void CsvReader::SkipBlankLines() {
  while (pos_ < text_.size()) {
    const size_t end = text_.find('\n', pos_);
    const std::string_view line =
        text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
    if (!IsLineBlank(line)) return;
    if (end == std::string_view::npos) {
      pos_ = text_.size();
      return;
    }
    pos_ = end + 1;
    ++line_;
  }
}

bool CsvReader::QuotedField(std::string& field) {
  ++pos_;  // the opening quote
  for (;;) {
    if (pos_ >= text_.size()) {
      problem_ = "a quoted field is not closed";
      return false;
    }
    const char c = text_[pos_++];
    if (c == '"') {
      if (pos_ < text_.size() && text_[pos_] == '"') {
        field += '"';
        ++pos_;
        continue;
      }
      break;
    }
    if (c == '\n') ++line_;
    field += c;
  }
  // Only blanks may follow the closing quote before the separator or the line end.
  while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t') &&
         text_[pos_] != separator_) {
    ++pos_;
  }
  if (pos_ < text_.size() && text_[pos_] != separator_ && text_[pos_] != '\n' &&
      text_[pos_] != '\r') {
    problem_ = "text follows the closing quote of a field";
    return false;
  }
  return true;
}

bool CsvReader::Next(std::vector<std::string>& fields) {
  fields.clear();
  problem_.clear();
  SkipBlankLines();
  if (pos_ >= text_.size()) return false;
  recordLine_ = line_;
  for (;;) {
    std::string field;
    while (pos_ < text_.size() && text_[pos_] == ' ' && separator_ != ' ') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '"') {
      if (!QuotedField(field)) return false;
    } else {
      while (pos_ < text_.size() && text_[pos_] != separator_ && text_[pos_] != '\n') {
        field += text_[pos_++];
      }
      if (!field.empty() && field.back() == '\r' && (pos_ >= text_.size() || text_[pos_] == '\n')) {
        field.pop_back();
      }
    }
    fields.push_back(std::move(field));
    if (pos_ >= text_.size()) return true;
    if (text_[pos_] == separator_) {
      ++pos_;
      continue;
    }
    // A line end (a carriage return before it belongs to the line end).
    if (text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') {
      ++pos_;
      ++line_;
    }
    return true;
  }
}

}  // namespace olive
