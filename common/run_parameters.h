// The named values of the parameter file, held for the whole run.
#pragma once

#include <cstdint>

namespace colloidsim {

struct RunParameters {
  // line 7
  std::int32_t NPART = 0;    // number of particles
  std::int32_t ATTMODE = 0;  // -1 restart from FLUXATT.IN, 0 perfect sink, else torque tests
  std::int32_t CLUSTER = 0;  // 0 all particles in one run, 1 one-particle mode
  // flow and collector
  double VSUP = 0;      // m/s, superficial velocity
  double RLIM = 0;      // m, radius of the injection disc
  double POROSITY = 0;  // -, bed porosity
  double AG = 0;        // m, collector radius
  double TTIME = 0;     // s, time limit of the particle clock
  // particle and fluid
  double AP = 0;    // m, particle radius
  double RHOP = 0;  // kg/m3, particle density
  double RHOW = 0;  // kg/m3, fluid density
  double VISC = 0;  // kg/m/s, dynamic viscosity
  double ER = 0;    // -, relative permittivity of the fluid
  double T = 0;     // K, temperature
  // solution chemistry
  double IS = 0;       // mol/m3, ionic strength
  double ZI = 0;       // -, valence of the symmetric electrolyte
  double ZETAPST = 0;  // V, particle base zeta potential
  double ZETACST = 0;  // V, collector base zeta potential
  // collector heterodomains
  double ZETAHET = 0;         // V
  std::int32_t HETMODE = 0;   // 1, 5, 9 or 73 heterodomains per cluster
  double RHET0 = 0;           // m, centre heterodomain radius
  double RHET1 = 0;           // m, first-ring radius
  double RHET2 = 0;           // m, second-ring radius
  double SCOV = 0;            // -, collector coverage
  // particle heterodomains
  double ZETAHETP = 0;        // V
  std::int32_t HETMODEP = 0;  // 1, 5 or 9 heterodomains per cluster
  double RHETP0 = 0;          // m
  double RHETP1 = 0;          // m
  double SCOVP = 0;           // -, particle coverage
  // van der Waals
  double A132 = 0;            // J, Hamaker constant particle-water-collector
  double LAMBDAVDW = 0;       // m, retardation wavelength
  std::int32_t VDWMODE = 0;   // 1 uncoated, 2 both coated, 3 collector coated, 4 particle coated
  double A11 = 0;             // J, particle core
  double AC1C1 = 0;           // J, particle coating
  double A22 = 0;             // J, collector core
  double AC2C2 = 0;           // J, collector coating
  double A33 = 0;             // J, fluid
  double T1 = 0;              // m, particle coating thickness
  double T2 = 0;              // m, collector coating thickness
  // acid-base and steric
  double GAMMA0AB = 0;   // J/m2
  double LAMBDAAB = 0;   // m
  double GAMMA0STE = 0;  // J/m2
  double LAMBDASTE = 0;  // m
  // slip and roughness
  double B = 0;             // m, slip length (echo label "SLIP(m)= ")
  std::int32_t RMODE = 0;   // 0 smooth, 1 particle, 2 collector, 3 both carry asperities
  double ASP = 0;           // m, asperity radius
  double ASP2 = 0;          // m, radius of the asperity that carries the contact
  // contact mechanics
  double KINT = 0;  // N/m2, combined elastic modulus
  double W132 = 0;  // J/m2, work of adhesion (<= 0 after setup)
  double BETA = 0;  // -, multiplier of the contact radius
  // Brownian motion and gravity
  double DIFFSCALE = 0;     // -
  double GRAVFACT = 0;      // -
  std::int32_t CBGRAV = 0;  // 1 -z, 2 +z, 3 -x, 4 +x
  // time steps and slow-motion thresholds
  double MULTB = 0;    // - (units of the momentum relaxation time)
  double MULTNS = 0;   // -
  double MULTC = 0;    // -
  double DFACTNS = 0;  // -
  double DFACTC = 0;   // -
  // output
  std::int32_t NOUT = 0;      // every NOUT-th step is recorded
  std::int32_t PRINTMAX = 0;  // approximate row limit of a trajectory file
};

}  // namespace colloidsim
