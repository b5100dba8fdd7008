#!/usr/bin/env bash
# Runs one shipped example in a scratch copy under runs/, so that the example
# folder itself stays clean: scripts/run-example.sh favorable [colloidsim options]
# An example with a STUDY.toml (examples/study) runs as colloidsim study.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
example=${1:-favorable}
shift || true
build=${BUILD:-build}
case "$build" in /*) ;; *) build="$top/$build" ;; esac

[ -f "$top/examples/$example/INPUT.IN" ] || { echo "no example named '$example'" >&2; exit 1; }
run="$top/runs/$example"
rm -rf "$run"
mkdir -p "$run"
cp "$top/examples/$example/INPUT.IN" "$run/"
cd "$run"
echo "running examples/$example in runs/$example" >&2
if [ -f "$top/examples/$example/STUDY.toml" ]; then
  cp "$top/examples/$example/STUDY.toml" "$run/"
  "$build/colloidsim" study . "$@"
else
  "$build/colloidsim" "$@"
fi
echo "output files are in runs/$example" >&2
