// Fuzzes the numeric entry's rules: no input may crash them, each text is
// accepted or refused as a second coding of the rules below decides, and the
// value of an accepted number is the correctly rounded single, checked against
// the C library. The input is tried whole, and typed key by key as the entry
// does (a byte 8 being Backspace), since only a typed entry is tested one key on.
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "screen/entry_rules.h"

namespace {

void fail(std::string_view entry, const char* what, float got, float want) {
  std::fprintf(stderr, "entry \"%.*s\": %s (got %a, want %a)\n", static_cast<int>(entry.size()),
               entry.data(), what, static_cast<double>(got), static_cast<double>(want));
  std::abort();
}

bool same(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The number inside an opening quote, up to a closing one.
std::string_view number_part(std::string_view entry) {
  if (entry.empty() || entry[0] != '"') return entry;
  entry.remove_prefix(1);
  if (!entry.empty() && entry.back() == '"') entry.remove_suffix(1);
  return entry;
}

void check_value(std::string_view entry, float value) {
  const std::string text(number_part(entry));
  if (!text.empty() && text[0] == '&') {
    if (text.size() <= 2) {
      if (!same(value, 0.0f)) fail(entry, "a prefix alone is not 0", value, 0.0f);
      return;
    }
    const int base = (text[1] == 'H' || text[1] == 'h')   ? 16
                     : (text[1] == 'O' || text[1] == 'o') ? 8
                                                          : 2;
    errno = 0;
    const unsigned long long n = std::strtoull(text.c_str() + 2, nullptr, base);
    if (errno != 0) fail(entry, "accepted beyond 64 bits", value, 0.0f);
    const float want = static_cast<float>(n);
    if (!same(value, want)) fail(entry, "wrong value of the integer notation", value, want);
    return;
  }
  // Only the part up to the last digit has a value yet.
  std::size_t end = text.size();
  while (end > 0 && !is_digit(text[end - 1])) --end;
  std::string number = text.substr(0, end);
  if (number.find_first_of("0123456789") == std::string::npos) number = "0";
  // A trailing E with no digit yet leaves the part before it.
  const std::size_t e = text.find_first_of("Ee");
  if (e != std::string::npos && e >= end) number = text.substr(0, e);
  const float want = std::strtof(number.c_str(), nullptr);
  if (!same(value, want)) fail(entry, "not the correctly rounded single", value, want);
}

// The validity rules coded a second time, apart from the entry's own code and
// in another shape: the text cut into its pieces first, each rule then checked
// on the pieces. True when `entry` is the beginning of a valid number.
namespace second_coding {

std::size_t digits_from(std::string_view s, std::size_t i) {
  while (i < s.size() && is_digit(s[i])) ++i;
  return i;
}

int digit_in_base(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// &H up to 16 hex digits, &O up to 22 octal (the first of 22 at most 1),
// &B up to 64 binary; a lone & or a prefix alone stands for 0. The prefix
// letter may be given in either case, as the E of an exponent.
bool integer_notation(std::string_view t) {
  if (t.size() == 1) return true;
  int base = 0;
  std::size_t most = 0;
  switch (t[1] | 0x20) {
    case 'h':
      base = 16, most = 16;
      break;
    case 'o':
      base = 8, most = 22;
      break;
    case 'b':
      base = 2, most = 64;
      break;
    default:
      return false;
  }
  const std::string_view digits = t.substr(2);
  if (digits.size() > most) return false;
  for (const char c : digits)
    if (digit_in_base(c) >= base) return false;
  return !(base == 8 && digits.size() == most && digits[0] > '1');
}

bool decimal(std::string_view t) {
  // [-] whole [. fraction] [E|e [+|-] exponent], every piece possibly unfinished.
  std::size_t i = (!t.empty() && t[0] == '-') ? 1 : 0;
  std::size_t end = digits_from(t, i);
  const std::string_view whole = t.substr(i, end - i);
  i = end;
  std::string_view fraction;
  if (i < t.size() && t[i] == '.') {
    end = digits_from(t, i + 1);
    fraction = t.substr(i + 1, end - i - 1);
    i = end;
  }
  // The digits of the mantissa, the whole number's and then the fraction's.
  const auto digit = [&](std::size_t n) {
    return n < whole.size()                     ? whole[n]
           : n - whole.size() < fraction.size() ? fraction[n - whole.size()]
                                                : '0';
  };
  const std::size_t count = whole.size() + fraction.size();
  std::size_t first_non_zero = 0;
  while (first_non_zero < count && digit(first_non_zero) == '0') ++first_non_zero;
  const bool non_zero = first_non_zero < count;
  long long exponent = 0;
  std::string_view exponent_digits;
  if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
    // Directly after a digit, and only once a non-zero digit stands before it.
    if (i == 0 || !is_digit(t[i - 1]) || !non_zero) return false;
    ++i;
    int sign = 1;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) sign = t[i++] == '-' ? -1 : 1;
    end = digits_from(t, i);
    exponent_digits = t.substr(i, end - i);
    i = end;
    for (const char c : exponent_digits) exponent = std::min(exponent * 10 + (c - '0'), 1000000LL);
    exponent *= sign;
  }
  if (i != t.size()) return false;
  // A whole number or an exponent that begins with 0 is that 0 alone.
  if (whole.size() > 1 && whole[0] == '0') return false;
  if (exponent_digits.size() > 1 && exponent_digits[0] == '0') return false;

  const std::size_t zeros_after_point = std::min(fraction.find_first_not_of('0'), fraction.size());
  if (zeros_after_point >= 44) return false;
  // At most 8 digits once digits follow the point; a lone 0 there is none,
  // and without a whole number the zeros right after the point are not counted.
  if (!fraction.empty() && fraction != "0") {
    const bool has_whole = !whole.empty() && whole != "0";
    const std::size_t counted =
        has_whole ? whole.size() + fraction.size() : fraction.size() - zeros_after_point;
    if (counted > 8) return false;
  }
  // The value as 0.ddd... times 10 to the p, its first digit the first non-zero one.
  if (non_zero) {
    const long long p =
        static_cast<long long>(whole.size()) - static_cast<long long>(first_non_zero) + exponent;
    char seven[8] = {};
    for (std::size_t n = 0; n < 7; ++n) seven[n] = digit(first_non_zero + n);
    const std::string_view first_seven(seven, 7);
    if (p > 39 || (p == 39 && first_seven > "3402823")) return false;
    if (p < -44 || (p == -44 && first_seven < "1401298")) return false;
  }
  return true;
}

bool accepted(std::string_view entry) {
  if (!entry.empty() && entry[0] == '"') {
    // Quotes are not part of the number, and nothing follows the closing one.
    entry.remove_prefix(1);
    const std::size_t close = entry.find('"');
    if (close != std::string_view::npos) {
      if (close + 1 != entry.size()) return false;
      entry = entry.substr(0, close);
    }
  }
  if (!entry.empty() && entry[0] == '&') return integer_notation(entry);
  return decimal(entry);
}

}  // namespace second_coding

void check_validity(std::string_view entry, bool valid) {
  if (valid == second_coding::accepted(entry)) return;
  std::fprintf(stderr, "entry \"%.*s\": %s by the entry, %s by the second coding of its rules\n",
               static_cast<int>(entry.size()), entry.data(), valid ? "accepted" : "refused",
               valid ? "refused" : "accepted");
  std::abort();
}

}  // namespace

static void check(std::string_view entry) {
  const screen::entry_verdict verdict = screen::check_entry(entry);
  check_validity(entry, verdict.valid);
  if (!verdict.valid) {
    if (!same(verdict.value, 0.0f)) fail(entry, "a refused entry has a value", verdict.value, 0.0f);
    return;
  }
  check_value(entry, verdict.value);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  check(input);
  std::string typed;
  for (const char key : input) {
    if (key == 8) {
      if (!typed.empty()) typed.pop_back();
      check(typed);
      continue;
    }
    typed.push_back(key);
    const screen::entry_verdict verdict = screen::check_entry(typed);
    check_validity(typed, verdict.valid);
    if (verdict.valid) {
      check_value(typed, verdict.value);
    } else {
      typed.pop_back();
    }
  }
  return 0;
}
