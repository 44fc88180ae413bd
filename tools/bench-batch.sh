#!/usr/bin/env bash
# Throughput of olive-batch on 1 and on 2 cores: the 36 stations of tools/make_region.py, ten
# years each (2001-2010), with every submodel and spray on (the example setup with all switches
# set, as the whole-run benchmark in bench/full_run_bench.cpp has them), GIS rows and the summary
# table, no daily files. A first batch records the stations in the soil-water table, so each timed
# batch makes one pass per station; the GIS files, the summary table and the ledger are removed
# before each timed batch. The -j 1 and -j 2 batches alternate, and the best of ROUNDS rounds
# counts.
#
# When olive-batch was built with MPI, also 1, 2 and 3 MPI ranks of one thread each (mpiexec
# --oversubscribe): the batch's own time, from its summary line (MPI's start and end, about 0.3 s
# here, left out), and that of the whole mpiexec; and the cost of rank 0's commits: the journals
# of the batch made by one shard, then timed as they are merged (read, checked, committed and
# recorded in the ledger, as rank 0 does for every station).
#
#   tools/bench-batch.sh                 uses build/olive-batch, 3 rounds
#   OLIVE_BATCH=/path/to/olive-batch ROUNDS=5 tools/bench-batch.sh
#
# Prints the seconds of each batch, simulated station-years per second and the speed-ups.
set -euo pipefail
if [[ $# -gt 0 ]]; then
  sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'
  [[ "$1" == "--help" || "$1" == "-h" ]] && exit 0
  exit 64
fi

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

years=$((stations * 10))
mpi=""
if command -v mpiexec >/dev/null && ldd "$batch" | grep -q libmpi; then
  mpi=(env OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 mpiexec --oversubscribe)
fi
clean() { rm -rf OUT*.txt GisFilesList.txt OliveSummaries.txt olive-batch.*ledger* journals; }
seconds() {  # seconds COMMAND...: the seconds the command takes
  local start end
  start=$(date +%s.%N)
  "$@" 2>/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
declare -A best
keep() {  # keep NAME SECONDS: the best time of NAME
  if [[ -z "${best[$1]:-}" ]] || (($(echo "$2 < ${best[$1]}" | bc -l))); then best[$1]=$2; fi
}
for ((r = 1; r <= rounds; r++)); do
  clean; t1=$(seconds "$batch" -j 1 "${args[@]}"); keep j1 "$t1"
  clean; t2=$(seconds "$batch" -j 2 "${args[@]}"); keep j2 "$t2"
  line=$(printf 'round %d: -j 1 %.3f s, -j 2 %.3f s' "$r" "$t1" "$t2")
  if [[ -n "$mpi" ]]; then
    for n in 1 2 3; do
      clean
      start=$(date +%s.%N)
      "${mpi[@]}" -n "$n" "$batch" --mpi -j 1 "${args[@]}" 2>summary.txt
      t=$(echo "$(date +%s.%N) - $start" | bc -l)
      # "... 360.0 station-years in 1.9 s, 190.0 station-years/s": the batch's own seconds.
      own=$(tail -1 summary.txt | sed -E 's/.* ([0-9.]+) station-years\/s$/\1/')
      own=$(echo "$years / $own" | bc -l)
      keep "mpi$n" "$t"
      keep "own$n" "$own"
      line+=$(printf ', %d rank(s) %.3f s (%.3f s)' "$n" "$own" "$t")
    done
    clean; "$batch" -j 2 --shard 1/1 --journal-dir journals "${args[@]}" 2>/dev/null
    t=$(seconds "$batch" merge --journal-dir journals "${args[@]}"); keep merge "$t"
    line+=$(printf ', merge %.3f s' "$t")
  fi
  echo "$line"
done
rate() { echo "$years / ${best[$1]}" | bc -l; }
printf 'olive-batch, %d stations x 10 years, best of %d:\n' "$stations" "$rounds"
printf '  1 core:  %.3f s, %.1f station-years/s\n' "${best[j1]}" "$(rate j1)"
printf '  2 cores: %.3f s, %.1f station-years/s\n' "${best[j2]}" "$(rate j2)"
printf '  speed-up of 2 cores over 1: %.2f\n' "$(echo "${best[j1]} / ${best[j2]}" | bc -l)"
if [[ -n "$mpi" ]]; then
  for n in 1 2 3; do
    printf '  %d MPI rank(s) of one thread: %.3f s, %.1f station-years/s, %.2f times 1 rank' \
      "$n" "${best[own$n]}" "$(rate "own$n")" "$(echo "${best[own1]} / ${best[own$n]}" | bc -l)"
    printf ' (with mpiexec: %.3f s, %.2f times)\n' "${best[mpi$n]}" \
      "$(echo "${best[mpi1]} / ${best[mpi$n]}" | bc -l)"
  done
  printf '  rank 0 commits (a merge of the %d journals): %.3f s, %.2f ms a station, %.1f%% of a\n' \
    "$stations" "${best[merge]}" "$(echo "${best[merge]} * 1000 / $stations" | bc -l)" \
    "$(echo "${best[merge]} * 100 / ${best[j1]}" | bc -l)"
  printf '    station'"'"'s run on one core\n'
fi
