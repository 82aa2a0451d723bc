// Fuzzes the numeric entry's rules: no input may crash them, and the value of
// an accepted number is the correctly rounded single, checked against the C
// library. The input is tried whole, and typed key by key as the entry does
// (a byte 8 being Backspace), since only a typed entry is tested one key on.
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

}  // namespace

static void check(std::string_view entry) {
  const screen::entry_verdict verdict = screen::check_entry(entry);
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
    if (verdict.valid) {
      check_value(typed, verdict.value);
    } else {
      typed.pop_back();
    }
  }
  return 0;
}
