#include "wxsource/netcdf_writer.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "output/cf_units.h"
#include "output/column_dictionary.h"
#include "output/column_info.h"
#include "weather/wx_dates.h"
#include "wxsource/netcdf_out_file.h"
#include "wxsource/wx_report.h"
#include "wxsource/wx_variables.h"

namespace olive {
namespace {

namespace fs = std::filesystem;

// netCDF's default fill value of a float, given as _FillValue.
constexpr float kFill = 9.9692099683868690e+36f;

// The GIS columns that hold text, not numbers.
bool IsTextColumn(std::string_view name) {
  return name == "Model" || name == "Date" || name == "Time" || name == "WxFile";
}

std::vector<std::string_view> Fields(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  std::vector<std::string_view> out;
  for (;;) {
    const std::size_t tab = line.find('\t');
    out.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return out;
    line.remove_prefix(tab + 1);
  }
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

template <class T>
bool Parse(std::string_view text, T& v) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return ec == std::errc() && end == text.data() + text.size();
}

// The GIS output date of a periodic GIS file's name ("OUT00007.txt", "Olive_31dec02_00007.txt"):
// its number, from 2 (the first output date of a pass writes no file); 0 for other names.
std::size_t GisFileNumber(std::string_view name) {
  constexpr std::string_view kTxt = ".txt";
  if (!name.ends_with(kTxt)) return 0;
  name.remove_suffix(kTxt.size());
  if (name.size() < 5) return 0;
  std::size_t n = 0;
  if (!Parse(name.substr(name.size() - 5), n)) return 0;
  return n;
}

// A latitude or a longitude: by its standard_name or its units.
bool IsLatLon(const NcFile& f, int var) {
  const std::string sn = f.TextAttr(var, "standard_name").value_or("");
  if (sn == "latitude" || sn == "longitude") return true;
  const std::string u = LowerAscii(f.TextAttr(var, "units").value_or(""));
  return u.starts_with("degree") &&
         (u.ends_with("north") || u.ends_with("east") || u.ends_with("_n") || u.ends_with("_e"));
}

// A numeric GIS column, and what the data dictionary says of it.
struct Column {
  std::string name;
  std::size_t field = 0;  // its place in the row
  std::string meaning, unit;
};

class NetcdfGridWriter final : public GridWriter {
 public:
  NetcdfGridWriter(fs::path path, GridOutputInfo info, std::unique_ptr<NcFile> grid, int var)
      : path_(std::move(path)), info_(std::move(info)), grid_(std::move(grid)), var_(var) {}

  bool Plan(ErrorSink& log, std::size_t cells);
  void AddRow(std::size_t scenario, std::size_t cell, std::string_view file,
              std::string_view header, std::string_view row) override;
  bool Finish(ErrorSink& log) override;

 private:
  void TakeHeader(std::string_view header);
  bool Define(NcOutFile& out, std::vector<int>& vars);
  bool DefineCopies(NcOutFile& out, std::map<int, int>& dims);
  bool WriteValues(NcOutFile& out, const std::vector<int>& vars);
  float* Slot(std::size_t t, std::size_t c, std::size_t s, std::size_t cell);
  std::string Calendar() const;

  fs::path path_;
  GridOutputInfo info_;
  std::unique_ptr<NcFile> grid_;
  int var_;
  std::vector<int> spaceDims_;  // the input's, in the variable's order
  std::vector<int> copies_;     // the input's variables to copy
  std::string coordinates_;
  std::size_t cells_ = 1, scenarios_ = 1;

  std::string header_;
  std::vector<Column> columns_;
  std::size_t monthField_ = 0, dayField_ = 0, yearField_ = 0, incrField_ = 0;
  bool hasDate_ = false, hasIncr_ = false;
  std::vector<std::vector<float>> dates_;  // per output date: [column][scenario][cell]
  std::vector<double> times_;              // per output date: days since the first day
  std::vector<float> increments_;          // per scenario
};

bool NetcdfGridWriter::Plan(ErrorSink& log, std::size_t cells) {
  cells_ = cells;
  scenarios_ = std::max<std::size_t>(1, info_.TempIncrements.size());
  increments_.assign(scenarios_, std::numeric_limits<float>::quiet_NaN());
  for (std::size_t s = 0; s < info_.TempIncrements.size(); ++s) {
    increments_[s] = info_.TempIncrements[s];
  }
  const NcFile& f = *grid_;
  // The spatial dimensions: all but time (the one whose coordinate has units "... since ...").
  std::vector<int> dims = f.VarDims(var_);
  std::set<int> time;
  for (const int d : dims) {
    const int c = f.FindVar(f.DimName(d));
    if (c >= 0 && f.TextAttr(c, "units").value_or("").find(" since ") != std::string::npos) {
      time.insert(d);
    }
  }
  for (const int d : dims) {
    if (!time.contains(d)) spaceDims_.push_back(d);
  }
  while (spaceDims_.size() > 2) {
    const auto one = std::find_if(spaceDims_.begin(), spaceDims_.end(),
                                  [&](int d) { return f.DimLength(d) == 1; });
    if (one == spaceDims_.end()) break;
    spaceDims_.erase(one);
  }
  const std::string mapping = f.TextAttr(var_, "grid_mapping").value_or("");
  for (int v = 0; v < f.VarCount(); ++v) {
    if (v == var_) continue;
    const std::vector<int> vd = f.VarDims(v);
    const std::string name = f.VarName(v);
    const bool over = std::all_of(vd.begin(), vd.end(), [&](int d) {
      return std::find(spaceDims_.begin(), spaceDims_.end(), d) != spaceDims_.end();
    });
    const bool dimCoordinate = vd.size() == 1 && f.DimName(vd[0]) == name && over;
    const bool latLon = over && !vd.empty() && IsLatLon(f, v);
    const bool ids = f.TextAttr(v, "cf_role").value_or("") == "timeseries_id" && !vd.empty() &&
                     std::find(spaceDims_.begin(), spaceDims_.end(), vd[0]) != spaceDims_.end();
    if (dimCoordinate || latLon || ids || (!mapping.empty() && name == mapping)) {
      copies_.push_back(v);
      if ((latLon || ids) && !dimCoordinate)
        coordinates_ += (coordinates_.empty() ? "" : " ") + name;
    }
  }
  std::size_t n = 1;
  for (const int d : spaceDims_) n *= f.DimLength(d);
  if (n != cells_) {
    WxError(log, "NetCDF file " + Quoted(f.Path()) + ", variable " + Quoted(f.VarName(var_)) +
                     ": its grid cannot be written as the output's.");
    return false;
  }
  return true;
}

void NetcdfGridWriter::TakeHeader(std::string_view header) {
  header_ = header;
  const std::vector<std::string_view> names = Fields(header);
  std::map<std::string_view, const DictionaryEntry*> gis;
  static const std::vector<DictionaryEntry> entries = DictionaryEntries();
  for (const DictionaryEntry& e : entries) {
    if (e.file == OutputFileKind::Gis) gis.emplace(e.name, &e);
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string_view name = names[i];
    if (name == "Month") monthField_ = i;
    if (name == "Day") dayField_ = i;
    if (name == "Year") yearField_ = i;
    if (name == "TempIncr") {
      incrField_ = i;
      hasIncr_ = true;
    }
    if (name.empty() || IsTextColumn(name)) continue;
    Column c{std::string(name), i, {}, {}};
    if (const auto it = gis.find(name); it != gis.end()) {
      const ColumnInfo& info = it->second->info;
      c.meaning = info.meaning;
      const bool sums = info_.GisOutputInterval == 365 && !info.sumUnit.empty();
      c.unit = sums ? info.sumUnit : info.unit;
    }
    columns_.push_back(std::move(c));
  }
  hasDate_ = monthField_ != 0 && dayField_ != 0 && yearField_ != 0;
}

float* NetcdfGridWriter::Slot(std::size_t t, std::size_t c, std::size_t s, std::size_t cell) {
  if (dates_.size() <= t) {
    dates_.resize(t + 1);
    times_.resize(t + 1, std::numeric_limits<double>::quiet_NaN());
  }
  std::vector<float>& values = dates_[t];
  if (values.empty()) values.assign(columns_.size() * scenarios_ * cells_, kFill);
  return &values[(c * scenarios_ + s) * cells_ + cell];
}

void NetcdfGridWriter::AddRow(std::size_t scenario, std::size_t cell, std::string_view file,
                              std::string_view header, std::string_view row) {
  const std::size_t n = GisFileNumber(file);
  if (n < 2 || scenario >= scenarios_ || cell >= cells_) return;
  if (header_.empty()) TakeHeader(header);
  if (header != header_) return;  // another setup's columns: not of this batch
  const std::size_t t = n - 2;
  const std::vector<std::string_view> fields = Fields(row);
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    float v = 0;
    const std::size_t at = columns_[c].field;
    if (at < fields.size() && Parse(fields[at], v) && std::isfinite(v)) {
      *Slot(t, c, scenario, cell) = v;
    }
  }
  int32_t month = 0, day = 0, year = 0;
  if (hasDate_ && std::isnan(times_[t]) && Parse(fields[monthField_], month) &&
      Parse(fields[dayField_], day) && Parse(fields[yearField_], year)) {
    const WxDate date{month, day, year};
    const WxDate first{info_.startMonth, info_.startDay, info_.startYear};
    if (IsCalendarDate(date) && IsCalendarDate(first)) {
      times_[t] = static_cast<double>(DaySerial(date) - DaySerial(first));
    }
  }
  float incr = 0;
  if (hasIncr_ && std::isnan(increments_[scenario]) && Parse(fields[incrField_], incr)) {
    increments_[scenario] = incr;
  }
}

// The model's calendar has a 29 February in every year divisible by 4, as the Julian calendar
// has. Over the years 1583 to 2099 it is the Gregorian calendar ("standard", which every CF reader
// and CDO take), but for 1700, 1800 and 1900: the output declares "standard" when its dates
// cross no such year, "julian" when they do.
std::string NetcdfGridWriter::Calendar() const {
  double last = 0;
  for (const double t : times_) {
    if (!std::isnan(t)) last = std::max(last, t);
  }
  const WxDate first{info_.startMonth, info_.startDay, info_.startYear};
  const int64_t lastSerial = DaySerial(first) + static_cast<int64_t>(last);
  for (int32_t year = first.year; year <= first.year + static_cast<int32_t>(last / 365) + 1;
       ++year) {
    const int64_t leapDay = DaySerial(WxDate{2, 29, year});
    const bool gregorianLacks = year % 100 == 0 && year % 400 != 0;
    if (gregorianLacks && leapDay >= DaySerial(first) && leapDay <= lastSerial) return "julian";
  }
  return first.year >= 1583 ? "standard" : "julian";
}

bool NetcdfGridWriter::DefineCopies(NcOutFile& out, std::map<int, int>& dims) {
  const NcFile& f = *grid_;
  auto dimOf = [&](int d) {
    const auto it = dims.find(d);
    if (it != dims.end()) return it->second;
    int o = -1;
    out.DefDim(f.DimName(d), f.DimLength(d), o);
    dims.emplace(d, o);
    return o;
  };
  for (const int d : spaceDims_) dimOf(d);
  for (const int v : copies_) {
    std::vector<int> od;
    for (const int d : f.VarDims(v)) od.push_back(dimOf(d));
    int o = -1;
    if (!out.CopyVarDef(f, v, od, o)) return false;
  }
  return out.Problem().empty();
}

bool NetcdfGridWriter::Define(NcOutFile& out, std::vector<int>& vars) {
  const NcFile& f = *grid_;
  int time = -1, incr = -1, timeVar = -1, incrVar = -1;
  out.DefDim("time", 0, time);  // unlimited
  out.DefDim("temp_incr", scenarios_, incr);
  std::map<int, int> dims;
  if (!DefineCopies(out, dims)) return false;
  char first[32];
  std::snprintf(first, sizeof first, "%04d-%02d-%02d 00:00:00", info_.startYear, info_.startMonth,
                info_.startDay);
  out.DefVar("time", NcFile::Kind::Double, {time}, timeVar);
  out.TextAttr(timeVar, "standard_name", "time");
  out.TextAttr(timeVar, "long_name", "GIS output date");
  out.TextAttr(timeVar, "units", std::string("days since ") + first);
  out.TextAttr(timeVar, "calendar", Calendar());
  out.TextAttr(timeVar, "axis", "T");
  out.DefVar("temp_incr", NcFile::Kind::Float, {incr}, incrVar);
  out.TextAttr(incrVar, "long_name",
               "warming scenario: temperature increment added to the weather's temperatures");
  out.TextAttr(incrVar, "units", "K");
  std::vector<int> valueDims = {time, incr};
  for (const int d : spaceDims_) valueDims.push_back(dims.at(d));
  const std::string mapping = f.TextAttr(var_, "grid_mapping").value_or("");
  for (const Column& c : columns_) {
    int v = -1;
    out.DefVar(c.name, NcFile::Kind::Float, valueDims, v);
    out.FloatAttr(v, "_FillValue", kFill);
    if (!c.meaning.empty()) out.TextAttr(v, "long_name", c.meaning);
    out.TextAttr(v, "units", CfUnits(c.unit));
    if (!c.unit.empty() && c.unit != kUnitText) {
      out.TextAttr(v, "comment", "unit of olive's data dictionary: " + c.unit);
    }
    if (!coordinates_.empty()) out.TextAttr(v, "coordinates", coordinates_);
    if (!mapping.empty()) out.TextAttr(v, "grid_mapping", mapping);
    vars.push_back(v);
  }
  out.TextAttr(NcOutFile::kGlobal, "Conventions", "CF-1.8");
  out.TextAttr(NcOutFile::kGlobal, "title", "olive GIS output");
  out.TextAttr(NcOutFile::kGlobal, "source", info_.program);
  out.TextAttr(NcOutFile::kGlobal, "history", info_.command);
  out.TextAttr(NcOutFile::kGlobal, "command_line", info_.command);
  out.TextAttr(NcOutFile::kGlobal, "setup_file", info_.setupFile);
  out.TextAttr(NcOutFile::kGlobal, "grid_file", f.Path());
  vars.push_back(timeVar);
  vars.push_back(incrVar);
  return out.EndDef();
}

bool NetcdfGridWriter::WriteValues(NcOutFile& out, const std::vector<int>& vars) {
  const NcFile& f = *grid_;
  const int incrVar = vars.back(), timeVar = vars[vars.size() - 2];
  const std::size_t dates = dates_.size();
  std::vector<double> times(times_);
  for (double& t : times) {
    if (std::isnan(t)) t = -1;  // no row of that date: should not happen
  }
  if (dates > 0) out.Write(timeVar, {0}, {dates}, times.data());
  std::vector<float> incr(increments_);
  for (float& x : incr) {
    if (std::isnan(x)) x = kFill;
  }
  out.Write(incrVar, {0}, {scenarios_}, incr.data());
  std::vector<std::size_t> start(2 + spaceDims_.size(), 0), count = {1, scenarios_};
  for (const int d : spaceDims_) count.push_back(f.DimLength(d));
  const std::vector<float> empty(scenarios_ * cells_, kFill);
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    for (std::size_t t = 0; t < dates; ++t) {
      start[0] = t;
      const float* values = dates_[t].empty() ? empty.data() : &dates_[t][c * scenarios_ * cells_];
      if (!out.Write(vars[c], start, count, values)) return false;
    }
  }
  // The grid itself, after the values' definitions: written once, as the input has it.
  int o = 0;
  for (const int v : copies_) {
    // The copies were defined first, in order: their ids in the output are 0, 1, ...
    if (!out.CopyValues(f, v, o++)) return false;
  }
  return out.Problem().empty();
}

bool NetcdfGridWriter::Finish(ErrorSink& log) {
  std::string name(".");
  name += path_.filename().string();
  name += '.';
  name += std::to_string(::getpid());
  name += ".tmp";
  const fs::path temp = path_.parent_path() / name;
  std::string problem;
  bool ok = false;
  {
    auto out = NcOutFile::Create(temp.string(), problem);
    if (out) {
      std::vector<int> vars;
      ok = Define(*out, vars) && WriteValues(*out, vars) && out->Close();
      if (!ok) problem = out->Problem();
    }
  }
  std::error_code ec;
  if (ok) {
    fs::rename(temp, path_, ec);
    if (ec) problem = ec.message();
    ok = !ec;
  }
  if (!ok) {
    fs::remove(temp, ec);
    ReportError(log,
                "NetCDF output " + Quoted(path_.string()) + ": cannot write it (" + problem + ").");
  }
  return ok;
}

}  // namespace

std::unique_ptr<GridWriter> MakeNetcdfGridWriter(ErrorSink& log, const NetcdfSource& source,
                                                 const std::filesystem::path& path,
                                                 const GridOutputInfo& info) {
  std::string problem;
  auto grid = NcFile::Open(source.GridFile(), problem);
  if (!grid) {
    WxError(log,
            "NetCDF file " + Quoted(source.GridFile()) + ": cannot read it (" + problem + ").");
    return nullptr;
  }
  const int var = grid->FindVar(source.GridVariable());
  auto writer = std::make_unique<NetcdfGridWriter>(path, info, std::move(grid), var);
  if (!writer->Plan(log, source.CellCount())) return nullptr;
  return writer;
}

}  // namespace olive
