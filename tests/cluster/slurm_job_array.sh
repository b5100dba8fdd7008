#!/usr/bin/env bash
# End to end on a real Slurm: starts a single-node cluster from Debian's
# packages, checks that submit.sh refuses three submissions (CLUSTER = 0, an
# unknown option, no program) and queues nothing for them, submits
# examples/cluster as a job array of four blocks with a dependent merge job,
# waits for it, and compares the merged flux files and every trajectory file
# byte for byte with the all-particles run of the same input and seed. Then
# the same for a study of 2 x 2 conditions submitted by colloidsim study
# --slurm in blocks: every condition's merged flux files, its trajectory files
# and STUDY.csv equal those of the study run on this machine, and a
# resubmission asks only for the task whose files are gone. Stops every daemon
# it started, also on failure; a cluster
# that cannot start fails the test with the daemons' logs.
#   tests/cluster/slurm_job_array.sh path/to/colloidsim
set -euo pipefail
program=$(realpath "$1")
top=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
chmod 755 "$scratch"  # the munge daemon runs as its own user
trap '"$top/scripts/slurm-cluster.sh" stop "$scratch/slurm"; rm -rf "$scratch"' EXIT

"$top/scripts/slurm-cluster.sh" start "$scratch/slurm"
source "$scratch/slurm/env"

# The cluster example with 10 particles (it ships with 400).
input="$scratch/INPUT.IN"
sed '7s/.*/10 0 1/' "$top/examples/cluster/INPUT.IN" > "$input"

# Refused submissions: nothing reaches the queue.
refused="$scratch/refused"
mkdir -p "$refused"
sed '7s/.*/10 0 0/' "$input" > "$refused/INPUT.IN"
before=$(squeue -h | wc -l)
expect_refused() {
  local words=$1; shift
  local message
  if message=$("$@" 2>&1); then
    echo "submit.sh accepted: $*" >&2; exit 1
  fi
  echo "$message" | grep -q -- "$words" || { echo "submit.sh said: $message; expected: $words" >&2; exit 1; }
}
expect_refused "a job array needs CLUSTER = 1" \
  env COLLOIDSIM="$program" "$top/examples/cluster/submit.sh" --seed 11 "$refused"
cp "$input" "$refused/INPUT.IN"
expect_refused "unknown option --block" \
  env COLLOIDSIM="$program" "$top/examples/cluster/submit.sh" --block 5 "$refused"
expect_refused "is not found" \
  env COLLOIDSIM=/nonexistent/colloidsim "$top/examples/cluster/submit.sh" "$refused"
[ "$(squeue -h | wc -l)" -eq "$before" ] || { echo "a refused submission queued a job" >&2; squeue >&2; exit 1; }
[ -z "$(ls "$refused" | grep -v INPUT.IN)" ] || { echo "a refused submission wrote files" >&2; exit 1; }
echo "refused submissions: none queued"

run="$scratch/run"
mkdir -p "$run"
cp "$input" "$run/"
# queued JOB: whether JOB is still in the queue. A squeue that fails for
# another reason than an unknown job (a controller slow to answer under load)
# counts as still queued, so a busy machine does not end the wait early.
queued() {
  local out
  if out=$(squeue -h -j "$1" 2>&1); then
    [ -n "$out" ]
  else
    ! grep -q "Invalid job id" <<< "$out"
  fi
}

# Ten particles in blocks of three: 1-3, 4-6, 7-9, 10.
submitted=$(COLLOIDSIM="$program" "$top/examples/cluster/submit.sh" --seed 11 --block-size 3 "$run")
echo "$submitted"
merge_job=$(echo "$submitted" | awk '{print $NF}')

deadline=$((SECONDS + 150))
while queued "$merge_job"; do
  if squeue -h -j "$merge_job" -o '%r' | grep -q DependencyNeverSatisfied; then
    echo "a block failed; its output:" >&2
    tail -n 20 "$run"/slurm-*.out >&2 || true
    exit 1
  fi
  if [ $SECONDS -ge $deadline ]; then
    echo "the jobs did not finish within 150 s" >&2
    squeue >&2 || true
    tail -n 40 "$scratch/slurm/slurmctld.log" >&2 || true
    exit 1
  fi
  sleep 1
done
for name in FLUXEX.OUT FLUXATT.OUT FLUXREM.OUT; do
  [ -f "$run/$name" ] || {
    echo "the merge job wrote no $name; the jobs' output:" >&2
    tail -n 20 "$run"/slurm-*.out >&2 || true
    exit 1
  }
done

all="$scratch/all"
mkdir -p "$all"
sed '7s/.*/10 0 0/' "$input" > "$all/INPUT.IN"
(cd "$all" && "$program" --seed 11 --quiet > console.txt)

status=0
for file in "$all"/FLUX*.OUT "$all"/VORNEKTRAJ*.OUT; do
  name=$(basename "$file")
  cmp -s "$file" "$run/$name" || { echo "$name differs from the all-particles run" >&2; status=1; }
done
count=$(ls "$run"/VORNEKFLUX*.OUT | wc -l)
[ "$count" -eq 30 ] || { echo "expected 30 numbered flux files, found $count" >&2; status=1; }
[ $status -eq 0 ] && echo "merged job array = all-particles run, byte for byte"

# wait_for JOB DIR: until the job has left the queue; fails on a task that
# failed (the merge job then never starts) or after 120 s.
wait_for() {
  local job=$1 dir=$2 deadline=$((SECONDS + 120))
  while queued "$job"; do
    if squeue -h -j "$job" -o '%r' | grep -q DependencyNeverSatisfied; then
      echo "a task failed; its output:" >&2
      tail -n 20 "$dir"/slurm-*.out >&2 || true
      return 1
    fi
    if [ $SECONDS -ge $deadline ]; then
      echo "the study's jobs did not finish within 120 s" >&2
      squeue >&2 || true
      return 1
    fi
    sleep 1
  done
}

study="$scratch/study"
local_study="$scratch/study-local"
mkdir -p "$study" "$local_study"
for dir in "$study" "$local_study"; do
  cp "$top/examples/favorable/INPUT.IN" "$dir/"
  printf 'seed = 8\nnpart = 5\n[vary]\nAP = [0.5e-6, 1e-6]\nIS = [1.0, 10.0]\n' > "$dir/STUDY.toml"
done
# Four conditions of five particles in blocks of two: 12 tasks.
submitted=$("$program" study "$study" --slurm --block-size 2)
echo "$submitted"
wait_for "$(echo "$submitted" | awk '{print $NF}')" "$study/runs" || exit 1
"$program" study "$local_study" --quiet -j 2 > /dev/null
for condition in "$local_study"/runs/*/; do
  name=$(basename "$condition")
  for file in "$condition"FLUX*.OUT "$condition"VORNEKTRAJ*.OUT; do
    cmp -s "$file" "$study/runs/$name/$(basename "$file")" ||
      { echo "$name/$(basename "$file") differs from the study run on one machine" >&2; status=1; }
  done
done
cmp -s "$local_study/STUDY.csv" "$study/STUDY.csv" ||
  { echo "STUDY.csv of the cluster differs from the one-machine study" >&2; status=1; }
# A lost task: the resubmission asks for it alone (task 6 is particles 5-5
# of condition 02).
rm "$study/runs/02-AP=5e-07,IS=10/"VORNEKFLUX*.5.OUT
again=$("$program" study "$study" --slurm --block-size 2 --dry-run)
echo "$again" | grep -q '^1 of 12 tasks (6)' ||
  { echo "the resubmission does not ask for task 6 alone: $again" >&2; status=1; }
[ $status -eq 0 ] && echo "study in blocks on Slurm, merged = study on one machine, byte for byte"
exit $status
