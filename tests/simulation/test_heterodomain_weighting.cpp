#include "simulation/heterodomain_weighting.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/constants.h"
#include "forces/edl.h"
#include "io/echo.h"
#include "io/parameter_file.h"
#include "random/seeding.h"
#include "simulation/run_context.h"
#include "simulation/setup.h"
#include "simulation/trajectory.h"
#include "simulation/velocity_update.h"
#include "surface/fractional_area.h"
#include "surface/hettrack.h"
#include "surface/hettrackp.h"
#include "surface/transformations.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;
using testing::source_path;

// Reference values marked "script" come from
// tests/simulation/reference/heterodomain_weighting.py.

// examples/heterogeneous: HETMODE 9, SCOV 0.05, RHET0 1.2e-7 m; HETMODEP 1,
// SCOVP 0.10, RHETP0 5e-9 m; base zeta potentials -0.040 V (collector) and
// -0.030 V (particle), heterodomains +0.030 V and +0.020 V; IS 10 mol/m3.
RunParameters example_parameters() {
  return read_parameter_file(source_path("examples/heterogeneous/INPUT.IN")).parameters;
}

template <typename Change>
RunContext example_run(Change change) {
  RunParameters p = example_parameters();
  change(p);
  return prepare_run(p, std::uint64_t{1});
}

// The colloidal forces of a whole state: the heterodomain kinds go to its
// bookkeeping.
void colloidal_forces(const RunContext& run, ParticleState& s, HeterodomainWeighting& het,
                      bool lay_out) {
  colloidsim::colloidal_forces(run, s.motion, s.forces, s.bookkeeping.HETTYPE, het, lay_out);
}

// Particle at gap H over the collector surface point of polar angle theta and
// azimuth phi; smooth surfaces, no contact.
ParticleState state_at(const RunContext& run, double theta, double phi, double H, std::int32_t REGIME) {
  ParticleState s;
  const double distance = (run.p.AG + run.p.AP) + H;
  s.motion.X = distance * std::sin(theta) * std::cos(phi);
  s.motion.Y = distance * std::sin(theta) * std::sin(phi);
  s.motion.Z = distance * std::cos(theta);
  s.motion.R = std::sqrt(s.motion.X * s.motion.X + s.motion.Y * s.motion.Y + s.motion.Z * s.motion.Z);
  s.motion.H = (s.motion.R - run.p.AG) - run.p.AP;
  s.motion.ENX = s.motion.X / s.motion.R;
  s.motion.ENY = s.motion.Y / s.motion.R;
  s.motion.ENZ = s.motion.Z / s.motion.R;
  s.motion.REGIME = REGIME;
  s.bookkeeping.ISTEP = 2;
  s.motion.RZOI = run.free_zones.RZOI;
  s.motion.NASP = run.free_zones.NASP;
  s.motion.NASPAB = run.free_zones.NASPAB;
  return s;
}

// The projection point lies at distance d (m) from the north pole in the
// tangent plane when the particle sits at polar angle asin(d / AG).
ParticleState state_over_pole(const RunContext& run, double d, double phi, double H,
                              std::int32_t REGIME = 2) {
  return state_at(run, std::asin(d / run.p.AG), phi, H, REGIME);
}

// F(ZETAC, ZETAP): the double layer through the full argument list.
double F(const RunContext& run, const ParticleState& s, double ZETAC, double ZETAP) {
  const RunParameters& p = run.p;
  double FEDL = 0;
  FORCEEDL(run.c.KAPPA, KB, run.c.ERE0, p.T, p.ZI, E_CHARGE, ZETAC, ZETAP, p.AG, p.AP, p.ASP,
           s.motion.NASP, p.RMODE, s.motion.H, PI, FEDL);
  return FEDL;
}

// The four partial forces, each rounded to single precision, weighted in the
// order the model fixes.
double weighted_by_hand(const RunContext& run, const ParticleState& s, double W_P, double W_C, double W_PC,
                        double W_0) {
  const RunParameters& p = run.p;
  return ((W_P * round_sp(F(run, s, p.ZETACST, p.ZETAHETP)) +
           W_C * round_sp(F(run, s, p.ZETAHET, p.ZETAPST))) +
          W_PC * round_sp(F(run, s, p.ZETAHET, p.ZETAHETP))) +
         W_0 * round_sp(F(run, s, p.ZETACST, p.ZETAPST));
}

bool same_bits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Overlap area of two discs, as the sum of the two circular segments cut off
// by their common chord.
double disc_overlap(double r1, double r2, double d) {
  if (d >= r1 + r2) return 0.0;
  if (d <= std::fabs(r1 - r2)) return std::numbers::pi * std::pow(std::fmin(r1, r2), 2);
  const double x1 = (d * d + r1 * r1 - r2 * r2) / (2 * d);
  const double x2 = d - x1;
  return (r1 * r1 * std::acos(x1 / r1) - x1 * std::sqrt(r1 * r1 - x1 * x1)) +
         (r2 * r2 * std::acos(x2 / r2) - x2 * std::sqrt(r2 * r2 - x2 * x2));
}

TEST(HeterodomainWeighting, BaseForceWhereverTheWeightingIsOff) {
  struct Case {
    const char* name;
    double SCOV, SCOVP;
    std::int32_t RMODE;
    std::int32_t REGIME;
    double H;
  };
  // Straight over the pole heterodomain of the collector: the weighting
  // would change the force if it ran.
  const Case cases[] = {
      {"bulk regime with heterodomains", 0.05, 0.10, 0, 1, 5e-7},
      {"bulk regime, rough surfaces", 0.05, 0.10, 3, 1, 3e-7},
      {"near surface without heterodomains", 0.0, 0.0, 0, 2, 2e-8},
  };
  for (const Case& c : cases) {
    RunContext run = example_run([&](RunParameters& p) {
      p.SCOV = c.SCOV;
      p.SCOVP = c.SCOVP;
      p.RMODE = c.RMODE;
      if (c.RMODE == 3) p.ASP = 5e-9;
    });
    HeterodomainWeighting het;
    ParticleState s = state_over_pole(run, 0.0, 0.0, c.H, c.REGIME);
    s.bookkeeping.HETTYPE = 3;
    colloidal_forces(run, s, het, true);
    EXPECT_EQ(s.forces.AFRACT, -1.0) << c.name;
    EXPECT_TRUE(same_bits(s.forces.FEDL, F(run, s, run.p.ZETACST, run.p.ZETAPST)))
        << c.name << ": " << s.forces.FEDL << " against " << F(run, s, run.p.ZETACST, run.p.ZETAPST);
    EXPECT_EQ(s.bookkeeping.HETTYPE, 3) << c.name;
  }
}

TEST(HeterodomainWeighting, ParticleHeterodomainsAloneOverTheCollectorBase) {
  RunContext run = example_run([](RunParameters& p) { p.SCOV = 0; });
  HeterodomainWeighting het;
  ParticleState first = state_at(run, 0.4, 1.0, 2e-8, 2);
  colloidal_forces(run, first, het, true);
  const struct {
    double theta, phi, H;
  } positions[] = {{0.4, 1.0, 2e-8}, {2.0, 4.0, 1e-9}, {0.0, 0.0, 1.5e-7}, {3.1, 5.5, 6e-10}};
  for (const auto& at : positions) {
    ParticleState s = state_at(run, at.theta, at.phi, at.H, 2);
    s.bookkeeping.HETTYPE = 0;
    colloidal_forces(run, s, het, false);
    std::int32_t HETTYPE = 0;
    const ZoiWeights w = het.weights(run, HETTYPE);
    ASSERT_GT(w.W_P, 0.0) << "no particle heterodomain in the zone at theta " << at.theta;
    EXPECT_EQ(w.W_C, 0.0);
    EXPECT_EQ(w.W_PC, 0.0);
    EXPECT_TRUE(same_bits(w.AFRACT, w.W_P));
    EXPECT_TRUE(same_bits(w.W_0, 1.0 - w.W_P));
    EXPECT_TRUE(same_bits(s.forces.AFRACT, w.W_P));
    EXPECT_EQ(s.bookkeeping.HETTYPE, 0);
    const RunParameters& p = run.p;
    const double expected = w.W_P * round_sp(F(run, s, p.ZETACST, p.ZETAHETP)) +
                            w.W_0 * round_sp(F(run, s, p.ZETACST, p.ZETAPST));
    EXPECT_TRUE(same_bits(s.forces.FEDL, expected)) << s.forces.FEDL << " against " << expected;

    // The projected circles are disjoint, so W_P is their overlap with the
    // zone over its area. 1e-6: the model's lens takes arc cosines of
    // quotients rounded to single precision.
    const std::vector<double>& MPRO_T = het.MPRO_T();
    const std::size_t n = static_cast<std::size_t>(het.NPRO());
    double covered = 0;
    for (std::size_t i = 0; i < n; ++i) {
      covered +=
          disc_overlap(run.c.RZOIBULK, MPRO_T[2 * n + i], std::hypot(MPRO_T[i], MPRO_T[n + i]));
    }
    EXPECT_TRUE(RelNear(w.W_P, covered / (std::numbers::pi * std::pow(run.c.RZOIBULK, 2)), 1e-6));
  }
}

TEST(HeterodomainWeighting, NothingInTheZoneKeepsTheBaseForceAndHettype) {
  // HETMODE 1: single discs of RHET0 = 1.2e-7 m on rings DTHETA AG =
  // 9.63e-7 m apart (script); the zone has radius 7.80e-8 m. 3.5e-7 m from the
  // pole disc, or 0.45 ring spacings off a ring, the zone touches no disc.
  RunContext run = example_run([](RunParameters& p) {
    p.HETMODE = 1;
    p.SCOVP = 0;
  });
  const double DTHETA =
      collector_lattice(run.p.AG, 1, run.p.SCOV, run.p.RHET0, run.p.RHET1, run.p.RHET2).DTHETA;
  const ParticleState positions[] = {state_over_pole(run, 3.5e-7, 0.9, 2e-8),
                                     state_at(run, 100.45 * DTHETA, 1.234, 2e-8, 2),
                                     state_at(run, 400.55 * DTHETA, 4.321, 1e-9, 3)};
  for (ParticleState s : positions) {
    HeterodomainWeighting het;
    s.bookkeeping.HETTYPE = 4;
    colloidal_forces(run, s, het, true);
    EXPECT_EQ(s.forces.AFRACT, 0.0) << "at Z = " << s.motion.Z;
    EXPECT_TRUE(same_bits(s.forces.FEDL, F(run, s, run.p.ZETACST, run.p.ZETAPST)));
    EXPECT_EQ(s.bookkeeping.HETTYPE, 4);
  }
}

TEST(HeterodomainWeighting, BaseZetaPotentialsOfUnlikeSignSwitchHeterodomainsOff) {
  const struct {
    double ZETACST, ZETAPST;
  } cases[] = {{0.040, -0.030}, {-0.040, 0.030}, {0.0, -0.030}};
  for (const auto& c : cases) {
    const RunContext run = example_run([&](RunParameters& p) {
      p.ZETACST = c.ZETACST;
      p.ZETAPST = c.ZETAPST;
    });
    // Setup decides it once; the run's first files still echo the coverages read.
    EXPECT_EQ(run.initial.SCOV, 0.05);
    EXPECT_EQ(run.p.SCOV, 0.0) << c.ZETACST;
    EXPECT_EQ(run.p.SCOVP, 0.0) << c.ZETACST;
    HeterodomainWeighting het;
    // Over the pole heterodomain, near the surface and then in contact.
    for (std::int32_t REGIME : {2, 3}) {
      ParticleState s = state_over_pole(run, 1e-8, 0.0, REGIME == 2 ? 2e-8 : 4e-10, REGIME);
      colloidal_forces(run, s, het, REGIME == 2);
      EXPECT_EQ(s.forces.AFRACT, -1.0) << c.ZETACST;
      EXPECT_TRUE(same_bits(s.forces.FEDL, F(run, s, c.ZETACST, c.ZETAPST))) << c.ZETACST;
      EXPECT_EQ(het.NPRO(), 0) << "particle heterodomains laid out";
    }
  }
}

TEST(HeterodomainWeighting, CollectorHeterodomainCoversAKnownPartOfTheZone) {
  // HETMODE 1, no particle heterodomains: the pole disc (radius 1.2e-7 m)
  // and the zone (7.80e-8 m) at distance d in the tangent plane. W_C is the
  // disc overlap over the zone's area (script). 1e-6 relative: the model's
  // lens takes arc cosines of quotients rounded to single precision, and its
  // tangent frame is built with pi in single precision.
  RunContext run = example_run([](RunParameters& p) {
    p.HETMODE = 1;
    p.SCOVP = 0;
  });
  const struct {
    double d;
    double W_C;
  } cases[] = {
      {0.0, 1.0},                     // zone inside the disc
      {2e-8, 1.0},                    // still inside, off centre
      {6e-8, 0.9057162408009728},     // zone centre inside the disc, rim outside
      {1.5e-7, 0.21518440387304882},  // zone centre outside the disc
  };
  for (const auto& c : cases) {
    HeterodomainWeighting het;
    ParticleState s = state_over_pole(run, c.d, 0.7, 2e-8);
    colloidal_forces(run, s, het, true);
    std::int32_t HETTYPE = 0;
    const ZoiWeights w = het.weights(run, HETTYPE);
    EXPECT_TRUE(RelNear(w.W_C, c.W_C, 1e-6)) << "d = " << c.d;
    EXPECT_EQ(w.W_P, 0.0);
    EXPECT_EQ(w.W_PC, 0.0);
    EXPECT_TRUE(same_bits(w.AFRACT, w.W_C));
    EXPECT_TRUE(same_bits(s.forces.AFRACT, w.W_C));
    EXPECT_EQ(s.bookkeeping.HETTYPE, 1);
    EXPECT_TRUE(same_bits(s.forces.FEDL, weighted_by_hand(run, s, w.W_P, w.W_C, w.W_PC, w.W_0)))
        << "d = " << c.d;
  }
  // Fully inside the positive disc the particle (negative) is attracted by
  // the collector heterodomain alone.
  HeterodomainWeighting het;
  ParticleState s = state_over_pole(run, 0.0, 0.0, 2e-8);
  colloidal_forces(run, s, het, true);
  EXPECT_EQ(s.forces.FEDL, round_sp(F(run, s, run.p.ZETAHET, run.p.ZETAPST)));
  EXPECT_LT(s.forces.FEDL, 0.0);
  EXPECT_GT(F(run, s, run.p.ZETACST, run.p.ZETAPST), 0.0);
}

TEST(HeterodomainType, SequencesOfTouchedHeterodomains) {
  // Worked out by hand: k = 1 sets 1; the first ring (k = 2..9) turns 0 into 2
  // and 1 into 4; the outer ring of HETMODE 73 (k > 9) turns 0, 1, 2 into 3,
  // 5, 6; any other value stays.
  const struct {
    std::int32_t HETMODE, start;
    std::vector<int> touched;
    std::int32_t expected;
  } cases[] = {
      {1, 0, {1}, 1},
      {5, 0, {2, 3}, 2},
      {5, 0, {1, 4}, 4},
      {9, 0, {9}, 2},
      {9, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 4},
      {9, 4, {5}, 4},
      {9, 2, {1}, 1},
      {73, 0, {1}, 1},
      {73, 0, {9}, 2},
      {73, 0, {10}, 3},
      {73, 0, {1, 2}, 4},
      {73, 0, {1, 73}, 5},
      {73, 0, {3, 40}, 6},
      {73, 0, {1, 2, 10}, 4},
      {73, 3, {2}, 3},
      {73, 5, {30}, 5},
      {73, 6, {1}, 1},
      {73, 6, {}, 6},
  };
  for (const auto& c : cases) {
    std::int32_t HETTYPE = c.start;
    for (int k : c.touched) HETTYPE = touched_heterodomain_type(HETTYPE, c.HETMODE, k);
    EXPECT_EQ(HETTYPE, c.expected) << "HETMODE " << c.HETMODE << ", from " << c.start << ", "
                                   << c.touched.size() << " touched";
  }
}

TEST(HeterodomainType, ClassesFromRealWeightings) {
  // Positions over the north-pole cluster designed by the script, which
  // lists the heterodomains each zone touches (with a margin of at least 0.13
  // zone radii from tangency): IS 1 mol/m3 widens the zone to reach two
  // members of the cluster.
  const struct {
    double IS, RZOIBULK;
    std::int32_t HETMODE;
    double d, phi;
    std::int32_t expected;
  } cases[] = {
      {10.0, 7.800073827883717e-08, 1, 0.0, 0.3, 1},          // centre
      {10.0, 7.800073827883717e-08, 9, 4.41e-7, 0.0, 2},      // satellite 2
      {10.0, 7.800073827883717e-08, 73, 6.98e-7, 0.2618, 3},  // outer member 17
      {1.0, 1.3870710684909099e-07, 5, 2.33e-7, 0.0, 4},      // centre and satellite 2
      {1.0, 1.3870710684909099e-07, 73, 2.38e-7, 0.2618, 5},  // centre, outer 13, 16, 18
      {10.0, 7.800073827883717e-08, 73, 5.18e-7, 0.157, 6},   // satellite 2, outer 15
  };
  for (const auto& c : cases) {
    RunContext run = example_run([&](RunParameters& p) {
      p.IS = c.IS;
      p.HETMODE = c.HETMODE;
      p.SCOVP = 0;
    });
    ASSERT_TRUE(RelNear(run.c.RZOIBULK, c.RZOIBULK, 1e-14));
    HeterodomainWeighting het;
    ParticleState s = state_over_pole(run, c.d, c.phi, 2e-8);
    colloidal_forces(run, s, het, true);
    EXPECT_EQ(s.bookkeeping.HETTYPE, c.expected) << "HETMODE " << c.HETMODE << ", d = " << c.d;
  }
}

TEST(HeterodomainType, ResetAtTheStartOfEveryParticle) {
  // HETMODE 9 over satellite 2 gives 2 from 0, but 4 from a leftover 1.
  RunContext run = example_run([](RunParameters& p) { p.SCOVP = 0; });
  auto pr = std::make_unique<ParticleRun>();
  seed_from_option(pr->stream, 11, 1);
  pr->s.bookkeeping.HETTYPE = 1;
  start_particle(run, *pr, 1, nullptr);
  EXPECT_EQ(pr->s.bookkeeping.HETTYPE, 0);

  const ParticleState over = state_over_pole(run, 4.41e-7, 0.0, 4e-10, 3);
  RestartRecord record;
  record.XINIT = over.motion.X;
  record.YINIT = over.motion.Y;
  record.ZINIT = over.motion.Z;
  record.RINIT = over.motion.R;
  record.HINIT = over.motion.H;
  record.RINJ = std::hypot(over.motion.X, over.motion.Y);
  pr->s.bookkeeping.HETTYPE = 1;
  start_particle(run, *pr, 2, &record);
  EXPECT_EQ(pr->s.motion.REGIME, 3);
  EXPECT_EQ(pr->s.bookkeeping.HETTYPE, 2);
}

TEST(HeterodomainWeighting, RealisedParticleCoverageReplacesTheRequestedOne) {
  // Script: NCLP = 4000 clusters realise 2000 (1 - cos 0.01) of the surface.
  constexpr double REALISED = 0.09999916666947328;
  const RunContext run = example_run([](RunParameters&) {});
  const auto echo = [&run](const RunParameters& p) {
    std::string text;
    append_echo(text, p, echo_values(run.c));
    return text;
  };
  EXPECT_NE(echo(run.initial).find("SCOVP=  0.10000000E+00"), std::string::npos);
  EXPECT_TRUE(RelNear(run.p.SCOVP, REALISED, 1e-14));
  EXPECT_NE(echo(run.p).find("SCOVP=  0.99999167E-01"), std::string::npos) << echo(run.p);
}

TEST(HeterodomainWeighting, RealisedCoverageIsALatticeFactAndLaysOutTheSameLattice) {
  // Whatever the gap a lay-out happens at, HETTRACKP realises the coverage
  // setup computed; laid out from that coverage, the lattice is the same
  // heterodomain for heterodomain, so particles can start from it.
  const struct {
    std::int32_t HETMODEP;
    double SCOVP, RHETP0, RHETP1;
  } lattices[] = {{1, 0.10, 5e-9, 2e-9},  {5, 0.20, 8e-9, 3e-9},   {9, 0.05, 1e-8, 4e-9},
                  {9, 0.30, 6e-9, 2e-9},  {1, 0.004, 2e-8, 1e-8},  {5, 0.37, 1.5e-8, 6e-9}};
  constexpr double AP = 0.5e-6, RZOIBULK = 7.8e-8;
  for (const auto& l : lattices) {
    const double realised = realised_particle_coverage(AP, l.HETMODEP, l.SCOVP, l.RHETP0, l.RHETP1);
    std::vector<double> first[8];
    for (double SCOVP_in : {l.SCOVP, realised}) {
      for (double H : {1e-5, 3e-8, 2e-10}) {
        std::vector<double> t[8];
        std::int32_t NHETP = 0, NPRO = 0;
        double SCOVP = SCOVP_in;
        HETTRACKP(0, 0, 0, H, RZOIBULK, AP, l.HETMODEP, SCOVP, l.RHETP0, l.RHETP1, NHETP, t[0],
                  t[1], t[2], t[3], NPRO, t[4], t[5], t[6], t[7]);
        EXPECT_TRUE(same_bits(SCOVP, realised)) << l.HETMODEP << " " << l.SCOVP << " H " << H;
        if (first[0].empty()) {
          for (int k = 0; k < 8; ++k) first[k] = t[k];
        }
        // The plane of the projections (ZPRO, t[6]) follows the gap.
        for (int k : {0, 1, 2, 3, 4, 5, 7}) {
          EXPECT_EQ(t[k], first[k]) << l.HETMODEP << " " << l.SCOVP << " table " << k;
        }
      }
    }
  }
}

TEST(HeterodomainWeighting, ParticleLayoutAtTheStart) {
  RunContext run = example_run([](RunParameters&) {});
  HeterodomainWeighting het;
  ParticleState start = state_at(run, 0.1, 2.0, 4e-5, 1);
  het.follow_particle(run, start.motion, true);
  const std::int32_t NPRO = het.NPRO();
  EXPECT_GT(NPRO, 0);
  EXPECT_EQ(het.MPRO_T().size(), 3 * static_cast<std::size_t>(NPRO));
  ParticleState later = state_at(run, 0.2, 2.1, 1e-8, 2);
  het.follow_particle(run, later.motion, false);
  EXPECT_EQ(het.NPRO(), NPRO);
  EXPECT_EQ(het.MPRO_T().size(), 3 * static_cast<std::size_t>(NPRO));

  // Without particle heterodomains one all-zero row stands for them.
  RunContext bare = example_run([](RunParameters& p) { p.SCOVP = 0; });
  HeterodomainWeighting bare_het;
  bare_het.follow_particle(bare, start.motion, true);
  EXPECT_EQ(bare_het.NPRO(), 1);
  EXPECT_EQ(bare_het.MPRO_T(), std::vector<double>(3, 0.0));
}

TEST(HeterodomainWeighting, AzimuthStaysFiniteOverTheXzPlane) {
  // With Y = 0 the single-precision rho can fall below |X|, putting the
  // arc cosine's argument just outside [-1, 1].
  RunContext run = example_run([](RunParameters&) {});
  double X = 2.555e-4;
  while (!(round_sp(X) < X)) X = std::nextafter(X, 1.0);
  for (double sign : {1.0, -1.0}) {
    ParticleState s = state_at(run, 0.0, 0.0, 1e-8, 2);
    s.motion.X = sign * X;
    s.motion.Z = 1e-6;
    s.motion.R = std::hypot(s.motion.X, s.motion.Z);
    s.motion.ENX = s.motion.X / s.motion.R;
    s.motion.ENZ = s.motion.Z / s.motion.R;
    HeterodomainWeighting het;
    het.follow_particle(run, s.motion, true);
    EXPECT_EQ(het.PHI(), sign > 0 ? 0.0 : std::acos(-1.0));
    std::int32_t HETTYPE = 0;
    const ZoiWeights w = het.weights(run, HETTYPE);
    EXPECT_TRUE(std::isfinite(w.AFRACT) && std::isfinite(w.W_0));
  }
}

// Projection point, polar angle and azimuth of a position, and the cluster of
// collector heterodomains under it in the tangent frame (all 100 entries
// carried over; zero without collector heterodomains).
struct LocalCluster {
  double XG = 0, YG = 0, ZG = 0, THETA = 0, PHI = 0;
  HetTable XHET_T{}, YHET_T{}, ZHET_T{}, RHET_T{};
};

LocalCluster local_cluster(const RunContext& run, const ParticleState& s) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  LocalCluster l;
  l.XG = c.XM0 + s.motion.ENX * p.AG;
  l.YG = c.YM0 + s.motion.ENY * p.AG;
  l.ZG = c.ZM0 + s.motion.ENZ * p.AG;
  const double dx = s.motion.X - c.XM0, dy = s.motion.Y - c.YM0, dz = s.motion.Z - c.ZM0;
  l.THETA = std::acos(dz / std::sqrt(dx * dx + dy * dy + dz * dz));
  const double rho = round_sp(std::sqrt(dx * dx + dy * dy));
  if (rho != 0) {
    // A quotient beyond 1 from the single-precision rho counts as 1.
    const double angle = std::acos(std::fmax(-1.0, std::fmin(1.0, dx / rho)));
    l.PHI = dy >= 0 ? angle : (PI + PI) - angle;
  }
  if (p.SCOV > 0) {
    HetTable XHET{}, YHET{}, ZHET{}, RHET{};
    HETTRACK(s.motion.X, s.motion.Y, s.motion.Z, c.XM0, c.YM0, c.ZM0, p.AG, s.motion.RZOI, p.HETMODE, p.SCOV, p.RHET0, p.RHET1,
             p.RHET2, XHET, YHET, ZHET, RHET);
    HETC_TRANSFORMATION(l.XG, l.YG, l.ZG, XHET, YHET, ZHET, RHET, p.HETMODE, l.THETA, l.PHI,
                        l.XHET_T, l.YHET_T, l.ZHET_T, l.RHET_T);
  }
  return l;
}

// The weights and the force of one position as the model describes them,
// from the surface operations alone: every heterodomain of the cluster gets
// its fractional-area call, and nothing is kept between positions.
struct FullComputation {
  std::int32_t NPRO = 0;
  std::vector<double> MPRO;

  // The particle's heterodomains laid out at gap H.
  FullComputation(const RunParameters& requested, const RunConstants& c, double H) {
    const RunParameters& p = requested;
    double SCOVP = p.SCOVP;
    std::int32_t NHETP = 0;
    std::vector<double> XHETP, YHETP, ZHETP, RHETP, XPRO, YPRO, ZPRO, RPRO;
    HETTRACKP(c.XM0, c.YM0, c.ZM0, H, c.RZOIBULK, p.AP, p.HETMODEP, SCOVP, p.RHETP0, p.RHETP1,
              NHETP, XHETP, YHETP, ZHETP, RHETP, NPRO, XPRO, YPRO, ZPRO, RPRO);
    if (NPRO == 0) {
      NPRO = 1;
      MPRO.assign(4, 0.0);
      return;
    }
    MPRO.assign(4 * static_cast<std::size_t>(NPRO), 0.0);
    PROJECTION_MATRIX(NPRO, XPRO, YPRO, ZPRO, RPRO, MPRO);
  }

  struct Result {
    double W_P = 0, W_C = 0, W_PC = 0, W_0 = 0, AFRACT = 0, FEDL = 0;
    std::int32_t HETTYPE = 0;
  };

  Result at(const RunContext& run, const ParticleState& s, std::int32_t HETTYPE) const {
    const RunParameters& p = run.p;
    const RunConstants& c = run.c;
    const LocalCluster l = local_cluster(run, s);
    std::vector<double> MPRO_T(3 * static_cast<std::size_t>(NPRO));
    MPRO_TRANSFORMATION(s.motion.X, s.motion.Y, s.motion.Z, l.XG, l.YG, l.ZG, l.THETA, l.PHI, NPRO, MPRO, MPRO_T);

    Result r;
    double AF_PZ = 0, AF_ZH = 0, AF_PZH = 0, AF_Z = 0;
    FRACTIONAL_AREA(c.XM0, c.YM0, c.RZOIBULK, c.XM0, c.YM0, c.ZM0, NPRO, MPRO_T, AF_PZ, AF_ZH,
                    AF_PZH, AF_Z);
    r.W_P = AF_PZ;
    r.AFRACT = r.W_P;
    for (int k = 1; k <= p.HETMODE; ++k) {
      const std::size_t i = static_cast<std::size_t>(k - 1);
      FRACTIONAL_AREA(c.XM0, c.YM0, c.RZOIBULK, l.XHET_T[i], l.YHET_T[i], l.RHET_T[i], NPRO, MPRO_T,
                      AF_PZ, AF_ZH, AF_PZH, AF_Z);
      r.AFRACT += AF_ZH;
      if (AF_ZH > 0) {
        r.AFRACT -= AF_PZH;
        r.W_P -= AF_PZH;
      }
      r.W_C += AF_ZH;
      r.W_PC += AF_PZH;
      if (AF_ZH > 0) {
        if (k == 1) HETTYPE = 1;
        const bool first_ring =
            k > 1 && (p.HETMODE == 5 || p.HETMODE == 9 || (p.HETMODE == 73 && k <= 9));
        if (first_ring && HETTYPE == 0) {
          HETTYPE = 2;
        } else if (first_ring && HETTYPE == 1) {
          HETTYPE = 4;
        }
        if (p.HETMODE == 73 && k > 9) {
          if (HETTYPE == 0) {
            HETTYPE = 3;
          } else if (HETTYPE == 1) {
            HETTYPE = 5;
          } else if (HETTYPE == 2) {
            HETTYPE = 6;
          }
        }
      }
    }
    r.W_0 = ((1 - r.W_P) - r.W_C) - r.W_PC;
    r.HETTYPE = HETTYPE;
    r.FEDL = r.AFRACT > 0 ? weighted_by_hand(run, s, r.W_P, r.W_C, r.W_PC, r.W_0)
                          : F(run, s, p.ZETACST, p.ZETAPST);
    return r;
  }
};

struct Vec {
  double x, y, z;
};

Vec normalised(Vec v) {
  const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return {v.x / l, v.y / l, v.z / l};
}

// Particle at gap H along the unit vector n from the collector centre.
ParticleState state_along(const RunContext& run, Vec n, double H) {
  ParticleState s = state_at(run, 0, 0, H, 2);
  const double distance = (run.p.AG + run.p.AP) + H;
  s.motion.X = distance * n.x;
  s.motion.Y = distance * n.y;
  s.motion.Z = distance * n.z;
  s.motion.R = std::sqrt(s.motion.X * s.motion.X + s.motion.Y * s.motion.Y + s.motion.Z * s.motion.Z);
  s.motion.H = (s.motion.R - run.p.AG) - run.p.AP;
  s.motion.ENX = s.motion.X / s.motion.R;
  s.motion.ENY = s.motion.Y / s.motion.R;
  s.motion.ENZ = s.motion.Z / s.motion.R;
  return s;
}

// Test positions in the near-surface band: anywhere on the collector; with
// the zone over a collector heterodomain (overlapping it fully, partly, or
// just missing it); and around the rim where the zone starts to touch one.
class Positions {
 public:
  Positions(const RunContext& run, std::uint64_t seed) : run_(run), engine_(seed) {}

  double uniform() { return static_cast<double>(engine_() >> 11) * 0x1p-53; }

  double gap() { return 1e-9 + (HNS - 1e-9) * uniform(); }

  ParticleState anywhere() { return state_along(run_, direction(), gap()); }

  ParticleState over_heterodomain() {
    const Aim a = aim();
    const double reach = 1.2 * (run_.c.RZOIBULK + a.radius) * std::sqrt(uniform());
    return state_along(run_, a.at(reach / run_.p.AG), gap());
  }

  // Positions around the rim where the zone starts to touch a heterodomain:
  // the offset from its centre is bisected to the last rounding, then the
  // zone is moved in and out by small fractions of that offset. Adds nothing
  // when the zone does not start over the heterodomain and end clear of it.
  void add_rim(std::vector<ParticleState>& out) {
    const Aim a = aim();
    const double H = gap();
    const auto clearance = [&](double t) {
      const ParticleState s = state_along(run_, a.at(t), H);
      const LocalCluster l = local_cluster(run_, s);
      return std::hypot(l.XHET_T[a.k], l.YHET_T[a.k]) - (run_.c.RZOIBULK + l.RHET_T[a.k]);
    };
    double lo = 0, hi = 2 * (run_.c.RZOIBULK + a.radius) / run_.p.AG;
    if (!(clearance(lo) < 0 && clearance(hi) > 0)) return;
    while (std::nextafter(lo, hi) != hi) {
      const double mid = 0.5 * (lo + hi);
      if (mid == lo || mid == hi) break;
      (clearance(mid) > 0 ? hi : lo) = mid;
    }
    for (double t : {lo, hi}) out.push_back(state_along(run_, a.at(t), H));
    for (double e : {1e-9, 1e-7, 1e-6, 1e-5, 1e-3}) {
      out.push_back(state_along(run_, a.at(lo * (1 - e)), H));
    }
    for (double e : {1e-9, 1e-5}) out.push_back(state_along(run_, a.at(hi * (1 + e)), H));
  }

  // A walk of small steps at one gap, several per lattice site, so that
  // consecutive positions share their ring and site and then cross into the
  // next ones, as a moving particle's do. start: a unit vector, or a random
  // one when zero.
  void add_walk(std::vector<ParticleState>& out, int steps, Vec start) {
    Vec n = start.x == 0 && start.y == 0 && start.z == 0 ? direction() : normalised(start);
    const double H = gap();
    const double spacing = run_.lattice.DS > 0 ? run_.lattice.DS : 1e-6;
    const double length = 0.15 * spacing / run_.p.AG;
    double heading = 2 * std::numbers::pi * uniform();
    for (int k = 0; k < steps; ++k) {
      const Vec t1 = normalised(std::fabs(n.z) < 0.9 ? Vec{-n.y, n.x, 0} : Vec{0, -n.z, n.y});
      const Vec t2 = {n.y * t1.z - n.z * t1.y, n.z * t1.x - n.x * t1.z, n.x * t1.y - n.y * t1.x};
      const double c = std::cos(heading) * length, s = std::sin(heading) * length;
      n = normalised({n.x + c * t1.x + s * t2.x, n.y + c * t1.y + s * t2.y,
                      n.z + c * t1.z + s * t2.z});
      heading += 0.6 * (uniform() - 0.5);
      out.push_back(state_along(run_, n, H));
    }
  }

 private:
  Vec direction() {
    const double cos_theta = 2 * uniform() - 1;
    const double sin_theta = std::sqrt(1 - cos_theta * cos_theta);
    const double phi = 2 * std::numbers::pi * uniform();
    return {sin_theta * std::cos(phi), sin_theta * std::sin(phi), cos_theta};
  }

  // A random member k of the cluster under a random point, and a random
  // direction in the collector's tangent plane at its centre.
  struct Aim {
    std::size_t k;
    double radius;
    Vec centre, along;
    Vec at(double t) const {
      return normalised({centre.x + t * along.x, centre.y + t * along.y, centre.z + t * along.z});
    }
  };

  Aim aim() {
    const RunParameters& p = run_.p;
    const Vec d = direction();
    HetTable X{}, Y{}, Z{}, R{};
    HETTRACK(d.x, d.y, d.z, 0, 0, 0, p.AG, 0, p.HETMODE, p.SCOV, p.RHET0, p.RHET1, p.RHET2, X, Y, Z,
             R);
    Aim a;
    a.k = static_cast<std::size_t>(uniform() * p.HETMODE);
    a.radius = R[a.k];
    const Vec n = normalised({X[a.k], Y[a.k], Z[a.k]});
    const Vec t1 = normalised(std::fabs(n.z) < 0.9 ? Vec{-n.y, n.x, 0} : Vec{0, -n.z, n.y});
    const Vec t2 = {n.y * t1.z - n.z * t1.y, n.z * t1.x - n.x * t1.z, n.x * t1.y - n.y * t1.x};
    const double angle = 2 * std::numbers::pi * uniform();
    a.centre = n;
    a.along = {std::cos(angle) * t1.x + std::sin(angle) * t2.x,
               std::cos(angle) * t1.y + std::sin(angle) * t2.y,
               std::cos(angle) * t1.z + std::sin(angle) * t2.z};
    return a;
  }

  const RunContext& run_;
  std::mt19937_64 engine_;
};

TEST(HeterodomainWeighting, EveryShortcutMatchesTheFullComputationBitForBit) {
  const struct {
    std::int32_t HETMODE;
    double SCOV;
    std::int32_t HETMODEP;
    double SCOVP;
    int draws;
  } configs[] = {
      {9, 0.05, 1, 0.10, 600}, {73, 0.05, 1, 0.10, 600}, {73, 0.20, 9, 0.30, 300},
      {73, 0.0, 1, 0.10, 300}, {9, 0.05, 1, 0.0, 300},
  };
  for (const auto& config : configs) {
    RunParameters requested = example_parameters();
    requested.HETMODE = config.HETMODE;
    requested.SCOV = config.SCOV;
    requested.HETMODEP = config.HETMODEP;
    requested.RHETP1 = 2.0e-9;
    requested.SCOVP = config.SCOVP;
    RunContext run = prepare_run(requested, std::uint64_t{1});
    HeterodomainWeighting het;
    ParticleState start = state_at(run, 1.0, 1.0, 3e-8, 2);
    colloidal_forces(run, start, het, true);
    const FullComputation full(requested, run.c, start.motion.H);
    ASSERT_EQ(het.NPRO(), full.NPRO);

    Positions random(run, 20240611u + static_cast<unsigned>(config.HETMODE));
    std::vector<ParticleState> positions;
    for (int n = 0; n < config.draws; ++n) {
      switch (config.SCOV > 0 ? n % 3 : 0) {
        case 0:
          positions.push_back(random.anywhere());
          break;
        case 1:
          positions.push_back(random.over_heterodomain());
          break;
        default:
          random.add_rim(positions);
      }
    }
    // Walks anywhere and across both poles: the ring and the cluster of the
    // latest site are kept from step to step.
    for (const Vec start : {Vec{0, 0, 0}, Vec{0, 0, 0}, Vec{1e-3, 2e-3, 1}, Vec{-2e-3, 1e-3, -1}}) {
      random.add_walk(positions, config.draws / 4, start);
    }

    const std::string label = "HETMODE " + std::to_string(config.HETMODE) + ", SCOV " +
                              std::to_string(config.SCOV) + ", SCOVP " +
                              std::to_string(config.SCOVP);
    int mismatches = 0, touched = 0, partly_covered = 0;
    for (std::size_t n = 0; n < positions.size(); ++n) {
      ParticleState& s = positions[n];
      const std::int32_t HETTYPE = static_cast<std::int32_t>(random.uniform() * 7);
      s.bookkeeping.HETTYPE = HETTYPE;
      colloidal_forces(run, s, het, false);
      std::int32_t weights_HETTYPE = HETTYPE;
      const ZoiWeights w = het.weights(run, weights_HETTYPE);
      const FullComputation::Result r = full.at(run, s, HETTYPE);

      const bool same = same_bits(w.W_P, r.W_P) && same_bits(w.W_C, r.W_C) &&
                        same_bits(w.W_PC, r.W_PC) && same_bits(w.W_0, r.W_0) &&
                        same_bits(w.AFRACT, r.AFRACT) && weights_HETTYPE == r.HETTYPE &&
                        same_bits(s.forces.AFRACT, r.AFRACT) && same_bits(s.forces.FEDL, r.FEDL) &&
                        s.bookkeeping.HETTYPE == r.HETTYPE;
      if (!same && ++mismatches <= 3) {
        ADD_FAILURE() << label << ", position " << n << " (" << s.motion.X << ", " << s.motion.Y << ", " << s.motion.Z
                      << "), HETTYPE from " << HETTYPE << ":\n  W_P " << w.W_P << " / " << r.W_P
                      << "\n  W_C " << w.W_C << " / " << r.W_C << "\n  W_PC " << w.W_PC << " / "
                      << r.W_PC << "\n  W_0 " << w.W_0 << " / " << r.W_0 << "\n  AFRACT "
                      << w.AFRACT << ", " << s.forces.AFRACT << " / " << r.AFRACT << "\n  FEDL " << s.forces.FEDL
                      << " / " << r.FEDL << "\n  HETTYPE " << weights_HETTYPE << ", " << s.bookkeeping.HETTYPE
                      << " / " << r.HETTYPE;
      }
      if (r.W_C > 0) ++touched;
      if (r.W_C > 0 && r.W_0 > 0) ++partly_covered;
    }
    EXPECT_EQ(mismatches, 0) << label;
    // The positions reach the cases that matter: zones that collector
    // heterodomains touch, mostly in part.
    if (config.SCOV > 0) {
      EXPECT_GT(touched, config.draws / 5) << label;
      EXPECT_GT(partly_covered, config.draws / 5) << label;
    }
  }
}

}  // namespace
}  // namespace colloidsim
