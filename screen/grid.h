// The 80x25 character grid with its cursor: a plain value type with no locking
// and no waiting, so it can be copied, compared and tested on its own.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "screen/types.h"

namespace screen {

class text_grid {
 public:
  text_grid() { cells_.fill(screen_cell{}); }

  const screen_cell& at(int row, int column) const { return cells_[index(row, column)]; }
  screen_cell& at(int row, int column) { return cells_[index(row, column)]; }
  const std::array<screen_cell, cell_count>& cells() const { return cells_; }

  int row() const { return row_; }
  int column() const { return column_; }
  bool wrap_pending() const { return wrap_pending_; }
  std::uint8_t attribute() const { return attribute_; }
  void set_attribute(std::uint8_t a) { attribute_ = a; }

  // Blanks all 25 rows in the current attribute; cursor to row 1, column 1.
  void clear();
  // Moves the cursor; the caller has checked the limits. Cancels a pending wrap.
  void locate(int row, int column);
  // Column 1 of the next row; below row 24 the scrolling area moves up.
  void newline();
  // Starts a new row first when the text would run past column 80.
  void make_fit(std::size_t length);

  // Prints bytes from the start of `text`. Returns how many bytes were handled:
  // all of them, or up to and including a bell (7), after which the caller
  // pauses and calls again with the rest and `continued` set.
  std::size_t print(std::string_view text, bool newline_after, bool continued = false);

  // The text of one row, characters only.
  std::string row_text(int row) const;

  friend bool operator==(const text_grid&, const text_grid&) = default;

 private:
  static std::size_t index(int row, int column) {
    return static_cast<std::size_t>(row - 1) * screen_columns +
           static_cast<std::size_t>(column - 1);
  }
  void put(std::uint8_t byte, bool more_follows);
  void scroll_up();

  std::array<screen_cell, cell_count> cells_{};
  int row_ = 1;
  int column_ = 1;
  bool wrap_pending_ = false;
  // The last byte printed moved the cursor to the next row.
  bool just_moved_ = false;
  std::uint8_t attribute_ = 0x07;
};

}  // namespace screen
