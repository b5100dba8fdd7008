#include "driver/set_command.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "common/input_error.h"
#include "common/regular_file.h"
#include "driver/run_setup.h"
#include "io/output_file.h"
#include "io/parameter_file.h"
#include "io/parameter_rewrite.h"
#include "io/validation.h"

namespace colloidsim {

namespace {

constexpr const char* SET_FOOTER =
    "Writes FILE (default INPUT.IN) with each NAME=VALUE's value replaced and\n"
    "everything else as written: the six heading lines, the group titles, every\n"
    "other value's text. A new value is written in the shortest form that reads\n"
    "back to the same number (AP=0.25e-6 is written 2.5e-07). The new file must\n"
    "pass the checks of a run; otherwise, and for an unknown name or a value\n"
    "that does not parse, nothing is written. The file is written under a\n"
    "temporary name and renamed, so it is never half written.\n"
    "\n"
    "Examples:\n"
    "  colloidsim set AP=1e-6 IS=10\n"
    "  colloidsim set base/INPUT.IN ZETAPST=-0.03 --out twin/INPUT.IN\n"
    "  colloidsim set --list\n";

std::string file_text(const std::filesystem::path& path, const std::string& shown) {
  std::string text = read_regular_file(path, shown, "a parameter file", MAX_PARAMETER_FILE_BYTES);
  if (text.size() > MAX_PARAMETER_FILE_BYTES) {
    throw InputError(shown, 0, "", "more than 1 MB", "a parameter file of at most 1 MB");
  }
  return text;
}

}  // namespace

std::string set_usage_text() {
  return "Usage: colloidsim set [FILE] NAME=VALUE ... [--out FILE]\n"
         "       colloidsim set [FILE] --list\n"
         "\n"
         "Changes named values of a parameter file, keeping its layout.\n";
}

namespace {

bool read_file_name(const std::string& text, std::string& name) {
  name = text;
  return !text.empty();
}

}  // namespace

void define_set_options(OptionSet& options, SetArguments& a) {
  options.positional("ITEMS", a.items)
      .value("--out", "FILE", a.out_file, read_file_name, "a file name",
             "write the changed file here instead of over FILE")
      .flag("--list", a.list, "print every parameter with its group, unit and value")
      .footer(std::string("\n") + SET_FOOTER);
}

int run_set_command(const SetArguments& a, const CommandContext& context) {
  const std::vector<std::string>& items = a.items;
  const std::string& out_file = a.out_file;
  const bool list = a.list;
  const std::filesystem::path& workdir = context.workdir;
  std::ostream& out = context.out;
  std::ostream& err = context.err;
  try {
    std::string shown = PARAMETER_FILE;
    std::vector<ParameterAssignment> assignments;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i == 0 && items[i].find('=') == std::string::npos) {
        shown = items[i];
        continue;
      }
      assignments.push_back(split_assignment(items[i], "command line"));
    }
    const std::filesystem::path path = workdir / shown;
    const ParameterFile file = read_parameter_file(path, shown);
    if (list) {
      if (!assignments.empty() || !out_file.empty()) {
        throw InputError("command line", 0, "--list", "values to set or --out as well",
                         "--list alone: it changes nothing");
      }
      out << parameter_listing(file);
      return 0;
    }
    if (assignments.empty()) {
      throw InputError("command line", 0, "", "no NAME=VALUE",
                       "at least one value to set, such as AP=1e-6 (see colloidsim set --help)");
    }
    const std::string target_shown = out_file.empty() ? shown : out_file;
    const std::string text = rewrite_parameters(file_text(path, shown), file, assignments,
                                                "command line");
    // The new file as a run would read it: every check of a run, with the
    // setup scans.
    const ParameterFile changed = read_parameter_text(text, target_shown);
    validate_parameters(changed);
    prepare_checked_run(changed, std::nullopt);

    const std::filesystem::path target = workdir / target_shown;
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : workdir;
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error)) {
      const std::string parent = std::filesystem::path(target_shown).parent_path().string();
      throw InputError(target_shown, 0, "", "no directory " + quoted_value(parent) + " to hold it",
                       "a file in an existing directory");
    }
    CompleteFile result(dir, target.filename().string());
    result.write(text);
    result.commit();
    return 0;
  } catch (const InputError& e) {
    err << "colloidsim: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace colloidsim
