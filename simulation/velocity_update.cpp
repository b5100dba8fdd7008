#include "simulation/velocity_update.h"

#include <cmath>

#include "common/constants.h"
#include "forces/happel.h"
#include "forces/hydrodynamics.h"

namespace colloidsim {

namespace {

// The rolling balance in contact (single precision).
// A solid sphere rolling without slip: its inertia is the mass times
// 1 + 2/5, the 2/5 of its moment of inertia.
constexpr double ROLL_MASS = sp(1.4f);
// Force and torque on a sphere touching a plane in a shear flow, over their
// free-stream values (Goldman, Cox and Brenner 1967, part II): 1.7005 and
// 0.944.
constexpr double ROLL_FS = sp(1.7005f);
constexpr double ROLL_TS = sp(0.944f);
// Resistance functions of a sphere moving parallel to a plane near contact,
// the log-gap fits slope * ln(H/AP) - offset (Goldman, Cox and Brenner 1967,
// part I): the force of translation (8/15, 0.9588) and of rotation
// (-2/15, 0.2526), the torque of translation (-1/10, 0.1895) and of rotation
// (2/5, 0.3817).
struct LogGapFit {
  double slope, offset;
};
constexpr LogGapFit FORCE_OF_TRANSLATION{sp(0.53333336f), sp(0.9588f)};
constexpr LogGapFit FORCE_OF_ROTATION{sp(-0.13333334f), sp(0.2526f)};
constexpr LogGapFit TORQUE_OF_TRANSLATION{sp(-0.1f), sp(0.1895f)};
constexpr LogGapFit TORQUE_OF_ROTATION{sp(0.4f), sp(0.3817f)};
// The weight of the two torque functions against the two force functions in
// the rolling resistance (4/3 in single precision).
constexpr float ROLL_ROTATION = 1.3333334f;
// The normal forces balance when the adhesive load is within 0.5 % of the
// repulsion.
constexpr double BALANCE_LOW = sp(0.995f);
constexpr double BALANCE_HIGH = sp(1.005f);

struct Vector {
  double X = 0, Y = 0, Z = 0;
};

// A vector split into its part along the outward normal and the rest.
struct NormalAndTangent {
  Vector normal, tangent;
};

NormalAndTangent split_along_normal(const ParticleMotion& m, double X, double Y, double Z) {
  const double along = X * m.ENX + Y * m.ENY + Z * m.ENZ;
  NormalAndTangent v;
  v.normal = {along * m.ENX, along * m.ENY, along * m.ENZ};
  v.tangent = {X - v.normal.X, Y - v.normal.Y, Z - v.normal.Z};
  return v;
}

// Particle mass plus the added mass of the fluid it carries along (kg).
double moving_mass(const RunContext& run) { return run.c.MP + run.c.MA; }

// The fluid at the centre along the normal and the tangent (which sets the
// tangent ET), the near-wall functions of the gap and the drag they give.
// With the hindered Brownian model also dFUN1/ddelta, for the drift.
void fluid_and_drag(const RunContext& run, ParticleMotion& m, ForceBreakdown& f, double& dFUN1_ddelta) {
  const RunParameters& p = run.p;
  double UFX = 0, UFY = 0, UFZ = 0;
  fluid_velocity(run, m.X, m.Y, m.Z, m.R, UFX, UFY, UFZ);
  SPLIT_FLUID_VELOCITY(UFX, UFY, UFZ, m.ENX, m.ENY, m.ENZ, f.VN, f.VT, m.ETX, m.ETY, m.ETZ);
  const double delta = REDUCED_GAP(m.H, p.B, p.AP);
  if (run.brownian == BrownianModel::hindered) {
    NEAR_WALL_FUNCTIONS(delta, f.FUN1, f.FUN2, f.FUN3, f.FUN4, dFUN1_ddelta);
  } else {
    NEAR_WALL_FUNCTIONS(delta, f.FUN1, f.FUN2, f.FUN3, f.FUN4);
  }
  FORCEDRAG(f.FUN2, f.FUN3, f.FUN4, run.c.M3, f.VN, f.VT, f.FDRGT, f.FDRGN);
}

// Gravity along the normal and the tangent of the frame; inline in the
// velocity update, whose hot path it is part of.
[[gnu::always_inline]] inline GravityVectors gravity_in_frame(const RunContext& run,
                                                              const ParticleMotion& m,
                                                              ForceBreakdown& f) {
  const RunConstants& c = run.c;
  GravityVectors g;
  GRAVVECT(run.f.FG, c.EGX, c.EGY, c.EGZ, m.ENX, m.ENY, m.ENZ, m.ETX, m.ETY, m.ETZ, f.FGN, f.FGT,
           g.FGNX, g.FGNY, g.FGNZ, g.FGTX, g.FGTY, g.FGTZ);
  return g;
}

// The Brownian force of the step (FDIFX, FDIFY, FDIFZ), zero in contact, and
// its split along the normal. The draws are taken in contact too, so the
// stream does not depend on the regime. The bulk model draws the free-space
// amplitude; the hindered one the amplitude of each direction's near-wall
// friction, with the drift of the normal mobility gradient (FDRIFT, N, along
// the normal; zero with the bulk model and in contact).
NormalAndTangent brownian_force(const RunContext& run, const ParticleMotion& m, ForceBreakdown& f,
                                double dFUN1_ddelta, RandomStream& stream, double& FDRIFT) {
  const double amplitude = brownian_amplitude(run, m.DT);
  FDRIFT = 0;
  if (run.brownian == BrownianModel::hindered) {
    FORCEDIFF_HINDERED(stream, run.p.DIFFSCALE, amplitude, f.FUN1, f.FUN4, m.ENX, m.ENY, m.ENZ,
                       f.FDIFX, f.FDIFY, f.FDIFZ);
    FDRIFT = (run.f.BROWNIAN_DRIFT * dFUN1_ddelta) / f.FUN1;
  } else {
    FORCEDIFF(stream, run.p.DIFFSCALE, amplitude, f.FDIFX, f.FDIFY, f.FDIFZ);
  }
  if (m.H <= run.c.HCUT) {
    f.FDIFX = 0;
    f.FDIFY = 0;
    f.FDIFZ = 0;
    FDRIFT = 0;
  }
  return split_along_normal(m, f.FDIFX, f.FDIFY, f.FDIFZ);
}

// The new normal velocity, semi-implicit in the normal resistance M3/FUN1:
// gravity, the colloidal force, the Brownian force, lift and drag along the
// normal, and the Brownian drift FDRIFT. Sets the signed normal speed UN.
Vector normal_velocity(const RunContext& run, ParticleMotion& m, const ForceBreakdown& f,
                       const GravityVectors& g, const Vector& FDIFN, double FDRIFT,
                       const Vector& VPN0) {
  const double M = moving_mass(run);
  const double normal_resistance = M + (run.c.M3 / f.FUN1) * m.DT;
  Vector v;
  v.X = (M * VPN0.X + (((((g.FGNX + f.FCOLL * m.ENX) + FDIFN.X) + f.FLIFT * m.ENX) +
                           f.FDRGN * m.ENX) +
                          FDRIFT * m.ENX) *
                             m.DT) /
        normal_resistance;
  v.Y = (M * VPN0.Y + (((((g.FGNY + f.FCOLL * m.ENY) + FDIFN.Y) + f.FLIFT * m.ENY) +
                           f.FDRGN * m.ENY) +
                          FDRIFT * m.ENY) *
                             m.DT) /
        normal_resistance;
  v.Z = (M * VPN0.Z + (((((g.FGNZ + f.FCOLL * m.ENZ) + FDIFN.Z) + f.FLIFT * m.ENZ) +
                           f.FDRGN * m.ENZ) +
                          FDRIFT * m.ENZ) *
                             m.DT) /
        normal_resistance;
  m.UN = std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z);
  if (v.X * m.ENX + v.Y * m.ENY + v.Z * m.ENZ < 0) m.UN = -m.UN;
  return v;
}

// Off contact: the new tangential velocity, semi-implicit in M3/FUN4, from
// gravity, the Brownian force and drag along the tangent. Sets UT (negative
// when moving up the z axis) and the free rotation rate OMEGA.
Vector free_tangential_velocity(const RunContext& run, ParticleMotion& m, const ForceBreakdown& f,
                                const GravityVectors& g, const Vector& FDIFT, const Vector& VPT0) {
  const double M = moving_mass(run);
  const double tangential_resistance = M + (run.c.M3 / f.FUN4) * m.DT;
  Vector v;
  v.X = (M * VPT0.X + ((g.FGTX + FDIFT.X) + f.FDRGT * m.ETX) * m.DT) / tangential_resistance;
  v.Y = (M * VPT0.Y + ((g.FGTY + FDIFT.Y) + f.FDRGT * m.ETY) * m.DT) / tangential_resistance;
  v.Z = (M * VPT0.Z + ((g.FGTZ + FDIFT.Z) + f.FDRGT * m.ETZ) * m.DT) / tangential_resistance;
  m.UT = std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z);
  if (v.Z > 0) m.UT = -m.UT;
  m.OMEGA = FREE_ROTATION_RATE(m.UT, m.H, run.p.AP);
  return v;
}

// The normal forces in contact: the adhesive load FL (attractive forces,
// gravity, lift and drag along the normal, as a positive size) and the
// repulsion FR (Born and the repulsive acid-base and steric forces).
struct NormalLoad {
  double FL = 0, FR = 0;
};

NormalLoad normal_load(const ForceBreakdown& f) {
  NormalLoad n;
  n.FL = f.FVDW + f.FEDL + f.FGN + f.FLIFT + f.FDRGN;
  if (f.FAB < 0) n.FL += f.FAB;
  if (f.FSTE < 0) n.FL += f.FSTE;
  n.FR = f.FBORN;
  if (f.FAB >= 0) n.FR += f.FAB;
  if (f.FSTE >= 0) n.FR += f.FSTE;
  n.FL = n.FL > 0 ? 0.0 : -n.FL;
  return n;
}

float log_gap(const LogGapFit& fit, double lh) {
  return static_cast<float>(fit.slope * lh - fit.offset);
}

// The hydrodynamic resistance of the rolling sphere at ln(H/AP) = lh.
float rolling_resistance(double lh) {
  const float c_tt = log_gap(FORCE_OF_TRANSLATION, lh);
  const float c_tr = log_gap(FORCE_OF_ROTATION, lh);
  const float c_rt = log_gap(TORQUE_OF_TRANSLATION, lh);
  const float c_rr = log_gap(TORQUE_OF_ROTATION, lh);
  return (c_tt + c_tr) + ROLL_ROTATION * (c_rt + c_rr);
}

// In contact the particle rolls along the tangent of the flow: the torque of
// the adhesive load about the lever arm against the hydrodynamic torque.
// Sets UT (clamped to 0, which sets TORQFLAG), TORQFLAG (cleared when the
// normal forces do not balance) and OMEGA. VPT0 is the previous tangential
// velocity.
Vector rolling_velocity(const RunContext& run, ParticleMotion& m, const ForceBreakdown& f,
                        const Vector& VPT0) {
  const RunParameters& p = run.p;
  const double M = moving_mass(run);
  const NormalLoad load = normal_load(f);

  double L = (p.AP * p.ASP2) / (p.AP + p.ASP2);
  if (L > m.ACONT) L = m.ACONT;
  const float resistance = rolling_resistance(std::log(m.H / p.AP));
  const double Ap = p.AP - m.DEF;
  const double six_pi_visc_ap = ((6.0 * PI) * p.VISC) * Ap;
  const double speed0 = std::sqrt(VPT0.X * VPT0.X + VPT0.Y * VPT0.Y + VPT0.Z * VPT0.Z);
  const double numerator =
      ((ROLL_MASS * M) * speed0 - (((load.FL * L) / p.AP) * (Ap / p.AP)) * m.DT) +
      ((six_pi_visc_ap * f.VT) * m.DT) * (ROLL_FS + ((TWO_THIRDS * p.AP) / (m.H + p.AP)) * ROLL_TS);
  const double denominator =
      ROLL_MASS * M - (six_pi_visc_ap * m.DT) * static_cast<double>(resistance);
  m.UT = numerator / denominator;
  if (m.UT < 0) {
    m.UT = 0;
    m.TORQFLAG = 1;
  }
  if (!(BALANCE_LOW * load.FR <= load.FL && load.FL <= BALANCE_HIGH * load.FR)) m.TORQFLAG = 0;
  m.OMEGA = m.UT / p.AP;
  return {m.UT * m.ETX, m.UT * m.ETY, m.UT * m.ETZ};
}

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
  return gravity_in_frame(run, m, f);
}

void update_forces_and_velocity(const RunContext& run, ParticleMotion& m, ForceBreakdown& f,
                                ParticleBookkeeping& b, HeterodomainWeighting& het,
                                RandomStream& stream) {
  const RunParameters& p = run.p;
  colloidal_forces(run, m, f, b.HETTYPE, het, b.ISTEP == 1);
  double dFUN1_ddelta = 0, FDRIFT = 0;
  fluid_and_drag(run, m, f, dFUN1_ddelta);
  const NormalAndTangent FDIF = brownian_force(run, m, f, dFUN1_ddelta, stream, FDRIFT);
  FORCELIFT(p.RHOW, m.R, p.AP, p.AG, f.VT, m.UT, m.OMEGA, f.FLIFT);
  const GravityVectors g = gravity_in_frame(run, m, f);

  const NormalAndTangent VP0 = split_along_normal(m, m.VPX, m.VPY, m.VPZ);
  const Vector VPN = normal_velocity(run, m, f, g, FDIF.normal, FDRIFT, VP0.normal);
  const Vector VPT = m.H > run.c.HCUT
                         ? free_tangential_velocity(run, m, f, g, FDIF.tangent, VP0.tangent)
                         : rolling_velocity(run, m, f, VP0.tangent);
  m.VPX = VPN.X + VPT.X;
  m.VPY = VPN.Y + VPT.Y;
  m.VPZ = VPN.Z + VPT.Z;
}

}  // namespace colloidsim
