// Fuzzes the number text: every single's text is at most 13 characters, and
// typed back into the numeric entry it gives the single nearest to the value
// rounded to 7 digits, so a value that has 7 significant digits comes back as
// itself. The entry takes an exponent without a leading zero (E+7, not E+07)
// and no leading blank, so the text is typed the way a person would.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "screen/entry_rules.h"
#include "screen/number_text.h"

namespace {

[[noreturn]] void fail(float x, const std::string& text, const char* what, float got, float want) {
  std::fprintf(stderr, "value %a: text \"%s\": %s (got %a, want %a)\n", static_cast<double>(x),
               text.c_str(), what, static_cast<double>(got), static_cast<double>(want));
  std::abort();
}

std::string as_typed(std::string text) {
  if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  const auto e = text.find('E');
  if (e != std::string::npos && e + 3 < text.size() && text[e + 2] == '0') text.erase(e + 2, 1);
  return text;
}

// The single nearest to x rounded to 7 significant digits.
float rounded_to_7_digits(float x) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6e", static_cast<double>(x));
  return std::strtof(buffer, nullptr);
}

float read_back(float x, const std::string& text) {
  const std::string typed = as_typed(text);
  const screen::entry_verdict verdict = screen::check_entry(typed);
  if (!verdict.valid) fail(x, text, "the entry refuses the text", 0, 0);
  return verdict.value;
}

void check(float x) {
  const std::string text = screen::single_to_string(x);
  if (text.size() > 13) fail(x, text, "longer than 13 characters", 0, 0);
  if (!std::isfinite(x)) return;
  const float want = rounded_to_7_digits(x);
  const float got = read_back(x, text);
  // Minus zero reads back as plain zero: its text has no sign.
  if (std::bit_cast<std::uint32_t>(got) != std::bit_cast<std::uint32_t>(want) &&
      !(got == 0 && want == 0)) {
    fail(x, text, "does not read back as the value to 7 digits", got, want);
  }
  if (std::bit_cast<std::uint32_t>(read_back(want, screen::single_to_string(want))) !=
          std::bit_cast<std::uint32_t>(want) &&
      want != 0) {
    fail(want, screen::single_to_string(want), "a 7-digit value does not come back as itself",
         read_back(want, screen::single_to_string(want)), want);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i + 4 <= size; i += 4) {
    std::uint32_t bits;
    std::memcpy(&bits, data + i, 4);
    check(std::bit_cast<float>(bits));
  }
  return 0;
}
