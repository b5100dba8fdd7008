// What a finished run says, in numbers: particles per fate and family with
// 95 % Wilson intervals, the single-collector efficiency, residence times,
// where particles attached and which particles are missing; and its two
// texts, for people and for scripts (JSON).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/correlations.h"
#include "analysis/run_files.h"

namespace colloidsim {

// count of n, the fraction count / n and its 95 % Wilson score interval
//   (p + z^2/2n -+ z sqrt(p (1-p) / n + z^2 / 4n^2)) / (1 + z^2/n),  z = 1.959963984540054.
// fraction, low and high are NaN when n = 0.
struct Proportion {
  std::int64_t count = 0;
  double fraction = 0, low = 0, high = 0;
};
Proportion wilson_proportion(std::int64_t count, std::int64_t n);

// The q-quantile (0 <= q <= 1) of values with linear interpolation between
// the order statistics at position q (n - 1) (numpy's default); NaN when
// values is empty. Sorts values.
double quantile(std::vector<double>& values, double q);

struct FamilySummary {
  Proportion particles;  // of the finished particles
  // Residence time PTIMEOUT - PTIMEIN (s): 10th, 50th and 90th percentile.
  double residence_p10 = 0, residence_median = 0, residence_p90 = 0;
  // Shares of the family's summed TBULK + TNEAR + TFRIC spent in each regime.
  double share_bulk = 0, share_near = 0, share_contact = 0;
  double mean_NSVISIT = 0;  // mean entries into the near-surface regime
};

// The single-collector efficiency of a fraction f of the injected particles:
//   eta = f (RLIM / AG)^2 (VSUP + v_s) / VSUP,
// the injection disc over the collector's projected area, times the flux
// through the disc relative to the fluid's. The 95 % interval is f's Wilson
// interval times the same factors. Undefined (NaN) unless VSUP > 0 and
// VSUP + v_s > 0.
struct Efficiency {
  Proportion fraction;
  double value = 0, low = 0, high = 0;
};

inline constexpr int ANGLE_BINS = 18;  // 10-degree bins of the polar angle, 0..180 degrees

// Equal-area rings of the injection disc: ring k (0-based) holds the
// particles injected at RINJ in [RLIM sqrt(k/5), RLIM sqrt((k+1)/5)).
inline constexpr int INJECTION_RINGS = 5;
// The injection disc is too small when the outermost ring's attached
// fraction has a 95 % Wilson lower bound above this: particles injected there
// still reach the collector, so part of its catchment lies outside the disc
// and eta is biased low.
inline constexpr double OUTER_RING_THRESHOLD = 0.01;
// An attached eta whose 95 % interval reaches further than this share of eta
// on either side gets a warning; the precision line always says how many
// particles would give +-10 %.
inline constexpr double WIDE_INTERVAL = 0.5;

struct InjectionRing {
  double inner = 0, outer = 0;  // m
  std::int64_t particles = 0;
  Proportion attached, retained;  // of the ring's particles
};

struct RunSummary {
  std::string directory;
  RunLayout layout = RunLayout::AllParticles;
  bool merged = false;  // all-particles files that merge wrote from one-particle runs
  std::vector<std::string> files;
  std::int32_t NPART = 0;
  std::int64_t finished = 0;
  std::int64_t missing = 0;
  std::vector<std::pair<std::int32_t, std::int32_t>> missing_ranges;
  std::array<Proportion, 6> fates;        // fate 1..6 at index 0..5
  std::array<FamilySummary, 3> families;  // EX, ATT, REM
  // Stokes settling velocity along the flow (-z), m/s:
  //   v_s = FG / M3 along the flow for CBGRAV 1, against it for 2, 0 for 3 and 4,
  //   FG = GRAVFACT (4/3) pi AP^3 (RHOP - RHOW) g, M3 = 6 pi VISC AP.
  double settling_velocity = 0;
  double disc_ratio = 0;   // (RLIM / AG)^2
  double flow_factor = 0;  // (VSUP + v_s) / VSUP
  Efficiency attached;     // fates 2, 4, 6
  Efficiency retained;     // fates 2, 4, 5, 6
  // Attached particles (fates 2, 4, 6) by the polar angle of their final
  // position from the forward stagnation point (+z, facing the flow).
  std::array<std::int64_t, ANGLE_BINS> attachment_angle{};

  std::array<InjectionRing, INJECTION_RINGS> rings;
  double outer_ring_share = 0;  // of the attached particles, so of eta; NaN without any
  // Particles for a 95 % interval of +-10 % of the attached eta at the
  // observed fraction (z^2 (1 - f) / (0.1^2 f)); 0 when none attached.
  std::int64_t particles_for_ten_percent = 0;
  // eta0 of two correlations for a perfect-sink collector (analysis/correlations.h).
  DimensionlessNumbers numbers;
  double eta0_te = 0, eta0_rt = 0;  // Tufenkji-Elimelech, Rajagopalan-Tien
  // Why the efficiency is not final, each with its numbers.
  std::vector<std::string> warnings;
};

// Summarises a run read without problems. Throws InputError when the echo
// lacks a value the efficiency needs.
RunSummary summarize(const RunFiles& run, const std::string& directory_shown);

void append_summary_text(std::string& out, const RunSummary& s);
// One JSON object; the keys are listed in README.md ("Reading the results").
void append_summary_json(std::string& out, const RunSummary& s);

}  // namespace colloidsim
