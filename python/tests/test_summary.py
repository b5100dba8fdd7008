"""The Python summary gives the numbers of `colloidsim summary --json`, to the last digit."""

import json
import subprocess

import pytest

from colloidsim import read_run, summary


@pytest.mark.parametrize("example", ["favorable", "heterogeneous"])
def test_efficiencies_equal_the_programs(colloidsim, examples, example):
    report = json.loads(subprocess.run([colloidsim, "summary", str(examples[example]), "--json"],
                                       check=True, capture_output=True, text=True).stdout)
    run = read_run(examples[example])
    e = report["efficiency"]
    assert summary.settling_velocity(run.echo) == e["settling_velocity_m_s"]
    for name, ours in (("attached", summary.attached_efficiency(run)),
                       ("retained", summary.retained_efficiency(run))):
        assert list(ours) == [e[name]["efficiency"], *e[name]["efficiency_interval"]]
