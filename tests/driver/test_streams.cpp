// The program meets its streams and files: closed or full standard streams,
// output names that are blocked, a disk that fills during the run.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/input_error.h"
#include "driver/program.h"
#include "io/output_file.h"
#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

namespace fs = std::filesystem;
using testing::Outcome;
using testing::run_in;
using Files = std::map<std::string, std::string>;
using testing::fresh_directory;
using testing::input_with;
using testing::read_text;
using testing::write_text;

Files files_of(const fs::path& dir) {
  Files files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    files[entry.path().filename().string()] = entry.is_directory() ? "<dir>" : read_text(entry.path());
  }
  return files;
}

// The same without the run records, which hold times.
Files without_records(Files files) {
  std::erase_if(files, [](const auto& f) { return testing::is_run_bookkeeping(f.first); });
  return files;
}

// Particles that end within a few thousand steps each; NOUT = 0 keeps every
// trajectory file within one 4 KB page.
std::string fast_input(int npart) {
  return input_with({{"NPART", std::to_string(npart)}, {"VSUP", "4.0e-4"}, {"RLIM", "2.0e-5"},
                     {"TTIME", "4"}, {"NOUT", "0"}});
}

// The program in dir as a child process, its standard output going to
// `stdout_to` ("" closes it, as `>&-` does; standard input is closed too).
// Returns the exit status; standard error is in dir/stderr.txt.
int run_child(const fs::path& dir, const std::vector<std::string>& args, const std::string& stdout_to) {
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err < 0 || dup2(err, 2) < 0) _exit(126);
    close(err);
    close(1);
    if (!stdout_to.empty() && open(stdout_to.c_str(), O_WRONLY) != 1) _exit(126);
    close(0);
    std::vector<char*> argv = {const_cast<char*>(COLLOIDSIM_EXECUTABLE)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(COLLOIDSIM_EXECUTABLE, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(Streams, ClosedStandardOutputKeepsTheConsoleOutOfTheFiles) {
  const fs::path dir = fresh_directory("streams-closed");
  write_text(dir / "INPUT.IN", fast_input(2));
  ASSERT_EQ(run_child(dir, {"--seed", "1", "--quiet"}, ""), 0) << read_text(dir / "stderr.txt");
  EXPECT_EQ(read_text(dir / "stderr.txt"), "");
  for (const auto& [name, text] : files_of(dir)) {
    if (name == "INPUT.IN" || name == "stderr.txt") continue;
    if (testing::is_run_bookkeeping(name)) {
      EXPECT_EQ(text.rfind("{", 0), 0u) << name << " is not the run record";
      EXPECT_EQ(text.find("J= "), std::string::npos) << name << " holds console lines";
      continue;
    }
    EXPECT_EQ(text.rfind("NPART=", 0), 0u) << name << " does not start with the echo";
    EXPECT_EQ(text.find("J= "), std::string::npos) << name << " holds console lines";
  }
}

TEST(Streams, AFullStandardOutputEndsEveryCommandWithStatusOneAndAMessage) {
  const fs::path dir = fresh_directory("streams-full");
  write_text(dir / "INPUT.IN", fast_input(2));
  ASSERT_EQ(run_in(dir, {"--seed", "1"}).status, 0);
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--seed", "1", "--quiet"}, "colloidsim: standard output: cannot write the progress lines\n"},
      {{"--help"}, "colloidsim: standard output: cannot write the program's output\n"},
      {{"--version"}, "colloidsim: standard output: cannot write the program's output\n"},
      {{"summary"}, "colloidsim: standard output: cannot write the program's output\n"},
      {{"summary", "--help"}, "colloidsim: standard output: cannot write the program's output\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run_child(dir, c.args, "/dev/full"), 1) << c.args[0];
    EXPECT_EQ(read_text(dir / "stderr.txt"), c.message) << c.args[0];
  }
}

TEST(BlockedNames, AFileThatCannotBeMadeStopsTheRunBeforeAnyFileChanges) {
  const struct {
    const char* blocked;
    std::vector<std::string> args;
    int cluster;
  } cases[] = {
      {"FLUXREM.OUT", {}, 0},
      {"VORNEKTRAJEX.2.OUT.tmp", {}, 0},
      // rename() over a directory fails only when the particle is finished.
      {"VORNEKTRAJREM.3.OUT", {}, 0},
      {"VORNEKFLUXATT.3.OUT", {"3", "2-3"}, 1},
      {"VORNEKTRAJEX.2.OUT.tmp", {"3", "2"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.blocked);
    const fs::path dir = fresh_directory("blocked");
    std::string input = fast_input(3);
    if (c.cluster == 1) input.replace(input.find("3 0 0"), 5, "3 0 1");
    write_text(dir / "INPUT.IN", input);
    // What an earlier run left.
    for (const char* name : {"FLUXEX.OUT", "FLUXATT.OUT", "VORNEKTRAJEX.2.OUT", "VORNEKFLUXEX.2.OUT"}) {
      write_text(dir / name, std::string("earlier run's ") + name + "\n");
    }
    fs::create_directory(dir / c.blocked);
    const Files before = files_of(dir);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--seed", "1", "--threads", "1"});
    const Outcome o = run_in(dir, args);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, std::string("colloidsim: ") + c.blocked + ": cannot create the file (Is a directory)\n");
    EXPECT_EQ(o.out, "");
    EXPECT_TRUE(files_of(dir) == before) << "a file changed";
  }
  // A stopped run whose flux file is a directory is not resumed.
  const fs::path dir = fresh_directory("blocked-resume");
  write_text(dir / "INPUT.IN", fast_input(3));
  fs::create_directory(dir / "FLUXEX.OUT");
  const Outcome o = run_in(dir, {"--seed", "1", "--resume"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "colloidsim: FLUXEX.OUT: it is not a regular file (a directory?); --resume "
                   "continues only a run of the same INPUT.IN in this directory\n");
}

// A small tmpfs mounted on a fresh directory: a disk that fills. Mounting
// needs root; without it the tests that use one are skipped.
class Tmpfs {
 public:
  Tmpfs(const std::string& name, std::size_t bytes) : dir_(fresh_directory(name)) {
    mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, options(bytes).c_str()) == 0;
  }
  ~Tmpfs() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  bool remount(std::size_t bytes, bool read_only = false) {
    const unsigned long flags = MS_REMOUNT | (read_only ? MS_RDONLY : 0);
    return ::mount("tmpfs", dir_.c_str(), "tmpfs", flags, options(bytes).c_str()) == 0;
  }
  bool mounted() const { return mounted_; }
  const fs::path& dir() const { return dir_; }

 private:
  static std::string options(std::size_t bytes) { return "size=" + std::to_string(bytes); }
  fs::path dir_;
  bool mounted_ = false;
};

constexpr std::size_t PAGE = 4096;

TEST(FullDisk, AFailedWriteLeavesTheFileAtItsLastWholeText) {
  Tmpfs disk("full-disk-file", 2 * PAGE);
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs (needs root)";
  const std::string head(1000, 'h');
  const std::string row = std::string(570, 'r') + "\n";
  std::size_t rows = 0;
  try {
    OutputFile file(disk.dir(), "FLUX", OutputFile::Mode::REPLACE);
    file.write(head);
    for (; rows < 100; ++rows) file.write(row);
    FAIL() << "the disk never filled";
  } catch (const InputError& e) {
    EXPECT_STREQ(e.what(), "FLUX: cannot write to the file (No space left on device)");
  }
  // 1000 + 12 rows of 571 fill 7852 of the 8192 bytes; the 13th is torn by
  // the disk and cut away.
  EXPECT_EQ(rows, 12u);
  EXPECT_EQ(read_text(disk.dir() / "FLUX"), head + [&] {
    std::string all;
    for (std::size_t k = 0; k < rows; ++k) all += row;
    return all;
  }());
  // Appending finds the whole rows and goes on after them.
  ASSERT_TRUE(disk.remount(4 * PAGE));
  {
    OutputFile file(disk.dir(), "FLUX", OutputFile::Mode::APPEND);
    file.write(row);
  }
  EXPECT_EQ(fs::file_size(disk.dir() / "FLUX"), head.size() + (rows + 1) * row.size());
}

TEST(FullDisk, ARunStoppedByAFullDiskLeavesWholeRowsAndResumesToTheUninterruptedFiles) {
  const fs::path whole = fresh_directory("full-disk-whole");
  write_text(whole / "INPUT.IN", fast_input(12));
  ASSERT_EQ(run_in(whole, {"--seed", "1", "--threads", "1"}).status, 0);
  const Files expected = without_records(files_of(whole));

  // Disks of 4 KB pages more and more: the run stops at a trajectory file or
  // at a flux row, until one that takes the whole run.
  int flux_failures = 0;
  for (std::size_t pages = 4; pages < 60; ++pages) {
    SCOPED_TRACE(std::to_string(pages) + " pages");
    Tmpfs disk("full-disk-run", pages * PAGE);
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs (needs root)";
    write_text(disk.dir() / "INPUT.IN", fast_input(12));
    const Outcome stopped = run_in(disk.dir(), {"--seed", "1", "--threads", "1"});
    if (stopped.status == 0) break;
    ASSERT_NE(stopped.err.find("(No space left on device)"), std::string::npos) << stopped.err;
    const bool at_flux_row = stopped.err.rfind("colloidsim: FLUX", 0) == 0;
    for (const auto& [name, text] : files_of(disk.dir())) {
      if (name.rfind("FLUX", 0) != 0) continue;
      // The beginning of the uninterrupted file, ending at a whole line.
      EXPECT_TRUE(text.empty() || text.back() == '\n') << name << " ends in a torn row";
      EXPECT_EQ(expected.at(name).compare(0, text.size(), text), 0) << name;
    }
    if (!at_flux_row) continue;
    // Room again: the run goes on from its last whole rows.
    ++flux_failures;
    ASSERT_TRUE(disk.remount(1 << 20));
    const Outcome resumed = run_in(disk.dir(), {"--seed", "1", "--threads", "2", "--resume"});
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_TRUE(without_records(files_of(disk.dir())) == expected) << "the resumed files differ";
  }
  EXPECT_GT(flux_failures, 0) << "no disk size stopped the run at a flux row";
}

TEST(FullDisk, AReadOnlyDirectoryIsReportedBeforeAnyFile) {
  Tmpfs disk("read-only", 16 * PAGE);
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs (needs root)";
  write_text(disk.dir() / "INPUT.IN", fast_input(1));
  ASSERT_TRUE(disk.remount(16 * PAGE, true));
  const Outcome o = run_in(disk.dir(), {"--seed", "1"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "colloidsim: " + disk.dir().string() +
                       ": cannot create files in it (Read-only file system)\n");
}

}  // namespace
}  // namespace colloidsim
