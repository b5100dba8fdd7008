#include "simulation/trajectory.h"

#include <cmath>
#include <limits>
#include <utility>

#include "common/constants.h"
#include "common/roughness.h"
#include "forces/happel.h"
#include "forces/hydrodynamics.h"
#include "simulation/fates.h"
#include "simulation/velocity_update.h"

namespace colloidsim {

namespace {

// Zone of influence, acid-base zone and asperity counts for the contact
// radius ACONT; without contact they are the run's constant values (ACONT
// enters only squared, so -0 and +0 give the same zones).
void contact_zones(const RunContext& run, ParticleState& s) {
  const ContactZones z =
      s.ACONT == 0 ? run.free_zones : contact_zones_for(run.p, run.c.KAPPA, s.ACONT);
  s.RZOI = z.RZOI;
  s.RAB = z.RAB;
  if (run.p.RMODE > 0) {
    s.NASP = z.NASP;
    s.NASPAB = z.NASPAB;
  }
}

double distance(double ax, double ay, double az, double bx, double by, double bz) {
  const double dx = ax - bx, dy = ay - by, dz = az - bz;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Arc length along the collector surface between the near-surface entry and
// the current normal, added to NSDIST; NSVEL follows.
void add_near_surface_arc(const RunContext& run, ParticleState& s) {
  const double AG = run.p.AG;
  const double chord =
      distance(AG * s.ENTRY_NX, AG * s.ENTRY_NY, AG * s.ENTRY_NZ, AG * s.ENX, AG * s.ENY, AG * s.ENZ);
  s.NSDIST += (2.0 * AG) * std::asin(chord / (2.0 * AG));
  s.NSVEL = s.NSDIST / s.TNEAR;
}

void add_to_mean_gap(ParticleState& s) {
  s.NHAVE += 1;
  s.H_SUM += s.H;
  s.HAVE = s.H_SUM / s.NHAVE;
}

// Regime transitions for the separation of this step; time is charged to the
// regime the step ran in, with the step's own DT, before DT changes.
void classify_regime(const RunContext& run, ParticleState& s) {
  const RunParameters& p = run.p;
  const double DTMRT = run.c.DTMRT;
  if (s.H > HNS) {
    if (s.REGIME == 2) {
      s.TNEAR += s.DT;
      s.DT = p.MULTB * DTMRT;
      s.REGIME = 1;
      if (s.near_surface_window.steps > 200) add_near_surface_arc(run, s);
      s.near_surface_window.steps = 0;
    } else if (s.REGIME == 1) {
      s.TBULK += s.DT;
      add_to_mean_gap(s);
    }
  } else if (s.H > run.c.HCUT) {
    if (s.REGIME == 1) {
      s.TBULK += s.DT;
      s.DT = p.MULTNS * DTMRT;
      s.REGIME = 2;
      s.NSVISIT += 1;
      s.ENTRY_NX = s.ENX;
      s.ENTRY_NY = s.ENY;
      s.ENTRY_NZ = s.ENZ;
      s.XINNS = s.X;
      s.YINNS = s.Y;
      s.ZINNS = s.Z;
    } else if (s.REGIME == 3) {
      s.TFRIC += s.DT;
      s.DT = p.MULTNS * DTMRT;
      s.REGIME = 2;
      s.contact_window.steps = 0;
      s.ENTRY_NX = s.ENX;
      s.ENTRY_NY = s.ENY;
      s.ENTRY_NZ = s.ENZ;
    } else {
      s.TNEAR += s.DT;
      add_to_mean_gap(s);
    }
  } else {
    if (s.REGIME == 2) {
      s.TNEAR += s.DT;
      s.DT = p.MULTC * DTMRT;
      s.REGIME = 3;
      if (s.near_surface_window.steps > 200) add_near_surface_arc(run, s);
      s.FRICVISIT += 1;
    } else if (s.REGIME == 3) {
      s.TFRIC += s.DT;
    }
  }
}

// The first non-finite quantity of a state whose R is not finite, in the
// order the steps computed them; R itself when the coordinates are finite.
[[noreturn, gnu::cold, gnu::noinline]] void report_non_finite(const ParticleState& s) {
  const std::pair<const char*, double> quantities[] = {
      {"H", s.H},         {"DEF", s.DEF},       {"ACONT", s.ACONT},   {"RZOI", s.RZOI},
      {"RAB", s.RAB},     {"NASP", s.NASP},     {"NASPAB", s.NASPAB}, {"VN", s.VN},
      {"VT", s.VT},       {"FUN1", s.FUN1},     {"FUN2", s.FUN2},     {"FUN3", s.FUN3},
      {"FUN4", s.FUN4},   {"FVDW", s.FVDW},     {"FEDL", s.FEDL},     {"FAB", s.FAB},
      {"FBORN", s.FBORN}, {"FSTE", s.FSTE},     {"FCOLL", s.FCOLL},   {"FDRGN", s.FDRGN},
      {"FDRGT", s.FDRGT}, {"FDIFX", s.FDIFX},   {"FDIFY", s.FDIFY},   {"FDIFZ", s.FDIFZ},
      {"FGN", s.FGN},     {"FGT", s.FGT},       {"FLIFT", s.FLIFT},   {"UN", s.UN},
      {"UT", s.UT},       {"OMEGA", s.OMEGA},   {"VPX", s.VPX},       {"VPY", s.VPY},
      {"VPZ", s.VPZ},     {"DT", s.DT},         {"X", s.X},           {"Y", s.Y},
      {"Z", s.Z}};
  for (const auto& [name, value] : quantities) {
    if (!std::isfinite(value)) throw NonFiniteState(s.IPART, s.ISTEP, name, value);
  }
  throw NonFiniteState(s.IPART, s.ISTEP, "R", s.R);
}

}  // namespace

TrajectoryRow current_row(const ParticleState& s) {
  TrajectoryRow w;
  w.ISTEP = s.ISTEP;
  w.X = s.X;
  w.Y = s.Y;
  w.Z = s.Z;
  w.R = s.R;
  w.H = s.H;
  w.ELAPSED = s.ELAPSED;
  w.PTIMEF = s.PTIMEF;
  w.FCOLL = s.FCOLL;
  w.FVDW = s.FVDW;
  w.FEDL = s.FEDL;
  w.FAB = s.FAB;
  w.FSTE = s.FSTE;
  w.FBORN = s.FBORN;
  w.UT = s.UT;
  w.UN = s.UN;
  w.VT = s.VT;
  w.VN = s.VN;
  w.FDRGT = s.FDRGT;
  w.FDRGN = s.FDRGN;
  w.FDIFX = s.FDIFX;
  w.FDIFY = s.FDIFY;
  w.FDIFZ = s.FDIFZ;
  w.FGT = s.FGT;
  w.FGN = s.FGN;
  w.FLIFT = s.FLIFT;
  w.ACONT = s.ACONT;
  w.RZOI = s.RZOI;
  w.AFRACT = s.AFRACT;
  return w;
}

void start_particle(const RunContext& run, ParticleRun& pr, std::int32_t IPART, const RestartRecord* restart) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  ParticleState& s = pr.s;
  // HETTYPE carries no history from an earlier particle.
  s = ParticleState{};
  s.IPART = IPART;

  double UFX = 0, UFY = 0, UFZ = 0;
  if (restart == nullptr) {
    s.PTIMEF = (static_cast<double>(IPART - 1) * c.INJECTION_SPREAD) / static_cast<double>(p.NPART);
    s.DT = p.MULTB * c.DTMRT;
    s.REGIME = 1;
    s.ACONT = 0;
    INITIAL(pr.stream, p.RLIM, p.AG, p.AP, p.ASP, p.RMODE, c.RB, s.XINIT, s.YINIT, s.RINJ,
            s.ZINIT, s.RINIT, s.HINIT);
    UFZ = -p.VSUP;
    s.VPZ = -p.VSUP;
  } else {
    s.PTIMEF = 0;
    s.DT = p.MULTC * c.DTMRT;
    s.REGIME = 3;
    s.RINJ = restart->RINJ;
    s.XINIT = restart->XINIT;
    s.YINIT = restart->YINIT;
    s.ZINIT = restart->ZINIT;
    s.RINIT = restart->RINIT;
    s.HINIT = restart->HINIT;
    s.ACONT = restart->ACONT;
    double VXH1 = 0, VYH1 = 0, VZH1 = 0;
    HAPPELFF(s.XINIT, s.YINIT, s.ZINIT, p.AG, p.B, c.K1, c.K2, c.K3, c.K4, VXH1, VYH1, VZH1);
    UFX = p.VSUP * VXH1;
    UFY = p.VSUP * VYH1;
    UFZ = p.VSUP * VZH1;
  }
  s.X = s.XINIT;
  s.Y = s.YINIT;
  s.Z = s.ZINIT;
  s.R = s.RINIT;
  s.H = s.HINIT;

  s.ENX = (s.X - c.XM0) / s.R;
  s.ENY = (s.Y - c.YM0) / s.R;
  s.ENZ = (s.Z - c.ZM0) / s.R;
  const double vn = s.VPX * s.ENX + s.VPY * s.ENY + s.VPZ * s.ENZ;
  const double VPNX = vn * s.ENX, VPNY = vn * s.ENY, VPNZ = vn * s.ENZ;
  const double VPTX = s.VPX - VPNX, VPTY = s.VPY - VPNY, VPTZ = s.VPZ - VPNZ;
  s.UT = std::sqrt(VPTX * VPTX + VPTY * VPTY + VPTZ * VPTZ);
  // The signed normal speed of the start velocity, so that the first row
  // describes this particle and not the one before it.
  s.UN = std::sqrt(VPNX * VPNX + VPNY * VPNY + VPNZ * VPNZ);
  if (vn < 0) s.UN = -s.UN;
  s.OMEGA = FREE_ROTATION_RATE(s.UT, s.H, p.AP);
  SPLIT_FLUID_VELOCITY(UFX, UFY, UFZ, s.ENX, s.ENY, s.ENZ, s.VN, s.VT, s.ETX, s.ETY, s.ETZ);
  s.NASP = 0;
  s.NASPAB = 0;
  contact_zones(run, s);

  colloidal_forces(run, s, pr.het, true);
  s.FDIFX = s.FDIFY = s.FDIFZ = 0;
  FORCELIFT(p.RHOW, s.R, p.AP, p.AG, s.VT, s.UT, s.OMEGA, s.FLIFT);
  GRAVVECT(run.f.FG, c.EGX, c.EGY, c.EGZ, s.ENX, s.ENY, s.ENZ, s.ETX, s.ETY, s.ETZ, s.FGN, s.FGT,
           s.FGNX, s.FGNY, s.FGNZ, s.FGTX, s.FGTY, s.FGTZ);
  const double delta = REDUCED_GAP(s.H, p.B, p.AP);
  s.FUN2 = FUN2(delta);
  s.FUN3 = FUN3(delta);
  s.FUN4 = FUN4(delta);
  FORCEDRAG(s.FUN2, s.FUN3, s.FUN4, c.M3, s.VN, s.VT, s.FDRGT, s.FDRGN);

  // The first time step lays the heterodomains out anew.
  pr.het.release();
  s.ISTEP = 0;
  s.nout_counter = 1;
  pr.buffer.reset();
  s.PTIMEIN = s.PTIMEF;
}

void time_step(const RunContext& run, ParticleRun& pr, RecordObserver* observer) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  ParticleState& s = pr.s;

  if (s.nout_counter == p.NOUT || s.ISTEP == 0) {
    s.nout_counter = 0;
    const TrajectoryRow row = current_row(s);
    pr.buffer.store(row);
    if (observer) observer->recorded(s.IPART, row);
  }

  s.ISTEP += 1;
  s.nout_counter += 1;
  s.PTIMEF += s.DT;
  s.ELAPSED = s.PTIMEF - s.PTIMEIN;

  s.X_BEFORE = s.X;
  s.Y_BEFORE = s.Y;
  s.Z_BEFORE = s.Z;
  s.X += s.VPX * s.DT;
  s.Y += s.VPY * s.DT;
  s.Z += s.VPZ * s.DT;
  const double dx = s.X - c.XM0, dy = s.Y - c.YM0, dz = s.Z - c.ZM0;
  s.R = std::sqrt(dx * dx + dy * dy + dz * dz);
  // A non-finite coordinate makes R non-finite: the one check of the step
  // (R >= 0, so one comparison finds NaN and infinity).
  if (!(s.R <= std::numeric_limits<double>::max())) [[unlikely]] report_non_finite(s);

  // Contact deformation grows linearly from 0 at the undeformed separation
  // HCUT to DEFMAX at HMIN - DEFMAX.
  const double q = roughness_offset(p.RMODE, p.ASP);
  const double undeformed = ((s.R - p.AG) - p.AP) - c.HCUT;
  const double span = (c.HMIN - c.HCUT) - c.DEFMAX;
  // Without adhesion HMIN can equal HCUT with DEFMAX = 0: then there is no
  // deformation (the quotient would be 0/0).
  s.DEF = span == 0 ? 0.0 : (c.DEFMAX * (undeformed - q)) / span;
  if (s.DEF > c.DEFMAX) s.DEF = c.DEFMAX;
  if (s.DEF < 0) s.DEF = 0;
  // Without contact the radicand is a zero (of either sign), its own square
  // root.
  const double radicand = (2.0 * p.AP) * s.DEF - s.DEF * s.DEF;
  s.ACONT = p.BETA * (radicand == 0 ? radicand : std::sqrt(radicand));
  contact_zones(run, s);
  s.H = (((s.R - p.AG) - p.AP) + s.DEF) - q;
  s.ENX = dx / s.R;
  s.ENY = dy / s.R;
  s.ENZ = dz / s.R;

  classify_regime(run, s);
  fate_tests(run, s);
  exit_tests(run, s);
  if (s.ATTACHK != Fate::Unresolved) return;

  update_forces_and_velocity(run, s, pr.het, pr.stream);
}

int run_to_fate(const RunContext& run, ParticleRun& pr, RecordObserver* observer,
                const std::atomic<bool>* stop) {
  while (pr.s.ATTACHK == Fate::Unresolved) {
    time_step(run, pr, observer);
    if (stop && (pr.s.ISTEP & 0xFFFF) == 0 && stop->load(std::memory_order_relaxed)) return 0;
  }
  return pr.buffer.store_final(current_row(pr.s));
}

}  // namespace colloidsim
