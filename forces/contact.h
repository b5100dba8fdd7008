// Contact mechanics of the adhesive particle-collector contact.
#pragma once

#include <cmath>

#include "common/constants.h"

namespace colloidsim {

// Largest contact radius, of the zero-load adhesive contact (JKR):
// ACONTMAX = (-(6 pi W132 AP^2) / KINT)^(1/3), with W132 <= 0 (J/m2), AP (m)
// and the combined elastic modulus KINT (N/m2). Johnson, Kendall and Roberts,
// Proc. R. Soc. Lond. A 324 (1971) 301.
inline double contact_radius_max(double W132, double AP, double KINT) {
  return std::pow(-(((6.0 * PI) * W132) * (AP * AP)) / KINT, ONE_THIRD);
}

}  // namespace colloidsim
