#include "output/gis_output.h"

#include <charconv>

#include "driver/run_files.h"
#include "driver/simulation.h"

namespace olive {
namespace {

#define V(expr) OLIVE_COLUMN_VALUE(expr)

bool Always(const Inputs&) {
  return true;
}

// Common part: the run, the place, the dates and the tree. DysToOut is the day of year on the
// output day, and the running day of the pass in a harvest row.
constexpr OutputColumn kCommon[] = {
    TextColumn("Model", TextField::Model),
    TextColumn("Date", TextField::Date),
    TextColumn("Time", TextField::Time),
    TextColumn("WxFile", TextField::WxFile),
    OneSource("Long", V(sim.wx.Longitude), kFixed4),
    OneSource("Lat", V(sim.wx.LatitudeDegrees), kFixed4),
    OneSource("JdStart", V(sim.drv.jdayStart), kInteger),
    CurrentOrHarvest("DysToOut", V(sim.drv.jday), V(sim.drv.modelday), kInteger),
    OneSource("Month", V(sim.drv.mo), kInteger),
    OneSource("Day", V(sim.drv.dy), kInteger),
    OneSource("Year", V(sim.drv.modelyear), kInteger),
    CurrentOrHarvest("dd", V(sim.season.PlantDDSum), V(sim.harvestSave.PlantddSumSave), kFixed1),
    CurrentOrHarvest("ddbZero", V(sim.season.PlantFreezeDD), V(sim.harvestSave.PlantFreezeDDSave),
                     kFixed1),
    CurrentOrHarvest("FruWgt", V(sim.plant.Frumass), V(sim.harvestSave.FruMassSave), kFixed1),
    CurrentOrHarvest("fruNum", V(sim.plant.fruNum), V(sim.harvestSave.FruNumSave), kFixed1),
    OneSource("Bloomday", V(sim.season.bloomday), kWidth8Fixed1),
    OneSource("BloomYr", V(sim.season.bloomday > 0 ? 1 : 0), kWidth8Fixed1),
    CurrentOrHarvest("DDBSum", V(sim.season.PlantddbSum), V(sim.harvestSave.PlantddbSumSave),
                     kFixed1),
    OneSource("ChillHD", V(sim.season.BloomChillHourDegreesSave), kFixed1),
    OneSource("PrcpYrSum", V(sim.drv.PrecipYearSum), kFixed1),
    OneSource("TempIncr", V(sim.in.wxcons[1]), kFixed3),
    OneSource("ddbMinus10", V(sim.season.PlantKillDD), kFixed1),
    OneSource("ddbMinus83", V(sim.season.PlantDamageDD), kFixed1),
};

// The groups: harvest snapshot / period sums / output day.

// Spider mites and their predators.
constexpr OutputColumn kMite[] = {
    ThreeSources("WintEggs", V(sim.mites.WinterEggsSave), V(sim.mites.WinterEggsSum),
                 V(sim.mites.winterEggs), kFixed2),
    ThreeSources("MiteEggs", V(sim.mites.MiteEggsSave), V(sim.mites.MiteEggsSum),
                 V(sim.mites.MiteEggs), kFixed2),
    ThreeSources("Juvenile", V(sim.mites.JuvenilesSave), V(sim.mites.JuvenilesSum),
                 V(sim.mites.juveniles), kFixed1),
    ThreeSources("MiteAdls", V(sim.mites.MiteAdultsSave), V(sim.mites.MiteAdultsSum),
                 V(sim.mites.MiteAdults), kFixed1),
    ThreeSources("Mobiles", V(sim.mites.MobilesSave), V(sim.mites.MobilesSum), V(sim.mites.mobiles),
                 kFixed1),
    ThreeSources("PredEggs", V(sim.preds.Predn1Save), V(sim.preds.Predn1Sum), V(sim.preds.PredN[1]),
                 kFixed3),
    ThreeSources("LrvAdlts", V(sim.preds.PredreportSave), V(sim.preds.PredreportSum),
                 V(sim.preds.PredReport), kFixed3),
};

// Glassy-winged sharpshooter. Its degree-day total has no period sum: the total itself.
constexpr OutputColumn kGWss[] = {
    ThreeSources("GWssDDT", V(sim.gwss.GWssDDaTotSave), V(sim.gwss.GWssDDaTot),
                 V(sim.gwss.GWssDDaTot), kFixed1),
    ThreeSources("GWssEggs", V(sim.gwss.GWNum1Save), V(sim.gwss.GWNum1Sum), V(sim.gwss.GWNum[1]),
                 kFixed2),
    ThreeSources("GWssJuv", V(sim.gwss.GWNum2Save), V(sim.gwss.GWNum2Sum), V(sim.gwss.GWNum[2]),
                 kFixed2),
    ThreeSources("GWssAdl", V(sim.gwss.GWNum3Save), V(sim.gwss.GWNum3Sum), V(sim.gwss.GWNum[3]),
                 kFixed2),
    ThreeSources("GWssAsd", V(sim.gwss.GWssAsdSave), V(sim.gwss.GWssAsdSum), V(sim.gwss.GWssAsd),
                 kFixed2),
};

// Olive scale: stages 1 to 4 and adults.
constexpr OutputColumn kOliveScale[] = {
    ThreeSources("OlivSc1", V(sim.olivescale.nSave[1]), V(sim.olivescale.nSum[1]),
                 V(sim.olivescale.n[1]), kFixed2),
    ThreeSources("OlivSc2", V(sim.olivescale.nSave[2]), V(sim.olivescale.nSum[2]),
                 V(sim.olivescale.n[2]), kFixed2),
    ThreeSources("OlivSc3", V(sim.olivescale.nSave[3]), V(sim.olivescale.nSum[3]),
                 V(sim.olivescale.n[3]), kFixed2),
    ThreeSources("OlivSc4", V(sim.olivescale.nSave[4]), V(sim.olivescale.nSum[4]),
                 V(sim.olivescale.n[4]), kFixed2),
    ThreeSources("OlivScAd", V(sim.olivescale.AdultsSave), V(sim.olivescale.AdultsSum),
                 V(sim.olivescale.Adults), kFixed2),
};

// Parasitoids of the olive scale: A. maculicornis and C. utilis, stages 1 to 3.
constexpr OutputColumn kAMaculicornis[] = {
    ThreeSources("Amaculi1", V(sim.oliveparas.first.NumSave[1]), V(sim.oliveparas.first.NumSum[1]),
                 V(sim.oliveparas.first.Num[1]), kFixed2),
    ThreeSources("Amaculi2", V(sim.oliveparas.first.NumSave[2]), V(sim.oliveparas.first.NumSum[2]),
                 V(sim.oliveparas.first.Num[2]), kFixed2),
    ThreeSources("Amaculi3", V(sim.oliveparas.first.NumSave[3]), V(sim.oliveparas.first.NumSum[3]),
                 V(sim.oliveparas.first.Num[3]), kFixed2),
};
constexpr OutputColumn kCutilis[] = {
    ThreeSources("Cutilis1", V(sim.oliveparas.second.NumSave[1]),
                 V(sim.oliveparas.second.NumSum[1]), V(sim.oliveparas.second.Num[1]), kFixed2),
    ThreeSources("Cutilis2", V(sim.oliveparas.second.NumSave[2]),
                 V(sim.oliveparas.second.NumSum[2]), V(sim.oliveparas.second.Num[2]), kFixed2),
    ThreeSources("Cutilis3", V(sim.oliveparas.second.NumSave[3]),
                 V(sim.oliveparas.second.NumSum[3]), V(sim.oliveparas.second.Num[3]), kFixed2),
};

// Oleander scale: stages 1 to 4 and adults.
constexpr OutputColumn kOleanderScale[] = {
    ThreeSources("OleaSc1", V(sim.oleanderscale.nSave[1]), V(sim.oleanderscale.nSum[1]),
                 V(sim.oleanderscale.n[1]), kFixed2),
    ThreeSources("OleaSc2", V(sim.oleanderscale.nSave[2]), V(sim.oleanderscale.nSum[2]),
                 V(sim.oleanderscale.n[2]), kFixed2),
    ThreeSources("OleaSc3", V(sim.oleanderscale.nSave[3]), V(sim.oleanderscale.nSum[3]),
                 V(sim.oleanderscale.n[3]), kFixed2),
    ThreeSources("OleaSc4", V(sim.oleanderscale.nSave[4]), V(sim.oleanderscale.nSum[4]),
                 V(sim.oleanderscale.n[4]), kFixed2),
    ThreeSources("OleaScAd", V(sim.oleanderscale.AdultsSave), V(sim.oleanderscale.AdultsSum),
                 V(sim.oleanderscale.Adults), kFixed2),
};

// Parasitoids of the oleander scale: A. chilensis and ed, stages 1 to 3.
constexpr OutputColumn kAchilensis[] = {
    ThreeSources("Achilen1", V(sim.oleanderparas.first.NumSave[1]),
                 V(sim.oleanderparas.first.NumSum[1]), V(sim.oleanderparas.first.Num[1]), kFixed2),
    ThreeSources("Achilen2", V(sim.oleanderparas.first.NumSave[2]),
                 V(sim.oleanderparas.first.NumSum[2]), V(sim.oleanderparas.first.Num[2]), kFixed2),
    ThreeSources("Achilen3", V(sim.oleanderparas.first.NumSave[3]),
                 V(sim.oleanderparas.first.NumSum[3]), V(sim.oleanderparas.first.Num[3]), kFixed2),
};
constexpr OutputColumn kEd[] = {
    ThreeSources("ed1", V(sim.oleanderparas.second.NumSave[1]),
                 V(sim.oleanderparas.second.NumSum[1]), V(sim.oleanderparas.second.Num[1]),
                 kFixed2),
    ThreeSources("ed2", V(sim.oleanderparas.second.NumSave[2]),
                 V(sim.oleanderparas.second.NumSum[2]), V(sim.oleanderparas.second.Num[2]),
                 kFixed2),
    ThreeSources("ed3", V(sim.oleanderparas.second.NumSave[3]),
                 V(sim.oleanderparas.second.NumSum[3]), V(sim.oleanderparas.second.Num[3]),
                 kFixed2),
};

// Coccinellid: eggs, larvae, pupae, adults; three decimals in a harvest row.
constexpr OutputColumn kCocc[] = {
    ThreeSources("CoccEggs", V(sim.cocc.CoccEgnmSave), kFixed3, V(sim.cocc.CoccEgnmSum),
                 V(sim.cocc.Coccegnm), kFixed2),
    ThreeSources("CoccLar", V(sim.cocc.CoccLarNSave), kFixed3, V(sim.cocc.CoccLarNSum),
                 V(sim.cocc.Cocclarn), kFixed2),
    ThreeSources("CoccPup", V(sim.cocc.CoccPupNmSave), kFixed3, V(sim.cocc.CoccPupNmSum),
                 V(sim.cocc.Coccpupnm), kFixed2),
    ThreeSources("CoccAdnm", V(sim.cocc.CoccAdnmSave), kFixed3, V(sim.cocc.CoccAdnmSum),
                 V(sim.cocc.Coccadnm), kFixed2),
};

// Olive fly: stage-days (sums), stages (output day) or their harvest snapshot; pupae formed,
// fruit damaged and the per cent of fruit attacked at harvest are the same in every row.
constexpr OutputColumn kOliveFly[] = {
    ThreeSources("OFEgDays", V(sim.fly.OliveFlyEggSave), V(sim.fly.OliveFlyEggDays),
                 V(sim.fly.OliveFlyegg), kFixed2),
    ThreeSources("OFLrDays", V(sim.fly.OliveFlylarvSave), V(sim.fly.OliveFlylarvDays),
                 V(sim.fly.OliveFlylarv), kFixed2),
    ThreeSources("OFPuDays", V(sim.fly.OliveFlypupSave), V(sim.fly.OliveFlypupDays),
                 V(sim.fly.OliveFlypup), kFixed3),
    ThreeSources("OFAdDays", V(sim.fly.OliveFlyAdultsSave), V(sim.fly.OliveFlyAdultDays),
                 V(sim.fly.OliveFlyAdults), kFixed2),
    OneSource("OfPupSum", V(sim.fly.OliveFlypupSum), kFixed2),
    OneSource("DamFrSum", V(sim.fly.OliveFlySumdamfruNum), kFixed2),
    OneSource("PrcntAtkd", V(sim.harvestSave.PrcntAtkdsave), kFixed2),
};

#undef V

// The groups in file order, each behind its switch.
constexpr ColumnGroup kGroups[] = {
    {Always, kCommon},
    {[](const Inputs& in) { return in.mite; }, kMite},
    {[](const Inputs& in) { return in.GWss; }, kGWss},
    {[](const Inputs& in) { return in.OliveScale; }, kOliveScale},
    {[](const Inputs& in) { return in.AMaculicornis; }, kAMaculicornis},
    {[](const Inputs& in) { return in.Cutilis; }, kCutilis},
    {[](const Inputs& in) { return in.OleanderScale; }, kOleanderScale},
    {[](const Inputs& in) { return in.Achilensis; }, kAchilensis},
    {[](const Inputs& in) { return in.ed; }, kEd},
    {[](const Inputs& in) { return in.CoccInRun; }, kCocc},
    {[](const Inputs& in) { return in.OliveFlyInRun; }, kOliveFly},
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
