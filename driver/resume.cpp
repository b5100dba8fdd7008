#include "driver/resume.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/input_error.h"
#include "driver/run.h"
#include "io/file_names.h"
#include "io/output_file.h"
#include "analysis/run_files.h"

namespace colloidsim {

namespace {

struct FluxFileState {
  bool exists = false;
  std::uintmax_t whole = 0;      // bytes up to the end of the last whole line
  std::uintmax_t size = 0;
  bool head_partial = false;     // the file is a beginning of the head
  std::vector<std::int32_t> particles;
};

std::string refused(const std::string& why) {
  return why + "; --resume continues only a run of the same INPUT.IN in this directory";
}

// The "LABEL= value" items of an echo line, in order.
std::vector<std::pair<std::string, std::string>> echo_items(const std::string& line) {
  std::vector<std::pair<std::string, std::string>> items;
  std::istringstream in(line);
  for (std::string word; in >> word;) {
    const std::size_t equals = word.find('=');
    if (equals == std::string::npos) {
      if (!items.empty() && items.back().second.empty()) items.back().second = word;
      continue;
    }
    items.push_back({word.substr(0, equals), word.substr(equals + 1)});
  }
  return items;
}

// The values of echo line `line` (1-based) that differ between the stopped
// run's file and what INPUT.IN gives now, as "RLIM(m) 0.12000000E-03 in the
// file, 0.16000000E-03 from INPUT.IN"; empty when the line is no echo line
// or no value differs.
std::string echo_differences(const std::string& file_text, const std::string& head, std::size_t line) {
  const auto line_of = [&](const std::string& text) {
    std::size_t at = 0;
    for (std::size_t k = 1; k < line && at != std::string::npos; ++k) {
      at = text.find('\n', at);
      if (at != std::string::npos) ++at;
    }
    if (at == std::string::npos) return std::string();
    return text.substr(at, text.find('\n', at) - at);
  };
  if (line > 4) return "";
  const auto was = echo_items(line_of(file_text)), now = echo_items(line_of(head));
  std::string list;
  int listed = 0, more = 0;
  for (const auto& item : now) {
    const std::string& label = item.first;
    const std::string& value = item.second;
    const auto it = std::find_if(was.begin(), was.end(), [&](const auto& w) { return w.first == label; });
    if (it == was.end() || it->second == value) continue;
    if (listed == 3) {
      ++more;
      continue;
    }
    list += (listed++ ? "; " : "") + label + " " + it->second + " in the file, " + value +
            " from INPUT.IN";
  }
  if (more > 0) list += "; and " + std::to_string(more) + " more";
  return list;
}

FluxFileState read_stopped_flux_file(const std::filesystem::path& path, const std::string& name,
                                     const std::string& head, int family) {
  FluxFileState state;
  std::error_code error;
  state.exists = std::filesystem::exists(path, error);
  if (!state.exists) return state;
  if (!std::filesystem::is_regular_file(path, error)) {
    throw InputError(name, refused("it is not a regular file (a directory?)"));
  }
  state.size = std::filesystem::file_size(path);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(name, "cannot read the file of the stopped run");
  std::string start(head.size(), '\0');
  in.read(start.data(), static_cast<std::streamsize>(head.size()));
  start.resize(static_cast<std::size_t>(in.gcount()));
  if (start.size() < head.size()) {
    if (head.compare(0, start.size(), start) != 0) {
      throw InputError(name, refused("it does not begin with the echo, legend and header of this run"));
    }
    state.head_partial = true;
    return state;
  }
  if (start != head) {
    std::size_t line = 1;
    for (std::size_t k = 0; k < head.size() && start[k] == head[k]; ++k) {
      if (head[k] == '\n') ++line;
    }
    const std::string values = echo_differences(start, head, line);
    throw InputError(name, refused("line " + std::to_string(line) +
                                   " differs from what INPUT.IN gives (another run's file" +
                                   (values.empty() ? "" : ": " + values) + ")"));
  }
  std::uintmax_t at = head.size();
  int line = 6;
  for (std::string row; std::getline(in, row);) {
    if (in.eof()) break;  // a last line without its line end, cut off below
    ++line;
    FluxRecord record;
    std::string error;
    if (!parse_flux_row(row, record, error)) {
      throw InputError(name, line, "", "a row that is not a flux record (" + error + ")",
                       refused("whole rows"));
    }
    const std::int32_t J = record.IPART;
    if (static_cast<int>(flux_family_of(record.ATTACHK)) != family) {
      throw InputError(name, line, "", "particle " + std::to_string(J) + " with fate " +
                                           std::to_string(record.ATTACHK),
                       refused("rows of this file's family only"));
    }
    state.particles.push_back(J);
    at += row.size() + 1;
  }
  state.whole = at;
  return state;
}

}  // namespace

ResumePoint prepare_resume(const RunContext& run, const std::filesystem::path& workdir) {
  const std::string head = flux_head(run);
  FluxFileState files[3];
  int present = 0;
  for (int f = 0; f < 3; ++f) {
    files[f] = read_stopped_flux_file(workdir / FLUX_FILE_NAMES[f], FLUX_FILE_NAMES[f], head, f);
    present += files[f].exists;
  }
  ResumePoint point;
  if (present == 0) {
    point.fresh = true;
    return point;
  }
  const std::int32_t NPART = run.p.NPART;
  std::vector<char> seen(static_cast<std::size_t>(NPART) + 1, 0);
  std::int64_t total = 0;
  for (int f = 0; f < 3; ++f) {
    if (!files[f].exists) {
      throw InputError(FLUX_FILE_NAMES[f], refused("the file is missing while the other flux files are there"));
    }
    for (const std::int32_t J : files[f].particles) {
      if (J > NPART) {
        throw InputError(FLUX_FILE_NAMES[f], refused("it holds particle " + std::to_string(J) +
                                               " of a run of more than NPART = " +
                                               std::to_string(NPART) + " particles"));
      }
      if (seen[static_cast<std::size_t>(J)]) {
        throw InputError(FLUX_FILE_NAMES[f], refused("particle " + std::to_string(J) + " has two rows"));
      }
      seen[static_cast<std::size_t>(J)] = 1;
    }
    point.rows[f] = static_cast<std::int64_t>(files[f].particles.size());
    total += point.rows[f];
  }
  for (std::int64_t J = 1; J <= total; ++J) {
    if (!seen[static_cast<std::size_t>(J)]) {
      throw InputError(FLUX_FILE_NAMES[0],
                       refused("the flux files hold " + std::to_string(total) +
                               " rows but not particle " + std::to_string(J) +
                               ": not the whole first particles of a run"));
    }
  }
  point.completed = static_cast<std::int32_t>(total);

  // Every check passed: now the files may change.
  // A file is continued in place only when it is a regular file with no
  // other link; a link is replaced by a copy of its whole rows, so that the
  // file it points to is never written.
  for (int f = 0; f < 3; ++f) {
    const std::filesystem::path path = workdir / FLUX_FILE_NAMES[f];
    if (files[f].head_partial || !is_private_file(path)) {
      std::string text = head;
      if (!files[f].head_partial) {
        std::ifstream in(path, std::ios::binary);
        text.resize(static_cast<std::size_t>(files[f].whole));
        if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
          throw InputError(FLUX_FILE_NAMES[f], "cannot read the file of the stopped run");
        }
      }
      CompleteFile copy(workdir, FLUX_FILE_NAMES[f]);
      copy.write(text);
      copy.commit();
    } else if (files[f].whole < files[f].size) {
      OutputFile(workdir, FLUX_FILE_NAMES[f], OutputFile::Mode::APPEND)
          .truncate(static_cast<std::int64_t>(files[f].whole));
    }
  }
  return point;
}

}  // namespace colloidsim
