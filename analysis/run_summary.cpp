#include "analysis/run_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include <nlohmann/json.hpp>

#include "common/constants.h"
#include "simulation/fates.h"
#include "forces/hydrodynamics.h"
#include "io/record_columns.h"

namespace colloidsim {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Z95 = 1.959963984540054;  // standard normal quantile at 0.975
constexpr double DEGREES_PER_RADIAN = 57.29577951308232;

const char* const FATE_TEXT[6] = {
    "left the cell",           "attached: perfect sink or torque",
    "unresolved at TTIME",     "torque with slow motion",
    "near surface, slow motion", "crashed below H0",
};
const char* const FAMILY_FATES[3] = {"fate 1", "fates 2, 4, 6", "fates 3, 5"};

Efficiency efficiency_of(const Proportion& f, double factor) {
  Efficiency e;
  e.fraction = f;
  e.value = f.fraction * factor;
  e.low = f.low * factor;
  e.high = f.high * factor;
  return e;
}

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

// A number for people: "-" when undefined.
std::string number(double value, const char* pattern = "%.4g") {
  return std::isfinite(value) ? format(pattern, value) : std::string("-");
}

std::string interval(const Proportion& p, const char* pattern = "%.4f") {
  if (!std::isfinite(p.low)) return "-";
  return format(pattern, p.low) + " - " + format(pattern, p.high);
}

std::string pad(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string right(const std::string& text, std::size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string ranges_text(const std::vector<std::pair<std::int32_t, std::int32_t>>& ranges,
                        std::size_t shown) {
  std::string text;
  for (std::size_t i = 0; i < ranges.size() && i < shown; ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(ranges[i].first);
    if (ranges[i].second != ranges[i].first) text += "-" + std::to_string(ranges[i].second);
  }
  if (ranges.size() > shown) text += ", ...";
  return text;
}

using Json = nlohmann::ordered_json;

// A proportion's members; NaN is written as null.
void add_proportion(Json& object, const Proportion& p) {
  object["count"] = p.count;
  object["fraction"] = p.fraction;
  object["interval"] = {p.low, p.high};
}

Json efficiency_json(const Efficiency& e) {
  Json object;
  add_proportion(object, e.fraction);
  object["efficiency"] = e.value;
  object["efficiency_interval"] = {e.low, e.high};
  return object;
}

// The injection rings, the precision, the correlations and the warnings.
void judge(const RunFiles& run, RunSummary& s, const RunEcho& e, const std::string& file,
           const std::array<std::int64_t, 6>& fate_counts) {
  const double RLIM = e.real("RLIM(m)", file), RB = e.real("RB(m)", file);
  std::array<std::int64_t, INJECTION_RINGS> particles{}, attached{}, retained{};
  for (const auto& rows : run.rows) {
    for (const FluxRow& row : rows) {
      const FluxRecord& r = row.record;
      const double x = (r.RINJ / RLIM) * (r.RINJ / RLIM);
      if (!std::isfinite(x)) continue;
      const auto k = static_cast<std::size_t>(
          std::clamp(static_cast<int>(x * INJECTION_RINGS), 0, INJECTION_RINGS - 1));
      ++particles[k];
      if (is_fate_code(r.ATTACHK)) {
        const FateFacts& facts = facts_of(static_cast<Fate>(r.ATTACHK));
        if (facts.attached) ++attached[k];
        if (facts.retained) ++retained[k];
      }
    }
  }
  for (std::size_t k = 0; k < s.rings.size(); ++k) {
    InjectionRing& ring = s.rings[k];
    ring.inner = RLIM * std::sqrt(static_cast<double>(k) / INJECTION_RINGS);
    ring.outer = RLIM * std::sqrt(static_cast<double>(k + 1) / INJECTION_RINGS);
    ring.particles = particles[k];
    ring.attached = wilson_proportion(attached[k], particles[k]);
    ring.retained = wilson_proportion(retained[k], particles[k]);
  }
  const std::int64_t all_attached = s.attached.fraction.count;
  const InjectionRing& outer = s.rings.back();
  s.outer_ring_share = all_attached > 0 ? static_cast<double>(outer.attached.count) /
                                              static_cast<double>(all_attached)
                                        : NaN;
  const double f = s.attached.fraction.fraction;
  s.particles_for_ten_percent =
      all_attached > 0 ? static_cast<std::int64_t>(std::ceil(Z95 * Z95 * (1 - f) / (0.01 * f))) : 0;

  CorrelationInputs in;
  in.AP = e.real("AP(m)", file);
  in.AG = e.real("AG(m)", file);
  in.POROSITY = e.real("POROSITY", file);
  in.VSUP = e.real("VSUP(m/s)", file);
  in.VISC = e.real("VISC(kg/m/s)", file);
  in.T = e.real("T(K)", file);
  in.A = e.real("A132(J)", file);
  in.RHOP = e.real("RHOP(kg/m3)", file);
  in.RHOW = e.real("RHOW(kg/m3)", file);
  s.numbers = dimensionless_numbers(in);
  s.eta0_te = eta0_tufenkji_elimelech(s.numbers);
  s.eta0_rt = eta0_rajagopalan_tien(s.numbers);

  std::vector<std::string>& w = s.warnings;
  if (outer.attached.low > OUTER_RING_THRESHOLD) {
    // Where the ring fractions fall to zero: the line through the two outer
    // rings' attached fractions, at the rings' middle radii; twice RLIM when
    // they do not fall.
    const InjectionRing& inner = s.rings[s.rings.size() - 2];
    const double r1 = 0.5 * (inner.inner + inner.outer), r2 = 0.5 * (outer.inner + outer.outer);
    const double f1 = inner.attached.fraction, f2 = outer.attached.fraction;
    double suggested = 2 * RLIM;
    if (std::isfinite(f1) && f1 > f2) suggested = std::max(1.25 * RLIM, r2 + f2 * (r2 - r1) / (f1 - f2));
    suggested = std::min(suggested, RB);
    w.push_back("RLIM = " + format("%.3g", RLIM) + " m may be too small: of the " +
                std::to_string(outer.particles) + " particles injected in the outermost ring (" +
                format("%.3g", outer.inner) + " to " + format("%.3g", RLIM) + " m from the axis) " +
                std::to_string(outer.attached.count) + " attached (" +
                format("%.3g", outer.attached.fraction) + ", 95 % interval " +
                format("%.3g", outer.attached.low) + "-" + format("%.3g", outer.attached.high) +
                "), so part of the collector's catchment lies outside the injection disc and "
                "eta is biased low; run again with RLIM = " + format("%.3g", suggested) +
                " m (where the ring fractions fall to zero; at most RB)");
  }
  const std::int64_t unresolved = fate_counts[2];
  if (unresolved > 0 && s.finished > 0) {
    const double upper = static_cast<double>(all_attached + unresolved) /
                         static_cast<double>(s.finished) * s.disc_ratio * s.flow_factor;
    w.push_back(std::to_string(unresolved) + " of " + std::to_string(s.finished) +
                " particles were unresolved at TTIME (fate 3): the attached eta is a lower bound; "
                "if they all attached it would be " + format("%.3g", upper) +
                " (a longer TTIME decides them)");
  }
  if (s.missing > 0) {
    w.push_back(std::to_string(s.missing) + " of " + std::to_string(s.NPART) +
                " particles have no row yet (a partial run): the missing ones may be the slow "
                "ones, so eta may change when they are done");
  }
  if (all_attached > 0 && std::isfinite(s.attached.value) &&
      (s.attached.high - s.attached.value > WIDE_INTERVAL * s.attached.value ||
       s.attached.value - s.attached.low > WIDE_INTERVAL * s.attached.value)) {
    w.push_back("only " + std::to_string(all_attached) + " particles attached: the 95 % interval of "
                "eta reaches beyond +-" + format("%.0f", 100 * WIDE_INTERVAL) + " %; about " +
                std::to_string(s.particles_for_ten_percent) +
                " particles would give +-10 % at this fraction");
  }
  // Rows this program would not write: a real value that is not finite.
  std::vector<std::int32_t> odd;
  for (const auto& rows : run.rows) {
    for (const FluxRow& row : rows) {
      for (const FluxColumn& column : FLUX_COLUMNS) {
        if (column.real && !std::isfinite(row.record.*column.real)) {
          odd.push_back(row.record.IPART);
          break;
        }
      }
    }
  }
  if (!odd.empty()) {
    std::sort(odd.begin(), odd.end());
    std::string list;
    for (std::size_t k = 0; k < odd.size() && k < 5; ++k) list += (k ? ", " : "") + std::to_string(odd[k]);
    if (odd.size() > 5) list += ", ...";
    w.push_back(std::to_string(odd.size()) + (odd.size() == 1 ? " row holds" : " rows hold") +
                " values that are not finite (particle" + (odd.size() == 1 ? " " : "s ") + list +
                "): this program writes no such row for a finished particle (an edited or "
                "damaged file?), and the percentiles, rings and angles that use them may be "
                "undefined");
  }
  if (fate_counts[5] > 0) {
    w.push_back(std::to_string(fate_counts[5]) + " particles crashed below H0 (fate 6): a "
                "near-surface or contact step carried them through the contact band; run again "
                "with a smaller MULTNS (near-surface step) or MULTC (contact step)");
  }
}

}  // namespace

Proportion wilson_proportion(std::int64_t count, std::int64_t n) {
  Proportion p;
  p.count = count;
  if (n <= 0) {
    p.fraction = p.low = p.high = NaN;
    return p;
  }
  const double N = static_cast<double>(n);
  const double f = static_cast<double>(count) / N;
  const double z2 = Z95 * Z95;
  const double denominator = 1.0 + z2 / N;
  const double centre = (f + z2 / (2.0 * N)) / denominator;
  const double half = Z95 * std::sqrt(f * (1.0 - f) / N + z2 / (4.0 * N * N)) / denominator;
  p.fraction = f;
  // The bounds at 0 and 1 are exact; rounding would leave them a few ulp away.
  p.low = count == 0 ? 0.0 : std::max(0.0, centre - half);
  p.high = count == n ? 1.0 : std::min(1.0, centre + half);
  return p;
}

double quantile(std::vector<double>& values, double q) {
  if (values.empty()) return NaN;
  std::sort(values.begin(), values.end());
  const double position = q * static_cast<double>(values.size() - 1);
  const std::size_t below = static_cast<std::size_t>(std::floor(position));
  const std::size_t above = std::min(below + 1, values.size() - 1);
  const double weight = position - static_cast<double>(below);
  return values[below] + weight * (values[above] - values[below]);
}

RunSummary summarize(const RunFiles& run, const std::string& directory_shown) {
  RunSummary s;
  s.directory = directory_shown;
  s.layout = run.layout;
  for (const FluxFile& file : run.files) s.files.push_back(file.name);
  s.NPART = run.NPART;
  s.finished = static_cast<std::int64_t>(run.finished());
  s.missing = run.missing_count();
  s.missing_ranges = run.missing;

  std::array<std::int64_t, 6> fate_counts{};
  for (int f = 0; f < 3; ++f) {
    const std::vector<FluxRow>& rows = run.rows[static_cast<std::size_t>(f)];
    FamilySummary& family = s.families[static_cast<std::size_t>(f)];
    family.particles = wilson_proportion(static_cast<std::int64_t>(rows.size()), s.finished);
    std::vector<double> residence;
    double bulk = 0, near = 0, contact = 0, visits = 0;
    for (const FluxRow& row : rows) {
      const FluxRecord& r = row.record;
      ++fate_counts[static_cast<std::size_t>(r.ATTACHK - 1)];
      residence.push_back(r.PTIMEOUT - r.PTIMEIN);
      bulk += r.TBULK;
      near += r.TNEAR;
      contact += r.TFRIC;
      visits += r.NSVISIT;
      if (r.ATTACHK == 2 || r.ATTACHK == 4 || r.ATTACHK == 6) {
        const double theta = std::atan2(std::hypot(r.XOUT, r.YOUT), r.ZOUT) * DEGREES_PER_RADIAN;
        if (std::isfinite(theta)) {
          const int bin = std::min(ANGLE_BINS - 1, static_cast<int>(theta / 10.0));
          ++s.attachment_angle[static_cast<std::size_t>(bin)];
        }
      }
    }
    family.residence_p10 = quantile(residence, 0.1);
    family.residence_median = quantile(residence, 0.5);
    family.residence_p90 = quantile(residence, 0.9);
    const double total = bulk + near + contact;
    family.share_bulk = total > 0 ? bulk / total : NaN;
    family.share_near = total > 0 ? near / total : NaN;
    family.share_contact = total > 0 ? contact / total : NaN;
    family.mean_NSVISIT = rows.empty() ? NaN : visits / static_cast<double>(rows.size());
  }
  for (std::size_t k = 0; k < 6; ++k) s.fates[k] = wilson_proportion(fate_counts[k], s.finished);

  const std::string& file = run.files.empty() ? directory_shown : run.files.front().name;
  const RunEcho& e = run.echo;
  const double VSUP = e.real("VSUP(m/s)", file), RLIM = e.real("RLIM(m)", file);
  const double AG = e.real("AG(m)", file), AP = e.real("AP(m)", file);
  const double RHOP = e.real("RHOP(kg/m3)", file), RHOW = e.real("RHOW(kg/m3)", file);
  const double VISC = e.real("VISC(kg/m/s)", file), GRAVFACT = e.real("GRAVFACT", file);
  const std::int32_t CBGRAV = e.integer("CBGRAV", file);
  double FG = 0;
  GRAVITY(GRAVFACT, AP, G_ACCEL, RHOP, RHOW, PI, FG);
  const double v = FG / STOKES_M3(VISC, AP);
  // The flow runs along -z: gravity along -z (CBGRAV 1) adds to it.
  s.settling_velocity = CBGRAV == 1 ? v : CBGRAV == 2 ? -v : 0.0;
  s.disc_ratio = (RLIM / AG) * (RLIM / AG);
  const double through_disc = VSUP + s.settling_velocity;
  s.flow_factor = VSUP > 0 && through_disc > 0 ? through_disc / VSUP : NaN;
  const double factor = s.disc_ratio * s.flow_factor;
  s.attached = efficiency_of(
      wilson_proportion(fate_counts[1] + fate_counts[3] + fate_counts[5], s.finished), factor);
  s.retained = efficiency_of(
      wilson_proportion(fate_counts[1] + fate_counts[3] + fate_counts[4] + fate_counts[5],
                        s.finished),
      factor);
  judge(run, s, e, file, fate_counts);
  return s;
}

void append_summary_text(std::string& out, const RunSummary& s) {
  out += "Run summary of " + s.directory + "\n";
  if (s.layout == RunLayout::AllParticles) {
    out += std::string("  files: FLUXEX.OUT, FLUXATT.OUT, FLUXREM.OUT (") +
           (s.merged ? "merged from one-particle runs" : "all-particles run") + ")\n";
  } else {
    out += "  files: " + std::to_string(s.files.size()) +
           " numbered VORNEKFLUX{EX,ATT,REM}.n.OUT (one-particle runs)\n";
  }
  out += "  particles: " + std::to_string(s.finished) +
         " finished of NPART = " + std::to_string(s.NPART);
  if (s.missing == 0) {
    out += ", none missing\n";
  } else {
    out +=
        ", " + std::to_string(s.missing) + " missing: " + ranges_text(s.missing_ranges, 20) + "\n";
  }

  out += "\nFates (fraction of the finished particles, 95 % Wilson interval)\n";
  out += "  fate                                    count  fraction  95 % interval\n";
  for (std::size_t k = 0; k < 6; ++k) {
    const Proportion& p = s.fates[k];
    out += "  " + pad(std::to_string(k + 1) + " " + FATE_TEXT[k], 36) +
           right(std::to_string(p.count), 9) + right(number(p.fraction, "%.4f"), 10) + "  " +
           interval(p) + "\n";
  }
  out += "\nFamilies\n";
  out += "  family                                  count  fraction  95 % interval\n";
  for (std::size_t f = 0; f < 3; ++f) {
    const Proportion& p = s.families[f].particles;
    out += "  " + pad(std::string(FLUX_FAMILY_NAMES[f]) + " (" + FAMILY_FATES[f] + ")", 36) +
           right(std::to_string(p.count), 9) + right(number(p.fraction, "%.4f"), 10) + "  " +
           interval(p) + "\n";
  }

  out += "\nResidence time PTIMEOUT - PTIMEIN (s), shares of TBULK + TNEAR + TFRIC, mean NSVISIT\n";
  out += "  family        p10     median        p90    bulk    near  contact  NSVISIT\n";
  for (std::size_t f = 0; f < 3; ++f) {
    const FamilySummary& m = s.families[f];
    out += "  " + pad(FLUX_FAMILY_NAMES[f], 6) + right(number(m.residence_p10), 11) +
           right(number(m.residence_median), 11) + right(number(m.residence_p90), 11) +
           right(number(m.share_bulk, "%.3f"), 8) + right(number(m.share_near, "%.3f"), 8) +
           right(number(m.share_contact, "%.3f"), 9) + right(number(m.mean_NSVISIT, "%.2f"), 9) +
           "\n";
  }

  out += "\nSingle-collector efficiency eta = f (RLIM/AG)^2 (VSUP + v_s)/VSUP\n";
  out +=
      "  v_s = " + number(s.settling_velocity) + " m/s (Stokes settling velocity along the flow)\n";
  out += "  (RLIM/AG)^2 = " + number(s.disc_ratio) +
         ", (VSUP + v_s)/VSUP = " + number(s.flow_factor, "%.6g") + "\n";
  out += "  the 95 % interval is the Wilson interval of f times the same factors\n";
  const auto efficiency_line = [&](const char* name, const Efficiency& e) {
    out += "  " + pad(name, 30) + "f = " + number(e.fraction.fraction, "%.4f") +
           "   eta = " + number(e.value, "%#.4g") + "   95 % interval " +
           (std::isfinite(e.low) ? number(e.low, "%#.4g") + " - " + number(e.high, "%#.4g")
                                 : std::string("-")) +
           "\n";
  };
  efficiency_line("attached (fates 2, 4, 6)", s.attached);
  efficiency_line("retained (fates 2, 4, 5, 6)", s.retained);
  if (!std::isfinite(s.flow_factor)) {
    out += "  (eta is defined for VSUP > 0 and VSUP + v_s > 0 only)\n";
  }

  out += "\nInjection disc: equal-area rings of RINJ (the outermost should attach none)\n";
  out += "  ring RINJ (m)                 particles  attached (95 % interval)   retained (95 % interval)\n";
  for (std::size_t k = 0; k < s.rings.size(); ++k) {
    const InjectionRing& r = s.rings[k];
    out += "  " + right(std::to_string(k + 1), 4) + " " +
           pad(number(r.inner, "%.3g") + " - " + number(r.outer, "%.3g"), 22) +
           right(std::to_string(r.particles), 9) + "  " +
           pad(number(r.attached.fraction, "%.3f") + " " + interval(r.attached, "%.3f"), 26) +
           number(r.retained.fraction, "%.3f") + " " + interval(r.retained, "%.3f") + "\n";
  }
  out += "  share of the attached eta from the outermost ring: " +
         number(s.outer_ring_share, "%.3f") + "\n";
  if (s.particles_for_ten_percent > 0) {
    out += "  precision: about " + std::to_string(s.particles_for_ten_percent) +
           " particles give a 95 % interval of +-10 % of the attached eta at this fraction\n";
  }

  out += "\nCorrelations for a perfect-sink collector (favorable deposition; for an unfavorable\n"
         "run eta/eta0 is the attachment efficiency alpha)\n";
  const DimensionlessNumbers& n = s.numbers;
  out += "  As = " + number(n.As) + ", NR = " + number(n.NR) + ", NPe = " + number(n.NPe) +
         ", NvdW = " + number(n.NvdW) + ", NA = " + number(n.NA) + ", NG = " + number(n.NG) +
         ", NLo = " + number(n.NLo) + "\n";
  const auto correlation = [&](const char* name, double eta0) {
    out += "  " + pad(name, 50) + "eta0 = " + number(eta0, "%#.4g") +
           "   eta/eta0 attached " + number(s.attached.value / eta0, "%.3g") + ", retained " +
           number(s.retained.value / eta0, "%.3g") + "\n";
  };
  correlation("Tufenkji and Elimelech (2004)", s.eta0_te);
  correlation("Rajagopalan and Tien (1976), Logan et al. (1995)", s.eta0_rt);

  out += s.warnings.empty() ? "\nWarnings: none\n" : "\nWarnings\n";
  for (const std::string& warning : s.warnings) out += "  - " + warning + "\n";

  out +=
      "\nAttachment positions (fates 2, 4, 6) over the polar angle from the forward\n"
      "stagnation point, 10-degree bins\n";
  for (int b = 0; b < ANGLE_BINS; ++b) {
    out += "  " + right(std::to_string(10 * b), 3) + " - " + right(std::to_string(10 * b + 10), 3) +
           " deg" + right(std::to_string(s.attachment_angle[static_cast<std::size_t>(b)]), 9) +
           "\n";
  }
}

void append_summary_json(std::string& out, const RunSummary& s) {
  Json j;
  j["directory"] = s.directory;
  j["layout"] = s.layout == RunLayout::AllParticles ? "all-particles" : "numbered";
  j["merged"] = s.merged;
  j["file_count"] = s.files.size();
  j["NPART"] = s.NPART;
  j["finished"] = s.finished;
  j["missing"] = s.missing;
  j["missing_ranges"] = Json::array();
  for (const auto& [first, last] : s.missing_ranges) j["missing_ranges"].push_back({first, last});
  for (std::size_t k = 0; k < 6; ++k) add_proportion(j["fates"][std::to_string(k + 1)], s.fates[k]);
  for (std::size_t f = 0; f < 3; ++f) {
    const FamilySummary& m = s.families[f];
    Json& family = j["families"][FLUX_FAMILY_NAMES[f]];
    add_proportion(family, m.particles);
    family["residence_time_s"] = {
        {"p10", m.residence_p10}, {"median", m.residence_median}, {"p90", m.residence_p90}};
    family["time_share"] = {
        {"bulk", m.share_bulk}, {"near_surface", m.share_near}, {"contact", m.share_contact}};
    family["mean_NSVISIT"] = m.mean_NSVISIT;
  }
  Json& efficiency = j["efficiency"];
  efficiency["settling_velocity_m_s"] = s.settling_velocity;
  efficiency["disc_ratio"] = s.disc_ratio;
  efficiency["flow_factor"] = s.flow_factor;
  efficiency["attached"] = efficiency_json(s.attached);
  efficiency["retained"] = efficiency_json(s.retained);
  j["attachment_angle"] = {{"bin_width_deg", 10}, {"counts", s.attachment_angle}};
  Json& rings = j["injection_rings"];
  rings = Json::array();
  for (const InjectionRing& r : s.rings) {
    Json ring;
    ring["inner_m"] = r.inner;
    ring["outer_m"] = r.outer;
    ring["particles"] = r.particles;
    add_proportion(ring["attached"], r.attached);
    add_proportion(ring["retained"], r.retained);
    rings.push_back(ring);
  }
  j["outer_ring_share"] = s.outer_ring_share;
  j["particles_for_ten_percent"] = s.particles_for_ten_percent;
  const DimensionlessNumbers& n = s.numbers;
  j["correlations"] = {{"numbers", {{"As", n.As}, {"NR", n.NR}, {"NPe", n.NPe}, {"NvdW", n.NvdW},
                                    {"NA", n.NA}, {"NG", n.NG}, {"NLo", n.NLo}, {"D_m2_s", n.D}}},
                       {"tufenkji_elimelech", s.eta0_te},
                       {"rajagopalan_tien", s.eta0_rt}};
  j["warnings"] = s.warnings;
  // Doubles in the shortest text that reads back to the same value; a
  // directory name that is not UTF-8 keeps its valid part.
  out += j.dump(2, ' ', false, Json::error_handler_t::replace);
  out += '\n';
}

}  // namespace colloidsim

