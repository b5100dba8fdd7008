#!/usr/bin/env python3
"""Reference values for the surface-geometry tests (collector and particle
heterodomain lattices, local tangent frame).

Written from the model's formulas with plain Python floats; single-precision
steps are rounded with struct packing (f32 below). A float product or sum is
formed in double and rounded once to float, which equals the float operation
because a double holds more than twice the float significand. Run with
python3 and paste the printed values into the tests.
"""
import math
import struct


def f32(x):
    return struct.unpack('f', struct.pack('f', x))[0]


PI = f32(3.1415927)
THIRD = f32(0.33333334)
TENTH = f32(0.1)
RING_DENSITY = f32(1.3)


def rha(x):
    """Nearest whole number, halves away from zero."""
    return math.floor(x + 0.5) if x >= 0 else -math.floor(-x + 0.5)


def ipart(x):
    return int(x)


def neighbour_table():
    # The generating formulas, every operation rounded to float.
    a, b = [], []
    for k in range(1, 9):
        s = math.sin(f32(f32(f32(2.094) * k) + f32(3.142)))
        a.append(rha(f32(f32(1.155) * f32(s))))
        s1 = f32(math.sin(f32(f32(f32(0.5236) * k) + f32(3.927))))
        s2 = f32(math.sin(f32(f32(f32(3.665) * k) - f32(7.069))))
        b.append(rha(f32(f32(f32(1.115) * s1) + f32(f32(0.2989) * s2))))
    return a, b


A, B = neighbour_table()
assert A == [-1, 1, 0, -1, 1, 0, -1, 1], A
assert B == [-1, -1, -1, 0, 0, 1, 1, 1], B


def collector_lattice(AG, HETMODE, SCOV, R0, R1, R2):
    n1, n2 = {1: (0, 0), 5: (4, 0), 9: (8, 0), 73: (8, 64)}[HETMODE]
    scov0 = SCOV * R0 ** 2 / (R0 ** 2 + n1 * R1 ** 2 + n2 * R2 ** 2)
    ncl = ipart(rha((scov0 * (4 * (AG * AG))) / (R0 * R0)))
    nlat = ipart(rha(math.sqrt(ncl / RING_DENSITY)))
    dtheta = PI / (nlat - 1)
    return ncl, nlat, dtheta, dtheta * AG


def hettrack(X, Y, Z, XM0, YM0, ZM0, AG, HETMODE, SCOV, R0, R1, R2):
    ncl, nlat, dtheta, ds = collector_lattice(AG, HETMODE, SCOV, R0, R1, R2)
    dx, dy, dz = X - XM0, Y - YM0, Z - ZM0
    d = math.sqrt(dx * dx + dy * dy + dz * dz)
    tp = math.acos(dz / d)
    rho = math.sqrt(dx * dx + dy * dy)
    if rho == 0:
        pp = 0.0
    elif dy >= 0:
        pp = math.acos(dx / rho)
    else:
        pp = (PI + PI) - math.acos(dx / rho)
    itheta = ipart(rha(tp / dtheta)) + 1
    out = {}
    info = {'NCL': ncl, 'NLAT': nlat, 'ITHETA': itheta}

    def put(i, th, ph, r):
        out[i] = ((AG * math.sin(th)) * math.cos(ph) + XM0,
                  (AG * math.sin(th)) * math.sin(ph) + YM0,
                  AG * math.cos(th) + ZM0, r)

    if itheta == 1 or itheta == nlat:
        t0 = 0.0 if itheta == 1 else PI
        dth = THIRD * dtheta
        out[1] = (XM0, YM0, AG * math.cos(t0) + ZM0, R0)
        if HETMODE == 5:
            for i in range(2, 6):
                put(i, t0 + dth, ((i - 2) * PI) * 0.5, R1)
        if HETMODE in (9, 73):
            for i in range(2, 10):
                put(i, t0 + dth, ((i - 2) * PI) * 0.25, R1)
        if HETMODE == 73:
            for i in range(10, 74):
                g = (i - 10) // 8
                k = i - 9 - 8 * g
                put(i, (t0 + dth) + A[k - 1] * (THIRD * dth),
                    (g * PI) * 0.25 + B[k - 1] * (THIRD * (PI * 0.25)), R2)
        return out, info

    tc = (itheta - 1) * dtheta
    rc = AG * math.sin(tc)
    nphi = ipart(rha(((PI + PI) * rc) / ds))
    nphi = max(nphi, 3)
    dphi = f32((PI + PI) / nphi)
    phi0 = f32(TENTH * dphi) if itheta % 2 == 0 else -f32(TENTH * dphi)
    j = rha((pp - phi0) / dphi)
    pc = f32(f32(dphi * f32(ipart(j))) + phi0)
    if pc > PI + PI:
        pc = (PI + PI) * (pc / (PI + PI) - ipart(pc / (PI + PI)))
    info.update(NPHI=nphi, DPHI=dphi, PHI0=phi0, J=j, PC=pc, TC=tc, DTH=THIRD * dtheta,
                DPH=f32(THIRD * dphi))
    out[1] = (rc * math.cos(pc) + XM0, rc * math.sin(pc) + YM0, AG * math.cos(tc) + ZM0, R0)
    dth = THIRD * dtheta
    dph = f32(THIRD * dphi)
    if HETMODE == 5:
        put(2, tc + dth, pc - dph, R1)
        put(3, tc + dth, pc + dph, R1)
        put(4, tc - dth, pc + dph, R1)
        put(5, tc - dth, pc - dph, R1)
    if HETMODE in (9, 73):
        for i in range(2, 10):
            k = i - 1
            put(i, tc + A[k - 1] * dth, pc + B[k - 1] * dph, R1)
    if HETMODE == 73:
        for i in range(10, 74):
            g = (i - 10) // 8 + 1
            k = i - 9 - 8 * (g - 1)
            put(i, (tc + A[g - 1] * dth) + A[k - 1] * (THIRD * dth),
                (pc + B[g - 1] * dph) + B[k - 1] * (THIRD * dph), R2)
    return out, info


def hettrackp(XC, YC, ZC, H, RZOI, AP, MODE, SCOVP, RP0, RP1):
    a0, a1 = RP0 / AP, RP1 / AP
    hc = AP * (1 - math.cos(a0))
    b0, b1 = AP * math.sin(a0), AP * math.sin(a1)
    rr = RZOI + RP0
    if MODE == 1:
        sc0 = SCOVP
    else:
        sc0 = SCOVP * ((1 - math.cos(a0)) / ((1 - math.cos(a0)) + (MODE - 1) * (1 - math.cos(a1))))
    nclp = ipart(rha((sc0 * 4) / (2 * (1 - math.cos(a0)))))
    nlatp = ipart(rha(math.sqrt(nclp / RING_DENSITY)))
    scovp = ((nclp + nclp) * (1 - math.cos(a0)) + (((MODE - 1) * nclp) * 2) * (1 - math.cos(a1))) * 0.25
    dtp = PI / (nlatp - 1)
    dsp = dtp * AP
    rows = []

    def emit(th, ph, ring, r, b):
        x = ring * math.cos(ph) + XC
        y = ring * math.sin(ph) + YC
        z = AP * math.cos(th) + ZC
        pro = (0.0, 0.0, 0.0, 0.0)
        if not (ZC <= z <= ZC + AP):
            d = math.sqrt((x - XC) ** 2 + (y - YC) ** 2)
            if not d >= rr:
                ratio = (ZC - z) / AP
                psi = math.acos(ratio) if -1 <= ratio <= 1 else float('nan')
                if f32(ratio) >= 1:
                    psi = 0.0
                elif f32(ratio) <= -1:
                    psi = PI
                pro = (x - (hc * math.sin(psi)) * math.cos(ph),
                       y - (hc * math.sin(psi)) * math.sin(ph),
                       -(AP + H), math.sqrt(b * (b * math.cos(psi))))
        rows.append(((x, y, z, r), pro))

    steps = [(0, 0), (1, -1), (1, 1), (-1, 1), (-1, -1), (0, -1), (1, 0), (0, 1), (-1, 0)]
    for j in range(1, nlatp + 1):
        if j == 1 or j == nlatp:
            t0 = 0.0 if j == 1 else PI
            emit(t0, 0.0, 0.0, RP0, b0)
            th = t0 + THIRD * dtp
            if MODE == 5:
                for i in range(2, 6):
                    emit(th, ((i - 2) * PI) * 0.5, AP * math.sin(th), RP1, b1)
            if MODE == 9:
                for ph in (0.0, PI * 0.25, PI * 0.5, 0.75 * PI, PI, 1.25 * PI, 1.5 * PI, 1.75 * PI):
                    emit(th, ph, AP * math.sin(th), RP1, b1)
            continue
        tr = (j - 1) * dtp
        rcp = AP * math.sin(tr)
        nphip = max(ipart(rha(((PI + PI) * rcp) / dsp)), 3)
        dpp = (PI + PI) / nphip
        phi0p = TENTH * dpp if j % 2 == 0 else -(TENTH * dpp)
        dth, dph = THIRD * dtp, THIRD * dpp
        for s in range(1, nphip + 1):
            ps = (s - 1) * dpp + phi0p
            if ps > PI + PI:
                ps = (PI + PI) * (ps / (PI + PI) - ipart(ps / (PI + PI)))
            emit(tr, ps, rcp, RP0, b0)
            for i in range(2, MODE + 1):
                st, sp_ = steps[i - 1]
                th = tr + st * dth
                emit(th, ps + sp_ * dph, AP * math.sin(th), RP1, b1)
    return dict(NCLP=nclp, NLATP=nlatp, SCOVP=scovp, rows=rows)


def rotation(phi, theta):
    pih = f32(f32(0.5) * PI)
    pi3h = f32(f32(1.5) * PI)
    a, b, c = pih + phi, theta, pi3h - phi
    e0 = math.cos(0.5 * a + 0.5 * c) * math.cos(0.5 * b)
    e1 = math.cos(0.5 * a - 0.5 * c) * math.sin(0.5 * b)
    e2 = math.sin(0.5 * a - 0.5 * c) * math.sin(0.5 * b)
    e3 = math.sin(0.5 * a + 0.5 * c) * math.cos(0.5 * b)
    return [[1 - 2 * (e2 * e2 + e3 * e3), 2 * (e1 * e2 + e0 * e3), 2 * (e1 * e3 - e0 * e2)],
            [2 * (e1 * e2 - e0 * e3), 1 - 2 * (e1 * e1 + e3 * e3), 2 * (e0 * e1 + e2 * e3)],
            [2 * (e0 * e2 + e1 * e3), 2 * (e2 * e3 - e0 * e1), 1 - 2 * (e1 * e1 + e2 * e2)]]


def local(p, g, phi, theta):
    r = rotation(phi, theta)
    t = [p[k] - g[k] for k in range(3)]
    out = []
    for j in range(3):
        s = 0.0
        for k in range(3):
            s = s + t[k] * r[j][k]
        out.append(s)
    return out


def mpro_local(row, centre, g, theta, phi):
    r = rotation(phi, theta)
    w = []
    for j in range(3):
        s = 0.0
        for k in range(3):
            s = s + row[k] * r[k][j]
        w.append(s + centre[j])
    q = local(w, g, phi, theta)
    return q[0], q[1], row[3]


def show(label, values):
    print(label + ': ' + ', '.join('%.17g' % v for v in values))


if __name__ == '__main__':
    print('collector lattice, HETMODE 1:', collector_lattice(1e-4, 1, 0.1, 1e-6, 0, 0)[:2])
    cases = {
        'band73': ((3.0e-5, 4.5e-5, 8.0e-5), (1e-6, -2e-6, 3e-6), 73, (1, 2, 10, 73)),
        'pole73': ((1e-7, 2e-7, 1.0001e-4), (0.0, 0.0, 0.0), 73, (1,)),
        'south5': ((-1e-7, 1e-7, -1.0001e-4), (0.0, 0.0, 0.0), 5, (1, 2, 3, 4, 5)),
        'band5': ((-6.0e-5, 2.0e-5, -7.5e-5), (0.0, 0.0, 0.0), 5, (1, 2, 3, 4, 5)),
    }
    for name, (p, c, mode, entries) in cases.items():
        out, info = hettrack(*p, *c, 1e-4, mode, 0.1, 1e-6, 4e-7, 1.5e-7)
        print(name, info)
        for e in entries:
            show('  %d' % e, out[e])
    # PP = 0 on an odd and an even ring, and the wrap on an even ring.
    for name, p in {'odd ring': (5.5e-5, 0.0, 8.35e-5), 'even ring': (5.97e-5, 0.0, 8.02e-5),
                    'wrap': (5.97e-5, -1e-7, 8.02e-5)}.items():
        out, info = hettrack(*p, 0.0, 0.0, 0.0, 1e-4, 1, 0.1, 1e-6, 0.0, 0.0)
        print(name, info)
        show('  1', out[1])
    # Particle lattice.
    lat = hettrackp(0, 0, 0, 1e-8, 1e-7, 1e-6, 1, 0.1, 1e-8, 0)
    print('particle lattice, HETMODEP 1:', lat['NCLP'], lat['NLATP'], '%.17g' % lat['SCOVP'])
    res = hettrackp(1e-7, -2e-7, 3e-7, 1e-8, 1.5e-7, 1e-6, 9, 0.2, 2e-8, 8e-9)
    rows = res['rows']
    nhetp = sum(1 for r in rows if r[0][3] != 0)
    proj = [i for i, r in enumerate(rows) if r[1][3] != 0]
    print('particle HETMODEP 9: NCLP', res['NCLP'], 'NLATP', res['NLATP'], 'SCOVP %.17g' % res['SCOVP'],
          'NHETP', nhetp, 'NPRO', len(proj))
    print('  projected indices (0-based):', proj)
    for i in (700, proj[0], len(rows) - 8):
        show('  het %d' % i, rows[i][0])
        show('  pro %d' % i, rows[i][1])
    for mode, scovp, r0, r1 in ((1, 0.1, 5e-9, 2e-9), (5, 0.3, 3e-8, 1e-8), (9, 0.05, 1e-8, 4e-9)):
        res = hettrackp(0, 0, 0, 1e-8, 7.8e-8, 0.5e-6, mode, scovp, r0, r1)
        print('count', mode, scovp, r0, r1, '->', len(res['rows']),
              'NPRO', sum(1 for r in res['rows'] if r[1][3] != 0))
    # Centre far from the origin, so that the equator ring lands exactly on z = ZC.
    res = hettrackp(0.0, 0.0, 1e3, 1e-8, 2e-6, 1e-6, 1, 0.1, 1e-8, 0)
    print('equator: entries at z = ZC', sum(1 for r in res['rows'] if r[0][2] == 1e3),
          'NPRO', sum(1 for r in res['rows'] if r[1][3] != 0))
    # Rotation matrices, row by row.
    for phi, theta in ((4.0, 2.5),):
        r = rotation(phi, theta)
        show('R(%g, %g)' % (phi, theta), r[0] + r[1] + r[2])
    g = (2.0e-5, -3.0e-5, 4.0e-5)
    show('local of (1e-5, 2e-5, -3e-5), G = (2e-5, -3e-5, 4e-5), PHI 4, THETA 2.5',
         local((1e-5, 2e-5, -3e-5), g, 4.0, 2.5))
    # A particle at (5e-5, 6e-5, -7e-5) above a collector of radius 1e-4: its
    # angles and projection point as the run computes them, then two MPRO rows.
    X, Y, Z, AG = 5e-5, 6e-5, -7e-5, 1e-4
    r = math.sqrt(X * X + Y * Y + Z * Z)
    theta, phi = math.acos(Z / r), math.acos(X / math.sqrt(X * X + Y * Y))
    g = (X / r * AG, Y / r * AG, Z / r * AG)
    show('THETA, PHI', (theta, phi))
    show('G', g)
    show('mpro row (3e-8, -4e-8, -5e-7, 2e-8)',
         mpro_local((3e-8, -4e-8, -5e-7, 2e-8), (X, Y, Z), g, theta, phi))
    show('mpro row (0, 0, 0, 2e-8)', mpro_local((0.0, 0.0, 0.0, 2e-8), (X, Y, Z), g, theta, phi))
