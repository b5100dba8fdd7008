// Cross Hamaker constants of the layered van der Waals and Born models.
// Materials: 1 particle core, 2 collector core, C1 particle coating,
// C2 collector coating, 3 the fluid. Every cross constant is the product of
// the square roots of the two pure-material constants (J).
#pragma once

#include <cmath>

namespace colloidsim {

struct CrossHamaker {
  double A12, A1C2, A13, AC1_2, AC1C2, AC1_3, A23, AC2_3, A33;
};

inline CrossHamaker cross_hamaker(double A11, double A22, double A33, double AC1C1,
                                  double AC2C2) {
  return {std::sqrt(A11) * std::sqrt(A22),     std::sqrt(A11) * std::sqrt(AC2C2),
          std::sqrt(A11) * std::sqrt(A33),     std::sqrt(AC1C1) * std::sqrt(A22),
          std::sqrt(AC1C1) * std::sqrt(AC2C2), std::sqrt(AC1C1) * std::sqrt(A33),
          std::sqrt(A22) * std::sqrt(A33),     std::sqrt(AC2C2) * std::sqrt(A33),
          A33};
}

}  // namespace colloidsim
