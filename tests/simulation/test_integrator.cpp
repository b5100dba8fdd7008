// Physical checks of the time stepping: with everything else switched off a
// particle follows the fluid, settles at the Stokes velocity, and diffuses
// with the diffusivity its Brownian draws imply.
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "common/constants.h"
#include "forces/happel.h"
#include "forces/hydrodynamics.h"
#include "io/parameter_file.h"
#include "random/random_draws.h"
#include "random/seeding.h"
#include "simulation/run_context.h"
#include "simulation/trajectory.h"
#include "simulation/velocity_update.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;

// The favorable example with the colloidal forces, gravity and Brownian
// motion switched off; each test switches on what it studies.
RunParameters quiet_parameters() {
  RunParameters p = read_parameter_file(testing::source_path("examples/favorable/INPUT.IN")).parameters;
  p.A132 = 0;  // no van der Waals, no Born
  p.ZETAPST = 0;
  p.ZETACST = 0;
  p.GRAVFACT = 0;
  p.DIFFSCALE = 0;
  p.TTIME = 1e9;
  return p;
}

// Particle 1 at rest at (X, Y, Z), in the regime of its gap, drawing from
// the stream of the given seed.
void place(const RunContext& run, ParticleRun& pr, double X, double Y, double Z, std::uint64_t seed = 7) {
  seed_from_option(pr.stream, static_cast<std::int64_t>(seed), 1);
  start_particle(run, pr, 1, nullptr);
  ParticleState& s = pr.s;
  s.motion.X = X;
  s.motion.Y = Y;
  s.motion.Z = Z;
  s.motion.R = std::sqrt(X * X + Y * Y + Z * Z);
  s.motion.H = (s.motion.R - run.p.AG) - run.p.AP;
  s.motion.ENX = X / s.motion.R;
  s.motion.ENY = Y / s.motion.R;
  s.motion.ENZ = Z / s.motion.R;
  s.motion.VPX = s.motion.VPY = s.motion.VPZ = 0;
  s.motion.UT = s.motion.OMEGA = 0;
  s.motion.REGIME = s.motion.H > HNS ? 1 : 2;
  s.motion.DT = (s.motion.REGIME == 1 ? run.p.MULTB : run.p.MULTNS) * run.c.DTMRT;
}

TEST(Integrator, WithoutOtherForcesAParticleFollowsTheFluid) {
  RunParameters p = quiet_parameters();
  p.AP = 0.05e-6;  // far from the wall in particle radii: no lift, wall corrections ~ 1
  RunContext run = prepare_run(p, 1);
  auto pr = std::make_unique<ParticleRun>();
  place(run, *pr, 1.2e-4, 0.5e-4, 2.4e-4);
  for (int n = 0; n < 200; ++n) {
    time_step(run, *pr, nullptr);
    ASSERT_EQ(pr->s.bookkeeping.ATTACHK, Fate::Unresolved);
    if (n < 3) continue;  // the start from rest relaxes within a few steps
    const ParticleState& s = pr->s;
    double vx = 0, vy = 0, vz = 0;
    HAPPELFF(s.motion.X, s.motion.Y, s.motion.Z, p.AG, p.B, run.c.K1, run.c.K2, run.c.K3, run.c.K4, vx, vy, vz);
    vx *= p.VSUP;
    vy *= p.VSUP;
    vz *= p.VSUP;
    const double speed = std::sqrt(vx * vx + vy * vy + vz * vz);
    // The velocity lags the fluid by one step of its change along the path and
    // the wall corrections differ from 1 by about 1e-3 at 400 radii.
    const double lag = std::sqrt((s.motion.VPX - vx) * (s.motion.VPX - vx) + (s.motion.VPY - vy) * (s.motion.VPY - vy) +
                                 (s.motion.VPZ - vz) * (s.motion.VPZ - vz));
    EXPECT_LT(lag, 3e-3 * speed) << n;
  }
}

TEST(Integrator, InAQuiescentFluidAParticleSettlesAtTheStokesVelocity) {
  RunParameters p = quiet_parameters();
  p.VSUP = 0;
  p.GRAVFACT = 1;
  p.AP = 0.05e-6;
  RunContext run = prepare_run(p, 1);
  auto pr = std::make_unique<ParticleRun>();
  // On the upstream axis gravity (-z) is all normal to the collector.
  place(run, *pr, 0.0, 0.0, p.AG + 2.0e-5);
  for (int n = 0; n < 5; ++n) time_step(run, *pr, nullptr);
  // Stokes: v = 2 a^2 (rho_p - rho_w) g / (9 mu), g and the constants as
  // decimals; the single-precision constants differ by about 1e-7.
  const double stokes = 2 * p.AP * p.AP * (p.RHOP - p.RHOW) * 9.80665 / (9 * p.VISC);
  EXPECT_EQ(pr->s.motion.VPX, 0.0);
  EXPECT_EQ(pr->s.motion.VPY, 0.0);
  // Far from the wall FUN1 = 1 - 0.399 exp(-0.1487 h/a) is 1 to about 1e-13.
  for (int n = 0; n < 5; ++n) {
    EXPECT_TRUE(RelNear(-pr->s.motion.VPZ, stokes, 1e-6));
    time_step(run, *pr, nullptr);
  }
}

// E[xi^2] of the Brownian deviates: CALC_NI of u*0.4771 + 0.5 for u uniform
// on [0, 1), by the midpoint rule.
double deviate_second_moment() {
  const int n = 200000;
  double sum = 0;
  for (int k = 0; k < n; ++k) {
    double NI = 0;
    CALC_NI(((k + 0.5) / n) * sp(0.4771f) + 0.5, NI);
    const double xi = round_sp(NI);
    sum += xi * xi;
  }
  return sum / n;
}

TEST(Integrator, FreeBrownianMotionSpreadsAs2DtPerAxis) {
  RunParameters p = quiet_parameters();
  p.VSUP = 0;
  p.DIFFSCALE = 1;
  RunContext run = prepare_run(p, 1);
  auto pr = std::make_unique<ParticleRun>();
  // On the upstream axis, 20 um from the collector: the normal is +z.
  const double Z0 = p.AG + p.AP + 2.0e-5;
  const double delta = 2.0e-5 / p.AP;
  // The Brownian force has the free-space amplitude while the mobility is
  // FUN/M3 in each direction, so D = E[xi^2] kB T FUN^2 / M3 per axis
  // (FUN1 along the normal, FUN4 across it).
  const double D0 = deviate_second_moment() * KB * p.T / run.c.M3;
  const double D_normal = D0 * FUN1(delta) * FUN1(delta);
  const double D_tangential = D0 * FUN4(delta) * FUN4(delta);

  const int particles = 20000, steps = 20;
  double sum_x = 0, sum_y = 0, sum_z = 0, sum_xz = 0;
  double t = 0;
  for (int k = 1; k <= particles; ++k) {
    place(run, *pr, 0.0, 0.0, Z0, k);
    for (int n = 0; n < steps; ++n) time_step(run, *pr, nullptr);
    ASSERT_EQ(pr->s.bookkeeping.ATTACHK, Fate::Unresolved);
    const double dx = pr->s.motion.X, dy = pr->s.motion.Y, dz = pr->s.motion.Z - Z0;
    sum_x += dx * dx;
    sum_y += dy * dy;
    sum_z += dz * dz;
    sum_xz += dx * dz;
    // The first step moves with the start velocity, 0: the particle diffuses
    // over the steps after it.
    t = pr->s.bookkeeping.ELAPSED - pr->s.motion.DT;
  }
  // Each displacement is a sum of 20 nearly Gaussian steps, so the variance
  // of its square is about 2 (2 D t)^2: the relative standard error of each
  // mean is sqrt(2 / 20000) = 1 %. Allow 5 standard errors; the start from
  // rest and the slightly varying gap change the answer by far less.
  const double tolerance = 5 * std::sqrt(2.0 / particles);
  EXPECT_TRUE(RelNear(sum_x / particles, 2 * D_tangential * t, tolerance));
  EXPECT_TRUE(RelNear(sum_y / particles, 2 * D_tangential * t, tolerance));
  EXPECT_TRUE(RelNear(sum_z / particles, 2 * D_normal * t, tolerance));
  // Axes are uncorrelated: the mean product is within 5 standard errors of 0.
  EXPECT_LT(std::fabs(sum_xz / particles), 5 * 2 * std::sqrt(D_tangential * D_normal) * t / std::sqrt(particles));
}

TEST(Integrator, NoAdhesionAndNoBornRepulsionGiveNoDeformationRatherThanNaN) {
  // HMIN = HCUT = H0 and DEFMAX = 0: the deformation quotient would be 0/0.
  RunParameters p = quiet_parameters();
  p.W132 = 0;
  p.ZETAPST = -0.030;
  p.ZETACST = 0.030;  // the attractive double layer brings the particle into contact
  RunContext run = prepare_run(p, 1);
  ASSERT_EQ(run.c.HMIN, run.c.HCUT);
  ASSERT_EQ(run.c.DEFMAX, 0.0);
  auto pr = std::make_unique<ParticleRun>();
  place(run, *pr, 0.0, 0.0, p.AG + p.AP + 5e-9);
  for (int n = 0; n < 100 && pr->s.bookkeeping.ATTACHK == Fate::Unresolved; ++n) {
    time_step(run, *pr, nullptr);
    ASSERT_FALSE(std::isnan(pr->s.motion.H)) << n;
    EXPECT_EQ(pr->s.motion.DEF, 0.0);
  }
  EXPECT_EQ(pr->s.bookkeeping.ATTACHK, Fate::Attached);  // the perfect sink of the example
}

// The fluid velocity takes the step's centre distance R instead of its own
// square root: after every step of whole particles inside the cell, R is
// bit for bit sqrt(X^2 + Y^2 + Z^2) and the field the same as from the
// position alone; a move put back at the cell boundary leaves R outside it.
TEST(Integrator, TheStepsCentreDistanceIsTheFieldsOwn) {
  const RunParameters p =
      read_parameter_file(testing::source_path("examples/favorable/INPUT.IN")).parameters;
  RunContext run = prepare_run(p, 1);
  auto pr = std::make_unique<ParticleRun>();
  long inside = 0;
  for (std::int32_t IPART = 1; IPART <= 3; ++IPART) {
    seed_from_option(pr->stream, 1, IPART);
    start_particle(run, *pr, IPART, nullptr);
    for (int n = 0; n < 20000 && pr->s.bookkeeping.ATTACHK == Fate::Unresolved; ++n) {
      time_step(run, *pr, nullptr);
      const ParticleState& s = pr->s;
      if (!(s.motion.R <= run.c.RB)) continue;
      ++inside;
      ASSERT_EQ(s.motion.R, std::sqrt(s.motion.X * s.motion.X + s.motion.Y * s.motion.Y + s.motion.Z * s.motion.Z)) << IPART << " " << n;
      double u[3], v[3];
      fluid_velocity(run, s.motion.X, s.motion.Y, s.motion.Z, s.motion.R, u[0], u[1], u[2]);
      HAPPELFF(s.motion.X, s.motion.Y, s.motion.Z, p.AG, p.B, run.c.K1, run.c.K2, run.c.K3, run.c.K4, v[0], v[1], v[2]);
      for (int k = 0; k < 3; ++k) ASSERT_EQ(u[k], p.VSUP * v[k]);
    }
  }
  EXPECT_GT(inside, 30000);
}

}  // namespace
}  // namespace colloidsim
