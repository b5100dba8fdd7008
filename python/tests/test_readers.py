"""The readers on real output of both examples, on the unusual forms the
program writes, and on files that are not its own."""

import json
import os
import re
import shutil
import subprocess

import numpy as np
import pytest

from colloidsim import (FAMILY_OF_FATE, FATE_TABLE, RunFileError, read_flux, read_run,
                        read_trajectory)
from colloidsim.readers import FLUX_COLUMNS, TRAJECTORY_COLUMNS

EXPECTED = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                        "tests", "data", "regression", "expected")


@pytest.mark.parametrize("example", ["favorable", "heterogeneous"])
def test_both_examples_agree_with_the_summary(examples, colloidsim, example):
    run = read_run(examples[example])
    assert run.layout == "all-particles"
    assert run.npart == 10 and len(run.missing) == 0
    assert list(run.flux["PARTICLE"]) == list(range(1, 11))
    for row in run.flux:
        trajectory = run.trajectory(int(row["PARTICLE"]))
        assert trajectory.fate == row["ATTACHK"]
        assert len(trajectory.rows) > 1
        # The last recorded row is the final state the flux row reports.
        last = trajectory.rows[-1]
        assert (last["X"], last["Z"], last["H"]) == (row["XOUT"], row["ZOUT"], row["HOUT"])

    out = subprocess.run([colloidsim, "summary", "--json", str(examples[example])], check=True,
                         capture_output=True, text=True).stdout
    summary = json.loads(out)
    assert set(summary) == {"directory", "layout", "merged", "file_count", "NPART", "finished", "missing",
                            "missing_ranges", "fates", "families", "efficiency",
                            "attachment_angle", "injection_rings", "outer_ring_share",
                            "particles_for_ten_percent", "correlations", "warnings", "run_record"}
    assert summary["finished"] == len(run.flux) and summary["missing_ranges"] == []
    for fate in range(1, 7):
        assert summary["fates"][str(fate)]["count"] == np.count_nonzero(run.flux["ATTACHK"] == fate)
    for family, values in summary["families"].items():
        rows = run.flux[[FAMILY_OF_FATE[int(f)] == family for f in run.flux["ATTACHK"]]]
        assert values["count"] == len(rows)
        if len(rows):
            residence = rows["PTIMEOUT"] - rows["PTIMEIN"]
            expected = np.percentile(residence, [10, 50, 90])
            got = [values["residence_time_s"][k] for k in ("p10", "median", "p90")]
            np.testing.assert_allclose(got, expected, rtol=1e-12)
            assert values["mean_NSVISIT"] == pytest.approx(rows["NSVISIT"].mean(), rel=1e-12)
    assert set(summary["efficiency"]) == {"settling_velocity_m_s", "disc_ratio", "flow_factor",
                                          "attached", "retained"}


def _replace_field(line, index, text):
    """The line with blank-separated field index (0-based) replaced by text,
    right-aligned in the field's columns when it fits."""
    fields = line.split()
    start = 0
    for k in range(index + 1):
        start = line.index(fields[k], start)
        end = start + len(fields[k])
        if k < index:
            start = end
    begin = max(0, end - len(text)) if len(text) > len(fields[index]) else end - len(text)
    return line[:begin] + text + line[end:]


def test_three_digit_exponents_and_wide_integers(examples, tmp_path):
    source = examples["favorable"]
    lines = (source / "FLUXATT.OUT").read_text().split("\n")
    lines[6] = _replace_field(lines[6], 0, "1234567")        # particle beyond six digits
    lines[6] = _replace_field(lines[6], 12, "-0.15000000-151")  # HOUT
    lines[6] = _replace_field(lines[6], 24, "73")             # HETTYPE wider than I1
    (tmp_path / "FLUXATT.OUT").write_text("\n".join(lines))
    rows = read_flux(tmp_path / "FLUXATT.OUT").rows
    assert rows["PARTICLE"][0] == 1234567 and rows["HETTYPE"][0] == 73
    assert rows["HOUT"][0] == -1.5e-152

    name = "VORNEKTRAJATT.3.OUT"
    lines = (source / name).read_text().split("\n")
    lines[7] = _replace_field(lines[7], 5, " 0.25000000+200")  # H
    (tmp_path / name).write_text("\n".join(lines))
    trajectory = read_trajectory(tmp_path / name)
    assert trajectory.rows["H"][1] == 2.5e199
    assert trajectory.rows["H"][0] == read_trajectory(source / name).rows["H"][0]


@pytest.mark.parametrize("change, message", [
    (lambda ls: ls.__setitem__(6, _replace_field(ls[6], 4, "0.1000000OE-04")),
     'line 7: field 5 (RINJ(m)): found \'0.1000000OE-04\'; expected a real in the E15.8 form'),
    (lambda ls: ls.__setitem__(6, ls[6][:-20]),
     "line 7: found a row of 30 fields; expected the 31 fields of a row"),
    (lambda ls: ls.__setitem__(7, ls[7] + " 1"),
     "line 8: found a row of 32 fields; expected the 31 fields of a row"),
    (lambda ls: ls.pop(), "line 12: the last line has no line end (its write was cut short)"),
    (lambda ls: ls.__setitem__(5, ls[5].lower()),
     "line 6: found another line; expected the flux column header 'PARTICLE   ATTACHK ...'"),
    (lambda ls: ls.__setitem__(1, ls[1].replace("CBGRAV=  1", "CBGRAV=  one")),
     "line 2: found CBGRAV = 'one'; expected a number"),
])
def test_a_malformed_file_gives_file_and_line(examples, tmp_path, change, message):
    lines = (examples["favorable"] / "FLUXATT.OUT").read_text().split("\n")
    change(lines)
    path = tmp_path / "FLUXATT.OUT"
    path.write_text("\n".join(lines))
    with pytest.raises(RunFileError) as error:
        read_flux(path)
    assert str(error.value) == f"{path}, {message}"


def test_runs_that_are_not_one_run(examples, tmp_path):
    with pytest.raises(RunFileError, match="found no flux files"):
        read_run(tmp_path)
    for name in ("FLUXEX.OUT", "FLUXATT.OUT"):
        shutil.copy(examples["favorable"] / name, tmp_path)
    shutil.copy(examples["heterogeneous"] / "FLUXREM.OUT", tmp_path)
    with pytest.raises(RunFileError, match=r"FLUXREM.OUT: its echo differs from that of .*"
                                           r"FLUXEX.OUT \(a file of another run\): ATTMODE is 1"):
        read_run(tmp_path)
    shutil.copy(examples["favorable"] / "FLUXREM.OUT", tmp_path)
    ex = (tmp_path / "FLUXEX.OUT").read_text()
    (tmp_path / "FLUXEX.OUT").write_text(ex + ex.split("\n")[6] + "\n")
    with pytest.raises(RunFileError, match=r"FLUXEX.OUT, line 9: a second row of particle 8; "
                                           r"its first is in .*FLUXEX.OUT, line 7"):
        read_run(tmp_path)


def test_numbered_files_of_one_particle_runs(examples, tmp_path):
    """The favorable run split as one-particle runs write it, particle 4 not run."""
    source = examples["favorable"]
    for family in ("EX", "ATT", "REM"):
        lines = (source / f"FLUX{family}.OUT").read_text().split("\n")
        for row in lines[6:-1]:
            if row.startswith("000004"):
                continue
            for other in ("EX", "ATT", "REM"):
                text = "\n".join(lines[:6] + ([row] if other == family else []) + [""])
                (tmp_path / f"VORNEKFLUX{other}.{int(row[:6])}.OUT").write_text(text)
    run, numbered = read_run(source), read_run(tmp_path)
    assert numbered.layout == "numbered" and list(numbered.missing) == [4]
    assert np.array_equal(numbered.flux, run.flux[run.flux["PARTICLE"] != 4])


@pytest.mark.parametrize("name, columns", [("FLUXATT.OUT", FLUX_COLUMNS),
                                           ("VORNEKTRAJATT.2.OUT", TRAJECTORY_COLUMNS)])
def test_column_tables_follow_the_files_the_program_writes(name, columns):
    """The titles and widths of the column tables against the header of a
    regression output (tests/driver/test_run.cpp keeps those equal to what the program
    writes), and their widths against the length of its rows."""
    with open(os.path.join(EXPECTED, name)) as f:
        lines = f.read().split("\n")[5:-1]
    titles = re.findall(r"\S+ *", lines[0])
    assert [t.rstrip() for t in titles] == [title for title, _, _ in columns]
    assert [len(t) for t in titles[:-1]] == [width for _, width, _ in columns[:-1]]
    assert len(lines) > 1
    assert {len(row) for row in lines[1:]} == {sum(width for _, width, _ in columns)}


def test_the_fate_table_agrees_with_the_program(examples, colloidsim):
    # The legend line the program writes names every code with its word ...
    with open(examples["favorable"] / "FLUXATT.OUT") as f:
        legend = f.read().splitlines()[4]
    entries = [entry.split("=", 1) for entry in legend.split(",")]
    assert [(int(key[len("ATTACHK"):]), name) for key, name in entries] == \
        [(f.code, f.name) for f in FATE_TABLE]
    # ... and its summary counts the attached and retained fates as the table does.
    for directory in examples.values():
        summary = json.loads(subprocess.run([colloidsim, "summary", "--json", str(directory)],
                                            check=True, capture_output=True, text=True).stdout)
        count = {f.code: summary["fates"][str(f.code)]["count"] for f in FATE_TABLE}
        for kind in ("attached", "retained"):
            expected = sum(count[f.code] for f in FATE_TABLE if getattr(f, kind))
            assert summary["efficiency"][kind]["count"] == expected, kind
        for f in FATE_TABLE:
            family = read_flux(directory / f"FLUX{f.family}.OUT").rows
            assert np.count_nonzero(family["ATTACHK"] == f.code) == count[f.code]
