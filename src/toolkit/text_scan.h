#pragma once
// Reading of plain-text input files held in memory: whitespace-separated numbers, line switches
// and line skips, as a standard text-number reader does it. A number skips leading blanks, tabs
// and line ends and ends at a blank, tab or line end; the caller then skips the rest of the line.
// The scanner never reads outside its text and never waits for input: at the end of the text a
// number read fails with kEnd.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace olive {

// Quotes a token for an error message: at most 40 characters, control bytes shown as '?'.
std::string QuoteToken(std::string_view token);

class TextScanner {
 public:
  explicit TextScanner(std::string_view text) : text_(text) {}

  enum class Status {
    kOk,
    kEnd,         // nothing but blanks and line ends is left
    kNotANumber,  // the token is not a number of the asked kind
    kOutOfRange,  // a number, but it does not fit the asked type
  };

  // Reads one number token into v. On failure v is unchanged and Token() holds the text found.
  // Integers must be written without a decimal point or exponent.
  Status Read(float& v);
  Status Read(double& v);
  Status Read(int32_t& v);
  Status Read(uint8_t& v);

  // The first character of the current line ('\n' for an empty line, '\0' at the end of the
  // text); the position does not move.
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  // Moves to the start of the next line (to the end of the text when there is none).
  void SkipLine();
  // The rest of the current line without its line end (and without a trailing carriage return);
  // moves to the start of the next line.
  std::string_view ReadLine();
  // True when only blanks, tabs and line ends are left.
  bool AtEnd() const;

  // What went wrong with the last number read as a T, for a message: "\"abc\" is not a
  // number.", "\"300\" is not a whole number from 0 to 255.", "the file ends where a number is
  // expected."
  template <class T>
  std::string Problem(Status s) const;

  // 1-based number of the line the position is on (after a read: the line of the token).
  int32_t Line() const { return line_; }
  // The text of the last token read (for messages); empty at the end of the text.
  std::string_view Token() const { return token_; }

 private:
  // Skips blanks, tabs and line ends and takes the next token; false at the end of the text.
  bool NextToken();
  template <class T>
  Status ReadFloating(T& v);
  Status ReadInteger(int64_t& v);

  std::string_view text_;
  size_t pos_ = 0;
  int32_t line_ = 1;
  std::string_view token_;
};

template <class T>
std::string TextScanner::Problem(Status s) const {
  if (s == Status::kEnd) return "the file ends where a number is expected.";
  std::string kind = "a number";
  if constexpr (std::is_same_v<T, int32_t>) {
    kind = s == Status::kOutOfRange ? "a whole number from -2147483648 to 2147483647"
                                    : "a whole number";
  } else if constexpr (std::is_same_v<T, uint8_t>) {
    kind = "a whole number from 0 to 255";
  }
  if (s == Status::kOutOfRange && !std::is_integral_v<T>) {
    return QuoteToken(token_) + " is out of range.";
  }
  return QuoteToken(token_) + " is not " + kind + ".";
}

}  // namespace olive
