#include "forces/happel.h"

#include <cmath>

#include "common/constants.h"

namespace colloidsim {

HappelConstants happel_constants(double POROSITY, double AG) {
  HappelConstants c;
  c.RB = AG / std::pow(1.0 - POROSITY, ONE_THIRD);
  const double gamma = AG / c.RB;
  const double g5 = ipow<5>(gamma);
  const double g6 = ipow<6>(gamma);
  const double W = ((2.0 - 3.0 * gamma) + 3.0 * g5) - (g6 + g6);
  c.K1 = 1.0 / W;
  c.K2 = -((g5 + g5) + 3.0) / W;
  c.K3 = (3.0 * g5 + 2.0) / W;
  c.K4 = -(g5 / W);
  return c;
}

void HAPPELFF(double X, double Y, double Z, double AG, double B, double K1, double K2, double K3,
              double K4, double& VXH1, double& VYH1, double& VZH1) {
  HAPPELFF(X, Y, Z, std::sqrt(X * X + Y * Y + Z * Z), AG, B, K1, K2, K3, K4, VXH1, VYH1, VZH1);
}

void HAPPELFF(double X, double Y, double Z, double r, double AG, double B, double K1, double K2,
              double K3, double K4, double& VXH1, double& VYH1, double& VZH1) {
  const double t = r / AG;
  const double s = (r + B) / AG;
  const double rho = std::sqrt(X * X + Y * Y);
  const double s3 = ipow<3>(s);
  const double G = -K1 / (s3 + s3) + K2 / (s + s) + K3 + 2.0 * K4 * (s * s);
  const double F = K1 / ipow<3>(t) + K2 / t + K3 + K4 * (t * t);
  const double r2 = r * r;
  VXH1 = (X * Z / r2) * (G - F);
  VYH1 = (Y * Z / r2) * (G - F);
  const double cos_theta = Z / r;
  const double sin_theta = rho / r;
  VZH1 = (cos_theta * cos_theta) * (-F) + (sin_theta * sin_theta) * (-G);
}

}  // namespace colloidsim
