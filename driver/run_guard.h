// What a run does for its directory around its particles: it holds the lock
// of the directory (or of its block) and keeps the run record up to date.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/run_parameters.h"
#include "io/run_lock.h"
#include "simulation/run_context.h"

namespace colloidsim {

class RunGuard {
 public:
  // Takes the lock (the directory's for an all-particles run or a resume, the
  // block's for a one-particle run or block FIRST..LAST) and, for a resume,
  // reads the stopped run's record. args: the command line after the
  // program name. Throws InputError when another process holds the lock.
  RunGuard(const std::filesystem::path& workdir, const std::vector<std::string>& args,
           const RunParameters& p, std::int32_t FIRST, std::int32_t LAST, bool resume);
  ~RunGuard();
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

  // The run's seed: the one given, or in a resume that of the stopped run's
  // record when none is given (said on err). A resume given another seed
  // than its record's is refused (InputError).
  std::optional<std::uint64_t> seed(std::optional<std::uint64_t> given, std::ostream& err) const;
  // The near-wall Brownian model: the one given ("bulk", "hindered"), or in a
  // resume that of the stopped run's record when none is given (said on err);
  // "bulk" otherwise.
  BrownianModel brownian(const std::string& given, std::ostream& err) const;
  // A resume whose model options differ from its record's is refused.
  void check_options(const RunContext& run) const;
  // Writes the record of the run (status "running") before its first file.
  void begin(const RunContext& run, int threads, std::int32_t first, std::int32_t last);
  // Counts the particles written; the runner adds one per particle.
  std::atomic<std::int64_t>* written() { return &written_; }
  // The run is complete: the record gets its end time and status "complete".
  // A guard destroyed after begin() without end() records "stopped".
  void end();

 private:
  void rewrite(const char* status);

  std::filesystem::path dir_;
  std::vector<std::string> args_;
  bool numbered_;
  bool resume_;
  std::string name_;  // of the record
  std::optional<RunLock> lock_;
  std::optional<nlohmann::ordered_json> earlier_;  // the stopped run's record (resume)
  nlohmann::ordered_json record_;
  std::string start_;
  bool begun_ = false, ended_ = false;
  std::atomic<std::int64_t> written_{0};
};

// merge: the records of the one-particle runs and blocks in dir must agree
// on version, seed and options (InputError naming the records otherwise).
// Returns the merge's own record, to be written once the flux files are; a
// directory without such records gives one with "seed" and "options" null.
nlohmann::ordered_json merge_record(const std::filesystem::path& dir, const std::string& shown,
                            const std::vector<std::string>& args);

// summary: the seed and options of the run's record(s) as a line, or empty
// when dir holds no record (a run of an older version).
std::string record_line(const std::filesystem::path& dir);
// The same as the JSON value of the summary's "run_record" key (null when
// there is none).
nlohmann::ordered_json record_summary(const std::filesystem::path& dir);

}  // namespace colloidsim
