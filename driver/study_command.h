// colloidsim study [DIR]: every condition of DIR/STUDY.toml as an ordinary
// run directory DIR/runs/NN-NAME=VALUE,.../, all run in one pool of
// threads, then the table DIR/STUDY.csv.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace colloidsim {

// args excludes "study". Returns the exit status: 0 after the study (or the
// table, or the submission), 1 with one message on err otherwise. A
// progress bar is drawn on err when err_is_terminal (and --quiet is not
// given).
int run_study_command(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                      std::ostream& out, std::ostream& err, bool err_is_terminal = false);

}  // namespace colloidsim
