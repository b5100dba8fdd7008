// A study on a Slurm cluster: one job array whose tasks are the (condition,
// block of particles) pairs of the study, and a merge job that starts when
// every task has succeeded and writes each condition's flux files and the
// table.
#pragma once

#include "driver/command_line.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "driver/study_runs.h"

namespace colloidsim {

struct SlurmOptions {
  bool submit = false;    // --slurm: write the job scripts and submit them
  std::int32_t block_size = 0;
  int cpus = 1;           // --cpus: CPUs of each array task
  bool dry_run = false;   // write the scripts, submit nothing
  std::optional<std::int64_t> task;  // --task K: run array task K (the job script)
  bool merge = false;     // --merge: merge every condition, write the table (the merge job)
};

// The options of --slurm and of its job scripts (--task K, --merge).
void define_slurm_options(OptionSet& options, SlurmOptions& o);

// Task k (1-based) of a study in blocks of block_size particles: the
// conditions in order, each cut into blocks 1..ceil(NPART/block_size).
struct SlurmTask {
  std::size_t condition = 0;
  std::int32_t first = 1, last = 1;
};
std::vector<SlurmTask> slurm_tasks(const LoadedStudy& s, std::int32_t block_size);

// "1-4,7,9-10" for sbatch --array, from ascending task numbers.
std::string array_ranges(const std::vector<std::int64_t>& tasks);

int run_study_slurm(const LoadedStudy& s, const SlurmOptions& options, int threads,
                    std::ostream& out, std::ostream& err);

}  // namespace colloidsim
