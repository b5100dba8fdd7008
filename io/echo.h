// The four parameter records that head every output file.
#pragma once

#include <string>

#include "common/run_constants.h"
#include "common/run_parameters.h"

namespace colloidsim {

// The echo shows the parameters as the run uses them (W132 after clamping,
// A132 after the coating rule) and four derived values.
struct EchoValues {
  double RB = 0;        // m, Happel cell radius
  double RZOIBULK = 0;  // m, zone-of-influence radius without deformation
  double DTMRT = 0;     // s, momentum relaxation time
  double ACONTMAX = 0;  // m, largest contact radius
};

EchoValues echo_values(const RunConstants& c);

// Appends the four records, each ending in a newline.
void append_echo(std::string& out, const RunParameters& p, const EchoValues& derived);

}  // namespace colloidsim
