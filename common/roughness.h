// Asperity arrangements shared by the force laws, the injection and the
// separation of the trajectory loop.
#pragma once

#include "common/constants.h"

namespace colloidsim {

// With asperities on both surfaces (RMODE 3) every asperity counts 2.5 times.
inline constexpr double ASPERITY_PAIR_WEIGHT = 2.5;  // -

// RMODE: 0 smooth, 1 asperities on the particle, 2 on the collector, 3 on both.
// Distance between the smooth reference surfaces minus the gap H at the
// closest point: 0, ASP, or 0.5 (2 ASP + sqrt(3) ASP) for asperity on asperity.
inline double roughness_offset(int RMODE, double ASP) {
  if (RMODE == 1 || RMODE == 2) return ASP;
  if (RMODE == 3) return 0.5 * (2.0 * ASP + SQRT3 * ASP);
  return 0.0;
}

// How a force law meets the asperities of an RMODE: the sphere pair of the
// asperity term (an asperity of radius ASP against the collector AG, the
// particle AP, or another asperity), how many times the NASP asperities
// count, and how far the smooth surfaces stand behind the gap H.
struct AsperityPairing {
  int RMODE = 0;
  double ASP = 0.0;     // m, the asperity term counts only for H <= ASP
  double R1 = 0.0;      // m, radii of the asperity sphere pair
  double R2 = 0.0;      // m
  double OFFSET = 0.0;  // m, roughness_offset: added to H for the smooth surfaces

  // RMODE 0-3; a law leaves its result unwritten for any other RMODE.
  bool known() const { return RMODE >= 0 && RMODE <= 3; }
  bool rough() const { return RMODE >= 1 && RMODE <= 3; }
  // The asperity term of a gap H is on; false for an unordered comparison.
  bool touches(double H) const { return H <= ASP; }
  // The weighted number of asperities in the asperity term.
  double count(double NASP) const { return RMODE == 3 ? ASPERITY_PAIR_WEIGHT * NASP : NASP; }
};

inline AsperityPairing asperity_pairing(int RMODE, double AG, double AP, double ASP) {
  AsperityPairing pairing;
  pairing.RMODE = RMODE;
  pairing.ASP = ASP;
  pairing.OFFSET = roughness_offset(RMODE, ASP);
  if (pairing.rough()) pairing.R1 = ASP;
  if (RMODE == 1) pairing.R2 = AG;
  if (RMODE == 2) pairing.R2 = AP;
  if (RMODE == 3) pairing.R2 = ASP;
  return pairing;
}

}  // namespace colloidsim
