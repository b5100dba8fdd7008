// The colloidsim command as a function, so that tests can run it in a chosen
// working directory.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace colloidsim {

// args excludes the program name. Returns the exit status: 0 after a complete
// run, 1 for bad input or an I/O failure (one message on err). A progress bar
// is drawn on err when err_is_terminal (and --quiet is not given).
int run_program(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                std::ostream& out, std::ostream& err, bool err_is_terminal = false);

// The number of CPUs this process may run on (its affinity mask, so taskset
// and a batch scheduler's CPU limit count).
int available_cpus();

}  // namespace colloidsim
