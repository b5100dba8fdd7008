#include "common/list_reader.h"

#include <gtest/gtest.h>

#include "common/input_error.h"

namespace colloidsim {
namespace {

using I = ListItem;

TEST(ListReader, SeparatorsNullsRepeatsAndSlash) {
  ListReader in("test", "1.5, 2 ,,4\n"
                        "3*0.25 7\n"
                        "5 / 99\n"
                        "8\n");
  double a = -1, b = -1, c = -1, d = -1;
  in.read({I::real("A", a), I::real("B", b), I::real("C", c), I::real("D", d)});
  EXPECT_EQ(a, 1.5);
  EXPECT_EQ(b, 2.0);
  EXPECT_EQ(c, -1.0);  // two commas: a null leaves C unchanged
  EXPECT_EQ(d, 4.0);

  double e = -1, f = -1, g = -1, h = -1;
  in.read({I::real("E", e), I::real("F", f), I::real("G", g), I::real("H", h)});
  EXPECT_EQ(e, 0.25);
  EXPECT_EQ(f, 0.25);
  EXPECT_EQ(g, 0.25);
  EXPECT_EQ(h, 7.0);

  std::int32_t i = -1, j = -1;
  in.read({I::integer("I", i), I::integer("J", j)});
  EXPECT_EQ(i, 5);
  EXPECT_EQ(j, -1);  // the slash ends the read, 99 is skipped with the line

  std::int32_t k = -1;
  in.read({I::integer("K", k)});
  EXPECT_EQ(k, 8);
}

TEST(ListReader, ValuesContinueOntoFollowingLinesAndTheRestOfALineIsSkipped) {
  ListReader in("test", "1 2\n"
                        "\n"
                        "   \n"
                        "3 4 5 6\n"
                        "7\n");
  double a = 0, b = 0, c = 0;
  in.read({I::real("A", a), I::real("B", b), I::real("C", c)});
  EXPECT_EQ(c, 3.0);  // blank lines skipped while looking for C
  double d = 0;
  in.read({I::real("D", d)});
  EXPECT_EQ(d, 7.0);  // 4 5 6 went with the rest of the line
}

TEST(ListReader, NullsAtTheStartAndRepeatedNulls) {
  ListReader in("test", ",2\n2* 3\n");
  double a = 9, b = 9;
  in.read({I::real("A", a), I::real("B", b)});
  EXPECT_EQ(a, 9.0);
  EXPECT_EQ(b, 2.0);
  double c = 9, d = 9, e = 9;
  in.read({I::real("C", c), I::real("D", d), I::real("E", e)});
  EXPECT_EQ(c, 9.0);
  EXPECT_EQ(d, 9.0);
  EXPECT_EQ(e, 3.0);
}

TEST(ListReader, RealNotations) {
  struct Case {
    const char* text;
    double value;
  };
  for (const Case& c : {Case{"1", 1.0}, Case{"1.", 1.0}, Case{".5", 0.5}, Case{"-2.5e-6", -2.5e-6},
                        Case{"1.0D-6", 1.0e-6}, Case{"1.0d-6", 1.0e-6}, Case{"1.0-6", 1.0e-6},
                        Case{"+3.0+2", 300.0}, Case{"4.0E6", 4.0e6}, Case{"0.15000000-151", 1.5e-152}}) {
    double v = 0;
    EXPECT_TRUE(parse_real(c.text, v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  for (const char* bad : {"", ".", "e5", "1.0e", "1.0x", "1..0", "--1", "NaN", "1e999", "0x10"}) {
    double v = 0;
    EXPECT_FALSE(parse_real(bad, v)) << bad;
  }
}

TEST(ListReader, IntegerItemRejectsAFractionNamingParameterAndLine) {
  ListReader in("INPUT.IN", "a\nb\n 1.5 0 0\n");
  in.read({});
  in.read({});
  std::int32_t npart = 0, attmode = 0, cluster = 0;
  try {
    in.read({I::integer("NPART", npart), I::integer("ATTMODE", attmode), I::integer("CLUSTER", cluster)});
    FAIL() << "1.5 was accepted as an integer";
  } catch (const InputError& e) {
    EXPECT_STREQ(e.what(), "INPUT.IN, line 3, parameter NPART: found \"1.5\"; expected an integer");
  }
  std::int32_t v = 0;
  EXPECT_FALSE(parse_integer("2147483648", v));
  EXPECT_TRUE(parse_integer("-2147483648", v));
  EXPECT_EQ(v, -2147483647 - 1);
}

TEST(ListReader, EarlyEndOfFileNamesTheMissingParameter) {
  ListReader in("INPUT.IN", "1 2\n");
  double a = 0, b = 0, c = 0;
  try {
    in.read({I::real("A", a), I::real("B", b), I::real("C", c)});
    FAIL();
  } catch (const InputError& e) {
    EXPECT_STREQ(e.what(), "INPUT.IN, line 2, parameter C: found the end of the file; expected a real number");
  }
  ListReader empty("INPUT.IN", "");
  EXPECT_THROW(empty.read({}), InputError);
}

}  // namespace
}  // namespace colloidsim
