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

cell_rect unite(cell_rect a, cell_rect b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

bool depends_on_phases(const text_grid& grid, bool cursor_visible) {
  return cursor_visible ||
         std::any_of(grid.cells().begin(), grid.cells().end(),
                     [](const screen_cell& c) { return (c.attribute & 0x80) != 0; });
}

void render_cells(const text_grid& grid, bool cursor_visible, bool cursor_phase, bool blink_phase,
                  cell_rect area, std::uint32_t* bgra) {
  area = {std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, screen_columns),
          std::min(area.bottom, screen_rows)};
  if (area.empty()) return;
  std::array<cell_paint, screen_columns> paint;
  const auto first = paint.begin(), last = first + (area.right - area.left);
  for (int r = area.top + 1; r <= area.bottom; ++r) {
    for (int c = area.left + 1; c <= area.right; ++c) {
      const screen_cell& cell = grid.at(r, c);
      const bool blinking = (cell.attribute & 0x80) != 0;
      const std::uint32_t fg = text_palette[cell.attribute & 15];
      const std::uint32_t bg = text_palette[(cell.attribute >> 4) & 7];
      paint[static_cast<std::size_t>(c - 1 - area.left)] = {
          splat(bg), splat(fg ^ bg),
          (!blinking || blink_phase) ? cp437_glyphs[cell.character].data() : blank_rows.data()};
    }
    std::uint32_t* row_start = bgra +
                               static_cast<std::ptrdiff_t>((r - 1) * glyph_height) * frame_width +
                               static_cast<std::ptrdiff_t>(area.left) * glyph_width;
    for (int y = 0; y < glyph_height; ++y) {
      std::uint32_t* out = row_start + static_cast<std::ptrdiff_t>(y) * frame_width;
      for (auto p = first; p != last; ++p) {
        const row_masks& mask = row_mask_table[p->rows[y]];
        const pixels4 left = p->bg ^ (mask.left & p->diff);
        const pixels4 right = p->bg ^ (mask.right & p->diff);
        std::memcpy(out, &left, sizeof left);
        std::memcpy(out + 4, &right, sizeof right);
        out += glyph_width;
      }
    }
  }
  // The cursor: its rows in the cell's foreground, over glyph and blinking alike.
  const int row = grid.row(), column = grid.column();
  if (cursor_visible && cursor_phase && row > area.top && row <= area.bottom &&
      column > area.left && column <= area.right) {
    const std::uint32_t fg = text_palette[grid.at(row, column).attribute & 15];
    for (int y = cursor_first_row; y < glyph_height; ++y) {
      std::uint32_t* out = bgra +
                           static_cast<std::ptrdiff_t>((row - 1) * glyph_height + y) * frame_width +
                           static_cast<std::ptrdiff_t>(column - 1) * glyph_width;
      std::fill(out, out + glyph_width, fg);
    }
  }
}

bool render_frame(const text_grid& grid, bool cursor_visible, bool cursor_phase, bool blink_phase,
                  std::uint32_t* bgra) {
  render_cells(grid, cursor_visible, cursor_phase, blink_phase, whole_screen, bgra);
  return depends_on_phases(grid, cursor_visible);
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

screen_looks looks_of(const text_grid& grid, bool cursor_visible, frame_phases phases) {
  screen_looks looks{};
  const auto& cells = grid.cells();
  for (std::size_t i = 0; i < looks.size(); ++i) {
    const screen_cell cell = cells[i];
    // A blinking cell in its off phase shows no glyph, whatever its character.
    const bool hidden = (cell.attribute & 0x80) != 0 && !phases.blink;
    looks[i] = (hidden ? 0u : 0x10000u | cell.character) | (cell.attribute << 8u);
  }
  const int row = grid.row(), column = grid.column();
  if (cursor_visible && phases.cursor && row >= 1 && row <= screen_rows && column >= 1 &&
      column <= screen_columns) {
    looks[static_cast<std::size_t>(row - 1) * screen_columns +
          static_cast<std::size_t>(column - 1)] |= 0x20000u;
  }
  return looks;
}

cell_rect changed_cells(const screen_looks& before, const screen_looks& after) {
  cell_rect changed;
  for (int r = 0; r < screen_rows; ++r) {
    const auto* b = before.data() + static_cast<std::ptrdiff_t>(r) * screen_columns;
    const auto* a = after.data() + static_cast<std::ptrdiff_t>(r) * screen_columns;
    const auto [first_b, first_a] = std::mismatch(b, b + screen_columns, a);
    if (first_b == b + screen_columns) continue;
    // The last differing column, found from the right.
    int last = screen_columns - 1;
    while (b[last] == a[last]) --last;
    changed = unite(changed, {static_cast<int>(first_b - b), r, last + 1, r + 1});
  }
  return changed;
}

pixel_rect image_pixels(cell_rect area) {
  if (area.empty()) return {};
  return {area.left * glyph_width, area.top * glyph_height, (area.right - area.left) * glyph_width,
          (area.bottom - area.top) * glyph_height};
}

image_placement place_image(int window_width, int window_height) {
  const int w = std::max(window_width, 1), h = std::max(window_height, 1);
  const int scale = std::min(w / frame_width, h / frame_height);
  int width = frame_width * scale, height = frame_height * scale;
  if (scale == 0) {
    // The side that runs out first sets the size; the other keeps the proportion.
    if (static_cast<std::int64_t>(w) * frame_height <= static_cast<std::int64_t>(h) * frame_width) {
      width = w;
      height = std::max(1, (w * frame_height + frame_width / 2) / frame_width);
    } else {
      height = h;
      width = std::max(1, (h * frame_width + frame_height / 2) / frame_height);
    }
  }
  return {{(w - width) / 2, (h - height) / 2, width, height}, scale};
}

pixel_rect window_pixels(const image_placement& placement, cell_rect area) {
  if (area.empty()) return {};
  if (placement.scale == 0) return placement.area;
  const pixel_rect in_image = image_pixels(area);
  const int k = placement.scale;
  return {placement.area.x + in_image.x * k, placement.area.y + in_image.y * k, in_image.width * k,
          in_image.height * k};
}

back_buffer_plan::frame back_buffer_plan::next(cell_rect changed, std::optional<int> age) {
  // Lost contents are drawn whole even when the image stayed the same; otherwise
  // an unchanged image is already in the window.
  if (frames_since_invalid_ > 0 && changed.empty()) return {};
  const int trusted = age.value_or(assumed_age);
  const bool whole = trusted < 1 || trusted > frames_since_invalid_ || trusted - 1 > kept;
  cell_rect area = changed;
  if (!whole) {
    // The back buffer lacks the changes of the frames shown since it was drawn.
    for (int i = 0; i < trusted - 1; ++i) area = unite(area, history_[static_cast<std::size_t>(i)]);
  }
  std::copy_backward(history_.begin(), history_.end() - 1, history_.end());
  history_[0] = changed;
  frames_since_invalid_ = std::min(frames_since_invalid_ + 1, kept + 1);
  if (whole) return {whole_screen, true};
  return {area, false};
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
