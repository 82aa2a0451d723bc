// Printing, wrapping and scrolling on the character grid.
#include "screen/grid.h"

#include <gtest/gtest.h>

#include <chrono>

#include "screen/frontend.h"
#include "screen/layer.h"
#include "screen/layer_state.h"

namespace {

using screen::text_grid;

std::string trimmed(const text_grid& g, int row) {
  std::string s = g.row_text(row);
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

struct print_case {
  const char* name;
  int row, column;  // where printing starts
  std::string text;
  bool newline;
  int end_row, end_column;
  bool wrap_pending;
};

void PrintTo(const print_case& c, std::ostream* os) {
  *os << c.name;
}

class PrintTest : public testing::TestWithParam<print_case> {};

TEST_P(PrintTest, CursorEndsWhereExpected) {
  const auto& c = GetParam();
  text_grid g;
  g.locate(c.row, c.column);
  g.print(c.text, c.newline);
  EXPECT_EQ(g.row(), c.end_row) << c.name;
  EXPECT_EQ(g.column(), c.end_column) << c.name;
  EXPECT_EQ(g.wrap_pending(), c.wrap_pending) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintTest,
    testing::Values(
        print_case{"plain", 3, 1, "abc", false, 3, 4, false},
        print_case{"plain with newline", 3, 1, "abc", true, 4, 1, false},
        print_case{"ends in column 80", 3, 71, "0123456789", false, 3, 80, true},
        print_case{"ends in column 80 with newline moves once", 3, 71, "0123456789", true, 4, 1,
                   false},
        print_case{"runs past column 80", 3, 78, "abcde", false, 4, 3, false},
        print_case{"empty text with newline", 3, 5, "", true, 4, 1, false},
        print_case{"carriage return", 3, 5, "ab\rcd", false, 4, 3, false},
        print_case{"return as last byte with newline moves once", 3, 5, "ab\r", true, 4, 1, false},
        print_case{"line feed", 3, 5, "a\nb", false, 4, 2, false},
        print_case{"tab to next stop", 3, 2, "\tx", false, 3, 10, false},
        print_case{"tab from a stop", 3, 9, "\tx", false, 3, 18, false},
        print_case{"home", 7, 7,
                   "ab\x0b"
                   "c",
                   false, 1, 2, false},
        print_case{"cursor moves", 7, 7, "\x1c\x1c\x1d\x1e\x1f\x1f", false, 8, 8, false},
        print_case{"cursor stops at the edges", 1, 1, "\x1d\x1e", false, 1, 1, false},
        print_case{"newline on row 24 scrolls", 24, 5, "x", true, 24, 1, false},
        print_case{"newline on row 25 scrolls", 25, 55, "x", true, 24, 1, false}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (auto& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

TEST(Grid, PendingWrapIsCarriedOutBeforeTheNextText) {
  text_grid g;
  g.locate(5, 79);
  g.print("ab", false);
  ASSERT_TRUE(g.wrap_pending());
  g.print("c", false);
  EXPECT_EQ(trimmed(g, 6), "c");
  EXPECT_EQ(g.row(), 6);
  EXPECT_EQ(g.column(), 2);
}

TEST(Grid, EmptyTextWithNewlineOnAPendingWrapMovesOneRow) {
  text_grid g;
  g.locate(5, 80);
  g.print("z", false);
  g.print("", true);
  EXPECT_EQ(g.row(), 6);
  EXPECT_EQ(g.column(), 1);
  g.print("", false);  // nothing pending now, nothing moves
  EXPECT_EQ(g.row(), 6);
}

TEST(Grid, EmptyTextWithoutNewlineKeepsThePendingWrap) {
  text_grid g;
  g.locate(5, 80);
  g.print("z", false);
  g.print("", false);
  EXPECT_TRUE(g.wrap_pending());
}

TEST(Grid, LocateCancelsAPendingWrap) {
  text_grid g;
  g.locate(5, 80);
  g.print("z", false);
  g.locate(5, 80);
  g.print("y", false);
  EXPECT_EQ(g.at(5, 80).character, 'y');
  EXPECT_EQ(trimmed(g, 6), "");
}

TEST(Grid, ScrollMovesRowsOneTo24AndNeverRow25) {
  text_grid g;
  g.set_attribute(0x70);
  for (int r = 1; r <= 25; ++r) {
    g.locate(r, 1);
    g.print("row" + std::to_string(r), false);
  }
  g.locate(24, 10);
  g.print("", true);
  EXPECT_EQ(trimmed(g, 1), "row2");
  EXPECT_EQ(trimmed(g, 23), "row24");
  EXPECT_EQ(trimmed(g, 24), "");
  EXPECT_EQ(g.at(24, 1).attribute, 0x70);
  EXPECT_EQ(trimmed(g, 25), "row25");
  EXPECT_EQ(g.row(), 24);
}

TEST(Grid, MakeFitStartsANewRowOnlyWhenNeeded) {
  text_grid g;
  g.locate(3, 75);
  g.make_fit(6);  // 75..80 fits
  EXPECT_EQ(g.row(), 3);
  g.make_fit(7);
  EXPECT_EQ(g.row(), 4);
  EXPECT_EQ(g.column(), 1);
  g.make_fit(200);  // column 1: never moves
  EXPECT_EQ(g.row(), 4);
  g.locate(3, 80);
  g.print("x", false);  // wrap pending: make_fit leaves it to the print
  g.make_fit(5);
  EXPECT_EQ(g.row(), 3);
}

TEST(Grid, ClearBlanksEveryRowInTheCurrentAttribute) {
  text_grid g;
  g.locate(25, 3);
  g.print("x", false);
  g.set_attribute(0x70);
  g.clear();
  for (int r = 1; r <= 25; ++r)
    for (int c = 1; c <= 80; ++c) ASSERT_EQ(g.at(r, c), (screen::screen_cell{' ', 0x70}));
  EXPECT_EQ(g.row(), 1);
  EXPECT_EQ(g.column(), 1);
}

// The layer's operations on top of the grid.
class LayerTest : public testing::Test {
 protected:
  void SetUp() override { screen::reset_layer(); }
  screen::text_grid grid() { return screen::snapshot_screen().grid; }
};

TEST_F(LayerTest, TabToColumnBothWays) {
  struct {
    int cursor_column;
    long long n;
    std::string expected;
  } cases[] = {
      {1, 5, "    "},  {5, 5, ""},    {10, 5, "\r    "},
      {1, 85, "    "},  // 85 mod 80
      {3, 0, "\r"},    {3, -7, "\r"}, {1, 80, std::string(79, ' ')},
  };
  for (const auto& c : cases) {
    screen::locate_cursor(2, c.cursor_column);
    EXPECT_EQ(screen::tab_to_column(c.n), c.expected)
        << "cursor " << c.cursor_column << ", n " << c.n;
  }
}

TEST_F(LayerTest, CarriageReturnFromTabToColumnStartsTheNextRow) {
  screen::locate_cursor(16, 1);
  screen::print_text("probable ", false);
  screen::print_text(screen::tab_to_column(5), false);
  screen::print_text("Distance", false);
  EXPECT_EQ(grid().row_text(16).substr(0, 9), "probable ");
  EXPECT_EQ(grid().row_text(17).substr(0, 12), "    Distance");
}

TEST_F(LayerTest, OutOfRangeArgumentsRaiseErrors) {
  struct {
    const char* what;
    std::function<void()> call;
    int error;
  } cases[] = {
      {"row 0", [] { screen::locate_cursor(0, 1); }, 5},
      {"row 26", [] { screen::locate_cursor(26, 1); }, 5},
      {"column 81", [] { screen::locate_cursor(3, 81); }, 5},
      {"column 0", [] { screen::locate_cursor(3, 0); }, 5},
      {"foreground 32", [] { screen::set_colour(32, 0); }, 5},
      {"background 16", [] { screen::set_colour(0, 16); }, 5},
      {"negative foreground", [] { screen::set_colour(-1, 0); }, 5},
      {"tab to 32768", [] { (void)screen::tab_to_column(32768); }, 6},
      {"tab to -32769", [] { (void)screen::tab_to_column(-32769); }, 6},
  };
  for (const auto& c : cases) {
    screen::reset_layer();
    screen::locate_cursor(3, 7);
    const auto before = grid();
    c.call();
    EXPECT_TRUE(screen::event_flag()) << c.what;
    EXPECT_EQ(screen::detail::state().pending_error, c.error) << c.what;
    EXPECT_EQ(grid().row(), before.row()) << c.what;
    EXPECT_EQ(grid().column(), before.column()) << c.what;
    EXPECT_EQ(grid().attribute(), before.attribute()) << c.what;
  }
}

TEST_F(LayerTest, TabToColumnAtTheEdgesOfItsRangeRaisesNothing) {
  screen::locate_cursor(2, 1);
  EXPECT_EQ(screen::tab_to_column(32767), std::string(46, ' '));  // 32767 mod 80 is 47
  EXPECT_EQ(screen::tab_to_column(-32768), "");
  EXPECT_FALSE(screen::event_flag());
}

// Byte 7 pauses a quarter of a second and prints nothing. Only a lower bound:
// a loaded machine makes the pause longer, never shorter.
TEST_F(LayerTest, BellPausesAQuarterSecondAndPrintsNothing) {
  screen::locate_cursor(2, 1);
  const auto start = std::chrono::steady_clock::now();
  screen::print_text("a\ab", false);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  EXPECT_EQ(grid().row_text(2).substr(0, 3), "ab ");
  EXPECT_EQ(grid().column(), 3);
}

// Byte 12 clears the whole screen in the current colours and goes home.
TEST_F(LayerTest, FormFeedClearsTheScreenInTheCurrentColours) {
  screen::locate_cursor(25, 3);
  screen::print_text("row 25", false);
  screen::set_colour(14, 1);
  screen::locate_cursor(3, 5);
  screen::print_text("ab\fcd", false);
  const auto g = grid();
  EXPECT_EQ(g.row_text(1), "cd" + std::string(78, ' '));
  for (int r = 2; r <= 25; ++r) EXPECT_EQ(g.row_text(r), std::string(80, ' ')) << "row " << r;
  for (int r = 1; r <= 25; ++r)
    for (int c = 1; c <= 80; ++c) ASSERT_EQ(g.at(r, c).attribute, 0x1E) << r << "," << c;
  EXPECT_EQ(g.row(), 1);
  EXPECT_EQ(g.column(), 3);
}

TEST_F(LayerTest, ColoursGiveTheirAttribute) {
  struct {
    int fg, bg;
    std::uint8_t attribute;
  } cases[] = {{0, 7, 0x70},  {7, 0, 0x07},   {15, 1, 0x1F},
               {16, 7, 0xF0}, {31, 15, 0xFF}, {20, 9, 0x94}};
  for (const auto& c : cases) {
    screen::set_colour(c.fg, c.bg);
    screen::locate_cursor(1, 1);
    screen::print_text("x", false);
    EXPECT_EQ(grid().at(1, 1).attribute, c.attribute) << c.fg << "," << c.bg;
  }
}

TEST_F(LayerTest, StringsAndComparisons) {
  EXPECT_EQ(screen::string_of_chars(3, 32 + 256), "   ");
  EXPECT_EQ(screen::string_of_chars(0, 65), "");
  EXPECT_EQ(screen::string_of_chars(-4, 65), "");
  EXPECT_EQ(screen::strings_equal("H", "H"), -1);
  EXPECT_EQ(screen::strings_equal("H", "h"), 0);
  EXPECT_EQ(screen::strings_equal("H", "HH"), 0);
  EXPECT_EQ(screen::strings_equal(std::string("\0", 1), ""), 0);
}

TEST_F(LayerTest, WindowTitleIsKept) {
  EXPECT_EQ(screen::window_title(), "Untitled");
  screen::set_window_title("one");
  screen::set_window_title("two");
  EXPECT_EQ(screen::window_title(), "two");
}

}  // namespace
