#include "forces/hydrodynamics.h"

#include <cmath>

#include "common/constants.h"
#include "common/numeric.h"
#include "common/vector_math.h"

namespace colloidsim {

namespace {

// FUNk = (a exp(-(b delta)) + 1) + c exp(-(q delta^p)).
struct NearWallFit {
  double a, b, c, q, p;
};

constexpr NearWallFit FUN1_FIT{sp(-0.399f), sp(0.1487f), sp(-0.601f), sp(1.202f), sp(0.9267f)};
constexpr NearWallFit FUN2_FIT{sp(1.355f), sp(1.36f), 0.875, sp(0.525f), sp(0.5695f)};
constexpr NearWallFit FUN3_FIT{sp(-0.143f), sp(1.472f), sp(-0.6772f), sp(2.765f), sp(0.2803f)};
constexpr NearWallFit FUN4_FIT{sp(-0.3015f), sp(0.9006f), sp(-0.5942f), sp(1.292f), sp(0.2607f)};

// A term of magnitude below 2^-54 leaves every partial sum of a fit as it is:
// the first term is added to 1 (half an ulp below 1 is 2^-54), the second to
// (a exp(-(b delta)) + 1), which lies in [0.6, 2.4) for every fit (half an
// ulp there is at least 2^-54). Each term falls with the gap, so beyond the
// reduced gap at which its exact value is 2^-56 the computed term (exp and
// pow within an ulp, the products rounded) stays below 2^-55, and skipping it
// gives the same bits.
constexpr double NEGLIGIBLE_LOG2 = -56.0;

NearWallThresholds::Fit negligible_beyond(const NearWallFit& fit) {
  const double log_bound = NEGLIGIBLE_LOG2 * std::log(2.0);
  // |a| exp(-b delta) = 2^-56 and |c| exp(-q delta^p) = 2^-56.
  const double first = (std::log(std::fabs(fit.a)) - log_bound) / fit.b;
  const double second = std::pow((std::log(std::fabs(fit.c)) - log_bound) / fit.q, 1.0 / fit.p);
  return {first, second};
}

const NearWallThresholds THRESHOLDS{negligible_beyond(FUN1_FIT), negligible_beyond(FUN2_FIT),
                                    negligible_beyond(FUN3_FIT), negligible_beyond(FUN4_FIT)};
#if !COLLOIDSIM_SLEEF
// Below the lowest threshold every term counts.
const double LOWEST_THRESHOLD =
    std::fmin(std::fmin(std::fmin(THRESHOLDS.FUN1.FIRST, THRESHOLDS.FUN1.SECOND),
                        std::fmin(THRESHOLDS.FUN2.FIRST, THRESHOLDS.FUN2.SECOND)),
              std::fmin(std::fmin(THRESHOLDS.FUN3.FIRST, THRESHOLDS.FUN3.SECOND),
                        std::fmin(THRESHOLDS.FUN4.FIRST, THRESHOLDS.FUN4.SECOND)));

double near_wall(const NearWallFit& fit, double delta) {
  return (fit.a * std::exp(-(fit.b * delta)) + 1.0) +
         fit.c * std::exp(-(fit.q * std::pow(delta, fit.p)));
}

double near_wall(const NearWallFit& fit, const NearWallThresholds::Fit& beyond, double delta) {
  if (!(delta >= LOWEST_THRESHOLD)) return near_wall(fit, delta);
  const double first = delta >= beyond.FIRST ? 1.0 : fit.a * std::exp(-(fit.b * delta)) + 1.0;
  if (delta >= beyond.SECOND) return first;
  return first + fit.c * std::exp(-(fit.q * std::pow(delta, fit.p)));
}

// near_wall with the slope dFUN/ddelta of the terms it evaluates (a term
// skipped beyond its threshold adds less than 2^-56 to the slope too).
double near_wall(const NearWallFit& fit, const NearWallThresholds::Fit& beyond, double delta,
                 double& slope) {
  const bool every_term = !(delta >= LOWEST_THRESHOLD);
  double first = 1.0;
  slope = 0.0;
  if (every_term || !(delta >= beyond.FIRST)) {
    const double e = std::exp(-(fit.b * delta));
    first = fit.a * e + 1.0;
    slope = -((fit.a * fit.b) * e);
  }
  if (!every_term && delta >= beyond.SECOND) return first;
  const double power = std::pow(delta, fit.p);
  const double e = std::exp(-(fit.q * power));
  slope -= (((fit.c * fit.q) * fit.p) * (power / delta)) * e;
  return first + fit.c * e;
}
#endif

constexpr double LIFT_RANGE = 100.0;  // particle radii from the collector surface

// Lift coefficients Cn of L = ln(d/AP): Cn_k multiplies L^k; N and D mark
// numerator and denominator of the rational fits.
constexpr double C1_0 = sp(2.221f), C1_1 = sp(1.565f), C1_2 = sp(0.06602f);
constexpr double C2N_0 = sp(0.639f), C2N_1 = sp(1.408f);
constexpr double C2D_1 = sp(0.1036f), C2D_2 = sp(0.01136f);
constexpr double C3N_0 = sp(1.751f), C3N_1 = sp(6.147f), C3N_2 = sp(3.299f),
                 C3N_3 = sp(2.485f), C3N_4 = sp(1.952f);
constexpr double C3D_1 = sp(3.714f), C3D_2 = sp(1.481f), C3D_3 = sp(1.278f),
                 C3D_4 = sp(1.0905f);
constexpr double C4N_0 = sp(10.97f), C4N_1 = sp(439.4f), C4N_2 = 355.0, C4N_3 = sp(171.6f);
constexpr double C4D_1 = sp(7.309f), C4D_2 = sp(284.7f), C4D_3 = sp(86.45f),
                 C4D_4 = sp(77.45f);
constexpr double C5N_0 = sp(-4.723f), C5N_1 = sp(11.11f), C5N_2 = sp(41.76f);
constexpr double C5D_1 = sp(20.31f);
constexpr double C6N_0 = sp(-10.76f), C6N_1 = sp(2.158f), C6N_2 = sp(4.218f);
constexpr double C6D_1 = sp(0.1749f);

}  // namespace

double STOKES_M3(double VISC, double AP) { return ((6.0 * PI) * VISC) * AP; }


#if COLLOIDSIM_SLEEF

namespace {

// The four functions' 4 powers and 8 exponentials as three vector calls;
// power, first and second keep delta^p, exp(-(b delta)) and exp(-(q delta^p))
// of each fit.
void near_wall_terms(double delta, double* out[4], double power[4], double first[4],
                     double second[4]) {
  const NearWallFit* const fits[4] = {&FUN1_FIT, &FUN2_FIT, &FUN3_FIT, &FUN4_FIT};
  double gap[4], exponent[4], first_argument[4], second_argument[4];
  for (int k = 0; k < 4; ++k) {
    gap[k] = delta;
    exponent[k] = fits[k]->p;
    first_argument[k] = -(fits[k]->b * delta);
  }
  pow4(gap, exponent, power);
  for (int k = 0; k < 4; ++k) second_argument[k] = -(fits[k]->q * power[k]);
  exp4(first_argument, first);
  exp4(second_argument, second);
  for (int k = 0; k < 4; ++k) {
    *out[k] = (fits[k]->a * first[k] + 1.0) + fits[k]->c * second[k];
  }
}

}  // namespace

void NEAR_WALL_FUNCTIONS(double delta, double& FUN1, double& FUN2, double& FUN3,
                         double& FUN4) {
  double* out[4] = {&FUN1, &FUN2, &FUN3, &FUN4};
  double power[4], first[4], second[4];
  near_wall_terms(delta, out, power, first, second);
}

void NEAR_WALL_FUNCTIONS(double delta, double& FUN1, double& FUN2, double& FUN3, double& FUN4,
                         double& dFUN1) {
  double* out[4] = {&FUN1, &FUN2, &FUN3, &FUN4};
  double power[4], first[4], second[4];
  near_wall_terms(delta, out, power, first, second);
  const NearWallFit& f = FUN1_FIT;
  dFUN1 = -((f.a * f.b) * first[0]) - (((f.c * f.q) * f.p) * (power[0] / delta)) * second[0];
}

double FUN1(double delta) {
  double f[4];
  NEAR_WALL_FUNCTIONS(delta, f[0], f[1], f[2], f[3]);
  return f[0];
}
double FUN2(double delta) {
  double f[4];
  NEAR_WALL_FUNCTIONS(delta, f[0], f[1], f[2], f[3]);
  return f[1];
}
double FUN3(double delta) {
  double f[4];
  NEAR_WALL_FUNCTIONS(delta, f[0], f[1], f[2], f[3]);
  return f[2];
}
double FUN4(double delta) {
  double f[4];
  NEAR_WALL_FUNCTIONS(delta, f[0], f[1], f[2], f[3]);
  return f[3];
}

#else

double FUN1(double delta) { return near_wall(FUN1_FIT, THRESHOLDS.FUN1, delta); }
double FUN2(double delta) { return near_wall(FUN2_FIT, THRESHOLDS.FUN2, delta); }
double FUN3(double delta) { return near_wall(FUN3_FIT, THRESHOLDS.FUN3, delta); }
double FUN4(double delta) { return near_wall(FUN4_FIT, THRESHOLDS.FUN4, delta); }

void NEAR_WALL_FUNCTIONS(double delta, double& FUN1, double& FUN2, double& FUN3,
                         double& FUN4) {
  if (!(delta >= LOWEST_THRESHOLD)) {
    FUN1 = near_wall(FUN1_FIT, delta);
    FUN2 = near_wall(FUN2_FIT, delta);
    FUN3 = near_wall(FUN3_FIT, delta);
    FUN4 = near_wall(FUN4_FIT, delta);
    return;
  }
  FUN1 = near_wall(FUN1_FIT, THRESHOLDS.FUN1, delta);
  FUN2 = near_wall(FUN2_FIT, THRESHOLDS.FUN2, delta);
  FUN3 = near_wall(FUN3_FIT, THRESHOLDS.FUN3, delta);
  FUN4 = near_wall(FUN4_FIT, THRESHOLDS.FUN4, delta);
}

void NEAR_WALL_FUNCTIONS(double delta, double& FUN1, double& FUN2, double& FUN3, double& FUN4,
                         double& dFUN1) {
  FUN1 = near_wall(FUN1_FIT, THRESHOLDS.FUN1, delta, dFUN1);
  FUN2 = near_wall(FUN2_FIT, THRESHOLDS.FUN2, delta);
  FUN3 = near_wall(FUN3_FIT, THRESHOLDS.FUN3, delta);
  FUN4 = near_wall(FUN4_FIT, THRESHOLDS.FUN4, delta);
}

#endif

const NearWallThresholds& near_wall_thresholds() { return THRESHOLDS; }

void GRAVITY(double GRAVFACT, double AP, double g, double RHOP, double RHOW, double pi,
             double& FG) {
  FG = ((((GRAVFACT * FOUR_THIRDS) * pi) * ipow<3>(AP)) * (RHOP - RHOW)) * g;
}

void FORCELIFT(double RHOW, double R, double AP, double AG, double VT, double UT, double OMEGA,
               double& FLIFT) {
  const double d = R - AG;
  if (!(d <= LIFT_RANGE * AP)) {
    FLIFT = 0.0;
    return;
  }
  const double Gs = VT / d;
  const double L = std::log(d / AP);
  const double L2 = L * L;
  const double L3 = ipow<3>(L);
  const double L4 = ipow<4>(L);

  const double C1_EXPONENT = (C1_1 * L + C1_0) + C1_2 * L2;
  const double C2_EXPONENT = -((C2N_1 * L + C2N_0) / ((1.0 - C2D_1 * L) + C2D_2 * L2));
  const double C5_EXPONENT = ((C5N_0 - C5N_1 * L) + C5N_2 * L2) / (C5D_1 * L + 1.0);
#if COLLOIDSIM_SLEEF
  const double exponents[4] = {C1_EXPONENT, C2_EXPONENT, C5_EXPONENT, 0.0};
  double exponentials[4];
  exp4(exponents, exponentials);
  const double C1 = exponentials[0];
  const double C2 = exponentials[1];
  const double C5 = exponentials[2];
#else
  const double C1 = std::exp(C1_EXPONENT);
  const double C2 = std::exp(C2_EXPONENT);
  const double C5 = std::exp(C5_EXPONENT);
#endif
  const double C3 = ((((C3N_1 * L + C3N_0) + C3N_2 * L2) - C3N_3 * L3) + C3N_4 * L4) /
                    ((((C3D_1 * L + 1.0) + C3D_2 * L2) - C3D_3 * L3) + C3D_4 * L4);
  const double C4 = -((L * (((C4N_1 * L + C4N_0) + C4N_2 * L2) + C4N_3 * L3)) /
                      ((((C4D_1 * L + 1.0) + C4D_2 * L2) + C4D_3 * L3) + C4D_4 * L4));
  const double C6 = ((C6N_0 - C6N_1 * L) - C6N_2 * L2) / (1.0 - C6D_1 * L);

  const double APGs = AP * Gs;
  const double APOMEGA = AP * OMEGA;
  const double S = APGs * APGs * C1 + APOMEGA * APOMEGA * C2 + UT * UT * C3 +
                   AP * OMEGA * UT * C4 + AP * AP * OMEGA * Gs * C5 + AP * Gs * UT * C6;
  FLIFT = (RHOW * (AP * AP)) * S;
}

}  // namespace colloidsim
