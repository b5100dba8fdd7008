#include "driver/run.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "common/input_error.h"
#include "driver/interrupt.h"
#include "driver/ordered_output.h"
#include "io/echo.h"
#include "io/file_names.h"
#include "io/output_file.h"
#include "io/output_records.h"
#include "random/seeding.h"
#include "simulation/trajectory.h"

namespace colloidsim {

namespace {

// Console text of one particle, handed on in parts of about 64 KB.
class ConsoleLines final : public RecordObserver {
 public:
  ConsoleLines(OrderedOutput& out, std::int32_t J) : out_(out), J_(J) {
    text_.reserve((std::size_t{1} << 16) + 256);
  }
  void recorded(std::int32_t IPART, const TrajectoryRow& row) override {
    append_progress_line(text_, IPART, row.ISTEP, row.R, row.Z, row.H, row.AFRACT);
    if (text_.size() > (std::size_t{1} << 16)) out_.console_text(J_, text_);
  }
  std::string& rest() { return text_; }

 private:
  OrderedOutput& out_;
  std::int32_t J_;
  std::string text_;
};

// The files one particle writes itself, each complete or absent: the three
// trajectory files and, in one-particle mode, the three numbered flux files.
// They are opened before the particle runs, so that a directory that takes no
// files is found at once.
struct ParticleFiles {
  std::unique_ptr<CompleteFile> trajectory[3];
  std::unique_ptr<CompleteFile> flux[3];
};

ParticleFiles open_particle_files(const RunContext& run, const RunRequest& request,
                                  const std::filesystem::path& workdir, std::int32_t J) {
  ParticleFiles files;
  if (request.trajectories) {
    for (int f = 0; f < 3; ++f) {
      const std::string name = request.numbered
                                   ? numbered_name_one_particle(TRAJECTORY_PREFIXES[f], J)
                                   : numbered_name_all_particles(TRAJECTORY_PREFIXES[f], J);
      files.trajectory[f] = std::make_unique<CompleteFile>(workdir, name);
    }
    // One-particle mode writes the echo of the run as read into every file;
    // in all-particles mode particles after the first echo the parameters as
    // the particles use them.
    const std::string echo = echo_text(run, request.numbered || J == 1);
    for (auto& file : files.trajectory) file->write(echo);
  }
  if (request.numbered) {
    const std::string head = flux_head(run);
    for (int f = 0; f < 3; ++f) {
      files.flux[f] = std::make_unique<CompleteFile>(
          workdir, numbered_name_one_particle(NUMBERED_FLUX_PREFIXES[f], J));
      files.flux[f]->write(head);
    }
  }
  return files;
}

// Fate line and header into all three trajectory files, the recorded rows
// into the one of the particle's family.
void write_trajectory(const RunContext& run, const ParticleRun& pr, int IREC, ParticleFiles& files) {
  if (!files.trajectory[0]) return;
  std::string head;
  append_fate_line(head, code_of(pr.s.bookkeeping.ATTACHK));
  append_trajectory_header(head);
  const int family = static_cast<int>(facts_of(pr.s.bookkeeping.ATTACHK).family);
  std::string text = head;
  for (int k : thinned_rows(IREC, pr.buffer.wrap_index(), run.p.PRINTMAX)) {
    append_trajectory_row(text, pr.buffer.row(k));
  }
  for (int f = 0; f < 3; ++f) files.trajectory[f]->write(f == family ? text : head);
}

// Runs body(k, pr) for the tasks k = 0..count-1, taken in order by up to
// `threads` threads, each with its own ParticleRun. After an exception no
// task starts, stop is set so that running ones end early, and the exception
// of the lowest failing task is rethrown (its number in failed) once every
// thread has stopped.
//
// A thread that cannot be started (a limit on processes or on memory) stops
// the run: the threads already started end early, and the run reports the
// thread and the number that could be started. Going on with fewer threads
// would give the same bytes, but slower than asked, which a batch job sized
// for the thread count would not expect.
template <typename Body>
void for_each_task(std::int64_t count, int threads, std::atomic<bool>& stop, std::int64_t& failed,
                   Body body) {
  std::atomic<std::int64_t> next{0};
  std::mutex failure_mutex;
  std::exception_ptr failure;
  const auto fail = [&](std::int64_t k) {
    const std::lock_guard<std::mutex> lock(failure_mutex);
    if (!failure || k < failed) {
      failure = std::current_exception();
      failed = k;
    }
    stop = true;
  };
  const auto work = [&] {
    std::unique_ptr<ParticleRun> pr;
    try {
      pr = std::make_unique<ParticleRun>();
    } catch (...) {
      fail(std::min(next.load(), count - 1));
      return;
    }
    while (!stop.load()) {
      const std::int64_t k = next.fetch_add(1);
      if (k >= count) return;
      try {
        body(k, *pr);
      } catch (...) {
        fail(k);
      }
      pr->het.release();
    }
  };
  const int helpers = static_cast<int>(std::min<std::int64_t>(threads, count)) - 1;
  std::vector<std::thread> pool;
  std::string not_started;
  try {
    pool.reserve(static_cast<std::size_t>(std::max(helpers, 0)));
    for (int t = 0; t < helpers; ++t) pool.emplace_back(work);
  } catch (const std::exception& e) {
    // pthread_create reports a stack it could not map as EAGAIN, like a
    // limit on processes.
    not_started = "cannot start thread " + std::to_string(pool.size() + 2) + " of " +
                  std::to_string(helpers + 1) + ": " + e.what() + "; the run stops (" +
                  std::to_string(pool.size() + 1) +
                  " could be started: run again with --threads " +
                  std::to_string(pool.size() + 1) + " or fewer, or raise the limit)";
    stop = true;
  }
  if (not_started.empty()) work();
  for (std::thread& t : pool) t.join();
  if (!not_started.empty()) throw std::runtime_error("colloidsim: " + not_started);
  if (failure) std::rethrow_exception(failure);
}

// The particle number of a numbered name "<prefix><J>.OUT" (or its
// temporary, "<prefix><J>.OUT.tmp") with J written as the run writes it, or
// none.
std::optional<std::int32_t> numbered_particle(std::string_view name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix) return std::nullopt;
  name.remove_prefix(prefix.size());
  if (name.ends_with(".tmp")) name.remove_suffix(4);
  if (!name.ends_with(".OUT")) return std::nullopt;
  name.remove_suffix(4);
  if (name.empty() || name.size() > 10 || (name[0] == '0' && name.size() > 1)) return std::nullopt;
  std::int64_t J = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return std::nullopt;
    J = 10 * J + (c - '0');
  }
  if (J > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(J);
}

// Every file the run will write can be made: checked before the first is
// opened (and the flux files of an earlier run replaced), so that a run that
// would stop at a blocked name changes nothing. The numbered names follow one
// pattern per family, so the cost does not grow with the particle count: the
// first name of each family is probed (a name the directory cannot take at
// all), and then only the names of the range already in the directory, found
// in one pass over it (a name that is absent can be created where the first
// one can).
void check_run_files(const RunRequest& request, const std::filesystem::path& workdir) {
  check_output_directory(workdir);
  if (!request.numbered) {
    for (const char* name : FLUX_FILE_NAMES) {
      check_output_name(workdir, name);
      if (!request.append) CompleteFile::check_names(workdir, name);
    }
  }
  std::vector<std::string> prefixes;
  for (int f = 0; f < 3; ++f) {
    if (request.trajectories) prefixes.push_back(TRAJECTORY_PREFIXES[f]);
    if (request.numbered) prefixes.push_back(NUMBERED_FLUX_PREFIXES[f]);
  }
  if (prefixes.empty() || request.first > request.last) return;
  const auto name_of = [&](const std::string& prefix, std::int32_t J) {
    return request.numbered ? numbered_name_one_particle(prefix, J)
                            : numbered_name_all_particles(prefix, J);
  };
  for (const std::string& prefix : prefixes) {
    CompleteFile::check_names(workdir, name_of(prefix, request.first));
  }
  std::error_code error;
  std::filesystem::directory_iterator it(workdir, error), end;
  for (; !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    for (const std::string& prefix : prefixes) {
      const std::optional<std::int32_t> J = numbered_particle(entry, prefix);
      if (J && *J >= request.first && *J <= request.last) {
        CompleteFile::check_names(workdir, name_of(prefix, *J));
      }
    }
  }
  if (error) {
    throw InputError(workdir == "." ? std::string("the working directory") : workdir.string(),
                     "cannot list it to check the names of the run's files (" + error.message() +
                         ")");
  }
}

// The open shared flux files of one job and the order its output goes out in.
struct JobOutput {
  std::unique_ptr<OutputFile> flux[3];
  std::unique_ptr<OrderedOutput> ordered;
  std::ostream* console = nullptr;
  std::atomic<std::int64_t> left{0};  // particles not yet finished
  std::atomic<std::int64_t> committed{0};  // particles whose own files are in place
};

}  // namespace

std::string echo_text(const RunContext& run, bool first) {
  std::string text;
  append_echo(text, first ? run.initial : run.p, echo_values(run.c));
  return text;
}

std::string flux_head(const RunContext& run) {
  std::string text = echo_text(run, true);
  append_legend(text);
  append_flux_header(text);
  return text;
}

void run_particles(const RunContext& run, const RunRequest& request,
                   const std::filesystem::path& workdir, std::ostream& console, ProgressBar* bar) {
  run_jobs({RunJob{&run, request, workdir, &console}}, request.threads, bar);
}

void run_jobs(const std::vector<RunJob>& jobs, int threads, ProgressBar* bar,
              std::size_t* failed_job) {
  for (const RunJob& job : jobs) check_run_files(job.request, job.workdir);
  std::atomic<bool> stop{false};
  const InterruptScope interrupt(stop);
  for (const RunJob& job : jobs) {
    if (job.request.before_first_file) job.request.before_first_file();
  }
  // The first task of each job, and one past the last.
  std::vector<std::int64_t> starts{0};
  std::vector<JobOutput> outputs(jobs.size());
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    const RunJob& job = jobs[j];
    const RunRequest& request = job.request;
    const std::int64_t count = std::max<std::int64_t>(0, std::int64_t{request.last} - request.first + 1);
    starts.push_back(starts.back() + count);
    JobOutput& o = outputs[j];
    o.left = count;
    if (request.append) {
      for (int f = 0; f < 3; ++f) {
        o.flux[f] = std::make_unique<OutputFile>(job.workdir, FLUX_FILE_NAMES[f],
                                                 OutputFile::Mode::APPEND);
      }
      o.console = job.console;
    } else if (!request.numbered) {
      // The flux files of an earlier run are replaced only once all three new
      // ones exist with their heads: each is made under its temporary name and
      // renamed in, and the rows then go straight into the renamed file.
      const std::string head = flux_head(*job.run);
      try {
        for (int f = 0; f < 3; ++f) {
          o.flux[f] = std::make_unique<OutputFile>(
              job.workdir, CompleteFile::temporary_name(FLUX_FILE_NAMES[f]),
              OutputFile::Mode::REPLACE);
          o.flux[f]->write(head);
        }
      } catch (...) {
        for (auto& file : o.flux) {
          std::error_code ignored;
          if (file) std::filesystem::remove(job.workdir / file->name(), ignored);
        }
        throw;
      }
      for (int f = 0; f < 3; ++f) o.flux[f]->rename(FLUX_FILE_NAMES[f]);
      o.console = job.console;
    }
    o.ordered = std::make_unique<OrderedOutput>(
        request.first, o.console, std::array<OutputFile*, 3>{o.flux[0].get(), o.flux[1].get(), o.flux[2].get()});
  }

  // A shared flux file holds the rows of the particles before the head; a
  // numbered run's particles each wrote their own.
  const auto interrupted = [&] {
    std::vector<std::int64_t> written;
    for (std::size_t j = 0; j < jobs.size(); ++j) {
      written.push_back(jobs[j].request.numbered ? outputs[j].committed.load()
                                                 : outputs[j].ordered->head() - jobs[j].request.first);
    }
    return RunInterrupted(interrupt.signal(), written);
  };
  std::int64_t failed = 0;
  try {
    for_each_task(starts.back(), threads, stop, failed, [&](std::int64_t k, ParticleRun& pr) {
      const auto j = static_cast<std::size_t>(
          std::upper_bound(starts.begin(), starts.end(), k) - starts.begin() - 1);
      const RunContext& run = *jobs[j].run;
      const RunRequest& request = jobs[j].request;
      JobOutput& o = outputs[j];
      const auto J = static_cast<std::int32_t>(request.first + (k - starts[j]));
      ParticleFiles files = open_particle_files(run, request, jobs[j].workdir, J);
      if (run.seed) {
        seed_from_option(pr.stream, static_cast<std::int64_t>(*run.seed), J);
      } else {
        INIT_RANDOM_SEED(pr.stream);
      }
      // The one-particle flux file holds a single record: a restart takes record 1.
      const RestartRecord* record = nullptr;
      if (request.restart) record = &(*request.restart)[request.numbered ? 0 : J - 1];
      start_particle(run, pr, J, record);
      std::optional<ConsoleLines> lines;
      if (o.console) lines.emplace(*o.ordered, J);
      const int IREC = run_to_fate(run, pr, lines ? &*lines : nullptr, &stop);
      if (IREC == 0) return;  // abandoned: another particle failed

      write_trajectory(run, pr, IREC, files);
      std::string row;
      append_flux_record(row, flux_record(pr.s));
      const int family = static_cast<int>(facts_of(pr.s.bookkeeping.ATTACHK).family);
      if (request.numbered) files.flux[family]->write(row);
      for (auto& file : files.flux) {
        if (file) file->commit();
      }
      for (auto& file : files.trajectory) {
        if (file) file->commit();
      }
      ++o.committed;
      std::string no_lines;
      o.ordered->finish(J, lines ? lines->rest() : no_lines, family, row);
      if (request.written) ++*request.written;
      if (bar) bar->finished(family);
      if (o.left.fetch_sub(1) == 1 && bar) bar->job_finished();
    });
  } catch (...) {
    // A write that failed because of the signal (a closed pipe, the size
    // limit) stopped the run as the signal would have.
    if (interrupt.signal() != 0) throw interrupted();
    if (failed_job) {
      *failed_job = static_cast<std::size_t>(
          std::upper_bound(starts.begin(), starts.end(), failed) - starts.begin() - 1);
    }
    throw;
  }
  for (JobOutput& o : outputs) {
    for (auto& file : o.flux) {
      if (file) file->close();
    }
  }
  if (interrupt.signal() != 0) throw interrupted();
  for (const JobOutput& o : outputs) {
    if (!o.console) continue;
    o.console->flush();
    if (!*o.console) throw InputError("standard output", "cannot write the progress lines");
  }
}

}  // namespace colloidsim
