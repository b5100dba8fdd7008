#!/usr/bin/env bash
#SBATCH --job-name=colloidsim
#SBATCH --cpus-per-task=1
# One block of particles of a job array. Array task i runs particles
# (i-1)*BLOCK+1 .. min(i*BLOCK, NPART), each into its own numbered files, on
# as many threads as Slurm gave the task CPUs. submit.sh sets NPART, BLOCK and
# SEED (and COLLOIDSIM, the program, when it is not on the PATH).
set -euo pipefail
: "${NPART:?NPART is not set}" "${BLOCK:?BLOCK is not set}" "${SLURM_ARRAY_TASK_ID:?not an array task}"
first=$(( (SLURM_ARRAY_TASK_ID - 1) * BLOCK + 1 ))
last=$(( SLURM_ARRAY_TASK_ID * BLOCK < NPART ? SLURM_ARRAY_TASK_ID * BLOCK : NPART ))
seed=()
[ -n "${SEED:-}" ] && seed=(--seed "$SEED")
exec "${COLLOIDSIM:-colloidsim}" "${seed[@]}" --threads "${SLURM_CPUS_PER_TASK:-1}" \
  "$NPART" "$first-$last"
