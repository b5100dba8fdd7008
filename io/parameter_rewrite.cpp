#include "io/parameter_rewrite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "common/input_error.h"
#include "common/list_reader.h"
#include "io/parameter_table.h"

namespace colloidsim {

namespace {

const ParameterInfo& known_parameter(const std::string& name, const std::string& where) {
  const ParameterInfo* info = find_parameter(name);
  if (!info) {
    throw InputError(where, 0, "", "the unknown parameter " + quoted_value(name),
                     "a parameter name of INPUT.IN (colloidsim set --list lists them)");
  }
  return *info;
}

// The value as a number of the parameter's kind.
double parsed_value(const ParameterInfo& info, const std::string& text, const std::string& where) {
  if (info.is_integer()) {
    std::int32_t value = 0;
    if (!parse_integer(text, value)) throw InputError(where, 0, info.name, quoted_value(text), "an integer");
    return value;
  }
  double value = 0;
  if (!parse_real(text, value)) throw InputError(where, 0, info.name, quoted_value(text), "a real number");
  return value;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<std::string> split_lines_kept(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// One item of a line to be replaced: its place, and the texts of its values
// (one for a plain value or a null, r for a repeat).
struct Edit {
  std::size_t length = 0;
  std::vector<std::string> values;
};

}  // namespace

ParameterAssignment split_assignment(const std::string& text, const std::string& where) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0) {
    throw InputError(where, 0, "", quoted_value(text), "NAME=VALUE, such as AP=1e-6");
  }
  return {text.substr(0, equals), text.substr(equals + 1)};
}

std::string rewrite_parameters(const std::string& text, const ParameterFile& file,
                               const std::vector<ParameterAssignment>& assignments,
                               const std::string& where) {
  std::map<std::string, double> wanted;
  // Edits by line (0-based) and column.
  std::map<int, std::map<std::size_t, Edit>> edits;
  for (const ParameterAssignment& a : assignments) {
    const ParameterInfo& info = known_parameter(a.name, where);
    const double value = parsed_value(info, a.value, where);
    if (!wanted.emplace(a.name, value).second) {
      throw InputError(where, 0, a.name, "a second value " + quoted_value(a.value),
                       "each parameter named once");
    }
    const auto origin = file.origins.find(a.name);
    if (origin == file.origins.end() || origin->second.after_slash) {
      const int line = origin == file.origins.end() ? 0 : origin->second.line;
      throw InputError(file.display_name, line, a.name, "no value (a slash ends its group first)",
                       "a value written in the file to replace");
    }
    const ValueOrigin& o = origin->second;
    if (o.text.empty() && o.repeat > 1) {
      throw InputError(file.display_name, o.line, a.name, "a repeat of nulls \"" +
                                                              std::to_string(o.repeat) + "*\"",
                       "a value written in the file to replace");
    }
    Edit& edit = edits[o.line - 1][o.column];
    if (edit.values.empty()) {
      edit.length = o.length;
      edit.values.assign(static_cast<std::size_t>(o.repeat), o.text);
    }
    edit.values[static_cast<std::size_t>(o.copy)] = parameter_value_text(info, value);
  }

  std::vector<std::string> lines = split_lines_kept(text);
  for (auto& [line, on_line] : edits) {
    std::string& l = lines.at(static_cast<std::size_t>(line));
    // From the right, so that the columns to the left stay where they were.
    for (auto it = on_line.rbegin(); it != on_line.rend(); ++it) {
      std::string joined;
      for (const std::string& v : it->second.values) joined += (joined.empty() ? "" : " ") + v;
      l.replace(it->first, it->second.length, joined);
    }
  }
  std::string result;
  for (std::size_t i = 0; i < lines.size(); ++i) result += (i ? "\n" : "") + lines[i];

  // Read back: the new values, and every other value as it was.
  const ParameterFile check = read_parameter_text(result, file.display_name);
  for (const ParameterInfo& info : PARAMETERS) {
    const auto it = wanted.find(info.name);
    const double expected = it != wanted.end() ? it->second : info.value(file.parameters);
    if (!same_bits(info.value(check.parameters), expected)) {
      throw InputError(file.display_name, "the rewritten file does not read back the value of " +
                                              std::string(info.name) + "; the file is left as it was");
    }
  }
  return result;
}

std::string parameter_listing(const ParameterFile& file) {
  std::string out = "name       group  unit    value\n";
  for (const ParameterInfo& info : PARAMETERS) {
    char line[128];
    std::snprintf(line, sizeof line, "%-10s %5d  %-7s %s\n", info.name, info.group, info.unit,
                  parameter_value_text(info, info.value(file.parameters)).c_str());
    out += line;
  }
  return out;
}

}  // namespace colloidsim
