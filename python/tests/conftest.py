"""Both examples run once per session with --seed 1 by the built program
(COLLOIDSIM, default build/colloidsim of this repository)."""

import os
import shutil
import subprocess

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def _program():
    # Absolute, since the examples run in their own directories.
    program = os.path.abspath(os.environ.get("COLLOIDSIM", os.path.join(ROOT, "build", "colloidsim")))
    if not os.access(program, os.X_OK):
        pytest.fail(f"no colloidsim program at {program}; build it or set COLLOIDSIM")
    return program


@pytest.fixture(scope="session")
def colloidsim():
    return _program()


@pytest.fixture(scope="session")
def examples(tmp_path_factory, colloidsim):
    runs = {}
    for example in ("favorable", "heterogeneous"):
        directory = tmp_path_factory.mktemp(example)
        shutil.copy(os.path.join(ROOT, "examples", example, "INPUT.IN"), directory)
        if example == "favorable":
            # 10 particles within its earlier injection radius of 50 um, inside
            # the catchment: most attach, so the readers meet every family.
            subprocess.run([colloidsim, "set", "NPART=10", "RLIM=5.0e-5"], cwd=directory,
                           check=True, stdout=subprocess.DEVNULL)
        subprocess.run([colloidsim, "--seed", "1"], cwd=directory, check=True,
                       stdout=subprocess.DEVNULL)
        runs[example] = directory
    return runs
