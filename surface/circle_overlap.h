// Plane geometry of circles for the zone-of-influence weights: intersection
// points of two circles, points inside a circle, and the areas of regions
// bounded by two, three or four circular arcs. Lengths in metres, areas in
// square metres, angles in radians. The single-precision roundings below are
// part of the model and are reproduced exactly.
#pragma once

#include <array>
#include <cstdint>

namespace colloidsim {

// Two points stored as a 2 x 2 column-major array (point, coordinate):
// elements 0..3 are x1, x2, y1, y2.
using PointPair = std::array<double, 4>;

// One point (x, y).
using Point = std::array<double, 2>;

// acos(c) with the tangency clamp: when c rounded to single precision is
// >= 1 the angle is acosf(1) = 0, when it is <= -1 it is acosf(-1) = pi (sp).
double clamped_acos(double c);

// Area between a chord of length s and the minor arc over it on a circle of
// radius R: (0.5 R^2)(theta - sin theta), theta = 2 asin(s / 2R). A chord
// that is a diameter or longer (after rounding s / 2R to single precision)
// gives the half disc with theta = pi (sp).
double circular_segment(double s, double R);

// Area of the lens of two partly overlapping circles of radii r1, r2 whose
// centres are d apart: r1^2 alpha1 + r2^2 alpha2 - Q / 2, with the half
// opening angles alpha from the law of cosines (clamped as above) and
// Q = sqrt((-d + r1 + r2)(d + r1 - r2)(d - r1 + r2)(d + r1 + r2)).
double lens_area(double r1, double r2, double d);

// Intersection points of circle 1 (radius R1, centre XC1, YC1) with circle 2
// (R2, XC2, YC2), placed on the circle of radius R1 about (XO, YO), which the
// callers set to circle 1's centre. Point 1 lies counter-clockwise of the
// line from centre 1 to centre 2, point 2 clockwise. Circles that touch give
// two coincident points. Requires two crossing circles (centre distance > 0).
void INTERSECTION_POINTS(double R1, double R2, double XC1, double YC1, double XC2, double YC2,
                         double XO, double YO, double& X1_12, double& Y1_12, double& X2_12,
                         double& Y2_12);

// IPI_1 (IPI_2) = 1 when point 1 (point 2) of PTS lies inside or on the circle
// of centre (XCEN, YCEN) and radius RCIRC, else 0.
void INSIDE_CIRCLE(double XCEN, double YCEN, double RCIRC, const PointPair& PTS,
                   std::int32_t& IPI_1, std::int32_t& IPI_2);

// Area AO3 of the region bounded by the arc A1-A2 on a circle of radius RA,
// the arc B1-B2 on a circle of radius RB, and the arcs A1-B1 and A2-B2 on a
// circle of radius RLINK: the quadrilateral A1 A2 B2 B1 plus four segments.
// Every arc is taken as the minor arc over its chord.
void OVERLAP4(const PointPair& PTS_A, const PointPair& PTS_B, double RLINK, double RA, double RB,
              double& AO3);

// Area AO3 of the region with corners T1, T2, T3 bounded by the arcs T1-T2
// (radius R12), T2-T3 (R23) and T1-T3 (R13): Heron's triangle plus three
// segments, each arc taken as the minor arc over its chord.
void OVERLAP3(const Point& T1, const Point& T2, const Point& T3, double R13, double R12,
              double R23, double& AO3);

}  // namespace colloidsim
