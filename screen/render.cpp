#include "screen/render.h"

#include <algorithm>

#include "screen/cp437_glyphs.h"

namespace screen {

const std::array<std::uint32_t, 16> text_palette = {
    0xFF000000, 0xFF0000AA, 0xFF00AA00, 0xFF00AAAA, 0xFFAA0000, 0xFFAA00AA, 0xFFAA5500, 0xFFAAAAAA,
    0xFF555555, 0xFF5555FF, 0xFF55FF55, 0xFF55FFFF, 0xFFFF5555, 0xFFFF55FF, 0xFFFFFF55, 0xFFFFFFFF,
};

namespace {

// The cursor's pixel rows within a cell.
constexpr int cursor_first_row = glyph_height - 2;

void draw_cell(std::uint32_t* top_left, int stride, std::uint8_t character, std::uint32_t fg,
               std::uint32_t bg, bool show_glyph, bool cursor) {
  const glyph_rows& glyph = cp437_glyphs[character];
  for (int y = 0; y < glyph_height; ++y) {
    const unsigned bits = (cursor && y >= cursor_first_row) ? 0xFFu : show_glyph ? glyph[y] : 0u;
    std::uint32_t* out = top_left + static_cast<std::ptrdiff_t>(y) * stride;
    for (int x = 0; x < glyph_width; ++x) out[x] = (bits & (0x80u >> x)) ? fg : bg;
  }
}

}  // namespace

bool render_frame(const text_grid& grid, bool cursor_visible, bool cursor_phase, bool blink_phase,
                  std::uint32_t* bgra) {
  bool phased = cursor_visible;
  for (int r = 1; r <= screen_rows; ++r) {
    for (int c = 1; c <= screen_columns; ++c) {
      const screen_cell& cell = grid.at(r, c);
      const bool blinking = (cell.attribute & 0x80) != 0;
      phased = phased || blinking;
      const bool cursor = cursor_visible && cursor_phase && r == grid.row() && c == grid.column();
      draw_cell(bgra + static_cast<std::ptrdiff_t>((r - 1) * glyph_height) * frame_width +
                    (c - 1) * glyph_width,
                frame_width, cell.character, text_palette[cell.attribute & 15],
                text_palette[(cell.attribute >> 4) & 7], !blinking || blink_phase, cursor);
    }
  }
  return phased;
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
