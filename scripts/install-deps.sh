#!/usr/bin/env bash
# Installs the Debian packages the build, the Python readers, the tests and
# the fuzzing need. As root it runs apt-get; as another user it prints the
# apt-get line and stops.
#   scripts/install-deps.sh           what the default build and .ci/run need
#   scripts/install-deps.sh --sleef   also libsleef-dev, for -DCOLLOIDSIM_SLEEF=ON
# (COLLOIDSIM_SLEEF=ON in the environment does the same as --sleef.)
set -euo pipefail

packages=(g++ cmake ninja-build make libgtest-dev libbenchmark-dev
  # the run record: JSON, and the sha256 of the inputs
  nlohmann-json3-dev libssl-dev
  python3 python3-numpy python3-matplotlib python3-pytest
  # the job-array test on a real single-node Slurm cluster
  slurm-wlm munge
  # the libFuzzer programs of the readers (scripts/fuzz.sh)
  clang libfuzzer-14-dev)
if [ "${1:-}" = "--sleef" ] || [ "${COLLOIDSIM_SLEEF:-OFF}" = "ON" ]; then
  packages+=(libsleef-dev)
fi
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
else
  echo "colloidsim needs these packages; install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
