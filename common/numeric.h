// Numeric helpers shared by every unit. The model fixes where values are held
// in single precision and how whole powers are formed, so these few helpers
// are the only place where that happens.
#pragma once

#include <cmath>
#include <cstdint>

namespace colloidsim {

// A constant written in single precision and used in double precision:
// sp(0.1f) is 0.10000000149011612.
constexpr double sp(float value) { return static_cast<double>(value); }

// Rounds a double to the nearest float and widens it back.
inline double round_sp(double x) { return static_cast<double>(static_cast<float>(x)); }

// Whole power by repeated squaring: x^2 = x*x, x^3 = (x*x)*x,
// x^6 = (x^3)^2, x^8 = ((x*x)^2)^2.
template <int N>
constexpr double ipow(double x) {
  static_assert(N >= 0, "whole powers only");
  if constexpr (N == 0) {
    return 1.0;
  } else if constexpr (N == 1) {
    return x;
  } else if constexpr (N % 2 == 0) {
    const double half = ipow<N / 2>(x);
    return half * half;
  } else {
    return ipow<N - 1>(x) * x;
  }
}

// exp(x) without the slow underflow path of the library: every x below -746
// rounds to +0 (e^-746 is below half the smallest subnormal), so those are
// answered at once; all other x, NaN included, go to std::exp. Bit for bit
// std::exp.
inline double exp_or_underflow(double x) { return x < -746.0 ? 0.0 : std::exp(x); }

// exp(x) as a factor of a prefactor known to be zero (factor_is_zero): any
// positive finite exp (or +0) times that zero gives the zero's own sign, so 1
// stands in and the call is saved. Where exp would overflow (x from 700 on)
// or x is not a number, the product is not a number and exp is called.
inline double exp_as_factor(bool factor_is_zero, double x) {
  return factor_is_zero && x < 700.0 ? 1.0 : exp_or_underflow(x);
}

// Nearest whole number, halves away from zero, still a floating-point value.
inline double round_half_away(double x) { return std::round(x); }

// Integer part: truncation toward zero.
inline std::int32_t integer_part(double x) { return static_cast<std::int32_t>(x); }

}  // namespace colloidsim
