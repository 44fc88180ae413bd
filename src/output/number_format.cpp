#include "output/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace olive {
namespace {

// Fixed-point of the largest double has about 310 digits before the point.
using NumberBuffer = std::array<char, 400>;

void AppendPadded(std::string& out, std::string_view text, int width) {
  for (int i = static_cast<int>(text.size()); i < width; ++i) out.push_back(' ');
  out.append(text);
}

bool AppendNonFinite(std::string& out, double v, int width) {
  if (std::isnan(v)) {
    AppendPadded(out, "NaN", width);
    return true;
  }
  if (std::isinf(v)) {
    AppendPadded(out, v > 0 ? "Inf" : "-Inf", width);
    return true;
  }
  return false;
}

}  // namespace

void AppendInteger(std::string& out, int64_t v, int width) {
  std::array<char, 24> buf;
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
  AppendPadded(out, std::string_view(buf.data(), res.ptr - buf.data()), width);
}

void AppendFixed(std::string& out, double v, int decimals, int width) {
  if (AppendNonFinite(out, v, width)) return;
  NumberBuffer buf;
  const auto res =
      std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, decimals);
  std::string_view text(buf.data(), res.ptr - buf.data());
  // A small negative value that rounds to zero is written as zero, not as "-0".
  if (!text.empty() && text.front() == '-' &&
      text.find_first_not_of("0.", 1) == std::string_view::npos) {
    text.remove_prefix(1);
  }
  AppendPadded(out, text, width);
}

void AppendScientific(std::string& out, double v) {
  if (AppendNonFinite(out, v, 23)) return;
  NumberBuffer buf;
  const auto res =
      std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::scientific, 14);
  const std::string_view text(buf.data(), res.ptr - buf.data());
  const size_t e = text.find('e');
  std::string_view mantissa = text.substr(0, e);
  if (mantissa.front() == '-') {
    out.push_back('-');
    mantissa.remove_prefix(1);
  } else {
    out.push_back(' ');
  }
  out.append(mantissa);
  out.push_back('E');
  out.push_back(text[e + 1]);  // exponent sign
  const std::string_view digits = text.substr(e + 2);
  for (size_t i = digits.size(); i < 4; ++i) out.push_back('0');
  out.append(digits);
}

void AppendNumber(std::string& out, double v, NumberFormat f) {
  switch (f.kind) {
    case NumberFormat::Kind::Integer:
      AppendInteger(out, static_cast<int64_t>(v), f.width);
      return;
    case NumberFormat::Kind::Fixed:
      AppendFixed(out, v, f.decimals, f.width);
      return;
    case NumberFormat::Kind::Scientific:
      AppendScientific(out, v);
      return;
  }
}

}  // namespace olive
