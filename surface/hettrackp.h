// Particle heterodomains and their projection onto the collector's tangent
// plane. The particle surface carries clusters of circular heterodomains on a
// deterministic ring lattice, laid out in a particle-centred frame whose +z
// axis is the collector's outward normal, so that the particle's south pole
// always faces the collector. Heterodomains on the lower half within reach of
// the zone of influence are projected vertically onto the plane
// z = -(AP + H) as circles of equal area.
#pragma once

#include <cstdint>
#include <vector>

namespace colloidsim {

// The particle lattice: clusters NCLP on the sphere, latitude rings NLATP
// (poles included), ring spacing DTP (rad) and arc spacing DSP (m). HETMODEP
// counts the heterodomains per cluster; RHETP0, RHETP1 are the centre and
// satellite radii along the particle surface (m).
struct ParticleLattice {
  std::int64_t NCLP = 0;
  std::int64_t NLATP = 0;
  double DTP = 0;
  double DSP = 0;
};
ParticleLattice particle_lattice(double AP, std::int32_t HETMODEP, double SCOVP, double RHETP0,
                                 double RHETP1);

// NCLP alone, for checking the parameters before a run.
std::int64_t particle_cluster_count(double AP, std::int32_t HETMODEP, double SCOVP, double RHETP0,
                                    double RHETP1);

// The coverage the whole clusters of the lattice realise; HETTRACKP replaces
// SCOVP by it. It depends on the lattice parameters only, and the lattice of
// the realised coverage is the lattice of the requested one.
double realised_particle_coverage(double AP, std::int32_t HETMODEP, double SCOVP, double RHETP0,
                                  double RHETP1);

// Number of heterodomains HETTRACKP lays out for these parameters, counted
// ring by ring without generating positions. Layouts that hold more than
// 2^31 - 1 heterodomains report some value above 2^31 - 1 (the count stops
// once it passes that). HETMODEP outside 1, 5, 9 lays out none.
std::int64_t particle_heterodomain_count(double AP, std::int32_t HETMODEP, double SCOVP,
                                         double RHETP0, double RHETP1);

// Lays out the particle heterodomains about the particle centre
// (XM0, YM0, ZM0) and projects those on the lower half whose horizontal
// distance from the centre is below RZOIBULK + RHETP0 onto the plane
// z = -(AP + H), H being the surface-to-surface gap (m).
//
// Entry n of the eight tables belongs to the n-th heterodomain generated
// (rings from the pole facing away from the collector, sites by azimuth,
// cluster members). A table shorter than the layout is extended with zeros;
// entries beyond the layout keep their values. XPRO, YPRO: projected centre;
// ZPRO: the plane; RPRO: equal-area radius; all four 0 for a heterodomain that
// is not projected. NHETP and NPRO count the non-zero RHETP and RPRO entries
// of the whole tables. SCOVP is replaced by the coverage the whole clusters
// actually realise. With no cluster (SCOVP = 0), entry 1 of XPRO, YPRO and
// RPRO is set to 0 and ZPRO is untouched. A count that is not a number (a
// zero radius with zero coverage) counts as no cluster.
void HETTRACKP(double XM0, double YM0, double ZM0, double H, double RZOIBULK, double AP,
               std::int32_t HETMODEP, double& SCOVP, double RHETP0, double RHETP1,
               std::int32_t& NHETP, std::vector<double>& XHETP, std::vector<double>& YHETP,
               std::vector<double>& ZHETP, std::vector<double>& RHETP, std::int32_t& NPRO,
               std::vector<double>& XPRO, std::vector<double>& YPRO, std::vector<double>& ZPRO,
               std::vector<double>& RPRO);

}  // namespace colloidsim
