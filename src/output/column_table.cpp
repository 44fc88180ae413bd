#include "output/column_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "driver/simulation.h"

namespace olive {
namespace {

// Appends text right-aligned in at least width characters.
void AppendAligned(std::string& out, std::string_view text, int width) {
  if (static_cast<int>(text.size()) < width) {
    out.append(static_cast<size_t>(width) - text.size(), ' ');
  }
  out.append(text);
}

// The text of v in format f, in buf; returns its length.
size_t FormatNumber(std::array<char, 400>& buf, double v, ColumnFormat f) {
  char* first = buf.data();
  char* last = buf.data() + buf.size();
  if (std::isnan(v)) return std::string_view("NaN").copy(first, 3);
  if (std::isinf(v)) {
    return v > 0 ? std::string_view("Inf").copy(first, 3) : std::string_view("-Inf").copy(first, 4);
  }
  if (f.whole) {
    const double t = std::trunc(v);
    // Whole-number columns hold counts and days; beyond the range of int64 keep the digits of
    // the value itself.
    if (std::fabs(t) < 9.0e18) {
      return static_cast<size_t>(std::to_chars(first, last, static_cast<int64_t>(t)).ptr - first);
    }
    return static_cast<size_t>(std::to_chars(first, last, t, std::chars_format::fixed, 0).ptr -
                               first);
  }
  const auto result = std::to_chars(first, last, v, std::chars_format::fixed, f.decimals);
  size_t n = static_cast<size_t>(result.ptr - first);
  // A value that rounds to zero is written without its sign.
  if (n > 0 && buf[0] == '-') {
    bool zero = true;
    for (size_t i = 1; i < n && zero; ++i) zero = buf[i] == '0' || buf[i] == '.';
    if (zero) {
      std::copy(buf.begin() + 1, buf.begin() + static_cast<std::ptrdiff_t>(n), buf.begin());
      --n;
    }
  }
  return n;
}

}  // namespace

void AppendColumnNumber(std::string& out, double v, ColumnFormat f) {
  std::array<char, 400> buf;
  const size_t n = FormatNumber(buf, v, f);
  AppendAligned(out, std::string_view(buf.data(), n), f.width);
}

void AppendHeader(std::string& out, std::span<const ColumnGroup> groups, const Inputs& in) {
  bool first = true;
  for (const ColumnGroup& g : groups) {
    if (!g.present(in)) continue;
    for (const OutputColumn& c : g.columns) {
      if (!first) out.push_back('\t');
      first = false;
      out.append(c.name);
    }
  }
}

void AppendRow(std::string& out, std::span<const ColumnGroup> groups, const Simulation& sim,
               RowSource source, const RowTexts& texts) {
  bool first = true;
  for (const ColumnGroup& g : groups) {
    if (!g.present(sim.in)) continue;
    for (const OutputColumn& c : g.columns) {
      if (!first) out.push_back('\t');
      first = false;
      switch (c.text) {
        case TextField::Model:
          out.append(kRowModelName);
          break;
        case TextField::Date:
          out.append(texts.date);
          break;
        case TextField::Time:
          out.append(texts.time);
          break;
        case TextField::WxFile:
          out.append(sim.in.WxFilename);
          break;
        case TextField::None: {
          const ColumnCell& cell = c.Cell(source);
          AppendColumnNumber(out, cell.value(sim), cell.format);
          break;
        }
      }
    }
  }
}

int ColumnCount(std::span<const ColumnGroup> groups, const Inputs& in) {
  int n = 0;
  for (const ColumnGroup& g : groups) {
    if (g.present(in)) n += static_cast<int>(g.columns.size());
  }
  return n;
}

}  // namespace olive
