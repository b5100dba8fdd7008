#include "driver/program.h"

#include <memory>
#include <stdexcept>

#include "common/input_error.h"
#include "driver/command_line.h"
#include "driver/run.h"
#include "driver/summary_command.h"
#include "io/echo.h"
#include "io/parameter_file.h"
#include "io/restart_file.h"
#include "io/validation.h"
#include "simulation/run_context.h"

namespace colloidsim {

int run_program(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                std::ostream& out, std::ostream& err) {
  if (!args.empty() && args.front() == "summary") {
    return run_summary_command({args.begin() + 1, args.end()}, workdir, out, err);
  }
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
    const RunContext run = prepare_run(file.parameters, cl.seed);
    std::unique_ptr<RestartFile> restart;
    if (run.p.ATTMODE == -1) {
      restart = std::make_unique<RestartFile>(workdir / RESTART_FILE);
      const std::int32_t records = run.p.CLUSTER == 1 ? 1 : run.p.NPART;
      for (std::int32_t k = 1; k <= records; ++k) restart->record(k);
    }
    run_particles(run, IPART, restart.get(), workdir, out);
    return 0;
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
