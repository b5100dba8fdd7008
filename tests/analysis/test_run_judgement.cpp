// The summary's judgement of its own eta: the injection rings and each
// warning on both sides of its threshold, on constructed runs, and on real
// runs of the favorable example with the old and the shipped RLIM.
#include <limits>

#include <gtest/gtest.h>

#include "analysis/run_summary.h"
#include "tests/constructed_run.h"
#include "tests/run_inputs.h"

namespace colloidsim {
namespace {

using testing::favorable_parameters;
using testing::flux_row;

struct Group {
  int count;
  std::int32_t ATTACHK;
  double rinj;  // RINJ / RLIM
};

std::vector<std::string> warnings_of(const std::vector<Group>& groups, std::int32_t NPART,
                                     const std::string& name) {
  const RunParameters p = favorable_parameters(NPART);
  std::vector<FluxRecord> rows;
  for (const Group& g : groups) {
    for (int k = 0; k < g.count; ++k) {
      FluxRecord r = flux_row(static_cast<std::int32_t>(rows.size()) + 1, g.ATTACHK);
      r.RINJ = g.rinj * p.RLIM;
      rows.push_back(r);
    }
  }
  const auto dir = testing::fresh_directory("judgement-" + name);
  testing::write_all_particles_run(dir, testing::flux_head(p), rows);
  return summarize(read_run_files(dir), dir.string()).warnings;
}

TEST(Judgement, EachWarningOnBothSidesOfItsThreshold) {
  // 100 exits in the inner rings keep the interval of eta narrow unless a
  // case says otherwise; ring 5 is RINJ / RLIM above sqrt(4/5) = 0.894.
  const Group inner_exits{300, 1, 0.3}, inner_attached{150, 2, 0.3};
  const struct {
    const char* name;
    std::vector<Group> groups;
    std::int32_t NPART;  // 0: as many as rows
    std::vector<std::string> expected;  // the start of each warning
  } cases[] = {
      {"clean", {inner_exits, inner_attached, {40, 1, 0.95}}, 0, {}},
      // 3 of 40 in the outer ring attached: Wilson lower bound 0.026 > 0.01.
      {"outer-ring", {inner_exits, inner_attached, {37, 1, 0.95}, {3, 2, 0.95}}, 0, {"RLIM = "}},
      // 1 of 400: lower bound 0.00044, compatible with none.
      {"outer-ring-below", {inner_exits, inner_attached, {399, 1, 0.95}, {1, 2, 0.95}}, 0, {}},
      {"unresolved", {inner_exits, inner_attached, {2, 3, 0.5}}, 0, {"2 of 452 particles were unresolved"}},
      {"partial", {inner_exits, inner_attached}, 460, {"10 of 460 particles have no row yet"}},
      // 4 attached of 400: the interval reaches far beyond +-50 %.
      {"few", {{396, 1, 0.3}, {4, 2, 0.3}}, 0, {"only 4 particles attached"}},
      {"crashed", {inner_exits, inner_attached, {1, 6, 0.3}}, 0, {"1 particles crashed below H0"}},
      {"not-finite", {inner_exits, inner_attached, {1, 1, std::numeric_limits<double>::quiet_NaN()}},
       0, {"1 row holds values that are not finite (particle 451)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::int32_t rows = 0;
    for (const Group& g : c.groups) rows += g.count;
    const std::vector<std::string> w = warnings_of(c.groups, c.NPART ? c.NPART : rows, c.name);
    ASSERT_EQ(w.size(), c.expected.size()) << (w.empty() ? "" : w.front());
    for (std::size_t k = 0; k < w.size(); ++k) EXPECT_EQ(w[k].rfind(c.expected[k], 0), 0u) << w[k];
  }
}

TEST(Judgement, RingsCountTheParticlesOfEqualAreas) {
  const RunParameters p = favorable_parameters(5);
  std::vector<FluxRecord> rows;
  // One particle per ring, at the middle of its area; the outermost attached.
  for (int k = 0; k < INJECTION_RINGS; ++k) {
    FluxRecord r = flux_row(k + 1, k == INJECTION_RINGS - 1 ? 2 : 1);
    r.RINJ = p.RLIM * std::sqrt((k + 0.5) / INJECTION_RINGS);
    rows.push_back(r);
  }
  const auto dir = testing::fresh_directory("judgement-rings");
  testing::write_all_particles_run(dir, testing::flux_head(p), rows);
  const RunSummary s = summarize(read_run_files(dir), dir.string());
  for (int k = 0; k < INJECTION_RINGS; ++k) {
    EXPECT_EQ(s.rings[static_cast<std::size_t>(k)].particles, 1);
    EXPECT_DOUBLE_EQ(s.rings[static_cast<std::size_t>(k)].outer, p.RLIM * std::sqrt((k + 1.0) / 5));
  }
  EXPECT_EQ(s.rings.back().attached.count, 1);
  EXPECT_EQ(s.outer_ring_share, 1.0);
}

// The favorable example with its earlier RLIM of 50 um warns; as shipped
// (120 um) its outermost ring attaches nothing.
TEST(Judgement, TheFavorableExampleWarnsOnlyWithItsEarlierRLIM) {
  for (const char* RLIM : {"5.0e-5", "1.2e-4"}) {
    SCOPED_TRACE(RLIM);
    const auto dir = testing::fresh_directory(std::string("judgement-favorable-") + RLIM);
    testing::write_text(dir / "INPUT.IN", testing::input_with({{"RLIM", RLIM}}));
    ASSERT_EQ(testing::run_in(dir, {"--seed", "1", "--no-trajectories"}).status, 0);
    const RunSummary s = summarize(read_run_files(dir), dir.string());
    const bool warned = !s.warnings.empty() && s.warnings.front().rfind("RLIM = ", 0) == 0;
    EXPECT_EQ(warned, std::string(RLIM) == "5.0e-5");
  }
}

}  // namespace
}  // namespace colloidsim
