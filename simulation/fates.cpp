#include "simulation/fate_tests.h"

#include <cmath>

#include "common/constants.h"
#include "simulation/particle_state.h"
#include "simulation/run_context.h"

namespace colloidsim {

namespace {

double distance(double ax, double ay, double az, double bx, double by, double bz) {
  const double dx = ax - bx, dy = ay - by, dz = az - bz;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Brownian reference length over a test window of duration tw (s).
double brownian_length(const RunContext& run, const ForceBreakdown& f, double tw) {
  const double fun = f.VN > f.VT ? f.FUN1 : f.FUN4;
  return std::sqrt((((6.0 * fun) * KB) * run.p.T) * tw / run.c.M3);
}

// One step of a slow-motion test window. Returns true when, after more than
// 1000 steps, the particle moved less than DFACT Brownian lengths (or the
// extra condition holds); otherwise a window over 1000 steps starts afresh.
template <typename Extra>
bool slow_motion(const RunContext& run, const ParticleMotion& m, const ForceBreakdown& f,
                 SlowMotionWindow& w, double DFACT, Extra extra) {
  if (w.steps == 0) {
    w = {1, m.X, m.Y, m.Z, 0.0};
    return false;
  }
  ++w.steps;
  w.time += m.DT;
  if (w.steps <= 1000) return false;
  const double d = distance(m.X, m.Y, m.Z, w.X0, w.Y0, w.Z0);
  const double limit = DFACT * brownian_length(run, f, w.time);
  if (extra(d, limit)) return true;
  w.steps = 0;
  return false;
}

void fate_tests(const RunContext& run, const ParticleMotion& m, const ForceBreakdown& f,
                ParticleBookkeeping& b) {
  const RunParameters& p = run.p;
  const double HCUT = run.c.HCUT;
  if (m.H > HCUT && m.H <= HNS) {
    const double AP = p.AP;
    const bool still = slow_motion(run, m, f, b.near_surface_window, p.DFACTNS,
                                   [&](double d, double limit) {
                                     return (d < limit && m.H > 5.0 * HCUT) ||
                                            std::fabs(m.Z + m.R) <= 0.5 * AP;
                                   });
    if (still) b.ATTACHK = Fate::NearSurfaceSlowMotion;
  } else if (m.H <= HCUT && m.H <= HNS) {
    if (m.H < H0) b.ATTACHK = Fate::Crashed;
    if (p.ATTMODE == 0) {
      b.ATTACHK = Fate::Attached;
      return;
    }
    if (b.ATTACHK != Fate::Unresolved) return;
    if (m.UT == 0 && m.TORQFLAG == 1) {
      b.ATTACHK = Fate::Attached;
      return;
    }
    const bool still = slow_motion(run, m, f, b.contact_window, p.DFACTC,
                                   [](double d, double limit) { return d < limit; });
    if (still) b.ATTACHK = Fate::TorqueSlowMotion;
  }
}

void exit_tests(const RunContext& run, ParticleMotion& m, ParticleBookkeeping& b) {
  const RunParameters& p = run.p;
  const bool outside = m.R > run.c.RB;
  if (p.CBGRAV == 1 || p.CBGRAV == 2) {
    if (outside && m.Z < 0) {
      b.ATTACHK = Fate::Exit;
    } else if (outside && m.Z >= 0) {
      // Upstream of the equator the particle is put back and goes on; R, H
      // and the normal keep the values of the rejected move.
      m.X = m.X_BEFORE;
      m.Y = m.Y_BEFORE;
      m.Z = m.Z_BEFORE;
    }
  } else if (p.CBGRAV == 3 || p.CBGRAV == 4) {
    if (outside && m.Z < sp(0.95f) * b.ZINIT) b.ATTACHK = Fate::Exit;
  }
  if (b.PTIMEF > p.TTIME) b.ATTACHK = Fate::UnresolvedAtEnd;
}

}  // namespace

void fate_and_exit_tests(const RunContext& run, ParticleMotion& m, const ForceBreakdown& f,
                         ParticleBookkeeping& b) {
  fate_tests(run, m, f, b);
  exit_tests(run, m, b);
}

}  // namespace colloidsim
