#include "output/daily_output.h"

#include "state/simulation.h"

namespace olive {
namespace {

using S = const Simulation&;

constexpr std::string_view kLineEnd = "\r\n";

// Individuals per tree on the day.
constexpr ColumnInfo Number(std::string_view meaning, std::string_view quantity = {}) {
  return {meaning, kUnitNumber, quantity};
}
constexpr ColumnInfo Mass(std::string_view meaning, std::string_view quantity = {}) {
  return {meaning, kUnitMass, quantity};
}
constexpr ColumnInfo Ratio(std::string_view meaning, std::string_view quantity = {}) {
  return {meaning, kUnitRatio, quantity};
}

// Group A, always: calendar, degree-days and the tree.
constexpr DailyColumn kTreeColumns[] = {
    {"month",
     [](S s) -> double { return s.drv.mo; },
     kInteger,
     {"month of the day, 1-12", kUnitText, "month"}},
    {"day",
     [](S s) -> double { return s.drv.dy; },
     kInteger,
     {"day of the month", kUnitText, "day"}},
    {"yr", [](S s) -> double { return s.drv.modelyear; }, kInteger, {"year", kUnitText, "year"}},
    {"jday", [](S s) -> double { return s.drv.jday; }, kInteger, {"day of year", kUnitDayOfYear}},
    {"PlantDDSum",
     [](S s) -> double { return s.season.PlantDDSum; },
     kWidth8Fixed1,
     {"the tree's degree-days since 1 January", kUnitPlantDD, "plant_dd"}},
    {"FreezeDD",
     [](S s) -> double { return s.season.PlantFreezeDD; },
     kFixed0,
     {"frost degree-days since 1 January; above 200 the orchard dies", kUnitFrostDD, "frost_dd"}},
    {"ddbMinus10",
     [](S s) -> double { return s.season.PlantKillDD; },
     kScientific,
     {"degree-days below -10 °C since 1 January", kUnitKillDD, "kill_dd"}},
    {"ddbMinus85",
     [](S s) -> double { return s.season.PlantDamageDD; },
     kScientific,
     {"degree-days below -8.3 °C since 1 January", kUnitDamageDD, "damage_dd"}},
    {"Bloomday",
     [](S s) -> double { return s.season.bloomday; },
     kInteger,
     {"day of year of this year's bloom; 0 before it", kUnitDayOfYear, "bloom_day"}},
    {"lfnum", [](S s) -> double { return s.plant.leafNum; }, kFixed1, Number("leaves on the tree")},
    {"frunum", [](S s) -> double { return s.plant.fruNum; }, kFixed2,
     Number("fruit on the tree, sound and attacked", "fruit_number")},
    {"rootMass", [](S s) -> double { return s.plant.roots; }, kFixed1,
     Mass("root mass, with the roots' share of the reserves")},
    {"rootlive", [](S s) -> double { return s.plant.rootlive; }, kFixed1,
     Mass("live (not yet woody) root mass")},
    {"frame", [](S s) -> double { return s.plant.TotalFrame; }, kFixed1,
     Mass("frame (trunk and branches) mass, with its share of the reserves")},
    {"shootMass", [](S s) -> double { return s.plant.shoots; }, kFixed1,
     Mass("shoot mass, with the shoots' share of the reserves")},
    {"res", [](S s) -> double { return s.plant.reserveTot; }, kFixed1, Mass("the reserve pool")},
    {"lfmass", [](S s) -> double { return s.plant.leafmass; }, kFixed1, Mass("leaf mass")},
    {"fruwgt", [](S s) -> double { return s.plant.Frumass; }, kFixed1,
     Mass("fruit mass on the tree, sound and attacked", "fruit_mass")},
    {"Harvest",
     [](S s) -> double { return s.season.harvest ? 1000.0 : 0.0; },
     kFixed0,
     {"1000 on the harvest day (the fruit leave the tree the day after), else 0", kUnitText}},
    {"Yield", [](S s) -> double { return s.plant.yield; }, kFixed1,
     Mass("fruit harvested at the last harvest (fruit mass × HarvEfficiency)")},
    {"lfarea100",
     [](S s) -> double { return s.plant.leafarea * 100; },
     kFixed1,
     {"leaf area, 100 × m² per tree", kUnitLeafArea}},
    {"sdveg", [](S s) -> double { return s.plant.sdveg; }, kFixed2,
     Ratio("supply/demand ratio of vegetative growth (1: the day's photosynthate met the demand)")},
    {"sdfru", [](S s) -> double { return s.plant.sdfru; }, kFixed2,
     Ratio("supply/demand ratio of fruit growth")},
};

// Group B, with the nitrogen option.
constexpr DailyColumn kNitrogenColumns[] = {
    {"Ndtot",
     [](S s) -> double { return s.nitro.Ndtot; },
     kFixed3,
     {"the tree's nitrogen demand", kUnitNitrogenPerDay}},
    {"soiln",
     [](S s) -> double { return s.nitro.soilN; },
     kFixed2,
     {"mineral nitrogen in the soil under the tree", kUnitNitrogen}},
    {"Nres",
     [](S s) -> double { return s.nitro.Nres; },
     kFixed3,
     {"the tree's nitrogen reserve", kUnitNitrogen}},
    {"Nuptk",
     [](S s) -> double { return s.nitro.Nuptk; },
     kFixed3,
     {"nitrogen taken up from the soil", kUnitNitrogenPerDay}},
    {"youngL",
     [](S s) -> double { return s.nitro.rleafN[3]; },
     kFixed2,
     {"nitrogen in young leaves (leaf age class 3)", kUnitNitrogenShare}},
    {"middleL",
     [](S s) -> double { return s.nitro.rleafN[15]; },
     kFixed2,
     {"nitrogen in middle-aged leaves (leaf age class 15)", kUnitNitrogenShare}},
    {"oldL",
     [](S s) -> double { return s.nitro.rleafN[30]; },
     kFixed2,
     {"nitrogen in old leaves (leaf age class 30)", kUnitNitrogenShare}},
    {"Nsdtot", [](S s) -> double { return s.nitro.Nsdtot; }, kFixed2,
     Ratio("nitrogen supply/demand ratio")},
};

// Group C: the spray level, when sprays are simulated and there is a pest to spray.
constexpr DailyColumn kSprayColumns[] = {
    {"SprayLevel", [](S s) -> double { return s.spray.spraylevel; }, kFixed3,
     Ratio("share of the exposed insects and mites that the last spray's residue kills today")},
};

// Group E: spider mites.
constexpr DailyColumn kMiteColumns[] = {
    {"MiteW.Eggs", [](S s) -> double { return s.mites.winterEggs; }, kFixed0,
     Number("spider-mite winter eggs", "mite_winter_eggs")},
    {"Eggs", [](S s) -> double { return s.mites.MiteEggs; }, kFixed0,
     Number("spider-mite eggs", "mite_eggs")},
    {"juvenile", [](S s) -> double { return s.mites.juveniles; }, kFixed0,
     Number("spider-mite juveniles", "mite_juveniles")},
    {"adults", [](S s) -> double { return s.mites.MiteAdults; }, kFixed0,
     Number("spider-mite adults", "mite_adults")},
    {"mobiles", [](S s) -> double { return s.mites.mobiles; }, kFixed0,
     Number("spider mites in the mobile stages (juveniles and adults)", "mite_mobiles")},
};

// Group F: mite predators (only with the mites).
constexpr DailyColumn kPredatorColumns[] = {
    {"predEggs", [](S s) -> double { return s.preds.PredN[1]; }, kFixed3,
     Number("predatory-mite eggs", "predator_eggs")},
    {"Larv...Adlts", [](S s) -> double { return s.preds.PredReport; }, kFixed3,
     Number("predatory mites from larva to adult", "predator_larvae_to_adults")},
};

// Group G: sharpshooter.
constexpr DailyColumn kSharpshooterColumns[] = {
    {"GWssDDaTot",
     [](S s) -> double { return s.gwss.GWssDDaTot; },
     kFixed0,
     {"sharpshooter degree-days since the start of the run, on its active days",
      kUnitSharpshooterDD, "sharpshooter_dd"}},
    {"GWssEggs", [](S s) -> double { return s.gwss.GWNum[1]; }, kFixed1,
     Number("sharpshooter eggs", "sharpshooter_eggs")},
    {"GWssJuv", [](S s) -> double { return s.gwss.GWNum[2]; }, kFixed1,
     Number("sharpshooter nymphs", "sharpshooter_nymphs")},
    {"GWssAdl", [](S s) -> double { return s.gwss.GWNum[3]; }, kFixed1,
     Number("sharpshooter adults", "sharpshooter_adults")},
    {"GWssasd", [](S s) -> double { return s.gwss.GWssAsd; }, kFixed2,
     Ratio("sharpshooter supply/demand ratio, mean of the last three days", "sharpshooter_sd")},
};

// Group H: olive scale, 1 decimal; H1 and H2 its parasitoids.
constexpr DailyColumn kOliveScaleColumns[] = {
    {"OliveScEggs", [](S s) -> double { return s.olivescale.n[1]; }, kFixed1,
     Number("olive-scale eggs", "olive_scale_eggs")},
    {"OliveScCrawl", [](S s) -> double { return s.olivescale.n[2]; }, kFixed1,
     Number("olive-scale crawlers", "olive_scale_crawlers")},
    {"OliveScL2", [](S s) -> double { return s.olivescale.n[3]; }, kFixed1,
     Number("olive-scale second instars", "olive_scale_instar2")},
    {"OliveScL3", [](S s) -> double { return s.olivescale.n[4]; }, kFixed1,
     Number("olive-scale third instars", "olive_scale_instar3")},
    {"OliveScAd", [](S s) -> double { return s.olivescale.Adults; }, kFixed1,
     Number("olive-scale adults", "olive_scale_adults")},
    {"OliveScEmbN", [](S s) -> double { return s.olivescale.EmbNumTot; }, kFixed1,
     Number("olive-scale embryos in the adult females")},
    {"OliveScSd", [](S s) -> double { return s.olivescale.sdtot; }, kFixed2,
     Ratio("olive-scale supply/demand ratio")},
};
constexpr DailyColumn kAMaculicornisColumns[] = {
    {"AMacu1", [](S s) -> double { return s.oliveparas.first.Num[1]; }, kFixed3,
     Number("A. maculicornis immatures in their hosts", "amaculicornis_immatures")},
    {"AMacu2", [](S s) -> double { return s.oliveparas.first.Num[2]; }, kFixed3,
     Number("A. maculicornis pupae", "amaculicornis_pupae")},
    {"AMacu3", [](S s) -> double { return s.oliveparas.first.Num[3]; }, kFixed3,
     Number("A. maculicornis adults", "amaculicornis_adults")},
};
constexpr DailyColumn kCutilisColumns[] = {
    {"Cutilis1", [](S s) -> double { return s.oliveparas.second.Num[1]; }, kFixed3,
     Number("C. utilis immatures in their hosts", "cutilis_immatures")},
    {"Cutilis2", [](S s) -> double { return s.oliveparas.second.Num[2]; }, kFixed3,
     Number("C. utilis pupae", "cutilis_pupae")},
    {"Cutilis3", [](S s) -> double { return s.oliveparas.second.Num[3]; }, kFixed3,
     Number("C. utilis adults", "cutilis_adults")},
    {"CutilMated", [](S s) -> double { return s.oliveparas.second.MatedFNum[3]; }, kFixed3,
     Number("C. utilis mated adult females")},
    {"CutilUnm", [](S s) -> double { return s.oliveparas.second.UnmatedFNum[3]; }, kFixed3,
     Number("C. utilis unmated adult females")},
    {"CutilMales", [](S s) -> double { return s.oliveparas.second.MaleNum[3]; }, kFixed3,
     Number("C. utilis adult males")},
};

// Group I: oleander scale, 3 decimals; I1 and I2 its parasitoids.
constexpr DailyColumn kOleanderScaleColumns[] = {
    {"Oleandereggs", [](S s) -> double { return s.oleanderscale.n[1]; }, kFixed3,
     Number("oleander-scale eggs", "oleander_scale_eggs")},
    {"crawlers", [](S s) -> double { return s.oleanderscale.n[2]; }, kFixed3,
     Number("oleander-scale crawlers", "oleander_scale_crawlers")},
    {"larv2", [](S s) -> double { return s.oleanderscale.n[3]; }, kFixed3,
     Number("oleander-scale second instars", "oleander_scale_instar2")},
    {"larv3", [](S s) -> double { return s.oleanderscale.n[4]; }, kFixed3,
     Number("oleander-scale third instars", "oleander_scale_instar3")},
    {"adults", [](S s) -> double { return s.oleanderscale.Adults; }, kFixed3,
     Number("oleander-scale adults", "oleander_scale_adults")},
    {"EmbNum", [](S s) -> double { return s.oleanderscale.EmbNumTot; }, kFixed3,
     Number("oleander-scale embryos in the adult females")},
    {"sd", [](S s) -> double { return s.oleanderscale.sdtot; }, kFixed2,
     Ratio("oleander-scale supply/demand ratio")},
};
constexpr DailyColumn kAchilensisColumns[] = {
    {"Achil1", [](S s) -> double { return s.oleanderparas.first.Num[1]; }, kFixed3,
     Number("A. chilensis immatures in their hosts", "achilensis_immatures")},
    {"Achil2", [](S s) -> double { return s.oleanderparas.first.Num[2]; }, kFixed3,
     Number("A. chilensis pupae", "achilensis_pupae")},
    {"Achil3", [](S s) -> double { return s.oleanderparas.first.Num[3]; }, kFixed3,
     Number("A. chilensis adults", "achilensis_adults")},
};
constexpr DailyColumn kEdColumns[] = {
    {"ed1", [](S s) -> double { return s.oleanderparas.second.Num[1]; }, kFixed3,
     Number("ed (second oleander-scale parasitoid) immatures in their hosts", "ed_immatures")},
    {"ed2", [](S s) -> double { return s.oleanderparas.second.Num[2]; }, kFixed3,
     Number("ed pupae", "ed_pupae")},
    {"ed3", [](S s) -> double { return s.oleanderparas.second.Num[3]; }, kFixed3,
     Number("ed adults", "ed_adults")},
};

// Group J: coccinellid.
constexpr DailyColumn kCoccinellidColumns[] = {
    {"Coccegnm", [](S s) -> double { return s.cocc.Coccegnm; }, kFixed3,
     Number("coccinellid eggs", "coccinellid_eggs")},
    {"Cocclarn", [](S s) -> double { return s.cocc.Cocclarn; }, kFixed3,
     Number("coccinellid larvae", "coccinellid_larvae")},
    {"Coccpupnm", [](S s) -> double { return s.cocc.Coccpupnm; }, kFixed3,
     Number("coccinellid pupae", "coccinellid_pupae")},
    {"Coccadnm", [](S s) -> double { return s.cocc.Coccadnm; }, kFixed3,
     Number("coccinellid adults", "coccinellid_adults")},
};

// Group K: olive fly ("frunum" appears a second time here).
constexpr DailyColumn kOliveFlyColumns[] = {
    {"ddtot",
     [](S s) -> double { return s.season.PlantddTot; },
     kFixed0,
     {"the tree's degree-days since the start of the run", kUnitPlantDD}},
    {"OFlyegg", [](S s) -> double { return s.fly.OliveFlyegg; }, kFixed4,
     Number("olive-fly eggs in the fruit", "olive_fly_eggs")},
    {"OFlylarv", [](S s) -> double { return s.fly.OliveFlylarv; }, kFixed4,
     Number("olive-fly larvae in the fruit", "olive_fly_larvae")},
    {"OFlypupa", [](S s) -> double { return s.fly.OliveFlypup; }, kFixed3,
     Number("olive-fly pupae", "olive_fly_pupae")},
    {"OFAdlts", [](S s) -> double { return s.fly.OliveFlyAdults; }, kFixed3,
     Number("reproductive olive-fly adults", "olive_fly_adults")},
    {"OfPupSum", [](S s) -> double { return s.fly.OliveFlypupSum; }, kFixed3,
     Number("olive-fly pupae formed since the last GIS output date", "olive_fly_pupae_formed")},
    {"OflyDormant", [](S s) -> double { return s.fly.OFlyDormantAdults; }, kFixed3,
     Number("dormant olive-fly adults")},
    {"AdltSdAvg", [](S s) -> double { return s.fly.OflysdAvg; }, kFixed3,
     Ratio("olive-fly adults' recent supply/demand ratio: the share that is reproductive")},
    {"frunum", [](S s) -> double { return s.plant.fruNum; }, kFixed2,
     Number("fruit on the tree, sound and attacked (the tree's frunum again)", "fruit_number")},
    {"FrnAtkatT", [](S s) -> double { return s.plant.FruNumAtk; }, kFixed2,
     Number("fruit on the tree attacked by the olive fly")},
    {"SumDamfrn", [](S s) -> double { return s.fly.OliveFlySumdamfruNum; }, kFixed2,
     Number("sound fruit attacked by the olive fly since the last GIS output date",
            "fruit_attacked_since_output")},
};

// Group D, always: the temperature increment added to the run's weather.
constexpr DailyColumn kWeatherColumns[] = {
    {"TempIncr",
     [](S s) -> double { return s.in.wxcons[1]; },
     kFixed3,
     {"warming increment added to the weather's temperatures", kUnitTemperatureChange,
      "temp_incr"}},
};

// Group L, always: chilling and the attacked fruit.
constexpr DailyColumn kChillColumns[] = {
    {"DDBelowBase",
     [](S s) -> double { return s.season.PlantddbSum; },
     kFixed2,
     {"the tree's degree-days below its base since 1 January", kUnitPlantDDBelow, "plant_ddb"}},
    {"blmchillHr",
     [](S s) -> double { return s.season.BloomChillHourDegrees; },
     kFixed2,
     {"chilling toward bloom since 1 January, until day of year 289; bloom starts at 340",
      kUnitChill}},
    {"blmchillHr290",
     [](S s) -> double { return s.season.BloomChillHourDegreesSave; },
     kFixed2,
     {"the year's chilling toward bloom, saved on day of year 290 (or at a harvest before it)",
      kUnitChill, "chill_saved"}},
    {"PrcntTkd",
     [](S s) -> double { return s.out.prcntatkd; },
     kFixed2,
     {"per cent of the fruit on the tree attacked by the olive fly", kUnitPercent}},
};

constexpr bool Always(const Inputs&) {
  return true;
}
constexpr bool WithNitrogen(const Inputs& in) {
  return in.nitro;
}

constexpr std::string_view kSprayCondition =
    "sprays set up (`MiteSpr`, `OliveScaleSpr`, `OleanderScaleSpr`, `OliveFlySpr`, `spdates` or "
    "`SprayRelBurst`) and one of `OliveFlyInRun`, `mite`, `OliveScale`, `OleanderScale`, `GWss`, "
    "`CoccInRun`";
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
    {"The tree", "always", Always, kTreeColumns},
    {"Nitrogen", "`nitro`", WithNitrogen, kNitrogenColumns},
    {"Sprays", kSprayCondition, WithSprays, kSprayColumns},
    {"Weather", "always", Always, kWeatherColumns},
    {"Spider mites", "`mite`", WithMites, kMiteColumns},
    {"Mite predators", "`mite` and `PredIn`", WithPredators, kPredatorColumns},
    {"Glassy-winged sharpshooter", "`GWss`", WithSharpshooter, kSharpshooterColumns},
    {"Olive scale", "`OliveScale`", WithOliveScale, kOliveScaleColumns},
    {"A. maculicornis, a parasitoid of the olive scale", "`OliveScale` and `AMaculicornis`",
     WithAMaculicornis, kAMaculicornisColumns},
    {"C. utilis, a parasitoid of the olive scale", "`OliveScale` and `Cutilis`", WithCutilis,
     kCutilisColumns},
    {"Oleander scale", "`OleanderScale`", WithOleanderScale, kOleanderScaleColumns},
    {"A. chilensis, a parasitoid of the oleander scale", "`OleanderScale` and `Achilensis`",
     WithAchilensis, kAchilensisColumns},
    {"ed, a parasitoid of the oleander scale", "`OleanderScale` and `ed`", WithEd, kEdColumns},
    {"Coccinellid", "`CoccInRun`", WithCoccinellid, kCoccinellidColumns},
    {"Olive fly", "`OliveFlyInRun`", WithOliveFly, kOliveFlyColumns},
    {"Chilling and fruit damage", "always", Always, kChillColumns},
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
