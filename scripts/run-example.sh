#!/usr/bin/env bash
# Runs one shipped example in a scratch copy under runs/, so that the example
# folder itself stays clean, and ends with the run's summary:
#   scripts/run-example.sh favorable [colloidsim options]
# The program's console lines (one per recorded step) go to
# runs/<example>/console.log; the progress bar stays on the terminal.
# An example with a STUDY.toml (examples/study) runs as colloidsim study.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
example=${1:-favorable}
shift || true
build=${BUILD:-build}
case "$build" in /*) ;; *) build="$top/$build" ;; esac
program="$build/colloidsim"
shown=${program#"$top"/}  # the program as the user types it from the repository root
case "$shown" in /*) profile_program=$shown ;; *) profile_program=../../$shown ;; esac

[ -f "$top/examples/$example/INPUT.IN" ] || { echo "no example named '$example'" >&2; exit 1; }
run="$top/runs/$example"
rm -rf "$run"
mkdir -p "$run"
cp "$top/examples/$example/INPUT.IN" "$run/"
cd "$run"
echo "running examples/$example in runs/$example (console lines in runs/$example/console.log)" >&2
if [ -f "$top/examples/$example/STUDY.toml" ]; then
  cp "$top/examples/$example/STUDY.toml" "$run/"
  "$program" study . "$@"
  cat <<NEXT

Next:
  the figure:   PYTHONPATH=python /usr/bin/python3 -m colloidsim.plot runs/$example
NEXT
  exit 0
fi
"$program" "$@" > console.log
echo
"$program" summary "$run"
cat <<NEXT

Next:
  the figure:   PYTHONPATH=python /usr/bin/python3 -m colloidsim.plot runs/$example
  the profile:  (cd runs/$example && $profile_program profile)
  again, reproducibly: make run EXAMPLE=$example ARGS='--seed 1'
NEXT
