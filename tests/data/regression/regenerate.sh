#!/usr/bin/env bash
# Rewrites the stored outputs of the regression run (RegressionOnly in
# tests/driver/test_run.cpp) after an intended change of results: runs the
# built program on INPUT.IN here with the test's seed and copies every output
# file and the console text to expected/. Review the differences before
# committing them.
# Usage: tests/data/regression/regenerate.sh [path/to/colloidsim]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="$(realpath "${1:-$here/../../../build/colloidsim}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$here/INPUT.IN" "$work/"
(cd "$work" && "$program" --seed 3 > console.txt)
rm -rf "$here/expected"
mkdir "$here/expected"
cp "$work"/*.OUT "$work/console.txt" "$here/expected/"
echo "regression outputs written to $here/expected"
