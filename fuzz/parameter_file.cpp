// The parameter file reader and its validation on any text. The first line
// of the text (a heading line the reader skips) is also taken as the command
// line, split at blanks, with the one-particle arguments read and checked.
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "common/input_error.h"
#include "driver/command_line.h"
#include "fuzz/fuzz_check.h"
#include "io/parameter_file.h"
#include "io/validation.h"

using namespace colloidsim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const ParameterFile file = read_parameter_text(text);
    validate_parameters(file);
  } catch (const InputError& e) {
    fuzz::check_message(e.what());
  }
  std::vector<std::string> args;
  std::istringstream first_line(text.substr(0, text.find('\n')));
  for (std::string word; first_line >> word;) args.push_back(word);
  try {
    const CommandLine cl = parse_command_line(args).cl;
    std::int32_t NPART = 10, FIRST = 0, LAST = 0;
    read_particle_arguments(cl.positional, NPART, FIRST, LAST);
    validate_particle_number(NPART, FIRST, LAST);
  } catch (const InputError& e) {
    fuzz::check_message(e.what());
  }
  return 0;
}
