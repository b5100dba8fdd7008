"""One sheet of figures of a finished run.

    python3 -m colloidsim.plot DIR [-o FILE]
    python3 -m colloidsim.plot --profile DIR [-o FILE]   (see colloidsim.profile)

FILE ends in .png or .svg (default: DIR/run.png). The sheet shows the
condition and the attached efficiency with its 95 % interval in its title,
the trajectories in the meridional half-plane with the collector, the Happel
cell and the injection disc to scale (and a zoom on the collector surface
where particles attached), the separation H against time, the attachments per
unit collector area over the polar angle and the fate counts; particles are
coloured by fate, attached ones drawn on top.
"""

import argparse
import os
import sys

import matplotlib

matplotlib.use("Agg")

import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from matplotlib.lines import Line2D  # noqa: E402
from matplotlib.patches import Circle, Wedge  # noqa: E402

from . import study_plot  # noqa: E402
from .readers import ATTACHED_FATES, FATES, RunFileError, read_run  # noqa: E402
from .summary import attached_efficiency  # noqa: E402

FATE_COLOURS = {
    1: "#1f77b4",  # left the cell
    2: "#d62728",  # attached
    3: "#9467bd",  # unresolved
    4: "#ff7f0e",  # torque with slow motion
    5: "#2ca02c",  # near surface, slow motion
    6: "#111111",  # crashed
}
UM = 1e6  # metres to micrometres
H_FLOOR = 1e-10  # m; separations at or below it are drawn at it on the log axis
H_AXIS_FLOOR = 1e-4  # µm; the separation axis always starts here, so sheets compare
FIGURE_SIZE = (12.0, 8.5)  # inches
DPI = 100


def _polar_angle_deg(x, y, z):
    return np.degrees(np.arctan2(np.hypot(x, y), z))


def _draw_geometry(ax, AG, RB, RLIM):
    ax.add_patch(Wedge((0, 0), AG * UM, -90, 90, facecolor="#d9d9d9", edgecolor="#555555",
                       linewidth=1.0, zorder=0))
    ax.add_patch(Circle((0, 0), RB * UM, fill=False, linestyle="--", edgecolor="#555555",
                        linewidth=1.0, zorder=0))
    # Particles start on the cell boundary within RLIM of the flow axis.
    rim = np.linspace(0, min(RLIM, RB), 50)
    ax.plot(rim * UM, np.sqrt(RB * RB - rim * rim) * UM, color="#e6ab02", linewidth=4,
            solid_capstyle="butt", zorder=1, gid="injection-disc")


def _attached_last(trajectories):
    # Exits first, attached particles on top of them.
    return sorted(trajectories, key=lambda t: (t[1] in ATTACHED_FATES, t[0]))


def _trajectory_panel(ax, run, trajectories):
    AG, RB, RLIM = run.echo["AG"], run.echo["RB"], run.echo["RLIM"]
    _draw_geometry(ax, AG, RB, RLIM)
    for particle, fate, rows in _attached_last(trajectories):
        rho = np.hypot(rows["X"], rows["Y"]) * UM
        ax.plot(rho, rows["Z"] * UM, color=FATE_COLOURS[fate], linewidth=0.9, alpha=0.85,
                zorder=3 if fate in ATTACHED_FATES else 2, gid=f"trajectory-{particle}")
    attached = run.flux[np.isin(run.flux["ATTACHK"], ATTACHED_FATES)]
    ax.plot(np.hypot(attached["XOUT"], attached["YOUT"]) * UM, attached["ZOUT"] * UM,
            linestyle="none", marker="o", markersize=5, markerfacecolor="white",
            markeredgecolor="black", zorder=5, gid="attachment-points")
    ax.annotate("", xy=(1.6 * RB * UM, 0.65 * RB * UM), xytext=(1.6 * RB * UM, 0.95 * RB * UM),
                arrowprops=dict(arrowstyle="->", color="#555555"))
    ax.text(1.63 * RB * UM, 0.8 * RB * UM, "flow", color="#555555", va="center")
    ax.text(0.05 * AG * UM, 0.0, "collector", va="center", fontsize=9)
    ax.text(0.72 * RB * UM, -0.85 * RB * UM, "Happel cell", color="#555555", fontsize=9)
    ax.annotate(f"injection disc, RLIM = {RLIM * UM:g} µm", xy=(RLIM * UM, RB * UM),
                xytext=(0.35 * RB * UM, 1.0 * RB * UM), color="#b8860b", fontsize=8,
                va="center", arrowprops=dict(arrowstyle="-", color="#b8860b", linewidth=0.8))
    ax.set_xlim(0, 2.1 * RB * UM)
    ax.set_ylim(-1.05 * RB * UM, 1.05 * RB * UM)
    ax.set_aspect("equal")
    ax.set_xlabel("distance from the flow axis (µm)")
    ax.set_ylabel("z (µm)")
    ax.set_title("Trajectories in the meridional half-plane")

    # Zoom on the collector surface at the attachment point of median polar
    # angle; with no attachment there is nothing to zoom on.
    if not len(attached):
        ax.text(0.97, 0.5, "no particle attached", transform=ax.transAxes, ha="right",
                va="center", fontsize=10, color="#555555", gid="no-attachment")
        return
    angles = _polar_angle_deg(attached["XOUT"], attached["YOUT"], attached["ZOUT"])
    theta = np.radians(np.sort(angles)[(len(angles) - 1) // 2])
    half = 0.05 * AG * UM
    cx, cz = AG * UM * np.sin(theta), AG * UM * np.cos(theta)
    inset = ax.inset_axes([0.53, 0.2, 0.46, 0.6])
    _draw_geometry(inset, AG, RB, RLIM)
    for particle, fate, rows in _attached_last(trajectories):
        inset.plot(np.hypot(rows["X"], rows["Y"]) * UM, rows["Z"] * UM,
                   color=FATE_COLOURS[fate], linewidth=0.9)
    inset.plot(np.hypot(attached["XOUT"], attached["YOUT"]) * UM, attached["ZOUT"] * UM,
               linestyle="none", marker="o", markersize=6, markerfacecolor="white",
               markeredgecolor="black", zorder=5)
    inset.set_xlim(cx - half, cx + half)
    inset.set_ylim(cz - half, cz + half)
    inset.set_aspect("equal")
    inset.tick_params(labelsize=8)
    inset.set_title(f"collector surface near {np.degrees(theta):.0f}°", fontsize=9)
    ax.indicate_inset_zoom(inset, edgecolor="black")


def _separation_panel(ax, trajectories):
    clipped = False
    for particle, fate, rows in _attached_last(trajectories):
        clipped = clipped or bool((rows["H"] <= H_FLOOR).any())
        ax.plot(rows["ETIME"], np.maximum(rows["H"], H_FLOOR) * UM, color=FATE_COLOURS[fate],
                linewidth=0.9, alpha=0.85, gid=f"separation-{particle}")
    ax.set_yscale("log")
    ax.set_ylim(bottom=H_AXIS_FLOOR)
    ax.set_xlabel("time since the first record ETIME (s)")
    ax.set_ylabel("separation H (µm)")
    note = f" (H ≤ {H_FLOOR * 1e9:.1f} nm drawn at it)" if clipped else ""
    ax.set_title("Separation from the collector surface" + note)
    ax.grid(True, which="major", alpha=0.3)


def ring_areas_mm2(AG, bins_deg):
    """Collector area (mm²) of each ring between polar angles bins_deg[i] and [i+1]."""
    cosines = np.cos(np.radians(bins_deg))
    return 2 * np.pi * (AG * 1e3) ** 2 * (cosines[:-1] - cosines[1:])


def _angle_panel(ax, run):
    # A ring at polar angle theta has an area proportional to sin(theta):
    # counts per unit area, so that a uniform coverage draws flat.
    bins = np.arange(0, 181, 10)
    areas = ring_areas_mm2(run.echo["AG"], bins)
    attached = run.flux[np.isin(run.flux["ATTACHK"], ATTACHED_FATES)]
    bottom = np.zeros(len(bins) - 1)
    for fate in ATTACHED_FATES:
        rows = attached[attached["ATTACHK"] == fate]
        counts, _ = np.histogram(_polar_angle_deg(rows["XOUT"], rows["YOUT"], rows["ZOUT"]),
                                 bins=bins)
        if counts.any():
            ax.bar(bins[:-1], counts / areas, width=10, align="edge", bottom=bottom,
                   color=FATE_COLOURS[fate], edgecolor="white", gid=f"angle-fate-{fate}")
        bottom += counts / areas
    ax.set_xlim(0, 180)
    ax.set_xticks(np.arange(0, 181, 30))
    ax.set_xlabel("polar angle from the forward stagnation point (degrees)")
    ax.set_ylabel("attached particles per mm² of collector")
    ax.set_title(f"Attachment density over the collector ({len(attached)} attached)")


def _fate_panel(ax, run):
    fates = list(FATES)
    counts = [int(np.count_nonzero(run.flux["ATTACHK"] == f)) for f in fates]
    labels = [f"{f}\n{FATE_NAMES[f]}" for f in fates]
    colours = [FATE_COLOURS[f] for f in fates]
    if len(run.missing):
        labels.append("missing")
        counts.append(len(run.missing))
        colours.append("#bbbbbb")
    bars = ax.bar(labels, counts, color=colours)
    ax.bar_label(bars, padding=2)
    ax.tick_params(axis="x", labelsize=8)
    ax.set_xlabel("fate ATTACHK")
    ax.set_ylabel("particles")
    ax.set_ylim(0, max(counts + [1]) * 1.15)
    ax.yaxis.get_major_locator().set_params(integer=True)
    ax.set_title(f"Fates of {len(run.flux)} finished particles of NPART = {run.npart}")


# Short fate names for the bars; the legend gives the long ones.
FATE_NAMES = {1: "exit", 2: "attached", 3: "unresolved", 4: "torque, slow", 5: "near surface",
              6: "crashed"}


def _condition_title(run):
    e = run.echo
    condition = (f"AP = {e['AP'] * UM:g} µm, IS = {e['IS']:g} mM, "
                 f"zeta particle/collector = {e['ZETAPST'] * 1e3:g}/{e['ZETACST'] * 1e3:g} mV, "
                 f"VSUP = {e['VSUP']:.3g} m/s")
    eta = attached_efficiency(run)
    if eta is None:
        result = "eta undefined (VSUP + settling velocity not > 0)"
    else:
        value, low, high = eta
        result = f"eta = {value:.3g} [{low:.3g}-{high:.3g}] (attached, 95 %)"
    return f"{condition}\n{result}, {len(run.flux)} of {run.npart} particles, {run.directory}"


def make_figure(run):
    """The sheet of a run read by read_run, as a matplotlib Figure."""
    trajectories = []
    for row in run.flux:
        particle, fate = int(row["PARTICLE"]), int(row["ATTACHK"])
        trajectories.append((particle, fate, run.trajectory(particle).rows))
    fig, axes = plt.subplots(2, 2, figsize=FIGURE_SIZE, dpi=DPI,
                             gridspec_kw=dict(height_ratios=[1.5, 1]))
    _trajectory_panel(axes[0, 0], run, trajectories)
    _separation_panel(axes[0, 1], trajectories)
    _angle_panel(axes[1, 0], run)
    _fate_panel(axes[1, 1], run)
    handles = [Line2D([], [], color=FATE_COLOURS[f], linewidth=2, label=f"{f} {FATES[f]}")
               for f in FATES]
    handles.append(Line2D([], [], linestyle="none", marker="o", markerfacecolor="white",
                          markeredgecolor="black", label="attachment point"))
    fig.legend(handles=handles, loc="lower center", ncol=4, frameon=False,
               bbox_to_anchor=(0.5, 0.0))
    fig.suptitle(_condition_title(run), fontsize=11)
    fig.tight_layout(rect=(0, 0.07, 1, 1))
    return fig


def main(argv=None):
    argv = sys.argv[1:] if argv is None else list(argv)
    if "--profile" in argv:
        from . import profile

        rest = [a for a in argv if a != "--profile"]
        return profile.main(rest, prog="python3 -m colloidsim.plot --profile")
    parser = argparse.ArgumentParser(prog="python3 -m colloidsim.plot",
                                     description="One sheet of figures of a finished run.")
    parser.add_argument("directory", metavar="DIR",
                        help="the run directory, or a study directory (with STUDY.toml)")
    parser.add_argument("-o", dest="output", metavar="FILE",
                        help="the figure file, .png or .svg (default: DIR/run.png, or "
                             "DIR/study.png for a study)")
    args = parser.parse_args(argv)
    if study_plot.is_study(args.directory):
        output = args.output or os.path.join(args.directory, "study.png")
        if os.path.splitext(output)[1].lower() not in (".png", ".svg"):
            parser.error(f"{output}: expected a file name ending in .png or .svg")
        try:
            print(study_plot.main_study(args.directory, output))
        except (study_plot.StudyError, OSError, ValueError, KeyError) as e:
            print(f"colloidsim.plot: {e}", file=sys.stderr)
            return 1
        return 0
    output = args.output or os.path.join(args.directory, "run.png")
    extension = os.path.splitext(output)[1].lower()
    if extension not in (".png", ".svg"):
        parser.error(f"{output}: expected a file name ending in .png or .svg")
    try:
        run = read_run(args.directory)
        fig = make_figure(run)
    except (RunFileError, OSError) as e:
        print(f"colloidsim.plot: {e}", file=sys.stderr)
        return 1
    fig.savefig(output, dpi=DPI)
    plt.close(fig)
    print(output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
