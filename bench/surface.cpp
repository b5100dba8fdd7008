// Heterodomain geometry: one zone-of-influence fractional-area call (made once
// plus once per collector heterodomain at every near-surface and contact
// step), the per-step collector cluster lookup and projection transformation,
// and the once-per-particle layout of the particle heterodomains.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "surface/fractional_area.h"
#include "surface/hettrack.h"
#include "surface/hettrackp.h"
#include "surface/transformations.h"

namespace {

constexpr double RZOI = 7.8e-8;  // m
constexpr double XHET = 1.5e-7;  // m, heterodomain centre, crossing the ZOI edge
constexpr double RHET = 1.2e-7;  // m

// n projected circles of radius ~5e-9 m that do not overlap each other,
// centres uniform in the box [x0, x1] x [y0, y1]; column-major n x 3.
std::vector<double> projected_circles(int n, double x0, double x1, double y0, double y1) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> ux(x0, x1), uy(y0, y1), ur(4e-9, 6e-9);
  std::vector<double> x, y, r;
  while (static_cast<int>(x.size()) < n) {
    const double cx = ux(rng), cy = uy(rng), cr = ur(rng);
    bool disjoint = true;
    for (std::size_t j = 0; j < x.size(); ++j) {
      disjoint = disjoint && std::hypot(cx - x[j], cy - y[j]) >= cr + r[j];
    }
    if (!disjoint) continue;
    x.push_back(cx);
    y.push_back(cy);
    r.push_back(cr);
  }
  std::vector<double> m(x);
  m.insert(m.end(), y.begin(), y.end());
  m.insert(m.end(), r.begin(), r.end());
  return m;
}

void run(benchmark::State& state, const std::vector<double>& MPRO_T) {
  const auto NPRO = static_cast<std::int32_t>(MPRO_T.size() / 3);
  double AF_PZ, AF_ZH, AF_PZH, AF_Z;
  for (auto _ : state) {
    colloidsim::FRACTIONAL_AREA(0.0, 0.0, RZOI, XHET, 0.0, RHET, NPRO, MPRO_T, AF_PZ, AF_ZH,
                                AF_PZH, AF_Z);
    benchmark::DoNotOptimize(AF_PZ);
    benchmark::DoNotOptimize(AF_ZH);
    benchmark::DoNotOptimize(AF_PZH);
    benchmark::DoNotOptimize(AF_Z);
  }
  state.SetItemsProcessed(state.iterations() * NPRO);
}

// Circles scattered over and around the ZOI: inside it, across its edge,
// across the heterodomain's edge, and outside both.
void BM_FractionalAreaScattered(benchmark::State& state) {
  const double reach = 2.0 * RZOI;
  run(state, projected_circles(static_cast<int>(state.range(0)), -reach, reach, -reach, reach));
}
BENCHMARK(BM_FractionalAreaScattered)->Arg(1)->Arg(30)->Arg(300);

// Every circle apart from both the ZOI and the heterodomain (to its left).
void BM_FractionalAreaApart(benchmark::State& state) {
  run(state, projected_circles(static_cast<int>(state.range(0)), -12.0 * RZOI, -1.2 * RZOI,
                               -6.0 * RZOI, 6.0 * RZOI));
}
BENCHMARK(BM_FractionalAreaApart)->Arg(300)->Arg(3000);

}  // namespace

namespace colloidsim {
namespace {

constexpr double AG = 1e-4;

void run_hettrack(benchmark::State& state, double X, double Y, double Z) {
  HetTable XHET{}, YHET{}, ZHET{}, RHET{};
  for (auto _ : state) {
    HETTRACK(X, Y, Z, 0, 0, 0, AG, 7.8e-8, 73, 0.1, 1e-6, 4e-7, 1.5e-7, XHET, YHET, ZHET, RHET);
    benchmark::DoNotOptimize(XHET.data());
    benchmark::ClobberMemory();
  }
}

void BM_HETTRACK_band(benchmark::State& state) { run_hettrack(state, 3.0e-5, 4.5e-5, 8.0e-5); }
void BM_HETTRACK_pole(benchmark::State& state) { run_hettrack(state, 1e-7, 2e-7, 1.0001e-4); }
BENCHMARK(BM_HETTRACK_band);
BENCHMARK(BM_HETTRACK_pole);

void BM_MPRO_TRANSFORMATION(benchmark::State& state) {
  const auto NPRO = static_cast<std::int32_t>(state.range(0));
  std::vector<double> MPRO(4 * static_cast<std::size_t>(NPRO));
  for (std::int32_t i = 0; i < NPRO; ++i) {
    MPRO[i] = 1e-8 * std::cos(i);
    MPRO[i + NPRO] = 1e-8 * std::sin(i);
    MPRO[i + 2 * NPRO] = -1e-6;
    MPRO[i + 3 * NPRO] = 5e-9;
  }
  std::vector<double> MPRO_T(3 * static_cast<std::size_t>(NPRO));
  const double X = 5e-5, Y = 6e-5, Z = -7e-5;
  const double R = std::sqrt(X * X + Y * Y + Z * Z);
  const double THETA = std::acos(Z / R);
  const double PHI = std::acos(X / std::sqrt(X * X + Y * Y));
  for (auto _ : state) {
    MPRO_TRANSFORMATION(X, Y, Z, AG * X / R, AG * Y / R, AG * Z / R, THETA, PHI, NPRO, MPRO,
                        MPRO_T);
    benchmark::DoNotOptimize(MPRO_T.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MPRO_TRANSFORMATION)->Arg(1)->Arg(30)->Arg(300);

// The particle of the heterogeneous example: AP = 0.5 um, one-member clusters
// of 5 nm radius covering 10 %, zone of influence 2 sqrt(AP / KAPPA) with
// KAPPA = 3.29e8 1/m, 10 nm from the collector. The tables persist between
// particles, as in a run; MPRO is allocated per particle.
void BM_HETTRACKP_PROJECTION_MATRIX(benchmark::State& state) {
  const double AP = 0.5e-6;
  const double RZOIBULK = 2 * std::sqrt(AP / 3.29e8);
  std::int32_t NHETP = 0, NPRO = 0;
  std::vector<double> XHETP, YHETP, ZHETP, RHETP, XPRO, YPRO, ZPRO, RPRO;
  for (auto _ : state) {
    double SCOVP = 0.10;
    HETTRACKP(0, 0, 0, 1e-8, RZOIBULK, AP, 1, SCOVP, 5e-9, 2e-9, NHETP, XHETP, YHETP, ZHETP, RHETP,
              NPRO, XPRO, YPRO, ZPRO, RPRO);
    std::vector<double> MPRO(4 * static_cast<std::size_t>(NPRO));
    PROJECTION_MATRIX(NPRO, XPRO, YPRO, ZPRO, RPRO, MPRO);
    benchmark::DoNotOptimize(MPRO.data());
    benchmark::ClobberMemory();
  }
  state.counters["NHETP"] = NHETP;
  state.counters["NPRO"] = NPRO;
}
BENCHMARK(BM_HETTRACKP_PROJECTION_MATRIX)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace colloidsim

BENCHMARK_MAIN();
