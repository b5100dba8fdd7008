// Born repulsion of a sphere and a flat surface (Ruckenstein and Prieve
// 1976, AIChE J. 22, 276):
//   FBORN = (K sigma^6 / 1260) ((7 AP - H) / H^8 + (9 AP + H) / (2 AP + H)^8).
// H is the surface-to-surface gap at the closest point (m), sigma the
// collision diameter (m), AP the particle radius (m). K is the Hamaker
// combination of the outermost materials chosen by VDWMODE (1: A132; 2-4
// built from the pure-material constants, J, see forces/hamaker.h). FBORN is
// in N along the outward normal: positive (for positive K) pushes the
// particle away from the collector. The roughness does not enter. A VDWMODE
// outside 1-4 leaves FBORN unwritten.
#pragma once

namespace colloidsim {

// The full argument list: prepares the run constants and evaluates the
// prepared form.
void FORCEBORN(double A132, double sigma, double AP, double H, double& FBORN, double A11,
               double A22, double A33, double AC1C1, double AC2C2, int VDWMODE);

// Run constants of FORCEBORN; FORCEBORN(prepared, H, FBORN) is the law's one
// body.
struct BornPrepared {
  bool VALID_MODE = false;
  double PREFACTOR = 0.0;  // J m^6, (K sigma^6) / 1260
  double SEVEN_AP = 0.0;   // m
  double NINE_AP = 0.0;    // m
  double TWO_AP = 0.0;     // m
};

BornPrepared prepare_born(double A132, double sigma, double AP, double A11, double A22,
                          double A33, double AC1C1, double AC2C2, int VDWMODE);

void FORCEBORN(const BornPrepared& prepared, double H, double& FBORN);

}  // namespace colloidsim
