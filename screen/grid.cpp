#include "screen/grid.h"

#include <algorithm>
#include <cstring>

namespace screen {

void text_grid::clear() {
  cells_.fill(screen_cell{' ', attribute_});
  row_ = 1;
  column_ = 1;
  wrap_pending_ = false;
}

void text_grid::locate(int row, int column) {
  row_ = row;
  column_ = column;
  wrap_pending_ = false;
}

void text_grid::scroll_up() {
  // Rows 2..24 move to 1..23; row 25 stays where it is.
  std::memmove(&cells_[index(1, 1)], &cells_[index(2, 1)],
               sizeof(screen_cell) * screen_columns * (scroll_bottom - 1));
  std::fill_n(&cells_[index(scroll_bottom, 1)], screen_columns, screen_cell{' ', attribute_});
}

void text_grid::newline() {
  column_ = 1;
  wrap_pending_ = false;
  if (row_ >= scroll_bottom) {
    scroll_up();
    row_ = scroll_bottom;
  } else {
    ++row_;
  }
}

void text_grid::make_fit(std::size_t length) {
  if (!wrap_pending_ && column_ != 1 &&
      static_cast<std::size_t>(column_) + length - 1 > static_cast<std::size_t>(screen_columns)) {
    newline();
  }
}

void text_grid::put(std::uint8_t byte, bool more_follows) {
  at(row_, column_) = screen_cell{byte, attribute_};
  if (column_ < screen_columns) {
    ++column_;
    just_moved_ = false;
  } else if (more_follows) {
    newline();
    just_moved_ = true;
  } else {
    wrap_pending_ = true;
    just_moved_ = false;
  }
}

std::size_t text_grid::print(std::string_view text, bool newline_after, bool continued) {
  if (!continued) {
    just_moved_ = false;
    if (wrap_pending_) {
      if (!text.empty()) {
        newline();
      } else if (newline_after) {
        wrap_pending_ = false;
      }
    }
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    const bool more = i + 1 < text.size() || newline_after;
    switch (byte) {
      case 7:
        just_moved_ = false;
        return i + 1;
      case 9: {
        const int blanks = 8 - (column_ - 1) % 8;
        for (int j = 0; j < blanks; ++j) put(' ', j + 1 < blanks || more);
        break;
      }
      case 10:
      case 13:
        newline();
        just_moved_ = true;
        break;
      case 11:
        locate(1, 1);
        just_moved_ = false;
        break;
      case 12:
        clear();
        just_moved_ = false;
        break;
      case 28:
        locate(row_, std::min(column_ + 1, screen_columns));
        just_moved_ = false;
        break;
      case 29:
        locate(row_, std::max(column_ - 1, 1));
        just_moved_ = false;
        break;
      case 30:
        locate(std::max(row_ - 1, 1), column_);
        just_moved_ = false;
        break;
      case 31:
        locate(row_ < scroll_bottom ? row_ + 1 : row_, column_);
        just_moved_ = false;
        break;
      default:
        put(byte, more);
        break;
    }
  }
  if (newline_after && !just_moved_) newline();
  just_moved_ = false;
  return text.size();
}

std::string text_grid::row_text(int row) const {
  std::string s(screen_columns, ' ');
  for (int c = 1; c <= screen_columns; ++c) s[c - 1] = static_cast<char>(at(row, c).character);
  return s;
}

}  // namespace screen
