#include <gtest/gtest.h>

#include <stdexcept>

#include "io/file_names.h"
#include "io/output_records.h"
#include "simulation/trajectory_buffer.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

TEST(FileNames, ChriAndChrpak) {
  std::string text(6, '#');
  CHRI(text, 6, 0);
  EXPECT_EQ(text, "0     ");
  CHRI(text, 6, -12);
  EXPECT_EQ(text, "-12   ");
  CHRI(text, 6, 1234567);
  EXPECT_EQ(text, "123456");  // cut to N characters

  std::string blank(10, ' ');
  int L = -1;
  CHRPAK(blank, 10, L);
  EXPECT_EQ(L, 0);
  EXPECT_EQ(blank, std::string(10, ' '));

  std::string abc = "A B  C    ";
  CHRPAK(abc, 10, L);
  EXPECT_EQ(L, 3);
  EXPECT_EQ(abc, "ABC       ");

  std::string tabs = "A\tB";
  CHRPAK(tabs, 3, L);
  EXPECT_EQ(L, 3);  // only the blank (code 32) is removed

  std::string many(900, 'x');
  EXPECT_THROW(CHRPAK(many, 900, L), std::runtime_error);
}

TEST(FileNames, NumberedNamesOfBothModesAgree) {
  EXPECT_EQ(numbered_name_one_particle("VORNEKTRAJEX.", 17), "VORNEKTRAJEX.17.OUT");
  EXPECT_EQ(numbered_name_all_particles("VORNEKTRAJEX.", 17), "VORNEKTRAJEX.17.OUT");
  EXPECT_EQ(numbered_name_one_particle("VORNEKFLUXATT.", 1), "VORNEKFLUXATT.1.OUT");
  // A seven-digit particle number keeps every digit, so that two particles
  // never share a file.
  EXPECT_EQ(numbered_name_one_particle("VORNEKFLUXREM.", 1234567), "VORNEKFLUXREM.1234567.OUT");
  EXPECT_EQ(numbered_name_one_particle("VORNEKFLUXREM.", 1234568), "VORNEKFLUXREM.1234568.OUT");
}

// Column where each field of a line starts, found by the header titles and
// checked against the fixed layout worked out by hand: PARTICLE I6.6 + 5X,
// ATTACHK I1 + 7X, then 20-column fields (E15.8 + 5X or I15 + 5X), HETTYPE and
// HETFLAG I1 + 7X.
TEST(FluxFile, TitlesStartInTheFirstColumnOfTheirFields) {
  std::string header;
  append_flux_header(header);
  ASSERT_EQ(header.back(), '\n');
  header.pop_back();
  const std::pair<const char*, std::size_t> titles[] = {
      {"PARTICLE", 0},    {"ATTACHK ", 11},      {"XINIT(m)", 19},  {"RINJ(m)", 59},
      {"XOUT(m)", 139},   {"HOUT(m)", 219},      {"ETIME(s)", 239}, {"TFRIC(s)", 339},
      {"NSVISIT", 359},   {"FRICVISIT", 379},    {"ACONT(m)", 399}, {"AFRACT", 439},
      {"HETTYPE ", 459},  {"HETFLAG ", 467},     {"NSVEL(m/s)", 475}, {"YINNS(m)", 535},
      {"ZINNS(m)", 555}};
  for (const auto& [title, column] : titles) EXPECT_EQ(header.find(title), column) << title;
  EXPECT_EQ(header.size(), 563u);

  FluxRecord r;
  r.IPART = 7;
  r.ATTACHK = 2;
  r.XINIT = -1.5e-5;
  r.NSVISIT = 3;
  r.FRICVISIT = 12;
  r.AFRACT = -1;
  r.HETTYPE = 4;
  r.ZINNS = 2.5e-4;
  std::string line;
  append_flux_record(line, r);
  ASSERT_EQ(line.back(), '\n');
  line.pop_back();
  EXPECT_EQ(line.size(), 570u);
  EXPECT_EQ(line.substr(0, 19), "000007     2       ");
  EXPECT_EQ(line.substr(19, 20), "-0.15000000E-04     ");
  EXPECT_EQ(line.substr(359, 40), std::string(14, ' ') + "3" + std::string(18, ' ') + "12     ");
  EXPECT_EQ(line.substr(439, 36), "-0.10000000E+01     4       0       ");
  EXPECT_EQ(line.substr(555), " 0.25000000E-03");
}

TEST(TrajectoryFile, FateLineHeaderAndRowLayout) {
  std::string text;
  append_fate_line(text, 3);
  EXPECT_EQ(text, "ATTACHK=     3\n");

  std::string header;
  append_trajectory_header(header);
  EXPECT_EQ(header.substr(0, 40), "I                   X                   ");
  EXPECT_EQ(header.find("AFRACT"), 28u * 20u);
  EXPECT_EQ(header.size(), 28u * 20u + 7u);

  TrajectoryRow row;
  row.ISTEP = 42;
  row.X = 1.0;
  row.AFRACT = -1.0;
  std::string line;
  append_trajectory_row(line, row);
  EXPECT_EQ(line.size(), 15u + 28u * 20u + 1u);
  EXPECT_EQ(line.substr(0, 40), "000000000000042      0.10000000E+01     ");
  EXPECT_EQ(line.substr(line.size() - 16), "-0.10000000E+01\n");
}

TEST(Console, ProgressLineLayout) {
  std::string line;
  append_progress_line(line, 3, 1000, 2.9e-4, -1.25e-4, 3.0e-5, -1.0);
  EXPECT_EQ(line,
            "J=      3 I=            1000 R=  0.29000E-03 Z= -0.12500000E-03 H=  0.30000E-04"
            " AFRACT= -0.10000E+01\n");
}

TEST(Thinning, StrideFirstAndLastRows) {
  // PRINTMAX above the row count: stride 1, every row once.
  std::vector<int> all(7);
  for (int k = 0; k < 7; ++k) all[static_cast<std::size_t>(k)] = k + 1;
  EXPECT_EQ(thinned_rows(7, 1, 1000), all);
  // IREC 20, PRINTMAX 5: stride 5; rows 1, 6, 11, 16 (<= 18), then 17..20.
  EXPECT_EQ(thinned_rows(20, 1, 5), (std::vector<int>{1, 6, 11, 16, 17, 18, 19, 20}));
  // After the buffer wrapped twice (W = 3): rows 1, 2 always, then from 3.
  EXPECT_EQ(thinned_rows(12, 3, 2), (std::vector<int>{1, 2, 3, 10, 11, 12}));
  // A single row.
  EXPECT_EQ(thinned_rows(1, 1, 1), (std::vector<int>{1}));
}

TEST(TrajectoryBuffer, WrapKeepsTheFirstRowsAndOverwritesFromRowTwo) {
  TrajectoryBuffer buffer;
  TrajectoryRow row;
  for (int i = 1; i <= TrajectoryBuffer::ROWS; ++i) {
    row.ISTEP = i;
    buffer.store(row);
  }
  EXPECT_EQ(buffer.wrap_index(), 2);
  EXPECT_EQ(buffer.record_index(), 2);
  row.ISTEP = 50001;
  buffer.store(row);
  EXPECT_EQ(buffer.row(1).ISTEP, 1);
  EXPECT_EQ(buffer.row(2).ISTEP, 50001);
  EXPECT_EQ(buffer.row(3).ISTEP, 3);  // still the first pass
  // Second wrap: rows 2..50000 hold the second pass; the third starts at row 3.
  for (int i = 50002; i <= 50000 + 49999; ++i) {
    row.ISTEP = i;
    buffer.store(row);
  }
  EXPECT_EQ(buffer.wrap_index(), 3);
  EXPECT_EQ(buffer.record_index(), 3);
  row.ISTEP = -1;
  EXPECT_EQ(buffer.store_final(row), 3);
  EXPECT_EQ(buffer.row(2).ISTEP, 50001);
  EXPECT_EQ(buffer.row(3).ISTEP, -1);
  EXPECT_EQ(buffer.row(4).ISTEP, 50000 + 3);
  EXPECT_EQ(buffer.rows_stored(), TrajectoryBuffer::ROWS);
}

TEST(TrajectoryBuffer, TheNextParticleStartsEmptyAndReadsOnlyItsOwnRows) {
  TrajectoryBuffer buffer;
  TrajectoryRow row;
  for (int i = 1; i <= 1000; ++i) {
    row.ISTEP = i;
    row.X = 1.0;
    buffer.store(row);
  }
  EXPECT_EQ(buffer.rows_stored(), 1000);
  buffer.reset();
  EXPECT_EQ(buffer.rows_stored(), 0);
  EXPECT_EQ(buffer.record_index(), 1);
  TrajectoryRow fresh;
  fresh.ISTEP = 7;
  buffer.store(fresh);
  fresh.ISTEP = 8;
  EXPECT_EQ(buffer.store_final(fresh), 2);
  // Every row the file layout will read is this particle's, fully written.
  EXPECT_EQ(buffer.rows_stored(), 2);
  EXPECT_EQ(buffer.row(1).ISTEP, 7);
  EXPECT_EQ(buffer.row(2).ISTEP, 8);
  EXPECT_EQ(buffer.row(2).X, 0.0);
}

}  // namespace
}  // namespace colloidsim
