#include "output/number_format.h"

#include <algorithm>
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

// 10^d, exact in double, for the fast path of AppendFixed.
constexpr double kPow10[] = {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6};
constexpr int kFastDecimals = 6;

// AppendFixed without the general decimal conversion, for |v| * 10^decimals below 2^52 and at
// most six decimals (every value of the output files): the text of the whole number nearest to
// |v| * 10^decimals, ties to even, as std::to_chars rounds the exact binary value, with the decimal
// point put in. The product is split exactly into hi + lo (Dekker's product: 10^d has at most 20
// significant bits, so it needs no splitting), and hi's fraction, a multiple of hi's last bit,
// decides the rounding together with the sign of lo. False when v is outside the fast path.
bool AppendFixedFast(std::string& out, double v, int decimals, int width) {
  if (decimals < 0 || decimals > kFastDecimals) return false;
  const double p = kPow10[decimals];
  const double a = std::fabs(v);
  const double hi = a * p;
  if (!(hi < 0x1p52)) return false;  // also not-a-number and infinities
  uint64_t n = 0;
  if (hi >= 0.25) {  // below, |v| * 10^d is below one half: it rounds to 0
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    const double t = kSplitter * a;
    const double ah = t - (t - a);
    const double al = a - ah;
    const double lo = (ah * p - hi) + al * p;         // a * p = hi + lo exactly
    n = static_cast<uint64_t>(hi);                    // floor: hi >= 0
    const double frac = hi - static_cast<double>(n);  // exact
    const bool up = frac > 0.5 || (frac == 0.5 && (lo > 0.0 || (lo == 0.0 && (n & 1) != 0)));
    if (up) ++n;
  }
  std::array<char, 32> digits;
  char* end = std::to_chars(digits.data(), digits.data() + digits.size(), n).ptr;
  const int count = static_cast<int>(end - digits.data());
  std::array<char, 40> text;
  char* t = text.data();
  if (v < 0.0 && n != 0) *t++ = '-';  // a value that rounds to zero is written without a sign
  const int whole = count - decimals;
  if (whole <= 0) {
    *t++ = '0';
  } else {
    t = std::copy(digits.data(), digits.data() + whole, t);
  }
  if (decimals > 0) {
    *t++ = '.';
    for (int i = whole; i < 0; ++i) *t++ = '0';
    const int from = whole > 0 ? whole : 0;
    t = std::copy(digits.data() + from, end, t);
  }
  AppendPadded(out, std::string_view(text.data(), t - text.data()), width);
  return true;
}

}  // namespace

void AppendInteger(std::string& out, int64_t v, int width) {
  std::array<char, 24> buf;
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
  AppendPadded(out, std::string_view(buf.data(), res.ptr - buf.data()), width);
}

void AppendFixed(std::string& out, double v, int decimals, int width) {
  if (AppendFixedFast(out, v, decimals, width)) return;
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
