"""The set-up a new user meets: which packages the install step asks for, and
the Python package installed with pip into a fresh virtual environment."""

import os
import subprocess
import sys
import venv

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
INSTALL = os.path.join(ROOT, "scripts", "install-deps.sh")


def _install_deps(tmp_path, installed, *groups):
    # A fake dpkg-query that knows only the packages of `installed`, and a
    # user who is not root: the script prints the apt-get line and stops.
    query = tmp_path / "dpkg-query"
    query.write_text("#!/bin/sh\nfor p in %s; do [ \"$p\" = \"$3\" ] && "
                     "{ printf 'install ok installed'; exit 0; }; done\nexit 1\n"
                     % " ".join(installed))
    query.chmod(0o755)
    env = dict(os.environ, COLLOIDSIM_PACKAGE_QUERY=str(query), COLLOIDSIM_INSTALL_UID="1000")
    env.pop("COLLOIDSIM_SLEEF", None)
    return subprocess.run([INSTALL, *groups], env=env, capture_output=True, text=True)


BUILD = "g++ cmake ninja-build make libcli11-dev nlohmann-json3-dev libtomlplusplus-dev libssl-dev".split()


@pytest.mark.parametrize("groups, installed, status, asked", [
    # make run: only the build group, whatever optional packages are missing.
    (["build"], BUILD, 0, None),
    (["build"], BUILD[1:], 1, "g++"),
    # the default (what .ci/run needs) asks for the cluster and fuzz tools too
    ([], BUILD, 1, "libgtest-dev libbenchmark-dev python3 python3-pytest python3-venv "
                   "python3-numpy python3-matplotlib slurm-wlm munge clang libfuzzer-14-dev"),
    (["build", "sleef"], BUILD, 1, "libsleef-dev"),
    (["--sleef"], BUILD + "libgtest-dev libbenchmark-dev python3 python3-pytest python3-venv "
     "python3-numpy python3-matplotlib slurm-wlm munge clang libfuzzer-14-dev".split(), 1,
     "libsleef-dev"),
])
def test_install_step_asks_for_the_missing_packages_of_its_groups(
        tmp_path, groups, installed, status, asked):
    result = _install_deps(tmp_path, installed, *groups)
    assert result.returncode == status, result.stderr
    if asked is None:
        assert result.stderr == ""
    else:
        assert result.stderr.splitlines()[-1] == f"  sudo apt-get install -y {asked}"


def test_install_step_refuses_an_unknown_group(tmp_path):
    result = _install_deps(tmp_path, BUILD, "bulid")
    assert result.returncode == 1
    assert "no group named 'bulid'" in result.stderr


def test_pip_installs_the_package_into_a_fresh_environment(tmp_path):
    # The build backend lives in python/ itself: nothing comes from an index.
    venv.create(tmp_path / "env", system_site_packages=True, with_pip=True)
    python = str(tmp_path / "env" / "bin" / "python")
    subprocess.run([python, "-m", "pip", "install", "-q", "--no-index", os.path.join(ROOT, "python")],
                   check=True, capture_output=True)
    where = subprocess.run([python, "-c", "import colloidsim; print(colloidsim.__file__)"],
                           cwd=tmp_path, check=True, capture_output=True, text=True).stdout
    assert where.startswith(str(tmp_path / "env"))
