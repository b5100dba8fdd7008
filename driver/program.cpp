#include "driver/program.h"

#include "common/input_error.h"
#include "driver/command_line.h"
#include "driver/echo.h"
#include "driver/parameter_file.h"
#include "driver/setup.h"
#include "driver/validation.h"

namespace colloidsim {

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
    ParameterFile file = read_parameter_file(workdir / PARAMETER_FILE);
    validate_parameters(file);
    RunParameters& p = file.parameters;
    const RunConstants constants = derive_run_constants(p);
    std::int32_t IPART = 1;
    if (p.CLUSTER == 1) {
      read_particle_arguments(cl.positional, p.NPART, IPART);
      validate_particle_number(p.NPART, IPART);
    }
    if (p.ATTMODE == -1) {
      RestartFile restart(workdir / RESTART_FILE);
      const std::int32_t records = p.CLUSTER == 1 ? 1 : p.NPART;
      for (std::int32_t k = 1; k <= records; ++k) restart.record(k);
    }
    std::string echo;
    append_echo(echo, p, echo_values(constants));
    out << echo;
    return 0;
  } catch (const InputError& e) {
    err << "colloidsim: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace colloidsim
