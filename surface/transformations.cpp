#include "surface/transformations.h"

#include <cmath>

#include "common/constants.h"
#include "common/numeric.h"

namespace colloidsim {

namespace {

// Half and three halves of pi, each product formed in single precision.
constexpr double PI_HALF = static_cast<float>(0.5f * static_cast<float>(PI));
constexpr double PI_THREE_HALVES = static_cast<float>(1.5f * static_cast<float>(PI));

double& at(RotationMatrix& R, int i, int j) { return R[static_cast<std::size_t>(i + 3 * j)]; }
double at(const RotationMatrix& R, int i, int j) { return R[static_cast<std::size_t>(i + 3 * j)]; }

// A negative row count means no rows.
std::size_t row_count(std::int32_t N) { return N > 0 ? static_cast<std::size_t>(N) : 0; }

}  // namespace

void ROTATION(double PHI, double THETA, RotationMatrix& R) {
  // Euler angles of the frame; a + c is 2 pi up to the single-precision
  // rounding of pi.
  const double a = PI_HALF + PHI;
  const double b = THETA;
  const double c = PI_THREE_HALVES - PHI;
  const double e0 = std::cos(0.5 * a + 0.5 * c) * std::cos(0.5 * b);
  const double e1 = std::cos(0.5 * a - 0.5 * c) * std::sin(0.5 * b);
  const double e2 = std::sin(0.5 * a - 0.5 * c) * std::sin(0.5 * b);
  const double e3 = std::sin(0.5 * a + 0.5 * c) * std::cos(0.5 * b);
  at(R, 0, 0) = 1 - 2 * (ipow<2>(e2) + ipow<2>(e3));
  at(R, 0, 1) = 2 * (e1 * e2 + e0 * e3);
  at(R, 0, 2) = 2 * (e1 * e3 - e0 * e2);
  at(R, 1, 0) = 2 * (e1 * e2 - e0 * e3);
  at(R, 1, 1) = 1 - 2 * (ipow<2>(e1) + ipow<2>(e3));
  at(R, 1, 2) = 2 * (e0 * e1 + e2 * e3);
  at(R, 2, 0) = 2 * (e0 * e2 + e1 * e3);
  at(R, 2, 1) = 2 * (e2 * e3 - e0 * e1);
  at(R, 2, 2) = 1 - 2 * (ipow<2>(e1) + ipow<2>(e2));
}

void TRANSFORMATION(double XG, double YG, double ZG, double PHI, double THETA, std::int32_t N,
                    std::span<const double> P, std::span<double> Q) {
  RotationMatrix R;
  ROTATION(PHI, THETA, R);
  TRANSFORMATION(XG, YG, ZG, R, N, P, Q);
}

void TRANSFORMATION(double XG, double YG, double ZG, const RotationMatrix& R, std::int32_t N,
                    std::span<const double> P, std::span<double> Q) {
  // M holds the local axes in collector coordinates as its columns,
  // R^T e_j; products with the unit vectors are accumulated from 0 like any
  // other matrix product, so M is the transpose of R.
  RotationMatrix M;
  for (int j = 0; j < 3; ++j) {
    const int unit[3] = {j == 0 ? 1 : 0, j == 1 ? 1 : 0, j == 2 ? 1 : 0};
    for (int i = 0; i < 3; ++i) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum = sum + at(R, k, i) * unit[k];
      at(M, i, j) = sum;
    }
  }
  const std::size_t rows = row_count(N);
  for (std::size_t i = 0; i < rows; ++i) {
    const double t[3] = {P[i] - XG, P[i + rows] - YG, P[i + 2 * rows] - ZG};
    double q[3];
    for (int j = 0; j < 3; ++j) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum = sum + t[k] * at(M, k, j);
      q[j] = sum;
    }
    Q[i] = q[0];
    Q[i + rows] = q[1];
    Q[i + 2 * rows] = q[2];
  }
}

void HETC_TRANSFORMATION(double XG, double YG, double ZG, const HetTable& XHET,
                         const HetTable& YHET, const HetTable& ZHET, const HetTable& RHET,
                         std::int32_t /*HETMODE*/, double THETA, double PHI, HetTable& XHET_T,
                         HetTable& YHET_T, HetTable& ZHET_T, HetTable& RHET_T) {
  RotationMatrix R;
  ROTATION(PHI, THETA, R);
  HETC_TRANSFORMATION(XG, YG, ZG, XHET, YHET, ZHET, RHET, HET_TABLE_SIZE, R, XHET_T, YHET_T,
                      ZHET_T, RHET_T);
}

void HETC_TRANSFORMATION(double XG, double YG, double ZG, const HetTable& XHET,
                         const HetTable& YHET, const HetTable& ZHET, const HetTable& RHET,
                         int count, const RotationMatrix& R, HetTable& XHET_T, HetTable& YHET_T,
                         HetTable& ZHET_T, HetTable& RHET_T) {
  const std::size_t rows = static_cast<std::size_t>(count);
  std::array<double, 3 * HET_TABLE_SIZE> points;
  for (std::size_t i = 0; i < rows; ++i) {
    points[i] = XHET[i];
    points[i + rows] = YHET[i];
    points[i + 2 * rows] = ZHET[i];
  }
  const std::span<double> used(points.data(), 3 * rows);
  TRANSFORMATION(XG, YG, ZG, R, count, used, used);
  for (std::size_t i = 0; i < rows; ++i) {
    XHET_T[i] = points[i];
    YHET_T[i] = points[i + rows];
    ZHET_T[i] = points[i + 2 * rows];
    RHET_T[i] = RHET[i];
  }
}

void PROJECTION_MATRIX(std::int32_t NPRO, std::span<const double> XPRO,
                       std::span<const double> YPRO, std::span<const double> ZPRO,
                       std::span<const double> RPRO, std::span<double> MPRO) {
  const std::size_t rows = row_count(NPRO);
  auto entry = [](std::span<const double> table, std::size_t i) {
    return i < table.size() ? table[i] : 0.0;
  };
  // Once NPRO rows are filled no non-zero radius is left, so the scan may
  // stop there.
  std::size_t k = 0;
  for (std::size_t i = 0; i < RPRO.size() && k < rows; ++i) {
    if (RPRO[i] == 0.0) continue;
    MPRO[k] = entry(XPRO, i);
    MPRO[k + rows] = entry(YPRO, i);
    MPRO[k + 2 * rows] = entry(ZPRO, i);
    MPRO[k + 3 * rows] = RPRO[i];
    ++k;
  }
}

void MPRO_TRANSFORMATION(double X, double Y, double Z, double XG, double YG, double ZG,
                         double THETA, double PHI, std::int32_t NPRO,
                         std::span<const double> MPRO, std::span<double> MPRO_T) {
  RotationMatrix R;
  ROTATION(PHI, THETA, R);
  MPRO_TRANSFORMATION(X, Y, Z, XG, YG, ZG, R, NPRO, MPRO, MPRO_T);
}

void MPRO_TRANSFORMATION(double X, double Y, double Z, double XG, double YG, double ZG,
                         const RotationMatrix& R, std::int32_t NPRO, std::span<const double> MPRO,
                         std::span<double> MPRO_T) {
  const std::size_t rows = row_count(NPRO);
  // Turn each point into collector-frame directions (the row-vector product
  // with R is R^T p), shift it to the particle centre, then carry it into the
  // local frame. MPRO_T serves as the work matrix.
  for (std::size_t i = 0; i < rows; ++i) {
    const double w[3] = {MPRO[i], MPRO[i + rows], MPRO[i + 2 * rows]};
    double v[3];
    for (int j = 0; j < 3; ++j) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum = sum + w[k] * at(R, k, j);
      v[j] = sum;
    }
    MPRO_T[i] = v[0] + X;
    MPRO_T[i + rows] = v[1] + Y;
    MPRO_T[i + 2 * rows] = v[2] + Z;
  }
  TRANSFORMATION(XG, YG, ZG, R, NPRO, MPRO_T, MPRO_T);
  // The local height is not needed; the third column carries the radius.
  for (std::size_t i = 0; i < rows; ++i) MPRO_T[i + 2 * rows] = MPRO[i + 3 * rows];
}

}  // namespace colloidsim
