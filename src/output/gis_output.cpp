#include "output/gis_output.h"

#include <charconv>

#include "output/row_identity_columns.h"
#include "state/run_files.h"
#include "state/simulation.h"

namespace olive {
namespace {

#define V(expr) OLIVE_COLUMN_VALUE(expr)

bool Always(const Inputs&) {
  return true;
}

// Common part: the run, the place, the dates and the tree. DysToOut is the day of year on the
// output day, and the running day of the pass in a harvest row.
constexpr OutputColumn kCommonOwn[] = {
    OneSource("JdStart", V(sim.drv.jdayStart), kInteger,
              {"day of year of the run's start date", kUnitDayOfYear, "start_day"}),
    CurrentOrHarvest("DysToOut", V(sim.drv.jday), V(sim.drv.modelday), kInteger,
                     {"day of year of the output date; in a harvest row the day of the run "
                      "(the start date is day 1)",
                      kUnitDay}),
    OneSource("Month", V(sim.drv.mo), kInteger,
              {"month of the output date, 1-12", kUnitText, "month"}),
    OneSource("Day", V(sim.drv.dy), kInteger,
              {"day of the month of the output date", kUnitText, "day"}),
    OneSource("Year", V(sim.drv.modelyear), kInteger,
              {"year of the output date", kUnitText, "year"}),
    CurrentOrHarvest("dd", V(sim.season.PlantDDSum), V(sim.harvestSave.PlantddSumSave), kFixed1,
                     {"the tree's degree-days since 1 January (harvest rows: at harvest)",
                      kUnitPlantDD, "plant_dd"}),
    CurrentOrHarvest("ddbZero", V(sim.season.PlantFreezeDD), V(sim.harvestSave.PlantFreezeDDSave),
                     kFixed1,
                     {"frost degree-days since 1 January (harvest rows: at harvest); above 200 "
                      "the orchard dies",
                      kUnitFrostDD, "frost_dd"}),
    CurrentOrHarvest(
        "FruWgt", V(sim.plant.Frumass), V(sim.harvestSave.FruMassSave), kFixed1,
        {"fruit mass on the tree (harvest rows: at harvest)", kUnitMass, "fruit_mass"}),
    CurrentOrHarvest("fruNum", V(sim.plant.fruNum), V(sim.harvestSave.FruNumSave), kFixed1,
                     {"fruit on the tree (harvest rows: at harvest)", kUnitNumber, "fruit_number"}),
    OneSource("Bloomday", V(sim.season.bloomday), kWidth8Fixed1,
              {"day of year of this year's bloom; 0 before it", kUnitDayOfYear, "bloom_day"}),
    OneSource("BloomYr", V(sim.season.bloomday > 0 ? 1 : 0), kWidth8Fixed1,
              {"1 when the tree has bloomed this year, else 0", kUnitText}),
    CurrentOrHarvest("DDBSum", V(sim.season.PlantddbSum), V(sim.harvestSave.PlantddbSumSave),
                     kFixed1,
                     {"the tree's degree-days below its base since 1 January (harvest rows: at "
                      "harvest)",
                      kUnitPlantDDBelow, "plant_ddb"}),
    OneSource("ChillHD", V(sim.season.BloomChillHourDegreesSave), kFixed1,
              {"the year's chilling toward bloom, saved on day of year 290 (or at a harvest "
               "before it)",
               kUnitChill, "chill_saved"}),
    OneSource("PrcpYrSum", V(sim.drv.PrecipYearSum), kFixed1,
              {"precipitation since the last output date", kUnitPrecipitation, "precipitation"}),
    OneSource("TempIncr", V(sim.in.wxcons[1]), kFixed3,
              {"warming increment added to the weather's temperatures", kUnitTemperatureChange,
               "temp_incr"}),
    OneSource("ddbMinus10", V(sim.season.PlantKillDD), kFixed1,
              {"degree-days below -10 °C since 1 January", kUnitKillDD, "kill_dd"}),
    OneSource("ddbMinus83", V(sim.season.PlantDamageDD), kFixed1,
              {"degree-days below -8.3 °C since 1 January", kUnitDamageDD, "damage_dd"}),
};
constexpr auto kCommon = AfterRowIdentity(kCommonOwn);

#undef V

// The groups in file order: the common part, then the organism groups (harvest snapshot / period
// sums / output day) under their GIS names and formats, each behind its switch.
const ColumnGroup kGroups[] = {
    {"The run, the place and the tree", "always", Always, kCommon,
     OrganismGroups(ColumnTable::Gis)},
};

// Appends n in five digits with leading zeros.
void AppendFiveDigits(std::string& out, uint32_t n) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  const size_t len = static_cast<size_t>(end - digits);
  if (len < 5) out.append(5 - len, '0');
  out.append(digits, len);
}

// Appends a decimal number to a message.
void AppendMessageNumber(std::string& out, int64_t n) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}

}  // namespace

uint32_t GisOutputDateCount(uint32_t ndays, int32_t GisOutputInterval) {
  if (GisOutputInterval == 365) return ndays / 365 + 1;
  if (GisOutputInterval <= 0) return 0;
  return ndays / static_cast<uint32_t>(GisOutputInterval);
}

bool GisOutputDatesFit(ErrorSink& log, uint32_t ndays, int32_t GisOutputInterval) {
  const uint32_t count = GisOutputDateCount(ndays, GisOutputInterval);
  if (count <= kMaxGisFileIndex) return true;
  std::string message = "Too many GIS output dates: ";
  AppendMessageNumber(message, count);
  message.append(" in ");
  AppendMessageNumber(message, ndays);
  message.append(" days with GIS output interval ");
  AppendMessageNumber(message, GisOutputInterval);
  message.append("; the GIS file names number at most ");
  AppendMessageNumber(message, kMaxGisFileIndex);
  message.append(".");
  ReportError(log, message);
  log.RunOk = false;
  return false;
}

std::string GisPeriodicName(uint8_t GisOutputTarget, std::string_view modelName, uint32_t n,
                            std::string_view date) {
  std::string name;
  if (GisOutputTarget == 1) {
    name = "OUT";
  } else if (GisOutputTarget == 2) {
    name.append(modelName);
    name.push_back('_');
    name.append(date);
    name.push_back('_');
  } else {
    return name;
  }
  AppendFiveDigits(name, n);
  name.append(".txt");
  return name;
}

std::span<const ColumnGroup> GisColumnGroups() {
  return kGroups;
}

RowSource GisRowSource(const Simulation& sim) {
  if (sim.drv.UseHarvestValues) return RowSource::Harvest;
  return sim.in.GisOutputInterval == 365 ? RowSource::Sums : RowSource::Current;
}

void GisHeaders(std::string& out, const Inputs& in) {
  AppendHeader(out, kGroups, in);
  out.append(kTableLineEnd);
}

bool OpenGisFile(GisFile& f, Simulation& sim, const WriterContext& ctx,
                 std::string_view modelName) {
  GisState& gis = sim.gis;
  f.due = false;
  f.ok = true;
  gis.GisFileIndex += 1;
  const bool endFile = sim.drv.DoEndFile;
  if (endFile && sim.in.GisOutputTarget == 1) {
    gis.GisFilename = kGisEndFileName;
  } else {
    gis.GisFilename =
        GisPeriodicName(sim.in.GisOutputTarget, modelName, gis.GisFileIndex, DateText(ctx.clock()));
  }
  gis.ok = false;
  // The first output date of a pass writes no GIS row and creates no GIS file.
  if (gis.GisFileIndex <= 1 && !endFile) return true;

  if (gis.GisFilename.empty()) {
    std::string message = "No GIS file name for GisOutputTarget ";
    AppendMessageNumber(message, sim.in.GisOutputTarget);
    ReportError(sim.log, message);
    sim.log.RunOk = false;
    return f.ok = false;
  }
  if (gis.GisFilename != kGisEndFileName && gis.GisFileIndex > kMaxGisFileIndex) {
    std::string message = "Too many GIS output dates: no file name for GIS output date ";
    AppendMessageNumber(message, gis.GisFileIndex);
    ReportError(sim.log, message);
    sim.log.RunOk = false;
    return f.ok = false;
  }
  f.due = true;
  return f.ok;
}

bool GisOutput(GisFile& f, Simulation& sim, const WriterContext& ctx) {
  if (!f.due) return f.ok;
  f.due = false;
  const ClockReading now = ctx.clock();
  const std::string date = DateText(now);
  const std::string time = RowTimeText(LongTimeText(now));
  std::string header;
  GisHeaders(header, sim.in);
  std::string row;
  AppendRow(row, kGroups, sim, GisRowSource(sim), {date, time});
  row.append(kTableLineEnd);
  sim.gis.ok = sim.files.Shared().AppendRow(sim.files, sim.log, ctx.workdir,
                                            {sim.gis.GisFilename, header, row, true});
  f.ok = sim.gis.ok;
  return f.ok;
}

bool WriteGisRow(Simulation& sim, const WriterContext& ctx, std::string_view modelName) {
  GisFile f;
  OpenGisFile(f, sim, ctx, modelName);
  return GisOutput(f, sim, ctx);
}

}  // namespace olive
