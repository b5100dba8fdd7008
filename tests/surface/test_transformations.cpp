#include "surface/transformations.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "common/constants.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;

constexpr double AG = 1e-4;
// Holding pi in single precision turns the frame by up to 5.6e-8 rad about
// the normal and tilts it by as much (largest deviation over a grid of
// angles, from the reference script); geometric checks allow 1e-7.
constexpr double FRAME_TOLERANCE = 1e-7;

double entry(const RotationMatrix& R, int i, int j) {
  return R[static_cast<std::size_t>(i + 3 * j)];
}

// The particle directions used by the frame checks.
const std::vector<std::array<double, 2>> ANGLES = {  // PHI, THETA
    {0.0, 0.0}, {0.3, 1.1}, {4.0, 2.5}, {1.0, PI}, {2.2, 0.4}, {5.9, 1.5707963}, {3.3, 3.0}};

std::array<double, 3> normal(double PHI, double THETA) {
  return {std::sin(THETA) * std::cos(PHI), std::sin(THETA) * std::sin(PHI), std::cos(THETA)};
}

std::array<double, 3> to_local(double PHI, double THETA, const std::array<double, 3>& G,
                               const std::array<double, 3>& p) {
  std::array<double, 3> q{};
  TRANSFORMATION(G[0], G[1], G[2], PHI, THETA, 1, p, q);
  return q;
}

TEST(Rotation, MatchesReferenceMatrix) {
  // Rows of R for PHI = 4, THETA = 2.5 from
  // tests/surface/reference/surface_geometry.py.
  const double rows[9] = {0.23046144902605992,   -0.89098813500030305, 0.39118750465919844,
                          -0.89098814606393062,  -0.031605064572993724, 0.45292520736529612,
                          -0.3911874794601285,   -0.45292522912950922, -0.80114361554693359};
  RotationMatrix R;
  ROTATION(4.0, 2.5, R);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      EXPECT_TRUE(RelNear(entry(R, i, j), rows[3 * i + j], 1e-14)) << i << "," << j;
    }
  }
}

TEST(Rotation, AgreesWithTheAxisAngleForm) {
  // The rotation by THETA about (sin PHI, -cos PHI, 0), written out.
  for (const auto& [PHI, THETA] : ANGLES) {
    SCOPED_TRACE(::testing::Message() << "PHI " << PHI << " THETA " << THETA);
    const double c = std::cos(THETA), s = std::sin(THETA);
    const double cp = std::cos(PHI), sp = std::sin(PHI);
    const double closed[3][3] = {{1 - (1 - c) * cp * cp, -(1 - c) * sp * cp, -s * cp},
                                 {-(1 - c) * sp * cp, 1 - (1 - c) * sp * sp, -s * sp},
                                 {s * cp, s * sp, c}};
    RotationMatrix R;
    ROTATION(PHI, THETA, R);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        EXPECT_NEAR(entry(R, i, j), closed[i][j], FRAME_TOLERANCE) << i << "," << j;
      }
    }
  }
}

TEST(Transformation, CollectorGeometryInTheLocalFrame) {
  // G goes to the origin and the collector centre to (0, 0, -AG); a surface
  // point at angular distance d from G lies at local height -AG (1 - cos d)
  // and in-plane distance AG sin d.
  for (const auto& [PHI, THETA] : ANGLES) {
    SCOPED_TRACE(::testing::Message() << "PHI " << PHI << " THETA " << THETA);
    const auto n = normal(PHI, THETA);
    const std::array<double, 3> G = {AG * n[0], AG * n[1], AG * n[2]};
    EXPECT_EQ(to_local(PHI, THETA, G, G), (std::array<double, 3>{0, 0, 0}));
    const auto centre = to_local(PHI, THETA, G, {0, 0, 0});
    EXPECT_NEAR(std::hypot(centre[0], centre[1]) / AG, 0, FRAME_TOLERANCE);
    EXPECT_TRUE(RelNear(centre[2], -AG, 1e-12));
    const std::array<double, 3> e1 = {std::cos(THETA) * std::cos(PHI),
                                      std::cos(THETA) * std::sin(PHI), -std::sin(THETA)};
    const std::array<double, 3> e2 = {-std::sin(PHI), std::cos(PHI), 0};
    for (const double d : {0.001, 0.3}) {
      for (const double direction : {0.0, 2.5, 4.4}) {
        std::array<double, 3> p{};
        for (int k = 0; k < 3; ++k) {
          const double tangent = std::cos(direction) * e1[k] + std::sin(direction) * e2[k];
          p[k] = AG * (std::cos(d) * n[k] + std::sin(d) * tangent);
        }
        const auto q = to_local(PHI, THETA, G, p);
        const double scale = AG * std::sin(d);
        SCOPED_TRACE(::testing::Message() << "d " << d << " direction " << direction);
        EXPECT_NEAR(q[2], -AG * (1 - std::cos(d)), FRAME_TOLERANCE * scale);
        EXPECT_TRUE(RelNear(std::hypot(q[0], q[1]), scale, FRAME_TOLERANCE));
      }
    }
  }
}

TEST(Transformation, MatchesReferencePointAndWorksInPlace) {
  // Local coordinates from tests/surface/reference/surface_geometry.py.
  const std::array<double, 3> G = {2e-5, -3e-5, 4e-5};
  const auto q = to_local(4.0, 2.5, G, {1e-5, 2e-5, -3e-5});
  const double expected[3] = {-7.4237146566419646e-05, -2.437513628358111e-05,
                              3.7345666426411183e-05};
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(RelNear(q[k], expected[k], 1e-14)) << k;

  // Two rows, column-major, transformed into a separate matrix and in place.
  const std::array<double, 6> P = {1e-5, 3e-5, 2e-5, -1e-5, -3e-5, 5e-5};
  std::array<double, 6> Q{};
  TRANSFORMATION(G[0], G[1], G[2], 4.0, 2.5, 2, P, Q);
  std::array<double, 6> same = P;
  TRANSFORMATION(G[0], G[1], G[2], 4.0, 2.5, 2, same, same);
  EXPECT_EQ(same, Q);
  EXPECT_EQ(Q[0], q[0]);
  EXPECT_EQ(Q[2], q[1]);
  EXPECT_EQ(Q[4], q[2]);
}

TEST(HetcTransformation, WritesAllEntriesAndCopiesRadii) {
  HetTable XHET{}, YHET{}, ZHET{}, RHET{};
  for (int i = 0; i < 5; ++i) {
    XHET[i] = 1e-6 * (i + 1);
    YHET[i] = -2e-6 * i;
    ZHET[i] = AG - 1e-7 * i;
    RHET[i] = 1e-7 * (i + 1);
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  HetTable XHET_T, YHET_T, ZHET_T, RHET_T;
  for (HetTable* t : {&XHET_T, &YHET_T, &ZHET_T, &RHET_T}) t->fill(nan);
  const auto n = normal(0.5, 0.01);
  const std::array<double, 3> G = {AG * n[0], AG * n[1], AG * n[2]};
  HETC_TRANSFORMATION(G[0], G[1], G[2], XHET, YHET, ZHET, RHET, 5, 0.01, 0.5, XHET_T, YHET_T,
                      ZHET_T, RHET_T);
  for (int i = 0; i < HET_TABLE_SIZE; ++i) {
    SCOPED_TRACE(i);
    const auto expected = to_local(0.5, 0.01, G, {XHET[i], YHET[i], ZHET[i]});
    EXPECT_EQ(XHET_T[i], expected[0]);
    EXPECT_EQ(YHET_T[i], expected[1]);
    EXPECT_EQ(ZHET_T[i], expected[2]);
    EXPECT_EQ(RHET_T[i], RHET[i]);
  }
  // An unfilled entry is the collector centre, at (0, 0, -AG) to rounding.
  EXPECT_TRUE(RelNear(ZHET_T[99], -AG, 1e-12));
}

TEST(ProjectionMatrix, PacksNonEmptyRowsInIndexOrder) {
  constexpr std::size_t SIZE = 1000000;
  std::vector<double> XPRO(SIZE), YPRO(SIZE), ZPRO(SIZE), RPRO(SIZE);
  // 1-based indices 999999, 7 and 300000, written out of order.
  const std::size_t filled[3] = {999998, 6, 299999};
  const double radius[3] = {1e-8, 2e-8, 3e-8};
  for (std::size_t k = 0; k < 3; ++k) {
    const std::size_t i = filled[k];
    XPRO[i] = 1.0 + k;
    YPRO[i] = 10.0 + k;
    ZPRO[i] = -1e-6;
    RPRO[i] = radius[k];
  }
  std::vector<double> MPRO(3 * 4, -1);
  PROJECTION_MATRIX(3, XPRO, YPRO, ZPRO, RPRO, MPRO);
  // Rows: index 7 (k = 1), 300000 (k = 2), 999999 (k = 0); columns x, y, z, r.
  const std::vector<double> expected = {2, 3, 1, 11, 12, 10, -1e-6, -1e-6, -1e-6, 2e-8, 3e-8, 1e-8};
  EXPECT_EQ(MPRO, expected);
}

TEST(MproTransformation, KeepsInPlaneCoordinatesAndRadius) {
  // Particle at (5e-5, 6e-5, -7e-5) over a collector of radius 1e-4, with the
  // angles and projection point the run computes; reference rows from
  // tests/surface/reference/surface_geometry.py. In exact arithmetic local x
  // and y are those of the MPRO row; the frame's tilt moves them by the
  // particle's height above G times about 1e-7.
  const double X = 5e-5, Y = 6e-5, Z = -7e-5;
  const double THETA = 2.3015402627835932, PHI = 0.87605805059819331;
  const double XG = 4.7673129462279624e-05, YG = 5.720775535473555e-05,
               ZG = -6.6742381247191469e-05;
  const double height = std::sqrt(X * X + Y * Y + Z * Z) - AG;
  // Rows (column-major): the particle centre and an off-centre point.
  const std::vector<double> MPRO = {0, 3e-8, 0, -4e-8, 0, -5e-7, 2e-8, 2e-8};
  std::vector<double> MPRO_T(2 * 3, -1);
  MPRO_TRANSFORMATION(X, Y, Z, XG, YG, ZG, THETA, PHI, 2, MPRO, MPRO_T);
  const double expected[6] = {1.2205289468549495e-13, 3.0000122052893339e-08,
                              -1.0171074708884649e-13, -4.0000101710748188e-08, 2e-08, 2e-08};
  for (int k = 0; k < 6; ++k) EXPECT_TRUE(RelNear(MPRO_T[k], expected[k], 1e-12)) << k;
  for (int row = 0; row < 2; ++row) {
    EXPECT_NEAR(MPRO_T[row], MPRO[row], FRAME_TOLERANCE * height);
    EXPECT_NEAR(MPRO_T[row + 2], MPRO[row + 2], FRAME_TOLERANCE * height);
    EXPECT_EQ(MPRO_T[row + 4], MPRO[row + 6]);
  }
}

}  // namespace
}  // namespace colloidsim
