#include "surface/circle_overlap.h"

#include <cmath>

#include "common/constants.h"
#include "common/numeric.h"

namespace colloidsim {

namespace {

// 6.2831855 (sp): pi (sp) doubled in single precision.
constexpr double TWO_PI_SP =
    static_cast<double>(static_cast<float>(PI) + static_cast<float>(PI));

double distance(double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

double clamped_acos(double c) {
  const double cf = round_sp(c);
  if (cf >= 1.0) return static_cast<double>(std::acos(1.0f));
  if (cf <= -1.0) return static_cast<double>(std::acos(-1.0f));
  return std::acos(c);
}

double circular_segment(double s, double R) {
  const double q = s / (2.0 * R);
  double theta = std::asin(q) + std::asin(q);
  // Rounding absorbs chords a hair longer than the diameter, where asin
  // alone would give NaN. A NaN quotient takes neither branch.
  const double qf = round_sp(q);
  if (qf >= 1.0) {
    theta = static_cast<double>(std::asin(1.0f) + std::asin(1.0f));
  } else if (qf <= -1.0) {
    theta = static_cast<double>(std::asin(-1.0f) + std::asin(-1.0f));
  }
  return (0.5 * (R * R)) * (theta - std::sin(theta));
}

double lens_area(double r1, double r2, double d) {
  const double c1 = ((d * d + r1 * r1) - r2 * r2) / ((d + d) * r1);
  const double c2 = ((d * d + r2 * r2) - r1 * r1) / ((d + d) * r2);
  const double alpha1 = clamped_acos(c1);
  const double alpha2 = clamped_acos(c2);
  const double F1 = (-d + r1) + r2;
  const double F2 = (d + r1) - r2;
  const double F3 = (d - r1) + r2;
  const double F4 = (d + r1) + r2;
  const double Q = std::sqrt(((F1 * F2) * F3) * F4);
  return ((r1 * r1) * alpha1 + (r2 * r2) * alpha2) - 0.5 * Q;
}

void INTERSECTION_POINTS(double R1, double R2, double XC1, double YC1, double XC2, double YC2,
                         double XO, double YO, double& X1_12, double& Y1_12, double& X2_12,
                         double& Y2_12) {
  const double DX = XC2 - XC1;
  const double DY = YC2 - YC1;
  const double D = std::sqrt(DX * DX + DY * DY);
  const double D2 = DX * DX + DY * DY;
  // Direction of the centre line in [0, 2 pi).
  double phi;
  if (!(DY < 0.0)) {
    phi = std::acos(DX / D);
  } else {
    phi = TWO_PI_SP - std::acos(DX / D);
  }
  // Half opening angle at centre 1, from the triangle of the two centres and
  // one intersection point.
  const double c = ((R1 * R1 + D2) - R2 * R2) / ((2.0 * R1) * D);
  const double alpha = clamped_acos(c);
  const double theta1 = phi + alpha;
  const double theta2 = phi - alpha;
  X1_12 = std::cos(theta1) * R1 + XO;
  Y1_12 = std::sin(theta1) * R1 + YO;
  X2_12 = std::cos(theta2) * R1 + XO;
  Y2_12 = std::sin(theta2) * R1 + YO;
}

void INSIDE_CIRCLE(double XCEN, double YCEN, double RCIRC, const PointPair& PTS,
                   std::int32_t& IPI_1, std::int32_t& IPI_2) {
  const double d1 = distance(XCEN, YCEN, PTS[0], PTS[2]);
  const double d2 = distance(XCEN, YCEN, PTS[1], PTS[3]);
  IPI_1 = d1 <= RCIRC ? 1 : 0;
  IPI_2 = d2 <= RCIRC ? 1 : 0;
}

void OVERLAP4(const PointPair& PTS_A, const PointPair& PTS_B, double RLINK, double RA, double RB,
              double& AO3) {
  const double A1x = PTS_A[0], A2x = PTS_A[1], A1y = PTS_A[2], A2y = PTS_A[3];
  const double B1x = PTS_B[0], B2x = PTS_B[1], B1y = PTS_B[2], B2y = PTS_B[3];
  // Quadrilateral A1 A2 B2 B1: sides a, b opposite and c, d opposite;
  // diagonals p, q. d is held in single precision.
  const double a = distance(A1x, A1y, A2x, A2y);
  const double b = distance(B1x, B1y, B2x, B2y);
  const double c = distance(A1x, A1y, B1x, B1y);
  const double df = round_sp(distance(A2x, A2y, B2x, B2y));
  const double p = distance(A1x, A1y, B2x, B2y);
  const double q = distance(A2x, A2y, B1x, B1y);
  // Bretschneider's area from sides and diagonals; df * df formed in
  // single precision.
  const double E = ((a * a + b * b) - c * c) - round_sp(df * df);
  const double K = 0.25 * std::sqrt((4.0 * (p * p)) * (q * q) - E * E);
  const double S1 = circular_segment(a, RA);
  const double S2 = circular_segment(b, RB);
  const double S3 = circular_segment(c, RLINK);
  const double S4 = round_sp(circular_segment(df, RLINK));
  AO3 = (((S1 + S2) + S3) + S4) + K;
}

void OVERLAP3(const Point& T1, const Point& T2, const Point& T3, double R13, double R12,
              double R23, double& AO3) {
  const double s12 = distance(T1[0], T1[1], T2[0], T2[1]);
  const double s23 = distance(T2[0], T2[1], T3[0], T3[1]);
  const double s13 = distance(T1[0], T1[1], T3[0], T3[1]);
  // Heron's triangle area.
  const double s = 0.5 * ((s12 + s23) + s13);
  const double K = std::sqrt(((s * (s - s12)) * (s - s23)) * (s - s13));
  const double S1 = circular_segment(s12, R12);
  const double S2 = circular_segment(s23, R23);
  const double S3 = round_sp(circular_segment(s13, R13));
  AO3 = ((K + S1) + S2) + S3;
}

}  // namespace colloidsim
