#include "io/parameter_table.h"

#include <charconv>

namespace colloidsim {

const ParameterInfo* find_parameter(std::string_view name) {
  for (const ParameterInfo& info : PARAMETERS) {
    if (name == info.name) return &info;
  }
  return nullptr;
}

std::string parameter_value_text(const ParameterInfo& info, double value) {
  if (info.is_integer()) return std::to_string(static_cast<std::int32_t>(value));
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace colloidsim
