// Whole runs of the program in fresh directories: which files a run leaves,
// their records, the console progress, the thinning of trajectory rows,
// --seed, restarts from an earlier run's attached particles, and one
// regression run against stored files. Killed runs: test_parallel.cpp.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "driver/program.h"
#include "driver/run.h"
#include "io/parameter_file.h"
#include "io/restart_file.h"
#include "simulation/run_context.h"
#include "simulation/trajectory.h"
#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

namespace fs = std::filesystem;
using Values = std::vector<std::pair<std::string, std::string>>;
using testing::fresh_directory;
using testing::input_with;
using testing::read_text;
using testing::source_path;
using testing::split_lines;
using testing::write_text;

using testing::Outcome;

Outcome run_in(const fs::path& dir, const std::string& input,
               const std::vector<std::string>& args) {
  write_text(dir / "INPUT.IN", input);
  return testing::run_in(dir, args);
}

// The files a run wrote: every file of the directory but its inputs and its
// run record.
std::set<std::string> written_files(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name != "INPUT.IN" && name != "FLUXATT.IN" && !testing::is_run_bookkeeping(name)) {
      names.insert(name);
    }
  }
  return names;
}

std::vector<std::string> lines_of(const fs::path& path) { return split_lines(read_text(path)); }

// Lines after the first `head` lines.
std::vector<std::string> data_lines(const fs::path& path, std::size_t head) {
  std::vector<std::string> lines = lines_of(path);
  if (lines.size() <= head) return {};
  return {lines.begin() + static_cast<std::ptrdiff_t>(head), lines.end()};
}

// Head lines: echo (4), legend and header in a flux file; echo (4), fate line
// and header in a trajectory file.
constexpr std::size_t FLUX_HEAD = 6;
constexpr std::size_t TRAJECTORY_HEAD = 6;

// First column of the flux record fields (E15.8 fields and I15 counts take
// 20 columns with their 5 blanks; the record starts with I6.6, 5X, I1, 7X).
enum FluxColumn {
  F_XINIT = 19,
  F_YINIT = 39,
  F_RINJ = 59,
  F_ZINIT = 79,
  F_RINIT = 99,
  F_HINIT = 119,
  F_XOUT = 139,
  F_YOUT = 159,
  F_ZOUT = 179,
  F_ROUT = 199,
  F_HOUT = 219,
  F_ETIME = 239,
  F_PTIMEIN = 259,
  F_PTIMEOUT = 279,
  F_ACONT = 399
};
std::string flux_field(const std::string& row, int column) { return row.substr(column, 15); }

// Field k of a trajectory row: k = 0 is the step number (I15.15), k = 1..28
// the E15.8 columns X, Y, Z, R, H, ETIME, PTIMEF, ..., ACONT (26), RZOI, AFRACT,
// each after 5 blanks.
enum TrajectoryColumn { T_X = 1, T_Y, T_Z, T_R, T_H, T_ETIME, T_PTIMEF, T_ACONT = 26 };
std::string row_field(const std::string& row, int k) {
  return k == 0 ? row.substr(0, 15) : row.substr(static_cast<std::size_t>(20 * k), 15);
}
long long step_of(const std::string& row) { return std::stoll(row.substr(0, 15)); }
double value_of(const std::string& field) { return std::stod(field); }

// Ew.d: sign or blank, "0.", d digits, exponent "E+nn" or "+nnn" (w = d + 7).
bool is_E(const std::string& field, int d) {
  const auto digits = [&](std::size_t from, std::size_t n) {
    for (std::size_t k = from; k < from + n; ++k) {
      if (!std::isdigit(static_cast<unsigned char>(field[k]))) return false;
    }
    return true;
  };
  const std::size_t n = static_cast<std::size_t>(d);
  if (field.size() != n + 7 || (field[0] != ' ' && field[0] != '-') ||
      field.compare(1, 2, "0.") != 0 || !digits(3, n))
    return false;
  const std::string exponent = field.substr(n + 3);
  return (exponent[0] == 'E' && (exponent[1] == '+' || exponent[1] == '-') && digits(n + 5, 2)) ||
         ((exponent[0] == '+' || exponent[0] == '-') && digits(n + 4, 3));
}
bool is_I(const std::string& field) {
  static const std::regex integer(" *-?[0-9]+");
  return std::regex_match(field, integer);
}
bool blanks(const std::string& field) { return field.find_first_not_of(' ') == std::string::npos; }

// The flux record layout, worked out by hand: IPART I6.6, 5X, ATTACHK I1, 7X,
// 17 x (E15.8, 5X), NSVISIT and FRICVISIT (I15, 5X), 3 x (E15.8, 5X),
// HETTYPE and HETFLAG (I1, 7X), then 5 E15.8 fields with 5X between them:
// 570 columns.
::testing::AssertionResult well_formed_flux_record(const std::string& row) {
  const auto fail = [&](const std::string& why) {
    return ::testing::AssertionFailure() << why << " in \"" << row << "\"";
  };
  if (row.size() != 570) return fail("length " + std::to_string(row.size()));
  static const std::regex number("[0-9]{6}");
  if (!std::regex_match(row.substr(0, 6), number)) return fail("IPART");
  if (!blanks(row.substr(6, 5)) || !blanks(row.substr(12, 7))) return fail("blanks");
  if (row[11] < '1' || row[11] > '6') return fail("ATTACHK");
  int column = 19;
  const auto E_then_blanks = [&](int after) {
    const bool ok =
        is_E(row.substr(column, 15), 8) && (after == 0 || blanks(row.substr(column + 15, after)));
    column += 15 + after;
    return ok;
  };
  for (int k = 0; k < 17; ++k) {
    if (!E_then_blanks(5)) return fail("real field at column " + std::to_string(column - 20));
  }
  for (int k = 0; k < 2; ++k, column += 20) {
    if (!is_I(row.substr(column, 15)) || !blanks(row.substr(column + 15, 5))) return fail("count");
  }
  for (int k = 0; k < 3; ++k) {
    if (!E_then_blanks(5)) return fail("real field at column " + std::to_string(column - 20));
  }
  for (int k = 0; k < 2; ++k, column += 8) {
    if (!std::isdigit(static_cast<unsigned char>(row[column])) ||
        !blanks(row.substr(column + 1, 7)))
      return fail("HETTYPE or HETFLAG");
  }
  for (int k = 0; k < 5; ++k) {
    if (!E_then_blanks(k < 4 ? 5 : 0))
      return fail("real field near column " + std::to_string(column));
  }
  return ::testing::AssertionSuccess();
}

// Trajectory row: ISTEP I15.15, then 28 x (5X, E15.8): 575 columns.
::testing::AssertionResult well_formed_trajectory_row(const std::string& row) {
  if (row.size() != 575) return ::testing::AssertionFailure() << "length " << row.size();
  static const std::regex step("[0-9]{15}");
  if (!std::regex_match(row.substr(0, 15), step))
    return ::testing::AssertionFailure() << "step field \"" << row.substr(0, 15) << "\"";
  for (int k = 1; k <= 28; ++k) {
    if (!blanks(row.substr(static_cast<std::size_t>(20 * k - 5), 5)) || !is_E(row_field(row, k), 8))
      return ::testing::AssertionFailure() << "field " << k << " of \"" << row << "\"";
  }
  return ::testing::AssertionSuccess();
}

// Console progress, laid out by hand: "J= " I6, " I= " I15, " R= " E12.5,
// " Z= " E15.8, " H= " E12.5, " AFRACT= " E12.5: 100 columns.
struct Progress {
  int J = 0;
  long long I = 0;
  std::string R, Z, H, AFRACT;
};
::testing::AssertionResult parse_progress(const std::string& line, Progress& p) {
  const bool ok = line.size() == 100 && line.substr(0, 3) == "J= " && is_I(line.substr(3, 6)) &&
                  line.substr(9, 4) == " I= " && is_I(line.substr(13, 15)) &&
                  line.substr(28, 4) == " R= " && is_E(line.substr(32, 12), 5) &&
                  line.substr(44, 4) == " Z= " && is_E(line.substr(48, 15), 8) &&
                  line.substr(63, 4) == " H= " && is_E(line.substr(67, 12), 5) &&
                  line.substr(79, 9) == " AFRACT= " && is_E(line.substr(88, 12), 5);
  if (!ok) return ::testing::AssertionFailure() << "progress line \"" << line << "\"";
  p = {std::stoi(line.substr(3, 6)), std::stoll(line.substr(13, 15)),
       line.substr(32, 12),          line.substr(48, 15),
       line.substr(67, 12),          line.substr(88, 12)};
  return ::testing::AssertionSuccess();
}

// The family of files a fate goes to.
std::string family_of(char ATTACHK) {
  switch (ATTACHK) {
    case '1': return "EX";
    case '3':
    case '5': return "REM";
    default: return "ATT";  // 2, 4, 6
  }
}
const char* const FAMILIES[] = {"EX", "ATT", "REM"};

std::string trajectory_name(const std::string& family, int J) {
  return "VORNEKTRAJ" + family + "." + std::to_string(J) + ".OUT";
}

// IPART as the flux record writes it, I6.6.
std::string particle_number(int J) {
  std::string digits = std::to_string(J);
  return std::string(6 - std::min<std::size_t>(6, digits.size()), '0') + digits;
}

// The flux row of particle J among the three flux files (named by `flux`),
// with the family of the file that holds it.
struct FluxRow {
  std::string family, row;
};
std::vector<FluxRow> flux_rows_of(const fs::path& dir, int J,
                                  std::string (*flux)(const std::string& family)) {
  const std::string number = particle_number(J);
  std::vector<FluxRow> found;
  for (const char* family : FAMILIES) {
    for (const std::string& row : data_lines(dir / flux(family), FLUX_HEAD)) {
      if (row.compare(0, 6, number) == 0) found.push_back({family, row});
    }
  }
  return found;
}
std::string shared_flux(const std::string& family) { return "FLUX" + family + ".OUT"; }

// Three particles from a narrow injection disc at a fast approach flow
// (0.4 mm/s) reach their fates within about 50000 steps each; with seed 1 one
// leaves the cell, one attaches (perfect sink) and one is still on its way at
// the time limit. Every record is written (PRINTMAX 1000 exceeds the rows).
const Values FAST_RUN = {{"NPART", "3"}, {"VSUP", "4.0e-4"}, {"RLIM", "2.0e-5"},
                         {"TTIME", "4"}, {"NOUT", "100"},    {"PRINTMAX", "1000"}};

class WholeRun : public ::testing::Test {
 protected:
  // Each test may run in a process of its own, side by side with the others.
  static void SetUpTestSuite() {
    dir_ = new fs::path(fresh_directory("run-all-particles-" + std::to_string(getpid())));
    outcome_ = new Outcome(run_in(*dir_, input_with(FAST_RUN), {"--seed", "1"}));
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
    delete outcome_;
  }
  static fs::path* dir_;
  static Outcome* outcome_;
};
fs::path* WholeRun::dir_ = nullptr;
Outcome* WholeRun::outcome_ = nullptr;

TEST_F(WholeRun, AllParticlesModeLeavesThreeFluxFilesAndThreeTrajectoryFilesPerParticle) {
  ASSERT_EQ(outcome_->status, 0) << outcome_->err;
  EXPECT_EQ(outcome_->err, "");
  std::set<std::string> expected = {"FLUXEX.OUT", "FLUXATT.OUT", "FLUXREM.OUT"};
  for (int J = 1; J <= 3; ++J) {
    for (const char* family : FAMILIES) expected.insert(trajectory_name(family, J));
  }
  EXPECT_EQ(written_files(*dir_), expected);

  // Echo, legend and header head every flux file; the echo heads every file.
  const std::vector<std::string> head = lines_of(*dir_ / "FLUXEX.OUT");
  ASSERT_GE(head.size(), FLUX_HEAD);
  EXPECT_EQ(head[0].substr(0, 13), "NPART=      3");
  EXPECT_EQ(head[4],
            "ATTACHK1=EXIT,ATTACHK2=ATTACHED-BY-PERFECT-SINK-OR-TORQUE,"
            "ATTACHK3=REMAINING-UNRESOLVED-WHEN-SIMULATION-ENDS,ATTACHK4=TORQUE-WITH-SLOW-MOTION,"
            "ATTACHK5=IN-NEAR-SURFACE-WITH-SLOW-MOTION,ATTACHK6=CRASHED");
  EXPECT_EQ(head[5].substr(0, 27), "PARTICLE   ATTACHK XINIT(m)");
  std::size_t rows = 0;
  for (const char* family : FAMILIES) {
    const std::vector<std::string> lines = lines_of(*dir_ / shared_flux(family));
    ASSERT_GE(lines.size(), FLUX_HEAD) << family;
    EXPECT_TRUE(std::equal(head.begin(), head.begin() + FLUX_HEAD, lines.begin())) << family;
    // Rows in particle order, each in its fate's family.
    std::string previous = "000000";
    for (const std::string& row : data_lines(*dir_ / shared_flux(family), FLUX_HEAD)) {
      EXPECT_TRUE(well_formed_flux_record(row));
      EXPECT_EQ(family_of(row[11]), family) << row.substr(0, 12);
      EXPECT_GT(row.substr(0, 6), previous);
      previous = row.substr(0, 6);
      ++rows;
    }
  }
  EXPECT_EQ(rows, 3u);

  for (int J = 1; J <= 3; ++J) {
    SCOPED_TRACE("particle " + std::to_string(J));
    const std::vector<FluxRow> flux = flux_rows_of(*dir_, J, shared_flux);
    ASSERT_EQ(flux.size(), 1u);
    const std::string& row = flux[0].row;
    EXPECT_EQ(row.substr(0, 6), "00000" + std::to_string(J));
    for (const char* family : FAMILIES) {
      const std::vector<std::string> lines = lines_of(*dir_ / trajectory_name(family, J));
      ASSERT_GE(lines.size(), TRAJECTORY_HEAD);
      EXPECT_TRUE(std::equal(head.begin(), head.begin() + 4, lines.begin()));
      EXPECT_EQ(lines[4], std::string("ATTACHK=     ") + row[11]);
      EXPECT_EQ(lines[5].substr(0, 41), "I                   X                   Y");
      if (family != flux[0].family) {
        EXPECT_EQ(lines.size(), TRAJECTORY_HEAD) << family;
      }
    }
    // The family's trajectory starts at the start point and ends where the
    // flux row says the particle ended.
    const std::vector<std::string> steps =
        data_lines(*dir_ / trajectory_name(flux[0].family, J), TRAJECTORY_HEAD);
    ASSERT_GE(steps.size(), 2u);
    long long previous = -1;
    for (const std::string& step : steps) {
      EXPECT_TRUE(well_formed_trajectory_row(step));
      EXPECT_GT(step_of(step), previous);
      previous = step_of(step);
    }
    EXPECT_EQ(step_of(steps.front()), 0);
    const int start[] = {F_XINIT, F_YINIT, F_ZINIT, F_RINIT, F_HINIT};
    const int end[] = {F_XOUT, F_YOUT, F_ZOUT, F_ROUT, F_HOUT};
    for (int k = 0; k < 5; ++k) {
      EXPECT_EQ(row_field(steps.front(), T_X + k), flux_field(row, start[k]));
      EXPECT_EQ(row_field(steps.back(), T_X + k), flux_field(row, end[k]));
    }
    EXPECT_EQ(row_field(steps.back(), T_PTIMEF), flux_field(row, F_PTIMEOUT));
    EXPECT_EQ(row_field(steps.front(), T_PTIMEF), flux_field(row, F_PTIMEIN));
    EXPECT_EQ(row_field(steps.back(), T_ETIME), flux_field(row, F_ETIME));
  }
}

// One progress line per recorded row (every row but the final state, which
// is stored after the loop), particle after particle.
TEST_F(WholeRun, ConsoleHasOneProgressLinePerRecordedRow) {
  ASSERT_EQ(outcome_->status, 0) << outcome_->err;
  const std::vector<std::string> console = split_lines(outcome_->out);
  std::size_t next = 0;
  for (int J = 1; J <= 3; ++J) {
    SCOPED_TRACE("particle " + std::to_string(J));
    const std::string family = flux_rows_of(*dir_, J, shared_flux).at(0).family;
    std::vector<std::string> steps =
        data_lines(*dir_ / trajectory_name(family, J), TRAJECTORY_HEAD);
    ASSERT_LT(steps.size(), 1000u) << "thinning would drop rows";
    steps.pop_back();
    for (const std::string& step : steps) {
      ASSERT_LT(next, console.size());
      Progress p;
      ASSERT_TRUE(parse_progress(console[next++], p));
      EXPECT_EQ(p.J, J);
      EXPECT_EQ(p.I, step_of(step));
      EXPECT_EQ(p.Z, row_field(step, T_Z));
      // R and H have five digits on the console, eight in the file.
      EXPECT_TRUE(testing::RelNear(value_of(p.R), value_of(row_field(step, T_R)), 5e-5));
      EXPECT_TRUE(testing::RelNear(value_of(p.H), value_of(row_field(step, T_H)), 5e-5));
      EXPECT_EQ(p.AFRACT, "-0.10000E+01");
    }
  }
  EXPECT_EQ(next, console.size());
}

TEST_F(WholeRun, SeedMakesRunsByteIdentical) {
  ASSERT_EQ(outcome_->status, 0) << outcome_->err;
  const auto again = fresh_directory("run-same-seed");
  const Outcome o = run_in(again, input_with(FAST_RUN), {"--seed", "1"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, outcome_->out);
  ASSERT_EQ(written_files(again), written_files(*dir_));
  for (const std::string& name : written_files(*dir_)) {
    EXPECT_EQ(read_text(again / name), read_text(*dir_ / name)) << name;
  }

  const auto other = fresh_directory("run-other-seed");
  ASSERT_EQ(run_in(other, input_with(FAST_RUN), {"--seed", "2"}).status, 0);
  for (int J = 1; J <= 3; ++J) {
    const std::vector<FluxRow> a = flux_rows_of(*dir_, J, shared_flux);
    const std::vector<FluxRow> b = flux_rows_of(other, J, shared_flux);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_NE(flux_field(a[0].row, F_XINIT), flux_field(b[0].row, F_XINIT)) << J;
    EXPECT_NE(a[0].row, b[0].row) << J;
  }
}

std::string numbered_flux(const std::string& family) { return "VORNEKFLUX" + family + ".3.OUT"; }

// "5 3": particle 3 of 5, in six numbered files, without console lines.
TEST(RunFiles, OneParticleModeWritesSixNumberedFiles) {
  Values values = FAST_RUN;
  values.push_back({"CLUSTER", "1"});
  const auto dir = fresh_directory("run-one-particle");
  const Outcome o = run_in(dir, input_with(values), {"5", "3", "--seed", "1"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "");
  std::set<std::string> expected;
  for (const char* family : FAMILIES) {
    expected.insert(numbered_flux(family));
    expected.insert(trajectory_name(family, 3));
  }
  EXPECT_EQ(written_files(dir), expected);
  for (const std::string& name : expected) {
    EXPECT_EQ(lines_of(dir / name).at(0).substr(0, 13), "NPART=      5") << name;
  }
  const std::vector<FluxRow> flux = flux_rows_of(dir, 3, numbered_flux);
  ASSERT_EQ(flux.size(), 1u);
  EXPECT_TRUE(well_formed_flux_record(flux[0].row));
  std::size_t rows = 0;
  for (const char* family : FAMILIES)
    rows += data_lines(dir / numbered_flux(family), FLUX_HEAD).size();
  EXPECT_EQ(rows, 1u);
  // Particle 3 of 5 is injected at 2/5 of the injection spread TTIME/6.
  EXPECT_TRUE(testing::RelNear(value_of(flux_field(flux[0].row, F_PTIMEIN)),
                               2.0 * (4.0 / 6.0) / 5.0, 5e-8));
}

// With --seed a particle's stream depends only on the seed and its number:
// particle 2 run alone ("3 2") gives the files of particle 2 of the whole run.
TEST_F(WholeRun, SeedGivesAParticleTheSameTrajectoryRunAlone) {
  ASSERT_EQ(outcome_->status, 0) << outcome_->err;
  Values values = FAST_RUN;
  values.push_back({"CLUSTER", "1"});
  const auto dir = fresh_directory("run-one-particle-seed");
  ASSERT_EQ(run_in(dir, input_with(values), {"3", "2", "--seed", "1"}).status, 0);
  for (const char* family : FAMILIES) {
    EXPECT_EQ(read_text(dir / trajectory_name(family, 2)),
              read_text(*dir_ / trajectory_name(family, 2)))
        << family;
  }
  const auto alone =
      flux_rows_of(dir, 2, [](const std::string& f) { return "VORNEKFLUX" + f + ".2.OUT"; });
  const auto in_run = flux_rows_of(*dir_, 2, shared_flux);
  ASSERT_EQ(alone.size(), 1u);
  ASSERT_EQ(in_run.size(), 1u);
  EXPECT_EQ(alone[0].family, in_run[0].family);
  EXPECT_EQ(alone[0].row, in_run[0].row);
}

// The step numbers written for one particle in one-particle mode.
std::vector<long long> written_steps(const Values& values, const std::string& name,
                                     std::vector<std::string>* rows = nullptr) {
  Values all = {{"CLUSTER", "1"}, {"DIFFSCALE", "0"}};
  all.insert(all.end(), values.begin(), values.end());
  const auto dir = fresh_directory("run-thinning-" + name);
  const Outcome o = run_in(dir, input_with(all), {"1", "1", "--seed", "1"});
  EXPECT_EQ(o.status, 0) << o.err;
  // A particle in the bulk at the time limit.
  const std::vector<std::string> lines =
      data_lines(dir / trajectory_name("REM", 1), TRAJECTORY_HEAD);
  std::vector<long long> steps;
  for (const std::string& row : lines) steps.push_back(step_of(row));
  if (rows) *rows = lines;
  return steps;
}

// Thinning keeps rows 1 .. W-1 (W the wrap index), then W, W+S, W+2S, ... up
// to IREC-2 with the stride S = IREC/PRINTMAX + 1, then every row after the
// last of those up to IREC. The bulk step is 2000 DTMRT, with DTMRT =
// (4/3 pi AP^3 RHOP) / (6 pi VISC AP) = 2 AP^2 RHOP / (9 VISC) = 5.87286e-8 s
// (AP 0.5e-6 m, RHOP 1055 kg/m3, VISC 9.98e-4 kg/m/s): 1.174571e-4 s. A
// particle injected in the bulk passes the time limit of 0.1 s on step 852
// (0.1 s / 1.174571e-4 s = 851.4).
TEST(RunFiles, ThinningOfTheRowsOfARealRun) {
  std::vector<std::string> every_row;
  const std::vector<long long> every =
      written_steps({{"TTIME", "0.1"}, {"NOUT", "1"}, {"PRINTMAX", "100000"}}, "all", &every_row);
  // NOUT 1 records every step, 0 .. 851, and the final state, step 852:
  // IREC = 853 rows, all written.
  ASSERT_EQ(every.size(), 853u);
  for (std::size_t k = 0; k < every.size(); ++k) EXPECT_EQ(every[k], static_cast<long long>(k));

  // PRINTMAX 100: S = 853/100 + 1 = 9, so rows 1, 10, ..., 847 (steps 0, 9,
  // ..., 846), then rows 848 .. 853 (steps 847 .. 852).
  std::vector<std::string> thinned_row;
  const std::vector<long long> thinned =
      written_steps({{"TTIME", "0.1"}, {"NOUT", "1"}, {"PRINTMAX", "100"}}, "stride", &thinned_row);
  std::vector<long long> expected;
  for (long long step = 0; step <= 846; step += 9) expected.push_back(step);
  for (long long step = 847; step <= 852; ++step) expected.push_back(step);
  EXPECT_EQ(thinned, expected);
  // The same rows, word for word, as in the file that kept every row.
  ASSERT_EQ(thinned_row.size(), thinned.size());
  for (std::size_t k = 0; k < thinned.size(); ++k) {
    EXPECT_EQ(thinned_row[k], every_row[static_cast<std::size_t>(thinned[k])]);
  }

  // NOUT below 1 records only step 0 and the final state.
  const std::vector<long long> ends = written_steps({{"TTIME", "0.1"}, {"NOUT", "0"}}, "ends");
  EXPECT_EQ(ends, (std::vector<long long>{0, 852}));
}

// More than 50000 recorded rows: once the buffer is full, later rows
// overwrite it from row 2 on (W = 2). The time limit of 5.93 s is passed on
// step F = 50487 (5.93 s / 1.174571e-4 s = 50486.4), so row 1 keeps step 0,
// rows 2 .. 488 hold steps 50000 .. 50486 and row IREC = 489 the final step.
// PRINTMAX 100: S = 489/100 + 1 = 5, rows 1, then 2, 7, ..., 487, then 488
// and 489.
TEST(RunFiles, ThinningAfterTheBufferWrapped) {
  const std::vector<long long> steps =
      written_steps({{"TTIME", "5.93"}, {"NOUT", "1"}, {"PRINTMAX", "100"}}, "wrapped");
  std::vector<long long> expected = {0};
  for (long long row = 2; row <= 487; row += 5) expected.push_back(49998 + row);
  expected.push_back(50486);
  expected.push_back(50487);
  EXPECT_EQ(steps, expected);
}

// An earlier run whose three particles all attach: injected close to the
// axis, they reach the front of the collector and come to rest there, held
// by torque (fate 2), with near-surface and contact steps short enough not
// to crash and no near-surface slow-motion test. (A perfect sink would stop
// them at their first step into contact, mostly below H0: no restart.)
fs::path attached_run(const std::string& name) {
  const auto dir = fresh_directory("run-attached-" + name);
  const Outcome o = run_in(dir,
                           input_with({{"NPART", "3"},
                                       {"ATTMODE", "1"},
                                       {"VSUP", "4.0e-4"},
                                       {"RLIM", "1.0e-6"},
                                       {"TTIME", "10"},
                                       {"MULTNS", "10"},
                                       {"MULTC", "2"},
                                       {"DFACTNS", "0"},
                                       {"NOUT", "100"}}),
                           {"--seed", "7"});
  EXPECT_EQ(o.status, 0) << o.err;
  return dir;
}

// Restarts from the attached particles: the contact regime, at rest, from
// the final position of the attached particle, for some 85 contact steps of
// 20 DTMRT (1.17e-6 s) up to the time limit of 1e-4 s.
const Values RESTART = {{"ATTMODE", "-1"}, {"VSUP", "4.0e-4"}, {"TTIME", "1e-4"}, {"NOUT", "1"}};

TEST(Restart, EveryParticleStartsWhereTheAttachedParticleEnded) {
  const fs::path earlier = attached_run("all");
  const std::vector<std::string> attached = data_lines(earlier / "FLUXATT.OUT", FLUX_HEAD);
  ASSERT_EQ(attached.size(), 3u) << "the earlier run should attach all three particles";

  const auto dir = fresh_directory("run-restart");
  fs::copy_file(earlier / "FLUXATT.OUT", dir / "FLUXATT.IN");
  Values values = RESTART;
  values.push_back({"NPART", "3"});
  const Outcome o = run_in(dir, input_with(values), {"--seed", "1"});
  ASSERT_EQ(o.status, 0) << o.err;

  // The contact time step, MULTC (20) momentum relaxation times.
  const std::string echo = lines_of(dir / "FLUXEX.OUT").at(2);
  const std::size_t at = echo.find("dTMRT(s)= ");
  ASSERT_NE(at, std::string::npos);
  const double DTMRT = std::stod(echo.substr(at + 10, 15));

  for (int J = 1; J <= 3; ++J) {
    SCOPED_TRACE("particle " + std::to_string(J));
    const std::string& before = attached[static_cast<std::size_t>(J - 1)];
    const std::vector<FluxRow> flux = flux_rows_of(dir, J, shared_flux);
    ASSERT_EQ(flux.size(), 1u);
    const std::string& row = flux[0].row;
    const int start[] = {F_XINIT, F_YINIT, F_ZINIT, F_RINIT, F_HINIT};
    const int end[] = {F_XOUT, F_YOUT, F_ZOUT, F_ROUT, F_HOUT};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(flux_field(row, start[k]), flux_field(before, end[k]));
    EXPECT_EQ(flux_field(row, F_RINJ), flux_field(before, F_RINJ));
    EXPECT_EQ(flux_field(row, F_PTIMEIN), " 0.00000000E+00");

    const std::vector<std::string> steps =
        data_lines(dir / trajectory_name(flux[0].family, J), TRAJECTORY_HEAD);
    ASSERT_GE(steps.size(), 2u);
    EXPECT_EQ(row_field(steps[0], T_ACONT), flux_field(before, F_ACONT));
    EXPECT_EQ(step_of(steps[1]), 1);
    EXPECT_TRUE(testing::RelNear(value_of(row_field(steps[1], T_PTIMEF)), 20 * DTMRT, 1e-7));
  }
}

TEST(Restart, OneParticleModeUsesTheFirstRecordWhateverTheParticleNumber) {
  const fs::path earlier = attached_run("one");
  const std::vector<std::string> attached = data_lines(earlier / "FLUXATT.OUT", FLUX_HEAD);
  ASSERT_EQ(attached.size(), 3u);
  ASSERT_NE(flux_field(attached[0], F_XOUT), flux_field(attached[2], F_XOUT));

  const auto dir = fresh_directory("run-restart-one");
  fs::copy_file(earlier / "FLUXATT.OUT", dir / "FLUXATT.IN");
  Values values = RESTART;
  values.push_back({"CLUSTER", "1"});
  const Outcome o = run_in(dir, input_with(values), {"5", "3", "--seed", "1"});
  ASSERT_EQ(o.status, 0) << o.err;
  const std::vector<FluxRow> flux = flux_rows_of(dir, 3, numbered_flux);
  ASSERT_EQ(flux.size(), 1u);
  const int start[] = {F_XINIT, F_YINIT, F_ZINIT, F_RINIT, F_HINIT};
  const int end[] = {F_XOUT, F_YOUT, F_ZOUT, F_ROUT, F_HOUT};
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(flux_field(flux[0].row, start[k]), flux_field(attached[0], end[k]));
}

// Three particles restarted at rest from a hand-made "FLUXATT.IN" (31
// free-format values per record; the position is read from values 9-13),
// each where another of the fates 4, 5, 6 follows: at the primary minimum on
// the front axis with no lever arm for the rolling balance (contact slow
// motion, 4); 50 nm behind the rear stagnation point (5); overlapping the
// collector by 1 nm (crash, 6). The crashing record's separation column says
// 0.3 nm, which a restart accepts; the first step takes the gap from ROUT.
TEST(Restart, EachFateGoesToTheFilesOfItsFamily) {
  const double AG = 2.55e-4, AP = 0.5e-6;  // m, as in the favorable example
  const auto record = [&](double Z, double H) {
    std::ostringstream r;
    r.precision(17);
    r << "1 2 0 0 0 0 0 0 0 0 " << Z << " " << std::fabs(Z) << " " << H;
    for (int k = 0; k < 18; ++k) r << " 0";
    return r.str() + "\n";
  };
  const auto gap = [&](double Z) { return std::fabs(Z) - AG - AP; };
  const auto dir = fresh_directory("run-restart-fates");
  // Each heading line must hold a word: a one-item read skips blank lines.
  std::string heading;
  for (int k = 0; k < 6; ++k) heading += "HEADING\n";
  const double Z[] = {AG + AP + 3e-10, -(AG + AP + 5e-8), AG + AP - 1e-9};
  write_text(dir / "FLUXATT.IN", heading + record(Z[0], gap(Z[0])) + record(Z[1], gap(Z[1])) +
                                     record(Z[2], 3e-10));
  const Outcome o = run_in(dir,
                           input_with({{"NPART", "3"},
                                       {"ATTMODE", "-1"},
                                       {"TTIME", "1"},
                                       {"NOUT", "100"},
                                       {"MULTC", "1"},
                                       {"ASP2", "0"},
                                       {"DIFFSCALE", "0"}}),
                           {"--seed", "1"});
  ASSERT_EQ(o.status, 0) << o.err;

  const std::pair<char, const char*> fates[] = {{'4', "ATT"}, {'5', "REM"}, {'6', "ATT"}};
  for (int J = 1; J <= 3; ++J) {
    SCOPED_TRACE("particle " + std::to_string(J));
    const auto& [ATTACHK, family] = fates[J - 1];
    const std::vector<FluxRow> flux = flux_rows_of(dir, J, shared_flux);
    ASSERT_EQ(flux.size(), 1u);
    EXPECT_EQ(flux[0].row[11], ATTACHK);
    EXPECT_EQ(flux[0].family, family);
    for (const char* f : FAMILIES) {
      const std::vector<std::string> lines = lines_of(dir / trajectory_name(f, J));
      ASSERT_GE(lines.size(), TRAJECTORY_HEAD);
      EXPECT_EQ(lines[4], std::string("ATTACHK=     ") + ATTACHK);
      if (std::string(f) == family) {
        EXPECT_GE(lines.size(), TRAJECTORY_HEAD + 2) << f;
      } else {
        EXPECT_EQ(lines.size(), TRAJECTORY_HEAD) << f;
      }
    }
  }
}

// A particle whose state stops being finite stops the run; the particles
// finished before it keep their rows. Particle 2 restarts from a record a
// run would refuse (its point lies 1e200 m away, so R overflows at its first
// move), handed to the runner directly; particle 1 rests in contact until
// the time limit. One thread: particle 1 is finished before particle 2 starts.
TEST(RunFiles, ANonFiniteParticleStopsTheRunAndTheRowsBeforeItStay) {
  const auto dir = fresh_directory("run-non-finite");
  write_text(dir / "INPUT.IN", input_with({{"NPART", "2"}, {"ATTMODE", "-1"}, {"TTIME", "1e-5"}}));
  const std::string rest = " 0 0 0 0 0 0 0 0 0 0 0 -1 0 0 0 0 0 0\n";  // ETIME .. ZINNS
  write_text(dir / "FLUXATT.IN", "h\nh\nh\nh\nh\nh\n"
                                 "000001 2 0 0 0 0 0 0 0 0 2.555003e-4 2.555003e-4 3e-10" + rest +
                                 "000002 2 0 0 0 0 0 0 1e200 0 0 1e200 3e-10" + rest);
  const ParameterFile file = read_parameter_file(dir / "INPUT.IN");
  const RunContext run = prepare_run(file.parameters, 1);
  RestartFile file_records(dir / "FLUXATT.IN", 2);
  const std::vector<RestartRecord> records = {file_records.record(1), file_records.record(2)};
  RunRequest request;
  request.first = 1;
  request.last = 2;
  request.restart = &records;
  std::ostringstream console;
  try {
    run_particles(run, request, dir, console, nullptr);
    FAIL() << "particle 2 ran to the end";
  } catch (const NonFiniteState& e) {
    EXPECT_EQ(e.IPART(), 2);
    EXPECT_EQ(e.ISTEP(), 1);
  }
  const std::vector<FluxRow> first = flux_rows_of(dir, 1, shared_flux);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_TRUE(well_formed_flux_record(first[0].row));
  EXPECT_TRUE(flux_rows_of(dir, 2, shared_flux).empty());

  // The program's message names the particle, the step and the quantity.
  const Outcome o = run_in(fresh_directory("run-non-finite-program"),
                           input_with({{"NPART", "1"}, {"VSUP", "1e300"}}), {"--seed", "1"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err.rfind("colloidsim: particle 1, step 1: VT is Infinity; the run stops", 0), 0u)
      << o.err;
}

// Regression only: a small run with a fixed seed against stored files. It
// guards the results as a whole, not any one rule; after an intended change
// of results, run tests/data/regression/regenerate.sh (same input, same seed
// 3) and review the differences before committing them.
TEST(RegressionOnly, SmallRunMatchesStoredFiles) {
  const fs::path stored = source_path("tests/data/regression");
  const auto dir = fresh_directory("run-regression");
  const Outcome o = run_in(dir, read_text(stored / "INPUT.IN"), {"--seed", "3"});
  ASSERT_EQ(o.status, 0) << o.err;

  std::set<std::string> expected;
  for (const auto& entry : fs::directory_iterator(stored / "expected")) {
    expected.insert(entry.path().filename().string());
  }
  ASSERT_EQ(expected.erase("console.txt"), 1u);
  EXPECT_EQ(written_files(dir), expected);
  const auto compare = [](const std::string& actual, const std::string& wanted,
                          const std::string& name) {
    const std::vector<std::string> a = split_lines(actual), w = split_lines(wanted);
    for (std::size_t k = 0; k < std::min(a.size(), w.size()); ++k) {
      if (a[k] != w[k]) {
        ADD_FAILURE() << name << ", line " << k + 1 << ":\n  got      " << a[k] << "\n  expected "
                      << w[k];
        return;
      }
    }
    EXPECT_EQ(actual, wanted) << name;
  };
  compare(o.out, read_text(stored / "expected" / "console.txt"), "console");
  for (const std::string& name : expected) {
    compare(read_text(dir / name), read_text(stored / "expected" / name), name);
  }
}

}  // namespace
}  // namespace colloidsim
