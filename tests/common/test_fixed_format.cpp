#include "common/fixed_format.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

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

// The Ew.d edit as it was first written, through the C library's printf:
// the direct formatter must give the very same bytes.
std::string printf_E(double value, int w, int d) {
  std::string out;
  auto right_aligned = [&](const char* text, std::size_t length) {
    if (static_cast<int>(length) < w) out.append(static_cast<std::size_t>(w) - length, ' ');
    out.append(text, length);
  };
  if (std::isnan(value)) {
    right_aligned("NaN", 3);
    return out;
  }
  if (std::isinf(value)) {
    value > 0 ? right_aligned("Infinity", 8) : right_aligned("-Infinity", 9);
    return out;
  }
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.*e", d - 1, std::fabs(value));
  const char* e = std::strchr(digits, 'e');
  int exponent = std::atoi(e + 1) + 1;
  char field[96];
  std::size_t n = 0;
  if (std::signbit(value)) field[n++] = '-';
  field[n++] = '0';
  field[n++] = '.';
  field[n++] = digits[0];
  for (const char* p = digits + 2; p < e; ++p) field[n++] = *p;
  if (value == 0.0) exponent = 0;
  const int magnitude = std::abs(exponent);
  const char sign = exponent < 0 ? '-' : '+';
  if (magnitude < 100) {
    n += static_cast<std::size_t>(
        std::snprintf(field + n, sizeof field - n, "E%c%02d", sign, magnitude));
  } else {
    n += static_cast<std::size_t>(std::snprintf(field + n, sizeof field - n, "%c%03d", sign, magnitude));
  }
  right_aligned(field, n);
  return out;
}

// Values where a formatter goes wrong: ties, carries, exponent boundaries,
// subnormals and the edges of the range, each with its neighbours.
std::vector<double> hard_values() {
  std::vector<double> v;
  auto with_neighbours = [&v](double x, int count) {
    double below = x, above = x;
    v.push_back(x);
    for (int k = 0; k < count; ++k) {
      below = std::nextafter(below, -HUGE_VAL);
      above = std::nextafter(above, HUGE_VAL);
      v.push_back(below);
      v.push_back(above);
    }
  };
  const double inf = std::numeric_limits<double>::infinity();
  for (double x : {0.0, -0.0, inf, -inf, std::nan(""), -std::nan(""),
                   std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                   std::numeric_limits<double>::denorm_min()}) {
    with_neighbours(x, 3);
  }
  // Every power of ten, and the points where 8 and 5 digits round up into
  // the next power (the carry): 0.99999999500..., 0.99999500...
  for (int k = -323; k <= 308; ++k) {
    const double p = std::pow(10.0, k);
    with_neighbours(p, 4);
    with_neighbours(p * 0.999999995, 4);
    with_neighbours(p * 0.999995, 4);
  }
  // Exact ties at the last digit: N + 0.5 with N of 8 (or 5) digits, and
  // those times powers of ten while exact.
  std::mt19937_64 random(7);
  for (int n = 0; n < 4000; ++n) {
    for (double digits : {1e7, 1e4}) {
      double tie = std::floor(digits + (9 * digits) * (random() >> 11) * 0x1p-53) + 0.5;
      for (int k = 0; k < 8; ++k, tie *= 10) v.push_back(tie);
    }
  }
  // Subnormals.
  for (int n = 0; n < 2000; ++n) {
    v.push_back(std::bit_cast<double>(random() & 0x000FFFFFFFFFFFFFull));
  }
  return v;
}

TEST(EditE, DirectFormatterMatchesPrintfByteForByte) {
  std::vector<double> values = hard_values();
  std::mt19937_64 random(20240611);
  // Any bit pattern: all exponents, both signs, NaNs with payloads.
  for (int n = 0; n < 300000; ++n) values.push_back(std::bit_cast<double>(random()));
  // The magnitudes a run writes, log-uniform from 1e-40 to 1e10.
  for (int n = 0; n < 300000; ++n) {
    const double x = std::pow(10.0, -40.0 + 50.0 * ((random() >> 11) * 0x1p-53));
    values.push_back((random() & 1) ? x : -x);
  }
  int mismatches = 0;
  for (double x : values) {
    for (const auto& [w, d] : {std::pair{15, 8}, std::pair{12, 5}}) {
      const std::string direct = format_E(x, w, d);
      const std::string reference = printf_E(x, w, d);
      if (direct != reference && ++mismatches <= 5) {
        ADD_FAILURE() << "E" << w << "." << d << " of " << std::hexfloat << x << ": \"" << direct
                      << "\" against \"" << reference << "\"";
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << "of " << values.size() << " values";
}

TEST(EditE, OtherWidthsAndDigitCounts) {
  // Fields too narrow for the value are written in full; wide ones padded;
  // digit counts from 1 to 17.
  const std::vector<double> values = hard_values();
  for (std::size_t i = 0; i < values.size(); i += 7) {
    for (int d = 1; d <= 17; ++d) {
      for (int w : {1, 9, 30}) {
        ASSERT_EQ(format_E(values[i], w, d), printf_E(values[i], w, d))
            << "E" << w << "." << d << " of " << std::hexfloat << values[i];
      }
    }
  }
}

}  // namespace
}  // namespace colloidsim
