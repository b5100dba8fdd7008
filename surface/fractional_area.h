// Fractions of the zone of influence (ZOI) that lie over each combination of
// surface kinds, in the flat local tangent frame: Z is the ZOI disc, H one
// collector heterodomain (or the point circle of radius 0 at the ZOI centre
// for the particle-only weight), P the projected particle heterodomains.
//   AF_PZ  = area(P and Z, not H) / area(Z)     AF_ZH = area(H and Z, not P) / area(Z)
//   AF_PZH = area(P and Z and H) / area(Z)      AF_Z  = 1 - AF_PZ - AF_ZH - AF_PZH
// The projected circles are taken as disjoint: their areas are added, never
// united, so circles that overlap each other are counted twice and AF_Z can
// become negative. The region P and Z and H is a lens, a disc, or an
// arc-bounded region of three or four corners; an arc of such a region may
// run more than half a turn. Centres and radii in metres; the fractions are
// dimensionless.
#pragma once

#include <cstdint>
#include <span>

namespace colloidsim {

// Z = (XZ, YZ, RZ) with RZ > 0, H = (XH, YH, RH). MPRO_T holds NPRO >= 1
// projected circles as an NPRO x 3 column-major array: x in elements
// [0, NPRO), y in [NPRO, 2 NPRO), radius in [2 NPRO, 3 NPRO). Cost is linear
// in NPRO; circles apart from Z cost one distance each.
void FRACTIONAL_AREA(double XZ, double YZ, double RZ, double XH, double YH, double RH,
                     std::int32_t NPRO, std::span<const double> MPRO_T, double& AF_PZ,
                     double& AF_ZH, double& AF_PZH, double& AF_Z);

}  // namespace colloidsim
