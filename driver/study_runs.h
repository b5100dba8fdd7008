// A study's conditions as run directories: reading and checking them, their
// INPUT.IN files, the check that the study has not changed since its runs
// were made, and the table of their results.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/study_file.h"
#include "io/parameter_file.h"
#include "simulation/run_context.h"

namespace colloidsim {

struct LoadedStudy {
  std::filesystem::path dir;
  std::string shown;        // DIR as given
  std::string study_shown;  // DIR/STUDY.toml as messages name it
  std::string study_text;   // its bytes
  StudyFile file;
  std::vector<StudyCondition> conditions;
  std::vector<std::string> inputs;   // each condition's INPUT.IN
  std::vector<ParameterFile> files;  // the same, read and checked
};

// Reads DIR/STUDY.toml and its base file and checks every condition and
// twin as a run would (all but the setup scans). Throws InputError naming
// the condition and the parameter.
LoadedStudy load_study(const std::filesystem::path& dir, const std::string& shown);

// Setup of condition i (with the study's seed); a scan past its cap names
// the condition.
RunContext prepare_condition(const LoadedStudy& s, std::size_t i);

std::filesystem::path condition_dir(const LoadedStudy& s, std::size_t i);

// Throws InputError when runs/STUDY.toml, or an INPUT.IN of runs/, is not
// what this study gives.
void check_unchanged(const LoadedStudy& s);

// check_unchanged, then runs/, every condition's directory and INPUT.IN and
// the copy runs/STUDY.toml, each made when absent.
void write_study_inputs(const LoadedStudy& s);

// Writes DIR/STUDY.csv and DIR/STUDY.json from the flux files of every
// condition and prints the table (text or JSON) on out. Returns 1 when the
// files of a condition cannot be read (named on err), 0 otherwise.
int write_study_table(const LoadedStudy& s, bool json, std::ostream& out, std::ostream& err);

}  // namespace colloidsim
