// What colloidsim profile reports for a run's parameters: the energy profile
// and its features for every surface pair the particle can meet, the run's
// lengths and time steps, the settling and diffusion of the particle, the
// correlations' eta0 and a rough cost per particle.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/correlations.h"
#include "analysis/energy_profile.h"
#include "simulation/run_context.h"

namespace colloidsim {

inline constexpr int DEFAULT_PROFILE_POINTS = 400;
// The default upper end of the grid: where every part has fallen below
// 1e-6 kT per nm, at most 1 micrometre.
inline constexpr double PROFILE_DECAY_KT_PER_NM = 1e-6;
inline constexpr double PROFILE_HMAX_CAP = 1e-6;  // m

// Cost of one bulk time step of the favorable example, s: the median of
// build/bench/step --benchmark_filter='BM_BulkStep$' --benchmark_repetitions=5
// (Release build, -O2, one thread) on the development machine, 305 ns.
// Near-surface steps with heterodomains cost several times more.
inline constexpr double BULK_STEP_COST_S = 3.05e-7;

struct ProfileOptions {
  int points = DEFAULT_PROFILE_POINTS;
  std::optional<double> hmax;  // m
};

// A pairing of a collector surface (base or heterodomain) with a particle
// surface, profiled as if both surfaces were uniform.
struct SurfacePairProfile {
  std::string collector;  // "base" or "heterodomain"
  std::string particle;   // "base" or "heterodomain"
  double ZETAC = 0, ZETAP = 0;  // V
  EnergyProfile profile;
  ProfileFeatures features;
};

struct HeterodomainReport {
  bool active = false;               // the run weights the double layer over the zone
  double collector_coverage = 0;     // SCOV
  double particle_coverage = 0;      // SCOVP as the particle's lattice realises it
  // HETMODE 1: the weighting sees the one heterodomain on the nearest lattice
  // site, so the collector heterodomains' fraction of the zone of influence
  // is at most min(1, (RHET0/RZOIBULK)^2). NaN otherwise.
  double zoi_fraction_bound = 0;
  // The fraction of the zone covered by collector heterodomains at which the
  // barrier of the base surfaces vanishes (double layer (1 - w) F(base) +
  // w F(collector heterodomain, particle base)); NaN when the base surfaces
  // have no barrier or it remains at w = 1.
  double barrier_vanishing_fraction = 0;
};

struct RunNumbers {
  double DTMRT = 0;                      // s
  double DT[3] = {0, 0, 0};              // s, bulk, near-surface, contact steps
  double settling_velocity = 0;          // m/s, Stokes, along the flow (-z)
  double diffusion = 0;                  // m2/s, kB T / (6 pi VISC AP)
  DimensionlessNumbers numbers;
  double eta0_te = 0;                    // Tufenkji and Elimelech (2004)
  double eta0_rt = 0;                    // Rajagopalan and Tien (1976)
  double approach_velocity = 0;          // m/s, VSUP + settling velocity
  double bulk_steps_per_pass = 0;        // 2 RB / approach velocity / bulk step
  double seconds_per_pass = 0;           // times BULK_STEP_COST_S
};

struct RunProfile {
  RunParameters p;  // as the run uses them
  RunConstants c;
  double kT = 0;                     // J
  double hmax = 0;                   // m
  bool hmax_default = true;
  std::vector<double> breakpoints;   // m
  std::vector<SurfacePairProfile> pairs;
  HeterodomainReport heterodomains;
  RunNumbers numbers;
};

// as_read: the parameters as the file gives them (setup sets A132 to 0 for
// the coated models; the correlations use the outer materials' constant).
RunProfile profile_run(const RunContext& run, const RunParameters& as_read,
                       const ProfileOptions& options);

// "collector base / particle heterodomain"
std::string pair_label(const SurfacePairProfile& pair);

}  // namespace colloidsim
