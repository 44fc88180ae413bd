// AppendFixed's fast path must write exactly what std::to_chars writes for the exact binary
// value: ties to even, negative values that round to zero without a sign, minimum widths. Checked
// against the general conversion on random values of every magnitude the output files see, on
// exact ties and their neighbours, on the edges of the fast path and on values that leave it.
#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "output/number_format.h"
#include "toolkit/random.h"

namespace olive {
namespace {

// The general conversion: std::to_chars, the sign of a zero result dropped, then padded.
std::string Reference(double v, int decimals, int width) {
  std::string out;
  if (std::isnan(v) || std::isinf(v)) {
    out = std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf");
  } else {
    std::array<char, 400> buf;
    const auto res =
        std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, decimals);
    std::string_view text(buf.data(), res.ptr - buf.data());
    if (!text.empty() && text.front() == '-' &&
        text.find_first_not_of("0.", 1) == std::string_view::npos) {
      text.remove_prefix(1);
    }
    out = std::string(text);
  }
  if (static_cast<int>(out.size()) < width) out.insert(0, width - out.size(), ' ');
  return out;
}

std::string Fast(double v, int decimals, int width) {
  std::string s = "|";  // text already in the buffer stays
  AppendFixed(s, v, decimals, width);
  return s.substr(1);
}

void ExpectSame(double v, int decimals, int width = 0) {
  ASSERT_EQ(Fast(v, decimals, width), Reference(v, decimals, width))
      << "value " << std::hexfloat << v << std::defaultfloat << " (" << v << ") decimals "
      << decimals << " width " << width;
}

TEST(FixedFormatExact, RandomValuesOfEveryMagnitude) {
  Rng rng;
  rng.s = 8080;
  for (int n = 0; n < 400000; ++n) {
    const double exponent = rng.Uniform() * 24.0 - 10.0;  // 1e-10 .. 1e14
    double v = std::pow(10.0, exponent) * (1.0 + rng.Uniform());
    if (rng.Below(2) == 0) v = -v;
    const int decimals = static_cast<int>(rng.Below(8));  // 0..7: 7 leaves the fast path
    ExpectSame(v, decimals, rng.Below(4) == 0 ? 8 : 0);
  }
}

TEST(FixedFormatExact, FloatsAsTheModelHoldsThem) {
  Rng rng;
  rng.s = 4711;
  for (int n = 0; n < 200000; ++n) {
    const auto f = static_cast<float>((rng.Uniform() - 0.3) * std::pow(10.0, rng.Below(9)));
    ExpectSame(static_cast<double>(f), static_cast<int>(rng.Below(5)));
  }
}

// Exact halves at the rounding digit (binary fractions such as 0.125 with two decimals) round to
// even; the neighbouring doubles on either side round away from the tie.
TEST(FixedFormatExact, TiesAndTheirNeighbours) {
  for (int decimals = 0; decimals <= 6; ++decimals) {
    const double p = std::pow(10.0, decimals);
    for (int64_t k = 0; k < 4000; ++k) {
      for (int e = 1; e <= 12; ++e) {
        // (2k + 1) / 2^e / 10^d is a tie at d decimals only when exact; test it and its neighbours
        const double tie = (2.0 * static_cast<double>(k) + 1.0) / std::ldexp(1.0, e) / p;
        for (double v : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300)}) {
          ExpectSame(v, decimals);
          ExpectSame(-v, decimals);
        }
      }
      const double decimal = static_cast<double>(k) / p + 0.5 / p;  // the nearest double to a tie
      ExpectSame(decimal, decimals);
      ExpectSame(-decimal, decimals);
    }
  }
}

TEST(FixedFormatExact, EdgesOfTheFastPathAndSpecialValues) {
  const double inf = std::numeric_limits<double>::infinity();
  for (int decimals = 0; decimals <= 7; ++decimals) {
    const double p = std::pow(10.0, decimals);
    for (double edge : {0x1p52 / p, 0x1p53 / p, 0.25 / p, 0.5 / p, 1.0 / p, 1.5 / p}) {
      double v = edge;
      for (int i = 0; i < 5; ++i) v = std::nextafter(v, 0.0);
      for (int i = 0; i < 10; ++i, v = std::nextafter(v, inf)) {
        ExpectSame(v, decimals);
        ExpectSame(-v, decimals, 12);
      }
    }
    for (double v : {0.0, -0.0, 1e-320, -1e-320, 5e-324, 1e300, -1e300, 1e22, 4503599627370495.5,
                     std::numeric_limits<double>::quiet_NaN(), inf, -inf}) {
      ExpectSame(v, decimals);
      ExpectSame(v, decimals, 8);
    }
  }
}

}  // namespace
}  // namespace olive
