// colloidsim set [FILE] NAME=VALUE ...: a parameter file with named values
// changed, its layout kept; --list shows every parameter.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "driver/command_line.h"

namespace colloidsim {

struct SetArguments {
  std::vector<std::string> items;  // [FILE] then NAME=VALUE ...
  std::string out_file;            // --out FILE
  bool list = false;               // --list
};

void define_set_options(OptionSet& options, SetArguments& a);

// Returns the exit status: 0 when the file is written (or listed), 1 with one
// message on err otherwise; the file is then as it was.
int run_set_command(const SetArguments& a, const CommandContext& context);

// The head of colloidsim set --help.
std::string set_usage_text();

}  // namespace colloidsim
