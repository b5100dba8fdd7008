#include "simulation/setup.h"

#include <cmath>

#include "common/constants.h"
#include "common/input_error.h"
#include "forces/acid_base.h"
#include "forces/born.h"
#include "forces/contact.h"
#include "forces/edl.h"
#include "forces/happel.h"
#include "forces/hydrodynamics.h"
#include "forces/steric.h"
#include "forces/vdw.h"

namespace colloidsim {

namespace {

// The scans use the smooth reference surface: no asperities.
constexpr double ASP0 = 0.0;
constexpr double NASP0 = 0.0;
constexpr int RMODE0 = 0;

// The contact band reaches beyond 1 micrometre: the acid-base or steric force
// decays too slowly, or a force that is negative at H0 rises above its
// threshold once it has decayed (a negative force's threshold is negative)
// and holds the scan there.
SetupScanError contact_band_too_long(const RunParameters& p, bool steric, bool steric_negative,
                                     bool acid_base) {
  const std::string where =
      " to 1/10000 of its value at H0 within 1 micrometre (the contact band ends, at HCUT, where "
      "the Born, steric and acid-base forces have all fallen that far; ";
  if (acid_base) {
    return {"LAMBDAAB", p.LAMBDAAB,
            "an acid-base decay length (m) short enough for the acid-base force to fall" + where +
                "GAMMA0AB = 0 switches the force off)"};
  }
  if (steric && !steric_negative) {
    return {"LAMBDASTE", p.LAMBDASTE,
            "a steric decay length (m) short enough for the steric force to fall" + where +
                "GAMMA0STE = 0 switches the force off)"};
  }
  if (steric) {
    return {"GAMMA0STE", p.GAMMA0STE,
            "a steric energy >= 0: a negative steric force, once decayed, stays above its "
            "threshold, so the scan for the end of the contact band (HCUT) never ends"};
  }
  return {p.VDWMODE == 1 ? "A132" : "A33", p.VDWMODE == 1 ? p.A132 : p.A33,
          "Hamaker constants that make the Born force repulsive: a negative Born force, once "
          "decayed, stays above its threshold, so the scan for the end of the contact band "
          "(HCUT) never ends while the acid-base or steric force is still above its own"};
}

// First separation on the grid from H0 at which Born, steric and acid-base
// forces have all decayed to 1/10000 of their values at H0. H0 when none of
// them exceeds its threshold at H0. Throws SetupScanError, naming the force
// that keeps the scan going, after SETUP_SCAN_LIMIT steps.
double contact_bound(const RunParameters& p, double ASTE) {
  double H = H0;
  double FBORN = 0, FSTE = 0, FAB = 0;
  const auto evaluate = [&] {
    FORCEBORN(p.A132, BORN_SIGMA, p.AP, H, FBORN, p.A11, p.A22, p.A33, p.AC1C1, p.AC2C2, p.VDWMODE);
    FORCESTE(PI, p.GAMMA0STE, p.LAMBDASTE, ASTE, H, FSTE);
    FORCEAB(PI, p.AG, p.AP, ASP0, NASP0, RMODE0, p.LAMBDAAB, p.GAMMA0AB, H, H0, FAB);
  };
  evaluate();
  const double threshold = sp(0.0001f);
  const double tB = threshold * FBORN;
  const double tS = threshold * FSTE;
  const double tA = threshold * FAB;
  double HCUT = H0;
  long steps = 0;
  while (FBORN > tB || FSTE > tS || std::fabs(FAB) > std::fabs(tA)) {
    if (++steps > SETUP_SCAN_LIMIT) {
      throw contact_band_too_long(p, FSTE > tS, tS < 0, std::fabs(FAB) > std::fabs(tA));
    }
    H = H + H_GRID;
    evaluate();
    HCUT = H;
  }
  return HCUT;
}

// Last separation on the grid from H0 at which Born repulsion still outweighs
// the attractive parts of the van der Waals, double-layer and acid-base forces.
double primary_minimum(const RunParameters& p, const RunConstants& c) {
  double H = H0;
  double S = 1.0;
  double HMIN = H0;
  long steps = 0;
  while (S > 0) {
    if (++steps > SETUP_SCAN_LIMIT) {
      throw InputError(
          "INPUT.IN", 0, "",
          "colloidal forces with no primary minimum within 1 micrometre of the surface "
          "(Born repulsion outweighs every attraction)",
          "attractive van der Waals, double-layer or acid-base forces (A132 with a "
          "retardation wavelength LAMBDAVDW of about 1e-7 m: a small LAMBDAVDW damps the van "
          "der Waals attraction; the zeta potentials; GAMMA0AB)");
    }
    HMIN = H;
    H = H + H_GRID;
    double FVDW = 0, FEDL = 0, FAB = 0, FBORN = 0;
    FORCEVDW(p.A132, p.AG, p.AP, ASP0, NASP0, RMODE0, H, p.LAMBDAVDW, p.A11, p.A22, p.A33,
             p.AC1C1, p.AC2C2, p.T1, p.T2, p.VDWMODE, FVDW);
    FORCEEDL(c.KAPPA, KB, c.ERE0, p.T, p.ZI, E_CHARGE, p.ZETACST, p.ZETAPST, p.AG, p.AP, ASP0,
             NASP0, RMODE0, H, PI, FEDL);
    FORCEAB(PI, p.AG, p.AP, ASP0, NASP0, RMODE0, p.LAMBDAAB, p.GAMMA0AB, H, H0, FAB);
    FORCEBORN(p.A132, BORN_SIGMA, p.AP, H, FBORN, p.A11, p.A22, p.A33, p.AC1C1, p.AC2C2,
              p.VDWMODE);
    if (FVDW > 0) FVDW = 0;
    if (FEDL > 0) FEDL = 0;
    if (FAB > 0) FAB = 0;
    S = FVDW + FEDL + FAB + FBORN;
  }
  return HMIN;
}

}  // namespace

double momentum_relaxation_time(double AP, double RHOP, double VISC) {
  const double MP = ((FOUR_THIRDS * PI) * ipow<3>(AP)) * RHOP;
  return MP / STOKES_M3(VISC, AP);
}

double debye_parameter(double IS, double ZI, double ER, double T) {
  const double ERE0 = ER * EPSILON0;
  return std::sqrt((((E_CHARGE * E_CHARGE) * ((IS + IS) * AVOGADRO)) * (ZI * ZI)) /
                   ((ERE0 * KB) * T));
}

double bulk_zone_radius(double AP, double KAPPA) {
  const double r = std::sqrt((1.0 / KAPPA) * AP);
  return r + r;
}

RunConstants derive_run_constants(RunParameters& p) {
  RunConstants c;
  c.XM0 = c.YM0 = c.ZM0 = 0.0;
  c.MP = ((FOUR_THIRDS * PI) * ipow<3>(p.AP)) * p.RHOP;
  c.DTMRT = momentum_relaxation_time(p.AP, p.RHOP, p.VISC);
  switch (p.CBGRAV) {
    case 1: c.EGX = 0; c.EGY = 0; c.EGZ = -1; break;
    case 2: c.EGX = 0; c.EGY = 0; c.EGZ = 1; break;
    case 3: c.EGX = -1; c.EGY = 0; c.EGZ = 0; break;
    case 4: c.EGX = 1; c.EGY = 0; c.EGZ = 0; break;
    default: break;
  }
  c.INJECTION_SPREAD = p.TTIME / 6.0;
  c.MA = ((TWO_THIRDS * PI) * ipow<3>(p.AP)) * p.RHOW;
  c.M3 = STOKES_M3(p.VISC, p.AP);
  const HappelConstants happel = happel_constants(p.POROSITY, p.AG);
  c.RB = happel.RB;
  c.K1 = happel.K1;
  c.K2 = happel.K2;
  c.K3 = happel.K3;
  c.K4 = happel.K4;
  c.ERE0 = p.ER * EPSILON0;
  c.KAPPA = debye_parameter(p.IS, p.ZI, p.ER, p.T);
  c.RZOIBULK = bulk_zone_radius(p.AP, c.KAPPA);
  if (p.W132 > 0) p.W132 = 0;
  c.ACONTMAX = contact_radius_max(p.W132, p.AP, p.KINT);
  const double rim = std::sqrt(p.AP * p.AP - c.ACONTMAX * c.ACONTMAX);
  c.DEFMAX = p.AP - rim;
  c.ASTE = std::sqrt(c.ACONTMAX * c.ACONTMAX + (p.LAMBDASTE + p.LAMBDASTE) * (p.AP + rim));
  if (p.VDWMODE != 1) p.A132 = 0;
  c.HCUT = contact_bound(p, c.ASTE);
  c.HMIN = primary_minimum(p, c);
  return c;
}

}  // namespace colloidsim
