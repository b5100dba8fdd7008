// The one kind of error the program reports: input that cannot be used.
#pragma once

#include <stdexcept>
#include <string>

namespace colloidsim {

// Thrown for a missing or unreadable input file, a value that cannot be read
// as its type, an early end of file, or a value outside its valid range. The
// message names the file, the line (0 when there is none), the parameter, the
// value found and what was expected.
class InputError : public std::runtime_error {
 public:
  InputError(const std::string& file, int line, const std::string& parameter,
             const std::string& found, const std::string& expected);
  // A file-level failure (cannot be opened or created).
  InputError(const std::string& file, const std::string& problem);
};

}  // namespace colloidsim
