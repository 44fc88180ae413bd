#include "toolkit/text_scan.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace olive {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Length of a run of digits starting at s[i].
size_t Digits(std::string_view s, size_t i) {
  size_t n = 0;
  while (i + n < s.size() && IsDigit(s[i + n])) ++n;
  return n;
}

// A decimal number: optional sign, digits with an optional fraction (or a fraction alone),
// optional exponent.
bool IsDecimalNumber(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const size_t whole = Digits(s, i);
  i += whole;
  size_t fraction = 0;
  if (i < s.size() && s[i] == '.') {
    ++i;
    fraction = Digits(s, i);
    i += fraction;
  }
  if (whole + fraction == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const size_t exponent = Digits(s, i);
    if (exponent == 0) return false;
    i += exponent;
  }
  return i == s.size();
}

// An integer: optional sign and digits only.
bool IsDecimalInteger(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const size_t n = Digits(s, i);
  return n > 0 && i + n == s.size();
}

}  // namespace

bool TextScanner::NextToken() {
  while (pos_ < text_.size() && IsBlank(text_[pos_])) {
    if (text_[pos_] == '\n') ++line_;
    ++pos_;
  }
  const size_t start = pos_;
  while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
  token_ = text_.substr(start, pos_ - start);
  return !token_.empty();
}

template <class T>
TextScanner::Status TextScanner::ReadFloating(T& v) {
  if (!NextToken()) return Status::kEnd;
  if (!IsDecimalNumber(token_)) return Status::kNotANumber;
  std::string_view digits = token_;
  if (digits.front() == '+') digits.remove_prefix(1);  // from_chars takes no plus sign
  T x{};
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), x);
  if (ec == std::errc::result_out_of_range) return Status::kOutOfRange;
  if (ec != std::errc() || end != digits.data() + digits.size()) return Status::kNotANumber;
  v = x;
  return Status::kOk;
}

TextScanner::Status TextScanner::ReadInteger(int64_t& v) {
  if (!NextToken()) return Status::kEnd;
  if (!IsDecimalInteger(token_)) return Status::kNotANumber;
  std::string_view digits = token_;
  if (digits.front() == '+') digits.remove_prefix(1);
  int64_t x = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), x);
  if (ec != std::errc() || end != digits.data() + digits.size()) return Status::kOutOfRange;
  v = x;
  return Status::kOk;
}

TextScanner::Status TextScanner::Read(float& v) {
  return ReadFloating(v);
}
TextScanner::Status TextScanner::Read(double& v) {
  return ReadFloating(v);
}

TextScanner::Status TextScanner::Read(int32_t& v) {
  int64_t x = 0;
  const Status s = ReadInteger(x);
  if (s != Status::kOk) return s;
  if (x < std::numeric_limits<int32_t>::min() || x > std::numeric_limits<int32_t>::max()) {
    return Status::kOutOfRange;
  }
  v = static_cast<int32_t>(x);
  return Status::kOk;
}

TextScanner::Status TextScanner::Read(uint8_t& v) {
  int64_t x = 0;
  const Status s = ReadInteger(x);
  if (s != Status::kOk) return s;
  if (x < 0 || x > 255) return Status::kOutOfRange;
  v = static_cast<uint8_t>(x);
  return Status::kOk;
}

void TextScanner::SkipLine() {
  ReadLine();
}

std::string_view TextScanner::ReadLine() {
  const size_t start = pos_;
  while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
  std::string_view line = text_.substr(start, pos_ - start);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (pos_ < text_.size()) {
    ++pos_;
    ++line_;
  }
  return line;
}

bool TextScanner::AtEnd() const {
  for (size_t i = pos_; i < text_.size(); ++i) {
    if (!IsBlank(text_[i])) return false;
  }
  return true;
}

std::string QuoteToken(std::string_view token) {
  constexpr size_t kMaxShown = 40;
  std::string out = "\"";
  for (size_t i = 0; i < token.size() && i < kMaxShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(token[i]);
    out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
  }
  if (token.size() > kMaxShown) out += "...";
  out += '"';
  return out;
}

}  // namespace olive
