// Relative comparison for forces of any magnitude. An expected value of zero
// must be matched exactly: a relative tolerance has no meaning there.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>

namespace colloidsim::testing {

inline ::testing::AssertionResult RelativelyNear(double actual, double expected, double rel) {
  if (expected == 0.0 ? actual == 0.0
                      : std::abs(actual - expected) <= rel * std::abs(expected)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << std::setprecision(17) << "actual " << actual << ", expected " << expected
         << ", relative error " << std::abs(actual - expected) / std::abs(expected)
         << " > " << rel;
}

}  // namespace colloidsim::testing
