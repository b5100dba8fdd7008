// Everything a run shares between its particles: the parameters as the run
// uses them, the derived constants and the force-law constants prepared once.
#pragma once

#include <cstdint>
#include <optional>

#include "common/run_constants.h"
#include "common/run_parameters.h"
#include "forces/acid_base.h"
#include "forces/born.h"
#include "forces/edl.h"
#include "forces/steric.h"
#include "forces/vdw.h"
#include "surface/hettrack.h"

namespace colloidsim {

// Brownian motion near the collector. bulk: the force has the free-space
// amplitude sqrt(2 kB T M3 / DT) in every direction while the velocity update
// divides it by the near-wall friction, so within a few hundred nanometres of
// the collector the particle diffuses as at a temperature of about FUN1 T
// (the model's published form, the default). hindered: the amplitude uses the
// friction of each direction (M3/FUN1 normal, M3/FUN4 tangential) and the
// gradient of the normal mobility adds the drift kB T' (dFUN1/dH) / FUN1, so
// that the particle samples Boltzmann's distribution at the temperature T' of
// the draws.
enum class BrownianModel { bulk, hindered };

// "bulk" or "hindered".
const char* brownian_model_name(BrownianModel model);

// The force-law constants of the run. The double layer is prepared for the
// four pairings of collector and particle surfaces the heterodomain weighting
// uses; each gives bit for bit the result of the full argument list.
struct PreparedForces {
  VdwPrepared vdw;
  EdlPrepared edl_base;            // ZETACST with ZETAPST
  EdlPrepared edl_particle_het;    // ZETACST with ZETAHETP
  EdlPrepared edl_collector_het;   // ZETAHET with ZETAPST
  EdlPrepared edl_both_het;        // ZETAHET with ZETAHETP
  // The four pairings share the decay of a gap: its exponent is decided
  // against the lowest of their flush exponents.
  double EDL_ZERO_BELOW = 0;
  AbPrepared ab;
  BornPrepared born;
  StericPrepared ste;
  double FG = 0;  // N, buoyant weight
  // Brownian amplitudes of the bulk, near-surface and contact time steps.
  double DT_STEPS[3] = {0, 0, 0};
  double BROWNIAN_AMPLITUDES[3] = {0, 0, 0};
  // N: kB T' / AP, with T' = DIFFSCALE^2 E[xi^2] T the temperature of the
  // draws; times (dFUN1/ddelta) / FUN1 it is the drift of the hindered model.
  double BROWNIAN_DRIFT = 0;
};

// Zone of influence, acid-base zone and asperity counts for a contact radius.
struct ContactZones {
  double RZOI = 0;    // m
  double RAB = 0;     // m
  double NASP = 0;    // asperities inside the zone of influence (RMODE > 0)
  double NASPAB = 0;  // asperities inside the acid-base zone (RMODE > 0)
};
ContactZones contact_zones_for(const RunParameters& p, double KAPPA, double ACONT);

// Fixed once setup ends: particles only read it, so any number of them may
// share one.
struct RunContext {
  // The parameters as the particles use them. Heterodomains act only between
  // base surfaces of one strict sign: otherwise SCOV and SCOVP are 0. SCOVP is
  // the coverage the particle's lattice realises.
  RunParameters p;
  // The parameters as setup left them, before those two rules: the run's
  // first files (the flux files, and the first particle's trajectory files)
  // echo these, every later file echoes p.
  RunParameters initial;
  RunConstants c;
  PreparedForces f;
  std::optional<std::uint64_t> seed;  // --seed N
  BrownianModel brownian = BrownianModel::bulk;  // --brownian
  ContactZones free_zones;             // without contact (ACONT = 0)
  CollectorLattice lattice;            // of the collector heterodomains (SCOV > 0)
};

// FORCEDIFF's amplitude for the time step DT, from the run's cache when DT is
// one of its three steps.
double brownian_amplitude(const RunContext& run, double DT);

// Prepares the force laws for the parameters as setup left them.
PreparedForces prepare_forces(const RunParameters& p, const RunConstants& c);

// A run for checked parameters: derived constants, then the prepared force
// laws. Throws InputError when setup finds no primary minimum.
RunContext prepare_run(const RunParameters& parameters, std::optional<std::uint64_t> seed,
                       BrownianModel brownian = BrownianModel::bulk);

}  // namespace colloidsim
