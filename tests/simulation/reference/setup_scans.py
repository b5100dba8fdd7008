#!/usr/bin/env python3
"""Independent scans for the contact bound HCUT and the primary minimum HMIN.

Plain Python floats (IEEE double); single-precision constants by struct
packing. Prints HCUT and HMIN for the parameter sets used in
tests/simulation/test_setup.cpp.
"""
import math
import struct


def sp(x):
    return struct.unpack('f', struct.pack('f', x))[0]


PI = sp(3.1415927)
KB = sp(1.380649e-23)
E = sp(1.6021766e-19)
EPS0 = sp(8.854188e-12)
NA = sp(6.0221406e23)
H0 = sp(1.58e-10)
SIGMA = sp(5e-10)
STEP = sp(1e-12)


def born(K, AP, H):
    return ((K * SIGMA ** 6) / 1260) * ((7 * AP - H) / H ** 8 + (9 * AP + H) / (2 * AP + H) ** 8)


def vdw(A132, AP, AG, H, LAM):
    return -((A132 * AP * AG) / (6 * (AP + AG) * H * H)) * (LAM / (LAM + sp(5.32) * H))


def edl(KAPPA, ERE0, T, ZI, ZC, ZP, AP, AG, H):
    c = ((KB * T) / ZI) / E
    tc = math.tanh((((ZI * E) * ZC) * 0.25) / KB / T)
    tp = math.tanh((((ZI * E) * ZP) * 0.25) / KB / T)
    P = 64 * PI * ERE0 * AP * AG / (AP + AG) * c * c * tc * tp
    return P * KAPPA * math.exp(-KAPPA * H)


def ab(AP, AG, LAM, G0, H):
    R = 2 * AP * AG / (AP + AG)
    Ea = math.exp(-2 * R / LAM)
    Eb = math.exp(-4 * R / LAM)
    A = (1 - LAM / R) + (LAM / R + 1) * Ea
    B = ((1 - LAM / R) + LAM * LAM / (2 * R * R)) - (4 * R / (3 * LAM)) * Ea \
        - ((LAM / R + 1) + LAM * LAM / (2 * R * R)) * Eb
    C = (1 - AP / AG) * A + (AP / AG) * B
    return C * PI * R * G0 * math.exp(-(H - H0) / LAM)


def steric(G0, LAM, ASTE, H):
    return G0 / LAM * math.exp(-H / LAM) * PI * ASTE * ASTE


def scans(p):
    AP, AG = p['AP'], p['AG']
    ERE0 = p['ER'] * EPS0
    KAPPA = math.sqrt(E * E * (2 * p['IS'] * NA) * p['ZI'] ** 2 / (ERE0 * KB * p['T']))
    W = min(p['W132'], 0.0)
    AC = (-(6 * PI * W * AP * AP) / p['KINT']) ** sp(0.33333334)
    ASTE = math.sqrt(AC * AC + 2 * p['LAMBDASTE'] * (AP + math.sqrt(AP * AP - AC * AC)))

    def short(H):
        return (born(p['A132'], AP, H), steric(p['GAMMA0STE'], p['LAMBDASTE'], ASTE, H),
                ab(AP, AG, p['LAMBDAAB'], p['GAMMA0AB'], H))

    fb0, fs0, fa0 = short(H0)
    tb, ts, ta = sp(1e-4) * fb0, sp(1e-4) * fs0, sp(1e-4) * fa0
    H = H0
    HCUT = H0
    fb, fs, fa = fb0, fs0, fa0
    while fb > tb or fs > ts or abs(fa) > abs(ta):
        H += STEP
        fb, fs, fa = short(H)
        HCUT = H

    H = H0
    S = 1.0
    n = 0
    while S > 0:
        HMIN = H
        H += STEP
        n += 1
        fv = min(vdw(p['A132'], AP, AG, H, p['LAMBDAVDW']), 0.0)
        fe = min(edl(KAPPA, ERE0, p['T'], p['ZI'], p['ZETACST'], p['ZETAPST'], AP, AG, H), 0.0)
        fa = min(ab(AP, AG, p['LAMBDAAB'], p['GAMMA0AB'], H), 0.0)
        S = fv + fe + fa + born(p['A132'], AP, H)
    return HCUT, HMIN, n


favorable = dict(AP=0.5e-6, AG=2.55e-4, ER=78.5, T=298.15, IS=10.0, ZI=1.0, ZETAPST=-0.030,
                 ZETACST=0.030, A132=1.0e-20, LAMBDAVDW=1.0e-7, GAMMA0AB=0.0, LAMBDAAB=0.6e-9,
                 GAMMA0STE=0.0, LAMBDASTE=1.0e-9, KINT=4.014e9, W132=-1.0e-3)
# Acid-base and steric forces on: attractive acid-base, repulsive steric.
short_range = dict(favorable, GAMMA0AB=-2.0e-3, GAMMA0STE=1.0e-4, ZETAPST=0.030, ZETACST=0.040)

for name, p in [('favorable', favorable), ('short_range', short_range)]:
    HCUT, HMIN, n = scans(p)
    print(f'{name}: HCUT = {HCUT!r}  HMIN = {HMIN!r}  (grid steps of the HMIN scan: {n})')
