#include "analysis/run_files.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>

#include "common/input_error.h"
#include "common/run_parameters.h"
#include "io/echo.h"
#include "io/record_columns.h"

namespace colloidsim {

namespace {

constexpr int HEADING_LINES = 6;  // echo (4), legend, column header
constexpr std::size_t FLUX_FIELDS = FLUX_COLUMNS.size();

std::string in_quotes(std::string_view text) { return quoted_value(text); }

std::vector<std::string_view> split_blanks(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

bool all_digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An Iw field: optional minus sign and digits, within the range of Integer
// (32 bits for most fields, 64 for the visit counts).
template <typename Integer>
bool parse_fixed_integer(std::string_view text, Integer& value) {
  const std::string_view digits = !text.empty() && text[0] == '-' ? text.substr(1) : text;
  if (!all_digits(digits)) return false;
  Integer v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  value = v;
  return true;
}

// The labels and value kinds of the echo as this program writes it, taken
// from the writer itself so that the reader follows any change of layout.
struct EchoLayout {
  std::vector<RunEcho::Item> items;  // value: "i" for an integer, "r" for a real
};

bool split_echo_line(std::string_view line, int number, std::vector<RunEcho::Item>& items,
                     std::string& error) {
  const std::vector<std::string_view> tokens = split_blanks(line);
  for (std::size_t t = 0; t < tokens.size(); ++t) {
    const std::string_view token = tokens[t];
    const std::size_t equals = token.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      error = "found " + in_quotes(token) + " where a label ending in \"=\" belongs";
      return false;
    }
    RunEcho::Item item;
    item.label = std::string(token.substr(0, equals));
    item.line = number;
    std::string_view value = token.substr(equals + 1);
    if (value.empty()) {
      if (t + 1 == tokens.size() || tokens[t + 1].find('=') != std::string_view::npos) {
        error = "found the label " + in_quotes(item.label) + " without a value";
        return false;
      }
      value = tokens[++t];
    }
    if (value.find('=') != std::string_view::npos) {
      error = "found the label " + in_quotes(item.label) + " without a value";
      return false;
    }
    item.value = std::string(value);
    items.push_back(std::move(item));
  }
  return true;
}

const EchoLayout& echo_layout() {
  static const EchoLayout layout = [] {
    RunParameters p;
    std::string text;
    append_echo(text, p, EchoValues{});
    EchoLayout l;
    std::istringstream in(text);
    int number = 0;
    std::string error;
    for (std::string line; std::getline(in, line);) {
      split_echo_line(line, ++number, l.items, error);
    }
    for (RunEcho::Item& item : l.items) {
      item.value = item.value.find('.') == std::string::npos ? "i" : "r";
    }
    return l;
  }();
  return layout;
}

// Checks the four echo lines against the writer's layout. Returns false
// with the line and what is wrong.
bool read_echo(const std::vector<std::string_view>& lines, RunEcho& echo, int& bad_line,
               std::string& error) {
  const EchoLayout& layout = echo_layout();
  echo.items.clear();
  echo.text.clear();
  for (int k = 0; k < 4; ++k) {
    echo.text += lines[static_cast<std::size_t>(k)];
    echo.text += '\n';
  }
  for (int k = 0; k < 4; ++k) {
    const std::size_t before = echo.items.size();
    if (!split_echo_line(lines[static_cast<std::size_t>(k)], k + 1, echo.items, error)) {
      bad_line = k + 1;
      return false;
    }
    for (std::size_t i = before; i < echo.items.size(); ++i) {
      const RunEcho::Item& item = echo.items[i];
      bad_line = k + 1;
      if (i >= layout.items.size() || layout.items[i].line != k + 1) {
        error = "found the echo item " + in_quotes(item.label) + " beyond the items of this line";
        return false;
      }
      const RunEcho::Item& expected = layout.items[i];
      if (item.label != expected.label) {
        error = "found the echo label " + in_quotes(item.label) + "; expected " +
                in_quotes(expected.label);
        return false;
      }
      double real = 0;
      std::int32_t integer = 0;
      const bool ok = expected.value == "i" ? parse_fixed_integer(item.value, integer)
                                            : parse_fixed_real(item.value, real);
      if (!ok) {
        error = "found " + item.label + " = " + in_quotes(item.value) + "; expected " +
                (expected.value == "i" ? "an integer" : "a real in the E15.8 form");
        return false;
      }
    }
    const std::size_t expected_count = static_cast<std::size_t>(
        std::count_if(layout.items.begin(), layout.items.end(),
                      [&](const RunEcho::Item& item) { return item.line <= k + 1; }));
    if (echo.items.size() != expected_count) {
      bad_line = k + 1;
      error = "found " + std::to_string(echo.items.size() - before) + " echo items; expected the " +
              std::to_string(expected_count - before) + " items this program writes on this line";
      return false;
    }
  }
  return true;
}

std::string reference_legend() {
  std::string text;
  append_legend(text);
  text.pop_back();
  return text;
}

std::string reference_header() {
  std::string text;
  append_flux_header(text);
  text.pop_back();
  return text;
}

// The first echo item that differs between two echoes.
std::string echo_difference(const RunEcho& here, const RunEcho& there, const std::string& other) {
  for (std::size_t i = 0; i < here.items.size() && i < there.items.size(); ++i) {
    if (here.items[i].value != there.items[i].value) {
      // The values were read as numbers: only a long one needs cutting.
      const auto shown = [](const std::string& value) {
        return value.size() > SHOWN_VALUE_LENGTH ? quoted_value(value) : value;
      };
      return "its echo differs from that of " + other + " (a file of another run): " +
             here.items[i].label + " is " + shown(here.items[i].value) + " here, " +
             shown(there.items[i].value) + " there";
    }
  }
  return "its echo differs from that of " + other + " (a file of another run)";
}

std::optional<std::int32_t> numbered_particle(const std::string& name, int& family) {
  for (int f = 0; f < 3; ++f) {
    const std::string_view prefix = NUMBERED_FLUX_PREFIXES[f];
    if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 4, 4, ".OUT") != 0) {
      continue;
    }
    const std::string_view digits =
        std::string_view(name).substr(prefix.size(), name.size() - prefix.size() - 4);
    std::int32_t n = 0;
    // The program writes the number without blanks or leading zeros.
    if (!all_digits(digits) || digits[0] == '0' || !parse_fixed_integer(digits, n)) continue;
    family = f;
    return n;
  }
  return std::nullopt;
}

}  // namespace

std::string describe(const RunProblem& problem) {
  std::string text = problem.file;
  if (problem.line > 0) text += ", line " + std::to_string(problem.line);
  return text + ": " + problem.message;
}

const RunEcho::Item* RunEcho::find(std::string_view label) const {
  for (const Item& item : items) {
    if (item.label == label) return &item;
  }
  return nullptr;
}

double RunEcho::real(std::string_view label, const std::string& file) const {
  const Item* item = find(label);
  double value = 0;
  if (!item) {
    throw InputError(file, 0, std::string(label), "no such echo item", "the echo of a run");
  }
  if (!parse_fixed_real(item->value, value)) {
    throw InputError(file, item->line, std::string(label), in_quotes(item->value), "a real number");
  }
  return value;
}

std::int32_t RunEcho::integer(std::string_view label, const std::string& file) const {
  const Item* item = find(label);
  std::int32_t value = 0;
  if (!item) {
    throw InputError(file, 0, std::string(label), "no such echo item", "the echo of a run");
  }
  if (!parse_fixed_integer(item->value, value)) {
    throw InputError(file, item->line, std::string(label), in_quotes(item->value), "an integer");
  }
  return value;
}

bool parse_fixed_real(std::string_view text, double& value) {
  if (text == "NaN") {
    value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (text == "Infinity" || text == "-Infinity") {
    value = text[0] == '-' ? -std::numeric_limits<double>::infinity()
                           : std::numeric_limits<double>::infinity();
    return true;
  }
  // [-]0.ddd then E+nn / E-nn, or +nnn / -nnn without the letter.
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  if (text.substr(i, 2) != "0.") return false;
  i += 2;
  const std::size_t digits_start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == digits_start) return false;
  std::string normal(text.substr(0, i));
  std::string_view exponent = text.substr(i);
  if (exponent.size() == 4 && exponent[0] == 'E') {
    exponent.remove_prefix(1);
  } else if (exponent.size() != 4) {
    return false;
  }
  if ((exponent[0] != '+' && exponent[0] != '-') || !all_digits(exponent.substr(1))) return false;
  normal += 'e';
  normal += exponent;
  value = std::strtod(normal.c_str(), nullptr);
  return true;
}

bool parse_flux_row(std::string_view text, FluxRecord& r, std::string& error) {
  const std::vector<std::string_view> f = split_blanks(text);
  if (f.size() != FLUX_FIELDS) {
    error = f.empty() ? "found an empty line; expected a flux row"
                      : "found a row of " + std::to_string(f.size()) + " fields; expected the " +
                            std::to_string(FLUX_FIELDS) + " fields of a flux row";
    return false;
  }
  // The particle number and the fate are read more strictly than the other
  // integers: the number as the digits of I6.6 (or more), the fate as a code.
  constexpr std::size_t particle = column_of(FLUX_COLUMNS, &FluxRecord::IPART);
  constexpr std::size_t fate = column_of(FLUX_COLUMNS, &FluxRecord::ATTACHK);
  for (std::size_t k = 0; k < FLUX_FIELDS; ++k) {
    const FluxColumn& c = FLUX_COLUMNS[k];
    const std::string_view field = f[k];
    const char* expected = nullptr;
    if (k == particle) {
      if (!all_digits(field) || !parse_fixed_integer(field, r.IPART) || r.IPART < 1) {
        expected = "a particle number (six digits or more)";
      }
    } else if (k == fate) {
      if (field.size() != 1 || field[0] < '1' || field[0] > '6') {
        expected = "a fate code 1..6";
      } else {
        r.ATTACHK = field[0] - '0';
      }
    } else if (c.kind == ColumnKind::Real) {
      if (!parse_fixed_real(field, r.*c.real)) expected = "a real in the E15.8 form";
    } else if (c.int32 ? !parse_fixed_integer(field, r.*c.int32)
                       : !parse_fixed_integer(field, r.*c.int64)) {
      expected = "an integer";
    }
    if (expected) {
      error = "field " + std::to_string(k + 1) + " (" + std::string(c.title) + "): found " +
              in_quotes(field) + "; expected " + expected;
      return false;
    }
  }
  return true;
}

FluxFile read_flux_file(const std::filesystem::path& path, FluxFamily family,
                        std::vector<RunProblem>& problems) {
  const std::string name = path.filename().string();
  std::error_code error;
  // A directory, a device or a pipe of that name is no flux file (and
  // /dev/zero would never end).
  if (!std::filesystem::is_regular_file(path, error) && !error) {
    problems.push_back({name, 0, "not a regular file; expected a flux file of a run"});
    return FluxFile{name, family, {}, {}};
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw InputError(name, std::string("cannot open the file (") + std::strerror(errno) +
                               "); expected a flux file of a run");
  }
  std::ostringstream contents;
  contents << in.rdbuf();
  if (in.bad()) throw InputError(name, "cannot read the file");
  return parse_flux_file(name, contents.str(), family, problems);
}

FluxFile parse_flux_file(const std::string& name, const std::string& text, FluxFamily family,
                         std::vector<RunProblem>& problems) {
  FluxFile file;
  file.name = name;
  file.family = family;
  if (text.find('\0') != std::string::npos) {
    problems.push_back({file.name, 0, "a binary or UTF-16 file; expected a flux file of a run"});
    return file;
  }

  std::vector<std::string_view> lines;
  bool last_has_end = true;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(std::string_view(text).substr(start));
      last_has_end = false;
      break;
    }
    lines.push_back(std::string_view(text).substr(start, end - start));
    start = end + 1;
  }
  const auto problem = [&](int line, std::string message) {
    problems.push_back({file.name, line, std::move(message)});
  };

  if (lines.size() < HEADING_LINES) {
    problem(0, "holds " + std::to_string(lines.size()) +
                   " lines; expected the four echo lines, the fate legend and the column header");
    return file;
  }
  int bad_line = 0;
  std::string error;
  if (!read_echo(lines, file.echo, bad_line, error)) {
    problem(bad_line, error);
    file.echo.items.clear();  // reported once; not compared with other files
  }
  if (lines[4] != reference_legend()) {
    problem(5, "found another line; expected the fate legend \"ATTACHK1=EXIT,...\"");
  }
  if (lines[5] != reference_header()) {
    problem(6, "found another line; expected the column header \"PARTICLE   ATTACHK ...\"");
  }
  if (lines.size() == HEADING_LINES && !last_has_end) {
    problem(6, "the column header has no line end");
  }

  const int family_index = static_cast<int>(family);
  for (std::size_t i = HEADING_LINES; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    if (i + 1 == lines.size() && !last_has_end) {
      problem(number, "the last row has no line end (its write was cut short)");
      break;
    }
    FluxRow row;
    if (!parse_flux_row(lines[i], row.record, error)) {
      problem(number, error);
      continue;
    }
    if (flux_family_of(row.record.ATTACHK) != family) {
      problem(number,
              "particle " + std::to_string(row.record.IPART) + " has fate " +
                  std::to_string(row.record.ATTACHK) + ", which belongs in the " +
                  FLUX_FAMILY_NAMES[static_cast<std::size_t>(flux_family_of(row.record.ATTACHK))] +
                  " files, not the " + FLUX_FAMILY_NAMES[family_index] + " files");
      continue;
    }
    row.text = std::string(lines[i]);
    row.line = number;
    file.rows.push_back(std::move(row));
  }
  return file;
}

std::int64_t RunFiles::missing_count() const {
  std::int64_t n = 0;
  for (const auto& [first, last] : missing) n += std::int64_t{last} - first + 1;
  return n;
}

RunFiles read_run_files(const std::filesystem::path& directory, RunFileChoice choice) {
  RunFiles run;
  run.directory = directory;
  // As typed, without the "./." the working directory and a default DIR make.
  std::string shown = directory.lexically_normal().string();
  if (shown.size() > 1 && shown.back() == '/') shown.pop_back();

  bool all_particles_present[3] = {false, false, false};
  std::map<std::int32_t, std::array<bool, 3>> numbered;
  std::error_code ec;
  std::filesystem::directory_iterator it(directory, ec);
  if (ec) {
    throw InputError(shown, "cannot list the directory (" + ec.message() +
                                "); expected the directory of a finished run");
  }
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) throw InputError(shown, "cannot list the directory (" + ec.message() + ")");
    const std::string name = it->path().filename().string();
    for (int f = 0; f < 3; ++f) {
      if (name == FLUX_FILE_NAMES[f]) all_particles_present[f] = true;
    }
    int family = 0;
    if (const auto n = numbered_particle(name, family)) {
      numbered[*n][static_cast<std::size_t>(family)] = true;
    }
  }
  const bool any_all_particles =
      all_particles_present[0] || all_particles_present[1] || all_particles_present[2];
  if (choice == RunFileChoice::Automatic) {
    choice = any_all_particles ? RunFileChoice::AllParticles : RunFileChoice::Numbered;
  }
  const char* const no_files =
      "found no flux files; expected FLUXEX.OUT, FLUXATT.OUT and FLUXREM.OUT of an "
      "all-particles run, or the numbered VORNEKFLUXEX.n.OUT, VORNEKFLUXATT.n.OUT and "
      "VORNEKFLUXREM.n.OUT of one-particle runs";

  // Each file with the particle its name carries (0: all-particles files).
  std::vector<std::int32_t> file_particle;
  if (choice == RunFileChoice::AllParticles) {
    run.layout = RunLayout::AllParticles;
    if (!any_all_particles) throw InputError(shown, no_files);
    for (int f = 0; f < 3; ++f) {
      if (!all_particles_present[f]) {
        run.problems.push_back({FLUX_FILE_NAMES[f], 0,
                                "missing; an all-particles run writes FLUXEX.OUT, FLUXATT.OUT "
                                "and FLUXREM.OUT"});
        continue;
      }
      run.files.push_back(read_flux_file(directory / FLUX_FILE_NAMES[f],
                                         static_cast<FluxFamily>(f), run.problems));
      file_particle.push_back(0);
    }
  } else {
    run.layout = RunLayout::Numbered;
    if (numbered.empty() && any_all_particles) {
      throw InputError(shown, "found the flux files of an all-particles run (FLUXEX.OUT, "
                              "FLUXATT.OUT, FLUXREM.OUT), which are not numbered files; expected "
                              "the numbered VORNEKFLUXEX.n.OUT, VORNEKFLUXATT.n.OUT and "
                              "VORNEKFLUXREM.n.OUT of one-particle runs (an all-particles run "
                              "needs no merge)");
    }
    if (numbered.empty()) throw InputError(shown, no_files);
    for (const auto& [n, present] : numbered) {
      std::string some;
      for (int f = 0; f < 3; ++f) {
        if (present[static_cast<std::size_t>(f)]) {
          some = NUMBERED_FLUX_PREFIXES[f] + std::to_string(n) + ".OUT";
        }
      }
      for (int f = 0; f < 3; ++f) {
        const std::string name = NUMBERED_FLUX_PREFIXES[f] + std::to_string(n) + ".OUT";
        if (!present[static_cast<std::size_t>(f)]) {
          run.problems.push_back(
              {name, 0,
               "missing; a one-particle run writes three numbered flux files, and " + some +
                   " is here"});
          continue;
        }
        run.files.push_back(
            read_flux_file(directory / name, static_cast<FluxFamily>(f), run.problems));
        file_particle.push_back(n);
      }
    }
  }
  join_run_files(run, file_particle);
  return run;
}

void join_run_files(RunFiles& run, const std::vector<std::int32_t>& file_particle) {
  if (run.files.empty()) return;

  std::size_t first = 0;
  while (first + 1 < run.files.size() && run.files[first].echo.items.empty()) ++first;
  run.echo = run.files[first].echo;
  if (const RunEcho::Item* item = run.echo.find("NPART")) {
    std::int32_t NPART = 0;
    if (parse_fixed_integer(item->value, NPART)) run.NPART = NPART;
  }
  std::map<std::int32_t, std::pair<std::size_t, int>> seen;  // particle -> file, line
  for (std::size_t i = 0; i < run.files.size(); ++i) {
    FluxFile& file = run.files[i];
    if (!file.echo.items.empty() && !run.echo.items.empty() && file.echo.text != run.echo.text) {
      run.problems.push_back(
          {file.name, 0, echo_difference(file.echo, run.echo, run.files[first].name)});
    }
    for (std::size_t k = 0; k < file.rows.size(); ++k) {
      FluxRow& row = file.rows[k];
      row.file = i;
      const std::int32_t IPART = row.record.IPART;
      const auto problem = [&](std::string message) {
        run.problems.push_back({file.name, row.line, std::move(message)});
      };
      if (file_particle[i] != 0 && k > 0) {
        problem("a second row; a numbered file holds the row of its own particle only");
        continue;
      }
      if (file_particle[i] != 0 && IPART != file_particle[i]) {
        problem("the row of particle " + std::to_string(IPART) + " in a file of particle " +
                std::to_string(file_particle[i]));
        continue;
      }
      if (run.NPART > 0 && IPART > run.NPART) {
        problem("particle " + std::to_string(IPART) +
                " is not one of 1..NPART = " + std::to_string(run.NPART));
        continue;
      }
      const auto [where, inserted] = seen.try_emplace(IPART, i, row.line);
      if (!inserted) {
        problem("a second row of particle " + std::to_string(IPART) + "; its first is in " +
                run.files[where->second.first].name + ", line " +
                std::to_string(where->second.second));
        continue;
      }
      run.rows[static_cast<std::size_t>(file.family)].push_back(row);
    }
  }
  for (auto& rows : run.rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const FluxRow& a, const FluxRow& b) {
      return a.record.IPART < b.record.IPART;
    });
  }
  // 64 bits: one past the largest particle number.
  std::int64_t next = 1;
  for (const auto& entry : seen) {
    if (entry.first > next) run.missing.push_back({static_cast<std::int32_t>(next), entry.first - 1});
    next = std::int64_t{entry.first} + 1;
  }
  if (next <= run.NPART) run.missing.push_back({static_cast<std::int32_t>(next), run.NPART});
}

}  // namespace colloidsim
