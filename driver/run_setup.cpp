#include "driver/run_setup.h"

#include "io/validation.h"
#include "simulation/setup.h"

namespace colloidsim {

RunContext prepare_checked_run(const ParameterFile& file, std::optional<std::uint64_t> seed,
                               BrownianModel brownian) {
  try {
    return prepare_run(file.parameters, seed, brownian);
  } catch (const SetupScanError& e) {
    throw parameter_error(file, e.parameter(), e.value(), e.expected());
  }
}

}  // namespace colloidsim
