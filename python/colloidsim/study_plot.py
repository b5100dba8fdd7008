"""The figure of a study: eta (and alpha, when the study has reference
twins) against the first varied parameter, one line per value of the
others, with the 95 % intervals of STUDY.json as error bars.

    python3 -m colloidsim.plot STUDY_DIR [-o FILE]     (default STUDY_DIR/study.png)

An axis is logarithmic where its values span more than a decade. Where a
row carries the correlations' eta0 ("eta0": {"tufenkji_elimelech": ...}),
it is drawn as a dashed curve of the same colour.
"""

import json
import os

import matplotlib

matplotlib.use("Agg")

import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

UNITS = {"AP": "m", "AG": "m", "IS": "mol/m3", "VSUP": "m/s", "ZETAPST": "V", "ZETACST": "V",
         "ZETAHET": "V", "ZETAHETP": "V", "RLIM": "m", "T": "K", "A132": "J", "RHOP": "kg/m3",
         "VISC": "kg/m/s", "RHET0": "m", "RHETP0": "m", "ASP": "m", "B": "m"}
FIGURE_SIZE = (11.0, 4.8)  # inches
DPI = 100


class StudyError(Exception):
    pass


def read_study(directory):
    """STUDY.json of a study directory, as written by colloidsim study."""
    path = os.path.join(directory, "STUDY.json")
    if not os.path.exists(path):
        raise StudyError(f"{path}: no such file; colloidsim study {directory} --table writes it")
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def is_study(directory):
    return os.path.exists(os.path.join(directory, "STUDY.json")) or os.path.exists(
        os.path.join(directory, "STUDY.toml"))


def _spans_decades(values):
    values = np.asarray([v for v in values if v is not None and np.isfinite(v)], dtype=float)
    return values.size > 1 and np.all(values > 0) and values.max() / values.min() > 10


def _axis(name, values):
    """Scale and label of a varied parameter's axis: lengths below a
    millimetre in micrometres."""
    unit = UNITS.get(name)
    if unit == "m" and values and max(abs(v) for v in values) < 1e-3:
        return 1e6, f"{name} (um)"
    return 1.0, f"{name} ({unit})" if unit else name


def _series(doc):
    """The condition rows grouped by the values of every varied parameter
    but the first: {key: [(x, row), ...]} with x ascending."""
    names = doc["varied"]
    groups = {}
    for row in doc["conditions"]:
        if row["reference"]:
            continue
        key = tuple((n, row["values"][n]) for n in names[1:])
        groups.setdefault(key, []).append((row["values"][names[0]], row))
    return {k: sorted(v, key=lambda p: p[0]) for k, v in groups.items()}


def _interval_panel(ax, series, quantity, ylabel, first):
    scale, xlabel = _axis(first, [x for points in series.values() for x, _ in points])
    drawn = []
    for i, (key, points) in enumerate(series.items()):
        xs, ys, low, high = [], [], [], []
        for x, row in points:
            q = row.get(quantity)
            if not q or q["value"] is None:
                continue
            xs.append(x * scale)
            ys.append(q["value"])
            low.append(q["value"] - (q["interval"][0] if q["interval"][0] is not None else q["value"]))
            high.append((q["interval"][1] if q["interval"][1] is not None else q["value"]) - q["value"])
        label = ", ".join(f"{n}={v:g}" for n, v in key) or None
        colour = f"C{i}"
        line = ax.errorbar(np.asarray(xs, dtype=float), np.asarray(ys, dtype=float),
                           yerr=np.asarray([low, high], dtype=float).reshape(2, -1), marker="o",
                           capsize=3, color=colour, label=label)
        line[0].set_gid(f"{quantity}-{i}")
        drawn.extend(ys)
        if quantity == "eta_attached":
            eta0 = [(x, (row.get("eta0") or {}).get("tufenkji_elimelech")) for x, row in points]
            eta0 = [(x, v) for x, v in eta0 if v is not None]
            if eta0:
                ax.plot([x * scale for x, _ in eta0], [v for _, v in eta0], linestyle="--", color=colour,
                        gid=f"eta0-{i}", label="Tufenkji-Elimelech eta0" if i == 0 else None)
                drawn.extend(v for _, v in eta0)
    xs_all = [x for points in series.values() for x, _ in points]
    if _spans_decades(xs_all):
        ax.set_xscale("log")
    if _spans_decades(drawn):
        ax.set_yscale("log")
    ax.set_xlabel(xlabel)
    ax.set_ylabel(ylabel)
    ax.grid(True, which="both", alpha=0.3)
    if ax.get_legend_handles_labels()[1]:
        ax.legend(fontsize=8, frameon=False)


def make_study_figure(doc, title="colloidsim study"):
    series = _series(doc)
    first = doc["varied"][0]
    has_alpha = any(row.get("alpha") for row in doc["conditions"])
    fig, axes = plt.subplots(1, 2 if has_alpha else 1, figsize=FIGURE_SIZE if has_alpha else
                             (6.0, 4.8), squeeze=False)
    _interval_panel(axes[0][0], series, "eta_attached", "eta, attached particles (95 % interval)",
                    first)
    if has_alpha:
        _interval_panel(axes[0][1], series, "alpha",
                        "alpha = eta / eta of the favorable twin (95 %)", first)
    fig.suptitle(title, fontsize=11)
    fig.tight_layout()
    return fig


def main_study(directory, output):
    doc = read_study(directory)
    fig = make_study_figure(doc, f"colloidsim study in {directory}")
    fig.savefig(output, dpi=DPI)
    plt.close(fig)
    return output
