#include "forces/happel.h"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;

constexpr double AG = 2.55e-4;
constexpr double POROSITY = 0.37;

struct Velocity {
  double x, y, z;
};

Velocity happel(const HappelConstants& c, double X, double Y, double Z, double B) {
  Velocity v{};
  HAPPELFF(X, Y, Z, AG, B, c.K1, c.K2, c.K3, c.K4, v.x, v.y, v.z);
  return v;
}

TEST(Happel, ConstantsMatchAnIndependentEvaluation) {
  // Python, plain floats: RB = AG / (1 - 0.37) ** float32(1/3), gamma = AG/RB,
  // W = ((2 - 3 g) + 3 g^5) - 2 g^6, K1 = 1/W, K2 = -(2 g^5 + 3)/W,
  // K3 = (3 g^5 + 2)/W, K4 = -g^5/W.
  const HappelConstants c = happel_constants(POROSITY, AG);
  EXPECT_TRUE(RelNear(c.RB, 0.0002974586933947693, 1e-15));
  EXPECT_TRUE(RelNear(c.K1, 42.787241026961325, 1e-13));
  EXPECT_TRUE(RelNear(c.K2, -167.98148410607732, 1e-13));
  EXPECT_TRUE(RelNear(c.K3, 145.00412359171264, 1e-13));
  EXPECT_TRUE(RelNear(c.K4, -19.809880512596663, 1e-13));
}

TEST(Happel, VelocityAtAGeneralPointMatchesTheSphericalForm) {
  // Python: v = -F(t) cos(theta) e_r + G(s) sin(theta) e_theta with theta and
  // phi from acos and atan2, converted with the spherical unit vectors.
  const HappelConstants c = happel_constants(POROSITY, AG);
  const Velocity noslip = happel(c, 1.1e-4, -0.7e-4, 2.0e-4, 0.0);
  EXPECT_TRUE(RelNear(noslip.x, -2.260871499252326, 1e-12));
  EXPECT_TRUE(RelNear(noslip.y, 1.438736408615116, 1e-12));
  EXPECT_TRUE(RelNear(noslip.z, 1.3910345680826037, 1e-12));
  const Velocity slip = happel(c, 1.1e-4, -0.7e-4, 2.0e-4, 2e-6);
  EXPECT_TRUE(RelNear(slip.x, -1.9500864587977855, 1e-12));
  EXPECT_TRUE(RelNear(slip.y, 1.240964110144045, 1e-12));
  EXPECT_TRUE(RelNear(slip.z, 1.1508824913677318, 1e-12));
}

TEST(Happel, CollectorSurfaceWithAndWithoutSlip) {
  const HappelConstants c = happel_constants(POROSITY, AG);
  const double B = 1e-6;
  for (double theta : {0.3, 1.0, 1.5707963267948966, 2.2, 3.0}) {
    const double X = AG * std::sin(theta) * std::cos(0.7);
    const double Y = AG * std::sin(theta) * std::sin(0.7);
    const double Z = AG * std::cos(theta);
    // No slip: the fluid sticks to the collector (the constants sum to zero).
    const Velocity v = happel(c, X, Y, Z, 0.0);
    EXPECT_LT(std::hypot(v.x, v.y, v.z), 1e-12) << theta;

    // Slip: no flow through the surface, but a tangential slip velocity
    // G((AG + B)/AG) sin(theta).
    const Velocity w = happel(c, X, Y, Z, B);
    const double radial = (w.x * X + w.y * Y + w.z * Z) / AG;
    const double s = (AG + B) / AG;
    const double G = -c.K1 / (2 * s * s * s) + c.K2 / (2 * s) + c.K3 + 2 * c.K4 * s * s;
    EXPECT_LT(std::fabs(radial), 1e-12 * std::fabs(G)) << theta;
    EXPECT_TRUE(RelNear(std::hypot(w.x, w.y, w.z), std::fabs(G * std::sin(theta)), 1e-12)) << theta;
  }
}

TEST(Happel, AxisEquatorAndCellBoundary) {
  const HappelConstants c = happel_constants(POROSITY, AG);
  const auto F = [&](double t) { return c.K1 / (t * t * t) + c.K2 / t + c.K3 + c.K4 * t * t; };
  const auto G = [&](double s) {
    return -c.K1 / (2 * s * s * s) + c.K2 / (2 * s) + c.K3 + 2 * c.K4 * s * s;
  };
  for (double z : {2.7e-4, -2.8e-4}) {
    const Velocity v = happel(c, 0.0, 0.0, z, 1e-6);
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, 0.0);
    EXPECT_TRUE(RelNear(v.z, -F(std::fabs(z) / AG), 1e-13));
  }
  const Velocity e = happel(c, 1.9e-4, 1.8e-4, 0.0, 1e-6);
  EXPECT_EQ(e.x, 0.0);
  EXPECT_EQ(e.y, 0.0);
  EXPECT_TRUE(RelNear(e.z, -G((std::hypot(1.9e-4, 1.8e-4) + 1e-6) / AG), 1e-13));
  // On the axis at the cell boundary the radial velocity equals the approach flow.
  for (double z : {c.RB, -c.RB}) {
    EXPECT_TRUE(RelNear(happel(c, 0.0, 0.0, z, 0.0).z, -1.0, 1e-12));
  }
}

TEST(Happel, NoSlipFieldIsDivergenceFree) {
  // Central differences of each component; the truncation error of the
  // differences is far below the scale |v| / r of the derivatives.
  const HappelConstants c = happel_constants(POROSITY, AG);
  const double h = 1e-9;
  for (const Velocity& p : {Velocity{1.1e-4, -0.7e-4, 2.0e-4}, Velocity{2.6e-4, 0.1e-4, -0.3e-4},
                            Velocity{-0.5e-4, 1.5e-4, 2.1e-4}, Velocity{0.2e-4, 0.2e-4, -2.7e-4}}) {
    const double dvx = (happel(c, p.x + h, p.y, p.z, 0).x - happel(c, p.x - h, p.y, p.z, 0).x) / (2 * h);
    const double dvy = (happel(c, p.x, p.y + h, p.z, 0).y - happel(c, p.x, p.y - h, p.z, 0).y) / (2 * h);
    const double dvz = (happel(c, p.x, p.y, p.z + h, 0).z - happel(c, p.x, p.y, p.z - h, 0).z) / (2 * h);
    const double scale = std::fabs(dvx) + std::fabs(dvy) + std::fabs(dvz);
    EXPECT_LT(std::fabs(dvx + dvy + dvz), 1e-6 * scale) << p.x << " " << p.y << " " << p.z;
  }
}

}  // namespace
}  // namespace colloidsim
