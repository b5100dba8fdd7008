#include "driver/program.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::fresh_directory;
using testing::read_text;
using testing::source_path;
using testing::write_text;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome run(const std::vector<std::string>& args, const std::filesystem::path& dir) {
  std::ostringstream out, err;
  const int status = run_program(args, dir, out, err);
  return {status, out.str(), err.str()};
}

std::size_t file_count(const std::filesystem::path& dir) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

TEST(Program, BadInputGivesOneMessageStatusOneAndNoFile) {
  const std::string good = read_text(source_path("examples/favorable/INPUT.IN"));
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
    const char* message;
  };
  const Case cases[] = {
      {"missing", nullptr, {}, "colloidsim: INPUT.IN: cannot open the file (No such file or directory); expected the run's parameter file in the working directory\n"},
      {"unreadable", &bad_value, {}, "colloidsim: INPUT.IN, line 17, parameter RHOP: found \"heavy\"; expected a real number\n"},
      {"no-arguments", &one_particle, {}, "colloidsim: command line argument 1, parameter NPART: found no argument; expected the particle count and the particle number (one-particle mode)\n"},
      {"bad-ipart", &one_particle, {"5", "6"}, "colloidsim: command line argument 2, parameter IPART: found 6; expected a particle number in 1..5\n"},
      {"no-restart-file", &restart, {}, "colloidsim: FLUXATT.IN: cannot open the file (No such file or directory); expected the flux file of attached particles of an earlier run in the working directory (ATTMODE = -1 restarts from it)\n"},
      {"bad-option", &good, {"--seeds", "4"}, "colloidsim: command line: found the unknown option \"--seeds\"; expected --seed N, --threads N (-j N), --resume, --quiet, --help (-h) or --version (see colloidsim --help)\n"},
      {"short-option", &good, {"-s", "4"}, "colloidsim: command line: found the unknown option \"-s\"; expected --seed N, --threads N (-j N), --resume, --quiet, --help (-h) or --version (see colloidsim --help)\n"},
      {"third-argument", &one_particle, {"5", "2", "7"}, "colloidsim: command line: found a third argument \"7\"; expected at most two arguments, the particle count and the particle number (or block A-B) of the one-particle mode\n"},
      {"negative-npart", &one_particle, {"-5", "2"}, "colloidsim: command line argument 1, parameter NPART: found -5; expected at least 1 particle\n"},
      {"bad-seed", &good, {"--seed", "x"}, "colloidsim: command line, parameter --seed: found \"x\"; expected a 64-bit integer seed\n"},
      {"no-threads", &good, {"-j", "0"}, "colloidsim: command line, parameter --threads: found \"0\"; expected a thread count from 1 to 4096\n"},
      {"bad-threads", &good, {"--threads=two"}, "colloidsim: command line, parameter --threads: found \"two\"; expected a thread count from 1 to 4096\n"},
      {"resume-one-particle", &one_particle, {"5", "2", "--resume"}, "colloidsim: command line, parameter --resume: found one-particle mode (CLUSTER = 1); expected an all-particles run (CLUSTER = 0) to continue\n"},
  };
  for (const Case& c : cases) {
    const auto dir = fresh_directory(std::string("program-") + c.name);
    if (c.input) write_text(dir / "INPUT.IN", *c.input);
    const std::size_t before = file_count(dir);
    const Outcome o = run(c.args, dir);
    EXPECT_EQ(o.status, 1) << c.name;
    EXPECT_EQ(o.err, c.message) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
    EXPECT_EQ(file_count(dir), before) << c.name << ": a file was written on bad input";
  }
}

TEST(Program, HelpListsEveryOption) {
  const Outcome o = run({"--help"}, fresh_directory("program-help"));
  EXPECT_EQ(o.status, 0);
  for (const char* option :
       {"--seed N", "--threads N, -j N", "--resume", "--quiet", "--help, -h", "--version"}) {
    EXPECT_NE(o.out.find(option), std::string::npos) << option;
  }
  // -h is --help, even where an INPUT.IN would start a run.
  const auto dir = fresh_directory("program-h");
  write_text(dir / "INPUT.IN", read_text(source_path("examples/favorable/INPUT.IN")));
  const Outcome h = run({"-h", "--seed", "1"}, dir);
  EXPECT_EQ(h.status, 0);
  EXPECT_EQ(h.out, o.out);
  EXPECT_EQ(file_count(dir), 1u);
}

TEST(Program, ArgumentsOfTheOneParticleModeAreIgnoredWithAWarningInTheOther) {
  // A run of one particle of the favorable example at a fast flow.
  std::string input = read_text(source_path("examples/favorable/INPUT.IN"));
  input.replace(input.find("10 0 0"), 6, "1 0 0");
  input.replace(input.find("4.0e-6 5.0e-5"), 13, "4.0e-4 2.0e-5");
  const auto plain = fresh_directory("program-no-arguments");
  const auto with = fresh_directory("program-ignored-arguments");
  write_text(plain / "INPUT.IN", input);
  write_text(with / "INPUT.IN", input);
  const Outcome a = run({"--seed", "3"}, plain);
  const Outcome b = run({"5", "--seed", "3", "2"}, with);
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(b.status, 0);
  EXPECT_EQ(a.out, b.out);  // the console lines, and nothing else
  EXPECT_EQ(a.err, "");
  EXPECT_EQ(b.err, "colloidsim: warning: the arguments \"5 2\" are ignored: INPUT.IN has CLUSTER = 0 "
                   "(all particles); the particle count and number are read from the command "
                   "line only when CLUSTER = 1\n");
  EXPECT_EQ(read_text(plain / "FLUXEX.OUT") + read_text(plain / "FLUXATT.OUT"),
            read_text(with / "FLUXEX.OUT") + read_text(with / "FLUXATT.OUT"));
}

}  // namespace
}  // namespace colloidsim
