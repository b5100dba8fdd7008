#include "forces/edl.h"

#include <cmath>

#include "common/numeric.h"

namespace colloidsim {

namespace {

constexpr double FLUSH_BELOW = sp(1e-30f);  // N

// Thermal potential per charge, kB T / (ZI e), in V.
double thermal_potential(double kB, double T, double ZI, double e) { return ((kB * T) / ZI) / e; }

double reduced_zeta(double kB, double T, double ZI, double e, double ZETA) {
  return std::tanh((((ZI * e) * ZETA) * 0.25) / kB / T);
}

// P KAPPA of the sphere pair (a, b); the force at gap d is this times
// exp(-KAPPA d).
double edl_prefactor(double KAPPA, double ERE0, double pi, double c, double tc, double tp,
                     double a, double b) {
  const double P = ((((((64.0 * pi) * ERE0) * a) * b) / (a + b)) * (c * c)) * tc * tp;
  return P * KAPPA;
}

void flush_tiny(double& FEDL) {
  if (std::abs(FEDL) < FLUSH_BELOW) FEDL = 0.0;
}

// Everything but the flush exponent, which the full argument list does not
// use: exp is then called at every gap, and comparing the two forms checks
// the shortcut.
EdlPrepared prepare_edl_terms(double KAPPA, double kB, double ERE0, double T, double ZI,
                              double e, double ZETAC, double ZETAP, double AG, double AP,
                              double ASP, int RMODE, double pi) {
  const double c = thermal_potential(kB, T, ZI, e);
  const double tc = reduced_zeta(kB, T, ZI, e, ZETAC);
  const double tp = reduced_zeta(kB, T, ZI, e, ZETAP);
  EdlPrepared p;
  p.ROUGHNESS = asperity_pairing(RMODE, AG, AP, ASP);
  p.KAPPA = KAPPA;
  p.UNCOVERED = 1.0 - 0.25 * pi;
  p.BASE_PREFACTOR = edl_prefactor(KAPPA, ERE0, pi, c, tc, tp, AP, AG);
  if (p.ROUGHNESS.rough()) {
    p.ASPERITY_PREFACTOR =
        edl_prefactor(KAPPA, ERE0, pi, c, tc, tp, p.ROUGHNESS.R1, p.ROUGHNESS.R2);
  }
  p.ZERO_BELOW = -HUGE_VAL;
  return p;
}

}  // namespace

// ln(FLUSH_BELOW / |prefactor|) less a margin far above the few roundings
// between the exact value and the computed one.
double edl_zero_below(double prefactor) {
  constexpr double MARGIN = 1e-6;
  constexpr double FINITE_EXP = 700.0;
  if (!std::isfinite(prefactor)) return -HUGE_VAL;
  if (prefactor == 0.0) return FINITE_EXP;
  return std::fmin(std::log(FLUSH_BELOW / std::fabs(prefactor)) - MARGIN, FINITE_EXP);
}

void FORCEEDL(double KAPPA, double kB, double ERE0, double T, double ZI, double e, double ZETAC,
              double ZETAP, double AG, double AP, double ASP, double NASP, int RMODE, double H,
              double pi, double& FEDL) {
  FORCEEDL(prepare_edl_terms(KAPPA, kB, ERE0, T, ZI, e, ZETAC, ZETAP, AG, AP, ASP, RMODE, pi),
           NASP, H, FEDL);
}

EdlPrepared prepare_edl(double KAPPA, double kB, double ERE0, double T, double ZI, double e,
                        double ZETAC, double ZETAP, double AG, double AP, double ASP, int RMODE,
                        double pi) {
  EdlPrepared p =
      prepare_edl_terms(KAPPA, kB, ERE0, T, ZI, e, ZETAC, ZETAP, AG, AP, ASP, RMODE, pi);
  // The smooth part is weighted by UNCOVERED < 1 when there are asperities.
  p.ZERO_BELOW = edl_zero_below(p.BASE_PREFACTOR);
  return p;
}

EdlDecay edl_decay(const EdlPrepared& p, double H) { return edl_decay(p, H, p.ZERO_BELOW); }

EdlDecay edl_decay(const EdlPrepared& p, double H, double zero_below) {
  EdlDecay decay;
  const AsperityPairing& rough = p.ROUGHNESS;
  if (rough.RMODE == 0) {
    const double x = -(p.KAPPA * H);
    decay.BASE = x < zero_below ? 0.0 : exp_or_underflow(x);
    return decay;
  }
  const double x = -(p.KAPPA * (H + rough.OFFSET));
  decay.ASPERITY_ON = rough.touches(H);
  if (decay.ASPERITY_ON) {
    // The asperity term may be far above the flush limit: the smooth part
    // then counts to its last bit.
    decay.BASE = exp_or_underflow(x);
    decay.ASPERITY = exp_or_underflow(-(p.KAPPA * H));
  } else {
    decay.BASE = x < zero_below ? 0.0 : exp_or_underflow(x);
  }
  return decay;
}

void FORCEEDL(const EdlPrepared& p, const EdlDecay& decay, double NASP, double& FEDL) {
  const AsperityPairing& rough = p.ROUGHNESS;
  if (rough.RMODE == 0) {
    FEDL = p.BASE_PREFACTOR * decay.BASE;
  } else if (rough.known()) {
    const double Fa = decay.ASPERITY_ON ? p.ASPERITY_PREFACTOR * decay.ASPERITY : 0.0;
    FEDL = p.UNCOVERED * (p.BASE_PREFACTOR * decay.BASE) + rough.count(NASP) * Fa;
  }
  flush_tiny(FEDL);
}

void FORCEEDL(const EdlPrepared& prepared, double NASP, double H, double& FEDL) {
  FORCEEDL(prepared, edl_decay(prepared, H), NASP, FEDL);
}

}  // namespace colloidsim
