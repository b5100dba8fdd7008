// The study file, its conditions and the attachment-efficiency interval.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/study_file.h"
#include "analysis/study_table.h"
#include "common/input_error.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::fresh_directory;
using testing::read_text;
using testing::RelNear;
using testing::source_path;
using testing::write_text;

StudyFile study_of(const std::string& text) {
  const auto dir = fresh_directory("study_file");
  write_text(dir / "STUDY.toml", text);
  return read_study_file(dir / "STUDY.toml", "STUDY.toml");
}

ParameterFile favorable() {
  return read_parameter_text(read_text(source_path("examples/favorable/INPUT.IN")));
}

TEST(StudyFile, ConditionsInFileOrderWithTwinsAndZip) {
  // IS stands before AP in the file although toml++ keeps keys sorted.
  const StudyFile s = study_of(
      "seed = -1\nnpart = 40\ntrajectories = false\n"
      "[vary]\nIS = [1, 100.0]\nAP = [0.05e-6, 2e-6, 3e-6]\nHETMODE = [5, 9, 1]\n"
      "[reference]\nZETAPST = -0.03\nNPART = 8\n");
  EXPECT_EQ(s.seed, ~std::uint64_t{0});
  EXPECT_FALSE(s.trajectories);
  const auto all = study_conditions(s, favorable());
  ASSERT_EQ(all.size(), 2u * 3 * 3 * 2);
  EXPECT_EQ(all[0].directory, "01-IS=1,AP=5e-08,HETMODE=5");
  EXPECT_EQ(all[1].directory, "01-IS=1,AP=5e-08,HETMODE=5-reference");
  EXPECT_EQ(all[2].directory, "02-IS=1,AP=5e-08,HETMODE=9");
  EXPECT_EQ(all.back().directory, "18-IS=100,AP=3e-06,HETMODE=1-reference");
  EXPECT_EQ(describe_condition(all.back()), "condition 18 (IS=100,AP=3e-06,HETMODE=1) reference twin");
  // The twin's NPART replaces the study's.
  const auto names = [](const StudyCondition& c) {
    std::string out;
    for (const auto& a : c.assignments) out += a.name + "=" + a.value + " ";
    return out;
  };
  EXPECT_EQ(names(all[0]), "IS=1 AP=5e-08 HETMODE=5 NPART=40 ");
  EXPECT_EQ(names(all[1]), "IS=1 AP=5e-08 HETMODE=5 ZETAPST=-0.03 NPART=8 ");

  const StudyFile zipped = study_of("seed = 1\n[vary]\nzip = true\nAP = [1e-6, 2e-6]\nIS = [1, 10]\n");
  const auto pairs = study_conditions(zipped, favorable());
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[1].directory, "02-AP=2e-06,IS=10");
}

TEST(StudyFile, MessagesNameTheLineAndTheKey) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"seed = 1\n[vary]\nAP = [1e-6\n", "STUDY.toml, line 3: found text that is not TOML"},
      {"[vary]\nAP = [1e-6]\n", "parameter seed: found no seed"},
      {"seed = 1\n", "parameter vary: found no [vary] table"},
      {"seed = 1\nnpart = 0\n[vary]\nAP = [1e-6]\n", "line 2, parameter npart: found 0"},
      {"seed = 1\ntrajectory = false\n[vary]\nAP = [1e-6]\n", "line 2: found the unknown key \"trajectory\""},
      {"seed = 1\n[vary]\nAPP = [1e-6]\n", "line 3, parameter APP: found the unknown parameter \"APP\""},
      {"seed = 1\n[vary]\nHETMODE = [1.5]\n", "line 3, parameter HETMODE: found a real number; expected an integer"},
      {"seed = 1\n[vary]\nAP = [\"big\"]\n", "parameter AP: found a string; expected a number"},
      {"seed = 1\n[vary]\nAP = []\n", "parameter AP: found an empty list"},
      {"seed = 1\n[vary]\nCLUSTER = [1]\n", "parameter CLUSTER"},
      {"seed = 1\n[vary]\nzip = true\nAP = [1e-6, 2e-6]\nIS = [1]\n", "parameter IS: found 1 values where AP has 2"},
      {"seed = 1\n[vary]\nAP = [1e-6]\n[reference]\nAP = 2e-6\n", "both in [vary] and in [reference]"},
  };
  for (const auto& c : cases) {
    try {
      study_of(c.text);
      ADD_FAILURE() << c.text;
    } catch (const InputError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

RunSummary run_of(std::int64_t attached, std::int64_t finished, double disc, double flow) {
  RunSummary s;
  s.finished = finished;
  s.disc_ratio = disc;
  s.flow_factor = flow;
  s.attached.fraction = wilson_proportion(attached, finished);
  s.attached.value = s.attached.fraction.fraction * disc * flow;
  return s;
}

// Reference values from Python: a = (x1/n1)/(x2/n2) * factors,
// a exp(-+1.959963984540054 sqrt(1/x1 - 1/n1 + 1/x2 - 1/n2)).
TEST(StudyTable, AlphaHasTheLogRatioIntervalAndDefinedEdges) {
  Ratio r = attachment_ratio(run_of(3, 10, 4, 1.5), run_of(6, 10, 4, 1.5));
  EXPECT_TRUE(RelNear(r.value, 0.5, 1e-14));
  EXPECT_TRUE(RelNear(r.low, 0.1709022254863134, 1e-13));
  EXPECT_TRUE(RelNear(r.high, 1.4628247191551118, 1e-13));
  // Other flow factors scale alpha and its bounds alike.
  r = attachment_ratio(run_of(3, 10, 4, 1.5), run_of(6, 10, 4, 1.2));
  EXPECT_TRUE(RelNear(r.value, 0.625, 1e-14));
  // No attached particle: 0, with the upper bound of 0.5 attached.
  r = attachment_ratio(run_of(0, 10, 4, 1.5), run_of(6, 10, 4, 1.5));
  EXPECT_EQ(r.value, 0);
  EXPECT_EQ(r.low, 0);
  EXPECT_TRUE(RelNear(r.high, 1.3017448385402661, 1e-13));
  // A twin without attachment, or a run without particles: undefined.
  EXPECT_TRUE(std::isnan(attachment_ratio(run_of(3, 10, 4, 1.5), run_of(0, 10, 4, 1.5)).value));
  EXPECT_TRUE(std::isnan(attachment_ratio(run_of(0, 0, 4, 1.5), run_of(6, 10, 4, 1.5)).value));
}

}  // namespace
}  // namespace colloidsim
