#include "analysis/run_profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/constants.h"

namespace colloidsim {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Bisection steps of the vanishing fraction (1e-9 of the zone).
constexpr int FRACTION_STEPS = 30;

struct Pairing {
  const char* collector;
  const char* particle;
  double ZETAC, ZETAP;
  const EdlPrepared* edl;
};

// The pairings the step's weighting uses: the base surfaces always, the
// heterodomains of a surface only when it carries any.
std::vector<Pairing> pairings(const RunContext& run) {
  const RunParameters& p = run.p;
  const PreparedForces& f = run.f;
  std::vector<Pairing> list{{"base", "base", p.ZETACST, p.ZETAPST, &f.edl_base}};
  if (p.SCOV > 0) list.push_back({"heterodomain", "base", p.ZETAHET, p.ZETAPST, &f.edl_collector_het});
  if (p.SCOVP > 0) list.push_back({"base", "heterodomain", p.ZETACST, p.ZETAHETP, &f.edl_particle_het});
  if (p.SCOV > 0 && p.SCOVP > 0) {
    list.push_back({"heterodomain", "heterodomain", p.ZETAHET, p.ZETAHETP, &f.edl_both_het});
  }
  return list;
}

bool has_barrier(const RunContext& run, double w, const std::vector<double>& grid,
                 const std::vector<double>& breakpoints, double kT) {
  const ForceProfileLaw law =
      run_force_law(run, {{1.0 - w, &run.f.edl_base}, {w, &run.f.edl_collector_het}});
  const EnergyProfile profile = energy_profile(law, grid, breakpoints, kT);
  return find_features(law, profile, breakpoints, kT).barrier.found;
}

RunNumbers run_numbers(const RunContext& run, const RunParameters& as_read) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  RunNumbers n;
  n.DTMRT = c.DTMRT;
  for (int k = 0; k < 3; ++k) n.DT[k] = run.f.DT_STEPS[k];
  const double v = run.f.FG / c.M3;
  // The flow runs along -z: gravity along -z (CBGRAV 1) adds to it.
  n.settling_velocity = p.CBGRAV == 1 ? v : p.CBGRAV == 2 ? -v : 0.0;
  n.diffusion = (KB * p.T) / c.M3;
  n.numbers = dimensionless_numbers(correlation_inputs(as_read));
  n.eta0_te = eta0_tufenkji_elimelech(n.numbers);
  n.eta0_rt = eta0_rajagopalan_tien(n.numbers);
  n.approach_velocity = p.VSUP + n.settling_velocity;
  if (n.approach_velocity > 0) {
    n.bulk_steps_per_pass = (2.0 * c.RB / n.approach_velocity) / n.DT[0];
    n.seconds_per_pass = n.bulk_steps_per_pass * BULK_STEP_COST_S;
  } else {
    n.bulk_steps_per_pass = NaN;
    n.seconds_per_pass = NaN;
  }
  return n;
}

}  // namespace

std::string pair_label(const SurfacePairProfile& pair) {
  return "collector " + pair.collector + " / particle " + pair.particle;
}

RunProfile profile_run(const RunContext& run, const RunParameters& as_read,
                       const ProfileOptions& options) {
  RunProfile r;
  r.p = run.p;
  r.c = run.c;
  r.kT = KB * run.p.T;
  const std::vector<Pairing> list = pairings(run);
  std::vector<ForceProfileLaw> laws;
  for (const Pairing& pairing : list) laws.push_back(run_force_law(run, {{1.0, pairing.edl}}));

  r.hmax_default = !options.hmax;
  if (options.hmax) {
    r.hmax = *options.hmax;
  } else {
    const double threshold = PROFILE_DECAY_KT_PER_NM * r.kT / 1e-9;
    r.hmax = 0;
    for (const ForceProfileLaw& law : laws) {
      r.hmax = std::max(r.hmax, decay_separation(law, threshold, H0, PROFILE_HMAX_CAP));
    }
  }
  if (run.p.RMODE >= 1 && run.p.RMODE <= 3 && run.p.ASP > H0 && run.p.ASP < r.hmax) {
    r.breakpoints.push_back(run.p.ASP);
  }
  const std::vector<double> grid = log_grid(H0, r.hmax, options.points);
  for (std::size_t k = 0; k < list.size(); ++k) {
    SurfacePairProfile pair;
    pair.collector = list[k].collector;
    pair.particle = list[k].particle;
    pair.ZETAC = list[k].ZETAC;
    pair.ZETAP = list[k].ZETAP;
    pair.profile = energy_profile(laws[k], grid, r.breakpoints, r.kT);
    pair.features = find_features(laws[k], pair.profile, r.breakpoints, r.kT);
    r.pairs.push_back(std::move(pair));
  }

  HeterodomainReport& h = r.heterodomains;
  h.active = run.p.SCOV > 0 || run.p.SCOVP > 0;
  h.collector_coverage = run.p.SCOV;
  h.particle_coverage = run.p.SCOVP;
  h.zoi_fraction_bound = NaN;
  h.barrier_vanishing_fraction = NaN;
  if (run.p.SCOV > 0 && run.p.HETMODE == 1) {
    const double ratio = run.p.RHET0 / run.c.RZOIBULK;
    h.zoi_fraction_bound = std::min(1.0, ratio * ratio);
  }
  if (run.p.SCOV > 0 && r.pairs.front().features.barrier.found &&
      !has_barrier(run, 1.0, grid, r.breakpoints, r.kT)) {
    double lo = 0.0, hi = 1.0;
    for (int k = 0; k < FRACTION_STEPS; ++k) {
      const double mid = 0.5 * (lo + hi);
      (has_barrier(run, mid, grid, r.breakpoints, r.kT) ? lo : hi) = mid;
    }
    h.barrier_vanishing_fraction = hi;
  }
  r.numbers = run_numbers(run, as_read);
  return r;
}

}  // namespace colloidsim
