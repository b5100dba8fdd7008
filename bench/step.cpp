// Cost of single time steps (bulk and near-surface, smooth surfaces) and of
// whole particles of the favorable example with a fixed seed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

#include "common/constants.h"
#include "io/parameter_file.h"
#include "random/seeding.h"
#include "simulation/run_context.h"
#include "simulation/trajectory.h"
#include "simulation/velocity_update.h"

namespace colloidsim {
namespace {

// smooth: without heterodomains on either surface.
RunContext example_run(const std::string& name, bool smooth) {
  ParameterFile file =
      read_parameter_file(std::string(COLLOIDSIM_SOURCE_DIR) + "/examples/" + name + "/INPUT.IN");
  if (smooth) file.parameters.SCOV = file.parameters.SCOVP = 0;
  return prepare_run(file.parameters, 1);
}

// A particle at gap H above the collector at polar angle theta, at rest in
// the regime that H belongs to, with its forces and velocity evaluated once.
void place(const RunContext& run, ParticleRun& pr, double H, double theta) {
  seed_from_option(pr.stream, 1, 1);
  start_particle(run, pr, 1, nullptr);
  ParticleState& s = pr.s;
  const double R = run.p.AG + run.p.AP + H;
  s.X = R * std::sin(theta);
  s.Y = 0.3 * s.X;
  s.X = std::sqrt(R * std::sin(theta) * R * std::sin(theta) - s.Y * s.Y);
  s.Z = R * std::cos(theta);
  s.R = R;
  s.H = H;
  s.ENX = s.X / R;
  s.ENY = s.Y / R;
  s.ENZ = s.Z / R;
  s.REGIME = H > HNS ? 1 : (H > run.c.HCUT ? 2 : 3);
  const double MULT = s.REGIME == 1 ? run.p.MULTB : (s.REGIME == 2 ? run.p.MULTNS : run.p.MULTC);
  s.DT = MULT * run.c.DTMRT;
  s.ISTEP = 2;
  update_forces_and_velocity(run, s, pr.het, pr.stream);
}

void time_steps(benchmark::State& state, const std::string& example, bool smooth, double H) {
  RunContext run = example_run(example, smooth);
  auto pr = std::make_unique<ParticleRun>();
  place(run, *pr, H, 1.2);
  const ParticleState start = pr->s;
  const int regime = start.REGIME;
  std::int64_t steps = 0;
  for (auto _ : state) {
    time_step(run, *pr, nullptr);
    ++steps;
    if (pr->s.ATTACHK != 0 || pr->s.REGIME != regime || pr->s.ISTEP > 100000) {
      state.PauseTiming();
      pr->s = start;
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(steps);
}

void BM_BulkStep(benchmark::State& state) { time_steps(state, "favorable", true, 2.0e-5); }
// Like-charged base surfaces keep the particle near the surface.
void BM_NearSurfaceStep(benchmark::State& state) {
  time_steps(state, "heterogeneous", true, 5.0e-8);
}

// The heterogeneous example near the surface: the double layer weighted over
// the heterodomains in the zone of influence every step.
void BM_HeterogeneousNearSurfaceStep(benchmark::State& state) {
  time_steps(state, "heterogeneous", false, 5.0e-8);
}

// The start of a heterogeneous particle: injection, the lay-out and
// projection of its heterodomains, the forces at the start point.
void BM_HeterogeneousStart(benchmark::State& state) {
  RunContext run = example_run("heterogeneous", false);
  auto pr = std::make_unique<ParticleRun>();
  for (auto _ : state) {
    seed_from_option(pr->stream, 1, 1);
    start_particle(run, *pr, 1, nullptr);
    benchmark::DoNotOptimize(pr->s.FCOLL);
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
    steps += pr->s.ISTEP;
  }
  state.counters["steps"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kAvgIterations);
  state.counters["ns_per_step"] = benchmark::Counter(
      static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_BulkStep);
BENCHMARK(BM_NearSurfaceStep);
BENCHMARK(BM_HeterogeneousNearSurfaceStep);
BENCHMARK(BM_HeterogeneousStart)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FavorableParticle)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace colloidsim

BENCHMARK_MAIN();
