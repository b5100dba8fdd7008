// Options and positional arguments of the colloidsim command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulation/run_context.h"

namespace colloidsim {

struct CommandLine {
  bool help = false;                    // --help, -h
  bool version = false;
  std::optional<std::uint64_t> seed;    // --seed N: reproducible random streams
  std::optional<int> threads;           // --threads N, -j N: particles run at once
  bool resume = false;                  // --resume: continue a stopped all-particles run
  bool quiet = false;                   // --quiet: no progress bar
  BrownianModel brownian = BrownianModel::bulk;  // --brownian bulk|hindered
  std::vector<std::string> positional;  // one-particle mode: particle count, particle number
};

// Options start with a dash ("--seed N", "-j N", "-h") and may stand before
// or after the positional arguments; an argument that starts with a dash and
// a digit is a positional one. Throws InputError for an unknown option, a bad
// option value or a third positional argument.
CommandLine parse_command_line(const std::vector<std::string>& args);

// The text of --help.
std::string usage_text();

}  // namespace colloidsim
