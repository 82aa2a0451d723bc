#include "screen/render.h"

#include <algorithm>
#include <cstring>

#include "screen/cp437_glyphs.h"

namespace screen {

const std::array<std::uint32_t, 16> text_palette = {
    0xFF000000, 0xFF0000AA, 0xFF00AA00, 0xFF00AAAA, 0xFFAA0000, 0xFFAA00AA, 0xFFAA5500, 0xFFAAAAAA,
    0xFF555555, 0xFF5555FF, 0xFF55FF55, 0xFF55FFFF, 0xFFFF5555, 0xFFFF55FF, 0xFFFFFF55, 0xFFFFFFFF,
};

namespace {

// The cursor's pixel rows within a cell.
constexpr int cursor_first_row = glyph_height - 2;

// Four pixels at a time: GCC and Clang turn these into plain SIMD registers.
using pixels4 = std::uint32_t __attribute__((vector_size(16)));

// Each 8-pixel glyph row as all-ones or all-zeros masks, so a cell row is
// drawn with selects between its two colours and no per-pixel branch.
struct row_masks {
  pixels4 left, right;
};
std::array<row_masks, 256> make_row_masks() {
  std::array<row_masks, 256> masks{};
  for (unsigned bits = 0; bits < 256; ++bits) {
    for (int x = 0; x < 4; ++x) {
      masks[bits].left[x] = (bits & (0x80u >> x)) ? 0xFFFFFFFFu : 0u;
      masks[bits].right[x] = (bits & (0x08u >> x)) ? 0xFFFFFFFFu : 0u;
    }
  }
  return masks;
}
const std::array<row_masks, 256> row_mask_table = make_row_masks();

struct cell_paint {
  pixels4 bg;
  pixels4 diff;  // foreground XOR background
  const std::uint8_t* rows;
};

constexpr glyph_rows blank_rows{};

pixels4 splat(std::uint32_t v) {
  return pixels4{v, v, v, v};
}

}  // namespace

bool render_frame(const text_grid& grid, bool cursor_visible, bool cursor_phase, bool blink_phase,
                  std::uint32_t* bgra) {
  bool phased = cursor_visible;
  std::array<cell_paint, screen_columns> paint;
  for (int r = 1; r <= screen_rows; ++r) {
    for (int c = 1; c <= screen_columns; ++c) {
      const screen_cell& cell = grid.at(r, c);
      const bool blinking = (cell.attribute & 0x80) != 0;
      phased = phased || blinking;
      const std::uint32_t fg = text_palette[cell.attribute & 15];
      const std::uint32_t bg = text_palette[(cell.attribute >> 4) & 7];
      paint[static_cast<std::size_t>(c - 1)] = {
          splat(bg), splat(fg ^ bg),
          (!blinking || blink_phase) ? cp437_glyphs[cell.character].data() : blank_rows.data()};
    }
    std::uint32_t* out = bgra + static_cast<std::ptrdiff_t>((r - 1) * glyph_height) * frame_width;
    for (int y = 0; y < glyph_height; ++y) {
      for (const cell_paint& p : paint) {
        const row_masks& mask = row_mask_table[p.rows[y]];
        const pixels4 left = p.bg ^ (mask.left & p.diff);
        const pixels4 right = p.bg ^ (mask.right & p.diff);
        std::memcpy(out, &left, sizeof left);
        std::memcpy(out + 4, &right, sizeof right);
        out += glyph_width;
      }
    }
  }
  // The cursor: its rows in the cell's foreground, over glyph and blinking alike.
  const int row = grid.row(), column = grid.column();
  if (cursor_visible && cursor_phase && row >= 1 && row <= screen_rows && column >= 1 &&
      column <= screen_columns) {
    const std::uint32_t fg = text_palette[grid.at(row, column).attribute & 15];
    for (int y = cursor_first_row; y < glyph_height; ++y) {
      std::uint32_t* out = bgra +
                           static_cast<std::ptrdiff_t>((row - 1) * glyph_height + y) * frame_width +
                           static_cast<std::ptrdiff_t>(column - 1) * glyph_width;
      std::fill(out, out + glyph_width, fg);
    }
  }
  return phased;
}

frame_phases phases_at(std::int64_t ms) {
  return {(ms / cursor_half_period_ms) % 2 == 0, (ms / blink_half_period_ms) % 2 == 0};
}

std::int64_t ms_to_next_phase_change(std::int64_t ms) {
  return std::min(cursor_half_period_ms - ms % cursor_half_period_ms,
                  blink_half_period_ms - ms % blink_half_period_ms);
}

bool needs_new_frame(const drawn_frame* last, std::uint64_t generation, frame_phases now) {
  if (last == nullptr || last->generation != generation) return true;
  return last->phased && last->phases != now;
}

void pixel_image::fill_rect(int x, int y, int w, int h, std::uint32_t colour) const {
  const int x0 = std::max(x, 0), x1 = std::min(x + w, width);
  const int y0 = std::max(y, 0), y1 = std::min(y + h, height);
  for (int row = y0; row < y1; ++row) {
    std::fill(pixels + static_cast<std::ptrdiff_t>(row) * width + x0,
              pixels + static_cast<std::ptrdiff_t>(row) * width + std::max(x0, x1), colour);
  }
}

void pixel_image::draw_text(int x, int y, std::string_view text, std::uint32_t foreground) const {
  for (const char ch : text) {
    const glyph_rows& glyph = cp437_glyphs[static_cast<std::uint8_t>(ch)];
    for (int gy = 0; gy < glyph_height; ++gy) {
      const int py = y + gy;
      if (py < 0 || py >= height) continue;
      for (int gx = 0; gx < glyph_width; ++gx) {
        const int px = x + gx;
        if (px >= 0 && px < width && (glyph[gy] & (0x80u >> gx))) {
          pixels[static_cast<std::ptrdiff_t>(py) * width + px] = foreground;
        }
      }
    }
    x += glyph_width;
  }
}

}  // namespace screen
