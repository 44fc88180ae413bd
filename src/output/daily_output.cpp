#include "output/daily_output.h"

#include "state/simulation.h"

namespace olive {
namespace {

using S = const Simulation&;

constexpr std::string_view kLineEnd = "\r\n";

// Group A, always: calendar, degree-days and the tree.
constexpr DailyColumn kTreeColumns[] = {
    {"month", [](S s) -> double { return s.drv.mo; }, kInteger},
    {"day", [](S s) -> double { return s.drv.dy; }, kInteger},
    {"yr", [](S s) -> double { return s.drv.modelyear; }, kInteger},
    {"jday", [](S s) -> double { return s.drv.jday; }, kInteger},
    {"PlantDDSum", [](S s) -> double { return s.season.PlantDDSum; }, kWidth8Fixed1},
    {"FreezeDD", [](S s) -> double { return s.season.PlantFreezeDD; }, kFixed0},
    {"ddbMinus10", [](S s) -> double { return s.season.PlantKillDD; }, kScientific},
    {"ddbMinus85", [](S s) -> double { return s.season.PlantDamageDD; }, kScientific},
    {"Bloomday", [](S s) -> double { return s.season.bloomday; }, kInteger},
    {"lfnum", [](S s) -> double { return s.plant.leafNum; }, kFixed1},
    {"frunum", [](S s) -> double { return s.plant.fruNum; }, kFixed2},
    {"rootMass", [](S s) -> double { return s.plant.roots; }, kFixed1},
    {"rootlive", [](S s) -> double { return s.plant.rootlive; }, kFixed1},
    {"frame", [](S s) -> double { return s.plant.TotalFrame; }, kFixed1},
    {"shootMass", [](S s) -> double { return s.plant.shoots; }, kFixed1},
    {"res", [](S s) -> double { return s.plant.reserveTot; }, kFixed1},
    {"lfmass", [](S s) -> double { return s.plant.leafmass; }, kFixed1},
    {"fruwgt", [](S s) -> double { return s.plant.Frumass; }, kFixed1},
    {"Harvest", [](S s) -> double { return s.season.harvest ? 1000.0 : 0.0; }, kFixed0},
    {"Yield", [](S s) -> double { return s.plant.yield; }, kFixed1},
    {"lfarea100", [](S s) -> double { return s.plant.leafarea * 100; }, kFixed1},
    {"sdveg", [](S s) -> double { return s.plant.sdveg; }, kFixed2},
    {"sdfru", [](S s) -> double { return s.plant.sdfru; }, kFixed2},
};

// Group B, with the nitrogen option.
constexpr DailyColumn kNitrogenColumns[] = {
    {"Ndtot", [](S s) -> double { return s.nitro.Ndtot; }, kFixed3},
    {"soiln", [](S s) -> double { return s.nitro.soilN; }, kFixed2},
    {"Nres", [](S s) -> double { return s.nitro.Nres; }, kFixed3},
    {"Nuptk", [](S s) -> double { return s.nitro.Nuptk; }, kFixed3},
    {"youngL", [](S s) -> double { return s.nitro.rleafN[3]; }, kFixed2},
    {"middleL", [](S s) -> double { return s.nitro.rleafN[15]; }, kFixed2},
    {"oldL", [](S s) -> double { return s.nitro.rleafN[30]; }, kFixed2},
    {"Nsdtot", [](S s) -> double { return s.nitro.Nsdtot; }, kFixed2},
};

// Group C: the spray level, when sprays are simulated and there is a pest to spray.
constexpr DailyColumn kSprayColumns[] = {
    {"SprayLevel", [](S s) -> double { return s.spray.spraylevel; }, kFixed3},
};

// Group E: spider mites.
constexpr DailyColumn kMiteColumns[] = {
    {"MiteW.Eggs", [](S s) -> double { return s.mites.winterEggs; }, kFixed0},
    {"Eggs", [](S s) -> double { return s.mites.MiteEggs; }, kFixed0},
    {"juvenile", [](S s) -> double { return s.mites.juveniles; }, kFixed0},
    {"adults", [](S s) -> double { return s.mites.MiteAdults; }, kFixed0},
    {"mobiles", [](S s) -> double { return s.mites.mobiles; }, kFixed0},
};

// Group F: mite predators (only with the mites).
constexpr DailyColumn kPredatorColumns[] = {
    {"predEggs", [](S s) -> double { return s.preds.PredN[1]; }, kFixed3},
    {"Larv...Adlts", [](S s) -> double { return s.preds.PredReport; }, kFixed3},
};

// Group G: sharpshooter.
constexpr DailyColumn kSharpshooterColumns[] = {
    {"GWssDDaTot", [](S s) -> double { return s.gwss.GWssDDaTot; }, kFixed0},
    {"GWssEggs", [](S s) -> double { return s.gwss.GWNum[1]; }, kFixed1},
    {"GWssJuv", [](S s) -> double { return s.gwss.GWNum[2]; }, kFixed1},
    {"GWssAdl", [](S s) -> double { return s.gwss.GWNum[3]; }, kFixed1},
    {"GWssasd", [](S s) -> double { return s.gwss.GWssAsd; }, kFixed2},
};

// Group H: olive scale, 1 decimal; H1 and H2 its parasitoids.
constexpr DailyColumn kOliveScaleColumns[] = {
    {"OliveScEggs", [](S s) -> double { return s.olivescale.n[1]; }, kFixed1},
    {"OliveScCrawl", [](S s) -> double { return s.olivescale.n[2]; }, kFixed1},
    {"OliveScL2", [](S s) -> double { return s.olivescale.n[3]; }, kFixed1},
    {"OliveScL3", [](S s) -> double { return s.olivescale.n[4]; }, kFixed1},
    {"OliveScAd", [](S s) -> double { return s.olivescale.Adults; }, kFixed1},
    {"OliveScEmbN", [](S s) -> double { return s.olivescale.EmbNumTot; }, kFixed1},
    {"OliveScSd", [](S s) -> double { return s.olivescale.sdtot; }, kFixed2},
};
constexpr DailyColumn kAMaculicornisColumns[] = {
    {"AMacu1", [](S s) -> double { return s.oliveparas.first.Num[1]; }, kFixed3},
    {"AMacu2", [](S s) -> double { return s.oliveparas.first.Num[2]; }, kFixed3},
    {"AMacu3", [](S s) -> double { return s.oliveparas.first.Num[3]; }, kFixed3},
};
constexpr DailyColumn kCutilisColumns[] = {
    {"Cutilis1", [](S s) -> double { return s.oliveparas.second.Num[1]; }, kFixed3},
    {"Cutilis2", [](S s) -> double { return s.oliveparas.second.Num[2]; }, kFixed3},
    {"Cutilis3", [](S s) -> double { return s.oliveparas.second.Num[3]; }, kFixed3},
    {"CutilMated", [](S s) -> double { return s.oliveparas.second.MatedFNum[3]; }, kFixed3},
    {"CutilUnm", [](S s) -> double { return s.oliveparas.second.UnmatedFNum[3]; }, kFixed3},
    {"CutilMales", [](S s) -> double { return s.oliveparas.second.MaleNum[3]; }, kFixed3},
};

// Group I: oleander scale, 3 decimals; I1 and I2 its parasitoids.
constexpr DailyColumn kOleanderScaleColumns[] = {
    {"Oleandereggs", [](S s) -> double { return s.oleanderscale.n[1]; }, kFixed3},
    {"crawlers", [](S s) -> double { return s.oleanderscale.n[2]; }, kFixed3},
    {"larv2", [](S s) -> double { return s.oleanderscale.n[3]; }, kFixed3},
    {"larv3", [](S s) -> double { return s.oleanderscale.n[4]; }, kFixed3},
    {"adults", [](S s) -> double { return s.oleanderscale.Adults; }, kFixed3},
    {"EmbNum", [](S s) -> double { return s.oleanderscale.EmbNumTot; }, kFixed3},
    {"sd", [](S s) -> double { return s.oleanderscale.sdtot; }, kFixed2},
};
constexpr DailyColumn kAchilensisColumns[] = {
    {"Achil1", [](S s) -> double { return s.oleanderparas.first.Num[1]; }, kFixed3},
    {"Achil2", [](S s) -> double { return s.oleanderparas.first.Num[2]; }, kFixed3},
    {"Achil3", [](S s) -> double { return s.oleanderparas.first.Num[3]; }, kFixed3},
};
constexpr DailyColumn kEdColumns[] = {
    {"ed1", [](S s) -> double { return s.oleanderparas.second.Num[1]; }, kFixed3},
    {"ed2", [](S s) -> double { return s.oleanderparas.second.Num[2]; }, kFixed3},
    {"ed3", [](S s) -> double { return s.oleanderparas.second.Num[3]; }, kFixed3},
};

// Group J: coccinellid.
constexpr DailyColumn kCoccinellidColumns[] = {
    {"Coccegnm", [](S s) -> double { return s.cocc.Coccegnm; }, kFixed3},
    {"Cocclarn", [](S s) -> double { return s.cocc.Cocclarn; }, kFixed3},
    {"Coccpupnm", [](S s) -> double { return s.cocc.Coccpupnm; }, kFixed3},
    {"Coccadnm", [](S s) -> double { return s.cocc.Coccadnm; }, kFixed3},
};

// Group K: olive fly ("frunum" appears a second time here).
constexpr DailyColumn kOliveFlyColumns[] = {
    {"ddtot", [](S s) -> double { return s.season.PlantddTot; }, kFixed0},
    {"OFlyegg", [](S s) -> double { return s.fly.OliveFlyegg; }, kFixed4},
    {"OFlylarv", [](S s) -> double { return s.fly.OliveFlylarv; }, kFixed4},
    {"OFlypupa", [](S s) -> double { return s.fly.OliveFlypup; }, kFixed3},
    {"OFAdlts", [](S s) -> double { return s.fly.OliveFlyAdults; }, kFixed3},
    {"OfPupSum", [](S s) -> double { return s.fly.OliveFlypupSum; }, kFixed3},
    {"OflyDormant", [](S s) -> double { return s.fly.OFlyDormantAdults; }, kFixed3},
    {"AdltSdAvg", [](S s) -> double { return s.fly.OflysdAvg; }, kFixed3},
    {"frunum", [](S s) -> double { return s.plant.fruNum; }, kFixed2},
    {"FrnAtkatT", [](S s) -> double { return s.plant.FruNumAtk; }, kFixed2},
    {"SumDamfrn", [](S s) -> double { return s.fly.OliveFlySumdamfruNum; }, kFixed2},
};

// Group D, always: the temperature increment added to the run's weather.
constexpr DailyColumn kWeatherColumns[] = {
    {"TempIncr", [](S s) -> double { return s.in.wxcons[1]; }, kFixed3},
};

// Group L, always: chilling and the attacked fruit.
constexpr DailyColumn kChillColumns[] = {
    {"DDBelowBase", [](S s) -> double { return s.season.PlantddbSum; }, kFixed2},
    {"blmchillHr", [](S s) -> double { return s.season.BloomChillHourDegrees; }, kFixed2},
    {"blmchillHr290", [](S s) -> double { return s.season.BloomChillHourDegreesSave; }, kFixed2},
    {"PrcntTkd", [](S s) -> double { return s.out.prcntatkd; }, kFixed2},
};

constexpr bool Always(const Inputs&) {
  return true;
}
constexpr bool WithNitrogen(const Inputs& in) {
  return in.nitro;
}

constexpr bool WithSprays(const Inputs& in) {
  return in.simspraysin && (in.OliveFlyInRun || in.mite || in.OliveScale || in.OleanderScale ||
                            in.GWss || in.CoccInRun);
}
constexpr bool WithMites(const Inputs& in) {
  return in.mite;
}
constexpr bool WithPredators(const Inputs& in) {
  return in.mite && in.PredIn;
}
constexpr bool WithSharpshooter(const Inputs& in) {
  return in.GWss;
}
constexpr bool WithOliveScale(const Inputs& in) {
  return in.OliveScale;
}
constexpr bool WithAMaculicornis(const Inputs& in) {
  return in.OliveScale && in.AMaculicornis;
}
constexpr bool WithCutilis(const Inputs& in) {
  return in.OliveScale && in.Cutilis;
}
constexpr bool WithOleanderScale(const Inputs& in) {
  return in.OleanderScale;
}
constexpr bool WithAchilensis(const Inputs& in) {
  return in.OleanderScale && in.Achilensis;
}
constexpr bool WithEd(const Inputs& in) {
  return in.OleanderScale && in.ed;
}
constexpr bool WithCoccinellid(const Inputs& in) {
  return in.CoccInRun;
}
constexpr bool WithOliveFly(const Inputs& in) {
  return in.OliveFlyInRun;
}

// The groups in file order, each with the switches that put it in the file.
constexpr DailyColumnGroup kGroups[] = {
    {Always, kTreeColumns},
    {WithNitrogen, kNitrogenColumns},
    {WithSprays, kSprayColumns},
    {Always, kWeatherColumns},
    {WithMites, kMiteColumns},
    {WithPredators, kPredatorColumns},
    {WithSharpshooter, kSharpshooterColumns},
    {WithOliveScale, kOliveScaleColumns},
    {WithAMaculicornis, kAMaculicornisColumns},
    {WithCutilis, kCutilisColumns},
    {WithOleanderScale, kOleanderScaleColumns},
    {WithAchilensis, kAchilensisColumns},
    {WithEd, kEdColumns},
    {WithCoccinellid, kCoccinellidColumns},
    {WithOliveFly, kOliveFlyColumns},
    {Always, kChillColumns},
};

}  // namespace

std::span<const DailyColumnGroup> DailyColumnGroups() {
  return kGroups;
}

int DailyColumnCount(const Inputs& in) {
  int n = 0;
  for (const DailyColumnGroup& g : kGroups) {
    if (g.present(in)) n += static_cast<int>(g.columns.size());
  }
  return n;
}

void WriteDailyHeader(OutputFile& dailyfile, const Inputs& in, std::string_view dateTime) {
  std::string text = "Olive Model ";
  text.append(dateTime);
  text.push_back(' ');
  text.append(in.WxFilename);
  text.append(kLineEnd);
  bool first = true;
  for (const DailyColumnGroup& g : kGroups) {
    if (!g.present(in)) continue;
    for (const DailyColumn& c : g.columns) {
      if (!first) text.push_back('\t');
      text.append(c.name);
      first = false;
    }
  }
  text.append(kLineEnd);
  dailyfile.Write(text);
}

void OUTPUT(Simulation& sim) {
  if (!sim.in.Daily) return;
  const PlantState& p = sim.plant;
  sim.out.prcntatkd = 0;
  if (p.fruNum > 0) sim.out.prcntatkd = p.FruNumAtk / p.fruNum * 100;
  if (!sim.files.dailyfile.IsOpen()) return;  // rows not kept (a batch without daily files)

  std::string& line = sim.out.line;
  line.clear();
  bool first = true;
  for (const DailyColumnGroup& g : kGroups) {
    if (!g.present(sim.in)) continue;
    for (const DailyColumn& c : g.columns) {
      if (!first) line.push_back('\t');
      AppendNumber(line, c.value(sim), c.format);
      first = false;
    }
  }
  line.append(kLineEnd);
  sim.files.dailyfile.Write(line);
}

void DM_OUTPUT(const Simulation& sim, OutputFile& console) {
  if (!sim.in.outscreen) return;
  std::string text;
  const int32_t jday = sim.drv.jday;
  if (jday == 1 || jday % 20 == 0) {
    text.append(
        "\n date    gdd   leafnbr leafwgt shoots  roots L  fruit    res    sdveg   sdfru  \n");
    text.append(std::string(39, '-') + std::string(40, '-') + "\n");
  }
  const PlantState& p = sim.plant;
  AppendInteger(text, sim.drv.dy, 2);
  AppendInteger(text, sim.drv.mo, 3);
  for (double v : {static_cast<double>(sim.season.PlantDDSum), p.leafNum, p.leafmass, p.shoots,
                   p.rootlive, p.Frumass, p.reserveTot}) {
    AppendNumber(text, v, kWidth8Fixed1);
  }
  AppendNumber(text, p.sdveg, kWidth8Fixed2);
  AppendNumber(text, p.sdfru, kWidth8Fixed2);
  text.push_back('\n');
  console.Write(text);
}

void MiteOutput(OutputFile& console, bool outscreen, const MiteTableRow& row) {
  if (!outscreen) return;
  std::string text;
  if (row.modelday == 1 || row.modelday % 20 == 0) {
    text.append("\n date   ddtA   sdmean wi.eggs   eggs   juven  adults  mobiles m'days \n");
    text.append(std::string(69, '-') + "\n");
  }
  AppendInteger(text, row.dy, 2);
  AppendInteger(text, row.mo, 3);
  AppendNumber(text, row.gddA, kWidth8Fixed1);
  AppendNumber(text, row.sdmean, kWidth8Fixed2);
  for (double v :
       {row.winterEggs, row.MiteEggs, row.juveniles, row.MiteAdults, row.mobiles, row.mitedays}) {
    AppendNumber(text, v, kWidth8Fixed0);
  }
  text.push_back('\n');
  console.Write(text);
}

}  // namespace olive
