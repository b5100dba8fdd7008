// The state of one particle, kept from time step to time step, in three
// parts: what moves (ParticleMotion), the latest evaluation of the forces
// (ForceBreakdown) and the bookkeeping of its trajectory
// (ParticleBookkeeping). Step functions take the part they change and read
// the others through const references.
#pragma once

#include <cstdint>

#include "simulation/fates.h"

namespace colloidsim {

// A slow-motion test window: steps counted, start position, elapsed time.
struct SlowMotionWindow {
  std::int32_t steps = 0;  // NSWIN or CWIN
  double X0 = 0, Y0 = 0, Z0 = 0;
  double time = 0;  // s
};

// Where a restarted particle starts: the final point and contact radius of
// an attached particle of an earlier run.
struct RestartRecord {
  double RINJ = 0;
  double XINIT = 0, YINIT = 0, ZINIT = 0, RINIT = 0, HINIT = 0;
  double ACONT = 0;
};

// Position, velocity, separation and the frame of the collector surface
// beneath the particle, with the contact they imply.
struct ParticleMotion {
  // Position (m, collector frame), distance from the collector centre, gap.
  double X = 0, Y = 0, Z = 0, R = 0, H = 0;
  double ENX = 0, ENY = 0, ENZ = 0;  // outward unit normal
  double ETX = 0, ETY = 0, ETZ = 0;  // unit tangent of the tangential fluid velocity
  double VPX = 0, VPY = 0, VPZ = 0;  // m/s, particle velocity, the sum of its normal and tangential parts
  double UN = 0;     // m/s, signed normal speed, negative toward the collector
  double UT = 0;     // m/s, signed tangential speed
  double OMEGA = 0;  // 1/s
  double DT = 0;     // s, current time step
  std::int32_t REGIME = 1;  // 1 bulk, 2 near-surface, 3 contact
  double DEF = 0;     // m, contact indentation
  double ACONT = 0;   // m, contact radius
  double RZOI = 0;    // m, zone-of-influence radius of the double layer
  double RAB = 0;     // m, radius of the acid-base interaction zone
  double NASP = 0;    // asperities inside the zone of influence
  double NASPAB = 0;  // asperities inside the acid-base zone
  std::int32_t TORQFLAG = 0;  // 1 once the rolling balance clamped UT to 0 with balanced normal forces
  double X_BEFORE = 0, Y_BEFORE = 0, Z_BEFORE = 0;  // position before the latest move
};

// The fluid and the forces of one evaluation (N along the outward normal
// unless tangential; positive pushes the particle away from the collector),
// with the near-wall functions the drag used.
struct ForceBreakdown {
  double VN = 0, VT = 0;  // m/s, fluid velocity at the centre along the normal and the tangent
  double FUN1 = 0, FUN2 = 0, FUN3 = 0, FUN4 = 0;
  double FVDW = 0, FEDL = 0, FAB = 0, FBORN = 0, FSTE = 0, FCOLL = 0;
  double FDRGN = 0, FDRGT = 0;
  double FDIFX = 0, FDIFY = 0, FDIFZ = 0;
  double FGN = 0, FGT = 0;
  double FLIFT = 0;
  double AFRACT = -1;  // ZOI fraction covered by heterodomains, -1 when not computed
};

// Who the particle is, where it started, its fate, clocks, regime times,
// visits, averages and slow-motion windows.
struct ParticleBookkeeping {
  std::int32_t IPART = 0;
  Fate ATTACHK = Fate::Unresolved;
  std::int32_t HETTYPE = 0, HETFLAG = 0;  // heterodomain kinds the zone of influence touched

  // Start point.
  double XINIT = 0, YINIT = 0, RINJ = 0, ZINIT = 0, RINIT = 0, HINIT = 0;

  std::int64_t ISTEP = 0;
  std::int64_t nout_counter = 1;
  double PTIMEF = 0;   // s, particle clock
  double ELAPSED = 0;  // s, ETIME = PTIMEF - PTIMEIN (ETIME itself is an errno macro)
  double PTIMEIN = 0;  // s
  double TBULK = 0, TNEAR = 0, TFRIC = 0;
  // 64-bit like the step counter: a particle can count more than 2^31 steps.
  std::int64_t NSVISIT = 0, FRICVISIT = 0;
  double HAVE = 0, H_SUM = 0;
  std::int64_t NHAVE = 0;
  double NSVEL = 0, NSDIST = 0;
  double XINNS = 0, YINNS = 0, ZINNS = 0;
  double ENTRY_NX = 0, ENTRY_NY = 0, ENTRY_NZ = 0;  // normal at the latest near-surface entry
  SlowMotionWindow near_surface_window;
  SlowMotionWindow contact_window;
};

struct ParticleState {
  ParticleMotion motion;
  ForceBreakdown forces;
  ParticleBookkeeping bookkeeping;
};

}  // namespace colloidsim
