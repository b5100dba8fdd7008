// Constants derived once from the parameter file, fixed for the whole run.
#pragma once

namespace colloidsim {

struct RunConstants {
  double XM0 = 0, YM0 = 0, ZM0 = 0;  // m, collector centre
  double EGX = 0, EGY = 0, EGZ = 0;  // -, unit vector of gravity
  double MP = 0;                     // kg, particle mass
  double MA = 0;                     // kg, added mass of the displaced fluid
  double M3 = 0;                     // kg/s, Stokes drag coefficient 6 pi VISC AP
  double DTMRT = 0;                  // s, momentum relaxation time, the unit of the time steps
  double INJECTION_SPREAD = 0;       // s, TTIME/6: injections are spread over it
  double RB = 0;                     // m, Happel cell radius
  double K1 = 0, K2 = 0, K3 = 0, K4 = 0;  // -, Happel constants
  double ERE0 = 0;                   // F/m, permittivity of the fluid
  double KAPPA = 0;                  // 1/m, Debye parameter
  double RZOIBULK = 0;               // m, zone-of-influence radius without deformation
  double ACONTMAX = 0;               // m, largest contact radius
  double DEFMAX = 0;                 // m, indentation that belongs to ACONTMAX
  double ASTE = 0;                   // m, radius of the steric interaction zone
  double HCUT = 0;                   // m, upper separation of the contact regime
  double HMIN = 0;                   // m, separation of the primary minimum
};

}  // namespace colloidsim
