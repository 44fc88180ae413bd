#pragma once
// What the converters know of each weather variable: its key on the command line, its
// description for messages, the common names that tables and NetCDF files give it, the CF
// standard names, and the units it may come in, each with its conversion to the weather file's
// unit (deg C, daily mean W/m2, mm a day, %, m/s).
#include <optional>
#include <string>
#include <string_view>

#include "wxsource/wx_series.h"

namespace olive {

// A linear conversion to the weather file's unit: file value = source value * scale + offset.
struct UnitConversion {
  double scale = 1;
  double offset = 0;
  double Apply(double v) const { return v * scale + offset; }
};

// "tmax", "tmin", "solar", "rain", "rh", "wind": the variable's key in --map and --units.
std::string_view VarKey(WxVar v);
// "maximum temperature", "minimum temperature", "solar radiation", "precipitation", "relative
// humidity", "wind speed".
std::string_view VarDescription(WxVar v);
// The common names, for messages: "tmax, temp_max, tasmax, tx".
std::string VarNames(WxVar v);
// The variable a column or NetCDF variable name stands for (case-insensitive), if any.
std::optional<WxVar> VarByName(std::string_view name);

// The variable of a CF standard_name and cell_methods ("air_temperature" with "time: maximum" is
// the maximum temperature); nullopt when they do not decide it (air_temperature without a
// maximum or minimum over time is decided by the name, or is another temperature).
std::optional<WxVar> VarByStandardName(std::string_view standardName, std::string_view cellMethods);

// The conversion of unit text to the variable's file unit, if the unit is known. The text is
// compared without case, blanks and "**" or "^" ("kg m**-2 s**-1" is "kg m-2 s-1"), a leading
// factor is taken ("0.1 mm"), and "deg C", "degC", "°C" and "celsius" are one.
std::optional<UnitConversion> FindUnit(WxVar v, std::string_view unit);
// The units the variable may come in, for messages: "degC, K, degF".
std::string_view KnownUnits(WxVar v);

// The shortest decimal that reads back as the float v, as a double: a 32-bit source value taken
// as the number it was written from (287.3f gives 287.3, not 287.29998779296875), so that
// converting it does not carry the float's rounding into the result.
double ShortestDouble(float v);

// Lower-case ASCII copy of text.
std::string LowerAscii(std::string_view text);

}  // namespace olive
