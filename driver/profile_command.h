// colloidsim profile [--json | --csv] [--grid N] [--hmax H]: the interaction
// energy profiles and the run's numbers for INPUT.IN of the working
// directory, on standard output. Writes no file.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <optional>
#include <vector>

#include "driver/command_line.h"

namespace colloidsim {

struct ProfileArguments {
  std::vector<std::string> positional;  // none is taken
  bool json = false, csv = false;
  int points = 400;             // --grid N
  std::optional<double> hmax;   // --hmax H, m
};

void define_profile_options(OptionSet& options, ProfileArguments& a);

// INPUT.IN is read from the workdir, checked and set up as a run would;
// returns 0 after the report, 1 with one message on err for bad input or bad
// arguments.
int run_profile_command(const ProfileArguments& a, const CommandContext& context);

// The head of colloidsim profile --help.
std::string profile_usage_text();

}  // namespace colloidsim
