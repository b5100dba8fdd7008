// `set`: a parameter file with some values changed and every other byte as
// written.
#include "io/parameter_rewrite.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/input_error.h"
#include "io/parameter_table.h"
#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::read_text;
using testing::source_path;

// The example as the tests take it: 10 particles within RLIM = 120 um.
std::string favorable_text() { return testing::input_with({}); }

std::string with(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

std::string rewritten(const std::string& text, const std::vector<ParameterAssignment>& a) {
  return rewrite_parameters(text, read_parameter_text(text), a, "command line");
}

// Lines 17 (group 2) and 22 (group 3) of the favorable example are
//   "0.5e-6 1055.0 998.0 9.98e-4 78.5 298.15" and "10.0 1 -0.030 0.030".
TEST(ParameterRewrite, ChangesOnlyTheNamedValuesWhateverTheirNotation) {
  const std::string base = favorable_text();
  struct Case {
    const char* what;
    std::string input;  // the file before
    std::vector<ParameterAssignment> set;
    std::string expected;  // the file after
  };
  const std::vector<Case> cases = {
      {"plain values, two on one line", base, {{"AP", "0.25e-6"}, {"VISC", "1.0D-3"}},
       with(base, "0.5e-6 1055.0 998.0 9.98e-4", "2.5e-07 1055.0 998.0 0.001")},
      {"line 7 and an integer", base, {{"NPART", "400"}, {"CLUSTER", "1"}},
       with(base, "10 0 0\n", "400 0 1\n")},
      {"a repeat is spelt out, its other copies kept",
       with(base, "10.0 1 -0.030 0.030", "10.0 1 2*0.030"), {{"ZETACST", "-0.04"}},
       with(base, "10.0 1 -0.030 0.030", "10.0 1 0.030 -0.04")},
      {"a null gets the value between its commas",
       with(base, "10.0 1 -0.030 0.030", "10.0,,-0.030,0.030"), {{"ZI", "2"}},
       with(base, "10.0 1 -0.030 0.030", "10.0,2,-0.030,0.030")},
      {"CR LF line ends are kept", with(base, "10.0 1 -0.030 0.030\n", "10.0 1 -0.030 0.030\r\n"),
       {{"IS", "100"}}, with(base, "10.0 1 -0.030 0.030\n", "100 1 -0.030 0.030\r\n")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rewritten(c.input, c.set), c.expected) << c.what;
  }
}

// Values whose shortest text is long or has an exponent of three digits
// read back to the very same double.
TEST(ParameterRewrite, NewValuesReadBackToTheSameDouble) {
  const std::string base = favorable_text();
  for (const double value : {0.1 + 0.2, 1.0 / 3.0, 5e-324, 1.7976931348623157e308, -2.5e-7,
                             0.030000000000000002}) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    const ParameterFile after = read_parameter_text(rewritten(base, {{"ZETAHET", text}}));
    EXPECT_EQ(std::memcmp(&after.parameters.ZETAHET, &value, sizeof value), 0) << text;
  }
}

TEST(ParameterRewrite, RefusesWhatCannotBeSet) {
  const std::string base = favorable_text();
  const struct {
    std::string input;
    std::vector<ParameterAssignment> set;
    const char* message;
  } cases[] = {
      {base, {{"APP", "1e-6"}}, "the unknown parameter \"APP\""},
      {base, {{"AP", "1 um"}}, "parameter AP: found \"1 um\"; expected a real number"},
      {base, {{"NPART", "1e3"}}, "parameter NPART: found \"1e3\"; expected an integer"},
      {base, {{"AP", "1e-6"}, {"AP", "2e-6"}}, "a second value \"2e-6\""},
      {with(base, "10.0 1 -0.030 0.030", "10.0 1 -0.030 /"), {{"ZETACST", "0.04"}},
       "parameter ZETACST: found no value (a slash ends its group first)"},
  };
  for (const auto& c : cases) {
    try {
      rewritten(c.input, c.set);
      ADD_FAILURE() << c.message;
    } catch (const InputError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(ParameterTable, ListsEveryParameterOnceInReadingOrder) {
  const ParameterFile file = read_parameter_text(favorable_text());
  const std::string listing = parameter_listing(file);
  EXPECT_NE(listing.find("AP             2  m       5e-07\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("IS             3  mol/m3  10\n"), std::string::npos) << listing;
  int group = 0;
  for (const ParameterInfo& info : PARAMETERS) {
    EXPECT_GE(info.group, group) << info.name;
    group = info.group;
    EXPECT_EQ(find_parameter(info.name), &info);
    EXPECT_EQ(file.origins.count(info.name), 1u) << info.name;
  }
  EXPECT_EQ(group, PARAMETER_GROUPS - 1);
}

}  // namespace
}  // namespace colloidsim
