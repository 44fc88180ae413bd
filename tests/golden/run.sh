#!/usr/bin/env bash
# The golden regression: runs the example station and a two-year run with every submodel and
# sprays on with BUILD's olive, then compares every file they write with its golden copy under
# tests/golden/<case>/ (BUILD/golden_compare: text and whole numbers exactly, other numbers within
# a relative 1e-6, the clock's dates and times ignored).
#
#   tests/golden/run.sh BUILD            compare (CTest runs this after every build)
#   tests/golden/run.sh BUILD --update   regenerate the golden files from BUILD's olive
#
# Regenerate only when a model is changed on purpose, and review the diff of tests/golden/ in the
# commit that changes the model.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "$1" && pwd)"
update="${2:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/olive-golden.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Every submodel and spray switch on, and the spray schedule: nitrogen, mites, predators,
# sharpshooter, both scales and their parasitoids, coccinellid, olive fly, sprays against mites,
# both scales and the fly, scheduled sprays.
awk 'BEGIN { split("31 43 59 64 70 76 79 83 89 92 96 101 112 113 114 115 117", on, " ")
             for (i in on) sw[on[i]] = 1 }
     (FNR in sw) { print "T\tswitched on for the golden run"; next } { print }' \
  "$root/examples/olive.setup" >"$work/everything.setup"

run_case() {  # NAME SETUP FIRST LAST INTERVAL
  local name=$1 setup=$2 first=$3 last=$4 interval=$5 dir="$work/$1"
  mkdir -p "$dir/lut" "$dir/weather"
  cp "$setup" "$dir/run.setup"
  cp "$root/examples/weather/Cordoba.txt" "$dir/weather/"
  cp "$root/examples/lut/OliveSoilWater.txt" "$dir/lut/"
  local status=0
  (cd "$dir" && "$build/olive" run.setup $first $last "$interval" weather/Cordoba.txt \
     >console.txt 2>&1) || status=$?
  rm -rf "$dir/weather" "$dir/run.setup"
  if [[ $status -ne 0 ]]; then
    echo "golden: the $name run ended with exit code $status" >&2
    cat "$dir/console.txt" >&2
    return 1
  fi
}
run_case example "$root/examples/olive.setup" "1 1 2001" "12 31 2010" 365
run_case everything "$work/everything.setup" "1 1 2001" "12 31 2002" 30

if [[ "$update" == "--update" ]]; then
  for name in example everything; do
    rm -rf "$here/$name"
    "$build/golden_compare" --normalize "$work/$name"
    cp -r "$work/$name" "$here/$name"
  done
  echo "golden: tests/golden/example and tests/golden/everything regenerated; review 'git diff tests/golden'"
  exit 0
fi
status=0
for name in example everything; do
  "$build/golden_compare" "$here/$name" "$work/$name" || status=1
done
[[ $status -eq 0 ]] && echo "golden: every file of both runs agrees"
exit $status
