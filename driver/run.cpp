#include "driver/run.h"

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "common/input_error.h"
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
  std::string head;
  append_fate_line(head, pr.s.ATTACHK);
  append_trajectory_header(head);
  const int family = static_cast<int>(flux_family_of(pr.s.ATTACHK));
  std::string text = head;
  for (int k : thinned_rows(IREC, pr.buffer.wrap_index(), run.p.PRINTMAX)) {
    append_trajectory_row(text, pr.buffer.row(k));
  }
  for (int f = 0; f < 3; ++f) files.trajectory[f]->write(f == family ? text : head);
}

// Runs body(J, pr) for J = first..last, the particles taken in order by up to
// `threads` threads, each with its own ParticleRun. After an exception no
// particle starts, stop is set so that running ones end early, and the
// exception of the lowest failing particle is rethrown once every thread has
// stopped.
template <typename Body>
void for_each_particle(std::int32_t first, std::int32_t last, int threads,
                       std::atomic<bool>& stop, Body body) {
  std::atomic<std::int64_t> next{first};
  std::mutex failure_mutex;
  std::int32_t failed = 0;
  std::exception_ptr failure;
  const auto work = [&] {
    auto pr = std::make_unique<ParticleRun>();
    while (!stop.load()) {
      const std::int64_t J = next.fetch_add(1);
      if (J > last) return;
      try {
        body(static_cast<std::int32_t>(J), *pr);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(failure_mutex);
        if (!failure || J < failed) {
          failure = std::current_exception();
          failed = static_cast<std::int32_t>(J);
        }
        stop = true;
      }
      pr->het.release();
    }
  };
  const std::int64_t count = std::int64_t{last} - first + 1;
  const int helpers = static_cast<int>(std::min<std::int64_t>(threads, count)) - 1;
  std::vector<std::thread> pool;
  for (int t = 0; t < helpers; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

// Every file the run will write can be made: checked before the first is
// opened (and the flux files of an earlier run replaced), so that a run that
// would stop at a blocked name changes nothing.
void check_run_files(const RunRequest& request, const std::filesystem::path& workdir) {
  check_output_directory(workdir);
  if (!request.numbered) {
    for (const char* name : FLUX_FILE_NAMES) {
      check_output_name(workdir, name);
      if (!request.append) CompleteFile::check_names(workdir, name);
    }
  }
  for (std::int64_t k = request.first; k <= request.last; ++k) {
    const auto J = static_cast<std::int32_t>(k);
    for (int f = 0; f < 3; ++f) {
      if (request.numbered) {
        CompleteFile::check_names(workdir, numbered_name_one_particle(TRAJECTORY_PREFIXES[f], J));
        CompleteFile::check_names(workdir, numbered_name_one_particle(NUMBERED_FLUX_PREFIXES[f], J));
      } else {
        CompleteFile::check_names(workdir, numbered_name_all_particles(TRAJECTORY_PREFIXES[f], J));
      }
    }
  }
}

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
  check_run_files(request, workdir);
  if (request.before_first_file) request.before_first_file();
  std::unique_ptr<OutputFile> flux[3];
  if (request.append) {
    for (int f = 0; f < 3; ++f) {
      flux[f] = std::make_unique<OutputFile>(workdir, FLUX_FILE_NAMES[f], OutputFile::Mode::APPEND);
    }
  } else if (!request.numbered) {
    // The flux files of an earlier run are replaced only once all three new
    // ones exist with their heads: each is made under its temporary name and
    // renamed in, and the rows then go straight into the renamed file.
    const std::string head = flux_head(run);
    try {
      for (int f = 0; f < 3; ++f) {
        flux[f] = std::make_unique<OutputFile>(
            workdir, CompleteFile::temporary_name(FLUX_FILE_NAMES[f]), OutputFile::Mode::REPLACE);
        flux[f]->write(head);
      }
    } catch (...) {
      for (auto& file : flux) {
        std::error_code ignored;
        if (file) std::filesystem::remove(workdir / file->name(), ignored);
      }
      throw;
    }
    for (int f = 0; f < 3; ++f) flux[f]->rename(FLUX_FILE_NAMES[f]);
  }
  OrderedOutput ordered(request.first, request.numbered ? nullptr : &console,
                        {flux[0].get(), flux[1].get(), flux[2].get()});

  std::atomic<bool> stop{false};
  for_each_particle(request.first, request.last, request.threads, stop,
                    [&](std::int32_t J, ParticleRun& pr) {
    ParticleFiles files = open_particle_files(run, request, workdir, J);
    if (run.seed) {
      seed_from_option(pr.stream, static_cast<std::int64_t>(*run.seed), J);
    } else {
      INIT_RANDOM_SEED(pr.stream);
    }
    // The one-particle flux file holds a single record: a restart takes record 1.
    const RestartRecord* record = nullptr;
    if (request.restart) record = &(*request.restart)[request.numbered ? 0 : J - 1];
    start_particle(run, pr, J, record);
    ConsoleLines lines(ordered, J);
    const int IREC = run_to_fate(run, pr, request.numbered ? nullptr : &lines, &stop);
    if (IREC == 0) return;  // abandoned: another particle failed

    write_trajectory(run, pr, IREC, files);
    std::string row;
    append_flux_record(row, flux_record(pr.s));
    const int family = static_cast<int>(flux_family_of(pr.s.ATTACHK));
    if (request.numbered) files.flux[family]->write(row);
    for (auto& file : files.flux) {
      if (file) file->commit();
    }
    for (auto& file : files.trajectory) file->commit();
    ordered.finish(J, lines.rest(), family, row);
    if (request.written) ++*request.written;
    if (bar) bar->finished(family);
  });
  for (auto& file : flux) {
    if (file) file->close();
  }
  console.flush();
  if (!console) throw InputError("standard output", "cannot write the progress lines");
}

}  // namespace colloidsim
