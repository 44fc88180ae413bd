#include "driver/read_inputs.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

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

// Shortest text that reads back as the same float, for messages.
std::string NumberText(float v) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

// Reads the setup file line by line. After text that is not a number where a number line needs
// one, the reader reports once and ignores every later read: the run cannot go on.
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
  // A number line: its numbers, then the rest of the line is skipped.
  template <class... T>
  void Num(T&... v) {
    (Read(v), ...);
    if (!failed_) in_.SkipLine();
  }
  // A switch line: true when the first character is "T" or "t".
  bool Switch() {
    if (failed_) return false;
    const char c = in_.Peek();
    in_.SkipLine();
    return c == 'T' || c == 't';
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
  // The range check of a value just read (skipped once the reading has failed).
  void Check(float v, float lo, float hi) {
    if (!failed_) GISrngchk(log_, v, lo, hi);
  }

  // "Setup file "NAME" line N: "
  std::string Where(int32_t line) const {
    return "Setup file \"" + std::string(name_) + "\" line " + std::to_string(line) + ": ";
  }

 private:
  ErrorSink& log_;
  TextScanner in_;
  std::string_view name_;
  bool failed_ = false;
  int32_t numberLine_ = 0;
};

// Warnings of sprays that the spray model cannot give an effect: a strength of 0 or below, or a
// decay of less than one day. The run goes on.
void WarnStrength(ErrorSink& log, const std::string& where, float strength, bool isDefault) {
  if (strength > 0.0f) return;
  ReportError(log, where + (isDefault ? "a default spray strength of " : "a spray strength of ") +
                       NumberText(strength) +
                       (isDefault ? " gives sprays no effect." : " gives this spray no effect."));
}
void WarnDecay(ErrorSink& log, const std::string& where, float decay, bool isDefault) {
  if (decay >= 1.0f) return;
  ReportError(
      log, where + (isDefault ? "a default spray decay of " : "a spray decay of ") +
               NumberText(decay) +
               (isDefault ? " days gives sprays no effect." : " days gives this spray no effect."));
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
    const int32_t entryLine = r.NumberLine();
    if (m < 0) {
      ReportError(log, r.Where(entryLine) + "month " + std::to_string(m) +
                           " in the spray schedule is taken as its end.");
      break;
    }
    if (m > 0) {
      int32_t day = 0, year = 0;
      float strength = 0, decay = 0, cost = 0;
      r.Num(day, year, strength, decay, cost);
      if (!r.ok()) return;
      if (!text.AtEnd()) {
        in.sprayspecs[i] = {0.0f, static_cast<float>(Julian(log, m, day, year)), strength, decay,
                            cost};
        WarnStrength(log, r.Where(entryLine), strength, false);
        WarnDecay(log, r.Where(entryLine), decay, false);
        ++in.numspr;
        ++i;
      }
    }
  } while (!text.AtEnd() && i <= kSprayRowsRead && m != 0);
}

// The command line (steps 1-4). False after the first failing parameter, which is reported.
bool ReadCommandLine(ErrorSink& log, std::span<const std::string> args, const InputFiles& files,
                     Inputs& in, DriverState& drv) {
  auto arg = [&args](size_t k) { return k < args.size() ? args[k] : std::string(); };
  auto fail = [&log](const std::string& message) {
    ReportError(log, message);
    log.RunOk = false;
    return false;
  };

  // 1. The setup file.
  in.SetupFileName = arg(0);
  if (!files.CanOpen(in.SetupFileName)) {
    return fail("setup file " + in.SetupFileName + " not found.");
  }

  // 2. The dates and the GIS output interval. Beyond the integer test, months must lie in 1..12,
  // days in their month and years in 0..10000 (Julian's range), and the interval must be a day
  // or more.
  auto isMonth = [](int32_t m) { return m >= 1 && m <= 12; };
  auto isYear = [](int32_t y) { return y >= 0 && y <= 10000; };
  if (!ParseInt32(arg(1), in.month1) || !isMonth(in.month1)) {
    return fail("Error in date month1 ");
  }
  if (!ParseInt32(arg(2), in.day1)) return fail("Error in date day1 ");
  if (!ParseInt32(arg(3), in.FirstYear) || !isYear(in.FirstYear)) {
    return fail("Error in date FirstYear ");
  }
  if (in.day1 < 1 || in.day1 > MonthLength(in.month1, in.FirstYear)) {
    return fail("Error in date day1 ");
  }
  if (!ParseInt32(arg(4), in.month2) || !isMonth(in.month2)) {
    return fail("Error in date month2 ");
  }
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

  // 3. The weather file; it is read at the start of each pass.
  in.WxFilename = arg(8);
  if (!files.CanOpen(in.WxFilename)) {
    return fail("Initialize Brask. Wx file not found: \"" + in.WxFilename + "\"");
  }

  // 4. Derived names and dates.
  in.wxstation = WxStationName(in.WxFilename);
  drv.jdayStart = Julian(log, in.month1, in.day1, in.FirstYear);
  drv.modelStartDate = rdate(in.FirstYear, drv.jdayStart);
  drv.jdayEnd = Julian(log, in.month2, in.day2, in.LastYear);
  drv.ModelEndDate = rdate(in.LastYear, drv.jdayEnd);
  return true;
}

}  // namespace

std::optional<std::string> DiskFiles::Read(const std::string& name) const {
  if (!CanOpen(name)) return std::nullopt;
  std::ifstream file(name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  if (!file.is_open() || file.bad()) return std::nullopt;
  return text.str();
}

bool DiskFiles::CanOpen(const std::string& name) const {
  if (name.empty()) return false;
  std::error_code ec;
  if (std::filesystem::is_directory(name, ec)) return false;
  std::ifstream file(name, std::ios::binary);
  return file.is_open();
}

std::string WxStationName(std::string_view WxFilename) {
  const size_t slash = WxFilename.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? WxFilename : WxFilename.substr(slash + 1));
}

void ReadInputs(ErrorSink& log, std::span<const std::string> args, const InputFiles& files,
                Inputs& in, DriverState& drv, Rng& rng) {
  if (!ReadCommandLine(log, args, files, in, drv)) return;

  // 5. Open the setup file from its start.
  const std::optional<std::string> setup = files.Read(in.SetupFileName);
  if (!setup) {
    ReportError(log, "Setup file not found: \"" + in.SetupFileName + "\"");
    log.RunOk = false;
    return;
  }

  // 6. The run's first year and length. The running day number is 16 bits wide and the weather
  // series hold 73050 days: a run must end on or after its start and last at most 65535 days.
  drv.modelyear = in.FirstYear;
  const double span = std::nearbyint(static_cast<double>(drv.ModelEndDate) - drv.modelStartDate);
  if (span < 0) {
    ReportError(log, "Model end date precedes model start date.");
    log.RunOk = false;
    return;
  }
  if (span + 1 > kMaxRunDays) {
    ReportError(log, "Model run of " + std::to_string(static_cast<int64_t>(span) + 1) +
                         " days is longer than the 65535 days one run can simulate.");
    log.RunOk = false;
    return;
  }
  drv.ndays = static_cast<uint16_t>(span + 1);

  // 7.-9. The setup file and its spray schedule.
  ReadSetup(log, *setup, in, drv, rng);
}

void ReadSetup(ErrorSink& log, std::string_view text, Inputs& in, DriverState& drv, Rng& rng) {
  SetupReader r(log, text, in.SetupFileName);

  // Weather adjustments and the olive tree.
  for (int k = 1; k <= 5; ++k) r.Num(in.wxcons[k]);  // 1-5
  r.Num(in.OliveBase);                               // 6
  r.Num(in.delfol);                                  // 7
  r.Num(in.delshootLive);                            // 8
  r.Num(in.delShootWood);                            // 9
  r.Num(in.delRootLive);                             // 10
  r.Num(in.delRootWood);                             // 11
  r.Num(in.delframeLive);                            // 12
  r.Num(in.delframeWood);                            // 13
  r.Num(in.delfru);                                  // 14
  r.Num(in.m2PerPlant);                              // 15
  r.Num(in.ShootWood);                               // 16
  r.Num(in.shootnr);                                 // 17
  r.Num(in.roots);                                   // 18
  r.Num(in.TotalFrame);                              // 19
  r.Num(in.burstpnt);                                // 20
  r.Num(in.bloomdel);                                // 21
  r.Num(in.RapidFruGrow);                            // 22
  r.Num(in.Veraison);                                // 23
  r.Num(in.folrate);                                 // 24
  r.Num(in.rootmax);                                 // 25
  r.Num(in.PruneNumber);                             // 26
  r.Num(in.Prune1DD);                                // 27
  r.Num(in.Prune2DD);                                // 28
  in.HarvestOption = r.Switch();                     // 29
  r.Num(in.HarvEfficiency);                          // 30
  in.nitro = r.Switch();                             // 31
  in.outscreen = r.Switch();                         // 32
  in.Daily = r.Switch();                             // 33
  in.Summary = r.Switch();                           // 34
  r.Num(in.GisOutputTarget);                         // 35
  if (r.ok() && in.GisOutputTarget != 1 && in.GisOutputTarget != 2) {
    ReportError(log, r.Where(r.NumberLine()) + "GisOutputTarget must be 1 or 2, found " +
                         std::to_string(in.GisOutputTarget) + ".");
    log.RunOk = false;
  }
  r.Num(in.RandSeed);  // 36
  if (r.ok()) rng.s = in.RandSeed == 0 ? ClockSeed() : static_cast<uint32_t>(in.RandSeed);
  r.readaster();  // 37

  // Soil.
  in.UseDefaultConditions = r.Switch();  // 38
  r.Num(in.pwpin);                       // 39
  r.Num(in.SoilwIn);                     // 40
  r.Num(in.SoilwMaxIn);                  // 41
  r.readaster();                         // 42

  // Spider mites. The substage counts size age-class vectors of 100 entries.
  in.mite = r.Switch();  // 43
  r.Num(in.thrWiEgg);    // 44
  r.Num(in.thrI);        // 45
  r.Num(in.thrA);        // 46
  r.Num(in.kWiEgg);      // 47
  r.Check(static_cast<float>(in.kWiEgg), 1, kMaxClasses);
  r.Num(in.MiteKimm);  // 48
  r.Check(static_cast<float>(in.MiteKimm), 1, kMaxClasses);
  r.Num(in.kAdl);  // 49
  r.Check(static_cast<float>(in.kAdl), 1, kMaxClasses);
  r.Num(in.delWiEgg);      // 50
  r.Num(in.delEggMite);    // 51
  r.Num(in.delJuvMite);    // 52
  r.Num(in.delAdlMite);    // 53
  r.Num(in.delPreovMite);  // 54
  r.Num(in.winterEggs);    // 55
  r.Num(in.beta);          // 56
  r.Num(in.MiteSexr);      // 57
  r.readaster();           // 58

  // Mite predators.
  in.PredIn = r.Switch();             // 59
  r.Num(in.MiteWgtPredStart);         // 60
  r.Num(in.PredImmigProb);            // 61
  r.Num(in.Predins, in.PredinsPcnt);  // 62
  r.readaster();                      // 63

  // Sharpshooter. The start date's day and month land in the current-date fields, which the
  // driver overwrites on the first day.
  in.GWss = r.Switch();                                   // 64
  r.Num(in.GWssStartDy, in.GWssStartMo, in.GWssStartYr);  // 65
  if (r.ok()) {
    drv.dy = in.GWssStartDy;
    drv.mo = in.GWssStartMo;
    in.GWssStartDay = Julian(log, in.GWssStartMo, in.GWssStartDy, in.GWssStartYr);
  }
  r.Num(in.GWwgt[1], in.GWwgt[2], in.GWwgt[3]);  // 66
  r.Num(in.GWNum[1], in.GWNum[2], in.GWNum[3]);  // 67
  r.Num(in.GWssImrt);                            // 68
  r.readaster();                                 // 69

  // Olive scale.
  in.OliveScale = r.Switch();                     // 70
  r.Num(in.OliveScaleNm1);                        // 71
  r.Num(in.OliveScaleImmigProb);                  // 72
  r.Num(in.OliveScaleIns, in.OliveScaleInspcnt);  // 73
  r.Num(in.OliveScalebeta);                       // 74
  r.readaster();                                  // 75

  // Olive-scale parasitoids: on only together with their host.
  in.AMaculicornis = r.Switch() && in.OliveScale;       // 76
  r.Num(in.AMaculicornisImmigProb);                     // 77
  r.Num(in.AMaculicornisIns, in.AMaculicornisInspcnt);  // 78
  in.Cutilis = r.Switch() && in.OliveScale;             // 79
  r.Num(in.CutilisImmigProb);                           // 80
  r.Num(in.CutilisIns, in.CutilisInspcnt);              // 81
  r.readaster();                                        // 82

  // Oleander scale.
  in.OleanderScale = r.Switch();                        // 83
  r.Num(in.OleanderScaleNm1);                           // 84
  r.Num(in.OleanderScaleImmigProb);                     // 85
  r.Num(in.OleanderScaleIns, in.OleanderScaleInspcnt);  // 86
  r.Num(in.OleanderScalebeta);                          // 87
  r.readaster();                                        // 88

  // Oleander-scale parasitoids: on only together with their host.
  in.Achilensis = r.Switch() && in.OleanderScale;  // 89
  r.Num(in.AchilensisImmigProb);                   // 90
  r.Num(in.AchilensisIns, in.AchilensisInspcnt);   // 91
  in.ed = r.Switch() && in.OleanderScale;          // 92
  r.Num(in.edImmigProb);                           // 93
  r.Num(in.edins, in.edinspcnt);                   // 94
  r.readaster();                                   // 95

  // Coccinellid: on only together with a scale to eat.
  in.CoccInRun = r.Switch() && (in.OliveScale || in.OleanderScale);  // 96
  r.Num(in.CoccPreyLevel);                                           // 97
  r.Num(in.Coccimmigprob);                                           // 98
  r.Num(in.Coccins, in.Coccinspcnt);                                 // 99
  r.readaster();                                                     // 100

  // Olive fly.
  in.OliveFlyInRun = r.Switch();  // 101
  r.Num(in.OliveFlyBase);         // 102
  r.Num(in.CritDayLenOliveFly);   // 103
  r.Num(in.OliveFlyImmigProb);    // 104
  r.Num(in.OliveFlyDurim);        // 105
  r.Num(in.OliveFlyBakim);        // 106
  r.readaster();                  // 107

  // Sprays.
  r.Num(in.SprayMaxMortDefault);  // 108
  r.Check(in.SprayMaxMortDefault, 0, 1);
  if (r.ok()) WarnStrength(log, r.Where(r.NumberLine()), in.SprayMaxMortDefault, true);
  r.Num(in.SprayDurationDefault);  // 109
  r.Check(static_cast<float>(in.SprayDurationDefault), 1, 20);
  if (r.ok()) {
    WarnDecay(log, r.Where(r.NumberLine()), static_cast<float>(in.SprayDurationDefault), true);
  }
  r.Num(in.PredEffectDuration);      // 110
  r.readaster();                     // 111
  in.MiteSpr = r.Switch();           // 112
  in.OliveScaleSpr = r.Switch();     // 113
  in.OleanderScaleSpr = r.Switch();  // 114
  in.OliveFlySpr = r.Switch();       // 115
  r.readaster();                     // 116
  in.spdates = r.Switch();           // 117
  r.readaster();                     // 118
  in.SprayRelBurst = r.Switch();     // 119
  r.Num(in.SprayDDRelBurst);         // 120
  r.Num(in.SprayInterval);           // 121
  in.simspraysin = in.MiteSpr || in.OliveScaleSpr || in.OleanderScaleSpr || in.OliveFlySpr ||
                   in.spdates || in.SprayRelBurst;
  r.Num(in.DaysToSprayStopDate);  // 122
  r.Num(in.maxspr);               // 123
  in.StopSprayDate = drv.modelStartDate + static_cast<float>(in.DaysToSprayStopDate);
  r.readaster();  // 124

  if (r.ok() && in.spdates) GetSprayDates(r, log, in);
}

}  // namespace olive
