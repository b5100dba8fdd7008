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
  // Projection point, polar angle and azimuth of the particle; with lay_out
  // (start of a particle and its first step) the particle's heterodomains are
  // laid out anew and projected. The projections are carried to the new position when the
  // weights need them, not on bulk steps.
  void follow_particle(const RunContext& run, const ParticleState& s, bool lay_out);

  // The weights of the ZOI for the current position; updates HETTYPE when a
  // collector heterodomain touches the ZOI. Collector heterodomains apart
  // from the ZOI are skipped: their weights are exactly zero.
  ZoiWeights weights(const RunContext& run, const ParticleState& s, std::int32_t& HETTYPE);

  // Drops the projection tables (end of a particle).
  void release();

  std::int32_t NPRO() const { return NPRO_; }
  // The projections in the local frame of the latest position.
  const std::vector<double>& MPRO_T();
  double XG() const { return XG_; }
  double YG() const { return YG_; }
  double ZG() const { return ZG_; }
  double THETA() const { return THETA_; }
  double PHI() const { return PHI_; }

 private:
  double XG_ = 0, YG_ = 0, ZG_ = 0, THETA_ = 0, PHI_ = 0;
  RotationMatrix R_{};  // the local frame of THETA_, PHI_, built once a step
  bool projected_ = false;  // MPRO holds real projections (not the all-zero row)
  bool mpro_t_current_ = false;  // MPRO_T belongs to the latest position
  double X_ = 0, Y_ = 0, Z_ = 0;  // the latest position
  std::int32_t NPRO_ = 0;
  std::vector<double> XHETP_, YHETP_, ZHETP_, RHETP_;
  std::vector<double> XPRO_, YPRO_, ZPRO_, RPRO_;
  std::vector<double> MPRO_, MPRO_T_;
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
