// Entries typed key by key, shared by the rule tests and the screen tests:
// the keys, the ones refused, the entry left on the screen and the value.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "screen/entry_rules.h"

namespace entrytest {

struct entry_case {
  std::string keys;     // \b is Backspace, \t is Tab
  std::string refused;  // the keys taken out again, in order
  std::string shown;    // the entry as it stands before Enter
  float value;          // the variable after Enter
};

// The keys, with Backspace and Tab written as \b and \t.
inline void PrintTo(const entry_case& c, std::ostream* out) {
  *out << testing::PrintToString(c.keys);
}

inline std::uint32_t bits(float f) {
  return std::bit_cast<std::uint32_t>(f);
}

inline std::string rep(std::size_t n, char c) {
  return std::string(n, c);
}

// The entry's key rules over the pure rule function, without a screen.
struct typed_entry {
  std::string shown, refused;
  float value = 0;
};
inline typed_entry type_keys(const std::string& keys) {
  typed_entry t;
  const auto offer = [&](char c) {
    const auto v = screen::check_entry(t.shown + c);
    if (v.valid) {
      t.shown += c;
      t.value = v.value;
    } else {
      t.refused += c;
    }
  };
  for (const char c : keys) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 10 || byte == 11 || byte == 12 || (byte >= 28 && byte <= 31) || byte == 7) continue;
    if (c == '\t') {
      for (std::size_t n = 8 - (t.shown.size() & 7); n > 0; --n) offer(' ');
    } else if (c == '\b') {
      if (!t.shown.empty()) t.shown.pop_back();
      t.value = screen::check_entry(t.shown).value;
    } else {
      offer(c);
    }
  }
  return t;
}

inline std::vector<entry_case> entry_cases() {
  constexpr float inf = std::numeric_limits<float>::infinity();
  constexpr float tiny = std::numeric_limits<float>::denorm_min();
  const std::string sixteen_f = rep(16, 'F'), ones64 = rep(64, '1');
  return {
      // Empty, lone signs and points are 0.
      {"", "", "", 0.0f},
      {"-", "", "-", 0.0f},
      {".", "", ".", 0.0f},
      {"-.", "", "-.", 0.0f},
      {"+5", "+", "5", 5.0f},
      {"--5", "-", "-5", -5.0f},
      {"5-", "-", "5", 5.0f},
      {"-0", "", "-0", -0.0f},
      {"-0.0", "", "-0.0", -0.0f},
      // A whole number that begins with 0 is that 0 alone.
      {"00", "0", "0", 0.0f},
      {"05", "5", "0", 0.0f},
      {"-00.5", "0", "-0.5", -0.5f},
      {"0.5", "", "0.5", 0.5f},
      {".5", "", ".5", 0.5f},
      {"100", "", "100", 100.0f},
      {"99.99999", "", "99.99999", 99.99999f},
      // One point only.
      {"1.2.3", ".", "1.23", 1.23f},
      {"1e5.", ".", "1e5", 1e5f},
      // E or e directly after a digit, once a non-zero digit is there; not D or d.
      {"1E5", "", "1E5", 1e5f},
      {"1e-3", "", "1e-3", 0.001f},
      {"1E-3", "", "1E-3", 0.001f},
      {"1e+2", "", "1e+2", 100.0f},
      {"7E1", "", "7E1", 70.0f},
      {"0.5e-3", "", "0.5e-3", 5e-4f},
      {"1D5", "D", "15", 15.0f},
      {"1d5", "d", "15", 15.0f},
      {"0E1", "E1", "0", 0.0f},  // the 1 then follows a whole-number 0
      {"0.0e1", "e", "0.01", 0.01f},
      {"1.E5", "E", "1.5", 1.5f},
      {"-E5", "E", "-5", -5.0f},
      {"E5", "E", "5", 5.0f},
      {"1ee", "e", "1e", 1.0f},
      {"1e+-5", "-", "1e+5", 1e5f},
      // The part before the E while the exponent has no digit yet.
      {"2.5e", "", "2.5e", 2.5f},
      {"2.5e-", "", "2.5e-", 2.5f},
      {"2.5E+", "", "2.5E+", 2.5f},
      // An exponent that begins with 0 is that 0 alone.
      {"1e05", "5", "1e0", 1.0f},
      {"1e-00", "0", "1e-0", 1.0f},
      // &H, &O and &B: an unsigned 64-bit number; a lone & or a prefix alone is 0.
      {"&", "", "&", 0.0f},
      {"&H", "", "&H", 0.0f},
      {"&H64", "", "&H64", 100.0f},
      {"&h64", "", "&h64", 100.0f},
      {"&HfF", "", "&HfF", 255.0f},
      {"&H46", "", "&H46", 70.0f},
      {"&HG1", "G", "&H1", 1.0f},
      {"&X1", "X1", "&", 0.0f},  // the 1 then follows a lone &
      {"&O17", "", "&O17", 15.0f},
      {"&o781", "8", "&o71", 57.0f},
      {"&B101", "", "&B101", 5.0f},
      {"&B121", "2", "&B11", 3.0f},
      {"-&H1", "&H", "-1", -1.0f},
      {"&H" + sixteen_f + "F", "F", "&H" + sixteen_f, 18446744073709551616.0f},
      {"&H8000000000000001", "", "&H8000000000000001", 9223372036854775808.0f},
      {"&O1" + rep(21, '7') + "7", "7", "&O1" + rep(21, '7'), 18446744073709551616.0f},
      {"&O2" + rep(21, '0'), "0", "&O2" + rep(20, '0'), 2305843009213693952.0f},
      {"&B" + ones64 + "1", "1", "&B" + ones64, 18446744073709551616.0f},
      // The largest single and beyond: p = 39 with the first seven digits at most 3402823.
      {"3.4028235E+38", "", "3.4028235E+38", std::numeric_limits<float>::max()},
      {"3.4028236E+38", "", "3.4028236E+38", inf},
      {"-3.4028236E+38", "", "-3.4028236E+38", -inf},
      {"3.402824E+38", "8", "3.402824E+3", 3402.824f},
      {"1E38", "", "1E38", 1e38f},
      {"1E39", "9", "1E3", 1000.0f},
      {"4E38", "8", "4E3", 4000.0f},
      {"3402823" + rep(32, '9'), "", "3402823" + rep(32, '9'), inf},
      {"3402824" + rep(32, '0'), "0", "3402824" + rep(31, '0'), 3.402824e37f},
      {"1" + rep(39, '0'), "0", "1" + rep(38, '0'), 1e38f},
      // The smallest: p = -44 with the first seven digits at least 1401298.
      {"1.5E-45", "", "1.5E-45", tiny},
      {"1.401298E-45", "", "1.401298E-45", tiny},
      {"1.401297E-45", "5", "1.401297E-4", 1.401297e-4f},
      {"1E-45", "5", "1E-4", 1e-4f},
      {"2E-46", "6", "2E-4", 2e-4f},
      {"1.4E-44", "", "1.4E-44", 10 * tiny},
      // At most 43 zeros directly after the point.
      {"0." + rep(44, '0') + "1", "0", "0." + rep(43, '0') + "1", 7 * tiny},
      {"." + rep(44, '0') + "12", "0", "." + rep(43, '0') + "12", 9 * tiny},
      // At most 8 digits when digits follow the point.
      {"0.00099999999", "", "0.00099999999", 0.001f},
      {"0.00099999998", "", "0.00099999998", 0.00099999998f},
      {"0.0009999", "", "0.0009999", 0.0009999f},
      {"0.012345678", "", "0.012345678", 0.012345678f},
      {"0.0123456789", "9", "0.012345678", 0.012345678f},
      {".123456789", "9", ".12345678", 0.12345678f},
      {"12.345678", "", "12.345678", 12.345678f},
      {"12.3456789", "9", "12.345678", 12.345678f},
      {"10.0000001", "1", "10.000000", 10.0f},
      {"123456789", "", "123456789", 123456789.0f},
      {"123456789.0", "", "123456789.0", 123456789.0f},
      {"123456789.05", "5", "123456789.0", 123456789.0f},
      {"123456789.5", "5", "123456789.", 123456789.0f},
      // Ties go to the even single.
      {"16777217", "", "16777217", 16777216.0f},
      {"16777219", "", "16777219", 16777220.0f},
      {"16777217.0", "", "16777217.0", 16777216.0f},
      // A quoted entry: the quotes are not part of the number; nothing after the closing one.
      {"\"12\"", "", "\"12\"", 12.0f},
      {"\"12\"3\"", "3\"", "\"12\"", 12.0f},
      {"\"\"", "", "\"\"", 0.0f},
      {"\"&H10\"", "", "\"&H10\"", 16.0f},
      {"\"-1.5e2", "", "\"-1.5e2", -150.0f},
      {"\"1.2.\"", ".", "\"1.2\"", 1.2f},
      {"1\"", "\"", "1", 1.0f},
      // Units, blanks, commas and other characters are refused.
      {"100ft", "ft", "100", 100.0f},
      {"5kW", "kW", "5", 5.0f},
      {"54.5dBu", "dBu", "54.5", 54.5f},
      {"1 000", " ", "1000", 1000.0f},
      {"1,5", ",", "15", 15.0f},
      {"\x1b"
       "2\x01",
       "\x1b\x01", "2", 2.0f},
      // Backspace, Tab and the ignored control bytes.
      {"12\b3", "", "13", 13.0f},
      {"\b\b7", "", "7", 7.0f},
      {"1e5\b\b", "", "1", 1.0f},
      {"1\t2", rep(7, ' '), "12", 12.0f},
      {"123456789\t", rep(7, ' '), "123456789", 123456789.0f},
      {"1\n\v\f\x1c\x1d\x1e\x1f"
       "2",
       "", "12", 12.0f},
      {"4\a2", "", "42", 42.0f},
  };
}

}  // namespace entrytest
