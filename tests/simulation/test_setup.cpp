#include "simulation/setup.h"

#include <cmath>

#include <gtest/gtest.h>

#include "common/constants.h"
#include "common/input_error.h"
#include "io/parameter_file.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;
using testing::source_path;

RunParameters favorable() {
  return read_parameter_file(source_path("examples/favorable/INPUT.IN")).parameters;
}

TEST(Setup, ContactBoundAndPrimaryMinimumMatchAnIndependentScan) {
  // tests/simulation/reference/setup_scans.py: the same grid walked with the force
  // laws written out again in Python.
  RunParameters p = favorable();
  RunConstants c = derive_run_constants(p);
  EXPECT_EQ(c.HCUT, 5.000000006041838e-10);
  EXPECT_EQ(c.HMIN, 2.7900000148725623e-10);

  // Attractive acid-base and repulsive steric forces on, like-charged surfaces.
  p = favorable();
  p.GAMMA0AB = -2.0e-3;
  p.GAMMA0STE = 1.0e-4;
  p.ZETAPST = 0.030;
  p.ZETACST = 0.040;
  c = derive_run_constants(p);
  EXPECT_EQ(c.HCUT, 9.368999965165409e-09);
  EXPECT_EQ(c.HMIN, 2.6700000153520587e-10);
}

TEST(Setup, NoShortRangeForceAboveItsThresholdLeavesTheContactBoundAtH0) {
  RunParameters p = favorable();
  p.A132 = 0;  // no Born repulsion; acid-base and steric are off in the example
  const RunConstants c = derive_run_constants(p);
  EXPECT_EQ(c.HCUT, H0);
  // Only the attractive double layer is left: the first grid point is already net attractive.
  EXPECT_EQ(c.HMIN, H0);
}

TEST(Setup, ColloidalForcesWithoutAttractionStopTheRunWithAClearError) {
  RunParameters p = favorable();
  p.LAMBDAVDW = 0;  // no van der Waals attraction at all
  p.ZETAPST = 0.030;  // repulsive double layer
  try {
    derive_run_constants(p);
    FAIL() << "the primary-minimum scan ran without end";
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("no primary minimum within 1 micrometre"), std::string::npos)
        << e.what();
  }
}

TEST(Setup, NoAdhesionMeansNoContactRadius) {
  RunParameters p = favorable();
  p.W132 = 2.0e-3;  // a positive work of adhesion is taken as 0
  const RunConstants c = derive_run_constants(p);
  EXPECT_EQ(p.W132, 0.0);
  EXPECT_EQ(c.ACONTMAX, 0.0);
  EXPECT_EQ(c.DEFMAX, 0.0);
  EXPECT_TRUE(RelNear(c.ASTE, std::sqrt(2 * p.LAMBDASTE * 2 * p.AP), 1e-15));
}

TEST(Setup, DerivedConstants) {
  for (double IS : {0.1, 1.0, 10.0, 100.0}) {
    RunParameters p = favorable();
    p.IS = IS;
    const RunConstants c = derive_run_constants(p);
    EXPECT_TRUE(RelNear(c.RZOIBULK * c.RZOIBULK, 4 * p.AP / c.KAPPA, 1e-15)) << IS;
    // Debye length 0.304 nm / sqrt(IS in mol/L) for a 1:1 electrolyte at 25 C.
    EXPECT_TRUE(RelNear(1 / c.KAPPA, 0.304e-9 / std::sqrt(IS / 1000), 0.01)) << IS;
  }
  RunParameters p = favorable();
  p.CBGRAV = 3;
  RunConstants c = derive_run_constants(p);
  EXPECT_EQ(c.EGX, -1.0);
  EXPECT_EQ(c.EGY, 0.0);
  EXPECT_EQ(c.EGZ, 0.0);
  // The coated models use the single-material constants: A132 is dropped.
  p = favorable();
  p.VDWMODE = 3;
  c = derive_run_constants(p);
  EXPECT_EQ(p.A132, 0.0);
  // Momentum relaxation time m / (6 pi mu a) = 2 a^2 rho / (9 mu).
  EXPECT_TRUE(RelNear(c.DTMRT, 2 * p.AP * p.AP * p.RHOP / (9 * p.VISC), 1e-6));
}

}  // namespace
}  // namespace colloidsim
