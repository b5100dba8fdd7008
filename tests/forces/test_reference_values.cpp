// Force laws against values worked out independently of this code: every
// expected value below is printed by tests/forces/reference/force_laws.py,
// which evaluates the model's formulas with plain Python doubles and
// struct-packing for the single-precision values. The inputs here are the
// script's inputs; change both together.
#include <array>
#include <string>

#include "common/constants.h"
#include "forces/acid_base.h"
#include "forces/born.h"
#include "forces/edl.h"
#include "forces/hydrodynamics.h"
#include "forces/steric.h"
#include "forces/vdw.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;

constexpr double TOL = 1e-12;
constexpr double AP = 0.5e-6, AG = 2.55e-4, ASP = 5e-9, NASP = 3.0;
constexpr double A11 = 8.6e-20, A22 = 6.5e-20, A33 = 3.7e-20, AC1C1 = 5.0e-20, AC2C2 = 1.2e-19;

// One law at one mode as a function of the gap (or of the reduced gap for
// the near-wall functions).
double law(const std::string& name, int mode, double x) {
  double F = 0.0;
  if (name == "vdw") {  // mode = 10 VDWMODE + RMODE
    FORCEVDW(1e-20, AG, AP, ASP, NASP, mode % 10, x, 1e-7, A11, A22, A33, AC1C1, AC2C2, 2e-8,
             3e-8, mode / 10, F);
  } else if (name == "edl") {
    FORCEEDL(3.3e8, KB, 6.95e-10, 298.15, 1.0, E_CHARGE, -0.03, -0.025, AG, AP, ASP, NASP, mode,
             x, PI, F);
  } else if (name == "ab") {
    FORCEAB(PI, AG, AP, ASP, NASP, mode, 0.6e-9, -2e-3, x, H0, F);
  } else if (name == "born") {
    FORCEBORN(1e-20, BORN_SIGMA, AP, x, F, A11, A22, A33, AC1C1, AC2C2, mode);
  } else if (name == "ste") {
    FORCESTE(PI, 1.5e-3, 1e-9, 3.3e-8, x, F);
  } else if (name == "fun") {
    double f[4];
    NEAR_WALL_FUNCTIONS(x, f[0], f[1], f[2], f[3]);
    F = f[mode - 1];
  } else if (name == "rotation") {
    F = FREE_ROTATION_RATE(-3e-6, x, AP);
  } else if (name == "lift") {
    FORCELIFT(998.0, AG + AP + x, AP, AG, 1e-5, 3e-6, 2.0, F);
  }
  return F;
}

struct Case {
  const char* name;
  int mode;
  std::array<double, 3> x, expected;
};

// Gap 5e-9 equals ASP: the asperity terms are still on there.
const Case CASES[] = {
    {"vdw", 10, {2e-9, 5e-9, 3e-8}, {-1.8792989457937606e-10, -2.6278121276228684e-11, -3.55976086086427e-13}},
    {"vdw", 11, {2e-9, 5e-9, 3e-8}, {-1.8016606119508546e-11, -6.218741642455162e-12, -2.3722600909069464e-13}},
    {"vdw", 12, {2e-9, 5e-9, 3e-8}, {-1.796078666785414e-11, -6.210936442950155e-12, -2.3722600909069464e-13}},
    {"vdw", 13, {2e-9, 5e-9, 3e-8}, {-1.1103495847586464e-11, -3.2854814494798693e-12, -1.7387089533919506e-13}},
    {"vdw", 23, {2e-9, 5e-9, 3e-8}, {-9.68057996497998e-11, -1.416194656117766e-11, -2.1645516578852103e-13}},
    {"vdw", 33, {2e-9, 5e-9, 3e-8}, {-3.101016866531782e-10, -4.400876403227587e-11, -4.784836035365854e-13}},
    {"vdw", 43, {2e-9, 5e-9, 3e-8}, {-3.9384378401034394e-11, -5.79415651961023e-12, -9.791099734885744e-14}},
    {"edl", 0, {1e-9, 5e-9, 2e-8}, {7.396485709082122e-10, 1.9758624433817492e-10, 1.3995841674029018e-12}},
    {"edl", 1, {1e-9, 5e-9, 2e-8}, {5.271659764004046e-11, 1.408246422918444e-11, 5.768282424445374e-14}},
    {"edl", 2, {1e-9, 5e-9, 2e-8}, {5.249690519708204e-11, 1.4023776622095126e-11, 5.768282424445374e-14}},
    {"edl", 3, {1e-9, 5e-9, 2e-8}, {3.509403983061127e-11, 9.374856927351919e-12, 1.3818628389637557e-14}},
    {"ab", 0, {3e-10, 1.5e-9, 5e-9}, {-4.946351378176396e-09, -6.69415864753312e-10, -1.9602502724635783e-12}},
    {"ab", 1, {3e-10, 1.5e-9, 5e-9}, {-1.3984177251455036e-10, -1.8925525891566634e-11, -5.541961169254832e-14}},
    {"ab", 2, {3e-10, 1.5e-9, 5e-9}, {-1.3837440932832087e-10, -1.8726939879147288e-11, -5.483809233298559e-14}},
    {"ab", 3, {3e-10, 1.5e-9, 5e-9}, {-1.6498685388323112e-10, -2.2328542600604715e-11, -6.538466448308573e-14}},
    {"born", 1, {2e-10, 5e-10, 2e-9}, {1.695323838061823e-07, 1.1109521924331194e-10, 1.694451907406211e-15}},
    {"born", 2, {2e-10, 5e-10, 2e-9}, {8.162502118477968e-08, 5.348918844101333e-11, 8.158304020354289e-16}},
    {"born", 3, {2e-10, 5e-10, 2e-9}, {2.6353566111050013e-07, 1.7269592624246762e-10, 2.6340012073962214e-15}},
    {"born", 4, {2e-10, 5e-10, 2e-9}, {3.316639295204184e-08, 2.1734064099100796e-11, 3.3149334975210685e-16}},
    {"ste", 0, {1e-9, 5e-9, 2e-8}, {1.887880678418535e-09, 3.457774077093238e-11, 1.0577411139538807e-17}},
    {"fun", 1, {0.01, 0.5, 4.0}, {0.010632693115702363, 0.3102451582018207, 0.7720744464415707}},
    {"fun", 2, {0.01, 0.5, 4.0}, {3.178969039120097, 2.300747048371181, 1.281225097987334}},
    {"fun", 3, {0.01, 0.5, 4.0}, {0.5425418911135633, 0.8620073023277873, 0.9881314470843959}},
    {"fun", 4, {0.01, 0.5, 4.0}, {0.2984620168805292, 0.6057040744108255, 0.8987679227285366}},
    {"rotation", 0, {1e-9, 1e-7, 5e-6}, {3.2212384244400756, 2.5328625478481555, 0.2700947017311572}},
    {"lift", 0, {1e-8, 1e-6, 2e-5}, {1.5231045778752237e-19, 1.040253883168598e-19, 1.3816073645195855e-19}},
};

TEST(ReferenceValues, ForceLawsAtThreeGapsPerMode) {
  for (const Case& c : CASES) {
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(RelNear(law(c.name, c.mode, c.x[i]), c.expected[i], TOL))
          << c.name << " mode " << c.mode << " at " << c.x[i];
    }
  }
}

TEST(ReferenceValues, DragGravityAndFluidVelocity) {
  double out[11];
  const double M3 = STOKES_M3(8.9e-4, AP);
  FORCEDRAG(1.7, 0.6, 0.7, M3, -2e-6, 4e-6, out[0], out[1]);
  GRAVITY(1.0, AP, G_ACCEL, 1050.0, 998.0, PI, out[2]);
  // Gravity along -z, normal (0.6, 0, 0.8), tangent (0.8, 0, -0.6).
  GRAVVECT(out[2], 0.0, 0.0, -1.0, 0.6, 0.0, 0.8, 0.8, 0.0, -0.6, out[3], out[4], out[5], out[6],
           out[7], out[8], out[9], out[10]);
  double split[5];
  SPLIT_FLUID_VELOCITY(1e-5, -2e-5, -3e-5, 2.0 / 7.0, 3.0 / 7.0, 6.0 / 7.0, split[0], split[1],
                       split[2], split[3], split[4]);
  const double expected[] = {
      2.87590375491551e-14, -2.8519378902912136e-14, 2.670070162928738e-16,
      -2.1360561303429908e-16, 1.6020420977572428e-16, -1.2816336782057945e-16, 0.0,
      -1.7088449042743926e-16, 1.2816336782057942e-16, 0.0, -9.612252586543457e-17};
  EXPECT_TRUE(RelNear(M3, 8.38805261850357e-09, TOL));
  for (int i = 0; i < 11; ++i) EXPECT_TRUE(RelNear(out[i], expected[i], TOL)) << i;
  const double expected_split[] = {-3.142857142857143e-05, 2.0303814862216994e-05,
                                   0.9347795951416734, -0.32164459187670497,
                                   -0.15077090244220548};
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(RelNear(split[i], expected_split[i], TOL)) << i;
}

}  // namespace
}  // namespace colloidsim
