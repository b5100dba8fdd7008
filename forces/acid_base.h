// Lewis acid-base (hydrophobic or hydrophilic) force between the particle and
// the collector, decaying as in van Oss, Interfacial Forces in Aqueous Media
// (1994):
//   Fab = ((C pi) R) GAMMA0AB exp(-(H - H0) / LAMBDAAB),
// R the effective radius of a sphere pair (r, big), 2 r big / (r + big), and
// C = (1 - r/big) A(R) + (r/big) B(R) its geometry factor (B(ASP) for two
// asperities, R = ASP). H is the surface-to-surface gap at the closest point
// (m), asperities included, H0 the minimum separation (m). FAB is in N along
// the outward normal: positive pushes the particle away from the collector;
// a negative GAMMA0AB (J/m2, hydrophobic) attracts. LAMBDAAB in m.
// RMODE 0 uses the particle-collector pair; RMODE 1-3 count only the
// asperities, n Fab for H <= ASP and exactly 0 beyond, with the pair and n
// as common/roughness.h gives them. An RMODE outside 0-3 leaves FAB
// unwritten.
#pragma once

#include "common/roughness.h"

namespace colloidsim {

// The full argument list: prepares the run constants and evaluates the
// prepared form, without its exact zero-prefactor shortcut.
void FORCEAB(double pi, double AG, double AP, double ASP, double NASP, int RMODE,
             double LAMBDAAB, double GAMMA0AB, double H, double H0, double& FAB);

// Run constants of FORCEAB; FORCEAB(prepared, NASP, H, FAB) is the law's one
// body.
struct AbPrepared {
  AsperityPairing ROUGHNESS;
  double LAMBDAAB = 0.0;   // m
  double H0 = 0.0;         // m
  double PREFACTOR = 0.0;  // N, ((C pi) R) GAMMA0AB of the arrangement
  // PREFACTOR is zero: the force is that signed zero without exp.
  bool ZERO_PREFACTOR = false;
};

AbPrepared prepare_ab(double pi, double AG, double AP, double ASP, int RMODE, double LAMBDAAB,
                      double GAMMA0AB, double H0);

void FORCEAB(const AbPrepared& prepared, double NASP, double H, double& FAB);

}  // namespace colloidsim
