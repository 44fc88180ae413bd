#include "output/column_table.h"

#include "driver/simulation.h"

namespace olive {

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
          AppendNumber(out, cell.value(sim), cell.format);
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
