// Runs spread over a cluster: blocks of particles in one-particle mode, and
// their numbered files merged back into the files of an all-particles run.
#include <algorithm>
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
  const Files expected = testing::output_files(singles);
  EXPECT_EQ(expected.size(), 18u);
  EXPECT_TRUE(testing::output_files(block) == expected);
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
    EXPECT_EQ(testing::output_files(dir).size(), 0u) << c.block;
  }
}

// Particles 1..5 of quick(), as a block in one-particle mode, seed 7.
fs::path block_run(const std::string& name) {
  const fs::path dir = fresh_directory(name);
  write_text(dir / "INPUT.IN", input_with(quick("1")));
  EXPECT_EQ(run(dir, {"--seed", "7", "5", "1-5"}), 0);
  return dir;
}

Files flux_files(const fs::path& dir) {
  Files files;
  for (const char* name : {"FLUXEX.OUT", "FLUXATT.OUT", "FLUXREM.OUT"}) {
    if (fs::exists(dir / name)) files[name] = read_text(dir / name);
  }
  return files;
}

TEST(Merge, NumberedFilesMergeIntoTheAllParticlesRunByteForByte) {
  const fs::path numbered = block_run("merge-numbered");
  ASSERT_EQ(run(numbered, {"merge"}), 0);
  const fs::path all = fresh_directory("merge-all");
  write_text(all / "INPUT.IN", input_with(quick("0")));
  ASSERT_EQ(run(all, {"--seed", "7"}), 0);
  const Files expected = testing::output_files(all);
  const Files merged = testing::output_files(numbered);
  EXPECT_EQ(flux_files(numbered).size(), 3u);
  // The merged flux files and every trajectory file are the all-particles run's.
  for (const auto& [name, text] : expected) {
    EXPECT_TRUE(merged.count(name) && merged.at(name) == text) << name;
  }
}

TEST(Merge, EveryProblemIsNamedAndNothingIsWritten) {
  const fs::path dir = block_run("merge-problems");
  const fs::path other = fresh_directory("merge-other-run");
  Values changed = quick("1");
  changed.push_back({"VSUP", "5.0e-4"});
  write_text(other / "INPUT.IN", input_with(changed));
  ASSERT_EQ(run(other, {"--seed", "7", "5", "3"}), 0);

  // Particle 3 from another run, particle 4 missing, particle 2 in two
  // families, particle 5's row cut short.
  for (const char* family : {"EX", "ATT", "REM"}) {
    const std::string three = std::string("VORNEKFLUX") + family + ".3.OUT";
    fs::copy_file(other / three, dir / three, fs::copy_options::overwrite_existing);
    fs::remove(dir / (std::string("VORNEKFLUX") + family + ".4.OUT"));
  }
  std::string row2;
  for (const char* family : {"EX", "ATT", "REM"}) {
    const std::string text = read_text(dir / (std::string("VORNEKFLUX") + family + ".2.OUT"));
    const std::size_t at = text.find("\n000002 ");
    if (at != std::string::npos) row2 = text.substr(at + 1);
  }
  ASSERT_FALSE(row2.empty());
  const char fate = row2[11];
  row2[11] = fate == '1' ? '3' : '1';  // a fate of another family
  const std::string twice = std::string("VORNEKFLUX") + (fate == '1' ? "REM" : "EX") + ".2.OUT";
  ASSERT_EQ(read_text(dir / twice).find("\n000002 "), std::string::npos);
  write_text(dir / twice, read_text(dir / twice) + row2);
  for (const char* family : {"EX", "ATT", "REM"}) {
    const fs::path five = dir / (std::string("VORNEKFLUX") + family + ".5.OUT");
    const std::string text = read_text(five);
    if (text.find("\n000005 ") != std::string::npos) write_text(five, text.substr(0, text.size() - 60));
  }

  std::string err;
  EXPECT_EQ(run(dir, {"merge"}, &err), 1);
  for (const std::string& words :
       {std::string("VORNEKFLUXEX.3.OUT"), std::string("VORNEKFLUXATT.3.OUT"),
        std::string("VORNEKFLUXREM.3.OUT"), std::string("a second row of particle 2; its first is in"),
        std::string(".5.OUT, line 7: the last row has no line end"),
        std::string("particles without a numbered flux row: 4-5")}) {
    EXPECT_NE(err.find(words), std::string::npos) << words << " in\n" << err;
  }
  EXPECT_TRUE(flux_files(dir).empty());
}

TEST(Merge, ABlockedNameStopsTheMergeBeforeAnyFluxFileIsReplaced) {
  const fs::path dir = block_run("merge-blocked");
  write_text(dir / "FLUXEX.OUT", "an earlier merge\n");
  write_text(dir / "RUN.json", "{\"mode\": \"merge\"}\n");
  fs::create_directory(dir / "FLUXREM.OUT");
  std::string err;
  EXPECT_EQ(run(dir, {"merge"}, &err), 1);
  EXPECT_EQ(err, "colloidsim: FLUXREM.OUT: cannot create the file (Is a directory)\n");
  EXPECT_EQ(read_text(dir / "FLUXEX.OUT"), "an earlier merge\n");
  EXPECT_FALSE(fs::exists(dir / "FLUXATT.OUT"));
  // The record's name too is checked before the first flux file is written.
  fs::remove(dir / "FLUXREM.OUT");
  fs::remove(dir / "RUN.json");
  fs::remove(dir / "FLUXEX.OUT");
  fs::create_directory(dir / "RUN.json");
  EXPECT_EQ(run(dir, {"merge"}, &err), 1);
  EXPECT_EQ(err, "colloidsim: RUN.json: cannot create the file (Is a directory)\n");
  EXPECT_TRUE(flux_files(dir).empty());
}

TEST(Merge, AllowMissingMergesTheRestAndListsTheMissing) {
  const fs::path dir = block_run("merge-allow-missing");
  for (const char* family : {"EX", "ATT", "REM"}) {
    fs::remove(dir / (std::string("VORNEKFLUX") + family + ".2.OUT"));
    fs::remove(dir / (std::string("VORNEKFLUX") + family + ".4.OUT"));
  }
  std::string err;
  std::ostringstream missing;
  std::ostringstream ignored;
  EXPECT_EQ(run_program({"missing"}, dir, missing, ignored), 0);
  EXPECT_EQ(missing.str(), "2\n4\n");
  std::ostringstream blocks;
  EXPECT_EQ(run_program({"missing", ".", "--block-size", "2"}, dir, blocks, ignored), 0);
  EXPECT_EQ(blocks.str(), "1-2\n");

  EXPECT_EQ(run(dir, {"merge"}, &err), 1);
  EXPECT_TRUE(flux_files(dir).empty());
  std::ostringstream report, error;
  EXPECT_EQ(run_program({"merge", "--allow-missing"}, dir, report, error), 0);
  EXPECT_EQ(error.str(), "colloidsim merge: missing: 2, 4\n");
  const auto rows_of = [&](const char* name) {
    const std::string text = read_text(dir / name);
    return std::to_string(std::count(text.begin(), text.end(), '\n') - 6);
  };
  EXPECT_EQ(report.str(), "colloidsim merge: wrote FLUXEX.OUT, FLUXATT.OUT, FLUXREM.OUT in " +
                              dir.string() + ": 3 of 5 particles (" + rows_of("FLUXEX.OUT") +
                              " EX, " + rows_of("FLUXATT.OUT") + " ATT, " +
                              rows_of("FLUXREM.OUT") + " REM) from 3 numbered file sets\n");
  std::size_t rows = 0;
  for (const auto& [name, text] : flux_files(dir)) {
    rows += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) - 6;
    EXPECT_EQ(text.find("\n000002 "), std::string::npos);
  }
  EXPECT_EQ(rows, 3u);

  // Before any block ran: every block of the run.
  const fs::path empty = fresh_directory("missing-empty");
  std::ostringstream all_blocks;
  EXPECT_EQ(run_program({"missing", "--npart", "10", "--block-size", "3"}, empty, all_blocks, ignored), 0);
  EXPECT_EQ(all_blocks.str(), "1-4\n");
}

// A merge may replace an earlier merge's files, an all-particles run's only
// with --replace; summary calls the merged run merged, and missing reads an
// all-particles run as summary does.
TEST(Merge, OverAnAllParticlesRunOnlyWithReplaceAndMissingReadsSuchRuns) {
  const fs::path dir = block_run("merge-over");
  std::ostringstream text, ignored;
  ASSERT_EQ(run(dir, {"merge"}), 0);
  ASSERT_EQ(run(dir, {"merge"}), 0);
  EXPECT_EQ(run_program({"summary"}, dir, text, ignored), 0);
  EXPECT_NE(text.str().find("FLUXREM.OUT (merged from one-particle runs)\n"), std::string::npos);

  const fs::path all = fresh_directory("merge-over-all");
  write_text(all / "INPUT.IN", input_with(quick("0")));
  ASSERT_EQ(run(all, {"--seed", "7"}), 0);
  fs::copy_file(all / "RUN.json", dir / "RUN.json", fs::copy_options::overwrite_existing);
  const Files before = flux_files(dir);
  std::string err;
  EXPECT_EQ(run(dir, {"merge"}, &err), 1);
  EXPECT_NE(err.find("of an all-particles run (RUN.json: mode \"all particles\"); expected a "
                     "directory without them, or --replace"),
            std::string::npos)
      << err;
  EXPECT_TRUE(flux_files(dir) == before);
  EXPECT_EQ(run(dir, {"merge", "--replace"}), 0);
  EXPECT_TRUE(flux_files(dir) == flux_files(all));

  // The all-particles run with particle 5's row gone, as a stopped run leaves it.
  std::ostringstream none, listed, hint;
  EXPECT_EQ(run_program({"missing"}, all, none, ignored), 0);
  EXPECT_EQ(none.str(), "");
  for (const auto& [name, file] : flux_files(all)) {
    const std::size_t row = file.find("\n000005 ");
    if (row != std::string::npos) write_text(all / name, file.substr(0, row + 1));
  }
  EXPECT_EQ(run_program({"missing"}, all, listed, hint), 0);
  EXPECT_EQ(listed.str(), "5\n");
  EXPECT_NE(hint.str().find("holds an all-particles run; colloidsim --resume"), std::string::npos);
  EXPECT_EQ(run(all, {"missing", "--npart", "6"}, &err), 1);
  EXPECT_NE(err.find("the particle count of the flux files' echo, 5"), std::string::npos) << err;
}

}  // namespace
}  // namespace colloidsim
