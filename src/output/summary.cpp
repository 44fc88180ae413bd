#include "output/summary.h"

#include "output/gis_output.h"
#include "state/simulation.h"

namespace olive {
namespace {

#define V(expr) OLIVE_COLUMN_VALUE(expr)

bool Always(const Inputs&) {
  return true;
}

// Group A: the run, the place, the GIS output sequence, the dates and the tree. Harvest rows read
// the tree's snapshot; every other row reads the output day.
constexpr OutputColumn kRun[] = {
    TextColumn("Model", TextField::Model),
    TextColumn("Date", TextField::Date),
    TextColumn("Time", TextField::Time),
    TextColumn("WxFile", TextField::WxFile),
    OneSource("Long", V(sim.wx.Longitude), kFixed4),
    OneSource("Lat", V(sim.wx.LatitudeDegrees), kFixed4),
    OneSource("GisOutSeq", V(sim.gis.GisFileIndex), kInteger),
    OneSource("JdStart", V(sim.drv.jdayStart), kInteger),
    OneSource("DysToOut", V(sim.drv.modelday), kInteger),
    OneSource("Month", V(sim.drv.mo), kInteger),
    OneSource("Day", V(sim.drv.dy), kInteger),
    OneSource("Year", V(sim.drv.modelyear), kInteger),
    CurrentOrHarvest("dd", V(sim.season.PlantDDSum), V(sim.harvestSave.PlantddSumSave), kFixed0),
    CurrentOrHarvest("ddbZero", V(sim.season.PlantFreezeDD), V(sim.harvestSave.PlantFreezeDDSave),
                     kFixed1),
    {"FruWgt",
     TextField::None,
     {V(sim.harvestSave.FruMassSave), kFixed2},
     {V(sim.plant.Frumass), kFixed1},
     {V(sim.plant.Frumass), kFixed1}},
    {"fruNum",
     TextField::None,
     {V(sim.harvestSave.FruNumSave), kFixed2},
     {V(sim.plant.fruNum), kFixed1},
     {V(sim.plant.fruNum), kFixed1}},
    OneSource("Bloomday", V(sim.season.bloomday), kInteger),
    OneSource("PlantddBSum", V(sim.season.PlantddbSum), kFixed1),
    OneSource("BloomChillHr", V(sim.season.BloomChillHourDegreesSave), kFixed1),
    OneSource("TempIncr", V(sim.in.wxcons[1]), kFixed3),
    OneSource("ddbMinus10", V(sim.season.PlantKillDD), kFixed1),
    OneSource("ddbMinus85", V(sim.season.PlantDamageDD), kFixed1),
};

// L: which organisms took part (1) or not (0); M: precipitation since the last output date, mm.
constexpr OutputColumn kSwitchesAndRain[] = {
    OneSource("Mite01", V(sim.in.mite ? 1 : 0), kInteger),
    OneSource("GWSS01", V(sim.in.GWss ? 1 : 0), kInteger),
    OneSource("Olivscal01", V(sim.in.OliveScale ? 1 : 0), kInteger),
    OneSource("Amacul01", V(sim.in.AMaculicornis ? 1 : 0), kInteger),
    OneSource("Cutil01", V(sim.in.Cutilis ? 1 : 0), kInteger),
    OneSource("OleanScl01", V(sim.in.OleanderScale ? 1 : 0), kInteger),
    OneSource("Achilen01", V(sim.in.Achilensis ? 1 : 0), kInteger),
    OneSource("Ed", V(sim.in.ed ? 1 : 0), kInteger),
    OneSource("Cocc01", V(sim.in.CoccInRun ? 1 : 0), kInteger),
    OneSource("OlvFly01", V(sim.in.OliveFlyInRun ? 1 : 0), kInteger),
    OneSource("PrcpYrSum", V(sim.drv.PrecipYearSum), kFixed1),
};

#undef V

// The groups in file order: A, then the organism groups B to K (harvest snapshot / period sums /
// output day) under their summary names and formats, each behind its switch, then L and M.
const ColumnGroup kGroups[] = {
    {Always, kRun, OrganismGroups(ColumnTable::Summary)},
    {Always, kSwitchesAndRain},
};

}  // namespace

std::span<const ColumnGroup> SummaryColumnGroups() {
  return kGroups;
}

// A summary row reports what the GIS row of the same output date reports.
RowSource SummaryRowSource(const Simulation& sim) {
  return GisRowSource(sim);
}

void SummaryHeader(std::string& out, const Inputs& in) {
  AppendHeader(out, kGroups, in);
  out.append(kTableLineEnd);
}

bool WriteSummary(Simulation& sim, const WriterContext& ctx) {
  std::string header;
  SummaryHeader(header, sim.in);
  // The GIS output of the same date has made "ddmmmyy" the date form of the run.
  const ClockReading now = ctx.clock();
  const std::string date = DateText(now);
  const std::string time = RowTimeText(LongTimeText(now));
  std::string row;
  AppendRow(row, kGroups, sim, SummaryRowSource(sim), {date, time});
  row.append(kTableLineEnd);
  return sim.files.Shared().AppendRow(sim.files, sim.log, ctx.workdir,
                                      {kSummaryFileName, header, row, false});
}

}  // namespace olive
