#include "output/summary.h"

#include "driver/simulation.h"

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

// Groups B to K: harvest snapshot / period sums / output day.

// B: spider mites and their predators (the predator columns whatever PredIn says).
constexpr OutputColumn kMite[] = {
    ThreeSources("WintEggs", V(sim.mites.WinterEggsSave), V(sim.mites.WinterEggsSum),
                 V(sim.mites.winterEggs), kFixed2),
    ThreeSources("MiteEggs", V(sim.mites.MiteEggsSave), V(sim.mites.MiteEggsSum),
                 V(sim.mites.MiteEggs), kFixed2),
    ThreeSources("Juvenile", V(sim.mites.JuvenilesSave), V(sim.mites.JuvenilesSum),
                 V(sim.mites.juveniles), kFixed0),
    ThreeSources("MiteAdls", V(sim.mites.MiteAdultsSave), V(sim.mites.MiteAdultsSum),
                 V(sim.mites.MiteAdults), kFixed0),
    ThreeSources("Mobiles", V(sim.mites.MobilesSave), V(sim.mites.MobilesSum), V(sim.mites.mobiles),
                 kFixed0),
    ThreeSources("PredEggs", V(sim.preds.Predn1Save), V(sim.preds.Predn1Sum), V(sim.preds.PredN[1]),
                 kFixed3),
    ThreeSources("Lrv-Adls", V(sim.preds.PredreportSave), V(sim.preds.PredreportSum),
                 V(sim.preds.PredReport), kFixed3),
};

// C: glassy-winged sharpshooter. Its degree-day total has no period sum: the total itself.
constexpr OutputColumn kGWss[] = {
    ThreeSources("GWssDDT", V(sim.gwss.GWssDDaTotSave), V(sim.gwss.GWssDDaTot),
                 V(sim.gwss.GWssDDaTot), kFixed0),
    ThreeSources("GWssEggs", V(sim.gwss.GWNum1Save), V(sim.gwss.GWNum1Sum), V(sim.gwss.GWNum[1]),
                 kFixed2),
    ThreeSources("GWssJuv", V(sim.gwss.GWNum2Save), V(sim.gwss.GWNum2Sum), V(sim.gwss.GWNum[2]),
                 kFixed2),
    ThreeSources("GWssAdl", V(sim.gwss.GWNum3Save), V(sim.gwss.GWNum3Sum), V(sim.gwss.GWNum[3]),
                 kFixed2),
    ThreeSources("GWssAsd", V(sim.gwss.GWssAsdSave), V(sim.gwss.GWssAsdSum), V(sim.gwss.GWssAsd),
                 kFixed2),
};

// D: olive scale, stages 1 to 4 and adults.
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

// E, F: parasitoids of the olive scale, stages 1 to 3.
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

// G: oleander scale, stages 1 to 4 and adults.
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

// H, I: parasitoids of the oleander scale, stages 1 to 3.
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

// J: coccinellid, eggs, larvae, pupae, adults; three decimals in a harvest row.
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

// K: olive fly; pupae formed, fruit damaged and the per cent of fruit attacked at harvest are the
// same in every row.
constexpr OutputColumn kOliveFly[] = {
    ThreeSources("OfEgDays", V(sim.fly.OliveFlyEggSave), V(sim.fly.OliveFlyEggDays),
                 V(sim.fly.OliveFlyegg), kFixed2),
    ThreeSources("OfLaDays", V(sim.fly.OliveFlylarvSave), V(sim.fly.OliveFlylarvDays),
                 V(sim.fly.OliveFlylarv), kFixed2),
    ThreeSources("OfPuDays", V(sim.fly.OliveFlypupSave), V(sim.fly.OliveFlypupDays),
                 V(sim.fly.OliveFlypup), kFixed3),
    ThreeSources("OfAdDays", V(sim.fly.OliveFlyAdultsSave), V(sim.fly.OliveFlyAdultDays),
                 V(sim.fly.OliveFlyAdults), kFixed2),
    OneSource("OfPupSum", V(sim.fly.OliveFlypupSum), kFixed2),
    OneSource("DamFrSum", V(sim.fly.OliveFlySumdamfruNum), kFixed2),
    OneSource("PrcntAtkd", V(sim.harvestSave.PrcntAtkdsave), kFixed2),
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

// The groups in file order, each behind its switch.
constexpr ColumnGroup kGroups[] = {
    {Always, kRun},
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
    {Always, kSwitchesAndRain},
};

}  // namespace

std::span<const ColumnGroup> SummaryColumnGroups() {
  return kGroups;
}

RowSource SummaryRowSource(const Simulation& sim) {
  if (sim.drv.UseHarvestValues) return RowSource::Harvest;
  return sim.in.GisOutputInterval == 365 ? RowSource::Sums : RowSource::Current;
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
