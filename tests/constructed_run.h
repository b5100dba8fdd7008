// Run directories written from chosen flux rows, in the layouts the program
// writes: the favorable example's echo, the legend, the header and the rows.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "io/echo.h"
#include "io/file_names.h"
#include "io/output_records.h"
#include "io/parameter_file.h"
#include "analysis/run_files.h"
#include "tests/support.h"

namespace colloidsim::testing {

// The favorable example's parameters with NPART replaced and its earlier
// injection radius RLIM of 50 um (the hand-computed efficiencies take it);
// the derived values of the echo are those of that example's real echo.
inline RunParameters favorable_parameters(std::int32_t NPART) {
  RunParameters p = read_parameter_file(source_path("examples/favorable/INPUT.IN")).parameters;
  p.NPART = NPART;
  p.RLIM = 5.0e-5;
  return p;
}

inline std::string flux_head(const RunParameters& p) {
  std::string text;
  append_echo(text, p, EchoValues{2.9745869e-4, 7.8000738e-8, 5.8766e-8, 1.0549236e-8});
  append_legend(text);
  append_flux_header(text);
  return text;
}

// A row of the given particle and fate; the other fields hold plain values.
inline FluxRecord flux_row(std::int32_t IPART, std::int32_t ATTACHK) {
  FluxRecord r;
  r.IPART = IPART;
  r.ATTACHK = ATTACHK;
  r.RINJ = 1e-5;
  r.ZINIT = 2.9e-4;
  r.ROUT = 2.6e-4;
  r.ZOUT = 2.6e-4;
  r.AFRACT = -1;
  return r;
}

inline const char* const ALL_FLUX_NAMES[3] = {"FLUXEX.OUT", "FLUXATT.OUT", "FLUXREM.OUT"};
inline const char* const NUMBERED_FLUX_PREFIXES[3] = {"VORNEKFLUXEX.", "VORNEKFLUXATT.",
                                                      "VORNEKFLUXREM."};

// FLUXEX.OUT, FLUXATT.OUT and FLUXREM.OUT: head (echo, legend, column
// header), then the rows in the given order.
inline void write_all_particles_run(const std::filesystem::path& dir, const std::string& head,
                                    const std::vector<FluxRecord>& rows) {
  std::string text[3] = {head, head, head};
  for (const FluxRecord& r : rows) {
    append_flux_record(text[static_cast<int>(flux_family_of(r.ATTACHK))], r);
  }
  for (int f = 0; f < 3; ++f) write_text(dir / ALL_FLUX_NAMES[f], text[f]);
}

// The three numbered flux files of each row's particle, as one-particle runs
// write them.
inline void write_numbered_run(const std::filesystem::path& dir, const std::string& head,
                               const std::vector<FluxRecord>& rows) {
  for (const FluxRecord& r : rows) {
    for (int f = 0; f < 3; ++f) {
      std::string text = head;
      if (static_cast<int>(flux_family_of(r.ATTACHK)) == f) append_flux_record(text, r);
      write_text(dir / numbered_name_one_particle(NUMBERED_FLUX_PREFIXES[f], r.IPART), text);
    }
  }
}

}  // namespace colloidsim::testing
