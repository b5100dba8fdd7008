#include <benchmark/benchmark.h>

#include "common/constants.h"
#include "random/random_draws.h"
#include "random/seeding.h"

namespace colloidsim {
namespace {

void BM_FORCEDIFF(benchmark::State& state) {
  RandomStream stream;
  seed_from_option(stream, 1, 1);
  double FDIFX, FDIFY, FDIFZ;
  for (auto _ : state) {
    FORCEDIFF(stream, 1.0, PI, 8.9e-4, 1.0e-6, KB, 298.15, 1.0e-5, FDIFX, FDIFY, FDIFZ);
    benchmark::DoNotOptimize(FDIFX);
    benchmark::DoNotOptimize(FDIFY);
    benchmark::DoNotOptimize(FDIFZ);
  }
}
BENCHMARK(BM_FORCEDIFF);

void BM_INITIAL(benchmark::State& state) {
  RandomStream stream;
  seed_from_option(stream, 1, 1);
  double XINIT, YINIT, RINJ, ZINIT, RINIT, HINIT;
  for (auto _ : state) {
    INITIAL(stream, 2.0e-4, 1.0e-4, 1.0e-6, 0.0, 0, 3.0e-4, XINIT, YINIT, RINJ, ZINIT, RINIT,
            HINIT);
    benchmark::DoNotOptimize(HINIT);
  }
}
BENCHMARK(BM_INITIAL);

void BM_INIT_RANDOM_SEED_system(benchmark::State& state) {
  RandomStream stream;
  for (auto _ : state) {
    INIT_RANDOM_SEED(stream);
    benchmark::DoNotOptimize(stream);
  }
}
BENCHMARK(BM_INIT_RANDOM_SEED_system);

void BM_seed_from_option(benchmark::State& state) {
  RandomStream stream;
  std::int32_t IPART = 0;
  for (auto _ : state) {
    seed_from_option(stream, 20240601, ++IPART);
    benchmark::DoNotOptimize(stream);
  }
}
BENCHMARK(BM_seed_from_option);

}  // namespace
}  // namespace colloidsim

BENCHMARK_MAIN();
