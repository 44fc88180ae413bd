#!/usr/bin/env bash
# The cost of running a grid straight from its NetCDF files (olive-batch --netcdf) against the
# converted route (olive-wx netcdf into weather files, then olive-batch @stations.txt): a grid of
# ROWS x COLS cells (one of them sea) over YEARS years from 2000, made by
# tools/make_netcdf_test_data.py --grid, run with the example setup, GIS rows once a year and the
# summary table. Both routes start from an empty soil-water table (each station makes its pass
# without output, then the pass with output). Prints the wall-clock seconds and the peak memory
# (maximum resident set, /usr/bin/time -v) of each step, the disk the weather files take, and
# checks that both routes leave the same shared files (apart from the date and time texts); then
# the NetCDF route once more with --netcdf-out.
#
#   tools/bench-netcdf.sh                      25 x 40 cells (1000), 30 years, -j of the machine
#   ROWS=10 COLS=20 YEARS=10 JOBS=2 tools/bench-netcdf.sh
#   OLIVE_BUILD=/path/to/build PYTHON=/usr/bin/python3 tools/bench-netcdf.sh
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${OLIVE_BUILD:-$root/build}"
python="${PYTHON:-/usr/bin/python3}"
rows="${ROWS:-25}" cols="${COLS:-40}" years="${YEARS:-30}" jobs="${JOBS:-$(nproc)}"
for exe in olive-batch olive-wx; do
  if [[ ! -x "$build/$exe" ]]; then
    echo "bench-netcdf: $build/$exe not found; build first (with libnetcdf-dev installed)" >&2
    exit 1
  fi
done
if [[ ! -x /usr/bin/time ]]; then
  echo "bench-netcdf: needs /usr/bin/time (Debian: apt-get install time)" >&2
  exit 1
fi

dir="$(mktemp -d "${TMPDIR:-/tmp}/olive-bench-netcdf.XXXXXX")"
trap 'rm -rf "$dir"' EXIT
echo "bench-netcdf: making a grid of ${rows} x ${cols} cells over ${years} years in $dir"
"$python" "$root/tools/make_netcdf_test_data.py" --grid "${rows}x${cols}" --years "$years" "$dir/data"
last=$((2000 + years - 1))
run=(-j "$jobs" olive.setup 1 1 2000 12 31 "$last" 365)
for folder in converted direct out; do
  mkdir -p "$dir/$folder/lut"
  cp "$root/examples/lut/OliveSoilWater.txt" "$dir/$folder/lut/"
  cp "$root/examples/olive.setup" "$dir/$folder/"
done
echo "input: $(du -sh "$dir/data/grid" | cut -f1) of NetCDF files"

# Runs a step in a folder; prints its seconds and peak memory.
timed() {
  local label="$1" folder="$2"
  shift 2
  (cd "$dir/$folder" && /usr/bin/time -v "$@" >stdout.txt 2>"$dir/$folder/time.txt") || {
    tail -5 "$dir/$folder/time.txt" >&2
    return 1
  }
  local wall rss
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0
                     for (i = 1; i <= n; ++i) s = s * 60 + t[i]; print s }' "$dir/$folder/time.txt")
  rss=$(awk -F': ' '/Maximum resident set size/ { printf "%.0f", $2 / 1024 }' "$dir/$folder/time.txt")
  printf '%-44s %8.2f s %7s MB\n' "$label" "$wall" "$rss"
  echo "$wall" >"$dir/$folder/wall.txt"
}

timed "olive-wx netcdf (convert to weather files)" converted \
  "$build/olive-wx" netcdf "$dir"/data/grid/*.nc -o .
echo "weather files: $(du -sh --exclude=lut "$dir/converted" | cut -f1) in $(wc -l <"$dir/converted/stations.txt") files"
cp "$dir/converted/wall.txt" "$dir/convert-wall.txt"
timed "olive-batch @stations.txt (converted files)" converted "$build/olive-batch" "${run[@]}" @stations.txt
timed "olive-batch --netcdf" direct "$build/olive-batch" --netcdf "${run[@]}" "$dir"/data/grid/*.nc
timed "olive-batch --netcdf --netcdf-out" out "$build/olive-batch" --netcdf --netcdf-out out.nc \
  "${run[@]}" "$dir"/data/grid/*.nc
echo "NetCDF output: $(du -h "$dir/out/out.nc" | cut -f1)"

awk -v c="$(cat "$dir/convert-wall.txt")" -v b="$(cat "$dir/converted/wall.txt")" \
  -v n="$(cat "$dir/direct/wall.txt")" 'BEGIN {
    printf "converted route %.2f s (conversion %.2f + batch %.2f), NetCDF route %.2f s: %.2f times as fast\n",
           c + b, c, b, n, (c + b) / n }'

# The same shared files, the date and time texts aside.
masked() { sed -E 's/^[0-9/-]+ [0-9:]+//; s/^(VudadIDE)\t[^\t]*\t[^\t]*/\1/' "$1"; }
same=1
for f in "$dir"/converted/OUT* "$dir"/converted/GisFilesList.txt "$dir"/converted/OliveSummaries.txt \
  "$dir"/converted/errorlog "$dir"/converted/lut/OliveSoilWater.txt; do
  name="${f#"$dir"/converted/}"
  if ! cmp -s <(masked "$f") <(masked "$dir/direct/$name"); then
    echo "bench-netcdf: $name differs between the routes" >&2
    same=0
  fi
done
[[ $same == 1 ]] && echo "both routes left the same shared files"
[[ $same == 1 ]]
