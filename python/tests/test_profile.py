"""The profile figure on the heterogeneous example: one curve per surface
pair with the program's own numbers, the features marked, and the command's
file handling."""

import json
import os
import shutil
import struct
import subprocess

import numpy as np

from colloidsim import profile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def test_curves_markers_and_files(colloidsim, tmp_path, capsys, monkeypatch):
    monkeypatch.setenv("COLLOIDSIM", colloidsim)
    shutil.copy(os.path.join(ROOT, "examples", "heterogeneous", "INPUT.IN"), tmp_path)
    data = profile.read_profile(str(tmp_path))
    fig = profile.make_figure(data)
    ax = fig.axes[0]
    curves = {l.get_gid(): l for l in ax.lines if (l.get_gid() or "").startswith("pair-")}
    assert sorted(curves) == ["pair-1", "pair-2", "pair-3", "pair-4"]
    first = data["pairs"][0]
    np.testing.assert_allclose(curves["pair-1"].get_xdata(), np.array(first["profile"]["H_m"]) * 1e9)
    np.testing.assert_array_equal(curves["pair-1"].get_ydata(), first["profile"]["E_kT"])
    barrier = [l for l in ax.lines if l.get_gid() == "barrier-1"][0]
    assert barrier.get_ydata()[0] == first["barrier"]["E_kT"]
    # Opposite-charged pairs have no barrier to mark.
    assert not [l for l in ax.lines if l.get_gid() == "barrier-2"]
    assert "IS = 10 mM" in ax.get_title() and "A132 = 1e-20 J" in ax.get_title()
    assert os.listdir(tmp_path) == ["INPUT.IN"]

    saved = tmp_path / "saved.json"
    saved.write_text(json.dumps(data))
    assert profile.main([str(saved)]) == 0
    header = (tmp_path / "saved.png").read_bytes()[:24]
    assert header[:8] == b"\x89PNG\r\n\x1a\n"
    assert struct.unpack(">II", header[16:24]) == (900, 600)

    # The program's message for a directory without INPUT.IN.
    empty = tmp_path / "empty"
    empty.mkdir()
    assert profile.main([str(empty)]) == 1
    assert "INPUT.IN: cannot open the file" in capsys.readouterr().err
    # The plot command's form.
    done = subprocess.run(["/usr/bin/python3", "-m", "colloidsim.plot", "--profile", str(tmp_path),
                           "-o", str(tmp_path / "p.svg")], env=dict(os.environ, PYTHONPATH=os.path.join(ROOT, "python")),
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert (tmp_path / "p.svg").read_text().lstrip().startswith("<?xml")
