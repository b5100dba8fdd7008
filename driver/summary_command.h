// colloidsim summary [DIR] [--json]: what a finished run says, on standard
// output.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "driver/command_line.h"

namespace colloidsim {

struct SummaryArguments {
  std::vector<std::string> positional;  // DIR
  bool json = false;
};

void define_summary_options(OptionSet& options, SummaryArguments& a);

// DIR (default: the working directory) is taken relative to the workdir.
// Returns 0 after printing the summary; 1 with one message on err when DIR
// holds no run files, files of different runs or broken rows, or the
// arguments are wrong.
int run_summary_command(const SummaryArguments& a, const CommandContext& context);

// The head of colloidsim summary --help.
std::string summary_usage_text();

}  // namespace colloidsim
