// The colloidsim command as a function, so that tests can run it in a chosen
// working directory.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace colloidsim {

// args excludes the program name. Returns the exit status: 0 after a complete
// run, 1 for bad input or an I/O failure (one message on err).
int run_program(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                std::ostream& out, std::ostream& err);

}  // namespace colloidsim
