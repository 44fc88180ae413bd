#pragma once
// The units of the output columns (output/column_info.h) as CF and UDUNITS spell them, for the
// units attribute of the NetCDF output: "1" for ratios, counts and the model's mass units, "K d"
// for degree-days (a temperature difference times days), "K" for a temperature change, "d" for
// sums over days. The prose unit stays in the variables' comments.
#include <string_view>

namespace olive {

// The CF units of an output column's unit (one of the column_info.h constants); "1" for a unit
// without a physical dimension.
std::string_view CfUnits(std::string_view unit);

}  // namespace olive
