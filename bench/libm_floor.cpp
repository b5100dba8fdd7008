// The floor under a time step: the mathematical library calls that the steps
// of bench/step make, replayed alone with the very arguments the steps passed.
// This program puts its own exp, pow, log, sin, cos, sincos, acos and asin in
// front of the library's; while a step is recorded they note the call and its
// arguments, and they always pass the call on. A benchmark iteration replays
// the calls of one recorded step, so its time compares with the step's own.
#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <math.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/step_cases.h"

namespace {

enum class Function : std::uint8_t { EXP, POW, LOG, SIN, COS, SINCOS, ACOS, ASIN };

struct Call {
  Function function;
  double x;
  double y;  // second argument of pow
};

using Unary = double (*)(double);
using Binary = double (*)(double, double);
using SinCos = void (*)(double, double*, double*);

template <typename Pointer>
Pointer library(const char* name) {
  void* symbol = dlsym(RTLD_NEXT, name);
  if (symbol == nullptr) {
    std::fprintf(stderr, "libm_floor: %s not found in the mathematical library\n", name);
    std::abort();
  }
  return reinterpret_cast<Pointer>(symbol);
}

struct Library {
  Unary exp = library<Unary>("exp");
  Binary pow = library<Binary>("pow");
  Unary log = library<Unary>("log");
  Unary sin = library<Unary>("sin");
  Unary cos = library<Unary>("cos");
  SinCos sincos = library<SinCos>("sincos");
  Unary acos = library<Unary>("acos");
  Unary asin = library<Unary>("asin");
};

const Library& real() {
  static const Library functions;
  return functions;
}

std::vector<Call>* recording = nullptr;

void note(Function f, double x, double y = 0) {
  if (recording != nullptr) recording->push_back({f, x, y});
}

}  // namespace

extern "C" {
double exp(double x) __THROW {
  note(Function::EXP, x);
  return real().exp(x);
}
double pow(double x, double y) __THROW {
  note(Function::POW, x, y);
  return real().pow(x, y);
}
double log(double x) __THROW {
  note(Function::LOG, x);
  return real().log(x);
}
double sin(double x) __THROW {
  note(Function::SIN, x);
  return real().sin(x);
}
double cos(double x) __THROW {
  note(Function::COS, x);
  return real().cos(x);
}
void sincos(double x, double* s, double* c) __THROW {
  note(Function::SINCOS, x);
  real().sincos(x, s, c);
}
double acos(double x) __THROW {
  note(Function::ACOS, x);
  return real().acos(x);
}
double asin(double x) __THROW {
  note(Function::ASIN, x);
  return real().asin(x);
}
}

namespace colloidsim {
namespace {

// The calls of each of `count` consecutive steps of one case.
struct RecordedSteps {
  std::vector<Call> calls;
  std::vector<std::size_t> first;  // first call of step k; first[count] = calls.size()
};

RecordedSteps record(const bench::StepCase& c, int count) {
  bench::SteppedParticle particle(c);
  RecordedSteps r;
  for (int k = 0; k < count; ++k) {
    r.first.push_back(r.calls.size());
    recording = &r.calls;
    const bool over = particle.step();
    recording = nullptr;
    if (over) particle.reset();
  }
  r.first.push_back(r.calls.size());
  return r;
}

double replay(const Library& f, const Call* call, const Call* end) {
  double sum = 0;
  for (; call != end; ++call) {
    switch (call->function) {
      case Function::EXP: sum += f.exp(call->x); break;
      case Function::POW: sum += f.pow(call->x, call->y); break;
      case Function::LOG: sum += f.log(call->x); break;
      case Function::SIN: sum += f.sin(call->x); break;
      case Function::COS: sum += f.cos(call->x); break;
      case Function::SINCOS: {
        double s, co;
        f.sincos(call->x, &s, &co);
        sum += s + co;
        break;
      }
      case Function::ACOS: sum += f.acos(call->x); break;
      case Function::ASIN: sum += f.asin(call->x); break;
    }
  }
  return sum;
}

void floor_of(benchmark::State& state, const bench::StepCase& c) {
  constexpr int STEPS = 4096;
  const RecordedSteps r = record(c, STEPS);
  const Library& f = real();
  std::size_t k = 0;
  for (auto _ : state) {
    double sum = replay(f, r.calls.data() + r.first[k], r.calls.data() + r.first[k + 1]);
    benchmark::DoNotOptimize(sum);
    if (++k == STEPS) k = 0;
  }
  state.counters["calls_per_step"] = static_cast<double>(r.calls.size()) / STEPS;
}

void BM_BulkStep(benchmark::State& state) { floor_of(state, bench::BULK); }
void BM_NearSurfaceStep(benchmark::State& state) { floor_of(state, bench::NEAR_SURFACE); }
void BM_HeterogeneousBulkStep(benchmark::State& state) {
  floor_of(state, bench::HETEROGENEOUS_BULK);
}
void BM_HeterogeneousNearSurfaceStep(benchmark::State& state) {
  floor_of(state, bench::HETEROGENEOUS_NEAR_SURFACE);
}

BENCHMARK(BM_BulkStep);
BENCHMARK(BM_NearSurfaceStep);
BENCHMARK(BM_HeterogeneousBulkStep);
BENCHMARK(BM_HeterogeneousNearSurfaceStep);

}  // namespace
}  // namespace colloidsim

BENCHMARK_MAIN();
