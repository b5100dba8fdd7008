// Cost of single time steps (bulk and near-surface; with and without
// heterodomains) and of whole particles of the favorable example with a fixed
// seed. bench/libm_floor times the library calls these same steps make.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

#include "bench/step_cases.h"

namespace colloidsim {
namespace {

using bench::example_run;

void time_steps(benchmark::State& state, const bench::StepCase& c) {
  bench::SteppedParticle particle(c);
  std::int64_t steps = 0;
  for (auto _ : state) {
    const bool over = particle.step();
    ++steps;
    if (over) {
      state.PauseTiming();
      particle.reset();
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(steps);
}

void BM_BulkStep(benchmark::State& state) { time_steps(state, bench::BULK); }
void BM_NearSurfaceStep(benchmark::State& state) { time_steps(state, bench::NEAR_SURFACE); }
// The same step with the near-wall Brownian amplitudes and drift.
void BM_HinderedNearSurfaceStep(benchmark::State& state) {
  time_steps(state, bench::HINDERED_NEAR_SURFACE);
}
// Heterodomains on both surfaces: in the bulk they are not weighted.
void BM_HeterogeneousBulkStep(benchmark::State& state) {
  time_steps(state, bench::HETEROGENEOUS_BULK);
}
// The heterogeneous example near the surface: the double layer weighted over
// the heterodomains in the zone of influence every step.
void BM_HeterogeneousNearSurfaceStep(benchmark::State& state) {
  time_steps(state, bench::HETEROGENEOUS_NEAR_SURFACE);
}

// The start of a heterogeneous particle: injection, the lay-out and
// projection of its heterodomains, the forces at the start point.
void BM_HeterogeneousStart(benchmark::State& state) {
  RunContext run = example_run("heterogeneous", false);
  auto pr = std::make_unique<ParticleRun>();
  for (auto _ : state) {
    seed_from_option(pr->stream, 1, 1);
    start_particle(run, *pr, 1, nullptr);
    benchmark::DoNotOptimize(pr->s.forces.FCOLL);
  }
}

// Whole particles of the favorable example, each from its own seeded stream.
void BM_FavorableParticle(benchmark::State& state) {
  RunContext run = example_run("favorable", true);
  auto pr = std::make_unique<ParticleRun>();
  std::int32_t IPART = 0;
  std::int64_t steps = 0;
  for (auto _ : state) {
    IPART = IPART % run.p.NPART + 1;
    seed_from_option(pr->stream, 1, IPART);
    start_particle(run, *pr, IPART, nullptr);
    benchmark::DoNotOptimize(run_to_fate(run, *pr, nullptr));
    steps += pr->s.bookkeeping.ISTEP;
  }
  state.counters["steps"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kAvgIterations);
  state.counters["ns_per_step"] = benchmark::Counter(
      static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_BulkStep);
BENCHMARK(BM_NearSurfaceStep);
BENCHMARK(BM_HinderedNearSurfaceStep);
BENCHMARK(BM_HeterogeneousBulkStep);
BENCHMARK(BM_HeterogeneousNearSurfaceStep);
BENCHMARK(BM_HeterogeneousStart)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FavorableParticle)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace colloidsim

BENCHMARK_MAIN();
