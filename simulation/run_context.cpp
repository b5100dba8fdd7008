#include "simulation/run_context.h"

#include <cmath>

#include "common/constants.h"
#include "forces/hydrodynamics.h"
#include "random/random_draws.h"
#include "simulation/setup.h"
#include "surface/hettrackp.h"

namespace colloidsim {

PreparedForces prepare_forces(const RunParameters& p, const RunConstants& c) {
  PreparedForces f;
  f.vdw = prepare_vdw(p.A132, p.AG, p.AP, p.ASP, p.RMODE, p.LAMBDAVDW, p.A11, p.A22, p.A33,
                      p.AC1C1, p.AC2C2, p.T1, p.T2, p.VDWMODE);
  const auto edl = [&](double ZETAC, double ZETAP) {
    return prepare_edl(c.KAPPA, KB, c.ERE0, p.T, p.ZI, E_CHARGE, ZETAC, ZETAP, p.AG, p.AP, p.ASP,
                       p.RMODE, PI);
  };
  f.edl_base = edl(p.ZETACST, p.ZETAPST);
  f.edl_particle_het = edl(p.ZETACST, p.ZETAHETP);
  f.edl_collector_het = edl(p.ZETAHET, p.ZETAPST);
  f.edl_both_het = edl(p.ZETAHET, p.ZETAHETP);
  f.EDL_ZERO_BELOW = std::fmin(std::fmin(f.edl_base.ZERO_BELOW, f.edl_particle_het.ZERO_BELOW),
                               std::fmin(f.edl_collector_het.ZERO_BELOW, f.edl_both_het.ZERO_BELOW));
  f.ab = prepare_ab(PI, p.AG, p.AP, p.ASP, p.RMODE, p.LAMBDAAB, p.GAMMA0AB, H0);
  f.born = prepare_born(p.A132, BORN_SIGMA, p.AP, p.A11, p.A22, p.A33, p.AC1C1, p.AC2C2, p.VDWMODE);
  f.ste = prepare_ste(PI, p.GAMMA0STE, p.LAMBDASTE, c.ASTE);
  GRAVITY(p.GRAVFACT, p.AP, G_ACCEL, p.RHOP, p.RHOW, PI, f.FG);
  const double MULT[3] = {p.MULTB, p.MULTNS, p.MULTC};
  for (int k = 0; k < 3; ++k) {
    f.DT_STEPS[k] = MULT[k] * c.DTMRT;
    f.BROWNIAN_AMPLITUDES[k] = BROWNIAN_AMPLITUDE(PI, p.VISC, p.AP, KB, p.T, f.DT_STEPS[k]);
  }
  f.BROWNIAN_DRIFT = ((((p.DIFFSCALE * p.DIFFSCALE) * DEVIATE_VARIANCE()) * KB) * p.T) / p.AP;
  return f;
}

const char* brownian_model_name(BrownianModel model) {
  return model == BrownianModel::hindered ? "hindered" : "bulk";
}

double brownian_amplitude(const RunContext& run, double DT) {
  for (int k = 0; k < 3; ++k) {
    if (DT == run.f.DT_STEPS[k]) return run.f.BROWNIAN_AMPLITUDES[k];
  }
  const RunParameters& p = run.p;
  return BROWNIAN_AMPLITUDE(PI, p.VISC, p.AP, KB, p.T, DT);
}

ContactZones contact_zones_for(const RunParameters& p, double KAPPA, double ACONT) {
  ContactZones z;
  const double rim = p.AP + std::sqrt(p.AP * p.AP - ACONT * ACONT);
  z.RZOI = std::sqrt(ACONT * ACONT + (2.0 / KAPPA) * rim);
  z.RAB = std::sqrt(ACONT * ACONT + (2.0 * p.LAMBDAAB) * rim);
  if (p.RMODE > 0) {
    const double half_sqrt_pi = 0.5 * std::sqrt(PI);
    const double ASP2 = p.ASP * p.ASP;
    z.NASP = p.ASP > half_sqrt_pi * z.RZOI ? 1.0 : ((z.RZOI * z.RZOI) / ASP2) * (PI / 4.0);
    z.NASPAB =
        p.ASP > round_sp(half_sqrt_pi * z.RAB) ? 1.0 : ((z.RAB * z.RAB) / ASP2) * (PI / 4.0);
  }
  return z;
}

RunContext prepare_run(const RunParameters& parameters, std::optional<std::uint64_t> seed,
                       BrownianModel brownian) {
  RunContext run;
  run.initial = parameters;
  run.c = derive_run_constants(run.initial);
  run.p = run.initial;
  const bool same_strict_sign = (run.p.ZETACST > 0 && run.p.ZETAPST > 0) ||
                                (run.p.ZETACST < 0 && run.p.ZETAPST < 0);
  if (!same_strict_sign) {
    run.p.SCOV = 0;
    run.p.SCOVP = 0;
  }
  if (run.p.SCOV > 0 || run.p.SCOVP > 0) {
    run.p.SCOVP = realised_particle_coverage(run.p.AP, run.p.HETMODEP, run.p.SCOVP,
                                             run.p.RHETP0, run.p.RHETP1);
  }
  run.f = prepare_forces(run.p, run.c);
  run.seed = seed;
  run.brownian = brownian;
  run.free_zones = contact_zones_for(run.p, run.c.KAPPA, 0.0);
  if (run.p.SCOV > 0) {
    run.lattice = collector_lattice(run.p.AG, run.p.HETMODE, run.p.SCOV, run.p.RHET0,
                                    run.p.RHET1, run.p.RHET2);
  }
  return run;
}

}  // namespace colloidsim
