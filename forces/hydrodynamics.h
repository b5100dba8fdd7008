// Hydrodynamic and body forces on the particle: Stokes friction, near-wall
// corrections, drag of the moving fluid, buoyant weight and lift.
// Normal forces are signed along the outward normal (ENX, ENY, ENZ), from the
// collector towards the particle centre: positive pushes the particle away
// from the collector. Tangential forces act along the unit tangent
// (ETX, ETY, ETZ) of the tangential fluid velocity. SI units throughout.
#pragma once

#include <cmath>

#include "common/numeric.h"

// The small laws a time step calls once each are defined here, inline, so
// that a step does not pay a call and a round trip through memory for each
// of their outputs; they are the same expressions wherever they are
// compiled (no contraction, no reassociation).

namespace colloidsim {

// Stokes friction coefficient M3 = 6 pi VISC AP (kg/s), VISC in kg/m/s, AP in m.
double STOKES_M3(double VISC, double AP);

// Reduced gap delta = (H + B) / AP of the near-wall functions: H the
// surface-to-surface gap, B the slip length, AP the particle radius (m).
inline double REDUCED_GAP(double H, double B, double AP) { return (H + B) / AP; }

// Near-wall correction functions of the reduced gap delta, each a fit
//   FUNk = (a exp(-b delta) + 1) + c exp(-q delta^p)
// to the sphere-wall resistances. FUN1 scales the normal mobility of the particle (0 at
// contact), FUN2 the normal drag of the fluid, FUN3 / FUN4 the tangential
// drag of the fluid and FUN4 the tangential mobility; all tend to 1 far from
// the wall.
double FUN1(double delta);
double FUN2(double delta);
double FUN3(double delta);
double FUN4(double delta);
void NEAR_WALL_FUNCTIONS(double delta, double& FUN1, double& FUN2, double& FUN3, double& FUN4);

// The four functions bit for bit as above, and the slope dFUN1 = dFUN1/ddelta
// of the normal mobility factor, from the same exponentials and power:
//   dFUN1/ddelta = -a b exp(-b delta) - c q p delta^(p-1) exp(-q delta^p).
// Needs delta > 0 (the slope grows without bound towards contact).
void NEAR_WALL_FUNCTIONS(double delta, double& FUN1, double& FUN2, double& FUN3, double& FUN4,
                         double& dFUN1);

// The reduced gaps from which on a term of a near-wall fit can no longer
// change the function's value: there the term is below 2^-54 and is not
// evaluated (its exp and pow are saved); the value is bit for bit that of
// the full formula. FIRST is the a exp(-(b delta)) term, SECOND the
// c exp(-(q delta^p)) term. Fixed by the coefficients, computed once.
struct NearWallThresholds {
  struct Fit {
    double FIRST = 0;
    double SECOND = 0;
  };
  Fit FUN1, FUN2, FUN3, FUN4;
};
const NearWallThresholds& near_wall_thresholds();

// Splits the fluid velocity (vx, vy, vz) at the particle centre into the
// normal component VN along (ENX, ENY, ENZ), the tangential magnitude VT and
// the unit tangent (ETX, ETY, ETZ), which is (0, 0, 0) when VT is exactly 0.
inline void SPLIT_FLUID_VELOCITY(double vx, double vy, double vz, double ENX, double ENY, double ENZ,
                          double& VN, double& VT, double& ETX, double& ETY, double& ETZ) {
  VN = vx * ENX + vy * ENY + vz * ENZ;
  const double tx = vx - VN * ENX;
  const double ty = vy - VN * ENY;
  const double tz = vz - VN * ENZ;
  VT = std::sqrt(tx * tx + ty * ty + tz * tz);
  if (VT == 0.0) {
    ETX = 0.0;
    ETY = 0.0;
    ETZ = 0.0;
  } else {
    ETX = tx / VT;
    ETY = ty / VT;
    ETZ = tz / VT;
  }
}

// Rotation rate (1/s) of a sphere translating freely at tangential speed UT
// (m/s) at gap H from a wall:
//   OMEGA = (|UT| / AP) (117.4 H/AP + 0.5518) / (232.1 H/AP + 1 + 237.7 (H/AP)^2).
inline double FREE_ROTATION_RATE(double UT, double H, double AP) {
  constexpr double ROT_A1 = sp(117.4f);
  constexpr double ROT_A0 = sp(0.5518f);
  constexpr double ROT_B1 = sp(232.1f);
  constexpr double ROT_B2 = sp(237.7f);
  const double h = H / AP;
  return ((std::abs(UT) / AP) * (ROT_A1 * h + ROT_A0)) / ((ROT_B1 * h + 1.0) + ROT_B2 * (h * h));
}

// Drag of the moving fluid on a particle at rest:
//   FDRGT = (FUN3 / FUN4) M3 VT along the tangent, FDRGN = FUN2 M3 VN along
// the outward normal.
inline void FORCEDRAG(double FUN2, double FUN3, double FUN4, double M3, double VN, double VT,
               double& FDRGT, double& FDRGN) {
  FDRGT = ((FUN3 / FUN4) * M3) * VT;
  FDRGN = (FUN2 * M3) * VN;
}

// Buoyant weight FG = GRAVFACT (4/3) pi AP^3 (RHOP - RHOW) g (N), positive for
// a particle denser than the fluid; it acts along the gravity direction.
void GRAVITY(double GRAVFACT, double AP, double g, double RHOP, double RHOW, double pi,
             double& FG);

// Splits FG along the gravity direction (EGX, EGY, EGZ) into a normal part
// FGN = (EG . EN) FG with vector FGN EN and a tangential part
// FGT = (EG . ET) FG with vector FGT ET. The tangential part follows the
// tangent of the fluid velocity, so it is 0 where VT is 0.
inline void GRAVVECT(double FG, double EGX, double EGY, double EGZ, double ENX, double ENY, double ENZ,
              double ETX, double ETY, double ETZ, double& FGN, double& FGT, double& FGNX,
              double& FGNY, double& FGNZ, double& FGTX, double& FGTY, double& FGTZ) {
  const double cn = EGX * ENX + EGY * ENY + EGZ * ENZ;
  const double ct = EGX * ETX + EGY * ETY + EGZ * ETZ;
  FGN = cn * FG;
  FGT = ct * FG;
  FGNX = ENX * FGN;
  FGNY = ENY * FGN;
  FGNZ = ENZ * FGN;
  FGTX = ETX * FGT;
  FGTY = ETY * FGT;
  FGTZ = ETZ * FGT;
}

// Lift on a sphere translating (UT) and rotating (OMEGA) near a plane wall in
// a shear flow of rate VT / d, d = R - AG the distance of the particle centre
// from the collector surface:
//   FLIFT = RHOW AP^2 ((AP Gs)^2 C1 + (AP OMEGA)^2 C2 + UT^2 C3
//           + AP OMEGA UT C4 + AP^2 OMEGA Gs C5 + AP Gs UT C6),
// with C1..C6 fits in ln(d / AP). Positive pushes the particle away from the
// collector. FLIFT is 0 when d > 100 AP or d is not a number. Needs d > 0.
void FORCELIFT(double RHOW, double R, double AP, double AG, double VT, double UT, double OMEGA,
               double& FLIFT);

}  // namespace colloidsim
