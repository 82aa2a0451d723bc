// The runtime-error mechanism: the dialog, Yes and No, and the stop handshake.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

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

TEST(Errors, StopWhileWaitingForAKeyEndsAtTheStatement) {
  std::atomic<bool> after{false};
  headless_session s([&] {
    (void)screen::input_chars(1);
    screen::end_statement(83);
    after = true;
  });
  ASSERT_EQ(s.settle(), program_state::waiting_for_key);
  screen::request_close();
  EXPECT_EQ(s.exit_code(), 0);
  EXPECT_FALSE(after.load());
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

TEST(Errors, SystemEndWhileWaitingForAKeyEndsAtTheStatement) {
  std::atomic<bool> after{false};
  headless_session s([&] {
    (void)screen::input_chars(1);
    screen::end_statement(83);
    after = true;
  });
  ASSERT_EQ(s.settle(), program_state::waiting_for_key);
  screen::request_end_now();
  EXPECT_EQ(s.exit_code(), 0);
  EXPECT_FALSE(after.load());
}

}  // namespace
