#include "driver/program.h"

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::fresh_directory;
using testing::Outcome;
using testing::run_in;
using testing::input_with;
using testing::read_text;
using testing::source_path;
using testing::write_text;

std::size_t file_count(const std::filesystem::path& dir) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

TEST(Program, BadInputGivesOneMessageStatusOneAndNoFile) {
  const std::string good = testing::input_with({});
  std::string bad_value = good;
  bad_value.replace(bad_value.find("1055.0"), 6, "heavy");
  std::string one_particle = good;
  one_particle.replace(one_particle.find("10 0 0"), 6, "10 0 1");
  std::string restart = good;
  restart.replace(restart.find("10 0 0"), 6, "10 -1 0");

  struct Case {
    const char* name;
    const std::string* input;  // nullptr: no INPUT.IN at all
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {"missing", nullptr, {}, "colloidsim: INPUT.IN: cannot open the file (No such file or directory); expected the run's parameter file in the working directory\n"},
      {"unreadable", &bad_value, {}, "colloidsim: INPUT.IN, line 17, parameter RHOP: found \"heavy\"; expected a real number\n"},
      {"no-arguments", &one_particle, {}, "colloidsim: command line argument 1, parameter NPART: found no argument; expected the particle count and the particle number (one-particle mode)\n"},
      {"bad-ipart", &one_particle, {"5", "6"}, "colloidsim: command line argument 2, parameter IPART: found 6; expected a particle number in 1..5\n"},
      {"no-restart-file", &restart, {}, "colloidsim: FLUXATT.IN: cannot open the file (No such file or directory); expected the flux file of attached particles of an earlier run in the working directory (ATTMODE = -1 restarts from it)\n"},
      {"bad-option", &good, {"--seeds", "4"}, "colloidsim: command line: found the unknown option \"--seeds\"; expected --seed N, --threads N (-j N), --brownian MODEL, --resume, --quiet, --no-trajectories, --help (-h) or --version (see colloidsim --help); did you mean --seed?\n"},
      {"short-option", &good, {"-s", "4"}, "colloidsim: command line: found the unknown option \"-s\"; expected --seed N, --threads N (-j N), --brownian MODEL, --resume, --quiet, --no-trajectories, --help (-h) or --version (see colloidsim --help)\n"},
      {"third-argument", &one_particle, {"5", "2", "7"}, "colloidsim: command line: found a third argument \"7\"; expected at most two arguments, the particle count and the particle number (or block A-B) of the one-particle mode\n"},
      {"negative-npart", &one_particle, {"-5", "2"}, "colloidsim: command line argument 1, parameter NPART: found -5; expected at least 1 particle\n"},
      {"bad-seed", &good, {"--seed", "x"}, "colloidsim: command line, parameter --seed: found \"x\"; expected a 64-bit integer seed\n"},
      {"no-threads", &good, {"-j", "0"}, "colloidsim: command line, parameter --threads: found \"0\"; expected a thread count from 1 to 4096\n"},
      {"bad-threads", &good, {"--threads=two"}, "colloidsim: command line, parameter --threads: found \"two\"; expected a thread count from 1 to 4096\n"},
      // A word that is no option, subcommand or number, with the nearest subcommand.
      {"misspelt-subcommand", &good, {"summry"}, "colloidsim: command line: found \"summry\"; expected a subcommand (summary, merge, missing, set, profile, study), an option or the numbers of the one-particle mode (see colloidsim --help); did you mean summary?\n"},
      {"misspelt-option-after-numbers", &one_particle, {"5", "2", "--quite"}, "colloidsim: command line: found the unknown option \"--quite\"; expected --seed N, --threads N (-j N), --brownian MODEL, --resume, --quiet, --no-trajectories, --help (-h) or --version (see colloidsim --help); did you mean --quiet?\n"},
      {"plain-word", &one_particle, {"5", "two"}, "colloidsim: command line: found \"two\"; expected a subcommand (summary, merge, missing, set, profile, study), an option or the numbers of the one-particle mode (see colloidsim --help)\n"},
      // Numbers in an all-particles run: the file's CLUSTER decides.
      {"numbers-all-particles", &good, {"5", "--seed", "3", "2"}, "colloidsim: command line: found the particle numbers \"5 2\"; expected none: INPUT.IN has CLUSTER = 0 (all particles), and the file's CLUSTER decides the mode (CLUSTER = 1 runs the particle or block the numbers give)\n"},
      // Particle numbers are whole decimal numbers, nothing after them.
      {"repeat-count", &one_particle, {"10", "3*2"}, "colloidsim: command line argument 2, parameter IPART: found \"3*2\"; expected a particle number, or a block A-B of particle numbers\n"},
      {"slash", &one_particle, {"10", "/"}, "colloidsim: command line argument 2, parameter IPART: found \"/\"; expected a particle number, or a block A-B of particle numbers\n"},
      {"comma", &one_particle, {"10", ","}, "colloidsim: command line argument 2, parameter IPART: found \",\"; expected a particle number, or a block A-B of particle numbers\n"},
      {"comma-word", &one_particle, {"10", "3,abc"}, "colloidsim: command line argument 2, parameter IPART: found \"3,abc\"; expected a particle number, or a block A-B of particle numbers\n"},
      {"count-comma", &one_particle, {"10,5", "3"}, "colloidsim: command line argument 1, parameter NPART: found \"10,5\"; expected the particle count, a whole decimal number\n"},
      {"61-digits", &one_particle, {"10", std::string(60, '1') + "2"}, "colloidsim: command line argument 2, parameter IPART: found \"" + std::string(60, '1') + "...\" (61 bytes); expected a particle number, or a block A-B of particle numbers\n"},
      // -5 stays a number, also after an option that takes it as its value.
      {"negative-after-seed", &one_particle, {"--seed", "-5", "-5", "2"}, "colloidsim: command line argument 1, parameter NPART: found -5; expected at least 1 particle\n"},
      {"no-seed-value", &good, {"--seed"}, "colloidsim: command line, parameter --seed: found no value; expected a 64-bit integer seed\n"},
      {"threads-attached", &good, {"-j0"}, "colloidsim: command line, parameter --threads: found \"0\"; expected a thread count from 1 to 4096\n"},
      {"bad-brownian", &good, {"--brownian", "thermal"}, "colloidsim: command line, parameter --brownian: found \"thermal\"; expected bulk or hindered\n"},
      {"no-brownian", &good, {"--brownian"}, "colloidsim: command line, parameter --brownian: found no value; expected bulk or hindered\n"},
      {"resume-one-particle", &one_particle, {"5", "2", "--resume"}, "colloidsim: command line, parameter --resume: found one-particle mode (CLUSTER = 1); expected an all-particles run (CLUSTER = 0) to continue\n"},
  };
  for (const Case& c : cases) {
    const auto dir = fresh_directory(std::string("program-") + c.name);
    if (c.input) write_text(dir / "INPUT.IN", *c.input);
    const std::size_t before = file_count(dir);
    const Outcome o = run_in(dir, c.args);
    EXPECT_EQ(o.status, 1) << c.name;
    EXPECT_EQ(o.err, c.message) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
    EXPECT_EQ(file_count(dir), before) << c.name << ": a file was written on bad input";
  }
}

// One row of a favorable-example restart file: 31 columns, of which the
// restart takes the final point (columns 9-13) and ACONT (22). The defaults
// are a particle at rest 0.3 nm above the front of the collector.
std::string restart_record(const std::string& point = "0 0 2.555003e-4 2.555003e-4 3e-10",
                           const std::string& ACONT = "0") {
  return "000001 2 0 0 0 0 0 0 " + point + " 0 0 0 0 0 0 0 0 " + ACONT + " 0 -1 0 0 0 0 0 0 0\n";
}
std::string restart_file(const std::string& records) {
  return "h\nh\nh\nlegend\nheader\nline\n" + records;
}

TEST(Program, InputThatWouldHangOrEndInNaNIsRefusedBeforeAnyFile) {
  using Values = std::vector<std::pair<std::string, std::string>>;
  const Values restart = {{"NPART", "2"}, {"ATTMODE", "-1"}};
  const Values one_particle = {{"CLUSTER", "1"}};
  struct Case {
    Values values;  // changes to the favorable example
    std::vector<std::string> args;
    std::string restart_records;  // FLUXATT.IN records when not empty
    std::vector<const char*> words;  // the message holds each
  };
  const auto with = [](Values base, const Values& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
  };
  const Case cases[] = {
      // Setup scans that would run for days: a decay length in the wrong
      // unit, and forces whose sign keeps the contact-band scan going.
      {{{"LAMBDASTE", "1.0"}, {"GAMMA0STE", "1e-3"}}, {}, "", {"line 52, parameter LAMBDASTE: found \"1.0\"", "1 micrometre"}},
      {{{"LAMBDAAB", "1e-3"}, {"GAMMA0AB", "1e-3"}}, {}, "", {"parameter LAMBDAAB", "1 micrometre"}},
      {{{"A132", "-1e-20"}, {"GAMMA0AB", "1e-3"}}, {}, "", {"parameter A132", "Born force repulsive"}},
      {{{"GAMMA0STE", "-1e-3"}, {"LAMBDASTE", "1e-11"}, {"GAMMA0AB", "1e-3"}}, {}, "", {"parameter GAMMA0STE", ">= 0"}},
      // One-particle mode: the arguments are checked first, and the file's
      // NPART gives way to the command line's.
      {with(one_particle, {{"LAMBDASTE", "1.0"}, {"GAMMA0STE", "1e-3"}}), {"5", "7"}, "", {"parameter IPART: found 7"}},
      {with(one_particle, {{"NPART", "0"}, {"BETA", "0"}}), {"5", "2"}, "", {"parameter BETA"}},
      // Time steps that never reach the time limit.
      {{{"MULTB", "1e-300"}}, {}, "", {"MULTB = \"1e-300\"", "advance the particle clock"}},
      {{{"MULTC", "1e-30"}}, {}, "", {"MULTC = \"1e-30\"", "advance the particle clock"}},
      {{{"AP", "1e-120"}}, {}, "", {"AP = \"1e-120\"", "dTMRT = 2 AP^2 RHOP / (9 VISC) = 0 s"}},
      {{{"ZI", "1e-300"}}, {}, "", {"line 22, parameter IS, ZI, ER, T", "KAPPA = 0 1/m"}},
      // Ranges that gave NaN or meaningless output.
      {{{"POROSITY", "0.005"}}, {}, "", {"parameter AP", "RB - AG = 4.26422212e-07 m"}},
      {{{"BETA", "50"}}, {}, "", {"parameter BETA", "BETA x ACONTMAX = 5.27461815e-07 m"}},
      {{{"SCOV", "-0.1"}}, {}, "", {"parameter SCOV:", "[0, 1)"}},
      {{{"SCOVP", "-0.1"}}, {}, "", {"parameter SCOVP:", "[0, 1)"}},
      {{{"SCOV", "0.05"}, {"HETMODE", "9"}, {"RHET1", "0"}}, {}, "", {"parameter RHET1"}},
      {{{"LAMBDAVDW", "0"}}, {}, "", {"parameter LAMBDAVDW"}},
      {{{"B", "-1e-9"}}, {}, "", {"parameter B:"}},
      {{{"DFACTNS", "-0.1"}}, {}, "", {"parameter DFACTNS"}},
      {{{"DFACTC", "-1"}}, {}, "", {"parameter DFACTC"}},
      {{{"VDWMODE", "2"}, {"A11", "-1e-20"}}, {}, "", {"parameter A11", "square root"}},
      {{{"VDWMODE", "4"}, {"T1", "0.5e-6"}}, {}, "", {"parameter T1", "[0, AP)"}},
      {{{"VDWMODE", "3"}, {"T2", "2.55e-4"}}, {}, "", {"parameter T2", "[0, AG)"}},
      // Restart records: the run reads records 1 and 2.
      {restart, {}, restart_record() + restart_record("0 0 0 0 3e-10"), {"FLUXATT.IN, line 8, parameter record 2 ROUT(m): found 0"}},
      {restart, {}, restart_record() + restart_record("0 0 2.555e-4 2.555e-4 -3e-10"), {"record 2 HOUT(m)", "perfect-sink run (ATTMODE 0)"}},
      {restart, {}, restart_record("0 0 2.555003e-4 2.555003e-4 3e-10", "0.5e-6") + restart_record(), {"record 1 ACONT(m)", "[0, AP)"}},
      {restart, {}, restart_record("0 0 2.555003e-4 2.555003e-4 1e300") + restart_record(), {"record 1 HOUT(m)", "below ROUT - AG"}},
      {restart, {}, "000001 2 0 0 0 0 0 0 0 0 2.555003e-4\n" + restart_record(), {"line 7, parameter record 1 ROUT(m): found the end of the line"}},
      {restart, {}, restart_record("0 0 / 2.555003e-4 3e-10") + restart_record(), {"record 1 ZOUT(m): found no value"}},
      {restart, {}, restart_record("0 0 1e-6 2.555003e-4 3e-10") + restart_record(), {"record 1 ROUT(m)", "distance of the point (XOUT, YOUT, ZOUT)"}},
      {restart, {}, restart_record(), {"parameter record 2 PARTICLE: found the end of the file"}},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(++row));
    const auto dir = fresh_directory("program-refused");
    write_text(dir / "INPUT.IN", input_with(c.values));
    if (!c.restart_records.empty()) write_text(dir / "FLUXATT.IN", restart_file(c.restart_records));
    const std::size_t before = file_count(dir);
    const Outcome o = run_in(dir, c.args);
    EXPECT_EQ(o.status, 1);
    for (const char* word : c.words) EXPECT_NE(o.err.find(word), std::string::npos) << o.err;
    EXPECT_EQ(file_count(dir), before) << "a file was written";
  }
}

// A FIFO nobody writes to, where a command reads a file, is refused at once
// (read blocking it would wait for ever).
TEST(Program, AFifoWhereACommandReadsAFileIsRefusedNotWaitedOn) {
  const std::string quick =
      input_with({{"NPART", "2"}, {"VSUP", "4.0e-4"}, {"RLIM", "2.0e-5"}, {"TTIME", "4"}});
  const struct {
    const char* fifo;  // the name made a FIFO
    std::vector<std::string> args;
  } cases[] = {
      {"INPUT.IN", {"set", "AP=1e-6"}},
      {"STUDY.toml", {"study", "."}},
      {"INPUT.IN", {"study", "."}},
      {"RUN.json", {"summary"}},
      {"RUN.json", {"--resume"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front() + " with a FIFO at " + c.fifo);
    const auto dir = fresh_directory("program-fifo");
    write_text(dir / "INPUT.IN", quick);
    write_text(dir / "STUDY.toml", "seed = 1\nnpart = 2\n[vary]\nIS = [1.0]\n");
    if (std::string(c.fifo) == "RUN.json") {
      ASSERT_EQ(run_in(dir, {"--seed", "1"}).status, 0);
    }
    std::filesystem::remove(dir / c.fifo);
    ASSERT_EQ(::mkfifo((dir / c.fifo).c_str(), 0644), 0);
    const Outcome o = run_in(dir, c.args);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(std::string(c.fifo) + ": found a FIFO (named pipe); expected "),
              std::string::npos)
        << o.err;
  }
}

TEST(Program, HelpListsEveryOption) {
  const Outcome o = run_in(fresh_directory("program-help"), {"--help"});
  EXPECT_EQ(o.status, 0);
  for (const char* option :
       {"--seed N", "--threads N, -j N", "--resume", "--quiet", "--help, -h", "--version"}) {
    EXPECT_NE(o.out.find(option), std::string::npos) << option;
  }
  // -h is --help, even where an INPUT.IN would start a run.
  const auto dir = fresh_directory("program-h");
  write_text(dir / "INPUT.IN", testing::input_with({}));
  const Outcome h = run_in(dir, {"-h", "--seed", "1"});
  EXPECT_EQ(h.status, 0);
  EXPECT_EQ(h.out, o.out);
  EXPECT_EQ(file_count(dir), 1u);
  // Every subcommand's help has the same shape, through --help and -h alike.
  for (const std::string command : {"summary", "merge", "missing"}) {
    const Outcome help = run_in(dir, {command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_EQ(help.out.rfind("Usage: colloidsim " + command + " [DIR]", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("\nOptions:\n"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("\n  --help, -h "), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("\nExit status: "), std::string::npos) << help.out;
    EXPECT_EQ(run_in(dir, {command, "-h", "--bogus"}).out, help.out) << command;
    EXPECT_NE(o.out.find("colloidsim " + command + " [DIR]"), std::string::npos) << command;
  }
}

TEST(Program, ArgumentsOfTheOneParticleModeAreRefusedInTheOther) {
  // A run of one particle of the favorable example at a fast flow.
  std::string input = testing::input_with({});
  input.replace(input.find("10 0 0"), 6, "1 0 0");
  input.replace(input.find("4.0e-6 1.2e-4"), 13, "4.0e-4 2.0e-5");
  const auto plain = fresh_directory("program-plain-run");
  const auto with = fresh_directory("program-refused-numbers");
  write_text(plain / "INPUT.IN", input);
  write_text(with / "INPUT.IN", input);
  const Outcome a = run_in(plain, {"--seed", "3"});
  const Outcome b = run_in(with, {"5", "--seed", "3", "2"});
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(b.status, 1);
  EXPECT_NE(a.out, "");
  EXPECT_EQ(b.out, "");
  EXPECT_EQ(a.err, "");
  EXPECT_EQ(b.err, "colloidsim: command line: found the particle numbers \"5 2\"; expected none: "
                   "INPUT.IN has CLUSTER = 0 (all particles), and the file's CLUSTER decides the "
                   "mode (CLUSTER = 1 runs the particle or block the numbers give)\n");
  EXPECT_EQ(file_count(with), 1u);  // INPUT.IN only
}

}  // namespace
}  // namespace colloidsim
