#include "driver/study_runs.h"

#include <fstream>
#include <sstream>

#include "analysis/study_table.h"
#include "common/input_error.h"
#include "common/regular_file.h"
#include "driver/run_setup.h"
#include "io/file_names.h"
#include "io/output_file.h"
#include "analysis/run_files.h"
#include "analysis/run_summary.h"
#include "io/validation.h"

namespace colloidsim {

namespace fs = std::filesystem;

namespace {

// The bytes of a study's own file (at most 1 MB; a parameter file or the
// study file, read and checked before or after).
std::string file_bytes(const fs::path& path) {
  return read_regular_file(path, path.filename().string(), "a regular file of the study",
                           MAX_PARAMETER_FILE_BYTES);
}

void write_complete(const fs::path& dir, const std::string& name, const std::string& text) {
  CompleteFile file(dir, name);
  file.write(text);
  file.commit();
}

}  // namespace

LoadedStudy load_study(const fs::path& dir, const std::string& shown) {
  LoadedStudy s;
  s.dir = dir;
  s.shown = shown;
  s.study_shown = (shown == "." ? std::string() : shown + "/") + STUDY_FILE;
  s.study_text = file_bytes(dir / STUDY_FILE);
  s.file = read_study_file(dir / STUDY_FILE, s.study_shown);
  const std::string base_shown = (shown == "." ? std::string() : shown + "/") + s.file.input;
  const ParameterFile base = read_parameter_file(dir / s.file.input, base_shown);
  const std::string base_text = file_bytes(dir / s.file.input);
  s.conditions = study_conditions(s.file, base);
  for (const StudyCondition& c : s.conditions) {
    const std::string input_shown = "runs/" + c.directory + "/" + PARAMETER_FILE;
    try {
      std::string text = rewrite_parameters(base_text, base, c.assignments, s.study_shown);
      ParameterFile file = read_parameter_text(text, input_shown);
      validate_parameters(file);
      if (file.parameters.ATTMODE == -1) {
        throw parameter_error(file, "ATTMODE", -1,
                              "0 or a torque mode: a restart (-1) needs FLUXATT.IN of an earlier "
                              "run of its own, which a study does not make");
      }
      s.inputs.push_back(std::move(text));
      s.files.push_back(std::move(file));
    } catch (const InputError& e) {
      throw InputError(s.study_shown, describe_condition(c) + ": " + e.what());
    }
  }
  return s;
}

RunContext prepare_condition(const LoadedStudy& s, std::size_t i) {
  try {
    return prepare_checked_run(s.files[i], s.file.seed);
  } catch (const InputError& e) {
    throw InputError(s.study_shown, describe_condition(s.conditions[i]) + ": " + e.what());
  }
}

fs::path condition_dir(const LoadedStudy& s, std::size_t i) {
  return s.dir / "runs" / s.conditions[i].directory;
}

void check_unchanged(const LoadedStudy& s) {
  const fs::path copy = s.dir / "runs" / STUDY_FILE;
  const auto refuse = [&](const std::string& what) {
    throw InputError(s.study_shown, what + "; the runs in runs/ were made from another study. "
                                           "Restore the file, or move runs/ away to start anew");
  };
  std::error_code error;
  if (fs::exists(copy, error) && file_bytes(copy) != s.study_text) {
    refuse("it differs from runs/STUDY.toml, the study file its runs were made with");
  }
  for (std::size_t i = 0; i < s.conditions.size(); ++i) {
    const fs::path input = condition_dir(s, i) / PARAMETER_FILE;
    if (fs::exists(input, error) && file_bytes(input) != s.inputs[i]) {
      refuse("runs/" + s.conditions[i].directory + "/INPUT.IN is not the file this study "
             "gives that condition (the base parameter file changed?)");
    }
  }
}

void write_study_inputs(const LoadedStudy& s) {
  check_unchanged(s);
  const fs::path runs = s.dir / "runs";
  std::error_code error;
  fs::create_directories(runs, error);
  if (error) throw InputError("runs", "cannot create the directory (" + error.message() + ")");
  for (std::size_t i = 0; i < s.conditions.size(); ++i) {
    const fs::path dir = condition_dir(s, i);
    fs::create_directories(dir, error);
    if (error) {
      throw InputError("runs/" + s.conditions[i].directory,
                       "cannot create the directory (" + error.message() + ")");
    }
    if (!fs::exists(dir / PARAMETER_FILE, error)) write_complete(dir, PARAMETER_FILE, s.inputs[i]);
  }
  if (!fs::exists(runs / STUDY_FILE, error)) write_complete(runs, STUDY_FILE, s.study_text);
}

int write_study_table(const LoadedStudy& s, bool json, std::ostream& out, std::ostream& err) {
  std::vector<std::optional<RunSummary>> summaries;
  std::vector<std::string> problems;
  int status = 0;
  for (std::size_t i = 0; i < s.conditions.size(); ++i) {
    const fs::path dir = condition_dir(s, i);
    const std::string shown = "runs/" + s.conditions[i].directory;
    summaries.emplace_back();
    problems.emplace_back();
    std::error_code error;
    bool any = false;
    for (const char* name : FLUX_FILE_NAMES) any = any || fs::exists(dir / name, error);
    if (!any) continue;  // not started
    try {
      const RunFiles run = read_run_files(dir, RunFileChoice::AllParticles);
      if (!run.problems.empty()) {
        problems.back() = describe(run.problems.front());
      } else {
        summaries.back() = summarize(run, shown);
      }
    } catch (const InputError& e) {
      problems.back() = e.what();
    }
    if (!problems.back().empty()) {
      err << "colloidsim: " << shown << ": " << problems.back() << "\n";
      status = 1;
    }
  }
  const StudyTable table = make_study_table(s.file, s.conditions, std::move(summaries), problems);
  write_complete(s.dir, "STUDY.csv", study_table_csv(table));
  write_complete(s.dir, "STUDY.json", study_table_json(table));
  out << (json ? study_table_json(table) : study_table_text(table));
  return status;
}

}  // namespace colloidsim
