#include "common/fixed_format.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace colloidsim {
namespace {

TEST(EditE, RoundsCorrectlyAndCarriesIntoTheExponent) {
  struct Case {
    double value;
    const char* field;
  };
  // Expected fields written out by hand from the value's decimal expansion.
  for (const Case& c : {
           Case{0.999999999, " 0.10000000E+01"},  // the carry makes 1.0000000 -> 0.1E+01
           Case{0.99999999, " 0.99999999E+00"},
           Case{1.23456785e-10, " 0.12345679E-09"},  // ...785 is stored just above the half
           Case{1.234567849999e-10, " 0.12345678E-09"},
           Case{4.0e-6, " 0.40000000E-05"},
           Case{2000.0, " 0.20000000E+04"},
           Case{9.99999995e99, " 0.10000000+101"},  // rounding carries into three digits
           Case{1.5e-152, " 0.15000000-151"},
           Case{1.0e100, " 0.10000000+101"},
           Case{-1.0e-300, "-0.10000000-299"},
           Case{-0.030, "-0.30000000E-01"},  // a negative value fills the field
           Case{-1.7976931348623157e308, "-0.17976931+309"},
           Case{0.0, " 0.00000000E+00"},
           Case{-0.0, "-0.00000000E+00"},
       }) {
    EXPECT_EQ(format_E(c.value, 15, 8), c.field) << c.value;
  }
  EXPECT_EQ(format_E(0.12345e-9, 12, 5), " 0.12345E-09");
  EXPECT_EQ(format_E(-2.5e-7, 12, 5), "-0.25000E-06");
  EXPECT_EQ(format_E(4.9406564584124654e-324, 15, 8), " 0.49406565-323");
}

TEST(EditE, NotANumberAndInfinitiesAreRightAligned) {
  EXPECT_EQ(format_E(std::nan(""), 15, 8), "            NaN");
  EXPECT_EQ(format_E(std::numeric_limits<double>::infinity(), 15, 8), "       Infinity");
  EXPECT_EQ(format_E(-std::numeric_limits<double>::infinity(), 12, 5), "   -Infinity");
}

TEST(EditI, RightAlignsPadsAndWidensRatherThanOverflowing) {
  EXPECT_EQ(format_I(10, 6), "    10");
  EXPECT_EQ(format_I(-1, 2), "-1");
  EXPECT_EQ(format_I(73, 1), "73");  // widened, not "*"
  EXPECT_EQ(format_I(7, 6, 6), "000007");
  EXPECT_EQ(format_I(1234567, 6, 6), "1234567");
  EXPECT_EQ(format_I(0, 15, 15), "000000000000000");
  EXPECT_EQ(format_I(-5, 6, 3), "  -005");
  EXPECT_EQ(format_I(std::numeric_limits<std::int64_t>::min(), 5), "-9223372036854775808");
}

}  // namespace
}  // namespace colloidsim
