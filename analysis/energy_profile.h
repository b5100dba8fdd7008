// Interaction energy profiles: the colloidal force and its parts against the
// separation, their integral E(H) = integral from H to HMAX of F dh (J;
// positive = repulsive, the work to bring the particle from HMAX to H), and
// the features of E: the energy barrier and the primary and secondary minima.
//
// The integral is taken in u = ln h (F(h) dh = F(e^u) e^u du, smooth over
// decades for the power laws) by adaptive Gauss-Kronrod (7-point Gauss,
// 15-point Kronrod) on every interval of the grid, split at the breakpoints
// where a law has a step (the asperity cut-off at ASP), and summed from HMAX
// down. The double layer's flush of |FEDL| < 1e-30 N to 0 is a step too, but
// the energy it drops is below 1e-30 N times the Debye length (~1e-38 J).
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "forces/edl.h"
#include "simulation/run_context.h"

namespace colloidsim {

// The parts of the colloidal force, in the step's order, and their sum.
enum ForcePart { PART_VDW, PART_EDL, PART_AB, PART_BORN, PART_STE, PART_COLL, PART_COUNT };
inline constexpr std::array<const char*, PART_COUNT> PART_NAMES = {"FVDW",  "FEDL", "FAB",
                                                                   "FBORN", "FSTE", "FCOLL"};
using PartValues = std::array<double, PART_COUNT>;

// Force parts (N, positive pushes the particle away from the collector) at
// the surface-to-surface gap H (m).
using ForceProfileLaw = std::function<PartValues(double H)>;

// One term of a double layer weighted over surface pairings.
struct EdlTerm {
  double weight = 1.0;
  const EdlPrepared* edl = nullptr;
};

// The run's force laws for the smooth-particle step outside contact: the
// prepared laws of the run, the asperity counts of the zone of influence
// without contact (RMODE/ASP/NASP, NASPAB), the run's VDWMODE, and the double
// layer as the weighted sum of the given pairings (each one as the step
// evaluates it, with the decay of the gap shared as the step shares it). The
// law keeps references to run and terms.
ForceProfileLaw run_force_law(const RunContext& run, std::vector<EdlTerm> terms);

// N points from Hlow to Hhigh, evenly spaced in ln H; the ends are exact.
std::vector<double> log_grid(double Hlow, double Hhigh, int N);

// The integral of every part over [a, b] (0 < a <= b), split at the
// breakpoints inside it. scale (J) sets the absolute tolerance of a part.
PartValues integrate_parts(const ForceProfileLaw& law, double a, double b,
                           std::span<const double> breakpoints, double scale);

struct EnergyProfile {
  std::vector<double> H;      // m, the grid
  std::vector<PartValues> F;  // N, the forces at the grid points
  std::vector<PartValues> E;  // J, each part integrated from H to the last grid point
};

EnergyProfile energy_profile(const ForceProfileLaw& law, const std::vector<double>& grid,
                             std::span<const double> breakpoints, double scale);

// A stationary point of E(H) (where FCOLL changes sign, found by bisection
// between grid points), or the grid's first point when the force there is
// attractive (a minimum at contact).
struct Extremum {
  bool found = false;
  double H = 0;  // m
  double E = 0;  // J
};

// primary_minimum: the first minimum of E outward from the grid's first
// point (the grid point itself when FCOLL is attractive there); barrier: the
// highest maximum beyond it, counted only when E > 0 there; secondary_minimum:
// the deepest of the further minima, counted only when E < 0 there.
struct ProfileFeatures {
  Extremum primary_minimum;
  Extremum barrier;
  Extremum secondary_minimum;
};

ProfileFeatures find_features(const ForceProfileLaw& law, const EnergyProfile& profile,
                              std::span<const double> breakpoints, double scale);

// Where every part has fallen below threshold (N) for good, scanning a fine
// logarithmic grid from Hlow to Hcap; Hcap when some part is still above it.
double decay_separation(const ForceProfileLaw& law, double threshold, double Hlow, double Hcap);

}  // namespace colloidsim
