#pragma once
// Station names and the weather files named after them. A name keeps letters, digits, '-', '_',
// '.' and any non-ASCII character; every other character (blanks, '/', quotes, ...) becomes '_',
// and a leading '.' too, so that each name is one plain file name in the output folder. The
// weather file is the name plus ".wx".
#include <cstddef>
#include <string>
#include <string_view>

namespace olive {

std::string SafeStationName(std::string_view name);
// A grid cell's name: the prefix, '_', the cell's row along the grid's first spatial dimension
// and '_', its column along the second, both counted from 1 ("tasmax_day_3_7"). A grid of one
// spatial dimension gives "prefix_7", a single point the prefix alone.
std::string GridCellName(std::string_view prefix, int rank, std::size_t row, std::size_t column);
// The file name's stem: "data/tasmax_day.nc" gives "tasmax_day".
std::string FileStem(std::string_view path);

inline constexpr std::string_view kWeatherFileExtension = ".wx";

}  // namespace olive
