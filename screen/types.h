// Basic types of the text-screen layer: numbers, byte strings and cells.
#pragma once

#include <cstdint>
#include <string>

namespace screen {

// Every numeric variable of a program on this layer.
using single_value = float;

// A byte string: length and bytes, no terminator, no character-set conversion.
using text_value = std::string;

inline constexpr int screen_columns = 80;
inline constexpr int screen_rows = 25;
// Rows 1..24 scroll; row 25 sits outside the scrolling area.
inline constexpr int scroll_bottom = 24;
inline constexpr int cell_count = screen_columns * screen_rows;

struct screen_cell {
  std::uint8_t character = ' ';
  std::uint8_t attribute = 0x07;
  friend bool operator==(const screen_cell&, const screen_cell&) = default;
};

// The types a numeric read can store into.
enum class value_type { single_precision };

}  // namespace screen
