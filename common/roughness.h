// Asperity arrangements shared by the force laws, the injection and the
// separation of the trajectory loop.
#pragma once

#include "common/constants.h"

namespace colloidsim {

// RMODE: 0 smooth, 1 asperities on the particle, 2 on the collector, 3 on both.
// Distance between the smooth reference surfaces minus the gap H at the
// closest point: 0, ASP, or 0.5 (2 ASP + sqrt(3) ASP) for asperity on asperity.
inline double roughness_offset(int RMODE, double ASP) {
  if (RMODE == 1 || RMODE == 2) return ASP;
  if (RMODE == 3) return 0.5 * (2.0 * ASP + SQRT3 * ASP);
  return 0.0;
}

}  // namespace colloidsim
