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

void colloidal_forces(const RunContext& run, ParticleState& s, HeterodomainWeighting& het, bool lay_out) {
  const PreparedForces& f = run.f;
  FORCEVDW(f.vdw, s.NASP, s.H, s.FVDW);

  const RunParameters& p = run.p;
  const bool heterodomains = p.SCOV > 0 || p.SCOVP > 0;
  if (heterodomains) het.follow_particle(run, s, lay_out);

  const EdlDecay decay = edl_decay(f.edl_base, s.H, f.EDL_ZERO_BELOW);
  if (heterodomains && s.REGIME > 1) {
    const ZoiWeights w = het.weights(run, s.HETTYPE);
    s.AFRACT = w.AFRACT;
    s.FEDL = weighted_double_layer(f, decay, s.NASP, w);
  } else {
    s.AFRACT = -1;
    FORCEEDL(f.edl_base, decay, s.NASP, s.FEDL);
  }

  FORCEAB(f.ab, s.NASPAB, s.H, s.FAB);
  FORCEBORN(f.born, s.H, s.FBORN);
  FORCESTE(f.ste, s.H, s.FSTE);
  s.FCOLL = s.FVDW + s.FEDL + s.FAB + s.FBORN + s.FSTE;
}

void update_forces_and_velocity(const RunContext& run, ParticleState& s, HeterodomainWeighting& het,
                                RandomStream& stream) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  colloidal_forces(run, s, het, s.ISTEP == 1);

  double UFX = 0, UFY = 0, UFZ = 0;
  fluid_velocity(run, s.X, s.Y, s.Z, s.R, UFX, UFY, UFZ);
  SPLIT_FLUID_VELOCITY(UFX, UFY, UFZ, s.ENX, s.ENY, s.ENZ, s.VN, s.VT, s.ETX, s.ETY, s.ETZ);

  const double delta = REDUCED_GAP(s.H, p.B, p.AP);
  double FDRIFT = 0;  // N, drift of the normal mobility gradient (hindered model)
  // The draws are taken in contact too, so the stream does not depend on the regime.
  if (run.brownian == BrownianModel::hindered) {
    double dFUN1 = 0;
    NEAR_WALL_FUNCTIONS(delta, s.FUN1, s.FUN2, s.FUN3, s.FUN4, dFUN1);
    FORCEDIFF_HINDERED(stream, p.DIFFSCALE, brownian_amplitude(run, s.DT), s.FUN1, s.FUN4, s.ENX,
                       s.ENY, s.ENZ, s.FDIFX, s.FDIFY, s.FDIFZ);
    FDRIFT = (run.f.BROWNIAN_DRIFT * dFUN1) / s.FUN1;
  } else {
    NEAR_WALL_FUNCTIONS(delta, s.FUN1, s.FUN2, s.FUN3, s.FUN4);
    FORCEDIFF(stream, p.DIFFSCALE, brownian_amplitude(run, s.DT), s.FDIFX, s.FDIFY, s.FDIFZ);
  }
  FORCEDRAG(s.FUN2, s.FUN3, s.FUN4, c.M3, s.VN, s.VT, s.FDRGT, s.FDRGN);
  if (s.H <= c.HCUT) {
    s.FDIFX = 0;
    s.FDIFY = 0;
    s.FDIFZ = 0;
    FDRIFT = 0;
  }
  FORCELIFT(p.RHOW, s.R, p.AP, p.AG, s.VT, s.UT, s.OMEGA, s.FLIFT);
  GRAVVECT(run.f.FG, c.EGX, c.EGY, c.EGZ, s.ENX, s.ENY, s.ENZ, s.ETX, s.ETY, s.ETZ, s.FGN, s.FGT,
           s.FGNX, s.FGNY, s.FGNZ, s.FGTX, s.FGTY, s.FGTZ);

  // The previous velocity and the Brownian force split along the new normal.
  const double M = c.MP + c.MA;
  const double vn = s.VPX * s.ENX + s.VPY * s.ENY + s.VPZ * s.ENZ;
  const double VPNX0 = vn * s.ENX, VPNY0 = vn * s.ENY, VPNZ0 = vn * s.ENZ;
  const double VPTX0 = s.VPX - VPNX0, VPTY0 = s.VPY - VPNY0, VPTZ0 = s.VPZ - VPNZ0;
  const double fn = s.FDIFX * s.ENX + s.FDIFY * s.ENY + s.FDIFZ * s.ENZ;
  const double FDIFNX = fn * s.ENX, FDIFNY = fn * s.ENY, FDIFNZ = fn * s.ENZ;
  const double FDIFTX = s.FDIFX - FDIFNX, FDIFTY = s.FDIFY - FDIFNY, FDIFTZ = s.FDIFZ - FDIFNZ;

  // Normal part, semi-implicit in the normal resistance M3/FUN1.
  const double normal_resistance = M + (c.M3 / s.FUN1) * s.DT;
  const double VPNX =
      (M * VPNX0 + (((((s.FGNX + s.FCOLL * s.ENX) + FDIFNX) + s.FLIFT * s.ENX) +
                        s.FDRGN * s.ENX) +
                       FDRIFT * s.ENX) *
                          s.DT) /
      normal_resistance;
  const double VPNY =
      (M * VPNY0 + (((((s.FGNY + s.FCOLL * s.ENY) + FDIFNY) + s.FLIFT * s.ENY) +
                        s.FDRGN * s.ENY) +
                       FDRIFT * s.ENY) *
                          s.DT) /
      normal_resistance;
  const double VPNZ =
      (M * VPNZ0 + (((((s.FGNZ + s.FCOLL * s.ENZ) + FDIFNZ) + s.FLIFT * s.ENZ) +
                        s.FDRGN * s.ENZ) +
                       FDRIFT * s.ENZ) *
                          s.DT) /
      normal_resistance;
  s.UN = std::sqrt(VPNX * VPNX + VPNY * VPNY + VPNZ * VPNZ);
  if (VPNX * s.ENX + VPNY * s.ENY + VPNZ * s.ENZ < 0) s.UN = -s.UN;

  double VPTX = 0, VPTY = 0, VPTZ = 0;
  if (s.H > c.HCUT) {
    // Free tangential motion, semi-implicit in M3/FUN4.
    const double tangential_resistance = M + (c.M3 / s.FUN4) * s.DT;
    VPTX = (M * VPTX0 + ((s.FGTX + FDIFTX) + s.FDRGT * s.ETX) * s.DT) / tangential_resistance;
    VPTY = (M * VPTY0 + ((s.FGTY + FDIFTY) + s.FDRGT * s.ETY) * s.DT) / tangential_resistance;
    VPTZ = (M * VPTZ0 + ((s.FGTZ + FDIFTZ) + s.FDRGT * s.ETZ) * s.DT) / tangential_resistance;
    s.UT = std::sqrt(VPTX * VPTX + VPTY * VPTY + VPTZ * VPTZ);
    if (VPTZ > 0) s.UT = -s.UT;
    s.OMEGA = FREE_ROTATION_RATE(s.UT, s.H, p.AP);
  } else {
    // Rolling in contact: the torque of the adhesive load about the lever arm
    // against the hydrodynamic torque of the flow.
    double FL = s.FVDW + s.FEDL + s.FGN + s.FLIFT + s.FDRGN;
    if (s.FAB < 0) FL += s.FAB;
    if (s.FSTE < 0) FL += s.FSTE;
    double FR = s.FBORN;
    if (s.FAB >= 0) FR += s.FAB;
    if (s.FSTE >= 0) FR += s.FSTE;
    FL = FL > 0 ? 0.0 : -FL;

    double L = (p.AP * p.ASP2) / (p.AP + p.ASP2);
    if (L > s.ACONT) L = s.ACONT;
    const double lh = std::log(s.H / p.AP);
    const float c_tt = static_cast<float>(sp(0.53333336f) * lh - sp(0.9588f));
    const float c_tr = static_cast<float>(sp(-0.13333334f) * lh - sp(0.2526f));
    const float c_rt = static_cast<float>(sp(-0.1f) * lh - sp(0.1895f));
    const float c_rr = static_cast<float>(sp(0.4f) * lh - sp(0.3817f));
    const float resistance = (c_tt + c_tr) + ROLL_ROTATION * (c_rt + c_rr);
    const double Ap = p.AP - s.DEF;
    const double six_pi_visc_ap = ((6.0 * PI) * p.VISC) * Ap;
    const double VPT0 = std::sqrt(VPTX0 * VPTX0 + VPTY0 * VPTY0 + VPTZ0 * VPTZ0);
    const double numerator =
        ((ROLL_MASS * M) * VPT0 - (((FL * L) / p.AP) * (Ap / p.AP)) * s.DT) +
        ((six_pi_visc_ap * s.VT) * s.DT) * (ROLL_FS + ((TWO_THIRDS * p.AP) / (s.H + p.AP)) * ROLL_TS);
    const double denominator =
        ROLL_MASS * M - (six_pi_visc_ap * s.DT) * static_cast<double>(resistance);
    s.UT = numerator / denominator;
    if (s.UT < 0) {
      s.UT = 0;
      s.TORQFLAG = 1;
    }
    if (!(BALANCE_LOW * FR <= FL && FL <= BALANCE_HIGH * FR)) s.TORQFLAG = 0;
    VPTX = s.UT * s.ETX;
    VPTY = s.UT * s.ETY;
    VPTZ = s.UT * s.ETZ;
    s.OMEGA = s.UT / p.AP;
  }

  s.VPX = VPNX + VPTX;
  s.VPY = VPNY + VPTY;
  s.VPZ = VPNZ + VPTZ;
}

}  // namespace colloidsim
