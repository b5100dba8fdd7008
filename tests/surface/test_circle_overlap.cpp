#include "surface/circle_overlap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <limits>
#include <random>
#include <vector>

#include "common/constants.h"
#include "tests/surface/area_sampling.h"

namespace colloidsim {
namespace {

using testing::RelNear;
using test::Disc;

PointPair intersection_points(const Disc& c1, const Disc& c2) {
  PointPair p;
  INTERSECTION_POINTS(c1.r, c2.r, c1.x, c1.y, c2.x, c2.y, c1.x, c1.y, p[0], p[2], p[1], p[3]);
  return p;
}

// z component of (b - a) x (p - a): positive when p is counter-clockwise of
// the line from a towards b.
double side_of(const Disc& a, const Disc& b, double px, double py) {
  return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

TEST(IntersectionPoints, PointOneIsCounterClockwiseOfTheCentreLine) {
  // Centre lines pointing into all four quadrants and along the axes.
  const std::vector<std::pair<Disc, Disc>> pairs = {
      {{0.0, 0.0, 1.0}, {1.2, 0.3, 0.8}},    {{0.5, -0.2, 1.3}, {-0.9, 0.7, 1.1}},
      {{-1.0, 2.0, 0.6}, {-1.5, 1.4, 0.5}},  {{2e-8, 3e-8, 7.8e-8}, {9e-8, -1e-8, 5e-9}},
      {{0.0, 0.0, 1.0}, {0.0, -1.5, 1.0}},   {{0.0, 0.0, 1.0}, {-1.5, 0.0, 1.0}}};
  // When centre 2 lies below centre 1 the direction is measured from
  // 6.2831855 (sp) instead of 2 pi, which turns both points by 1.7e-7 rad
  // about centre 1: they stay on circle 1 but sit up to 2e-7 R1 off circle 2.
  for (const auto& [c1, c2] : pairs) {
    const PointPair p = intersection_points(c1, c2);
    for (int k = 0; k < 2; ++k) {
      EXPECT_TRUE(RelNear(std::hypot(p[k] - c1.x, p[k + 2] - c1.y), c1.r, 1e-14));
      EXPECT_NEAR(std::hypot(p[k] - c2.x, p[k + 2] - c2.y), c2.r, 2e-7 * c1.r);
    }
    EXPECT_GT(side_of(c1, c2, p[0], p[2]), 0.0);
    EXPECT_LT(side_of(c1, c2, p[1], p[3]), 0.0);
  }
}

TEST(IntersectionPoints, DirectionOfTheCentreLine) {
  // Circles of radii 2 and 1 touching (opening angle 0) and one generic
  // crossing below and to the left. Expected points from a Python script
  // that follows the same steps in plain doubles, with struct packing for
  // 6.2831855 = float(pi) + float(pi) and the single-precision clamp: below
  // the angle is 6.2831855 - pi/2, so x = 2 sin(1.7484556e-7) is not 0.
  struct Case {
    double R1, R2, XC1, YC1, XC2, YC2;
    double expected[4];  // X1_12, Y1_12, X2_12, Y2_12
  };
  const Case cases[] = {
      {2, 1, 0, 0, 0, -3, {3.496911201373623e-07, -1.9999999999999694, 3.496911201373623e-07,
                           -1.9999999999999694}},
      {2, 1, 0, 0, 0, 3, {1.2246467991473532e-16, 2.0, 1.2246467991473532e-16, 2.0}},
      {2, 1, 0, 0, 3, 0, {2.0, 0.0, 2.0, 0.0}},
      {1.5, 1.25, 0.3, -0.2, -0.7, -1.9,
       {0.5308663822710099, -1.6821270908856285, -1.1076012510102111, -0.7183229863265652}}};
  for (const Case& c : cases) {
    double out[4];
    INTERSECTION_POINTS(c.R1, c.R2, c.XC1, c.YC1, c.XC2, c.YC2, c.XC1, c.YC1, out[0], out[1],
                        out[2], out[3]);
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(RelNear(out[k], c.expected[k], 1e-15)) << k;
  }
}

TEST(IntersectionPoints, TouchingCirclesGiveCoincidentPoints) {
  // Exact tangency, and centres a relative 1e-10 closer: the cosine is then
  // below 1 in double precision (acos would open the points by ~3e-5) but
  // rounds to 1 in single precision.
  const Disc c1{0.25, -0.5, 1.5};
  for (const double shrink : {1.0, 1.0 - 1e-10}) {
    const double D = (1.5 + 0.75) * shrink;
    const Disc c2{c1.x + 0.6 * D, c1.y + 0.8 * D, 0.75};
    const PointPair p = intersection_points(c1, c2);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[2], p[3]);
    EXPECT_TRUE(RelNear(p[0], c1.x + 0.6 * 1.5, 1e-12));
    EXPECT_TRUE(RelNear(p[2], c1.y + 0.8 * 1.5, 1e-12));
  }
}

TEST(InsideCircle, RimCountsAsInsideAndNaNAsOutside) {
  // (1 + 3, 1 + 4) is exactly 5 from (1, 1).
  const double rim_y = 5.0;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    PointPair pts;
    std::int32_t flag1, flag2;
  };
  const Case cases[] = {
      {{4.0, 1.0, rim_y, 1.0}, 1, 1},
      {{4.0, 1.0, std::nextafter(rim_y, 6.0), 1.0}, 0, 1},
      {{1.0, -2.5, 1.0, 5.0}, 1, 0},
      {{nan, 1.0, 1.0, 1.0}, 0, 1}};
  for (const Case& c : cases) {
    std::int32_t f1 = -1, f2 = -1;
    INSIDE_CIRCLE(1.0, 1.0, 5.0, c.pts, f1, f2);
    EXPECT_EQ(f1, c.flag1);
    EXPECT_EQ(f2, c.flag2);
  }
}

TEST(CircularSegment, ChordOfADiameterOrLongerGivesTheHalfDisc) {
  // Python reference for R = 1.7: theta = float(asin 1) + float(asin 1) =
  // 3.1415927410125732, S = (0.5 R^2)(theta - sin theta).
  const double R = 1.7;
  const double half_disc = 4.539601637089085;
  for (const double scale : {1.0, 1.0 + 1e-12, 1.0 + 1e-7, 1.0 - 1e-9}) {
    EXPECT_TRUE(RelNear(circular_segment(2.0 * R * scale, R), half_disc, 1e-15)) << scale;
  }
  EXPECT_TRUE(RelNear(half_disc, 0.5 * std::numbers::pi * R * R, 1e-7));
  // A chord equal to the radius: theta = 2 asin(0.5) = pi / 3 (Python).
  EXPECT_TRUE(RelNear(circular_segment(R, R), 0.26179375301056995, 1e-15));
}

TEST(LensArea, MatchesSampledOverlap) {
  // 2000 x 2000 cells over the smaller disc's square. The boundary crosses
  // about perimeter / h cells, a worst case of ~3e-3 of the lens, but their
  // errors largely cancel: at this resolution the estimate is off by up to
  // 5e-5 (shrinking about as n^-1.5 on finer grids), so 3e-4 is safe.
  struct Case {
    double r1, r2, d;
  };
  const Case cases[] = {{1.0, 1.0, 1.0}, {1.0, 0.4, 1.1}, {0.4, 1.0, 0.75}, {2.0, 0.5, 1.8},
                        {7.8e-8, 1.2e-7, 1.5e-7}};
  for (const Case& c : cases) {
    const Disc a{0.0, 0.0, c.r1}, b{c.d, 0.0, c.r2};
    const double sampled = c.r1 < c.r2 ? test::sampled_intersection_area(2000, a, b)
                                       : test::sampled_intersection_area(2000, b, a);
    EXPECT_TRUE(RelNear(lens_area(c.r1, c.r2, c.d), sampled, 3e-4)) << c.r1 << " " << c.r2;
  }
}

TEST(LensArea, TouchingCircles) {
  // Touching from outside: no area. From inside (d = 1.5 - 0.5 exactly):
  // the cosines clamp to 1 and -1 and the lens is the small disc.
  EXPECT_EQ(lens_area(1.5, 0.5, 2.0), 0.0);
  EXPECT_EQ(lens_area(1.5, 0.5, 1.0), PI * (0.5 * 0.5));
}

TEST(Overlap4, DegenerateQuadrilateralIsTheLens) {
  for (const double d : {1.0, 1.3, 0.9}) {
    const Disc a{0.0, 0.0, 1.0}, b{d, 0.2, 0.8};
    const PointPair p = intersection_points(a, b);
    double area;
    OVERLAP4(p, p, 0.5, a.r, b.r, area);
    EXPECT_TRUE(RelNear(area, lens_area(a.r, b.r, std::hypot(d, 0.2)), 1e-12)) << d;
  }
}

TEST(Overlap4, ExactArithmeticOfTheQuadrilateralAndSegments) {
  // Corners of circles Z (-0.8, 0.1, 1), H (0.05, 0, 0.42) and
  // P (0.8, -0.05, 1.05): the Z and H points and the H and P points, each
  // pair counter-clockwise first. Corners and expected value from a Python
  // script following the same steps, with struct packing for the
  // single-precision holds (|A2 B2| is not a float, so its square is
  // rounded).
  const PointPair A{0.15153439408506386, 0.05417891649514084, 0.40754234972304304,
                    -0.41997920979130243};
  const PointPair B{-0.1667500603340885, -0.21258622285175222, 0.3597490949886726,
                    -0.32779334277628314};
  double area;
  OVERLAP4(A, B, 0.42, 1.0, 1.05, area);
  EXPECT_TRUE(RelNear(area, 0.31257823031409804, 1e-15));
}

TEST(Overlap3, ReuleauxTriangle) {
  // Three unit circles centred on the corners of a unit triangle meet in the
  // Reuleaux triangle of width 1, area (pi - sqrt 3) / 2; the
  // single-precision hold of one segment moves it by ~1e-11. The exact
  // arithmetic value comes from a Python script with struct packing.
  const double h = 0.8660254037844386;
  double area;
  OVERLAP3({0.0, 0.0}, {1.0, 0.0}, {0.5, h}, 1.0, 1.0, 1.0, area);
  EXPECT_TRUE(RelNear(area, 0.7047709230009919, 1e-15));
  EXPECT_TRUE(RelNear(area, (std::numbers::pi - std::sqrt(3.0)) / 2.0, 1e-10));
}

TEST(ArcBoundedRegions, MatchSampledTripleOverlaps) {
  // Random triples of pairwise crossing circles. With corners of two kinds,
  // the region is the link circle L (the one in both kinds) cut by the
  // other two, X and Y: OVERLAP4 of the X-L points placed on X and the L-Y
  // points placed on L. With one corner of each kind it is a three-arc
  // region. Regions with an arc longer than a half turn are skipped (the
  // minor-arc segments do not describe them). Sampling on 1500 x 1500 cells
  // over the smallest disc is off by up to 5e-5 of the region (as for the
  // lens); the tolerance is 3e-4 of the region, or 1e-4 of the smallest disc
  // for slivers.
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> pos(-0.9, 0.9), rad(0.45, 1.4);
  int four_arc = 0, three_arc = 0;
  for (int trial = 0; trial < 4000 && (four_arc < 12 || three_arc < 6); ++trial) {
    Disc c[3];
    for (Disc& d : c) d = {pos(rng), pos(rng), rad(rng)};
    bool crossing = true;
    for (int i = 0; i < 3; ++i) {
      const Disc &a = c[i], &b = c[(i + 1) % 3];
      const double d = std::hypot(b.x - a.x, b.y - a.y);
      crossing = crossing && d < a.r + b.r && std::abs(a.r - b.r) < d;
    }
    if (!crossing || test::has_major_arc(c[0], c[1], c[2]) ||
        test::has_major_arc(c[1], c[2], c[0]) || test::has_major_arc(c[2], c[0], c[1])) {
      continue;
    }
    // in[i]: corners of the pair (i+1, i+2) inside circle i.
    int in[3];
    for (int i = 0; i < 3; ++i) in[i] = test::corners_inside(c[(i + 1) % 3], c[(i + 2) % 3], c[i]);
    double area;
    if (in[0] == 1 && in[1] == 1 && in[2] == 1) {
      if (three_arc >= 6) continue;
      const Disc &A = c[0], &B = c[1], &C = c[2];
      std::int32_t f1, f2;
      const PointPair ac = intersection_points(A, C), ab = intersection_points(A, B),
                      bc = intersection_points(B, C);
      INSIDE_CIRCLE(B.x, B.y, B.r, ac, f1, f2);
      const Point T1{ac[f1 ? 0 : 1], ac[f1 ? 2 : 3]};
      INSIDE_CIRCLE(C.x, C.y, C.r, ab, f1, f2);
      const Point T2{ab[f1 ? 0 : 1], ab[f1 ? 2 : 3]};
      INSIDE_CIRCLE(A.x, A.y, A.r, bc, f1, f2);
      const Point T3{bc[f1 ? 0 : 1], bc[f1 ? 2 : 3]};
      OVERLAP3(T1, T2, T3, C.r, A.r, B.r, area);
      ++three_arc;
    } else if (in[0] + in[1] + in[2] == 4) {
      // The missing kind of corner is the pair of the two circles other
      // than the link, so the link is the circle that holds none.
      int empty = 0;
      while (in[empty] != 0) ++empty;
      const Disc &L = c[empty], &X = c[(empty + 1) % 3], &Y = c[(empty + 2) % 3];
      OVERLAP4(intersection_points(X, L), intersection_points(L, Y), L.r, X.r, Y.r, area);
      ++four_arc;
    } else {
      continue;
    }
    const Disc* smallest = &c[0];
    for (const Disc& d : c) if (d.r < smallest->r) smallest = &d;
    const Disc& o1 = smallest == &c[0] ? c[1] : c[0];
    const Disc& o2 = smallest == &c[2] ? c[1] : c[2];
    const double sampled = test::sampled_intersection_area(1500, *smallest, o1, o2);
    const double tolerance =
        std::max(3e-4 * sampled, 1e-4 * std::numbers::pi * smallest->r * smallest->r);
    EXPECT_NEAR(area, sampled, tolerance) << "trial " << trial;
  }
  EXPECT_EQ(four_arc, 12);
  EXPECT_EQ(three_arc, 6);
}

}  // namespace
}  // namespace colloidsim
