#include "simulation/fates.h"

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
double brownian_length(const RunContext& run, const ParticleState& s, double tw) {
  const double f = s.VN > s.VT ? s.FUN1 : s.FUN4;
  return std::sqrt((((6.0 * f) * KB) * run.p.T) * tw / run.c.M3);
}

// One step of a slow-motion test window. Returns true when, after more than
// 1000 steps, the particle moved less than DFACT Brownian lengths (or the
// extra condition holds); otherwise a window over 1000 steps starts afresh.
template <typename Extra>
bool slow_motion(const RunContext& run, const ParticleState& s, SlowMotionWindow& w, double DFACT,
                 Extra extra) {
  if (w.steps == 0) {
    w = {1, s.X, s.Y, s.Z, 0.0};
    return false;
  }
  ++w.steps;
  w.time += s.DT;
  if (w.steps <= 1000) return false;
  const double d = distance(s.X, s.Y, s.Z, w.X0, w.Y0, w.Z0);
  const double limit = DFACT * brownian_length(run, s, w.time);
  if (extra(d, limit)) return true;
  w.steps = 0;
  return false;
}

}  // namespace

void fate_tests(const RunContext& run, ParticleState& s) {
  const RunParameters& p = run.p;
  const double HCUT = run.c.HCUT;
  if (s.H > HCUT && s.H <= HNS) {
    const double AP = p.AP;
    const bool still = slow_motion(run, s, s.near_surface_window, p.DFACTNS,
                                   [&](double d, double limit) {
                                     return (d < limit && s.H > 5.0 * HCUT) ||
                                            std::fabs(s.Z + s.R) <= 0.5 * AP;
                                   });
    if (still) s.ATTACHK = Fate::NearSurfaceSlowMotion;
  } else if (s.H <= HCUT && s.H <= HNS) {
    if (s.H < H0) s.ATTACHK = Fate::Crashed;
    if (p.ATTMODE == 0) {
      s.ATTACHK = Fate::Attached;
      return;
    }
    if (s.ATTACHK != Fate::Unresolved) return;
    if (s.UT == 0 && s.TORQFLAG == 1) {
      s.ATTACHK = Fate::Attached;
      return;
    }
    const bool still = slow_motion(run, s, s.contact_window, p.DFACTC,
                                   [](double d, double limit) { return d < limit; });
    if (still) s.ATTACHK = Fate::TorqueSlowMotion;
  }
}

void exit_tests(const RunContext& run, ParticleState& s) {
  const RunParameters& p = run.p;
  const bool outside = s.R > run.c.RB;
  if (p.CBGRAV == 1 || p.CBGRAV == 2) {
    if (outside && s.Z < 0) {
      s.ATTACHK = Fate::Exit;
    } else if (outside && s.Z >= 0) {
      // Upstream of the equator the particle is put back and goes on; R, H
      // and the normal keep the values of the rejected move.
      s.X = s.X_BEFORE;
      s.Y = s.Y_BEFORE;
      s.Z = s.Z_BEFORE;
    }
  } else if (p.CBGRAV == 3 || p.CBGRAV == 4) {
    if (outside && s.Z < sp(0.95f) * s.ZINIT) s.ATTACHK = Fate::Exit;
  }
  if (s.PTIMEF > p.TTIME) s.ATTACHK = Fate::UnresolvedAtEnd;
}

}  // namespace colloidsim
