#include <gtest/gtest.h>

#include <cmath>

#include "analysis/correlations.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;

TEST(Correlations, MatchHandComputedValuesForTwoParameterSets) {
  // tests/analysis/reference/profile_reference.py ("correlations"), with
  // pi, kB and g the program's single-precision constants.
  struct Case {
    CorrelationInputs in;
    double As, NR, NPe, NvdW, NA, NG, NLo, D, te, rt;
  };
  const Case cases[] = {
      {{0.5e-6, 2.55e-4, 0.37, 4.0e-6, 9.98e-4, 298.15, 1.0e-20, 1055.0, 998.0},
       45.954723637430497, 0.0019607843137254902, 4661.3717021699958, 2.4293041224420611,
       0.26578981072646241, 0.0077791563574281944, 0.35438641430194989, 4.3763941825328461e-13,
       0.040857176521816883, 0.057221371633567261},
      {{1.0e-6, 2.0e-4, 0.40, 1.0e-5, 1.002e-3, 293.15, 3.0e-21, 1050.0, 998.2},
       37.979096123930873, 0.0049999999999999992, 18666.188633657352, 0.74122158359826085,
       0.0079418632067368086, 0.011266011940081954, 0.010589150942315747, 2.142912020500814e-13,
       0.017686413053984024, 0.02505942417523924},
  };
  for (const Case& c : cases) {
    const DimensionlessNumbers n = dimensionless_numbers(c.in);
    EXPECT_TRUE(RelNear(n.As, c.As, 1e-12));
    EXPECT_TRUE(RelNear(n.NR, c.NR, 1e-12));
    EXPECT_TRUE(RelNear(n.NPe, c.NPe, 1e-12));
    EXPECT_TRUE(RelNear(n.NvdW, c.NvdW, 1e-12));
    EXPECT_TRUE(RelNear(n.NA, c.NA, 1e-12));
    EXPECT_TRUE(RelNear(n.NG, c.NG, 1e-12));
    EXPECT_TRUE(RelNear(n.NLo, c.NLo, 1e-12));
    EXPECT_TRUE(RelNear(n.D, c.D, 1e-12));
    EXPECT_TRUE(RelNear(eta0_tufenkji_elimelech(n), c.te, 1e-12));
    EXPECT_TRUE(RelNear(eta0_rajagopalan_tien(n), c.rt, 1e-12));
  }
}

TEST(Correlations, UndefinedWithoutFlowOrWithRepulsiveHamakerConstant) {
  CorrelationInputs in{0.5e-6, 2.55e-4, 0.37, 4.0e-6, 9.98e-4, 298.15, 1.0e-20, 1055.0, 998.0};
  for (const auto& change : {+[](CorrelationInputs& x) { x.VSUP = 0; },
                             +[](CorrelationInputs& x) { x.A = -1e-20; }}) {
    CorrelationInputs bad = in;
    change(bad);
    const DimensionlessNumbers n = dimensionless_numbers(bad);
    EXPECT_TRUE(std::isnan(eta0_tufenkji_elimelech(n)));
    EXPECT_TRUE(std::isnan(eta0_rajagopalan_tien(n)));
  }
}

TEST(Correlations, CoatedModelsUseTheOuterMaterialsConstant) {
  RunParameters p;
  p.A11 = 6.6e-20; p.AC1C1 = 5e-20; p.A22 = 6.5e-20; p.AC2C2 = 4e-20; p.A33 = 3.7e-20;
  p.A132 = 1e-20;
  const double s33 = std::sqrt(3.7e-20);
  const double expected[] = {1e-20, (std::sqrt(5e-20) - s33) * (std::sqrt(4e-20) - s33),
                             (std::sqrt(6.6e-20) - s33) * (std::sqrt(4e-20) - s33),
                             (std::sqrt(5e-20) - s33) * (std::sqrt(6.5e-20) - s33)};
  for (int mode = 1; mode <= 4; ++mode) {
    p.VDWMODE = mode;
    EXPECT_TRUE(RelNear(correlation_inputs(p).A, expected[mode - 1], 1e-12)) << "VDWMODE " << mode;
  }
}

}  // namespace
}  // namespace colloidsim
