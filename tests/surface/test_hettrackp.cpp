#include "surface/hettrackp.h"

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;

struct Params {
  double XC, YC, ZC, H, RZOIBULK, AP;
  int HETMODEP;
  double SCOVP, RHETP0, RHETP1;
};

struct Layout {
  double SCOVP = 0;
  std::int32_t NHETP = -1, NPRO = -1;
  std::vector<double> XHETP, YHETP, ZHETP, RHETP, XPRO, YPRO, ZPRO, RPRO;
};

void run(const Params& p, Layout& l) {
  HETTRACKP(p.XC, p.YC, p.ZC, p.H, p.RZOIBULK, p.AP, p.HETMODEP, l.SCOVP, p.RHETP0, p.RHETP1,
            l.NHETP, l.XHETP, l.YHETP, l.ZHETP, l.RHETP, l.NPRO, l.XPRO, l.YPRO, l.ZPRO, l.RPRO);
}

Layout layout(const Params& p) {
  Layout l;
  l.SCOVP = p.SCOVP;
  run(p, l);
  return l;
}

// Nine-member clusters about an off-origin centre. Its reference values come
// from tests/surface/reference/surface_geometry.py: 877 clusters on 26 rings,
// 7146 heterodomains of which the last 63 (from index 7083) are projected;
// index 7137 is the centre of the cluster on the pole facing the collector.
constexpr Params NINE = {1e-7, -2e-7, 3e-7, 1e-8, 1.5e-7, 1e-6, 9, 0.2, 2e-8, 8e-9};
constexpr std::size_t NINE_COUNT = 7146, NINE_FIRST_PROJECTED = 7083, NINE_SOUTH_POLE = 7137;

TEST(ParticleLattice, ClusterAndRingCounts) {
  // By hand: 1 - cos 0.01 = 4.99996e-5, round(0.4 / 9.99992e-5) = 4000
  // clusters, round(sqrt(4000 / 1.3)) = 55 rings.
  EXPECT_EQ(particle_cluster_count(1e-6, 1, 0.1, 1e-8, 0), 4000);
  EXPECT_EQ(particle_lattice(1e-6, 1, 0.1, 1e-8, 0).NLATP, 55);
  EXPECT_EQ(particle_cluster_count(NINE.AP, 9, 0.2, 2e-8, 8e-9), 877);
  EXPECT_EQ(particle_lattice(NINE.AP, 9, 0.2, 2e-8, 8e-9).NLATP, 26);
}

TEST(Hettrackp, MatchesReferenceLayout) {
  const Layout l = layout(NINE);
  EXPECT_EQ(l.NHETP, 7146);
  EXPECT_EQ(l.NPRO, 63);
  ASSERT_EQ(l.RPRO.size(), NINE_COUNT);
  for (std::size_t i = 0; i < NINE_COUNT; ++i) {
    EXPECT_EQ(l.RPRO[i] != 0, i >= NINE_FIRST_PROJECTED) << "entry " << i;
  }
  // Rows: XHETP, YHETP, ZHETP, RHETP, XPRO, YPRO, ZPRO, RPRO. 700 lies on the
  // upper half; 7083 is a band-ring centre and 7138 a tilted pole satellite.
  struct Row {
    std::size_t i;
    double values[8];
  };
  const Row rows[] = {
      {700, {-4.3696853594449055e-07, -4.3907386065180255e-07, 1.1090169840977831e-06, 8e-09}},
      {7083,
       {2.2464656213042636e-07, -2.1310088215511121e-07, -6.9211471183317497e-07, 2e-08,
        2.2462163364896626e-07, -2.1309826206601824e-07, -1.0099999999999999e-06,
        1.9919663018499422e-08}},
      {7138,
       {5.8124256512828693e-08, -1.9999999999999999e-07, -6.9912282633688058e-07, 8e-09,
        5.8115881643299157e-08, -1.9999999999999999e-07, -1.0099999999999999e-06,
        7.9964052399501396e-09}},
  };
  for (const Row& r : rows) {
    const double actual[8] = {l.XHETP[r.i], l.YHETP[r.i], l.ZHETP[r.i], l.RHETP[r.i],
                              l.XPRO[r.i],  l.YPRO[r.i],  l.ZPRO[r.i],  l.RPRO[r.i]};
    for (int k = 0; k < 8; ++k) {
      EXPECT_TRUE(RelNear(actual[k], r.values[k], 1e-14)) << "entry " << r.i << " column " << k;
    }
  }
  // The pole facing the collector projects onto itself, untilted.
  const std::size_t s = NINE_SOUTH_POLE;
  EXPECT_TRUE(RelNear(l.ZHETP[s], NINE.ZC - NINE.AP, 1e-14));
  EXPECT_EQ(l.XPRO[s], NINE.XC);
  EXPECT_EQ(l.YPRO[s], NINE.YC);
  EXPECT_EQ(l.ZPRO[s], -(NINE.AP + NINE.H));
  EXPECT_EQ(l.RPRO[s], NINE.AP * std::sin(NINE.RHETP0 / NINE.AP));
}

TEST(Hettrackp, RealisedCoverageIsWrittenBackAndStable) {
  struct Case {
    Params p;
    double realised;
  };
  for (const Case& c : {Case{NINE, 0.19995247800814042},
                        Case{{0, 0, 0, 1e-8, 1e-7, 1e-6, 1, 0.1, 1e-8, 0}, 0.099999166669473283}}) {
    SCOPED_TRACE(c.p.HETMODEP);
    const Layout first = layout(c.p);
    EXPECT_TRUE(RelNear(first.SCOVP, c.realised, 1e-15));
    EXPECT_EQ(particle_cluster_count(c.p.AP, c.p.HETMODEP, first.SCOVP, c.p.RHETP0, c.p.RHETP1),
              particle_cluster_count(c.p.AP, c.p.HETMODEP, c.p.SCOVP, c.p.RHETP0, c.p.RHETP1));
    Layout second = first;
    run(c.p, second);
    EXPECT_EQ(second.SCOVP, first.SCOVP);
    EXPECT_EQ(second.XHETP, first.XHETP);
    EXPECT_EQ(second.RPRO, first.RPRO);
  }
}

TEST(Hettrackp, GapMovesOnlyTheProjectionPlane) {
  Params closer = NINE;
  closer.H = 3e-9;
  const Layout a = layout(NINE);
  const Layout b = layout(closer);
  EXPECT_EQ(a.NPRO, b.NPRO);
  for (auto table : {&Layout::XHETP, &Layout::YHETP, &Layout::ZHETP, &Layout::RHETP,
                     &Layout::XPRO, &Layout::YPRO, &Layout::RPRO}) {
    EXPECT_EQ(a.*table, b.*table);
  }
  for (std::size_t i = 0; i < b.ZPRO.size(); ++i) {
    EXPECT_EQ(b.ZPRO[i], b.RPRO[i] != 0 ? -(closer.AP + closer.H) : 0.0) << "entry " << i;
  }
}

TEST(Hettrackp, EquatorAndReachBoundsAreExclusive) {
  // With ZC = 1e3 m, AP cos(27 pi/54) = -4.4e-14 m is below half an ulp of
  // ZC, so the 108 sites of ring 28 (the equator of 55) sit exactly at
  // z = ZC. The reach exceeds AP: all 1802 entries strictly below project.
  const Params wide{0, 0, 1e3, 1e-8, 2e-6, 1e-6, 1, 0.1, 1e-8, 0};
  const Layout l = layout(wide);
  int on_equator = 0;
  for (std::size_t i = 0; i < l.ZHETP.size(); ++i) {
    on_equator += l.ZHETP[i] == wide.ZC;
    EXPECT_EQ(l.RPRO[i] != 0, l.ZHETP[i] < wide.ZC) << "entry " << i;
  }
  EXPECT_EQ(on_equator, 108);
  EXPECT_EQ(l.NPRO, 1802);

  // An entry whose horizontal distance D equals the reach exactly is not
  // projected; one ulp more reach and it is.
  const Layout base = layout(NINE);
  const std::size_t i = NINE_FIRST_PROJECTED;
  const double dx = base.XHETP[i] - NINE.XC, dy = base.YHETP[i] - NINE.YC;
  const double D = std::sqrt(dx * dx + dy * dy);
  Params at = NINE;
  at.RZOIBULK = D - NINE.RHETP0;
  while (at.RZOIBULK + NINE.RHETP0 < D) at.RZOIBULK = std::nextafter(at.RZOIBULK, 1.0);
  while (at.RZOIBULK + NINE.RHETP0 > D) at.RZOIBULK = std::nextafter(at.RZOIBULK, 0.0);
  ASSERT_EQ(at.RZOIBULK + NINE.RHETP0, D);
  EXPECT_EQ(layout(at).RPRO[i], 0);
  while (at.RZOIBULK + NINE.RHETP0 == D) at.RZOIBULK = std::nextafter(at.RZOIBULK, 1.0);
  EXPECT_NE(layout(at).RPRO[i], 0);
}

TEST(Hettrackp, NoClusterClearsOnlyTheFirstProjection) {
  // Zero coverage, also with a zero radius that makes the count 0/0.
  for (const double RHETP0 : {1e-8, 0.0}) {
    SCOPED_TRACE(RHETP0);
    Layout l;
    l.XPRO = l.YPRO = l.ZPRO = l.RPRO = {5.0};
    run({0, 0, 0, 1e-8, 1e-7, 1e-6, 1, 0.0, RHETP0, 0}, l);
    EXPECT_EQ(l.XPRO[0], 0);
    EXPECT_EQ(l.YPRO[0], 0);
    EXPECT_EQ(l.RPRO[0], 0);
    EXPECT_EQ(l.ZPRO[0], 5.0);
    EXPECT_EQ(l.NPRO, 0);
    EXPECT_EQ(l.NHETP, 0);
    EXPECT_EQ(l.SCOVP, 0);
  }
}

TEST(Hettrackp, EntriesBeyondTheLayoutKeepTheirValuesAndCount) {
  constexpr std::size_t LONGER = 10000;
  Layout l;
  l.SCOVP = NINE.SCOVP;
  for (auto table : {&Layout::XHETP, &Layout::YHETP, &Layout::ZHETP, &Layout::RHETP,
                     &Layout::XPRO, &Layout::YPRO, &Layout::ZPRO, &Layout::RPRO}) {
    (l.*table).assign(LONGER, 1.0);
  }
  run(NINE, l);
  EXPECT_EQ(l.RHETP[NINE_COUNT], 1.0);
  EXPECT_EQ(l.RPRO[LONGER - 1], 1.0);
  EXPECT_EQ(l.NHETP, static_cast<std::int32_t>(LONGER));
  EXPECT_EQ(l.NPRO, static_cast<std::int32_t>(63 + (LONGER - NINE_COUNT)));
}

TEST(ParticleHeterodomainCount, EqualsTheGeneratedLayout) {
  // AP = 0.5 um, RZOIBULK = 78 nm; counts and NPRO from the reference script.
  struct Case {
    int HETMODEP;
    double SCOVP, RHETP0, RHETP1;
    std::int32_t count, NPRO;
  };
  for (const Case& c : {Case{1, 0.1, 5e-9, 2e-9, 3712, 20}, Case{5, 0.3, 3e-8, 1e-8, 920, 17},
                        Case{9, 0.05, 1e-8, 4e-9, 1656, 27}}) {
    SCOPED_TRACE(c.HETMODEP);
    const Params p{0, 0, 0, 1e-8, 7.8e-8, 0.5e-6, c.HETMODEP, c.SCOVP, c.RHETP0, c.RHETP1};
    EXPECT_EQ(particle_heterodomain_count(p.AP, p.HETMODEP, p.SCOVP, p.RHETP0, p.RHETP1), c.count);
    const Layout l = layout(p);
    EXPECT_EQ(l.NHETP, c.count);
    EXPECT_EQ(l.NPRO, c.NPRO);
  }
  EXPECT_EQ(particle_heterodomain_count(NINE.AP, 9, NINE.SCOVP, NINE.RHETP0, NINE.RHETP1), 7146);
  // About 2e12 clusters: reported as more than any 32-bit count.
  EXPECT_GT(particle_heterodomain_count(1e-6, 1, 0.5, 1e-12, 0),
            std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace colloidsim
