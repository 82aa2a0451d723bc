// The runtime-error mechanism: the dialog, Yes and No, and the stop handshake.
#include <gtest/gtest.h>

#include <atomic>

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

TEST(Errors, CloseWhileADialogIsOpenWaitsForTheAnswer) {
  headless_session s([] {
    (void)screen::exponential(100);
    screen::end_statement(38);
    screen::print_text("never", false);
    screen::end_statement(39);
  });
  ASSERT_EQ(s.settle(), program_state::in_dialog);
  screen::request_window_close();
  EXPECT_FALSE(s.exit_code(std::chrono::milliseconds(100)));
  s.answer(true);
  EXPECT_EQ(s.exit_code(), 0);
  EXPECT_EQ(s.row(1).substr(0, 5), "     ");
}

}  // namespace
