// Heterodomain weighting of the double-layer force: inside the particle's zone
// of influence (ZOI) the force is the sum over the four pairings of surfaces
// (particle heterodomain with collector base, collector heterodomain with
// particle base, heterodomain with heterodomain, base with base), weighted by
// the fractions of the ZOI each pairing covers.
#pragma once

#include <cstdint>
#include <vector>

#include "forces/edl.h"
#include "simulation/particle_state.h"
#include "simulation/run_context.h"
#include "surface/hettrack.h"
#include "surface/transformations.h"

namespace colloidsim {

// The ZOI weights of one step.
struct ZoiWeights {
  double W_P = 0;   // particle heterodomains over the collector base
  double W_C = 0;   // collector heterodomains under the particle base
  double W_PC = 0;  // heterodomain over heterodomain
  double W_0 = 0;   // base over base
  double AFRACT = 0;
};

// A particle's heterodomain tables; one object per particle being simulated.
class HeterodomainWeighting {
 public:
  // Notes the particle's position; with lay_out (start of a particle and its
  // first step) the particle's heterodomains are laid out anew and projected.
  // The local frame of the position (projection point, polar angle, azimuth)
  // and the projections in it are made when the weights or the accessors
  // below need them, so a bulk step, which weights nothing, makes neither.
  void follow_particle(const RunContext& run, const ParticleMotion& m, bool lay_out);

  // The weights of the ZOI for the position last followed; updates HETTYPE
  // when a collector heterodomain touches the ZOI. Collector heterodomains
  // apart from the ZOI are skipped: their weights are exactly zero.
  ZoiWeights weights(const RunContext& run, std::int32_t& HETTYPE);

  // Drops the projection tables (end of a particle).
  void release();

  std::int32_t NPRO() const { return NPRO_; }
  // The projections in the local frame of the latest position.
  const std::vector<double>& MPRO_T();
  // The local frame of the latest position.
  double XG() { return frame().XG; }
  double YG() { return frame().YG; }
  double ZG() { return frame().ZG; }
  double THETA() { return frame().THETA; }
  double PHI() { return frame().PHI; }

 private:
  // Projection point XG, YG, ZG, polar angle, azimuth and the rotation into
  // the tangent plane of the latest position.
  struct Frame {
    double XG = 0, YG = 0, ZG = 0, THETA = 0, PHI = 0;
    RotationMatrix R{};
    double DX = 0, DY = 0;  // offsets from the collector axis
    double RHO = 0;         // sqrt(DX^2 + DY^2), before PHI rounds it to single precision
  };
  const Frame& frame();

  // The latest position: centre, outward normal, and the collector it is
  // measured from.
  double X_ = 0, Y_ = 0, Z_ = 0, ENX_ = 0, ENY_ = 0, ENZ_ = 0;
  double XM0_ = 0, YM0_ = 0, ZM0_ = 0, AG_ = 0;
  Frame frame_;
  bool frame_current_ = false;  // frame_ belongs to the latest position
  bool projected_ = false;  // MPRO holds real projections (not the all-zero row)
  bool mpro_t_current_ = false;  // MPRO_T belongs to the latest position
  std::int32_t NPRO_ = 0;
  std::vector<double> XHETP_, YHETP_, ZHETP_, RHETP_;
  std::vector<double> XPRO_, YPRO_, ZPRO_, RPRO_;
  std::vector<double> MPRO_, MPRO_T_;
  // The collector cluster under the particle depends on its lattice site
  // alone; the ring and the cluster of the latest site are kept (the
  // lattice itself is the run's).
  LatticeRing ring_{};
  std::int64_t site_ = 0;
  bool ring_current_ = false;     // ring_ is the ring of the run's lattice it names
  bool cluster_current_ = false;  // XHET_ .. RHET_ hold the cluster at ring_, site_
  HetTable XHET_{}, YHET_{}, ZHET_{}, RHET_{};
  HetTable XHET_T_{}, YHET_T_{}, ZHET_T_{}, RHET_T_{};
};

// The weighted double-layer force: W_P F(ZETACST, ZETAHETP) + W_C F(ZETAHET,
// ZETAPST) + W_PC F(ZETAHET, ZETAHETP) + W_0 F(ZETACST, ZETAPST), each F
// rounded to single precision, when heterodomains cover part of the ZOI
// (AFRACT > 0); the base-surface force otherwise.
double weighted_double_layer(const PreparedForces& f, const EdlDecay& decay, double NASP,
                             const ZoiWeights& w);

// HETTYPE after collector heterodomain k (counted from 1) of a HETMODE
// cluster touched the ZOI: 1 the centre, 2 the first ring, 3 the outer ring,
// 4, 5, 6 centre and first ring, centre and outer ring, first and outer ring.
std::int32_t touched_heterodomain_type(std::int32_t HETTYPE, std::int32_t HETMODE, int k);

}  // namespace colloidsim
