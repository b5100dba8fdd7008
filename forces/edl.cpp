#include "forces/edl.h"

#include <cmath>

#include "common/numeric.h"
#include "common/roughness.h"

namespace colloidsim {

namespace {

constexpr double ASPERITY_PAIR_WEIGHT = 2.5;  // asperity on asperity (RMODE 3)
constexpr double FLUSH_BELOW = sp(1e-30f);    // N

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
  const double c = thermal_potential(kB, T, ZI, e);
  const double tc = reduced_zeta(kB, T, ZI, e, ZETAC);
  const double tp = reduced_zeta(kB, T, ZI, e, ZETAP);
  auto Fe = [&](double a, double b, double d) {
    return edl_prefactor(KAPPA, ERE0, pi, c, tc, tp, a, b) * std::exp(-(KAPPA * d));
  };
  const double w = 1.0 - 0.25 * pi;
  const double smooth_gap = H + roughness_offset(RMODE, ASP);

  switch (RMODE) {
    case 0:
      FEDL = Fe(AP, AG, H);
      break;
    case 1: {
      const double Fa = H <= ASP ? Fe(ASP, AG, H) : 0.0;
      FEDL = w * Fe(AP, AG, smooth_gap) + NASP * Fa;
      break;
    }
    case 2: {
      const double Fa = H <= ASP ? Fe(ASP, AP, H) : 0.0;
      FEDL = w * Fe(AP, AG, smooth_gap) + NASP * Fa;
      break;
    }
    case 3: {
      const double Fa = H <= ASP ? Fe(ASP, ASP, H) : 0.0;
      FEDL = w * Fe(AP, AG, smooth_gap) + (ASPERITY_PAIR_WEIGHT * NASP) * Fa;
      break;
    }
    default:
      break;
  }
  flush_tiny(FEDL);
}

EdlPrepared prepare_edl(double KAPPA, double kB, double ERE0, double T, double ZI, double e,
                        double ZETAC, double ZETAP, double AG, double AP, double ASP, int RMODE,
                        double pi) {
  const double c = thermal_potential(kB, T, ZI, e);
  const double tc = reduced_zeta(kB, T, ZI, e, ZETAC);
  const double tp = reduced_zeta(kB, T, ZI, e, ZETAP);
  EdlPrepared p;
  p.RMODE = RMODE;
  p.KAPPA = KAPPA;
  p.ASP = ASP;
  p.ROUGHNESS_OFFSET = roughness_offset(RMODE, ASP);
  p.UNCOVERED = 1.0 - 0.25 * pi;
  p.BASE_PREFACTOR = edl_prefactor(KAPPA, ERE0, pi, c, tc, tp, AP, AG);
  if (RMODE == 1) p.ASPERITY_PREFACTOR = edl_prefactor(KAPPA, ERE0, pi, c, tc, tp, ASP, AG);
  if (RMODE == 2) p.ASPERITY_PREFACTOR = edl_prefactor(KAPPA, ERE0, pi, c, tc, tp, ASP, AP);
  if (RMODE == 3) p.ASPERITY_PREFACTOR = edl_prefactor(KAPPA, ERE0, pi, c, tc, tp, ASP, ASP);
  // The smooth part is weighted by UNCOVERED < 1 when there are asperities.
  p.ZERO_BELOW = edl_zero_below(p.BASE_PREFACTOR);
  return p;
}

EdlDecay edl_decay(const EdlPrepared& p, double H) { return edl_decay(p, H, p.ZERO_BELOW); }

EdlDecay edl_decay(const EdlPrepared& p, double H, double zero_below) {
  EdlDecay decay;
  if (p.RMODE == 0) {
    const double x = -(p.KAPPA * H);
    decay.BASE = x < zero_below ? 0.0 : exp_or_underflow(x);
    return decay;
  }
  const double x = -(p.KAPPA * (H + p.ROUGHNESS_OFFSET));
  decay.ASPERITY_ON = H <= p.ASP;
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
  switch (p.RMODE) {
    case 0:
      FEDL = p.BASE_PREFACTOR * decay.BASE;
      break;
    case 1:
    case 2:
    case 3: {
      const double Fa = decay.ASPERITY_ON ? p.ASPERITY_PREFACTOR * decay.ASPERITY : 0.0;
      const double count = p.RMODE == 3 ? ASPERITY_PAIR_WEIGHT * NASP : NASP;
      FEDL = p.UNCOVERED * (p.BASE_PREFACTOR * decay.BASE) + count * Fa;
      break;
    }
    default:
      break;
  }
  flush_tiny(FEDL);
}

void FORCEEDL(const EdlPrepared& prepared, double NASP, double H, double& FEDL) {
  FORCEEDL(prepared, edl_decay(prepared, H), NASP, FEDL);
}

}  // namespace colloidsim
