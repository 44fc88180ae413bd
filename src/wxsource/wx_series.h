#pragma once
// One station's daily weather as the converters hold it in memory (weather/wx_series.h): the CSV
// and NetCDF readers make them; the weather-file writer writes them; a batch run takes them as
// they are.
#include "weather/wx_series.h"
