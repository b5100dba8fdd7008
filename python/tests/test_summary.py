"""The Python summary gives the numbers of `colloidsim summary --json`, to the last digit."""

import json
import subprocess

import pytest

from colloidsim import read_run, summary


@pytest.mark.parametrize("example", ["favorable", "heterogeneous"])
def test_summary_equals_the_programs(colloidsim, examples, example):
    report = json.loads(subprocess.run([colloidsim, "summary", str(examples[example]), "--json"],
                                       check=True, capture_output=True, text=True).stdout)
    run = read_run(examples[example])
    ours = summary(run)  # the module is callable: colloidsim.summary(run)
    del report["run_record"]
    assert ours == report
    if example == "favorable":
        # Its 50 um disc is too small: the warnings were compared too.
        assert ours["warnings"][0].startswith("RLIM = 5e-05 m may be too small")
    e = report["efficiency"]
    assert summary.settling_velocity(run.echo) == e["settling_velocity_m_s"]
    for name, theirs in (("attached", summary.attached_efficiency(run)),
                         ("retained", summary.retained_efficiency(run))):
        assert list(theirs) == [e[name]["efficiency"], *e[name]["efficiency_interval"]]
