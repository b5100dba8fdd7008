#!/usr/bin/env bash
# Installs the Debian packages of the named groups. As root it runs apt-get;
# as another user it prints the one apt-get line of the missing packages and
# stops with status 1.
#   scripts/install-deps.sh                 what .ci/run needs: build tests python cluster fuzz
#   scripts/install-deps.sh build           only what the program itself needs (make run)
#   scripts/install-deps.sh build sleef     ... and SLEEF, for -DCOLLOIDSIM_SLEEF=ON
#   scripts/install-deps.sh --list          the groups and their packages
# The groups:
#   build    compiler, CMake, Ninja and the libraries the program uses
#   tests    GoogleTest, Google Benchmark, pytest, venv (the package-install test)
#   python   numpy and matplotlib, for the Python readers and the figures
#   cluster  slurm-wlm and munge, for the job-array test on a real Slurm cluster
#   fuzz     clang and libFuzzer, for the readers' fuzzing programs
#   sleef    SLEEF's vector math (optional build)
# (--sleef, or COLLOIDSIM_SLEEF=ON in the environment, adds the sleef group.)
set -euo pipefail

declare -A group=(
  [build]="g++ cmake ninja-build make libcli11-dev nlohmann-json3-dev libtomlplusplus-dev libssl-dev"
  [tests]="libgtest-dev libbenchmark-dev python3 python3-pytest python3-venv"
  [python]="python3 python3-numpy python3-matplotlib"
  [cluster]="slurm-wlm munge"
  [fuzz]="clang libfuzzer-14-dev"
  [sleef]="libsleef-dev"
)
order=(build tests python cluster fuzz sleef)

# The package query and the user id can be replaced, so the choice of what to
# install can be tested without installing anything.
query=${COLLOIDSIM_PACKAGE_QUERY:-dpkg-query}
uid=${COLLOIDSIM_INSTALL_UID:-$(id -u)}

wanted=()
for arg in "$@"; do
  case "$arg" in
    --list)
      for name in "${order[@]}"; do printf '%-8s %s\n' "$name" "${group[$name]}"; done
      exit 0 ;;
    --sleef) wanted+=(sleef) ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *)
      if [ -z "${group[$arg]+set}" ]; then
        echo "install-deps.sh: no group named '$arg'; the groups are: ${order[*]}" >&2
        exit 1
      fi
      wanted+=("$arg") ;;
  esac
done
only_flags=true
for name in "${wanted[@]}"; do [ "$name" = sleef ] || only_flags=false; done
if $only_flags; then wanted=(build tests python cluster fuzz "${wanted[@]}"); fi
[ "${COLLOIDSIM_SLEEF:-OFF}" = "ON" ] && wanted+=(sleef)

missing=()
for name in "${wanted[@]}"; do
  for package in ${group[$name]}; do
    case " ${missing[*]} " in *" $package "*) continue ;; esac
    "$query" -W -f='${Status}' "$package" 2> /dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$uid" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  # apt-get's and dpkg's lines go to a log, shown only when the install fails.
  log=$(mktemp "${TMPDIR:-/tmp}/colloidsim-install.XXXXXX")
  echo "installing ${missing[*]} (apt-get; log in $log)" >&2
  if ! { apt-get update -qq && apt-get install -y -qq "${missing[@]}"; } > "$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "install-deps.sh: apt-get failed; its whole output is in $log" >&2
    exit 1
  fi
  rm -f "$log"
else
  echo "colloidsim needs these packages; install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
