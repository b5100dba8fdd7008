"""The numbers of `colloidsim summary` computed from a run read by read_run.

    from colloidsim import read_run, summary
    report = summary(read_run("runs/favorable"))   # the dict of `colloidsim summary --json`
    report["warnings"], report["injection_rings"][-1]["attached"]
    eta, low, high = summary.attached_efficiency(read_run("runs/favorable"))

The formulas are those of the program's summary, with its single-precision
constants, so the values agree with `colloidsim summary --json` to the last digit
(undefined values are None, as JSON's null; the run record is left out).
"""

import json
import math
import os
import sys
import types

import numpy as np

from .readers import ATTACHED_FATES, FAMILY_OF_FATE, FLUX_COLUMNS, RETAINED_FATES

Z95 = 1.959963984540054  # standard normal quantile at 0.975
# The program's constants: the nearest single-precision values, widened.
PI = float(np.float32(3.1415927))
G_ACCEL = float(np.float32(9.80665))  # m/s2
FOUR_THIRDS = float(np.float32(1.3333334))
KB = float(np.float32(1.380649e-23))  # J/K
DEGREES_PER_RADIAN = 57.29577951308232
INJECTION_RINGS = 5  # equal-area rings of the injection disc
OUTER_RING_THRESHOLD = 0.01  # the outermost ring's Wilson lower bound that warns
WIDE_INTERVAL = 0.5  # an interval reaching further than this share of eta warns


def wilson(count, n):
    """Fraction count/n and its 95 % Wilson score interval (NaN when n = 0)."""
    if n <= 0:
        return math.nan, math.nan, math.nan
    N = float(n)
    f = count / N
    z2 = Z95 * Z95
    denominator = 1.0 + z2 / N
    centre = (f + z2 / (2.0 * N)) / denominator
    half = Z95 * math.sqrt(f * (1.0 - f) / N + z2 / (4.0 * N * N)) / denominator
    low = 0.0 if count == 0 else max(0.0, centre - half)
    high = 1.0 if count == n else min(1.0, centre + half)
    return f, low, high


def settling_velocity(echo):
    """Stokes settling velocity along the flow (m/s): +FG/M3 with gravity along -z."""
    FG = ((((echo["GRAVFACT"] * FOUR_THIRDS) * PI) * (echo["AP"] * echo["AP"] * echo["AP"])) *
          (echo["RHOP"] - echo["RHOW"])) * G_ACCEL
    v = FG / (((6.0 * PI) * echo["VISC"]) * echo["AP"])
    return {1: v, 2: -v}.get(int(echo["CBGRAV"]), 0.0)


def _disc_ratio(echo):
    """(RLIM/AG)^2: the injection disc over the collector's projected area."""
    return (echo["RLIM"] / echo["AG"]) * (echo["RLIM"] / echo["AG"])


def _flow_factor(echo):
    """(VSUP + v_s)/VSUP, NaN where eta is undefined."""
    VSUP = echo["VSUP"]
    through_disc = VSUP + settling_velocity(echo)
    return through_disc / VSUP if VSUP > 0 and through_disc > 0 else math.nan


def efficiency_factor(echo):
    """(RLIM/AG)^2 (VSUP + v_s)/VSUP, or None where eta is undefined."""
    flow = _flow_factor(echo)
    return None if math.isnan(flow) else _disc_ratio(echo) * flow


def _efficiency(run, fates):
    factor = efficiency_factor(run.echo)
    if factor is None:
        return None
    count = int(np.isin(run.flux["ATTACHK"], fates).sum())
    f, low, high = wilson(count, len(run.flux))
    return f * factor, low * factor, high * factor


def attached_efficiency(run):
    """eta of the attached particles (fates 2, 4, 6) with its 95 % interval, or None."""
    return _efficiency(run, ATTACHED_FATES)


def retained_efficiency(run):
    """eta of the retained particles (fates 2, 4, 5, 6) with its 95 % interval, or None."""
    return _efficiency(run, RETAINED_FATES)


def quantile(values, q):
    """The q-quantile with linear interpolation, as the program computes it."""
    if not values:
        return math.nan
    values = sorted(values)
    position = q * (len(values) - 1)
    below = int(math.floor(position))
    above = min(below + 1, len(values) - 1)
    weight = position - below
    return values[below] + weight * (values[above] - values[below])


def dimensionless_numbers(echo):
    """The numbers of the two correlations, from the run's echo."""
    g = math.cbrt(1.0 - echo["POROSITY"])
    g5, g6 = g ** 5, g ** 6
    AP, VISC, VSUP, A = echo["AP"], echo["VISC"], echo["VSUP"], echo["A132"]
    dp, dc = 2.0 * AP, 2.0 * echo["AG"]
    kT = KB * echo["T"]
    D = kT / (3.0 * PI * VISC * dp)
    return {
        "As": 2.0 * (1.0 - g5) / (2.0 - 3.0 * g + 3.0 * g5 - 2.0 * g6),
        "NR": dp / dc,
        "NPe": VSUP * dc / D,
        "NvdW": A / kT,
        "NA": A / (12.0 * PI * VISC * AP * AP * VSUP),
        "NG": 2.0 / 9.0 * (echo["RHOP"] - echo["RHOW"]) * G_ACCEL * AP * AP / (VISC * VSUP),
        "NLo": 4.0 * A / (9.0 * PI * VISC * dp * dp * VSUP),
        "D_m2_s": D,
    }


def _correlations_defined(n):
    return n["NPe"] > 0 and math.isfinite(n["NPe"]) and n["NvdW"] >= 0 and n["NG"] >= 0


def eta0_tufenkji_elimelech(n):
    """Tufenkji and Elimelech (2004), for a perfect-sink collector."""
    if not _correlations_defined(n):
        return math.nan
    diffusion = (2.4 * math.cbrt(n["As"]) * n["NR"] ** -0.081 * n["NPe"] ** -0.715 *
                 n["NvdW"] ** 0.052)
    interception = 0.55 * n["As"] * n["NR"] ** 1.675 * n["NA"] ** 0.125
    gravity = 0.22 * n["NR"] ** -0.24 * n["NG"] ** 1.11 * n["NvdW"] ** 0.053
    return diffusion + interception + gravity


def eta0_rajagopalan_tien(n):
    """Rajagopalan and Tien (1976) in the form of Logan et al. (1995)."""
    if not _correlations_defined(n):
        return math.nan
    diffusion = 4.0 * math.cbrt(n["As"]) * n["NPe"] ** (-2.0 / 3.0)
    interception = n["As"] * n["NLo"] ** (1.0 / 8.0) * n["NR"] ** (15.0 / 8.0)
    gravity = 0.00338 * n["As"] * n["NG"] ** 1.2 * n["NR"] ** -0.4
    return diffusion + interception + gravity


def _proportion(count, n):
    f, low, high = wilson(count, n)
    return {"count": count, "fraction": f, "interval": [low, high]}


def _rows_of(run, fates):
    return [row for row in run.flux if int(row["ATTACHK"]) in fates]


def _families(run, finished):
    families = {}
    for family in ("EX", "ATT", "REM"):
        rows = [row for row in run.flux if FAMILY_OF_FATE.get(int(row["ATTACHK"])) == family]
        entry = _proportion(len(rows), finished)
        residence = [float(r["PTIMEOUT"]) - float(r["PTIMEIN"]) for r in rows]
        bulk = near = contact = visits = 0.0
        for r in rows:  # in particle order, one addition after another, as the program adds
            bulk += float(r["TBULK"])
            near += float(r["TNEAR"])
            contact += float(r["TFRIC"])
            visits += float(r["NSVISIT"])
        total = bulk + near + contact
        entry["residence_time_s"] = {"p10": quantile(residence, 0.1),
                                     "median": quantile(residence, 0.5),
                                     "p90": quantile(residence, 0.9)}
        entry["time_share"] = {"bulk": bulk / total if total > 0 else math.nan,
                               "near_surface": near / total if total > 0 else math.nan,
                               "contact": contact / total if total > 0 else math.nan}
        entry["mean_NSVISIT"] = visits / len(rows) if rows else math.nan
        families[family] = entry
    return families


def _injection_rings(run):
    RLIM = run.echo["RLIM"]
    particles = [0] * INJECTION_RINGS
    attached = [0] * INJECTION_RINGS
    retained = [0] * INJECTION_RINGS
    for r in run.flux:
        x = (float(r["RINJ"]) / RLIM) * (float(r["RINJ"]) / RLIM)
        if not math.isfinite(x):
            continue
        k = min(max(int(x * INJECTION_RINGS), 0), INJECTION_RINGS - 1)
        particles[k] += 1
        attached[k] += int(r["ATTACHK"]) in ATTACHED_FATES
        retained[k] += int(r["ATTACHK"]) in RETAINED_FATES
    return [{"inner_m": RLIM * math.sqrt(k / INJECTION_RINGS),
             "outer_m": RLIM * math.sqrt((k + 1) / INJECTION_RINGS),
             "particles": particles[k],
             "attached": _proportion(attached[k], particles[k]),
             "retained": _proportion(retained[k], particles[k])}
            for k in range(INJECTION_RINGS)]


def _warnings(run, report, fate_counts):
    """Why the efficiency is not final, in the program's words."""
    warnings = []
    echo, rings = run.echo, report["injection_rings"]
    RLIM, RB = echo["RLIM"], echo["RB"]
    efficiency, finished = report["efficiency"], report["finished"]
    attached = efficiency["attached"]
    all_attached = attached["count"]
    outer, inner = rings[-1], rings[-2]
    if outer["attached"]["interval"][0] > OUTER_RING_THRESHOLD:
        r1 = 0.5 * (inner["inner_m"] + inner["outer_m"])
        r2 = 0.5 * (outer["inner_m"] + outer["outer_m"])
        f1, f2 = inner["attached"]["fraction"], outer["attached"]["fraction"]
        suggested = 2 * RLIM
        if math.isfinite(f1) and f1 > f2:
            suggested = max(1.25 * RLIM, r2 + f2 * (r2 - r1) / (f1 - f2))
        suggested = min(suggested, RB)
        low, high = outer["attached"]["interval"]
        warnings.append(
            f"RLIM = {RLIM:.3g} m may be too small: of the {outer['particles']} particles "
            f"injected in the outermost ring ({outer['inner_m']:.3g} to {RLIM:.3g} m from the "
            f"axis) {outer['attached']['count']} attached ({f2:.3g}, 95 % interval "
            f"{low:.3g}-{high:.3g}), so part of the collector's catchment lies outside the "
            f"injection disc and eta is biased low; run again with RLIM = {suggested:.3g} m "
            "(where the ring fractions fall to zero; at most RB)")
    unresolved = fate_counts[3]
    if unresolved > 0 and finished > 0:
        upper = ((all_attached + unresolved) / finished * efficiency["disc_ratio"] *
                 efficiency["flow_factor"])
        warnings.append(
            f"{unresolved} of {finished} particles were unresolved at TTIME (fate 3): the "
            f"attached eta is a lower bound; if they all attached it would be {upper:.3g} "
            "(a longer TTIME decides them)")
    if report["missing"] > 0:
        warnings.append(
            f"{report['missing']} of {report['NPART']} particles have no row yet (a partial "
            "run): the missing ones may be the slow ones, so eta may change when they are done")
    value, (low, high) = attached["efficiency"], attached["efficiency_interval"]
    if all_attached > 0 and math.isfinite(value) and (
            high - value > WIDE_INTERVAL * value or value - low > WIDE_INTERVAL * value):
        warnings.append(
            f"only {all_attached} particles attached: the 95 % interval of eta reaches beyond "
            f"+-{100 * WIDE_INTERVAL:.0f} %; about {report['particles_for_ten_percent']} "
            "particles would give +-10 % at this fraction")
    fields = [title.split("(", 1)[0] for title, _, kind in FLUX_COLUMNS if kind is float]
    odd = sorted(int(r["PARTICLE"]) for r in run.flux
                 if not all(math.isfinite(float(r[f])) for f in fields))
    if odd:
        listed = ", ".join(str(p) for p in odd[:5]) + (", ..." if len(odd) > 5 else "")
        warnings.append(
            f"{len(odd)} {'row holds' if len(odd) == 1 else 'rows hold'} values that are not "
            f"finite (particle{' ' if len(odd) == 1 else 's '}{listed}): this program writes no "
            "such row for a finished particle (an edited or damaged file?), and the percentiles, "
            "rings and angles that use them may be undefined")
    if fate_counts[6] > 0:
        warnings.append(
            f"{fate_counts[6]} particles crashed below H0 (fate 6): a near-surface or contact "
            "step carried them through the contact band; run again with a smaller MULTNS "
            "(near-surface step) or MULTC (contact step)")
    return warnings


def _without_nan(value):
    if isinstance(value, float) and math.isnan(value):
        return None
    if isinstance(value, dict):
        return {k: _without_nan(v) for k, v in value.items()}
    if isinstance(value, list):
        return [_without_nan(v) for v in value]
    return value


def summarize(run):
    """Everything `colloidsim summary --json` reports but the run record, as a dict
    with the same keys and values (None where the program writes null)."""
    finished = len(run.flux)
    fate_counts = {code: int((run.flux["ATTACHK"] == code).sum()) for code in range(1, 7)}
    record_path = os.path.join(run.directory, "RUN.json")
    merged = False
    if os.path.exists(record_path):
        with open(record_path) as f:
            merged = json.load(f).get("mode") == "merge"
    missing = [int(p) for p in run.missing]
    ranges = []
    for p in missing:
        if ranges and ranges[-1][1] == p - 1:
            ranges[-1][1] = p
        else:
            ranges.append([p, p])
    report = {
        "directory": os.path.abspath(run.directory),
        "layout": run.layout,
        "merged": merged,
        "file_count": len(run.files),
        "NPART": run.npart,
        "finished": finished,
        "missing": len(missing),
        "missing_ranges": ranges,
        "fates": {str(code): _proportion(fate_counts[code], finished) for code in range(1, 7)},
        "families": _families(run, finished),
    }
    efficiency = {
        "settling_velocity_m_s": settling_velocity(run.echo),
        "disc_ratio": _disc_ratio(run.echo),
        "flow_factor": _flow_factor(run.echo),
    }
    factor = efficiency["disc_ratio"] * efficiency["flow_factor"]
    for name, fates in (("attached", ATTACHED_FATES), ("retained", RETAINED_FATES)):
        entry = _proportion(sum(fate_counts[c] for c in fates), finished)
        f, low, high = entry["fraction"], *entry["interval"]
        entry["efficiency"] = f * factor
        entry["efficiency_interval"] = [low * factor, high * factor]
        efficiency[name] = entry
    report["efficiency"] = efficiency
    angles = [0] * 18
    for r in _rows_of(run, ATTACHED_FATES):
        theta = math.atan2(math.hypot(float(r["XOUT"]), float(r["YOUT"])),
                           float(r["ZOUT"])) * DEGREES_PER_RADIAN
        if math.isfinite(theta):
            angles[min(17, int(theta / 10.0))] += 1
    report["attachment_angle"] = {"bin_width_deg": 10, "counts": angles}
    report["injection_rings"] = _injection_rings(run)
    count = efficiency["attached"]["count"]
    f = efficiency["attached"]["fraction"]
    report["outer_ring_share"] = (report["injection_rings"][-1]["attached"]["count"] / count
                                  if count > 0 else math.nan)
    report["particles_for_ten_percent"] = (
        int(math.ceil(Z95 * Z95 * (1 - f) / (0.01 * f))) if count > 0 else 0)
    numbers = dimensionless_numbers(run.echo)
    report["correlations"] = {"numbers": numbers,
                              "tufenkji_elimelech": eta0_tufenkji_elimelech(numbers),
                              "rajagopalan_tien": eta0_rajagopalan_tien(numbers)}
    report["warnings"] = _warnings(run, report, fate_counts)
    return _without_nan(report)


class _SummaryModule(types.ModuleType):
    """colloidsim.summary(run) is summarize(run); the module's functions stay."""

    def __call__(self, run):
        return summarize(run)


sys.modules[__name__].__class__ = _SummaryModule
