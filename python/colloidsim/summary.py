"""The numbers of `colloidsim summary` computed from a run read by read_run.

    from colloidsim import read_run, summary
    eta, low, high = summary.attached_efficiency(read_run("runs/favorable"))

The formulas are those of the program's summary, with its single-precision
constants, so the values agree with `colloidsim summary --json` to the last digit.
"""

import math

import numpy as np

from .readers import ATTACHED_FATES, RETAINED_FATES

Z95 = 1.959963984540054  # standard normal quantile at 0.975
# The program's constants: the nearest single-precision values, widened.
PI = float(np.float32(3.1415927))
G_ACCEL = float(np.float32(9.80665))  # m/s2
FOUR_THIRDS = float(np.float32(1.3333334))


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


def efficiency_factor(echo):
    """(RLIM/AG)^2 (VSUP + v_s)/VSUP, or None where eta is undefined."""
    VSUP = echo["VSUP"]
    through_disc = VSUP + settling_velocity(echo)
    if not (VSUP > 0 and through_disc > 0):
        return None
    return (echo["RLIM"] / echo["AG"]) * (echo["RLIM"] / echo["AG"]) * (through_disc / VSUP)


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
