// Cells to pixels: the text screen as a 640x400 image, and the small text
// boxes of the window front end, drawn with the same glyphs. Pure functions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
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

// A rectangle of cells: columns [left, right) and rows [top, bottom), counted
// from 0 at the top left; empty when it holds no cell.
struct cell_rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const cell_rect&, const cell_rect&) = default;
};
inline constexpr cell_rect whole_screen{0, 0, screen_columns, screen_rows};
// The smallest rectangle holding both; an empty one adds nothing.
cell_rect unite(cell_rect a, cell_rect b);

// Draws every cell into `bgra` (frame_pixels values, row 0 at the top). The
// text cursor, an underline on the cell's last two pixel rows, is drawn when
// `cursor_visible` and `cursor_phase` are both set; cells with the blink bit show
// their foreground only while `blink_phase` is set. Returns true when the image
// depends on either phase, so a caller can skip redrawing while nothing changes.
bool render_frame(const text_grid& grid, bool cursor_visible, bool cursor_phase, bool blink_phase,
                  std::uint32_t* bgra);
// The same for the cells of `area` only; every other pixel is left as it is.
void render_cells(const text_grid& grid, bool cursor_visible, bool cursor_phase, bool blink_phase,
                  cell_rect area, std::uint32_t* bgra);
// Whether the image depends on the cursor or blink phase at all.
bool depends_on_phases(const text_grid& grid, bool cursor_visible);

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

// --- what changed ----------------------------------------------------------------
// What one cell shows, as a number: two cells with the same look have the same
// pixels, so a cell whose look has not changed need not be drawn again.
using cell_look = std::uint32_t;
using screen_looks = std::array<cell_look, cell_count>;
screen_looks looks_of(const text_grid& grid, bool cursor_visible, frame_phases phases);
// The smallest rectangle holding every cell whose look differs; empty when none does.
cell_rect changed_cells(const screen_looks& before, const screen_looks& after);

// A rectangle of pixels, row 0 at the top.
struct pixel_rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const pixel_rect&, const pixel_rect&) = default;
};
// The image's pixels of `area`: the band of the texture to upload.
pixel_rect image_pixels(cell_rect area);

// --- where the image stands in the window -------------------------------------------
// The largest whole multiple of the image that fits, centred, the rest of the
// window black; in a window smaller than the image, the image scaled down to
// fit with its proportions kept (`scale` 0), which needs filtering.
struct image_placement {
  pixel_rect area;  // window pixels
  int scale = 1;
  friend bool operator==(const image_placement&, const image_placement&) = default;
};
image_placement place_image(int window_width, int window_height);
// The window pixels that show `area` of the image. Scaled down, each window
// pixel mixes several cells, so any change there redraws the whole image.
pixel_rect window_pixels(const image_placement& placement, cell_rect area);

// --- what the back buffer lacks ---------------------------------------------------
// Decides how much of each frame to draw, from what the back buffer can be
// trusted to hold. Its age (1: the last frame shown, 2: the one before, 0:
// unknown) comes from the window system where it tells; otherwise buffers
// are taken to be exchanged at each swap, so that the back buffer holds the
// frame before last, and the first two frames after the contents were lost
// (start, resize, expose) are drawn whole.
class back_buffer_plan {
 public:
  static constexpr int assumed_age = 2;
  struct frame {
    cell_rect area;             // the image's cells to draw
    bool whole_window = false;  // and the black around it: the contents are unknown
  };
  // The frame to draw for an image that changed in `changed` since the last
  // frame shown; `age` as the window system reports it, if it does. Nothing to
  // draw (an empty area and no whole window) when the buffer already holds it;
  // otherwise the frame counts as shown.
  frame next(cell_rect changed, std::optional<int> age);
  // The window's contents are lost, or its size changed: draw it whole again.
  void invalidate() { frames_since_invalid_ = 0; }

 private:
  static constexpr int kept = 4;
  std::array<cell_rect, kept> history_{};  // the changes of the last frames shown, newest first
  int frames_since_invalid_ = 0;
};

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
