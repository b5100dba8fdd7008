// Four exponentials or powers at once through SLEEF's vector functions
// (accurate to 1 ulp, "u10"), for the build option COLLOIDSIM_SLEEF. They
// are not bit-identical to the C library's scalar exp and pow; a run uses
// the same functions for every particle, so runs stay reproducible.
#pragma once

namespace colloidsim {

// out[k] = exp(x[k]), k = 0..3.
void exp4(const double x[4], double out[4]);

// out[k] = pow(x[k], y[k]), k = 0..3.
void pow4(const double x[4], const double y[4], double out[4]);

}  // namespace colloidsim
