#pragma once
// What an output column means and in which unit: declared beside each column in the column tables
// of the daily file, the GIS files and the summary table, and printed from there as the data
// dictionary (`olive --columns`, output/column_dictionary.h).
#include <string_view>

namespace olive {

// Units of the output columns, each spelled once. "Per tree": the model simulates one tree of
// the orchard. A unit is never empty: "1" for a ratio, "-" for a text, a flag or a calendar field.
inline constexpr std::string_view kUnitText = "-";
inline constexpr std::string_view kUnitRatio = "1";
inline constexpr std::string_view kUnitRatioDays = "ratio × days";
inline constexpr std::string_view kUnitMass = "mass units per tree";
inline constexpr std::string_view kUnitNitrogen = "mass units of N per tree";
inline constexpr std::string_view kUnitNitrogenPerDay = "mass units of N per tree and day";
inline constexpr std::string_view kUnitNitrogenShare = "% of leaf mass";
inline constexpr std::string_view kUnitNumber = "number per tree";
inline constexpr std::string_view kUnitNumberDays = "number × days per tree";
inline constexpr std::string_view kUnitLeafArea = "dm² per tree";
inline constexpr std::string_view kUnitPlantDD = "degree-days above OliveBase";
inline constexpr std::string_view kUnitPlantDDBelow = "degree-days below OliveBase";
inline constexpr std::string_view kUnitFrostDD = "degree-days below 0 °C";
inline constexpr std::string_view kUnitKillDD = "degree-days below -10 °C";
inline constexpr std::string_view kUnitDamageDD = "degree-days below -8.3 °C";
inline constexpr std::string_view kUnitSharpshooterDD = "degree-days above 4.445 °C";
inline constexpr std::string_view kUnitChill = "chill units";
inline constexpr std::string_view kUnitPercent = "%";
inline constexpr std::string_view kUnitPrecipitation = "mm";
inline constexpr std::string_view kUnitTemperatureChange = "°C";
inline constexpr std::string_view kUnitLongitude = "degrees east";
inline constexpr std::string_view kUnitLatitude = "degrees north";
inline constexpr std::string_view kUnitDayOfYear = "day of year";
inline constexpr std::string_view kUnitDay = "day";

// What a column reports, for the data dictionary.
struct ColumnInfo {
  std::string_view meaning;
  std::string_view unit;
  // The quantity's id when other columns (of this file or another) report the same quantity under
  // their own names: the dictionary names them as the same. Empty when no other column does.
  std::string_view quantity = {};
  // The unit of the rows that report period sums (GIS output interval 365, and the organisms'
  // harvest snapshot, which holds their sums up to the harvest); empty when it is `unit`.
  std::string_view sumUnit = {};
};

// A count of individuals per tree (output day), or their daily counts summed (period sums).
constexpr ColumnInfo Count(std::string_view meaning, std::string_view quantity) {
  return {meaning, kUnitNumber, quantity, kUnitNumberDays};
}

}  // namespace olive
