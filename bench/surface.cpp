// Cost of one zone-of-influence fractional-area call, as made once plus once
// per collector heterodomain at every near-surface and contact step.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "surface/fractional_area.h"

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

BENCHMARK_MAIN();
