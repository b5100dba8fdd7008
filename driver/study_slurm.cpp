#include "driver/study_slurm.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "common/input_error.h"
#include "driver/merge_command.h"
#include "driver/program.h"
#include "driver/run.h"
#include "io/file_names.h"
#include "io/output_file.h"

namespace colloidsim {

namespace fs = std::filesystem;

namespace {

std::string shell_quoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The program the job scripts run: $COLLOIDSIM when set, else this one.
std::string program_path() {
  if (const char* named = std::getenv("COLLOIDSIM"); named && *named) {
    return fs::absolute(named).string();
  }
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string("colloidsim") : self.string();
}

// Runs argv and returns its standard output; throws InputError when it
// cannot be started or exits with a failure.
std::string run_capture(const std::vector<std::string>& argv) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) throw InputError(argv[0], "cannot start it (no pipe)");
  const pid_t pid = fork();
  if (pid < 0) throw InputError(argv[0], "cannot start it (fork failed)");
  if (pid == 0) {
    dup2(pipe_fds[1], STDOUT_FILENO);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipe_fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string command;
    for (const std::string& a : argv) command += (command.empty() ? "" : " ") + a;
    throw InputError(argv[0], "\"" + command + "\" failed" +
                                  (WIFEXITED(status) && WEXITSTATUS(status) == 127
                                       ? std::string(" (not found: is Slurm installed?)")
                                       : std::string("")));
  }
  return text;
}

bool particle_done(const fs::path& dir, std::int32_t J) {
  std::error_code error;
  for (const char* prefix : NUMBERED_FLUX_PREFIXES) {
    if (fs::exists(dir / numbered_name_one_particle(prefix, J), error)) return true;
  }
  return false;
}

void write_script(const fs::path& dir, const std::string& name, const std::string& text) {
  CompleteFile file(dir, name);
  file.write(text);
  file.commit();
  fs::permissions(dir / name, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add);
}

int run_task(const LoadedStudy& s, const SlurmOptions& o, int threads) {
  const std::vector<SlurmTask> tasks = slurm_tasks(s, o.block_size);
  const std::int64_t k = *o.task;
  if (k < 1 || k > static_cast<std::int64_t>(tasks.size())) {
    throw InputError("command line", 0, "--task", std::to_string(k),
                     "a task of 1.." + std::to_string(tasks.size()) + " of this study in blocks of " +
                         std::to_string(o.block_size));
  }
  const SlurmTask& t = tasks[static_cast<std::size_t>(k - 1)];
  // Tasks run side by side: each only checks what the submission wrote.
  check_unchanged(s);
  const fs::path dir = condition_dir(s, t.condition);
  std::error_code error;
  if (!fs::exists(dir / PARAMETER_FILE, error)) {
    throw InputError("runs/" + s.conditions[t.condition].directory + "/INPUT.IN",
                     "missing; colloidsim study DIR --slurm writes it before it submits the tasks");
  }
  const RunContext run = prepare_condition(s, t.condition);
  RunJob job;
  job.run = &run;
  job.workdir = dir;
  job.request.first = t.first;
  job.request.last = t.last;
  job.request.numbered = true;
  job.request.trajectories = s.file.trajectories;
  run_jobs({job}, threads > 0 ? threads : available_cpus(), nullptr);
  return 0;
}

int run_merge(const LoadedStudy& s, std::ostream& out, std::ostream& err) {
  check_unchanged(s);
  int status = 0;
  for (std::size_t i = 0; i < s.conditions.size(); ++i) {
    std::ostringstream merged;
    MergeArguments arguments;
    arguments.positional = {condition_dir(s, i).string()};
    if (run_merge_command(arguments, CommandContext{s.dir, merged, err, false, {}}) != 0) status = 1;
  }
  if (status != 0) {
    err << "colloidsim: the study's table is not written: a condition could not be merged\n";
    return 1;
  }
  return write_study_table(s, false, out, err);
}

}  // namespace

namespace {

bool read_block_size(const std::string& text, std::int32_t& value) {
  std::int64_t count = 0;
  if (!read_count(text, count)) return false;
  value = static_cast<std::int32_t>(count);
  return true;
}

}  // namespace

void define_slurm_options(OptionSet& options, SlurmOptions& o) {
  options
      .flag("--slurm", o.submit,
            "submit the study to Slurm: a job array of (condition, block) tasks and a merge\n"
            "job that writes the table (only the tasks still missing when run again)")
      .value("--block-size", "B", o.block_size, read_block_size,
             "a whole number of at least 1", "particles per array task (with --slurm)")
      .value("--cpus", "C", o.cpus, read_threads, "a CPU count from 1 to 4096",
             "CPUs (threads) of each array task (with --slurm; default 1)")
      .flag("--dry-run", o.dry_run, "with --slurm: write the job scripts, submit nothing")
      .value("--task", "K", o.task, read_count, "a task number from 1 to 2147483647",
             "run one array task (what the job script runs)")
      .flag("--merge", o.merge, "merge every condition and write the table (the merge job)");
}

std::vector<SlurmTask> slurm_tasks(const LoadedStudy& s, std::int32_t block_size) {
  std::vector<SlurmTask> tasks;
  for (std::size_t i = 0; i < s.conditions.size(); ++i) {
    const std::int64_t NPART = s.files[i].parameters.NPART;
    for (std::int64_t first = 1; first <= NPART; first += block_size) {
      tasks.push_back({i, static_cast<std::int32_t>(first),
                       static_cast<std::int32_t>(std::min<std::int64_t>(NPART, first + block_size - 1))});
    }
  }
  return tasks;
}

std::string array_ranges(const std::vector<std::int64_t>& tasks) {
  std::string out;
  for (std::size_t i = 0; i < tasks.size();) {
    std::size_t j = i;
    while (j + 1 < tasks.size() && tasks[j + 1] == tasks[j] + 1) ++j;
    out += (out.empty() ? "" : ",") + std::to_string(tasks[i]);
    if (j > i) out += "-" + std::to_string(tasks[j]);
    i = j + 1;
  }
  return out;
}

int run_study_slurm(const LoadedStudy& s, const SlurmOptions& o, int threads, std::ostream& out,
                    std::ostream& err) {
  if (o.merge) return run_merge(s, out, err);
  if (o.block_size < 1) {
    throw InputError("command line", 0, "--block-size", "no block size",
                     "--block-size B with --slurm and --task: the particles of one array task");
  }
  if (o.task) return run_task(s, o, threads);

  write_study_inputs(s);
  // Every condition's setup is checked here, before anything is submitted.
  for (std::size_t i = 0; i < s.conditions.size(); ++i) prepare_condition(s, i);
  const std::vector<SlurmTask> tasks = slurm_tasks(s, o.block_size);
  std::vector<std::int64_t> missing;
  for (std::size_t k = 0; k < tasks.size(); ++k) {
    const fs::path dir = condition_dir(s, tasks[k].condition);
    for (std::int32_t J = tasks[k].first; J <= tasks[k].last; ++J) {
      if (!particle_done(dir, J)) {
        missing.push_back(static_cast<std::int64_t>(k + 1));
        break;
      }
    }
  }
  const fs::path dir = fs::absolute(s.dir).lexically_normal();
  const fs::path runs = dir / "runs";
  const std::string program = shell_quoted(program_path());
  const std::string study = shell_quoted(dir.string());
  const std::string array = array_ranges(missing);
  write_script(runs, "slurm-job.sh",
               "#!/bin/sh\n"
               "#SBATCH --job-name=colloidsim-study\n"
               "#SBATCH --array=" + (array.empty() ? std::string("1") : array) + "\n"
               "#SBATCH --cpus-per-task=" + std::to_string(o.cpus) + "\n"
               "#SBATCH --output=" + (runs / "slurm-%A_%a.out").string() + "\n"
               "# Array task K runs one block of " + std::to_string(o.block_size) +
               " particles of one condition (the conditions in order, each in blocks).\n"
               "exec " + program + " study " + study + " --block-size " +
               std::to_string(o.block_size) + " --task \"$SLURM_ARRAY_TASK_ID\" --threads \"${SLURM_CPUS_PER_TASK:-" +
               std::to_string(o.cpus) + "}\"\n");
  write_script(runs, "slurm-merge.sh",
               "#!/bin/sh\n"
               "#SBATCH --job-name=colloidsim-study-merge\n"
               "#SBATCH --output=" + (runs / "slurm-%j-merge.out").string() + "\n"
               "# After every array task: each condition's flux files, then STUDY.csv.\n"
               "exec " + program + " study " + study + " --merge\n");
  if (missing.empty()) {
    err << "colloidsim: every task of the study has its files; merging\n";
    return run_merge(s, out, err);
  }
  const std::string job = (runs / "slurm-job.sh").string();
  const std::string merge = (runs / "slurm-merge.sh").string();
  if (o.dry_run) {
    out << "sbatch --parsable " << shell_quoted(job) << "\n"
        << "sbatch --parsable --dependency=afterok:JOB " << shell_quoted(merge) << "\n"
        << missing.size() << " of " << tasks.size() << " tasks (" << array << "), blocks of "
        << o.block_size << " particles\n";
    return 0;
  }
  std::string id = run_capture({"sbatch", "--parsable", job});
  id = id.substr(0, id.find_first_of(";\n"));
  std::string merge_id = run_capture({"sbatch", "--parsable", "--dependency=afterok:" + id, merge});
  merge_id = merge_id.substr(0, merge_id.find_first_of(";\n"));
  out << "job array " << id << " (" << missing.size() << " of " << tasks.size() << " tasks: "
      << array << ", blocks of " << o.block_size << " particles), merge job " << merge_id << "\n";
  return 0;
}

}  // namespace colloidsim
