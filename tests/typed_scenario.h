// Typed scenarios: keys in, expected screen rows out, printed in full on failure.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screen/frontend.h"
#include "tests/driver.h"

namespace drivertest {

// One key per character; <Enter>, <Esc>, <BS>, <Tab>, <Up>, <Down>, <Left>,
// <Right>, <F1> and <Ctrl-X> name the others.
std::vector<screen::key_press> parse_keys(std::string_view keys);

struct expected_row {
  int row;
  std::string text;  // compared with the row's text with trailing blanks removed
};

struct scenario_step {
  std::string keys;
  std::vector<expected_row> rows;
  int cursor_row = 0;  // 0: not checked
  int cursor_column = 0;
};

// Types each step's keys, waits for the program to block and checks the rows.
void run_steps(headless_session& s, const std::vector<scenario_step>& steps);

// All 25 rows: the rows given, every other row blank.
std::vector<expected_row> whole_screen(std::vector<expected_row> rows);

// Text at column `column` on an otherwise blank row start.
std::string at_column(int column, const std::string& text);

// A result line as the calculator prints it from column 1.
std::string result_line(const std::string& level, const std::string& label,
                        const std::string& miles, const std::string& km);

std::string right_trimmed(std::string s);

}  // namespace drivertest
