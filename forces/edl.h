// Electric double layer force between the particle and the collector, linear
// superposition approximation for two spheres of constant surface potential:
//   Fe(a, b, d) = P KAPPA exp(-KAPPA d),
//   P = 64 pi ERE0 (a b / (a + b)) (kB T / (ZI e))^2 tanh(ZI e ZETAC / 4 kB T)
//       tanh(ZI e ZETAP / 4 kB T).
// H is the surface-to-surface gap at the closest point (m), asperities
// included; it may be zero or negative. FEDL is in N along the outward normal:
// positive (zeta potentials of equal sign) pushes the particle away from the
// collector. With asperities (RMODE 1-3)
//   FEDL = (1 - pi/4) Fe(AP, AG, H + offset) + n Fe(ASP, R, H),
// the smooth part weighted by the fraction the asperities leave uncovered and
// the asperity term only for H <= ASP, with R, n and the offset of the smooth
// surfaces as common/roughness.h pairs them. ERE0 in F/m, KAPPA in 1/m, T in
// K, zeta potentials in V (Bell, Levine and McCartney 1970, J. Colloid
// Interface Sci. 33, 335). An RMODE outside 0-3 leaves FEDL as it was; in
// every case a result of magnitude below 1e-30 N is then set to 0.
#pragma once

#include "common/roughness.h"

namespace colloidsim {

// The full argument list: prepares the run constants and evaluates the
// prepared form, without its exact flush shortcut.
void FORCEEDL(double KAPPA, double kB, double ERE0, double T, double ZI, double e, double ZETAC,
              double ZETAP, double AG, double AP, double ASP, double NASP, int RMODE, double H,
              double pi, double& FEDL);

// Everything of FORCEEDL that is fixed for a run and one pair of zeta
// potentials. Several of these that differ only in the zeta potentials share
// the exponential decay of a gap (EdlDecay).
struct EdlPrepared {
  AsperityPairing ROUGHNESS;
  double KAPPA = 0.0;             // 1/m
  double UNCOVERED = 0.0;         // -, 1 - 0.25 pi
  double BASE_PREFACTOR = 0.0;      // N, P KAPPA of particle and collector
  double ASPERITY_PREFACTOR = 0.0;  // N, P KAPPA of the asperity pair
  // Below this exponent -KAPPA d of the smooth surfaces the force without
  // the asperity term is flushed to 0 whatever exp returns (see edl_decay).
  double ZERO_BELOW = 0.0;
};

// The exponent x below which prefactor exp(x), and any fraction of it, is
// below the flush limit of 1e-30 N however exp rounds. With a zero prefactor
// every finite exp gives a flushed zero (700); a prefactor that is not finite
// is never flushed (-infinity).
double edl_zero_below(double prefactor);

EdlPrepared prepare_edl(double KAPPA, double kB, double ERE0, double T, double ZI, double e,
                        double ZETAC, double ZETAP, double AG, double AP, double ASP, int RMODE,
                        double pi);

// exp(-KAPPA d) of the smooth surfaces and of the asperity pair at one gap.
// ASPERITY_ON is false when H > ASP (or the comparison is unordered).
struct EdlDecay {
  double BASE = 0.0;
  double ASPERITY = 0.0;
  bool ASPERITY_ON = false;
};

// The decay of the gap H. Where the asperity term is off and the smooth
// surfaces' exponent lies below zero_below, the force comes out below the
// flush limit whatever exp returns: BASE is then 0 without calling exp (no
// slow subnormal path either), and the force is the same 0. zero_below must
// be at most the ZERO_BELOW of every prepared pairing the decay is used with;
// the first form uses the prepared pairing's own.
EdlDecay edl_decay(const EdlPrepared& prepared, double H);
EdlDecay edl_decay(const EdlPrepared& prepared, double H, double zero_below);

// The law's one body.
void FORCEEDL(const EdlPrepared& prepared, double NASP, double H, double& FEDL);

// The same with the decay of the gap computed once for several zeta pairs
// that share KAPPA, radii and roughness.
void FORCEEDL(const EdlPrepared& prepared, const EdlDecay& decay, double NASP, double& FEDL);

}  // namespace colloidsim
