#include "random/random_draws.h"

#include <cmath>

#include "common/numeric.h"
#include "common/roughness.h"

namespace colloidsim {

namespace {

// Squeezes a uniform number into [0.5, 0.9771): deviates between about 0 and 2.
constexpr double UPPER_HALF_SPAN = sp(0.4771f);

double random_sign(double u) { return u >= 0.5 ? 1.0 : -1.0; }

// Coefficients of P3 and P5, that of y^k at index k.
constexpr std::array<double, 7> P3_COEFFICIENTS{-2.77770616554113, 59.5899557785023,
                                                -1714.27218447456, 34118.9134002463,
                                                -403094.347079323, 2550903.40507925,
                                                -6639921.98925781};
constexpr std::array<double, 5> P5_COEFFICIENTS{1.63751297685375, -16.1509902781561,
                                                45.4066630995313, -49.6540631938802,
                                                20.720122918894};

// The fitted polynomials, summed from the highest power down.
double P1(double y) {
  return -1.37855370200823e+19 * ipow<6>(y) + 4.97900988957207e+16 * ipow<5>(y) -
         72147596693101.1 * ipow<4>(y) + 53955007671.7774 * ipow<3>(y) -
         22601061.1498648 * (y * y) + 5826.51783204345 * y - 4.12916457576024;
}

double P2(double y) {
  return -6184405063680.0 * ipow<6>(y) + 236765549458.151 * ipow<5>(y) -
         3713277589.09687 * ipow<4>(y) + 30987097.9004047 * ipow<3>(y) -
         151794.899112573 * (y * y) + 496.459221152939 * y - 3.45983671935511;
}

double P3(double y) {
  const auto& c = P3_COEFFICIENTS;
  return c[6] * ipow<6>(y) + c[5] * ipow<5>(y) + c[4] * ipow<4>(y) + c[3] * ipow<3>(y) +
         c[2] * (y * y) + c[1] * y + c[0];
}

double P4(double y) {
  return -20.7333319758618 * ipow<4>(y) + 33.2434759389286 * ipow<3>(y) -
         20.773062033803 * (y * y) + 8.58215179655931 * y - 1.95934743109075;
}

double P5(double y) {
  const auto& c = P5_COEFFICIENTS;
  return c[4] * ipow<4>(y) + c[3] * ipow<3>(y) + c[2] * (y * y) + c[1] * y + c[0];
}

// The integral of P(y)^2 over [lo, hi], term by term.
template <std::size_t N>
double integral_of_square(const std::array<double, N>& c, double lo, double hi) {
  double sum = 0.0;
  for (std::size_t i = 0; i < N; ++i) {
    for (std::size_t j = 0; j < N; ++j) {
      const double k = static_cast<double>(i + j + 1);
      sum += (c[i] * c[j]) * (std::pow(hi, k) - std::pow(lo, k)) / k;
    }
  }
  return sum;
}

}  // namespace

void GENERATE_UNIF(RandomStream& stream, double& RSIGN1, double& RNUM1, double& RSIGN2,
                   double& RNUM2, double& RSIGN3, double& RNUM3, std::int32_t& NRAND) {
  NRAND = 6;
  for (double& u : stream.RNUMVEC) u = stream.generator.next_double();
  RSIGN1 = random_sign(stream.RNUMVEC[0]);
  RNUM1 = stream.RNUMVEC[1];
  RSIGN2 = random_sign(stream.RNUMVEC[2]);
  RNUM2 = stream.RNUMVEC[3];
  RSIGN3 = random_sign(stream.RNUMVEC[4]);
  RNUM3 = stream.RNUMVEC[5];
}

void CALC_NI(double BIGNI, double& NI) {
  const double x = BIGNI;
  if (x <= 0.001) {
    NI = P1(x);
  } else if (x < 0.01) {
    NI = P2(x);
  } else if (x < 0.1) {
    NI = P3(x);
  } else if (x < 0.5) {
    NI = P4(x);
  } else if (x < 0.9) {
    NI = P5(x);
  } else if (x < 0.99) {
    NI = -P3(-1.0 * x + 1.0);
  } else if (x < 0.9996) {
    NI = -P2(-1.0 * x + 1.0);
  } else if (x >= 0.9996) {
    NI = -P1(-1.0 * x + 1.0);
  }
}

double BROWNIAN_AMPLITUDE(double pi, double VISC, double AP, double kB, double T, double DT) {
  return std::sqrt((((((12.0 * pi) * AP) * VISC) * kB) * T) / DT);
}

void FORCEDIFF(RandomStream& stream, double DIFFSCALE, double amplitude, double& FDIFX,
               double& FDIFY, double& FDIFZ) {
  double RSIGN1, RNUM1, RSIGN2, RNUM2, RSIGN3, RNUM3;
  std::int32_t NRAND;
  GENERATE_UNIF(stream, RSIGN1, RNUM1, RSIGN2, RNUM2, RSIGN3, RNUM3, NRAND);
  RNUM1 = RNUM1 * UPPER_HALF_SPAN + 0.5;
  RNUM2 = RNUM2 * UPPER_HALF_SPAN + 0.5;
  RNUM3 = RNUM3 * UPPER_HALF_SPAN + 0.5;

  // The arguments lie in [0.5, 0.9771), where CALC_NI always writes NI.
  double NI = 0.0;
  CALC_NI(RNUM1, NI);
  const double xi1 = round_sp(NI * RSIGN1);
  CALC_NI(RNUM2, NI);
  const double xi2 = round_sp(NI * RSIGN2);
  CALC_NI(RNUM3, NI);
  const double xi3 = round_sp(NI * RSIGN3);

  FDIFZ = (DIFFSCALE * xi1) * amplitude;
  FDIFX = (DIFFSCALE * xi2) * amplitude;
  FDIFY = (DIFFSCALE * xi3) * amplitude;
}

void FORCEDIFF(RandomStream& stream, double DIFFSCALE, double pi, double VISC, double AP,
               double kB, double T, double DT, double& FDIFX, double& FDIFY, double& FDIFZ) {
  FORCEDIFF(stream, DIFFSCALE, BROWNIAN_AMPLITUDE(pi, VISC, AP, kB, T, DT), FDIFX, FDIFY, FDIFZ);
}

void FORCEDIFF_HINDERED(RandomStream& stream, double DIFFSCALE, double amplitude, double FUN1,
                        double FUN4, double ENX, double ENY, double ENZ, double& FDIFX,
                        double& FDIFY, double& FDIFZ) {
  double FX, FY, FZ;
  FORCEDIFF(stream, DIFFSCALE, amplitude, FX, FY, FZ);
  const double normal_scale = 1.0 / std::sqrt(FUN1);
  const double tangential_scale = 1.0 / std::sqrt(FUN4);
  const double fn = FX * ENX + FY * ENY + FZ * ENZ;
  const double FNX = fn * ENX, FNY = fn * ENY, FNZ = fn * ENZ;
  FDIFX = FNX * normal_scale + (FX - FNX) * tangential_scale;
  FDIFY = FNY * normal_scale + (FY - FNY) * tangential_scale;
  FDIFZ = FNZ * normal_scale + (FZ - FNZ) * tangential_scale;
}

double DEVIATE_VARIANCE() {
  // The probability x lies in [0.5, 0.5 + w): P5(x) below 0.9, -P3(1 - x) from 0.9 on.
  const double w = UPPER_HALF_SPAN;
  const double lower = integral_of_square(P5_COEFFICIENTS, 0.5, 0.9);
  const double upper = integral_of_square(P3_COEFFICIENTS, 1.0 - (0.5 + w), 0.1);
  return (lower + upper) / w;
}

void INITIAL(RandomStream& stream, double RLIM, double AG, double AP, double ASP,
             std::int32_t RMODE, double RB, double& XINIT, double& YINIT, double& RINJ,
             double& ZINIT, double& RINIT, double& HINIT) {
  RINJ = 2.0 * RLIM;
  while (RINJ > RLIM) {
    double RSIGN1, RNUM1, RSIGN2, RNUM2, RSIGN3, RNUM3;
    std::int32_t NRAND;
    GENERATE_UNIF(stream, RSIGN1, RNUM1, RSIGN2, RNUM2, RSIGN3, RNUM3, NRAND);
    XINIT = (RSIGN1 * RNUM1) * RLIM;
    YINIT = (RSIGN2 * RNUM2) * RLIM;
    RINJ = std::sqrt(XINIT * XINIT + YINIT * YINIT);
  }
  RINIT = RB;
  ZINIT = std::sqrt((RINIT * RINIT - XINIT * XINIT) - YINIT * YINIT);
  // roughness_offset is 0 for a smooth pair, and x - 0 is x exactly.
  if (RMODE >= 0 && RMODE <= 3) HINIT = ((RINIT - AG) - AP) - roughness_offset(RMODE, ASP);
}

}  // namespace colloidsim
