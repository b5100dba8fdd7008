#include "driver/program.h"

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/input_error.h"
#include "driver/command_line.h"
#include "driver/run.h"
#include "io/echo.h"
#include "io/parameter_file.h"
#include "io/restart_file.h"
#include "io/validation.h"
#include "simulation/run_context.h"
#include "simulation/setup.h"
#include "simulation/trajectory.h"

namespace colloidsim {

namespace {

// Setup for checked parameters; a scan that runs past its cap is reported
// with the line of the parameter that makes it long.
RunContext prepare(const ParameterFile& file, std::optional<std::uint64_t> seed) {
  try {
    return prepare_run(file.parameters, seed);
  } catch (const SetupScanError& e) {
    throw parameter_error(file, e.parameter(), e.value(), e.expected());
  }
}

std::string value_text(double value) {
  if (std::isnan(value)) return "NaN";
  return value > 0 ? "Infinity" : "-Infinity";
}

}  // namespace

int run_program(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                std::ostream& out, std::ostream& err) {
  try {
    const CommandLine cl = parse_command_line(args);
    if (cl.help) {
      out << usage_text();
      return 0;
    }
    if (cl.version) {
      out << "colloidsim " << COLLOIDSIM_VERSION << "\n";
      return 0;
    }
    // Everything is read and checked before the first file is created.
    ParameterFile file = read_parameter_file(workdir / PARAMETER_FILE);
    // One-particle mode: the command line's particle count replaces the
    // file's, and a wrong particle number is reported before setup's scans.
    std::int32_t IPART = 1;
    if (file.parameters.CLUSTER == 1) {
      read_particle_arguments(cl.positional, file.parameters.NPART, IPART);
      validate_particle_number(file.parameters.NPART, IPART);
    }
    validate_parameters(file);
    const RunContext run = prepare(file, cl.seed);
    std::unique_ptr<RestartFile> restart;
    if (run.p.ATTMODE == -1) {
      restart = std::make_unique<RestartFile>(workdir / RESTART_FILE);
      const std::int32_t records = run.p.CLUSTER == 1 ? 1 : run.p.NPART;
      validate_restart_records(*restart, records, run.p, run.c);
    }
    run_particles(run, IPART, restart.get(), workdir, out);
    return 0;
  } catch (const NonFiniteState& e) {
    // The particle's values would be no result: none of its rows is
    // written, and the particles finished before it keep theirs.
    out.flush();
    err << "colloidsim: particle " << e.IPART() << ", step " << e.ISTEP() << ": "
        << e.quantity() << " is " << value_text(e.value())
        << "; the run stops here, with the rows of the particles finished before it (the "
           "parameters give this particle no finite trajectory)\n";
    return 1;
  } catch (const InputError& e) {
    out.flush();
    err << "colloidsim: " << e.what() << "\n";
    return 1;
  } catch (const std::runtime_error& e) {
    // The one fatal message of the program's own.
    out.flush();
    err << e.what() << "\n";
    return 1;
  }
}

}  // namespace colloidsim
