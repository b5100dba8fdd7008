#include "analysis/correlations.h"

#include <cmath>
#include <limits>

#include "common/constants.h"
#include "forces/hamaker.h"

namespace colloidsim {

DimensionlessNumbers dimensionless_numbers(const CorrelationInputs& in) {
  DimensionlessNumbers n;
  n.gamma = std::cbrt(1.0 - in.POROSITY);
  const double g = n.gamma;
  const double g5 = std::pow(g, 5), g6 = std::pow(g, 6);
  n.As = 2.0 * (1.0 - g5) / (2.0 - 3.0 * g + 3.0 * g5 - 2.0 * g6);
  const double dp = 2.0 * in.AP, dc = 2.0 * in.AG;
  const double kT = KB * in.T;
  n.D = kT / (3.0 * PI * in.VISC * dp);
  n.NR = dp / dc;
  n.NPe = in.VSUP * dc / n.D;
  n.NvdW = in.A / kT;
  n.NA = in.A / (12.0 * PI * in.VISC * in.AP * in.AP * in.VSUP);
  n.NG = 2.0 / 9.0 * (in.RHOP - in.RHOW) * G_ACCEL * in.AP * in.AP / (in.VISC * in.VSUP);
  n.NLo = 4.0 * in.A / (9.0 * PI * in.VISC * dp * dp * in.VSUP);
  return n;
}

namespace {

bool defined(const DimensionlessNumbers& n) {
  return n.NPe > 0 && std::isfinite(n.NPe) && n.NvdW >= 0 && n.NG >= 0;
}

}  // namespace

double eta0_tufenkji_elimelech(const DimensionlessNumbers& n) {
  if (!defined(n)) return std::numeric_limits<double>::quiet_NaN();
  const double diffusion = 2.4 * std::cbrt(n.As) * std::pow(n.NR, -0.081) *
                           std::pow(n.NPe, -0.715) * std::pow(n.NvdW, 0.052);
  const double interception = 0.55 * n.As * std::pow(n.NR, 1.675) * std::pow(n.NA, 0.125);
  const double gravity =
      0.22 * std::pow(n.NR, -0.24) * std::pow(n.NG, 1.11) * std::pow(n.NvdW, 0.053);
  return diffusion + interception + gravity;
}

double eta0_rajagopalan_tien(const DimensionlessNumbers& n) {
  if (!defined(n)) return std::numeric_limits<double>::quiet_NaN();
  const double diffusion = 4.0 * std::cbrt(n.As) * std::pow(n.NPe, -2.0 / 3.0);
  const double interception = n.As * std::pow(n.NLo, 1.0 / 8.0) * std::pow(n.NR, 15.0 / 8.0);
  const double gravity = 0.00338 * n.As * std::pow(n.NG, 1.2) * std::pow(n.NR, -0.4);
  return diffusion + interception + gravity;
}

CorrelationInputs correlation_inputs(const RunParameters& p) {
  CorrelationInputs in;
  in.AP = p.AP;
  in.AG = p.AG;
  in.POROSITY = p.POROSITY;
  in.VSUP = p.VSUP;
  in.VISC = p.VISC;
  in.T = p.T;
  in.RHOP = p.RHOP;
  in.RHOW = p.RHOW;
  const CrossHamaker x = cross_hamaker(p.A11, p.A22, p.A33, p.AC1C1, p.AC2C2);
  switch (p.VDWMODE) {
    case 2: in.A = x.AC1C2 - x.AC2_3 - x.AC1_3 + x.A33; break;
    case 3: in.A = x.A1C2 - x.AC2_3 - x.A13 + x.A33; break;
    case 4: in.A = x.AC1_2 - x.A23 - x.AC1_3 + x.A33; break;
    default: in.A = p.A132; break;
  }
  return in;
}

}  // namespace colloidsim
