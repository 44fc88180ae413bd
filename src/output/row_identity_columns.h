#pragma once
// The columns with which every GIS row and every summary row begins: the model, when the row was
// written, and the station with its place. Included by the two tables' sources only (the values
// read the simulation's state).
#include <array>
#include <cstddef>

#include "output/column_table.h"
#include "state/simulation.h"

namespace olive {

inline constexpr std::array<OutputColumn, 6> kRowIdentityColumns = {
    TextColumn("Model", TextField::Model, {"the model's name, VudadIDE", kUnitText, "model"}),
    TextColumn("Date", TextField::Date,
               {"the computer's date when the row was written, ddmmmyy", kUnitText, "write_date"}),
    TextColumn("Time", TextField::Time,
               {"the computer's time when the row was written", kUnitText, "write_time"}),
    TextColumn(
        "WxFile", TextField::WxFile,
        {"the station's weather file, as named on the command line", kUnitText, "weather_file"}),
    OneSource("Long", OLIVE_COLUMN_VALUE(sim.wx.Longitude), kFixed4,
              {"the station's longitude, from its weather file", kUnitLongitude, "longitude"}),
    OneSource("Lat", OLIVE_COLUMN_VALUE(sim.wx.LatitudeDegrees), kFixed4,
              {"the station's latitude, from its weather file", kUnitLatitude, "latitude"}),
};

// The row identity's columns, then the table's own.
template <std::size_t M>
constexpr std::array<OutputColumn, kRowIdentityColumns.size() + M> AfterRowIdentity(
    const OutputColumn (&own)[M]) {
  std::array<OutputColumn, kRowIdentityColumns.size() + M> all{};
  for (std::size_t i = 0; i < kRowIdentityColumns.size(); ++i) all[i] = kRowIdentityColumns[i];
  for (std::size_t i = 0; i < M; ++i) all[kRowIdentityColumns.size() + i] = own[i];
  return all;
}

}  // namespace olive
