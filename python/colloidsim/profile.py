"""The interaction energy profiles of a condition, drawn.

    python3 -m colloidsim.profile DIR [-o FILE]
    python3 -m colloidsim.plot --profile DIR [-o FILE]

DIR holds INPUT.IN: the program (COLLOIDSIM, default build/colloidsim of this
repository) is run there as `colloidsim profile --json`, which writes no
file. DIR may also be a saved `colloidsim profile --json` output (.json).
FILE ends in .png or .svg (default: DIR/profile.png, or the JSON file's name
with .png). The figure shows E(H) in kT against H in nm on a log axis, one
curve per surface pair, the energy barrier and the minima marked, HCUT shown,
and the condition (AP, IS, zeta potentials, A132) in the title. The energy
axis is linear within +-1 kT and logarithmic beyond, so that a secondary
minimum of a few kT and a barrier of hundreds show on one axis.
"""

import argparse
import json
import os
import subprocess
import sys

import matplotlib

matplotlib.use("Agg")

import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
NM = 1e9  # metres to nanometres
FIGURE_SIZE = (9.0, 6.0)  # inches
DPI = 100
PAIR_COLOURS = ["#1f77b4", "#d62728", "#2ca02c", "#9467bd"]
MARKERS = {"barrier": ("^", "barrier"), "secondary_minimum": ("o", "secondary minimum"),
           "primary_minimum": ("s", "primary minimum")}


class ProfileError(Exception):
    """The program refused the input, or the JSON is not a profile."""


def program():
    return os.path.abspath(os.environ.get("COLLOIDSIM", os.path.join(ROOT, "build", "colloidsim")))


def read_profile(source):
    """The profile of a directory with INPUT.IN (by running the program) or
    of a saved `colloidsim profile --json` file, as a dict."""
    if os.path.isdir(source):
        exe = program()
        if not os.access(exe, os.X_OK):
            raise ProfileError(f"no colloidsim program at {exe}; build it or set COLLOIDSIM")
        done = subprocess.run([exe, "profile", "--json"], cwd=source, capture_output=True, text=True)
        if done.returncode != 0:
            raise ProfileError(done.stderr.strip() or f"colloidsim profile failed in {source}")
        text = done.stdout
    else:
        with open(source, encoding="utf-8") as f:
            text = f.read()
    try:
        data = json.loads(text)
        data["pairs"][0]["profile"]["E_kT"]
    except (ValueError, KeyError, IndexError, TypeError) as e:
        raise ProfileError(f"{source}: not the output of colloidsim profile --json ({e})")
    return data


def _title(data):
    c = data["condition"]
    return (f"AP = {c['AP_m'] * 1e6:.3g} µm, IS = {c['IS_mol_m3']:.3g} mM, "
            f"ζp = {c['ZETAPST_V'] * 1e3:.3g} mV, ζc = {c['ZETACST_V'] * 1e3:.3g} mV, "
            f"A132 = {c['A132_J']:.3g} J")


def make_figure(data):
    """E(H) of every surface pair of a profile read by read_profile."""
    fig, ax = plt.subplots(figsize=FIGURE_SIZE, dpi=DPI)
    for k, pair in enumerate(data["pairs"]):
        colour = PAIR_COLOURS[k % len(PAIR_COLOURS)]
        H = np.asarray(pair["profile"]["H_m"], dtype=float) * NM
        E = np.asarray([np.nan if e is None else e for e in pair["profile"]["E_kT"]], dtype=float)
        label = (f"{pair['label']} (ζc {pair['ZETAC_V'] * 1e3:.3g} mV, "
                 f"ζp {pair['ZETAP_V'] * 1e3:.3g} mV)")
        ax.plot(H, E, color=colour, linewidth=1.6, label=label, gid=f"pair-{k + 1}")
        for key, (marker, name) in MARKERS.items():
            point = pair[key]
            if point is None:
                continue
            ax.plot(point["H_m"] * NM, point["E_kT"], linestyle="none", marker=marker,
                    markersize=8, markerfacecolor="white", markeredgecolor=colour,
                    markeredgewidth=1.6, zorder=5, gid=f"{key}-{k + 1}")
            if key != "primary_minimum":
                # Labels of neighbouring pairs to either side of their points.
                dx = 10 if k % 2 == 0 else -62
                ax.annotate(f"{point['E_kT']:.3g} kT\n{point['H_m'] * NM:.3g} nm",
                            (point["H_m"] * NM, point["E_kT"]), textcoords="offset points",
                            xytext=(dx, 8 if key == "barrier" and k % 2 == 0 else -26), fontsize=8, color=colour)
    hcut = data["lengths"]["HCUT_m"] * NM
    ax.axvline(hcut, color="#555555", linestyle="--", linewidth=1.0, gid="HCUT")
    ax.text(hcut, 0.98, " HCUT", transform=ax.get_xaxis_transform(), va="top", fontsize=9,
            color="#555555")
    ax.axhline(0.0, color="#999999", linewidth=0.8)
    ax.set_xscale("log")
    ax.set_yscale("symlog", linthresh=1.0)
    ax.set_xlim(data["lengths"]["H0_m"] * NM, data["grid"]["hmax_m"] * NM)
    ax.set_xlabel("separation H (nm)")
    ax.set_ylabel("interaction energy E (kT)")
    ax.grid(True, which="major", alpha=0.3)
    handles, labels = ax.get_legend_handles_labels()
    for marker, name in MARKERS.values():
        handles.append(plt.Line2D([], [], linestyle="none", marker=marker, markerfacecolor="white",
                                  markeredgecolor="black"))
        labels.append(name)
    ax.legend(handles, labels, fontsize=8, loc="upper right")
    ax.set_title(_title(data), fontsize=10)
    fig.tight_layout()
    return fig


def main(argv=None, prog="python3 -m colloidsim.profile"):
    parser = argparse.ArgumentParser(prog=prog, description="The interaction energy profiles of a condition.")
    parser.add_argument("source", metavar="DIR",
                        help="a directory with INPUT.IN, or a saved colloidsim profile --json file")
    parser.add_argument("-o", dest="output", metavar="FILE",
                        help="the figure file, .png or .svg (default: DIR/profile.png)")
    args = parser.parse_args(argv)
    if args.output:
        output = args.output
    elif os.path.isdir(args.source):
        output = os.path.join(args.source, "profile.png")
    else:
        output = os.path.splitext(args.source)[0] + ".png"
    if os.path.splitext(output)[1].lower() not in (".png", ".svg"):
        parser.error(f"{output}: expected a file name ending in .png or .svg")
    try:
        fig = make_figure(read_profile(args.source))
    except (ProfileError, OSError) as e:
        print(f"colloidsim.profile: {e}", file=sys.stderr)
        return 1
    fig.savefig(output, dpi=DPI)
    plt.close(fig)
    print(output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
