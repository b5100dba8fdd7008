// Derivation of the run's constants, between reading the parameter file and
// the first particle.
#pragma once

#include "common/run_constants.h"
#include "common/run_parameters.h"

namespace colloidsim {

// Computes every derived constant in order. Changes two parameters as the run
// uses them: a positive W132 becomes 0, and A132 becomes 0 unless VDWMODE is 1
// (the coated models use the single-material constants). Throws InputError when
// the primary-minimum scan finds no minimum within 1 micrometre.
RunConstants derive_run_constants(RunParameters& p);

}  // namespace colloidsim
