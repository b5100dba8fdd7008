#include "common/vector_math.h"

#if COLLOIDSIM_SLEEF

#include <sleef.h>

// The four-wide functions pass 256-bit vectors, which only code compiled
// for AVX may do; the build itself stays for the baseline processor, so the
// four-wide calls live in functions compiled for AVX and run only where the
// processor has it. Elsewhere two two-wide calls do the same work. Which one
// a process uses is fixed when it starts, the same for every particle.
#pragma GCC push_options
#pragma GCC target("avx")
#include <immintrin.h>
extern "C" __m256d Sleef_expd4_u10(__m256d);
extern "C" __m256d Sleef_powd4_u10(__m256d, __m256d);

namespace colloidsim {
namespace {

void exp4_avx(const double x[4], double out[4]) {
  _mm256_storeu_pd(out, Sleef_expd4_u10(_mm256_loadu_pd(x)));
}

void pow4_avx(const double x[4], const double y[4], double out[4]) {
  _mm256_storeu_pd(out, Sleef_powd4_u10(_mm256_loadu_pd(x), _mm256_loadu_pd(y)));
}

}  // namespace
}  // namespace colloidsim
#pragma GCC pop_options

namespace colloidsim {
namespace {

void exp4_sse2(const double x[4], double out[4]) {
  _mm_storeu_pd(out, Sleef_expd2_u10(_mm_loadu_pd(x)));
  _mm_storeu_pd(out + 2, Sleef_expd2_u10(_mm_loadu_pd(x + 2)));
}

void pow4_sse2(const double x[4], const double y[4], double out[4]) {
  _mm_storeu_pd(out, Sleef_powd2_u10(_mm_loadu_pd(x), _mm_loadu_pd(y)));
  _mm_storeu_pd(out + 2, Sleef_powd2_u10(_mm_loadu_pd(x + 2), _mm_loadu_pd(y + 2)));
}

const bool FOUR_WIDE = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx") != 0;
}();

}  // namespace

void exp4(const double x[4], double out[4]) {
  if (FOUR_WIDE) {
    exp4_avx(x, out);
  } else {
    exp4_sse2(x, out);
  }
}

void pow4(const double x[4], const double y[4], double out[4]) {
  if (FOUR_WIDE) {
    pow4_avx(x, y, out);
  } else {
    pow4_sse2(x, y, out);
  }
}

}  // namespace colloidsim

#endif
