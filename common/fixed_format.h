// Fixed-width text edits of the output records: Ew.d, Iw, Iw.m and nX.
#pragma once

#include <cstdint>
#include <string>

namespace colloidsim {

// Ew.d: "0." followed by d digits of the value correctly rounded to d
// significant digits (mantissa in [0.1, 1)), then "E+nn"/"E-nn", or "+nnn"/
// "-nnn" without the letter when the exponent has three digits. Right-aligned
// in w columns, so a positive value starts with a blank: " 0.12345678E-09".
// NaN and infinities are written as "NaN", "Infinity", "-Infinity".
// d from 1 to 40.
void append_E(std::string& out, double value, int w, int d);

// Iw: right-aligned in w columns. A number that does not fit is written in
// full (the field widens) rather than as asterisks.
void append_I(std::string& out, std::int64_t value, int w);

// Iw.m: at least m digits, with leading zeros, right-aligned in w columns.
void append_I(std::string& out, std::int64_t value, int w, int m);

// nX: n blanks.
inline void append_X(std::string& out, int n) { out.append(static_cast<std::size_t>(n), ' '); }

// Convenience forms that return the field alone.
std::string format_E(double value, int w, int d);
std::string format_I(std::int64_t value, int w, int m = 1);

}  // namespace colloidsim
