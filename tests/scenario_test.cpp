// The whole program typed key by key: prompts, results and the change menu.
#include <gtest/gtest.h>

#include <limits>

#include "calculator/calculator.h"
#include "screen/frontend.h"
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

// Presets whose lines take eight rows scroll the screen once; a later pass
// writes its prompt on row 10 under the moved rows, and the next block
// scrolls it all once more. Row 25 never moves.
TEST(Scenario, MenuPassAfterTheBlockHasScrolled) {
  const std::string line_70 =
      "    Distance to 70 dBu (3.16 mV) contour: 867.7 miles or 1397.2 kilometers";
  const std::vector<std::string> block = {
      line_70,
      "    Distance to 60 dBu    (1 mV) contour: 2861.2 miles or 4607.4 kilometers",
      "    Distance to 50 dBu  (316 \xE6V) contour: 14919.9 miles or 24025.6",
      "kilometers",
      "    Distance to 40 dBu  (100 \xE6V) contour: 138251.3 miles or 222626.8",
      "kilometers",
      "    Distance to 34 dBu   (50 \xE6V) contour: 730421.6 miles or 1176202",
      "kilometers",
  };
  const auto block_from = [&](int first) {
    std::vector<drivertest::expected_row> rows;
    for (std::size_t i = 0; i < block.size(); ++i)
      rows.push_back({first + static_cast<int>(i), block[i]});
    return rows;
  };
  const drivertest::expected_row credit = {25, at_column(55, calculator::credit_line)};
  headless_session s;
  run_steps(s, {{"1000<Enter>1E10<Enter>-1<Enter>",
                 drivertest::whole_screen(with(block_from(15), {{3, heading},
                                                                {9, height_prompt + "1000"},
                                                                {11, power_prompt + "1E10"},
                                                                {13, contour_prompt + "-1"},
                                                                {23, menu},
                                                                credit})),
                 23, 55},
                {"h",
                 drivertest::whole_screen({{3, heading},
                                           {9, height_prompt + "1000"},
                                           {10, height_prompt},
                                           {11, power_prompt + "1E10"},
                                           {13, contour_prompt + "-1"},
                                           {15, line_70},
                                           credit}),
                 10, 37},
                {"1000<Enter>",
                 drivertest::whole_screen(with(block_from(15), {{2, heading},
                                                                {8, height_prompt + "1000"},
                                                                {9, height_prompt + "1000"},
                                                                {10, power_prompt + "1E10"},
                                                                {12, contour_prompt + "-1"},
                                                                {14, line_70},
                                                                {23, menu},
                                                                credit})),
                 23, 55}});
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

// The height as its prompt stores it: the natural logarithm of the feet
// typed, of 100 for anything below 100.
TEST(Prompts, HeightIsTheLogarithmOfAtLeast100Feet) {
  const struct {
    const char* typed;
    float stored;
  } cases[] = {
      {"", 4.6051702f},      {"0", 4.6051702f},
      {"-500", 4.6051702f},  {"-", 4.6051702f},
      {".", 4.6051702f},     {"99.99999", 4.6051702f},
      {"100", 4.6051702f},   {"&H64", 4.6051702f},
      {"100.5", 4.6101575f}, {"328.5", 5.7945371f},
      {"1000", 6.9077554f},  {"2000", 7.6009026f},
      {"1E30", 69.077553f},  {"3.4028236E+38", std::numeric_limits<float>::infinity()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("typed \"") + c.typed + "\"");
    single_value height = -1;
    headless_session s([&] {
      calculator::ask_antenna_height(height);
      (void)screen::input_chars(1);
    });
    s.type(std::string(c.typed) + "\r");
    EXPECT_EQ(height, c.stored);
    EXPECT_EQ(s.cursor_row(), 11);
  }
}

// The power as its prompt stores it, in dB; below 0.001 kW it is asked again.
TEST(Prompts, PowerBelowAThousandthIsAskedAgain) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    const char* typed;
    bool accepted;
    float stored;
  } cases[] = {
      {"0.001", true, -29.999691f},
      {".001", true, -29.999691f},
      {"1E-3", true, -29.999691f},
      {"1e-3", true, -29.999691f},
      {"0.00099999999", true, -29.999691f},  // rounds to the same single as 0.001
      {"1", true, 0},
      {"10", true, 9.999897f},
      {"100", true, 19.999794f},
      {"&H64", true, 19.999794f},
      {"1000", true, 29.999691f},
      {"3.4028235E+38", true, 385.31442f},
      {"3.4028236E+38", true, inf},
      {"0.00099999998", false, 0},
      {"0.0009999", false, 0},
      {"0", false, 0},
      {"-0", false, 0},
      {"-5", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {".", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("typed \"") + c.typed + "\"");
    single_value power = -1;
    headless_session s([&] {
      calculator::ask_power(power);
      (void)screen::input_chars(1);
    });
    s.type(std::string(c.typed) + "\r");
    if (c.accepted) {
      EXPECT_EQ(power, c.stored);
      EXPECT_EQ(s.cursor_row(), 13) << s.dump();
      EXPECT_EQ(s.cursor_column(), 1) << s.dump();
      continue;
    }
    // Asked again: the prompt waits once more, the entry's first ten columns blank.
    EXPECT_TRUE(screen::text_cursor_visible());
    EXPECT_EQ(s.cursor_row(), 12) << s.dump();
    EXPECT_EQ(s.cursor_column(), 26) << s.dump();
    const std::string typed = c.typed;
    EXPECT_EQ(
        drivertest::right_trimmed(s.row(12)),
        drivertest::right_trimmed(
            power_prompt + (typed.size() > 10 ? std::string(10, ' ') + typed.substr(10) : "")));
    s.type("1\r");
    EXPECT_EQ(power, 0);
    EXPECT_EQ(s.cursor_row(), 13) << s.dump();
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
