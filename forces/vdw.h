// Retarded van der Waals force between the particle and the collector.
//
// H is the surface-to-surface gap at the closest point (m), asperities
// included. The result FVDW is in N along the outward normal: positive pushes
// the particle away from the collector, negative (the usual case) pulls it in.
//
// VDWMODE 1, uncoated sphere-sphere with the combined Hamaker constant A132
// (Gregory 1981, J. Colloid Interface Sci. 83, 138):
//   Fs(a, b, h) = -(A132 a b / (6 (a + b) h^2)) * lambda / (lambda + 5.32 h)
// With asperities (RMODE 1 on the particle, 2 on the collector, 3 on both)
//   FVDW = Fs(AP, AG, H + offset) + n Fs(ASP, R, H),
// the asperity term only for H <= ASP, with R, n and the offset of the
// smooth surfaces as common/roughness.h pairs them.
// VDWMODE 2-4, coated particle and/or collector: sum over pairs of concentric
// shells of -dU/dd with U = -(K/6) f E, f = lambda / (lambda + 11.12 d),
// E = 2 R1 R2 / D1 + 2 R1 R2 / D2 + ln(D1 / D2), D1 = d^2 + 2 d S,
// D2 = D1 + 4 R1 R2 (Hamaker's sphere-sphere energy, Physica 4 (1937) 1058),
// d the gap and S the radius sum of the pair. A132, A11 ... AC2C2 in J,
// lengths in m. A VDWMODE or RMODE outside these values leaves FVDW unwritten.
#pragma once

#include <array>

#include "common/roughness.h"

namespace colloidsim {

// The full argument list: prepares the run constants and evaluates the
// prepared form.
void FORCEVDW(double A132, double AG, double AP, double ASP, double NASP, int RMODE, double H,
              double LAMBDAVDW, double A11, double A22, double A33, double AC1C1, double AC2C2,
              double T1, double T2, int VDWMODE, double& FVDW);

// One sphere-sphere pair of the uncoated model: the run-constant numerator
// (A132 a) b and denominator factor 6 (a + b).
struct VdwSpherePair {
  double A132_A_B = 0.0;
  double SIX_A_PLUS_B = 0.0;
};

// One pair of concentric shells of the coated models.
struct VdwShellPair {
  double K = 0.0;           // J, Hamaker combination of the pair
  double TWO_R1_R2 = 0.0;   // m2, (2 R1) R2
  double FOUR_R1_R2 = 0.0;  // m2, (4 R1) R2
  double S = 0.0;           // m, radius sum
};

// Everything of FORCEVDW that is fixed for a run; FORCEVDW(prepared, NASP, H,
// FVDW) is the law's one body.
struct VdwPrepared {
  int VDWMODE = 0;
  double LAMBDAVDW = 0.0;
  // VDWMODE 1
  AsperityPairing ROUGHNESS;
  VdwSpherePair BASE;
  VdwSpherePair ASPERITY;
  // VDWMODE 2-4: pairs in summation order; CORE1, CORE2 are the core radii
  // that build the centre distance with H, T1 and T2.
  double T1 = 0.0;
  double T2 = 0.0;
  double CORE1 = 0.0;
  double CORE2 = 0.0;
  double RETARDATION_LAMBDA = 0.0;  // m, 11.12 LAMBDAVDW
  std::array<VdwShellPair, 4> SHELLS{};
};

VdwPrepared prepare_vdw(double A132, double AG, double AP, double ASP, int RMODE,
                        double LAMBDAVDW, double A11, double A22, double A33, double AC1C1,
                        double AC2C2, double T1, double T2, int VDWMODE);

void FORCEVDW(const VdwPrepared& prepared, double NASP, double H, double& FVDW);

}  // namespace colloidsim
