// Reading the run's parameters: the parameter file "INPUT.IN" and the command
// line of the one-particle mode.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/list_reader.h"
#include "common/run_parameters.h"

namespace colloidsim {

inline constexpr const char* PARAMETER_FILE = "INPUT.IN";

// The parameter record as read, with the line and text of every value for
// the messages about ranges.
struct ParameterFile {
  RunParameters parameters;
  std::map<std::string, ValueOrigin, std::less<>> origins;
  // Values the file holds beyond a group's last item, ignored: one line each.
  std::vector<std::string> warnings;
  std::string display_name = PARAMETER_FILE;  // the file as messages name it
};

// Six heading lines, line 7 (NPART ATTMODE CLUSTER), then fourteen groups, each
// behind a four-line separator block and read by one free-format read.
// Throws InputError; a file of more than MAX_PARAMETER_FILE_BYTES is
// refused.
ParameterFile read_parameter_file(const std::filesystem::path& path,
                                  const std::string& display_name = PARAMETER_FILE);
// The same from the file's text.
ParameterFile read_parameter_text(std::string contents,
                                  const std::string& display_name = PARAMETER_FILE);

// The example files are about 2 KB.
inline constexpr std::size_t MAX_PARAMETER_FILE_BYTES = std::size_t{1} << 20;

// One-particle mode: argument 1 into NPART, argument 2 into the particles to
// simulate, FIRST..LAST: one number IPART (FIRST = LAST), or a block "A-B" of
// them. Each number is a whole decimal number of 32 bits ("-5" is one, for
// the range check to report; "3*2", "3,abc" and a 61-digit number are not).
// Throws InputError for a missing or unreadable argument.
void read_particle_arguments(const std::vector<std::string>& positional, std::int32_t& NPART,
                             std::int32_t& FIRST, std::int32_t& LAST);

}  // namespace colloidsim
