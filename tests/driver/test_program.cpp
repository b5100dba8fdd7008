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
      {"bad-option", &good, {"--seeds", "4"}, "colloidsim: command line: found the unknown option \"--seeds\"; expected --seed N, --threads N, --resume, --quiet, --help or --version (see colloidsim --help)\n"},
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
       {"--seed N", "--threads N, -j N", "--resume", "--quiet", "--help", "--version"}) {
    EXPECT_NE(o.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace colloidsim
