#include "forces/vdw.h"

#include <cmath>

#include "common/numeric.h"
#include "forces/hamaker.h"

namespace colloidsim {

namespace {

constexpr double SPHERE_RETARDATION = sp(5.32f);
constexpr double SHELL_RETARDATION = sp(11.12f);

// Retarded sphere-sphere force; A132_A_B = (A132 a) b, SIX_A_PLUS_B = 6 (a + b).
double sphere_force(const VdwSpherePair& pair, double h, double LAMBDAVDW) {
  return -(pair.A132_A_B / (pair.SIX_A_PLUS_B * (h * h))) *
         (LAMBDAVDW / (LAMBDAVDW + SPHERE_RETARDATION * h));
}

VdwSpherePair sphere_pair(double A132, double a, double b) {
  return {(A132 * a) * b, 6.0 * (a + b)};
}

// X of one shell pair, so that the pair's force is -(K X)/6: X = -d(f E)/dd.
// Q is the centre distance, d the gap between the two shells.
double shell_x(const VdwShellPair& pair, double d, double Q, const VdwPrepared& p) {
  const double lambda_d = p.LAMBDAVDW + SHELL_RETARDATION * d;
  const double f = p.LAMBDAVDW / lambda_d;
  const double g = p.RETARDATION_LAMBDA / (lambda_d * lambda_d);
  const double D1 = d * d + (d + d) * pair.S;
  const double D2 = D1 + pair.FOUR_R1_R2;
  const double E = (pair.TWO_R1_R2 / D1 + pair.TWO_R1_R2 / D2) + std::log(D1 / D2);
  return f * ((pair.FOUR_R1_R2 * Q) * (1.0 / (D1 * D1) + 1.0 / (D2 * D2)) -
              (Q + Q) * (1.0 / D1 - 1.0 / D2)) +
         g * E;
}

VdwShellPair shell_pair(double K, double R1, double R2, double S) {
  return {K, (2.0 * R1) * R2, (4.0 * R1) * R2, S};
}

}  // namespace

void FORCEVDW(double A132, double AG, double AP, double ASP, double NASP, int RMODE, double H,
              double LAMBDAVDW, double A11, double A22, double A33, double AC1C1, double AC2C2,
              double T1, double T2, int VDWMODE, double& FVDW) {
  FORCEVDW(prepare_vdw(A132, AG, AP, ASP, RMODE, LAMBDAVDW, A11, A22, A33, AC1C1, AC2C2, T1, T2,
                       VDWMODE),
           NASP, H, FVDW);
}

VdwPrepared prepare_vdw(double A132, double AG, double AP, double ASP, int RMODE,
                        double LAMBDAVDW, double A11, double A22, double A33, double AC1C1,
                        double AC2C2, double T1, double T2, int VDWMODE) {
  VdwPrepared p;
  p.VDWMODE = VDWMODE;
  p.LAMBDAVDW = LAMBDAVDW;
  p.ROUGHNESS = asperity_pairing(RMODE, AG, AP, ASP);
  p.T1 = T1;
  p.T2 = T2;
  p.RETARDATION_LAMBDA = SHELL_RETARDATION * LAMBDAVDW;
  if (VDWMODE == 1) {
    p.BASE = sphere_pair(A132, AP, AG);
    if (p.ROUGHNESS.rough()) p.ASPERITY = sphere_pair(A132, p.ROUGHNESS.R1, p.ROUGHNESS.R2);
    return p;
  }
  if (VDWMODE < 2 || VDWMODE > 4) return p;

  const CrossHamaker x = cross_hamaker(A11, A22, A33, AC1C1, AC2C2);
  switch (VDWMODE) {
    case 2: {
      const double core1 = AP - T1;
      const double core2 = AG - T2;
      const double outer1 = core1 + T1;
      const double outer2 = round_sp(core2 + T2);
      p.CORE1 = core1;
      p.CORE2 = core2;
      p.SHELLS[0] = shell_pair(((x.AC1C2 - x.AC2_3) - x.AC1_3) + x.A33, outer1, outer2,
                               round_sp(((core1 + core2) + T1) + T2));
      p.SHELLS[1] =
          shell_pair(((x.A1C2 - x.AC1C2) - x.A13) + x.AC1_3, core1, outer2, (AP - T1) + AG);
      p.SHELLS[2] =
          shell_pair(((x.AC1_2 - x.A23) - x.AC1C2) + x.AC2_3, outer1, core2, (AP + AG) - T2);
      p.SHELLS[3] = shell_pair(((x.A12 - x.AC1_2) - x.A1C2) + x.AC1C2, core1, core2,
                               ((AP - T1) + AG) - T2);
      break;
    }
    case 3: {
      const double core2 = AG - T2;
      const double outer2 = round_sp(core2 + T2);
      p.CORE1 = AP;
      p.CORE2 = core2;
      p.SHELLS[0] = shell_pair(((x.A1C2 - x.AC2_3) - x.A13) + x.A33, AP, outer2,
                               round_sp((AP + core2) + T2));
      p.SHELLS[1] =
          shell_pair(((x.A12 - x.A23) - x.A1C2) + x.AC2_3, AP, core2, (AP + AG) - T2);
      break;
    }
    default: {
      const double core1 = AP - T1;
      p.CORE1 = core1;
      p.CORE2 = AG;
      p.SHELLS[0] = shell_pair(((x.AC1_2 - x.A23) - x.AC1_3) + x.A33, core1 + T1, AG,
                               round_sp((core1 + AG) + T1));
      p.SHELLS[1] =
          shell_pair(((x.A12 - x.AC1_2) - x.A13) + x.AC1_3, core1, AG, (AP - T1) + AG);
      break;
    }
  }
  return p;
}

void FORCEVDW(const VdwPrepared& p, double NASP, double H, double& FVDW) {
  switch (p.VDWMODE) {
    case 1: {
      const AsperityPairing& rough = p.ROUGHNESS;
      if (rough.RMODE == 0) {
        FVDW = sphere_force(p.BASE, H, p.LAMBDAVDW);
        return;
      }
      if (!rough.known()) return;
      const double base = sphere_force(p.BASE, H + rough.OFFSET, p.LAMBDAVDW);
      const double asperity = rough.touches(H) ? sphere_force(p.ASPERITY, H, p.LAMBDAVDW) : 0.0;
      FVDW = base + rough.count(NASP) * asperity;
      return;
    }
    case 2: {
      const double Q = (((H + p.CORE1) + p.CORE2) + p.T1) + p.T2;
      const double H_T1 = H + p.T1;
      double F = -(p.SHELLS[0].K * shell_x(p.SHELLS[0], H, Q, p)) / 6.0;
      F = F - (p.SHELLS[1].K * shell_x(p.SHELLS[1], H_T1, Q, p)) / 6.0;
      F = F - (p.SHELLS[2].K * shell_x(p.SHELLS[2], H + p.T2, Q, p)) / 6.0;
      F = F - (p.SHELLS[3].K * shell_x(p.SHELLS[3], H_T1 + p.T2, Q, p)) / 6.0;
      FVDW = F;
      return;
    }
    case 3: {
      const double Q = ((H + p.CORE1) + p.CORE2) + p.T2;
      const double F = -(p.SHELLS[0].K * shell_x(p.SHELLS[0], H, Q, p)) / 6.0;
      FVDW = F - (p.SHELLS[1].K * shell_x(p.SHELLS[1], H + p.T2, Q, p)) / 6.0;
      return;
    }
    case 4: {
      const double Q = ((H + p.CORE1) + p.CORE2) + p.T1;
      const double F = -(p.SHELLS[0].K * shell_x(p.SHELLS[0], H, Q, p)) / 6.0;
      FVDW = F - (p.SHELLS[1].K * shell_x(p.SHELLS[1], H + p.T1, Q, p)) / 6.0;
      return;
    }
    default:
      return;
  }
}

}  // namespace colloidsim
