// The numbered files of a run spread over a cluster (one-particle mode,
// blocks of particles, job arrays): colloidsim merge writes the flux files
// of the all-particles run from them, colloidsim missing lists the particles
// still to run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "driver/command_line.h"

namespace colloidsim {

struct MergeArguments {
  std::vector<std::string> positional;  // DIR
  bool allow_missing = false;
  bool replace = false;
};

struct MissingArguments {
  std::vector<std::string> positional;  // DIR
  std::optional<std::int64_t> block_size, npart;
};

void define_merge_options(OptionSet& options, MergeArguments& a);
void define_missing_options(OptionSet& options, MissingArguments& a);

// colloidsim merge [DIR] [--allow-missing]: reads VORNEKFLUX{EX,ATT,REM}.n.OUT
// of particles 1..NPART in DIR and writes FLUXEX.OUT, FLUXATT.OUT and
// FLUXREM.OUT there: the echo, legend and header of the numbered files, then
// every particle's row in particle order, as the all-particles run writes
// them. Every problem (a file of another run, a particle in two families, a
// broken row, a missing particle) is listed and nothing is written (exit 1);
// with --allow-missing the particles that are there are merged and the
// missing ones listed on err. A directory of all-particles flux files only is
// refused as that.
int run_merge_command(const MergeArguments& a, const CommandContext& context);

// colloidsim missing [DIR] [--block-size B] [--npart N]: the particles of
// 1..NPART without a numbered flux row in DIR, as ranges one per line, or
// with --block-size the array tasks (blocks of B particles, counted from 1)
// that hold one, as a list for sbatch --array ("3,7-9").
int run_missing_command(const MissingArguments& a, const CommandContext& context);

std::string merge_usage_text();
std::string missing_usage_text();

}  // namespace colloidsim
