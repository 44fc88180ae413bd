#include "driver/read_inputs.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "driver/setup_ranges.h"
#include "io/file_contents.h"
#include "toolkit/modutils.h"
#include "toolkit/text_scan.h"

namespace olive {
namespace {

// The schedule holds rows 1..30, but the reader stops before filling row 30.
constexpr int32_t kSprayRowsRead = 29;

// A command-line integer: the whole text is a signed decimal integer.
bool ParseInt32(std::string_view text, int32_t& v) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-') return false;
  }
  int32_t x = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), x);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  v = x;
  return true;
}

// Days in a month; leap years are those divisible by 4.
int32_t MonthLength(int32_t month, int32_t year) {
  static constexpr int32_t kLength[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kLength[month];
}

// A file name for a message, with its TABs and line ends written as \t, \r and \n.
std::string ShownName(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// Reads the setup file line by line, and checks each value right after it is read against the
// range in which the model is defined. A value out of its range is reported with the file, the
// line, the value and the range, clears RunOk, and the reading goes on, so that one run reports
// every bad line. After text that is not a number where a number line needs one, the reader
// reports once and ignores every later read: the run cannot go on.
class SetupReader {
 public:
  SetupReader(ErrorSink& log, std::string_view text, std::string_view name)
      : log_(log), in_(text), name_(name) {}

  // False once a number line could not be read.
  bool ok() const { return !failed_; }
  TextScanner& in() { return in_; }
  // Line of the last number read.
  int32_t NumberLine() const { return numberLine_; }

  // Reads a number without leaving the line.
  template <class T>
  void Read(T& v) {
    if (failed_) return;
    const TextScanner::Status s = in_.Read(v);
    numberLine_ = in_.Line();
    if (s == TextScanner::Status::kOk) return;
    failed_ = true;
    ReportError(log_, Where(numberLine_) + in_.Problem<T>(s));
    log_.RunOk = false;
  }
  // Reads a number without leaving the line and checks it against range; true when it was read
  // and lies in the range.
  template <class T>
  bool Take(T& v, std::string_view name, const Range& range) {
    Read(v);
    return Check(v, name, range);
  }
  // A number line of one number: the number, checked, then the rest of the line is skipped.
  template <class T>
  bool Num(T& v, std::string_view name, const Range& range) {
    const bool inRange = Take(v, name, range);
    EndLine();
    return inRange;
  }
  // A number line whose range the model checks with GISrngchk: its message, then the reader's.
  template <class T>
  bool NumRngchk(T& v, std::string_view name, float lo, float hi) {
    Read(v);
    EndLine();
    if (failed_) return false;
    if (Between(lo, hi).Contains(static_cast<double>(v))) return true;
    GISrngchk(log_, static_cast<float>(v), lo, hi);
    return Check(v, name, Between(lo, hi));
  }
  // Skips the rest of the line of the numbers just read.
  void EndLine() {
    if (!failed_) in_.SkipLine();
  }
  // Checks a value read before (on the line of the last number) against range.
  template <class T>
  bool Check(T v, std::string_view name, const Range& range) {
    if (failed_) return false;
    if (range.Contains(static_cast<double>(v))) return true;
    Refuse(numberLine_, name, NumberText(v), range.Text());
    return false;
  }

  // A switch line: true when the first character is "T" or "t", false for "F" or "f"; any other
  // character is reported (and read as false).
  bool Switch(std::string_view name) {
    if (failed_) return false;
    const char c = in_.Peek();
    const int32_t line = in_.Line();
    in_.SkipLine();
    if (c == 'T' || c == 't') return true;
    if (c != 'F' && c != 'f') {
      const bool lineEnd = c == '\n' || c == '\r' || c == '\0';
      Refuse(line, name, QuoteToken(std::string_view(&c, lineEnd ? 0 : 1)), "T, t, F or f");
    }
    return false;
  }
  // An asterisk line; another first character means the file is out of step with the reader.
  void readaster() {
    if (failed_) return;
    const char c = in_.Peek();
    in_.SkipLine();
    if (c != '*') {
      ReportError(log_, "Input out of sequence in setup file.  Expected to read asterisk.");
      log_.RunOk = false;
    }
  }

  // "Setup file "NAME" line N: "
  std::string Where(int32_t line) const {
    return "Setup file \"" + std::string(name_) + "\" line " + std::to_string(line) + ": ";
  }

 private:
  // "Setup file "NAME" line N: NAME VALUE is outside its range: RANGE."
  void Refuse(int32_t line, std::string_view name, const std::string& value,
              const std::string& range) {
    ReportError(log_, Where(line) + std::string(name) + " " + value +
                          " is outside its range: " + range + ".");
    log_.RunOk = false;
  }

  ErrorSink& log_;
  TextScanner in_;
  std::string_view name_;
  bool failed_ = false;
  int32_t numberLine_ = 0;
};

// Warnings of sprays that the spray model cannot give an effect: a strength of 0, or a decay of
// less than one day. The run goes on.
void WarnStrength(ErrorSink& log, const std::string& where, float strength, bool isDefault) {
  if (strength > 0.0f) return;
  ReportError(log, where + (isDefault ? "a default spray strength of " : "a spray strength of ") +
                       NumberText(strength) +
                       (isDefault ? " gives sprays no effect." : " gives this spray no effect."));
}
void WarnDecay(ErrorSink& log, const std::string& where, float decay) {
  if (decay >= 1.0f) return;
  ReportError(
      log, where + "a spray decay of " + NumberText(decay) + " days gives this spray no effect.");
}

// A line of immigrants: their number (per event or per day) and its random spread in per cent.
void Immigrants(SetupReader& r, float& ins, std::string_view insName, int32_t& pcnt,
                std::string_view pcntName) {
  r.Take(ins, insName, kAmount);
  r.Num(pcnt, pcntName, kPercent);
}

// Lines 1-5: the weather adjustments.
void ReadWeatherAdjustments(SetupReader& r, Inputs& in) {
  r.Num(in.wxcons[1], "wxcons[1]", kTemperature);         // 1, deg C
  r.Num(in.wxcons[2], "wxcons[2]", kSolarAdjustment);     // 2
  r.Num(in.wxcons[3], "wxcons[3]", kRainAdjustment);      // 3
  r.Num(in.wxcons[4], "wxcons[4]", kHumidityAdjustment);  // 4
  r.Num(in.wxcons[5], "wxcons[5]", kWindAdjustment);      // 5
}

// Lines 6-14: the tree's base temperature and its organs' delays.
void ReadTreeDelays(SetupReader& r, Inputs& in) {
  r.Num(in.OliveBase, "OliveBase", kTemperature);  // 6
  r.Num(in.delfol, "delfol", kDelay);              // 7
  r.Num(in.delshootLive, "delshootLive", kDelay);  // 8
  // 9: old shoot wood is the window from delshootLive to the end of the shoot wood delay.
  if (r.Num(in.delShootWood, "delShootWood", kDelay)) {
    r.Check(in.delShootWood, "delShootWood", AtLeast(in.delshootLive, "delshootLive"));
  }
  r.Num(in.delRootLive, "delRootLive", kDelay);    // 10
  r.Num(in.delRootWood, "delRootWood", kDelay);    // 11
  r.Num(in.delframeLive, "delframeLive", kDelay);  // 12
  r.Num(in.delframeWood, "delframeWood", kDelay);  // 13
  r.Num(in.delfru, "delfru", kDelay);              // 14
}

// Lines 15-30: the tree's initial state, season and harvest.
void ReadTree(SetupReader& r, Inputs& in) {
  r.Num(in.m2PerPlant, "m2PerPlant", kDivisor);          // 15
  r.Num(in.ShootWood, "ShootWood", kAmount);             // 16
  r.Num(in.shootnr, "shootnr", kAmount);                 // 17
  r.Num(in.roots, "roots", kAmount);                     // 18
  r.Num(in.TotalFrame, "TotalFrame", kDivisor);          // 19
  r.Num(in.burstpnt, "burstpnt", kAmount);               // 20
  r.Num(in.bloomdel, "bloomdel", kAnyNumber);            // 21
  r.Num(in.RapidFruGrow, "RapidFruGrow", kRapidGrowth);  // 22
  r.Num(in.Veraison, "Veraison", kVeraison);             // 23
  r.Num(in.folrate, "folrate", kAmount);                 // 24
  r.Num(in.rootmax, "rootmax", kDivisor);                // 25
  r.Num(in.PruneNumber, "PruneNumber", kOneOrTwo);       // 26
  r.Num(in.Prune1DD, "Prune1DD", kAmount);               // 27
  r.Num(in.Prune2DD, "Prune2DD", kAmount);               // 28
  in.HarvestOption = r.Switch("HarvestOption");          // 29
  r.Num(in.HarvEfficiency, "HarvEfficiency", kShare);    // 30
}

// Lines 31-37: the submodel and output switches, the GIS naming and the random seed.
void ReadOptions(SetupReader& r, Inputs& in, Rng& rng) {
  in.nitro = r.Switch("nitro");                             // 31
  in.outscreen = r.Switch("outscreen");                     // 32
  in.Daily = r.Switch("Daily");                             // 33
  in.Summary = r.Switch("Summary");                         // 34
  r.Num(in.GisOutputTarget, "GisOutputTarget", kOneOrTwo);  // 35
  r.Num(in.RandSeed, "RandSeed", kAnyNumber);               // 36
  if (r.ok()) rng.s = in.RandSeed == 0 ? ClockSeed() : static_cast<uint32_t>(in.RandSeed);
  r.readaster();  // 37
}

// Lines 38-42: the soil.
void ReadSoil(SetupReader& r, Inputs& in) {
  in.UseDefaultConditions = r.Switch("UseDefaultConditions");  // 38
  r.Num(in.pwpin, "pwpin", kAmount);                           // 39
  r.Num(in.SoilwIn, "SoilwIn", kAmount);                       // 40
  r.Num(in.SoilwMaxIn, "SoilwMaxIn", kAmount);                 // 41
  r.readaster();                                               // 42
}

// Lines 43-58: the spider mites.
void ReadMites(SetupReader& r, Inputs& in) {
  in.mite = r.Switch("mite");                            // 43
  r.Num(in.thrWiEgg, "thrWiEgg", kTemperature);          // 44
  r.Num(in.thrI, "thrI", kAnyNumber);                    // 45
  r.Num(in.thrA, "thrA", kTemperature);                  // 46
  r.NumRngchk(in.kWiEgg, "kWiEgg", 1, kMaxClasses);      // 47
  r.NumRngchk(in.MiteKimm, "MiteKimm", 1, kMaxClasses);  // 48
  r.NumRngchk(in.kAdl, "kAdl", 1, kMaxClasses);          // 49
  r.Num(in.delWiEgg, "delWiEgg", kDelay);                // 50
  r.Num(in.delEggMite, "delEggMite", kDelay);            // 51
  r.Num(in.delJuvMite, "delJuvMite", kDelay);            // 52
  r.Num(in.delAdlMite, "delAdlMite", kDelay);            // 53
  // 54: the pre-oviposition period is the first part of the adult delay.
  if (r.Num(in.delPreovMite, "delPreovMite", kAmount)) {
    r.Check(in.delPreovMite, "delPreovMite", AtMost(in.delAdlMite, "delAdlMite"));
  }
  r.Num(in.winterEggs, "winterEggs", kAmount);  // 55
  r.Num(in.beta, "beta", kUnassimilated);       // 56
  r.Num(in.MiteSexr, "MiteSexr", kShare);       // 57
  r.readaster();                                // 58
}

// Lines 59-63: the mite predators.
void ReadMitePredators(SetupReader& r, Inputs& in) {
  in.PredIn = r.Switch("PredIn");                                       // 59
  r.Num(in.MiteWgtPredStart, "MiteWgtPredStart", kAnyNumber);           // 60
  r.Num(in.PredImmigProb, "PredImmigProb", kAnyNumber);                 // 61
  Immigrants(r, in.Predins, "Predins", in.PredinsPcnt, "PredinsPcnt");  // 62
  r.readaster();                                                        // 63
}

// Line 65: the sharpshooter's start date as day, month and year. Its day and month land in the
// current-date fields, which the driver overwrites on the first day.
void ReadSharpshooterStart(SetupReader& r, ErrorSink& log, Inputs& in, DriverState& drv) {
  r.Read(in.GWssStartDy);
  const bool month = r.Take(in.GWssStartMo, "mo", kMonth);
  const bool year = r.Take(in.GWssStartYr, "yr", kYear);
  r.EndLine();
  if (!r.ok()) return;
  drv.dy = in.GWssStartDy;
  drv.mo = in.GWssStartMo;
  const int32_t length = month && year ? MonthLength(in.GWssStartMo, in.GWssStartYr) : 31;
  const bool day = r.Check(in.GWssStartDy, "dy", Between(1, length));
  if (month && year && day) {
    in.GWssStartDay = Julian(log, in.GWssStartMo, in.GWssStartDy, in.GWssStartYr);
  }
}

// Lines 64-69: the sharpshooter.
void ReadSharpshooter(SetupReader& r, ErrorSink& log, Inputs& in, DriverState& drv) {
  in.GWss = r.Switch("GWss");              // 64
  ReadSharpshooterStart(r, log, in, drv);  // 65
  r.Take(in.GWwgt[1], "GWwgt[1]", kAmount);
  r.Take(in.GWwgt[2], "GWwgt[2]", kAmount);
  r.Num(in.GWwgt[3], "GWwgt[3]", kAmount);  // 66
  r.Take(in.GWNum[1], "GWNum[1]", kAmount);
  r.Take(in.GWNum[2], "GWNum[2]", kAmount);
  r.Num(in.GWNum[3], "GWNum[3]", kAmount);  // 67
  r.Num(in.GWssImrt, "GWssImrt", kAmount);  // 68
  r.readaster();                            // 69
}

// Lines 70-82: the olive scale and its parasitoids; a parasitoid is on only together with its
// host.
void ReadOliveScale(SetupReader& r, Inputs& in) {
  in.OliveScale = r.Switch("OliveScale");                                 // 70
  r.Num(in.OliveScaleNm1, "OliveScaleNm1", kAnyNumber);                   // 71
  r.Num(in.OliveScaleImmigProb, "OliveScaleImmigProb", kShare);           // 72
  Immigrants(r, in.OliveScaleIns, "OliveScaleIns", in.OliveScaleInspcnt,  // 73
             "OliveScaleInspcnt");
  r.Num(in.OliveScalebeta, "OliveScalebeta", kUnassimilated);  // 74
  r.readaster();                                               // 75

  in.AMaculicornis = r.Switch("AMaculicornis") && in.OliveScale;                   // 76
  r.Num(in.AMaculicornisImmigProb, "AMaculicornisImmigProb", kShare);              // 77
  Immigrants(r, in.AMaculicornisIns, "AMaculicornisIns", in.AMaculicornisInspcnt,  // 78
             "AMaculicornisInspcnt");
  in.Cutilis = r.Switch("Cutilis") && in.OliveScale;                                // 79
  r.Num(in.CutilisImmigProb, "CutilisImmigProb", kShare);                           // 80
  Immigrants(r, in.CutilisIns, "CutilisIns", in.CutilisInspcnt, "CutilisInspcnt");  // 81
  r.readaster();                                                                    // 82
}

// Lines 83-95: the oleander scale and its parasitoids.
void ReadOleanderScale(SetupReader& r, Inputs& in) {
  in.OleanderScale = r.Switch("OleanderScale");                                    // 83
  r.Num(in.OleanderScaleNm1, "OleanderScaleNm1", kAnyNumber);                      // 84
  r.Num(in.OleanderScaleImmigProb, "OleanderScaleImmigProb", kShare);              // 85
  Immigrants(r, in.OleanderScaleIns, "OleanderScaleIns", in.OleanderScaleInspcnt,  // 86
             "OleanderScaleInspcnt");
  r.Num(in.OleanderScalebeta, "OleanderScalebeta", kUnassimilated);  // 87
  r.readaster();                                                     // 88

  in.Achilensis = r.Switch("Achilensis") && in.OleanderScale;    // 89
  r.Num(in.AchilensisImmigProb, "AchilensisImmigProb", kShare);  // 90
  Immigrants(r, in.AchilensisIns, "AchilensisIns", in.AchilensisInspcnt,
             "AchilensisInspcnt");                              // 91
  in.ed = r.Switch("ed") && in.OleanderScale;                   // 92
  r.Num(in.edImmigProb, "edImmigProb", kShare);                 // 93
  Immigrants(r, in.edins, "edins", in.edinspcnt, "edinspcnt");  // 94
  r.readaster();                                                // 95
}

// Lines 96-100: the coccinellid, on only together with a scale to eat.
void ReadCoccinellid(SetupReader& r, Inputs& in) {
  in.CoccInRun = r.Switch("CoccInRun") && (in.OliveScale || in.OleanderScale);  // 96
  r.Num(in.CoccPreyLevel, "CoccPreyLevel", kAnyNumber);                         // 97
  r.Num(in.Coccimmigprob, "Coccimmigprob", kAnyNumber);                         // 98
  Immigrants(r, in.Coccins, "Coccins", in.Coccinspcnt, "Coccinspcnt");          // 99
  r.readaster();                                                                // 100
}

// Lines 101-107: the olive fly.
void ReadOliveFly(SetupReader& r, Inputs& in) {
  in.OliveFlyInRun = r.Switch("OliveFlyInRun");                    // 101
  r.Num(in.OliveFlyBase, "OliveFlyBase", kTemperature);            // 102
  r.Num(in.CritDayLenOliveFly, "CritDayLenOliveFly", kAnyNumber);  // 103
  r.Num(in.OliveFlyImmigProb, "OliveFlyImmigProb", kAnyNumber);    // 104
  r.Num(in.OliveFlyDurim, "OliveFlyDurim", kAnyNumber);            // 105
  r.Num(in.OliveFlyBakim, "OliveFlyBakim", kAmount);               // 106
  r.readaster();                                                   // 107
}

// Lines 108-124: the sprays.
void ReadSprays(SetupReader& r, ErrorSink& log, Inputs& in, const DriverState& drv) {
  if (r.NumRngchk(in.SprayMaxMortDefault, "SprayMaxMortDefault", 0, 1)) {  // 108
    WarnStrength(log, r.Where(r.NumberLine()), in.SprayMaxMortDefault, true);
  }
  r.NumRngchk(in.SprayDurationDefault, "SprayDurationDefault", 1, 20);  // 109
  r.Num(in.PredEffectDuration, "PredEffectDuration", kAmount);          // 110
  r.readaster();                                                        // 111
  in.MiteSpr = r.Switch("MiteSpr");                                     // 112
  in.OliveScaleSpr = r.Switch("OliveScaleSpr");                         // 113
  in.OleanderScaleSpr = r.Switch("OleanderScaleSpr");                   // 114
  in.OliveFlySpr = r.Switch("OliveFlySpr");                             // 115
  r.readaster();                                                        // 116
  in.spdates = r.Switch("spdates");                                     // 117
  r.readaster();                                                        // 118
  in.SprayRelBurst = r.Switch("SprayRelBurst");                         // 119
  r.Num(in.SprayDDRelBurst, "SprayDDRelBurst", kAmount);                // 120
  r.Num(in.SprayInterval, "SprayInterval", kAnyNumber);                 // 121
  in.simspraysin = in.MiteSpr || in.OliveScaleSpr || in.OleanderScaleSpr || in.OliveFlySpr ||
                   in.spdates || in.SprayRelBurst;
  r.Num(in.DaysToSprayStopDate, "DaysToSprayStopDate", kAnyNumber);  // 122
  r.Num(in.maxspr, "maxspr", kAnyNumber);                            // 123
  in.StopSprayDate = drv.modelStartDate + static_cast<float>(in.DaysToSprayStopDate);
  r.readaster();  // 124
}

// One entry of the spray schedule after its month m: day, year, strength, decay days and cost,
// stored as row i when the file goes on after it. False when the reading has failed.
bool ReadSprayEntry(SetupReader& r, ErrorSink& log, Inputs& in, int32_t m, int32_t& i) {
  const int32_t entryLine = r.NumberLine();
  int32_t day = 0, year = 0;
  float strength = 0, decay = 0, cost = 0;
  r.Read(day);
  r.Read(year);
  const bool strengthOk = r.Take(strength, "strength", kShare);
  const bool decayOk = r.Take(decay, "decay-days", kSprayDecay);
  r.Num(cost, "cost", kAnyNumber);
  if (!r.ok()) return false;
  if (!r.in().AtEnd()) {
    in.sprayspecs[i] = {0.0f, static_cast<float>(Julian(log, m, day, year)), strength, decay, cost};
    if (strengthOk) WarnStrength(log, r.Where(entryLine), strength, false);
    if (decayOk) WarnDecay(log, r.Where(entryLine), decay);
    ++in.numspr;
    ++i;
  }
  return true;
}

// The spray schedule after line 124: a heading line, then entries until a month of 0, the end of
// the file, or 29 stored rows. An entry is stored only when the file goes on after it.
void GetSprayDates(SetupReader& r, ErrorSink& log, Inputs& in) {
  for (auto& row : in.sprayspecs) row.fill(0.0f);
  in.numspr = 0;
  int32_t i = 1;
  TextScanner& text = r.in();
  text.SkipLine();  // heading
  int32_t m = 0;
  do {
    if (text.AtEnd()) break;  // no (more) entries
    r.Read(m);
    if (!r.ok()) return;
    if (m < 0) {
      ReportError(log, r.Where(r.NumberLine()) + "month " + std::to_string(m) +
                           " in the spray schedule is taken as its end.");
      break;
    }
    if (m > 0 && !ReadSprayEntry(r, log, in, m, i)) return;
  } while (!text.AtEnd() && i <= kSprayRowsRead && m != 0);
}

// Reports message, clears RunOk and returns false.
bool Fail(ErrorSink& log, const std::string& message) {
  ReportError(log, message);
  log.RunOk = false;
  return false;
}

// An input file that cannot be opened: the reader's own message when it is absent, else why
// ("not a regular file").
bool FailToOpen(ErrorSink& log, const InputFiles& files, const std::string& name,
                std::string_view kind, const std::string& absent) {
  const std::string problem = files.Problem(name);
  if (problem.empty()) return Fail(log, absent);
  return Fail(log, std::string(kind) + " \"" + name + "\" cannot be read: " + problem + ".");
}

// The setup file and the dates of the command line (steps 1 and 2). False after the first
// failing parameter, which is reported.
bool ReadSetupAndDates(ErrorSink& log, std::span<const std::string> args, const InputFiles& files,
                       Inputs& in) {
  auto arg = [&args](size_t k) { return k < args.size() ? args[k] : std::string(); };
  auto fail = [&log](const std::string& message) { return Fail(log, message); };

  // 1. The setup file.
  in.SetupFileName = arg(0);
  if (!files.CanOpen(in.SetupFileName)) {
    return FailToOpen(log, files, in.SetupFileName, "Setup file",
                      "setup file " + in.SetupFileName + " not found.");
  }

  // 2. The dates and the GIS output interval. Beyond the integer test, months must lie in 1..12,
  // days in their month and years in 0..10000 (Julian's range), and the interval must be a day
  // or more.
  auto isMonth = [](int32_t m) { return m >= 1 && m <= 12; };
  auto isYear = [](int32_t y) { return y >= 0 && y <= 10000; };
  if (!ParseInt32(arg(1), in.month1) || !isMonth(in.month1)) return fail("Error in date month1 ");
  if (!ParseInt32(arg(2), in.day1)) return fail("Error in date day1 ");
  if (!ParseInt32(arg(3), in.FirstYear) || !isYear(in.FirstYear)) {
    return fail("Error in date FirstYear ");
  }
  if (in.day1 < 1 || in.day1 > MonthLength(in.month1, in.FirstYear)) {
    return fail("Error in date day1 ");
  }
  if (!ParseInt32(arg(4), in.month2) || !isMonth(in.month2)) return fail("Error in date month2 ");
  if (!ParseInt32(arg(5), in.day2)) return fail("Error in date day2 ");
  if (!ParseInt32(arg(6), in.LastYear) || !isYear(in.LastYear)) {
    return fail("Error in date LastYear ");
  }
  if (in.day2 < 1 || in.day2 > MonthLength(in.month2, in.LastYear)) {
    return fail("Error in date day2 ");
  }
  if (!ParseInt32(arg(7), in.GisOutputInterval) || in.GisOutputInterval < 1) {
    return fail("Error in GIS output interval ");
  }
  return true;
}

// The weather file of the command line (step 3); it is read at the start of each pass. Its name
// goes into the TAB-separated GIS and summary rows, one row a line.
bool ReadWeatherName(ErrorSink& log, std::span<const std::string> args, const InputFiles& files,
                     Inputs& in) {
  in.WxFilename = args.size() > 8 ? args[8] : std::string();
  if (HasControlSeparator(in.WxFilename)) {
    return Fail(log, "Weather file name \"" + ShownName(in.WxFilename) +
                         "\" holds a TAB or a line end, which the TAB-separated GIS and summary "
                         "rows cannot hold.");
  }
  if (!files.CanOpen(in.WxFilename)) {
    return FailToOpen(log, files, in.WxFilename, "Weather file",
                      "Initialize Brask. Wx file not found: \"" + in.WxFilename + "\"");
  }
  in.wxstation = WxStationName(in.WxFilename);
  return true;
}

// The run's dates (step 4).
void DeriveDates(ErrorSink& log, const Inputs& in, DriverState& drv) {
  drv.jdayStart = Julian(log, in.month1, in.day1, in.FirstYear);
  drv.modelStartDate = rdate(in.FirstYear, drv.jdayStart);
  drv.jdayEnd = Julian(log, in.month2, in.day2, in.LastYear);
  drv.ModelEndDate = rdate(in.LastYear, drv.jdayEnd);
}

// Steps 5-9: the run's length, then the setup file and its spray schedule.
void ReadSetupFile(ErrorSink& log, const InputFiles& files, Inputs& in, DriverState& drv,
                   Rng& rng) {
  // 5. Open the setup file from its start.
  std::optional<std::string> setup = files.Read(in.SetupFileName);
  if (!setup) {
    FailToOpen(log, files, in.SetupFileName, "Setup file",
               "Setup file not found: \"" + in.SetupFileName + "\"");
    return;
  }

  // 6. The run's first year and length. The running day number is 16 bits wide and the weather
  // series hold 73050 days: a run must end on or after its start and last at most 65535 days.
  drv.modelyear = in.FirstYear;
  const double span = std::nearbyint(static_cast<double>(drv.ModelEndDate) - drv.modelStartDate);
  if (span < 0) {
    Fail(log, "Model end date precedes model start date.");
    return;
  }
  if (span + 1 > kMaxRunDays) {
    Fail(log, "Model run of " + std::to_string(static_cast<int64_t>(span) + 1) +
                  " days is longer than the 65535 days one run can simulate.");
    return;
  }
  drv.ndays = static_cast<uint16_t>(span + 1);

  // 7.-9. The setup file and its spray schedule; an editor's byte-order mark is no part of it.
  ReadSetup(log, SkipByteOrderMark(std::string_view(*setup)), in, drv, rng);
}

}  // namespace

std::optional<std::string> DiskFiles::Read(const std::string& name) const {
  if (name.empty()) return std::nullopt;
  std::string text;
  if (ReadWholeFile(name, text) != FileReadStatus::Ok) return std::nullopt;
  return text;
}

bool DiskFiles::CanOpen(const std::string& name) const {
  if (name.empty()) return false;
  // With a limit of 0 bytes the reader opens the file and checks that it is a regular file, and
  // stops at its size check without reading it.
  std::string nothing;
  const FileReadStatus status = ReadWholeFile(name, nothing, 0);
  return status == FileReadStatus::Ok || status == FileReadStatus::TooLarge;
}

std::string DiskFiles::Problem(const std::string& name) const {
  if (name.empty()) return std::string();
  std::string text;
  return FileReadProblem(ReadWholeFile(name, text));
}

std::string WxStationName(std::string_view WxFilename) {
  const size_t slash = WxFilename.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? WxFilename : WxFilename.substr(slash + 1));
}

void ReadInputs(ErrorSink& log, std::span<const std::string> args, const InputFiles& files,
                Inputs& in, DriverState& drv, Rng& rng) {
  if (!ReadSetupAndDates(log, args, files, in)) return;
  if (!ReadWeatherName(log, args, files, in)) return;
  DeriveDates(log, in, drv);
  ReadSetupFile(log, files, in, drv, rng);
}

void ReadSetupInputs(ErrorSink& log, std::span<const std::string> params, const InputFiles& files,
                     Inputs& in, DriverState& drv, Rng& rng) {
  if (!ReadSetupAndDates(log, params, files, in)) return;
  DeriveDates(log, in, drv);
  ReadSetupFile(log, files, in, drv, rng);
}

void ReadSetup(ErrorSink& log, std::string_view text, Inputs& in, DriverState& drv, Rng& rng) {
  SetupReader r(log, text, in.SetupFileName);
  ReadWeatherAdjustments(r, in);      // 1-5
  ReadTreeDelays(r, in);              // 6-14
  ReadTree(r, in);                    // 15-30
  ReadOptions(r, in, rng);            // 31-37
  ReadSoil(r, in);                    // 38-42
  ReadMites(r, in);                   // 43-58
  ReadMitePredators(r, in);           // 59-63
  ReadSharpshooter(r, log, in, drv);  // 64-69
  ReadOliveScale(r, in);              // 70-82
  ReadOleanderScale(r, in);           // 83-95
  ReadCoccinellid(r, in);             // 96-100
  ReadOliveFly(r, in);                // 101-107
  ReadSprays(r, log, in, drv);        // 108-124
  if (r.ok() && in.spdates) GetSprayDates(r, log, in);
}

}  // namespace olive
