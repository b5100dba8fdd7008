#include "common/input_error.h"

namespace colloidsim {

namespace {

std::string describe(const std::string& file, int line, const std::string& parameter,
                     const std::string& found, const std::string& expected) {
  std::string message = file;
  if (line > 0) message += ", line " + std::to_string(line);
  if (!parameter.empty()) message += ", parameter " + parameter;
  message += ": found " + found + "; expected " + expected;
  return message;
}

}  // namespace

InputError::InputError(const std::string& file, int line, const std::string& parameter,
                       const std::string& found, const std::string& expected)
    : std::runtime_error(describe(file, line, parameter, found, expected)) {}

InputError::InputError(const std::string& file, const std::string& problem)
    : std::runtime_error(file + ": " + problem) {}

}  // namespace colloidsim
