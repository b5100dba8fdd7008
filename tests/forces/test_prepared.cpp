// The prepared (run-constant cached) forms of the force laws must give the
// very bits of the full-argument forms: compared with memcmp, not a tolerance.
// The full-argument forms prepare and call the same body but leave out its
// exact shortcuts (the double layer's flush below 1e-30 N, exp skipped for a
// zero acid-base or steric prefactor), so these comparisons check them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "common/constants.h"
#include "forces/acid_base.h"
#include "forces/born.h"
#include "forces/edl.h"
#include "forces/steric.h"
#include "forces/vdw.h"

namespace colloidsim {
namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Inputs {
  double AP, AG, ASP, A132, LAMBDAVDW, A11, A22, A33, AC1C1, AC2C2, T1, T2;
};

// A run like the favourable example, and one with coatings and large asperities.
const Inputs RUNS[] = {
    {0.5e-6, 2.55e-4, 1e-8, 1e-20, 1e-7, 8.6e-20, 6.5e-20, 3.7e-20, 5.0e-20, 1.2e-19, 0.0, 0.0},
    {1.3e-6, 1.7e-4, 6e-8, 4e-21, 1e-7, 8.6e-20, 6.5e-20, 3.7e-20, 5.0e-20, 1.2e-19, 2e-8, 3e-8}};

// Gaps from below contact (far enough for the short-range exponentials to
// overflow) to the bulk, with the asperity radius and its neighbours, where
// the asperity terms switch.
std::vector<double> gaps(double ASP) {
  std::vector<double> H{-1e-6, -2e-9, 0.0, ASP, std::nextafter(ASP, 0.0),
                        std::nextafter(ASP, std::numeric_limits<double>::infinity())};
  for (double h = 1.58e-10; h < 2e-6; h *= 1.07) H.push_back(h);
  return H;
}

TEST(PreparedForms, VanDerWaalsIsBitIdentical) {
  for (const Inputs& in : RUNS) {
    for (int VDWMODE = 1; VDWMODE <= 4; ++VDWMODE) {
      for (int RMODE = 0; RMODE <= 3; ++RMODE) {
        const VdwPrepared prepared =
            prepare_vdw(in.A132, in.AG, in.AP, in.ASP, RMODE, in.LAMBDAVDW, in.A11, in.A22,
                        in.A33, in.AC1C1, in.AC2C2, in.T1, in.T2, VDWMODE);
        for (double NASP : {0.0, 3.0, 17.5}) {
          for (double H : gaps(in.ASP)) {
            double plain = 0.0, cached = 0.0;
            FORCEVDW(in.A132, in.AG, in.AP, in.ASP, NASP, RMODE, H, in.LAMBDAVDW, in.A11, in.A22,
                     in.A33, in.AC1C1, in.AC2C2, in.T1, in.T2, VDWMODE, plain);
            FORCEVDW(prepared, NASP, H, cached);
            ASSERT_TRUE(same_bits(plain, cached))
                << "VDWMODE " << VDWMODE << " RMODE " << RMODE << " NASP " << NASP << " H " << H;
          }
        }
      }
    }
  }
}

TEST(PreparedForms, DoubleLayerIsBitIdenticalAlsoWithSharedDecay) {
  const double KAPPA = 3.3e8, ERE0 = 6.95e-10, T = 298.15, ZI = 1.0;
  // Base and heterodomain potentials of collector and particle: four pairs
  // that share one decay per gap.
  const double collector[] = {-0.03, 0.045}, particle[] = {-0.025, 0.0};
  for (const Inputs& in : RUNS) {
    for (int RMODE = 0; RMODE <= 3; ++RMODE) {
      std::vector<EdlPrepared> pairs;
      for (double ZETAC : collector) {
        for (double ZETAP : particle) {
          pairs.push_back(prepare_edl(KAPPA, KB, ERE0, T, ZI, E_CHARGE, ZETAC, ZETAP, in.AG,
                                      in.AP, in.ASP, RMODE, PI));
        }
      }
      // The shared decay decides its exponent against the lowest flush
      // exponent of the four, as the run's prepared forces do.
      double zero_below = pairs[0].ZERO_BELOW;
      for (const EdlPrepared& pair : pairs) zero_below = std::fmin(zero_below, pair.ZERO_BELOW);
      for (double NASP : {0.0, 3.0, 17.5}) {
        for (double H : gaps(in.ASP)) {
          const EdlDecay decay = edl_decay(pairs[0], H, zero_below);
          for (int k = 0; k < 4; ++k) {
            double plain = 0.0, cached = 0.0, shared = 0.0;
            FORCEEDL(KAPPA, KB, ERE0, T, ZI, E_CHARGE, collector[k / 2], particle[k % 2], in.AG,
                     in.AP, in.ASP, NASP, RMODE, H, PI, plain);
            FORCEEDL(pairs[k], NASP, H, cached);
            FORCEEDL(pairs[k], decay, NASP, shared);
            ASSERT_TRUE(same_bits(plain, cached) && same_bits(plain, shared))
                << "RMODE " << RMODE << " pair " << k << " NASP " << NASP << " H " << H;
          }
        }
      }
    }
  }
}

// Zero acid-base and steric constants (forces switched off) take a shortcut
// in the prepared forms; it must keep the bits too, signed zeros included.
TEST(PreparedForms, AcidBaseBornAndStericAreBitIdentical) {
  for (const Inputs& in : RUNS) {
    for (int mode = 0; mode <= 4; ++mode) {
      const BornPrepared born = prepare_born(in.A132, BORN_SIGMA, in.AP, in.A11, in.A22, in.A33,
                                             in.AC1C1, in.AC2C2, mode);
      for (double H : gaps(in.ASP)) {
        double plain = 0.0, cached = 0.0;
        for (double GAMMA0AB : {-2e-3, 0.0, -0.0}) {
          if (mode > 3) break;
          const AbPrepared ab = prepare_ab(PI, in.AG, in.AP, in.ASP, mode, 0.6e-9, GAMMA0AB, H0);
          FORCEAB(PI, in.AG, in.AP, in.ASP, 3.0, mode, 0.6e-9, GAMMA0AB, H, H0, plain);
          FORCEAB(ab, 3.0, H, cached);
          ASSERT_TRUE(same_bits(plain, cached))
              << "acid-base RMODE " << mode << " GAMMA0AB " << GAMMA0AB << " H " << H;
        }
        if (mode >= 1) {
          FORCEBORN(in.A132, BORN_SIGMA, in.AP, H, plain, in.A11, in.A22, in.A33, in.AC1C1,
                    in.AC2C2, mode);
          FORCEBORN(born, H, cached);
          ASSERT_TRUE(same_bits(plain, cached)) << "Born VDWMODE " << mode << " H " << H;
        }
      }
    }
    const double ASTE = 3.3e-8;
    for (double GAMMA0STE : {1.5e-3, 0.0, -0.0}) {
      const StericPrepared ste = prepare_ste(PI, GAMMA0STE, 1e-9, ASTE);
      for (double H : gaps(in.ASP)) {
        double plain = 0.0, cached = 0.0;
        FORCESTE(PI, GAMMA0STE, 1e-9, ASTE, H, plain);
        FORCESTE(ste, H, cached);
        ASSERT_TRUE(same_bits(plain, cached)) << "steric " << GAMMA0STE << " H " << H;
      }
    }
  }
}

}  // namespace
}  // namespace colloidsim
