#!/usr/bin/env python3
"""Reference values of the force laws, worked out from the model's formulas
with plain Python floats (IEEE double) and struct-packing for every value that
the model holds in single precision. Run it and paste its output into
tests/forces/test_reference_values.cpp:

    python3 tests/forces/reference/force_laws.py
"""
import math
import struct
from fractions import Fraction


def f32(x):
    """Round a double to the nearest single-precision value."""
    return struct.unpack('<f', struct.pack('<f', x))[0]


def sp(text):
    """Nearest single-precision value of a decimal, chosen exactly (no
    double rounding through the nearest double)."""
    exact = Fraction(text)
    guess = f32(float(text))
    bits = struct.unpack('<I', struct.pack('<f', guess))[0]
    best = guess
    for step in (-1, 1):
        other = struct.unpack('<f', struct.pack('<I', bits + step))[0]
        if abs(Fraction(other) - exact) < abs(Fraction(best) - exact):
            best = other
    return best


def p2(x): return x * x
def p3(x): return (x * x) * x
def p4(x): return (x * x) * (x * x)
def p6(x): return p2(p3(x))
def p8(x): return p2(p2(p2(x)))


PI = sp('3.1415927')
KB = sp('1.380649e-23')
E = sp('1.6021766e-19')
H0 = sp('1.58e-10')
SIGMA = sp('5e-10')
G = sp('9.80665')
SQRT3 = sp('1.7320508')

# Geometry shared by the colloidal laws.
AP, AG, ASP, NASP = 0.5e-6, 2.55e-4, 5e-9, 3.0


def offset(rmode):
    if rmode in (1, 2):
        return ASP
    if rmode == 3:
        return 0.5 * (2 * ASP + SQRT3 * ASP)
    return 0.0


def asperity_partner(rmode):
    return {1: AG, 2: AP, 3: ASP}[rmode]


def count(rmode, nasp):
    return 2.5 * nasp if rmode == 3 else nasp


# van der Waals
A132, LAMBDAVDW = 1e-20, 1e-7
A11, A22, A33, AC1C1, AC2C2 = 8.6e-20, 6.5e-20, 3.7e-20, 5.0e-20, 1.2e-19
T1, T2 = 2e-8, 3e-8


def vdw_sphere(a, b, h):
    return -(((A132 * a) * b) / ((6 * (a + b)) * (h * h))) * \
        (LAMBDAVDW / (LAMBDAVDW + sp('5.32') * h))


def vdw_mode1(rmode, h):
    if rmode == 0:
        return vdw_sphere(AP, AG, h)
    base = vdw_sphere(AP, AG, h + offset(rmode))
    asp = vdw_sphere(ASP, asperity_partner(rmode), h) if h <= ASP else 0.0
    return base + count(rmode, NASP) * asp


def shell_x(R1, R2, S, d, Q):
    lam = LAMBDAVDW
    f = lam / (lam + sp('11.12') * d)
    g = (sp('11.12') * lam) / p2(lam + sp('11.12') * d)
    D1 = d * d + (d + d) * S
    D2 = D1 + (4 * R1) * R2
    En = (2 * R1) * R2 / D1 + (2 * R1) * R2 / D2 + math.log(D1 / D2)
    return f * ((((4 * R1) * R2) * Q) * (1 / (D1 * D1) + 1 / (D2 * D2))
                - (Q + Q) * (1 / D1 - 1 / D2)) + g * En


def cross():
    s = math.sqrt
    return dict(A12=s(A11) * s(A22), A1C2=s(A11) * s(AC2C2), A13=s(A11) * s(A33),
                AC1_2=s(AC1C1) * s(A22), AC1C2=s(AC1C1) * s(AC2C2),
                AC1_3=s(AC1C1) * s(A33), A23=s(A22) * s(A33), AC2_3=s(AC2C2) * s(A33))


def pair_sum(pairs):
    F = None
    for K, R1, R2, S, d, Q in pairs:
        term = (K * shell_x(R1, R2, S, d, Q)) / 6
        F = -term if F is None else F - term
    return F


def vdw_layered(mode, H):
    c = cross()
    if mode == 2:
        Q = H + (AP - T1) + (AG - T2) + T1 + T2
        R2o = f32((AG - T2) + T2)
        R1o = (AP - T1) + T1
        return pair_sum([
            (c['AC1C2'] - c['AC2_3'] - c['AC1_3'] + A33, R1o, R2o,
             f32(((AP - T1) + (AG - T2)) + T1 + T2), H, Q),
            (c['A1C2'] - c['AC1C2'] - c['A13'] + c['AC1_3'], AP - T1, R2o, AP - T1 + AG, H + T1, Q),
            (c['AC1_2'] - c['A23'] - c['AC1C2'] + c['AC2_3'], R1o, AG - T2, AP + AG - T2, H + T2, Q),
            (c['A12'] - c['AC1_2'] - c['A1C2'] + c['AC1C2'], AP - T1, AG - T2,
             AP - T1 + AG - T2, H + T1 + T2, Q)])
    if mode == 3:
        Q = H + AP + (AG - T2) + T2
        R2o = f32((AG - T2) + T2)
        return pair_sum([
            (c['A1C2'] - c['AC2_3'] - c['A13'] + A33, AP, R2o, f32((AP + (AG - T2)) + T2), H, Q),
            (c['A12'] - c['A23'] - c['A1C2'] + c['AC2_3'], AP, AG - T2, AP + AG - T2, H + T2, Q)])
    if mode == 4:
        Q = H + (AP - T1) + AG + T1
        R1o = (AP - T1) + T1
        return pair_sum([
            (c['AC1_2'] - c['A23'] - c['AC1_3'] + A33, R1o, AG, f32(((AP - T1) + AG) + T1), H, Q),
            (c['A12'] - c['AC1_2'] - c['A13'] + c['AC1_3'], AP - T1, AG, AP - T1 + AG, H + T1, Q)])


# double layer
KAPPA, ERE0, T, ZI = 3.3e8, 6.95e-10, 298.15, 1.0
ZETAC, ZETAP = -0.03, -0.025


def edl_pair(a, b, d):
    c = ((KB * T) / ZI) / E
    tc = math.tanh((((ZI * E) * ZETAC) * 0.25) / KB / T)
    tp = math.tanh((((ZI * E) * ZETAP) * 0.25) / KB / T)
    P = ((((((64 * PI) * ERE0) * a) * b) / (a + b)) * (c * c)) * tc * tp
    return (P * KAPPA) * math.exp(-(KAPPA * d))


def edl(rmode, h):
    if rmode == 0:
        F = edl_pair(AP, AG, h)
    else:
        w = 1 - 0.25 * PI
        Fa = edl_pair(ASP, asperity_partner(rmode), h) if h <= ASP else 0.0
        F = w * edl_pair(AP, AG, h + offset(rmode)) + count(rmode, NASP) * Fa
    return 0.0 if abs(F) < sp('1e-30') else F


# acid-base
GAMMA0AB, LAMBDAAB = -2e-3, 0.6e-9


def ab_A(R):
    lam = LAMBDAAB
    Ea = math.exp(-((R + R) / lam))
    return (1 - lam / R) + (lam / R + 1) * Ea


def ab_B(R):
    lam = LAMBDAAB
    Ea = math.exp(-((R + R) / lam))
    Eb = math.exp(-((4 * R) / lam))
    return (((1 - lam / R) + (lam * lam) / (2 * (R * R))) - ((4 * R) / (3 * lam)) * Ea) \
        - ((lam / R + 1) + (lam * lam) / (2 * (R * R))) * Eb


def ab(rmode, h):
    if rmode == 3:
        R, C = ASP, ab_B(ASP)
    else:
        small, big = {0: (AP, AG), 1: (ASP, AG), 2: (ASP, AP)}[rmode]
        R = (2 * (small * big)) / (small + big)
        C = (1 - small / big) * ab_A(R) + (small / big) * ab_B(R)
    Fab = (((C * PI) * R) * GAMMA0AB) * math.exp(-((h - H0) / LAMBDAAB))
    if rmode == 0:
        return Fab
    return count(rmode, NASP) * Fab if h <= ASP else 0.0


def born(mode, h):
    c = cross()
    K = {1: A132,
         2: c['AC1C2'] - c['AC2_3'] - c['AC1_3'] + A33,
         3: c['A1C2'] - c['AC2_3'] - c['A13'] + A33,
         4: c['AC1_2'] - c['A23'] - c['AC1_3'] + A33}[mode]
    return ((K * p6(SIGMA)) / 1260) * ((7 * AP - h) / p8(h) + (9 * AP + h) / p8((2 * AP) + h))


# steric
GAMMA0STE, LAMBDASTE, ASTE = 1.5e-3, 1e-9, 3.3e-8


def ste(h):
    return (((GAMMA0STE / LAMBDASTE) * math.exp(-(h / LAMBDASTE))) * PI) * (ASTE * ASTE)


# hydrodynamics
FITS = {
    1: (sp('-0.399'), sp('0.1487'), sp('-0.601'), sp('1.202'), sp('0.9267')),
    2: (sp('1.355'), sp('1.36'), 0.875, sp('0.525'), sp('0.5695')),
    3: (sp('-0.143'), sp('1.472'), sp('-0.6772'), sp('2.765'), sp('0.2803')),
    4: (sp('-0.3015'), sp('0.9006'), sp('-0.5942'), sp('1.292'), sp('0.2607')),
}


def fun(k, delta):
    a, b, c, q, p = FITS[k]
    return (a * math.exp(-(b * delta)) + 1) + c * math.exp(-(q * math.pow(delta, p)))


def rotation(UT, H):
    d0 = H / AP
    return ((abs(UT) / AP) * (sp('117.4') * d0 + sp('0.5518'))) / \
        ((sp('232.1') * d0 + 1) + sp('237.7') * (d0 * d0))


RHOW = 998.0


def lift(R, VT, UT, OMEGA):
    d = R - AG
    if not d <= 100 * AP:
        return 0.0
    Gs = VT / d
    L = math.log(d / AP)
    L2, L3, L4 = L * L, p3(L), p4(L)
    C1 = math.exp((sp('1.565') * L + sp('2.221')) + sp('0.06602') * L2)
    C2 = math.exp(-((sp('1.408') * L + sp('0.639')) / ((1 - sp('0.1036') * L) + sp('0.01136') * L2)))
    C3 = ((((sp('6.147') * L + sp('1.751')) + sp('3.299') * L2) - sp('2.485') * L3) + sp('1.952') * L4) / \
        ((((sp('3.714') * L + 1) + sp('1.481') * L2) - sp('1.278') * L3) + sp('1.0905') * L4)
    C4 = -((L * (((sp('439.4') * L + sp('10.97')) + 355 * L2) + sp('171.6') * L3)) /
           ((((sp('7.309') * L + 1) + sp('284.7') * L2) + sp('86.45') * L3) + sp('77.45') * L4))
    C5 = math.exp(((sp('-4.723') - sp('11.11') * L) + sp('41.76') * L2) / (sp('20.31') * L + 1))
    C6 = ((sp('-10.76') - sp('2.158') * L) - sp('4.218') * L2) / (1 - sp('0.1749') * L)
    S = (p2(AP * Gs) * C1 + p2(AP * OMEGA) * C2 + p2(UT) * C3 + AP * OMEGA * UT * C4
         + p2(AP) * OMEGA * Gs * C5 + AP * Gs * UT * C6)
    return (RHOW * p2(AP)) * S


def out(label, value):
    print(f'  {label} {value!r}')


def main():
    print('van der Waals, VDWMODE 1, RMODE 0..3, H = 2e-9, 5e-9, 3e-8')
    for rmode in range(4):
        print(f' RMODE {rmode}:', ', '.join(repr(vdw_mode1(rmode, h)) for h in (2e-9, 5e-9, 3e-8)))
    print('van der Waals, VDWMODE 2..4, H = 2e-9, 5e-9, 3e-8')
    for mode in (2, 3, 4):
        print(f' VDWMODE {mode}:', ', '.join(repr(vdw_layered(mode, h)) for h in (2e-9, 5e-9, 3e-8)))
    print('double layer, RMODE 0..3, H = 1e-9, 5e-9, 2e-8')
    for rmode in range(4):
        print(f' RMODE {rmode}:', ', '.join(repr(edl(rmode, h)) for h in (1e-9, 5e-9, 2e-8)))
    print('acid-base, RMODE 0..3, H = 3e-10, 1.5e-9, 5e-9')
    for rmode in range(4):
        print(f' RMODE {rmode}:', ', '.join(repr(ab(rmode, h)) for h in (3e-10, 1.5e-9, 5e-9)))
    print('Born, VDWMODE 1..4, H = 2e-10, 5e-10, 2e-9')
    for mode in (1, 2, 3, 4):
        print(f' VDWMODE {mode}:', ', '.join(repr(born(mode, h)) for h in (2e-10, 5e-10, 2e-9)))
    print('steric, H = 1e-9, 5e-9, 2e-8:', ', '.join(repr(ste(h)) for h in (1e-9, 5e-9, 2e-8)))
    print('FUN1..FUN4 at delta = 0.01, 0.5, 4')
    for k in (1, 2, 3, 4):
        print(f' FUN{k}:', ', '.join(repr(fun(k, d)) for d in (0.01, 0.5, 4.0)))
    print('FUN1..FUN4 at delta = 0:', ', '.join(repr(fun(k, 0.0)) for k in (1, 2, 3, 4)))
    print('free rotation, UT = -3e-6, H = 1e-9, 1e-7, 5e-6:',
          ', '.join(repr(rotation(-3e-6, h)) for h in (1e-9, 1e-7, 5e-6)))
    print('lift, VT = 1e-5, UT = 3e-6, OMEGA = 2, R = AG + AP + H, H = 1e-8, 1e-6, 2e-5:',
          ', '.join(repr(lift(AG + AP + h, 1e-5, 3e-6, 2.0)) for h in (1e-8, 1e-6, 2e-5)))
    # drag: FUN2 = 1.7, FUN3 = 0.6, FUN4 = 0.7, M3 = 8.4e-9, VN = -2e-6, VT = 4e-6
    M3 = ((6 * PI) * 8.9e-4) * AP
    print('M3 for VISC 8.9e-4:', repr(M3))
    print('drag FDRGT, FDRGN:', repr(((0.6 / 0.7) * M3) * 4e-6), repr((1.7 * M3) * -2e-6))
    FG = ((((1.0 * sp('1.3333334')) * PI) * p3(AP)) * (1050.0 - RHOW)) * G
    print('gravity FG (GRAVFACT 1, RHOP 1050):', repr(FG))
    # gravity along -z; normal (0.6, 0, 0.8); tangent (0.8, 0, -0.6)
    EG, EN, ET = (0.0, 0.0, -1.0), (0.6, 0.0, 0.8), (0.8, 0.0, -0.6)
    cn = EG[0] * EN[0] + EG[1] * EN[1] + EG[2] * EN[2]
    ct = EG[0] * ET[0] + EG[1] * ET[1] + EG[2] * ET[2]
    FGN, FGT = cn * FG, ct * FG
    print('GRAVVECT FGN, FGT, FGNX..FGNZ, FGTX..FGTZ:',
          ', '.join(repr(v) for v in (FGN, FGT, EN[0] * FGN, EN[1] * FGN, EN[2] * FGN,
                                       ET[0] * FGT, ET[1] * FGT, ET[2] * FGT)))
    # fluid velocity (1e-5, -2e-5, -3e-5) at normal (2/7, 3/7, 6/7)
    v, n = (1e-5, -2e-5, -3e-5), (2 / 7, 3 / 7, 6 / 7)
    VN = v[0] * n[0] + v[1] * n[1] + v[2] * n[2]
    t = [v[i] - VN * n[i] for i in range(3)]
    VT = math.sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2])
    print('split VN, VT, ETX, ETY, ETZ:', ', '.join(repr(x) for x in [VN, VT] + [c / VT for c in t]))


if __name__ == '__main__':
    main()
