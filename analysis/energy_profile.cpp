#include "analysis/energy_profile.h"

#include <algorithm>
#include <cmath>

#include "forces/acid_base.h"
#include "forces/born.h"
#include "forces/steric.h"
#include "forces/vdw.h"

namespace colloidsim {

ForceProfileLaw run_force_law(const RunContext& run, std::vector<EdlTerm> terms) {
  return [&run, terms = std::move(terms)](double H) {
    const PreparedForces& f = run.f;
    const double NASP = run.free_zones.NASP;
    PartValues v{};
    FORCEVDW(f.vdw, NASP, H, v[PART_VDW]);
    const EdlDecay decay = edl_decay(f.edl_base, H, f.EDL_ZERO_BELOW);
    if (terms.size() == 1 && terms.front().weight == 1.0) {
      FORCEEDL(*terms.front().edl, decay, NASP, v[PART_EDL]);
    } else {
      for (const EdlTerm& t : terms) {
        double FEDL = 0;
        FORCEEDL(*t.edl, decay, NASP, FEDL);
        v[PART_EDL] += t.weight * FEDL;
      }
    }
    FORCEAB(f.ab, run.free_zones.NASPAB, H, v[PART_AB]);
    FORCEBORN(f.born, H, v[PART_BORN]);
    FORCESTE(f.ste, H, v[PART_STE]);
    v[PART_COLL] = v[PART_VDW] + v[PART_EDL] + v[PART_AB] + v[PART_BORN] + v[PART_STE];
    return v;
  };
}

std::vector<double> log_grid(double Hlow, double Hhigh, int N) {
  std::vector<double> grid(static_cast<std::size_t>(N));
  const double span = std::log(Hhigh / Hlow);
  for (int i = 0; i < N; ++i) grid[i] = Hlow * std::exp(span * i / (N - 1));
  grid.front() = Hlow;
  grid.back() = Hhigh;
  return grid;
}

namespace {

// Kronrod nodes on [-1, 1] (positive half, the centre last) with their
// weights, and the weights of the 7-point Gauss rule on the odd nodes
// (QUADPACK's qk15).
constexpr double XGK[8] = {0.991455371120812639206854697526329, 0.949107912342758524526189684047851,
                           0.864864423359769072789712788640926, 0.741531185599394439863864773280788,
                           0.586087235467691130294144845693013, 0.405845151377397166906606412076961,
                           0.207784955007898467600689403773245, 0.0};
constexpr double WGK[8] = {0.022935322010529224963732008058970, 0.063092092629978553290700663189204,
                           0.104790010322250183839876322541518, 0.140653259715525918745189590510238,
                           0.169004726639267902826583426598550, 0.190350578064785409913256402421014,
                           0.204432940075298892414161999234649, 0.209482141084727828012999174891714};
constexpr double WG[4] = {0.129484966168869693270611432679082, 0.279705391489276667901467771423780,
                          0.381830050505118944950369775488975, 0.417959183673469387755102040816327};

// Relative tolerance of a part's integral over one piece, and its absolute
// tolerance in units of scale; a piece is halved at most MAX_DEPTH times.
constexpr double RELATIVE_TOLERANCE = 1e-12;
constexpr double ABSOLUTE_TOLERANCE = 1e-15;
constexpr int MAX_DEPTH = 16;

// The 15-point Kronrod integral over [u1, u2] of F(e^u) e^u; true when it
// agrees with the 7-point Gauss integral within the tolerance for every part.
bool kronrod(const ForceProfileLaw& law, double u1, double u2, double scale, PartValues& sum) {
  const double centre = 0.5 * (u1 + u2), half = 0.5 * (u2 - u1);
  PartValues gauss{};
  sum.fill(0.0);
  for (int k = 0; k < 8; ++k) {
    const int sides = k == 7 ? 1 : 2;
    for (int side = 0; side < sides; ++side) {
      const double u = side == 0 ? centre - half * XGK[k] : centre + half * XGK[k];
      const double h = std::exp(u);
      const PartValues F = law(h);
      for (int p = 0; p < PART_COUNT; ++p) {
        sum[p] += WGK[k] * F[p] * h;
        if (k % 2 == 1) gauss[p] += WG[k / 2] * F[p] * h;
      }
    }
  }
  bool converged = true;
  for (int p = 0; p < PART_COUNT; ++p) {
    sum[p] *= half;
    gauss[p] *= half;
    const double tolerance = std::max(RELATIVE_TOLERANCE * std::fabs(sum[p]), ABSOLUTE_TOLERANCE * scale);
    // A part that is not finite stays so however the piece is split.
    if (std::isfinite(sum[p]) && !(std::fabs(sum[p] - gauss[p]) <= tolerance)) converged = false;
  }
  return converged;
}

void adaptive(const ForceProfileLaw& law, double u1, double u2, double scale, int depth,
              PartValues& total) {
  PartValues piece{};
  if (kronrod(law, u1, u2, scale, piece) || depth >= MAX_DEPTH) {
    for (int p = 0; p < PART_COUNT; ++p) total[p] += piece[p];
    return;
  }
  const double middle = 0.5 * (u1 + u2);
  adaptive(law, u1, middle, scale * 0.5, depth + 1, total);
  adaptive(law, middle, u2, scale * 0.5, depth + 1, total);
}

}  // namespace

PartValues integrate_parts(const ForceProfileLaw& law, double a, double b,
                           std::span<const double> breakpoints, double scale) {
  PartValues total{};
  if (!(a < b)) return total;
  std::vector<double> ends{a};
  for (const double x : breakpoints) {
    if (x > a && x < b) ends.push_back(x);
  }
  std::sort(ends.begin() + 1, ends.end());
  ends.push_back(b);
  for (std::size_t k = 0; k + 1 < ends.size(); ++k) {
    adaptive(law, std::log(ends[k]), std::log(ends[k + 1]), scale, 0, total);
  }
  return total;
}

EnergyProfile energy_profile(const ForceProfileLaw& law, const std::vector<double>& grid,
                             std::span<const double> breakpoints, double scale) {
  EnergyProfile profile;
  profile.H = grid;
  const std::size_t n = grid.size();
  profile.F.resize(n);
  profile.E.assign(n, PartValues{});
  for (std::size_t i = 0; i < n; ++i) profile.F[i] = law(grid[i]);
  for (std::size_t i = n - 1; i-- > 0;) {
    const PartValues piece = integrate_parts(law, grid[i], grid[i + 1], breakpoints, scale);
    for (int p = 0; p < PART_COUNT; ++p) profile.E[i][p] = profile.E[i + 1][p] + piece[p];
  }
  return profile;
}

namespace {

// The gap in (lo, hi) where FCOLL changes sign (a step of the force at a
// breakpoint is found too): bisection in ln H to the last bit.
double sign_change(const ForceProfileLaw& law, double lo, double hi) {
  const bool low_positive = law(lo)[PART_COLL] > 0;
  for (int k = 0; k < 200; ++k) {
    const double mid = std::sqrt(lo * hi);
    if (!(mid > lo && mid < hi)) break;
    if ((law(mid)[PART_COLL] > 0) == low_positive) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return std::sqrt(lo * hi);
}

}  // namespace

ProfileFeatures find_features(const ForceProfileLaw& law, const EnergyProfile& profile,
                              std::span<const double> breakpoints, double scale) {
  ProfileFeatures features;
  const std::vector<double>& H = profile.H;
  if (H.size() < 2) return features;
  std::vector<Extremum> minima, maxima;
  if (profile.F[0][PART_COLL] < 0) minima.push_back({true, H[0], profile.E[0][PART_COLL]});
  for (std::size_t i = 0; i + 1 < H.size(); ++i) {
    const double F1 = profile.F[i][PART_COLL], F2 = profile.F[i + 1][PART_COLL];
    // dE/dH = -FCOLL: repulsion turning into attraction outward is a
    // minimum of E, attraction turning into repulsion a maximum.
    const bool minimum = F1 > 0 && F2 <= 0;
    const bool maximum = F1 < 0 && F2 >= 0;
    if (!minimum && !maximum) continue;
    double h = H[i + 1];
    if (F2 != 0) h = sign_change(law, H[i], H[i + 1]);
    const double E = profile.E[i + 1][PART_COLL] +
                     integrate_parts(law, h, H[i + 1], breakpoints, scale)[PART_COLL];
    (minimum ? minima : maxima).push_back({true, h, E});
  }
  if (minima.empty()) return features;
  features.primary_minimum = minima.front();
  for (const Extremum& m : maxima) {
    if (m.H > features.primary_minimum.H && m.E > 0 &&
        (!features.barrier.found || m.E > features.barrier.E)) {
      features.barrier = m;
    }
  }
  for (std::size_t k = 1; k < minima.size(); ++k) {
    if (minima[k].E < 0 &&
        (!features.secondary_minimum.found || minima[k].E < features.secondary_minimum.E)) {
      features.secondary_minimum = minima[k];
    }
  }
  return features;
}

double decay_separation(const ForceProfileLaw& law, double threshold, double Hlow, double Hcap) {
  constexpr int SCAN_POINTS = 2000;
  const std::vector<double> scan = log_grid(Hlow, Hcap, SCAN_POINTS);
  std::size_t last_above = 0;
  for (std::size_t i = 0; i < scan.size(); ++i) {
    const PartValues F = law(scan[i]);
    for (int p = 0; p < PART_COLL; ++p) {
      if (!(std::fabs(F[p]) < threshold)) last_above = i;
    }
  }
  return scan[std::min(last_above + 1, scan.size() - 1)];
}

}  // namespace colloidsim
