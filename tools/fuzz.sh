#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, in build-fuzz/) and runs each for SECONDS seconds
# (default 30; 0: only the replay). Each target first replays the inputs of the crashes fixed so
# far (fuzz/regressions/TARGET/), then fuzzes from its seed corpus (fuzz/corpus/TARGET/, only
# read: new inputs go to build-fuzz/fuzz-work/TARGET/). The first crash stops the script with a
# non-zero status and the path of its reproducer.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]      e.g. tools/fuzz.sh 300 fuzz_weather
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_setup fuzz_weather fuzz_soil_table fuzz_run)
case "$seconds" in '' | *[!0-9]*)
  echo "usage: tools/fuzz.sh [SECONDS] [TARGET...]" >&2
  exit 64
  ;;
esac

# clang++ and its libFuzzer runtime are optional on a developer's machine, never in CI.
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
  clang++ -x c++ -fsanitize=fuzzer,address - -o /dev/null 2>/dev/null; then
  echo "fuzz targets skipped: clang++ with libFuzzer not found (Debian: apt-get install clang libclang-rt-14-dev)" >&2
  [ "${CI:-}" != true ] || exit 1
  exit 0
fi

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOLIVE_FUZZ=ON -DOLIVE_TESTS=OFF -DOLIVE_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}"

export UBSAN_OPTIONS=print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
# The short-run target makes its working folders here.
export TMPDIR="$PWD/$build/fuzz-tmp"
mkdir -p "$TMPDIR"

for t in "${targets[@]}"; do
  bin="$build/$t"
  # The setup text is the input of both the setup reader and the short run.
  dict=fuzz/$t.dict
  [ "$t" != fuzz_run ] || dict=fuzz/fuzz_setup.dict

  regressions=(fuzz/regressions/"$t"/*)
  if [ -e "${regressions[0]}" ]; then
    echo "== $t: replaying ${#regressions[@]} fixed crash(es) from fuzz/regressions/$t/"
    if ! "$bin" -timeout=25 "${regressions[@]}" >"$build/$t-replay.log" 2>&1; then
      cat "$build/$t-replay.log" >&2
      echo "FAILED: $t crashes again on an input of fuzz/regressions/$t/ (log: $build/$t-replay.log)" >&2
      exit 1
    fi
  fi

  [ "$seconds" -gt 0 ] || continue
  echo "== $t: fuzzing for ${seconds} s from fuzz/corpus/$t/"
  work="$build/fuzz-work/$t"
  artifacts="$build/fuzz-artifacts/$t"
  rm -rf "$work" "$artifacts"
  mkdir -p "$work" "$artifacts"
  log="$build/$t-fuzz.log"
  if ! "$bin" -max_total_time="$seconds" -timeout=25 -dict="$dict" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$work" "fuzz/corpus/$t" >"$log" 2>&1; then
    # The report: from the sanitizer's or libFuzzer's first line of it to the end.
    awk '/^==[0-9]+==|runtime error:|^property does not hold|^ERROR: libFuzzer/ { on = 1 } on' \
      "$log" | head -n 80 >&2
    echo "FAILED: $t crashed (log: $log)" >&2
    for f in "$artifacts"/*; do
      [ -e "$f" ] && echo "reproducer: $f  (replay: $bin $f)" >&2
    done
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done [0-9]+ runs' "$log" | tr '\n' ' '
  echo
done
echo "== fuzz targets: no crash in ${#targets[@]} target(s)"
