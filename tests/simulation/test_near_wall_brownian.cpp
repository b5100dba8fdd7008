// Equilibrium statistics of Brownian motion near the collector, from the
// run's own time steps with flow and gravity off: with --brownian hindered a
// particle diffuses with the hindered diffusivities, samples Boltzmann's
// distribution in a secondary minimum and escapes from it at the rate of
// one-dimensional diffusion in that potential; with the bulk amplitude it
// does none of these. The draws act as the temperature T' = DIFFSCALE^2
// E[xi^2] T (E[xi^2] = 0.773, the variance of the truncated deviates).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "common/constants.h"
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

// The favorable example (1 um latex, 0.51 mm collector) in a fluid at rest,
// without gravity, noise at DIFFSCALE 1, no slow-motion fate (DFACTNS 0) and
// no time limit (and up to 100000 particles). Lift then only sees the Brownian velocities: below 1e-17 N,
// a millionth of the colloidal forces of the wells below.
RunParameters still_fluid() {
  RunParameters p =
      read_parameter_file(testing::source_path("examples/favorable/INPUT.IN")).parameters;
  p.VSUP = 0;
  p.GRAVFACT = 0;
  p.DIFFSCALE = 1;
  p.DFACTNS = 0;
  p.TTIME = 1e9;
  p.NPART = 100000;  // the particles' start times, (IPART - 1) TTIME / (6 NPART), stay below TTIME
  return p;
}

// Like-charged surfaces (-30 mV) in 20 mM: with A132 1e-20 J a secondary
// minimum about 5 kT' deep at 14 nm, behind a primary barrier of 500 kT'.
RunParameters secondary_minimum() {
  RunParameters p = still_fluid();
  p.IS = 20;
  p.ZETAPST = -0.03;
  p.ZETACST = -0.03;
  return p;
}

// Particle IPART at rest on the upstream axis at gap H, in the regime of its
// gap, drawing from the stream of --seed 7.
void place(const RunContext& run, ParticleRun& pr, double H, std::int32_t IPART) {
  seed_from_option(pr.stream, 7, IPART);
  start_particle(run, pr, IPART, nullptr);
  ParticleMotion& s = pr.s.motion;
  s.X = s.Y = 0;
  s.Z = (run.p.AG + run.p.AP) + H;
  s.R = s.Z;
  s.H = H;
  s.ENX = s.ENY = 0;
  s.ENZ = 1;
  s.VPX = s.VPY = s.VPZ = 0;
  s.UT = s.OMEGA = 0;
  s.REGIME = s.H > HNS ? 1 : 2;
  s.DT = (s.REGIME == 1 ? run.p.MULTB : run.p.MULTNS) * run.c.DTMRT;
}

double thermal_energy(const RunParameters& p) {
  return ((p.DIFFSCALE * p.DIFFSCALE) * DEVIATE_VARIANCE()) * KB * p.T;
}

// The colloidal energy E(H) / kT' on a grid of 0.01 nm from LOW to HIGH, by
// the trapezoidal rule over FCOLL of the run's own laws (E(HIGH) = 0).
struct Profile {
  static constexpr double STEP = 1e-11;  // m
  double LOW = 0;
  std::vector<double> E;
  double gap(std::size_t k) const { return LOW + static_cast<double>(k) * STEP; }
  double at(double H) const {
    const double x = (H - LOW) / STEP;
    const std::size_t k = std::min(static_cast<std::size_t>(x), E.size() - 2);
    return E[k] + (x - static_cast<double>(k)) * (E[k + 1] - E[k]);
  }
  std::size_t minimum() const {
    return static_cast<std::size_t>(std::min_element(E.begin(), E.end()) - E.begin());
  }
  // The gap beyond the minimum where E first rises to E_min + rise.
  double outer_gap(double rise) const {
    const std::size_t m = minimum();
    std::size_t k = m;
    while (k + 1 < E.size() && E[k] < E[m] + rise) ++k;
    return gap(k);
  }
};

Profile energy_profile(const RunContext& run, double LOW, double HIGH) {
  Profile profile;
  profile.LOW = LOW;
  const std::size_t n = static_cast<std::size_t>(std::llround((HIGH - LOW) / Profile::STEP)) + 1;
  profile.E.assign(n, 0.0);
  ParticleMotion s;
  ForceBreakdown f;
  std::int32_t HETTYPE = 0;
  s.REGIME = 2;
  HeterodomainWeighting het;
  const auto force = [&](double H) {
    s.H = H;
    colloidal_forces(run, s, f, HETTYPE, het, false);
    return f.FCOLL;
  };
  const double kT = thermal_energy(run.p);
  double upper = force(profile.gap(n - 1));
  for (std::size_t k = n - 1; k-- > 0;) {
    const double lower = force(profile.gap(k));
    profile.E[k] = profile.E[k + 1] + (0.5 * (lower + upper) * Profile::STEP) / kT;
    upper = lower;
  }
  return profile;
}

TEST(NearWallBrownian, FreeDiffusionHasTheHinderedDiffusivities) {
  RunParameters p = still_fluid();
  p.A132 = 0;  // no van der Waals, no Born
  p.ZETAPST = 0;
  p.ZETACST = 0;
  // 50 nm from the wall (delta = 0.1): FUN1 = 0.086, FUN4 = 0.43.
  const double H = 5e-8;
  const double delta = H / p.AP;
  const double D = thermal_energy(p) / STOKES_M3(p.VISC, p.AP);
  const int particles = 40000, steps = 20;
  for (BrownianModel model : {BrownianModel::hindered, BrownianModel::bulk}) {
    SCOPED_TRACE(brownian_model_name(model));
    const RunContext run = prepare_run(p, 1, model);
    // The hindered draws give the mobility's own diffusivity D FUN; the bulk
    // draws, divided by the same friction, D FUN^2.
    const bool hindered = model == BrownianModel::hindered;
    const double D_normal = D * FUN1(delta) * (hindered ? 1.0 : FUN1(delta));
    const double D_tangential = D * FUN4(delta) * (hindered ? 1.0 : FUN4(delta));
    auto pr = std::make_unique<ParticleRun>();
    double sum_x2 = 0, sum_y2 = 0, sum_z = 0, sum_z2 = 0, t = 0;
    for (int k = 1; k <= particles; ++k) {
      place(run, *pr, H, k);
      for (int n = 0; n < steps; ++n) time_step(run, *pr, nullptr);
      ASSERT_EQ(pr->s.bookkeeping.ATTACHK, Fate::Unresolved);
      const double dz = pr->s.motion.H - H;
      sum_x2 += pr->s.motion.X * pr->s.motion.X;
      sum_y2 += pr->s.motion.Y * pr->s.motion.Y;
      sum_z += dz;
      sum_z2 += dz * dz;
      // The first step moves with the start velocity, 0.
      t = pr->s.bookkeeping.ELAPSED - pr->s.motion.DT;
    }
    const double n = particles;
    // The variance about the mean: the hindered model's drift moves the
    // particle outwards by D FUN1' t = 0.1 nm in this window. Over the
    // window's 2.5 nm (normal) the diffusivity's change adds 0.2 % to the
    // normal spread, far below the tolerance: a displacement's square has
    // the variance 2 (2 D t)^2 (sums of 20 steps are near Gaussian), so each
    // mean square has the relative standard error sqrt(2 / N) = 0.7 %;
    // allow 5 of them.
    const double tolerance = 5 * std::sqrt(2.0 / n);
    const double var_z = sum_z2 / n - (sum_z / n) * (sum_z / n);
    EXPECT_TRUE(RelNear(sum_x2 / n, 2 * D_tangential * t, tolerance));
    EXPECT_TRUE(RelNear(sum_y2 / n, 2 * D_tangential * t, tolerance));
    EXPECT_TRUE(RelNear(var_z, 2 * D_normal * t, tolerance));
    if (hindered) {
      // The drift kB T' FUN1'/FUN1 moves the mean by D FUN1'(H) t / AP.
      double f[4], dFUN1 = 0;
      NEAR_WALL_FUNCTIONS(delta, f[0], f[1], f[2], f[3], dFUN1);
      const double drift = D * dFUN1 / p.AP * t;
      EXPECT_NEAR(sum_z / n, drift, 5 * std::sqrt(var_z / n));
      EXPECT_GT(drift, 5 * std::sqrt(var_z / n));  // resolved by the sample
    }
  }
}

// Spread of the gaps, about their mean.
double standard_deviation(const std::vector<double>& x) {
  double sum = 0, sum2 = 0;
  for (double v : x) sum += v;
  const double mean = sum / static_cast<double>(x.size());
  for (double v : x) sum2 += (v - mean) * (v - mean);
  return std::sqrt(sum2 / static_cast<double>(x.size()));
}

// Particles started at the bottom of the secondary minimum spread into
// Boltzmann's distribution of its potential at T' (with the hindered draws:
// the spread reaches Boltzmann's within 5 % after 2000 steps, within 1 %
// after 5000); with the bulk draws they stay in a sliver at the bottom of
// the well. After 6000 steps (0.07 s), the gaps of the particles inside
// the window E < E_min + 4 kT' are compared with Boltzmann's distribution
// restricted to that window.
TEST(NearWallBrownian, TheSecondaryMinimumHoldsBoltzmannsDistribution) {
  const RunParameters p = secondary_minimum();
  const Profile profile = energy_profile(prepare_run(p, 1), 2e-9, 3e-7);
  const std::size_t m = profile.minimum();
  const double E_min = profile.E[m];
  ASSERT_GT(E_min, -6.0);
  ASSERT_LT(E_min, -4.0);
  ASSERT_GT(profile.gap(m), 1e-8);
  std::size_t low = m, high = m;
  while (profile.E[low] < E_min + 4) --low;
  while (profile.E[high] < E_min + 4) ++high;
  // Boltzmann's cumulative weight over the window.
  std::vector<double> cumulative(high - low + 1, 0.0);
  for (std::size_t k = low + 1; k <= high; ++k) {
    cumulative[k - low] = cumulative[k - low - 1] + 0.5 * (std::exp(-(profile.E[k - 1] - E_min)) +
                                                           std::exp(-(profile.E[k] - E_min)));
  }
  const auto boltzmann_cdf = [&](double H) {
    const double x = (H - profile.gap(low)) / Profile::STEP;
    const std::size_t k = std::min(static_cast<std::size_t>(x), cumulative.size() - 2);
    return (cumulative[k] + (x - static_cast<double>(k)) * (cumulative[k + 1] - cumulative[k])) /
           cumulative.back();
  };
  double boltzmann_mean = 0, boltzmann_square = 0;
  for (std::size_t k = low; k <= high; ++k) {
    const double w = std::exp(-(profile.E[k] - E_min)) / cumulative.back();
    boltzmann_mean += w * profile.gap(k);
    boltzmann_square += w * profile.gap(k) * profile.gap(k);
  }
  const double boltzmann_spread = std::sqrt(boltzmann_square - boltzmann_mean * boltzmann_mean);

  const int steps = 6000;
  double statistic[2] = {0, 0}, spread[2] = {0, 0};
  for (BrownianModel model : {BrownianModel::hindered, BrownianModel::bulk}) {
    const RunContext run = prepare_run(p, 1, model);
    auto pr = std::make_unique<ParticleRun>();
    std::vector<double> inside;
    // Fewer for the bulk draws, which fail by far.
    const int particles = model == BrownianModel::hindered ? 1500 : 300;
    for (int k = 1; k <= particles; ++k) {
      place(run, *pr, profile.gap(m), k);
      for (int n = 0; n < steps; ++n) time_step(run, *pr, nullptr);
      ASSERT_EQ(pr->s.bookkeeping.ATTACHK, Fate::Unresolved);
      if (pr->s.motion.H >= profile.gap(low) && pr->s.motion.H <= profile.gap(high)) inside.push_back(pr->s.motion.H);
    }
    std::sort(inside.begin(), inside.end());
    // Kolmogorov-Smirnov distance of the sample to the window's Boltzmann
    // distribution.
    double D = 0;
    const double count = static_cast<double>(inside.size());
    for (std::size_t i = 0; i < inside.size(); ++i) {
      const double F = boltzmann_cdf(inside[i]);
      D = std::max({D, std::fabs(F - i / count), std::fabs(F - (i + 1) / count)});
    }
    const int k = model == BrownianModel::hindered ? 0 : 1;
    statistic[k] = D * std::sqrt(count);
    spread[k] = standard_deviation(inside);
    std::printf("[ %8s ] %zu of %d particles in the window, sqrt(n) D_KS = %.3f, spread %.3f nm "
                "(Boltzmann %.3f nm)\n",
                brownian_model_name(model), inside.size(), particles, statistic[k],
                spread[k] * 1e9, boltzmann_spread * 1e9);
  }
  // Kolmogorov's distribution: sqrt(n) D exceeds 1.63 with probability 1 %.
  // (Measured: 1.15 hindered; 10.1 bulk, whose spread is 0.33 nm against 5.4 nm.)
  EXPECT_LT(statistic[0], 1.63);
  EXPECT_GT(statistic[1], 1.63);
  EXPECT_TRUE(RelNear(spread[0], boltzmann_spread, 0.1));
}

// Mean time to climb out of the secondary minimum to the gap where the
// energy has risen dE = 2, 3 and 4 kT' above its bottom, against the exact
// mean first-passage time of one-dimensional diffusion with the normal
// diffusivity D(H) = kB T' FUN1 / M3 in E(H), from the bottom H_m, reflected
// far inside (at 2 nm, hundreds of kT' up the primary barrier):
//   t(b) = int_{H_m}^{b} dy exp(E(y)/kT') / D(y) int_{2 nm}^{y} exp(-E(z)/kT') dz.
// It grows as exp(dE/kT') times a factor that varies slowly with dE (here
// t exp(-dE/kT') is 1.6, 2.3 and 3.7 ms: the well widens outwards).
TEST(NearWallBrownian, EscapeFromTheSecondaryMinimumTakesTheDiffusionTime) {
  RunParameters p = secondary_minimum();
  const Profile profile = energy_profile(prepare_run(p, 1), 2e-9, 3e-7);
  const std::size_t m = profile.minimum();
  const double E_min = profile.E[m];
  const double rises[3] = {2, 3, 4};
  const double kT = thermal_energy(p);
  const double M3 = STOKES_M3(p.VISC, p.AP);

  const RunContext run = prepare_run(p, 1, BrownianModel::hindered);
  const double DT = p.MULTNS * run.c.DTMRT;
  double predicted[3];
  double exit_gap[3];
  for (int j = 0; j < 3; ++j) {
    exit_gap[j] = profile.outer_gap(rises[j]);
    // Checked only once per step, a passage is seen late: the exit lies in
    // effect 0.5826 step deviations further out (Broadie, Glasserman and
    // Kou 1997).
    const double D_exit = kT * FUN1(exit_gap[j] / p.AP) / M3;
    const double b = exit_gap[j] + 0.5826 * std::sqrt(2 * D_exit * DT);
    double inner = 0, t = 0;
    for (std::size_t k = 1; profile.gap(k) <= b; ++k) {
      inner += 0.5 * (std::exp(-(profile.E[k - 1] - E_min)) + std::exp(-(profile.E[k] - E_min))) *
               Profile::STEP;
      if (k <= m) continue;
      const double y = profile.gap(k);
      const double D = kT * FUN1(y / p.AP) / M3;
      t += std::exp(profile.E[k] - E_min) / D * inner * Profile::STEP;
    }
    predicted[j] = t;
  }

  const int particles = 400;
  double sum[3] = {0, 0, 0}, sum2[3] = {0, 0, 0};
  auto pr = std::make_unique<ParticleRun>();
  for (int k = 1; k <= particles; ++k) {
    place(run, *pr, profile.gap(m), k);
    int reached = 0;
    while (reached < 3) {
      time_step(run, *pr, nullptr);
      ASSERT_EQ(pr->s.bookkeeping.ATTACHK, Fate::Unresolved);
      while (reached < 3 && pr->s.motion.H >= exit_gap[reached]) {
        const double t = pr->s.bookkeeping.ELAPSED;
        sum[reached] += t;
        sum2[reached] += t * t;
        ++reached;
      }
    }
  }
  for (int j = 0; j < 3; ++j) {
    const double mean = sum[j] / particles;
    const double error = std::sqrt((sum2[j] / particles - mean * mean) / particles);
    std::printf("[ escape ] dE = %.0f kT' at %.2f nm: mean %.4g s +- %.2g, diffusion %.4g s\n",
                rises[j], exit_gap[j] * 1e9, mean, error, predicted[j]);
    // Four standard errors of the sample's mean (measured: within 1.3).
    EXPECT_NEAR(mean, predicted[j], 4 * error) << rises[j];
  }
  // With the bulk draws (about 0.03 T' here) no particle climbs even 2 kT'
  // in five times the hindered mean.
  const RunContext bulk = prepare_run(p, 1, BrownianModel::bulk);
  const int steps = static_cast<int>(5 * (sum[0] / particles) / DT);
  for (int k = 1; k <= 50; ++k) {
    place(bulk, *pr, profile.gap(m), k);
    double highest = 0;
    for (int n = 0; n < steps; ++n) {
      time_step(bulk, *pr, nullptr);
      highest = std::max(highest, pr->s.motion.H);
    }
    EXPECT_LT(highest, exit_gap[0]) << k;
  }
}

}  // namespace
}  // namespace colloidsim
