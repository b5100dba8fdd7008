#include "forces/born.h"

#include "common/numeric.h"
#include "forces/hamaker.h"

namespace colloidsim {

namespace {

double born_hamaker(double A132, double A11, double A22, double A33, double AC1C1,
                    double AC2C2, int VDWMODE) {
  if (VDWMODE == 1) return A132;
  const CrossHamaker x = cross_hamaker(A11, A22, A33, AC1C1, AC2C2);
  switch (VDWMODE) {
    case 2:
      return ((x.AC1C2 - x.AC2_3) - x.AC1_3) + x.A33;
    case 3:
      return ((x.A1C2 - x.AC2_3) - x.A13) + x.A33;
    default:
      return ((x.AC1_2 - x.A23) - x.AC1_3) + x.A33;
  }
}

}  // namespace

void FORCEBORN(double A132, double sigma, double AP, double H, double& FBORN, double A11,
               double A22, double A33, double AC1C1, double AC2C2, int VDWMODE) {
  FORCEBORN(prepare_born(A132, sigma, AP, A11, A22, A33, AC1C1, AC2C2, VDWMODE), H, FBORN);
}

BornPrepared prepare_born(double A132, double sigma, double AP, double A11, double A22,
                          double A33, double AC1C1, double AC2C2, int VDWMODE) {
  BornPrepared p;
  p.VALID_MODE = VDWMODE >= 1 && VDWMODE <= 4;
  if (!p.VALID_MODE) return p;
  const double K = born_hamaker(A132, A11, A22, A33, AC1C1, AC2C2, VDWMODE);
  p.PREFACTOR = (K * ipow<6>(sigma)) / 1260.0;
  p.SEVEN_AP = 7.0 * AP;
  p.NINE_AP = 9.0 * AP;
  p.TWO_AP = 2.0 * AP;
  return p;
}

void FORCEBORN(const BornPrepared& p, double H, double& FBORN) {
  if (!p.VALID_MODE) return;
  FBORN = p.PREFACTOR * ((p.SEVEN_AP - H) / ipow<8>(H) + (p.NINE_AP + H) / ipow<8>(p.TWO_AP + H));
}

}  // namespace colloidsim
