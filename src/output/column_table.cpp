#include "output/column_table.h"

#include <array>
#include <optional>

#include "state/simulation.h"

namespace olive {
namespace {

// Calls visit(column) for every column of the groups present under these switches, in file
// order: a group's own columns, then those of its subgroups.
template <class Visit>
void ForEachColumn(std::span<const ColumnGroup> groups, const Inputs& in, const Visit& visit) {
  for (const ColumnGroup& g : groups) {
    if (!g.present(in)) continue;
    for (const OutputColumn& c : g.columns) visit(c);
    ForEachColumn(g.subgroups, in, visit);
  }
}

#define V(expr) OLIVE_COLUMN_VALUE(expr)

using ValueOf = double (*)(const Simulation&);

// A column's name and number format in one table.
struct NameAndFormat {
  std::string_view name;
  NumberFormat format;
};

// An organism column: the state it reports (harvest snapshot, period sums, output day), stated
// once, and its name and format in the GIS files and in the summary table.
struct OrganismColumn {
  NameAndFormat gis, summary;
  ValueOf harvest, sums, current;
  std::optional<NumberFormat> harvestFormat{};  // harvest rows' own format, the same in both
};

// A column both tables write alike (the arguments of ThreeSources and OneSource).
constexpr OrganismColumn Alike(std::string_view name, ValueOf harvest, ValueOf sums,
                               ValueOf current, NumberFormat f) {
  return {{name, f}, {name, f}, harvest, sums, current};
}
constexpr OrganismColumn Alike(std::string_view name, ValueOf harvest, NumberFormat harvestFormat,
                               ValueOf sums, ValueOf current, NumberFormat f) {
  return {{name, f}, {name, f}, harvest, sums, current, harvestFormat};
}
constexpr OrganismColumn Alike(std::string_view name, ValueOf value, NumberFormat f) {
  return Alike(name, value, value, value, f);
}
// A column each table names or formats its own way.
constexpr OrganismColumn PerTable(NameAndFormat gis, NameAndFormat summary, ValueOf harvest,
                                  ValueOf sums, ValueOf current) {
  return {gis, summary, harvest, sums, current};
}

// A scale's stages 1 to 4 and its adults, under these names.
template <ScaleState Simulation::*scale>
constexpr std::array<OrganismColumn, 5> ScaleColumns(const std::array<std::string_view, 5>& name) {
  return {{
      Alike(name[0], V((sim.*scale).nSave[1]), V((sim.*scale).nSum[1]), V((sim.*scale).n[1]),
            kFixed2),
      Alike(name[1], V((sim.*scale).nSave[2]), V((sim.*scale).nSum[2]), V((sim.*scale).n[2]),
            kFixed2),
      Alike(name[2], V((sim.*scale).nSave[3]), V((sim.*scale).nSum[3]), V((sim.*scale).n[3]),
            kFixed2),
      Alike(name[3], V((sim.*scale).nSave[4]), V((sim.*scale).nSum[4]), V((sim.*scale).n[4]),
            kFixed2),
      Alike(name[4], V((sim.*scale).AdultsSave), V((sim.*scale).AdultsSum), V((sim.*scale).Adults),
            kFixed2),
  }};
}

// Stages 1 to 3 of one species (first or second) of a scale's parasitoid pair, under these names.
template <ScaleParasitoidState Simulation::*pair, ParaSpeciesState ScaleParasitoidState::*species>
constexpr std::array<OrganismColumn, 3> ParasitoidColumns(
    const std::array<std::string_view, 3>& name) {
  return {{
      Alike(name[0], V((sim.*pair.*species).NumSave[1]), V((sim.*pair.*species).NumSum[1]),
            V((sim.*pair.*species).Num[1]), kFixed2),
      Alike(name[1], V((sim.*pair.*species).NumSave[2]), V((sim.*pair.*species).NumSum[2]),
            V((sim.*pair.*species).Num[2]), kFixed2),
      Alike(name[2], V((sim.*pair.*species).NumSave[3]), V((sim.*pair.*species).NumSum[3]),
            V((sim.*pair.*species).Num[3]), kFixed2),
  }};
}

// The organism groups: harvest snapshot / period sums / output day.

// Spider mites and their predators (the predator columns whatever PredIn says).
constexpr OrganismColumn kMite[] = {
    Alike("WintEggs", V(sim.mites.WinterEggsSave), V(sim.mites.WinterEggsSum),
          V(sim.mites.winterEggs), kFixed2),
    Alike("MiteEggs", V(sim.mites.MiteEggsSave), V(sim.mites.MiteEggsSum), V(sim.mites.MiteEggs),
          kFixed2),
    PerTable({"Juvenile", kFixed1}, {"Juvenile", kFixed0}, V(sim.mites.JuvenilesSave),
             V(sim.mites.JuvenilesSum), V(sim.mites.juveniles)),
    PerTable({"MiteAdls", kFixed1}, {"MiteAdls", kFixed0}, V(sim.mites.MiteAdultsSave),
             V(sim.mites.MiteAdultsSum), V(sim.mites.MiteAdults)),
    PerTable({"Mobiles", kFixed1}, {"Mobiles", kFixed0}, V(sim.mites.MobilesSave),
             V(sim.mites.MobilesSum), V(sim.mites.mobiles)),
    Alike("PredEggs", V(sim.preds.Predn1Save), V(sim.preds.Predn1Sum), V(sim.preds.PredN[1]),
          kFixed3),
    PerTable({"LrvAdlts", kFixed3}, {"Lrv-Adls", kFixed3}, V(sim.preds.PredreportSave),
             V(sim.preds.PredreportSum), V(sim.preds.PredReport)),
};

// Glassy-winged sharpshooter. Its degree-day total has no period sum: the total itself.
constexpr OrganismColumn kGWss[] = {
    PerTable({"GWssDDT", kFixed1}, {"GWssDDT", kFixed0}, V(sim.gwss.GWssDDaTotSave),
             V(sim.gwss.GWssDDaTot), V(sim.gwss.GWssDDaTot)),
    Alike("GWssEggs", V(sim.gwss.GWNum1Save), V(sim.gwss.GWNum1Sum), V(sim.gwss.GWNum[1]), kFixed2),
    Alike("GWssJuv", V(sim.gwss.GWNum2Save), V(sim.gwss.GWNum2Sum), V(sim.gwss.GWNum[2]), kFixed2),
    Alike("GWssAdl", V(sim.gwss.GWNum3Save), V(sim.gwss.GWNum3Sum), V(sim.gwss.GWNum[3]), kFixed2),
    Alike("GWssAsd", V(sim.gwss.GWssAsdSave), V(sim.gwss.GWssAsdSum), V(sim.gwss.GWssAsd), kFixed2),
};

// The two scales, stages 1 to 4 and adults, and their parasitoid pairs, stages 1 to 3:
// A. maculicornis and C. utilis on the olive scale, A. chilensis and ed on the oleander scale.
constexpr auto kOliveScale =
    ScaleColumns<&Simulation::olivescale>({"OlivSc1", "OlivSc2", "OlivSc3", "OlivSc4", "OlivScAd"});
constexpr auto kAMaculicornis =
    ParasitoidColumns<&Simulation::oliveparas, &ScaleParasitoidState::first>(
        {"Amaculi1", "Amaculi2", "Amaculi3"});
constexpr auto kCutilis = ParasitoidColumns<&Simulation::oliveparas, &ScaleParasitoidState::second>(
    {"Cutilis1", "Cutilis2", "Cutilis3"});
constexpr auto kOleanderScale = ScaleColumns<&Simulation::oleanderscale>(
    {"OleaSc1", "OleaSc2", "OleaSc3", "OleaSc4", "OleaScAd"});
constexpr auto kAchilensis =
    ParasitoidColumns<&Simulation::oleanderparas, &ScaleParasitoidState::first>(
        {"Achilen1", "Achilen2", "Achilen3"});
constexpr auto kEd = ParasitoidColumns<&Simulation::oleanderparas, &ScaleParasitoidState::second>(
    {"ed1", "ed2", "ed3"});

// Coccinellid: eggs, larvae, pupae, adults; three decimals in a harvest row.
constexpr OrganismColumn kCocc[] = {
    Alike("CoccEggs", V(sim.cocc.CoccEgnmSave), kFixed3, V(sim.cocc.CoccEgnmSum),
          V(sim.cocc.Coccegnm), kFixed2),
    Alike("CoccLar", V(sim.cocc.CoccLarNSave), kFixed3, V(sim.cocc.CoccLarNSum),
          V(sim.cocc.Cocclarn), kFixed2),
    Alike("CoccPup", V(sim.cocc.CoccPupNmSave), kFixed3, V(sim.cocc.CoccPupNmSum),
          V(sim.cocc.Coccpupnm), kFixed2),
    Alike("CoccAdnm", V(sim.cocc.CoccAdnmSave), kFixed3, V(sim.cocc.CoccAdnmSum),
          V(sim.cocc.Coccadnm), kFixed2),
};

// Olive fly: stage-days (sums), stages (output day) or their harvest snapshot; pupae formed,
// fruit damaged and the per cent of fruit attacked at harvest are the same in every row.
constexpr OrganismColumn kOliveFly[] = {
    PerTable({"OFEgDays", kFixed2}, {"OfEgDays", kFixed2}, V(sim.fly.OliveFlyEggSave),
             V(sim.fly.OliveFlyEggDays), V(sim.fly.OliveFlyegg)),
    PerTable({"OFLrDays", kFixed2}, {"OfLaDays", kFixed2}, V(sim.fly.OliveFlylarvSave),
             V(sim.fly.OliveFlylarvDays), V(sim.fly.OliveFlylarv)),
    PerTable({"OFPuDays", kFixed3}, {"OfPuDays", kFixed3}, V(sim.fly.OliveFlypupSave),
             V(sim.fly.OliveFlypupDays), V(sim.fly.OliveFlypup)),
    PerTable({"OFAdDays", kFixed2}, {"OfAdDays", kFixed2}, V(sim.fly.OliveFlyAdultsSave),
             V(sim.fly.OliveFlyAdultDays), V(sim.fly.OliveFlyAdults)),
    Alike("OfPupSum", V(sim.fly.OliveFlypupSum), kFixed2),
    Alike("DamFrSum", V(sim.fly.OliveFlySumdamfruNum), kFixed2),
    Alike("PrcntAtkd", V(sim.harvestSave.PrcntAtkdsave), kFixed2),
};

#undef V

// The organism columns as one table writes them.
template <size_t N>
constexpr std::array<OutputColumn, N> InTable(ColumnTable table,
                                              const std::array<OrganismColumn, N>& columns) {
  std::array<OutputColumn, N> out{};
  for (size_t i = 0; i < N; ++i) {
    const OrganismColumn& c = columns[i];
    const NameAndFormat& own = table == ColumnTable::Gis ? c.gis : c.summary;
    out[i] = ThreeSources(own.name, c.harvest, c.harvestFormat.value_or(own.format), c.sums,
                          c.current, own.format);
  }
  return out;
}
template <size_t N>
constexpr std::array<OutputColumn, N> InTable(ColumnTable table,
                                              const OrganismColumn (&columns)[N]) {
  return InTable(table, std::to_array(columns));
}

// The organism groups of one table, in file order, each behind its switch.
template <ColumnTable table>
struct OrganismTable {
  static constexpr auto mite = InTable(table, kMite);
  static constexpr auto gwss = InTable(table, kGWss);
  static constexpr auto oliveScale = InTable(table, kOliveScale);
  static constexpr auto aMaculicornis = InTable(table, kAMaculicornis);
  static constexpr auto cutilis = InTable(table, kCutilis);
  static constexpr auto oleanderScale = InTable(table, kOleanderScale);
  static constexpr auto achilensis = InTable(table, kAchilensis);
  static constexpr auto ed = InTable(table, kEd);
  static constexpr auto cocc = InTable(table, kCocc);
  static constexpr auto oliveFly = InTable(table, kOliveFly);

  static constexpr ColumnGroup groups[] = {
      {[](const Inputs& in) { return in.mite; }, mite},
      {[](const Inputs& in) { return in.GWss; }, gwss},
      {[](const Inputs& in) { return in.OliveScale; }, oliveScale},
      {[](const Inputs& in) { return in.AMaculicornis; }, aMaculicornis},
      {[](const Inputs& in) { return in.Cutilis; }, cutilis},
      {[](const Inputs& in) { return in.OleanderScale; }, oleanderScale},
      {[](const Inputs& in) { return in.Achilensis; }, achilensis},
      {[](const Inputs& in) { return in.ed; }, ed},
      {[](const Inputs& in) { return in.CoccInRun; }, cocc},
      {[](const Inputs& in) { return in.OliveFlyInRun; }, oliveFly},
  };
};

}  // namespace

std::span<const ColumnGroup> OrganismGroups(ColumnTable table) {
  if (table == ColumnTable::Gis) return OrganismTable<ColumnTable::Gis>::groups;
  return OrganismTable<ColumnTable::Summary>::groups;
}

void AppendHeader(std::string& out, std::span<const ColumnGroup> groups, const Inputs& in) {
  bool first = true;
  ForEachColumn(groups, in, [&](const OutputColumn& c) {
    if (!first) out.push_back('\t');
    first = false;
    out.append(c.name);
  });
}

void AppendRow(std::string& out, std::span<const ColumnGroup> groups, const Simulation& sim,
               RowSource source, const RowTexts& texts) {
  bool first = true;
  ForEachColumn(groups, sim.in, [&](const OutputColumn& c) {
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
  });
}

int ColumnCount(std::span<const ColumnGroup> groups, const Inputs& in) {
  int n = 0;
  ForEachColumn(groups, in, [&](const OutputColumn&) { ++n; });
  return n;
}

}  // namespace olive
