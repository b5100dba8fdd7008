#include "forces/short_range.h"

#include <cmath>

#include "common/numeric.h"
#include "forces/hamaker.h"

namespace colloidsim {

namespace {

constexpr double ASPERITY_PAIR_WEIGHT = 2.5;  // asperity on asperity (RMODE 3)

// Geometry factors of the acid-base force for an effective radius R.
double ab_A(double R, double lambda) {
  const double Ea = std::exp(-((R + R) / lambda));
  return (1.0 - lambda / R) + (lambda / R + 1.0) * Ea;
}

double ab_B(double R, double lambda) {
  const double Ea = std::exp(-((R + R) / lambda));
  const double Eb = std::exp(-((4.0 * R) / lambda));
  const double tail = (lambda * lambda) / (2.0 * (R * R));
  return (((1.0 - lambda / R) + tail) - ((4.0 * R) / (3.0 * lambda)) * Ea) -
         ((lambda / R + 1.0) + tail) * Eb;
}

// Effective radius of a small sphere r against a larger one big.
double ab_radius(double r, double big) { return (2.0 * (r * big)) / (r + big); }

double ab_C(double r, double big, double R, double lambda) {
  return (1.0 - r / big) * ab_A(R, lambda) + (r / big) * ab_B(R, lambda);
}

double ab_pair_prefactor(double C, double pi, double R, double GAMMA0AB) {
  return ((C * pi) * R) * GAMMA0AB;
}

double ab_decay(double H, double H0, double lambda) { return std::exp(-((H - H0) / lambda)); }

// exp(argument) where it only multiplies a zero prefactor: any positive finite
// factor (or +0) then gives the prefactor's own signed zero, so 1 stands in
// for it and the call is saved. Where exp would overflow (or the argument is
// not a number) the product is not a number and exp is called as usual.
constexpr double EXP_SAFE_ARGUMENT = 700.0;

double decay_of_zero_or_exp(double prefactor, double argument) {
  if (prefactor == 0.0 && argument < EXP_SAFE_ARGUMENT) return 1.0;
  return exp_or_underflow(argument);
}

double born_hamaker(double A132, double A11, double A22, double A33, double AC1C1,
                    double AC2C2, int VDWMODE) {
  const CrossHamaker x = cross_hamaker(A11, A22, A33, AC1C1, AC2C2);
  switch (VDWMODE) {
    case 2:
      return ((x.AC1C2 - x.AC2_3) - x.AC1_3) + x.A33;
    case 3:
      return ((x.A1C2 - x.AC2_3) - x.A13) + x.A33;
    case 4:
      return ((x.AC1_2 - x.A23) - x.AC1_3) + x.A33;
    default:
      return A132;
  }
}

}  // namespace

void FORCEAB(double pi, double AG, double AP, double ASP, double NASP, int RMODE,
             double LAMBDAAB, double GAMMA0AB, double H, double H0, double& FAB) {
  const double lambda = LAMBDAAB;
  switch (RMODE) {
    case 0: {
      const double R = ab_radius(AP, AG);
      const double C = ab_C(AP, AG, R, lambda);
      FAB = ab_pair_prefactor(C, pi, R, GAMMA0AB) * ab_decay(H, H0, lambda);
      return;
    }
    case 1: {
      if (!(H <= ASP)) {
        FAB = 0.0;
        return;
      }
      const double R = ab_radius(ASP, AG);
      const double C = ab_C(ASP, AG, R, lambda);
      FAB = NASP * (ab_pair_prefactor(C, pi, R, GAMMA0AB) * ab_decay(H, H0, lambda));
      return;
    }
    case 2: {
      if (!(H <= ASP)) {
        FAB = 0.0;
        return;
      }
      const double R = ab_radius(ASP, AP);
      const double C = ab_C(ASP, AP, R, lambda);
      FAB = NASP * (ab_pair_prefactor(C, pi, R, GAMMA0AB) * ab_decay(H, H0, lambda));
      return;
    }
    case 3: {
      if (!(H <= ASP)) {
        FAB = 0.0;
        return;
      }
      const double C = ab_B(ASP, lambda);
      FAB = (ASPERITY_PAIR_WEIGHT * NASP) *
            (ab_pair_prefactor(C, pi, ASP, GAMMA0AB) * ab_decay(H, H0, lambda));
      return;
    }
    default:
      return;
  }
}

AbPrepared prepare_ab(double pi, double AG, double AP, double ASP, int RMODE, double LAMBDAAB,
                      double GAMMA0AB, double H0) {
  AbPrepared p;
  p.RMODE = RMODE;
  p.ASP = ASP;
  p.LAMBDAAB = LAMBDAAB;
  p.H0 = H0;
  auto pair = [&](double r, double big) {
    const double R = ab_radius(r, big);
    return ab_pair_prefactor(ab_C(r, big, R, LAMBDAAB), pi, R, GAMMA0AB);
  };
  switch (RMODE) {
    case 0:
      p.PREFACTOR = pair(AP, AG);
      break;
    case 1:
      p.PREFACTOR = pair(ASP, AG);
      break;
    case 2:
      p.PREFACTOR = pair(ASP, AP);
      break;
    case 3:
      p.PREFACTOR = ab_pair_prefactor(ab_B(ASP, LAMBDAAB), pi, ASP, GAMMA0AB);
      break;
    default:
      break;
  }
  return p;
}

void FORCEAB(const AbPrepared& p, double NASP, double H, double& FAB) {
  if (p.RMODE < 0 || p.RMODE > 3) return;
  if (p.RMODE != 0 && !(H <= p.ASP)) {
    FAB = 0.0;
    return;
  }
  const double Fab =
      p.PREFACTOR * decay_of_zero_or_exp(p.PREFACTOR, -((H - p.H0) / p.LAMBDAAB));
  if (p.RMODE == 0) {
    FAB = Fab;
    return;
  }
  const double count = p.RMODE == 3 ? ASPERITY_PAIR_WEIGHT * NASP : NASP;
  FAB = count * Fab;
}

void FORCEBORN(double A132, double sigma, double AP, double H, double& FBORN, double A11,
               double A22, double A33, double AC1C1, double AC2C2, int VDWMODE) {
  if (VDWMODE < 1 || VDWMODE > 4) return;
  const double K = born_hamaker(A132, A11, A22, A33, AC1C1, AC2C2, VDWMODE);
  const double near = 7.0 * AP - H;
  const double far = 9.0 * AP + H;
  FBORN = ((K * ipow<6>(sigma)) / 1260.0) *
          (near / ipow<8>(H) + far / ipow<8>((2.0 * AP) + H));
}

BornPrepared prepare_born(double A132, double sigma, double AP, double A11, double A22,
                          double A33, double AC1C1, double AC2C2, int VDWMODE) {
  BornPrepared p;
  p.VALID_MODE = VDWMODE >= 1 && VDWMODE <= 4;
  const double K = born_hamaker(A132, A11, A22, A33, AC1C1, AC2C2, VDWMODE);
  p.PREFACTOR = (K * ipow<6>(sigma)) / 1260.0;
  p.SEVEN_AP = 7.0 * AP;
  p.NINE_AP = 9.0 * AP;
  p.TWO_AP = 2.0 * AP;
  return p;
}

void FORCEBORN(const BornPrepared& p, double H, double& FBORN) {
  if (!p.VALID_MODE) return;
  FBORN = p.PREFACTOR * ((p.SEVEN_AP - H) / ipow<8>(H) + (p.NINE_AP + H) / ipow<8>(p.TWO_AP + H));
}

void FORCESTE(double pi, double GAMMA0STE, double LAMBDASTE, double ASTE, double H,
              double& FSTE) {
  FSTE = (((GAMMA0STE / LAMBDASTE) * std::exp(-(H / LAMBDASTE))) * pi) * (ASTE * ASTE);
}

StericPrepared prepare_ste(double pi, double GAMMA0STE, double LAMBDASTE, double ASTE) {
  return {GAMMA0STE / LAMBDASTE, LAMBDASTE, pi, ASTE * ASTE};
}

void FORCESTE(const StericPrepared& p, double H, double& FSTE) {
  FSTE = ((p.PRESSURE * decay_of_zero_or_exp(p.PRESSURE, -(H / p.LAMBDASTE))) * p.pi) *
         p.ASTE_SQUARED;
}

}  // namespace colloidsim
