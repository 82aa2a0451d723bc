#include <charconv>
#include <cmath>
#include <string>

#include "screen/layer.h"
#include "screen/layer_state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <fpu_control.h>
#include <xmmintrin.h>
#endif

namespace screen {

void set_fpu_precision() {
#if defined(__x86_64__) || defined(__i386__)
  // x87: 64-bit significand, round to nearest, all six exceptions masked.
  fpu_control_t cw = _FPU_EXTENDED | _FPU_RC_NEAREST | _FPU_MASK_IM | _FPU_MASK_DM | _FPU_MASK_ZM |
                     _FPU_MASK_OM | _FPU_MASK_UM | _FPU_MASK_PM;
  _FPU_SETCW(cw);
  // SSE: the same masks and rounding, no flush-to-zero.
  _mm_setcsr(0x1F80);
#endif
}

namespace {

// Parses a decimal item: optional sign, digits with an optional point, an
// optional exponent. Only the first 17 significant digits count.
bool parse_decimal(std::string_view item, double& out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < item.size() && (item[i] == '+' || item[i] == '-')) negative = item[i++] == '-';
  std::string digits;
  long exponent = 0;  // decimal exponent of the digits kept, as an integer
  bool any_digit = false, point = false;
  for (; i < item.size(); ++i) {
    const char c = item[i];
    if (c >= '0' && c <= '9') {
      any_digit = true;
      if (digits.empty() && c == '0') {
        if (point) --exponent;
        continue;
      }
      if (digits.size() < 17) {
        digits.push_back(c);
        if (point) --exponent;
      } else if (!point) {
        ++exponent;
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return item.empty() ? (out = 0, true) : false;
  if (i < item.size()) {
    if (item[i] != 'E' && item[i] != 'e' && item[i] != 'D' && item[i] != 'd') return false;
    ++i;
    bool exp_negative = false;
    if (i < item.size() && (item[i] == '+' || item[i] == '-')) exp_negative = item[i++] == '-';
    if (i == item.size()) return false;
    long e = 0;
    for (; i < item.size(); ++i) {
      if (item[i] < '0' || item[i] > '9') return false;
      if (e < 100000) e = e * 10 + (item[i] - '0');
    }
    exponent += exp_negative ? -e : e;
  }
  if (digits.empty()) {
    out = negative ? -0.0 : 0.0;
    return true;
  }
  const std::string text = digits + "e" + std::to_string(exponent);
  double v = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
  if (result.ec == std::errc::result_out_of_range) {
    v = exponent > 0 ? HUGE_VAL : 0.0;
  }
  out = negative ? -v : v;
  return true;
}

}  // namespace

long double read_data_number(const text_value& data, std::int32_t& data_offset, std::int32_t length,
                             value_type /*type*/) {
  if (detail::error_pending()) return 0;
  const std::int32_t end = std::min<std::int32_t>(length, static_cast<std::int32_t>(data.size()));
  if (data_offset < 0 || data_offset >= end) {
    runtime_error(error_out_of_data);
    return 0;
  }
  std::size_t comma = data.find(',', static_cast<std::size_t>(data_offset));
  if (comma == std::string::npos || comma > static_cast<std::size_t>(end)) {
    comma = static_cast<std::size_t>(end);
  }
  const std::string_view item(data.data() + data_offset,
                              comma - static_cast<std::size_t>(data_offset));
  double value = 0;
  if (!parse_decimal(item, value)) {
    runtime_error(error_syntax);
    return 0;
  }
  if (std::fabs(value) > 3.402823466E+38) {
    runtime_error(error_overflow);
    return 0;
  }
  data_offset = static_cast<std::int32_t>(comma + 1);
  return value;
}

long double natural_log(double x) {
  if (detail::error_pending()) return 0;
  if (x <= 0) {
    runtime_error(error_illegal_function_call);
    return 0;
  }
  return static_cast<double>(std::log(static_cast<long double>(x)));
}

long double exponential(double x) {
  if (detail::error_pending()) return 0;
  constexpr double limit = 88.02969;
  if (std::isnan(x) || x > limit) {
    runtime_error(error_overflow);
    return 0;
  }
  return static_cast<double>(std::exp(static_cast<long double>(x)));
}

long double raise_to_power(long double base, long double exponent) {
  if (detail::error_pending()) return 0;
  const bool whole = std::isfinite(exponent) && std::floor(exponent) == exponent;
  if (base < 0 && !whole) {
    runtime_error(error_illegal_function_call);
    return 0;
  }
  if (exponent == 0 || base == 1) return 1;
  if (whole && exponent >= 1 && exponent <= 2147483647.0L) {
    auto n = static_cast<unsigned long>(exponent);
    long double square = std::fabs(base);
    long double result = 1;
    bool first = true;
    // Repeated squaring; each product is rounded to the 64-bit significand.
    while (n != 0) {
      if (n & 1) {
        result = first ? square : result * square;
        first = false;
      }
      n >>= 1;
      if (n != 0) square = square * square;
    }
    return (base < 0 && (static_cast<unsigned long>(exponent) & 1)) ? -result : result;
  }
  return std::pow(base, exponent);
}

long double floor_value(double x) {
  return std::floor(static_cast<long double>(x));
}

}  // namespace screen
