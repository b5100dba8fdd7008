// Range checks of the parameter file, made once before anything is written.
#pragma once

#include <string>
#include <vector>

#include "common/input_error.h"
#include "common/run_constants.h"
#include "io/parameter_file.h"
#include "io/restart_file.h"

namespace colloidsim {

// Largest number of particle heterodomains a layout may generate.
inline constexpr std::int64_t MAX_PARTICLE_HETERODOMAINS = 10'000'000;

// Throws InputError naming the first parameter outside its valid range.
void validate_parameters(const ParameterFile& file);

// Valid values that are almost certainly typed in another unit (a zeta
// potential in mV, an ionic strength in mol/L, a temperature in degrees
// Celsius, a particle as large as the collector): one warning each, naming
// the parameter, its line and the unit it is read in. The run goes on.
std::vector<std::string> plausibility_warnings(const ParameterFile& file);

// Every warning about the parameter file: values beyond a group's last item,
// then the plausibility warnings.
std::vector<std::string> input_warnings(const ParameterFile& file);

// The message about a parameter outside its valid range: the file, the line
// and the text of its value, and what was expected.
InputError parameter_error(const ParameterFile& file, const std::string& name, double value,
                           const std::string& expected);

// Restart: records 1..count of the restart file, the ones the run will use,
// each hold the final point of a particle at rest in contact with this run's
// collector. Throws InputError naming the record, its line and the column.
void validate_restart_records(RestartFile& file, std::int32_t count, const RunParameters& p,
                              const RunConstants& c);

// One-particle mode: the particle IPART = FIRST = LAST, or every particle of
// the block FIRST..LAST, must lie in 1..NPART (NPART from the command line).
void validate_particle_number(std::int32_t NPART, std::int32_t FIRST, std::int32_t LAST);

}  // namespace colloidsim
