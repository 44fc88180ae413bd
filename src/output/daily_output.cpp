#include "output/daily_output.h"

#include "driver/simulation.h"

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

// The groups in file order. A submodel's columns join the file as one entry here, between the
// groups shown by the comments, with the condition of the header table:
//   spray level      when simspraysin and any of OliveFlyInRun, mite, OliveScale, OleanderScale,
//                    GWss, CoccInRun;
//   spider mites     when mite (after TempIncr); mite predators when mite and PredIn;
//   sharpshooter     when GWss;
//   olive scale      when OliveScale; its parasitoids when OliveScale and AMaculicornis, and
//                    when OliveScale and Cutilis;
//   oleander scale   when OleanderScale; its parasitoids when OleanderScale and Achilensis, and
//                    when OleanderScale and ed;
//   coccinellid      when CoccInRun;
//   olive fly        when OliveFlyInRun.
constexpr DailyColumnGroup kGroups[] = {
    {Always, kTreeColumns},
    {WithNitrogen, kNitrogenColumns},
    // spray level
    {Always, kWeatherColumns},
    // spider mites, mite predators, sharpshooter, olive scale and its parasitoids, oleander scale
    // and its parasitoids, coccinellid, olive fly
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
