// Shortcuts in the force laws that skip a library call where its result
// cannot change the outcome: each is compared bit for bit against the full
// formula, at its threshold, one rounding either side of it, and far beyond.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "common/constants.h"
#include "common/numeric.h"
#include "forces/edl.h"
#include "forces/hydrodynamics.h"

namespace colloidsim {
namespace {

bool same_bits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// (a exp(-(b delta)) + 1) + c exp(-(q delta^p)) with every call made, from the
// table of single-precision fit coefficients.
struct Fit {
  double a, b, c, q, p;
  double full(double delta) const {
    return (a * std::exp(-(b * delta)) + 1.0) + c * std::exp(-(q * std::pow(delta, p)));
  }
};
constexpr Fit FITS[4] = {
    {sp(-0.399f), sp(0.1487f), sp(-0.601f), sp(1.202f), sp(0.9267f)},
    {sp(1.355f), sp(1.36f), 0.875, sp(0.525f), sp(0.5695f)},
    {sp(-0.143f), sp(1.472f), sp(-0.6772f), sp(2.765f), sp(0.2803f)},
    {sp(-0.3015f), sp(0.9006f), sp(-0.5942f), sp(1.292f), sp(0.2607f)},
};

double shortcut(int k, double delta) {
  double f[4];
  NEAR_WALL_FUNCTIONS(delta, f[0], f[1], f[2], f[3]);
  const double single[4] = {FUN1(delta), FUN2(delta), FUN3(delta), FUN4(delta)};
  EXPECT_TRUE(same_bits(f[k], single[k])) << "FUN" << k + 1 << " at " << delta;
  return f[k];
}

TEST(NearWallThresholds, LieWhereTheTermsFallBelowTheLastBitOfTheSum) {
  const NearWallThresholds& t = near_wall_thresholds();
  const NearWallThresholds::Fit by_fit[4] = {t.FUN1, t.FUN2, t.FUN3, t.FUN4};
  for (int k = 0; k < 4; ++k) {
    const Fit& f = FITS[k];
    // At the threshold each term is 2^-56: small enough to leave the sum as
    // it is, and not so small that savings are lost.
    const double first = std::fabs(f.a) * std::exp(-(f.b * by_fit[k].FIRST));
    const double second = std::fabs(f.c) * std::exp(-(f.q * std::pow(by_fit[k].SECOND, f.p)));
    for (double term : {first, second}) {
      EXPECT_LT(term, 0x1p-55) << "FUN" << k + 1;
      EXPECT_GT(term, 0x1p-57) << "FUN" << k + 1;
    }
  }
  // The terms that the gaps of a run reach (a few to a few hundred particle
  // radii) end between 25 and 42 particle radii.
  EXPECT_NEAR(t.FUN1.SECOND, 41.9, 0.1);
  EXPECT_NEAR(t.FUN2.FIRST, 28.8, 0.1);
  EXPECT_NEAR(t.FUN3.FIRST, 25.0, 0.1);
  EXPECT_NEAR(t.FUN4.FIRST, 41.8, 0.1);
}

TEST(NearWallThresholds, FunctionsAreBitForBitTheFullFormula) {
#if COLLOIDSIM_SLEEF
  GTEST_SKIP() << "built with SLEEF: the near-wall functions are its vector functions";
#endif
  const NearWallThresholds& t = near_wall_thresholds();
  const NearWallThresholds::Fit by_fit[4] = {t.FUN1, t.FUN2, t.FUN3, t.FUN4};
  for (int k = 0; k < 4; ++k) {
    std::vector<double> gaps;
    // Each threshold, 4096 roundings either side of it, and relative steps
    // out to a factor of two.
    for (double threshold : {by_fit[k].FIRST, by_fit[k].SECOND}) {
      double below = threshold, above = threshold;
      gaps.push_back(threshold);
      for (int n = 0; n < 4096; ++n) {
        below = std::nextafter(below, 0.0);
        above = std::nextafter(above, HUGE_VAL);
        gaps.push_back(below);
        gaps.push_back(above);
      }
      for (double e = 1e-15; e < 1.0; e *= 1.5) {
        gaps.push_back(threshold * (1 - e));
        gaps.push_back(threshold * (1 + e));
      }
    }
    // The whole range of gaps, geometrically: 1e-6 to 1e7 particle radii.
    for (double delta = 1e-6; delta < 1e7; delta *= 1.0001) gaps.push_back(delta);
    for (double delta : gaps) {
      ASSERT_TRUE(same_bits(shortcut(k, delta), FITS[k].full(delta)))
          << "FUN" << k + 1 << " at " << delta;
    }
  }
}

#if COLLOIDSIM_SLEEF
// SLEEF's exp and pow are within an ulp of the true values, as the C
// library's are: the functions agree to a few roundings, and more loosely
// only near contact, where FUN1 is a small difference of order-one terms.
TEST(NearWallFunctions, SleefAgreesWithTheLibraryToItsLastDigits) {
  for (int k = 0; k < 4; ++k) {
    for (double delta = 1e-6; delta < 1e7; delta *= 1.001) {
      const double full = FITS[k].full(delta);
      const double tolerance = std::fabs(full) < 0.05 ? 1e-12 : 1e-14;
      ASSERT_NEAR(shortcut(k, delta), full, tolerance * std::fabs(full))
          << "FUN" << k + 1 << " at " << delta;
    }
  }
}
#endif

TEST(NearWallThresholds, EdgesOfTheDomain) {
  const double inf = std::numeric_limits<double>::infinity();
  for (int k = 0; k < 4; ++k) {
    for (double delta : {0.0, -0.0, 1e-300, std::numeric_limits<double>::denorm_min(),
                         std::numeric_limits<double>::max(), inf, -inf}) {
      EXPECT_TRUE(same_bits(shortcut(k, delta), FITS[k].full(delta)))
          << "FUN" << k + 1 << " at " << delta;
    }
    // A negative or undefined gap gives what the full formula gives: NaN.
    for (double delta : {-1.0, -1e-300, std::nan("")}) {
      EXPECT_TRUE(std::isnan(shortcut(k, delta)) && std::isnan(FITS[k].full(delta)))
          << "FUN" << k + 1 << " at " << delta;
    }
  }
}

// Exponents around x0: x0 itself, 4096 roundings either side, relative steps
// out to a factor of two.
std::vector<double> around(double x0) {
  std::vector<double> xs{x0};
  double below = x0, above = x0;
  for (int n = 0; n < 4096; ++n) {
    below = std::nextafter(below, -HUGE_VAL);
    above = std::nextafter(above, HUGE_VAL);
    xs.push_back(below);
    xs.push_back(above);
  }
  for (double e = 1e-15; e < 1.0; e *= 1.5) {
    xs.push_back(x0 - e * std::fabs(x0));
    xs.push_back(x0 + e * std::fabs(x0));
  }
  return xs;
}

TEST(DoubleLayerFlush, BelowTheExponentTheForceIsFlushedWhateverExpGives) {
  const double FLUSH = sp(1e-30f);
  // Prefactors of real runs (1e-12 to 1e-9 N), one whose flush exponent
  // lies where exp returns subnormals, negative ones, and the edges.
  for (double P : {3.1e-11, -2.7e-12, 8.8e-10, 1e290, -1e300, 1e-30, 1e-300}) {
    const double x0 = edl_zero_below(P);
    ASSERT_LT(x0, 700.0);
    for (double x : around(x0)) {
      if (!(x < x0)) continue;
      // Smooth surfaces alone, and the fraction left between asperities.
      const double force = P * std::exp(x);
      EXPECT_LT(std::fabs(force), FLUSH) << "P " << P << " x " << x;
      EXPECT_LT(std::fabs((1.0 - 0.25 * sp(3.1415927f)) * force), FLUSH) << "P " << P << " x " << x;
    }
  }
  EXPECT_EQ(edl_zero_below(0.0), 700.0);
  EXPECT_EQ(edl_zero_below(std::numeric_limits<double>::infinity()), -HUGE_VAL);
  EXPECT_EQ(edl_zero_below(std::nan("")), -HUGE_VAL);
}

TEST(DoubleLayerFlush, PreparedForceIsBitForBitTheFullFormulaAroundTheFlush) {
  const double KAPPA = 3.29e8, ERE0 = 6.95e-10, T = 298.15, ZI = 1.0;
  const double AP = 0.5e-6, AG = 2.55e-4, ASP = 1e-8;
  for (int RMODE = 0; RMODE <= 3; ++RMODE) {
    for (double ZETA : {-0.03, 0.002, 0.06}) {
      const EdlPrepared prepared = prepare_edl(KAPPA, KB, ERE0, T, ZI, E_CHARGE, -0.04, ZETA, AG,
                                               AP, ASP, RMODE, PI);
      // The gap at which the smooth surfaces' exponent reaches the flush
      // exponent, and the gaps around it; then every gap out to 10 um.
      const double offset = prepared.ROUGHNESS.OFFSET;
      std::vector<double> H;
      for (double x : around(prepared.ZERO_BELOW)) H.push_back(-x / KAPPA - offset);
      for (double h = 1e-10; h < 1e-5; h *= 1.001) H.push_back(h);
      for (double NASP : {0.0, 2.5}) {
        for (double h : H) {
          double full = 0.0, shortcut = 0.0;
          FORCEEDL(KAPPA, KB, ERE0, T, ZI, E_CHARGE, -0.04, ZETA, AG, AP, ASP, NASP, RMODE, h, PI,
                   full);
          FORCEEDL(prepared, NASP, h, shortcut);
          ASSERT_TRUE(same_bits(full, shortcut))
              << "RMODE " << RMODE << " ZETAP " << ZETA << " H " << h << ": " << full << " / "
              << shortcut;
        }
      }
    }
  }
}

}  // namespace
}  // namespace colloidsim
