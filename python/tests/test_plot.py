"""The figure command on example output: the sheet's size and one line per
particle, read from the figure object and the written files."""

import struct

import numpy as np
import pytest

from colloidsim import ATTACHED_FATES, read_run, summary
from colloidsim import plot


def _lines(ax, prefix):
    return [line for line in ax.lines if (line.get_gid() or "").startswith(prefix)]


@pytest.mark.parametrize("example", ["favorable", "heterogeneous"])
def test_one_line_per_particle(examples, example):
    run = read_run(examples[example])
    fig = plot.make_figure(run)
    trajectories, separations, angles, fates = fig.axes[:4]
    particles = sorted(int(p) for p in run.flux["PARTICLE"])
    assert sorted(int(l.get_gid().split("-")[1]) for l in _lines(trajectories, "trajectory-")) == particles
    assert sorted(int(l.get_gid().split("-")[1]) for l in _lines(separations, "separation-")) == particles
    # Each line is the particle's whole recorded trajectory, in micrometres.
    for line in _lines(trajectories, "trajectory-"):
        rows = run.trajectory(int(line.get_gid().split("-")[1])).rows
        np.testing.assert_array_equal(line.get_ydata(), rows["Z"] * 1e6)
    attached = np.isin(run.flux["ATTACHK"], ATTACHED_FATES).sum()
    assert len(_lines(trajectories, "attachment-points")[0].get_xdata()) == attached
    # Bars are counts per unit collector area: times their ring's area they add up.
    areas = plot.ring_areas_mm2(run.echo["AG"], np.arange(0, 181, 10))
    assert sum(p.get_height() * areas[round(p.get_x()) // 10] for p in angles.patches) == \
        pytest.approx(attached)
    disc = _lines(trajectories, "injection-disc")[0]
    assert max(disc.get_xdata()) == pytest.approx(run.echo["RLIM"] * 1e6)
    assert any(t.get_gid() == "no-attachment" for t in trajectories.texts) == (attached == 0)
    assert [t.get_text() for t in fates.get_xticklabels()][:2] == ["1\nexit", "2\nattached"]
    eta = summary.attached_efficiency(run)
    assert f"eta = {eta[0]:.3g} [{eta[1]:.3g}-{eta[2]:.3g}]" in fig._suptitle.get_text()
    assert [int(p.get_height()) for p in fates.patches] == [
        int((run.flux["ATTACHK"] == f).sum()) for f in range(1, 7)]
    assert tuple(fig.get_size_inches() * fig.dpi) == (1200, 850)


def test_command_writes_png_and_svg(examples, tmp_path, capsys):
    png, svg = tmp_path / "sheet.png", tmp_path / "sheet.svg"
    assert plot.main([str(examples["favorable"]), "-o", str(png)]) == 0
    header = png.read_bytes()[:24]
    assert header[:8] == b"\x89PNG\r\n\x1a\n"
    assert struct.unpack(">II", header[16:24]) == (1200, 850)
    assert plot.main([str(examples["heterogeneous"]), "-o", str(svg)]) == 0
    assert svg.read_text().lstrip().startswith("<?xml")
    with pytest.raises(SystemExit):
        plot.main([str(examples["favorable"]), "-o", str(tmp_path / "sheet.jpg")])
    assert plot.main([str(tmp_path), "-o", str(png)]) == 1
    assert "found no flux files" in capsys.readouterr().err
