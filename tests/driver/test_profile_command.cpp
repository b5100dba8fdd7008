// colloidsim profile through the program's dispatch: its report forms on the
// heterogeneous example, and its messages for bad input; it never writes a
// file.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::run_in;

TEST(ProfileCommand, ReportsEverySurfacePairInEachFormAndWritesNothing) {
  const auto dir = testing::fresh_directory("profile-heterogeneous");
  testing::write_text(dir / "INPUT.IN",
                      testing::read_text(testing::source_path("examples/heterogeneous/INPUT.IN")));

  const testing::Outcome json = run_in(dir, {"profile", "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["grid"]["points"], 400);
  EXPECT_EQ(j["grid"]["hmax_m"], 1e-6);
  ASSERT_EQ(j["pairs"].size(), 4u);
  const std::vector<std::string> labels = {
      "collector base / particle base", "collector heterodomain / particle base",
      "collector base / particle heterodomain", "collector heterodomain / particle heterodomain"};
  for (std::size_t k = 0; k < 4; ++k) {
    const auto& pair = j["pairs"][k];
    EXPECT_EQ(pair["label"], labels[k]);
    EXPECT_EQ(pair["profile"]["H_m"].size(), 400u);
    EXPECT_EQ(pair["profile"]["E_kT"].back(), 0.0);
    EXPECT_FALSE(pair["primary_minimum"].is_null());
  }
  // The opposite-charged pairs have no barrier, the like-charged ones have.
  EXPECT_FALSE(j["pairs"][0]["barrier"].is_null());
  EXPECT_TRUE(j["pairs"][1]["barrier"].is_null());
  EXPECT_TRUE(j["pairs"][2]["barrier"].is_null());
  EXPECT_FALSE(j["pairs"][3]["barrier"].is_null());
  EXPECT_TRUE(j["heterodomains"]["active"]);
  EXPECT_EQ(j["heterodomains"]["collector_coverage"], 0.05);
  EXPECT_TRUE(j["heterodomains"]["zoi_fraction_bound"].is_null());  // HETMODE 9
  const double vanishing = j["heterodomains"]["barrier_vanishing_fraction"];
  EXPECT_GT(vanishing, 0.0);
  EXPECT_LT(vanishing, 1.0);
  EXPECT_GT(j["run"]["eta0"]["tufenkji_elimelech_2004"].get<double>(), 0.0);
  EXPECT_GT(j["run"]["cost"]["bulk_steps_per_pass"].get<double>(), 0.0);

  const testing::Outcome csv = run_in(dir, {"profile", "--csv"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(testing::split_lines(csv.out).size(), 1u + 4u * 400u);

  const testing::Outcome text = run_in(dir, {"profile", "--grid", "50", "--hmax", "1e-7"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("HMAX = 1.000e-07 m (--hmax)"), std::string::npos);
  EXPECT_NE(text.out.find("Pair 4: collector heterodomain / particle heterodomain"), std::string::npos);
  EXPECT_NE(text.out.find("each profile here is that of two uniform surfaces"), std::string::npos);
  EXPECT_TRUE(testing::output_files(dir).empty());

  // One heterodomain per site (HETMODE 1, RHET0 30 nm): at most
  // (30 / 78.0)^2 of the zone (RZOIBULK 78.0 nm), less than the barrier
  // needs.
  std::string one = testing::read_text(dir / "INPUT.IN");
  const std::string layout = "0.030 9 1.2e-7";
  ASSERT_NE(one.find(layout), std::string::npos);
  one.replace(one.find(layout), layout.size(), "0.030 1 3.0e-8");
  testing::write_text(dir / "INPUT.IN", one);
  const testing::Outcome bound = run_in(dir, {"profile", "--json"});
  ASSERT_EQ(bound.status, 0) << bound.err;
  const nlohmann::json b = nlohmann::json::parse(bound.out);
  const double RZOIBULK = b["lengths"]["RZOIBULK_m"];
  EXPECT_DOUBLE_EQ(b["heterodomains"]["zoi_fraction_bound"].get<double>(),
                   (3.0e-8 / RZOIBULK) * (3.0e-8 / RZOIBULK));
  EXPECT_EQ(b["heterodomains"]["barrier_vanishing_fraction"], vanishing);
  EXPECT_NE(run_in(dir, {"profile"}).out.find("the collector heterodomains alone never remove it"), std::string::npos);
}

TEST(ProfileCommand, BadInputGivesOneMessageAndNoOutput) {
  struct Case {
    std::vector<std::string> args;
    std::string input;  // "" for no INPUT.IN
    std::string message;
  };
  const std::string good = testing::input_with({});
  const std::vector<Case> cases = {
      {{"profile"}, "", "colloidsim: INPUT.IN: cannot open the file"},
      {{"profile"}, testing::input_with({{"AP", "-1e-6"}}), "parameter AP: found \"-1e-6\""},
      {{"profile", "--grid", "1"}, good,
       "command line, parameter --grid: found \"1\"; expected a whole number of grid points from 2 to 100000"},
      {{"profile", "--grid", "4e2"}, good, "--grid: found \"4e2\""},
      {{"profile", "--hmax", "1e-11"}, good, "--hmax: found \"1e-11\"; expected the upper end"},
      {{"profile", "--hmax", "nan"}, good, "--hmax: found \"nan\""},
      {{"profile", "--json", "--csv"}, good, "found --json and --csv together"},
      {{"profile", "--jsn"}, good, "did you mean --json?"},
      {{"profile", "runs/a"}, good, "found \"runs/a\"; expected no directory: profile reads INPUT.IN of the working directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const auto dir = testing::fresh_directory("profile-bad");
    if (!c.input.empty()) testing::write_text(dir / "INPUT.IN", c.input);
    const testing::Outcome o = run_in(dir, c.args);
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.out.empty());
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_EQ(testing::split_lines(o.err).size(), 1u) << o.err;
    EXPECT_TRUE(testing::output_files(dir).empty());
  }
}

}  // namespace
}  // namespace colloidsim
