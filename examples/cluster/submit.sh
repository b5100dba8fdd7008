#!/usr/bin/env bash
# Submits a run as a Slurm job array of blocks of particles, and a merge job
# that starts when every block has succeeded:
#   examples/cluster/submit.sh [--seed N] [--block-size B] [--cpus C]
#                              [--blocks LIST] [RUN_DIR]
# RUN_DIR (default: the working directory) holds INPUT.IN with CLUSTER = 1;
# NPART is the first value of its line 7. Every file lands in RUN_DIR.
# --blocks resubmits only the listed array tasks, e.g. the output of
# `colloidsim missing --block-size B RUN_DIR`. The program is COLLOIDSIM, or
# colloidsim on the PATH; the jobs run that same file. Prints the two job ids.
# Nothing is submitted when an option is unknown, INPUT.IN is not a
# one-particle input or the program does not run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage="usage: $0 [--seed N] [--block-size B] [--cpus C] [--blocks LIST] [RUN_DIR]"
fail() { echo "submit.sh: $*" >&2; exit 1; }
seed=""
block=25
cpus=1
blocks=""
run=.
run_given=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seed|--block-size|--cpus|--blocks)
      [ $# -ge 2 ] || fail "$1 needs a value; $usage"
      case "$1" in
        --seed) seed=$2 ;;
        --block-size) block=$2 ;;
        --cpus) cpus=$2 ;;
        --blocks) blocks=$2 ;;
      esac
      shift 2 ;;
    -h|--help) echo "$usage"; exit 0 ;;
    -*) fail "unknown option $1; $usage" ;;
    *)
      [ -z "$run_given" ] || fail "a second run directory $1; $usage"
      run=$1; run_given=1; shift ;;
  esac
done
[[ "$block" =~ ^[1-9][0-9]*$ ]] || fail "--block-size $block: expected a whole number of at least 1"
[[ "$cpus" =~ ^[1-9][0-9]*$ ]] || fail "--cpus $cpus: expected a whole number of at least 1"
[ -z "$seed" ] || [[ "$seed" =~ ^-?[0-9]+$ ]] || fail "--seed $seed: expected an integer"
[ -z "$blocks" ] || [[ "$blocks" =~ ^[0-9,-]+$ ]] || fail "--blocks $blocks: expected a list such as 3,7-9"
[ -d "$run" ] || fail "no run directory $run"
run=$(cd "$run" && pwd)
[ -f "$run/INPUT.IN" ] || fail "no INPUT.IN in $run"

# Every task would otherwise run all particles in the one directory, and the
# merge would find no numbered files.
line7=$(sed -n '7p' "$run/INPUT.IN" | tr ',' ' ')
npart=$(echo "$line7" | awk '{print $1}')
cluster=$(echo "$line7" | awk '{print $3}')
[ "$cluster" = "1" ] ||
  fail "$run/INPUT.IN, line 7: CLUSTER is '${cluster}'; a job array needs CLUSTER = 1 (one particle or block per task)"
[[ "$npart" =~ ^[1-9][0-9]*$ ]] || fail "$run/INPUT.IN, line 7: NPART is '${npart}'; expected a particle count"

# The jobs run the program that runs here, by its full path.
program=${COLLOIDSIM:-colloidsim}
resolved=$(command -v "$program" || true)
[ -n "$resolved" ] || fail "the program '$program' is not found; put colloidsim on the PATH or set COLLOIDSIM=/path/to/colloidsim"
case "$resolved" in /*) ;; *) resolved=$(cd "$(dirname "$resolved")" && pwd)/$(basename "$resolved") ;; esac
"$resolved" --version > /dev/null 2>&1 || fail "'$resolved --version' does not run"

count=$(( (npart + block - 1) / block ))
[ -n "$blocks" ] || blocks="1-$count"

array=$(sbatch --parsable --array="$blocks" --cpus-per-task="$cpus" --chdir="$run" \
  --output="$run/slurm-%A_%a.out" \
  --export="ALL,NPART=$npart,BLOCK=$block,SEED=$seed,COLLOIDSIM=$resolved" "$here/job.sh")
array=${array%%;*}
# A block that fails makes the dependency invalid: the merge job is then
# cancelled instead of waiting forever.
merge=$(sbatch --parsable --dependency="afterok:$array" --kill-on-invalid-dep=yes \
  --chdir="$run" --output="$run/slurm-%j-merge.out" \
  --export="ALL,COLLOIDSIM=$resolved" "$here/merge.sh")
echo "job array $array (blocks $blocks of $block particles), merge job ${merge%%;*}"
