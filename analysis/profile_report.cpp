#include "analysis/profile_report.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "common/constants.h"

namespace colloidsim {

namespace {

using Json = nlohmann::ordered_json;

constexpr double NM = 1e-9;
// Rows of the text form's table per pair.
constexpr int TEXT_ROWS = 24;

const char* const INTEGRATION =
    "adaptive Gauss-Kronrod (7/15 points) in ln H on every grid interval, split at ASP "
    "where the asperity terms end, summed from HMAX down; relative tolerance 1e-12";
const char* const WEIGHTING_NOTE =
    "near the surface the run weights the double layer of these pairs by their fractions of "
    "the zone of influence (radius RZOIBULK); each profile here is that of two uniform surfaces";
const char* const CONTACT_NOTE =
    "below HCUT the run is in contact: it deforms the contact and grows the zone of influence, "
    "which this profile of the free particle does not";
const char* const CORRELATION_NOTE =
    "both correlations are fits for a perfect-sink (favorable) collector; for an unfavorable "
    "run eta/eta0 is the attachment efficiency";

std::string format(const char* layout, double value) {
  if (std::isnan(value)) return "-";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, layout, value);
  return buffer;
}

// Every digit a double needs to be read back; NaN as "NaN".
std::string full(double value) {
  if (std::isnan(value)) return "NaN";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

std::string g4(double value) { return format("%.4g", value); }
std::string e3(double value) { return format("%.3e", value); }
std::string g6(double value) { return format("%.6g", value); }

Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json extremum_json(const Extremum& x, double kT) {
  if (!x.found) return nullptr;
  return Json{{"H_m", x.H}, {"E_J", x.E}, {"E_kT", x.E / kT}};
}

std::string extremum_text(const Extremum& x, double kT) {
  if (!x.found) return "none";
  return g4(x.E / kT) + " kT at H = " + g4(x.H / NM) + " nm";
}

std::string condition_line(const RunProfile& r) {
  const RunParameters& p = r.p;
  return "AP = " + g6(p.AP) + " m, AG = " + g6(p.AG) + " m, IS = " + g6(p.IS) +
         " mol/m3 (ZI = " + g6(p.ZI) + "), ZETAPST = " + g6(p.ZETAPST) +
         " V, ZETACST = " + g6(p.ZETACST) + " V, A132 = " + g6(p.A132) +
         " J, VDWMODE = " + std::to_string(p.VDWMODE) + ", RMODE = " + std::to_string(p.RMODE) +
         ", T = " + g6(p.T) + " K";
}

}  // namespace

void write_profile_text(std::ostream& out, const RunProfile& r, const std::filesystem::path& input) {
  const double kT = r.kT;
  const RunConstants& c = r.c;
  out << "Interaction energy profile of " << input.string() << "\n"
      << "  " << condition_line(r) << "\n"
      << "  kT = " << e3(kT) << " J\n\n";
  out << "Lengths\n"
      << "  H0        " << e3(H0) << " m  (first grid point)\n"
      << "  HCUT      " << e3(c.HCUT) << " m  (contact regime at or below)\n"
      << "  HMIN      " << e3(c.HMIN) << " m  (primary minimum of the setup scan)\n"
      << "  1/KAPPA   " << e3(1.0 / c.KAPPA) << " m  (Debye length)\n"
      << "  RZOIBULK  " << e3(c.RZOIBULK) << " m  (zone of influence)\n\n";
  out << "E(H) = integral from H to HMAX of FCOLL dh, positive = repulsive, on "
      << r.pairs.front().profile.H.size() << " points from H0 to HMAX = " << e3(r.hmax) << " m"
      << (r.hmax_default ? " (where every force part has fallen below 1e-6 kT/nm, at most 1 um)"
                         : " (--hmax)")
      << "\n  integration: " << INTEGRATION << "\n  note: " << CONTACT_NOTE << "\n\n";

  const HeterodomainReport& h = r.heterodomains;
  if (h.active) {
    out << "Heterodomains: collector coverage SCOV = " << g4(h.collector_coverage)
        << ", particle coverage SCOVP = " << g4(h.particle_coverage) << "\n"
        << "  note: " << WEIGHTING_NOTE << "\n";
    if (!std::isnan(h.zoi_fraction_bound)) {
      out << "  HETMODE 1: the collector heterodomains cover at most (RHET0/RZOIBULK)^2 = "
          << g4(h.zoi_fraction_bound)
          << " of the zone of influence (the weighting sees the one heterodomain on the "
             "nearest lattice site)\n";
    }
    if (!std::isnan(h.barrier_vanishing_fraction)) {
      out << "  the base surfaces' barrier vanishes when collector heterodomains cover "
          << g4(h.barrier_vanishing_fraction) << " of the zone of influence";
      if (h.zoi_fraction_bound < h.barrier_vanishing_fraction) {
        out << ", more than the bound: the collector heterodomains alone never remove it";
      }
      out << "\n";
    }
    out << "\n";
  }

  for (std::size_t k = 0; k < r.pairs.size(); ++k) {
    const SurfacePairProfile& pair = r.pairs[k];
    out << "Pair " << k + 1 << ": " << pair_label(pair) << " (ZETAC = " << g4(pair.ZETAC)
        << " V, ZETAP = " << g4(pair.ZETAP) << " V)\n"
        << "  energy barrier     " << extremum_text(pair.features.barrier, kT) << "\n"
        << "  secondary minimum  " << extremum_text(pair.features.secondary_minimum, kT) << "\n"
        << "  primary minimum    " << extremum_text(pair.features.primary_minimum, kT) << "\n";
  }
  out << "\n";

  const RunNumbers& n = r.numbers;
  const DimensionlessNumbers& d = n.numbers;
  out << "Run numbers\n"
      << "  momentum relaxation time DTMRT  " << e3(n.DTMRT) << " s\n"
      << "  time steps  bulk " << e3(n.DT[0]) << " s (MULTB), near-surface " << e3(n.DT[1])
      << " s (MULTNS), contact " << e3(n.DT[2]) << " s (MULTC)\n"
      << "  Stokes settling velocity  " << e3(n.settling_velocity) << " m/s along the flow\n"
      << "  bulk diffusion coefficient  " << e3(n.diffusion) << " m2/s\n"
      << "  As = " << g4(d.As) << ", NR = " << g4(d.NR) << ", NPe = " << g4(d.NPe)
      << ", NvdW = " << g4(d.NvdW) << ", NA = " << g4(d.NA) << ", NG = " << g4(d.NG)
      << ", NLo = " << g4(d.NLo) << "\n"
      << "  eta0  Tufenkji-Elimelech (2004) " << g4(n.eta0_te) << ", Rajagopalan-Tien (1976) "
      << g4(n.eta0_rt) << "\n  note: " << CORRELATION_NOTE << "\n"
      << "  cost  " << e3(n.bulk_steps_per_pass)
      << " bulk steps for one pass through the cell (2 RB / (VSUP + settling) / bulk step), "
      << "about " << g4(n.seconds_per_pass) << " s per particle at "
      << g4(BULK_STEP_COST_S * 1e9) << " ns per bulk step\n";

  for (std::size_t k = 0; k < r.pairs.size(); ++k) {
    const EnergyProfile& e = r.pairs[k].profile;
    out << "\nProfile of pair " << k + 1 << " (" << TEXT_ROWS + 1 << " of the " << e.H.size()
        << " points; --csv gives every point)\n"
        << "      H (nm)     FVDW (N)     FEDL (N)      FAB (N)    FBORN (N)     FSTE (N)"
           "    FCOLL (N)       E (kT)\n";
    const std::size_t last = e.H.size() - 1;
    std::size_t previous = last + 1;
    for (int row = 0; row <= TEXT_ROWS; ++row) {
      const std::size_t i = static_cast<std::size_t>(std::llround(double(row) * last / TEXT_ROWS));
      if (i == previous) continue;
      previous = i;
      std::string line = format("%12.5g", e.H[i] / NM);
      for (int p = 0; p < PART_COUNT; ++p) line += format(" %12.4e", e.F[i][p]);
      line += format(" %12.5g", e.E[i][PART_COLL] / kT);
      out << line << "\n";
    }
  }
}

void write_profile_json(std::ostream& out, const RunProfile& r, const std::filesystem::path& input) {
  const double kT = r.kT;
  const RunParameters& p = r.p;
  const RunConstants& c = r.c;
  Json j;
  j["input"] = input.string();
  j["condition"] = Json{{"AP_m", p.AP},           {"AG_m", p.AG},         {"IS_mol_m3", p.IS},
                        {"ZI", p.ZI},             {"T_K", p.T},           {"ZETAPST_V", p.ZETAPST},
                        {"ZETACST_V", p.ZETACST}, {"ZETAHET_V", p.ZETAHET}, {"ZETAHETP_V", p.ZETAHETP},
                        {"A132_J", p.A132},       {"VDWMODE", p.VDWMODE}, {"RMODE", p.RMODE},
                        {"ASP_m", p.ASP}};
  j["kT_J"] = kT;
  j["lengths"] = Json{{"H0_m", H0},
                      {"HCUT_m", c.HCUT},
                      {"HMIN_m", c.HMIN},
                      {"debye_length_m", 1.0 / c.KAPPA},
                      {"RZOIBULK_m", c.RZOIBULK}};
  j["grid"] = Json{{"points", r.pairs.front().profile.H.size()},
                   {"hmax_m", r.hmax},
                   {"hmax_default", r.hmax_default},
                   {"breakpoints_m", r.breakpoints},
                   {"integration", INTEGRATION}};
  const HeterodomainReport& h = r.heterodomains;
  j["heterodomains"] = Json{{"active", h.active},
                            {"collector_coverage", h.collector_coverage},
                            {"particle_coverage", h.particle_coverage},
                            {"zoi_fraction_bound", number(h.zoi_fraction_bound)},
                            {"barrier_vanishing_fraction", number(h.barrier_vanishing_fraction)},
                            {"note", WEIGHTING_NOTE}};
  Json pairs = Json::array();
  for (const SurfacePairProfile& pair : r.pairs) {
    const EnergyProfile& e = pair.profile;
    Json profile;
    profile["H_m"] = e.H;
    for (int part = 0; part < PART_COUNT; ++part) {
      Json values = Json::array();
      for (const PartValues& F : e.F) values.push_back(number(F[part]));
      profile[std::string(PART_NAMES[part]) + "_N"] = std::move(values);
    }
    Json EJ = Json::array(), EkT = Json::array();
    for (const PartValues& E : e.E) {
      EJ.push_back(number(E[PART_COLL]));
      EkT.push_back(number(E[PART_COLL] / kT));
    }
    profile["E_J"] = std::move(EJ);
    profile["E_kT"] = std::move(EkT);
    pairs.push_back(Json{{"label", pair_label(pair)},
                         {"collector", pair.collector},
                         {"particle", pair.particle},
                         {"ZETAC_V", pair.ZETAC},
                         {"ZETAP_V", pair.ZETAP},
                         {"barrier", extremum_json(pair.features.barrier, kT)},
                         {"secondary_minimum", extremum_json(pair.features.secondary_minimum, kT)},
                         {"primary_minimum", extremum_json(pair.features.primary_minimum, kT)},
                         {"profile", std::move(profile)}});
  }
  j["pairs"] = std::move(pairs);
  const RunNumbers& n = r.numbers;
  const DimensionlessNumbers& d = n.numbers;
  j["run"] = Json{
      {"DTMRT_s", n.DTMRT},
      {"time_step_s", Json{{"bulk", n.DT[0]}, {"near_surface", n.DT[1]}, {"contact", n.DT[2]}}},
      {"settling_velocity_m_s", n.settling_velocity},
      {"diffusion_m2_s", n.diffusion},
      {"dimensionless", Json{{"As", number(d.As)},
                             {"NR", number(d.NR)},
                             {"NPe", number(d.NPe)},
                             {"NvdW", number(d.NvdW)},
                             {"NA", number(d.NA)},
                             {"NG", number(d.NG)},
                             {"NLo", number(d.NLo)}}},
      {"eta0", Json{{"tufenkji_elimelech_2004", number(n.eta0_te)},
                    {"rajagopalan_tien_1976", number(n.eta0_rt)},
                    {"note", CORRELATION_NOTE}}},
      {"cost", Json{{"approach_velocity_m_s", n.approach_velocity},
                    {"bulk_steps_per_pass", number(n.bulk_steps_per_pass)},
                    {"bulk_step_cost_s", BULK_STEP_COST_S},
                    {"seconds_per_pass", number(n.seconds_per_pass)}}}};
  out << j.dump() << "\n";
}

void write_profile_csv(std::ostream& out, const RunProfile& r) {
  out << "pair,collector,particle,H_m";
  for (const char* name : PART_NAMES) out << "," << name << "_N";
  out << ",E_J,E_kT\n";
  for (std::size_t k = 0; k < r.pairs.size(); ++k) {
    const SurfacePairProfile& pair = r.pairs[k];
    const EnergyProfile& e = pair.profile;
    for (std::size_t i = 0; i < e.H.size(); ++i) {
      std::string line = std::to_string(k + 1) + "," + pair.collector + "," + pair.particle + "," +
                         full(e.H[i]);
      for (int p = 0; p < PART_COUNT; ++p) line += "," + full(e.F[i][p]);
      line += "," + full(e.E[i][PART_COLL]) + "," +
              full(e.E[i][PART_COLL] / r.kT);
      out << line << "\n";
    }
  }
}

}  // namespace colloidsim
