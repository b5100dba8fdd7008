#include "simulation/trajectory.h"

#include <cmath>
#include <limits>
#include <utility>

#include "common/constants.h"
#include "common/roughness.h"
#include "forces/happel.h"
#include "forces/hydrodynamics.h"
#include "simulation/fate_tests.h"
#include "simulation/velocity_update.h"

namespace colloidsim {

namespace {

// Zone of influence, acid-base zone and asperity counts for the contact
// radius ACONT; without contact they are the run's constant values (ACONT
// enters only squared, so -0 and +0 give the same zones).
void contact_zones(const RunContext& run, ParticleMotion& m) {
  const ContactZones z =
      m.ACONT == 0 ? run.free_zones : contact_zones_for(run.p, run.c.KAPPA, m.ACONT);
  m.RZOI = z.RZOI;
  m.RAB = z.RAB;
  if (run.p.RMODE > 0) {
    m.NASP = z.NASP;
    m.NASPAB = z.NASPAB;
  }
}

double distance(double ax, double ay, double az, double bx, double by, double bz) {
  const double dx = ax - bx, dy = ay - by, dz = az - bz;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Arc length along the collector surface between the near-surface entry and
// the current normal, added to NSDIST; NSVEL follows.
void add_near_surface_arc(const RunContext& run, const ParticleMotion& m, ParticleBookkeeping& b) {
  const double AG = run.p.AG;
  const double chord =
      distance(AG * b.ENTRY_NX, AG * b.ENTRY_NY, AG * b.ENTRY_NZ, AG * m.ENX, AG * m.ENY, AG * m.ENZ);
  b.NSDIST += (2.0 * AG) * std::asin(chord / (2.0 * AG));
  b.NSVEL = b.NSDIST / b.TNEAR;
}

void add_to_mean_gap(double H, ParticleBookkeeping& b) {
  b.NHAVE += 1;
  b.H_SUM += H;
  b.HAVE = b.H_SUM / b.NHAVE;
}

// Regime transitions for the separation of this step; time is charged to the
// regime the step ran in, with the step's own DT, before DT changes.
void classify_regime(const RunContext& run, ParticleMotion& m, ParticleBookkeeping& b) {
  const RunParameters& p = run.p;
  const double DTMRT = run.c.DTMRT;
  if (m.H > HNS) {
    if (m.REGIME == 2) {
      b.TNEAR += m.DT;
      m.DT = p.MULTB * DTMRT;
      m.REGIME = 1;
      if (b.near_surface_window.steps > 200) add_near_surface_arc(run, m, b);
      b.near_surface_window.steps = 0;
    } else if (m.REGIME == 1) {
      b.TBULK += m.DT;
      add_to_mean_gap(m.H, b);
    }
  } else if (m.H > run.c.HCUT) {
    if (m.REGIME == 1) {
      b.TBULK += m.DT;
      m.DT = p.MULTNS * DTMRT;
      m.REGIME = 2;
      b.NSVISIT += 1;
      b.ENTRY_NX = m.ENX;
      b.ENTRY_NY = m.ENY;
      b.ENTRY_NZ = m.ENZ;
      b.XINNS = m.X;
      b.YINNS = m.Y;
      b.ZINNS = m.Z;
    } else if (m.REGIME == 3) {
      b.TFRIC += m.DT;
      m.DT = p.MULTNS * DTMRT;
      m.REGIME = 2;
      b.contact_window.steps = 0;
      b.ENTRY_NX = m.ENX;
      b.ENTRY_NY = m.ENY;
      b.ENTRY_NZ = m.ENZ;
    } else {
      b.TNEAR += m.DT;
      add_to_mean_gap(m.H, b);
    }
  } else {
    if (m.REGIME == 2) {
      b.TNEAR += m.DT;
      m.DT = p.MULTC * DTMRT;
      m.REGIME = 3;
      if (b.near_surface_window.steps > 200) add_near_surface_arc(run, m, b);
      b.FRICVISIT += 1;
    } else if (m.REGIME == 3) {
      b.TFRIC += m.DT;
    }
  }
}

// The first non-finite quantity of a state whose R is not finite, in the
// order the steps computed them; R itself when the coordinates are finite.
[[noreturn, gnu::cold, gnu::noinline]] void report_non_finite(const ParticleState& s) {
  const ParticleMotion& m = s.motion;
  const ForceBreakdown& f = s.forces;
  const ParticleBookkeeping& b = s.bookkeeping;
  const std::pair<const char*, double> quantities[] = {
      {"H", m.H},         {"DEF", m.DEF},       {"ACONT", m.ACONT},   {"RZOI", m.RZOI},
      {"RAB", m.RAB},     {"NASP", m.NASP},     {"NASPAB", m.NASPAB}, {"VN", f.VN},
      {"VT", f.VT},       {"FUN1", f.FUN1},     {"FUN2", f.FUN2},     {"FUN3", f.FUN3},
      {"FUN4", f.FUN4},   {"FVDW", f.FVDW},     {"FEDL", f.FEDL},     {"FAB", f.FAB},
      {"FBORN", f.FBORN}, {"FSTE", f.FSTE},     {"FCOLL", f.FCOLL},   {"FDRGN", f.FDRGN},
      {"FDRGT", f.FDRGT}, {"FDIFX", f.FDIFX},   {"FDIFY", f.FDIFY},   {"FDIFZ", f.FDIFZ},
      {"FGN", f.FGN},     {"FGT", f.FGT},       {"FLIFT", f.FLIFT},   {"UN", m.UN},
      {"UT", m.UT},       {"OMEGA", m.OMEGA},   {"VPX", m.VPX},       {"VPY", m.VPY},
      {"VPZ", m.VPZ},     {"DT", m.DT},         {"X", m.X},           {"Y", m.Y},
      {"Z", m.Z}};
  for (const auto& [name, value] : quantities) {
    if (!std::isfinite(value)) throw NonFiniteState(b.IPART, b.ISTEP, name, value);
  }
  throw NonFiniteState(b.IPART, b.ISTEP, "R", m.R);
}

}  // namespace

TrajectoryRow current_row(const ParticleState& s) {
  const ParticleMotion& m = s.motion;
  const ParticleBookkeeping& b = s.bookkeeping;
  TrajectoryRow w;
  static_cast<ForceBreakdown&>(w) = s.forces;
  w.ISTEP = b.ISTEP;
  w.X = m.X;
  w.Y = m.Y;
  w.Z = m.Z;
  w.R = m.R;
  w.H = m.H;
  w.ELAPSED = b.ELAPSED;
  w.PTIMEF = b.PTIMEF;
  w.UT = m.UT;
  w.UN = m.UN;
  w.ACONT = m.ACONT;
  w.RZOI = m.RZOI;
  return w;
}

void start_particle(const RunContext& run, ParticleRun& pr, std::int32_t IPART, const RestartRecord* restart) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  // HETTYPE carries no history from an earlier particle.
  pr.s = ParticleState{};
  ParticleMotion& m = pr.s.motion;
  ForceBreakdown& f = pr.s.forces;
  ParticleBookkeeping& b = pr.s.bookkeeping;
  b.IPART = IPART;

  double UFX = 0, UFY = 0, UFZ = 0;
  if (restart == nullptr) {
    b.PTIMEF = (static_cast<double>(IPART - 1) * c.INJECTION_SPREAD) / static_cast<double>(p.NPART);
    m.DT = p.MULTB * c.DTMRT;
    m.REGIME = 1;
    m.ACONT = 0;
    INITIAL(pr.stream, p.RLIM, p.AG, p.AP, p.ASP, p.RMODE, c.RB, b.XINIT, b.YINIT, b.RINJ,
            b.ZINIT, b.RINIT, b.HINIT);
    UFZ = -p.VSUP;
    m.VPZ = -p.VSUP;
  } else {
    b.PTIMEF = 0;
    m.DT = p.MULTC * c.DTMRT;
    m.REGIME = 3;
    b.RINJ = restart->RINJ;
    b.XINIT = restart->XINIT;
    b.YINIT = restart->YINIT;
    b.ZINIT = restart->ZINIT;
    b.RINIT = restart->RINIT;
    b.HINIT = restart->HINIT;
    m.ACONT = restart->ACONT;
    double VXH1 = 0, VYH1 = 0, VZH1 = 0;
    HAPPELFF(b.XINIT, b.YINIT, b.ZINIT, p.AG, p.B, c.K1, c.K2, c.K3, c.K4, VXH1, VYH1, VZH1);
    UFX = p.VSUP * VXH1;
    UFY = p.VSUP * VYH1;
    UFZ = p.VSUP * VZH1;
  }
  m.X = b.XINIT;
  m.Y = b.YINIT;
  m.Z = b.ZINIT;
  m.R = b.RINIT;
  m.H = b.HINIT;

  m.ENX = (m.X - c.XM0) / m.R;
  m.ENY = (m.Y - c.YM0) / m.R;
  m.ENZ = (m.Z - c.ZM0) / m.R;
  const double vn = m.VPX * m.ENX + m.VPY * m.ENY + m.VPZ * m.ENZ;
  const double VPNX = vn * m.ENX, VPNY = vn * m.ENY, VPNZ = vn * m.ENZ;
  const double VPTX = m.VPX - VPNX, VPTY = m.VPY - VPNY, VPTZ = m.VPZ - VPNZ;
  m.UT = std::sqrt(VPTX * VPTX + VPTY * VPTY + VPTZ * VPTZ);
  // The signed normal speed of the start velocity, so that the first row
  // describes this particle and not the one before it.
  m.UN = std::sqrt(VPNX * VPNX + VPNY * VPNY + VPNZ * VPNZ);
  if (vn < 0) m.UN = -m.UN;
  m.OMEGA = FREE_ROTATION_RATE(m.UT, m.H, p.AP);
  SPLIT_FLUID_VELOCITY(UFX, UFY, UFZ, m.ENX, m.ENY, m.ENZ, f.VN, f.VT, m.ETX, m.ETY, m.ETZ);
  m.NASP = 0;
  m.NASPAB = 0;
  contact_zones(run, m);

  colloidal_forces(run, m, f, b.HETTYPE, pr.het, true);
  f.FDIFX = f.FDIFY = f.FDIFZ = 0;
  FORCELIFT(p.RHOW, m.R, p.AP, p.AG, f.VT, m.UT, m.OMEGA, f.FLIFT);
  gravity(run, m, f);
  const double delta = REDUCED_GAP(m.H, p.B, p.AP);
  f.FUN2 = FUN2(delta);
  f.FUN3 = FUN3(delta);
  f.FUN4 = FUN4(delta);
  FORCEDRAG(f.FUN2, f.FUN3, f.FUN4, c.M3, f.VN, f.VT, f.FDRGT, f.FDRGN);

  // The first time step lays the heterodomains out anew.
  pr.het.release();
  b.ISTEP = 0;
  b.nout_counter = 1;
  pr.buffer.reset();
  b.PTIMEIN = b.PTIMEF;
}

void time_step(const RunContext& run, ParticleRun& pr, RecordObserver* observer) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  ParticleMotion& m = pr.s.motion;
  ParticleBookkeeping& b = pr.s.bookkeeping;

  if (b.nout_counter == p.NOUT || b.ISTEP == 0) {
    b.nout_counter = 0;
    const TrajectoryRow row = current_row(pr.s);
    pr.buffer.store(row);
    if (observer) observer->recorded(b.IPART, row);
  }

  b.ISTEP += 1;
  b.nout_counter += 1;
  b.PTIMEF += m.DT;
  b.ELAPSED = b.PTIMEF - b.PTIMEIN;

  m.X_BEFORE = m.X;
  m.Y_BEFORE = m.Y;
  m.Z_BEFORE = m.Z;
  m.X += m.VPX * m.DT;
  m.Y += m.VPY * m.DT;
  m.Z += m.VPZ * m.DT;
  const double dx = m.X - c.XM0, dy = m.Y - c.YM0, dz = m.Z - c.ZM0;
  m.R = std::sqrt(dx * dx + dy * dy + dz * dz);
  // A non-finite coordinate makes R non-finite: the one check of the step
  // (R >= 0, so one comparison finds NaN and infinity).
  if (!(m.R <= std::numeric_limits<double>::max())) [[unlikely]] report_non_finite(pr.s);

  // Contact deformation grows linearly from 0 at the undeformed separation
  // HCUT to DEFMAX at HMIN - DEFMAX.
  const double q = roughness_offset(p.RMODE, p.ASP);
  const double undeformed = ((m.R - p.AG) - p.AP) - c.HCUT;
  const double span = (c.HMIN - c.HCUT) - c.DEFMAX;
  // Without adhesion HMIN can equal HCUT with DEFMAX = 0: then there is no
  // deformation (the quotient would be 0/0).
  m.DEF = span == 0 ? 0.0 : (c.DEFMAX * (undeformed - q)) / span;
  if (m.DEF > c.DEFMAX) m.DEF = c.DEFMAX;
  if (m.DEF < 0) m.DEF = 0;
  // Without contact the radicand is a zero (of either sign), its own square
  // root.
  const double radicand = (2.0 * p.AP) * m.DEF - m.DEF * m.DEF;
  m.ACONT = p.BETA * (radicand == 0 ? radicand : std::sqrt(radicand));
  contact_zones(run, m);
  m.H = (((m.R - p.AG) - p.AP) + m.DEF) - q;
  m.ENX = dx / m.R;
  m.ENY = dy / m.R;
  m.ENZ = dz / m.R;

  classify_regime(run, m, b);
  if (decide_fate(run, m, pr.s.forces, b) != Fate::Unresolved) return;

  update_forces_and_velocity(run, m, pr.s.forces, b, pr.het, pr.stream);
}

int run_to_fate(const RunContext& run, ParticleRun& pr, RecordObserver* observer,
                const std::atomic<bool>* stop) {
  while (pr.s.bookkeeping.ATTACHK == Fate::Unresolved) {
    time_step(run, pr, observer);
    if (stop && (pr.s.bookkeeping.ISTEP & 0xFFFF) == 0 && stop->load(std::memory_order_relaxed)) return 0;
  }
  return pr.buffer.store_final(current_row(pr.s));
}

}  // namespace colloidsim
