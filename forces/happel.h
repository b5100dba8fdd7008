// Happel sphere-in-cell creeping flow around the collector, with a slip length.
//
// Stream-function form: radial velocity v_r = -F(t) cos(theta) and polar
// velocity v_theta = G(s) sin(theta), with F(t) = K1/t^3 + K2/t + K3 + K4 t^2
// at t = r/AG and G(s) = -K1/(2 s^3) + K2/(2 s) + K3 + 2 K4 s^2 at the radius
// shifted by the slip length, s = (r + B)/AG. Velocities are multiples of the
// superficial velocity VSUP; the approach flow runs along -z.
// Happel, AIChE J. 4 (1958) 197.
#pragma once

namespace colloidsim {

struct HappelConstants {
  double RB = 0;  // m, radius of the fluid cell
  double K1 = 0, K2 = 0, K3 = 0, K4 = 0;
};

// RB = AG / (1 - POROSITY)^(1/3), the exponent held in single precision.
HappelConstants happel_constants(double POROSITY, double AG);

// Fluid velocity at (X, Y, Z) (m, collector-centred) divided by VSUP. The point
// must not be the collector centre.
void HAPPELFF(double X, double Y, double Z, double AG, double B, double K1, double K2, double K3,
              double K4, double& VXH1, double& VYH1, double& VZH1);

// The same with the centre distance r = sqrt(X^2 + Y^2 + Z^2) already known
// (a time step has it from the move): bit for bit the form above.
void HAPPELFF(double X, double Y, double Z, double r, double AG, double B, double K1, double K2,
              double K3, double K4, double& VXH1, double& VYH1, double& VZH1);

}  // namespace colloidsim
