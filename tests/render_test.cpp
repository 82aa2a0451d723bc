// Cells to pixels: glyphs, palette, blinking and the text cursor.
#include "screen/render.h"

#include <gtest/gtest.h>

#include <vector>

#include "screen/cp437_glyphs.h"

namespace {

using screen::frame_pixels;
using screen::frame_width;
using screen::text_grid;
using screen::text_palette;

std::uint32_t pixel(const std::vector<std::uint32_t>& image, int x, int y) {
  return image[static_cast<std::size_t>(y) * frame_width + x];
}

// Checks that cell (row, column) shows `rows` (bit 7 leftmost) in fg on bg.
void expect_cell(const std::vector<std::uint32_t>& image, int row, int column,
                 const screen::glyph_rows& rows, std::uint32_t fg, std::uint32_t bg) {
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 8; ++x) {
      const std::uint32_t want = (rows[y] & (0x80 >> x)) ? fg : bg;
      ASSERT_EQ(pixel(image, (column - 1) * 8 + x, (row - 1) * 16 + y), want)
          << "cell " << row << "," << column << " pixel " << x << "," << y;
    }
  }
}

TEST(Render, PaletteIsTheCgaTextPalette) {
  const std::uint32_t expected[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                      0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                      0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(text_palette[i], 0xFF000000u | expected[i]) << i;
}

struct cell_case {
  const char* name;
  std::uint8_t character, attribute;
  bool blink_phase;
  std::uint8_t shown;  // the glyph expected
  int fg, bg;
};

void PrintTo(const cell_case& c, std::ostream* os) {
  *os << c.name;
}

class RenderCell : public testing::TestWithParam<cell_case> {};

TEST_P(RenderCell, DrawsGlyphInItsColours) {
  const cell_case& c = GetParam();
  text_grid grid;
  grid.at(3, 80) = {c.character, c.attribute};
  std::vector<std::uint32_t> image(frame_pixels);
  screen::render_frame(grid, false, true, c.blink_phase, image.data());
  expect_cell(image, 3, 80, screen::cp437_glyphs[c.shown], text_palette[c.fg], text_palette[c.bg]);
  // Neighbours keep the start state: blanks in light grey on black.
  expect_cell(image, 3, 79, screen::cp437_glyphs[' '], text_palette[7], text_palette[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, RenderCell,
    testing::Values(cell_case{"BlackOnLightGrey", 'A', 0x70, true, 'A', 0, 7},
                    cell_case{"MicroSign", 0xE6, 0x70, true, 0xE6, 0, 7},
                    cell_case{"BrightForeground", 0xDB, 0x1E, true, 0xDB, 14, 1},
                    cell_case{"BlinkOn", 'x', 0xF4, true, 'x', 4, 7},
                    cell_case{"BlinkOffHidesForeground", 'x', 0xF4, false, ' ', 4, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Render, MicroSignIsItsOwnGlyph) {
  EXPECT_NE(screen::cp437_glyphs[0xE6], screen::cp437_glyphs['u']);
  EXPECT_NE(screen::cp437_glyphs[0xE6], screen::cp437_glyphs[' ']);
  EXPECT_EQ(screen::cp437_glyphs[0], screen::cp437_glyphs[' ']);
}

TEST(Render, CursorIsAnUnderlineAtTheCursorCellWhileShownAndInPhase) {
  text_grid grid;
  grid.set_attribute(0x70);
  grid.clear();
  grid.locate(10, 15);
  std::vector<std::uint32_t> on(frame_pixels), off(frame_pixels), hidden(frame_pixels);
  EXPECT_TRUE(screen::render_frame(grid, true, true, true, on.data()));
  EXPECT_TRUE(screen::render_frame(grid, true, false, true, off.data()));
  EXPECT_FALSE(screen::render_frame(grid, false, true, true, hidden.data()));
  EXPECT_EQ(off, hidden);
  screen::glyph_rows underline{};
  underline[14] = underline[15] = 0xFF;
  expect_cell(on, 10, 15, underline, text_palette[0], text_palette[7]);
  std::size_t differing = 0;
  for (std::size_t i = 0; i < frame_pixels; ++i) differing += on[i] != off[i];
  EXPECT_EQ(differing, 16u);
}

// Every character in every attribute somewhere on the screen, the cursor on a
// blinking cell: each pixel as the cell-by-cell definition gives it.
TEST(Render, WholeScreenMatchesTheCellDefinitionInEveryPhase) {
  text_grid grid;
  for (int r = 1; r <= 25; ++r) {
    for (int c = 1; c <= 80; ++c) {
      const int i = (r - 1) * 80 + (c - 1);
      grid.at(r, c) = {static_cast<std::uint8_t>(i % 256),
                       static_cast<std::uint8_t>((i * 7) % 256)};
    }
  }
  grid.locate(12, 41);
  grid.at(12, 41).attribute = 0x9E;
  for (const bool cursor_phase : {false, true}) {
    for (const bool blink_phase : {false, true}) {
      std::vector<std::uint32_t> image(frame_pixels);
      EXPECT_TRUE(screen::render_frame(grid, true, cursor_phase, blink_phase, image.data()));
      for (int r = 1; r <= 25; ++r) {
        for (int c = 1; c <= 80; ++c) {
          const screen::screen_cell cell = grid.at(r, c);
          const bool shown = !(cell.attribute & 0x80) || blink_phase;
          screen::glyph_rows rows =
              shown ? screen::cp437_glyphs[cell.character] : screen::cp437_glyphs[' '];
          if (cursor_phase && r == 12 && c == 41) rows[14] = rows[15] = 0xFF;
          SCOPED_TRACE(testing::Message()
                       << "cursor phase " << cursor_phase << ", blink phase " << blink_phase);
          expect_cell(image, r, c, rows, text_palette[cell.attribute & 15],
                      text_palette[(cell.attribute >> 4) & 7]);
        }
      }
    }
  }
}

TEST(FrameSchedule, PhasesFollowTheirHalfPeriods) {
  struct phase_case {
    std::int64_t ms;
    bool cursor, blink;
    std::int64_t to_next;
  };
  const phase_case cases[] = {
      {0, true, true, 266},    {265, true, true, 1},    {266, false, true, 266},
      {532, true, true, 1},    {533, true, false, 265}, {798, false, false, 266},
      {1066, true, true, 264}, {1065, true, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ms << " ms");
    const screen::frame_phases p = screen::phases_at(c.ms);
    EXPECT_EQ(p.cursor, c.cursor);
    EXPECT_EQ(p.blink, c.blink);
    EXPECT_EQ(screen::ms_to_next_phase_change(c.ms), c.to_next);
  }
  // From anywhere, the next change is the first moment either phase differs.
  for (std::int64_t ms = 0; ms < 3000; ms += 7) {
    const std::int64_t next = screen::ms_to_next_phase_change(ms);
    ASSERT_GE(next, 1) << ms;
    for (std::int64_t t = ms; t < ms + next; ++t) {
      ASSERT_EQ(screen::phases_at(t), screen::phases_at(ms)) << ms << " to " << t;
    }
    ASSERT_NE(screen::phases_at(ms + next), screen::phases_at(ms)) << ms;
  }
}

TEST(FrameSchedule, NewFrameOnlyWhenTheImageWouldDiffer) {
  const screen::frame_phases on{true, true}, cursor_off{false, true}, blink_off{true, false};
  struct due_case {
    const char* name;
    bool have_last;
    screen::drawn_frame last;
    std::uint64_t generation;
    screen::frame_phases now;
    bool due;
  };
  const due_case cases[] = {
      {"first frame", false, {}, 1, on, true},
      {"nothing changed", true, {5, on, false}, 5, on, false},
      {"cells changed", true, {5, on, false}, 6, on, true},
      {"phase changed, image does not depend on it", true, {5, on, false}, 5, cursor_off, false},
      {"cursor phase changed, image depends on it", true, {5, on, true}, 5, cursor_off, true},
      {"blink phase changed, image depends on it", true, {5, on, true}, 5, blink_off, true},
      {"phased image, same phases", true, {5, blink_off, true}, 5, blink_off, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(screen::needs_new_frame(c.have_last ? &c.last : nullptr, c.generation, c.now), c.due)
        << c.name;
  }
}

}  // namespace
