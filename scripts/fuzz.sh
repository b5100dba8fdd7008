#!/usr/bin/env bash
# Fuzzes the readers of colloidsim with libFuzzer:
#
#   scripts/fuzz.sh [-t SECONDS] [-j JOBS] [TARGET...]
#
# TARGETs are list_reader, parameter_file, restart_file and run_files (fuzz/,
# default: all). They are built with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in $BUILD_FUZZ (default build-fuzz), then each
# runs for SECONDS (default 30), JOBS of them at a time (default 1), from a
# working corpus in $BUILD_FUZZ/corpus/TARGET seeded with fuzz/corpus/TARGET.
# A crash, an input that takes more than 10 s, a sanitizer report, a leak or
# a message that is not short and printable fails the target: the input is
# kept in $BUILD_FUZZ/artifacts/TARGET/ (copy it into fuzz/regressions/TARGET/
# once mended, so that the test suite replays it) and the script exits 1.
# Prints executions and failures per target.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
jobs=1
while getopts "t:j:" option; do
  case "$option" in
    t) seconds="$OPTARG" ;;
    j) jobs="$OPTARG" ;;
    *) sed -n '2,17p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(list_reader parameter_file restart_file run_files)

build="${BUILD_FUZZ:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCOLLOIDSIM_FUZZ=ON -DCOLLOIDSIM_SANITIZE=address,undefined \
  -DCOLLOIDSIM_TESTS=OFF -DCOLLOIDSIM_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

run_target() {
  local target=$1
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
  "$build/fuzz_$target" "$build/corpus/$target" "fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target/" >"$build/$target.log" 2>&1
}

touch "$build/fuzz-start"
declare -A status
running=()
for target in "${targets[@]}"; do
  run_target "$target" &
  running+=("$!:$target")
  if [ ${#running[@]} -ge "$jobs" ]; then
    entry=${running[0]}
    running=("${running[@]:1}")
    if wait "${entry%%:*}"; then status[${entry#*:}]=0; else status[${entry#*:}]=1; fi
  fi
done
for entry in "${running[@]}"; do
  if wait "${entry%%:*}"; then status[${entry#*:}]=0; else status[${entry#*:}]=1; fi
done

failed=0
for target in "${targets[@]}"; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$target.log" | tail -1)
  failures=$(find "$build/artifacts/$target" -type f -newer "$build/fuzz-start" | wc -l)
  printf '%-15s %10s executions in %s s, %s failing inputs\n' "$target" "${runs:-?}" "$seconds" "$failures"
  if [ "${status[$target]}" -ne 0 ]; then
    failed=1
    echo "--- $target failed; the end of $build/$target.log:" >&2
    tail -n 40 "$build/$target.log" >&2
  fi
done
exit $failed
