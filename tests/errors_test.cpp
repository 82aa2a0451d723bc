// The runtime-error mechanism: the dialog, Yes and No, and the stop handshake.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "screen/frontend.h"
#include "screen/layer.h"
#include "tests/driver.h"

namespace {

using drivertest::headless_session;
using screen::program_state;

// A little program of its own: statement 10 overflows, 11 prints, 12 waits for a key.
void overflowing_program(std::atomic<int>* progress) {
  screen::clear_screen();
  screen::end_statement(9);
  progress->store(1);
  long double r = screen::exponential(1000) + screen::natural_log(-1);
  screen::print_text(r == 0 ? "zero" : "other", false);  // suppressed: the error is pending
  screen::end_statement(10);
  progress->store(2);
  screen::print_text("after", false);
  screen::end_statement(11);
  (void)screen::input_chars(1);
  screen::end_statement(12);
}

TEST(Errors, DialogNamesTheStatementAndTheFirstError) {
  std::atomic<int> progress{0};
  headless_session s([&] { overflowing_program(&progress); });
  ASSERT_EQ(s.settle(), program_state::in_dialog);
  const auto d = s.dialog();
  ASSERT_TRUE(d);
  EXPECT_EQ(d->caption, "Unhandled Error #6 - drovlan");
  EXPECT_EQ(d->text, "Line: 10 (in main module)\nOverflow\nContinue?");
  EXPECT_TRUE(d->yes_no);
  EXPECT_EQ(progress.load(), 1);
  EXPECT_EQ(s.row(1).substr(0, 5), "     ");
}

TEST(Errors, YesGoesOnWithTheNextStatement) {
  std::atomic<int> progress{0};
  headless_session s([&] { overflowing_program(&progress); });
  ASSERT_EQ(s.settle(), program_state::in_dialog);
  EXPECT_EQ(s.answer(true), program_state::waiting_for_key);
  EXPECT_EQ(progress.load(), 2);
  EXPECT_EQ(s.row(1).substr(0, 6), "after ");
}

TEST(Errors, NoEndsTheProgramWithExitCodeZero) {
  std::atomic<int> progress{0};
  headless_session s([&] { overflowing_program(&progress); });
  ASSERT_EQ(s.settle(), program_state::in_dialog);
  EXPECT_EQ(s.answer(false), program_state::finished);
  EXPECT_EQ(s.exit_code(), 0);
  EXPECT_EQ(progress.load(), 1);
}

// The first raise of a statement is the one reported, and a number of 0 or
// less counts as 5.
TEST(Errors, TheFirstRaiseOfAStatementIsReported) {
  const struct {
    std::vector<int> raised;
    std::string caption, message;
  } cases[] = {
      {{6}, "Unhandled Error #6 - drovlan", "Overflow"},
      {{6, 5}, "Unhandled Error #6 - drovlan", "Overflow"},
      {{2, 4, 6}, "Unhandled Error #2 - drovlan", "Syntax error"},
      {{0}, "Unhandled Error #5 - drovlan", "Illegal function call"},
      {{-3}, "Unhandled Error #5 - drovlan", "Illegal function call"},
      {{0, 6}, "Unhandled Error #5 - drovlan", "Illegal function call"},
  };
  for (const auto& c : cases) {
    std::string raised;
    for (const int n : c.raised) raised += std::to_string(n) + " ";
    SCOPED_TRACE("raised " + raised);
    headless_session s([&] {
      for (const int n : c.raised) screen::runtime_error(n);
      screen::end_statement(21);
      (void)screen::input_chars(1);
    });
    ASSERT_EQ(s.settle(), program_state::in_dialog);
    EXPECT_EQ(s.dialog()->caption, c.caption);
    EXPECT_EQ(s.dialog()->text, "Line: 21 (in main module)\n" + c.message + "\nContinue?");
    EXPECT_EQ(s.answer(true), program_state::waiting_for_key);
  }
}

// While an error is pending the screen operations leave the screen, the
// cursor, the colours and the title as they were; tab_to_column gives "".
TEST(Errors, ScreenOperationsDoNothingWhileAnErrorIsPending) {
  const struct {
    const char* what;
    std::function<std::string()> call;
  } cases[] = {
      {"set_window_title", [] { return screen::set_window_title("changed"), std::string(); }},
      {"set_colour", [] { return screen::set_colour(14, 1), std::string(); }},
      {"locate_cursor", [] { return screen::locate_cursor(20, 30), std::string(); }},
      {"clear_screen", [] { return screen::clear_screen(), std::string(); }},
      {"print_text", [] { return screen::print_text("x", true), std::string(); }},
      {"tab_to_column", [] { return screen::tab_to_column(40); }},
  };
  for (const auto& c : cases) {
    screen::reset_layer();
    screen::set_window_title("kept");
    screen::locate_cursor(3, 7);
    screen::print_text("before", false);
    screen::runtime_error(screen::error_overflow);
    const auto before = screen::snapshot_screen().grid;
    EXPECT_EQ(c.call(), "") << c.what;
    const auto after = screen::snapshot_screen().grid;
    EXPECT_EQ(after.row_text(3).substr(6, 6), "before") << c.what;
    EXPECT_TRUE(after == before) << c.what << ": the screen changed";
    EXPECT_EQ(after.row(), 3) << c.what;
    EXPECT_EQ(after.column(), 13) << c.what;
    EXPECT_EQ(after.attribute(), 0x07) << c.what;
    EXPECT_EQ(screen::window_title(), "kept") << c.what;
  }
  screen::reset_layer();
}

// Paused from the keyboard, the program stops at the end of its statement;
// the next key resumes it and is not delivered.
TEST(Errors, PauseHoldsTheProgramUntilTheNextKey) {
  std::atomic<bool> go{false}, reached{false}, after{false};
  headless_session s([&] {
    while (!go) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    screen::print_text("a", false);
    reached = true;
    screen::end_statement(20);
    after = true;
    screen::print_text("b", false);
    (void)screen::input_chars(1);
  });
  screen::request_pause();
  go = true;
  while (!reached) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // A program that is not held runs on within microseconds; a loaded machine
  // can only make this pass when it should not, never fail.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(after.load()) << "the paused program ran on";
  EXPECT_EQ(s.row(1).substr(0, 2), "a ");
  s.type("r");
  EXPECT_TRUE(after.load());
  EXPECT_EQ(s.row(1).substr(0, 2), "ab");
  EXPECT_EQ(screen::current_program_state(), program_state::waiting_for_key)
      << "the resuming key was delivered";
}

TEST(Errors, EachFailingStatementShowsItsOwnDialog) {
  headless_session s([] {
    for (int statement = 38; statement < 41; ++statement) {
      (void)screen::exponential(100);
      screen::end_statement(statement);
    }
    (void)screen::input_chars(1);
  });
  for (int statement = 38; statement < 41; ++statement) {
    ASSERT_EQ(s.settle(), program_state::in_dialog);
    EXPECT_EQ(s.dialog()->text,
              "Line: " + std::to_string(statement) + " (in main module)\nOverflow\nContinue?");
    s.answer(true);
  }
  EXPECT_EQ(s.settle(), program_state::waiting_for_key);
}

TEST(Errors, CloseRequestEndsTheProgramWithExitCodeZero) {
  headless_session s([] {
    screen::close_request().store(1);
    screen::end_program_thread();
  });
  EXPECT_EQ(s.exit_code(), 0);
}

TEST(Errors, EndWhileWaitingForAKeyEndsAtTheStatement) {
  const struct {
    const char* request;
    void (*send)();
  } cases[] = {
      {"Ctrl+Break", [] { screen::request_close(); }},
      {"the system's end", [] { screen::request_end_now(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
    std::atomic<bool> after{false};
    headless_session s([&] {
      (void)screen::input_chars(1);
      screen::end_statement(83);
      after = true;
    });
    ASSERT_EQ(s.settle(), program_state::waiting_for_key);
    c.send();
    EXPECT_EQ(s.exit_code(), 0);
    EXPECT_FALSE(after.load());
  }
}

// Statement 38 overflows; 39 and 40 each print a word, then the program waits for a key.
void failing_then_printing() {
  (void)screen::exponential(100);
  screen::end_statement(38);
  screen::print_text("next", false);
  screen::end_statement(39);
  screen::print_text(" later", false);
  screen::end_statement(40);
  (void)screen::input_chars(1);
  screen::end_statement(41);
}

// How long a request that must wait is watched: ending within it is the fault.
constexpr auto held_for = std::chrono::milliseconds(200);

struct held_case {
  const char* request;
  void (*send)();
  bool yes;
  const char* row1_start;  // Yes: statement 39 ran, 40 did not; No: neither
};

TEST(Errors, UserCloseWithADialogOpenWaitsForTheAnswer) {
  const held_case cases[] = {
      {"close button", [] { screen::request_window_close(); }, true, "next  "},
      {"close button", [] { screen::request_window_close(); }, false, "      "},
      {"Ctrl+Break", [] { screen::request_close(); }, true, "next  "},
      {"Ctrl+Break", [] { screen::request_close(); }, false, "      "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.request) + (c.yes ? ", then Yes" : ", then No"));
    headless_session s(failing_then_printing);
    ASSERT_EQ(s.settle(), program_state::in_dialog);
    c.send();
    EXPECT_FALSE(s.exit_code(held_for)) << "ended with the dialog open";
    EXPECT_TRUE(s.dialog()) << "the dialog was answered for the user";
    s.answer(c.yes);
    EXPECT_EQ(s.exit_code(), 0);
    EXPECT_EQ(s.row(1).substr(0, 6), c.row1_start) << s.dump();
  }
}

TEST(Errors, SystemEndWithADialogOpenCountsAsNo) {
  headless_session s(failing_then_printing);
  ASSERT_EQ(s.settle(), program_state::in_dialog);
  screen::request_end_now();
  EXPECT_EQ(s.exit_code(), 0);
  EXPECT_EQ(s.row(1).substr(0, 6), "      ") << s.dump();
}

TEST(Errors, SystemEndReleasesAHeldClose) {
  headless_session s(failing_then_printing);
  ASSERT_EQ(s.settle(), program_state::in_dialog);
  screen::request_window_close();
  EXPECT_FALSE(s.exit_code(held_for)) << "ended with the dialog open";
  screen::request_end_now();
  EXPECT_EQ(s.exit_code(), 0);
  EXPECT_EQ(s.row(1).substr(0, 6), "      ") << s.dump();
}

}  // namespace
