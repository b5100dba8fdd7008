// Steric repulsion over an interaction area of radius ASTE (m):
//   FSTE = (GAMMA0STE / LAMBDASTE) exp(-H / LAMBDASTE) pi ASTE^2.
// H is the surface-to-surface gap at the closest point (m), GAMMA0STE the
// steric energy (J/m2), LAMBDASTE its decay length (m). FSTE is in N along
// the outward normal: positive (GAMMA0STE > 0) pushes the particle away from
// the collector; it is 0 when ASTE or GAMMA0STE is 0.
#pragma once

namespace colloidsim {

// The full argument list: prepares the run constants and evaluates the
// prepared form, without its exact zero-pressure shortcut.
void FORCESTE(double pi, double GAMMA0STE, double LAMBDASTE, double ASTE, double H,
              double& FSTE);

// Run constants of FORCESTE; FORCESTE(prepared, H, FSTE) is the law's one
// body.
struct StericPrepared {
  double PRESSURE = 0.0;      // N/m2, GAMMA0STE / LAMBDASTE
  double LAMBDASTE = 0.0;     // m
  double pi = 0.0;
  double ASTE_SQUARED = 0.0;  // m2
  // PRESSURE is zero: the force is that signed zero without exp.
  bool ZERO_PRESSURE = false;
};

StericPrepared prepare_ste(double pi, double GAMMA0STE, double LAMBDASTE, double ASTE);

void FORCESTE(const StericPrepared& prepared, double H, double& FSTE);

}  // namespace colloidsim
