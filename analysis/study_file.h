// A study: one base parameter file, the values that vary between its
// conditions and, optionally, a favorable reference twin of each condition.
// Read from STUDY.toml:
//
//   input = "INPUT.IN"     # the base condition, beside STUDY.toml
//   seed = 42              # every condition runs with this seed
//   npart = 400            # optional: NPART of every condition
//   trajectories = true    # optional: false writes no trajectory files
//   [vary]                 # every combination, the first name slowest;
//   AP = [0.5e-6, 1e-6]    # zip = true pairs the lists instead
//   IS = [1.0, 10.0]
//   [reference]            # optional: the twin's values, for alpha
//   ZETAPST = -0.030
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "io/parameter_rewrite.h"

namespace colloidsim {

inline constexpr const char* STUDY_FILE = "STUDY.toml";

struct StudyVariable {
  std::string name;                 // a parameter name
  std::vector<std::string> values;  // as `set` writes them ("1e-06", "10")
};

struct StudyFile {
  std::string input = "INPUT.IN";
  std::uint64_t seed = 0;
  std::optional<std::int32_t> npart;
  bool trajectories = true;
  bool zip = false;
  std::vector<StudyVariable> vary;                // in the order of the file
  std::vector<ParameterAssignment> reference;     // in the order of the file
};

// Throws InputError naming the file, the line and the key for a file that
// is not TOML, an unknown key, a value of the wrong kind, a missing seed or
// [vary], lists of unequal length under zip, a parameter both varied and in
// [reference], or one a study cannot vary (CLUSTER: every condition is an
// all-particles run).
StudyFile read_study_file(const std::filesystem::path& path, const std::string& shown);

struct StudyCondition {
  int number = 0;  // 1, 2, ... in the order of the combinations
  bool reference = false;
  // The varied values of this condition, as in StudyFile::vary.
  std::vector<ParameterAssignment> varied;
  std::string label;      // "AP=1e-06,IS=10"
  std::string directory;  // "01-AP=1e-06,IS=10", "01-AP=1e-06,IS=10-reference"
  // Everything `set` changes in the base file: the varied values, NPART,
  // CLUSTER = 0 and, for a twin, the reference values.
  std::vector<ParameterAssignment> assignments;
};

// The study's conditions in the order they run: each condition followed by
// its reference twin (when the study has a [reference]). Numbers have at
// least two digits.
std::vector<StudyCondition> study_conditions(const StudyFile& study, const ParameterFile& base);

// "condition 03 (AP=1e-06,IS=10)", or "... reference twin".
std::string describe_condition(const StudyCondition& c);

}  // namespace colloidsim
