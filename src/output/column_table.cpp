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

// A column's name and number format in one table.
struct NameAndFormat {
  std::string_view name;
  NumberFormat format;
};

// An organism column: the state it reports (harvest snapshot, period sums, output day) and what
// that is, stated once, and its name and format in the GIS files and in the summary table.
struct OrganismColumn {
  NameAndFormat gis, summary;
  ValueOf harvest, sums, current;
  ColumnInfo info;
  std::optional<NumberFormat> harvestFormat{};  // harvest rows' own format, the same in both
};

// A column both tables write alike.
constexpr OrganismColumn Alike(std::string_view name, ValueOf harvest, ValueOf sums,
                               ValueOf current, NumberFormat f, const ColumnInfo& info) {
  return {{name, f}, {name, f}, harvest, sums, current, info};
}
constexpr OrganismColumn Alike(std::string_view name, ValueOf harvest, NumberFormat harvestFormat,
                               ValueOf sums, ValueOf current, NumberFormat f,
                               const ColumnInfo& info) {
  return {{name, f}, {name, f}, harvest, sums, current, info, harvestFormat};
}
constexpr OrganismColumn Alike(std::string_view name, ValueOf value, NumberFormat f,
                               const ColumnInfo& info) {
  return Alike(name, value, value, value, f, info);
}
// A column each table names or formats its own way.
constexpr OrganismColumn PerTable(NameAndFormat gis, NameAndFormat summary, ValueOf harvest,
                                  ValueOf sums, ValueOf current, const ColumnInfo& info) {
  return {gis, summary, harvest, sums, current, info};
}

// A scale's stages 1 to 4 and its adults, under these names.
template <ScaleState Simulation::*scale>
constexpr std::array<OrganismColumn, 5> ScaleColumns(const std::array<std::string_view, 5>& name,
                                                     const std::array<ColumnInfo, 5>& info) {
  return {{
      Alike(name[0], V((sim.*scale).nSave[1]), V((sim.*scale).nSum[1]), V((sim.*scale).n[1]),
            kFixed2, info[0]),
      Alike(name[1], V((sim.*scale).nSave[2]), V((sim.*scale).nSum[2]), V((sim.*scale).n[2]),
            kFixed2, info[1]),
      Alike(name[2], V((sim.*scale).nSave[3]), V((sim.*scale).nSum[3]), V((sim.*scale).n[3]),
            kFixed2, info[2]),
      Alike(name[3], V((sim.*scale).nSave[4]), V((sim.*scale).nSum[4]), V((sim.*scale).n[4]),
            kFixed2, info[3]),
      Alike(name[4], V((sim.*scale).AdultsSave), V((sim.*scale).AdultsSum), V((sim.*scale).Adults),
            kFixed2, info[4]),
  }};
}

// Stages 1 to 3 of one species (first or second) of a scale's parasitoid pair, under these names.
template <ScaleParasitoidState Simulation::*pair, ParaSpeciesState ScaleParasitoidState::*species>
constexpr std::array<OrganismColumn, 3> ParasitoidColumns(
    const std::array<std::string_view, 3>& name, const std::array<ColumnInfo, 3>& info) {
  return {{
      Alike(name[0], V((sim.*pair.*species).NumSave[1]), V((sim.*pair.*species).NumSum[1]),
            V((sim.*pair.*species).Num[1]), kFixed2, info[0]),
      Alike(name[1], V((sim.*pair.*species).NumSave[2]), V((sim.*pair.*species).NumSum[2]),
            V((sim.*pair.*species).Num[2]), kFixed2, info[1]),
      Alike(name[2], V((sim.*pair.*species).NumSave[3]), V((sim.*pair.*species).NumSum[3]),
            V((sim.*pair.*species).Num[3]), kFixed2, info[2]),
  }};
}

// The organism groups: harvest snapshot / period sums / output day.

// Spider mites and their predators (the predator columns whatever PredIn says).
constexpr OrganismColumn kMite[] = {
    Alike("WintEggs", V(sim.mites.WinterEggsSave), V(sim.mites.WinterEggsSum),
          V(sim.mites.winterEggs), kFixed2, Count("spider-mite winter eggs", "mite_winter_eggs")),
    Alike("MiteEggs", V(sim.mites.MiteEggsSave), V(sim.mites.MiteEggsSum), V(sim.mites.MiteEggs),
          kFixed2, Count("spider-mite eggs", "mite_eggs")),
    PerTable({"Juvenile", kFixed1}, {"Juvenile", kFixed0}, V(sim.mites.JuvenilesSave),
             V(sim.mites.JuvenilesSum), V(sim.mites.juveniles),
             Count("spider-mite juveniles", "mite_juveniles")),
    PerTable({"MiteAdls", kFixed1}, {"MiteAdls", kFixed0}, V(sim.mites.MiteAdultsSave),
             V(sim.mites.MiteAdultsSum), V(sim.mites.MiteAdults),
             Count("spider-mite adults", "mite_adults")),
    PerTable({"Mobiles", kFixed1}, {"Mobiles", kFixed0}, V(sim.mites.MobilesSave),
             V(sim.mites.MobilesSum), V(sim.mites.mobiles),
             Count("spider mites in the mobile stages (juveniles and adults)", "mite_mobiles")),
    Alike("PredEggs", V(sim.preds.Predn1Save), V(sim.preds.Predn1Sum), V(sim.preds.PredN[1]),
          kFixed3, Count("predatory-mite eggs", "predator_eggs")),
    PerTable({"LrvAdlts", kFixed3}, {"Lrv-Adls", kFixed3}, V(sim.preds.PredreportSave),
             V(sim.preds.PredreportSum), V(sim.preds.PredReport),
             Count("predatory mites from larva to adult", "predator_larvae_to_adults")),
};

// Glassy-winged sharpshooter. Its degree-day total has no period sum: the total itself.
constexpr OrganismColumn kGWss[] = {
    PerTable({"GWssDDT", kFixed1}, {"GWssDDT", kFixed0}, V(sim.gwss.GWssDDaTotSave),
             V(sim.gwss.GWssDDaTot), V(sim.gwss.GWssDDaTot),
             {"sharpshooter degree-days since the start of the run, on its active days (harvest "
              "rows: at harvest)",
              kUnitSharpshooterDD, "sharpshooter_dd"}),
    Alike("GWssEggs", V(sim.gwss.GWNum1Save), V(sim.gwss.GWNum1Sum), V(sim.gwss.GWNum[1]), kFixed2,
          Count("sharpshooter eggs", "sharpshooter_eggs")),
    Alike("GWssJuv", V(sim.gwss.GWNum2Save), V(sim.gwss.GWNum2Sum), V(sim.gwss.GWNum[2]), kFixed2,
          Count("sharpshooter nymphs", "sharpshooter_nymphs")),
    Alike("GWssAdl", V(sim.gwss.GWNum3Save), V(sim.gwss.GWNum3Sum), V(sim.gwss.GWNum[3]), kFixed2,
          Count("sharpshooter adults", "sharpshooter_adults")),
    Alike("GWssAsd", V(sim.gwss.GWssAsdSave), V(sim.gwss.GWssAsdSum), V(sim.gwss.GWssAsd), kFixed2,
          {"sharpshooter supply/demand ratio, mean of the last three days", kUnitRatio,
           "sharpshooter_sd", kUnitRatioDays}),
};

// The two scales, stages 1 to 4 and adults, and their parasitoid pairs, stages 1 to 3:
// A. maculicornis and C. utilis on the olive scale, A. chilensis and ed on the oleander scale.
constexpr auto kOliveScale = ScaleColumns<&Simulation::olivescale>(
    {"OlivSc1", "OlivSc2", "OlivSc3", "OlivSc4", "OlivScAd"},
    {Count("olive-scale eggs", "olive_scale_eggs"),
     Count("olive-scale crawlers", "olive_scale_crawlers"),
     Count("olive-scale second instars", "olive_scale_instar2"),
     Count("olive-scale third instars", "olive_scale_instar3"),
     Count("olive-scale adults", "olive_scale_adults")});
constexpr auto kAMaculicornis =
    ParasitoidColumns<&Simulation::oliveparas, &ScaleParasitoidState::first>(
        {"Amaculi1", "Amaculi2", "Amaculi3"},
        {Count("A. maculicornis immatures in their hosts", "amaculicornis_immatures"),
         Count("A. maculicornis pupae", "amaculicornis_pupae"),
         Count("A. maculicornis adults", "amaculicornis_adults")});
constexpr auto kCutilis = ParasitoidColumns<&Simulation::oliveparas, &ScaleParasitoidState::second>(
    {"Cutilis1", "Cutilis2", "Cutilis3"},
    {Count("C. utilis immatures in their hosts", "cutilis_immatures"),
     Count("C. utilis pupae", "cutilis_pupae"), Count("C. utilis adults", "cutilis_adults")});
constexpr auto kOleanderScale = ScaleColumns<&Simulation::oleanderscale>(
    {"OleaSc1", "OleaSc2", "OleaSc3", "OleaSc4", "OleaScAd"},
    {Count("oleander-scale eggs", "oleander_scale_eggs"),
     Count("oleander-scale crawlers", "oleander_scale_crawlers"),
     Count("oleander-scale second instars", "oleander_scale_instar2"),
     Count("oleander-scale third instars", "oleander_scale_instar3"),
     Count("oleander-scale adults", "oleander_scale_adults")});
constexpr auto kAchilensis =
    ParasitoidColumns<&Simulation::oleanderparas, &ScaleParasitoidState::first>(
        {"Achilen1", "Achilen2", "Achilen3"},
        {Count("A. chilensis immatures in their hosts", "achilensis_immatures"),
         Count("A. chilensis pupae", "achilensis_pupae"),
         Count("A. chilensis adults", "achilensis_adults")});
constexpr auto kEd = ParasitoidColumns<&Simulation::oleanderparas, &ScaleParasitoidState::second>(
    {"ed1", "ed2", "ed3"},
    {Count("ed (second oleander-scale parasitoid) immatures in their hosts", "ed_immatures"),
     Count("ed pupae", "ed_pupae"), Count("ed adults", "ed_adults")});

// Coccinellid: eggs, larvae, pupae, adults; three decimals in a harvest row.
constexpr OrganismColumn kCocc[] = {
    Alike("CoccEggs", V(sim.cocc.CoccEgnmSave), kFixed3, V(sim.cocc.CoccEgnmSum),
          V(sim.cocc.Coccegnm), kFixed2, Count("coccinellid eggs", "coccinellid_eggs")),
    Alike("CoccLar", V(sim.cocc.CoccLarNSave), kFixed3, V(sim.cocc.CoccLarNSum),
          V(sim.cocc.Cocclarn), kFixed2, Count("coccinellid larvae", "coccinellid_larvae")),
    Alike("CoccPup", V(sim.cocc.CoccPupNmSave), kFixed3, V(sim.cocc.CoccPupNmSum),
          V(sim.cocc.Coccpupnm), kFixed2, Count("coccinellid pupae", "coccinellid_pupae")),
    Alike("CoccAdnm", V(sim.cocc.CoccAdnmSave), kFixed3, V(sim.cocc.CoccAdnmSum),
          V(sim.cocc.Coccadnm), kFixed2, Count("coccinellid adults", "coccinellid_adults")),
};

// Olive fly: stage-days (sums), stages (output day) or their harvest snapshot; pupae formed,
// fruit damaged and the per cent of fruit attacked at harvest are the same in every row.
constexpr OrganismColumn kOliveFly[] = {
    PerTable({"OFEgDays", kFixed2}, {"OfEgDays", kFixed2}, V(sim.fly.OliveFlyEggSave),
             V(sim.fly.OliveFlyEggDays), V(sim.fly.OliveFlyegg),
             Count("olive-fly eggs in the fruit", "olive_fly_eggs")),
    PerTable({"OFLrDays", kFixed2}, {"OfLaDays", kFixed2}, V(sim.fly.OliveFlylarvSave),
             V(sim.fly.OliveFlylarvDays), V(sim.fly.OliveFlylarv),
             Count("olive-fly larvae in the fruit", "olive_fly_larvae")),
    PerTable({"OFPuDays", kFixed3}, {"OfPuDays", kFixed3}, V(sim.fly.OliveFlypupSave),
             V(sim.fly.OliveFlypupDays), V(sim.fly.OliveFlypup),
             Count("olive-fly pupae", "olive_fly_pupae")),
    PerTable({"OFAdDays", kFixed2}, {"OfAdDays", kFixed2}, V(sim.fly.OliveFlyAdultsSave),
             V(sim.fly.OliveFlyAdultDays), V(sim.fly.OliveFlyAdults),
             Count("reproductive olive-fly adults", "olive_fly_adults")),
    Alike("OfPupSum", V(sim.fly.OliveFlypupSum), kFixed2,
          {"olive-fly pupae formed since the last output date", kUnitNumber,
           "olive_fly_pupae_formed"}),
    Alike("DamFrSum", V(sim.fly.OliveFlySumdamfruNum), kFixed2,
          {"sound fruit attacked by the olive fly since the last output date", kUnitNumber,
           "fruit_attacked_since_output"}),
    Alike("PrcntAtkd", V(sim.harvestSave.PrcntAtkdsave), kFixed2,
          {"per cent of the fruit attacked by the olive fly on the last harvest day (0 with the "
           "setup's `Daily` off)",
           kUnitPercent, "fruit_attacked_at_harvest"}),
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
                          c.current, own.format, c.info);
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
      {"Spider mites and their predators", "`mite`", [](const Inputs& in) { return in.mite; },
       mite},
      {"Glassy-winged sharpshooter", "`GWss`", [](const Inputs& in) { return in.GWss; }, gwss},
      {"Olive scale", "`OliveScale`", [](const Inputs& in) { return in.OliveScale; }, oliveScale},
      {"A. maculicornis, a parasitoid of the olive scale", "`AMaculicornis`",
       [](const Inputs& in) { return in.AMaculicornis; }, aMaculicornis},
      {"C. utilis, a parasitoid of the olive scale", "`Cutilis`",
       [](const Inputs& in) { return in.Cutilis; }, cutilis},
      {"Oleander scale", "`OleanderScale`", [](const Inputs& in) { return in.OleanderScale; },
       oleanderScale},
      {"A. chilensis, a parasitoid of the oleander scale", "`Achilensis`",
       [](const Inputs& in) { return in.Achilensis; }, achilensis},
      {"ed, a parasitoid of the oleander scale", "`ed`", [](const Inputs& in) { return in.ed; },
       ed},
      {"Coccinellid", "`CoccInRun`", [](const Inputs& in) { return in.CoccInRun; }, cocc},
      {"Olive fly", "`OliveFlyInRun`", [](const Inputs& in) { return in.OliveFlyInRun; }, oliveFly},
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
