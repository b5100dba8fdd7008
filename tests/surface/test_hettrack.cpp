#include "surface/hettrack.h"

#include <array>
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "common/constants.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;

// Reference values below come from tests/surface/reference/surface_geometry.py
// unless a comment says otherwise.
constexpr double AG = 1e-4, RHET0 = 1e-6, RHET1 = 4e-7, RHET2 = 1.5e-7, SCOV = 0.1;

struct Cluster {
  HetTable X{}, Y{}, Z{}, R{};
};

Cluster track(double X, double Y, double Z, double XM0, double YM0, double ZM0, int HETMODE) {
  Cluster c;
  HETTRACK(X, Y, Z, XM0, YM0, ZM0, AG, 1e-7, HETMODE, SCOV, RHET0, RHET1, RHET2, c.X, c.Y, c.Z,
           c.R);
  return c;
}

TEST(CollectorLattice, ClusterAndRingCounts) {
  // HETMODE 1 by hand: 0.1 * 4e-8 / 1e-12 = 4000 clusters, round(sqrt(4000 /
  // 1.3)) = 55 rings. A HETMODE outside 1, 5, 9, 73 has no lattice.
  EXPECT_EQ(collector_cluster_count(AG, 1, SCOV, RHET0, 0, 0), 4000);
  EXPECT_EQ(collector_lattice(AG, 1, SCOV, RHET0, 0, 0).NLAT, 55);
  EXPECT_EQ(collector_lattice(AG, 1, SCOV, RHET0, 0, 0).DTHETA, PI / 54);
  EXPECT_EQ(collector_cluster_count(AG, 73, SCOV, RHET0, RHET1, RHET2), 1075);
  EXPECT_EQ(collector_lattice(AG, 73, SCOV, RHET0, RHET1, RHET2).NLAT, 29);
  EXPECT_EQ(collector_cluster_count(AG, 3, SCOV, RHET0, RHET1, RHET2), 0);
}

TEST(Hettrack, MatchesReferenceClusters) {
  struct Entry {
    int i;
    double x, y, z;
  };
  struct Case {
    const char* name;
    std::array<double, 6> position;  // X, Y, Z, XM0, YM0, ZM0
    int HETMODE;
    std::array<Entry, 4> entries;
  };
  const Case cases[] = {
      {"band ring 7 of 29", {3.0e-5, 4.5e-5, 8.0e-5, 1e-6, -2e-6, 3e-6}, 73,
       {{{1, 3.1526055904545597e-05, 5.2365020222277558e-05, 8.1183147078791297e-05},
         {2, 3.3117932654766956e-05, 4.794659836610658e-05, 8.3459776992225715e-05},
         {10, 3.3545939168355916e-05, 4.6459557769415727e-05, 8.4193799667476698e-05},
         {73, 2.8694633846927483e-05, 5.8094000956246566e-05, 7.7978118842468003e-05}}}},
      // Satellites at theta = pi + DTH lie beyond the pole from their
      // azimuth: the one at azimuth 0 (entry 2) has x < 0.
      {"south pole", {-1e-7, 1e-7, -1.0001e-4, 0, 0, 0}, 5,
       {{{1, 0, 0, -9.9999999999999625e-05},
         {2, -2.4930780570134511e-06, 0, -9.9968917978547901e-05},
         {3, 1.0897590725520033e-13, -2.4930780570134486e-06, -9.9968917978547901e-05},
         {5, -3.2692772176560021e-13, 2.4930780570134299e-06, -9.9968917978547901e-05}}}},
      // HETMODE 5 on a band ring: the four diagonal neighbours (TC + DTH,
      // PC - DPH), (TC + DTH, PC + DPH), (TC - DTH, PC + DPH), (TC - DTH, PC - DPH).
      {"band ring 34 of 43", {-6.0e-5, 2.0e-5, -7.5e-5, 0, 0, 0}, 5,
       {{{2, -5.5830672452331732e-05, 2.2994194870735563e-05, -7.9713254956544619e-05},
         {3, -5.7499894893477084e-05, 1.8427128682244637e-05, -7.9713254956544619e-05},
         {4, -6.1212239962507854e-05, 1.9616832775211363e-05, -7.6604448634800249e-05},
         {5, -5.943524811221868e-05, 2.4478760818253343e-05, -7.6604448634800249e-05}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto& p = c.position;
    const Cluster out = track(p[0], p[1], p[2], p[3], p[4], p[5], c.HETMODE);
    for (const Entry& e : c.entries) {
      EXPECT_TRUE(RelNear(out.X[e.i - 1], e.x, 1e-14)) << "entry " << e.i;
      EXPECT_TRUE(RelNear(out.Y[e.i - 1], e.y, 1e-14)) << "entry " << e.i;
      EXPECT_TRUE(RelNear(out.Z[e.i - 1], e.z, 1e-14)) << "entry " << e.i;
      EXPECT_EQ(out.R[e.i - 1], e.i == 1 ? RHET0 : e.i <= 9 ? RHET1 : RHET2) << "entry " << e.i;
    }
  }
}

TEST(Hettrack, SharedAnglesGiveTheEntryByEntryResult) {
  // HETTRACK evaluates each distinct angle once and shares it between
  // entries. Here every entry is evaluated on its own from its angles (band:
  // TC, PC, DTH, DPH of ring 7 above from the reference script; north pole:
  // T0 = 0); the results must agree to the bit.
  const double A[8] = {-1, +1, 0, -1, +1, 0, -1, +1};
  const double B[8] = {-1, -1, -1, 0, 0, +1, +1, +1};
  const double TC = 0.6731984445026943, PC = 1.0591654777526855;
  const double DTH = 0.037399914698087296, DPH = 0.05983985960483551;
  const double POLE_DTH = ONE_THIRD * (PI / 28);
  const Cluster band = track(3.0e-5, 4.5e-5, 8.0e-5, 1e-6, -2e-6, 3e-6, 73);
  const Cluster pole = track(1e-7, 2e-7, 1.0001e-4, 0, 0, 0, 73);
  for (int i = 2; i <= 73; ++i) {
    const int g = (i - 10) / 8 + 1, k = i - 9 - 8 * (g - 1);  // second ring
    const double band_theta = i <= 9 ? TC + A[i - 2] * DTH
                                     : (TC + A[g - 1] * DTH) + A[k - 1] * (ONE_THIRD * DTH);
    const double band_phi = i <= 9 ? PC + B[i - 2] * DPH
                                   : (PC + B[g - 1] * DPH) + B[k - 1] * (ONE_THIRD * DPH);
    const double pole_theta = i <= 9 ? POLE_DTH : POLE_DTH + A[k - 1] * (ONE_THIRD * POLE_DTH);
    const double pole_phi = i <= 9 ? ((i - 2) * PI) * 0.25
                                   : ((g - 1) * PI) * 0.25 + B[k - 1] * (ONE_THIRD * (PI * 0.25));
    EXPECT_EQ(band.X[i - 1], (AG * std::sin(band_theta)) * std::cos(band_phi) + 1e-6) << i;
    EXPECT_EQ(band.Y[i - 1], (AG * std::sin(band_theta)) * std::sin(band_phi) + -2e-6) << i;
    EXPECT_EQ(band.Z[i - 1], AG * std::cos(band_theta) + 3e-6) << i;
    EXPECT_EQ(pole.X[i - 1], (AG * std::sin(pole_theta)) * std::cos(pole_phi) + 0.0) << i;
    EXPECT_EQ(pole.Y[i - 1], (AG * std::sin(pole_theta)) * std::sin(pole_phi) + 0.0) << i;
    EXPECT_EQ(pole.Z[i - 1], AG * std::cos(pole_theta) + 0.0) << i;
  }
}

TEST(Hettrack, ParticleOnTheAxisGetsThePoleCluster) {
  const double XM0 = 2e-6, YM0 = -3e-6, ZM0 = 5e-6;
  const Cluster out = track(XM0, YM0, ZM0 + AG + 1e-8, XM0, YM0, ZM0, 5);
  EXPECT_EQ(out.X[0], XM0);
  EXPECT_EQ(out.Y[0], YM0);
  EXPECT_EQ(out.Z[0], ZM0 + AG);
  // Four satellites a third of the ring spacing pi/42 from the pole, at
  // azimuths 0, pi/2, pi, 3 pi/2.
  for (int i = 1; i <= 4; ++i) {
    EXPECT_TRUE(RelNear(std::acos((out.Z[i] - ZM0) / AG), ONE_THIRD * (PI / 42), 1e-9)) << i;
    const double azimuth = std::atan2(out.Y[i] - YM0, out.X[i] - XM0);
    EXPECT_NEAR(std::remainder(azimuth - (i - 1) * (PI / 2), 2 * std::numbers::pi), 0, 1e-12) << i;
  }
}

TEST(Hettrack, RingsAreStaggeredAndTheAzimuthWraps) {
  // At azimuth 0 an odd ring returns PC = -0.1 DPHI and an even ring
  // +0.1 DPHI (rounded to single precision); just below a full turn on an
  // even ring the site index equals NPHI and the site wraps to +0.1 DPHI, to
  // rounding. HETMODE 1 lattice of 55 rings.
  struct Case {
    const char* name;
    double X, Y, Z, DPHI, sign, x, y;
  };
  for (const Case& c :
       {Case{"odd ring 11", 5.5e-5, 0.0, 8.35e-5, 0.10649467259645462, -1,
             5.4947783166394055e-05, -5.8518677093011587e-07},
        Case{"even ring 12", 5.97e-5, 0.0, 8.02e-5, 0.09817477315664291, +1,
             5.9712982829100148e-05, 5.8624968930377464e-07},
        Case{"even ring 12, wrapped", 5.97e-5, -1e-7, 8.02e-5, 0.09817477315664291, +1,
             5.971298275702934e-05, 5.8625703009420476e-07}}) {
    SCOPED_TRACE(c.name);
    const Cluster out = track(c.X, c.Y, c.Z, 0, 0, 0, 1);
    const double PHI0 = c.sign * static_cast<float>(0.1f * static_cast<float>(c.DPHI));
    EXPECT_TRUE(RelNear(std::atan2(out.Y[0], out.X[0]), PHI0, 2e-5));
    EXPECT_TRUE(RelNear(out.X[0], c.x, 1e-14));
    EXPECT_TRUE(RelNear(out.Y[0], c.y, 1e-14));
  }
}

TEST(Hettrack, WritesOnlyTheClusterEntries) {
  constexpr double UNTOUCHED = 7.0;
  for (const int HETMODE : {1, 5, 9, 73, 3}) {
    for (const bool pole : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "HETMODE " << HETMODE << (pole ? " pole" : " band"));
      Cluster out;
      for (HetTable* t : {&out.X, &out.Y, &out.Z, &out.R}) t->fill(UNTOUCHED);
      HETTRACK(pole ? 1e-7 : 3.0e-5, pole ? 2e-7 : 4.5e-5, pole ? 1.0001e-4 : 8.0e-5, 0, 0, 0, AG,
               1e-7, HETMODE, SCOV, RHET0, RHET1, RHET2, out.X, out.Y, out.Z, out.R);
      const int written = HETMODE == 3 ? 0 : HETMODE;
      for (int i = 0; i < HET_TABLE_SIZE; ++i) {
        EXPECT_EQ(out.R[i] != UNTOUCHED, i < written) << "entry " << i + 1;
        EXPECT_EQ(out.X[i] != UNTOUCHED, i < written) << "entry " << i + 1;
      }
    }
  }
}

}  // namespace
}  // namespace colloidsim
