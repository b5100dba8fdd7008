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

std::string quoted_value(std::string_view text) {
  const bool cut = text.size() > SHOWN_VALUE_LENGTH;
  std::size_t shown = cut ? SHOWN_VALUE_LENGTH : text.size();
  // Never cut inside a UTF-8 character.
  while (cut && shown > 0 && (static_cast<unsigned char>(text[shown]) & 0xC0) == 0x80) --shown;
  std::string out = "\"";
  for (const char c : text.substr(0, shown)) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      static const char hex[] = "0123456789ABCDEF";
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  out += cut ? "...\" (" + std::to_string(text.size()) + " bytes)" : "\"";
  return out;
}

InputError::InputError(const std::string& file, int line, const std::string& parameter,
                       const std::string& found, const std::string& expected)
    : std::runtime_error(describe(file, line, parameter, found, expected)) {}

InputError::InputError(const std::string& file, const std::string& problem)
    : std::runtime_error(file + ": " + problem) {}

}  // namespace colloidsim
