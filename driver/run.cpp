#include "driver/run.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "common/input_error.h"
#include "io/echo.h"
#include "io/file_names.h"
#include "io/output_records.h"
#include "random/seeding.h"
#include "simulation/setup.h"
#include "simulation/trajectory.h"

namespace colloidsim {

namespace {

// An output file created new (replacing one of the same name); every failure
// to create or write it ends the run with the file's name.
class OutputFile {
 public:
  OutputFile(const std::filesystem::path& dir, const std::string& name)
      : name_(name), stream_(dir / name, std::ios::binary | std::ios::trunc) {
    if (!stream_) fail("cannot create the file");
  }
  void write(const std::string& text) {
    stream_.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!stream_) fail("cannot write to the file");
  }
  void flush() {
    stream_.flush();
    if (!stream_) fail("cannot write to the file");
  }

 private:
  [[noreturn]] void fail(const char* what) const {
    throw InputError(name_, std::string(what) + " (" + std::strerror(errno) + ")");
  }
  std::string name_;
  std::ofstream stream_;
};

// The three families of files a fate goes to.
enum Family { EX = 0, ATT = 1, REM = 2 };

Family family_of(std::int32_t ATTACHK) {
  switch (ATTACHK) {
    case 1: return EX;
    case 3:
    case 5: return REM;
    default: return ATT;  // 2, 4, 6
  }
}

const char* const TRAJECTORY_PREFIX[3] = {"VORNEKTRAJEX.", "VORNEKTRAJATT.", "VORNEKTRAJREM."};
const char* const FLUX_NAME[3] = {"FLUXEX.OUT", "FLUXATT.OUT", "FLUXREM.OUT"};
const char* const NUMBERED_FLUX_PREFIX[3] = {"VORNEKFLUXEX.", "VORNEKFLUXATT.", "VORNEKFLUXREM."};

// The echo of the run's first files, or of a later particle's files.
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

// Seeds the particle's stream, places it and follows it to its fate.
int simulate(const RunContext& run, ParticleRun& pr, std::int32_t IPART, std::int32_t k,
             RestartFile* restart, RecordObserver* observer) {
  if (run.seed) {
    seed_from_option(pr.stream, static_cast<std::int64_t>(*run.seed), IPART);
  } else {
    INIT_RANDOM_SEED(pr.stream);
  }
  RestartRecord record;
  if (restart) record = restart->record(k);
  start_particle(run, pr, IPART, restart ? &record : nullptr);
  return run_to_fate(run, pr, observer);
}

// Fate line and header into all three trajectory files, the recorded rows
// into the one of the particle's family.
void write_trajectory(const RunContext& run, const ParticleRun& pr, int IREC,
                      std::unique_ptr<OutputFile> (&files)[3]) {
  std::string head;
  append_fate_line(head, pr.s.ATTACHK);
  append_trajectory_header(head);
  const Family family = family_of(pr.s.ATTACHK);
  for (int f = 0; f < 3; ++f) {
    if (f != family) files[f]->write(head);
  }
  std::string text = head;
  for (int k : thinned_rows(IREC, pr.buffer.wrap_index(), run.p.PRINTMAX)) {
    append_trajectory_row(text, pr.buffer.row(k));
  }
  files[family]->write(text);
}

}  // namespace

void run_particles(const RunContext& run, std::int32_t IPART, RestartFile* restart,
                   const std::filesystem::path& workdir, std::ostream& console) {
  auto pr = std::make_unique<ParticleRun>();
  std::unique_ptr<OutputFile> flux[3];
  std::unique_ptr<OutputFile> trajectory[3];

  if (run.p.CLUSTER == 1) {
    for (int f = 0; f < 3; ++f) {
      trajectory[f] = std::make_unique<OutputFile>(
          workdir, numbered_name_one_particle(TRAJECTORY_PREFIX[f], IPART));
    }
    for (int f = 0; f < 3; ++f) {
      flux[f] = std::make_unique<OutputFile>(
          workdir, numbered_name_one_particle(NUMBERED_FLUX_PREFIX[f], IPART));
    }
    const std::string echo = echo_text(run, true);
    for (auto& file : trajectory) file->write(echo);
    const std::string head = flux_head(run);
    for (auto& file : flux) file->write(head);

    // The one-particle flux file holds a single record: restart takes record 1.
    const int IREC = simulate(run, *pr, IPART, 1, restart, nullptr);
    write_trajectory(run, *pr, IREC, trajectory);
    std::string record;
    append_flux_record(record, flux_record(pr->s));
    flux[family_of(pr->s.ATTACHK)]->write(record);
    for (auto& file : flux) file->flush();
    pr->het.release();
    return;
  }

  const std::string head = flux_head(run);
  for (int f = 0; f < 3; ++f) {
    flux[f] = std::make_unique<OutputFile>(workdir, FLUX_NAME[f]);
    flux[f]->write(head);
    flux[f]->flush();
  }
  for (std::int32_t J = 1; J <= run.p.NPART; ++J) {
    for (int f = 0; f < 3; ++f) {
      trajectory[f].reset();
      trajectory[f] = std::make_unique<OutputFile>(
          workdir, numbered_name_all_particles(TRAJECTORY_PREFIX[f], J));
    }
    const std::string echo = echo_text(run, J == 1);
    for (auto& file : trajectory) file->write(echo);

    ProgressLines progress(console);
    const int IREC = simulate(run, *pr, J, J, restart, &progress);
    progress.flush();
    write_trajectory(run, *pr, IREC, trajectory);
    for (auto& file : trajectory) file->flush();
    std::string record;
    append_flux_record(record, flux_record(pr->s));
    OutputFile& family_flux = *flux[family_of(pr->s.ATTACHK)];
    family_flux.write(record);
    // A run that is stopped keeps every finished particle's row.
    family_flux.flush();
    pr->het.release();
  }
  console.flush();
}

}  // namespace colloidsim
