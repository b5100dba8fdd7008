// Particles run side by side: the same bytes for every thread count, a run
// killed at any moment and resumed gives the files of an uninterrupted run,
// and the progress bar.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "driver/ordered_output.h"
#include "driver/program.h"
#include "driver/progress_bar.h"
#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;
using Values = std::vector<std::pair<std::string, std::string>>;
using testing::fresh_directory;
using testing::input_with;
using testing::read_text;
using testing::source_path;
using testing::write_text;

// Every file of a directory but the inputs, with its bytes.
struct RunResult {
  int status = -1;
  std::string out, err;
  Files files;
};

// A run in a fresh directory holding input (and restart, when not empty).
RunResult run_with(const std::string& name, const std::string& input, const std::string& restart,
             const std::vector<std::string>& args) {
  const fs::path dir = fresh_directory(name);
  write_text(dir / "INPUT.IN", input);
  if (!restart.empty()) write_text(dir / "FLUXATT.IN", restart);
  std::ostringstream out, err;
  RunResult r;
  r.status = run_program(args, dir, out, err);
  r.out = out.str();
  r.err = err.str();
  r.files = testing::output_files(dir);
  return r;
}

void expect_same_run(const RunResult& a, const RunResult& b, const std::string& what) {
  EXPECT_EQ(a.status, 0) << what << ": " << a.err;
  EXPECT_EQ(b.status, 0) << what << ": " << b.err;
  EXPECT_TRUE(a.out == b.out) << what << ": the console differs";
  ASSERT_EQ(a.files.size(), b.files.size()) << what;
  for (const auto& [name, text] : a.files) {
    const auto other = b.files.find(name);
    ASSERT_NE(other, b.files.end()) << what << ": no " << name;
    EXPECT_TRUE(text == other->second) << what << ": " << name << " differs";
  }
}

// The heterogeneous example with its time limit set to ttime and npart particles.
std::string heterogeneous(const std::string& npart_line, const std::string& ttime) {
  std::string text = read_text(source_path("examples/heterogeneous/INPUT.IN"));
  text.replace(text.find("10 1 0"), 6, npart_line);
  text.replace(text.find("2.55e-4 2000.0"), 14, "2.55e-4 " + ttime);
  return text;
}

// Six restart records in contact with the collector at several polar angles
// and gaps: unfavorable surfaces let them go at different times.
std::string restart_records() {
  const double AG = 2.55e-4, AP = 0.5e-6;
  const std::pair<double, double> at[] = {{0.3, 2e-9}, {0.9, 5e-9}, {1.4, 1e-8},
                                          {2.0, 3e-9}, {2.6, 2.5e-9}, {1.1, 4e-8}};
  std::ostringstream text;
  text.precision(17);
  for (int k = 0; k < 6; ++k) text << "HEADING\n";
  for (const auto& [theta, H] : at) {
    const double R = AG + AP + H;
    text << "1 2 0 0 0 0 0 0 " << R * std::sin(theta) << " 0 " << R * std::cos(theta) << " " << R
         << " " << H;
    for (int k = 0; k < 18; ++k) text << " 0";
    text << "\n";
  }
  return text.str();
}

TEST(Threads, EveryThreadCountWritesTheSameBytes) {
  // Particles of different lengths finish out of order on several threads.
  const struct {
    const char* name;
    std::string input, restart;
  } runs[] = {
      {"fast", input_with({{"NPART", "6"}, {"VSUP", "4.0e-4"}, {"RLIM", "2.0e-5"}, {"TTIME", "4"},
                           {"NOUT", "100"}}),
       ""},
      {"restart", heterogeneous("6 -1 0", "0.5"), restart_records()},
      {"heterogeneous", heterogeneous("3 1 0", "300.0"), ""},
  };
  for (const auto& r : runs) {
    const RunResult serial = run_with(std::string("threads-") + r.name + "-1", r.input, r.restart,
                                {"--seed", "1", "--threads", "1"});
    ASSERT_FALSE(serial.out.empty()) << r.name;
    for (const char* threads : {"2", "3"}) {
      const RunResult parallel = run_with(std::string("threads-") + r.name + "-" + threads, r.input,
                                    r.restart, {"--seed", "1", "-j", threads});
      expect_same_run(serial, parallel, std::string(r.name) + " on " + threads + " threads");
    }
  }
}

// --brownian hindered reaches every particle (the near-surface parts of
// the trajectories differ from the bulk model's) and keeps the bytes of any
// thread count; both spellings of the option are read.
TEST(Threads, HinderedBrownianMotionWritesTheSameBytesOnEveryThreadCount) {
  const std::string input = input_with({{"NPART", "4"}, {"VSUP", "4.0e-4"}, {"RLIM", "2.0e-5"},
                                        {"TTIME", "4"}, {"NOUT", "100"}});
  const RunResult serial = run_with("hindered-1", input, "",
                                    {"--seed", "1", "-j", "1", "--brownian", "hindered"});
  const RunResult parallel = run_with("hindered-2", input, "",
                                      {"--brownian=hindered", "--seed", "1", "-j", "2"});
  expect_same_run(serial, parallel, "hindered on 2 threads");
  const RunResult bulk = run_with("hindered-bulk", input, "", {"--seed", "1", "-j", "1"});
  ASSERT_EQ(bulk.status, 0) << bulk.err;
  int differing = 0;
  for (const auto& [name, text] : bulk.files) {
    const auto other = serial.files.find(name);
    if (other == serial.files.end() || other->second != text) ++differing;
  }
  EXPECT_GT(differing, 0);
}

TEST(OrderedOutput, OutOfOrderParticlesComeOutInOrderAlsoFromTheScratchFile) {
  // A budget of 8 bytes sends most of the waiting text to the scratch file.
  const fs::path dir = fresh_directory("ordered-output");
  std::ostringstream console;
  OutputFile ex(dir, "EX", OutputFile::Mode::REPLACE), att(dir, "ATT", OutputFile::Mode::REPLACE),
      rem(dir, "REM", OutputFile::Mode::REPLACE);
  {
    OrderedOutput out(5, &console, {&ex, &att, &rem}, 8);
    std::string text;
    const auto part = [&](std::int32_t J, const std::string& t) {
      text = t;
      out.console_text(J, text);
      EXPECT_TRUE(text.empty());
    };
    const auto finish = [&](std::int32_t J, const std::string& t, int family) {
      text = t;
      out.finish(J, text, family, "row " + std::to_string(J) + "\n");
    };
    part(6, "6a ");
    part(5, "5a ");
    part(7, "7a-long-text ");
    finish(7, "7b ", 2);
    part(6, "6b ");
    EXPECT_EQ(console.str(), "5a ");
    finish(5, "5b ", 0);  // 6, still running, is at the head now and writes through
    EXPECT_EQ(console.str(), "5a 5b 6a 6b ");
    EXPECT_EQ(out.head(), 6);
    part(6, "6c ");
    finish(6, "", 1);
    EXPECT_EQ(out.head(), 8);
  }
  EXPECT_EQ(console.str(), "5a 5b 6a 6b 6c 7a-long-text 7b ");
  EXPECT_EQ(read_text(dir / "EX"), "row 5\n");
  EXPECT_EQ(read_text(dir / "ATT"), "row 6\n");
  EXPECT_EQ(read_text(dir / "REM"), "row 7\n");

  // The largest particle number: the head moves one past it without overflow.
  OrderedOutput last(INT32_MAX, nullptr, {&ex, &att, &rem});
  std::string none;
  last.finish(INT32_MAX, none, 0, "last row\n");
  EXPECT_EQ(last.head(), std::int64_t{INT32_MAX} + 1);
}

// The program itself in dir, as a child process with its output in files
// (standard output, with closed_pipe, into a pipe that nobody reads).
pid_t start_program(const fs::path& dir, const std::vector<std::string>& args,
                    bool closed_pipe = false) {
  int pipe_ends[2] = {-1, -1};
  if (closed_pipe && pipe(pipe_ends) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    if (closed_pipe) close(pipe_ends[0]);
    const int out = closed_pipe ? pipe_ends[1] : open("console.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    std::vector<char*> argv = {const_cast<char*>(COLLOIDSIM_EXECUTABLE)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(COLLOIDSIM_EXECUTABLE, argv.data());
    _exit(127);
  }
  if (closed_pipe) {
    close(pipe_ends[0]);
    close(pipe_ends[1]);
  }
  return child;
}

int wait_for(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Output files only: the console of a resumed run holds the resumed particles.
Files run_outputs(const fs::path& dir) {
  Files files = testing::output_files(dir);
  files.erase("console.txt");
  files.erase("stderr.txt");
  return files;
}

TEST(Resume, KilledAtRandomMomentsAndResumedGivesTheUninterruptedFiles) {
  // Eight particles of the favorable example at a ten times faster flow take
  // about half a second; the moments are drawn from a fixed seed.
  const std::string input = input_with({{"NPART", "8"}, {"VSUP", "4.0e-5"}});
  const fs::path whole = fresh_directory("resume-whole");
  write_text(whole / "INPUT.IN", input);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(wait_for(start_program(whole, {"--seed", "5", "--threads", "1"})), 0);
  const double serial_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  const Files expected = run_outputs(whole);

  std::mt19937 moments(20261208);
  std::uniform_real_distribution<double> fraction(0.03, 0.45);
  for (int attempt = 0; attempt < 4; ++attempt) {
    SCOPED_TRACE("attempt " + std::to_string(attempt));
    const fs::path dir = fresh_directory("resume-killed-" + std::to_string(attempt));
    write_text(dir / "INPUT.IN", input);
    const pid_t child = start_program(dir, {"--seed", "5", "--threads", "2"});
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(fraction(moments) * serial_ms));
    kill(child, SIGKILL);
    wait_for(child);

    // What the kill left: flux files with whole rows of the first particles,
    // trajectory files complete or absent.
    const Files left = run_outputs(dir);
    for (const auto& [name, text] : left) {
      if (name.ends_with(".tmp")) continue;
      const std::string& full = expected.at(name);
      if (name.starts_with("FLUX")) {
        EXPECT_TRUE(text.empty() || full.compare(0, text.size(), text) == 0) << name;
        EXPECT_TRUE(text.empty() || text.back() == '\n') << name;
      } else {
        EXPECT_TRUE(text == full) << name << " is incomplete";
      }
    }

    ASSERT_EQ(wait_for(start_program(dir, {"--seed", "5", "--threads", attempt % 2 ? "3" : "2",
                                           "--resume"})),
              0)
        << read_text(dir / "stderr.txt");
    const Files resumed = run_outputs(dir);
    EXPECT_EQ(resumed.size(), expected.size());
    for (const auto& [name, text] : expected) {
      EXPECT_TRUE(resumed.count(name) && resumed.at(name) == text) << name << " differs";
    }
  }
}

// Ctrl-C and kill during a run, once it has begun, and its standard output
// piped into a program that has ended: the run stops with status 128 +
// signal, leaves no temporary file, says how far it got and how to go on, and
// going on that way gives the uninterrupted run's files.
TEST(Resume, SignalsStopTheRunCleanlyAndTheCommandShownContinuesIt) {
  const struct {
    int signal;
    const char* CLUSTER;
    std::vector<std::string> args;  // of the run, which the signal stops
    std::string shown;              // the command the message shows
  } cases[] = {
      {SIGINT, "0", {"--seed", "5", "-j", "2"}, "  colloidsim --resume --seed 5\n"},
      {SIGTERM, "0", {"--seed", "5", "-j", "2", "--brownian", "hindered"},
       "  colloidsim --resume --seed 5 --brownian hindered\n"},
      {SIGTERM, "1", {"--seed", "5", "-j", "2", "8", "1-8"}, "  colloidsim --seed 5 8 1-8\n"},
      {SIGPIPE, "0", {"--seed", "5", "-j", "2"}, "  colloidsim --resume --seed 5\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    const std::string input = input_with({{"NPART", "8"}, {"CLUSTER", c.CLUSTER}});
    const fs::path whole = fresh_directory("interrupt-whole");
    write_text(whole / "INPUT.IN", input);
    ASSERT_EQ(wait_for(start_program(whole, c.args)), 0);

    const fs::path dir = fresh_directory("interrupt-stopped");
    write_text(dir / "INPUT.IN", input);
    const pid_t child = start_program(dir, c.args, c.signal == SIGPIPE);
    // The record is written once the run has begun.
    const std::string record = c.CLUSTER[0] == '0' ? "RUN.json" : "RUN.1-8.json";
    if (c.signal != SIGPIPE) {
      while (!fs::exists(dir / record)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      kill(child, c.signal);
    }
    EXPECT_EQ(wait_for(child), 128 + c.signal);
    const std::string err = read_text(dir / "stderr.txt");
    EXPECT_NE(err.find(c.signal == SIGINT    ? "stopped by SIGINT (Ctrl-C): "
                       : c.signal == SIGTERM ? "stopped by SIGTERM: "
                                             : "stopped by SIGPIPE (standard output was closed"),
              std::string::npos)
        << err;
    EXPECT_TRUE(err.ends_with(c.shown)) << err;
    EXPECT_NE(read_text(dir / record).find("\"status\": \"stopped\""), std::string::npos);
    for (const auto& [name, text] : run_outputs(dir)) EXPECT_FALSE(name.ends_with(".tmp")) << name;

    std::vector<std::string> again = c.CLUSTER[0] == '0' ? std::vector<std::string>{"--resume"}
                                                         : c.args;
    ASSERT_EQ(wait_for(start_program(dir, again)), 0) << read_text(dir / "stderr.txt");
    Files expected = run_outputs(whole), resumed = run_outputs(dir);
    expected.erase(record);
    resumed.erase(record);
    EXPECT_TRUE(resumed == expected);
  }
}

TEST(Resume, RefusedForAnotherRunsFilesAndNothingChanges) {
  const Values fast = {{"NPART", "3"}, {"VSUP", "4.0e-4"}, {"RLIM", "2.0e-5"}, {"TTIME", "4"}};
  const fs::path dir = fresh_directory("resume-refused");
  write_text(dir / "INPUT.IN", input_with(fast));
  std::ostringstream out, err;
  ASSERT_EQ(run_program({"--seed", "1"}, dir, out, err), 0);
  // Cut the last particle's row in half, as a kill while writing it would.
  std::string cut_name, whole_text;
  for (const char* name : {"FLUXEX.OUT", "FLUXATT.OUT", "FLUXREM.OUT"}) {
    const std::string text = read_text(dir / name);
    if (text.find("\n000003 ") != std::string::npos) {
      cut_name = name;
      whole_text = text;
    }
  }
  ASSERT_FALSE(cut_name.empty());
  write_text(dir / cut_name, whole_text.substr(0, whole_text.size() - 100));

  Values changed = fast;
  changed.push_back({"VSUP", "5.0e-4"});
  write_text(dir / "INPUT.IN", input_with(changed));
  const Files before = run_outputs(dir);
  std::ostringstream out2, err2;
  EXPECT_EQ(run_program({"--seed", "1", "--resume"}, dir, out2, err2), 1);
  EXPECT_NE(err2.str().find("FLUXEX.OUT: line 1 differs from what INPUT.IN gives (another run's "
                            "file: VSUP(m/s) 0.40000000E-03 in the file, 0.50000000E-03 from "
                            "INPUT.IN)"),
            std::string::npos)
      << err2.str();
  EXPECT_TRUE(run_outputs(dir) == before);

  // With the run's own input it goes on from the last whole row.
  write_text(dir / "INPUT.IN", input_with(fast));
  std::ostringstream out3, err3;
  EXPECT_EQ(run_program({"--seed", "1", "--resume"}, dir, out3, err3), 0) << err3.str();
  EXPECT_EQ(read_text(dir / cut_name), whole_text);
}

TEST(ProgressBar, ShowsCountsFatesElapsedAndTimeLeft) {
  EXPECT_EQ(progress_line({3, 12, 1, 2, 0}, 0, 90.0),
            "[######..................] 3/12 particles  EX 1  ATT 2  REM 0  1:30 elapsed, "
            "about 4:30 left");
  // Resumed with 4 particles done earlier: 2 more in 3700 s leave 6 for 11100 s.
  EXPECT_EQ(progress_line({6, 12, 3, 2, 1}, 4, 3700.0),
            "[############............] 6/12 particles  EX 3  ATT 2  REM 1  1:01:40 elapsed, "
            "about 3:05:00 left");
  EXPECT_EQ(progress_line({0, 5, 0, 0, 0}, 0, 2.0),
            "[........................] 0/5 particles  EX 0  ATT 0  REM 0  0:02 elapsed");
  EXPECT_EQ(progress_line({5, 5, 5, 0, 0}, 0, 2.0).substr(27),
            "5/5 particles  EX 5  ATT 0  REM 0  0:02 elapsed, done");
  // A study counts its conditions too.
  EXPECT_EQ(progress_line({3, 12, 1, 2, 0, 1, 4}, 0, 90.0).substr(27),
            "1/4 conditions  3/12 particles  EX 1  ATT 2  REM 0  1:30 elapsed, about 4:30 left");

  std::ostringstream err;
  auto now = std::chrono::steady_clock::time_point{};
  const std::int64_t earlier[3] = {1, 0, 0};
  ProgressBar bar(err, 4, earlier, [&] { return now; });
  now += std::chrono::seconds(10);
  bar.finished(2);
  bar.draw();
  EXPECT_EQ(err.str(), "\r[############............] 2/4 particles  EX 1  ATT 0  REM 1  0:10 "
                       "elapsed, about 0:20 left\x1b[K");
  bar.stop();
  EXPECT_EQ(err.str().back(), '\n');
}

// The bar goes to standard error on a terminal only, never to standard output.
TEST(ProgressBar, DrawnOnATerminalOnlyAndNeverOnStandardOutput) {
  const fs::path dir = fresh_directory("progress-terminal");
  write_text(dir / "INPUT.IN",
             input_with({{"NPART", "2"}, {"VSUP", "4.0e-4"}, {"RLIM", "2.0e-5"}, {"TTIME", "4"}}));
  for (const bool quiet : {false, true}) {
    int terminal = -1, child_side = -1;
    ASSERT_EQ(openpty(&terminal, &child_side, nullptr, nullptr, nullptr), 0);
    const pid_t child = fork();
    if (child == 0) {
      close(terminal);
      if (chdir(dir.c_str()) != 0 || dup2(child_side, 2) < 0) _exit(126);
      const int out = open("console.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0 || dup2(out, 1) < 0) _exit(126);
      if (quiet) {
        execl(COLLOIDSIM_EXECUTABLE, COLLOIDSIM_EXECUTABLE, "--seed", "1", "--quiet",
              static_cast<char*>(nullptr));
      } else {
        execl(COLLOIDSIM_EXECUTABLE, COLLOIDSIM_EXECUTABLE, "--seed", "1", static_cast<char*>(nullptr));
      }
      _exit(127);
    }
    close(child_side);
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, n);
    close(terminal);
    EXPECT_EQ(wait_for(child), 0);
    if (quiet) {
      EXPECT_EQ(shown, "");
    } else {
      EXPECT_NE(shown.find("2/2 particles"), std::string::npos) << shown;
      EXPECT_NE(shown.find("done"), std::string::npos) << shown;
    }
    EXPECT_EQ(read_text(dir / "console.txt").find("particles"), std::string::npos);
  }
  // Standard error not a terminal: nothing on it.
  ASSERT_EQ(wait_for(start_program(dir, {"--seed", "1"})), 0);
  EXPECT_EQ(read_text(dir / "stderr.txt"), "");
}

}  // namespace
}  // namespace colloidsim
