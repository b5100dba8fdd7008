#include "simulation/velocity_update.h"

#include <cmath>

#include "common/constants.h"
#include "forces/happel.h"
#include "forces/hydrodynamics.h"

namespace colloidsim {

namespace {

// Coefficients of the rolling balance in contact (single precision).
constexpr double ROLL_MASS = sp(1.4f);
constexpr double ROLL_FS = sp(1.7005f);
constexpr double ROLL_TS = sp(0.944f);
constexpr float ROLL_ROTATION = 1.3333334f;
constexpr double BALANCE_LOW = sp(0.995f);
constexpr double BALANCE_HIGH = sp(1.005f);

}  // namespace

void fluid_velocity(const RunContext& run, double X, double Y, double Z, double R, double& UFX,
                    double& UFY, double& UFZ) {
  const RunConstants& c = run.c;
  if (R <= c.RB) {
    double VXH1 = 0, VYH1 = 0, VZH1 = 0;
    // The collector centre is the origin (XM0 = YM0 = ZM0 = 0), so R is the
    // field's own sqrt(X^2 + Y^2 + Z^2).
    HAPPELFF(X, Y, Z, R, run.p.AG, run.p.B, c.K1, c.K2, c.K3, c.K4, VXH1, VYH1, VZH1);
    UFX = run.p.VSUP * VXH1;
    UFY = run.p.VSUP * VYH1;
    UFZ = run.p.VSUP * VZH1;
  } else {
    UFX = 0;
    UFY = 0;
    UFZ = -run.p.VSUP;
  }
}

void colloidal_forces(const RunContext& run, const ParticleMotion& m, ForceBreakdown& f,
                      std::int32_t& HETTYPE, HeterodomainWeighting& het, bool lay_out) {
  const PreparedForces& prepared = run.f;
  FORCEVDW(prepared.vdw, m.NASP, m.H, f.FVDW);

  const RunParameters& p = run.p;
  const bool heterodomains = p.SCOV > 0 || p.SCOVP > 0;
  if (heterodomains) het.follow_particle(run, m, lay_out);

  const EdlDecay decay = edl_decay(prepared.edl_base, m.H, prepared.EDL_ZERO_BELOW);
  if (heterodomains && m.REGIME > 1) {
    const ZoiWeights w = het.weights(run, HETTYPE);
    f.AFRACT = w.AFRACT;
    f.FEDL = weighted_double_layer(prepared, decay, m.NASP, w);
  } else {
    f.AFRACT = -1;
    FORCEEDL(prepared.edl_base, decay, m.NASP, f.FEDL);
  }

  FORCEAB(prepared.ab, m.NASPAB, m.H, f.FAB);
  FORCEBORN(prepared.born, m.H, f.FBORN);
  FORCESTE(prepared.ste, m.H, f.FSTE);
  f.FCOLL = f.FVDW + f.FEDL + f.FAB + f.FBORN + f.FSTE;
}

GravityVectors gravity(const RunContext& run, const ParticleMotion& m, ForceBreakdown& f) {
  const RunConstants& c = run.c;
  GravityVectors g;
  GRAVVECT(run.f.FG, c.EGX, c.EGY, c.EGZ, m.ENX, m.ENY, m.ENZ, m.ETX, m.ETY, m.ETZ, f.FGN, f.FGT,
           g.FGNX, g.FGNY, g.FGNZ, g.FGTX, g.FGTY, g.FGTZ);
  return g;
}

void update_forces_and_velocity(const RunContext& run, ParticleMotion& m, ForceBreakdown& f,
                                ParticleBookkeeping& b, HeterodomainWeighting& het,
                                RandomStream& stream) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  colloidal_forces(run, m, f, b.HETTYPE, het, b.ISTEP == 1);

  double UFX = 0, UFY = 0, UFZ = 0;
  fluid_velocity(run, m.X, m.Y, m.Z, m.R, UFX, UFY, UFZ);
  SPLIT_FLUID_VELOCITY(UFX, UFY, UFZ, m.ENX, m.ENY, m.ENZ, f.VN, f.VT, m.ETX, m.ETY, m.ETZ);

  NEAR_WALL_FUNCTIONS(REDUCED_GAP(m.H, p.B, p.AP), f.FUN1, f.FUN2, f.FUN3, f.FUN4);
  FORCEDRAG(f.FUN2, f.FUN3, f.FUN4, c.M3, f.VN, f.VT, f.FDRGT, f.FDRGN);
  // The draws are taken in contact too, so the stream does not depend on the regime.
  FORCEDIFF(stream, p.DIFFSCALE, brownian_amplitude(run, m.DT), f.FDIFX, f.FDIFY, f.FDIFZ);
  if (m.H <= c.HCUT) {
    f.FDIFX = 0;
    f.FDIFY = 0;
    f.FDIFZ = 0;
  }
  FORCELIFT(p.RHOW, m.R, p.AP, p.AG, f.VT, m.UT, m.OMEGA, f.FLIFT);
  const GravityVectors g = gravity(run, m, f);

  // The previous velocity and the Brownian force split along the new normal.
  const double M = c.MP + c.MA;
  const double vn = m.VPX * m.ENX + m.VPY * m.ENY + m.VPZ * m.ENZ;
  const double VPNX0 = vn * m.ENX, VPNY0 = vn * m.ENY, VPNZ0 = vn * m.ENZ;
  const double VPTX0 = m.VPX - VPNX0, VPTY0 = m.VPY - VPNY0, VPTZ0 = m.VPZ - VPNZ0;
  const double fn = f.FDIFX * m.ENX + f.FDIFY * m.ENY + f.FDIFZ * m.ENZ;
  const double FDIFNX = fn * m.ENX, FDIFNY = fn * m.ENY, FDIFNZ = fn * m.ENZ;
  const double FDIFTX = f.FDIFX - FDIFNX, FDIFTY = f.FDIFY - FDIFNY, FDIFTZ = f.FDIFZ - FDIFNZ;

  // Normal part, semi-implicit in the normal resistance M3/FUN1.
  const double normal_resistance = M + (c.M3 / f.FUN1) * m.DT;
  const double VPNX =
      (M * VPNX0 + ((((g.FGNX + f.FCOLL * m.ENX) + FDIFNX) + f.FLIFT * m.ENX) + f.FDRGN * m.ENX) *
                       m.DT) /
      normal_resistance;
  const double VPNY =
      (M * VPNY0 + ((((g.FGNY + f.FCOLL * m.ENY) + FDIFNY) + f.FLIFT * m.ENY) + f.FDRGN * m.ENY) *
                       m.DT) /
      normal_resistance;
  const double VPNZ =
      (M * VPNZ0 + ((((g.FGNZ + f.FCOLL * m.ENZ) + FDIFNZ) + f.FLIFT * m.ENZ) + f.FDRGN * m.ENZ) *
                       m.DT) /
      normal_resistance;
  m.UN = std::sqrt(VPNX * VPNX + VPNY * VPNY + VPNZ * VPNZ);
  if (VPNX * m.ENX + VPNY * m.ENY + VPNZ * m.ENZ < 0) m.UN = -m.UN;

  double VPTX = 0, VPTY = 0, VPTZ = 0;
  if (m.H > c.HCUT) {
    // Free tangential motion, semi-implicit in M3/FUN4.
    const double tangential_resistance = M + (c.M3 / f.FUN4) * m.DT;
    VPTX = (M * VPTX0 + ((g.FGTX + FDIFTX) + f.FDRGT * m.ETX) * m.DT) / tangential_resistance;
    VPTY = (M * VPTY0 + ((g.FGTY + FDIFTY) + f.FDRGT * m.ETY) * m.DT) / tangential_resistance;
    VPTZ = (M * VPTZ0 + ((g.FGTZ + FDIFTZ) + f.FDRGT * m.ETZ) * m.DT) / tangential_resistance;
    m.UT = std::sqrt(VPTX * VPTX + VPTY * VPTY + VPTZ * VPTZ);
    if (VPTZ > 0) m.UT = -m.UT;
    m.OMEGA = FREE_ROTATION_RATE(m.UT, m.H, p.AP);
  } else {
    // Rolling in contact: the torque of the adhesive load about the lever arm
    // against the hydrodynamic torque of the flow.
    double FL = f.FVDW + f.FEDL + f.FGN + f.FLIFT + f.FDRGN;
    if (f.FAB < 0) FL += f.FAB;
    if (f.FSTE < 0) FL += f.FSTE;
    double FR = f.FBORN;
    if (f.FAB >= 0) FR += f.FAB;
    if (f.FSTE >= 0) FR += f.FSTE;
    FL = FL > 0 ? 0.0 : -FL;

    double L = (p.AP * p.ASP2) / (p.AP + p.ASP2);
    if (L > m.ACONT) L = m.ACONT;
    const double lh = std::log(m.H / p.AP);
    const float c_tt = static_cast<float>(sp(0.53333336f) * lh - sp(0.9588f));
    const float c_tr = static_cast<float>(sp(-0.13333334f) * lh - sp(0.2526f));
    const float c_rt = static_cast<float>(sp(-0.1f) * lh - sp(0.1895f));
    const float c_rr = static_cast<float>(sp(0.4f) * lh - sp(0.3817f));
    const float resistance = (c_tt + c_tr) + ROLL_ROTATION * (c_rt + c_rr);
    const double Ap = p.AP - m.DEF;
    const double six_pi_visc_ap = ((6.0 * PI) * p.VISC) * Ap;
    const double VPT0 = std::sqrt(VPTX0 * VPTX0 + VPTY0 * VPTY0 + VPTZ0 * VPTZ0);
    const double numerator =
        ((ROLL_MASS * M) * VPT0 - (((FL * L) / p.AP) * (Ap / p.AP)) * m.DT) +
        ((six_pi_visc_ap * f.VT) * m.DT) * (ROLL_FS + ((TWO_THIRDS * p.AP) / (m.H + p.AP)) * ROLL_TS);
    const double denominator =
        ROLL_MASS * M - (six_pi_visc_ap * m.DT) * static_cast<double>(resistance);
    m.UT = numerator / denominator;
    if (m.UT < 0) {
      m.UT = 0;
      m.TORQFLAG = 1;
    }
    if (!(BALANCE_LOW * FR <= FL && FL <= BALANCE_HIGH * FR)) m.TORQFLAG = 0;
    VPTX = m.UT * m.ETX;
    VPTY = m.UT * m.ETY;
    VPTZ = m.UT * m.ETZ;
    m.OMEGA = m.UT / p.AP;
  }

  m.VPX = VPNX + VPTX;
  m.VPY = VPNY + VPTY;
  m.VPZ = VPNZ + VPTZ;
}

}  // namespace colloidsim
