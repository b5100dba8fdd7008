// The one kind of error the program reports: input that cannot be used.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

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

// Longest value a message shows in full.
inline constexpr std::size_t SHOWN_VALUE_LENGTH = 60;

// A value as a message shows it: in double quotes, a control character or
// NUL as \xNN (so that a message is never cut short or mangles a terminal),
// and a value longer than SHOWN_VALUE_LENGTH cut there with "..." and its
// length: "11111...1111..." (100000000 bytes).
std::string quoted_value(std::string_view text);

}  // namespace colloidsim
