// Names of parameterised cases that ctest -R and --gtest_filter take as they
// stand: letters, digits and underscores only.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>

namespace testnames {

struct spelling {
  char byte;
  const char* word;
};
inline constexpr spelling spellings[] = {
    {' ', "_"},     {'-', "minus"}, {'+', "plus"}, {'.', "point"},  {',', "comma"},  {'&', "amp"},
    {'"', "quote"}, {'\b', "BS"},   {'\t', "Tab"}, {'\r', "Enter"}, {'\x1b', "Esc"},
};

// The case's index, then `text` spelled out: "-1.5E+07" in case 3 is
// "3_minus1point5Eplus07", a Backspace "BS", any other byte its hex code
// ("x01"). The index keeps two cases of the same text apart.
inline std::string readable(std::size_t index, std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::string name = std::to_string(index) + "_";
  if (text.empty()) return name + "empty";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const auto known = std::find_if(std::begin(spellings), std::end(spellings),
                                    [ch](const spelling& s) { return s.byte == ch; });
    if (std::isalnum(c)) {
      name += ch;
    } else if (known != std::end(spellings)) {
      name += known->word;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "x%02X", c);
      name += hex;
    }
  }
  return name;
}

}  // namespace testnames
