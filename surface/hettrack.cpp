#include "surface/hettrack.h"

#include <cfloat>
#include <cmath>

#include "common/constants.h"
#include "common/numeric.h"

// The site azimuths are formed in single precision; that needs float
// arithmetic to round every operation to float.
static_assert(FLT_EVAL_METHOD == 0, "float expressions must be evaluated in float");

namespace colloidsim {

namespace {

// Clusters per squared ring count of the lattice.
constexpr double CLUSTERS_PER_RING_SQUARED = sp(1.3f);
// Stagger of neighbouring rings, as a fraction of the site spacing.
constexpr float RING_STAGGER = 0.1f;
constexpr float ONE_THIRD_F = static_cast<float>(ONE_THIRD);

// Offsets of the eight neighbours in a 3 x 3 grid around a point, in polar
// steps (A) and azimuth steps (B). They are what round-half-away of
// 1.155 sin(2.094 k + 3.142) and 1.115 sin(0.5236 k + 3.927) +
// 0.2989 sin(3.665 k - 7.069), k = 1..8, gives in single precision.
constexpr std::array<double, 8> NEIGHBOUR_A = {-1, +1, 0, -1, +1, 0, -1, +1};
constexpr std::array<double, 8> NEIGHBOUR_B = {-1, -1, -1, 0, 0, +1, +1, +1};

// First- and second-ring satellites per cluster.
bool satellite_counts(std::int32_t HETMODE, int& n1, int& n2) {
  switch (HETMODE) {
    case 1: n1 = 0; n2 = 0; return true;
    case 5: n1 = 4; n2 = 0; return true;
    case 9: n1 = 8; n2 = 0; return true;
    case 73: n1 = 8; n2 = 64; return true;
    default: return false;
  }
}

struct Tables {
  HetTable& X;
  HetTable& Y;
  HetTable& Z;
  HetTable& R;
};

struct Trig {
  double sin, cos;
};

Trig trig(double angle) { return {std::sin(angle), std::cos(angle)}; }

// Sine and cosine of base + s step for s = -1, 0, +1 (indexed s + 1): the
// same expressions as base + a_k step, so sharing them between the entries of
// a cluster changes no bit of the result.
std::array<Trig, 3> three_steps(double base, double step) {
  return {trig(base + -1.0 * step), trig(base + 0.0 * step), trig(base + 1.0 * step)};
}

std::size_t step_index(double s) { return static_cast<std::size_t>(s + 1); }

// Entry (1-based) at polar angle theta and azimuth phi on the collector
// surface, given their sines and cosines. Angles outside [0, pi] denote the
// mirrored point and are used as they are.
void place(Tables out, int entry, Trig theta, Trig phi, double radius, double AG, double XM0,
           double YM0, double ZM0) {
  const auto i = static_cast<std::size_t>(entry - 1);
  out.X[i] = (AG * theta.sin) * phi.cos + XM0;
  out.Y[i] = (AG * theta.sin) * phi.sin + YM0;
  out.Z[i] = AG * theta.cos + ZM0;
  out.R[i] = radius;
}

}  // namespace

std::int64_t lattice_integer_part(double value) {
  constexpr double LIMIT = 4611686018427387904.0;  // 2^62
  if (std::isnan(value)) return 0;
  if (value >= LIMIT) return static_cast<std::int64_t>(LIMIT);
  if (value <= -LIMIT) return -static_cast<std::int64_t>(LIMIT);
  return static_cast<std::int64_t>(value);
}

CollectorLattice collector_lattice(double AG, std::int32_t HETMODE, double SCOV, double RHET0,
                                   double RHET1, double RHET2) {
  int n1 = 0;
  int n2 = 0;
  if (!satellite_counts(HETMODE, n1, n2)) return {};
  // Coverage carried by the centre heterodomains alone, so that whole
  // clusters cover SCOV.
  const double SCOV0 = SCOV * ipow<2>(RHET0) /
                       (ipow<2>(RHET0) + n1 * ipow<2>(RHET1) + n2 * ipow<2>(RHET2));
  CollectorLattice lattice;
  lattice.NCL =
      lattice_integer_part(round_half_away((SCOV0 * (4 * ipow<2>(AG))) / ipow<2>(RHET0)));
  lattice.NLAT = lattice_integer_part(
      round_half_away(std::sqrt(lattice.NCL / CLUSTERS_PER_RING_SQUARED)));
  lattice.DTHETA = PI / (lattice.NLAT - 1);
  lattice.DS = lattice.DTHETA * AG;
  return lattice;
}

std::int64_t collector_cluster_count(double AG, std::int32_t HETMODE, double SCOV, double RHET0,
                                     double RHET1, double RHET2) {
  return collector_lattice(AG, HETMODE, SCOV, RHET0, RHET1, RHET2).NCL;
}

std::int64_t ring_under(const CollectorLattice& lattice, double TP) {
  return lattice_integer_part(round_half_away(TP / lattice.DTHETA)) + 1;
}

LatticeRing lattice_ring(const CollectorLattice& lattice, double AG, std::int64_t ITHETA) {
  LatticeRing ring;
  ring.ITHETA = ITHETA;
  ring.pole = ITHETA == 1 || ITHETA == lattice.NLAT;
  if (ring.pole) return ring;
  ring.TC = (ITHETA - 1) * lattice.DTHETA;
  ring.RC = AG * std::sin(ring.TC);
  std::int64_t NPHI = lattice_integer_part(round_half_away(((PI + PI) * ring.RC) / lattice.DS));
  if (NPHI < 3) NPHI = 3;
  ring.DPHI = static_cast<float>((PI + PI) / NPHI);
  // Neighbouring rings are staggered by a tenth of the site spacing.
  ring.PHI0 = ITHETA % 2 == 0 ? RING_STAGGER * ring.DPHI : -(RING_STAGGER * ring.DPHI);
  return ring;
}

std::int64_t site_on_ring(const LatticeRing& ring, double PP) {
  if (ring.pole) return 0;
  const double J = round_half_away((PP - ring.PHI0) / ring.DPHI);
  return lattice_integer_part(J);
}

void cluster_at(const CollectorLattice& lattice, const LatticeRing& ring, std::int64_t site,
                double XM0, double YM0, double ZM0, double AG, std::int32_t HETMODE,
                double RHET0, double RHET1, double RHET2, HetTable& XHET, HetTable& YHET,
                HetTable& ZHET, HetTable& RHET) {
  int n1 = 0;
  int n2 = 0;
  if (!satellite_counts(HETMODE, n1, n2)) return;
  const double DTHETA = lattice.DTHETA;
  const Tables out{XHET, YHET, ZHET, RHET};

  if (ring.pole) {
    // The cluster sits on the pole; its satellites are spread evenly in
    // azimuth one third of a ring spacing away.
    const double T0 = ring.ITHETA == 1 ? 0.0 : PI;
    const double DTH = ONE_THIRD * DTHETA;
    XHET[0] = XM0;
    YHET[0] = YM0;
    ZHET[0] = AG * std::cos(T0) + ZM0;
    RHET[0] = RHET0;
    const Trig first_ring = trig(T0 + DTH);
    if (HETMODE == 5) {
      for (int i = 2; i <= 5; ++i) {
        place(out, i, first_ring, trig(((i - 2) * PI) * 0.5), RHET1, AG, XM0, YM0, ZM0);
      }
      return;
    }
    if (HETMODE == 1) return;
    for (int i = 2; i <= 9; ++i) {
      place(out, i, first_ring, trig(((i - 2) * PI) * 0.25), RHET1, AG, XM0, YM0, ZM0);
    }
    if (HETMODE != 73) return;
    // Eight neighbours around each first-ring satellite, a third of the
    // first-ring spacing apart.
    const auto polar = three_steps(T0 + DTH, ONE_THIRD * DTH);
    for (int g = 0; g < 8; ++g) {
      const auto azimuth = three_steps((g * PI) * 0.25, ONE_THIRD * (PI * 0.25));
      for (int k = 1; k <= 8; ++k) {
        place(out, 9 + 8 * g + k, polar[step_index(NEIGHBOUR_A[k - 1])],
              azimuth[step_index(NEIGHBOUR_B[k - 1])], RHET2, AG, XM0, YM0, ZM0);
      }
    }
    return;
  }

  // Band ring: the cluster sits on site `site` of the ring.
  const double TC = ring.TC;
  const double RC = ring.RC;
  const float DPHI = ring.DPHI;
  double PC = DPHI * static_cast<float>(site) + ring.PHI0;
  if (PC > PI + PI) {
    PC = (PI + PI) * (PC / (PI + PI) - lattice_integer_part(PC / (PI + PI)));
  }
  XHET[0] = RC * std::cos(PC) + XM0;
  YHET[0] = RC * std::sin(PC) + YM0;
  ZHET[0] = AG * std::cos(TC) + ZM0;
  RHET[0] = RHET0;

  const double DTH = ONE_THIRD * DTHETA;
  const double DPH = ONE_THIRD_F * DPHI;
  if (HETMODE == 5) {
    // The four diagonal neighbours.
    const Trig up = trig(TC + DTH);
    const Trig down = trig(TC - DTH);
    const Trig before = trig(PC - DPH);
    const Trig after = trig(PC + DPH);
    place(out, 2, up, before, RHET1, AG, XM0, YM0, ZM0);
    place(out, 3, up, after, RHET1, AG, XM0, YM0, ZM0);
    place(out, 4, down, after, RHET1, AG, XM0, YM0, ZM0);
    place(out, 5, down, before, RHET1, AG, XM0, YM0, ZM0);
    return;
  }
  if (HETMODE == 1) return;
  const auto polar = three_steps(TC, DTH);
  const auto azimuth = three_steps(PC, DPH);
  for (int i = 2; i <= 9; ++i) {
    const int k = i - 1;
    place(out, i, polar[step_index(NEIGHBOUR_A[k - 1])], azimuth[step_index(NEIGHBOUR_B[k - 1])],
          RHET1, AG, XM0, YM0, ZM0);
  }
  if (HETMODE != 73) return;
  // Group g is centred on first-ring satellite g + 1, one third of the
  // first-ring spacing around it; its angles depend only on the steps of the
  // group and of the member.
  std::array<std::array<Trig, 3>, 3> polar2;
  std::array<std::array<Trig, 3>, 3> azimuth2;
  for (const double s : {-1.0, 0.0, 1.0}) {
    polar2[step_index(s)] = three_steps(TC + s * DTH, ONE_THIRD * DTH);
    azimuth2[step_index(s)] = three_steps(PC + s * DPH, ONE_THIRD * DPH);
  }
  for (int i = 10; i <= 73; ++i) {
    const int g = (i - 10) / 8 + 1;
    const int k = i - 9 - 8 * (g - 1);
    place(out, i, polar2[step_index(NEIGHBOUR_A[g - 1])][step_index(NEIGHBOUR_A[k - 1])],
          azimuth2[step_index(NEIGHBOUR_B[g - 1])][step_index(NEIGHBOUR_B[k - 1])], RHET2, AG,
          XM0, YM0, ZM0);
  }
}

double particle_azimuth(double DX, double DY, double RHO) {
  if (RHO == 0) return 0;
  return DY >= 0 ? std::acos(DX / RHO) : (PI + PI) - std::acos(DX / RHO);
}

void HETTRACK(double X, double Y, double Z, double XM0, double YM0, double ZM0, double AG,
              double /*RZOI*/, std::int32_t HETMODE, double SCOV, double RHET0, double RHET1,
              double RHET2, HetTable& XHET, HetTable& YHET, HetTable& ZHET, HetTable& RHET) {
  int n1 = 0;
  int n2 = 0;
  if (!satellite_counts(HETMODE, n1, n2)) return;
  const CollectorLattice lattice = collector_lattice(AG, HETMODE, SCOV, RHET0, RHET1, RHET2);

  const double DX = X - XM0;
  const double DY = Y - YM0;
  const double DZ = Z - ZM0;
  const double D = std::sqrt(ipow<2>(DX) + ipow<2>(DY) + ipow<2>(DZ));
  const double TP = std::acos(DZ / D);
  const double RHO = std::sqrt(ipow<2>(DX) + ipow<2>(DY));
  const double PP = particle_azimuth(DX, DY, RHO);
  const LatticeRing ring = lattice_ring(lattice, AG, ring_under(lattice, TP));
  cluster_at(lattice, ring, site_on_ring(ring, PP), XM0, YM0, ZM0, AG, HETMODE, RHET0, RHET1,
             RHET2, XHET, YHET, ZHET, RHET);
}

}  // namespace colloidsim
