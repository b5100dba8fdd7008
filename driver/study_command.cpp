#include "driver/study_command.h"

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "analysis/study_file.h"
#include "analysis/study_table.h"
#include "common/input_error.h"
#include "driver/interrupt.h"
#include "driver/program.h"
#include "driver/resume.h"
#include "driver/run.h"
#include "driver/run_setup.h"
#include "driver/study_runs.h"
#include "driver/study_slurm.h"
#include "io/file_names.h"
#include "io/output_file.h"
#include "io/parameter_file.h"
#include "io/parameter_rewrite.h"
#include "analysis/run_files.h"
#include "analysis/run_summary.h"
#include "io/validation.h"
#include "simulation/trajectory.h"

namespace colloidsim {

namespace fs = std::filesystem;

namespace {

constexpr const char* STUDY_FOOTER =
    "DIR holds STUDY.toml (see README.md, \"Studies\"). Each condition becomes an\n"
    "ordinary run directory DIR/runs/NN-NAME=VALUE,.../ (and NN-...-reference/ for\n"
    "its favorable twin) with its own INPUT.IN; their particles run in one pool of\n"
    "--threads threads, in condition order. Each directory's files are byte for byte\n"
    "what colloidsim --seed SEED writes there. Run the same command again to\n"
    "continue a stopped study; a changed STUDY.toml or base file is refused. At the\n"
    "end, and with --table at any time, it writes DIR/STUDY.csv and DIR/STUDY.json\n"
    "and prints the table.\n";

}  // namespace

namespace {

std::string value_text(double value) {
  if (std::isnan(value)) return "NaN";
  return value > 0 ? "Infinity" : "-Infinity";
}

// Every condition not yet complete, continued where it stopped, all in one
// pool; then the table.
int run_study(const LoadedStudy& s, int threads, bool bar_wanted, std::ostream& out,
              std::ostream& err) {
  write_study_inputs(s);
  std::vector<std::unique_ptr<RunContext>> contexts;
  std::vector<RunJob> jobs;
  std::vector<std::size_t> job_condition;
  std::int64_t total = 0, earlier[3] = {0, 0, 0}, complete = 0;
  for (std::size_t i = 0; i < s.conditions.size(); ++i) {
    contexts.push_back(std::make_unique<RunContext>(prepare_condition(s, i)));
    const RunContext& run = *contexts.back();
    const fs::path dir = condition_dir(s, i);
    ResumePoint point;
    try {
      point = prepare_resume(run, dir);
    } catch (const InputError& e) {
      throw InputError("runs/" + s.conditions[i].directory, e.what());
    }
    total += run.p.NPART;
    for (int f = 0; f < 3; ++f) earlier[f] += point.rows[f];
    if (point.completed >= run.p.NPART) {
      ++complete;
      continue;
    }
    RunJob job;
    job.run = &run;
    job.workdir = dir;
    job.request.first = point.completed + 1;
    job.request.last = run.p.NPART;
    job.request.append = !point.fresh;
    job.request.trajectories = s.file.trajectories;
    jobs.push_back(std::move(job));
    job_condition.push_back(i);
  }
  if (!jobs.empty()) {
    std::unique_ptr<ProgressBar> bar;
    if (bar_wanted) {
      bar = std::make_unique<ProgressBar>(err, total, earlier);
      bar->count_conditions(static_cast<std::int64_t>(s.conditions.size()), complete);
      bar->start();
    }
    std::size_t failed = 0;
    try {
      run_jobs(jobs, threads, bar.get(), &failed);
    } catch (const RunInterrupted& e) {
      if (bar) bar->stop();
      std::int64_t written = earlier[0] + earlier[1] + earlier[2];
      for (const std::int64_t n : e.written()) written += n;
      out.flush();
      err << "colloidsim: stopped by " << signal_text(e.signal()) << ": " << written << " of "
          << total << " particles of the study are written, every row whole; the particles that "
             "were running left no file. Continue with:\n  colloidsim study "
          << s.shown << "\n";
      return e.exit_status();
    } catch (const NonFiniteState& e) {
      if (bar) bar->stop();
      err << "colloidsim: runs/" << s.conditions[job_condition[failed]].directory << ": particle "
          << e.IPART() << ", step " << e.ISTEP() << ": " << e.quantity() << " is "
          << value_text(e.value())
          << "; the study stops here (the parameters give this particle no finite trajectory)\n";
      return 1;
    } catch (const InputError& e) {
      if (bar) bar->stop();
      throw InputError("runs/" + s.conditions[job_condition[failed]].directory, e.what());
    } catch (...) {
      if (bar) bar->stop();
      throw;
    }
    if (bar) bar->stop();
  } else {
    err << "colloidsim: all " << s.conditions.size() << " conditions of the study are complete\n";
  }
  return write_study_table(s, false, out, err);
}

}  // namespace

std::string study_usage_text() {
  return "Usage: colloidsim study [DIR] [options]\n"
         "\n"
         "Runs every condition of a study (DIR/STUDY.toml) and tabulates them.\n";
}

void define_study_options(OptionSet& options, StudyArguments& a) {
  options.positional("DIR", a.positional)
      .value("--threads,-j", "N", a.threads, read_threads, "a thread count from 1 to 4096",
             "particles run at once (default: the CPUs this process may use)")
      .flag("--table", a.table,
            "write STUDY.csv and print the table of the runs so far; runs nothing")
      .flag("--json", a.json, "print the table as one JSON document (with --table)")
      .flag("--quiet", a.quiet, "no progress bar");
  define_slurm_options(options, a.slurm);
  options.footer(std::string("\n") + STUDY_FOOTER);
}

int run_study_command(const StudyArguments& a, const CommandContext& context) {
  std::ostream& out = context.out;
  std::ostream& err = context.err;
  const fs::path& workdir = context.workdir;
  const int threads = a.threads;
  const bool table = a.table, json = a.json, quiet = a.quiet;
  const SlurmOptions& slurm = a.slurm;
  const bool err_is_terminal = context.err_is_terminal;
  const std::string dir_shown = directory_argument(a.positional, "study");
  try {
    const LoadedStudy s = load_study(workdir / dir_shown, dir_shown);
    if (json && !table && !slurm.merge) {
      throw InputError("command line", 0, "--json", "--json without --table",
                       "--table --json: the table of a study as one JSON document");
    }
    if (slurm.task || slurm.merge || slurm.submit) return run_study_slurm(s, slurm, threads, out, err);
    if (table) return write_study_table(s, json, out, err);
    return run_study(s, threads > 0 ? threads : available_cpus(), err_is_terminal && !quiet, out, err);
  } catch (const InputError& e) {
    out.flush();
    err << "colloidsim: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace colloidsim
