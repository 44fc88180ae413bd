#!/usr/bin/env python3
"""Checks olive-batch's NetCDF output against the GIS files of the same run.

    netcdf_output_check.py OUT.nc GRID.nc RUN_FOLDER SEA_ROW SEA_COL

OUT.nc must have the grid of GRID.nc (its dimensions, lat and lon, its grid mapping), the
dimensions time and temp_incr, and for every GIS row of RUN_FOLDER's periodic GIS files (not
OUT00end.txt) the row's value of every numeric column at the row's cell, scenario and date; the
sea cell (counted from 1) is _FillValue everywhere. Prints what differs and exits 1; exits 77
when netCDF4 is missing.
"""

import glob
import os
import sys

try:
    import netCDF4
    import numpy as np
except ImportError as missing:
    print(f"needs the Python package {missing.name} (Debian: python3-netcdf4)")
    sys.exit(77)

TEXT = {"Model", "Date", "Time", "WxFile"}


def main(out_path, grid_path, folder, sea_row, sea_col):
    problems = []
    out = netCDF4.Dataset(out_path)
    grid = netCDF4.Dataset(grid_path)
    out.set_auto_mask(False)
    fill = np.float32(9.96921e36)
    if tuple(out["FruWgt"].dimensions) != ("time", "temp_incr", "rlat", "rlon"):
        problems.append(f"dimensions {out['FruWgt'].dimensions}")
    for name in ("lat", "lon", "rlat", "rlon"):
        if not np.array_equal(out[name][:], grid[name][:]):
            problems.append(f"{name} differs from the input's")
    if out["FruWgt"].grid_mapping != "rotated_pole" or \
            out["rotated_pole"].grid_mapping_name != "rotated_latitude_longitude":
        problems.append("grid mapping")
    if out["FruWgt"].coordinates != "lat lon" or out["FruWgt"].units != "1":
        problems.append("coordinates or units")
    if out["time"].calendar != "standard" or out["time"].units != "days since 2000-01-01 00:00:00":
        problems.append(f"time {out['time'].units} {out['time'].calendar}")
    if "olive.setup" not in out.setup_file or "--netcdf-out" not in out.command_line:
        problems.append("global attributes")
    increments = list(out["temp_incr"][:])
    rows = 0
    dates = set()
    for path in sorted(glob.glob(os.path.join(folder, "OUT0*.txt"))):
        if path.endswith("OUT00end.txt"):
            continue
        t = int(os.path.basename(path)[3:8]) - 2
        with open(path) as f:
            header = f.readline().rstrip("\n").split("\t")
            for line in f:
                fields = dict(zip(header, line.rstrip("\n").split("\t")))
                r, c = (int(x) - 1 for x in fields["WxFile"][:-3].split("_")[-2:])
                s = increments.index(np.float32(fields["TempIncr"]))
                dates.add((t, int(fields["Year"]), int(fields["Month"]), int(fields["Day"])))
                rows += 1
                for name, text in fields.items():
                    if name in TEXT:
                        continue
                    got = out[name][t, s, r, c]
                    if got != np.float32(text):
                        problems.append(f"{name} at {t},{s},{r},{c}: {got}, GIS {text}")
    cal = netCDF4.num2date(out["time"][:], out["time"].units, out["time"].calendar)
    for t, y, m, d in dates:
        if (cal[t].year, cal[t].month, cal[t].day) != (y, m, d):
            problems.append(f"time {t}: {cal[t]}, GIS {y}-{m}-{d}")
    for name, var in out.variables.items():
        if var.dimensions[:2] == ("time", "temp_incr") and \
                not np.all(var[:, :, sea_row - 1, sea_col - 1] == fill):
            problems.append(f"{name} of the sea cell is not _FillValue")
    if rows == 0:
        problems.append("no GIS row")
    for p in problems[:20]:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5])))
