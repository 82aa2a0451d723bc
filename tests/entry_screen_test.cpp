// The numeric entry and the key reads on the screen, through the headless driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>

#include "screen/frontend.h"
#include "screen/layer.h"
#include "screen/layer_state.h"
#include "tests/driver.h"
#include "tests/entry_cases.h"
#include "tests/test_names.h"
#include "tests/typed_scenario.h"

namespace {

using drivertest::headless_session;
using entrytest::bits;
using screen::program_state;

// One entry at a given place; the variable is read by the test while the
// program waits for a key, which orders it after the program's writes.
struct entry_program {
  int row = 10, column = 37;
  screen::single_value value = -1;
  std::atomic<bool> returned{false};
  std::atomic<int> fail_copy{0};

  void operator()() {
    screen::locate_cursor(row, column);
    if (fail_copy) screen::detail::fail_screen_copy(fail_copy);
    screen::input_values(value, true);
    returned = true;
    (void)screen::input_chars(1);
  }
};

// The whole screen as text, one row a line, trailing blanks dropped.
std::string screen_text(const headless_session& s) {
  std::string out;
  for (int r = 1; r <= screen::screen_rows; ++r) out += drivertest::right_trimmed(s.row(r)) + "\n";
  return out;
}

// A blank screen with `entry` typed from row 10, column 37: its first 44
// characters reach column 80, the rest run on from column 1 of row 11.
std::string screen_with_entry(const std::string& entry) {
  std::string out;
  for (int r = 1; r <= screen::screen_rows; ++r) {
    if (r == 10 && !entry.empty()) out += std::string(36, ' ') + entry.substr(0, 44);
    if (r == 11 && entry.size() > 44) out += entry.substr(44);
    out += "\n";
  }
  return out;
}

class EntryScreenTest : public testing::TestWithParam<entrytest::entry_case> {};

// The keys go to the entry loop itself; what it leaves on the screen is
// compared with the entry as the table writes it.
TEST_P(EntryScreenTest, TypedAtTheCursor) {
  const auto& c = GetParam();
  const int length = static_cast<int>(c.shown.size());
  entry_program p;
  headless_session s([&] { p(); });
  s.settle();
  s.type(c.keys);
  EXPECT_EQ(screen_text(s), screen_with_entry(c.shown));
  EXPECT_EQ(s.cursor_row(), length > 44 ? 11 : 10);
  EXPECT_EQ(s.cursor_column(), length > 44 ? length - 43 : std::min(37 + length, 80));
  EXPECT_EQ(s.wrap_pending(), length == 44);
  s.type(drivertest::enter);
  EXPECT_TRUE(p.returned);
  EXPECT_EQ(bits(p.value), bits(c.value)) << p.value << " against " << c.value;
  EXPECT_EQ(screen_text(s), screen_with_entry(c.shown));
  EXPECT_EQ(s.cursor_row(), length > 44 ? 12 : 11);
  EXPECT_EQ(s.cursor_column(), 1);
  for (int i = 0; i < length; ++i) {
    const int row = i < 44 ? 10 : 11, column = i < 44 ? 37 + i : i - 43;
    ASSERT_EQ(s.attribute(row, column), 0x07) << "row " << row << ", column " << column;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, EntryScreenTest, testing::ValuesIn(entrytest::entry_cases()),
                         [](const auto& info) {
                           return testnames::readable(info.index, info.param.keys);
                         });

TEST(EntryScreen, VariableFollowsEveryAcceptedChangeAndCursorShowsMeanwhile) {
  entry_program p;
  p.value = 5;
  headless_session s([&] { p(); });
  s.settle();
  EXPECT_EQ(p.value, 0.0f);
  EXPECT_TRUE(screen::text_cursor_visible());
  const struct {
    const char* keys;
    float value;
  } steps[] = {{"2", 2}, {"5", 25}, {"e", 25}, {"1", 250}, {"x", 250}, {"\b", 25}, {"\b\b", 2}};
  for (const auto& step : steps) {
    s.type(step.keys);
    EXPECT_EQ(p.value, step.value) << "after " << step.keys;
  }
  s.type(drivertest::enter);
  EXPECT_FALSE(screen::text_cursor_visible());
  EXPECT_EQ(p.value, 2.0f);
}

// The entry from column 37 reaches column 80 with its 44th character.
TEST(EntryScreen, LongEntryContinuesOnTheNextRow) {
  entry_program p;
  headless_session s([&] { p(); });
  s.settle();
  const std::string exact = "." + std::string(43, '0');
  s.type(exact);
  EXPECT_EQ(s.cursor_row(), 10);
  EXPECT_EQ(s.cursor_column(), 80);
  EXPECT_TRUE(s.wrap_pending());
  s.type("1");
  EXPECT_EQ(s.cells(10, 37, 44), exact);
  EXPECT_EQ(s.cells(11, 1, 2), "1 ");
  EXPECT_EQ(s.cursor_row(), 11);
  EXPECT_EQ(s.cursor_column(), 2);
  // Backspace across the boundary: the row below is blank again, the wrap pending once more.
  s.type("\b");
  EXPECT_EQ(s.row(11), std::string(80, ' '));
  EXPECT_EQ(s.cursor_row(), 10);
  EXPECT_EQ(s.cursor_column(), 80);
  EXPECT_TRUE(s.wrap_pending());
  s.type("2\b\b");
  EXPECT_EQ(s.cells(10, 37, 44), exact.substr(0, 43) + " ");
  EXPECT_EQ(s.cursor_column(), 80);
  EXPECT_FALSE(s.wrap_pending());
}

TEST(EntryScreen, EntryEndingInColumn80MovesDownOnceOnEnter) {
  entry_program p;
  headless_session s([&] { p(); });
  s.settle();
  s.type("." + std::string(43, '0'));
  s.type(drivertest::enter);
  EXPECT_EQ(s.cursor_row(), 11);
  EXPECT_EQ(s.cursor_column(), 1);
}

// On row 24 the echo of a refused key after column 80 scrolls the screen; the
// restore puts every cell back.
TEST(EntryScreen, RefusedKeyLeavesEveryCellAsItWas) {
  const struct {
    int row;
    std::string before;
  } places[] = {{10, "12"}, {24, "." + std::string(43, '0')}, {24, "."}};
  for (const auto& place : places) {
    entry_program p;
    p.row = place.row;
    headless_session s([&] {
      screen::locate_cursor(1, 1);
      screen::print_text("top row", false);
      screen::locate_cursor(25, 1);
      screen::print_text("bottom row", false);
      p();
    });
    s.settle();
    s.type(place.before);
    const auto before = screen::snapshot_screen();
    for (const char* refused : {"x", " ", ",", "\t", "+"}) {
      s.type(refused);
      const auto after = screen::snapshot_screen();
      EXPECT_EQ(after.grid, before.grid) << "row " << place.row << ", key " << refused << "\n"
                                         << s.dump();
    }
  }
}

// Byte 7 pauses the entry a quarter of a second. Only a lower bound: a loaded
// machine makes the pause longer, never shorter.
TEST(EntryScreen, BellPausesAQuarterSecond) {
  entry_program p;
  headless_session s([&] { p(); });
  s.settle();
  const auto start = std::chrono::steady_clock::now();
  s.type("4\a2");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  EXPECT_EQ(s.cells(10, 37, 3), "42 ");
}

TEST(EntryScreen, TwoByteKeysAreIgnored) {
  entry_program p;
  headless_session s([&] { p(); });
  s.settle();
  s.type("3");
  for (std::uint8_t scan : {72, 80, 75, 77, 83, 59}) s.press(screen::key_press::special(scan));
  s.type("4");
  EXPECT_EQ(s.cells(10, 37, 3), "34 ");
  s.type(drivertest::enter);
  EXPECT_EQ(p.value, 34.0f);
}

TEST(EntryScreen, StopRequestReturnsWithoutTheNewline) {
  entry_program p;
  std::atomic<int> row_after{0}, column_after{0};
  headless_session s([&] {
    screen::locate_cursor(10, 37);
    screen::input_values(p.value, true);
    row_after = screen::snapshot_screen().grid.row();
    column_after = screen::snapshot_screen().grid.column();
    screen::end_program_thread();
  });
  s.settle();
  s.type("12");
  screen::request_close();
  EXPECT_EQ(s.exit_code(), 0);
  EXPECT_EQ(row_after.load(), 10);
  EXPECT_EQ(column_after.load(), 39);
}

TEST(EntryScreen, OutOfMemoryForTheCopiesIsCritical) {
  for (const int nth : {1, 2}) {
    entry_program p;
    p.fail_copy = nth;
    headless_session s([&] { p(); });
    ASSERT_EQ(s.settle(), program_state::in_dialog);
    const auto d = s.dialog();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->caption, "Critical Error #" + std::to_string(15 + nth));
    EXPECT_EQ(d->text, "Out of memory");
    EXPECT_FALSE(d->yes_no);
    s.answer(true);
    // A failure ends the program, and not as a success.
    EXPECT_EQ(s.exit_code(), 1);
    EXPECT_FALSE(p.returned);
  }
}

// --- read_key and input_chars ---------------------------------------------------

TEST(Keys, ReadKeyGivesTheOldestKeyAsOneOrTwoBytes) {
  screen::reset_layer();
  EXPECT_EQ(screen::read_key(), "");
  EXPECT_TRUE(screen::push_key(screen::key_press::character('a')));
  EXPECT_TRUE(screen::push_key(screen::key_press::special(72)));
  EXPECT_TRUE(screen::push_key(screen::key_press::character(13)));
  EXPECT_EQ(screen::read_key(), "a");
  EXPECT_EQ(screen::read_key(), std::string("\0\x48", 2));
  EXPECT_EQ(screen::read_key(), "\r");
  EXPECT_EQ(screen::read_key(), "");
}

TEST(Keys, QueueKeepsFifteenKeysAndLosesTheSixteenth) {
  screen::reset_layer();
  for (int i = 0; i < 15; ++i) {
    EXPECT_TRUE(screen::push_key(screen::key_press::character(static_cast<std::uint8_t>('a' + i))));
  }
  EXPECT_FALSE(screen::push_key(screen::key_press::character('z')));
  std::string got;
  for (std::string k; !(k = screen::read_key()).empty();) got += k;
  EXPECT_EQ(got, "abcdefghijklmno");
}

TEST(Keys, InputCharsTakesFirstBytesWithoutEchoOrCursor) {
  std::string got;
  std::atomic<bool> done{false};
  headless_session s([&] {
    for (int i = 0; i < 4; ++i) got += screen::input_chars(1);
    done = true;
    (void)screen::input_chars(1);
  });
  s.settle();
  const auto before = screen::snapshot_screen();
  // Typed ahead: the program takes them at once, one per call.
  EXPECT_EQ(s.type_ahead("q"), 0);
  screen::push_key(screen::key_press::special(80));
  EXPECT_EQ(s.type_ahead("\bQ"), 0);
  s.settle();
  ASSERT_TRUE(done);
  EXPECT_EQ(got, std::string("q\0\bQ", 4));
  const auto after = screen::snapshot_screen();
  EXPECT_EQ(after.grid, before.grid);
  EXPECT_FALSE(after.cursor_visible);
}

TEST(Keys, InputCharsReturnsAtOnceWhileAnErrorIsPending) {
  std::string got = "unset";
  headless_session s([&] {
    (void)screen::exponential(1000);
    got = screen::input_chars(1);
    screen::end_statement(7);
  });
  ASSERT_EQ(s.settle(), program_state::in_dialog);
  EXPECT_EQ(got, "");
  EXPECT_EQ(s.dialog()->text, "Line: 7 (in main module)\nOverflow\nContinue?");
}

}  // namespace
