#!/usr/bin/env bash
# Runs the example station: ten years (2001-2010) of synthetic weather for an olive orchard near
# Cordoba, with the example setup file, in a scratch working folder made afresh on every run (so
# repeated runs start from the same empty soil-water table).
#
#   tools/run-example.sh [FOLDER]          in a source tree: uses build/olive; FOLDER defaults
#                                          to build/example-run
#   PREFIX/share/olive/tools/run-example.sh [FOLDER]
#                                          installed: uses PREFIX/bin/olive; FOLDER defaults to
#                                          ./olive-example
#   OLIVE=/path/to/olive tools/run-example.sh
set -euo pipefail

if [[ "${1:-}" == "--help" || "${1:-}" == "-h" ]]; then
  sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'
  exit 0
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
if [[ -f "$root/CMakeLists.txt" ]]; then  # a source tree
  olive="${OLIVE:-$root/build/olive}"
  run="${1:-$root/build/example-run}"
  build_hint="cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build --parallel --target olive"
else  # installed under PREFIX/share/olive
  olive="${OLIVE:-$(cd "$root/../.." && pwd)/bin/olive}"
  run="${1:-$PWD/olive-example}"
  build_hint="cmake --install build --prefix PREFIX"
fi

if [[ ! -x "$olive" ]]; then
  echo "run-example: $olive not found; build first:" >&2
  echo "  $build_hint" >&2
  exit 1
fi

# Only a folder of an earlier example run (or an empty one) is made afresh.
if [[ -e "$run" && -n "$(ls -A "$run" 2>/dev/null)" && ! -f "$run/weather/Cordoba.txt" ]]; then
  echo "run-example: $run exists and is not an example run's folder; name another" >&2
  exit 1
fi
rm -rf "$run"
mkdir -p "$run/lut" "$run/weather"
cp "$root/examples/olive.setup" "$run/olive.setup"
cp "$root/examples/weather/Cordoba.txt" "$run/weather/Cordoba.txt"
cp "$root/examples/lut/OliveSoilWater.txt" "$run/lut/OliveSoilWater.txt"

cd "$run"
status=0
"$olive" olive.setup 1 1 2001 12 31 2010 365 weather/Cordoba.txt || status=$?

echo "olive exited with status $status in $run"
echo
echo "Files written:"
for f in OliveDaily.txt errorlog GisFilesList.txt lut/OliveSoilWater.txt OliveSummaries.txt OUT*.txt \
         Olive_*.txt; do
  [[ -f "$f" ]] && printf '  %-26s %8s bytes\n' "$f" "$(wc -c <"$f")"
done
if [[ -s errorlog ]]; then
  echo
  echo "Error log:"
  sed 's/^/  /' errorlog
fi
if [[ -f OliveDaily.txt ]]; then
  echo
  echo "OliveDaily.txt, $(($(wc -l <OliveDaily.txt) - 2)) rows; its title and first columns:"
  head -n 1 OliveDaily.txt | tr -d '\r' | sed 's/^/  /'
  head -n 5 OliveDaily.txt | tail -n 4 | tr -d '\r' | cut -f 1-11 | column -t -s $'\t' | sed 's/^/  /'
  echo
  echo "Seasons (the harvested fruit leave the tree the day after the harvest day):"
  awk -F '\t' 'NR == 2 { for (i = 1; i <= NF; i++) col[$i] = i; next }
       NR > 2 && pending { printf "  yield %s\n", $col["Yield"]; pending = 0 }
       NR > 2 && $col["Harvest"] + 0 == 1000 {
         printf "  %s  bloom day %3d  harvest day %3d  fruit mass %8s  reserves %7s ",
                $col["yr"], $col["Bloomday"], $col["jday"], $col["fruwgt"], $col["res"]
         pending = 1 }
       END { if (pending) printf "\n" }' OliveDaily.txt
fi
exit "$status"
