// Range checks of the parameter file, made once before anything is written.
#pragma once

#include "io/parameter_file.h"

namespace colloidsim {

// Largest number of particle heterodomains a layout may generate.
inline constexpr std::int64_t MAX_PARTICLE_HETERODOMAINS = 10'000'000;

// Throws InputError naming the first parameter outside its valid range.
void validate_parameters(const ParameterFile& file);

// One-particle mode: the particle IPART = FIRST = LAST, or every particle of
// the block FIRST..LAST, must lie in 1..NPART (NPART from the command line).
void validate_particle_number(std::int32_t NPART, std::int32_t FIRST, std::int32_t LAST);

}  // namespace colloidsim
