#!/usr/bin/env bash
# Submits a run as a Slurm job array of blocks of particles, and a merge job
# that starts when every block has succeeded:
#   examples/cluster/submit.sh [--seed N] [--block-size B] [--cpus C]
#                              [--blocks LIST] [RUN_DIR]
# RUN_DIR (default: the working directory) holds INPUT.IN with CLUSTER = 1;
# NPART is the first value of its line 7. Every file lands in RUN_DIR.
# --blocks resubmits only the listed array tasks, e.g. the output of
# `colloidsim missing --block-size B RUN_DIR`. Prints the two job ids.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
seed=""
block=25
cpus=1
blocks=""
run=.
while [ $# -gt 0 ]; do
  case "$1" in
    --seed) seed=$2; shift 2 ;;
    --block-size) block=$2; shift 2 ;;
    --cpus) cpus=$2; shift 2 ;;
    --blocks) blocks=$2; shift 2 ;;
    *) run=$1; shift ;;
  esac
done
run=$(cd "$run" && pwd)
[ -f "$run/INPUT.IN" ] || { echo "no INPUT.IN in $run" >&2; exit 1; }
npart=$(sed -n '7p' "$run/INPUT.IN" | tr ',' ' ' | awk '{print $1}')
count=$(( (npart + block - 1) / block ))
[ -n "$blocks" ] || blocks="1-$count"

array=$(sbatch --parsable --array="$blocks" --cpus-per-task="$cpus" --chdir="$run" \
  --output="$run/slurm-%A_%a.out" \
  --export="ALL,NPART=$npart,BLOCK=$block,SEED=$seed" "$here/job.sh")
array=${array%%;*}
merge=$(sbatch --parsable --dependency="afterok:$array" --chdir="$run" \
  --output="$run/slurm-%j-merge.out" "$here/merge.sh")
echo "job array $array (blocks $blocks of $block particles), merge job ${merge%%;*}"
