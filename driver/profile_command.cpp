#include "driver/profile_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "analysis/profile_report.h"
#include "analysis/run_profile.h"
#include "common/constants.h"
#include "common/input_error.h"
#include "io/parameter_file.h"
#include "io/validation.h"
#include "simulation/run_context.h"
#include "simulation/setup.h"

namespace colloidsim {

namespace {

constexpr int MAX_PROFILE_POINTS = 100000;
constexpr double MAX_HMAX = 1e-3;  // m

const char* const DESCRIPTION =
    "Prints the interaction energy profile E(H) of the colloidal force FCOLL and of its parts\n"
    "(van der Waals, double layer, acid-base, Born, steric), as the run's force laws give them\n"
    "outside contact, for every surface pair the particle can meet; the energy barrier and the\n"
    "primary and secondary minima; HCUT, HMIN, the Debye length, RZOIBULK; the time steps,\n"
    "settling velocity, diffusion coefficient, dimensionless numbers, eta0 of two correlations\n"
    "and a rough cost per particle. Reads INPUT.IN of the working directory, checked as a run\n"
    "checks it; writes no file.";

std::string grid_check(const std::string& text) {
  const bool digits = !text.empty() && text.size() <= 9 &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value >= 2 && value <= MAX_PROFILE_POINTS) return "";
  }
  return "found " + quoted_value(text) + "; expected a whole number of grid points from 2 to " +
         std::to_string(MAX_PROFILE_POINTS);
}

std::string hmax_check(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (!text.empty() && end == text.c_str() + text.size() && value > H0 && value <= MAX_HMAX) {
    return "";
  }
  return "found " + quoted_value(text) +
         "; expected the upper end of the grid in m, above H0 = 1.58e-10 and at most 1e-3";
}

// Setup for checked parameters; a scan that runs past its cap is reported
// with the line of the parameter that makes it long.
RunContext prepare(const ParameterFile& file) {
  try {
    return prepare_run(file.parameters, std::nullopt);
  } catch (const SetupScanError& e) {
    throw parameter_error(file, e.parameter(), e.value(), e.expected());
  }
}

}  // namespace

int run_profile_command(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                        std::ostream& out, std::ostream& err) {
  CLI::App app(DESCRIPTION, "colloidsim profile");
  bool json = false, csv = false;
  ProfileOptions options;
  double hmax = 0;
  CLI::Option* json_flag = app.add_flag("--json", json, "print one JSON object (keys in README.md, \"Profiles\")");
  app.add_flag("--csv", csv, "print one CSV row per grid point and surface pair")->excludes(json_flag);
  app.add_option("--grid", options.points, "grid points, evenly spaced in ln H (default 400)")
      ->check(CLI::Validator(grid_check, "N", ""));
  CLI::Option* hmax_option =
      app.add_option("--hmax", hmax,
                     "upper end of the grid, m (default: where every force part has fallen "
                     "below 1e-6 kT per nm, at most 1e-6)")
          ->check(CLI::Validator(hmax_check, "H", ""));
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::ParseError& e) {
    err << "colloidsim: command line: " << e.what() << " (see colloidsim profile --help)\n";
    return 1;
  }
  if (*hmax_option) options.hmax = hmax;
  try {
    const std::filesystem::path input =
        std::filesystem::absolute(workdir / PARAMETER_FILE).lexically_normal();
    const ParameterFile file = read_parameter_file(workdir / PARAMETER_FILE);
    validate_parameters(file);
    const RunContext run = prepare(file);
    const RunProfile profile = profile_run(run, file.parameters, options);
    if (json) {
      write_profile_json(out, profile, input);
    } else if (csv) {
      write_profile_csv(out, profile);
    } else {
      write_profile_text(out, profile, input);
    }
    out.flush();
    return 0;
  } catch (const InputError& e) {
    err << "colloidsim: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace colloidsim
