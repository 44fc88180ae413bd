#include "wxsource/wx_variables.h"

#include <array>
#include <charconv>
#include <initializer_list>

namespace olive {
namespace {

struct VarInfo {
  std::string_view key;
  std::string_view description;
  std::initializer_list<std::string_view> names;  // lower case
  std::string_view knownUnits;
};

const std::array<VarInfo, kWxVarCount> kInfo = {{
    {"tmax", "maximum temperature", {"tmax", "temp_max", "tasmax", "tx"}, "degC, K, degF"},
    {"tmin", "minimum temperature", {"tmin", "temp_min", "tasmin", "tn"}, "degC, K, degF"},
    {"solar",
     "solar radiation",
     {"solar", "rsds", "srad", "radiation", "qq"},
     "W/m2 (daily mean), J/m2, kJ/m2, MJ/m2, Wh/m2, cal/cm2 (daily sums, also written J/m2/d, "
     "MJ m-2 day-1 and the like)"},
    {"rain",
     "precipitation",
     {"rain", "precipitation", "prcp", "pr", "rr"},
     "mm, mm/day, kg m-2, kg m-2 s-1, mm/s, m, m/day, m s-1, cm, in"},
    {"rh", "relative humidity", {"rh", "hurs", "humidity", "hu"}, "%, 1 (a fraction)"},
    {"wind",
     "wind speed",
     {"wind", "sfcwind", "wind_speed", "fg"},
     "m/s (m s-1), km/h, mph, knots"},
}};

struct UnitSpelling {
  std::initializer_list<std::string_view> spellings;  // normalised: lower case, no blanks
  UnitConversion conversion;
};

constexpr double kDay = 86400;                  // seconds a day
constexpr double kFahrenheitScale = 5.0 / 9.0;  // deg C per deg F
constexpr double kCaloriesPerCm2 = 41840;       // J/m2 in a cal/cm2 (thermochemical)
constexpr double kMilesPerHour = 0.44704;       // m/s in a mph
constexpr double kKnot = 1852.0 / 3600.0;       // m/s in a knot

const std::initializer_list<UnitSpelling> kTemperatureUnits = {
    {{"degc", "c", "celsius", "degreec", "degreesc", "degree_c", "degrees_c", "deg_c",
      "degreecelsius", "degreescelsius", "degree_celsius", "degrees_celsius"},
     {1, 0}},
    {{"k", "kelvin", "kelvins", "degk", "deg_k", "degreek", "degreesk", "degree_k", "degrees_k"},
     {1, -273.15}},
    {{"degf", "f", "fahrenheit", "degreef", "degreesf", "degree_f", "degrees_f", "deg_f",
      "degreefahrenheit", "degreesfahrenheit", "degree_fahrenheit", "degrees_fahrenheit"},
     {kFahrenheitScale, -32 * kFahrenheitScale}},
};

const std::initializer_list<UnitSpelling> kRainUnits = {
    {{"mm", "mm/d", "mm/day", "mmd-1", "mmday-1", "mm/24h", "kgm-2", "kg/m2", "kgm-2d-1",
      "kgm-2day-1", "kg/m2/d", "kg/m2/day", "l/m2", "lm-2"},
     {1, 0}},
    {{"kgm-2s-1", "kg/m2/s", "kg/m2s", "kg/(m2s)", "kg/(sm2)", "mm/s", "mms-1"}, {kDay, 0}},
    {{"m", "m/d", "m/day", "md-1", "mday-1"}, {1000, 0}},
    {{"ms-1", "m/s"}, {1000 * kDay, 0}},
    {{"cm", "cm/d", "cm/day", "cmd-1", "cmday-1"}, {10, 0}},
    {{"in", "inch", "inches", "in/d", "in/day"}, {25.4, 0}},
};

const std::initializer_list<UnitSpelling> kSolarUnits = {
    {{"wm-2", "w/m2", "watt/m2", "watts/m2", "wattm-2", "wattsm-2", "w.m-2"}, {1, 0}},
    {{"jm-2", "j/m2", "jm-2d-1", "jm-2day-1", "j/m2/d", "j/m2/day"}, {1 / kDay, 0}},
    {{"kjm-2", "kj/m2", "kjm-2d-1", "kjm-2day-1", "kj/m2/d", "kj/m2/day"}, {1e3 / kDay, 0}},
    {{"mjm-2", "mj/m2", "mjm-2d-1", "mjm-2day-1", "mj/m2/d", "mj/m2/day"}, {1e6 / kDay, 0}},
    {{"whm-2", "wh/m2", "whm-2d-1", "whm-2day-1", "wh/m2/d", "wh/m2/day"}, {3600 / kDay, 0}},
    {{"calcm-2", "cal/cm2", "calcm-2d-1", "calcm-2day-1", "cal/cm2/d", "cal/cm2/day", "langley",
      "langleys", "ly", "ly/d", "ly/day"},
     {kCaloriesPerCm2 / kDay, 0}},
};

const std::initializer_list<UnitSpelling> kHumidityUnits = {
    {{"%", "percent", "pct"}, {1, 0}},
    {{"1", "fraction"}, {100, 0}},
};

const std::initializer_list<UnitSpelling> kWindUnits = {
    {{"ms-1", "m/s", "meter/second", "meters/second", "m.s-1"}, {1, 0}},
    {{"km/h", "kmh-1", "kmh", "kph", "km/hr"}, {1 / 3.6, 0}},
    {{"mph", "mi/h", "mih-1", "miles/h"}, {kMilesPerHour, 0}},
    {{"kn", "kt", "knot", "knots"}, {kKnot, 0}},
};

const std::initializer_list<UnitSpelling>& UnitsOf(WxVar v) {
  switch (v) {
    case WxVar::Tmax:
    case WxVar::Tmin:
      return kTemperatureUnits;
    case WxVar::Solar:
      return kSolarUnits;
    case WxVar::Rain:
      return kRainUnits;
    case WxVar::RelHum:
      return kHumidityUnits;
    case WxVar::Wind:
      break;
  }
  return kWindUnits;
}

// Unit text made comparable: lower case, "°" as "deg", no blanks, no "**" or "^".
std::string NormalisedUnit(std::string_view unit) {
  std::string out;
  for (size_t i = 0; i < unit.size(); ++i) {
    const char c = unit[i];
    if (c == ' ' || c == '\t' || c == '^') continue;
    if (c == '*' && i + 1 < unit.size() && unit[i + 1] == '*') {
      ++i;
      continue;
    }
    if (c == '\xC2' && i + 1 < unit.size() && unit[i + 1] == '\xB0') {  // UTF-8 degree sign
      out += "deg";
      ++i;
      continue;
    }
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

// Splits a leading factor off unit text: "0.1 mm" gives 0.1 and "mm".
double LeadingFactor(std::string_view& unit) {
  size_t i = 0;
  while (i < unit.size() && unit[i] == ' ') ++i;
  size_t j = i;
  while (j < unit.size() && ((unit[j] >= '0' && unit[j] <= '9') || unit[j] == '.')) ++j;
  if (j == i || j >= unit.size() || unit[j] != ' ') return 1;
  double factor = 1;
  const auto [end, ec] = std::from_chars(unit.data() + i, unit.data() + j, factor);
  if (ec != std::errc() || end != unit.data() + j || factor <= 0) return 1;
  unit.remove_prefix(j);
  return factor;
}

}  // namespace

double ShortestDouble(float v) {
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  double d = v;
  if (ec == std::errc()) std::from_chars(text, end, d);
  return d;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string_view VarKey(WxVar v) {
  return kInfo[Index(v)].key;
}

std::string_view VarDescription(WxVar v) {
  return kInfo[Index(v)].description;
}

std::string VarNames(WxVar v) {
  std::string out;
  for (const std::string_view n : kInfo[Index(v)].names) {
    if (!out.empty()) out += ", ";
    out += n == "sfcwind" ? std::string_view("sfcWind") : n;
  }
  return out;
}

std::optional<WxVar> VarByName(std::string_view name) {
  const std::string lower = LowerAscii(name);
  for (const WxVar v : kWxVars) {
    for (const std::string_view n : kInfo[Index(v)].names) {
      if (lower == n) return v;
    }
  }
  return std::nullopt;
}

std::optional<WxVar> VarByStandardName(std::string_view standardName,
                                       std::string_view cellMethods) {
  if (standardName == "air_temperature") {
    // "time: maximum", "time: maximum within days", ...: the statistic over time.
    const size_t at = cellMethods.find("time:");
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view rest = cellMethods.substr(at + 5);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.starts_with("maximum")) return WxVar::Tmax;
    if (rest.starts_with("minimum")) return WxVar::Tmin;
    return std::nullopt;
  }
  for (const std::string_view s :
       {"precipitation_flux", "precipitation_amount", "lwe_precipitation_rate",
        "lwe_thickness_of_precipitation_amount", "thickness_of_rainfall_amount", "rainfall_flux",
        "rainfall_amount"}) {
    if (standardName == s) return WxVar::Rain;
  }
  for (const std::string_view s :
       {"surface_downwelling_shortwave_flux_in_air", "surface_downwelling_shortwave_flux",
        "integral_of_surface_downwelling_shortwave_flux_in_air_wrt_time"}) {
    if (standardName == s) return WxVar::Solar;
  }
  if (standardName == "relative_humidity") return WxVar::RelHum;
  if (standardName == "wind_speed") return WxVar::Wind;
  return std::nullopt;
}

std::optional<UnitConversion> FindUnit(WxVar v, std::string_view unit) {
  const double factor = LeadingFactor(unit);
  const std::string n = NormalisedUnit(unit);
  for (const UnitSpelling& u : UnitsOf(v)) {
    for (const std::string_view s : u.spellings) {
      if (n == s) return UnitConversion{u.conversion.scale * factor, u.conversion.offset};
    }
  }
  return std::nullopt;
}

std::string_view KnownUnits(WxVar v) {
  return kInfo[Index(v)].knownUnits;
}

}  // namespace olive
