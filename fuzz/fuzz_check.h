// What every fuzz target asks of the program besides not crashing: a
// message about bad input is short and printable, so that it reaches the
// person whole (a NUL would cut it, an escape sequence mangle the terminal).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace colloidsim::fuzz {

inline constexpr std::size_t LONGEST_MESSAGE = 1000;

inline void check_message(std::string_view message) {
  bool printable = true;
  for (const char c : message) {
    const unsigned char u = static_cast<unsigned char>(c);
    printable = printable && u >= 0x20 && u != 0x7F;
  }
  if (message.empty() || message.size() > LONGEST_MESSAGE || !printable) {
    std::fprintf(stderr, "unfit message (%zu bytes): %.*s\n", message.size(),
                 static_cast<int>(message.size() < 2000 ? message.size() : 2000), message.data());
    std::abort();
  }
}

}  // namespace colloidsim::fuzz
