#include "io/parameter_file.h"

#include "common/input_error.h"
#include "io/parameter_table.h"

namespace colloidsim {

namespace {

using I = ListItem;

constexpr const char* PARAMETER_FILE_PURPOSE = "the run's parameter file in the working directory";

ParameterFile read_parameters(ListReader in) {
  RunParameters p;
  for (int heading = 0; heading < 6; ++heading) in.read({});
  for (int group = 0; group < PARAMETER_GROUPS; ++group) {
    if (group > 0) {
      in.skip_lines(4, "the four separator lines before group " + std::to_string(group));
    }
    std::vector<ListItem> items;
    for (const ParameterInfo& info : PARAMETERS) {
      if (info.group != group) continue;
      items.push_back(info.is_integer() ? I::integer(info.name, p.*info.integer)
                                        : I::real(info.name, p.*info.real));
    }
    in.read_group(group == 0 ? std::string("group 0 (line 7)") : "group " + std::to_string(group),
                  items);
  }
  ParameterFile file{p, in.origins(), in.warnings()};
  file.display_name = in.display_name();
  return file;
}

}  // namespace

ParameterFile read_parameter_file(const std::filesystem::path& path,
                                  const std::string& display_name) {
  return read_parameters(ListReader::from_file(path, display_name, PARAMETER_FILE_PURPOSE,
                                               MAX_PARAMETER_FILE_BYTES));
}

ParameterFile read_parameter_text(std::string contents, const std::string& display_name) {
  return read_parameters(
      ListReader::from_text(display_name, std::move(contents), PARAMETER_FILE_PURPOSE));
}

namespace {

// A whole decimal number: an optional sign and 1 to 10 digits, within 32 bits.
bool read_whole_number(const std::string& text, std::int32_t& value) {
  const std::size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  const std::string digits = text.substr(start);
  if (digits.empty() || digits.size() > 10) return false;
  long long v = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (text[0] == '-') v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

// "A-B": two runs of digits joined by one dash, each a 32-bit number.
bool read_block(const std::string& text, std::int32_t& FIRST, std::int32_t& LAST) {
  const std::size_t dash = text.find('-');
  const auto number = [](const std::string& digits, std::int32_t& value) {
    return !digits.empty() && digits[0] != '+' && digits[0] != '-' &&
           read_whole_number(digits, value);
  };
  return number(text.substr(0, dash), FIRST) && number(text.substr(dash + 1), LAST);
}

}  // namespace

void read_particle_arguments(const std::vector<std::string>& positional, std::int32_t& NPART,
                             std::int32_t& FIRST, std::int32_t& LAST) {
  const char* names[2] = {"NPART", "IPART"};
  const char* expected[2] = {"the particle count, a whole decimal number",
                             "a particle number, or a block A-B of particle numbers"};
  std::int32_t* targets[2] = {&NPART, &FIRST};
  for (std::size_t i = 0; i < 2; ++i) {
    const std::string where = "command line argument " + std::to_string(i + 1);
    if (i >= positional.size()) {
      throw InputError(where, 0, names[i], "no argument",
                       "the particle count and the particle number (one-particle mode)");
    }
    const std::string& text = positional[i];
    // A dash after the first character makes a block of particles, A-B.
    const bool block = i == 1 && text.find('-', 1) != std::string::npos;
    if (block ? !read_block(text, FIRST, LAST) : !read_whole_number(text, *targets[i])) {
      throw InputError(where, 0, names[i], quoted_value(text), expected[i]);
    }
    if (block) return;
  }
  LAST = FIRST;
}

}  // namespace colloidsim
