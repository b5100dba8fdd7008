#!/usr/bin/env bash
#SBATCH --job-name=colloidsim-merge
#SBATCH --cpus-per-task=1
# Runs after every block succeeded: writes FLUXEX.OUT, FLUXATT.OUT and
# FLUXREM.OUT from the numbered flux files, then the run's summary.
set -euo pipefail
"${COLLOIDSIM:-colloidsim}" merge .
"${COLLOIDSIM:-colloidsim}" summary . > SUMMARY.txt
