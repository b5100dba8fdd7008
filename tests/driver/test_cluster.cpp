// Runs spread over a cluster: blocks of particles in one-particle mode, and
// their numbered files merged back into the files of an all-particles run.
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "driver/program.h"
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
using testing::write_text;

// Five quick particles of the favorable example (fast flow, narrow disc).
Values quick(const char* CLUSTER) {
  return {{"NPART", "5"}, {"CLUSTER", CLUSTER}, {"VSUP", "4.0e-4"}, {"RLIM", "2.0e-5"},
          {"TTIME", "4"}, {"NOUT", "100"}};
}

Files files_of(const fs::path& dir) {
  Files files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name != "INPUT.IN") files[name] = read_text(entry.path());
  }
  return files;
}

int run(const fs::path& dir, const std::vector<std::string>& args, std::string* err = nullptr) {
  std::ostringstream out, error;
  const int status = run_program(args, dir, out, error);
  if (err) *err = error.str();
  return status;
}

TEST(Blocks, ABlockWritesEveryParticlesFilesAsItsOwnRunWould) {
  const std::string input = input_with(quick("1"));
  const fs::path singles = fresh_directory("block-singles");
  write_text(singles / "INPUT.IN", input);
  for (const char* n : {"2", "3", "4"}) ASSERT_EQ(run(singles, {"--seed", "7", "5", n}), 0);
  const fs::path block = fresh_directory("block-2-4");
  write_text(block / "INPUT.IN", input);
  ASSERT_EQ(run(block, {"--seed", "7", "-j", "2", "5", "2-4"}), 0);
  const Files expected = files_of(singles);
  EXPECT_EQ(expected.size(), 18u);
  EXPECT_TRUE(files_of(block) == expected);
}

TEST(Blocks, BadBlocksGiveOneMessageAndNoFile) {
  const fs::path dir = fresh_directory("block-bad");
  write_text(dir / "INPUT.IN", input_with(quick("1")));
  const struct {
    const char* block;
    const char* words;
  } cases[] = {
      {"4-2", "found the block 4-2; expected a block A-B with 1 <= A <= B <= NPART = 5"},
      {"3-6", "found the block 3-6; expected a block A-B with 1 <= A <= B <= NPART = 5"},
      {"0-2", "found the block 0-2; expected a block A-B"},
      {"0", "found 0; expected a particle number in 1..5"},
      {"a-b", "found \"a-b\"; expected a particle number, or a block A-B of particle numbers"},
  };
  for (const auto& c : cases) {
    std::string err;
    EXPECT_EQ(run(dir, {"5", c.block}, &err), 1) << c.block;
    EXPECT_NE(err.find(c.words), std::string::npos) << err;
    EXPECT_EQ(files_of(dir).size(), 0u) << c.block;
  }
}

}  // namespace
}  // namespace colloidsim
