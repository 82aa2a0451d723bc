#include "screen/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace screen {

text_value single_to_string(single_value x) {
  if (std::isnan(x)) return " NaN";
  if (std::isinf(x)) return x > 0 ? " Inf" : "-Inf";
  if (x == 0) return " 0";

  // The C library rounds correctly on the exact value, ties to even.
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6e", std::fabs(static_cast<double>(x)));
  // buf: d.dddddde[+-]XX
  char digits[8];
  int d = 0;
  digits[d++] = buf[0];
  for (int i = 2; i < 8; ++i) digits[d++] = buf[i];
  const int e = std::atoi(buf + 9);
  while (d > 1 && digits[d - 1] == '0') --d;

  text_value out;
  out.reserve(13);
  out.push_back(x > 0 ? ' ' : '-');
  if (e <= 6 && e - d >= -8) {
    if (e >= 0) {
      // Whole-number digits, padded with zeros, then any decimals.
      for (int i = 0; i <= e; ++i) out.push_back(i < d ? digits[i] : '0');
      if (d > e + 1) {
        out.push_back('.');
        out.append(digits + e + 1, digits + d);
      }
    } else {
      out.push_back('.');
      out.append(static_cast<std::size_t>(-e - 1), '0');
      out.append(digits, digits + d);
    }
  } else {
    out.push_back(digits[0]);
    if (d > 1) {
      out.push_back('.');
      out.append(digits + 1, digits + d);
    }
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
    out.append(exp);
  }
  return out;
}

}  // namespace screen
