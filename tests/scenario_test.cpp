// The whole program typed key by key: prompts, results and the change menu.
#include <gtest/gtest.h>

#include "calculator/calculator.h"
#include "tests/typed_scenario.h"

namespace {

using drivertest::at_column;
using drivertest::headless_session;
using drivertest::result_line;
using drivertest::run_steps;
using drivertest::scenario_step;
using screen::single_value;

const std::string heading = at_column(20, "THEORETICAL COVERAGE CONTOURS FOR FM");
const std::string menu = at_column(15, "change: <H>eight, <P>ower, <D>bu, <Q>uit");
const std::string height_prompt = at_column(15, "Antenna HAAT in Feet? ");
const std::string power_prompt = at_column(15, "ERP in kW? ");
const std::string contour_prompt =
    at_column(15, "Contour field strength in dBu/m (-1 = presets)? ");

const std::vector<drivertest::expected_row> presets_at_1000_ft_100_kw = {
    {16, result_line("70", " (3.16 mV)", "31.5", "50.7")},
    {17, result_line("60", "    (1 mV)", "45.6", "73.4")},
    {18, result_line("50", "  (316 \xE6V)", "61.7", "99.3")},
    {19, result_line("40", "  (100 \xE6V)", "80.1", "128.9")},
    {20, result_line("34", "   (50 \xE6V)", "93.1", "149.9")},
    {21, ""},
    {22, ""},
    {23, menu},
};

std::vector<drivertest::expected_row> with(std::vector<drivertest::expected_row> rows,
                                           std::vector<drivertest::expected_row> more) {
  rows.insert(rows.end(), more.begin(), more.end());
  return rows;
}

TEST(Scenario, FirstResultsForThePresets) {
  headless_session s;
  run_steps(s, {
                   {"", {{4, heading}, {10, height_prompt}}, 10, 37},
                   {"1000<Enter>", {{10, height_prompt + "1000"}, {12, power_prompt}}, 12, 26},
                   {"100<Enter>", {{12, power_prompt + "100"}, {14, contour_prompt}}, 14, 63},
                   {"-1<Enter>",
                    with(presets_at_1000_ft_100_kw, {{10, height_prompt + "1000"},
                                                     {12, power_prompt + "100"},
                                                     {14, contour_prompt + "-1"},
                                                     {25, at_column(55, calculator::credit_line)}}),
                    23, 55},
               });
  for (int c = 1; c <= 80; ++c) ASSERT_EQ(s.attribute(18, c), 0x70) << "column " << c;
  EXPECT_EQ(s.cells(18, 30, 1), "\xE6");  // the micro sign of 316 uV
}

// Rows 16 to 23 after typing `keys` into a fresh program.
std::vector<std::string> result_rows(const std::string& keys) {
  headless_session s;
  run_steps(s, {{keys, {}}});
  std::vector<std::string> rows;
  for (int r = 16; r <= 23; ++r) rows.push_back(s.row(r));
  return rows;
}

TEST(Scenario, EnterAloneAtEachPrompt) {
  // Height: 100 ft, the same as typing 100.
  EXPECT_EQ(result_rows("<Enter>1<Enter>-1<Enter>"), result_rows("100<Enter>1<Enter>-1<Enter>"));
  {
    headless_session s;
    run_steps(s, {{"<Enter>", {{10, height_prompt}, {12, power_prompt}}, 12, 26}});
    EXPECT_EQ(calculator::vars().antenna_height, 4.6051702f);
  }
  // Power: asked again, nothing else shown; contour: one line at 0 dBu.
  headless_session s;
  run_steps(
      s,
      {{"1000<Enter><Enter>", {{12, power_prompt}, {13, ""}, {14, ""}}, 12, 26},
       {"100<Enter><Enter>",
        {{14, contour_prompt}, {16, result_line("0", "", "374.6", "603.2")}, {17, ""}, {23, menu}},
        23,
        55}});
}

TEST(Scenario, LeftoversOfLongerEarlierAnswers) {
  {
    headless_session s;
    run_steps(s, {
                     {"0.00099999998<Enter>", {}},  // the height: becomes 100 ft
                     {"0.00099999998<Enter>", {{12, power_prompt + "          998"}}, 12, 26},
                     {"100<Enter>54.12345<Enter>", {{14, contour_prompt + "54.12345"}}},
                     {"d", {{14, contour_prompt + "      45"}, {16, ""}, {23, ""}}, 14, 63},
                     {"34<Enter>", {{14, contour_prompt + "34    45"}}},
                 });
  }
  headless_session h;
  run_steps(h, {{"123456789<Enter>100<Enter>-1<Enter>h",
                 {{10, height_prompt + "        9"}, {16, ""}, {23, ""}},
                 10,
                 37},
                {"2000<Enter>", {{10, height_prompt + "2000    9"}}},
                {"h", {{10, height_prompt + "        9"}}}});
}

TEST(Scenario, ChangePassesKeepTheOtherValuesConverted) {
  headless_session s;
  run_steps(s, {{"1000<Enter>100<Enter>-1<Enter>", presets_at_1000_ft_100_kw},
                {"p100<Enter>", presets_at_1000_ft_100_kw},
                {"H1000<Enter>", presets_at_1000_ft_100_kw},
                {"D-1<Enter>", presets_at_1000_ft_100_kw},
                {"d54<Enter>", {{16, result_line("54", "", "55", "88.5")}, {17, ""}, {23, menu}}},
                {"P100<Enter>", {{16, result_line("54", "", "55", "88.5")}}},
                {"h1000<Enter>", {{16, result_line("54", "", "55", "88.5")}}}});
  auto& v = calculator::vars();
  EXPECT_EQ(v.antenna_height, 6.9077554f);
  EXPECT_EQ(v.radiated_power, 19.999794f);
  EXPECT_EQ(v.contour_entry, 54.0f);
}

TEST(Scenario, OtherKeysOnlyShowTheResultsAgain) {
  headless_session s;
  run_steps(s, {{"1000<Enter>100<Enter>-1<Enter>", presets_at_1000_ft_100_kw}});
  for (const char* key : {"<Up>", "<Down>", "<Enter>", "<Esc>", "<BS>", " ", "7", "x", "<Ctrl-H>",
                          "<Ctrl-P>", "<Ctrl-D>", "<Ctrl-Q>", "<F1>"}) {
    SCOPED_TRACE(key);
    run_steps(s, {{key,
                   with(presets_at_1000_ft_100_kw,
                        {{10, height_prompt + "1000"}, {12, power_prompt + "100"}}),
                   23, 55}});
  }
}

TEST(Scenario, KeysTypedAheadAreTakenByTheNextMenu) {
  headless_session s;
  run_steps(s, {{"1000<Enter>100<Enter>-1<Enter>", {}}});
  // Three menu passes and a height change, typed before the program looks.
  EXPECT_EQ(s.type_ahead("xyh2000\r"), 0);
  s.settle();
  EXPECT_EQ(drivertest::right_trimmed(s.row(10)), height_prompt + "2000");
  EXPECT_EQ(drivertest::right_trimmed(s.row(23)), menu);
  EXPECT_EQ(s.cursor_row(), 23);
}

TEST(Scenario, QuitEndsWithExitCodeZero) {
  for (const char* key : {"q", "Q"}) {
    headless_session s;
    run_steps(s, {{std::string("1000<Enter>100<Enter>-1<Enter>") + key,
                   {{16, ""}, {20, ""}, {23, ""}, {10, height_prompt + "1000"}}}});
    EXPECT_EQ(s.exit_code(), 0) << key;
  }
}

TEST(Scenario, LongEntriesRunOnToTheNextRow) {
  struct {
    const char* what;
    std::string before, entry;
    int row;  // the prompt's row
  } cases[] = {
      {"height of 44 characters", "", "0." + std::string(42, '0'), 10},
      {"height of 45 characters", "", "0." + std::string(41, '0') + "12", 10},
      {"power of 55 characters", "1000\r", "&B1" + std::string(52, '0'), 12},
      {"power of 56 characters", "1000\r", "&B1" + std::string(53, '0'), 12},
      {"contour of 18 characters", "1000\r100\r", "1" + std::string(17, '0'), 14},
      {"contour of 19 characters", "1000\r100\r", "1" + std::string(18, '0'), 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    headless_session s;
    s.type(c.before);
    const int start = s.cursor_column();
    s.type(c.entry);
    const int overflow = start + static_cast<int>(c.entry.size()) - 1 - 80;
    const std::string run_on = overflow > 0 ? c.entry.substr(c.entry.size() - overflow) : "";
    EXPECT_EQ(drivertest::right_trimmed(s.row(c.row + 1)), run_on) << s.dump();
    s.type("\r");
    // The next prompt or the results follow, and what ran on stays on the screen.
    EXPECT_EQ(drivertest::right_trimmed(s.row(c.row + 1)), run_on) << s.dump();
  }
}

// Where each prompt leaves the cursor, seen by a program that asks once and
// then waits for a key: the row below the entry, or two below for the contour.
TEST(Scenario, LongEntriesLeaveTheCursorBelowThem) {
  using prompt = void (*)(single_value&);
  struct {
    const char* what;
    prompt ask;
    std::string entry;
    int row, column;
  } cases[] = {
      {"height of 44 characters", calculator::ask_antenna_height, "0." + std::string(42, '0'), 11,
       1},
      {"height of 45 characters", calculator::ask_antenna_height,
       "0." + std::string(41, '0') + "12", 12, 1},
      {"power of 55 characters", calculator::ask_power, "&B1" + std::string(52, '0'), 13, 1},
      {"power of 56 characters", calculator::ask_power, "&B1" + std::string(53, '0'), 14, 1},
      {"contour of 18 characters", calculator::ask_contour_level, std::string(18, '1'), 16, 1},
      {"contour of 19 characters", calculator::ask_contour_level, std::string(19, '1'), 17, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    headless_session s([ask = c.ask] {
      single_value value = 0;
      ask(value);
      screen::input_chars(1);
    });
    s.type(c.entry + "\r");
    EXPECT_EQ(s.cursor_row(), c.row) << s.dump();
    EXPECT_EQ(s.cursor_column(), c.column) << s.dump();
  }
}

}  // namespace
