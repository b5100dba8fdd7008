#include "common/fixed_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace colloidsim {

namespace {

// Significant digits an Ew.d edit can show: those of a double and more.
constexpr int MAX_DIGITS = 40;

void append_right_aligned(std::string& out, const char* text, std::size_t length, int w) {
  if (static_cast<int>(length) < w) out.append(static_cast<std::size_t>(w) - length, ' ');
  out.append(text, length);
}

}  // namespace

void append_E(std::string& out, double value, int w, int d) {
  if (std::isnan(value)) {
    append_right_aligned(out, "NaN", 3, w);
    return;
  }
  if (std::isinf(value)) {
    if (value > 0) {
      append_right_aligned(out, "Infinity", 8, w);
    } else {
      append_right_aligned(out, "-Infinity", 9, w);
    }
    return;
  }

  // to_chars rounds correctly to d significant digits as d.ddd...e+XX (as
  // printf does, ties to even); moving the point one place left raises the
  // exponent by one. A carry (9.99 -> 10) is already folded into its
  // exponent.
  char digits[MAX_DIGITS + 16];
  const int precision = std::clamp(d, 1, MAX_DIGITS) - 1;
  const char* const end =
      std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::scientific,
                    precision)
          .ptr;
  const char* const e = std::find(static_cast<const char*>(digits), end, 'e');
  int exponent = 0;
  for (const char* p = e + 2; p < end; ++p) exponent = 10 * exponent + (*p - '0');
  if (e[1] == '-') exponent = -exponent;
  exponent += 1;
  if (value == 0.0) exponent = 0;

  char field[MAX_DIGITS + 16];
  std::size_t n = 0;
  if (std::signbit(value)) field[n++] = '-';
  field[n++] = '0';
  field[n++] = '.';
  field[n++] = digits[0];
  for (const char* p = digits + 2; p < e; ++p) field[n++] = *p;

  const int magnitude = std::abs(exponent);
  const char sign = exponent < 0 ? '-' : '+';
  if (magnitude < 100) {
    field[n++] = 'E';
    field[n++] = sign;
  } else {
    field[n++] = sign;
    field[n++] = static_cast<char>('0' + magnitude / 100);
  }
  field[n++] = static_cast<char>('0' + magnitude / 10 % 10);
  field[n++] = static_cast<char>('0' + magnitude % 10);
  append_right_aligned(out, field, n, w);
}

void append_I(std::string& out, std::int64_t value, int w) { append_I(out, value, w, 1); }

void append_I(std::string& out, std::int64_t value, int w, int m) {
  char field[48];
  const bool negative = value < 0;
  // Work on the magnitude as unsigned so the most negative value is safe.
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value)
                                     : static_cast<std::uint64_t>(value);
  char reversed[24];
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::size_t n = 0;
  if (negative) field[n++] = '-';
  for (int i = count; i < m; ++i) field[n++] = '0';
  while (count > 0) field[n++] = reversed[--count];
  append_right_aligned(out, field, n, w);
}

std::string format_E(double value, int w, int d) {
  std::string out;
  append_E(out, value, w, d);
  return out;
}

std::string format_I(std::int64_t value, int w, int m) {
  std::string out;
  append_I(out, value, w, m);
  return out;
}

}  // namespace colloidsim
