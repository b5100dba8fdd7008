#include "simulation/trajectory_buffer.h"

namespace colloidsim {

std::vector<int> thinned_rows(int IREC, int W, int PRINTMAX) {
  std::vector<int> rows;
  for (int k = 1; k <= W - 1; ++k) rows.push_back(k);
  const int S = IREC / PRINTMAX + 1;
  int next = W;
  for (int k = W; k <= IREC - 2; k += S) {
    rows.push_back(k);
    next = k + 1;
  }
  for (int k = next; k <= IREC; ++k) rows.push_back(k);
  return rows;
}

}  // namespace colloidsim
