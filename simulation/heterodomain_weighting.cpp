#include "simulation/heterodomain_weighting.h"

#include <algorithm>
#include <cmath>

#include "common/constants.h"
#include "surface/fractional_area.h"
#include "surface/hettrackp.h"
#include "surface/transformations.h"

namespace colloidsim {

void HeterodomainWeighting::follow_particle(const RunContext& run, const ParticleMotion& m, bool lay_out) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  X_ = m.X;
  Y_ = m.Y;
  Z_ = m.Z;
  ENX_ = m.ENX;
  ENY_ = m.ENY;
  ENZ_ = m.ENZ;
  XM0_ = c.XM0;
  YM0_ = c.YM0;
  ZM0_ = c.ZM0;
  AG_ = p.AG;
  frame_current_ = false;
  mpro_t_current_ = false;

  if (lay_out) {
    // A new particle, perhaps of another run: no ring or cluster is kept.
    ring_current_ = false;
    cluster_current_ = false;
    // Within a run every lay-out is the same; starting from empty tables keeps
    // an object used for another run from counting that run's entries.
    for (auto* table : {&XHETP_, &YHETP_, &ZHETP_, &RHETP_, &XPRO_, &YPRO_, &ZPRO_, &RPRO_}) {
      table->clear();
    }
    std::int32_t NHETP = 0;
    // The realised coverage HETTRACKP returns is the run's SCOVP already.
    double SCOVP = p.SCOVP;
    HETTRACKP(c.XM0, c.YM0, c.ZM0, m.H, c.RZOIBULK, p.AP, p.HETMODEP, SCOVP, p.RHETP0,
              p.RHETP1, NHETP, XHETP_, YHETP_, ZHETP_, RHETP_, NPRO_, XPRO_, YPRO_, ZPRO_, RPRO_);
    projected_ = NPRO_ > 0;
    if (!projected_) {
      // Nothing projects into the zone: one all-zero row stands for it, not
      // transformed on this step.
      NPRO_ = 1;
      MPRO_.assign(4, 0.0);
      MPRO_T_.assign(3, 0.0);
      mpro_t_current_ = true;
      return;
    }
    MPRO_.assign(4 * static_cast<std::size_t>(NPRO_), 0.0);
    PROJECTION_MATRIX(NPRO_, XPRO_, YPRO_, ZPRO_, RPRO_, MPRO_);
  }
}

const HeterodomainWeighting::Frame& HeterodomainWeighting::frame() {
  if (frame_current_) return frame_;
  Frame& f = frame_;
  f.XG = XM0_ + ENX_ * AG_;
  f.YG = YM0_ + ENY_ * AG_;
  f.ZG = ZM0_ + ENZ_ * AG_;
  const double dx = X_ - XM0_, dy = Y_ - YM0_, dz = Z_ - ZM0_;
  const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
  f.THETA = std::acos(dz / r);
  f.DX = dx;
  f.DY = dy;
  f.RHO = std::sqrt(dx * dx + dy * dy);
  const double rho = round_sp(f.RHO);
  if (rho == 0) {
    f.PHI = 0;
  } else {
    // rho is held in single precision, so |dx| can exceed it by a rounding:
    // the quotient is kept in [-1, 1] rather than giving acos a NaN.
    const double angle = std::acos(std::clamp(dx / rho, -1.0, 1.0));
    f.PHI = dy >= 0 ? angle : (PI + PI) - angle;
  }
  ROTATION(f.PHI, f.THETA, f.R);
  frame_current_ = true;
  return f;
}

const std::vector<double>& HeterodomainWeighting::MPRO_T() {
  if (!mpro_t_current_) {
    const Frame& f = frame();
    MPRO_T_.assign(3 * static_cast<std::size_t>(NPRO_), 0.0);
    MPRO_TRANSFORMATION(X_, Y_, Z_, f.XG, f.YG, f.ZG, f.R, NPRO_, MPRO_, MPRO_T_);
    mpro_t_current_ = true;
  }
  return MPRO_T_;
}

void HeterodomainWeighting::release() {
  MPRO_.clear();
  MPRO_T_.clear();
  NPRO_ = 0;
  projected_ = false;
  mpro_t_current_ = false;
  frame_current_ = false;
  ring_current_ = false;
  cluster_current_ = false;
}

ZoiWeights HeterodomainWeighting::weights(const RunContext& run, std::int32_t& HETTYPE) {
  const RunParameters& p = run.p;
  const RunConstants& c = run.c;
  const double RZ = c.RZOIBULK;
  ZoiWeights w;
  const std::vector<double>& projections = MPRO_T();
  double AF_PZ = 0, AF_ZH = 0, AF_PZH = 0, AF_Z = 0;
  // Particle heterodomains alone: the collector heterodomain is a point of
  // radius 0 at the centre of the zone.
  FRACTIONAL_AREA(c.XM0, c.YM0, RZ, c.XM0, c.YM0, c.ZM0, NPRO_, projections, AF_PZ, AF_ZH,
                  AF_PZH, AF_Z);
  w.W_P = AF_PZ;
  w.AFRACT = w.W_P;
  // Without collector heterodomains the tables are all zero: every call would
  // be a point circle at the centre again, whose weights are exactly zero.
  if (p.SCOV > 0) {
    // HETTRACK, with the run's lattice, the polar angle of the frame (the
    // same expression) and the ring and cluster of the latest site kept.
    const Frame& f = frame();
    const std::int64_t ITHETA = ring_under(run.lattice, f.THETA);
    if (!ring_current_ || ring_.ITHETA != ITHETA) {
      ring_ = lattice_ring(run.lattice, p.AG, ITHETA);
      ring_current_ = true;
      cluster_current_ = false;
    }
    const std::int64_t site =
        ring_.pole ? 0 : site_on_ring(ring_, particle_azimuth(f.DX, f.DY, f.RHO));
    if (!cluster_current_ || site != site_) {
      cluster_at(run.lattice, ring_, site, c.XM0, c.YM0, c.ZM0, p.AG, p.HETMODE, p.RHET0,
                 p.RHET1, p.RHET2, XHET_, YHET_, ZHET_, RHET_);
      site_ = site;
      cluster_current_ = true;
    }
    // Only the HETMODE entries of the cluster are read below.
    HETC_TRANSFORMATION(f.XG, f.YG, f.ZG, XHET_, YHET_, ZHET_, RHET_, p.HETMODE, f.R, XHET_T_,
                        YHET_T_, ZHET_T_, RHET_T_);
    for (int k = 1; k <= p.HETMODE; ++k) {
      const double XH = XHET_T_[static_cast<std::size_t>(k - 1)];
      const double YH = YHET_T_[static_cast<std::size_t>(k - 1)];
      const double RH = RHET_T_[static_cast<std::size_t>(k - 1)];
      // A heterodomain apart from the zone returns AF_ZH = AF_PZH = 0.
      const double D_ZH = std::sqrt((XH - c.XM0) * (XH - c.XM0) + (YH - c.YM0) * (YH - c.YM0));
      if (D_ZH > RZ + RH) continue;
      FRACTIONAL_AREA(c.XM0, c.YM0, RZ, XH, YH, RH, NPRO_, projections, AF_PZ, AF_ZH, AF_PZH,
                      AF_Z);
      w.AFRACT += AF_ZH;
      if (AF_ZH > 0) {
        w.AFRACT -= AF_PZH;
        w.W_P -= AF_PZH;
      }
      w.W_C += AF_ZH;
      w.W_PC += AF_PZH;
      if (AF_ZH > 0) HETTYPE = touched_heterodomain_type(HETTYPE, p.HETMODE, k);
    }
  }
  w.W_0 = ((1.0 - w.W_P) - w.W_C) - w.W_PC;
  return w;
}

double weighted_double_layer(const PreparedForces& f, const EdlDecay& decay, double NASP,
                             const ZoiWeights& w) {
  double F0 = 0;
  FORCEEDL(f.edl_base, decay, NASP, F0);
  if (!(w.AFRACT > 0)) return F0;
  double FP = 0, FC = 0, FPC = 0;
  FORCEEDL(f.edl_particle_het, decay, NASP, FP);
  FORCEEDL(f.edl_collector_het, decay, NASP, FC);
  FORCEEDL(f.edl_both_het, decay, NASP, FPC);
  return ((w.W_P * round_sp(FP) + w.W_C * round_sp(FC)) + w.W_PC * round_sp(FPC)) +
         w.W_0 * round_sp(F0);
}

std::int32_t touched_heterodomain_type(std::int32_t HETTYPE, std::int32_t HETMODE, int k) {
  if (k == 1) HETTYPE = 1;
  if ((HETMODE == 5 || HETMODE == 9) && k > 1) {
    if (HETTYPE == 0) {
      HETTYPE = 2;
    } else if (HETTYPE == 1) {
      HETTYPE = 4;
    }
  }
  if (HETMODE == 73) {
    if (k > 1 && k <= 9) {
      if (HETTYPE == 0) {
        HETTYPE = 2;
      } else if (HETTYPE == 1) {
        HETTYPE = 4;
      }
    } else if (k > 9) {
      if (HETTYPE == 0) {
        HETTYPE = 3;
      } else if (HETTYPE == 1) {
        HETTYPE = 5;
      } else if (HETTYPE == 2) {
        HETTYPE = 6;
      }
    }
  }
  return HETTYPE;
}

}  // namespace colloidsim
