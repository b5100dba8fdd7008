// The time steps the step benchmarks measure: a particle of one of the
// examples placed at a gap in the bulk, near-surface or contact band, with
// its forces and velocity evaluated once, then stepped as in a run.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "common/constants.h"
#include "io/parameter_file.h"
#include "random/seeding.h"
#include "simulation/run_context.h"
#include "simulation/trajectory.h"
#include "simulation/velocity_update.h"

namespace colloidsim::bench {

// smooth: without heterodomains on either surface.
inline RunContext example_run(const std::string& name, bool smooth,
                              BrownianModel brownian = BrownianModel::bulk) {
  ParameterFile file =
      read_parameter_file(std::string(COLLOIDSIM_SOURCE_DIR) + "/examples/" + name + "/INPUT.IN");
  if (smooth) file.parameters.SCOV = file.parameters.SCOVP = 0;
  return prepare_run(file.parameters, 1, brownian);
}

// A particle at gap H above the collector at polar angle theta, at rest in
// the regime that H belongs to, with its forces and velocity evaluated once.
inline void place(const RunContext& run, ParticleRun& pr, double H, double theta) {
  seed_from_option(pr.stream, 1, 1);
  start_particle(run, pr, 1, nullptr);
  ParticleState& s = pr.s;
  const double R = run.p.AG + run.p.AP + H;
  s.motion.X = R * std::sin(theta);
  s.motion.Y = 0.3 * s.motion.X;
  s.motion.X = std::sqrt(R * std::sin(theta) * R * std::sin(theta) - s.motion.Y * s.motion.Y);
  s.motion.Z = R * std::cos(theta);
  s.motion.R = R;
  s.motion.H = H;
  s.motion.ENX = s.motion.X / R;
  s.motion.ENY = s.motion.Y / R;
  s.motion.ENZ = s.motion.Z / R;
  s.motion.REGIME = H > HNS ? 1 : (H > run.c.HCUT ? 2 : 3);
  const double MULT = s.motion.REGIME == 1 ? run.p.MULTB : (s.motion.REGIME == 2 ? run.p.MULTNS : run.p.MULTC);
  s.motion.DT = MULT * run.c.DTMRT;
  s.bookkeeping.ISTEP = 2;
  update_forces_and_velocity(run, s.motion, s.forces, s.bookkeeping, pr.het, pr.stream);
}

// One benchmarked case: the example, with or without heterodomains, and the
// gap of the start point.
struct StepCase {
  const char* example;
  bool smooth;
  double H;  // m
  BrownianModel brownian = BrownianModel::bulk;
};

// Bulk 20 um from the surface; near-surface 50 nm, where like-charged base
// surfaces keep the particle. (Contact is no case of its own: in both
// examples a particle that reaches the contact band attaches or crashes
// within a step or two.)
inline constexpr StepCase BULK{"favorable", true, 2.0e-5};
inline constexpr StepCase NEAR_SURFACE{"heterogeneous", true, 5.0e-8};
inline constexpr StepCase HETEROGENEOUS_BULK{"heterogeneous", false, 2.0e-5};
inline constexpr StepCase HETEROGENEOUS_NEAR_SURFACE{"heterogeneous", false, 5.0e-8};
// NEAR_SURFACE with --brownian hindered.
inline constexpr StepCase HINDERED_NEAR_SURFACE{"heterogeneous", true, 5.0e-8,
                                                BrownianModel::hindered};

// Steps a placed particle; whenever it leaves the start regime, resolves, or
// has run 100000 steps it starts over from the placed state. reset runs
// outside the timed region when the caller pauses the timer around it.
class SteppedParticle {
 public:
  explicit SteppedParticle(const StepCase& c)
      : run_(example_run(c.example, c.smooth, c.brownian)), pr_(std::make_unique<ParticleRun>()) {
    place(run_, *pr_, c.H, 1.2);
    start_ = pr_->s;
  }
  // One time step; true when the particle must start over.
  bool step() {
    time_step(run_, *pr_, nullptr);
    const ParticleState& s = pr_->s;
    return s.bookkeeping.ATTACHK != Fate::Unresolved ||
           s.motion.REGIME != start_.motion.REGIME || s.bookkeeping.ISTEP > 100000;
  }
  void reset() { pr_->s = start_; }
  const RunContext& run() const { return run_; }
  const ParticleState& state() const { return pr_->s; }

 private:
  RunContext run_;
  std::unique_ptr<ParticleRun> pr_;
  ParticleState start_;
};

}  // namespace colloidsim::bench
