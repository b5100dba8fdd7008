// colloidsim study [DIR]: every condition of DIR/STUDY.toml as an ordinary
// run directory DIR/runs/NN-NAME=VALUE,.../, all run in one pool of
// threads, then the table DIR/STUDY.csv.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/study_slurm.h"

namespace colloidsim {

struct StudyArguments {
  std::vector<std::string> positional;  // DIR
  int threads = 0;                      // --threads N; 0: the CPUs this process may use
  bool table = false, json = false, quiet = false;
  SlurmOptions slurm;
};

void define_study_options(OptionSet& options, StudyArguments& a);

// Returns the exit status: 0 after the study (or the table, or the
// submission), 1 with one message on err otherwise. A progress bar is drawn
// on err when err is a terminal (and --quiet is not given).
int run_study_command(const StudyArguments& a, const CommandContext& context);

// The head of colloidsim study --help.
std::string study_usage_text();

}  // namespace colloidsim
