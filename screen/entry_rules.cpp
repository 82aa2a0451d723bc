#include "screen/entry_rules.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

namespace screen {

namespace {

constexpr entry_verdict refused{false, 0};

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// &H, &O and &B: an unsigned 64-bit number; the prefix alone, or a lone &, is 0.
entry_verdict check_radix(std::string_view text) {
  if (text.size() == 1) return {true, 0};
  int base = 0;
  std::size_t max_digits = 0;
  switch (text[1]) {
    case 'H':
    case 'h':
      base = 16, max_digits = 16;
      break;
    case 'O':
    case 'o':
      base = 8, max_digits = 22;
      break;
    case 'B':
    case 'b':
      base = 2, max_digits = 64;
      break;
    default:
      return refused;
  }
  const std::string_view digits = text.substr(2);
  if (digits.size() > max_digits) return refused;
  // 22 octal digits hold 66 bits: only a first digit of 0 or 1 fits 64.
  if (base == 8 && digits.size() == max_digits && digits[0] > '1') return refused;
  std::uint64_t number = 0;
  for (const char c : digits) {
    const int d = digit_value(c);
    if (d >= base) return refused;
    number = number * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  return {true, static_cast<single_value>(number)};
}

// A decimal number: [-] digits [. digits] [E|e [+|-] digits], each part
// possibly still unfinished, within what a single-precision value can hold.
entry_verdict check_decimal(std::string_view text) {
  std::size_t pos = 0;
  const auto take_digits = [&] {
    const std::size_t start = pos;
    while (pos < text.size() && is_digit(text[pos])) ++pos;
    return text.substr(start, pos - start);
  };

  const bool negative = pos < text.size() && text[pos] == '-';
  if (negative) ++pos;
  const std::string_view whole = take_digits();
  if (whole.size() > 1 && whole[0] == '0') return refused;
  bool point = false;
  std::string_view fraction;
  if (pos < text.size() && text[pos] == '.') {
    point = true;
    ++pos;
    fraction = take_digits();
  }
  const bool any_non_zero = whole.find_first_not_of('0') != std::string_view::npos ||
                            fraction.find_first_not_of('0') != std::string_view::npos;

  bool exponent_negative = false;
  std::string_view exponent;
  if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
    if (pos == 0 || !is_digit(text[pos - 1]) || !any_non_zero) return refused;
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
      exponent_negative = text[pos] == '-';
      ++pos;
    }
    exponent = take_digits();
    if (exponent.size() > 1 && exponent[0] == '0') return refused;
  }
  if (pos != text.size()) return refused;

  const std::size_t leading_fraction_zeros =
      std::min(fraction.find_first_not_of('0'), fraction.size());
  if (leading_fraction_zeros >= 44) return refused;

  // Digits after the point make it a fraction of at most 8 digits; a lone 0
  // there is no fraction, and with no whole number the zeros that only place
  // the first digit do not count.
  if (!fraction.empty() && fraction != "0") {
    const bool whole_number = !whole.empty() && whole != "0";
    const std::size_t counted =
        whole_number ? whole.size() + fraction.size() : fraction.size() - leading_fraction_zeros;
    if (counted > 8) return refused;
  }

  // The decimal exponent p of the value written as 0.ddd... times 10^p.
  long long p = 0;
  if (any_non_zero) {
    const bool whole_number = !whole.empty() && whole != "0";
    p = whole_number ? static_cast<long long>(whole.size())
                     : -static_cast<long long>(leading_fraction_zeros);
    long long shift = 0;
    for (const char c : exponent) {
      shift = shift * 10 + (c - '0');
      if (shift > 100000) break;  // far out of range already
    }
    p += exponent_negative ? -shift : shift;

    std::string leading;
    for (const char c : whole) leading.push_back(c);
    for (const char c : fraction) leading.push_back(c);
    leading.erase(0, leading.find_first_not_of('0'));
    leading.resize(7, '0');
    if (p > 39 || (p == 39 && leading > "3402823")) return refused;
    if (p < -44 || (p == -44 && leading < "1401298")) return refused;
  }

  if (whole.empty() && fraction.empty()) return {true, 0};

  // The nearest single to the decimal text; an exponent without digits yet
  // leaves the part before the E.
  std::string number;
  if (negative) number.push_back('-');
  number.append(whole.empty() ? std::string_view("0") : whole);
  if (point) number.push_back('.');
  number.append(fraction);
  if (!exponent.empty()) {
    number.push_back('e');
    if (exponent_negative) number.push_back('-');
    number.append(exponent);
  }
  single_value value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Above the largest single only: the range rules keep every accepted
    // entry clear of an underflow to 0, but give the right answer anyway.
    const single_value magnitude = p > 0 ? std::numeric_limits<single_value>::infinity() : 0;
    value = negative ? -magnitude : magnitude;
  }
  return {true, value};
}

entry_verdict check_number(std::string_view text) {
  if (!text.empty() && text[0] == '&') return check_radix(text);
  return check_decimal(text);
}

}  // namespace

entry_verdict check_entry(std::string_view entry) {
  if (!entry.empty() && entry[0] == '"') {
    // The quotes are not part of the number, and nothing follows the closing one.
    std::string_view inside = entry.substr(1);
    const std::size_t close = inside.find('"');
    if (close != std::string_view::npos) {
      if (close + 1 != inside.size()) return refused;
      inside = inside.substr(0, close);
    }
    return check_number(inside);
  }
  return check_number(entry);
}

}  // namespace screen
