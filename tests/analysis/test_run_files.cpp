// Reading a finished run's flux files: rows as written, every problem named
// by file and line, and the numbered files of one-particle runs read as the
// same run.
#include "analysis/run_files.h"

#include <cmath>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

#include "common/input_error.h"
#include "tests/constructed_run.h"

namespace colloidsim {
namespace {

namespace fs = std::filesystem;
using testing::favorable_parameters;
using testing::flux_row;
using testing::fresh_directory;
using testing::read_text;
using testing::write_all_particles_run;
using testing::write_numbered_run;
using testing::write_text;

std::vector<std::string> problem_texts(const RunFiles& run) {
  std::vector<std::string> texts;
  for (const RunProblem& p : run.problems) texts.push_back(describe(p));
  return texts;
}

TEST(FluxRow, ReadsBackWhatTheWriterWrites) {
  // Values whose E15.8 form is unusual: three-digit exponents (no letter),
  // the smallest subnormal, signed zero, NaN and infinities; integers wider
  // than their fields.
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {1.5e-152, -2.5e+200, 5e-324,
                           -0.0,     0.0,       std::numeric_limits<double>::quiet_NaN(),
                           inf,      -inf,      0.99999999951};
  for (const double v : values) {
    FluxRecord r = testing::flux_row(1234567, 4);
    r.XINIT = v;
    r.ZINNS = v;
    r.NSVISIT = 2147483647;
    r.FRICVISIT = -12;
    r.HETTYPE = 73;
    std::string written;
    append_flux_record(written, r);
    written.pop_back();
    FluxRecord back;
    std::string error;
    ASSERT_TRUE(parse_flux_row(written, back, error)) << v << ": " << error;
    std::string again;
    append_flux_record(again, back);
    again.pop_back();
    EXPECT_EQ(again, written) << v;
    EXPECT_EQ(back.IPART, 1234567);
    EXPECT_EQ(back.NSVISIT, 2147483647);
    EXPECT_EQ(back.FRICVISIT, -12);
    EXPECT_EQ(back.HETTYPE, 73);
    EXPECT_EQ(std::signbit(back.XINIT), std::signbit(v)) << v;
    if (v == 1.5e-152) {
      EXPECT_NE(written.find(" 0.15000000-151 "), std::string::npos);
      EXPECT_DOUBLE_EQ(back.XINIT, v);
    }
  }
  for (const char* bad : {"1.0E-05", "0.12345678E-5", "0.12345678-15", "0.1234D+01", "nan",
                          "+0.1E+01", "0.E+01", "0.12345678E+0x", "0.12345678", ""}) {
    double value = 0;
    EXPECT_FALSE(parse_fixed_real(bad, value)) << bad;
  }
}

// A run of three particles (fates 1, 2, 5) and the change each case makes.
TEST(RunFileReader, EveryProblemIsNamedByFileAndLine) {
  const RunParameters p = favorable_parameters(3);
  const auto append = [](const fs::path& file, const FluxRecord& r) {
    std::string text = read_text(file);
    append_flux_record(text, r);
    write_text(file, text);
  };
  const auto replace = [](const fs::path& file, const std::string& from, const std::string& to,
                          std::size_t after = 0) {
    std::string text = read_text(file);
    const std::size_t at = text.find(from, after);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    write_text(file, text);
  };
  const auto row7 = [](const fs::path& file) {
    const std::string text = read_text(file);
    std::size_t at = 0;
    for (int line = 1; line < 7; ++line) at = text.find('\n', at) + 1;
    return at;
  };
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> change;
    std::vector<std::string> problems;
  };
  const std::vector<Case> cases = {
      {"whole", [](const fs::path&) {}, {}},
      {"bad-field",
       [&](const fs::path& d) {
         replace(d / "FLUXATT.OUT", "0.10000000E-04", "0.1000000OE-04", row7(d / "FLUXATT.OUT"));
       },
       {"FLUXATT.OUT, line 7: field 5 (RINJ(m)): found \"0.1000000OE-04\"; expected a real in "
        "the E15.8 form"}},
      {"short-row",
       [&](const fs::path& d) {
         std::string text = read_text(d / "FLUXREM.OUT");
         text.erase(text.size() - 21, 20);
         write_text(d / "FLUXREM.OUT", text);
       },
       {"FLUXREM.OUT, line 7: found a row of 30 fields; expected the 31 fields of a flux row"}},
      {"cut-short",
       [&](const fs::path& d) {
         std::string text = read_text(d / "FLUXREM.OUT");
         write_text(d / "FLUXREM.OUT", text.substr(0, text.size() - 1));
       },
       {"FLUXREM.OUT, line 7: the last row has no line end (its write was cut short)"}},
      {"fate-of-another-family",
       [&](const fs::path& d) { append(d / "FLUXATT.OUT", flux_row(3, 3)); },
       {"FLUXATT.OUT, line 8: particle 3 has fate 3, which belongs in the REM files, not the "
        "ATT files"}},
      {"duplicate",
       [&](const fs::path& d) { append(d / "FLUXREM.OUT", flux_row(2, 3)); },
       {"FLUXREM.OUT, line 8: a second row of particle 2; its first is in FLUXATT.OUT, line 7"}},
      {"beyond-NPART",
       [&](const fs::path& d) { append(d / "FLUXEX.OUT", flux_row(4, 1)); },
       {"FLUXEX.OUT, line 8: particle 4 is not one of 1..NPART = 3"}},
      {"mixed-runs",
       [&](const fs::path& d) {
         replace(d / "FLUXREM.OUT", "VSUP(m/s)=  0.40000000E-05", "VSUP(m/s)=  0.50000000E-05");
       },
       {"FLUXREM.OUT: its echo differs from that of FLUXEX.OUT (a file of another run): "
        "VSUP(m/s) is 0.50000000E-05 here, 0.40000000E-05 there"}},
      {"missing-file",
       [&](const fs::path& d) { fs::remove(d / "FLUXREM.OUT"); },
       {"FLUXREM.OUT: missing; an all-particles run writes FLUXEX.OUT, FLUXATT.OUT and "
        "FLUXREM.OUT"}},
      {"echo-label",
       [&](const fs::path& d) { replace(d / "FLUXATT.OUT", "POROSITY=", "POROSITI="); },
       {"FLUXATT.OUT, line 1: found the echo label \"POROSITI\"; expected \"POROSITY\""}},
      {"echo-value",
       [&](const fs::path& d) { replace(d / "FLUXATT.OUT", "CBGRAV=  1", "CBGRAV= 1.0"); },
       {"FLUXATT.OUT, line 2: found CBGRAV = \"1.0\"; expected an integer"}},
      {"legend",
       [&](const fs::path& d) { replace(d / "FLUXEX.OUT", "ATTACHK6=CRASHED", "ATTACHK6=CRASH"); },
       {"FLUXEX.OUT, line 5: found another line; expected the fate legend \"ATTACHK1=EXIT,...\""}},
  };
  for (const Case& c : cases) {
    const fs::path dir = fresh_directory(std::string("run-files-") + c.name);
    write_all_particles_run(dir, testing::flux_head(p),
                            {flux_row(1, 1), flux_row(2, 2), flux_row(3, 5)});
    c.change(dir);
    const RunFiles run = read_run_files(dir);
    EXPECT_EQ(problem_texts(run), c.problems) << c.name;
    EXPECT_EQ(run.layout, RunLayout::AllParticles) << c.name;
  }
}

TEST(RunFileReader, NumberedFilesAreTheSameRunAsTheAllParticlesFiles) {
  const RunParameters p = favorable_parameters(6);
  const std::vector<FluxRecord> rows = {flux_row(5, 2), flux_row(1, 1), flux_row(2, 6),
                                        flux_row(3, 3), flux_row(6, 5)};
  const fs::path all = fresh_directory("run-files-all");
  const fs::path numbered = fresh_directory("run-files-numbered");
  const fs::path merged = fresh_directory("run-files-merged");
  write_all_particles_run(all, testing::flux_head(p), rows);
  write_numbered_run(numbered, testing::flux_head(p), rows);
  write_all_particles_run(merged, testing::flux_head(p), rows);
  write_numbered_run(merged, testing::flux_head(p), rows);

  const RunFiles a = read_run_files(all);
  const RunFiles n = read_run_files(numbered);
  const RunFiles m = read_run_files(merged);
  const RunFiles mn = read_run_files(merged, RunFileChoice::Numbered);
  EXPECT_EQ(a.layout, RunLayout::AllParticles);
  EXPECT_EQ(n.layout, RunLayout::Numbered);
  EXPECT_EQ(m.layout, RunLayout::AllParticles);
  EXPECT_EQ(mn.layout, RunLayout::Numbered);
  EXPECT_EQ(n.files.size(), 15u);
  for (const RunFiles* run : {&a, &n, &m, &mn}) {
    EXPECT_TRUE(run->problems.empty()) << describe(run->problems.front());
    EXPECT_EQ(run->NPART, 6);
    EXPECT_EQ(run->echo.text, a.echo.text);
    EXPECT_EQ(run->missing, (std::vector<std::pair<std::int32_t, std::int32_t>>{{4, 4}}));
    for (int f = 0; f < 3; ++f) {
      ASSERT_EQ(run->rows[f].size(), a.rows[f].size());
      for (std::size_t k = 0; k < a.rows[f].size(); ++k) {
        EXPECT_EQ(run->rows[f][k].text, a.rows[f][k].text);
      }
    }
  }
  // All-particles rows keep file order; per family they are sorted anyway.
  EXPECT_EQ(a.rows[1][0].record.IPART, 2);
  EXPECT_EQ(a.rows[1][1].record.IPART, 5);
  EXPECT_EQ(a.file_name(a.rows[1][1]), "FLUXATT.OUT");
  EXPECT_EQ(n.file_name(n.rows[1][1]), "VORNEKFLUXATT.5.OUT");
  EXPECT_EQ(n.rows[1][1].line, 7);

  // A set that lacks a file, a numbered file with a second row, and one
  // holding another particle's row.
  fs::remove(numbered / "VORNEKFLUXREM.3.OUT");
  std::string text = read_text(numbered / "VORNEKFLUXEX.1.OUT");
  append_flux_record(text, flux_row(1, 1));
  write_text(numbered / "VORNEKFLUXEX.1.OUT", text);
  fs::copy_file(numbered / "VORNEKFLUXATT.5.OUT", numbered / "VORNEKFLUXATT.6.OUT",
                fs::copy_options::overwrite_existing);
  EXPECT_EQ(problem_texts(read_run_files(numbered)),
            (std::vector<std::string>{
                "VORNEKFLUXREM.3.OUT: missing; a one-particle run writes three numbered flux "
                "files, and VORNEKFLUXATT.3.OUT is here",
                "VORNEKFLUXEX.1.OUT, line 8: a second row; a numbered file holds the row of its "
                "own particle only",
                "VORNEKFLUXATT.6.OUT, line 7: the row of particle 5 in a file of particle 6"}));

  const fs::path empty = fresh_directory("run-files-empty");
  EXPECT_THROW(read_run_files(empty), InputError);
  EXPECT_THROW(read_run_files(all, RunFileChoice::Numbered), InputError);
}

}  // namespace
}  // namespace colloidsim
