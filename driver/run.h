// The particle loop of a run and the files it writes, with particles run side
// by side on several threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <vector>

#include "driver/progress_bar.h"
#include "simulation/particle_state.h"
#include "simulation/run_context.h"

namespace colloidsim {

struct RunRequest {
  std::int32_t first = 1;  // the particles to simulate: first..last
  std::int32_t last = 1;
  // One-particle mode: every particle writes its own numbered flux files and
  // nothing goes to the console. Otherwise the three shared flux files.
  bool numbered = false;
  // All-particles mode: append to the flux files of a stopped run rather than
  // replacing them.
  bool append = false;
  int threads = 1;
  // ATTMODE = -1: the restart records, record k at index k - 1.
  const std::vector<RestartRecord>* restart = nullptr;
  // false: no trajectory files (--no-trajectories).
  bool trajectories = true;
  // When given, counts the particles whose files are written.
  std::atomic<std::int64_t>* written = nullptr;
  // When given, called once every file of the run is checked, before the
  // first is made.
  std::function<void()> before_first_file;
};

// One run of several that share a pool of threads: its context, its
// particles, its directory and where its progress lines go (all-particles
// mode; null: none are made).
struct RunJob {
  const RunContext* run = nullptr;
  RunRequest request;
  std::filesystem::path workdir;
  std::ostream* console = nullptr;
};

// Simulates the requested particles, up to request.threads at a time, writing
// the flux and trajectory files into workdir and the progress lines
// (all-particles mode) to console. The files and the console text are the
// same, byte for byte, whatever the number of threads: flux rows and console
// lines go out in particle order, flux rows the moment every earlier particle
// is out; each trajectory file is written under a temporary name and renamed
// when complete. Before the first file is opened, every file the run will
// write is checked (a directory or an unwritable file at its name, a
// read-only directory): such a run throws InputError and changes nothing.
// bar, when given, is told of every finished particle. Throws
// the exception of the lowest failing particle (InputError when a file cannot
// be created or written) after every thread has stopped; the particles
// written out before it stay in the files.
void run_particles(const RunContext& run, const RunRequest& request,
                   const std::filesystem::path& workdir, std::ostream& console, ProgressBar* bar);

// The particles of every job, as run_particles runs one job's, in one pool of
// `threads` threads that takes them in job order, then particle order: no
// thread waits for a job's last particle while another job has work. Each
// job's files are the bytes run_particles writes for it alone. The bar is
// told of every finished particle and of every job whose particles are all
// finished. On failure, failed_job (when given) is set to the index of the
// job of the particle whose exception is thrown.
void run_jobs(const std::vector<RunJob>& jobs, int threads, ProgressBar* bar,
              std::size_t* failed_job = nullptr);

// The echo of the run's first files (the flux files, the first particle's
// trajectory files) or of a later particle's files.
std::string echo_text(const RunContext& run, bool first);

// Echo, legend and column header of a flux file.
std::string flux_head(const RunContext& run);

}  // namespace colloidsim
