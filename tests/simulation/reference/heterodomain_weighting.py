#!/usr/bin/env python3
"""Reference values and position design for the heterodomain-weighting tests,
worked out from the model's formulas with plain Python floats (IEEE double)
and struct-packing for the values the model holds in single precision. Run it
and paste what it prints into tests/simulation/test_heterodomain_weighting.cpp:

    python3 tests/simulation/reference/heterodomain_weighting.py

The run is examples/heterogeneous/INPUT.IN, with the changes each case names.
Positions are given by the polar angle asin(d / AG) above the collector's
north pole, so the particle's projection point lies at distance d (m) from
the pole in the tangent plane, and by the azimuth PHI0.
"""
import math
import struct


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def rha(x):
    return math.floor(x + 0.5) if x >= 0 else -math.floor(-x + 0.5)


PI = f32(3.1415927)
KB = f32(1.380649e-23)
E = f32(1.6021766e-19)
EPS0 = f32(8.854188e-12)
NA = f32(6.0221406e+23)
THIRD = f32(0.33333334)

AG, AP, ER, T, ZI = 2.55e-4, 0.5e-6, 78.5, 298.15, 1.0
RHET0, RHET1, RHET2, SCOV = 1.2e-7, 0.4e-7, 0.13e-7, 0.05
RHETP0, SCOVP = 5.0e-9, 0.10
A_K = [-1, 1, 0, -1, 1, 0, -1, 1]
B_K = [-1, -1, -1, 0, 0, 1, 1, 1]


def rzoibulk(IS):
    ere0 = ER * EPS0
    kappa = math.sqrt((E * E * ((IS + IS) * NA) * (ZI * ZI)) / ((ere0 * KB) * T))
    r = math.sqrt((1 / kappa) * AP)
    return r + r


def dtheta(mode):
    n1, n2 = {1: (0, 0), 5: (4, 0), 9: (8, 0), 73: (8, 64)}[mode]
    scov0 = SCOV * RHET0 ** 2 / (RHET0 ** 2 + n1 * RHET1 ** 2 + n2 * RHET2 ** 2)
    ncl = int(rha((scov0 * (4 * AG ** 2)) / RHET0 ** 2))
    nlat = int(rha(math.sqrt(ncl / f32(1.3))))
    return PI / (nlat - 1)


def pole_cluster(mode):
    """Centres (unit vectors times AG) and radii of the north-pole cluster."""
    dth = THIRD * dtheta(mode)

    def at(th, ph):
        return (AG * math.sin(th) * math.cos(ph), AG * math.sin(th) * math.sin(ph),
                AG * math.cos(th))

    out = [(at(0.0, 0.0), RHET0)]
    if mode == 5:
        out += [(at(dth, ((i - 2) * PI) * 0.5), RHET1) for i in range(2, 6)]
    if mode in (9, 73):
        out += [(at(dth, ((i - 2) * PI) * 0.25), RHET1) for i in range(2, 10)]
    if mode == 73:
        for i in range(10, 74):
            g = (i - 10) // 8
            k = i - 9 - 8 * g
            out.append((at((0.0 + dth) + A_K[k - 1] * (THIRD * dth),
                           (g * PI) * 0.25 + B_K[k - 1] * (THIRD * (PI * 0.25))), RHET2))
    return out


def in_plane_distance(p, d, phi0):
    """Distance in the tangent plane at the projection point G between G and
    the point p of the collector surface."""
    th = math.asin(d / AG)
    n = (math.sin(th) * math.cos(phi0), math.sin(th) * math.sin(phi0), math.cos(th))
    v = [p[i] - AG * n[i] for i in range(3)]
    along = sum(v[i] * n[i] for i in range(3))
    return math.sqrt(max(sum(x * x for x in v) - along * along, 0.0))


def hettype(mode, touched):
    t = 0
    for k in touched:
        if k == 1:
            t = 1
        if mode in (5, 9) and k > 1:
            t = {0: 2, 1: 4}.get(t, t)
        if mode == 73 and 1 < k <= 9:
            t = {0: 2, 1: 4}.get(t, t)
        if mode == 73 and k > 9:
            t = {0: 3, 1: 5, 2: 6}.get(t, t)
    return t


def lens(r1, r2, d):
    """Overlap area of two discs as two circular segments."""
    if d >= r1 + r2:
        return 0.0
    if d <= abs(r1 - r2):
        m = min(r1, r2)
        return math.pi * m * m
    x1 = (d * d + r1 * r1 - r2 * r2) / (2 * d)  # chord distance from centre 1
    x2 = d - x1
    seg1 = r1 * r1 * math.acos(x1 / r1) - x1 * math.sqrt(r1 * r1 - x1 * x1)
    seg2 = r2 * r2 * math.acos(x2 / r2) - x2 * math.sqrt(r2 * r2 - x2 * x2)
    return seg1 + seg2


def show(label, x):
    print(f'{label} = {x!r}')


def main():
    for IS in (10.0, 1.0):
        show(f'RZOIBULK(IS={IS})', rzoibulk(IS))
    for mode in (1, 5, 9, 73):
        show(f'DTHETA AG (HETMODE {mode})', dtheta(mode) * AG)

    print('\n# W_C of the pole heterodomain (HETMODE 1, SCOVP 0), ZOI at distance d')
    rz = rzoibulk(10.0)
    for d in (0.0, 2e-8, 6e-8, 1.5e-7):
        show(f'W_C(d={d})', lens(rz, RHET0, d) / (math.pi * rz * rz))

    # Each zone must clear every rim it does not cross (and cross every rim
    # it does) by a margin, and stay in the pole ring (ITHETA = 1).
    print('\n# HETTYPE designs: (IS, HETMODE, d, PHI0), touched members, class, margin')
    designs = [(10.0, 1, 0.0, 0.3), (10.0, 9, 4.41e-7, 0.0), (1.0, 5, 2.33e-7, 0.0),
               (10.0, 73, 6.98e-7, 0.2618), (1.0, 73, 2.38e-7, 0.2618),
               (10.0, 73, 5.18e-7, 0.157)]
    for IS, mode, d, phi0 in designs:
        rz = rzoibulk(IS)
        cluster = pole_cluster(mode)
        gaps = [in_plane_distance(p, d, phi0) - (rz + r) for p, r in cluster]
        touched = [k + 1 for k, g in enumerate(gaps) if g < 0]
        margin = min(abs(g) for g in gaps) / rz
        pole_ring = math.asin(d / AG) / dtheta(mode) < 0.5
        print(f'IS={IS} HETMODE={mode} d={d!r} PHI0={phi0} touched={touched} '
              f'HETTYPE={hettype(mode, touched)} margin/RZ={margin:.3f} pole={pole_ring}')

    print('\n# Realised particle coverage (HETMODEP 1, RHETP0 = AP/100)')
    a0 = RHETP0 / AP
    nclp = int(rha((SCOVP * 4) / (2 * (1 - math.cos(a0)))))
    realised = ((nclp + nclp) * (1 - math.cos(a0)) + 0.0) * 0.25
    show('NCLP', nclp)
    show('SCOVP', realised)
    mant, exp = f'{realised:.7e}'.split('e')
    print(f'E15.8 text: 0.{mant.replace(".", "").replace("-", "")}E{int(exp) + 1:+03d}')


main()
