// The fate and exit tests of a time step (defined in simulation/fates.cpp).
#pragma once

#include "common/constants.h"
#include "simulation/fates.h"
#include "simulation/particle_state.h"
#include "simulation/run_context.h"

namespace colloidsim {

// Fate tests: near-surface slow motion, and in contact the perfect sink, the
// crash below H0, the torque hold and contact slow motion; a fate once set
// stays, only the perfect sink and the time limit override it. Exit tests:
// leaving the cell (or being put back upstream of the equator when gravity
// runs along the flow axis), then the time limit TTIME.
void fate_and_exit_tests(const RunContext& run, ParticleMotion& m, const ForceBreakdown& f,
                         ParticleBookkeeping& b);

// The tests of a step after its regime is classified; returns the fate,
// Unresolved while the particle goes on. A step in the bulk band, inside the
// cell and before TTIME meets none of the tests' conditions, so it skips
// them (most steps are such steps).
inline Fate decide_fate(const RunContext& run, ParticleMotion& m, const ForceBreakdown& f,
                        ParticleBookkeeping& b) {
  if (m.H > HNS && m.R <= run.c.RB && b.PTIMEF <= run.p.TTIME) return b.ATTACHK;
  fate_and_exit_tests(run, m, f, b);
  return b.ATTACHK;
}

}  // namespace colloidsim
