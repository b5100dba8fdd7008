// Reading and checking the run's inputs: the parameter file "INPUT.IN", the
// command line of the one-particle mode, and the restart file "FLUXATT.IN".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/list_reader.h"
#include "common/run_parameters.h"

namespace colloidsim {

inline constexpr const char* PARAMETER_FILE = "INPUT.IN";
inline constexpr const char* RESTART_FILE = "FLUXATT.IN";

// The parameter record as read, with the line and text of every value for
// the messages about ranges.
struct ParameterFile {
  RunParameters parameters;
  std::map<std::string, ValueOrigin, std::less<>> origins;
};

// Six heading lines, line 7 (NPART ATTMODE CLUSTER), then fourteen groups, each
// behind a four-line separator block and read by one free-format read.
// Throws InputError.
ParameterFile read_parameter_file(const std::filesystem::path& path);

// One-particle mode: argument 1 into NPART, argument 2 into IPART, each by a
// free-format read of its text (at most 40 characters). Throws InputError
// for a missing or unreadable argument.
void read_particle_arguments(const std::vector<std::string>& positional, std::int32_t& NPART,
                             std::int32_t& IPART);

// The values a restart takes from data record k of "FLUXATT.IN".
struct RestartRecord {
  double RINJ = 0;
  double XINIT = 0, YINIT = 0, ZINIT = 0, RINIT = 0, HINIT = 0;
  double ACONT = 0;
};

// "FLUXATT.IN" read once; record k is then read as a fresh read of the file
// would find it: six heading lines skipped by one-item reads, records 1..k-1
// consumed by one-item reads, record k read column by column.
class RestartFile {
 public:
  // Throws InputError when the file cannot be opened.
  explicit RestartFile(const std::filesystem::path& path);
  // Throws InputError when record k is missing or unreadable.
  RestartRecord record(std::int32_t k);

 private:
  ListReader reader_;
  std::vector<int> record_start_;  // line where the read of record k starts, k = 1, 2, ...
};

}  // namespace colloidsim
