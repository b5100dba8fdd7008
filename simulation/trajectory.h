// One particle's trajectory: its start, and the time steps that move it until
// its fate is decided.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>

#include "random/random_draws.h"
#include "simulation/heterodomain_weighting.h"
#include "simulation/particle_state.h"
#include "simulation/run_context.h"
#include "simulation/trajectory_buffer.h"

namespace colloidsim {

// A particle whose state stopped being finite: the step whose move found it,
// and the first non-finite quantity in the order the step computes them (the
// geometry, fluid, forces and velocity of the step before, then the new
// position). A run that meets it stops: its values would be no result.
class NonFiniteState : public std::exception {
 public:
  NonFiniteState(std::int32_t IPART, std::int64_t ISTEP, const char* quantity, double value)
      : IPART_(IPART), ISTEP_(ISTEP), quantity_(quantity), value_(value) {}
  std::int32_t IPART() const { return IPART_; }
  std::int64_t ISTEP() const { return ISTEP_; }
  const char* quantity() const { return quantity_; }
  double value() const { return value_; }
  const char* what() const noexcept override { return "a particle's state is not finite"; }

 private:
  std::int32_t IPART_;
  std::int64_t ISTEP_;
  const char* quantity_;
  double value_;
};

// Everything one particle owns while it is simulated.
struct ParticleRun {
  ParticleState s;
  RandomStream stream;
  HeterodomainWeighting het;
  TrajectoryBuffer buffer;
};

// Places particle IPART (injection, or the restart record when given), with
// the forces of its start position, and resets its bookkeeping. The stream
// must be seeded.
void start_particle(const RunContext& run, ParticleRun& pr, std::int32_t IPART, const RestartRecord* restart);

// One time step: record, advance the clocks, move, separation and regime,
// fate and exit tests, then (while unresolved) forces and new velocity.
// observer, when given, is told of the row the step records. Throws
// NonFiniteState when the move leaves the position non-finite.
void time_step(const RunContext& run, ParticleRun& pr, RecordObserver* observer);

// Runs the particle to its fate and stores the final state as the last row
// (which no observer is told of); returns that row's index IREC. When stop is
// given and becomes true, the particle is abandoned within 65536 steps and 0
// is returned.
int run_to_fate(const RunContext& run, ParticleRun& pr, RecordObserver* observer,
                const std::atomic<bool>* stop = nullptr);

TrajectoryRow current_row(const ParticleState& s);

}  // namespace colloidsim
