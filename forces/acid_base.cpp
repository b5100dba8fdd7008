#include "forces/acid_base.h"

#include <cmath>

#include "common/numeric.h"

namespace colloidsim {

namespace {

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

double ab_pair_prefactor(double C, double pi, double R, double GAMMA0AB) {
  return ((C * pi) * R) * GAMMA0AB;
}

// ((C pi) R) GAMMA0AB of a small sphere r against a larger one big.
double ab_prefactor(double pi, double r, double big, double lambda, double GAMMA0AB) {
  const double R = (2.0 * (r * big)) / (r + big);
  const double C = (1.0 - r / big) * ab_A(R, lambda) + (r / big) * ab_B(R, lambda);
  return ab_pair_prefactor(C, pi, R, GAMMA0AB);
}

AbPrepared prepare_ab_terms(double pi, double AG, double AP, double ASP, int RMODE,
                            double LAMBDAAB, double GAMMA0AB, double H0) {
  AbPrepared p;
  p.ROUGHNESS = asperity_pairing(RMODE, AG, AP, ASP);
  p.LAMBDAAB = LAMBDAAB;
  p.H0 = H0;
  if (RMODE == 0) {
    p.PREFACTOR = ab_prefactor(pi, AP, AG, LAMBDAAB, GAMMA0AB);
  } else if (RMODE == 3) {
    // Two equal spheres: R is their radius and C is B(R).
    p.PREFACTOR = ab_pair_prefactor(ab_B(ASP, LAMBDAAB), pi, ASP, GAMMA0AB);
  } else if (p.ROUGHNESS.rough()) {
    p.PREFACTOR = ab_prefactor(pi, p.ROUGHNESS.R1, p.ROUGHNESS.R2, LAMBDAAB, GAMMA0AB);
  }
  return p;
}

}  // namespace

void FORCEAB(double pi, double AG, double AP, double ASP, double NASP, int RMODE,
             double LAMBDAAB, double GAMMA0AB, double H, double H0, double& FAB) {
  FORCEAB(prepare_ab_terms(pi, AG, AP, ASP, RMODE, LAMBDAAB, GAMMA0AB, H0), NASP, H, FAB);
}

AbPrepared prepare_ab(double pi, double AG, double AP, double ASP, int RMODE, double LAMBDAAB,
                      double GAMMA0AB, double H0) {
  AbPrepared p = prepare_ab_terms(pi, AG, AP, ASP, RMODE, LAMBDAAB, GAMMA0AB, H0);
  p.ZERO_PREFACTOR = p.PREFACTOR == 0.0;
  return p;
}

void FORCEAB(const AbPrepared& p, double NASP, double H, double& FAB) {
  const AsperityPairing& rough = p.ROUGHNESS;
  if (!rough.known()) return;
  if (rough.rough() && !rough.touches(H)) {
    FAB = 0.0;
    return;
  }
  const double Fab = p.PREFACTOR * exp_as_factor(p.ZERO_PREFACTOR, -((H - p.H0) / p.LAMBDAAB));
  FAB = rough.RMODE == 0 ? Fab : rough.count(NASP) * Fab;
}

}  // namespace colloidsim
