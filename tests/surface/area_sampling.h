// Helpers shared by the circle-geometry tests: an area estimate that
// classifies the centres of a fine grid of cells.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "tests/support.h"

namespace colloidsim::test {

struct Disc {
  double x, y, r;
  bool contains(double px, double py) const {
    const double dx = px - x;
    const double dy = py - y;
    return dx * dx + dy * dy <= r * r;
  }
};

// Calls visit(x, y) at the centre of each of n x n equal cells covering the
// square of half-width half about (cx, cy); returns the cell area.
template <class Visit>
double for_each_cell_centre(double cx, double cy, double half, int n, Visit visit) {
  const double h = 2.0 * half / n;
  for (int ix = 0; ix < n; ++ix) {
    const double x = cx - half + (ix + 0.5) * h;
    for (int iy = 0; iy < n; ++iy) visit(x, cy - half + (iy + 0.5) * h);
  }
  return h * h;
}

// Sampled area of the intersection of the given discs, over the bounding
// square of the first one.
template <class... Discs>
double sampled_intersection_area(int n, const Disc& first, const Discs&... rest) {
  long count = 0;
  const double cell = for_each_cell_centre(first.x, first.y, first.r, n, [&](double x, double y) {
    if (first.contains(x, y) && (rest.contains(x, y) && ...)) ++count;
  });
  return count * cell;
}

// The two intersection points of the crossing circles a and b (law of
// cosines along the centre line, then the offset across it), as x1, y1,
// x2, y2.
inline std::array<double, 4> crossing_points(const Disc& a, const Disc& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double d = std::hypot(dx, dy);
  const double along = (d * d + a.r * a.r - b.r * b.r) / (2.0 * d);
  const double across = std::sqrt(std::max(0.0, a.r * a.r - along * along));
  return {a.x + (along * dx - across * dy) / d, a.y + (along * dy + across * dx) / d,
          a.x + (along * dx + across * dy) / d, a.y + (along * dy - across * dx) / d};
}

// Number of intersection points of the crossing circles a and b that lie
// inside or on c.
inline int corners_inside(const Disc& a, const Disc& b, const Disc& c) {
  const std::array<double, 4> p = crossing_points(a, b);
  return int{c.contains(p[0], p[1])} + int{c.contains(p[2], p[3])};
}

// True when the part of circle c's boundary that lies inside both o1 and o2
// contains an arc of more than a half turn (found on 720 boundary samples,
// with a margin of one degree). Arc-bounded areas that take each arc as the
// minor arc over its chord do not describe such regions.
inline bool has_major_arc(const Disc& c, const Disc& o1, const Disc& o2) {
  constexpr int N = 720;
  std::vector<bool> in(N);
  for (int k = 0; k < N; ++k) {
    const double t = 2.0 * std::numbers::pi * k / N;
    const double x = c.x + c.r * std::cos(t);
    const double y = c.y + c.r * std::sin(t);
    in[k] = o1.contains(x, y) && o2.contains(x, y);
  }
  int run = 0, longest = 0;
  for (int k = 0; k < 2 * N; ++k) {
    run = in[k % N] ? run + 1 : 0;
    longest = std::max(longest, std::min(run, N));
  }
  return longest >= N / 2 - 2;
}

}  // namespace colloidsim::test
