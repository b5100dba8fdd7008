// Reading the flux files of a finished run: one file, or a whole run
// directory, either the all-particles files FLUXEX.OUT, FLUXATT.OUT,
// FLUXREM.OUT or the numbered VORNEKFLUXEX.n.OUT, VORNEKFLUXATT.n.OUT,
// VORNEKFLUXREM.n.OUT of one-particle runs.
//
// The readers serve both the run summary and the merging of numbered files
// into all-particles files, so they keep what each needs:
// - every row as parsed (FluxRecord) and as written (its text), with its file
//   and line, so that rows can be counted or copied byte for byte;
// - the echo as written (four lines) and as labelled values;
// - every problem found, not only the first: a broken row, a heading that
//   this program does not write, a row in the files of another family, a
//   file whose echo differs from the run's, a particle with two rows, a
//   particle number outside 1..NPART, a missing file of a set.
// Reading never stops at a problem (except a file or directory that cannot
// be opened): the caller decides whether a run with problems is usable, and
// can list them all.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/file_names.h"
#include "io/output_records.h"

namespace colloidsim {

// Where a problem was found: a file of the run directory (its name only) and
// a 1-based line, 0 for the file as a whole.
struct RunProblem {
  std::string file;
  int line = 0;
  std::string message;
};

// "FILE, line N: message" or "FILE: message".
std::string describe(const RunProblem& problem);

// The four echo lines that head every output file.
struct RunEcho {
  struct Item {
    std::string label;  // as written, without the "=": "VSUP(m/s)", "NPART", "A11(J)"
    std::string value;  // the value's text without blanks: "0.40000000E-05", "10"
    int line = 0;       // 1..4
  };
  std::string text;  // the four lines as written, each ending in "\n"
  std::vector<Item> items;

  // The item of a label, nullptr when the echo has none.
  const Item* find(std::string_view label) const;
  // The value of a label as a number. Throws InputError (naming file) when
  // the label is absent or its value is not a number of that kind.
  double real(std::string_view label, const std::string& file) const;
  std::int32_t integer(std::string_view label, const std::string& file) const;
};

// One row of a flux file.
struct FluxRow {
  FluxRecord record;
  std::string text;      // the line as written, without its "\n"
  int line = 0;          // 1-based line in its file
  std::size_t file = 0;  // index of its file in RunFiles::files (0 for a single file)
};

// One flux file. rows holds the well-formed rows in file order; a row that
// cannot be read is reported and left out.
struct FluxFile {
  std::string name;  // file name within its directory
  FluxFamily family = FluxFamily::EX;
  RunEcho echo;  // no items when the echo is not this program's (reported)
  std::vector<FluxRow> rows;
};

// Reads one flux file of the given family. Appends to problems: fewer than
// six heading lines, an echo that is not this program's four records, a
// legend or column header that differs from the one the program writes, a
// row that is not 31 fields of the flux layout (with the field that is not),
// a last line without its line end (a write cut short), and a row whose fate
// belongs to another family. Throws InputError only when the file cannot be
// opened.
FluxFile read_flux_file(const std::filesystem::path& path, FluxFamily family,
                        std::vector<RunProblem>& problems);
// The same for a file's name and text (a file with a NUL byte, binary or
// UTF-16, is reported as that and not read further).
FluxFile parse_flux_file(const std::string& name, const std::string& text, FluxFamily family,
                         std::vector<RunProblem>& problems);

// One flux row: 31 blank-separated fields, the integers as digits (wider
// than their fields when the number needs it), the reals in the Ew.d form
// this program writes, including "0.15000000-151" for three-digit exponents
// and "NaN", "Infinity", "-Infinity". Returns false with what is wrong in
// error.
bool parse_flux_row(std::string_view text, FluxRecord& record, std::string& error);

// A real in the Ew.d form ("-0.12345678E-09", " 0.15000000-151", "NaN").
bool parse_fixed_real(std::string_view text, double& value);

// Which flux files of a directory make the run.
enum class RunLayout {
  AllParticles,  // FLUXEX.OUT, FLUXATT.OUT, FLUXREM.OUT
  Numbered,      // VORNEKFLUX{EX,ATT,REM}.n.OUT, one set per particle n
};

enum class RunFileChoice {
  Automatic,  // the all-particles files when any of them exists (a merged run keeps
              // its numbered files beside them), otherwise the numbered files
  AllParticles,
  Numbered,
};

// A run directory's flux files read together.
struct RunFiles {
  std::filesystem::path directory;
  RunLayout layout = RunLayout::AllParticles;
  // The files read: all-particles EX, ATT, REM; numbered by particle
  // number, then EX, ATT, REM. FluxRow::file indexes this list.
  std::vector<FluxFile> files;
  // The run's echo: that of the first file read whose echo is whole. Every
  // other file's whole echo is compared with it.
  RunEcho echo;
  // NPART of the echo (in one-particle runs the command line's particle
  // count); 0 when the echo has none.
  std::int32_t NPART = 0;
  // The rows of every particle, per family (FluxFamily as index), each
  // sorted by particle number. A particle with rows in two places keeps the
  // first one found and is reported.
  std::array<std::vector<FluxRow>, 3> rows;
  // Particles of 1..NPART without a row, as ranges first..last in
  // increasing order: not finished, or their files are missing.
  std::vector<std::pair<std::int32_t, std::int32_t>> missing;
  std::vector<RunProblem> problems;

  std::size_t finished() const { return rows[0].size() + rows[1].size() + rows[2].size(); }
  std::int64_t missing_count() const;
  const std::string& file_name(const FluxRow& row) const { return files[row.file].name; }
};

// Finds and reads the run files of directory. The numbered layout also
// reports a particle whose set lacks one of its three files, and a numbered
// file with more than one row or with the row of another particle. Throws
// InputError when the directory cannot be listed or holds no flux files of
// the layout chosen.
RunFiles read_run_files(const std::filesystem::path& directory,
                        RunFileChoice choice = RunFileChoice::Automatic);

// The part of read_run_files after the files are read: run.files holds them,
// file_particle[i] is the particle number in the name of files[i] (0 for the
// all-particles files). Fills echo, NPART, rows and missing, and adds the
// problems found between files.
void join_run_files(RunFiles& run, const std::vector<std::int32_t>& file_particle);

}  // namespace colloidsim
