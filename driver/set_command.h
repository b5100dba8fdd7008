// colloidsim set [FILE] NAME=VALUE ...: a parameter file with named values
// changed, its layout kept; --list shows every parameter.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace colloidsim {

// args excludes "set". Returns the exit status: 0 when the file is written
// (or listed), 1 with one message on err otherwise; the file is then as it
// was.
int run_set_command(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                    std::ostream& out, std::ostream& err);

}  // namespace colloidsim
