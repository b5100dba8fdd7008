// colloidsim profile [--json | --csv] [--grid N] [--hmax H]: the interaction
// energy profiles and the run's numbers for INPUT.IN of the working
// directory, on standard output. Writes no file.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace colloidsim {

// args are those after "profile". INPUT.IN is read from workdir, checked and
// set up as a run would; returns 0 after the report, 1 with one message on
// err for bad input or bad arguments.
int run_profile_command(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                        std::ostream& out, std::ostream& err);

}  // namespace colloidsim
