// One particle's trajectory: its start, and the time steps that move it until
// its fate is decided.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "simulation/heterodomain_weighting.h"
#include "io/parameter_file.h"
#include "simulation/particle_state.h"
#include "simulation/run_context.h"
#include "simulation/trajectory_buffer.h"
#include "random/random_draws.h"

namespace colloidsim {

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
void start_particle(RunContext& run, ParticleRun& pr, std::int32_t IPART, const RestartRecord* restart);

// One time step: record, advance the clocks, move, separation and regime,
// fate and exit tests, then (while unresolved) forces and new velocity.
// progress, when given, receives the console line of each recorded row.
void time_step(RunContext& run, ParticleRun& pr, std::string* progress);

// Runs the particle to its fate and stores the final state as the last row;
// returns that row's index IREC. console, when given, receives the progress
// lines through its own buffering.
int run_to_fate(RunContext& run, ParticleRun& pr, std::ostream* console);

TrajectoryRow current_row(const ParticleState& s);

}  // namespace colloidsim
