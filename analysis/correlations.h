// Single-collector contact efficiency eta0 of two published correlations for
// a perfect-sink collector in a Happel cell, with the dimensionless numbers
// they use. Both were fitted to favorable (perfect-sink) deposition: for an
// unfavorable run, eta / eta0 is the attachment efficiency alpha.
#pragma once

#include "common/run_parameters.h"

namespace colloidsim {

// The physical values the correlations take, SI units.
struct CorrelationInputs {
  double AP = 0;        // m, particle radius
  double AG = 0;        // m, collector radius
  double POROSITY = 0;  // -
  double VSUP = 0;      // m/s, approach (superficial) velocity U
  double VISC = 0;      // kg/m/s
  double T = 0;         // K
  double A = 0;         // J, Hamaker constant of particle and collector across the fluid
  double RHOP = 0;      // kg/m3
  double RHOW = 0;      // kg/m3
};

// With gamma = (1 - POROSITY)^(1/3), dp = 2 AP, dc = 2 AG:
//   As = 2 (1 - gamma^5) / (2 - 3 gamma + 3 gamma^5 - 2 gamma^6)
//   D = kB T / (3 pi VISC dp), NR = dp / dc, NPe = U dc / D, NvdW = A / kB T,
//   NA = A / (12 pi VISC AP^2 U), NG = 2/9 (RHOP - RHOW) g AP^2 / (VISC U),
//   NLo = 4 A / (9 pi VISC dp^2 U).
struct DimensionlessNumbers {
  double gamma = 0;
  double As = 0;   // Happel porosity parameter
  double D = 0;    // m2/s, bulk diffusion coefficient (Stokes-Einstein)
  double NR = 0;   // aspect ratio
  double NPe = 0;  // Peclet number
  double NvdW = 0; // van der Waals number
  double NA = 0;   // attraction number
  double NG = 0;   // gravity number
  double NLo = 0;  // London number
};

DimensionlessNumbers dimensionless_numbers(const CorrelationInputs& in);

// Each eta0 is NaN where its correlation is undefined: U <= 0, A < 0 or
// RHOP < RHOW (a negative number to a fractional power).

// Tufenkji and Elimelech (2004), Environ. Sci. Technol. 38, 529:
//   eta0 = 2.4 As^(1/3) NR^-0.081 NPe^-0.715 NvdW^0.052 + 0.55 As NR^1.675 NA^0.125
//          + 0.22 NR^-0.24 NG^1.11 NvdW^0.053
double eta0_tufenkji_elimelech(const DimensionlessNumbers& n);

// Rajagopalan and Tien (1976), AIChE J. 22, 523, in the form of Logan et al.
// (1995), Environ. Sci. Technol. 29, 1107:
//   eta0 = 4 As^(1/3) NPe^(-2/3) + As NLo^(1/8) NR^(15/8) + 0.00338 As NG^1.2 NR^-0.4
double eta0_rajagopalan_tien(const DimensionlessNumbers& n);

// The run's values: the Hamaker constant is A132 for VDWMODE 1 and, for the
// coated models, the combination of the outermost materials (the one the Born
// repulsion uses). Takes the parameters as read (setup sets A132 to 0 for the
// coated models).
CorrelationInputs correlation_inputs(const RunParameters& p);
}  // namespace colloidsim
