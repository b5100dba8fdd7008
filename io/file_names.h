// The names of the output files: the families a fate goes to, the flux files
// of an all-particles run, the numbered files ("VORNEKTRAJEX." followed by the
// particle number and ".OUT") and the two small text routines that build them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "simulation/fates.h"

namespace colloidsim {

// The family of files of a fate code as a file holds it (FATES in
// simulation/fates.h); a code outside 1 to 6 counts as ATT. Each array below
// is indexed by the family.
FluxFamily flux_family_of(std::int32_t ATTACHK);
inline constexpr std::array<const char*, 3> FLUX_FAMILY_NAMES = {"EX", "ATT", "REM"};

// The flux files of an all-particles run.
inline constexpr std::array<const char*, 3> FLUX_FILE_NAMES = {"FLUXEX.OUT", "FLUXATT.OUT",
                                                               "FLUXREM.OUT"};
// Prefixes of the numbered flux files (one-particle mode) and of the
// trajectory files.
inline constexpr std::array<const char*, 3> NUMBERED_FLUX_PREFIXES = {
    "VORNEKFLUXEX.", "VORNEKFLUXATT.", "VORNEKFLUXREM."};
inline constexpr std::array<const char*, 3> TRAJECTORY_PREFIXES = {
    "VORNEKTRAJEX.", "VORNEKTRAJATT.", "VORNEKTRAJREM."};

// Texts are fixed-length buffers, blank-padded on the right.

// Writes the decimal digits of I (with a leading "-" when negative),
// left-justified and blank-padded, into TEXT[0, N); a longer text is cut to N
// characters. TEXT must hold at least N characters.
void CHRI(std::string& TEXT, int N, std::int32_t I);

// Removes every blank (code 32) among the first NCHAR characters of TEXT and
// packs the others to the left; the rest of TEXT becomes blank. L is the
// number of characters kept. Throws std::runtime_error("abort - maxed out in
// chrpak") for more than 800 non-blank characters.
void CHRPAK(std::string& TEXT, int NCHAR, int& L);

// The name of a numbered file: prefix, the particle number without blanks or
// leading zeros, ".OUT". One-particle mode builds it with CHRI and CHRPAK in a
// 40-character buffer, all-particles mode with a minimum-width integer edit;
// both give the same name.
std::string numbered_name_one_particle(const std::string& prefix, std::int32_t IPART);
std::string numbered_name_all_particles(const std::string& prefix, std::int32_t IPART);

}  // namespace colloidsim
