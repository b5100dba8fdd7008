// The particle loop of a run and the files it writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>

#include "io/restart_file.h"
#include "simulation/run_context.h"

namespace colloidsim {

// Simulates the run's particles one after another: all NPART (CLUSTER = 0)
// or the one particle IPART (CLUSTER = 1), writing the flux and trajectory
// files into workdir and the progress lines (all-particles mode) to console.
// restart holds "FLUXATT.IN" when ATTMODE = -1. Throws InputError when a file
// cannot be created or written.
void run_particles(const RunContext& run, std::int32_t IPART, RestartFile* restart,
                   const std::filesystem::path& workdir, std::ostream& console);

}  // namespace colloidsim
