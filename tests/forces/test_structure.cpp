// Structural checks of the force laws: forces as derivatives of their
// energies, limits, symmetries and the places where terms switch on and off.
#include <cmath>
#include <limits>

#include "common/constants.h"
#include "forces/acid_base.h"
#include "forces/born.h"
#include "forces/edl.h"
#include "forces/hydrodynamics.h"
#include "forces/vdw.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;

constexpr double AP = 0.5e-6, AG = 2.55e-4, LAMBDAVDW = 1e-7;
constexpr double A11 = 8.6e-20, A22 = 6.5e-20, A33 = 3.7e-20, AC1C1 = 5.0e-20, AC2C2 = 1.2e-19;

// Retarded Hamaker energy -(K/6) f E of two concentric shells with outer
// radii R1, R2 at surface gap d.
double shell_energy(double K, double R1, double R2, double d) {
  const double S = R1 + R2;
  const double f = LAMBDAVDW / (LAMBDAVDW + 11.12 * d);
  const double D1 = d * d + 2.0 * d * S;
  const double D2 = D1 + 4.0 * R1 * R2;
  return -(K / 6.0) * f * (2.0 * R1 * R2 / D1 + 2.0 * R1 * R2 / D2 + std::log(D1 / D2));
}

// Hamaker combination of a particle-side and a collector-side layer step:
// (sqrt(A_outer) - sqrt(A_inner)) for each side.
double step(double outer, double inner) { return std::sqrt(outer) - std::sqrt(inner); }

// Energy of the layered models at gap H: each pair of material steps across
// the particle surface (coating, core) and collector surface.
double layered_energy(int VDWMODE, double T1, double T2, double H) {
  const double p_coat = step(AC1C1, A33), p_core = step(A11, AC1C1), p_bare = step(A11, A33);
  const double c_coat = step(AC2C2, A33), c_core = step(A22, AC2C2), c_bare = step(A22, A33);
  switch (VDWMODE) {
    case 2:
      return shell_energy(p_coat * c_coat, AP, AG, H) +
             shell_energy(p_core * c_coat, AP - T1, AG, H + T1) +
             shell_energy(p_coat * c_core, AP, AG - T2, H + T2) +
             shell_energy(p_core * c_core, AP - T1, AG - T2, H + T1 + T2);
    case 3:
      return shell_energy(p_bare * c_coat, AP, AG, H) +
             shell_energy(p_bare * c_core, AP, AG - T2, H + T2);
    default:
      return shell_energy(p_coat * c_bare, AP, AG, H) +
             shell_energy(p_core * c_bare, AP - T1, AG, H + T1);
  }
}

double layered_force(int VDWMODE, double T1, double T2, double H) {
  double F = 0.0;
  FORCEVDW(0.0, AG, AP, 0.0, 0.0, 0, H, LAMBDAVDW, A11, A22, A33, AC1C1, AC2C2, T1, T2, VDWMODE,
           F);
  return F;
}

// Central difference -dU/dH; step 1e-4 H keeps truncation near 1e-8 and
// cancellation near 1e-12, so 1e-6 separates a right law from a wrong one.
template <class Energy>
double minus_derivative(Energy U, double H) {
  const double dh = 1e-4 * H;
  return -(U(H + dh) - U(H - dh)) / (2.0 * dh);
}

TEST(VanDerWaals, LayeredForceIsMinusDerivativeOfShellEnergy) {
  for (int mode : {2, 3, 4}) {
    for (double H : {2e-9, 1e-8, 6e-8}) {
      const double expected =
          minus_derivative([&](double h) { return layered_energy(mode, 2e-8, 3e-8, h); }, H);
      EXPECT_TRUE(RelNear(layered_force(mode, 2e-8, 3e-8, H), expected, 1e-6))
          << "VDWMODE " << mode << " H " << H;
    }
  }
}

TEST(VanDerWaals, UncoatedLimitsOfCoatedModelsAreOnePair) {
  // Collector coating of zero thickness (mode 3) or particle coating of zero
  // thickness (mode 4): one pair with K = (sqrt A11 - sqrt A33)(sqrt A22 - sqrt A33).
  const double K = step(A11, A33) * step(A22, A33);
  for (double H : {2e-9, 1e-8, 6e-8}) {
    const double one_pair = minus_derivative([&](double h) { return shell_energy(K, AP, AG, h); }, H);
    const double mode3 = layered_force(3, 2e-8, 0.0, H);
    const double mode4 = layered_force(4, 0.0, 3e-8, H);
    EXPECT_TRUE(RelNear(mode3, one_pair, 1e-6)) << H;
    // The two differ only by the single-precision radii of the first pair,
    // about 1e-8 relative.
    EXPECT_TRUE(RelNear(mode4, mode3, 1e-7)) << H;
  }
}

constexpr double ASP = 5e-9;

double edl(double ZETAC, double ZETAP, int RMODE, double H, double NASP = 3.0, double F = 0.0) {
  FORCEEDL(3.3e8, KB, 6.95e-10, 298.15, 1.0, E_CHARGE, ZETAC, ZETAP, AG, AP, ASP, NASP, RMODE, H,
           PI, F);
  return F;
}

TEST(DoubleLayer, SymmetricInTheZetaPotentialsAndOddInEach) {
  for (int RMODE = 0; RMODE <= 3; ++RMODE) {
    for (double H : {-1e-9, 0.0, 2e-9, 2e-8}) {
      const double F = edl(-0.03, -0.012, RMODE, H);
      EXPECT_GT(F, 0.0);
      EXPECT_TRUE(RelNear(edl(-0.012, -0.03, RMODE, H), F, 1e-15));
      EXPECT_TRUE(RelNear(edl(0.03, -0.012, RMODE, H), -F, 1e-15));
      EXPECT_EQ(edl(0.0, -0.012, RMODE, H), 0.0);
    }
  }
  // Far out the force falls below 1e-30 N (about 1e-45 N at 2.5e-7 m, still a
  // normal double) and is flushed to exactly 0.
  EXPECT_GT(std::abs(edl(-0.03, -0.012, 0, 1e-7)), 0.0);
  EXPECT_EQ(edl(-0.03, -0.012, 0, 2.5e-7), 0.0);
}

TEST(Roughness, AsperityTermsSwitchOnExactlyAtTheAsperityRadius) {
  // The asperity count multiplies only the asperity term, so a change with
  // NASP shows that term is on.
  const double above = std::nextafter(ASP, std::numeric_limits<double>::infinity());
  for (int RMODE = 1; RMODE <= 3; ++RMODE) {
    auto vdw = [&](double NASP, double H) {
      double F = 0.0;
      FORCEVDW(1e-20, AG, AP, ASP, NASP, RMODE, H, LAMBDAVDW, 0, 0, 0, 0, 0, 0, 0, 1, F);
      return F;
    };
    auto ab = [&](double NASP, double H) {
      double F = 0.0;
      FORCEAB(PI, AG, AP, ASP, NASP, RMODE, 0.6e-9, -2e-3, H, H0, F);
      return F;
    };
    EXPECT_LT(vdw(3.0, ASP), vdw(0.0, ASP)) << RMODE;
    EXPECT_EQ(vdw(3.0, above), vdw(0.0, above)) << RMODE;
    EXPECT_GT(edl(-0.03, -0.02, RMODE, ASP, 3.0), edl(-0.03, -0.02, RMODE, ASP, 0.0)) << RMODE;
    EXPECT_EQ(edl(-0.03, -0.02, RMODE, above, 3.0), edl(-0.03, -0.02, RMODE, above, 0.0));
    EXPECT_LT(ab(3.0, ASP), 0.0) << RMODE;
    EXPECT_EQ(ab(3.0, above), 0.0) << RMODE;
  }
}

TEST(InvalidModes, LeaveTheOutputAsTheCallerHadIt) {
  const double sentinel = 12345.0;
  double F = sentinel;
  FORCEVDW(1e-20, AG, AP, ASP, 3.0, 4, 1e-8, LAMBDAVDW, A11, A22, A33, AC1C1, AC2C2, 0, 0, 1, F);
  FORCEVDW(1e-20, AG, AP, ASP, 3.0, 0, 1e-8, LAMBDAVDW, A11, A22, A33, AC1C1, AC2C2, 0, 0, 5, F);
  FORCEAB(PI, AG, AP, ASP, 3.0, -1, 0.6e-9, -2e-3, 1e-9, H0, F);
  FORCEBORN(1e-20, BORN_SIGMA, AP, 1e-9, F, A11, A22, A33, AC1C1, AC2C2, 0);
  FORCEVDW(prepare_vdw(1e-20, AG, AP, ASP, 4, LAMBDAVDW, A11, A22, A33, AC1C1, AC2C2, 0, 0, 1),
           3.0, 1e-8, F);
  FORCEAB(prepare_ab(PI, AG, AP, ASP, 7, 0.6e-9, -2e-3, H0), 3.0, 1e-9, F);
  FORCEBORN(prepare_born(1e-20, BORN_SIGMA, AP, A11, A22, A33, AC1C1, AC2C2, 5), 1e-9, F);
  EXPECT_EQ(edl(-0.03, -0.02, 4, 1e-9, 3.0, F), sentinel);
  // The double layer still flushes a tiny value of the caller's.
  EXPECT_EQ(edl(-0.03, -0.02, 4, 1e-9, 3.0, 1e-31), 0.0);
}

TEST(NearWallFunctions, ContactValuesAndFarLimit) {
  // At contact each function is (a + 1) + c of its single-precision
  // coefficients: 0, 3.23, 0.1798, 0.1043 to that rounding.
  EXPECT_LT(std::abs(FUN1(0.0)), 1e-7);
  EXPECT_TRUE(RelNear(FUN2(0.0), 3.23, 1e-7));
  EXPECT_TRUE(RelNear(FUN3(0.0), 0.1798, 1e-6));
  EXPECT_TRUE(RelNear(FUN4(0.0), 0.1043, 1e-6));
  for (double delta : {1e6, 1e8}) {
    double f[4];
    NEAR_WALL_FUNCTIONS(delta, f[0], f[1], f[2], f[3]);
    for (double value : f) EXPECT_TRUE(RelNear(value, 1.0, 1e-12)) << delta;
    EXPECT_EQ(f[0], FUN1(delta));
    EXPECT_EQ(f[1], FUN2(delta));
    EXPECT_EQ(f[2], FUN3(delta));
    EXPECT_EQ(f[3], FUN4(delta));
  }
}

// The slope of FUN1 against central differences of FUN1 itself, from contact
// to beyond the thresholds where the fit's terms stop counting; the four
// functions come out bit for bit as without the slope.
TEST(NearWallFunctions, SlopeOfFUN1MatchesCentralDifferences) {
  for (double delta : {3e-4, 2e-3, 0.01, 0.035, 0.1, 0.4, 1.0, 5.0, 30.0, 60.0, 300.0}) {
    double f[4], g[4], dFUN1 = 0;
    NEAR_WALL_FUNCTIONS(delta, f[0], f[1], f[2], f[3]);
    NEAR_WALL_FUNCTIONS(delta, g[0], g[1], g[2], g[3], dFUN1);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(g[k], f[k]) << "FUN" << k + 1 << " at " << delta;
    // Step h = 1e-4 min(delta, 1): the relative truncation error
    // h^2 f'''/(6 f') stays below 1e-8 (near contact delta^(p-1) is the most
    // curved term, far out exp(-b delta)), the rounding error below
    // 1e-16 / (h f').
    const double h = 1e-4 * std::fmin(delta, 1.0);
    const double central = (FUN1(delta + h) - FUN1(delta - h)) / (2 * h);
    // The normal mobility grows with the gap until both terms of the fit
    // are below its last bit; from there on FUN1 is 1 and its slope 0 (or,
    // with the vector functions, which evaluate every term, below 1e-15).
    if (delta < near_wall_thresholds().FUN1.FIRST) {
      EXPECT_TRUE(RelNear(dFUN1, central, 1e-7)) << delta;
      EXPECT_GT(dFUN1, 0.0) << delta;
    } else {
      EXPECT_EQ(central, 0.0) << delta;
      EXPECT_GE(dFUN1, 0.0) << delta;
      EXPECT_LT(dFUN1, 1e-15) << delta;
    }
  }
}

TEST(Hydrodynamics, ForcesVanishWhereTheirCauseDoes) {
  double FLIFT = 1.0;
  FORCELIFT(998.0, AG + 99.99 * AP, AP, AG, 1e-5, 3e-6, 2.0, FLIFT);
  EXPECT_NE(FLIFT, 0.0);
  FORCELIFT(998.0, AG + 100.01 * AP, AP, AG, 1e-5, 3e-6, 2.0, FLIFT);
  EXPECT_EQ(FLIFT, 0.0);
  FLIFT = 1.0;
  FORCELIFT(998.0, std::nan(""), AP, AG, 1e-5, 3e-6, 2.0, FLIFT);
  EXPECT_EQ(FLIFT, 0.0);
  FORCELIFT(998.0, AG + 2.0 * AP, AP, AG, 0.0, 0.0, 0.0, FLIFT);
  EXPECT_EQ(FLIFT, 0.0);

  double VN, VT, ETX = 1, ETY = 1, ETZ = 1;
  SPLIT_FLUID_VELOCITY(0.0, 0.0, -3e-5, 0.0, 0.0, 1.0, VN, VT, ETX, ETY, ETZ);
  EXPECT_EQ(VN, -3e-5);
  EXPECT_TRUE(VT == 0.0 && ETX == 0.0 && ETY == 0.0 && ETZ == 0.0);

  double FDRGT = 1.0, FDRGN = 0.0;
  FORCEDRAG(1.2, 0.6, 0.7, 8e-9, VN, VT, FDRGT, FDRGN);
  EXPECT_EQ(FDRGT, 0.0);
  EXPECT_LT(FDRGN, 0.0);  // flow onto the collector drags the particle in

  double FG = 1.0;
  GRAVITY(0.0, AP, G_ACCEL, 1050.0, 998.0, PI, FG);
  EXPECT_EQ(FG, 0.0);
  GRAVITY(1.0, AP, G_ACCEL, 998.0, 998.0, PI, FG);
  EXPECT_EQ(FG, 0.0);

  // Gravity along -z on the upstream pole pushes the particle onto the
  // collector; with no tangent there is no tangential part.
  GRAVITY(1.0, AP, G_ACCEL, 1050.0, 998.0, PI, FG);
  double g[8];
  GRAVVECT(FG, 0.0, 0.0, -1.0, 0.0, 0.0, 1.0, ETX, ETY, ETZ, g[0], g[1], g[2], g[3], g[4], g[5],
           g[6], g[7]);
  EXPECT_EQ(g[0], -FG);
  EXPECT_EQ(g[4], -FG);
  EXPECT_EQ(g[1], 0.0);
  for (int i = 5; i < 8; ++i) EXPECT_EQ(g[i], 0.0);
}

}  // namespace
}  // namespace colloidsim
