"""Readers of the files colloidsim writes.

Every file starts with the four-line echo of the run's parameters. A flux
file then holds the fate legend, the column header and one row per particle;
a trajectory file the line "ATTACHK= n", the column header and the recorded
rows. The readers accept exactly what the program writes (reals in the E15.8
form, also "0.15000000-151" for three-digit exponents, "NaN" and
"Infinity"; integers wider than their fields) and raise RunFileError naming
the file and the line for anything else.

Column names are the header titles without their units ("XINIT(m)" gives
"XINIT"); echo keys likewise ("VSUP(m/s)" gives "VSUP").
"""

import os
import re
from dataclasses import dataclass, field

import numpy as np

# The columns of a flux row and of a trajectory row, as io/record_columns.h
# has them: the title, the characters the column takes (its title, or its
# field and the blanks after it) and the kind of its values.
FLUX_COLUMNS = [
    ("PARTICLE", 11, int), ("ATTACHK", 8, int),
    ("XINIT(m)", 20, float), ("YINIT(m)", 20, float), ("RINJ(m)", 20, float),
    ("ZINIT(m)", 20, float), ("RINIT(m)", 20, float), ("HINIT(m)", 20, float),
    ("XOUT(m)", 20, float), ("YOUT(m)", 20, float), ("ZOUT(m)", 20, float),
    ("ROUT(m)", 20, float), ("HOUT(m)", 20, float), ("ETIME(s)", 20, float),
    ("PTIMEIN(s)", 20, float), ("PTIMEOUT(s)", 20, float), ("TBULK(s)", 20, float),
    ("TNEAR(s)", 20, float), ("TFRIC(s)", 20, float), ("NSVISIT", 20, int),
    ("FRICVISIT", 20, int), ("ACONT(m)", 20, float), ("RZOI(m)", 20, float),
    ("AFRACT", 20, float), ("HETTYPE", 8, int), ("HETFLAG", 8, int),
    ("NSVEL(m/s)", 20, float), ("HAVE(m)", 20, float), ("XINNS(m)", 20, float),
    ("YINNS(m)", 20, float), ("ZINNS(m)", 15, float),
]
TRAJECTORY_COLUMNS = [("I", 20, int)] + [
    (title, 20, float) for title in (
        "X", "Y", "Z", "R", "H", "ETIME", "PTIMEF", "FCOLL", "FVDW", "FEDL", "FAB", "FSTE",
        "FBORN", "UT", "UN", "VT", "VN", "FDRGT", "FDRGN", "FDIFX", "FDIFY", "FDIFZ", "FGT",
        "FGN", "FLIFT", "ACONT", "RZOI")
] + [("AFRACT", 15, float)]

FLUX_TITLES = [title for title, _, _ in FLUX_COLUMNS]
FLUX_INTEGERS = {title.split("(", 1)[0] for title, _, kind in FLUX_COLUMNS if kind is int}
TRAJECTORY_TITLES = [title for title, _, _ in TRAJECTORY_COLUMNS]
TRAJECTORY_INTEGERS = {title for title, _, kind in TRAJECTORY_COLUMNS if kind is int}


@dataclass(frozen=True)
class FateFacts:
    """One fate: its ATTACHK code, its word in the legend line of a flux file,
    a few words for figures, the family of files it goes to and whether it
    counts as attached or retained."""

    code: int
    name: str
    description: str
    family: str
    attached: bool
    retained: bool


# The program's own fate table (simulation/fates.h), in the order of the codes.
FATE_TABLE = (
    FateFacts(1, "EXIT", "left the cell", "EX", False, False),
    FateFacts(2, "ATTACHED-BY-PERFECT-SINK-OR-TORQUE", "attached: perfect sink or torque", "ATT",
              True, True),
    FateFacts(3, "REMAINING-UNRESOLVED-WHEN-SIMULATION-ENDS", "unresolved at TTIME", "REM",
              False, False),
    FateFacts(4, "TORQUE-WITH-SLOW-MOTION", "torque with slow motion", "ATT", True, True),
    FateFacts(5, "IN-NEAR-SURFACE-WITH-SLOW-MOTION", "near surface, slow motion", "REM", False,
              True),
    FateFacts(6, "CRASHED", "crashed below H0", "ATT", True, True),
)
FATE_LEGEND = ",".join(f"ATTACHK{f.code}={f.name}" for f in FATE_TABLE)
FATES = {f.code: f.description for f in FATE_TABLE}
FAMILIES = ("EX", "ATT", "REM")
FAMILY_OF_FATE = {f.code: f.family for f in FATE_TABLE}
ATTACHED_FATES = tuple(f.code for f in FATE_TABLE if f.attached)
RETAINED_FATES = tuple(f.code for f in FATE_TABLE if f.retained)

_REAL = r"-?0\.\d+(?:E[+-]\d\d|[+-]\d\d\d)|NaN|-?Infinity"
_REAL_RE = re.compile(_REAL)
_INTEGER_RE = re.compile(r"-?\d+")
_THREE_DIGIT_EXPONENT = re.compile(r"(?<=\d)([+-]\d\d\d)(?= |$)", re.MULTILINE)


class RunFileError(ValueError):
    """A file that is not what colloidsim writes, with its file and line."""


def _name(title):
    return title.split("(", 1)[0]


def _fail(path, line, message):
    where = f"{path}, line {line}" if line else str(path)
    raise RunFileError(f"{where}: {message}")


def _parse_real(text):
    """A real in the E15.8 form; "0.15000000-151" has no exponent letter."""
    if len(text) > 4 and text[-4] in "+-":
        text = text[:-4] + "E" + text[-4:]
    return float(text)


def _parse_echo(path, lines):
    """The four echo lines as {name: value}, names without units."""
    echo = {}
    for number, line in enumerate(lines, start=1):
        tokens = line.split()
        k = 0
        while k < len(tokens):
            label, equals, value = tokens[k].partition("=")
            if not equals or not label:
                _fail(path, number, f"found {tokens[k]!r} where an echo label ending in '=' belongs")
            if not value:
                k += 1
                if k == len(tokens) or "=" in tokens[k]:
                    _fail(path, number, f"found the echo label {label!r} without a value")
                value = tokens[k]
            if _INTEGER_RE.fullmatch(value):
                echo[_name(label)] = int(value)
            elif _REAL_RE.fullmatch(value):
                echo[_name(label)] = _parse_real(value)
            else:
                _fail(path, number, f"found {label} = {value!r}; expected a number")
            k += 1
    for key in ("NPART", "VSUP", "AG", "AP"):
        if key not in echo:
            _fail(path, 0, f"its echo has no {key}; expected the echo of a colloidsim run")
    return echo


def _row_pattern(titles, integers):
    fields = [_INTEGER_RE.pattern if _name(t) in integers else _REAL for t in titles]
    return re.compile(" *" + " +".join(f"(?:{f})" for f in fields) + " *")


def _parse_rows(path, lines, first_line, titles, integers, row_pattern):
    """Rows of blank-separated fields as a structured array."""
    names = [_name(t) for t in titles]
    dtype = [(n, np.int64 if n in integers else np.float64) for n in names]
    patterns = [_INTEGER_RE if n in integers else _REAL_RE for n in names]
    for offset, line in enumerate(lines):
        if row_pattern.fullmatch(line):
            continue
        fields = [f for f in line.split(" ") if f]
        number = first_line + offset
        if len(fields) != len(titles):
            what = "an empty line" if not fields else f"a row of {len(fields)} fields"
            _fail(path, number, f"found {what}; expected the {len(titles)} fields of a row")
        for k, (text, pattern) in enumerate(zip(fields, patterns)):
            if not pattern.fullmatch(text):
                kind = "an integer" if pattern is _INTEGER_RE else "a real in the E15.8 form"
                _fail(path, number, f"field {k + 1} ({titles[k]}): found {text!r}; expected {kind}")
    rows = np.zeros(len(lines), dtype=dtype)
    if lines:
        text = _THREE_DIGIT_EXPONENT.sub(r"E\1", "\n".join(lines))
        table = np.array(text.split(), dtype=object).reshape(len(lines), len(titles))
        for k, (name, kind) in enumerate(dtype):
            rows[name] = table[:, k].astype(str).astype(kind)
    return rows


def _read_lines(path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        text = data.decode("ascii")
    except UnicodeDecodeError as e:
        _fail(path, data.count(b"\n", 0, e.start) + 1, "found a byte that is not ASCII")
    lines = text.split("\n")
    if lines[-1] != "":
        _fail(path, len(lines), "the last line has no line end (its write was cut short)")
    return lines[:-1]


@dataclass
class FluxFile:
    path: str
    echo: dict
    rows: np.ndarray  # structured, one row per particle, names as FLUX_TITLES without units
    echo_text: str = ""  # the four echo lines as written


@dataclass
class Trajectory:
    path: str
    echo: dict
    fate: int
    rows: np.ndarray  # structured, one row per recorded step, names as TRAJECTORY_TITLES


def _check_line(path, lines, index, expected, what):
    if lines[index] != expected:
        _fail(path, index + 1, f"found another line; expected {what}")


def read_flux(path):
    """A flux file (FLUXEX.OUT, VORNEKFLUXATT.7.OUT, ...): its echo and rows."""
    path = str(path)
    lines = _read_lines(path)
    if len(lines) < 6:
        _fail(path, 0, f"holds {len(lines)} lines; expected the four echo lines, the fate "
                       "legend and the column header")
    echo = _parse_echo(path, lines[:4])
    _check_line(path, lines, 4, FATE_LEGEND, "the fate legend 'ATTACHK1=EXIT,...'")
    _check_line(path, lines, 5, _flux_header(), "the flux column header 'PARTICLE   ATTACHK ...'")
    rows = _parse_rows(path, lines[6:], 7, FLUX_TITLES, FLUX_INTEGERS, _FLUX_ROW)
    bad = ~np.isin(rows["ATTACHK"], list(FATES))
    if bad.any():
        k = int(np.argmax(bad))
        _fail(path, 7 + k, f"found the fate {rows['ATTACHK'][k]}; expected a fate code 1..6")
    return FluxFile(path, echo, rows, "\n".join(lines[:4]))


def read_trajectory(path):
    """A trajectory file (VORNEKTRAJATT.3.OUT, ...): echo, fate and recorded rows."""
    path = str(path)
    lines = _read_lines(path)
    if len(lines) < 6:
        _fail(path, 0, f"holds {len(lines)} lines; expected the four echo lines, the fate line "
                       "and the column header")
    echo = _parse_echo(path, lines[:4])
    fate_line = lines[4]
    if not fate_line.startswith("ATTACHK= ") or not _INTEGER_RE.fullmatch(fate_line[9:].strip()):
        _fail(path, 5, f"found {fate_line!r}; expected the fate line 'ATTACHK= n'")
    _check_line(path, lines, 5, _trajectory_header(), "the trajectory column header 'I   X ...'")
    rows = _parse_rows(path, lines[6:], 7, TRAJECTORY_TITLES, TRAJECTORY_INTEGERS,
                       _TRAJECTORY_ROW)
    return Trajectory(path, echo, int(fate_line[9:]), rows)


def _header(columns):
    """Each title left-aligned in its column's characters, the last without blanks."""
    return "".join(title.ljust(width) for title, width, _ in columns[:-1]) + columns[-1][0]


def _flux_header():
    return _header(FLUX_COLUMNS)


def _trajectory_header():
    return _header(TRAJECTORY_COLUMNS)


_FLUX_ROW = _row_pattern(FLUX_TITLES, FLUX_INTEGERS)
_TRAJECTORY_ROW = _row_pattern(TRAJECTORY_TITLES, TRAJECTORY_INTEGERS)

ALL_PARTICLES_FILES = {"EX": "FLUXEX.OUT", "ATT": "FLUXATT.OUT", "REM": "FLUXREM.OUT"}
_NUMBERED_RE = re.compile(r"VORNEKFLUX(EX|ATT|REM)\.([1-9]\d*)\.OUT")


@dataclass
class Run:
    """A run directory's flux files read together.

    flux holds every particle's row, sorted by particle number; missing the
    particles of 1..NPART without a row (a partial run)."""

    directory: str
    layout: str  # "all-particles" or "numbered"
    echo: dict
    flux: np.ndarray
    missing: np.ndarray  # particle numbers
    files: list = field(default_factory=list)

    @property
    def npart(self):
        return self.echo["NPART"]

    def trajectory_path(self, particle):
        """The trajectory file holding the recorded rows of a finished particle."""
        row = self.flux[self.flux["PARTICLE"] == particle]
        if len(row) == 0:
            raise KeyError(f"particle {particle} has no flux row in {self.directory}")
        family = FAMILY_OF_FATE[int(row["ATTACHK"][0])]
        return os.path.join(self.directory, f"VORNEKTRAJ{family}.{particle}.OUT")

    def trajectory(self, particle):
        return read_trajectory(self.trajectory_path(particle))


def read_run(directory):
    """The flux files of a run directory: FLUXEX/ATT/REM.OUT of an all-particles
    (or merged) run when any of them exists, otherwise the numbered
    VORNEKFLUX{EX,ATT,REM}.n.OUT of one-particle runs. Raises RunFileError for
    no run files, a missing file, files of different runs (echoes differ), a
    row in the files of another family and a particle with two rows."""
    directory = str(directory)
    names = set(os.listdir(directory))
    files = []  # (name, family, particle of a numbered file or None)
    if any(name in names for name in ALL_PARTICLES_FILES.values()):
        layout = "all-particles"
        for family, name in ALL_PARTICLES_FILES.items():
            if name not in names:
                _fail(os.path.join(directory, name), 0, "missing; an all-particles run writes "
                      "FLUXEX.OUT, FLUXATT.OUT and FLUXREM.OUT")
            files.append((name, family, None))
    else:
        layout = "numbered"
        numbered = {}
        for name in names:
            m = _NUMBERED_RE.fullmatch(name)
            if m:
                numbered.setdefault(int(m.group(2)), set()).add(m.group(1))
        if not numbered:
            _fail(directory, 0, "found no flux files; expected FLUXEX.OUT, FLUXATT.OUT and "
                  "FLUXREM.OUT, or numbered VORNEKFLUX{EX,ATT,REM}.n.OUT files")
        for particle in sorted(numbered):
            for family in FAMILIES:
                name = f"VORNEKFLUX{family}.{particle}.OUT"
                if family not in numbered[particle]:
                    _fail(os.path.join(directory, name), 0,
                          "missing; a one-particle run writes three numbered flux files")
                files.append((name, family, particle))

    echo = echo_text = echo_file = None
    parts = []
    seen = {}
    for name, family, particle in files:
        path = os.path.join(directory, name)
        flux = read_flux(path)
        if echo is None:
            echo, echo_text, echo_file = flux.echo, flux.echo_text, path
        elif flux.echo_text != echo_text:
            key = next((k for k in echo if flux.echo.get(k) != echo[k]), "")
            _fail(path, 0, f"its echo differs from that of {echo_file} (a file of another run)"
                  + (f": {key} is {flux.echo.get(key)} here, {echo[key]} there" if key else ""))
        for k, row in enumerate(flux.rows):
            line = 7 + k
            p = int(row["PARTICLE"])
            if FAMILY_OF_FATE[int(row["ATTACHK"])] != family:
                _fail(path, line, f"particle {p} has fate {row['ATTACHK']}, which belongs in the "
                      f"{FAMILY_OF_FATE[int(row['ATTACHK'])]} files, not the {family} files")
            if particle is not None and k > 0:
                _fail(path, line, "a second row; a numbered file holds the row of its own "
                      "particle only")
            if particle is not None and p != particle:
                _fail(path, line, f"the row of particle {p} in a file of particle {particle}")
            if not 1 <= p <= echo["NPART"]:
                _fail(path, line, f"particle {p} is not one of 1..NPART = {echo['NPART']}")
            if p in seen:
                _fail(path, line, f"a second row of particle {p}; its first is in {seen[p]}")
            seen[p] = f"{path}, line {line}"
        parts.append(flux.rows)
    rows = np.concatenate(parts)
    rows = rows[np.argsort(rows["PARTICLE"], kind="stable")]
    missing = np.setdiff1d(np.arange(1, echo["NPART"] + 1), np.fromiter(seen, np.int64))
    return Run(directory, layout, echo, rows, missing, [name for name, _, _ in files])
