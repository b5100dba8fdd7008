"""The study figure: one line per value of the second varied parameter,
log axes where values span more than a decade, eta0 dashed when given, and
the command on a study the program ran."""

import os
import shutil
import subprocess

import numpy as np

from colloidsim import plot, study_plot

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def _row(number, ap, is_, eta, alpha=None, reference=False, eta0=None):
    row = {"condition": number, "reference": reference, "values": {"AP": ap, "IS": is_},
           "eta_attached": {"value": eta, "interval": [eta * 0.5, eta * 1.5]}}
    if alpha is not None:
        row["alpha"] = {"value": alpha, "interval": [alpha * 0.8, alpha * 1.25]}
    if eta0 is not None:
        row["eta0"] = {"tufenkji_elimelech": eta0}
    return row


def test_lines_scales_and_correlation():
    rows = []
    for i, ap in enumerate([1e-7, 1e-6, 4e-6]):
        for k, is_ in enumerate([1.0, 10.0]):
            rows.append(_row(f"{2 * i + k + 1:02d}", ap, is_, 0.01 * (k + 1) * (i + 1),
                             alpha=0.5 / (k + 1), eta0=0.02 * (i + 1)))
            rows.append(_row(f"{2 * i + k + 1:02d}", ap, is_, 0.05, reference=True))
    fig = study_plot.make_study_figure({"varied": ["AP", "IS"], "conditions": rows})
    eta, alpha = fig.axes
    assert eta.get_xscale() == "log"          # 1e-7 .. 4e-6
    assert eta.get_yscale() == "linear"        # 0.01 .. 0.06
    lines = [l for l in eta.get_lines() if (l.get_gid() or "").startswith("eta_attached-")]
    assert len(lines) == 2
    # The first line is IS = 1 over the three sizes, twins left out.
    # in micrometres
    np.testing.assert_allclose(lines[0].get_xdata(), [0.1, 1.0, 4.0])
    assert eta.get_xlabel() == "AP (um)"
    np.testing.assert_allclose(lines[0].get_ydata(), [0.01, 0.02, 0.03])
    dashed = [l for l in eta.get_lines() if (l.get_gid() or "").startswith("eta0-")]
    assert len(dashed) == 2 and dashed[0].get_linestyle() == "--"
    alpha_lines = [l for l in alpha.get_lines() if (l.get_gid() or "").startswith("alpha-")]
    np.testing.assert_allclose(alpha_lines[1].get_ydata(), [0.25, 0.25, 0.25])


def test_command_on_a_study_the_program_ran(colloidsim, tmp_path):
    shutil.copy(os.path.join(ROOT, "examples", "favorable", "INPUT.IN"), tmp_path)
    (tmp_path / "STUDY.toml").write_text(
        'seed = 5\nnpart = 2\ntrajectories = false\n[vary]\nIS = [1.0, 100.0]\n'
        '[reference]\nATTMODE = 0\n')
    subprocess.run([colloidsim, "study", str(tmp_path), "--quiet"], check=True,
                   stdout=subprocess.DEVNULL)
    assert plot.main([str(tmp_path)]) == 0
    assert (tmp_path / "study.png").read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    doc = study_plot.read_study(str(tmp_path))
    assert [r["values"]["IS"] for r in doc["conditions"]] == [1.0, 1.0, 100.0, 100.0]
    assert [r["reference"] for r in doc["conditions"]] == [False, True, False, True]
