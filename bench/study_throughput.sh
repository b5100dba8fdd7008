#!/usr/bin/env bash
# A study on two threads against its conditions run one after another:
#   bench/study_throughput.sh [--particles N] [--threads T] [path/to/colloidsim]
# Four conditions of examples/favorable (AP = 0.3, 0.5, 0.7, 1.0 um) with N
# particles each (default 12). Prints the wall time of colloidsim study
# --threads T, its CPU time (user + system: the particles' CPU time and the
# setup), the bound 1.1 x CPU / T, and the wall time of the four conditions
# run one after another with colloidsim --seed --threads T; the files of both
# are checked to be the same bytes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
particles=12
threads=2
program="$top/build/colloidsim"
while [ $# -gt 0 ]; do
  case "$1" in
    --particles) particles=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    *) program=$1; shift ;;
  esac
done
program=$(realpath "$program")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/study"
cp "$top/examples/favorable/INPUT.IN" "$work/study/"
printf 'seed = 5\nnpart = %s\n[vary]\nAP = [0.3e-6, 0.5e-6, 0.7e-6, 1e-6]\n' "$particles" \
  > "$work/study/STUDY.toml"
/usr/bin/time -f "%e %U %S" -o "$work/study.time" \
  "$program" study "$work/study" --threads "$threads" --quiet > /dev/null
read -r study_wall user system < "$work/study.time"

start=$(date +%s.%N)
for condition in "$work"/study/runs/*/; do
  name=$(basename "$condition")
  mkdir -p "$work/one/$name"
  cp "$condition/INPUT.IN" "$work/one/$name/"
  (cd "$work/one/$name" && "$program" --seed 5 --threads "$threads" --quiet > /dev/null)
done
end=$(date +%s.%N)
for condition in "$work"/one/*/; do
  diff -rq "$condition" "$work/study/runs/$(basename "$condition")" > /dev/null ||
    { echo "$(basename "$condition"): the study's files differ from the single run's" >&2; exit 1; }
done
awk -v w="$study_wall" -v u="$user" -v s="$system" -v t="$threads" -v a="$start" -v b="$end" \
    -v n="$particles" 'BEGIN {
  cpu = u + s
  printf "4 conditions x %d particles, %d threads\n", n, t
  printf "study:            wall %7.2f s   CPU %7.2f s   1.1 x CPU / %d = %7.2f s  (wall / (CPU/%d) = %.3f)\n",
         w, cpu, t, 1.1 * cpu / t, t, w / (cpu / t)
  printf "one after another: wall %7.2f s   (study is %.2f x faster)\n", b - a, (b - a) / w }'
