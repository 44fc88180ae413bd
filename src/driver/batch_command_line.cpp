// olive-batch's command line, its daily-file names, its progress bar and its summary line.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "driver/batch.h"
#include "driver/batch_engine.h"
#include "driver/setup_ranges.h"
#include "io/file_contents.h"

namespace olive {
namespace {

// The most stations run at once.
constexpr unsigned kMaxJobs = 1024;

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool ParseJobs(std::string_view text, unsigned& jobs) {
  unsigned v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 1 || v > kMaxJobs) return false;
  jobs = v;
  return true;
}

// "0,1,2.5": the increments in deg C. Each replaces the setup's temperature adjustment, and is
// held to its range.
bool ParseIncrements(std::string_view text, std::vector<float>& out) {
  out.clear();
  for (;;) {
    const std::size_t comma = text.find(',');
    std::string_view item = Trim(text.substr(0, comma));
    if (!item.empty() && item.front() == '+') item.remove_prefix(1);
    float v = 0;
    const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), v);
    if (item.empty() || ec != std::errc() || end != item.data() + item.size()) return false;
    if (!kTemperature.Contains(v)) return false;
    out.push_back(v);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

// A weather file name goes into the TAB-separated GIS and summary rows, one row a line.
bool GoodWeatherName(const std::string& name, std::string& error) {
  if (!HasControlSeparator(name)) return true;
  std::string shown;
  for (const char c : name) {
    if (c == '\t') {
      shown += "\\t";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else {
      shown += c;
    }
  }
  error = "the weather file name \"" + shown + "\" holds a TAB or a line end";
  return false;
}

// The weather file names of a list file, one a line; blank lines are skipped, and so is a
// byte-order mark at its start.
bool ReadList(const std::string& name, std::vector<std::string>& out, std::string& error) {
  std::string text;
  const FileReadStatus status = ReadWholeFile(name, text);
  if (status != FileReadStatus::Ok) {
    const std::string problem = FileReadProblem(status);
    error =
        "cannot read the station list \"" + name + "\"" + (problem.empty() ? "" : ": " + problem);
    return false;
  }
  std::string_view rest = SkipByteOrderMark(std::string_view(text));
  for (int line = 1; !rest.empty(); ++line) {
    const std::size_t end = rest.find('\n');
    const std::string item(Trim(rest.substr(0, end)));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (item.empty()) continue;
    if (!GoodWeatherName(item, error)) {
      error = "station list \"" + name + "\" line " + std::to_string(line) + ": " + error;
      return false;
    }
    out.push_back(item);
  }
  return true;
}

// "K/N": this shard and the number of shards, 1 <= K <= N.
bool ParseShard(std::string_view text, unsigned& shard, unsigned& shards) {
  constexpr unsigned kMaxShards = 1000000;
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  const std::string_view k = text.substr(0, slash), n = text.substr(slash + 1);
  const auto [kEnd, kEc] = std::from_chars(k.data(), k.data() + k.size(), shard);
  const auto [nEnd, nEc] = std::from_chars(n.data(), n.data() + n.size(), shards);
  return kEc == std::errc() && nEc == std::errc() && kEnd == k.data() + k.size() &&
         nEnd == n.data() + n.size() && shard >= 1 && shard <= shards && shards <= kMaxShards;
}

// The options that go together, and those that need one another.
bool ModesFit(const BatchOptions& o, std::string& refusal) {
  std::string error;
  if (o.shards != 0 && o.mpi) error = "--shard and --mpi do not go together";
  if (o.shards != 0 && o.merge) error = "merge takes no --shard: it commits every shard's journals";
  if (o.merge && o.mpi) error = "merge runs without --mpi";
  if ((o.shards != 0 || o.merge) && !o.journalDir) {
    error = std::string(o.merge ? "merge" : "--shard") + " needs --journal-dir DIR";
  }
  if (o.journalDir && o.shards == 0 && !o.merge) error = "--journal-dir goes with --shard or merge";
  if (o.netcdf && (o.mpi || o.shards != 0 || o.merge)) {
    error = std::string("--netcdf runs on one machine: it does not go with ") +
            (o.mpi     ? "--mpi"
             : o.merge ? "merge"
                       : "--shard") +
            " (convert the files with olive-wx netcdf and run the weather files instead)";
  }
  if (!o.netcdf && (!o.prefix.empty() || o.netcdfOut)) {
    error = std::string(o.netcdfOut ? "--netcdf-out" : "--prefix") + " goes with --netcdf";
  }
  if (o.netcdfOut && o.resume) {
    error =
        "--netcdf-out does not go with --resume: the NetCDF output is written by one batch "
        "from its start to its end";
  }
  if (!error.empty()) refusal = error;
  return error.empty();
}

// "m:ss", or "h:mm:ss" from an hour on.
std::string DurationText(double seconds) {
  const auto total = static_cast<int64_t>(std::max(0.0, seconds) + 0.5);
  const int64_t h = total / 3600, m = total / 60 % 60, s = total % 60;
  char text[48];
  if (h > 0) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(h),
                  static_cast<long long>(m), static_cast<long long>(s));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(m),
                  static_cast<long long>(s));
  }
  return text;
}

}  // namespace

bool ParseBatchArgs(std::span<const std::string> args, BatchOptions& options, std::string& error) {
  options = BatchOptions{};
  std::vector<std::string> positional;
  bool optionsEnd = false;
  std::size_t first = 0;
  if (!args.empty() && args[0] == "merge") {
    options.merge = true;
    first = 1;
  }
  for (std::size_t i = first; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnd || a.size() < 2 || a[0] != '-') {
      positional.push_back(a);
      options.definingArgs.push_back(a);
      continue;
    }
    const std::size_t at = i;
    // An option's value: "--name=value", "-jN", or the next argument.
    auto value = [&](std::string_view name, std::string& out) {
      if (a.size() > name.size() && a.compare(0, name.size(), name) == 0) {
        const std::size_t skip = name.size() + (a[name.size()] == '=' ? 1 : 0);
        out = a.substr(skip);
        return true;
      }
      if (i + 1 >= args.size()) {
        error = "option " + std::string(name) + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto is = [&](std::string_view name) {
      return a == name || (a.compare(0, name.size(), name) == 0 && a.size() > name.size() &&
                           (a[name.size()] == '=' || name == "-j"));
    };
    std::string v;
    const bool definesBatch = a == "--" || is("--temp-increments") || is("--daily") ||
                              a == "--netcdf" || is("--prefix") || is("--netcdf-out");
    if (a == "--") {
      optionsEnd = true;
    } else if (a == "-h" || a == "--help") {
      options.help = true;
    } else if (a == "--progress") {
      options.progress = true;
    } else if (a == "--resume") {
      options.resume = true;
    } else if (a == "--mpi") {
      options.mpi = true;
    } else if (a == "--netcdf") {
      options.netcdf = true;
    } else if (is("--prefix")) {
      if (!value("--prefix", v)) return false;
      if (v.empty()) {
        error = "option --prefix needs a name";
        return false;
      }
      options.prefix = v;
    } else if (is("--netcdf-out")) {
      if (!value("--netcdf-out", v)) return false;
      if (v.empty()) {
        error = "option --netcdf-out needs a file name";
        return false;
      }
      options.netcdfOut = v;
    } else if (is("--shard")) {
      if (!value("--shard", v)) return false;
      if (!ParseShard(v, options.shard, options.shards)) {
        error = "--shard must be K/N with whole numbers 1 <= K <= N, not \"" + v + "\"";
        return false;
      }
    } else if (is("--journal-dir")) {
      if (!value("--journal-dir", v)) return false;
      if (v.empty()) {
        error = "option --journal-dir needs a folder";
        return false;
      }
      options.journalDir = v;
    } else if (is("-j") || is("--jobs")) {
      if (!value(a.compare(0, 6, "--jobs") == 0 ? "--jobs" : "-j", v)) return false;
      if (!ParseJobs(v, options.jobs)) {
        error = "the job count must be a whole number from 1 to " + std::to_string(kMaxJobs) +
                ", not \"" + v + "\"";
        return false;
      }
    } else if (is("--temp-increments")) {
      if (!value("--temp-increments", v)) return false;
      if (!ParseIncrements(v, options.TempIncrements)) {
        error = "the temperature increments must be numbers from " +
                NumberText(-kTempAdjustmentLimit) + " to " + NumberText(kTempAdjustmentLimit) +
                " (deg C) separated by commas, not \"" + v + "\"";
        return false;
      }
    } else if (is("--daily")) {
      if (!value("--daily", v)) return false;
      if (v.empty()) {
        error = "option --daily needs a folder";
        return false;
      }
      options.dailyDir = v;
    } else {
      error = "unknown option \"" + a + "\"";
      return false;
    }
    if (definesBatch) {
      options.definingArgs.insert(options.definingArgs.end(), args.begin() + at,
                                  args.begin() + i + 1);
    }
  }
  if (options.help) return true;
  if (!ModesFit(options, error)) return false;
  constexpr std::size_t kParams = 8;
  if (positional.size() <= kParams) {
    error = "expected SETUP, the start and end dates, GIS_INTERVAL and at least one weather file";
    return false;
  }
  options.params.assign(positional.begin(), positional.begin() + kParams);
  // With --netcdf the arguments are NetCDF files; the stations are their cells.
  std::vector<std::string>& names = options.netcdf ? options.netcdfFiles : options.weatherFiles;
  for (std::size_t i = kParams; i < positional.size(); ++i) {
    const std::string& name = positional[i];
    if (name.size() > 1 && name[0] == '@') {
      if (!ReadList(name.substr(1), names, error)) return false;
    } else {
      if (!GoodWeatherName(name, error)) return false;
      names.push_back(name);
    }
  }
  if (names.empty()) {
    error = options.netcdf ? "no NetCDF file to run" : "no weather file to run";
    return false;
  }
  return true;
}

std::string BatchUsage() {
  return "usage: olive-batch [-j N] [--temp-increments T1,T2,...] [--daily DIR] [--progress]\n"
         "                   [--resume] [--mpi | --shard K/N --journal-dir DIR]\n"
         "                   SETUP MONTH1 DAY1 YEAR1 MONTH2 DAY2 YEAR2 GIS_INTERVAL "
         "WEATHER_FILE...\n"
         "       olive-batch merge --journal-dir DIR [--resume] [options] SETUP ... "
         "WEATHER_FILE...\n"
         "       olive-batch --netcdf [--prefix NAME] [--netcdf-out OUT.nc] [options] SETUP ... "
         "FILE.nc...\n"
         "Runs every weather station (a WEATHER_FILE \"@LIST\" names one file a line) as olive\n"
         "would, in parallel, leaving the shared files as one olive run per station in order.\n"
         "  -j N                   stations run at once (default: the hardware threads)\n"
         "  --temp-increments T,.. run every station once per temperature increment (deg C,\n"
         "                         " +
         kTemperature.Text() +
         "), which replaces the setup's temperature adjustment\n"
         "  --daily DIR            write each station's daily file into DIR\n"
         "  --progress             show the progress bar also when stderr is not a terminal\n"
         "  --resume               complete the batch that the folder's ledger\n"
         "                         (olive-batch.ledger) says was stopped\n"
         "  --mpi                  one rank of an MPI job (mpirun -n N olive-batch --mpi ...):\n"
         "                         every rank runs stations, rank 0 commits them\n"
         "  --shard K/N            run the stations K, K+N, K+2N, ... of the list and leave\n"
         "  --journal-dir DIR      their journals in DIR, for \"olive-batch merge\"\n"
         "  --netcdf               the arguments after GIS_INTERVAL are CF NetCDF files (as for\n"
         "                         olive-wx netcdf): run every cell, named as olive-wx names it\n"
         "  --prefix NAME          with --netcdf: cells named NAME_ROW_COLUMN (olive-wx's "
         "--prefix)\n"
         "  --netcdf-out OUT.nc    with --netcdf: the GIS output also as NetCDF on the input's "
         "grid\n"
         "Exit code: 0 every station ran; 1 a station stopped early, or the setup file or the\n"
         "dates are wrong and none ran (see errorlog), or a ledger or journal was refused; 2 the\n"
         "error log could not be written; 3 an output file could not be written; 64 a wrong\n"
         "command line.\n";
}

std::string BatchDailyFileName(const std::string& wxstation, std::optional<float> TempIncr) {
  std::string stem = wxstation;
  const std::size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos && dot > 0) stem.erase(dot);
  if (TempIncr) {
    char text[64];
    std::snprintf(text, sizeof text, "_TempIncr%.3f", static_cast<double>(*TempIncr));
    stem += text;
  }
  return stem + "_OliveDaily.txt";
}

std::string ProgressLine(std::size_t done, std::size_t total, double elapsedSeconds,
                         std::size_t scenarios) {
  constexpr std::size_t kWidth = 24;
  const std::size_t filled = total == 0 ? kWidth : std::min(kWidth, done * kWidth / total);
  std::string line = "olive-batch [";
  line.append(filled, '#');
  line.append(kWidth - filled, '.');
  if (scenarios > 1 && total % scenarios == 0) {
    // The runs go scenario by scenario: the current one's stations, and which one it is.
    const std::size_t per = total / scenarios;
    const std::size_t scenario = std::min(scenarios, done / per + 1);
    line += "] " + std::to_string(done - (scenario - 1) * per) + "/" + std::to_string(per) +
            " stations, scenario " + std::to_string(scenario) + "/" + std::to_string(scenarios) +
            ", ";
  } else {
    line += "] " + std::to_string(done) + "/" + std::to_string(total) + " stations, ";
  }
  line += DurationText(elapsedSeconds) + " elapsed, ";
  if (done == 0) {
    line += "--:-- left";
  } else {
    const double left = elapsedSeconds / static_cast<double>(done) *
                        static_cast<double>(total > done ? total - done : 0);
    line += DurationText(left) + " left";
  }
  return line;
}

std::string SummaryLine(std::string_view who, std::size_t ran, std::size_t failed,
                        std::size_t skipped, double stationYears, double seconds) {
  char rate[96];
  std::snprintf(rate, sizeof rate, "%.1f station-years in %.1f s, %.1f station-years/s",
                stationYears, seconds, seconds > 0 ? stationYears / seconds : 0.0);
  return std::string(who) + ": " + std::to_string(ran) + " stations ran, " +
         std::to_string(failed) + " failed, " + std::to_string(skipped) + " skipped; " + rate;
}

bool AsksForMpi(std::span<const std::string> args) {
  for (const std::string& a : args) {
    if (a == "--") return false;
    if (a == "--mpi") return true;
  }
  return false;
}

namespace batch_engine {

Progress::Progress(ProgressTarget target, std::size_t total, std::size_t scenarios)
    : target_(target), total_(total), scenarios_(scenarios), start_(Clock::now()) {}

void Progress::Show(std::size_t done, bool force) {
  if (!target_.enabled) return;
  const Clock::time_point now = Clock::now();
  if (!force && drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  std::string text(1, '\r');
  text.append(ProgressLine(done, total_, elapsed, scenarios_));
  const std::size_t length = text.size() - 1;
  if (length < length_) text.append(length_ - length, ' ');
  length_ = length;
  std::fwrite(text.data(), 1, text.size(), target_.out);
  std::fflush(target_.out);
  drawn_ = true;
  lastDraw_ = now;
}

void Progress::Clear() {
  if (!target_.enabled || !drawn_) return;
  std::string text(length_ + 2, ' ');
  text.front() = '\r';
  text.back() = '\r';
  std::fwrite(text.data(), 1, text.size(), target_.out);
  std::fflush(target_.out);
  drawn_ = false;
  length_ = 0;
}

void Progress::Finish(std::size_t done) {
  if (!target_.enabled) return;
  Show(done, true);
  std::fputc('\n', target_.out);
  std::fflush(target_.out);
}

}  // namespace batch_engine
}  // namespace olive
