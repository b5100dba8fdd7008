// Setup of a run from a checked parameter file, with a setup scan that runs
// past its cap reported at the line of the parameter that makes it long.
#pragma once

#include <cstdint>
#include <optional>

#include "io/parameter_file.h"
#include "simulation/run_context.h"

namespace colloidsim {

// Throws InputError (a scan past its cap, named by the parameter's line).
RunContext prepare_checked_run(const ParameterFile& file, std::optional<std::uint64_t> seed,
                               BrownianModel brownian = BrownianModel::bulk);

}  // namespace colloidsim
