#include "wxsource/netcdf_source.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <set>

#include "wxsource/cf_time.h"
#include "wxsource/netcdf_file.h"
#include "wxsource/station_names.h"
#include "wxsource/wx_calendar.h"
#include "wxsource/wx_report.h"
#include "wxsource/wx_variables.h"

namespace olive {
namespace {

// The longest series read: about 2700 years.
constexpr int64_t kMaxDays = 1'000'000;

// A file's time axis, decoded once.
struct FileTime {
  bool decoded = false;
  bool ok = false;
  int dim = -1;  // the time dimension; -1: the file has none
  int var = -1;  // its coordinate variable
  SourceCalendar calendar = SourceCalendar::Gregorian;
  std::string calendarName;
  std::vector<int64_t> days;  // model day number of each time step
};

// One weather variable in one file.
struct Segment {
  std::size_t file = 0;
  int var = -1;
  std::string name;
  NcFile::Kind kind = NcFile::Kind::Double;
  std::vector<std::size_t> dimLength;
  std::vector<int> dims;
  std::size_t timeAt = 0;              // position of the time dimension among the variable's
  std::array<int, 2> spaceAt{-1, -1};  // positions of the spatial dimensions, -1: none
  int rank = 0;                        // spatial dimensions: 0 a point, 1 stations, 2 a grid
  std::array<std::size_t, 2> shape{1, 1};
  const std::vector<int64_t>* days = nullptr;  // the file's time axis
  UnitConversion unit;
  double scale = 1, offset = 0;  // packing: value = stored * scale + offset
  std::vector<double> fills;     // stored values that mark a missing value
  double validMin = -std::numeric_limits<double>::infinity();
  double validMax = std::numeric_limits<double>::infinity();
};

bool IsLatitude(std::string_view standardName, std::string_view units, std::string_view name) {
  if (standardName == "latitude") return true;
  const std::string u = LowerAscii(units);
  if (u == "degrees_north" || u == "degree_north" || u == "degrees_n" || u == "degree_n" ||
      u == "degreen" || u == "degreesn") {
    return true;
  }
  const std::string n = LowerAscii(name);
  return standardName.empty() && (n == "lat" || n == "latitude" || n == "nav_lat");
}

bool IsLongitude(std::string_view standardName, std::string_view units, std::string_view name) {
  if (standardName == "longitude") return true;
  const std::string u = LowerAscii(units);
  if (u == "degrees_east" || u == "degree_east" || u == "degrees_e" || u == "degree_e" ||
      u == "degreee" || u == "degreese") {
    return true;
  }
  const std::string n = LowerAscii(name);
  return standardName.empty() && (n == "lon" || n == "longitude" || n == "nav_lon");
}

std::string ShapeText(int rank, const std::array<std::size_t, 2>& shape) {
  if (rank == 0) return "a single point";
  if (rank == 1) return std::to_string(shape[0]) + " cells";
  return std::to_string(shape[0]) + " x " + std::to_string(shape[1]);
}

}  // namespace

struct NetcdfSource::Impl {
  NetcdfOptions options;
  std::vector<std::unique_ptr<NcFile>> files;
  std::vector<FileTime> times;
  std::array<std::vector<Segment>, kWxVarCount> vars;
  int rank = 0;
  std::array<std::size_t, 2> shape{1, 1};
  std::vector<float> lon, lat;
  std::vector<std::string> names;
  std::string origin;
  int64_t firstDay = 0;
  std::size_t days = 0;
  std::vector<std::size_t> addedDays;  // days the source's calendar lacks, from firstDay
  std::size_t blockRows = 1, blockCols = 1;
  // A block of cells: rows r0..r0+nr-1, columns c0..c0+nc-1.
  struct Block {
    std::size_t r0 = 0, nr = 0, c0 = 0, nc = 0;
  };
  Block BlockAt(std::size_t b) const;

  ErrorSink* log = nullptr;

  std::string FileWhere(std::size_t f) const { return "NetCDF file " + Quoted(files[f]->Path()); }
  std::string Where(const Segment& s) const {
    return FileWhere(s.file) + ", variable " + Quoted(s.name);
  }
  bool Fail(const std::string& message) {
    WxError(*log, message);
    return false;
  }

  bool OpenFiles(const std::vector<std::string>& paths);
  const FileTime& TimeOf(std::size_t f);
  bool DecodeTime(std::size_t f, FileTime& t);
  bool ScanFile(std::size_t f);
  bool AddSegment(std::size_t f, int var, WxVar v);
  bool SpatialDims(Segment& s);
  bool SegmentValues(Segment& s);
  bool OrderSegments();
  bool CheckShapes();
  bool ReadPlaces();
  bool ReadCoordinate(const Segment& ref, bool latitude, std::vector<float>& out);
  bool ReadNames(const Segment& ref);
  bool MakePeriod();
  void ReportGaps();
  void PlanBlocks(std::size_t blockBytes);

  bool ReadSegment(const Segment& s, WxVar v, std::size_t r0, std::size_t nr, std::size_t c0,
                   std::size_t nc, std::vector<StationSeries>& cells);
  float Value(const Segment& s, double stored, double number) const;
  void FillAddedDays(StationSeries& s) const;
};

bool NetcdfSource::Impl::OpenFiles(const std::vector<std::string>& paths) {
  bool ok = true;
  for (const std::string& p : paths) {
    std::string problem;
    auto file = NcFile::Open(p, problem);
    if (!file) {
      ok = Fail("NetCDF file " + Quoted(p) + ": cannot read it (" + problem + ").");
      continue;
    }
    files.push_back(std::move(file));
  }
  times.resize(files.size());
  return ok;
}

const FileTime& NetcdfSource::Impl::TimeOf(std::size_t f) {
  FileTime& t = times[f];
  if (t.decoded) return t;
  t.decoded = true;
  const NcFile& file = *files[f];
  // The time dimension: the one whose coordinate variable has units "... since ...".
  for (int var = 0; var < file.VarCount() && t.dim < 0; ++var) {
    const std::vector<int> dims = file.VarDims(var);
    if (dims.size() != 1 || file.DimName(dims[0]) != file.VarName(var)) continue;
    const auto units = file.TextAttr(var, "units");
    if (units && units->find(" since ") != std::string::npos) {
      t.dim = dims[0];
      t.var = var;
    }
  }
  if (t.dim >= 0) t.ok = DecodeTime(f, t);
  return t;
}

bool NetcdfSource::Impl::DecodeTime(std::size_t f, FileTime& t) {
  const NcFile& file = *files[f];
  const std::string where = FileWhere(f) + ", variable " + Quoted(file.VarName(t.var));
  std::string problem;
  t.calendarName = file.TextAttr(t.var, "calendar").value_or("standard");
  const auto calendar = ParseCfCalendar(t.calendarName, problem);
  if (!calendar) return Fail(where + ": " + problem + ".");
  t.calendar = *calendar;
  const auto axis =
      ParseCfTimeUnits(file.TextAttr(t.var, "units").value_or(""), t.calendar, problem);
  if (!axis) return Fail(where + ": " + problem + ".");
  std::vector<double> values;
  if (!file.ReadAll(t.var, values, problem)) {
    return Fail(where + ": cannot read it (" + problem + ").");
  }
  // With bounds, a day is the one its interval's middle falls on (a daily mean stamped at the
  // end of its day is of that day).
  if (const auto bounds = file.TextAttr(t.var, "bounds")) {
    const int b = file.FindVar(*bounds);
    std::vector<double> edges;
    if (b >= 0 && file.VarDims(b).size() == 2 && file.ReadAll(b, edges, problem) &&
        edges.size() == 2 * values.size()) {
      for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = 0.5 * (edges[2 * i] + edges[2 * i + 1]);
      }
    }
  }
  t.days.resize(values.size());
  // Beyond this many days from the reference no date can be of the years 0 to 9999.
  constexpr double kFarDays = 1e7;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const bool near =
        std::isfinite(values[i]) && std::fabs(values[i] * axis->daysPerUnit) < kFarDays;
    const CivilDate date = near ? SourceDate(t.calendar, DayOfTime(*axis, values[i])) : CivilDate{};
    if (!near || !IsModelDate(date)) {
      return Fail(where + ": time step " + std::to_string(i + 1) +
                  " is not a day of the years 0 to 9999.");
    }
    t.days[i] = ModelDayNumber(date);
    if (i == 0) continue;
    const std::string dates = DateText(ModelDate(t.days[i - 1]));
    if (t.days[i] == t.days[i - 1]) {
      return Fail(where + ": time steps " + std::to_string(i) + " and " + std::to_string(i + 1) +
                  " both fall on " + dates + ": the file does not hold one value a day.");
    }
    if (t.days[i] < t.days[i - 1]) {
      return Fail(where + ": time step " + std::to_string(i + 1) + " (" + DateText(date) +
                  ") comes before the one ahead of it (" + dates +
                  "): the times are not in "
                  "order.");
    }
  }
  return true;
}

bool NetcdfSource::Impl::ScanFile(std::size_t f) {
  const NcFile& file = *files[f];
  const FileTime& t = TimeOf(f);
  if (t.dim < 0) {
    return Fail(FileWhere(f) +
                " has no time axis (a coordinate variable with units \"days "
                "since ...\").");
  }
  if (!t.ok) return false;
  std::set<std::string> bounds;
  for (int var = 0; var < file.VarCount(); ++var) {
    if (const auto b = file.TextAttr(var, "bounds")) bounds.insert(*b);
  }
  bool ok = true, found = false;
  std::string ignored;
  for (int var = 0; var < file.VarCount(); ++var) {
    const std::vector<int> dims = file.VarDims(var);
    const std::string name = file.VarName(var);
    if (var == t.var || bounds.contains(name) || file.VarKind(var) == NcFile::Kind::Text ||
        std::find(dims.begin(), dims.end(), t.dim) == dims.end()) {
      continue;
    }
    const std::string standardName = file.TextAttr(var, "standard_name").value_or("");
    auto v = VarByStandardName(standardName, file.TextAttr(var, "cell_methods").value_or(""));
    if (!v) v = VarByName(name);
    if (!v) {
      ignored += (ignored.empty() ? "" : ", ") + Quoted(name);
      continue;
    }
    found = true;
    ok = AddSegment(f, var, *v) && ok;
  }
  if (!ignored.empty()) WxWarning(*log, FileWhere(f) + ": variables ignored: " + ignored + ".");
  if (!found) {
    return Fail(FileWhere(f) +
                " holds no weather variable (maximum and minimum temperature, "
                "precipitation, solar radiation, relative humidity, wind speed).");
  }
  return ok;
}

bool NetcdfSource::Impl::AddSegment(std::size_t f, int var, WxVar v) {
  const NcFile& file = *files[f];
  Segment s;
  s.file = f;
  s.var = var;
  s.name = file.VarName(var);
  s.kind = file.VarKind(var);
  s.dims = file.VarDims(var);
  for (const int d : s.dims) s.dimLength.push_back(file.DimLength(d));
  s.days = &times[f].days;
  if (s.kind == NcFile::Kind::Other) return Fail(Where(s) + " does not hold numbers.");
  if (!SpatialDims(s) || !SegmentValues(s)) return false;
  const auto units = file.TextAttr(var, "units");
  if (!units) return Fail(Where(s) + " has no units attribute.");
  const auto unit = FindUnit(v, *units);
  if (!unit) {
    return Fail(Where(s) + ": the units " + Quoted(*units) + " are not known for the " +
                std::string(VarDescription(v)) + " (" + std::string(KnownUnits(v)) + ").");
  }
  s.unit = *unit;
  if (s.days->empty()) return Fail(Where(s) + " holds no time steps.");
  vars[Index(v)].push_back(std::move(s));
  return true;
}

bool NetcdfSource::Impl::SpatialDims(Segment& s) {
  std::vector<std::size_t> others;
  for (std::size_t i = 0; i < s.dims.size(); ++i) {
    if (s.dims[i] == times[s.file].dim) {
      s.timeAt = i;
    } else {
      others.push_back(i);
    }
  }
  // Beyond two, dimensions of length 1 (a height, a level) are not spatial.
  for (std::size_t k = 0; k < others.size() && others.size() > 2;) {
    if (s.dimLength[others[k]] == 1) {
      others.erase(others.begin() + static_cast<std::ptrdiff_t>(k));
    } else {
      ++k;
    }
  }
  if (others.size() > 2) {
    return Fail(Where(s) + " has " + std::to_string(others.size()) +
                " dimensions besides time; a grid has two, stations one.");
  }
  s.rank = static_cast<int>(others.size());
  for (std::size_t k = 0; k < others.size(); ++k) {
    s.spaceAt[k] = static_cast<int>(others[k]);
    s.shape[k] = s.dimLength[others[k]];
  }
  return true;
}

bool NetcdfSource::Impl::SegmentValues(Segment& s) {
  const NcFile& file = *files[s.file];
  if (const auto a = file.NumberAttr(s.var, "scale_factor", true); !a.empty()) s.scale = a[0];
  if (const auto a = file.NumberAttr(s.var, "add_offset", true); !a.empty()) s.offset = a[0];
  s.fills = file.NumberAttr(s.var, "_FillValue");
  if (s.fills.empty()) {
    if (const auto d = file.DefaultFill(s.var)) s.fills.push_back(*d);
  }
  for (const double m : file.NumberAttr(s.var, "missing_value")) s.fills.push_back(m);
  if (const auto r = file.NumberAttr(s.var, "valid_range"); r.size() == 2) {
    s.validMin = r[0];
    s.validMax = r[1];
  }
  if (const auto a = file.NumberAttr(s.var, "valid_min"); !a.empty()) s.validMin = a[0];
  if (const auto a = file.NumberAttr(s.var, "valid_max"); !a.empty()) s.validMax = a[0];
  return true;
}

bool NetcdfSource::Impl::OrderSegments() {
  bool ok = true;
  for (const WxVar v : kWxVars) {
    auto& segs = vars[Index(v)];
    std::sort(segs.begin(), segs.end(),
              [](const Segment& a, const Segment& b) { return a.days->front() < b.days->front(); });
    for (std::size_t i = 1; i < segs.size(); ++i) {
      const Segment &a = segs[i - 1], &b = segs[i];
      if (b.days->front() > a.days->back()) continue;
      ok = Fail("NetCDF files " + Quoted(files[a.file]->Path()) + " and " +
                Quoted(files[b.file]->Path()) + " both hold the " + std::string(VarDescription(v)) +
                " of " + DateText(ModelDate(b.days->front())) + " (variables " + Quoted(a.name) +
                " and " + Quoted(b.name) + ").");
    }
  }
  for (const WxVar v : {WxVar::Tmax, WxVar::Tmin}) {
    if (!vars[Index(v)].empty()) continue;
    ok = Fail("NetCDF files: none holds the " + std::string(VarDescription(v)) +
              " (a variable with standard_name \"air_temperature\" and cell_methods \"time: " +
              (v == WxVar::Tmax ? "maximum" : "minimum") + "\", or named " + VarNames(v) + ").");
  }
  if (!ok) return false;
  // One calendar for all: the days a calendar lacks are filled alike in every series.
  const Segment& ref = vars[Index(WxVar::Tmax)].front();
  const bool refNoLeap = times[ref.file].calendar == SourceCalendar::NoLeap;
  for (const auto& segs : vars) {
    for (const Segment& s : segs) {
      if ((times[s.file].calendar == SourceCalendar::NoLeap) == refNoLeap) continue;
      return Fail(FileWhere(ref.file) + " has the calendar " +
                  Quoted(times[ref.file].calendarName) + ", " + FileWhere(s.file) + " the " +
                  "calendar " + Quoted(times[s.file].calendarName) +
                  ": the files of one conversion need one calendar.");
    }
  }
  return true;
}

bool NetcdfSource::Impl::CheckShapes() {
  const Segment& ref = vars[Index(WxVar::Tmax)].front();
  rank = ref.rank;
  shape = ref.shape;
  if (shape[0] * shape[1] == 0) return Fail(Where(ref) + " has no cells.");
  bool ok = true;
  for (const auto& segs : vars) {
    for (const Segment& s : segs) {
      if (s.rank == rank && s.shape == shape) continue;
      ok = Fail(Where(s) + ": its grid is " + ShapeText(s.rank, s.shape) + ", that of " +
                Quoted(ref.name) + " in " + Quoted(files[ref.file]->Path()) + " " +
                ShapeText(rank, shape) + ".");
    }
  }
  return ok;
}

bool NetcdfSource::Impl::ReadCoordinate(const Segment& ref, bool latitude,
                                        std::vector<float>& out) {
  const NcFile& file = *files[ref.file];
  std::array<int, 2> spaceDims{-2, -2};
  for (int k = 0; k < ref.rank; ++k)
    spaceDims[k] = ref.dims[static_cast<std::size_t>(ref.spaceAt[k])];
  int best = -1;
  std::vector<int> bestDims;
  for (int var = 0; var < file.VarCount(); ++var) {
    const std::string sn = file.TextAttr(var, "standard_name").value_or("");
    const std::string units = file.TextAttr(var, "units").value_or("");
    const std::string name = file.VarName(var);
    if (!(latitude ? IsLatitude(sn, units, name) : IsLongitude(sn, units, name))) continue;
    const std::vector<int> dims = file.VarDims(var);
    const bool over = std::all_of(dims.begin(), dims.end(),
                                  [&](int d) { return d == spaceDims[0] || d == spaceDims[1]; });
    if (over && (best < 0 || dims.size() > bestDims.size())) {
      best = var;
      bestDims = dims;
    }
  }
  if (best < 0) {
    return Fail(Where(ref) + ": no " + (latitude ? "latitude" : "longitude") +
                " over its cells (a variable with standard_name \"" +
                (latitude ? "latitude\" or units \"degrees_north"
                          : "longitude\" or units "
                            "\"degrees_east") +
                "\").");
  }
  std::vector<double> values;
  std::string problem;
  if (!file.ReadAll(best, values, problem)) {
    return Fail(FileWhere(ref.file) + ", variable " + Quoted(file.VarName(best)) +
                ": cannot read it (" + problem + ").");
  }
  // Each cell's index into the coordinate's values, from its row and column.
  out.resize(shape[0] * shape[1]);
  for (std::size_t r = 0; r < shape[0]; ++r) {
    for (std::size_t c = 0; c < shape[1]; ++c) {
      std::size_t at = 0;
      for (const int d : bestDims) {
        at = at * file.DimLength(d) + (d == spaceDims[0] ? r : c);
      }
      double x = values[at];
      if (!latitude && x > 180) x -= 360;
      out[r * shape[1] + c] = static_cast<float>(x);
    }
  }
  return true;
}

bool NetcdfSource::Impl::ReadNames(const Segment& ref) {
  const NcFile& file = *files[ref.file];
  std::string prefix = options.prefix.empty() ? FileStem(file.Path()) : options.prefix;
  prefix = SafeStationName(prefix);
  std::vector<std::string> ids;
  for (int var = 0; var < file.VarCount() && rank < 2; ++var) {
    if (file.TextAttr(var, "cf_role").value_or("") != "timeseries_id") continue;
    const std::vector<int> dims = file.VarDims(var);
    const bool overStations =
        rank == 0 ||
        (!dims.empty() && dims[0] == ref.dims[static_cast<std::size_t>(ref.spaceAt[0])]);
    std::string problem;
    if (!overStations || !file.ReadNames(var, ids, problem) || ids.size() != shape[0]) ids.clear();
    break;
  }
  names.resize(shape[0] * shape[1]);
  std::map<std::string, std::size_t> seen;
  for (std::size_t r = 0; r < shape[0]; ++r) {
    for (std::size_t c = 0; c < shape[1]; ++c) {
      std::string& name = names[r * shape[1] + c];
      name = ids.empty() ? std::string() : SafeStationName(ids[r]);
      if (name.empty()) name = GridCellName(prefix, rank, r, c);
      if (!seen.try_emplace(name, r).second) {
        return Fail(FileWhere(ref.file) + ": two stations are named " + Quoted(name) + ".");
      }
    }
  }
  return true;
}

bool NetcdfSource::Impl::ReadPlaces() {
  const Segment& ref = vars[Index(WxVar::Tmax)].front();
  origin = "from " + std::filesystem::path(files[ref.file]->Path()).filename().string();
  if (files.size() > 1) origin += " and " + std::to_string(files.size() - 1) + " more files";
  return ReadCoordinate(ref, true, lat) && ReadCoordinate(ref, false, lon) && ReadNames(ref);
}

bool NetcdfSource::Impl::MakePeriod() {
  int64_t first = std::numeric_limits<int64_t>::max(), last = std::numeric_limits<int64_t>::min();
  for (const auto& segs : vars) {
    for (const Segment& s : segs) {
      first = std::min(first, s.days->front());
      last = std::max(last, s.days->back());
    }
  }
  if (last - first + 1 > kMaxDays) {
    return Fail("NetCDF files: the data span " + DateText(ModelDate(first)) + " to " +
                DateText(ModelDate(last)) + ", more days than can be converted (" +
                std::to_string(kMaxDays) + ").");
  }
  firstDay = first;
  days = static_cast<std::size_t>(last - first + 1);
  const FileTime& t = times[vars[Index(WxVar::Tmax)].front().file];
  for (std::size_t d = 0; d < days; ++d) {
    const CivilDate date = ModelDate(firstDay + static_cast<int64_t>(d));
    if (!SourceHasDay(t.calendar, date)) addedDays.push_back(d);
  }
  if (!addedDays.empty()) {
    const int32_t y1 = ModelDate(firstDay + static_cast<int64_t>(addedDays.front())).year;
    const int32_t y2 = ModelDate(firstDay + static_cast<int64_t>(addedDays.back())).year;
    WxWarning(
        *log,
        "NetCDF files: the calendar " + Quoted(t.calendarName) + " has no 29 " + "February in " +
            (y1 == y2 ? std::to_string(y1) : std::to_string(y1) + " to " + std::to_string(y2)) +
            " (" + std::to_string(addedDays.size()) + (addedDays.size() == 1 ? " day" : " days") +
            "), which the model's calendar has (every year divisible by 4 is a leap "
            "year): each is written as the mean of 28 February and 1 March.");
  }
  ReportGaps();
  return true;
}

void NetcdfSource::Impl::ReportGaps() {
  std::vector<bool> added(days, false);
  for (const std::size_t d : addedDays) added[d] = true;
  // The gaps of each variable, merged over the variables that share them.
  std::map<std::pair<std::size_t, std::size_t>, std::string> gaps;
  for (const auto& segs : vars) {
    if (segs.empty()) continue;
    std::vector<bool> covered(days, false);
    for (const Segment& s : segs) {
      for (const int64_t d : *s.days) covered[static_cast<std::size_t>(d - firstDay)] = true;
    }
    for (std::size_t d = 0; d < days;) {
      if (covered[d] || added[d]) {
        ++d;
        continue;
      }
      const std::size_t start = d;
      while (d < days && !covered[d]) ++d;
      std::string& list = gaps[{start, d - 1}];
      list += (list.empty() ? "" : ", ") + Quoted(segs.front().name);
    }
  }
  for (const auto& [range, list] : gaps) {
    const auto [a, b] = range;
    const std::string from = DateText(ModelDate(firstDay + static_cast<int64_t>(a)));
    const std::string to = DateText(ModelDate(firstDay + static_cast<int64_t>(b)));
    WxWarning(*log, "NetCDF variables " + list + ": " +
                        (a == b ? "no value for " + from
                                : "no values from " + from + " to " + to + " (" +
                                      std::to_string(b - a + 1) + " days)") +
                        ": written as -99.");
  }
}

void NetcdfSource::Impl::PlanBlocks(std::size_t blockBytes) {
  // A cell takes its six series and its share of a read buffer of doubles.
  const std::size_t perCell =
      std::max<std::size_t>(days, 1) * (kWxVarCount * sizeof(float) + sizeof(double));
  const std::size_t cells = std::max<std::size_t>(1, blockBytes / perCell);
  if (cells >= shape[1]) {
    blockCols = shape[1];
    blockRows = std::min(shape[0], cells / shape[1]);
  } else {
    blockRows = 1;
    blockCols = cells;
  }
}

float NetcdfSource::Impl::Value(const Segment& s, double stored, double number) const {
  if (!std::isfinite(stored) || stored < s.validMin || stored > s.validMax) return kWxMissing;
  for (const double f : s.fills) {
    if (stored == f) return kWxMissing;
  }
  const float v = static_cast<float>(s.unit.Apply(number * s.scale + s.offset));
  return std::isfinite(v) ? v : kWxMissing;
}

bool NetcdfSource::Impl::ReadSegment(const Segment& s, WxVar v, std::size_t r0, std::size_t nr,
                                     std::size_t c0, std::size_t nc,
                                     std::vector<StationSeries>& cells) {
  const std::size_t n = s.dims.size();
  std::vector<std::size_t> start(n, 0), count(n, 1), stride(n, 1);
  const std::size_t steps = s.days->size();
  start[s.timeAt] = 0;
  count[s.timeAt] = steps;
  if (s.spaceAt[0] >= 0) {
    start[static_cast<std::size_t>(s.spaceAt[0])] = r0;
    count[static_cast<std::size_t>(s.spaceAt[0])] = nr;
  }
  if (s.spaceAt[1] >= 0) {
    start[static_cast<std::size_t>(s.spaceAt[1])] = c0;
    count[static_cast<std::size_t>(s.spaceAt[1])] = nc;
  }
  for (std::size_t i = n; i-- > 1;) stride[i - 1] = stride[i] * count[i];
  const std::size_t st = stride[s.timeAt];
  const std::size_t sr = s.spaceAt[0] >= 0 ? stride[static_cast<std::size_t>(s.spaceAt[0])] : 0;
  const std::size_t sc = s.spaceAt[1] >= 0 ? stride[static_cast<std::size_t>(s.spaceAt[1])] : 0;

  std::string problem;
  std::vector<float> floats;
  std::vector<double> doubles;
  const bool isFloat = s.kind == NcFile::Kind::Float;
  const NcFile& file = *files[s.file];
  if (!(isFloat ? file.Read(s.var, start, count, floats, problem)
                : file.Read(s.var, start, count, doubles, problem))) {
    return Fail(Where(s) + ": cannot read it (" + problem + ").");
  }
  for (std::size_t t = 0; t < steps; ++t) {
    const std::size_t day = static_cast<std::size_t>((*s.days)[t] - firstDay);
    for (std::size_t i = 0; i < nr; ++i) {
      for (std::size_t j = 0; j < nc; ++j) {
        const std::size_t at = t * st + i * sr + j * sc;
        float& out = cells[i * nc + j].At(v, day);
        if (isFloat) {
          out = Value(s, floats[at], ShortestDouble(floats[at]));
        } else {
          out = Value(s, doubles[at], doubles[at]);
        }
      }
    }
  }
  return true;
}

void NetcdfSource::Impl::FillAddedDays(StationSeries& s) const {
  for (const WxVar v : kWxVars) {
    for (const std::size_t d : addedDays) {
      if (d == 0 || d + 1 >= days) continue;
      const float before = s.At(v, d - 1), after = s.At(v, d + 1);
      s.At(v, d) = before == kWxMissing || after == kWxMissing
                       ? kWxMissing
                       : static_cast<float>(0.5 * (static_cast<double>(before) + after));
    }
  }
}

NetcdfSource::NetcdfSource() : impl_(std::make_unique<Impl>()) {}
NetcdfSource::~NetcdfSource() = default;

bool NetcdfSource::Open(ErrorSink& log, const std::vector<std::string>& files,
                        const NetcdfOptions& options) {
  impl_ = std::make_unique<Impl>();
  Impl& m = *impl_;
  m.log = &log;
  m.options = options;
  if (!NetcdfAvailable()) {
    return m.Fail(
        "olive-wx was built without NetCDF support (the netCDF-C library, Debian "
        "package libnetcdf-dev, was missing or switched off when it was built): NetCDF files "
        "cannot be read.");
  }
  if (!m.OpenFiles(files)) return false;
  bool ok = true;
  for (std::size_t f = 0; f < m.files.size(); ++f) ok = m.ScanFile(f) && ok;
  if (!ok || !m.OrderSegments() || !m.CheckShapes() || !m.ReadPlaces() || !m.MakePeriod()) {
    return false;
  }
  m.PlanBlocks(options.blockBytes);
  return true;
}

std::size_t NetcdfSource::CellCount() const {
  return impl_->shape[0] * impl_->shape[1];
}

std::size_t NetcdfSource::Days() const {
  return impl_->days;
}

std::size_t NetcdfSource::BlockCount() const {
  const Impl& m = *impl_;
  const std::size_t rows = (m.shape[0] + m.blockRows - 1) / m.blockRows;
  const std::size_t cols = (m.shape[1] + m.blockCols - 1) / m.blockCols;
  return rows * cols;
}

const std::vector<std::string>& NetcdfSource::CellNames() const {
  return impl_->names;
}

NetcdfSource::Impl::Block NetcdfSource::Impl::BlockAt(std::size_t b) const {
  const std::size_t colBlocks = (shape[1] + blockCols - 1) / blockCols;
  Block k;
  k.r0 = (b / colBlocks) * blockRows;
  k.c0 = (b % colBlocks) * blockCols;
  k.nr = std::min(blockRows, shape[0] - k.r0);
  k.nc = std::min(blockCols, shape[1] - k.c0);
  return k;
}

std::size_t NetcdfSource::BlockFirstCell(std::size_t b) const {
  const Impl::Block k = impl_->BlockAt(b);
  return k.r0 * impl_->shape[1] + k.c0;
}

std::size_t NetcdfSource::BlockCells(std::size_t b) const {
  const Impl::Block k = impl_->BlockAt(b);
  return k.nr * k.nc;
}

const std::string& NetcdfSource::GridFile() const {
  const Impl& m = *impl_;
  return m.files[m.vars[Index(WxVar::Tmax)].front().file]->Path();
}

const std::string& NetcdfSource::GridVariable() const {
  return impl_->vars[Index(WxVar::Tmax)].front().name;
}

bool NetcdfSource::ReadBlock(ErrorSink& log, std::size_t b, std::vector<StationSeries>& out) {
  Impl& m = *impl_;
  m.log = &log;
  out.clear();
  const auto [r0, nr, c0, nc] = m.BlockAt(b);
  std::vector<StationSeries> cells(nr * nc);
  for (std::size_t i = 0; i < nr; ++i) {
    for (std::size_t j = 0; j < nc; ++j) {
      StationSeries& s = cells[i * nc + j];
      const std::size_t cell = (r0 + i) * m.shape[1] + c0 + j;
      s.name = m.names[cell];
      s.cell = cell;
      s.origin = m.origin;
      s.lon = m.lon[cell];
      s.lat = m.lat[cell];
      s.firstDay = m.firstDay;
      s.Resize(m.days);
    }
  }
  for (const WxVar v : kWxVars) {
    for (const Segment& s : m.vars[Index(v)]) {
      if (!m.ReadSegment(s, v, r0, nr, c0, nc, cells)) return false;
    }
  }
  for (StationSeries& s : cells) {
    m.FillAddedDays(s);
    const auto& tmax = s.values[Index(WxVar::Tmax)];
    const auto& tmin = s.values[Index(WxVar::Tmin)];
    const auto valid = [](float x) { return x != kWxMissing; };
    if (std::any_of(tmax.begin(), tmax.end(), valid) ||
        std::any_of(tmin.begin(), tmin.end(), valid)) {
      out.push_back(std::move(s));
    }
  }
  return true;
}

}  // namespace olive
