#!/usr/bin/env python3
"""Writes small CF NetCDF files of daily weather, for the tests of olive-wx netcdf.

    make_netcdf_test_data.py OUTDIR
    make_netcdf_test_data.py --grid ROWSxCOLS --years N OUTDIR

makes, under OUTDIR (with --grid, only grid/, of ROWS x COLS cells over N years from 2000-01-01,
precipitation in one file: for the tests of gridded batches and for benchmarks):

  grid/     one file per variable (tasmax, tasmin, pr, rsds, hurs, sfcWind) on a rotated grid of
            3 x 4 cells with two-dimensional lat and lon (longitudes given from 0 to 360), daily
            from 2000-01-01 to 2001-12-31 in the standard calendar: temperatures in K,
            precipitation as a flux in kg m-2 s-1 (split over two files, one a year, one in
            "days since", the other in "hours since"), the last cell all sea (_FillValue), a few
            missing values scattered over the others. Cell (1, 1) reads 300 K and 1e-4
            kg m-2 s-1 on the first day.
  noleap/   the same grid and variables in a 365-day calendar ("noleap", "365_day").
  360day/   tasmax and tasmin in a 360_day calendar.
  badunits/ tasmax in "degrees".
  stations/ one file of two stations along a station dimension (CF discrete sampling geometry,
            names in a variable with cf_role "timeseries_id"), E-OBS variable names (tx, tn, rr,
            qq, hu, fg), packed temperatures, 2000-02-25 to 2000-03-05.

The values are made by formulas (no random numbers), so every machine makes the same files.
Exits with 77 (a skipped test) when the Python packages netCDF4 or numpy are missing.
"""

import math
import os
import sys

try:
    import cftime
    import netCDF4
    import numpy as np
    MISSING = None
except ImportError as missing:
    MISSING = missing.name

ROWS, COLS = 3, 4
SEA = (2, 3)
FILL = 1.0e20  # as a 32-bit float


def day_values(days):
    """The variables' values over days (0-based from the first day) and the grid, in the file
    units: K, kg m-2 s-1, W m-2, %, m s-1."""
    d = np.arange(days, dtype=np.float64)[:, None, None]
    r = np.arange(ROWS, dtype=np.float64)[None, :, None]
    c = np.arange(COLS, dtype=np.float64)[None, None, :]
    season = np.sin(2 * math.pi * (d - 110) / 365.25)
    tasmax = 291.15 + 9.0 * season - 0.5 * r + 0.25 * c + 0.1 * np.cos(d)
    tasmin = tasmax - 11.0 - 0.2 * np.sin(0.7 * d)
    pr = np.where((d.astype(int) + r.astype(int) + c.astype(int)) % 4 == 0, 2.5e-5, 0.0)
    pr = pr + 0.0 * (r + c)
    rsds = 190.0 + 110.0 * season + 2.0 * c
    hurs = 62.0 - 20.0 * season + r
    wind = 2.5 + 0.5 * np.sin(0.3 * d) + 0.1 * c
    values = {"tasmax": tasmax, "tasmin": tasmin, "pr": pr, "rsds": rsds, "hurs": hurs,
              "sfcWind": wind}
    values = {k: np.broadcast_to(v, (days, ROWS, COLS)).astype(np.float32).copy()
              for k, v in values.items()}
    values["tasmax"][0, 0, 0] = 300.0
    values["pr"][0, 0, 0] = 1.0e-4
    for v in values.values():
        v[:, SEA[0], SEA[1]] = FILL
    values["tasmax"][10:13, 1, 1] = FILL
    values["pr"][50, 0, 1] = FILL
    values["tasmax"][59, 0, 1] = FILL  # 1 March of a noleap 2000, 29 February of a standard one
    return values


VARIABLES = {
    # name: (standard_name, cell_methods, units)
    "tasmax": ("air_temperature", "time: maximum", "K"),
    "tasmin": ("air_temperature", "time: minimum", "K"),
    "pr": ("precipitation_flux", "time: mean", "kg m-2 s-1"),
    "rsds": ("surface_downwelling_shortwave_flux_in_air", "time: mean", "W m-2"),
    "hurs": ("relative_humidity", "time: mean", "%"),
    "sfcWind": ("wind_speed", "time: mean", "m s-1"),
}


def grid_file(path, name, data, times, time_units, calendar, bounds=None, units=None):
    """One variable on the rotated grid (in its usual units, or in units)."""
    with netCDF4.Dataset(path, "w", format="NETCDF4") as nc:
        nc.Conventions = "CF-1.7"
        nc.createDimension("time", None)
        nc.createDimension("rlat", ROWS)
        nc.createDimension("rlon", COLS)
        t = nc.createVariable("time", "f8", ("time",))
        t.standard_name = "time"
        t.units = time_units
        t.calendar = calendar
        t.axis = "T"
        t[:] = times
        if bounds is not None:
            nc.createDimension("bnds", 2)
            t.bounds = "time_bnds"
            b = nc.createVariable("time_bnds", "f8", ("time", "bnds"))
            b[:] = bounds
        rlat = nc.createVariable("rlat", "f8", ("rlat",))
        rlat.standard_name = "grid_latitude"
        rlat.units = "degrees"
        rlat[:] = -1.0 + 0.11 * np.arange(ROWS)
        rlon = nc.createVariable("rlon", "f8", ("rlon",))
        rlon.standard_name = "grid_longitude"
        rlon.units = "degrees"
        rlon[:] = -8.0 + 0.11 * np.arange(COLS)
        pole = nc.createVariable("rotated_pole", "c")
        pole.grid_mapping_name = "rotated_latitude_longitude"
        pole.grid_north_pole_latitude = 39.25
        pole.grid_north_pole_longitude = -162.0
        r = np.arange(ROWS)[:, None]
        c = np.arange(COLS)[None, :]
        lat = nc.createVariable("lat", "f4", ("rlat", "rlon"))
        lat.standard_name = "latitude"
        lat.units = "degrees_north"
        lat[:] = (37.5 + 0.1 * r + 0.02 * c).astype(np.float32)
        lon = nc.createVariable("lon", "f4", ("rlat", "rlon"))
        lon.standard_name = "longitude"
        lon.units = "degrees_east"
        lon[:] = (354.5 + 0.125 * c - 0.025 * r).astype(np.float32)
        standard_name, cell_methods, usual_units = VARIABLES[name]
        v = nc.createVariable(name, "f4", ("time", "rlat", "rlon"), fill_value=FILL)
        v.standard_name = standard_name
        v.cell_methods = cell_methods
        v.units = units or usual_units
        v.grid_mapping = "rotated_pole"
        v.coordinates = "lat lon"
        v[:] = data


def days_since(units, calendar):
    """The time value of 2000-01-01 00:00 in the units and calendar."""
    return float(cftime.date2num(cftime.datetime(2000, 1, 1, calendar=calendar), units, calendar))


def grid_set(folder, calendar_names, days, split_pr=True):
    """The six variables of one calendar; pr split into two files (unless not split_pr)."""
    os.makedirs(folder, exist_ok=True)
    values = day_values(days)
    day = np.arange(days, dtype=np.float64)
    for i, name in enumerate(VARIABLES):
        calendar = calendar_names[i % len(calendar_names)]
        path = os.path.join(folder, f"{name}_day_test.nc")
        if name == "tasmax":
            # Noon stamps from an older reference, with bounds.
            units = "days since 1949-12-01 00:00:00"
            times = days_since(units, calendar) + day + 0.5
            bounds = np.stack([times - 0.5, times + 0.5], axis=1)
            grid_file(path, name, values[name], times, units, calendar, bounds)
        elif name == "pr" and split_pr:
            first_year = 366 if days == 731 else 365
            grid_file(os.path.join(folder, "pr_day_test_2000.nc"), name,
                      values[name][:first_year], day[:first_year], "days since 2000-01-01",
                      calendar)
            grid_file(os.path.join(folder, "pr_day_test_2001.nc"), name,
                      values[name][first_year:], 12.0 + 24.0 * day[first_year:],
                      "hours since 2000-01-01 00:00:00", calendar)
        else:
            grid_file(path, name, values[name], day, "days since 2000-01-01", calendar)


def stations_file(path):
    """Two stations along a station dimension, E-OBS names, packed temperatures."""
    days, stations = 10, 2
    names = ["CORDOBA AEROPUERTO", "Jaén"]
    with netCDF4.Dataset(path, "w", format="NETCDF4") as nc:
        nc.Conventions = "CF-1.7"
        nc.featureType = "timeSeries"
        nc.createDimension("time", days)
        nc.createDimension("station", stations)
        nc.createDimension("name_strlen", 24)
        t = nc.createVariable("time", "f8", ("time",))
        t.standard_name = "time"
        t.units = "days since 2000-02-25"
        t.calendar = "proleptic_gregorian"
        t[:] = np.arange(days, dtype=np.float64)
        sn = nc.createVariable("station_name", "S1", ("station", "name_strlen"))
        sn.cf_role = "timeseries_id"
        sn.set_auto_chartostring(False)
        chars = np.zeros((stations, 24), "S1")
        for i, n in enumerate(names):
            encoded = n.encode("utf-8")
            chars[i, :len(encoded)] = [bytes([b]) for b in encoded]
        sn[:] = chars
        lat = nc.createVariable("lat", "f8", ("station",))
        lat.standard_name = "latitude"
        lat.units = "degrees_north"
        lat[:] = [37.85, 37.77]
        lon = nc.createVariable("lon", "f8", ("station",))
        lon.standard_name = "longitude"
        lon.units = "degrees_east"
        lon[:] = [-4.85, -3.79]
        d = np.arange(days)[:, None]
        s = np.arange(stations)[None, :]
        for name, units, values in [("tx", "Celsius", 15.0 + 0.5 * d + s),
                                    ("tn", "Celsius", 2.0 + 0.25 * d - s)]:
            v = nc.createVariable(name, "i2", ("time", "station"), fill_value=np.int16(-9999))
            v.standard_name = "air_temperature"
            v.units = units
            v.scale_factor = np.float32(0.01)
            v.add_offset = np.float32(0.0)
            v.set_auto_maskandscale(True)
            v[:] = values
        for name, standard_name, units, values in [
                ("rr", "thickness_of_rainfall_amount", "mm", 1.5 * (d % 3 == 0) + 0.0 * s),
                ("qq", "surface_downwelling_shortwave_flux_in_air", "W/m2", 120.0 + 5.0 * d + s),
                ("hu", "relative_humidity", "%", 70.0 - d + 0.0 * s),
                ("fg", "wind_speed", "m/s", 3.0 + 0.5 * s + 0.0 * d)]:
            v = nc.createVariable(name, "f4", ("time", "station"), fill_value=np.float32(-9999))
            v.standard_name = standard_name
            v.units = units
            data = np.broadcast_to(values, (days, stations)).astype(np.float32).copy()
            if name == "rr":
                data[4, 1] = np.float32(-9999)  # a missing value on 29 February
            v[:] = data


def sized_grid(argv):
    """--grid ROWSxCOLS --years N OUTDIR: the grid's variables alone, of any size and length."""
    global ROWS, COLS
    try:
        rows, cols = (int(x) for x in argv[2].lower().split("x"))
        years = int(argv[4])
        assert argv[3] == "--years" and rows >= 3 and cols >= 4 and years >= 1
    except (ValueError, AssertionError):
        print("make_netcdf_test_data.py: --grid ROWSxCOLS (at least 3x4) --years N OUTDIR",
              file=sys.stderr)
        return 2
    ROWS, COLS = rows, cols
    days = sum(366 if y % 4 == 0 and (y % 100 != 0 or y % 400 == 0) else 365
               for y in range(2000, 2000 + years))
    grid_set(os.path.join(argv[5], "grid"), ["standard"], days, split_pr=False)
    return 0


def main(argv):
    if not (len(argv) == 2 or (len(argv) == 6 and argv[1] == "--grid")) or argv[1] in ("-h",
                                                                                       "--help"):
        print(__doc__.strip())
        return 0 if len(argv) == 2 else 2
    if MISSING:
        print(f"make_netcdf_test_data.py: needs the Python package {MISSING} "
              "(Debian: apt-get install python3-netcdf4)", file=sys.stderr)
        return 77
    if argv[1] == "--grid":
        return sized_grid(argv)
    out = argv[1]
    grid_set(os.path.join(out, "grid"), ["standard", "proleptic_gregorian", "gregorian"], 731)
    grid_set(os.path.join(out, "noleap"), ["noleap", "365_day"], 730)
    folder = os.path.join(out, "360day")
    os.makedirs(folder, exist_ok=True)
    values = day_values(720)
    for name in ("tasmax", "tasmin"):
        grid_file(os.path.join(folder, f"{name}_day_test.nc"), name, values[name],
                  np.arange(720, dtype=np.float64), "days since 2000-01-01", "360_day")
    folder = os.path.join(out, "badunits")
    os.makedirs(folder, exist_ok=True)
    values = day_values(731)
    grid_file(os.path.join(folder, "tasmax_day_test.nc"), "tasmax", values["tasmax"],
              np.arange(731, dtype=np.float64), "days since 2000-01-01", "standard",
              units="degrees")
    folder = os.path.join(out, "stations")
    os.makedirs(folder, exist_ok=True)
    stations_file(os.path.join(folder, "eobs_stations.nc"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
