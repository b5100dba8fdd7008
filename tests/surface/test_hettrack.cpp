#include "surface/hettrack.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "common/constants.h"
#include "tests/surface/relative_tolerance.h"

namespace colloidsim {
namespace {

using testing::near_rel;

constexpr double AG = 1e-4;
constexpr double RHET0 = 1e-6;
constexpr double RHET1 = 4e-7;
constexpr double RHET2 = 1.5e-7;
constexpr double SCOV = 0.1;

struct Cluster {
  HetTable X{}, Y{}, Z{}, R{};
};

Cluster track(double X, double Y, double Z, double XM0, double YM0, double ZM0, int HETMODE,
              double RHET1_ = RHET1, double RHET2_ = RHET2) {
  Cluster c;
  HETTRACK(X, Y, Z, XM0, YM0, ZM0, AG, 1e-7, HETMODE, SCOV, RHET0, RHET1_, RHET2_, c.X, c.Y, c.Z,
           c.R);
  return c;
}

// Polar angle and azimuth of entry i about the collector centre.
double polar(const Cluster& c, int i, double ZM0 = 0) { return std::acos((c.Z[i] - ZM0) / AG); }
double azimuth(const Cluster& c, int i, double XM0 = 0, double YM0 = 0) {
  return std::atan2(c.Y[i] - YM0, c.X[i] - XM0);
}

TEST(CollectorLattice, ClusterAndRingCounts) {
  // NCL and NLAT worked by hand for HETMODE 1 (0.1 * 4e-8 / 1e-12 = 4000,
  // round(sqrt(4000 / 1.3)) = 55); the others from
  // tests/surface/reference/surface_geometry.py.
  struct Case {
    int HETMODE;
    double RHET1_, RHET2_;
    std::int64_t NCL, NLAT;
  };
  for (const Case& c : {Case{1, 0, 0, 4000, 55}, Case{5, RHET1, RHET2, 2439, 43},
                        Case{9, RHET1, RHET2, 1754, 37}, Case{73, RHET1, RHET2, 1075, 29},
                        Case{3, RHET1, RHET2, 0, 0}}) {
    SCOPED_TRACE(c.HETMODE);
    const CollectorLattice lattice = collector_lattice(AG, c.HETMODE, SCOV, RHET0, c.RHET1_, c.RHET2_);
    EXPECT_EQ(lattice.NCL, c.NCL);
    EXPECT_EQ(lattice.NLAT, c.NLAT);
    EXPECT_EQ(collector_cluster_count(AG, c.HETMODE, SCOV, RHET0, c.RHET1_, c.RHET2_), c.NCL);
  }
  EXPECT_EQ(collector_lattice(AG, 1, SCOV, RHET0, 0, 0).DTHETA, PI / 54);
}

TEST(Hettrack, MatchesReferenceClusters) {
  // Entries (1-based) printed by tests/surface/reference/surface_geometry.py.
  struct Entry {
    int i;
    double x, y, z, r;
  };
  struct Case {
    const char* name;
    double X, Y, Z, XM0, YM0, ZM0;
    int HETMODE;
    std::vector<Entry> entries;
  };
  const std::vector<Case> cases = {
      {"band ring 7, second ring", 3.0e-5, 4.5e-5, 8.0e-5, 1e-6, -2e-6, 3e-6, 73,
       {{1, 3.1526055904545597e-05, 5.2365020222277558e-05, 8.1183147078791297e-05, RHET0},
        {2, 3.3117932654766956e-05, 4.794659836610658e-05, 8.3459776992225715e-05, RHET1},
        {5, 3.0073431689470125e-05, 4.9777986211893381e-05, 8.3459776992225715e-05, RHET1},
        {9, 2.9477403175056721e-05, 5.6684123782155392e-05, 7.8797170951994868e-05, RHET1},
        {10, 3.3545939168355916e-05, 4.6459557769415727e-05, 8.4193799667476698e-05, RHET2},
        {41, 2.9506287375483878e-05, 5.1227712795390613e-05, 8.2713249655485378e-05, RHET2},
        {73, 2.8694633846927483e-05, 5.8094000956246566e-05, 7.7978118842468003e-05, RHET2}}},
      {"north pole, second ring", 1e-7, 2e-7, 1.0001e-4, 0, 0, 0, 73,
       {{1, 0, 0, 0.0001, RHET0},
        {2, 3.7391196430170056e-06, 0, 9.9930070470780741e-05, RHET1},
        {9, 2.6439572597437191e-06, -2.6439564507465141e-06, 9.9930070470780741e-05, RHET1},
        {10, 2.4081199948448677e-06, -6.4525384683689011e-07, 9.9968918197425593e-05, RHET2},
        {73, 4.3167810252330027e-06, -2.4922937195470177e-06, 9.9875692105715568e-05, RHET2}}},
      // Satellites at theta = pi + DTH lie on the far side of the pole from
      // their azimuth: the one at azimuth 0 has x < 0.
      {"south pole, four satellites", -1e-7, 1e-7, -1.0001e-4, 0, 0, 0, 5,
       {{1, 0, 0, -9.9999999999999625e-05, RHET0},
        {2, -2.4930780570134511e-06, 0, -9.9968917978547901e-05, RHET1},
        {3, 1.0897590725520033e-13, -2.4930780570134486e-06, -9.9968917978547901e-05, RHET1},
        {4, 2.4930780570134418e-06, 2.1795181451040049e-13, -9.9968917978547901e-05, RHET1},
        {5, -3.2692772176560021e-13, 2.4930780570134299e-06, -9.9968917978547901e-05, RHET1}}},
      {"band ring 34, four diagonals", -6.0e-5, 2.0e-5, -7.5e-5, 0, 0, 0, 5,
       {{1, -5.8560193090845018e-05, 2.1403234468415391e-05, -7.8183152529512289e-05, RHET0},
        {2, -5.5830672452331732e-05, 2.2994194870735563e-05, -7.9713254956544619e-05, RHET1},
        {3, -5.7499894893477084e-05, 1.8427128682244637e-05, -7.9713254956544619e-05, RHET1},
        {4, -6.1212239962507854e-05, 1.9616832775211363e-05, -7.6604448634800249e-05, RHET1},
        {5, -5.943524811221868e-05, 2.4478760818253343e-05, -7.6604448634800249e-05, RHET1}}},
      {"band ring 9, eight satellites", 2.0e-5, -6.0e-5, 7.5e-5, 0, 0, 0, 9,
       {{1, 2.0696371692819704e-05, -6.0855726942822757e-05, 7.6604443063136026e-05, RHET0},
        {2, 1.727690129355159e-05, -5.9568695643810232e-05, 7.844156539098375e-05, RHET1},
        {5, 1.9970242210493195e-05, -5.8720611756573662e-05, 7.844156539098375e-05, RHET1},
        {9, 2.4247466930430637e-05, -6.1899886804753205e-05, 7.4702505721136399e-05, RHET1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Cluster out = track(c.X, c.Y, c.Z, c.XM0, c.YM0, c.ZM0, c.HETMODE);
    for (const Entry& e : c.entries) {
      SCOPED_TRACE(e.i);
      EXPECT_TRUE(near_rel(out.X[e.i - 1], e.x, 1e-14));
      EXPECT_TRUE(near_rel(out.Y[e.i - 1], e.y, 1e-14));
      EXPECT_TRUE(near_rel(out.Z[e.i - 1], e.z, 1e-14));
      EXPECT_EQ(out.R[e.i - 1], e.r);
    }
  }
}

TEST(Hettrack, SharedAnglesGiveTheEntryByEntryResult) {
  // HETTRACK evaluates each distinct polar angle and azimuth once and shares
  // them between the 73 entries. Here every entry is evaluated on its own
  // from its angles, with the lattice values of the band case above (TC, PC,
  // DTH, DPH from tests/surface/reference/surface_geometry.py) and of the
  // north pole (T0 = 0); the results must agree to the bit.
  const double A[8] = {-1, +1, 0, -1, +1, 0, -1, +1};
  const double B[8] = {-1, -1, -1, 0, 0, +1, +1, +1};
  auto direct = [](double theta, double phi, double XM0, double YM0, double ZM0) {
    return std::array<double, 3>{(AG * std::sin(theta)) * std::cos(phi) + XM0,
                                 (AG * std::sin(theta)) * std::sin(phi) + YM0,
                                 AG * std::cos(theta) + ZM0};
  };
  {
    SCOPED_TRACE("band");
    const double XM0 = 1e-6, YM0 = -2e-6, ZM0 = 3e-6;
    const double TC = 0.6731984445026943, PC = 1.0591654777526855;
    const double DTH = 0.037399914698087296, DPH = 0.05983985960483551;
    const Cluster out = track(3.0e-5, 4.5e-5, 8.0e-5, XM0, YM0, ZM0, 73);
    for (int i = 2; i <= 73; ++i) {
      double theta = 0, phi = 0;
      if (i <= 9) {
        theta = TC + A[i - 2] * DTH;
        phi = PC + B[i - 2] * DPH;
      } else {
        const int g = (i - 10) / 8 + 1, k = i - 9 - 8 * (g - 1);
        theta = (TC + A[g - 1] * DTH) + A[k - 1] * (ONE_THIRD * DTH);
        phi = (PC + B[g - 1] * DPH) + B[k - 1] * (ONE_THIRD * DPH);
      }
      const auto p = direct(theta, phi, XM0, YM0, ZM0);
      EXPECT_EQ(out.X[i - 1], p[0]) << "entry " << i;
      EXPECT_EQ(out.Y[i - 1], p[1]) << "entry " << i;
      EXPECT_EQ(out.Z[i - 1], p[2]) << "entry " << i;
    }
  }
  {
    SCOPED_TRACE("pole");
    const double DTH = ONE_THIRD * (PI / 28);
    const Cluster out = track(1e-7, 2e-7, 1.0001e-4, 0, 0, 0, 73);
    for (int i = 2; i <= 73; ++i) {
      double theta = DTH, phi = ((i - 2) * PI) * 0.25;
      if (i > 9) {
        const int g = (i - 10) / 8, k = i - 9 - 8 * g;
        theta = DTH + A[k - 1] * (ONE_THIRD * DTH);
        phi = (g * PI) * 0.25 + B[k - 1] * (ONE_THIRD * (PI * 0.25));
      }
      const auto p = direct(theta, phi, 0, 0, 0);
      EXPECT_EQ(out.X[i - 1], p[0]) << "entry " << i;
      EXPECT_EQ(out.Y[i - 1], p[1]) << "entry " << i;
      EXPECT_EQ(out.Z[i - 1], p[2]) << "entry " << i;
    }
  }
}

TEST(Hettrack, ParticleOnTheAxisGetsThePoleCluster) {
  const double XM0 = 2e-6, YM0 = -3e-6, ZM0 = 5e-6;
  const Cluster out = track(XM0, YM0, ZM0 + AG + 1e-8, XM0, YM0, ZM0, 5);
  EXPECT_EQ(out.X[0], XM0);
  EXPECT_EQ(out.Y[0], YM0);
  EXPECT_EQ(out.Z[0], ZM0 + AG);
  // Four satellites one third of a ring spacing (pi/42) from the pole, at
  // azimuths 0, pi/2, pi, 3pi/2.
  for (int i = 1; i <= 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(near_rel(polar(out, i, ZM0), ONE_THIRD * (PI / 42), 1e-9));
    const double turn = 2 * std::numbers::pi;
    EXPECT_NEAR(std::remainder(azimuth(out, i, XM0, YM0) - (i - 1) * (PI / 2), turn), 0.0, 1e-12);
  }
}

TEST(Hettrack, BandFiveTakesTheDiagonalNeighbours) {
  const Cluster out = track(-6.0e-5, 2.0e-5, -7.5e-5, 0, 0, 0, 5);
  // (polar step, azimuth step) signs of entries 2..5 relative to the centre.
  const int signs[4][2] = {{+1, -1}, {+1, +1}, {-1, +1}, {-1, -1}};
  for (int i = 1; i <= 4; ++i) {
    SCOPED_TRACE(i);
    const double dtheta = polar(out, i) - polar(out, 0);
    const double dphi = azimuth(out, i) - azimuth(out, 0);
    EXPECT_GT(dtheta * signs[i - 1][0], 0);
    EXPECT_GT(dphi * signs[i - 1][1], 0);
  }
}

TEST(Hettrack, RingsAreStaggeredAndTheAzimuthWraps) {
  // HETMODE 1 lattice of 55 rings. At azimuth 0 an odd ring returns
  // PC = -0.1 DPHI and an even ring +0.1 DPHI (both rounded to single
  // precision); just below a full turn on an even ring the site index equals
  // NPHI and the site wraps back to +0.1 DPHI, to rounding. DPHI, PC and the
  // positions come from tests/surface/reference/surface_geometry.py.
  struct Case {
    const char* name;
    double X, Y, Z;
    double DPHI, sign;
    double x, y, z;
  };
  for (const Case& c :
       {Case{"odd ring 11", 5.5e-5, 0.0, 8.35e-5, 0.10649467259645462, -1,
             5.4947783166394055e-05, -5.8518677093011587e-07, 8.3548780251671372e-05},
        Case{"even ring 12", 5.97e-5, 0.0, 8.02e-5, 0.09817477315664291, +1,
             5.9712982829100148e-05, 5.8624968930377464e-07, 8.0212318212063792e-05},
        Case{"even ring 12, wrapped", 5.97e-5, -1e-7, 8.02e-5, 0.09817477315664291, +1,
             5.971298275702934e-05, 5.8625703009420476e-07, 8.0212318212063792e-05}}) {
    SCOPED_TRACE(c.name);
    HetTable X{}, Y{}, Z{}, R{};
    HETTRACK(c.X, c.Y, c.Z, 0, 0, 0, AG, 1e-7, 1, SCOV, RHET0, 0, 0, X, Y, Z, R);
    const double PHI0 = c.sign * static_cast<float>(0.1f * static_cast<float>(c.DPHI));
    EXPECT_TRUE(near_rel(std::atan2(Y[0], X[0]), PHI0, 2e-5));
    EXPECT_TRUE(near_rel(X[0], c.x, 1e-14));
    EXPECT_TRUE(near_rel(Y[0], c.y, 1e-14));
    EXPECT_TRUE(near_rel(Z[0], c.z, 1e-14));
  }
}

TEST(Hettrack, WritesOnlyTheClusterEntries) {
  constexpr double UNTOUCHED = 7.0;
  struct Case {
    int HETMODE, written;
  };
  for (const Case& c : {Case{1, 1}, Case{5, 5}, Case{9, 9}, Case{73, 73}, Case{3, 0}}) {
    for (const bool pole : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "HETMODE " << c.HETMODE << (pole ? " pole" : " band"));
      Cluster out;
      for (HetTable* t : {&out.X, &out.Y, &out.Z, &out.R}) t->fill(UNTOUCHED);
      const double X = pole ? 1e-7 : 3.0e-5;
      const double Y = pole ? 2e-7 : 4.5e-5;
      const double Z = pole ? 1.0001e-4 : 8.0e-5;
      HETTRACK(X, Y, Z, 0, 0, 0, AG, 1e-7, c.HETMODE, SCOV, RHET0, RHET1, RHET2, out.X,
               out.Y, out.Z, out.R);
      for (int i = 0; i < HET_TABLE_SIZE; ++i) {
        const bool written = i < c.written;
        EXPECT_EQ(out.R[i] != UNTOUCHED, written) << "entry " << i + 1;
        EXPECT_EQ(out.Z[i] != UNTOUCHED, written) << "entry " << i + 1;
      }
    }
  }
}

}  // namespace
}  // namespace colloidsim
