// Derivation of the run's constants, between reading the parameter file and
// the first particle.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "common/run_constants.h"
#include "common/run_parameters.h"

namespace colloidsim {

// A setup scan that runs past its cap: the parameter that makes it long and
// what the parameter would need. The caller names the parameter's line.
class SetupScanError : public std::runtime_error {
 public:
  SetupScanError(std::string parameter, double value, std::string expected)
      : std::runtime_error("setup scan past its cap: " + parameter),
        parameter_(std::move(parameter)),
        value_(value),
        expected_(std::move(expected)) {}
  const std::string& parameter() const { return parameter_; }
  double value() const { return value_; }
  const std::string& expected() const { return expected_; }

 private:
  std::string parameter_;
  double value_;
  std::string expected_;
};

// Grid steps of each setup scan (HCUT, HMIN) before it gives up: 1 micrometre.
inline constexpr long SETUP_SCAN_LIMIT = 1'000'000;

// Momentum relaxation time DTMRT = MP / (6 pi VISC AP), s: the unit of the
// time steps. Bit for bit the value setup derives.
double momentum_relaxation_time(double AP, double RHOP, double VISC);

// Debye parameter KAPPA (1/m) of the electrolyte, and the zone-of-influence
// radius RZOIBULK = 2 sqrt(AP / KAPPA) (m): bit for bit the values setup
// derives.
double debye_parameter(double IS, double ZI, double ER, double T);
double bulk_zone_radius(double AP, double KAPPA);

// Computes every derived constant in order. Changes two parameters as the run
// uses them: a positive W132 becomes 0, and A132 becomes 0 unless VDWMODE is 1
// (the coated models use the single-material constants). Throws InputError when
// the primary-minimum scan finds no minimum within 1 micrometre, and
// SetupScanError when the contact-band scan does not end within 1 micrometre.
RunConstants derive_run_constants(RunParameters& p);

}  // namespace colloidsim
