#include "io/validation.h"

#include <cmath>
#include <cstdio>

#include "common/constants.h"
#include "common/input_error.h"
#include "forces/contact.h"
#include "forces/happel.h"
#include "surface/hettrack.h"
#include "surface/hettrackp.h"

namespace colloidsim {

namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

class Checker {
 public:
  explicit Checker(const ParameterFile& file) : file_(file) {}

  void require(bool ok, const char* name, double value, const std::string& expected) const {
    if (ok) return;
    int line = 0;
    std::string found;
    if (auto it = file_.origins.find(name); it != file_.origins.end()) {
      line = it->second.line;
      if (!it->second.text.empty()) found = quoted_value(it->second.text);
    }
    if (found.empty()) found = number(value);
    throw InputError(PARAMETER_FILE, line, name, found, expected);
  }

 private:
  const ParameterFile& file_;
};

}  // namespace

void validate_parameters(const ParameterFile& file) {
  const RunParameters& p = file.parameters;
  const Checker c(file);
  c.require(p.NPART >= 1, "NPART", p.NPART, "at least 1 particle");
  c.require(p.CLUSTER == 0 || p.CLUSTER == 1, "CLUSTER", p.CLUSTER,
            "0 (all particles in one run) or 1 (one particle from the command line)");

  struct Positive {
    const char* name;
    double value;
  };
  for (const Positive& q : {Positive{"AG", p.AG}, Positive{"AP", p.AP}, Positive{"TTIME", p.TTIME},
                            Positive{"RHOP", p.RHOP}, Positive{"RHOW", p.RHOW},
                            Positive{"VISC", p.VISC}, Positive{"ER", p.ER}, Positive{"T", p.T},
                            Positive{"IS", p.IS}}) {
    c.require(q.value > 0, q.name, q.value, "a value > 0");
  }
  c.require(p.ZI != 0, "ZI", p.ZI, "a non-zero ion valence");
  c.require(p.POROSITY > 0 && p.POROSITY < 1, "POROSITY", p.POROSITY, "a value in (0, 1)");
  c.require(p.VSUP >= 0, "VSUP", p.VSUP, "a value >= 0");
  const double RB = happel_constants(p.POROSITY, p.AG).RB;
  c.require(p.RLIM > 0 && p.RLIM <= RB, "RLIM", p.RLIM,
            "a value in (0, RB] with the cell radius RB = " + number(RB) + " m");
  c.require(p.VDWMODE >= 1 && p.VDWMODE <= 4, "VDWMODE", p.VDWMODE, "1, 2, 3 or 4");
  c.require(p.RMODE >= 0 && p.RMODE <= 3, "RMODE", p.RMODE, "0, 1, 2 or 3");
  c.require(p.RMODE == 0 || p.ASP > 0, "ASP", p.ASP, "an asperity radius > 0 when RMODE is 1, 2 or 3");
  c.require(p.CBGRAV >= 1 && p.CBGRAV <= 4, "CBGRAV", p.CBGRAV, "1, 2, 3 or 4");
  c.require(p.PRINTMAX >= 1, "PRINTMAX", p.PRINTMAX, "at least 1");
  c.require(p.MULTB > 0, "MULTB", p.MULTB, "a value > 0");
  c.require(p.MULTNS > 0, "MULTNS", p.MULTNS, "a value > 0");
  c.require(p.MULTC > 0, "MULTC", p.MULTC, "a value > 0");
  // The acid-base and steric laws divide by their decay lengths.
  c.require(p.LAMBDAAB > 0, "LAMBDAAB", p.LAMBDAAB, "a decay length > 0");
  c.require(p.LAMBDASTE > 0, "LAMBDASTE", p.LAMBDASTE, "a decay length > 0");

  const double W132 = p.W132 > 0 ? 0.0 : p.W132;
  c.require(W132 == 0 || p.KINT > 0, "KINT", p.KINT, "a value > 0 when W132 < 0");
  // With no adhesion the contact radius is 0/KINT: a zero KINT makes it 0/0.
  c.require(p.KINT != 0, "KINT", p.KINT, "a non-zero value");
  const double ACONTMAX = contact_radius_max(W132, p.AP, p.KINT);
  c.require(ACONTMAX < p.AP, "W132", p.W132,
            "a work of adhesion whose largest contact radius ACONTMAX = " + number(ACONTMAX) +
                " m stays below AP");

  if (p.SCOV > 0) {
    c.require(p.SCOV < 1, "SCOV", p.SCOV, "a coverage below 1");
    c.require(p.HETMODE == 1 || p.HETMODE == 5 || p.HETMODE == 9 || p.HETMODE == 73, "HETMODE",
              p.HETMODE, "1, 5, 9 or 73 when SCOV > 0");
    c.require(p.RHET0 > 0, "RHET0", p.RHET0, "a heterodomain radius > 0 when SCOV > 0");
    const std::int64_t NCL =
        collector_cluster_count(p.AG, p.HETMODE, p.SCOV, p.RHET0, p.RHET1, p.RHET2);
    c.require(NCL >= 3, "SCOV", p.SCOV,
              "a coverage that lays out at least 3 heterodomain clusters on the collector (it "
              "lays out " + std::to_string(NCL) + ")");
  }
  if (p.SCOVP > 0) {
    c.require(p.SCOVP < 1, "SCOVP", p.SCOVP, "a coverage below 1");
    c.require(p.HETMODEP == 1 || p.HETMODEP == 5 || p.HETMODEP == 9, "HETMODEP", p.HETMODEP,
              "1, 5 or 9 when SCOVP > 0");
    c.require(p.RHETP0 > 0, "RHETP0", p.RHETP0, "a heterodomain radius > 0 when SCOVP > 0");
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
