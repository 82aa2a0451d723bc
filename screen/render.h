// Cells to pixels: the text screen as a 640x400 image, and the small text
// boxes of the window front end, drawn with the same glyphs. Pure functions.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "screen/grid.h"

namespace screen {

inline constexpr int frame_width = screen_columns * 8;  // 640
inline constexpr int frame_height = screen_rows * 16;   // 400
inline constexpr std::size_t frame_pixels =
    static_cast<std::size_t>(frame_width) * static_cast<std::size_t>(frame_height);

// The 16 colours of the CGA text palette as 0xAARRGGBB, which a little-endian
// machine stores as the bytes B, G, R, A.
extern const std::array<std::uint32_t, 16> text_palette;

// Draws every cell into `bgra` (frame_pixels values, row 0 at the top). The
// text cursor, an underline on the cell's last two pixel rows, is drawn when
// `cursor_visible` and `cursor_phase` are both set; cells with the blink bit show
// their foreground only while `blink_phase` is set. Returns true when the image
// depends on either phase, so a caller can skip redrawing while nothing changes.
bool render_frame(const text_grid& grid, bool cursor_visible, bool cursor_phase, bool blink_phase,
                  std::uint32_t* bgra);

// --- when to draw again ---------------------------------------------------------
// The text cursor and blinking cells alternate on fixed half periods, counted
// from the moment the window opened.
inline constexpr int cursor_half_period_ms = 266;
inline constexpr int blink_half_period_ms = 533;

struct frame_phases {
  bool cursor = true;
  bool blink = true;
  friend bool operator==(const frame_phases&, const frame_phases&) = default;
};
frame_phases phases_at(std::int64_t ms);
// Milliseconds from `ms` until either phase next changes (1 or more).
std::int64_t ms_to_next_phase_change(std::int64_t ms);

// What the newest image was drawn from.
struct drawn_frame {
  std::uint64_t generation = 0;
  frame_phases phases;
  bool phased = false;  // what render_frame returned
};
// A new image is due when there is none yet, the cells have changed, or the
// last one depends on a phase that has changed since; otherwise it would come
// out the same.
bool needs_new_frame(const drawn_frame* last, std::uint64_t generation, frame_phases now);

// An image of any size, for the front end's own boxes.
struct pixel_image {
  int width = 0;
  int height = 0;
  std::uint32_t* pixels = nullptr;
  void fill_rect(int x, int y, int w, int h, std::uint32_t colour) const;
  // Bytes drawn as CP437 glyphs from (x, y), the top-left pixel; clipped.
  void draw_text(int x, int y, std::string_view text, std::uint32_t foreground) const;
};

}  // namespace screen
