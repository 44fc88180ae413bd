#include "output/summary.h"

#include "output/gis_output.h"
#include "output/row_identity_columns.h"
#include "state/simulation.h"

namespace olive {
namespace {

#define V(expr) OLIVE_COLUMN_VALUE(expr)

bool Always(const Inputs&) {
  return true;
}

// Group A: the run, the place, the GIS output sequence, the dates and the tree. Harvest rows read
// the tree's snapshot; every other row reads the output day.
constexpr OutputColumn kRunOwn[] = {
    OneSource("GisOutSeq", V(sim.gis.GisFileIndex), kInteger,
              {"number of the output date in the run (n of the GIS file OUTnnnnn.txt)", kUnitText}),
    OneSource("JdStart", V(sim.drv.jdayStart), kInteger,
              {"day of year of the run's start date", kUnitDayOfYear, "start_day"}),
    OneSource("DysToOut", V(sim.drv.modelday), kInteger,
              {"day of the run of the output date (the start date is day 1)", kUnitDay}),
    OneSource("Month", V(sim.drv.mo), kInteger,
              {"month of the output date, 1-12", kUnitText, "month"}),
    OneSource("Day", V(sim.drv.dy), kInteger,
              {"day of the month of the output date", kUnitText, "day"}),
    OneSource("Year", V(sim.drv.modelyear), kInteger,
              {"year of the output date", kUnitText, "year"}),
    CurrentOrHarvest("dd", V(sim.season.PlantDDSum), V(sim.harvestSave.PlantddSumSave), kFixed0,
                     {"the tree's degree-days since 1 January (harvest rows: at harvest)",
                      kUnitPlantDD, "plant_dd"}),
    CurrentOrHarvest("ddbZero", V(sim.season.PlantFreezeDD), V(sim.harvestSave.PlantFreezeDDSave),
                     kFixed1,
                     {"frost degree-days since 1 January (harvest rows: at harvest); above 200 "
                      "the orchard dies",
                      kUnitFrostDD, "frost_dd"}),
    ThreeSources("FruWgt", V(sim.harvestSave.FruMassSave), kFixed2, V(sim.plant.Frumass),
                 V(sim.plant.Frumass), kFixed1,
                 {"fruit mass on the tree (harvest rows: at harvest)", kUnitMass, "fruit_mass"}),
    ThreeSources("fruNum", V(sim.harvestSave.FruNumSave), kFixed2, V(sim.plant.fruNum),
                 V(sim.plant.fruNum), kFixed1,
                 {"fruit on the tree (harvest rows: at harvest)", kUnitNumber, "fruit_number"}),
    OneSource("Bloomday", V(sim.season.bloomday), kInteger,
              {"day of year of this year's bloom; 0 before it", kUnitDayOfYear, "bloom_day"}),
    OneSource("PlantddBSum", V(sim.season.PlantddbSum), kFixed1,
              {"the tree's degree-days below its base since 1 January, on the output day",
               kUnitPlantDDBelow, "plant_ddb"}),
    OneSource("BloomChillHr", V(sim.season.BloomChillHourDegreesSave), kFixed1,
              {"the year's chilling toward bloom, saved on day of year 290 (or at a harvest "
               "before it)",
               kUnitChill, "chill_saved"}),
    OneSource("TempIncr", V(sim.in.wxcons[1]), kFixed3,
              {"warming increment added to the weather's temperatures", kUnitTemperatureChange,
               "temp_incr"}),
    OneSource("ddbMinus10", V(sim.season.PlantKillDD), kFixed1,
              {"degree-days below -10 °C since 1 January", kUnitKillDD, "kill_dd"}),
    OneSource("ddbMinus85", V(sim.season.PlantDamageDD), kFixed1,
              {"degree-days below -8.3 °C since 1 January", kUnitDamageDD, "damage_dd"}),
};
constexpr auto kRun = AfterRowIdentity(kRunOwn);

// L: which organisms took part (1) or not (0); M: precipitation since the last output date, mm.
constexpr OutputColumn kSwitchesAndRain[] = {
    OneSource("Mite01", V(sim.in.mite ? 1 : 0), kInteger,
              {"1 when the spider mites took part (`mite`), else 0", kUnitText}),
    OneSource("GWSS01", V(sim.in.GWss ? 1 : 0), kInteger,
              {"1 when the sharpshooter took part (`GWss`), else 0", kUnitText}),
    OneSource("Olivscal01", V(sim.in.OliveScale ? 1 : 0), kInteger,
              {"1 when the olive scale took part (`OliveScale`), else 0", kUnitText}),
    OneSource("Amacul01", V(sim.in.AMaculicornis ? 1 : 0), kInteger,
              {"1 when A. maculicornis took part (`AMaculicornis`), else 0", kUnitText}),
    OneSource("Cutil01", V(sim.in.Cutilis ? 1 : 0), kInteger,
              {"1 when C. utilis took part (`Cutilis`), else 0", kUnitText}),
    OneSource("OleanScl01", V(sim.in.OleanderScale ? 1 : 0), kInteger,
              {"1 when the oleander scale took part (`OleanderScale`), else 0", kUnitText}),
    OneSource("Achilen01", V(sim.in.Achilensis ? 1 : 0), kInteger,
              {"1 when A. chilensis took part (`Achilensis`), else 0", kUnitText}),
    OneSource("Ed", V(sim.in.ed ? 1 : 0), kInteger,
              {"1 when ed took part (`ed`), else 0", kUnitText}),
    OneSource("Cocc01", V(sim.in.CoccInRun ? 1 : 0), kInteger,
              {"1 when the coccinellid took part (`CoccInRun`), else 0", kUnitText}),
    OneSource("OlvFly01", V(sim.in.OliveFlyInRun ? 1 : 0), kInteger,
              {"1 when the olive fly took part (`OliveFlyInRun`), else 0", kUnitText}),
    OneSource("PrcpYrSum", V(sim.drv.PrecipYearSum), kFixed1,
              {"precipitation since the last output date", kUnitPrecipitation, "precipitation"}),
};

#undef V

// The groups in file order: A, then the organism groups B to K (harvest snapshot / period sums /
// output day) under their summary names and formats, each behind its switch, then L and M.
const ColumnGroup kGroups[] = {
    {"The run, the place and the tree", "always", Always, kRun,
     OrganismGroups(ColumnTable::Summary)},
    {"The organisms in the run, and the precipitation", "always", Always, kSwitchesAndRain},
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
