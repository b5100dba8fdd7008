// colloidsim study: each condition's files are those of a single run with
// the study's seed, a stopped study continues to the same bytes, a changed
// study is refused, and the table holds what summary says of each run.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <sstream>

#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

namespace fs = std::filesystem;
using testing::fresh_directory;
using testing::input_with;
using testing::output_files;
using testing::read_text;
using testing::run_in;
using testing::write_text;

// Four particles of the favorable example at 2 x 2 conditions.
const char* const STUDY_2X2 =
    "input = \"INPUT.IN\"\n"
    "seed = 17\n"
    "npart = 4\n"
    "[vary]\n"
    "AP = [0.5e-6, 1e-6]\n"
    "IS = [1.0, 10.0]\n";

fs::path make_study(const std::string& name, const std::string& study) {
  const fs::path dir = fresh_directory(name);
  write_text(dir / "INPUT.IN", input_with({}));
  write_text(dir / "STUDY.toml", study);
  return dir;
}

std::map<std::string, std::map<std::string, std::string>> condition_files(const fs::path& dir) {
  std::map<std::string, std::map<std::string, std::string>> all;
  for (const auto& entry : fs::directory_iterator(dir / "runs")) {
    if (entry.is_directory()) all[entry.path().filename().string()] = output_files(entry.path());
  }
  return all;
}

std::vector<std::string> csv_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
  return fields;
}

TEST(Study, EachConditionIsTheSingleRunAndTheTableIsItsSummary) {
  const fs::path dir = make_study("study_2x2", STUDY_2X2);
  const auto o = run_in(dir, {"study", ".", "-j", "2"});
  ASSERT_EQ(o.status, 0) << o.err;
  const auto conditions = condition_files(dir);
  ASSERT_EQ(conditions.size(), 4u);
  EXPECT_EQ(conditions.begin()->first, "01-AP=5e-07,IS=1");
  EXPECT_EQ(conditions.rbegin()->first, "04-AP=1e-06,IS=10");

  const std::vector<std::string> csv = testing::split_lines(read_text(dir / "STUDY.csv"));
  ASSERT_EQ(csv.size(), 5u);
  const std::vector<std::string> titles = csv_fields(csv[0]);
  const auto column = [&](const std::string& title) {
    return static_cast<std::size_t>(std::find(titles.begin(), titles.end(), title) - titles.begin());
  };
  std::size_t row = 1;
  for (const auto& [name, files] : conditions) {
    // The same input run alone with the study's seed, on one thread.
    const fs::path single = fresh_directory("study_single");
    fs::copy_file(dir / "runs" / name / "INPUT.IN", single / "INPUT.IN");
    ASSERT_EQ(run_in(single, {"--seed", "17", "--threads", "1"}).status, 0);
    EXPECT_EQ(output_files(single), files) << name;

    const auto summary = run_in(single, {"summary", "--json"});
    const auto json = nlohmann::json::parse(summary.out);
    const std::vector<std::string> fields = csv_fields(csv[row++]);
    ASSERT_EQ(fields.size(), titles.size()) << name;
    EXPECT_EQ(fields[column("finished")], "4");
    EXPECT_EQ(std::stoll(fields[column("fate2")]), json["fates"]["2"]["count"].get<long long>());
    EXPECT_EQ(std::stod(fields[column("eta_attached")]),
              json["efficiency"]["attached"]["efficiency"].get<double>()) << name;
    EXPECT_EQ(std::stod(fields[column("eta_retained_high")]),
              json["efficiency"]["retained"]["efficiency_interval"][1].get<double>()) << name;
    EXPECT_EQ(std::stod(fields[column("eta0_tufenkji_elimelech")]),
              json["correlations"]["tufenkji_elimelech"].get<double>()) << name;
    EXPECT_EQ(std::stoull(fields[column("warnings")]), json["warnings"].size()) << name;
  }
  // The printed table is the table of --table.
  EXPECT_EQ(run_in(dir, {"study", "--table"}).out, o.out);
}

TEST(Study, AStoppedStudyContinuesToTheSameBytes) {
  const fs::path whole = make_study("study_whole", STUDY_2X2);
  ASSERT_EQ(run_in(whole, {"study", "-j", "2"}).status, 0);
  const auto expected = condition_files(whole);

  // Stopped in condition 02: its flux files hold particle 1 and a part of a
  // row; conditions 03 and 04 never started (04 not even its directory).
  const fs::path dir = make_study("study_stopped", STUDY_2X2);
  fs::copy(whole / "runs", dir / "runs", fs::copy_options::recursive);
  const fs::path second = dir / "runs" / "02-AP=5e-07,IS=10";
  for (const char* name : {"FLUXEX.OUT", "FLUXATT.OUT", "FLUXREM.OUT"}) {
    const std::vector<std::string> lines = testing::split_lines(read_text(second / name));
    std::string kept;
    for (std::size_t i = 0; i < 6; ++i) kept += lines[i] + "\n";
    for (std::size_t i = 6; i < lines.size(); ++i) {
      if (lines[i].rfind("000001", 0) == 0) kept += lines[i] + "\n";
    }
    write_text(second / name, kept + (std::string(name) == "FLUXATT.OUT" ? "000003  2  0.1" : ""));
  }
  fs::remove(second / "VORNEKTRAJATT.3.OUT");
  for (const auto& entry : fs::directory_iterator(dir / "runs" / "03-AP=1e-06,IS=1")) {
    if (entry.path().filename() != "INPUT.IN") fs::remove(entry.path());
  }
  fs::remove_all(dir / "runs" / "04-AP=1e-06,IS=10");
  const auto o = run_in(dir, {"study", "-j", "2"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(condition_files(dir), expected);
  EXPECT_EQ(read_text(dir / "STUDY.csv"), read_text(whole / "STUDY.csv"));

  // Once complete, a rerun runs nothing and changes nothing.
  EXPECT_EQ(run_in(dir, {"study"}).status, 0);
  EXPECT_EQ(condition_files(dir), expected);
}

TEST(Study, RefusesAChangedStudyAndBadConditionsBeforeAnyRun) {
  const fs::path dir = make_study("study_refused", STUDY_2X2);
  // RB - AG > 2 AP fails for the second size: the message names the
  // condition, its values and the parameter, and nothing is made.
  write_text(dir / "STUDY.toml",
             "seed = 1\nnpart = 2\n[vary]\nAP = [0.5e-6, 1e-3]\nIS = [1.0]\n");
  auto o = run_in(dir, {"study"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("STUDY.toml: condition 02 (AP=0.001,IS=1): runs/02-AP=0.001,IS=1/INPUT.IN, "
                       "line 17, parameter AP"),
            std::string::npos)
      << o.err;
  EXPECT_FALSE(fs::exists(dir / "runs"));

  write_text(dir / "STUDY.toml", "seed = 1\nnpart = 2\n[vary]\nAP = [0.5e-6]\n");
  ASSERT_EQ(run_in(dir, {"study"}).status, 0);
  const auto before = condition_files(dir);
  for (const std::string& changed :
       {std::string("seed = 2\nnpart = 2\n[vary]\nAP = [0.5e-6]\n"),
        std::string("seed = 1\nnpart = 2\n[vary]\nAP = [0.5e-6, 1e-6]\n")}) {
    write_text(dir / "STUDY.toml", changed);
    o = run_in(dir, {"study"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("differs from runs/STUDY.toml"), std::string::npos) << o.err;
    EXPECT_EQ(condition_files(dir), before);
  }
  // The base file changed under the same study file.
  write_text(dir / "STUDY.toml", "seed = 1\nnpart = 2\n[vary]\nAP = [0.5e-6]\n");
  write_text(dir / "INPUT.IN", input_with({{"IS", "20.0"}}));
  o = run_in(dir, {"study"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("runs/01-AP=5e-07/INPUT.IN is not the file this study gives"), std::string::npos)
      << o.err;
}

TEST(Study, NoTrajectoriesKeepsTheFluxFiles) {
  const fs::path dir = make_study("study_no_trajectories",
                                  "seed = 3\nnpart = 3\ntrajectories = false\n[vary]\nIS = [1.0]\n");
  ASSERT_EQ(run_in(dir, {"study"}).status, 0);
  const auto files = condition_files(dir)["01-IS=1"];
  const fs::path single = fresh_directory("study_no_trajectories_single");
  fs::copy_file(dir / "runs" / "01-IS=1" / "INPUT.IN", single / "INPUT.IN");
  const auto plain = run_in(single, {"--seed", "3"});
  const auto flux = output_files(single);
  const fs::path bare = fresh_directory("study_no_trajectories_bare");
  fs::copy_file(single / "INPUT.IN", bare / "INPUT.IN");
  const auto without = run_in(bare, {"--seed", "3", "--no-trajectories"});
  ASSERT_EQ(without.status, 0) << without.err;
  EXPECT_EQ(without.out, plain.out);
  EXPECT_EQ(output_files(bare), files);
  ASSERT_EQ(files.size(), 3u);
  for (const auto& [name, text] : files) EXPECT_EQ(flux.at(name), text) << name;
}

}  // namespace
}  // namespace colloidsim
