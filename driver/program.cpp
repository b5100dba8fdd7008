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
#include "driver/resume.h"
#include "driver/run_guard.h"
#include "driver/run.h"
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

int run_command(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                std::ostream& out, std::ostream& err, bool err_is_terminal) {
  if (!args.empty() && args.front() == "summary") {
    return run_summary_command({args.begin() + 1, args.end()}, workdir, out, err);
  }
  if (!args.empty() && args.front() == "merge") {
    return run_merge_command({args.begin() + 1, args.end()}, workdir, out, err);
  }
  if (!args.empty() && args.front() == "missing") {
    return run_missing_command({args.begin() + 1, args.end()}, workdir, out, err);
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
    std::int32_t FIRST = 1, LAST = 1;
    if (file.parameters.CLUSTER == 1) {
      read_particle_arguments(cl.positional, file.parameters.NPART, FIRST, LAST);
      validate_particle_number(file.parameters.NPART, FIRST, LAST);
      if (cl.resume) {
        throw InputError("command line", 0, "--resume", "one-particle mode (CLUSTER = 1)",
                         "an all-particles run (CLUSTER = 0) to continue");
      }
    }
    validate_parameters(file);
    for (const std::string& w : input_warnings(file)) err << "colloidsim: warning: " << w << "\n";
    RunGuard guard(workdir, args, file.parameters, FIRST, LAST, cl.resume);
    const RunContext run = prepare(file, guard.seed(cl.seed, err));
    guard.check_options(run);
    std::vector<RestartRecord> restart;
    if (run.p.ATTMODE == -1) {
      const std::int32_t count = run.p.CLUSTER == 1 ? 1 : run.p.NPART;
      RestartFile records(workdir / RESTART_FILE, count);
      validate_restart_records(records, count, run.p, run.c);
      for (std::int32_t k = 1; k <= count; ++k) restart.push_back(records.record(k));
    }

    RunRequest request;
    request.threads = cl.threads.value_or(available_cpus());
    if (!restart.empty()) request.restart = &restart;
    std::int64_t earlier[3] = {0, 0, 0};
    if (run.p.CLUSTER == 1) {
      request.first = FIRST;
      request.last = LAST;
      request.numbered = true;
    } else {
      request.first = 1;
      request.last = run.p.NPART;
      if (cl.resume) {
        const ResumePoint point = prepare_resume(run, workdir);
        request.append = !point.fresh;
        request.first = point.completed + 1;
        for (int f = 0; f < 3; ++f) earlier[f] = point.rows[f];
        if (request.first > request.last) {
          err << "colloidsim: all " << run.p.NPART << " particles of the run are complete\n";
          return 0;
        }
      }
    }
    if (run.p.CLUSTER == 0 && !cl.positional.empty()) {
      std::string shown;
      for (const std::string& arg : cl.positional) shown += (shown.empty() ? "" : " ") + arg;
      err << "colloidsim: warning: the arguments " << quoted_value(shown)
          << " are ignored: INPUT.IN has CLUSTER = 0 (all particles); the particle count and "
             "number are read from the command line only when CLUSTER = 1\n";
    }
    std::unique_ptr<ProgressBar> bar;
    if (err_is_terminal && !cl.quiet) {
      bar = std::make_unique<ProgressBar>(err, request.last - request.first + 1 +
                                                   (earlier[0] + earlier[1] + earlier[2]),
                                          earlier);
      bar->start();
    }
    request.before_first_file = [&] { guard.begin(run, request.threads, request.first, request.last); };
    request.written = guard.written();
    try {
      run_particles(run, request, workdir, out, bar.get());
    } catch (...) {
      if (bar) bar->stop();
      throw;
    }
    if (bar) bar->stop();
    guard.end();
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

}  // namespace

int run_program(const std::vector<std::string>& args, const std::filesystem::path& workdir,
                std::ostream& out, std::ostream& err, bool err_is_terminal) {
  int status = 1;
  try {
    status = run_command(args, workdir, out, err, err_is_terminal);
  } catch (const std::bad_alloc&) {
    err << "colloidsim: out of memory\n";
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
