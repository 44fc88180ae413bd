#include "output/cf_units.h"

#include <array>
#include <utility>

#include "output/column_info.h"

namespace olive {

std::string_view CfUnits(std::string_view unit) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 23> kUnits = {{
      {kUnitText, "1"},
      {kUnitRatio, "1"},
      {kUnitRatioDays, "d"},
      {kUnitMass, "1"},
      {kUnitNitrogen, "1"},
      {kUnitNitrogenPerDay, "d-1"},
      {kUnitNitrogenShare, "%"},
      {kUnitNumber, "1"},
      {kUnitNumberDays, "d"},
      {kUnitLeafArea, "dm2"},
      {kUnitPlantDD, "K d"},
      {kUnitPlantDDBelow, "K d"},
      {kUnitFrostDD, "K d"},
      {kUnitKillDD, "K d"},
      {kUnitDamageDD, "K d"},
      {kUnitSharpshooterDD, "K d"},
      {kUnitChill, "1"},
      {kUnitPercent, "%"},
      {kUnitPrecipitation, "mm"},
      {kUnitTemperatureChange, "K"},
      {kUnitLongitude, "degrees_east"},
      {kUnitLatitude, "degrees_north"},
      {kUnitDayOfYear, "1"},
  }};
  if (unit == kUnitDay) return "d";
  for (const auto& [prose, cf] : kUnits) {
    if (prose == unit) return cf;
  }
  return "1";
}

}  // namespace olive
