// Collector heterodomains near the particle. The collector carries identical
// clusters of circular heterodomains on a quasi-uniform ring lattice over the
// whole sphere; the lattice is never stored: every call finds the site below
// the particle (nearest ring by polar angle, then nearest site of that ring by
// azimuth) and returns the one cluster sitting on it.
#pragma once

#include <array>
#include <cstdint>

namespace colloidsim {

// Capacity of the collector heterodomain tables (a cluster holds at most 73).
inline constexpr int HET_TABLE_SIZE = 100;
using HetTable = std::array<double, HET_TABLE_SIZE>;

// Integer part of a lattice count or index, held in 64 bits so that no
// parameter set can overflow it: NaN (for instance 0/0 from a zero radius)
// counts as 0 and magnitudes beyond 2^62 saturate. Equal to the truncation
// toward zero for every value that fits.
std::int64_t lattice_integer_part(double value);

// The collector lattice for a set of heterodomain parameters: the number of
// clusters NCL on the sphere (sized so that whole clusters cover SCOV), the
// number of latitude rings NLAT (poles included), the ring spacing DTHETA (rad)
// and the arc spacing DS (m). HETMODE outside 1, 5, 9, 73 gives an all-zero
// lattice. NLAT >= 2 (NCL >= 3) is needed for a finite ring spacing.
struct CollectorLattice {
  std::int64_t NCL = 0;
  std::int64_t NLAT = 0;
  double DTHETA = 0;
  double DS = 0;
};
CollectorLattice collector_lattice(double AG, std::int32_t HETMODE, double SCOV, double RHET0,
                                   double RHET1, double RHET2);

// NCL alone, for checking the parameters before a run.
std::int64_t collector_cluster_count(double AG, std::int32_t HETMODE, double SCOV, double RHET0,
                                     double RHET1, double RHET2);

// The steps of HETTRACK, for a caller that keeps what does not change: the
// lattice for a run, a ring for its index, a cluster for its site.
//
// Ring ITHETA (1 the north pole, NLAT the south pole) under the polar angle
// TP (rad) of the particle centre.
std::int64_t ring_under(const CollectorLattice& lattice, double TP);

// A ring of the lattice: a pole, or a band ring at polar angle TC (rad) and
// of radius RC (m) whose sites are DPHI apart from the azimuth PHI0 (rad,
// single precision; neighbouring rings are staggered).
struct LatticeRing {
  std::int64_t ITHETA = 0;
  bool pole = false;
  double TC = 0;
  double RC = 0;
  float DPHI = 0;
  float PHI0 = 0;
};
LatticeRing lattice_ring(const CollectorLattice& lattice, double AG, std::int64_t ITHETA);

// The site of the ring nearest to the particle azimuth PP (rad); 0 on a pole.
std::int64_t site_on_ring(const LatticeRing& ring, double PP);

// The particle azimuth from its offsets DX, DY from the collector axis and
// RHO = sqrt(DX^2 + DY^2): acos(DX / RHO), or 2 pi less that for DY < 0; 0
// on the axis.
double particle_azimuth(double DX, double DY, double RHO);

// The cluster at site `site` of `ring`: entries 1..HETMODE of the tables, as
// HETTRACK describes them. It depends on the ring and the site alone.
void cluster_at(const CollectorLattice& lattice, const LatticeRing& ring, std::int64_t site,
                double XM0, double YM0, double ZM0, double AG, std::int32_t HETMODE,
                double RHET0, double RHET1, double RHET2, HetTable& XHET, HetTable& YHET,
                HetTable& ZHET, HetTable& RHET);

// The cluster under the particle centre (X, Y, Z), collector centre at
// (XM0, YM0, ZM0), collector radius AG (m). HETMODE (1, 5, 9 or 73) is both
// the layout and the number of heterodomains per cluster: entry 1 is the
// centre heterodomain (radius RHET0), entries 2..9 the first-ring satellites
// (RHET1; the four diagonal ones for HETMODE 5), entries 10..73 the second
// ring (RHET2, eight around each first-ring satellite). Writes entries
// 1..HETMODE (indices 0..HETMODE-1) of the centre and radius tables, in
// collector coordinates (m), and leaves the others untouched; any other
// HETMODE leaves all four tables untouched. RZOI is accepted and not used.
void HETTRACK(double X, double Y, double Z, double XM0, double YM0, double ZM0, double AG,
              double RZOI, std::int32_t HETMODE, double SCOV, double RHET0, double RHET1,
              double RHET2, HetTable& XHET, HetTable& YHET, HetTable& ZHET, HetTable& RHET);

}  // namespace colloidsim
