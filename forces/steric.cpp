#include "forces/steric.h"

#include "common/numeric.h"

namespace colloidsim {

void FORCESTE(double pi, double GAMMA0STE, double LAMBDASTE, double ASTE, double H,
              double& FSTE) {
  FORCESTE(StericPrepared{GAMMA0STE / LAMBDASTE, LAMBDASTE, pi, ASTE * ASTE, false}, H, FSTE);
}

StericPrepared prepare_ste(double pi, double GAMMA0STE, double LAMBDASTE, double ASTE) {
  const double PRESSURE = GAMMA0STE / LAMBDASTE;
  return {PRESSURE, LAMBDASTE, pi, ASTE * ASTE, PRESSURE == 0.0};
}

void FORCESTE(const StericPrepared& p, double H, double& FSTE) {
  FSTE = ((p.PRESSURE * exp_as_factor(p.ZERO_PRESSURE, -(H / p.LAMBDASTE))) * p.pi) *
         p.ASTE_SQUARED;
}

}  // namespace colloidsim
