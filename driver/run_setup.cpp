#include "driver/run_setup.h"

#include "common/constants.h"
#include "forces/hydrodynamics.h"

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
  f.ab = prepare_ab(PI, p.AG, p.AP, p.ASP, p.RMODE, p.LAMBDAAB, p.GAMMA0AB, H0);
  f.born = prepare_born(p.A132, BORN_SIGMA, p.AP, p.A11, p.A22, p.A33, p.AC1C1, p.AC2C2, p.VDWMODE);
  f.ste = prepare_ste(PI, p.GAMMA0STE, p.LAMBDASTE, c.ASTE);
  GRAVITY(p.GRAVFACT, p.AP, G_ACCEL, p.RHOP, p.RHOW, PI, f.FG);
  return f;
}

}  // namespace colloidsim
