#include "surface/fractional_area.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstddef>

#include "common/constants.h"
#include "surface/circle_overlap.h"

namespace colloidsim {

namespace {

// Relation codes of two circles.
constexpr std::int32_t APART = 0;
constexpr std::int32_t CROSSING = 1;
constexpr std::int32_t NESTED = -1;

// Areas one projected circle contributes: P and Z and H, P and Z outside H,
// and its record of Z and H. A radius comparison that is unordered (NaN)
// leaves all three at 0.
struct Contribution {
  double AO3_F = 0.0;
  double AO2_PZ = 0.0;
  double AO2_ZH = 0.0;
};

// Projected circle against Z or H. Touching from outside counts as apart
// (and so does a NaN distance), touching from inside as nested.
std::int32_t projected_relation(double DIST, double SUMR, double DIFFR) {
  if (!(DIST < SUMR)) return APART;
  if (DIST <= std::abs(DIFFR)) return NESTED;
  return CROSSING;
}

// Overlap of a projected circle of radius RP with a partner of radius RK.
double projected_overlap(std::int32_t code, double RP, double RK, double DIST) {
  if (code == CROSSING) return lens_area(RP, RK, DIST);
  if (code == NESTED) {
    const double r = RP <= RK ? RP : RK;
    return PI * (r * r);
  }
  return 0.0;
}

double point_x(const PointPair& pts, std::int32_t k) { return pts[k - 1]; }
double point_y(const PointPair& pts, std::int32_t k) { return pts[k + 1]; }

// Highest point number whose flag is set, or 0.
std::int32_t highest_flag(std::int32_t flag1, std::int32_t flag2) {
  if (flag2 == 1) return 2;
  if (flag1 == 1) return 1;
  return 0;
}

Contribution with_triple_area(double T, double A1Z, double A2) {
  return {T, A1Z - T, A2 - T};
}

// An arc of the triple region: from corner U to corner V on the circle of
// centre C and radius r.
struct Arc {
  double UX, UY, VX, VY;
  double CX, CY, r;
};

// Which side of the line through U and V the point (x, y) lies on.
double side(const Arc& a, double x, double y) {
  return (a.VX - a.UX) * (y - a.UY) - (a.VY - a.UY) * (x - a.UX);
}

// The region P and Z and H is convex, so each arc bulges away from the
// polygon of its corners, whose centroid is G. The arc-bounded areas take
// each arc as the minor arc over its chord; an arc whose circle's centre lies
// beyond its chord, away from G, runs more than half a turn, and its major
// segment replaces the minor one: the region gains pi r^2 - 2 (minor
// segment). Returns that gain summed over the region's arcs (0 when every arc
// is at most half a turn, and then nothing is added). Where G lies on the
// chord's line to within rounding (a flat polygon) the side cannot be told
// and the minor arc stays.
template <std::size_t N>
double long_arc_gain(const std::array<Arc, N>& arcs) {
  double GX = 0.0, GY = 0.0;
  for (const Arc& a : arcs) {
    GX += a.UX;
    GY += a.UY;
  }
  GX /= static_cast<double>(N);
  GY /= static_cast<double>(N);
  double gain = 0.0;
  for (const Arc& a : arcs) {
    const double chord = std::hypot(a.VX - a.UX, a.VY - a.UY);
    const double to_G = side(a, GX, GY);
    const double rounding = 64.0 * DBL_EPSILON * chord * std::hypot(GX - a.UX, GY - a.UY);
    if (std::fabs(to_G) > rounding && side(a, a.CX, a.CY) * to_G < 0.0) {
      gain += PI * (a.r * a.r) - 2.0 * circular_segment(chord, a.r);
    }
  }
  return gain;
}

// Arcs of the four-corner region bounded by A1-A2 on circle A, B1-B2 on
// circle B and A1-B1, A2-B2 on the link circle; arcs follow the boundary so
// that each arc's U is a different corner.
std::array<Arc, 4> four_arcs(const PointPair& A, const PointPair& B, double XA, double YA,
                             double RA, double XB, double YB, double RB, double XL, double YL,
                             double RL) {
  return {Arc{A[0], A[2], A[1], A[3], XA, YA, RA}, Arc{A[1], A[3], B[1], B[3], XL, YL, RL},
          Arc{B[1], B[3], B[0], B[2], XB, YB, RB}, Arc{B[0], B[2], A[0], A[2], XL, YL, RL}};
}

// All three circles cross pairwise. The corners of P and Z and H are the
// pairwise intersection points that lie inside the third circle; which
// kinds of corner exist decides how the region is bounded. IZH holds the
// Z and H points placed on Z.
Contribution all_crossing(double XZ, double YZ, double RZ, double XH, double YH, double RH,
                          double XP, double YP, double RP, double A1Z, double A1H, double A2,
                          const PointPair& IZH) {
  std::int32_t IPIP[2], IPIH[2], IPIZ[2];
  INSIDE_CIRCLE(XP, YP, RP, IZH, IPIP[0], IPIP[1]);
  PointPair IPZ;
  INTERSECTION_POINTS(RZ, RP, XZ, YZ, XP, YP, XZ, YZ, IPZ[0], IPZ[2], IPZ[1], IPZ[3]);
  INSIDE_CIRCLE(XH, YH, RH, IPZ, IPIH[0], IPIH[1]);
  PointPair IPH;
  INTERSECTION_POINTS(RH, RP, XH, YH, XP, YP, XH, YH, IPH[0], IPH[2], IPH[1], IPH[3]);
  INSIDE_CIRCLE(XZ, YZ, RZ, IPH, IPIZ[0], IPIZ[1]);
  const std::int32_t KP = highest_flag(IPIP[0], IPIP[1]);
  const std::int32_t KH = highest_flag(IPIH[0], IPIH[1]);
  const std::int32_t KZ = highest_flag(IPIZ[0], IPIZ[1]);

  // The P and Z points placed on P, in the order that pairs them with the
  // other corners along the linking circle.
  const auto points_p_on_z = [&] {
    PointPair pts;
    INTERSECTION_POINTS(RP, RZ, XP, YP, XZ, YZ, XP, YP, pts[0], pts[2], pts[1], pts[3]);
    return pts;
  };

  // Regions with corners of two or three kinds are arc-bounded areas; where
  // one of their arcs runs more than half a turn its long segment is added.
  double T;
  double gain = 0.0;
  if (KP == 0 && KH == 0 && KZ == 0) {
    return {0.0, A1Z, A2};
  } else if (KP == 0 && KH == 0) {
    // The whole P and H lens lies inside Z.
    T = A1H;
  } else if (KP != 0 && KH == 0 && KZ != 0) {
    OVERLAP4(IZH, IPH, RH, RZ, RP, T);
    gain = long_arc_gain(four_arcs(IZH, IPH, XZ, YZ, RZ, XP, YP, RP, XH, YH, RH));
  } else if (KP != 0 && KH != 0 && KZ == 0) {
    const PointPair PZ = points_p_on_z();
    OVERLAP4(IZH, PZ, RZ, RH, RP, T);
    gain = long_arc_gain(four_arcs(IZH, PZ, XH, YH, RH, XP, YP, RP, XZ, YZ, RZ));
  } else if (KP == 0 && KH != 0 && KZ != 0) {
    const PointPair PZ = points_p_on_z();
    OVERLAP4(IPH, PZ, RP, RH, RZ, T);
    gain = long_arc_gain(four_arcs(IPH, PZ, XH, YH, RH, XZ, YZ, RZ, XP, YP, RP));
  } else if (KP != 0 && KH != 0 && KZ != 0) {
    const Point T1{point_x(IPZ, KH), point_y(IPZ, KH)};
    const Point T2{point_x(IZH, KP), point_y(IZH, KP)};
    const Point T3{point_x(IPH, KZ), point_y(IPH, KZ)};
    OVERLAP3(T1, T2, T3, RP, RZ, RH, T);
    gain = long_arc_gain(std::array<Arc, 3>{Arc{T1[0], T1[1], T2[0], T2[1], XZ, YZ, RZ},
                                            Arc{T2[0], T2[1], T3[0], T3[1], XH, YH, RH},
                                            Arc{T3[0], T3[1], T1[0], T1[1], XP, YP, RP}});
  } else if (KP != 0) {
    // Only Z and H corners lie inside the third circle, so P's edge does
    // not enter the Z and H lens: the whole lens is inside P.
    T = A2;
  } else {
    // Likewise the whole P and Z lens is inside H.
    T = A1Z;
  }
  if (gain != 0.0) T += gain;
  return with_triple_area(T, A1Z, A2);
}

// Every combination of relation codes except all three crossing, for a
// projected circle that is not apart from Z.
Contribution case_table(std::int32_t sZ, std::int32_t sH, std::int32_t sZH, double RZ, double RH,
                        double RP, double A1Z, double A1H, double A2) {
  const Contribution keep_zero{};
  if (sH == APART) return {0.0, A1Z, sZH == APART ? 0.0 : A2};
  if (sZH == APART) {
    // Z and H apart: nothing of H lies in Z, and a projected circle that
    // contains both only adds its overlap with Z.
    if (sZ == NESTED && sH == NESTED) return {0.0, A1Z, A2};
    return {0.0, A1Z, 0.0};
  }
  if (sZ == CROSSING && sH == CROSSING) {  // Z and H nested
    if (!(RZ < RH)) return {A1H, A1Z - A1H, A2 - A1H};
    if (RH > RZ) return {A1Z, 0.0, A2 - A1Z};
    return keep_zero;
  }
  if (sZ == CROSSING) {  // P and H nested
    if (!(RH < RP)) return {A1Z, 0.0, A2 - A1Z};
    if (RP > RH) return {A2, A1Z - A2, 0.0};
    return keep_zero;
  }
  if (sH == CROSSING) {  // P and Z nested
    if (sZH == CROSSING) {
      if (!(RZ < RP)) return {A1H, A1Z - A1H, A2 - A1H};
      if (RP > RZ) return {A2, A1Z - A2, 0.0};
      return keep_zero;
    }
    if (!(RZ < RH)) return {A1H, A1Z - A1H, A2 - A1H};
    if (RH > RZ) return {A2, 0.0, 0.0};
    return keep_zero;
  }
  // P nested with both Z and H.
  if (sZH == CROSSING) {
    if (RP < RZ || RP < RH) return {A1H, 0.0, A2 - A1H};
    return {A2, A1Z - A2, 0.0};
  }
  // All three nested: the radius order tells which disc holds which.
  if (!(RZ < RH) && !(RZ < RP)) {
    if (!(RH < RP)) return {A1Z, 0.0, A2 - A1Z};
    if (RP > RH) return {A2, A1Z - A2, 0.0};
    return keep_zero;
  }
  if (!(RH < RZ) && !(RH < RP)) {
    if (!(RZ < RP)) return {A1Z, 0.0, A2 - A1Z};
    if (RP > RZ) return {A2, 0.0, 0.0};
    return keep_zero;
  }
  if (RP < RZ || RP < RH) return keep_zero;
  if (!(RZ < RH)) return {A2, A1Z - A2, 0.0};
  if (RH > RZ) return {A2, 0.0, 0.0};
  return keep_zero;
}

}  // namespace

void FRACTIONAL_AREA(double XZ, double YZ, double RZ, double XH, double YH, double RH,
                     std::int32_t NPRO, std::span<const double> MPRO_T, double& AF_PZ,
                     double& AF_ZH, double& AF_PZH, double& AF_Z) {
  const double D_ZH = std::sqrt((XH - XZ) * (XH - XZ) + (YH - YZ) * (YH - YZ));

  // Z and H touching from outside count as crossing here, though their
  // overlap area is 0.
  std::int32_t OM_ZH;
  if (D_ZH > RZ + RH) {
    OM_ZH = APART;
  } else if (std::abs(RZ - RH) < D_ZH) {
    OM_ZH = CROSSING;
  } else {
    OM_ZH = NESTED;
  }
  double AO2_2;
  if (!(D_ZH < RZ + RH)) {
    AO2_2 = 0.0;
  } else if (std::abs(RZ - RH) < D_ZH) {
    AO2_2 = lens_area(RZ, RH, D_ZH);
  } else {
    AO2_2 = RZ <= RH ? PI * (RZ * RZ) : PI * (RH * RH);
  }
  // A circle apart from Z takes this record whatever its relation to H.
  const double AO2_ZH_APART = OM_ZH == APART ? 0.0 : AO2_2;

  // The Z and H intersection points are the same for every projected
  // circle; they are made when a first circle crosses both.
  PointPair IZH;
  bool have_IZH = false;

  // Every quantity of circle i feeds only its own contribution, so one pass
  // accumulates the sums, and the running Z and H area, in the order
  // i = 1..NPRO.
  const double* XP = MPRO_T.data();
  const double* YP = XP + NPRO;
  const double* RP = YP + NPRO;
  double sum_AO3_F = 0.0;
  double sum_AO2_PZ = 0.0;
  double sum_AO2_ZH = 0.0;
  double AO2_ZHF = AO2_2;
  for (std::int32_t i = 0; i < NPRO; ++i) {
    const double DXZ = XP[i] - XZ;
    const double DYZ = YP[i] - YZ;
    const double DISTZ = std::sqrt(DXZ * DXZ + DYZ * DYZ);
    const std::int32_t sZ = projected_relation(DISTZ, RP[i] + RZ, RP[i] - RZ);
    Contribution c;
    if (sZ == APART) {
      c.AO2_ZH = AO2_ZH_APART;
    } else {
      const double DXH = XP[i] - XH;
      const double DYH = YP[i] - YH;
      const double DISTH = std::sqrt(DXH * DXH + DYH * DYH);
      const std::int32_t sH = projected_relation(DISTH, RP[i] + RH, RP[i] - RH);
      const double A1Z = projected_overlap(sZ, RP[i], RZ, DISTZ);
      const double A1H = projected_overlap(sH, RP[i], RH, DISTH);
      if (sZ == CROSSING && sH == CROSSING && OM_ZH == CROSSING) {
        if (!have_IZH) {
          INTERSECTION_POINTS(RZ, RH, XZ, YZ, XH, YH, XZ, YZ, IZH[0], IZH[2], IZH[1], IZH[3]);
          have_IZH = true;
        }
        c = all_crossing(XZ, YZ, RZ, XH, YH, RH, XP[i], YP[i], RP[i], A1Z, A1H, AO2_2, IZH);
      } else {
        c = case_table(sZ, sH, OM_ZH, RZ, RH, RP[i], A1Z, A1H, AO2_2);
      }
    }
    sum_AO3_F += c.AO3_F;
    sum_AO2_PZ += c.AO2_PZ;
    sum_AO2_ZH += c.AO2_ZH;
    AO2_ZHF -= c.AO3_F;
  }
  if (!(sum_AO2_ZH > 0.0)) AO2_ZHF = 0.0;

  const double AZ = PI * (RZ * RZ);
  AF_PZ = sum_AO2_PZ / AZ;
  AF_ZH = AO2_ZHF / AZ;
  AF_PZH = sum_AO3_F / AZ;
  AF_Z = ((1.0 - AF_PZ) - AF_ZH) - AF_PZH;
}

}  // namespace colloidsim
