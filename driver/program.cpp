#include "driver/program.h"

#include <sched.h>

#include <cmath>
#include <memory>
#include <new>
#include <thread>
#include <stdexcept>
#include <string>

#include "common/input_error.h"
#include "driver/command_line.h"
#include "driver/interrupt.h"
#include "driver/resume.h"
#include "driver/run.h"
#include "driver/run_guard.h"
#include "driver/profile_command.h"
#include "driver/run_setup.h"
#include "driver/set_command.h"
#include "driver/study_command.h"
#include "driver/merge_command.h"
#include "driver/summary_command.h"
#include "io/echo.h"
#include "io/parameter_file.h"
#include "io/restart_file.h"
#include "io/validation.h"
#include "simulation/run_context.h"
#include "simulation/setup.h"
#include "simulation/trajectory.h"

namespace colloidsim {

namespace {

std::string value_text(double value) {
  if (std::isnan(value)) return "NaN";
  return value > 0 ? "Infinity" : "-Infinity";
}

}  // namespace

int available_cpus() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  const unsigned count = std::thread::hardware_concurrency();
  return count > 0 ? static_cast<int>(count) : 1;
}

namespace {

// The subcommands: one registration each (name, its line in --help, its
// usage text, its options, its run_X_command).
std::vector<Subcommand> subcommands() {
  return {
      subcommand("summary", "report on a finished run", summary_usage_text(),
                 define_summary_options, run_summary_command),
      subcommand("merge", "flux files from numbered files", merge_usage_text(),
                 define_merge_options, run_merge_command),
      subcommand("missing", "particles still to run", missing_usage_text(),
                 define_missing_options, run_missing_command),
      subcommand("set", "change values of a parameter file", set_usage_text(),
                 define_set_options, run_set_command),
      subcommand("profile", "energy profiles and the run's numbers of INPUT.IN",
                 profile_usage_text(), define_profile_options, run_profile_command),
      subcommand("study", "run the conditions of DIR/STUDY.toml", study_usage_text(),
                 define_study_options, run_study_command),
  };
}

// The particles the command line asks for, FIRST..LAST, when the file's
// CLUSTER = 1; the numbers replace the file's NPART. With CLUSTER = 0 the
// file decides, and numbers on the command line are refused.
void read_particles(ParameterFile& file, const CommandLine& cl, std::int32_t& FIRST,
                    std::int32_t& LAST) {
  FIRST = LAST = 1;
  if (file.parameters.CLUSTER == 1) {
    read_particle_arguments(cl.positional, file.parameters.NPART, FIRST, LAST);
    validate_particle_number(file.parameters.NPART, FIRST, LAST);
    if (cl.resume) {
      throw InputError("command line", 0, "--resume", "one-particle mode (CLUSTER = 1)",
                       "an all-particles run (CLUSTER = 0) to continue");
    }
  } else if (!cl.positional.empty()) {
    std::string shown;
    for (const std::string& arg : cl.positional) shown += (shown.empty() ? "" : " ") + arg;
    throw InputError("command line", 0, "", "the particle numbers " + quoted_value(shown),
                     "none: INPUT.IN has CLUSTER = 0 (all particles), and the file's CLUSTER "
                     "decides the mode (CLUSTER = 1 runs the particle or block the numbers give)");
  }
}

// The restart records of an ATTMODE = -1 run, checked; none otherwise.
std::vector<RestartRecord> read_restart(const RunContext& run,
                                        const std::filesystem::path& workdir) {
  std::vector<RestartRecord> restart;
  if (run.p.ATTMODE != -1) return restart;
  const std::int32_t count = run.p.CLUSTER == 1 ? 1 : run.p.NPART;
  RestartFile records(workdir / RESTART_FILE, count);
  validate_restart_records(records, count, run.p, run.c);
  for (std::int32_t k = 1; k <= count; ++k) restart.push_back(records.record(k));
  return restart;
}

// The particles run, with a progress bar on a terminal.
void run_with_progress(const RunContext& run, const RunRequest& request, const CommandLine& cl,
                       const std::int64_t (&earlier)[3], const CommandContext& context) {
  std::unique_ptr<ProgressBar> bar;
  if (context.err_is_terminal && !cl.quiet) {
    bar = std::make_unique<ProgressBar>(
        context.err, request.last - request.first + 1 + (earlier[0] + earlier[1] + earlier[2]),
        earlier);
    bar->start();
  }
  try {
    run_particles(run, request, context.workdir, context.out, bar.get());
  } catch (...) {
    if (bar) bar->stop();
    throw;
  }
  if (bar) bar->stop();
}

// What a run stopped by Ctrl-C or kill says: how far it got and the command
// that goes on from there.
std::string interrupted_text(const RunInterrupted& e, const RunContext& run,
                             const RunRequest& request, const std::int64_t (&earlier)[3]) {
  const std::int64_t kept = earlier[0] + earlier[1] + earlier[2];
  const std::int64_t written = kept + (e.written().empty() ? 0 : e.written().front());
  std::string options;
  if (run.seed) options += " --seed " + std::to_string(*run.seed);
  if (run.brownian != BrownianModel::bulk) {
    options += std::string(" --brownian ") + brownian_model_name(run.brownian);
  }
  if (!request.trajectories) options += " --no-trajectories";
  std::string text = "colloidsim: stopped by " + signal_text(e.signal()) + ": ";
  if (!request.numbered) {
    text += std::to_string(written) + " of " + std::to_string(run.p.NPART) +
            " particles are written, every row whole; the particles that were running left no "
            "file. Continue with:\n  colloidsim --resume" + options + "\n";
  } else {
    const std::string block = request.first == request.last
                                  ? std::to_string(request.first)
                                  : std::to_string(request.first) + "-" + std::to_string(request.last);
    text += std::to_string(written) + " of the " +
            std::to_string(std::int64_t{request.last} - request.first + 1) + " particles of " +
            block + " are written, each with its whole files; the particles that were running "
            "left no file. colloidsim missing lists the ones still to run; or run the block "
            "again:\n  colloidsim" + options + " " + std::to_string(run.p.NPART) + " " + block + "\n";
  }
  return text;
}

// colloidsim without a subcommand: everything is read and checked before the
// first file is created, then the particles run.
int run_particles_command(const CommandLine& cl, const CommandContext& context) {
  if (cl.version) {
    context.out << "colloidsim " << COLLOIDSIM_VERSION << "\n";
    return 0;
  }
  ParameterFile file = read_parameter_file(context.workdir / PARAMETER_FILE);
  std::int32_t FIRST = 1, LAST = 1;
  read_particles(file, cl, FIRST, LAST);
  validate_parameters(file);
  for (const std::string& w : input_warnings(file)) {
    context.err << "colloidsim: warning: " << w << "\n";
  }
  RunGuard guard(context.workdir, context.args, file.parameters, FIRST, LAST, cl.resume);
  const RunContext run = prepare_checked_run(file, guard.seed(cl.seed, context.err),
                                             guard.brownian(cl.brownian, context.err));
  guard.check_options(run);
  const std::vector<RestartRecord> restart = read_restart(run, context.workdir);

  RunRequest request;
  request.threads = cl.threads.value_or(available_cpus());
  request.trajectories = !cl.no_trajectories;
  if (!restart.empty()) request.restart = &restart;
  request.first = run.p.CLUSTER == 1 ? FIRST : 1;
  request.last = run.p.CLUSTER == 1 ? LAST : run.p.NPART;
  request.numbered = run.p.CLUSTER == 1;
  std::int64_t earlier[3] = {0, 0, 0};
  if (run.p.CLUSTER == 0 && cl.resume) {
    const ResumePoint point = prepare_resume(run, context.workdir);
    request.append = !point.fresh;
    request.first = point.completed + 1;
    for (int f = 0; f < 3; ++f) earlier[f] = point.rows[f];
    if (request.first > request.last) {
      context.err << "colloidsim: all " << run.p.NPART << " particles of the run are complete\n";
      return 0;
    }
    context.err << "colloidsim: --resume "
                << (point.fresh ? std::string("found no flux files of a stopped run")
                    : point.completed == 0
                        ? std::string("keeps no row (the flux files hold only their heads)")
                        : "keeps the rows of particles 1-" + std::to_string(point.completed) +
                                      " (EX " + std::to_string(point.rows[0]) + ", ATT " +
                                      std::to_string(point.rows[1]) + ", REM " +
                                      std::to_string(point.rows[2]) + ")")
                << " and runs particles " << request.first << "-" << request.last << "\n";
  }
  request.before_first_file = [&] {
    guard.begin(run, request.threads, request.first, request.last);
  };
  request.written = guard.written();
  try {
    run_with_progress(run, request, cl, earlier, context);
  } catch (const RunInterrupted& e) {
    context.out.flush();
    context.err << interrupted_text(e, run, request, earlier);
    return e.exit_status();
  }
  guard.end();
  return 0;
}

int run_command(const std::vector<std::string>& args, const CommandContext& context) {
  std::ostream& out = context.out;
  std::ostream& err = context.err;
  try {
    const std::vector<Subcommand> commands = subcommands();
    const ParsedCommand parsed = parse_command_line(args, commands);
    if (!parsed.help_text.empty()) {
      out << parsed.help_text;
      return 0;
    }
    return parsed.subcommand ? parsed.subcommand->run(context)
                             : run_particles_command(parsed.cl, context);
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

}  // namespace

int run_program(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                std::ostream& out, std::ostream& err, bool err_is_terminal) {
  int status = 1;
  try {
    status = run_command(args, CommandContext{workdir, out, err, err_is_terminal, args});
  } catch (const std::bad_alloc&) {
    // Unwinding has removed the temporary files of the particles that were
    // running; rows already out are whole.
    err << "colloidsim: out of memory; stopped, leaving no temporary file (rows already "
           "written are whole; a run needs less memory with fewer --threads)\n";
  } catch (const std::exception& e) {
    err << "colloidsim: " << e.what() << "\n";
  } catch (...) {
    err << "colloidsim: stopped by an unexpected error\n";
  }
  // Output that cannot be written (a full disk, /dev/full) is an I/O failure
  // like any other.
  out.flush();
  if (status == 0 && !out) {
    err << "colloidsim: standard output: cannot write the program's output\n";
    status = 1;
  }
  return status;
}

}  // namespace colloidsim
