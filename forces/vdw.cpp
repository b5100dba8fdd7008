#include "forces/vdw.h"

#include <cmath>

#include "common/numeric.h"
#include "common/roughness.h"
#include "forces/hamaker.h"

namespace colloidsim {

namespace {

constexpr double SPHERE_RETARDATION = sp(5.32f);
constexpr double SHELL_RETARDATION = sp(11.12f);
constexpr double ASPERITY_PAIR_WEIGHT = 2.5;  // asperity on asperity (RMODE 3)

// Retarded sphere-sphere force; A132_A_B = (A132 a) b, SIX_A_PLUS_B = 6 (a + b).
double sphere_force(double A132_A_B, double SIX_A_PLUS_B, double h, double LAMBDAVDW) {
  return -(A132_A_B / (SIX_A_PLUS_B * (h * h))) *
         (LAMBDAVDW / (LAMBDAVDW + SPHERE_RETARDATION * h));
}

double sphere_force(double A132, double a, double b, double h, double LAMBDAVDW) {
  return sphere_force((A132 * a) * b, 6.0 * (a + b), h, LAMBDAVDW);
}

// X of one shell pair, so that the pair's force is -(K X)/6: X = -d(f E)/dd.
// Q is the centre distance, d the gap between the two shells.
double shell_x(double TWO_R1_R2, double FOUR_R1_R2, double S, double d, double Q,
               double LAMBDAVDW, double RETARDATION_LAMBDA) {
  const double lambda_d = LAMBDAVDW + SHELL_RETARDATION * d;
  const double f = LAMBDAVDW / lambda_d;
  const double g = RETARDATION_LAMBDA / (lambda_d * lambda_d);
  const double D1 = d * d + (d + d) * S;
  const double D2 = D1 + FOUR_R1_R2;
  const double E = (TWO_R1_R2 / D1 + TWO_R1_R2 / D2) + std::log(D1 / D2);
  return f * ((FOUR_R1_R2 * Q) * (1.0 / (D1 * D1) + 1.0 / (D2 * D2)) -
              (Q + Q) * (1.0 / D1 - 1.0 / D2)) +
         g * E;
}

double shell_x(double R1, double R2, double S, double d, double Q, double LAMBDAVDW) {
  return shell_x((2.0 * R1) * R2, (4.0 * R1) * R2, S, d, Q, LAMBDAVDW,
                 SHELL_RETARDATION * LAMBDAVDW);
}

double shell_x(const VdwShellPair& pair, double d, double Q, const VdwPrepared& prepared) {
  return shell_x(pair.TWO_R1_R2, pair.FOUR_R1_R2, pair.S, d, Q, prepared.LAMBDAVDW,
                 prepared.RETARDATION_LAMBDA);
}

VdwShellPair shell_pair(double K, double R1, double R2, double S) {
  return {K, (2.0 * R1) * R2, (4.0 * R1) * R2, S};
}

}  // namespace

void FORCEVDW(double A132, double AG, double AP, double ASP, double NASP, int RMODE, double H,
              double LAMBDAVDW, double A11, double A22, double A33, double AC1C1, double AC2C2,
              double T1, double T2, int VDWMODE, double& FVDW) {
  if (VDWMODE == 1) {
    const double smooth_gap = H + roughness_offset(RMODE, ASP);
    switch (RMODE) {
      case 0:
        FVDW = sphere_force(A132, AP, AG, H, LAMBDAVDW);
        return;
      case 1: {
        const double base = sphere_force(A132, AP, AG, smooth_gap, LAMBDAVDW);
        const double asperity = H <= ASP ? sphere_force(A132, ASP, AG, H, LAMBDAVDW) : 0.0;
        FVDW = base + NASP * asperity;
        return;
      }
      case 2: {
        const double base = sphere_force(A132, AP, AG, smooth_gap, LAMBDAVDW);
        const double asperity = H <= ASP ? sphere_force(A132, ASP, AP, H, LAMBDAVDW) : 0.0;
        FVDW = base + NASP * asperity;
        return;
      }
      case 3: {
        const double base = sphere_force(A132, AP, AG, smooth_gap, LAMBDAVDW);
        const double asperity = H <= ASP ? sphere_force(A132, ASP, ASP, H, LAMBDAVDW) : 0.0;
        FVDW = base + (ASPERITY_PAIR_WEIGHT * NASP) * asperity;
        return;
      }
      default:
        return;
    }
  }

  const CrossHamaker x = cross_hamaker(A11, A22, A33, AC1C1, AC2C2);
  switch (VDWMODE) {
    case 2: {
      const double core1 = AP - T1;
      const double core2 = AG - T2;
      const double outer1 = core1 + T1;
      const double outer2 = round_sp(core2 + T2);
      const double outer_sum = round_sp(((core1 + core2) + T1) + T2);
      const double Q = (((H + core1) + core2) + T1) + T2;
      const double K1 = ((x.AC1C2 - x.AC2_3) - x.AC1_3) + x.A33;
      const double K2 = ((x.A1C2 - x.AC1C2) - x.A13) + x.AC1_3;
      const double K3 = ((x.AC1_2 - x.A23) - x.AC1C2) + x.AC2_3;
      const double K4 = ((x.A12 - x.AC1_2) - x.A1C2) + x.AC1C2;
      double F = -(K1 * shell_x(outer1, outer2, outer_sum, H, Q, LAMBDAVDW)) / 6.0;
      F = F - (K2 * shell_x(core1, outer2, (AP - T1) + AG, H + T1, Q, LAMBDAVDW)) / 6.0;
      F = F - (K3 * shell_x(outer1, core2, (AP + AG) - T2, H + T2, Q, LAMBDAVDW)) / 6.0;
      F = F - (K4 * shell_x(core1, core2, ((AP - T1) + AG) - T2, (H + T1) + T2, Q,
                            LAMBDAVDW)) /
                  6.0;
      FVDW = F;
      return;
    }
    case 3: {
      const double core2 = AG - T2;
      const double outer2 = round_sp(core2 + T2);
      const double outer_sum = round_sp((AP + core2) + T2);
      const double Q = ((H + AP) + core2) + T2;
      const double K1 = ((x.A1C2 - x.AC2_3) - x.A13) + x.A33;
      const double K2 = ((x.A12 - x.A23) - x.A1C2) + x.AC2_3;
      double F = -(K1 * shell_x(AP, outer2, outer_sum, H, Q, LAMBDAVDW)) / 6.0;
      F = F - (K2 * shell_x(AP, core2, (AP + AG) - T2, H + T2, Q, LAMBDAVDW)) / 6.0;
      FVDW = F;
      return;
    }
    case 4: {
      const double core1 = AP - T1;
      const double outer1 = core1 + T1;
      const double outer_sum = round_sp((core1 + AG) + T1);
      const double Q = ((H + core1) + AG) + T1;
      const double K1 = ((x.AC1_2 - x.A23) - x.AC1_3) + x.A33;
      const double K2 = ((x.A12 - x.AC1_2) - x.A13) + x.AC1_3;
      double F = -(K1 * shell_x(outer1, AG, outer_sum, H, Q, LAMBDAVDW)) / 6.0;
      F = F - (K2 * shell_x(core1, AG, (AP - T1) + AG, H + T1, Q, LAMBDAVDW)) / 6.0;
      FVDW = F;
      return;
    }
    default:
      return;
  }
}

VdwPrepared prepare_vdw(double A132, double AG, double AP, double ASP, int RMODE,
                        double LAMBDAVDW, double A11, double A22, double A33, double AC1C1,
                        double AC2C2, double T1, double T2, int VDWMODE) {
  VdwPrepared p;
  p.VDWMODE = VDWMODE;
  p.RMODE = RMODE;
  p.LAMBDAVDW = LAMBDAVDW;
  p.ASP = ASP;
  p.ROUGHNESS_OFFSET = roughness_offset(RMODE, ASP);
  p.T1 = T1;
  p.T2 = T2;
  p.RETARDATION_LAMBDA = SHELL_RETARDATION * LAMBDAVDW;

  auto sphere_pair = [A132](double a, double b) {
    return VdwSpherePair{(A132 * a) * b, 6.0 * (a + b)};
  };
  const CrossHamaker x = cross_hamaker(A11, A22, A33, AC1C1, AC2C2);
  switch (VDWMODE) {
    case 1:
      p.BASE = sphere_pair(AP, AG);
      if (RMODE == 1) p.ASPERITY = sphere_pair(ASP, AG);
      if (RMODE == 2) p.ASPERITY = sphere_pair(ASP, AP);
      if (RMODE == 3) p.ASPERITY = sphere_pair(ASP, ASP);
      break;
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
    case 4: {
      const double core1 = AP - T1;
      p.CORE1 = core1;
      p.CORE2 = AG;
      p.SHELLS[0] = shell_pair(((x.AC1_2 - x.A23) - x.AC1_3) + x.A33, core1 + T1, AG,
                               round_sp((core1 + AG) + T1));
      p.SHELLS[1] =
          shell_pair(((x.A12 - x.AC1_2) - x.A13) + x.AC1_3, core1, AG, (AP - T1) + AG);
      break;
    }
    default:
      break;
  }
  return p;
}

void FORCEVDW(const VdwPrepared& p, double NASP, double H, double& FVDW) {
  switch (p.VDWMODE) {
    case 1: {
      if (p.RMODE == 0) {
        FVDW = sphere_force(p.BASE.A132_A_B, p.BASE.SIX_A_PLUS_B, H, p.LAMBDAVDW);
        return;
      }
      if (p.RMODE < 0 || p.RMODE > 3) return;
      const double base =
          sphere_force(p.BASE.A132_A_B, p.BASE.SIX_A_PLUS_B, H + p.ROUGHNESS_OFFSET, p.LAMBDAVDW);
      const double asperity =
          H <= p.ASP
              ? sphere_force(p.ASPERITY.A132_A_B, p.ASPERITY.SIX_A_PLUS_B, H, p.LAMBDAVDW)
              : 0.0;
      const double count = p.RMODE == 3 ? ASPERITY_PAIR_WEIGHT * NASP : NASP;
      FVDW = base + count * asperity;
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
