#include "surface/hettrackp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "common/constants.h"
#include "common/numeric.h"
#include "surface/hettrack.h"

namespace colloidsim {

namespace {

// Clusters per squared ring count of the lattice.
constexpr double CLUSTERS_PER_RING_SQUARED = sp(1.3f);
// Stagger of neighbouring rings, as a fraction of the site spacing.
constexpr double RING_STAGGER = sp(0.1f);

// Members of a band-ring cluster in generation order, as steps of one third
// of the ring spacing in polar angle and of the site spacing in azimuth:
// the centre, the four diagonal neighbours, then the four axis neighbours.
// A step of 0 adds an exact zero, -1 subtracts exactly.
constexpr std::array<double, 9> MEMBER_POLAR_STEP = {0, +1, +1, -1, -1, 0, +1, 0, -1};
constexpr std::array<double, 9> MEMBER_AZIMUTH_STEP = {0, -1, +1, +1, -1, -1, 0, +1, 0};

int members_per_cluster(std::int32_t HETMODEP) {
  return HETMODEP == 1 || HETMODEP == 5 || HETMODEP == 9 ? HETMODEP : 0;
}

bool is_pole_ring(std::int64_t j, std::int64_t NLATP) { return j == 1 || j == NLATP; }

// Sites on a band ring of radius RCP, at least three.
std::int64_t band_ring_sites(double RCP, double DSP) {
  const std::int64_t NPHIP = lattice_integer_part(round_half_away(((PI + PI) * RCP) / DSP));
  return std::max<std::int64_t>(NPHIP, 3);
}

std::int64_t layout_size(const ParticleLattice& lattice, double AP, int members,
                         std::int64_t stop_above) {
  std::int64_t total = 0;
  if (lattice.NCLP == 0 || members == 0) return total;
  for (std::int64_t j = 1; j <= lattice.NLATP && total <= stop_above; ++j) {
    std::int64_t clusters = 1;
    if (!is_pole_ring(j, lattice.NLATP)) {
      clusters = band_ring_sites(AP * std::sin((j - 1) * lattice.DTP), lattice.DSP);
    }
    total += clusters * members;
  }
  return total;
}

void grow(std::vector<double>& table, std::size_t size) {
  if (table.size() < size) table.resize(size, 0.0);
}

std::int32_t count_non_zero(const std::vector<double>& table) {
  return static_cast<std::int32_t>(
      std::count_if(table.begin(), table.end(), [](double v) { return v != 0.0; }));
}

// The eight tables HETTRACKP fills, in generation order.
struct HeterodomainTables {
  std::vector<double>& XHETP;
  std::vector<double>& YHETP;
  std::vector<double>& ZHETP;
  std::vector<double>& RHETP;
  std::vector<double>& XPRO;
  std::vector<double>& YPRO;
  std::vector<double>& ZPRO;
  std::vector<double>& RPRO;
};

// Room for every heterodomain of the layout; with no cluster, entry 1 of
// XPRO, YPRO and RPRO is set to 0 instead.
void size_tables(const HeterodomainTables& t, const ParticleLattice& lattice, double AP,
                 int members) {
  if (lattice.NCLP == 0) {
    grow(t.XPRO, 1);
    grow(t.YPRO, 1);
    grow(t.RPRO, 1);
    t.XPRO[0] = 0;
    t.YPRO[0] = 0;
    t.RPRO[0] = 0;
    return;
  }
  const auto total = static_cast<std::size_t>(
      layout_size(lattice, AP, members, std::numeric_limits<std::int64_t>::max()));
  for (std::vector<double>* table :
       {&t.XHETP, &t.YHETP, &t.ZHETP, &t.RHETP, &t.XPRO, &t.YPRO, &t.ZPRO, &t.RPRO}) {
    grow(*table, total);
  }
}

// Radii along the particle surface and base radii of the centre (0) and
// satellite (1) heterodomains of a cluster (m).
struct HeterodomainSizes {
  double RHETP0, RHETP1;
  double B0, B1;
};

// Writes one heterodomain after another into the tables, with its projection
// onto the plane z = -(AP + H) when it can overlap the zone of influence.
class HeterodomainWriter {
 public:
  HeterodomainWriter(const HeterodomainTables& t, double XC, double YC, double ZC, double AP,
                     double H, double HC, double RR)
      : t_(t), XC_(XC), YC_(YC), ZC_(ZC), AP_(AP), H_(H), HC_(HC), RR_(RR) {}

  // One heterodomain at polar angle theta and azimuth phi, at horizontal
  // distance ring from the particle axis; B is its base radius.
  void emit(double theta, double phi, double ring, double radius, double B) {
    const std::size_t i = n_++;
    const double x = ring * std::cos(phi) + XC_;
    const double y = ring * std::sin(phi) + YC_;
    const double z = AP_ * std::cos(theta) + ZC_;
    t_.XHETP[i] = x;
    t_.YHETP[i] = y;
    t_.ZHETP[i] = z;
    t_.RHETP[i] = radius;
    t_.XPRO[i] = 0;
    t_.YPRO[i] = 0;
    t_.ZPRO[i] = 0;
    t_.RPRO[i] = 0;
    // The upper half never faces the collector, and a heterodomain beyond
    // the reach cannot overlap the zone of influence.
    if (ZC_ <= z && z <= ZC_ + AP_) return;
    if (std::sqrt(ipow<2>(x - XC_) + ipow<2>(y - YC_)) >= RR_) return;
    project(i, x, y, z, phi, B);
  }

 private:
  void project(std::size_t i, double x, double y, double z, double phi, double B) {
    // Tilt of the heterodomain from the -z axis. Where the ratio reaches
    // +-1 in single precision the tilt is that of the pole.
    const double ratio = (ZC_ - z) / AP_;
    double PSI = std::acos(ratio);
    if (round_sp(ratio) >= 1) {
      PSI = 0;
    } else if (round_sp(ratio) <= -1) {
      PSI = PI;
    }
    // The base circle's centre lies one centre cap height below the surface
    // point; its vertical projection is an ellipse with semi-axes B and
    // B cos PSI, replaced by the circle of equal area.
    t_.XPRO[i] = x - (HC_ * std::sin(PSI)) * std::cos(phi);
    t_.YPRO[i] = y - (HC_ * std::sin(PSI)) * std::sin(phi);
    t_.ZPRO[i] = -(AP_ + H_);
    t_.RPRO[i] = std::sqrt(B * (B * std::cos(PSI)));
  }

  const HeterodomainTables& t_;
  double XC_, YC_, ZC_, AP_, H_;
  double HC_;  // cap height of a centre heterodomain
  double RR_;  // reach of the zone of influence
  std::size_t n_ = 0;
};

// One cluster on the pole at polar angle T0: 0 faces away from the
// collector, pi faces it. Satellites sit one third of a ring spacing off the
// pole, 4 at right angles or 8 at eighth turns.
void emit_pole_cluster(HeterodomainWriter& w, double T0, double DTP, int members, double AP,
                       const HeterodomainSizes& z) {
  w.emit(T0, 0.0, 0.0, z.RHETP0, z.B0);
  const double theta = T0 + ONE_THIRD * DTP;
  if (members == 5) {
    for (int i = 2; i <= 5; ++i) {
      w.emit(theta, ((i - 2) * PI) * 0.5, AP * std::sin(theta), z.RHETP1, z.B1);
    }
  } else if (members == 9) {
    for (double phi :
         {0.0, PI * 0.25, PI * 0.5, 0.75 * PI, PI, 1.25 * PI, 1.5 * PI, 1.75 * PI}) {
      w.emit(theta, phi, AP * std::sin(theta), z.RHETP1, z.B1);
    }
  }
}

// The clusters of band ring j (2 to NLATP - 1), site by site in azimuth.
void emit_band_ring(HeterodomainWriter& w, std::int64_t j, const ParticleLattice& lattice,
                    int members, double AP, const HeterodomainSizes& z) {
  const double DTP = lattice.DTP;
  const double TR = (j - 1) * DTP;
  const double RCP = AP * std::sin(TR);
  const std::int64_t NPHIP = band_ring_sites(RCP, lattice.DSP);
  const double DPP = (PI + PI) / NPHIP;
  // Neighbouring rings are staggered by a tenth of the site spacing.
  const double PHI0P = j % 2 == 0 ? RING_STAGGER * DPP : -(RING_STAGGER * DPP);
  const double DTH = ONE_THIRD * DTP;
  const double DPH = ONE_THIRD * DPP;
  for (std::int64_t s = 1; s <= NPHIP; ++s) {
    double PS = (s - 1) * DPP + PHI0P;
    if (PS > PI + PI) {
      PS = (PI + PI) * (PS / (PI + PI) - lattice_integer_part(PS / (PI + PI)));
    }
    w.emit(TR, PS, RCP, z.RHETP0, z.B0);
    for (int i = 2; i <= members; ++i) {
      const double theta = TR + MEMBER_POLAR_STEP[i - 1] * DTH;
      const double phi = PS + MEMBER_AZIMUTH_STEP[i - 1] * DPH;
      w.emit(theta, phi, AP * std::sin(theta), z.RHETP1, z.B1);
    }
  }
}

}  // namespace

ParticleLattice particle_lattice(double AP, std::int32_t HETMODEP, double SCOVP, double RHETP0,
                                 double RHETP1) {
  const double A0 = RHETP0 / AP;
  const double A1 = RHETP1 / AP;
  // Coverage carried by the cluster centres; a spherical cap of angular
  // radius A covers the fraction (1 - cos A)/2 of the sphere.
  const double SC0 =
      HETMODEP == 1 ? SCOVP
                    : SCOVP * ((1 - std::cos(A0)) /
                               ((1 - std::cos(A0)) + (HETMODEP - 1) * (1 - std::cos(A1))));
  ParticleLattice lattice;
  lattice.NCLP = lattice_integer_part(round_half_away((SC0 * 4) / (2 * (1 - std::cos(A0)))));
  lattice.NLATP = lattice_integer_part(
      round_half_away(std::sqrt(lattice.NCLP / CLUSTERS_PER_RING_SQUARED)));
  lattice.DTP = PI / (lattice.NLATP - 1);
  lattice.DSP = lattice.DTP * AP;
  return lattice;
}

std::int64_t particle_cluster_count(double AP, std::int32_t HETMODEP, double SCOVP, double RHETP0,
                                    double RHETP1) {
  return particle_lattice(AP, HETMODEP, SCOVP, RHETP0, RHETP1).NCLP;
}

double realised_particle_coverage(double AP, std::int32_t HETMODEP, double SCOVP, double RHETP0,
                                  double RHETP1) {
  const double A0 = RHETP0 / AP;
  const double A1 = RHETP1 / AP;
  const std::int64_t NCLP = particle_cluster_count(AP, HETMODEP, SCOVP, RHETP0, RHETP1);
  return ((NCLP + NCLP) * (1 - std::cos(A0)) +
          (((HETMODEP - 1) * NCLP) * 2) * (1 - std::cos(A1))) *
         0.25;
}

std::int64_t particle_heterodomain_count(double AP, std::int32_t HETMODEP, double SCOVP,
                                         double RHETP0, double RHETP1) {
  const ParticleLattice lattice = particle_lattice(AP, HETMODEP, SCOVP, RHETP0, RHETP1);
  return layout_size(lattice, AP, members_per_cluster(HETMODEP),
                     std::numeric_limits<std::int32_t>::max());
}

void HETTRACKP(double XM0, double YM0, double ZM0, double H, double RZOIBULK, double AP,
               std::int32_t HETMODEP, double& SCOVP, double RHETP0, double RHETP1,
               std::int32_t& NHETP, std::vector<double>& XHETP, std::vector<double>& YHETP,
               std::vector<double>& ZHETP, std::vector<double>& RHETP, std::int32_t& NPRO,
               std::vector<double>& XPRO, std::vector<double>& YPRO, std::vector<double>& ZPRO,
               std::vector<double>& RPRO) {
  const double A0 = RHETP0 / AP;
  const double A1 = RHETP1 / AP;
  const double HC = AP * (1 - std::cos(A0));  // cap height of a centre heterodomain
  const HeterodomainSizes sizes{RHETP0, RHETP1, AP * std::sin(A0), AP * std::sin(A1)};
  const double RR = RZOIBULK + RHETP0;        // reach of the zone of influence

  const ParticleLattice lattice = particle_lattice(AP, HETMODEP, SCOVP, RHETP0, RHETP1);
  SCOVP = realised_particle_coverage(AP, HETMODEP, SCOVP, RHETP0, RHETP1);
  const int members = members_per_cluster(HETMODEP);
  const HeterodomainTables tables{XHETP, YHETP, ZHETP, RHETP, XPRO, YPRO, ZPRO, RPRO};
  size_tables(tables, lattice, AP, members);

  if (lattice.NCLP != 0 && members != 0) {
    HeterodomainWriter writer(tables, XM0, YM0, ZM0, AP, H, HC, RR);
    for (std::int64_t j = 1; j <= lattice.NLATP; ++j) {
      if (is_pole_ring(j, lattice.NLATP)) {
        emit_pole_cluster(writer, j == 1 ? 0.0 : PI, lattice.DTP, members, AP, sizes);
      } else {
        emit_band_ring(writer, j, lattice, members, AP, sizes);
      }
    }
  }

  NHETP = count_non_zero(RHETP);
  NPRO = count_non_zero(RPRO);
}

}  // namespace colloidsim
