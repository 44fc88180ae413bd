#pragma once
// Number formats of the output files and console tables. Every number the model writes goes
// through one of these: integers, fixed-point with a given number of decimals (optionally
// right-aligned in a minimum width) and the 23-character scientific form. Each appends to a
// caller-owned buffer with std::to_chars and allocates nothing once the buffer has grown.
#include <cstdint>
#include <string>

namespace olive {

// How a value is written.
struct NumberFormat {
  enum class Kind : uint8_t { Integer, Fixed, Scientific };
  Kind kind = Kind::Fixed;
  int8_t decimals = 0;  // Fixed: digits after the decimal point (0: no point)
  int8_t width = 0;     // Fixed and Integer: minimum width, right-aligned with blanks
};

// Named formats shared by the writers.
inline constexpr NumberFormat kInteger{NumberFormat::Kind::Integer, 0, 0};
inline constexpr NumberFormat kFixed0{NumberFormat::Kind::Fixed, 0, 0};
inline constexpr NumberFormat kFixed1{NumberFormat::Kind::Fixed, 1, 0};
inline constexpr NumberFormat kFixed2{NumberFormat::Kind::Fixed, 2, 0};
inline constexpr NumberFormat kFixed3{NumberFormat::Kind::Fixed, 3, 0};
inline constexpr NumberFormat kFixed4{NumberFormat::Kind::Fixed, 4, 0};
inline constexpr NumberFormat kWidth8Fixed0{NumberFormat::Kind::Fixed, 0, 8};
inline constexpr NumberFormat kWidth8Fixed1{NumberFormat::Kind::Fixed, 1, 8};
inline constexpr NumberFormat kWidth8Fixed2{NumberFormat::Kind::Fixed, 2, 8};
inline constexpr NumberFormat kScientific{NumberFormat::Kind::Scientific, 0, 0};

// Decimal digits of v, with a leading "-" when negative, right-aligned in at least width
// characters.
void AppendInteger(std::string& out, int64_t v, int width = 0);
// v rounded to the given number of decimals in fixed-point notation, right-aligned in at least
// width characters. A value that rounds to zero is written without a sign. Not-a-number and
// infinities are written as "NaN", "Inf" and "-Inf".
void AppendFixed(std::string& out, double v, int decimals, int width = 0);
// Always 23 characters: a blank (or "-"), one digit, ".", 14 digits, "E", the exponent's sign and
// four exponent digits; 125 is " 1.25000000000000E+0002".
void AppendScientific(std::string& out, double v);
// v in the given format; Integer formats truncate toward zero.
void AppendNumber(std::string& out, double v, NumberFormat f);

}  // namespace olive
