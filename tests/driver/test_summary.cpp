// colloidsim summary: known fates give hand-computed counts, intervals and
// efficiencies; broken or mixed runs give one message and status 1; both
// examples read back byte for byte, also as numbered files.
#include "driver/summary_command.h"

#include <cmath>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "driver/program.h"
#include "analysis/run_summary.h"
#include "tests/constructed_run.h"
#include "tests/run_inputs.h"

namespace colloidsim {
namespace {

namespace fs = std::filesystem;
using testing::Outcome;
using testing::run_in;
using testing::favorable_parameters;
using testing::flux_row;
using testing::fresh_directory;
using testing::read_text;
using testing::RelNear;
using testing::write_text;

// Ten finished particles of twelve (5 and 12 missing). Fates: 1 1 1 2 2 3 4 5
// 5 6, so EX 3, ATT 4 (2, 2, 4, 6), REM 3. The attached particles end at
// polar angles 5, 45, 95 and 175 degrees (bins 0, 4, 9, 17); EX residence
// times 10, 20, 40 s, ATT 1, 2, 3, 4 s with TBULK 3, TNEAR 1 and NSVISIT
// 1, 2, 3, 6.
std::vector<FluxRecord> known_fates() {
  const std::int32_t particle[10] = {1, 2, 3, 4, 6, 7, 8, 9, 10, 11};
  const std::int32_t fate[10] = {1, 1, 1, 2, 2, 3, 4, 5, 5, 6};
  const double residence[10] = {10, 20, 40, 1, 2, 7, 3, 8, 9, 4};
  const double angle[10] = {0, 0, 0, 5, 45, 15, 95, 15, 15, 175};
  const std::int32_t visits[10] = {0, 0, 0, 1, 2, 0, 3, 0, 0, 6};
  std::vector<FluxRecord> rows;
  for (int k = 0; k < 10; ++k) {
    FluxRecord r = flux_row(particle[k], fate[k]);
    r.PTIMEIN = 100.0 * k;
    r.PTIMEOUT = r.PTIMEIN + residence[k];
    const double theta = angle[k] * 3.141592653589793 / 180.0;
    r.XOUT = 2.6e-4 * std::sin(theta);
    r.ZOUT = 2.6e-4 * std::cos(theta);
    const bool attached = fate[k] == 2 || fate[k] == 4 || fate[k] == 6;
    r.TBULK = attached ? 3 : 1;
    r.TNEAR = attached ? 1 : 0;
    r.NSVISIT = visits[k];
    rows.push_back(r);
  }
  return rows;
}

TEST(Summary, KnownFatesGiveHandComputedCountsIntervalsAndEfficiency) {
  // Wilson intervals k/10 and the efficiencies: Python with
  // statistics.NormalDist().inv_cdf(0.975), v_s = FG / M3 with pi, g and 4/3
  // as the float32 values the program uses.
  const double wilson[7][2] = {{0, 0.27753279986288915},
                               {0.017876213095072924, 0.40415002679523837},
                               {0.056682151454375274, 0.5098375284633582},
                               {0.10779126740630104, 0.6032218525388545},
                               {0.1681803297062362, 0.6873262302663417},
                               {},
                               {0.3126737697336583, 0.8318196702937637}};
  struct Gravity {
    const char* CBGRAV;
    double settling, flow_factor;
    double attached[3], retained[3];  // efficiency, low, high
  };
  const Gravity cases[] = {
      {"1", 3.1116626357060485e-08, 1.007779156589265,
       {0.015498333819135181, 0.006516287228998663, 0.02663102839828884},
       {0.02324750072870277, 0.012114806149549105, 0.03222954731883928}},
      {"2", -3.1116626357060485e-08, 0.9922208434107349,
       {0.015259067180480352, 0.006415687373556984, 0.026219892806351036},
       {0.022888600770720524, 0.011927775144849839, 0.03173198057764389}},
      {"4", 0, 1.0, {0.015378700499807767, 0.006465987301277823, 0.02642546060231994},
       {0.023068050749711647, 0.012021290647199472, 0.031980763948241585}},
  };
  for (const Gravity& g : cases) {
    RunParameters p = favorable_parameters(12);
    p.CBGRAV = std::stoi(g.CBGRAV);
    const fs::path dir = fresh_directory(std::string("summary-known-") + g.CBGRAV);
    testing::write_all_particles_run(dir, testing::flux_head(p), known_fates());
    const RunFiles run = read_run_files(dir);
    ASSERT_TRUE(run.problems.empty());
    const RunSummary s = summarize(run, "known");

    EXPECT_EQ(s.NPART, 12);
    EXPECT_EQ(s.finished, 10);
    EXPECT_EQ(s.missing, 2);
    EXPECT_EQ(s.missing_ranges,
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{5, 5}, {12, 12}}));
    const std::int64_t fates[6] = {3, 2, 1, 1, 2, 1};
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(s.fates[k].count, fates[k]) << "fate " << k + 1;
      EXPECT_DOUBLE_EQ(s.fates[k].fraction, fates[k] / 10.0);
      EXPECT_TRUE(RelNear(s.fates[k].low, wilson[fates[k]][0], 1e-12, 1e-16)) << k + 1;
      EXPECT_TRUE(RelNear(s.fates[k].high, wilson[fates[k]][1], 1e-12)) << k + 1;
    }
    const std::int64_t families[3] = {3, 4, 3};
    for (int f = 0; f < 3; ++f) EXPECT_EQ(s.families[f].particles.count, families[f]);

    EXPECT_TRUE(RelNear(s.settling_velocity, g.settling, 1e-14, 0.0)) << g.CBGRAV;
    EXPECT_TRUE(RelNear(s.disc_ratio, 0.03844675124951941, 1e-14));
    EXPECT_TRUE(RelNear(s.flow_factor, g.flow_factor, 1e-14));
    const Efficiency* e[2] = {&s.attached, &s.retained};
    const double* expected[2] = {g.attached, g.retained};
    for (int i = 0; i < 2; ++i) {
      EXPECT_DOUBLE_EQ(e[i]->fraction.fraction, i == 0 ? 0.4 : 0.6);
      EXPECT_TRUE(RelNear(e[i]->value, expected[i][0], 1e-12)) << g.CBGRAV << " " << i;
      EXPECT_TRUE(RelNear(e[i]->low, expected[i][1], 1e-12)) << g.CBGRAV << " " << i;
      EXPECT_TRUE(RelNear(e[i]->high, expected[i][2], 1e-12)) << g.CBGRAV << " " << i;
    }
  }

  const fs::path dir = fresh_directory("summary-known");
  testing::write_all_particles_run(dir, testing::flux_head(favorable_parameters(12)),
                                   known_fates());
  const RunSummary s = summarize(read_run_files(dir), "known");
  // Linear interpolation between order statistics: EX 10, 20, 40 s gives
  // p10 = 10 + 0.2 * 10, p90 = 20 + 0.8 * 20; ATT 1, 2, 3, 4 s gives 1.3, 2.5, 3.7.
  EXPECT_DOUBLE_EQ(s.families[0].residence_p10, 12.0);
  EXPECT_DOUBLE_EQ(s.families[0].residence_median, 20.0);
  EXPECT_DOUBLE_EQ(s.families[0].residence_p90, 36.0);
  EXPECT_DOUBLE_EQ(s.families[1].residence_p10, 1.3);
  EXPECT_DOUBLE_EQ(s.families[1].residence_median, 2.5);
  EXPECT_DOUBLE_EQ(s.families[1].residence_p90, 3.7);
  EXPECT_DOUBLE_EQ(s.families[1].share_bulk, 0.75);
  EXPECT_DOUBLE_EQ(s.families[1].share_near, 0.25);
  EXPECT_DOUBLE_EQ(s.families[1].share_contact, 0.0);
  EXPECT_DOUBLE_EQ(s.families[1].mean_NSVISIT, 3.0);
  std::array<std::int64_t, ANGLE_BINS> bins{};
  bins[0] = bins[4] = bins[9] = bins[17] = 1;
  EXPECT_EQ(s.attachment_angle, bins);

  // The same numbers through the command, as text and as JSON.
  const Outcome text = run_in(".", {"summary", dir.string()});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.err, "");
  for (const char* line :
       {"  particles: 10 finished of NPART = 12, 2 missing: 5, 12\n",
        "  4 torque with slow motion                   1    0.1000  0.0179 - 0.4042\n",
        "  ATT (fates 2, 4, 6)                         4    0.4000  0.1682 - 0.6873\n",
        "  attached (fates 2, 4, 6)      f = 0.4000   eta = 0.01550   95 % interval 0.006516 - "
        "0.02663\n",
        "   40 -  50 deg        1\n"}) {
    EXPECT_NE(text.out.find(line), std::string::npos) << line << "in\n" << text.out;
  }
  const Outcome json = run_in(".", {"summary", "--json", dir.string()});
  EXPECT_EQ(json.status, 0);
  // Every key is checked by the Python tests, which read the object; here
  // the values, and that every double reads back to the summary's own.
  const nlohmann::json j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["layout"], "all-particles");
  EXPECT_EQ(j["missing_ranges"], nlohmann::json::parse("[[5, 5], [12, 12]]"));
  EXPECT_EQ(j["families"]["EX"]["residence_time_s"],
            nlohmann::json::parse(R"({"p10": 12, "median": 20, "p90": 36})"));
  EXPECT_EQ(j["attachment_angle"]["counts"],
            nlohmann::json::parse("[1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1]"));
  const RunSummary summary = summarize(read_run_files(dir), dir.string());
  EXPECT_EQ(j["efficiency"]["attached"]["efficiency"].get<double>(), summary.attached.value);
  EXPECT_NEAR(summary.attached.value, 0.0154983, 1e-7);
  EXPECT_EQ(j["efficiency"]["settling_velocity_m_s"].get<double>(), summary.settling_velocity);
  EXPECT_EQ(j["fates"]["4"]["interval"][1].get<double>(), summary.fates[3].high);
}

// The largest particle number alone: one range of missing particles before
// it, none after (counting past it must not wrap).
TEST(Summary, TheLargestParticleNumberLeavesOneMissingRange) {
  const RunParameters p = favorable_parameters(INT32_MAX);
  const auto dir = fresh_directory("summary-largest-particle");
  testing::write_numbered_run(dir, testing::flux_head(p), {flux_row(INT32_MAX, 1)});
  const RunFiles run = read_run_files(dir);
  ASSERT_TRUE(run.problems.empty());
  const std::vector<std::pair<std::int32_t, std::int32_t>> expected = {{1, INT32_MAX - 1}};
  EXPECT_EQ(run.missing, expected);
  EXPECT_EQ(run.missing_count(), std::int64_t{INT32_MAX} - 1);
}

TEST(Summary, NoRunMixedRunsAndBrokenRowsGiveOneMessageAndStatusOne) {
  const RunParameters p = favorable_parameters(3);
  const auto run_dir = [&](const char* name) {
    const fs::path dir = fresh_directory(std::string("summary-error-") + name);
    testing::write_all_particles_run(dir, testing::flux_head(p),
                                     {flux_row(1, 1), flux_row(2, 2), flux_row(3, 5)});
    return dir;
  };
  const fs::path mixed = run_dir("mixed");
  RunParameters other = p;
  other.AP = 1e-6;
  std::string text = testing::flux_head(other);
  write_text(mixed / "FLUXEX.OUT", text);
  const fs::path broken = run_dir("broken");
  text = read_text(broken / "FLUXATT.OUT");
  text.insert(text.size() - 9, "x");  // into the last field's digits
  write_text(broken / "FLUXATT.OUT", text);
  const fs::path empty = fresh_directory("summary-error-empty");

  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"summary", empty.string()},
       "colloidsim: " + empty.string() +
           ": found no flux files; expected FLUXEX.OUT, FLUXATT.OUT and FLUXREM.OUT of an "
           "all-particles run, or the numbered VORNEKFLUXEX.n.OUT, VORNEKFLUXATT.n.OUT and "
           "VORNEKFLUXREM.n.OUT of one-particle runs\n"},
      {{"summary", mixed.string()},
       "colloidsim: " + mixed.string() +
           ": 2 problems in the run files; expected the files of one run, each row whole:\n"
           "  FLUXATT.OUT: its echo differs from that of FLUXEX.OUT (a file of another run): "
           "AP(m) is 0.50000000E-06 here, 0.10000000E-05 there\n"
           "  FLUXREM.OUT: its echo differs from that of FLUXEX.OUT (a file of another run): "
           "AP(m) is 0.50000000E-06 here, 0.10000000E-05 there\n"},
      {{"summary", broken.string(), "--json"},
       "colloidsim: " + broken.string() +
           ": 1 problem in the run files; expected the files of one run, each row whole:\n"
           "  FLUXATT.OUT, line 7: field 31 (ZINNS(m)): found \"0.0000x0000E+00\"; expected a "
           "real in the E15.8 form\n"},
      {{"summary", "--jsn"},
       "colloidsim: command line: found the unknown option \"--jsn\"; expected --json or --help "
       "(-h) (see colloidsim summary --help); did you mean --json?\n"},
      // A run's option before the subcommand is refused, not dropped.
      {{"--quiet", "summary"},
       "colloidsim: command line: found \"--quiet\" before the subcommand summary; expected the "
       "subcommand first, then its own options (see colloidsim summary --help)\n"},
      // merge of an all-particles run names what it found there.
      {{"merge", mixed.string()},
       "colloidsim: " + mixed.string() +
           ": found the flux files of an all-particles run (FLUXEX.OUT, FLUXATT.OUT, "
           "FLUXREM.OUT), which are not numbered files; expected the numbered "
           "VORNEKFLUXEX.n.OUT, VORNEKFLUXATT.n.OUT and VORNEKFLUXREM.n.OUT of one-particle runs "
           "(an all-particles run needs no merge)\n"},
      {{"merge", "--bogus"},
       "colloidsim: command line: found the unknown option \"--bogus\"; expected "
       "--allow-missing, --replace or --help (-h) (see colloidsim merge --help)\n"},
      {{"merge", "/nonexistent/dir"},
       "colloidsim: /nonexistent/dir/RUN.lock: cannot create the lock file (No such file or "
       "directory)\n"},
      {{"missing", "--npart", "3", "--block-size"},
       "colloidsim: command line, parameter --block-size: found no value; expected a whole "
       "number of at least 1\n"},
      {{"summary", "a", "b"},
       "colloidsim: command line: found \"b\" after the directory; expected one run directory "
       "(see colloidsim summary --help)\n"},
  };
  for (const Case& c : cases) {
    const Outcome o = run_in(".", c.args);
    EXPECT_EQ(o.status, 1) << c.args[1];
    EXPECT_EQ(o.err, c.message);
    EXPECT_EQ(o.out, "");
  }
  const Outcome help = run_in(".", {"summary", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("eta = f (RLIM/AG)^2 (VSUP + v_s)/VSUP"), std::string::npos);
  EXPECT_NE(run_in(".", {"--help"}).out.find("colloidsim summary [DIR] [--json]"),
            std::string::npos);
}

// Both examples, run for real: the reader gives back every byte of their flux
// files, and the favorable run split into the numbered files of one-particle
// runs (and one particle run alone) summarises the same.
TEST(Summary, BothExamplesReadBackByteForByteAlsoAsNumberedFiles) {
  for (const char* example : {"favorable", "heterogeneous"}) {
    const fs::path dir = fresh_directory(std::string("summary-example-") + example);
    // The favorable example with its 10 particles of the tests.
    write_text(dir / "INPUT.IN",
               std::string(example) == "favorable"
                   ? testing::input_with({})
                   : read_text(testing::source_path(std::string("examples/") + example + "/INPUT.IN")));
    ASSERT_EQ(run_in(dir, {"--seed", "1"}).status, 0);
    const RunFiles run = read_run_files(dir);
    ASSERT_TRUE(run.problems.empty()) << describe(run.problems.front());
    EXPECT_EQ(run.finished(), 10u);
    EXPECT_TRUE(run.missing.empty());
    std::string head = run.echo.text;
    append_legend(head);
    append_flux_header(head);
    for (const FluxFile& file : run.files) {
      std::string text = head;
      for (const FluxRow& row : file.rows) {
        text += row.text + "\n";
        std::string again;
        append_flux_record(again, row.record);
        EXPECT_EQ(again, row.text + "\n") << file.name << ", line " << row.line;
      }
      EXPECT_EQ(text, read_text(dir / file.name)) << example << " " << file.name;
    }
    const Outcome summary = run_in(".", {"summary", dir.string()});
    EXPECT_EQ(summary.status, 0) << summary.err;
    if (std::string(example) != "favorable") continue;

    const fs::path numbered = fresh_directory("summary-example-numbered");
    std::vector<FluxRecord> rows;
    for (const auto& family : run.rows) {
      for (const FluxRow& row : family) rows.push_back(row.record);
    }
    testing::write_numbered_run(numbered, head, rows);
    // Particle 7 as a one-particle run writes the same three files.
    write_text(numbered / "INPUT.IN", testing::input_with({{"CLUSTER", "1"}}));
    ASSERT_EQ(run_in(numbered, {"--seed", "1", "10", "7"}).status, 0);
    const Outcome numbered_summary = run_in(".", {"summary", numbered.string()});
    EXPECT_EQ(numbered_summary.status, 0) << numbered_summary.err;
    // Equal but for the directory and the files line.
    const auto body = [](const std::string& text) {
      const std::size_t particles = text.find("  particles:");
      return particles == std::string::npos ? text : text.substr(particles);
    };
    EXPECT_EQ(body(numbered_summary.out), body(summary.out));
  }
}

}  // namespace
}  // namespace colloidsim
