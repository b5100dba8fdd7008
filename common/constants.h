// Physical constants and fixed separations of the model. Every one is the
// nearest float to the decimal shown, used in double precision.
#pragma once

#include "common/numeric.h"

namespace colloidsim {

inline constexpr double PI = sp(3.1415927f);             // -
inline constexpr double KB = sp(1.380649e-23f);          // J/K, Boltzmann constant
inline constexpr double E_CHARGE = sp(1.6021766e-19f);   // C, elementary charge
inline constexpr double EPSILON0 = sp(8.854188e-12f);    // F/m, vacuum permittivity
inline constexpr double AVOGADRO = sp(6.0221406e+23f);   // 1/mol
inline constexpr double G_ACCEL = sp(9.80665f);          // m/s2, gravitational acceleration
inline constexpr double H0 = sp(1.58e-10f);              // m, minimum separation
inline constexpr double BORN_SIGMA = sp(5e-10f);         // m, Born collision diameter
inline constexpr double HNS = sp(2.0e-7f);               // m, upper bound of the near-surface band
inline constexpr double H_GRID = sp(1e-12f);             // m, step of the HCUT and HMIN scans
inline constexpr double SQRT3 = sp(1.7320508f);          // -, used by the asperity-on-asperity offset
inline constexpr double ONE_THIRD = sp(0.33333334f);     // -
inline constexpr double TWO_THIRDS = sp(0.6666667f);     // -
inline constexpr double FOUR_THIRDS = sp(1.3333334f);    // -

}  // namespace colloidsim
