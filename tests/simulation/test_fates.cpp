// Fates of single particles placed where each fate happens, followed by the
// run's own time steps. Brownian noise is off (DIFFSCALE 0) unless a case
// says otherwise, so every outcome is deterministic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/constants.h"
#include "io/output_records.h"
#include "io/parameter_file.h"
#include "simulation/fates.h"
#include "io/validation.h"
#include "random/seeding.h"
#include "simulation/run_context.h"
#include "simulation/trajectory.h"
#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;
using testing::fresh_directory;
using testing::input_with;
using testing::write_text;

// One particle (number 1 of 1) of a run whose parameter file is the favorable
// example with the given values changed.
class Particle {
 public:
  explicit Particle(const Values& values) : pr_(std::make_unique<ParticleRun>()) {
    Values all = {{"NPART", "1"}, {"DIFFSCALE", "0"}};
    all.insert(all.end(), values.begin(), values.end());
    const auto dir = fresh_directory(
        std::string("fates-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    write_text(dir / "INPUT.IN", input_with(all));
    ParameterFile file = read_parameter_file(dir / "INPUT.IN");
    validate_parameters(file);
    run_ = std::make_unique<RunContext>(prepare_run(file.parameters, 1));
    seed_from_option(pr_->stream, 1, 1);
  }

  // Normal start: injected on the upstream side, in the bulk regime.
  void inject() { start_particle(*run_, *pr_, 1, nullptr); }

  // Restart in the contact regime, at rest, with the centre at (X, 0, Z).
  void restart_at(double X, double Z) {
    RestartRecord r;
    r.XINIT = X;
    r.ZINIT = Z;
    r.RINIT = std::hypot(X, Z);
    r.HINIT = r.RINIT - run_->p.AG - run_->p.AP;
    start_particle(*run_, *pr_, 1, &r);
  }

  // Moves the centre to (X, 0, Z) with the velocity (VX, 0, VZ) that the next
  // step moves it by.
  void place(double X, double Z, double VX, double VZ) {
    ParticleState& s = pr_->s;
    s.motion.X = X;
    s.motion.Y = 0;
    s.motion.Z = Z;
    s.motion.R = std::hypot(X, Z);
    s.motion.H = s.motion.R - run_->p.AG - run_->p.AP;
    s.motion.VPX = VX;
    s.motion.VPY = 0;
    s.motion.VPZ = VZ;
  }

  void step() { time_step(*run_, *pr_, nullptr); }
  void steps(int n) {
    for (int k = 0; k < n && pr_->s.bookkeeping.ATTACHK == Fate::Unresolved; ++k) step();
  }
  void to_fate() { run_to_fate(*run_, *pr_, nullptr); }

  ParticleState& s() { return pr_->s; }
  const RunParameters& p() const { return run_->p; }
  const RunConstants& c() const { return run_->c; }

 private:
  std::unique_ptr<RunContext> run_;
  std::unique_ptr<ParticleRun> pr_;
};

// Normal-force balance of the rolling contact: the adhesive load FL (attractive
// forces, drag, lift and gravity along the normal) against the repulsion FR.
void normal_load(const ParticleState& s, double& FL, double& FR) {
  FL = s.forces.FVDW + s.forces.FEDL + s.forces.FGN + s.forces.FLIFT + s.forces.FDRGN;
  if (s.forces.FAB < 0) FL += s.forces.FAB;
  if (s.forces.FSTE < 0) FL += s.forces.FSTE;
  FL = FL > 0 ? 0.0 : -FL;
  FR = s.forces.FBORN + (s.forces.FAB >= 0 ? s.forces.FAB : 0.0) + (s.forces.FSTE >= 0 ? s.forces.FSTE : 0.0);
}

// One step from the front of the collector that lands the particle at the
// undeformed gap `target` (m). The contact deformation then adds up to
// DEFMAX to the separation H, so each case checks which band H reached.
TEST(Fates, OneStepIntoContactAndTheTimeLimit) {
  enum Band { CONTACT_ABOVE_H0, BELOW_H0 };
  // What the velocity update of the step before left: no clamp; the rolling
  // speed clamped to 0 with balanced normal forces; or rolling again with the
  // flag still set (it is only cleared when the normal forces stop balancing).
  enum Torque { FREE, HELD, ROLLING_FLAGGED };
  struct Case {
    const char* name;
    const char* ATTMODE;
    double target;  // undeformed gap after the step, m
    Torque torque;
    bool past_time_limit;  // the step also passes TTIME
    Band band;
    Fate ATTACHK;
  };
  const Case cases[] = {
      {"perfect sink", "0", 3e-10, FREE, false, CONTACT_ABOVE_H0, Fate::Attached},
      {"perfect sink below H0 is not a crash", "0", -1e-10, FREE, false, BELOW_H0, Fate::Attached},
      {"crash", "1", -1e-10, FREE, false, BELOW_H0, Fate::Crashed},
      {"contact alone does not attach", "1", 3e-10, FREE, false, CONTACT_ABOVE_H0, Fate::Unresolved},
      {"held by torque", "1", 3e-10, HELD, false, CONTACT_ABOVE_H0, Fate::Attached},
      {"rolling with the flag set", "1", 3e-10, ROLLING_FLAGGED, false, CONTACT_ABOVE_H0, Fate::Unresolved},
      {"a crash stays a crash when held", "1", -1e-10, HELD, false, BELOW_H0, Fate::Crashed},
      {"time limit over perfect sink", "0", 3e-10, FREE, true, CONTACT_ABOVE_H0, Fate::UnresolvedAtEnd},
      {"time limit over sink below H0", "0", -1e-10, FREE, true, BELOW_H0, Fate::UnresolvedAtEnd},
      {"time limit over crash", "1", -1e-10, FREE, true, BELOW_H0, Fate::UnresolvedAtEnd},
      {"time limit over torque", "1", 3e-10, HELD, true, CONTACT_ABOVE_H0, Fate::UnresolvedAtEnd},
      {"time limit alone", "1", 3e-10, FREE, true, CONTACT_ABOVE_H0, Fate::UnresolvedAtEnd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Particle particle({{"ATTMODE", c.ATTMODE}, {"TTIME", "1.0"}});
    particle.inject();
    ParticleState& s = particle.s();
    const double contact = particle.p().AG + particle.p().AP;
    const double start_gap = 1e-8;
    particle.place(0, contact + start_gap, 0, -(start_gap - c.target) / s.motion.DT);
    if (c.torque != FREE) {
      s.motion.TORQFLAG = 1;
      s.motion.UT = c.torque == HELD ? 0.0 : 1e-9;
    }
    if (c.past_time_limit) s.bookkeeping.PTIMEF = particle.p().TTIME - 0.5 * s.motion.DT;

    particle.step();
    EXPECT_EQ(s.bookkeeping.ATTACHK, c.ATTACHK);
    EXPECT_EQ(s.bookkeeping.ISTEP, 1);
    if (c.band == BELOW_H0) {
      EXPECT_LT(s.motion.H, H0);
    } else {
      EXPECT_GE(s.motion.H, H0);
      EXPECT_LE(s.motion.H, particle.c().HCUT);
    }
  }
}

// Crossing the cell boundary RB in one step, 1e-10 m from inside with an
// outward speed of 1e-5 m/s (1.2e-9 m per bulk step), at the polar angle
// theta from +z. With gravity along z (CBGRAV 1) the particle leaves only
// downstream of the equator and is put back upstream of it; with gravity
// along x (CBGRAV 3) it leaves once below 0.95 ZINIT and otherwise goes on
// outside the cell.
TEST(Fates, CrossingTheCellBoundary) {
  struct Case {
    const char* CBGRAV;
    double theta_degrees;
    Fate ATTACHK;
    bool put_back;
  };
  const Case cases[] = {
      {"1", 120, Fate::Exit, false}, {"2", 120, Fate::Exit, false}, {"1", 60, Fate::Unresolved, true}, {"2", 90, Fate::Unresolved, true},
      {"3", 120, Fate::Exit, false}, {"4", 60, Fate::Exit, false},  {"3", 5, Fate::Unresolved, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("CBGRAV ") + c.CBGRAV + ", theta " + std::to_string(c.theta_degrees));
    Particle particle(Values{{"CBGRAV", c.CBGRAV}});
    particle.inject();
    ParticleState& s = particle.s();
    // As if injected at the top of the cell.
    s.bookkeeping.ZINIT = particle.c().RB;
    const double theta = c.theta_degrees * (std::acos(-1.0) / 180.0);
    const double r = particle.c().RB - 1e-10;
    const double X = r * std::sin(theta), Z = r * std::cos(theta);
    const double speed = 1e-5;
    particle.place(X, Z, speed * std::sin(theta), speed * std::cos(theta));

    particle.step();
    EXPECT_EQ(s.bookkeeping.ATTACHK, c.ATTACHK);
    // R keeps the value of the move, outside the cell, even when put back.
    EXPECT_GT(s.motion.R, particle.c().RB);
    if (c.put_back) {
      EXPECT_EQ(s.motion.X, X);
      EXPECT_EQ(s.motion.Y, 0.0);
      EXPECT_EQ(s.motion.Z, Z);
    } else {
      EXPECT_GT(s.motion.X * s.motion.X + s.motion.Z * s.motion.Z, particle.c().RB * particle.c().RB);
    }
    if (c.put_back) {
      // Outside the cell the flow is the uniform approach flow, which takes
      // the particle back in; it goes on unresolved.
      particle.steps(20);
      EXPECT_EQ(s.bookkeeping.ATTACHK, Fate::Unresolved);
      EXPECT_LT(s.motion.R, particle.c().RB);
      EXPECT_LT(s.motion.Z, Z);
    }
  }
}

// Near the rear axis just inside the cell the flow carries the particle out
// downstream within a few dozen bulk steps (4.7e-10 m each).
TEST(Fates, TheFlowCarriesAParticleOutDownstream) {
  Particle particle(Values{{"TTIME", "0.1"}});
  particle.inject();
  const double r = particle.c().RB - 2e-8;
  const double theta = 3.0;  // rad, a little off the rear axis
  particle.place(r * std::sin(theta), r * std::cos(theta), 0, 0);
  particle.to_fate();
  const ParticleState& s = particle.s();
  EXPECT_EQ(s.bookkeeping.ATTACHK, Fate::Exit);
  EXPECT_GT(s.motion.R, particle.c().RB);
  EXPECT_LT(s.motion.Z, 0.0);
  EXPECT_GT(s.bookkeeping.ISTEP, 10);
}

TEST(Fates, TimeLimitEndsAnUnresolvedParticle) {
  Particle particle(Values{{"TTIME", "0.01"}});
  particle.inject();
  const double DT = particle.s().motion.DT;
  particle.to_fate();
  const ParticleState& s = particle.s();
  EXPECT_EQ(s.bookkeeping.ATTACHK, Fate::UnresolvedAtEnd);
  EXPECT_EQ(s.motion.REGIME, 1);
  // The first step whose clock passes TTIME ends it.
  EXPECT_GT(s.bookkeeping.PTIMEF, 0.01);
  EXPECT_LE(s.bookkeeping.PTIMEF - DT, 0.01);
  EXPECT_EQ(s.bookkeeping.PTIMEF, s.bookkeeping.ELAPSED);
}

// Restarted at rest on the front axis at the primary minimum. The contact
// step is one momentum relaxation time (MULTC 1) so that the particle settles
// into the minimum instead of overshooting it. On the axis the flow has no
// tangential part, so only the adhesive torque acts on the rolling balance.
TEST(Fates, InContactHeldByTorqueOrSlowMotion) {
  const Values contact = {{"ATTMODE", "1"}, {"MULTC", "1"}, {"TTIME", "1e-3"}};
  const auto settle = [&](const Values& extra) {
    Values values = contact;
    values.insert(values.end(), extra.begin(), extra.end());
    auto particle = std::make_unique<Particle>(values);
    const double gap = particle->c().HMIN;
    particle->restart_at(0, particle->p().AG + particle->p().AP + gap);
    particle->to_fate();
    return particle;
  };

  // Lever arm ASP2 = 1e-8 m, slow motion off (DFACTC 0): the rolling speed is
  // clamped to 0 once the normal forces balance, and the particle is held.
  {
    auto particle = settle({{"DFACTC", "0"}});
    const ParticleState& s = particle->s();
    EXPECT_EQ(s.bookkeeping.ATTACHK, Fate::Attached);
    EXPECT_EQ(s.motion.UT, 0.0);
    EXPECT_EQ(s.motion.TORQFLAG, 1);
    EXPECT_EQ(s.motion.REGIME, 3);
    EXPECT_LT(s.bookkeeping.ISTEP, 100);
    EXPECT_GT(s.motion.H, H0);
    EXPECT_LE(s.motion.H, particle->c().HCUT);
    double FL = 0, FR = 0;
    normal_load(s, FL, FR);
    EXPECT_GT(FR, 0.0);
    EXPECT_TRUE(testing::RelNear(FL, FR, 0.005));
  }
  // Without a lever arm (ASP2 0) nothing clamps the rolling speed: with slow
  // motion off the particle sits until the time limit ...
  {
    auto particle = settle({{"DFACTC", "0"}, {"ASP2", "0"}});
    EXPECT_EQ(particle->s().bookkeeping.ATTACHK, Fate::UnresolvedAtEnd);
    EXPECT_EQ(particle->s().motion.TORQFLAG, 0);
  }
  // ... and with it on, the contact window's first test (after more than
  // 1000 contact steps: the window opens on step 1 and counts 1001 on step
  // 1001) finds it still.
  {
    auto particle = settle({{"DFACTC", "0.1"}, {"ASP2", "0"}});
    EXPECT_EQ(particle->s().bookkeeping.ATTACHK, Fate::TorqueSlowMotion);
    EXPECT_EQ(particle->s().bookkeeping.ISTEP, 1001);
  }
}

// Repulsive double layer (both zeta potentials -50 mV): on the front axis
// the particle comes to rest where the double layer balances the approach
// flow, tens of nanometres from the surface.
TEST(Fates, NearSurfaceSlowMotionAndTheRearStagnationPoint) {
  const Values repulsive = {
      {"ATTMODE", "1"}, {"ZETACST", "-0.05"}, {"ZETAPST", "-0.05"}, {"TTIME", "0.1"}};
  const auto near_surface = [&](double theta, const char* DFACTNS) {
    Values values = repulsive;
    values.push_back({"DFACTNS", DFACTNS});
    auto particle = std::make_unique<Particle>(values);
    particle->inject();
    const double r = particle->p().AG + particle->p().AP + 5e-8;
    particle->place(r * std::sin(theta), r * std::cos(theta), 0, 0);
    return particle;
  };

  {
    auto particle = near_surface(0, "0.1");
    particle->to_fate();
    const ParticleState& s = particle->s();
    EXPECT_EQ(s.bookkeeping.ATTACHK, Fate::NearSurfaceSlowMotion);
    EXPECT_EQ(s.motion.REGIME, 2);
    EXPECT_GT(s.motion.H, 5 * particle->c().HCUT);
    EXPECT_LE(s.motion.H, HNS);
    // Windows are tested after more than 1000 steps each.
    EXPECT_GT(s.bookkeeping.ISTEP, 1000);
  }
  // With DFACTNS 0 no displacement counts as slow, but the rear stagnation
  // point ends the trajectory at the first test of the window ...
  {
    auto particle = near_surface(std::acos(-1.0), "0");
    particle->to_fate();
    const ParticleState& s = particle->s();
    EXPECT_EQ(s.bookkeeping.ATTACHK, Fate::NearSurfaceSlowMotion);
    EXPECT_EQ(s.bookkeeping.ISTEP, 1001);
    EXPECT_LE(std::fabs(s.motion.Z + s.motion.R), 0.5 * particle->p().AP);
  }
  // ... and the front one does not.
  {
    auto particle = near_surface(0, "0");
    particle->steps(1500);
    EXPECT_EQ(particle->s().bookkeeping.ATTACHK, Fate::Unresolved);
    EXPECT_EQ(particle->s().motion.REGIME, 2);
  }
}

// A particle on which nothing acts (no flow, no gravity, no surface forces,
// no noise) stays exactly where it is placed. Without Born, steric and
// acid-base repulsion HCUT is H0, so a still particle between HCUT and 5 HCUT
// is not ended by the near-surface window; above 5 HCUT it is, at the
// window's first test.
TEST(Fates, NearSurfaceSlowMotionCountsOnlyAboveFiveHCUT) {
  const Values force_free = {{"VSUP", "0"},    {"GRAVFACT", "0"}, {"A132", "0"},
                             {"ZETAPST", "0"}, {"ZETACST", "0"},  {"W132", "0"},
                             {"DFACTNS", "1"}, {"TTIME", "0.1"}};
  const std::pair<double, Fate> cases[] = {{3 * H0, Fate::Unresolved},
                                           {6 * H0, Fate::NearSurfaceSlowMotion}};
  for (const auto& [gap, ATTACHK] : cases) {
    SCOPED_TRACE(gap);
    Particle particle(force_free);
    ASSERT_EQ(particle.c().HCUT, H0);
    particle.inject();
    particle.place(0, particle.p().AG + particle.p().AP + gap, 0, 0);
    particle.steps(1001);
    const ParticleState& s = particle.s();
    EXPECT_EQ(s.bookkeeping.ATTACHK, ATTACHK);
    EXPECT_EQ(s.bookkeeping.ISTEP, 1001);
    EXPECT_TRUE(testing::RelNear(s.motion.H, gap, 1e-9));
  }
}

// A state that stops being finite ends the run at the step whose move meets
// it, naming the first non-finite quantity in the order the step before
// computed them (geometry, forces, velocity, then the position); a finite
// but absurd position overflows R.
TEST(NonFiniteState, TheStepThatMovesToANonFinitePositionNamesTheFirstCause) {
  constexpr double INF = std::numeric_limits<double>::infinity();
  const double NaN = std::nan("");
  using Quantity = double& (*)(ParticleState&);
  const Quantity VPX = [](ParticleState& s) -> double& { return s.motion.VPX; };
  const Quantity VPY = [](ParticleState& s) -> double& { return s.motion.VPY; };
  const Quantity VPZ = [](ParticleState& s) -> double& { return s.motion.VPZ; };
  const Quantity X = [](ParticleState& s) -> double& { return s.motion.X; };
  const Quantity Y = [](ParticleState& s) -> double& { return s.motion.Y; };
  const Quantity RZOI = [](ParticleState& s) -> double& { return s.motion.RZOI; };
  const Quantity FEDL = [](ParticleState& s) -> double& { return s.forces.FEDL; };
  const Quantity FVDW = [](ParticleState& s) -> double& { return s.forces.FVDW; };
  struct Case {
    std::vector<std::pair<Quantity, double>> made;
    const char* named;
  };
  const Case cases[] = {{{{VPX, NaN}}, "VPX"},
                        {{{VPZ, NaN}, {FEDL, INF}}, "FEDL"},
                        {{{VPY, INF}, {FVDW, NaN}, {RZOI, NaN}}, "RZOI"},
                        {{{X, -INF}}, "X"},
                        {{{Y, 1e200}}, "R"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    Particle particle({});
    particle.inject();
    particle.step();  // a finite step passes
    for (const auto& [quantity, value] : c.made) quantity(particle.s()) = value;
    try {
      particle.step();
      ADD_FAILURE() << "no stop";
    } catch (const NonFiniteState& e) {
      EXPECT_EQ(e.IPART(), 1);
      EXPECT_EQ(e.ISTEP(), 2);
      EXPECT_STREQ(e.quantity(), c.named);
    }
  }
}

// The fate table in the order of the codes, against the sets the flux files
// and the efficiencies use: EX {1}, ATT {2, 4, 6}, REM {3, 5}; attached
// {2, 4, 6}; retained {2, 4, 5, 6}.
TEST(Fates, TheTableHoldsEachCodeOnceWithItsFamilyAndCounts) {
  const char* const families = "XARARA";  // by code 1..6
  const char* const attached = "-y-y-y";
  const char* const retained = "-y-yyy";
  for (std::size_t k = 0; k < FATES.size(); ++k) {
    const FateFacts& f = FATES[k];
    const std::int32_t code = static_cast<std::int32_t>(k) + 1;
    SCOPED_TRACE(code);
    EXPECT_EQ(code_of(f.fate), code);
    EXPECT_EQ(&facts_of(f.fate), &f);
    EXPECT_EQ(std::string(f.legend).substr(0, 9), "ATTACHK" + std::to_string(code) + "=");
    const FluxFamily family = families[k] == 'X' ? FluxFamily::EX
                              : families[k] == 'A' ? FluxFamily::ATT
                                                   : FluxFamily::REM;
    EXPECT_EQ(f.family, family);
    EXPECT_EQ(f.attached, attached[k] == 'y');
    EXPECT_EQ(f.retained, retained[k] == 'y');
  }
  EXPECT_FALSE(is_fate_code(0));
  EXPECT_FALSE(is_fate_code(7));
}

// The visit counts and the mean gap's step count went negative past 2^31 - 1
// with 32 bits; a flux row writes them in full, widening the I15 field.
TEST(Counters, CountPastTheOld32BitLimit) {
  constexpr std::int64_t LIMIT = std::numeric_limits<std::int32_t>::max();
  Particle particle({});
  particle.inject();
  ParticleState& s = particle.s();
  s.bookkeeping.NHAVE = LIMIT;
  s.bookkeeping.H_SUM = static_cast<double>(LIMIT) * s.motion.H;
  s.bookkeeping.NSVISIT = LIMIT;
  s.bookkeeping.FRICVISIT = LIMIT;
  const double H = s.motion.H;
  particle.step();  // in the bulk: the mean gap counts one more step
  EXPECT_EQ(s.bookkeeping.NHAVE, LIMIT + 1);
  EXPECT_TRUE(testing::RelNear(s.bookkeeping.HAVE, H, 1e-9));
  const double AG = particle.p().AG, AP = particle.p().AP;
  particle.place(0, AG + AP + 1e-7, 0, 0);
  particle.step();  // into the near-surface band
  EXPECT_EQ(s.bookkeeping.NSVISIT, LIMIT + 1);
  particle.place(0, AG + AP + 3e-10, 0, 0);
  particle.step();  // into contact
  EXPECT_EQ(s.bookkeeping.FRICVISIT, LIMIT + 1);
  std::string row;
  append_flux_record(row, flux_record(s));
  EXPECT_EQ(row.substr(359, 40), "     2147483648     " "     2147483648     ");
}

}  // namespace
}  // namespace colloidsim
