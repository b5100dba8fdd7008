#include "driver/merge_command.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "common/input_error.h"
#include "driver/run_guard.h"
#include "io/file_names.h"
#include "io/output_file.h"
#include "io/output_records.h"
#include "analysis/run_files.h"
#include "io/run_lock.h"
#include "io/run_record.h"

namespace colloidsim {

namespace {

using Ranges = std::vector<std::pair<std::int64_t, std::int64_t>>;

std::string range_text(std::int64_t first, std::int64_t last) {
  return first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
}

std::string ranges_text(const Ranges& ranges, const char* separator) {
  std::string text;
  for (const auto& [first, last] : ranges) {
    if (!text.empty()) text += separator;
    text += range_text(first, last);
  }
  return text;
}

Ranges missing_ranges(const RunFiles& run) {
  Ranges ranges;
  for (const auto& [first, last] : run.missing) ranges.push_back({first, last});
  return ranges;
}

// The blocks of `size` particles (block k holds (k-1) size + 1 .. k size)
// that hold a particle of ranges, joined into ranges.
Ranges blocks_of(const Ranges& ranges, std::int64_t size) {
  Ranges blocks;
  for (const auto& [first, last] : ranges) {
    const std::int64_t a = (first - 1) / size + 1, b = (last - 1) / size + 1;
    if (!blocks.empty() && a <= blocks.back().second + 1) {
      blocks.back().second = std::max(blocks.back().second, b);
    } else {
      blocks.push_back({a, b});
    }
  }
  return blocks;
}

// Whether dir holds a numbered flux file (a VORNEKFLUX*.n.OUT).
bool has_numbered_files(const std::filesystem::path& dir, const std::string& shown) {
  std::error_code error;
  bool any = false;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    any = any || entry.path().filename().string().rfind("VORNEKFLUX", 0) == 0;
  }
  if (error) throw InputError(shown, "cannot list the directory (" + error.message() + ")");
  return any;
}

// Whether dir holds one of FLUXEX.OUT, FLUXATT.OUT, FLUXREM.OUT as a file
// (or a link to one; a directory or a dangling link in their place is a
// name that cannot be written, reported as such).
bool has_all_particles_files(const std::filesystem::path& dir) {
  std::error_code error;
  for (const char* name : FLUX_FILE_NAMES) {
    if (std::filesystem::is_regular_file(dir / name, error)) return true;
  }
  return false;
}

// An earlier merge's files may be merged over (more blocks have finished
// since); those of an all-particles run, or of a run without a record, only
// when the user says so.
void check_replacement(const std::filesystem::path& dir, const std::string& shown, bool replace) {
  if (replace || !has_all_particles_files(dir)) return;
  const auto record = read_run_record(dir, RUN_RECORD_NAME);
  const std::string mode = record ? record->value("mode", std::string()) : std::string();
  if (mode == "merge") return;
  throw InputError(shown, 0, "",
                   "the flux files FLUXEX.OUT, FLUXATT.OUT, FLUXREM.OUT of " +
                       (mode.empty() ? std::string("a run without a record (") + RUN_RECORD_NAME + ")"
                                     : "an all-particles run (" + std::string(RUN_RECORD_NAME) + ": mode \"" +
                                           mode + "\")"),
                   "a directory without them, or --replace to merge over them; nothing written");
}

// Every problem of the numbered files, one per line.
std::string problems_text(const RunFiles& run) {
  std::string text;
  for (const RunProblem& problem : run.problems) text += "  " + describe(problem) + "\n";
  return text;
}

}  // namespace

std::string merge_usage_text() {
  return "Usage: colloidsim merge [DIR] [--allow-missing] [--replace]\n"
         "\n"
         "Writes FLUXEX.OUT, FLUXATT.OUT and FLUXREM.OUT in DIR (default: the working\n"
         "directory) from the numbered flux files VORNEKFLUX{EX,ATT,REM}.n.OUT of\n"
         "particles 1..NPART that one-particle runs (colloidsim NPART n, or blocks\n"
         "NPART A-B) wrote there. With --seed, the merged files are byte for byte\n"
         "those of the all-particles run of the same INPUT.IN (CLUSTER = 0) and seed.\n"
         "The trajectory files stay as they are. The files of an earlier merge are\n"
         "replaced; those of an all-particles run only with --replace.\n"
         "\n"
         "Every numbered file must carry the same echo, hold whole rows, and every\n"
         "particle must have one row in one family; otherwise every problem is\n"
         "listed, the exit status is 1 and nothing is written.\n";
}

void define_merge_options(OptionSet& options, MergeArguments& a) {
  options.positional("DIR", a.positional)
      .flag("--allow-missing", a.allow_missing,
            "merge the particles that are there and list the\n"
            "missing ones on standard error")
      .flag("--replace", a.replace,
            "merge over the flux files of an all-particles run\n"
            "(or of a run without a record) in DIR")
      .footer("\n"
              "Exit status: 0 once the three files are written; 1 with every problem\n"
              "listed on standard error and nothing written.\n");
}

void define_missing_options(OptionSet& options, MissingArguments& a) {
  options.positional("DIR", a.positional)
      .value("--block-size", "B", a.block_size, read_count, "a whole number of at least 1",
             "list instead the blocks of B particles (block k holds\n"
             "particles (k-1) B + 1 .. k B) that hold a missing\n"
             "particle, as one list for sbatch --array: 3,7-9")
      .value("--npart", "N", a.npart, read_count, "a whole number of at least 1",
             "the run's particle count, when no numbered file is there\n"
             "yet or to check against")
      .footer("\n"
              "Exit status: 0 after the list (empty when nothing is missing); 1 when DIR\n"
              "cannot be listed or --npart differs from the numbered files' echo.\n");
}

std::string missing_usage_text() {
  return "Usage: colloidsim missing [DIR] [--block-size B] [--npart N]\n"
         "\n"
         "Lists the particles of 1..NPART that have no numbered flux row in DIR\n"
         "(default: the working directory), as ranges A-B, one per line. NPART is\n"
         "that of the numbered files' echo, or N. In the directory of an\n"
         "all-particles run it lists the particles without a row in FLUXEX.OUT,\n"
         "FLUXATT.OUT and FLUXREM.OUT (a stopped run; --resume runs them).\n";
}

int run_merge_command(const MergeArguments& a, const CommandContext& context) {
  std::ostream& err = context.err;
  try {
    const std::string shown = directory_argument(a.positional, "merge");
    const bool allow_missing = a.allow_missing;
    const std::filesystem::path dir = context.workdir / shown;
    // Alone in the directory: no block may be writing its files meanwhile.
    const RunLock lock = RunLock::directory(dir, shown);
    std::vector<std::string> args = {"merge", shown};
    if (allow_missing) args.push_back("--allow-missing");
    if (a.replace) args.push_back("--replace");
    nlohmann::ordered_json record = merge_record(dir, shown, args);
    const RunFiles run = read_run_files(dir, RunFileChoice::Numbered);
    check_replacement(dir, shown, a.replace);
    const Ranges missing = missing_ranges(run);
    if (!run.problems.empty() || (!missing.empty() && !allow_missing)) {
      std::string message = "colloidsim merge: " + shown + ": nothing written:\n";
      message += problems_text(run);
      if (!missing.empty()) {
        message += "  particles without a numbered flux row: " + ranges_text(missing, ", ") +
                   " (colloidsim missing lists them; --allow-missing merges the others)\n";
      }
      err << message;
      return 1;
    }
    std::string head = run.echo.text;
    append_legend(head);
    append_flux_header(head);
    // All three names are checked before the first file is replaced.
    for (const char* name : FLUX_FILE_NAMES) CompleteFile::check_names(dir, name);
    CompleteFile::check_names(dir, RUN_RECORD_NAME);
    std::unique_ptr<CompleteFile> files[3];
    for (int f = 0; f < 3; ++f) {
      files[f] = std::make_unique<CompleteFile>(dir, FLUX_FILE_NAMES[f]);
      std::string text = head;
      for (const FluxRow& row : run.rows[static_cast<std::size_t>(f)]) {
        text += row.text;
        text += '\n';
      }
      files[f]->write(text);
    }
    for (auto& file : files) file->commit();
    record["NPART"] = run.NPART;
    record["particles_written"] = run.finished();
    record["status"] = "complete";
    record["end"] = utc_time_now();
    write_run_record(dir, RUN_RECORD_NAME, record);
    context.out << "colloidsim merge: wrote FLUXEX.OUT, FLUXATT.OUT, FLUXREM.OUT in "
                << absolute_directory(dir) << ": "
                << run.finished() << " of " << run.NPART << " particles ("
                << run.rows[0].size() << " EX, " << run.rows[1].size() << " ATT, "
                << run.rows[2].size() << " REM) from " << run.files.size() / 3
                << " numbered file sets\n";
    if (!missing.empty()) {
      err << "colloidsim merge: missing: " << ranges_text(missing, ", ") << "\n";
    }
    return 0;
  } catch (const InputError& e) {
    err << "colloidsim: " << e.what() << "\n";
    return 1;
  }
}

int run_missing_command(const MissingArguments& a, const CommandContext& context) {
  std::ostream& out = context.out;
  std::ostream& err = context.err;
  try {
    const std::string shown = directory_argument(a.positional, "missing");
    const std::optional<std::int64_t>& block = a.block_size;
    const std::optional<std::int64_t>& npart = a.npart;
    const std::filesystem::path dir = context.workdir / shown;
    Ranges missing;
    const bool numbered = has_numbered_files(dir, shown);
    const bool all_particles = !numbered && has_all_particles_files(dir);
    if (!numbered && !all_particles) {
      if (!npart) {
        throw InputError(shown, 0, "", "no numbered flux file",
                         "the numbered files of a run, or --npart N");
      }
      missing.push_back({1, *npart});
    } else {
      // An all-particles run is read as summary reads it.
      const RunFiles run = read_run_files(
          dir, all_particles ? RunFileChoice::AllParticles : RunFileChoice::Numbered);
      if (npart && *npart != run.NPART) {
        throw InputError(shown, 0, "--npart", std::to_string(*npart),
                         std::string("the particle count of the ") +
                             (all_particles ? "flux" : "numbered") + " files' echo, " +
                             std::to_string(run.NPART));
      }
      missing = missing_ranges(run);
      if (!run.problems.empty()) {
        err << "colloidsim missing: " << shown
            << ": these files need a look (a particle whose row cannot be read counts as "
               "missing):\n"
            << problems_text(run);
      }
      if (all_particles && !missing.empty()) {
        err << "colloidsim missing: " << shown
            << " holds an all-particles run; colloidsim --resume (with the run's --seed) "
               "runs the missing particles\n";
      }
    }
    if (block) {
      if (!missing.empty()) out << ranges_text(blocks_of(missing, *block), ",") << "\n";
    } else {
      out << ranges_text(missing, "\n") << (missing.empty() ? "" : "\n");
    }
    return 0;
  } catch (const InputError& e) {
    err << "colloidsim: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace colloidsim
