// Redrawing only what changed: which cells differ, drawing just those, where
// the image stands in a resized window, and how much of each frame the back
// buffer needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <vector>

#include "screen/cp437_glyphs.h"
#include "screen/render.h"

namespace screen {
// Readable failures.
std::ostream& operator<<(std::ostream& out, const cell_rect& r) {
  return out << "cells [" << r.left << "," << r.right << ")x[" << r.top << "," << r.bottom << ")";
}
std::ostream& operator<<(std::ostream& out, const pixel_rect& r) {
  return out << r.width << "x" << r.height << "+" << r.x << "+" << r.y;
}
std::ostream& operator<<(std::ostream& out, const image_placement& p) {
  return out << p.area << " scale " << p.scale;
}
}  // namespace screen

namespace {

using screen::cell_rect;
using screen::frame_phases;
using screen::pixel_rect;
using screen::text_grid;

// What the screen shows: the cells, whether the cursor is on, and the phases.
struct shown {
  text_grid grid;
  bool cursor_visible = false;
  frame_phases phases;
};

std::vector<std::uint32_t> full_render(const shown& s) {
  std::vector<std::uint32_t> image(screen::frame_pixels);
  screen::render_frame(s.grid, s.cursor_visible, s.phases.cursor, s.phases.blink, image.data());
  return image;
}

// Draws only the cells that changed from `before` to `after` over the image of
// `before`: the result must be the image of `after`. Returns the cells drawn.
cell_rect update_and_compare(const shown& before, const shown& after) {
  std::vector<std::uint32_t> image = full_render(before);
  const cell_rect changed =
      screen::changed_cells(screen::looks_of(before.grid, before.cursor_visible, before.phases),
                            screen::looks_of(after.grid, after.cursor_visible, after.phases));
  screen::render_cells(after.grid, after.cursor_visible, after.phases.cursor, after.phases.blink,
                       changed, image.data());
  const std::vector<std::uint32_t> expected = full_render(after);
  std::size_t first_wrong = 0;
  while (first_wrong < image.size() && image[first_wrong] == expected[first_wrong]) ++first_wrong;
  EXPECT_EQ(first_wrong, image.size())
      << "drawing " << changed << " left pixel " << first_wrong % screen::frame_width << ","
      << first_wrong / screen::frame_width << " wrong";
  return changed;
}

// The height prompt with "10" typed, cursor after it.
shown prompt_screen() {
  shown s;
  s.grid.set_attribute(0x70);
  s.grid.clear();
  s.grid.locate(10, 15);
  s.grid.print("Antenna HAAT in Feet? 10", false);
  s.cursor_visible = true;
  return s;
}

TEST(ChangedCells, OnlyTheCellsWhoseLookChangedAreDrawnAgain) {
  struct change_case {
    const char* name;
    void (*change)(shown&);
    cell_rect expected;
  };
  const change_case cases[] = {
      {"cursor blinks off", [](shown& s) { s.phases.cursor = false; }, {38, 9, 39, 10}},
      {"a key typed: the echo and the cursor's move",
       [](shown& s) { s.grid.print("0", false); },
       {38, 9, 40, 10}},
      {"cursor hidden at the end of the entry",
       [](shown& s) { s.cursor_visible = false; },
       {38, 9, 39, 10}},
      {"nothing but the cursor's position, while hidden",
       [](shown& s) {
         s.cursor_visible = false;
         s.phases.cursor = false;
         s.grid.locate(1, 1);
       },
       {38, 9, 39, 10}},
      {"colour only", [](shown& s) { s.grid.at(25, 80).attribute = 0x1F; }, {79, 24, 80, 25}},
      {"two rows apart",
       [](shown& s) {
         s.grid.at(4, 20).character = 'T';
         s.grid.at(23, 15).character = 'c';
       },
       {14, 3, 20, 23}},
      {"a blinking cell's off phase",
       [](shown& s) {
         s.grid.at(1, 1).attribute = 0xF0;
         s.grid.at(1, 1).character = 'B';
       },
       {0, 0, 1, 1}},
      {"scrolled",
       [](shown& s) {
         s.grid.locate(24, 1);
         s.grid.newline();
       },
       {0, 8, 39, 24}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const shown before = prompt_screen();
    shown after = before;
    c.change(after);
    EXPECT_EQ(update_and_compare(before, after), c.expected);
  }
}

TEST(ChangedCells, NothingChangedIsAnEmptyArea) {
  const shown s = prompt_screen();
  const auto looks = screen::looks_of(s.grid, s.cursor_visible, s.phases);
  EXPECT_TRUE(screen::changed_cells(looks, looks).empty());
  // A blinking cell's hidden character may change unseen.
  shown hidden = s;
  hidden.phases.blink = false;
  hidden.grid.at(3, 3) = {'x', 0x8F};
  shown other = hidden;
  other.grid.at(3, 3).character = 'y';
  EXPECT_TRUE(screen::changed_cells(screen::looks_of(hidden.grid, true, hidden.phases),
                                    screen::looks_of(other.grid, true, other.phases))
                  .empty());
}

// Random screens changed at random: drawing the changed cells always gives the
// whole image of the new screen.
TEST(ChangedCells, RandomChangesDrawnOverTheOldImageGiveTheNewImage) {
  std::mt19937 random(12345);
  auto pick = [&](int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(random);
  };
  shown s;
  for (int r = 1; r <= screen::screen_rows; ++r) {
    for (int c = 1; c <= screen::screen_columns; ++c) {
      s.grid.at(r, c) = {static_cast<std::uint8_t>(pick(0, 255)),
                         static_cast<std::uint8_t>(pick(0, 255))};
    }
  }
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE(testing::Message() << "trial " << trial << " (seed 12345)");
    shown next = s;
    for (int n = pick(0, 4); n > 0; --n) {
      next.grid.at(pick(1, 25), pick(1, 80)) = {static_cast<std::uint8_t>(pick(0, 255)),
                                                static_cast<std::uint8_t>(pick(0, 255))};
    }
    if (pick(0, 3) == 0) next.grid.locate(pick(1, 25), pick(1, 80));
    if (pick(0, 3) == 0) next.cursor_visible = !next.cursor_visible;
    if (pick(0, 2) == 0) next.phases.cursor = !next.phases.cursor;
    if (pick(0, 2) == 0) next.phases.blink = !next.phases.blink;
    update_and_compare(s, next);
    if (HasFailure()) return;
    s = next;
  }
}

// Only the area's pixels are drawn, the cursor's included; the rest stays as it was.
TEST(ChangedCells, DrawingAnAreaTouchesNoPixelOutsideIt) {
  shown s = prompt_screen();
  s.grid.at(10, 39).attribute = 0x1E;  // the cursor's cell, in other colours
  const std::vector<std::uint32_t> whole = full_render(s);
  const cell_rect areas[] = {{38, 9, 39, 10}, {39, 9, 40, 10},      {37, 9, 38, 10},
                             {0, 10, 80, 11}, {0, 0, 80, 9},        {0, 0, 38, 25},
                             {39, 0, 80, 25}, screen::whole_screen, {79, 24, 80, 25},
                             {-5, -5, 2, 2},  {78, 23, 90, 30}};
  constexpr std::uint32_t untouched = 0x12345678;
  for (const cell_rect& area : areas) {
    std::vector<std::uint32_t> image(screen::frame_pixels, untouched);
    screen::render_cells(s.grid, true, true, true, area, image.data());
    for (int y = 0; y < screen::frame_height; ++y) {
      for (int x = 0; x < screen::frame_width; ++x) {
        const int column = x / 8, row = y / 16;
        const bool inside =
            column >= area.left && column < area.right && row >= area.top && row < area.bottom;
        const auto i =
            static_cast<std::size_t>(y) * screen::frame_width + static_cast<std::size_t>(x);
        ASSERT_EQ(image[i], inside ? whole[i] : untouched)
            << "drawing " << area << ": pixel " << x << "," << y;
      }
    }
  }
}

TEST(ChangedCells, TheBandToUploadIsTheCellsPixels) {
  EXPECT_EQ(screen::image_pixels({38, 9, 40, 10}), (pixel_rect{304, 144, 16, 16}));
  EXPECT_EQ(screen::image_pixels(screen::whole_screen), (pixel_rect{0, 0, 640, 400}));
  EXPECT_TRUE(screen::image_pixels({}).empty());
  EXPECT_EQ(screen::unite({1, 2, 3, 4}, {}), (cell_rect{1, 2, 3, 4}));
  EXPECT_EQ(screen::unite({1, 2, 3, 4}, {0, 5, 2, 6}), (cell_rect{0, 2, 3, 6}));
}

TEST(ImagePlacement, WholeMultiplesCentredOrScaledDownKeepingTheProportions) {
  struct placement_case {
    int width, height;
    screen::image_placement expected;
  };
  const placement_case cases[] = {
      {640, 400, {{0, 0, 640, 400}, 1}},
      {1000, 700, {{180, 150, 640, 400}, 1}},
      {1280, 800, {{0, 0, 1280, 800}, 2}},
      {1279, 800, {{319, 200, 640, 400}, 1}},
      {1280, 799, {{320, 199, 640, 400}, 1}},
      {2000, 1300, {{40, 50, 1920, 1200}, 3}},
      {641, 1200, {{0, 400, 640, 400}, 1}},
      {320, 200, {{0, 0, 320, 200}, 0}},
      {400, 300, {{0, 25, 400, 250}, 0}},
      {600, 100, {{220, 0, 160, 100}, 0}},
      {639, 400, {{0, 0, 639, 399}, 0}},
      {1, 1, {{0, 0, 1, 1}, 0}},
      {0, 0, {{0, 0, 1, 1}, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(screen::place_image(c.width, c.height), c.expected) << c.width << "x" << c.height;
  }
}

TEST(ImagePlacement, ChangedCellsMapToTheWindowPixelsThatShowThem) {
  const auto at_one = screen::place_image(1000, 700), at_two = screen::place_image(1280, 800);
  const auto shrunk = screen::place_image(400, 300);
  EXPECT_EQ(screen::window_pixels(at_one, {38, 9, 40, 10}), (pixel_rect{484, 294, 16, 16}));
  EXPECT_EQ(screen::window_pixels(at_two, {38, 9, 40, 10}), (pixel_rect{608, 288, 32, 32}));
  EXPECT_EQ(screen::window_pixels(at_two, screen::whole_screen), (pixel_rect{0, 0, 1280, 800}));
  EXPECT_EQ(screen::window_pixels(shrunk, {38, 9, 40, 10}), shrunk.area);
  EXPECT_TRUE(screen::window_pixels(at_one, {}).empty());
}

// --- the back buffer ------------------------------------------------------------

TEST(BackBufferPlan, WithoutAnAgeTheFirstTwoFramesAreWholeThenTheLastTwoChanges) {
  const cell_rect a{1, 1, 2, 2}, b{5, 5, 6, 6}, c{9, 0, 10, 1}, none{};
  struct step {
    const char* what;
    bool invalidate;
    cell_rect changed;
    cell_rect area;
    bool whole_window;
  };
  const step steps[] = {
      {"first frame", false, screen::whole_screen, screen::whole_screen, true},
      {"second frame: the other buffer is still unknown", false, a, screen::whole_screen, true},
      {"third: this change and the one before", false, b, screen::unite(a, b), false},
      {"nothing changed: nothing drawn", false, none, none, false},
      {"an unshown frame does not count", false, c, screen::unite(b, c), false},
      {"expose: whole, also unchanged", true, none, screen::whole_screen, true},
      {"then the other buffer whole", false, a, screen::whole_screen, true},
      {"then partial again", false, b, screen::unite(a, b), false},
  };
  screen::back_buffer_plan plan;
  for (const auto& s : steps) {
    if (s.invalidate) plan.invalidate();
    const auto frame = plan.next(s.changed, std::nullopt);
    EXPECT_EQ(frame.area, s.area) << s.what;
    EXPECT_EQ(frame.whole_window, s.whole_window) << s.what;
  }
}

// Two buffers as the window system may keep them, exchanged or copied at each
// swap, their contents lost now and then: whatever the plan says to draw, the
// window must always show the newest image.
struct swap_model {
  const char* name;
  bool exchanged;    // false: the back buffer is copied to the front
  bool reports_age;  // the window system says how old the back buffer is
};

void PrintTo(const swap_model& m, std::ostream* out) {
  *out << m.name;
}

class BackBufferModel : public testing::TestWithParam<swap_model> {};

TEST_P(BackBufferModel, TheWindowAlwaysShowsTheNewestImage) {
  const swap_model model = GetParam();
  std::mt19937 random(777);
  auto pick = [&](int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(random);
  };
  // Each cell's version, and the number of the frame a buffer holds (-1: garbage).
  using cells = std::vector<int>;
  struct buffer {
    cells versions = cells(screen::cell_count, -1);
    int frame = -1;
  };
  cells image(screen::cell_count, 0);
  buffer front, back;
  int shown = 0;  // frames shown so far
  screen::back_buffer_plan plan;
  cell_rect changed = screen::whole_screen;
  for (int step = 0; step < 2000; ++step) {
    SCOPED_TRACE(testing::Message() << model.name << ", step " << step << " (seed 777)");
    std::optional<int> age;
    if (model.reports_age) age = back.frame < 0 ? 0 : shown + 1 - back.frame;
    const auto frame = plan.next(changed, age);
    if (!frame.area.empty() || frame.whole_window) {
      const cell_rect area = frame.whole_window ? screen::whole_screen : frame.area;
      for (int r = area.top; r < area.bottom; ++r) {
        for (int c = area.left; c < area.right; ++c) {
          const auto i =
              static_cast<std::size_t>(r) * screen::screen_columns + static_cast<std::size_t>(c);
          back.versions[i] = image[i];
        }
      }
      back.frame = ++shown;
      if (model.exchanged) {
        std::swap(front, back);
      } else {
        front = back;
      }
    }
    const cells& seen = front.versions;
    ASSERT_EQ(seen, image) << "after drawing " << frame.area
                           << (frame.whole_window ? " (whole)" : "");
    // The next change, and now and then the contents lost.
    changed = {};
    for (int n = pick(0, 2); n > 0; --n) {
      const int left = pick(0, 79), top = pick(0, 24);
      const cell_rect r{left, top, std::min(80, left + pick(1, 3)), std::min(25, top + pick(1, 2))};
      for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x)
          ++image[static_cast<std::size_t>(y) * 80 + static_cast<std::size_t>(x)];
      }
      changed = screen::unite(changed, r);
    }
    if (pick(0, 60) == 0) {
      front = back = buffer{};
      plan.invalidate();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Swaps, BackBufferModel,
                         testing::Values(swap_model{"exchanged", true, false},
                                         swap_model{"copied", false, false},
                                         swap_model{"exchanged, age told", true, true},
                                         swap_model{"copied, age told", false, true}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::replace_if(
                               name.begin(), name.end(), [](char ch) { return !std::isalnum(ch); },
                               '_');
                           return name;
                         });

}  // namespace
