#include "io/validation.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "common/constants.h"
#include "common/input_error.h"
#include "forces/contact.h"
#include "forces/happel.h"
#include "io/parameter_table.h"
#include "simulation/setup.h"
#include "surface/hettrack.h"
#include "surface/hettrackp.h"

namespace colloidsim {

namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

// Six significant digits, for constants held in single precision.
std::string short_number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

class Checker {
 public:
  explicit Checker(const ParameterFile& file) : file_(file) {}
  const ParameterFile& file() const { return file_; }

  void require(bool ok, const char* name, double value, const std::string& expected) const {
    if (!ok) throw parameter_error(file_, name, value, expected);
  }

 private:
  const ParameterFile& file_;
};

struct Positive {
  const char* name;
  double value;
};

// A parameter as a derived-quantity message names it: its value as written
// and its line.
std::string parameter_source(const ParameterFile& file, const std::string& name, double value) {
  const auto it = file.origins.find(name);
  if (it == file.origins.end() || it->second.text.empty()) return name + " = " + number(value);
  return name + " = " + quoted_value(it->second.text) + " (line " +
         std::to_string(it->second.line) + ")";
}

// The message about a quantity derived from several parameters: what it is,
// the parameters it comes from with their values and lines, and what would
// put it right.
InputError derived_error(const ParameterFile& file, const std::string& quantity,
                         std::initializer_list<Positive> sources, const std::string& expected) {
  std::string from;
  for (const Positive& s : sources) {
    from += (from.empty() ? "" : ", ") + parameter_source(file, s.name, s.value);
  }
  return InputError(file.display_name, quantity + " from " + from + "; expected " + expected);
}

// Particle counts, the run mode and the quantities that must be positive.
void check_counts_and_positives(const Checker& c, const RunParameters& p) {
  c.require(p.NPART >= 1, "NPART", p.NPART, "at least 1 particle");
  c.require(p.CLUSTER == 0 || p.CLUSTER == 1, "CLUSTER", p.CLUSTER,
            "0 (all particles in one run) or 1 (one particle from the command line)");

  for (const Positive& q : {Positive{"AG", p.AG}, Positive{"AP", p.AP}, Positive{"TTIME", p.TTIME},
                            Positive{"RHOP", p.RHOP}, Positive{"RHOW", p.RHOW},
                            Positive{"VISC", p.VISC}, Positive{"ER", p.ER}, Positive{"T", p.T},
                            Positive{"IS", p.IS}}) {
    c.require(q.value > 0, q.name, q.value, "a value > 0");
  }
}

// The ion valence and the double layer's length scale.
void check_double_layer_scale(const Checker& c, const RunParameters& p) {
  c.require(p.ZI != 0, "ZI", p.ZI, "a non-zero ion valence");
  // The double layer's length scale; the echo and the zone of influence
  // depend on it.
  const double KAPPA = debye_parameter(p.IS, p.ZI, p.ER, p.T);
  const double RZOIBULK = bulk_zone_radius(p.AP, KAPPA);
  if (!(std::isfinite(KAPPA) && KAPPA > 0 && std::isfinite(RZOIBULK) && RZOIBULK > 0)) {
    const auto it = c.file().origins.find("IS");
    throw InputError(c.file().display_name, it == c.file().origins.end() ? 0 : it->second.line,
                     "IS, ZI, ER, T", "the Debye parameter KAPPA = " + number(KAPPA) +
                         " 1/m and the zone-of-influence radius RZOIBULK = " + number(RZOIBULK) +
                         " m",
                     "values that give a positive, finite KAPPA and RZOIBULK = 2 sqrt(AP / KAPPA)");
  }
}

// The cell: porosity, approach velocity, a particle that fits, the injection
// radius.
void check_cell(const Checker& c, const RunParameters& p) {
  c.require(p.POROSITY > 0 && p.POROSITY < 1, "POROSITY", p.POROSITY, "a value in (0, 1)");
  c.require(p.VSUP >= 0, "VSUP", p.VSUP, "a value >= 0");
  const double RB = happel_constants(p.POROSITY, p.AG).RB;
  // Otherwise a particle cannot be placed in the cell without overlapping
  // the collector.
  c.require(RB - p.AG > 2.0 * p.AP, "AP", p.AP,
            "a particle whose diameter fits between the collector and the cell boundary: RB - "
            "AG = " + number(RB - p.AG) + " m (the cell radius RB follows from POROSITY and AG)");
  c.require(p.RLIM > 0 && p.RLIM <= RB, "RLIM", p.RLIM,
            "a value in (0, RB] with the cell radius RB = " + number(RB) + " m");
}

// The model switches and the trajectory file's row limit.
void check_modes(const Checker& c, const RunParameters& p) {
  c.require(p.VDWMODE >= 1 && p.VDWMODE <= 4, "VDWMODE", p.VDWMODE, "1, 2, 3 or 4");
  c.require(p.RMODE >= 0 && p.RMODE <= 3, "RMODE", p.RMODE, "0, 1, 2 or 3");
  c.require(p.RMODE == 0 || p.ASP > 0, "ASP", p.ASP, "an asperity radius > 0 when RMODE is 1, 2 or 3");
  c.require(p.CBGRAV >= 1 && p.CBGRAV <= 4, "CBGRAV", p.CBGRAV, "1, 2, 3 or 4");
  c.require(p.NOUT >= 0, "NOUT", p.NOUT,
            "0 or more (every NOUT-th step is recorded; 0: only the first and the last)");
  c.require(p.PRINTMAX >= 1, "PRINTMAX", p.PRINTMAX, "at least 1");
}

// The time step multipliers and the slow-motion thresholds.
void check_time_steps(const Checker& c, const RunParameters& p) {
  c.require(p.MULTB > 0, "MULTB", p.MULTB, "a value > 0");
  c.require(p.MULTNS > 0, "MULTNS", p.MULTNS, "a value > 0");
  c.require(p.MULTC > 0, "MULTC", p.MULTC, "a value > 0");
  // A time step that underflows to 0, or is too small to advance the
  // particle clock, would never reach TTIME.
  const double DTMRT = momentum_relaxation_time(p.AP, p.RHOP, p.VISC);
  if (!(std::isfinite(DTMRT) && DTMRT > 0)) {
    throw derived_error(c.file(),
                        "the momentum relaxation time dTMRT = 2 AP^2 RHOP / (9 VISC) = " +
                            number(DTMRT) + " s",
                        {{"AP", p.AP}, {"RHOP", p.RHOP}, {"VISC", p.VISC}},
                        "a positive, finite dTMRT, the unit of the time steps: a density and a "
                        "viscosity of a liquid and a colloid");
  }
  const double clock_step = 0.5 * (std::nextafter(p.TTIME, INFINITY) - p.TTIME);
  for (const Positive& m : {Positive{"MULTB", p.MULTB}, Positive{"MULTNS", p.MULTNS},
                            Positive{"MULTC", p.MULTC}}) {
    const double DT = m.value * DTMRT;
    if (!(std::isfinite(DT) && DT > clock_step)) {
      throw derived_error(
          c.file(), std::string("the time step ") + m.name + " x dTMRT = " + number(DT) + " s",
          {{m.name, m.value}, {"AP", p.AP}, {"RHOP", p.RHOP}, {"VISC", p.VISC}, {"TTIME", p.TTIME}},
          "a finite step large enough to advance the particle clock up to TTIME (dTMRT = 2 "
          "AP^2 RHOP / (9 VISC) = " + number(DTMRT) + " s): a density RHOP or viscosity VISC "
          "of a liquid and a colloid, or a larger " + m.name);
    }
  }
  c.require(p.DFACTNS >= 0, "DFACTNS", p.DFACTNS, "a slow-motion threshold >= 0");
  c.require(p.DFACTC >= 0, "DFACTC", p.DFACTC, "a slow-motion threshold >= 0");
}

// Slip length and the decay lengths of the surface forces.
void check_decay_lengths(const Checker& c, const RunParameters& p) {
  c.require(p.B >= 0, "B", p.B, "a slip length >= 0");
  c.require(p.LAMBDAVDW > 0, "LAMBDAVDW", p.LAMBDAVDW, "a retardation wavelength > 0");
  // The acid-base and steric laws divide by their decay lengths.
  c.require(p.LAMBDAAB > 0, "LAMBDAAB", p.LAMBDAAB, "a decay length > 0");
  c.require(p.LAMBDASTE > 0, "LAMBDASTE", p.LAMBDASTE, "a decay length > 0");
}

// The adhesive contact: work of adhesion, elastic constant and the
// contact-radius multiplier.
void check_contact(const Checker& c, const RunParameters& p) {
  const double W132 = p.W132 > 0 ? 0.0 : p.W132;
  c.require(W132 == 0 || p.KINT > 0, "KINT", p.KINT, "a value > 0 when W132 < 0");
  // With no adhesion the contact radius is 0/KINT: a zero KINT makes it 0/0.
  c.require(p.KINT != 0, "KINT", p.KINT, "a non-zero value");
  const double ACONTMAX = contact_radius_max(W132, p.AP, p.KINT);
  if (!(ACONTMAX < p.AP)) {
    throw derived_error(c.file(),
                        "the largest contact radius ACONTMAX = " + number(ACONTMAX) + " m",
                        {{"W132", p.W132}, {"KINT", p.KINT}, {"AP", p.AP}},
                        "ACONTMAX below AP: a smaller work of adhesion |W132| or a stiffer "
                        "contact (larger KINT)");
  }
  // The steps take ACONT = BETA sqrt(2 AP DEF - DEF^2) up to DEF = DEFMAX, where
  // the root is ACONTMAX; a contact radius beyond AP has no zone of influence.
  c.require(p.BETA > 0, "BETA", p.BETA, "a contact-radius multiplier > 0");
  const double DEFMAX = p.AP - std::sqrt(p.AP * p.AP - ACONTMAX * ACONTMAX);
  const double ACONT_LARGEST = p.BETA * std::sqrt((2.0 * p.AP) * DEFMAX - DEFMAX * DEFMAX);
  c.require(ACONT_LARGEST < p.AP, "BETA", p.BETA,
            "a multiplier whose largest contact radius BETA x ACONTMAX = " +
                number(ACONT_LARGEST) + " m stays below AP");
}

// The coated models take square roots of the Hamaker constants of the
// materials they use; core and coating thicknesses must fit the radii.
void check_coated_van_der_waals(const Checker& c, const RunParameters& p) {
  if (!(p.VDWMODE >= 2 && p.VDWMODE <= 4)) return;
  const bool particle_coated = p.VDWMODE == 2 || p.VDWMODE == 4;
  const bool collector_coated = p.VDWMODE == 2 || p.VDWMODE == 3;
  struct Hamaker {
    const char* name;
    double value;
    bool used;
  };
  for (const Hamaker& h :
       {Hamaker{"A11", p.A11, true}, Hamaker{"AC1C1", p.AC1C1, particle_coated},
        Hamaker{"A22", p.A22, true}, Hamaker{"AC2C2", p.AC2C2, collector_coated},
        Hamaker{"A33", p.A33, true}}) {
    c.require(!h.used || h.value >= 0, h.name, h.value,
              "a Hamaker constant >= 0 (VDWMODE " + std::to_string(p.VDWMODE) +
                  " takes its square root)");
  }
  c.require(!particle_coated || (p.T1 >= 0 && p.T1 < p.AP), "T1", p.T1,
            "a particle coating thickness in [0, AP) when VDWMODE is 2 or 4");
  c.require(!collector_coated || (p.T2 >= 0 && p.T2 < p.AG), "T2", p.T2,
            "a collector coating thickness in [0, AG) when VDWMODE is 2 or 3");
}

void check_coverages(const Checker& c, const RunParameters& p) {
  c.require(p.SCOV >= 0, "SCOV", p.SCOV, "a coverage in [0, 1) (0: no collector heterodomains)");
  c.require(p.SCOVP >= 0, "SCOVP", p.SCOVP, "a coverage in [0, 1) (0: no particle heterodomains)");
}

// The collector's heterodomain layout, when it has any.
void check_collector_heterodomains(const Checker& c, const RunParameters& p) {
  if (!(p.SCOV > 0)) return;
  c.require(p.SCOV < 1, "SCOV", p.SCOV, "a coverage below 1");
  c.require(p.HETMODE == 1 || p.HETMODE == 5 || p.HETMODE == 9 || p.HETMODE == 73, "HETMODE",
            p.HETMODE, "1, 5, 9 or 73 when SCOV > 0");
  c.require(p.RHET0 > 0, "RHET0", p.RHET0, "a heterodomain radius > 0 when SCOV > 0");
  c.require(p.HETMODE == 1 || p.RHET1 > 0, "RHET1", p.RHET1,
            "a heterodomain radius > 0 when SCOV > 0 and HETMODE is 5, 9 or 73");
  c.require(p.HETMODE != 73 || p.RHET2 > 0, "RHET2", p.RHET2,
            "a heterodomain radius > 0 when SCOV > 0 and HETMODE is 73");
  const std::int64_t NCL =
      collector_cluster_count(p.AG, p.HETMODE, p.SCOV, p.RHET0, p.RHET1, p.RHET2);
  if (NCL < 3) {
    throw derived_error(c.file(),
                        "the number of heterodomain clusters on the collector, " +
                            std::to_string(NCL) + ",",
                        {{"SCOV", p.SCOV}, {"HETMODE", static_cast<double>(p.HETMODE)},
                         {"RHET0", p.RHET0}, {"RHET1", p.RHET1}, {"RHET2", p.RHET2},
                         {"AG", p.AG}},
                        "at least 3 clusters: heterodomain radii RHET0, RHET1, RHET2 small "
                        "against the collector radius AG, or a larger coverage SCOV");
  }
}

// The particle's heterodomain layout, when it has any.
void check_particle_heterodomains(const Checker& c, const RunParameters& p) {
  if (!(p.SCOVP > 0)) return;
  c.require(p.SCOVP < 1, "SCOVP", p.SCOVP, "a coverage below 1");
  c.require(p.HETMODEP == 1 || p.HETMODEP == 5 || p.HETMODEP == 9, "HETMODEP", p.HETMODEP,
            "1, 5 or 9 when SCOVP > 0");
  c.require(p.RHETP0 > 0, "RHETP0", p.RHETP0, "a heterodomain radius > 0 when SCOVP > 0");
  c.require(p.HETMODEP == 1 || p.RHETP1 > 0, "RHETP1", p.RHETP1,
            "a heterodomain radius > 0 when SCOVP > 0 and HETMODEP is 5 or 9");
  const std::int64_t NCLP =
      particle_cluster_count(p.AP, p.HETMODEP, p.SCOVP, p.RHETP0, p.RHETP1);
  c.require(NCLP != 1 && NCLP != 2, "SCOVP", p.SCOVP,
            "a coverage that lays out no cluster or at least 3 heterodomain clusters on the "
            "particle (it lays out " + std::to_string(NCLP) + ")");
  const std::int64_t count =
      particle_heterodomain_count(p.AP, p.HETMODEP, p.SCOVP, p.RHETP0, p.RHETP1);
  c.require(count <= MAX_PARTICLE_HETERODOMAINS, "SCOVP", p.SCOVP,
            "a coverage that lays out at most 10000000 particle heterodomains (it lays out " +
                std::to_string(count) + ")");
}

}  // namespace

InputError parameter_error(const ParameterFile& file, const std::string& name, double value,
                           const std::string& expected) {
  int line = 0;
  std::string found;
  if (auto it = file.origins.find(name); it != file.origins.end()) {
    line = it->second.line;
    // A null on the line left the value as it was before.
    if (it->second.after_slash) {
      found = "no value (the slash on line " + std::to_string(line) +
              " ends the record before it; it stays " + number(value) + ")";
    } else {
      found = it->second.text.empty()
                  ? "no value (a null on the line left it unset, at " + number(value) + ")"
                  : quoted_value(it->second.text);
    }
  }
  if (found.empty()) found = number(value);
  return InputError(file.display_name, line, name, found, expected);
}

void validate_parameters(const ParameterFile& file) {
  const RunParameters& p = file.parameters;
  const Checker c(file);
  check_counts_and_positives(c, p);
  check_double_layer_scale(c, p);
  check_cell(c, p);
  check_modes(c, p);
  check_time_steps(c, p);
  check_decay_lengths(c, p);
  check_contact(c, p);
  check_coated_van_der_waals(c, p);
  check_coverages(c, p);
  check_collector_heterodomains(c, p);
  check_particle_heterodomains(c, p);
}

std::vector<std::string> plausibility_warnings(const ParameterFile& file) {
  const RunParameters& p = file.parameters;
  std::vector<std::string> warnings;
  const auto warn = [&](bool plausible, const char* name, double value, const std::string& why) {
    if (plausible) return;
    std::string where = PARAMETER_FILE;
    if (auto it = file.origins.find(name); it != file.origins.end() && it->second.line > 0) {
      where += ", line " + std::to_string(it->second.line);
    }
    warnings.push_back(where + ", parameter " + name + ": " + number(value) + " " + why);
  };
  struct Zeta {
    const char* name;
    double value;
    bool used;
  };
  for (const Zeta& z : {Zeta{"ZETAPST", p.ZETAPST, true}, Zeta{"ZETACST", p.ZETACST, true},
                        Zeta{"ZETAHET", p.ZETAHET, p.SCOV > 0},
                        Zeta{"ZETAHETP", p.ZETAHETP, p.SCOVP > 0}}) {
    warn(!z.used || std::fabs(z.value) <= 0.3, z.name, z.value,
         "V is beyond the zeta potentials of real surfaces (|zeta| <= 0.3 V); the unit is V, so "
         "-30 mV is -0.030");
  }
  warn(p.IS >= 1e-4 && p.IS <= 1e4, "IS", p.IS,
       "mol/m3 is outside 1e-4 to 1e4 mol/m3; the unit is mol/m3 (mM), so 10 mM is 10.0 and "
       "0.01 mol/L is 10.0");
  warn(p.AP <= p.AG / 5, "AP", p.AP,
       "m is above AG/5 = " + number(p.AG / 5) + " m, a particle not small beside its collector; "
       "both radii are in m");
  warn(p.T >= 250 && p.T <= 400, "T", p.T,
       "K is outside 250-400 K, the range of liquid water; the unit is K, so 25 C is 298.15");
  return warnings;
}

std::vector<std::string> input_warnings(const ParameterFile& file) {
  std::vector<std::string> warnings = file.warnings;
  // A slash that ends a group before its last value leaves the rest as they
  // were before the read: 0. Legal, and easy to miss.
  std::map<int, std::vector<std::string>> unset;
  for (const ParameterInfo& info : PARAMETERS) {
    const auto it = file.origins.find(info.name);
    if (it != file.origins.end() && it->second.after_slash) unset[it->second.line].push_back(info.name);
  }
  for (const auto& [line, names] : unset) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    warnings.push_back(file.display_name + ", line " + std::to_string(line) + ": the slash leaves " +
                       list + " unset, so " + (names.size() == 1 ? "it stays 0" : "they stay 0"));
  }
  for (std::string& w : plausibility_warnings(file)) warnings.push_back(std::move(w));
  return warnings;
}

void validate_restart_records(RestartFile& file, std::int32_t count, const RunParameters& p,
                              const RunConstants& c) {
  for (std::int32_t k = 1; k <= count; ++k) {
    const RestartRecord r = file.record(k);
    const auto require = [&](bool ok, const char* column, double value,
                             const std::string& expected) {
      if (ok) return;
      throw InputError(RESTART_FILE, file.last_record_line(),
                       "record " + std::to_string(k) + " " + column, number(value), expected);
    };
    require(r.RINIT > p.AG && r.RINIT <= c.RB, "ROUT(m)", r.RINIT,
            "a distance from the collector centre in (AG, RB] = (" + number(p.AG) + ", " +
                number(c.RB) + "] m, the final point of a particle attached to this run's "
                "collector");
    // The file holds 8 digits; the first step takes R from the position.
    const double distance = std::sqrt(r.XINIT * r.XINIT + r.YINIT * r.YINIT + r.ZINIT * r.ZINIT);
    require(std::fabs(distance - r.RINIT) <= 1e-6 * r.RINIT, "ROUT(m)", r.RINIT,
            "the distance of the point (XOUT, YOUT, ZOUT) from the collector centre, " +
                number(distance) + " m");
    // A gap written by a run is R - AG - AP + DEF - q < R - AG (DEF < AP).
    require(r.HINIT < r.RINIT - p.AG, "HOUT(m)", r.HINIT,
            "a separation below ROUT - AG = " + number(r.RINIT - p.AG) + " m");
    require(r.HINIT >= H0, "HOUT(m)", r.HINIT,
            "a separation >= H0 = " + short_number(H0) +
                " m: a restart starts each particle in contact where an earlier run left it at "
                "rest, so FLUXATT.IN must hold particles attached in contact (fates 2 and 4 of a "
                "run with ATTMODE 1); a perfect-sink run (ATTMODE 0) stops each particle at its "
                "first step into the contact band, mostly below H0, and a crashed particle (fate "
                "6) lies below H0");
    require(r.ACONT >= 0 && r.ACONT < p.AP, "ACONT(m)", r.ACONT,
            "a contact radius in [0, AP) with AP = " + number(p.AP) + " m");
  }
}

void validate_particle_number(std::int32_t NPART, std::int32_t FIRST, std::int32_t LAST) {
  if (NPART < 1) {
    throw InputError("command line argument 1", 0, "NPART", std::to_string(NPART),
                     "at least 1 particle");
  }
  const std::string range = "1.." + std::to_string(NPART);
  if (FIRST == LAST) {
    if (FIRST < 1 || FIRST > NPART) {
      throw InputError("command line argument 2", 0, "IPART", std::to_string(FIRST),
                       "a particle number in " + range);
    }
  } else if (FIRST < 1 || FIRST > LAST || LAST > NPART) {
    throw InputError("command line argument 2", 0, "IPART",
                     "the block " + std::to_string(FIRST) + "-" + std::to_string(LAST),
                     "a block A-B with 1 <= A <= B <= NPART = " + std::to_string(NPART));
  }
}

}  // namespace colloidsim
