#!/usr/bin/env bash
# Throughput of olive-batch on 1 and on 2 cores: the 36 stations of tools/make_region.py, ten
# years each (2001-2010), with every submodel and spray on (the example setup with all switches
# set, as the whole-run benchmark in bench/full_run_bench.cpp has them), GIS rows and the summary
# table, no daily files. A first batch records the stations in the soil-water table, so each timed
# batch makes one pass per station; the GIS files and the summary table are removed before each
# timed batch. The -j 1 and -j 2 batches alternate, and the best of ROUNDS rounds counts.
#
#   tools/bench-batch.sh                 uses build/olive-batch, 3 rounds
#   OLIVE_BATCH=/path/to/olive-batch ROUNDS=5 tools/bench-batch.sh
#
# Prints the seconds of each batch, simulated station-years per second and the speed-up of two
# cores over one.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
batch="${OLIVE_BATCH:-$root/build/olive-batch}"
rounds="${ROUNDS:-3}"
if [[ ! -x "$batch" ]]; then
  echo "bench-batch: $batch not found; build first:" >&2
  echo "  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build" >&2
  exit 1
fi

dir="$(mktemp -d "${TMPDIR:-/tmp}/olive-bench-batch.XXXXXX")"
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/lut"
cp "$root/examples/lut/OliveSoilWater.txt" "$dir/lut/"
# Every submodel and spray switch on: nitrogen, mites, predators, sharpshooter, both scales and
# their parasitoids, coccinellid, olive fly, sprays against mites, both scales and the fly.
awk 'BEGIN { split("31 43 59 64 70 76 79 83 89 92 96 101 112 113 114 115", on, " ")
             for (i in on) sw[on[i]] = 1 }
     (FNR in sw) { print "T\tswitched on by bench-batch.sh"; next } { print }' \
  "$root/examples/olive.setup" >"$dir/all.setup"
cd "$dir"
python3 "$root/tools/make_region.py" weather >/dev/null
stations=$(wc -l <weather/stations.txt)
args=(all.setup 1 1 2001 12 31 2010 365 @weather/stations.txt)

"$batch" -j 2 "${args[@]}"  # records the stations' soil water
if [[ -s errorlog ]]; then
  echo "bench-batch: the first batch reported errors:" >&2
  cat errorlog >&2
  exit 1
fi

best1="" best2=""
run() {  # run JOBS: seconds of one batch
  rm -f OUT*.txt GisFilesList.txt OliveSummaries.txt
  local start end
  start=$(date +%s.%N)
  "$batch" -j "$1" "${args[@]}"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
for ((r = 1; r <= rounds; r++)); do
  t1=$(run 1)
  t2=$(run 2)
  printf 'round %d: -j 1 %.3f s, -j 2 %.3f s\n' "$r" "$t1" "$t2"
  if [[ -z "$best1" ]] || (($(echo "$t1 < $best1" | bc -l))); then best1=$t1; fi
  if [[ -z "$best2" ]] || (($(echo "$t2 < $best2" | bc -l))); then best2=$t2; fi
done
years=$((stations * 10))
printf 'olive-batch, %d stations x 10 years, best of %d:\n' "$stations" "$rounds"
printf '  1 core:  %.3f s, %.1f station-years/s\n' "$best1" "$(echo "$years / $best1" | bc -l)"
printf '  2 cores: %.3f s, %.1f station-years/s\n' "$best2" "$(echo "$years / $best2" | bc -l)"
printf '  speed-up of 2 cores over 1: %.2f\n' "$(echo "$best1 / $best2" | bc -l)"
