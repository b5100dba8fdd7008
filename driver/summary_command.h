// colloidsim summary [DIR] [--json]: what a finished run says, on standard
// output.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace colloidsim {

// args are those after "summary". DIR (default: the working directory) is
// taken relative to workdir. Returns 0 after printing the summary; 1 with one
// message on err when DIR holds no run files, files of different runs or
// broken rows, or the arguments are wrong.
int run_summary_command(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                        std::ostream& out, std::ostream& err);

// The text of colloidsim summary --help.
std::string summary_usage_text();

}  // namespace colloidsim
