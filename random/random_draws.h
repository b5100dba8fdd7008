// Random draws of one particle: uniform numbers with random signs, the
// inverse normal approximation, the Brownian force and the injection point.
#pragma once

#include <array>
#include <cstdint>

#include "random/uniform_generator.h"

namespace colloidsim {

// A particle's random stream: its own generator and the six numbers of the
// last GENERATE_UNIF (RNUMVEC(1) ... RNUMVEC(6) are RNUMVEC[0] ... [5]).
// Nothing else draws from the generator, so the seed fixes the whole
// trajectory.
struct RandomStream {
  UniformGenerator generator;
  std::array<double, 6> RNUMVEC{};
};

// Draws six uniform numbers u1 ... u6 in order into RNUMVEC and sets
// RSIGN1 = sign(u1), RNUM1 = u2, RSIGN2 = sign(u3), RNUM2 = u4,
// RSIGN3 = sign(u5), RNUM3 = u6, where sign(u) is +1 for u >= 0.5 and -1
// otherwise. NRAND is always 6.
void GENERATE_UNIF(RandomStream& stream, double& RSIGN1, double& RNUM1, double& RSIGN2,
                   double& RNUM2, double& RSIGN3, double& RNUM3, std::int32_t& NRAND);

// Standard normal deviate NI for the probability BIGNI: a piecewise
// polynomial fit of the inverse normal distribution function, mirrored as
// -P(1 - BIGNI) above 0.9. Not exactly antisymmetric: NI(0.5) is about 0.0019.
// A NaN probability leaves NI unwritten.
void CALC_NI(double BIGNI, double& NI);

// Brownian force (N) on a sphere of radius AP (m) in a fluid of viscosity
// VISC (kg/m/s) at temperature T (K) over the time step DT (s):
// F = DIFFSCALE xi sqrt(2 kB T (6 pi VISC AP) / DT) per axis, with xi a normal
// deviate truncated to |xi| < 2, held in single precision. One GENERATE_UNIF
// per call; its first deviate goes to FDIFZ, the second to FDIFX, the third
// to FDIFY. DIFFSCALE (-) scales the noise; 0 switches it off but still draws.
void FORCEDIFF(RandomStream& stream, double DIFFSCALE, double pi, double VISC, double AP,
               double kB, double T, double DT, double& FDIFX, double& FDIFY, double& FDIFZ);

// The amplitude sqrt(2 kB T (6 pi VISC AP) / DT) of FORCEDIFF (N), formed as
// sqrt((((((12 pi) AP) VISC) kB) T) / DT). It only changes with DT, so a run
// can keep it for each of its time steps.
double BROWNIAN_AMPLITUDE(double pi, double VISC, double AP, double kB, double T, double DT);

// FORCEDIFF with its amplitude given: bit for bit the same forces and draws.
void FORCEDIFF(RandomStream& stream, double DIFFSCALE, double amplitude, double& FDIFX,
               double& FDIFY, double& FDIFZ);

// Brownian force consistent with the near-wall friction: the friction is
// M3/FUN1 along the outward normal (ENX, ENY, ENZ) and M3/FUN4 across it, so
// the force drawn by FORCEDIFF with the bulk amplitude (same draws, same
// order) is split along the normal, its normal part divided by sqrt(FUN1) and
// its tangential part by sqrt(FUN4): per direction
// F = DIFFSCALE xi sqrt(2 kB T (M3/FUN) / DT). Needs FUN1, FUN4 > 0.
void FORCEDIFF_HINDERED(RandomStream& stream, double DIFFSCALE, double amplitude, double FUN1,
                        double FUN4, double ENX, double ENY, double ENZ, double& FDIFX,
                        double& FDIFY, double& FDIFZ);

// E[xi^2] of FORCEDIFF's deviates (about 0.773): CALC_NI of a probability
// uniform on [0.5, 0.9771), integrated exactly over its two polynomial
// pieces. With DIFFSCALE the draws act as the temperature
// DIFFSCALE^2 E[xi^2] T.
double DEVIATE_VARIANCE();

// Injection point: (XINIT, YINIT) uniform over the disc of radius RLIM (m) by
// rejection from the square (a point on the rim is accepted, six draws per
// try), ZINIT > 0 on the upstream side of the cell boundary RINIT = RB (m),
// RINJ its distance from the z axis, HINIT the surface-to-surface gap to the
// collector of radius AG with the roughness offset of RMODE and ASP. An RMODE
// outside 0-3 leaves HINIT unwritten. With RLIM <= 0 nothing is drawn and
// XINIT, YINIT keep their values.
void INITIAL(RandomStream& stream, double RLIM, double AG, double AP, double ASP,
             std::int32_t RMODE, double RB, double& XINIT, double& YINIT, double& RINJ,
             double& ZINIT, double& RINIT, double& HINIT);

}  // namespace colloidsim
