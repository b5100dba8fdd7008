#!/usr/bin/env bash
# Particle throughput of whole runs for several thread counts, on a fixed set
# of particles of examples/favorable with one seed:
#   bench/throughput.sh [--particles N] [--repeat R] [--threads "1 2"] [path/to/colloidsim]
# Prints, per thread count, the median wall time of R runs, the particles per
# second and the speed-up over the first thread count; the files of every
# thread count are checked to be the same bytes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
particles=20
repeat=3
threads="1 2"
program="$top/build/colloidsim"
while [ $# -gt 0 ]; do
  case "$1" in
    --particles) particles=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    *) program=$1; shift ;;
  esac
done
program=$(realpath "$program")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

base=""
first_median=""
for t in $threads; do
  dir="$work/j$t"
  mkdir -p "$dir"
  sed "7s/.*/$particles 0 0/" "$top/examples/favorable/INPUT.IN" > "$dir/INPUT.IN"
  times=()
  for ((r = 0; r < repeat; r++)); do
    start=$(date +%s.%N)
    (cd "$dir" && "$program" --seed 1 --threads "$t" --quiet > console.txt)
    end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')")
  done
  median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
  if [ -z "$base" ]; then
    base=$dir
    first_median=$median
  elif ! diff -rq --exclude=INPUT.IN "$base" "$dir" > /dev/null; then
    echo "the files of --threads $t differ from those of the first thread count" >&2
    exit 1
  fi
  awk -v t="$t" -v m="$median" -v n="$particles" -v f="$first_median" 'BEGIN {
    printf "threads %3s  median %8.3f s  %8.2f particles/s  speed-up %5.2f\n", t, m, n / m, f / m }'
done
