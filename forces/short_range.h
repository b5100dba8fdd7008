// Short-range contributions to the colloidal force: Lewis acid-base, Born and
// steric repulsion. H is the surface-to-surface gap at the closest point (m),
// asperities included. Every result is in N along the outward normal:
// positive pushes the particle away from the collector.
#pragma once

namespace colloidsim {

// Acid-base force for an effective radius R and a geometry factor C of R and
// the radius ratio, decaying as in van Oss, Interfacial Forces in Aqueous
// Media (1994):
//   Fab = C pi R GAMMA0AB exp(-(H - H0) / LAMBDAAB).
// RMODE 0 uses the particle-collector pair; RMODE 1-3 count only the
// asperities, NASP Fab (2.5 NASP Fab on both surfaces) for H <= ASP and
// exactly 0 beyond. GAMMA0AB in J/m2, negative for hydrophobic attraction.
// An RMODE outside 0-3 leaves FAB unwritten.
void FORCEAB(double pi, double AG, double AP, double ASP, double NASP, int RMODE,
             double LAMBDAAB, double GAMMA0AB, double H, double H0, double& FAB);

// Born repulsion of a sphere and a flat surface (Ruckenstein and Prieve
// 1976, AIChE J. 22, 276):
//   FBORN = (K sigma^6 / 1260) ((7 AP - H) / H^8 + (9 AP + H) / (2 AP + H)^8),
// K the Hamaker combination of the outermost materials chosen by VDWMODE
// (1: A132; 2-4 built from the pure-material constants, J). sigma is the
// collision diameter (m). A VDWMODE outside 1-4 leaves FBORN unwritten.
void FORCEBORN(double A132, double sigma, double AP, double H, double& FBORN, double A11,
               double A22, double A33, double AC1C1, double AC2C2, int VDWMODE);

// Steric repulsion over an interaction area of radius ASTE (m):
//   FSTE = (GAMMA0STE / LAMBDASTE) exp(-H / LAMBDASTE) pi ASTE^2,
// GAMMA0STE in J/m2, LAMBDASTE in m.
void FORCESTE(double pi, double GAMMA0STE, double LAMBDASTE, double ASTE, double H,
              double& FSTE);

// Run constants of FORCEAB; FORCEAB(prepared, NASP, H, FAB) gives bit for bit
// the result of the full argument list.
struct AbPrepared {
  int RMODE = 0;
  double ASP = 0.0;        // m
  double LAMBDAAB = 0.0;   // m
  double H0 = 0.0;         // m
  double PREFACTOR = 0.0;  // N, ((C pi) R) GAMMA0AB of the arrangement
};

AbPrepared prepare_ab(double pi, double AG, double AP, double ASP, int RMODE, double LAMBDAAB,
                      double GAMMA0AB, double H0);

void FORCEAB(const AbPrepared& prepared, double NASP, double H, double& FAB);

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

struct StericPrepared {
  double PRESSURE = 0.0;      // N/m2, GAMMA0STE / LAMBDASTE
  double LAMBDASTE = 0.0;     // m
  double pi = 0.0;
  double ASTE_SQUARED = 0.0;  // m2
};

StericPrepared prepare_ste(double pi, double GAMMA0STE, double LAMBDASTE, double ASTE);

void FORCESTE(const StericPrepared& prepared, double H, double& FSTE);

}  // namespace colloidsim
