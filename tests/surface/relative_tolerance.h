// Relative comparison for the surface tests. EXPECT_NEAR is absolute, which
// says nothing for lengths of 1e-8 m; an expected exact zero is compared
// against an explicit absolute bound instead.
#pragma once

#include <cmath>

#include <gtest/gtest.h>

namespace colloidsim::testing {

inline ::testing::AssertionResult near_rel(double actual, double expected, double rel,
                                           double zero_abs = 0.0) {
  const double error = std::fabs(actual - expected);
  const bool ok = expected == 0.0 ? std::fabs(actual) <= zero_abs
                                  : error <= rel * std::fabs(expected);
  if (ok) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "actual " << ::testing::PrintToString(actual) << " expected "
         << ::testing::PrintToString(expected) << " (difference " << error
         << ", relative tolerance " << rel << ", zero bound " << zero_abs << ")";
}

}  // namespace colloidsim::testing
