// The error dialog's keys: which answer, which move the focus, which do nothing.
#include "screen/dialog_keys.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using screen::key_press;

TEST(DialogKeys, AnswerOrMoveTheFocus) {
  struct {
    const char* what;
    key_press key;
    bool yes_no;
    int focus;
    std::optional<bool> answer;
    int focus_after;
  } cases[] = {
      {"Y", key_press::character('Y'), true, 1, true, 1},
      {"y", key_press::character('y'), true, 0, true, 0},
      {"N", key_press::character('N'), true, 0, false, 0},
      {"Enter on Yes", key_press::character(13), true, 0, true, 0},
      {"Enter on No", key_press::character(13), true, 1, false, 1},
      {"space on No", key_press::character(' '), true, 1, false, 1},
      {"Tab", key_press::character(9), true, 0, std::nullopt, 1},
      {"Right", key_press::special(77), true, 1, std::nullopt, 0},
      {"Escape has no cancel", key_press::character(27), true, 0, std::nullopt, 0},
      {"F1", key_press::special(59), true, 0, std::nullopt, 0},
      {"x", key_press::character('x'), true, 0, std::nullopt, 0},
      {"one button: Enter", key_press::character(13), false, 0, true, 0},
      {"one button: Escape", key_press::character(27), false, 0, true, 0},
      {"one button: N", key_press::character('N'), false, 0, std::nullopt, 0},
      {"one button: Tab", key_press::character(9), false, 0, std::nullopt, 0},
  };
  for (const auto& c : cases) {
    int focus = c.focus;
    EXPECT_EQ(screen::dialog_key_answer(c.key, c.yes_no, focus), c.answer) << c.what;
    EXPECT_EQ(focus, c.focus_after) << c.what;
  }
}

}  // namespace
