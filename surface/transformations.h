// The local tangent frame of the collector at G, the surface point straight
// below the particle, and the operations that carry point sets into it.
// A collector-frame point p has local coordinates R (p - G), where R depends
// on the particle's azimuth PHI and polar angle THETA (rad) only: in exact
// arithmetic it is the rotation by THETA about (sin PHI, -cos PHI, 0), whose
// third row is the outward normal at G, so the normal becomes +z and the
// collector centre lands at (0, 0, -AG). R is built from Euler parameters with
// pi held in single precision, so it agrees with that closed form to about
// 1e-7. Lengths are in metres. Matrices are column-major: entry (i, j) of an
// N-row matrix (0-based) is at [i + N j].
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "surface/hettrack.h"

namespace colloidsim {

// 3 x 3, column-major: R(i, j) at [i + 3 j].
using RotationMatrix = std::array<double, 9>;

void ROTATION(double PHI, double THETA, RotationMatrix& R);

// Q(i, :) = R (P(i, :) - (XG, YG, ZG)) for the N rows of the N x 3 point
// matrices P and Q. Q may be the same storage as P.
void TRANSFORMATION(double XG, double YG, double ZG, double PHI, double THETA, std::int32_t N,
                    std::span<const double> P, std::span<double> Q);

// All 100 collector heterodomain entries into the local frame; radii are
// copied. HETMODE is accepted and not used.
void HETC_TRANSFORMATION(double XG, double YG, double ZG, const HetTable& XHET,
                         const HetTable& YHET, const HetTable& ZHET, const HetTable& RHET,
                         std::int32_t HETMODE, double THETA, double PHI, HetTable& XHET_T,
                         HetTable& YHET_T, HetTable& ZHET_T, HetTable& RHET_T);

// Packs the projection entries with non-zero RPRO, in index order, into the
// NPRO x 4 matrix MPRO (x, y, z, radius). NPRO must be the number of non-zero
// RPRO entries; entries past the end of a table count as 0.
void PROJECTION_MATRIX(std::int32_t NPRO, std::span<const double> XPRO,
                       std::span<const double> YPRO, std::span<const double> ZPRO,
                       std::span<const double> RPRO, std::span<double> MPRO);

// The projected particle heterodomains of MPRO, given about the particle
// centre in axes parallel to the local frame, into the local frame of the
// particle at (X, Y, Z): MPRO_T (NPRO x 3) holds local x, local y and the
// radius of each row. In exact arithmetic x and y are those of MPRO. Uses no
// storage besides MPRO_T.
void MPRO_TRANSFORMATION(double X, double Y, double Z, double XG, double YG, double ZG,
                         double THETA, double PHI, std::int32_t NPRO,
                         std::span<const double> MPRO, std::span<double> MPRO_T);

// The same three operations with R already built by ROTATION(PHI, THETA, R):
// a time step that carries several point sets into one frame builds it once.
// Bit for bit the results of the forms above. The collector heterodomains are
// transformed for the first `count` entries only.
void TRANSFORMATION(double XG, double YG, double ZG, const RotationMatrix& R, std::int32_t N,
                    std::span<const double> P, std::span<double> Q);
void HETC_TRANSFORMATION(double XG, double YG, double ZG, const HetTable& XHET,
                         const HetTable& YHET, const HetTable& ZHET, const HetTable& RHET,
                         int count, const RotationMatrix& R, HetTable& XHET_T, HetTable& YHET_T,
                         HetTable& ZHET_T, HetTable& RHET_T);
void MPRO_TRANSFORMATION(double X, double Y, double Z, double XG, double YG, double ZG,
                         const RotationMatrix& R, std::int32_t NPRO, std::span<const double> MPRO,
                         std::span<double> MPRO_T);

}  // namespace colloidsim
