#include "driver/profile_command.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "analysis/profile_report.h"
#include "analysis/run_profile.h"
#include "common/constants.h"
#include "common/input_error.h"
#include "driver/run_setup.h"
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

bool read_grid(const std::string& text, int& points) {
  const bool digits = !text.empty() && text.size() <= 9 &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) return false;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value < 2 || value > MAX_PROFILE_POINTS) return false;
  points = static_cast<int>(value);
  return true;
}

bool read_hmax(const std::string& text, double& hmax) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !(value > H0 && value <= MAX_HMAX)) {
    return false;
  }
  hmax = value;
  return true;
}

}  // namespace

std::string profile_usage_text() {
  return std::string("Usage: colloidsim profile [--json | --csv] [--grid N] [--hmax H]\n\n") +
         DESCRIPTION + "\n";
}

void define_profile_options(OptionSet& options, ProfileArguments& a) {
  options.positional("NONE", a.positional)
      .flag("--json", a.json, "print one JSON object (keys in README.md, \"Profiles\")")
      .flag("--csv", a.csv, "print one CSV row per grid point and surface pair")
      .value("--grid", "N", a.points, read_grid,
             "a whole number of grid points from 2 to " + std::to_string(MAX_PROFILE_POINTS),
             "grid points, evenly spaced in ln H (default 400)")
      .value("--hmax", "H", a.hmax, read_hmax,
             "the upper end of the grid in m, above H0 = 1.58e-10 and at most 1e-3",
             "upper end of the grid, m (default: where every force part has fallen\n"
             "below 1e-6 kT per nm, at most 1e-6)")
      .footer("\nExit status: 0 after the report; 1 for bad input or arguments.\n");
}

int run_profile_command(const ProfileArguments& a, const CommandContext& context) {
  const std::filesystem::path& workdir = context.workdir;
  std::ostream& out = context.out;
  std::ostream& err = context.err;
  const bool json = a.json, csv = a.csv;
  ProfileOptions options;
  options.points = a.points;
  options.hmax = a.hmax;
  try {
    const std::filesystem::path input =
        std::filesystem::absolute(workdir / PARAMETER_FILE).lexically_normal();
    if (!a.positional.empty()) {
      throw InputError("command line", 0, "", quoted_value(a.positional.front()),
                       "no directory: profile reads INPUT.IN of the working directory");
    }
    if (json && csv) {
      throw InputError("command line", 0, "--csv", "--json and --csv together",
                       "one of them (see colloidsim profile --help)");
    }
    const ParameterFile file = read_parameter_file(workdir / PARAMETER_FILE);
    validate_parameters(file);
    const RunContext run = prepare_checked_run(file, std::nullopt);
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
