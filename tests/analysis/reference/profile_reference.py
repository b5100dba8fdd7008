"""Reference values for tests/analysis: the eta0 correlations for two
parameter sets, the features of three constructed energy profiles, and the
features of both examples' profiles from the closed-form energies of the
force laws (retarded van der Waals, linear-superposition double layer, Born),
found by bisection on the force, independently of the program's integrator.

    /usr/bin/python3 tests/analysis/reference/profile_reference.py
"""
import math

import numpy as np


def sp(x):
    return float(np.float32(x))


PI, KB, E, EPS0, NA = sp(3.1415927), sp(1.380649e-23), sp(1.6021766e-19), sp(8.854188e-12), sp(6.0221406e23)
G, H0, SIGMA = sp(9.80665), sp(1.58e-10), sp(5e-10)
HMAX = 1e-6


def correlations(AP, AG, POROSITY, U, VISC, T, A, RHOP, RHOW):
    g = (1 - POROSITY) ** (1 / 3)
    As = 2 * (1 - g**5) / (2 - 3 * g + 3 * g**5 - 2 * g**6)
    dp, dc = 2 * AP, 2 * AG
    D = KB * T / (3 * PI * VISC * dp)
    NR, NPe, NvdW = dp / dc, U * dc / D, A / (KB * T)
    NAt = A / (12 * PI * VISC * AP**2 * U)
    NG = 2 / 9 * (RHOP - RHOW) * G * AP**2 / (VISC * U)
    NLo = 4 * A / (9 * PI * VISC * dp**2 * U)
    te = (2.4 * As ** (1 / 3) * NR**-0.081 * NPe**-0.715 * NvdW**0.052
          + 0.55 * As * NR**1.675 * NAt**0.125 + 0.22 * NR**-0.24 * NG**1.11 * NvdW**0.053)
    rt = 4 * As ** (1 / 3) * NPe ** (-2 / 3) + As * NLo**0.125 * NR**1.875 + 0.00338 * As * NG**1.2 * NR**-0.4
    return dict(As=As, NR=NR, NPe=NPe, NvdW=NvdW, NA=NAt, NG=NG, NLo=NLo, D=D, te=te, rt=rt)


def bisect(f, lo, hi):
    flo = f(lo) > 0
    for _ in range(200):
        mid = math.sqrt(lo * hi)
        if not lo < mid < hi:
            break
        if (f(mid) > 0) == flo:
            lo = mid
        else:
            hi = mid
    return math.sqrt(lo * hi)


def stationary_points(F, U):
    """Minima and maxima of E(h) = U(h) - U(HMAX), dE/dh = -F."""
    grid = np.geomspace(H0, HMAX, 20001)
    values = [F(h) for h in grid]
    points = []
    for a, b, fa, fb in zip(grid[:-1], grid[1:], values[:-1], values[1:]):
        if fa > 0 >= fb or fa < 0 <= fb:
            h = bisect(F, a, b)
            points.append(("min" if fa > 0 else "max", h, U(h) - U(HMAX)))
    return points


def dlvo(AP, AG, IS, ZI, ER, T, ZC, ZP, A132, LAMBDA):
    ERE0 = ER * EPS0
    KAPPA = math.sqrt(E * E * (2 * IS * NA) * ZI * ZI / (ERE0 * KB * T))
    c = KB * T / ZI / E
    P = 64 * PI * ERE0 * AP * AG / (AP + AG) * c * c * math.tanh(ZI * E * ZC / 4 / KB / T) * math.tanh(ZI * E * ZP / 4 / KB / T)
    C = A132 * AP * AG / (6 * (AP + AG))
    b = sp(5.32)  # the law's retardation constant, in single precision

    def F(h):
        vdw = -C / h**2 * LAMBDA / (LAMBDA + b * h)
        edl = P * KAPPA * math.exp(-KAPPA * h)
        if abs(edl) < sp(1e-30):
            edl = 0.0
        born = A132 * SIGMA**6 / 1260 * ((7 * AP - h) / h**8 + (9 * AP + h) / (2 * AP + h) ** 8)
        return vdw + edl + born

    def U(h):
        # integral from h to infinity of F
        vdw = -C * LAMBDA * (1 / (LAMBDA * h) - b / LAMBDA**2 * math.log((LAMBDA + b * h) / h))
        edl = P * math.exp(-KAPPA * h)
        born = A132 * SIGMA**6 / 7560 * ((8 * AP + h) / (2 * AP + h) ** 7 + (6 * AP - h) / h**7)
        return vdw + edl + born

    return F, U, KB * T


def constructed(A, L, B, C):
    """E/kT = A exp(-h/L) - B/h + C/h^6 with h in nm."""
    nm = 1e-9

    def U(h):
        x = h / nm
        return A * math.exp(-x / L) - B / x + C / x**6

    def F(h):
        x = h / nm
        return (A / L * math.exp(-x / L) - B / x**2 + 6 * C / x**7) / nm

    return F, U


if __name__ == "__main__":
    print("correlations")
    for name, args in [("examples", (0.5e-6, 2.55e-4, 0.37, 4.0e-6, 9.98e-4, 298.15, 1.0e-20, 1055.0, 998.0)),
                       ("second set", (1.0e-6, 2.0e-4, 0.40, 1.0e-5, 1.002e-3, 293.15, 3.0e-21, 1050.0, 998.2))]:
        r = correlations(*args)
        print(name, " ".join(f"{k}={v:.17g}" for k, v in r.items()))
    print("constructed profiles (E in kT, h in nm)")
    for name, args in [("barrier", (300, 3.0, 40.0, 0.002)), ("no barrier", (0, 1.0, 40.0, 0.002)),
                       ("negative maximum", (20.0, 1.0, 10.0, 0.002))]:
        F, U = constructed(*args)
        for kind, h, e in stationary_points(F, U):
            print(name, kind, f"H={h:.17g} E={e:.17g}")
    print("examples (E in kT)")
    base = dict(AP=0.5e-6, AG=2.55e-4, IS=10.0, ZI=1.0, ER=78.5, T=298.15, A132=1.0e-20, LAMBDA=1.0e-7)
    for name, ZC, ZP in [("heterogeneous base/base", -0.040, -0.030), ("heterogeneous het/het", 0.030, 0.020),
                         ("favorable", 0.030, -0.030)]:
        F, U, kT = dlvo(ZC=ZC, ZP=ZP, **base)
        for kind, h, e in stationary_points(F, U):
            print(name, kind, f"H={h:.17g} E_kT={e / kT:.17g}")
