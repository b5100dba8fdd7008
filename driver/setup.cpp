#include "driver/setup.h"

#include <cmath>

#include "common/constants.h"
#include "driver/contact.h"
#include "forces/happel.h"

namespace colloidsim {

RunConstants derive_run_constants(RunParameters& p) {
  RunConstants c;
  c.XM0 = c.YM0 = c.ZM0 = 0.0;
  c.MP = ((FOUR_THIRDS * PI) * ipow<3>(p.AP)) * p.RHOP;
  c.DTMRT = c.MP / (((6.0 * PI) * p.VISC) * p.AP);
  switch (p.CBGRAV) {
    case 1: c.EGX = 0; c.EGY = 0; c.EGZ = -1; break;
    case 2: c.EGX = 0; c.EGY = 0; c.EGZ = 1; break;
    case 3: c.EGX = -1; c.EGY = 0; c.EGZ = 0; break;
    case 4: c.EGX = 1; c.EGY = 0; c.EGZ = 0; break;
    default: break;
  }
  c.INJECTION_SPREAD = p.TTIME / 6.0;
  c.MA = ((TWO_THIRDS * PI) * ipow<3>(p.AP)) * p.RHOW;
  c.M3 = ((6.0 * PI) * p.VISC) * p.AP;
  const HappelConstants happel = happel_constants(p.POROSITY, p.AG);
  c.RB = happel.RB;
  c.K1 = happel.K1;
  c.K2 = happel.K2;
  c.K3 = happel.K3;
  c.K4 = happel.K4;
  c.ERE0 = p.ER * EPSILON0;
  c.KAPPA = std::sqrt((((E_CHARGE * E_CHARGE) * ((p.IS + p.IS) * AVOGADRO)) * (p.ZI * p.ZI)) /
                      ((c.ERE0 * KB) * p.T));
  const double r = std::sqrt((1.0 / c.KAPPA) * p.AP);
  c.RZOIBULK = r + r;
  if (p.W132 > 0) p.W132 = 0;
  c.ACONTMAX = contact_radius_max(p.W132, p.AP, p.KINT);
  const double rim = std::sqrt(p.AP * p.AP - c.ACONTMAX * c.ACONTMAX);
  c.DEFMAX = p.AP - rim;
  c.ASTE = std::sqrt(c.ACONTMAX * c.ACONTMAX + (p.LAMBDASTE + p.LAMBDASTE) * (p.AP + rim));
  if (p.VDWMODE != 1) p.A132 = 0;
  return c;
}

EchoValues echo_values(const RunConstants& c) {
  return {c.RB, c.RZOIBULK, c.DTMRT, c.ACONTMAX};
}

}  // namespace colloidsim
