#include "io/parameter_file.h"
#include "io/restart_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "common/input_error.h"
#include "io/echo.h"
#include "io/validation.h"
#include "simulation/setup.h"
#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::fresh_directory;
using testing::read_text;
using testing::source_path;
using testing::split_lines;
using testing::write_text;

// The example as the tests take it: 10 particles within RLIM = 120 um.
std::string favorable_text() { return testing::input_with({}); }

// Replaces the first occurrence of `from` in the text.
std::string edited(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

ParameterFile read_text_as_parameter_file(const std::string& text, const std::string& name) {
  const auto dir = fresh_directory(name);
  write_text(dir / "INPUT.IN", text);
  return read_parameter_file(dir / "INPUT.IN");
}

std::string error_of(const std::string& text, const std::string& name) {
  try {
    validate_parameters(read_text_as_parameter_file(text, name));
  } catch (const InputError& e) {
    return e.what();
  }
  return "no error";
}

TEST(ParameterFile, ReadsEveryGroupOfTheFavorableExample) {
  const RunParameters p = read_parameter_file(source_path("examples/favorable/INPUT.IN")).parameters;
  EXPECT_EQ(p.NPART, 400);
  EXPECT_EQ(p.RLIM, 1.6e-4);
  EXPECT_EQ(p.ATTMODE, 0);
  EXPECT_EQ(p.CLUSTER, 0);
  EXPECT_EQ(p.VSUP, 4.0e-6);
  EXPECT_EQ(p.TTIME, 2000.0);
  EXPECT_EQ(p.T, 298.15);
  EXPECT_EQ(p.ZETAPST, -0.030);
  EXPECT_EQ(p.ZETACST, 0.030);
  EXPECT_EQ(p.HETMODE, 1);
  EXPECT_EQ(p.RHETP1, 0.7e-8);
  EXPECT_EQ(p.VDWMODE, 1);
  EXPECT_EQ(p.T2, 1.0e-8);
  EXPECT_EQ(p.LAMBDASTE, 1.0e-9);
  EXPECT_EQ(p.ASP2, 1.0e-8);
  EXPECT_EQ(p.W132, -1.0e-3);
  EXPECT_EQ(p.CBGRAV, 1);
  EXPECT_EQ(p.DFACTC, 0.1);
  EXPECT_EQ(p.NOUT, 1000);
  EXPECT_EQ(p.PRINTMAX, 1000);
}

TEST(ParameterFile, CoatingConstantsStandBetweenTheCoreConstants) {
  const std::string text = edited(favorable_text(), "6.6e-20 6.6e-20 6.5e-20 6.5e-20 3.7e-20",
                                  "1.0e-20, 2.0e-20, 3.0e-20 4.0e-20 5.0e-20");
  const RunParameters p = read_text_as_parameter_file(text, "group7").parameters;
  EXPECT_EQ(p.A11, 1.0e-20);
  EXPECT_EQ(p.AC1C1, 2.0e-20);
  EXPECT_EQ(p.A22, 3.0e-20);
  EXPECT_EQ(p.AC2C2, 4.0e-20);
  EXPECT_EQ(p.A33, 5.0e-20);
}

TEST(ParameterFile, ValuesMayUseRepeatsNullsDExponentsAndSpreadOverLines) {
  std::string text = edited(favorable_text(), "4.0e-6 1.2e-4 0.37 2.55e-4 2000.0",
                            "4.0D-6, 5.0-5\n0.37 2.55e-4 2000.0");
  text = edited(text, "0.0 0.6e-9 0.0 1.0e-9", "2*0.0 , 1.0e-9 / ignored");
  const RunParameters p = read_text_as_parameter_file(text, "notation").parameters;
  EXPECT_EQ(p.VSUP, 4.0e-6);
  EXPECT_EQ(p.RLIM, 5.0e-5);
  EXPECT_EQ(p.TTIME, 2000.0);
  EXPECT_EQ(p.AP, 0.5e-6);
  EXPECT_EQ(p.GAMMA0AB, 0.0);
  EXPECT_EQ(p.LAMBDAAB, 0.0);
  EXPECT_EQ(p.GAMMA0STE, 1.0e-9);
  EXPECT_EQ(p.LAMBDASTE, 0.0);  // the slash left it as it was
}

TEST(ParameterFile, AShortHeadingBlockShiftsEveryGroup) {
  // Five heading lines: the sixth heading read takes the "10 0 0" line, so
  // NPART is looked for on the following lines and meets the group title.
  std::string text = favorable_text();
  text.erase(0, text.find('\n') + 1);
  try {
    read_text_as_parameter_file(text, "heading");
    FAIL() << "a shifted file was accepted";
  } catch (const InputError& e) {
    EXPECT_STREQ(e.what(), "INPUT.IN, line 8, parameter NPART: found \"GROUP\"; expected an integer");
  }
}

TEST(ParameterFile, EarlyEndAndMissingFileAreReportedWithTheFile) {
  std::string text = favorable_text();
  text.erase(text.rfind("1000 1000"));
  try {
    read_text_as_parameter_file(text, "short");
    FAIL();
  } catch (const InputError& e) {
    EXPECT_STREQ(e.what(), "INPUT.IN, line 77, parameter NOUT: found the end of the file; expected an integer");
  }
  try {
    read_parameter_file(fresh_directory("missing") / "INPUT.IN");
    FAIL();
  } catch (const InputError& e) {
    EXPECT_STREQ(e.what(),
                 "INPUT.IN: cannot open the file (No such file or directory); expected the run's "
                 "parameter file in the working directory");
  }
}

TEST(ParameterFile, WhatIsNoParameterFileIsNamedAsWhatItIs) {
  const std::string purpose = "the run's parameter file in the working directory";
  std::string utf16 = "\xFF\xFE";
  for (const char c : favorable_text()) utf16 += std::string{c, '\0'};
  std::string mac = favorable_text();
  for (char& c : mac) c = c == '\n' ? '\r' : c;
  const struct {
    const char* name;
    std::string text;  // "<dir>": a directory, "<zero>": a link to /dev/zero, "<fifo>": a FIFO
    std::string message;
  } cases[] = {
      {"directory", "<dir>", "INPUT.IN: found a directory; expected " + purpose},
      // Refused before a byte is read: a FIFO nobody writes to would block.
      {"endless", "<zero>", "INPUT.IN: found a character device; expected " + purpose + " (a regular file)"},
      {"fifo", "<fifo>", "INPUT.IN: found a FIFO (named pipe); expected " + purpose + " (a regular file)"},
      {"huge", favorable_text() + std::string(1 << 20, ' '), "INPUT.IN: found more than 1 MB (or an endless file); expected " + purpose + ", which is at most 1 MB"},
      {"nul", edited(favorable_text(), "1055.0", std::string("10\0", 3)), "INPUT.IN: found a binary or UTF-16 file; expected " + purpose + " as plain text"},
      {"utf16", utf16, "INPUT.IN: found a binary or UTF-16 file; expected " + purpose + " as plain text"},
      {"cr-only", mac, "INPUT.IN, line 1: found a line that ends in CR alone (old Mac text); expected " + purpose + " with lines that end in LF or CR LF"},
      {"cr-in-line-9", edited(favorable_text(), "\nGROUP 1", "\nGR\rOUP 1"), "INPUT.IN, line 9: found a line that ends in CR alone (old Mac text); expected " + purpose + " with lines that end in LF or CR LF"},
      {"empty", "", "INPUT.IN: found an empty file; expected " + purpose},
      // A value is shown cut, with its length, and a control character as its code.
      {"long-value", edited(favorable_text(), "1055.0", std::string(100000, '7') + "x"), "INPUT.IN, line 17, parameter RHOP: found \"" + std::string(60, '7') + "...\" (100001 bytes); expected a real number"},
      {"escape", edited(favorable_text(), "1055.0", "1055\x1b[2J"), "INPUT.IN, line 17, parameter RHOP: found \"1055\\x1B[2J\"; expected a real number"},
  };
  for (const auto& c : cases) {
    const auto dir = fresh_directory(std::string("not-a-parameter-file-") + c.name);
    if (c.text == "<dir>") {
      std::filesystem::create_directory(dir / "INPUT.IN");
    } else if (c.text == "<zero>") {
      std::filesystem::create_symlink("/dev/zero", dir / "INPUT.IN");
    } else if (c.text == "<fifo>") {
      ASSERT_EQ(::mkfifo((dir / "INPUT.IN").c_str(), 0644), 0);
    } else {
      write_text(dir / "INPUT.IN", c.text);
    }
    try {
      read_parameter_file(dir / "INPUT.IN");
      ADD_FAILURE() << c.name << ": read";
    } catch (const InputError& e) {
      EXPECT_EQ(e.what(), c.message) << c.name;
    }
  }
  // A number that reads well but is out of range is cut the same way.
  EXPECT_EQ(error_of(edited(favorable_text(), " 0.37 ", " 0." + std::string(100000, '0') + " "), "long-range-value"),
            "INPUT.IN, line 12, parameter POROSITY: found \"0." + std::string(58, '0') +
                "...\" (100002 bytes); expected a value in (0, 1)");
  // The same cut for a command-line argument of a megabyte.
  std::int32_t NPART = 0, FIRST = 0, LAST = 0;
  try {
    read_particle_arguments({"10", std::string(1 << 20, '1') + "-2"}, NPART, FIRST, LAST);
    ADD_FAILURE() << "read";
  } catch (const InputError& e) {
    EXPECT_LT(std::string(e.what()).size(), 300u);
  }
}

TEST(ParameterFile, ValidationNamesFileLineParameterValueAndExpectation) {
  struct Case {
    const char* from;
    const char* to;
    const char* message;
  };
  const Case cases[] = {
      {"10 0 0", "0 0 0", "INPUT.IN, line 7, parameter NPART: found \"0\"; expected at least 1 particle"},
      {"10 0 0", "10 0 2", "INPUT.IN, line 7, parameter CLUSTER: found \"2\"; expected 0 (all particles in one run) or 1 (one particle from the command line)"},
      {"0.37 2.55e-4", "1.0 2.55e-4", "INPUT.IN, line 12, parameter POROSITY: found \"1.0\"; expected a value in (0, 1)"},
      {"1.2e-4 0.37", "5.0e-3 0.37", "INPUT.IN, line 12, parameter RLIM: found \"5.0e-3\"; expected a value in (0, RB] with the cell radius RB = 0.000297458693 m"},
      {"10.0 1 -0.030", "10.0 0 -0.030", "INPUT.IN, line 22, parameter ZI: found \"0\"; expected a non-zero ion valence"},
      {"1.0e-20 1.0e-7 1", "1.0e-20 1.0e-7 5", "INPUT.IN, line 37, parameter VDWMODE: found \"5\"; expected 1, 2, 3 or 4"},
      {"0.0 0 0.0 1.0e-8", "0.0 3 0.0 1.0e-8", "INPUT.IN, line 57, parameter ASP: found \"0.0\"; expected an asperity radius > 0 when RMODE is 1, 2 or 3"},
      {"4.014e9 -1.0e-3", "-4.0e9 -1.0e-3", "INPUT.IN, line 62, parameter KINT: found \"-4.0e9\"; expected a value > 0 when W132 < 0"},
      // A quantity derived from several parameters names them all, with their lines.
      {"4.014e9 -1.0e-3", "4.014e9 -1.0e+6", "INPUT.IN: the largest contact radius ACONTMAX = 1.05492385e-05 m from W132 = \"-1.0e+6\" (line 62), KINT = \"4.014e9\" (line 62), AP = \"0.5e-6\" (line 17); expected ACONTMAX below AP: a smaller work of adhesion |W132| or a stiffer contact (larger KINT)"},
      {"4.014e9 -1.0e-3", "3 -1.0e-3", "INPUT.IN: the largest contact radius ACONTMAX = 1.16244697e-05 m from W132 = \"-1.0e-3\" (line 62), KINT = \"3\" (line 62), AP = \"0.5e-6\" (line 17); expected ACONTMAX below AP: a smaller work of adhesion |W132| or a stiffer contact (larger KINT)"},
      {"0.5e-6 1055.0 998.0 9.98e-4", "0.5e-6 1e-300 998.0 9.98e-4", "INPUT.IN: the time step MULTB x dTMRT = 1.11334225e-307 s from MULTB = \"2000.0\" (line 72), AP = \"0.5e-6\" (line 17), RHOP = \"1e-300\" (line 17), VISC = \"9.98e-4\" (line 17), TTIME = \"2000.0\" (line 12); expected a finite step large enough to advance the particle clock up to TTIME (dTMRT = 2 AP^2 RHOP / (9 VISC) = 5.56671126e-311 s): a density RHOP or viscosity VISC of a liquid and a colloid, or a larger MULTB"},
      {"0.5e-6 1055.0 998.0 9.98e-4", "0.5e-6 1055.0 998.0 1e300", "dTMRT"},
      {"0.030 1 1.2e-7 0.4e-7 0.13e-7 0.0", "0.030 1 1.2e-4 0.4e-7 0.13e-7 0.05", "INPUT.IN: the number of heterodomain clusters on the collector"},
      {"1.0 1.0 1\n", "1.0 1.0 0\n", "INPUT.IN, line 67, parameter CBGRAV: found \"0\"; expected 1, 2, 3 or 4"},
      {"2000.0 200.0 20.0", "2000.0 0.0 20.0", "INPUT.IN, line 72, parameter MULTNS: found \"0.0\"; expected a value > 0"},
      {"1000 1000", "1000 0", "INPUT.IN, line 77, parameter PRINTMAX: found \"0\"; expected at least 1"},
      {"0.5e-6 1055.0 998.0 9.98e-4", "0.5e-6 1055.0 /", "INPUT.IN, line 17, parameter RHOW: found no value (the slash on line 17 ends the record before it; it stays 0); expected a value > 0"},
      {"1000 1000", "-1 1000", "INPUT.IN, line 77, parameter NOUT: found \"-1\"; expected 0 or more (every NOUT-th step is recorded; 0: only the first and the last)"},
      {"1.2e-7 0.4e-7 0.13e-7 0.0", "1.2e-7 0.4e-7 0.13e-7 0.05", nullptr},  // HETMODE 1 is valid
      {"0.030 1 1.2e-7 0.4e-7 0.13e-7 0.0", "0.030 7 1.2e-7 0.4e-7 0.13e-7 0.05", "INPUT.IN, line 27, parameter HETMODE: found \"7\"; expected 1, 5, 9 or 73 when SCOV > 0"},
      {"0.030 1 2.0e-8 0.7e-8 0.0", "0.030 73 2.0e-8 0.7e-8 0.0", nullptr},  // unused without coverage
      {"0.030 1 2.0e-8 0.7e-8 0.0", "0.030 1 2.0e-8 0.7e-8 1.0", "INPUT.IN, line 32, parameter SCOVP: found \"1.0\"; expected a coverage below 1"},
  };
  for (const Case& c : cases) {
    const std::string message = error_of(edited(favorable_text(), c.from, c.to), "validation");
    const std::string expected = c.message ? c.message : "no error";
    // A short expectation is a part the message must hold.
    if (expected.size() < 80) {
      EXPECT_NE(message.find(expected), std::string::npos) << c.to << ": " << message;
    } else {
      EXPECT_EQ(message, expected) << c.to;
    }
  }
}

TEST(Echo, FavorableExampleLineByLine) {
  ParameterFile file = read_parameter_file(source_path("examples/favorable/INPUT.IN"));
  const RunConstants constants = derive_run_constants(file.parameters);
  std::string echo;
  append_echo(echo, file.parameters, echo_values(constants));
  // Written out from the record layouts: label, then I6/I2/I1 or E15.8, items
  // separated by two blanks. The derived values are those of an independent
  // Python evaluation: RB 2.97458693e-04 m, RZOIBULK 7.80007383e-08 m,
  // dTMRT 5.87285700e-08 s, ACONTMAX 1.05492363e-08 m.
  const std::vector<std::string> expected = {
      "NPART=    400"
      "  VSUP(m/s)=  0.40000000E-05  RLIM(m)=  0.16000000E-03  POROSITY=  0.37000000E+00"
      "  AG(m)=  0.25500000E-03  RB(m)=  0.29745869E-03  TTIME(s)=  0.20000000E+04"
      "  ATTMODE=  0  SLIP(m)=  0.00000000E+00  RMODE=  0  ASP(m)=  0.00000000E+00"
      "  ASP2(m)=  0.10000000E-07",
      "AP(m)=  0.50000000E-06  IS(mol/m3)=  0.10000000E+02  ZI=  0.10000000E+01"
      "  ZETAPST(V)= -0.30000000E-01  ZETACST(V)=  0.30000000E-01  RHOP(kg/m3)=  0.10550000E+04"
      "  RHOW(kg/m3)=  0.99800000E+03  VISC(kg/m/s)=  0.99800000E-03  ER=  0.78500000E+02"
      "  T(K)=  0.29815000E+03  DIFFSCALE=  0.10000000E+01  GRAVFACT=  0.10000000E+01  CBGRAV=  1",
      "SCOV=  0.00000000E+00  ZETAHET(V)=  0.30000000E-01  HETMODE= 1  RHET0(m)=  0.12000000E-06"
      "  RHET1(m)=  0.40000000E-07  RHET2(m)=  0.13000000E-07  SCOVP=  0.00000000E+00"
      "  ZETAHETP(V)=  0.30000000E-01  HETMODEP= 1  RHETP0(m)=  0.20000000E-07"
      "  RHETP1(m)=  0.70000000E-08  RZOIBULK(m)=  0.78000738E-07  dTMRT(s)=  0.58728570E-07"
      "  MULTB=  0.20000000E+04  MULTNS=  0.20000000E+03  MULTC=  0.20000000E+02  VDWMODE=  1",
      "A132(J)=  0.10000000E-19  LAMBDAVDW(m)=  0.10000000E-06  GAMMA0AB(J/m2)=  0.00000000E+00"
      "  LAMBDAAB(m)=  0.60000000E-09  GAMMA0STE(J/m2)=  0.00000000E+00"
      "  LAMBDASTE(m)=  0.10000000E-08  KINT(N/m2)=  0.40140000E+10  W132(J/m2)= -0.10000000E-02"
      "  ACONTMAX(m)=  0.10549236E-07  BETA=  0.10000000E+01  DFACTNS=  0.10000000E+00"
      "  DFACTC=  0.10000000E+00  A11(J)= 0.66000000E-19  A22(J)= 0.65000000E-19"
      "  A33(J)= 0.37000000E-19  AC1C1(J)= 0.66000000E-19  AC2C2(J)= 0.65000000E-19"
      "  T1(m)= 0.10000000E-07  T2(m)= 0.10000000E-07",
  };
  EXPECT_EQ(split_lines(echo), expected);
  EXPECT_EQ(echo.back(), '\n');
}

TEST(Echo, ShowsTheParametersAsTheRunUsesThem) {
  std::string text = edited(favorable_text(), "4.014e9 -1.0e-3", "4.014e9 2.0e-3");
  text = edited(text, "1.0e-20 1.0e-7 1", "1.0e-20 1.0e-7 2");
  text = edited(text, "0.030 1 1.2e-7", "0.030 73 1.2e-7");
  ParameterFile file = read_text_as_parameter_file(text, "echo");
  const RunConstants constants = derive_run_constants(file.parameters);
  std::string echo;
  append_echo(echo, file.parameters, echo_values(constants));
  EXPECT_NE(echo.find("W132(J/m2)=  0.00000000E+00  ACONTMAX(m)=  0.00000000E+00"), std::string::npos);
  EXPECT_NE(echo.find("A132(J)=  0.00000000E+00"), std::string::npos);
  EXPECT_NE(echo.find("HETMODE= 73  RHET0"), std::string::npos);  // widened, not "*"
}

std::string restart_text(const std::vector<std::string>& records) {
  std::string text = "h1\nh2\nh3\nh4\nlegend\nheader\n";
  for (const auto& r : records) text += r + "\n";
  return text;
}

// A data record in the flux layout: columns 5 (RINJ), 9-13 (final position)
// and 22 (ACONT) are the ones a restart takes.
std::string record_line(int k) {
  std::string line = "00000" + std::to_string(k) + " 2";
  for (int column = 3; column <= 31; ++column) {
    line += " " + std::to_string(k) + "." + std::to_string(column) + "E-06";
  }
  return line;
}

TEST(RestartFile, TakesRecordKCountedAfterTheSixHeadingLines) {
  const auto dir = fresh_directory("restart");
  write_text(dir / "FLUXATT.IN", restart_text({record_line(1), "", record_line(2), record_line(3)}));
  RestartFile file(dir / "FLUXATT.IN", 4);
  const RestartRecord r3 = file.record(3);
  EXPECT_EQ(r3.RINJ, 3.5e-6);
  EXPECT_EQ(r3.XINIT, 3.9e-6);
  EXPECT_EQ(r3.YINIT, 3.10e-6);
  EXPECT_EQ(r3.ZINIT, 3.11e-6);
  EXPECT_EQ(r3.RINIT, 3.12e-6);
  EXPECT_EQ(r3.HINIT, 3.13e-6);
  EXPECT_EQ(r3.ACONT, 3.22e-6);
  EXPECT_EQ(file.record(1).XINIT, 1.9e-6);  // each record is read as from a fresh start
  try {
    file.record(4);
    FAIL();
  } catch (const InputError& e) {
    EXPECT_STREQ(e.what(), "FLUXATT.IN, line 11, parameter record 4 PARTICLE: found the end of the file; expected a value");
  }
}

TEST(RestartFile, ARecordIsOneLineOfAFluxFile) {
  // A record holds all 31 columns on its line and no more (a column too many
  // would shift the others), and one that ends sooner does not run on into
  // the next record.
  const auto dir = fresh_directory("restart-short");
  write_text(dir / "FLUXATT.IN", restart_text({record_line(1), record_line(2)}));
  RestartFile file(dir / "FLUXATT.IN", 4);
  EXPECT_EQ(file.record(1).ACONT, 1.22e-6);
  EXPECT_EQ(file.record(2).ACONT, 2.22e-6);
  std::string short_record = record_line(1);
  short_record.erase(short_record.find(" 1.22E-06"));
  std::string up_to_27 = record_line(1);
  up_to_27.erase(up_to_27.find(" 1.28E-06"));
  const std::string all = " (a record holds all 31 columns of a flux row)";
  const std::pair<std::string, std::string> refused[] = {
      {short_record, "FLUXATT.IN, line 7, parameter record 1 ACONT(m): found the end of the line; expected a real number"},
      {up_to_27, "FLUXATT.IN, line 7, parameter record 1 HAVE(m): found the end of the line; expected a value"},
      // One column deleted: read shifted, ACONT would be the value of RZOI.
      {edited(record_line(1), " 1.4E-06", ""), "FLUXATT.IN, line 7, parameter record 1 ZINNS(m): found the end of the line; expected a value"},
      {edited(record_line(1), " 1.9E-06", " x"), "FLUXATT.IN, line 7, parameter record 1 XOUT(m): found \"x\"; expected a real number"},
      {edited(record_line(1), " 1.11E-06", ",,"), "FLUXATT.IN, line 7, parameter record 1 ZOUT(m): found no value (a null or a slash left it unset); expected a real number" + all},
      {edited(record_line(1), " 1.25E-06", " /"), "FLUXATT.IN, line 7, parameter record 1 HETTYPE: found no value (a null or a slash left it unset); expected a value" + all},
      {record_line(1) + " extra", "FLUXATT.IN, line 7: found \"extra\" after the last column, ZINNS(m); expected a record of the 31 columns of a flux row, no more"}};
  for (const auto& [line, message] : refused) {
    write_text(dir / "FLUXATT.IN", restart_text({line, record_line(2)}));
    try {
      RestartFile(dir / "FLUXATT.IN", 1).record(1);
      ADD_FAILURE() << message;
    } catch (const InputError& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
}

TEST(RestartFile, AFileLongerThanTheRunNeedsIsReadOnlyAsFarAsItNeeds) {
  // A copy of a large run's file restarts a small run; a run that needs
  // records beyond what is read of it is told where the reading stopped.
  const auto dir = fresh_directory("restart-long");
  std::vector<std::string> records;
  for (int k = 1; k <= 5000; ++k) records.push_back(record_line(k));
  write_text(dir / "FLUXATT.IN", restart_text(records));
  ASSERT_GT(std::filesystem::file_size(dir / "FLUXATT.IN"), RestartFile::restart_bytes(2));
  RestartFile file(dir / "FLUXATT.IN", 2);
  EXPECT_EQ(file.record(2).ACONT, 2.22e-6);
  try {
    file.record(5000);
    FAIL();
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("found the end of the first 1056768 bytes of the file, all that is read of it"),
              std::string::npos)
        << e.what();
  }
  std::filesystem::remove(dir / "FLUXATT.IN");
  std::filesystem::create_symlink("/dev/zero", dir / "FLUXATT.IN");
  try {
    RestartFile(dir / "FLUXATT.IN", 2).record(1);
    FAIL();
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("FLUXATT.IN: found a character device", 0), 0u) << e.what();
  }
  std::filesystem::remove(dir / "FLUXATT.IN");
  ASSERT_EQ(::mkfifo((dir / "FLUXATT.IN").c_str(), 0644), 0);
  try {
    RestartFile(dir / "FLUXATT.IN", 2).record(1);
    FAIL();
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("FLUXATT.IN: found a FIFO (named pipe)", 0), 0u) << e.what();
  }
  // A first line longer than all that is read is named as such, not as an empty file.
  std::filesystem::remove(dir / "FLUXATT.IN");
  write_text(dir / "FLUXATT.IN", std::string(5 << 20, '1') + "\n");
  try {
    RestartFile(dir / "FLUXATT.IN", 2).record(1);
    FAIL();
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("FLUXATT.IN, line 1: found a first line longer than 1056768 bytes", 0), 0u) << e.what();
  }
}

TEST(CommandLine, OneParticleArgumentsAndBlocks) {
  std::int32_t NPART = 10, FIRST = 0, LAST = 0;
  read_particle_arguments({"25", "17"}, NPART, FIRST, LAST);
  EXPECT_EQ(NPART, 25);
  EXPECT_EQ(FIRST, 17);
  EXPECT_EQ(LAST, 17);
  read_particle_arguments({"100", "26-50"}, NPART, FIRST, LAST);
  EXPECT_EQ(NPART, 100);
  EXPECT_EQ(FIRST, 26);
  EXPECT_EQ(LAST, 50);
  EXPECT_THROW(read_particle_arguments({"25"}, NPART, FIRST, LAST), InputError);
  for (const char* bad : {"x", "3-x", "3-", "1-2-3", "1--2", "3-99999999999"}) {
    EXPECT_THROW(read_particle_arguments({"25", bad}, NPART, FIRST, LAST), InputError) << bad;
  }
  EXPECT_THROW(validate_particle_number(25, 26, 26), InputError);
  EXPECT_NO_THROW(validate_particle_number(25, 25, 25));
  EXPECT_NO_THROW(validate_particle_number(25, 1, 25));
  for (const auto& [first, last] : {std::pair{0, 5}, {6, 5}, {20, 26}}) {
    EXPECT_THROW(validate_particle_number(25, first, last), InputError) << first << "-" << last;
  }
}

}  // namespace
}  // namespace colloidsim

namespace colloidsim {
namespace {

// docs/parameters.md gives every parameter the file holds a row of its own:
// a table row that starts with the name in backticks.
TEST(ParameterGuide, NamesEveryParameterOfTheFile) {
  const std::string guide = testing::read_text(testing::source_path("docs/parameters.md"));
  const ParameterFile file = read_parameter_text(
      testing::read_text(testing::source_path("examples/favorable/INPUT.IN")));
  ASSERT_EQ(file.origins.size(), 60u);
  for (const auto& [name, origin] : file.origins) {
    EXPECT_NE(guide.find("\n| `" + name + "` |"), std::string::npos) << name;
  }
}

// Edits of the favorable example and what the reader says of them: the
// error of a group that runs into the next one, or the warnings of a file
// that is read.
TEST(ParameterFile, MessagesPointAtTheGroupTheLineAndTheUnit) {
  const struct {
    const char* from;
    const char* to;
    const char* error;                   // empty: the file is read
    std::vector<std::string> warnings;   // of a file that is read
  } cases[] = {
      {"78.5 298.15\n", "78.5\n",
       "INPUT.IN, line 17: found group 2 with 5 values on line 17, then \"GROUP\" on line 19; "
       "expected its 6 values AP, RHOP, RHOW, VISC, ER, T on one line (the value of T is missing)",
       {}},
      {"1000 1000\n", "1000\n",
       "INPUT.IN, line 77: found group 14 with 1 value on line 77, then the end of the file; "
       "expected its 2 values NOUT, PRINTMAX on one line (the value of PRINTMAX is missing)",
       {}},
      // A group may go on to the next line: no message.
      {"78.5 298.15\n", "78.5\n298.15\n", "", {}},
      {"2000.0 200.0 20.0 0.1 0.1\n", "2000.0 200.0 20.0 0.1 0.1 0.5, 7\n", "",
       {"INPUT.IN, line 72: group 13 ends with its last value, DFACTC; the rest of the line, "
        "\"0.5, 7\", is ignored"}},
      {"1000 1000\n", "1000 3*1000\n", "",
       {"INPUT.IN, line 77: group 14 ends with its last value, PRINTMAX; the rest of the line "
        "(2 more repeated values) is ignored"}},
      // A slash ends a group on purpose; values it leaves unset are named.
      {"1000 1000\n", "1000 1000 / comment\n", "", {}},
      {"0.030 1 1.2e-7 0.4e-7 0.13e-7 0.0\n", "0.030 /\n", "",
       {"INPUT.IN, line 27: the slash leaves HETMODE, RHET0, RHET1, RHET2, SCOV unset, so they "
        "stay 0"}},
      {"10.0 1 -0.030 0.030\n", "10.0 1 -30 30\n", "",
       {"INPUT.IN, line 22, parameter ZETAPST: -30 V is beyond the zeta potentials of real "
        "surfaces (|zeta| <= 0.3 V); the unit is V, so -30 mV is -0.030",
        "INPUT.IN, line 22, parameter ZETACST: 30 V is beyond the zeta potentials of real "
        "surfaces (|zeta| <= 0.3 V); the unit is V, so -30 mV is -0.030"}},
      {"10.0 1 -0.030 0.030\n", "1.0e-5 1 -0.030 0.030\n", "",
       {"INPUT.IN, line 22, parameter IS: 1e-05 mol/m3 is outside 1e-4 to 1e4 mol/m3; "
        "the unit is mol/m3 (mM), so 10 mM is 10.0 and 0.01 mol/L is 10.0"}},
      {"0.5e-6 1055.0", "6.0e-5 1055.0", "",
       {"INPUT.IN, line 17, parameter AP: 6e-05 m is above AG/5 = 5.1e-05 m, a "
        "particle not small beside its collector; both radii are in m"}},
      {"78.5 298.15\n", "78.5 25\n", "",
       {"INPUT.IN, line 17, parameter T: 25 K is outside 250-400 K, the range of liquid water; "
        "the unit is K, so 25 C is 298.15"}},
      // Unused heterodomain potentials (SCOV = 0) are not looked at.
      {"0.030 1 1.2e-7", "30 1 1.2e-7", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.to);
    const std::string text = edited(favorable_text(), c.from, c.to);
    try {
      const ParameterFile file = read_parameter_text(text);
      EXPECT_EQ(std::string(c.error), "") << "read without a message";
      EXPECT_EQ(input_warnings(file), c.warnings);
    } catch (const InputError& e) {
      EXPECT_EQ(e.what(), std::string(c.error));
    }
  }
  EXPECT_TRUE(input_warnings(read_parameter_text(favorable_text())).empty());
  EXPECT_TRUE(input_warnings(read_parameter_text(
                  read_text(source_path("examples/heterogeneous/INPUT.IN")))).empty());
}

}  // namespace
}  // namespace colloidsim
