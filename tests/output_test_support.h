#pragma once
// Shared by the GIS and summary tests: a temporary working directory, an error log kept in memory,
// a fixed clock, a station with its state set by hand, and a small stand-in for the driver's GIS
// output dates.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "output/direct_shared_files.h"
#include "output/gis_output.h"
#include "output/summary.h"
#include "output/writer_context.h"
#include "recording_sink.h"
#include "state/run_files.h"
#include "state/simulation.h"
#include "toolkit/modutils.h"

namespace olive::testing {

// A fresh directory under the system's temporary directory, removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("olive_out_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The whole content of a file ("" when it does not exist).
inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// The lines of a file, split at CR LF.
inline std::vector<std::string> ReadLines(const std::filesystem::path& p) {
  const std::string text = ReadFile(p);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The TAB-separated fields of a line.
inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    out.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return out;
}

// The field under a header name.
inline std::string FieldOf(const std::string& header, const std::string& row,
                           const std::string& name) {
  const auto names = Fields(header);
  const auto values = Fields(row);
  for (size_t i = 0; i < names.size() && i < values.size(); ++i) {
    if (names[i] == name) return values[i];
  }
  ADD_FAILURE() << "no column " << name;
  return {};
}

// 7 December 2026, 23:49:50 local time.
inline ClockReading FixedClock() {
  return {2026, 12, 7, 23, 49, 50};
}

// A station of the example region, with the dates of its first day.
inline void SetStation(Simulation& sim, std::string wxFile, float longitude, float latitude) {
  sim.in.WxFilename = std::move(wxFile);
  sim.wx.Longitude = longitude;
  sim.wx.LatitudeDegrees = latitude;
  sim.in.wxcons[1] = 0.5f;
  sim.in.FirstYear = 2001;
  sim.drv.jdayStart = 1;
}

// The GIS output dates of one pass, as the day loop writes them: on each due day the GIS row, the
// summary row (when summary), then the harvest flag and the period sums are cleared; after the
// last day the end-of-run row (scheme 1). eachDay sets the day's state before the output step.
// Returns false as soon as a writer fails.
inline bool RunOutputPass(Simulation& sim, const WriterContext& ctx, uint16_t ndays, bool summary,
                          const std::function<void(Simulation&)>& eachDay = {}) {
  DriverState& drv = sim.drv;
  drv.ndays = ndays;
  drv.jday = drv.jdayStart;
  drv.modelyear = sim.in.FirstYear;
  drv.PrecipYearSum = 0;
  sim.gis = GisState{};
  static DirectSharedFiles direct;  // stateless: the files themselves
  if (sim.files.shared == nullptr) sim.files.shared = &direct;
  bool ok = true;
  for (uint16_t iday = 1; iday <= ndays; ++iday) {
    drv.modelday = iday;
    bool calOk = true;
    Caland(drv.modelyear, drv.jday, drv.mo, drv.dy, calOk);
    drv.PrecipYearSum += 1.25f;
    if (eachDay) eachDay(sim);
    const int32_t interval = sim.in.GisOutputInterval;
    const bool due = interval == 365 ? drv.jday == 365 : iday % interval == 0;
    if (due) {
      drv.DoEndFile = false;
      ok = WriteGisRow(sim, ctx, "Olive") && ok;
      if (summary) ok = WriteSummary(sim, ctx) && ok;
      drv.UseHarvestValues = false;
      drv.PrecipYearSum = 0;
      ResetMiteSums(sim.mites);
      ResetPredSums(sim.preds);
      OliveFlyResetSums(sim.fly);
    }
    drv.jday += 1;
    if (drv.jday > (drv.modelyear % 4 == 0 ? 366 : 365)) {
      drv.jday = 1;
      drv.modelyear += 1;
    }
  }
  if (sim.in.GisOutputTarget == 1) {
    drv.DoEndFile = true;
    ok = WriteGisRow(sim, ctx, "Olive") && ok;
  }
  return ok;
}

// Mite values of the day, of the period sums and of the harvest snapshot, all different.
inline void SetMites(Simulation& sim, double juveniles) {
  MiteState& m = sim.mites;
  m.winterEggs = 1.005;
  m.MiteEggs = 2;
  m.juveniles = juveniles;
  m.MiteAdults = 4;
  m.mobiles = 5;
  sim.preds.PredN[1] = 0.1234;
  sim.preds.PredReport = 6;
  m.WinterEggsSum += 2;
  m.MiteEggsSum += 3;
  m.JuvenilesSum += 4;
  m.MiteAdultsSum += 5;
  m.MobilesSum += 6;
  sim.preds.Predn1Sum += 0.001;
  sim.preds.PredreportSum += 7;
}

}  // namespace olive::testing
