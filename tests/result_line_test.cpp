// The result lines and the contour sequence on the screen: whole rows of text,
// the "probable " row, the wrapped lines, the scroll and the overflow dialogs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "calculator/calculator.h"
#include "tests/driver.h"
#include "tests/scenario_support.h"
#include "tests/typed_scenario.h"

namespace {

using drivertest::headless_session;
using screen::program_state;

const std::string height_prompt = drivertest::at_column(15, "Antenna HAAT in Feet? ");
const std::string power_prompt = drivertest::at_column(15, "ERP in kW? ");
const std::string contour_prompt =
    drivertest::at_column(15, "Contour field strength in dBu/m (-1 = presets)? ");
const std::string overflow_at_38 = "Line: 38 (in main module)\nOverflow\nContinue?";

std::string padded(std::string text) {
  text.resize(80, ' ');
  return text;
}

// The five preset lines at 1000 ft and 100 kW.
const std::vector<std::string> presets_at_100_kw = {
    "    Distance to 70 dBu (3.16 mV) contour: 31.5 miles or 50.7 kilometers     ",
    "    Distance to 60 dBu    (1 mV) contour: 45.6 miles or 73.4 kilometers     ",
    "    Distance to 50 dBu  (316 \xE6V) contour: 61.7 miles or 99.3 kilometers     ",
    "    Distance to 40 dBu  (100 \xE6V) contour: 80.1 miles or 128.9 kilometers     ",
    "    Distance to 34 dBu   (50 \xE6V) contour: 93.1 miles or 149.9 kilometers     ",
};

// The five preset lines after an overflow at each, answered Yes.
const std::vector<std::string> presets_with_zero_distances = {
    "    Distance to 70 dBu (3.16 mV) contour: 0 miles or 0 kilometers     ",
    "    Distance to 60 dBu    (1 mV) contour: 0 miles or 0 kilometers     ",
    "    Distance to 50 dBu  (316 \xE6V) contour: 0 miles or 0 kilometers     ",
    "    Distance to 40 dBu  (100 \xE6V) contour: 0 miles or 0 kilometers     ",
    "    Distance to 34 dBu   (50 \xE6V) contour: 0 miles or 0 kilometers     ",
};

// The contours for a height, a power and a contour level typed at the prompts.
struct contour_case {
  const char* name;
  std::string feet, kilowatts, entry;  // as typed
  int overflow_dialogs;                // each answered Yes
  int first_row;                       // of the block, after any scrolling
  std::vector<std::string> rows;
  int cursor_row;
  float level_after;
};

void PrintTo(const contour_case& c, std::ostream* os) {
  *os << c.name << ": " << c.feet << " ft, " << c.kilowatts << " kW, " << c.entry << " dBu";
}

std::string typed(const contour_case& c) {
  return c.feet + "\r" + c.kilowatts + "\r" + c.entry + "\r";
}

class ContourRows : public testing::TestWithParam<contour_case> {};

TEST_P(ContourRows, WholeRowsCursorAndLevel) {
  const contour_case& c = GetParam();
  headless_session s(scenario::prompts_then_contours);
  s.type(typed(c));
  for (int d = 0; d < c.overflow_dialogs; ++d) {
    ASSERT_EQ(s.settle(), program_state::in_dialog) << "dialog " << d << "\n" << s.dump();
    EXPECT_EQ(s.dialog()->text, overflow_at_38);
    s.answer(true);
  }
  ASSERT_EQ(s.settle(), program_state::waiting_for_key) << s.dump();

  // The prompt rows move up with the block when it scrolls.
  const int scrolled = 16 - c.first_row;
  std::map<int, std::string> expected = {
      {10 - scrolled, height_prompt + c.feet},
      {12 - scrolled, power_prompt + c.kilowatts},
      {14 - scrolled, contour_prompt + c.entry},
  };
  for (std::size_t i = 0; i < c.rows.size(); ++i)
    expected[c.first_row + static_cast<int>(i)] = c.rows[i];
  for (int r = 1; r <= 25; ++r)
    EXPECT_EQ(s.row(r), padded(expected[r])) << "row " << r << "\n" << s.dump();
  EXPECT_EQ(s.cursor_row(), c.cursor_row) << s.dump();
  EXPECT_EQ(s.cursor_column(), 1);
  EXPECT_EQ(calculator::vars().contour_level, c.level_after);
  EXPECT_EQ(calculator::vars().data_offset, 0);
  for (int col = 1; col <= 80; ++col) ASSERT_EQ(s.attribute(c.first_row, col), 0x70) << col;
}

INSTANTIATE_TEST_SUITE_P(
    Typed, ContourRows,
    testing::Values(
        contour_case{"Presets", "1000", "100", "-1", 0, 16, presets_at_100_kw, 22, 34},
        contour_case{"AnyNegativeEntryGivesThePresets", "1000", "100", "-1000", 0, 16,
                     presets_at_100_kw, 22, 34},
        contour_case{"HalfBelowZero", "1000", "100", "-0.5", 0, 16, presets_at_100_kw, 22, 34},
        contour_case{"EnteredWholeNumberHasNoDecimals",
                     "1000",
                     "100",
                     "54",
                     0,
                     16,
                     {"    Distance to 54 dBu contour: 55 miles or 88.5 kilometers     "},
                     18,
                     54},
        contour_case{"ZeroIsOneEvaluation",
                     "1000",
                     "100",
                     "0",
                     0,
                     16,
                     {"    Distance to 0 dBu contour: 374.6 miles or 603.2 kilometers     "},
                     18,
                     0},
        contour_case{"MinusZeroIsNotBelowZero",
                     "1000",
                     "100",
                     "-0",
                     0,
                     16,
                     {"    Distance to 0 dBu contour: 374.6 miles or 603.2 kilometers     "},
                     18,
                     0},
        contour_case{"LabelOnlyOnExactEquality",
                     "1000",
                     "100",
                     "70.00001",
                     0,
                     16,
                     {"    Distance to 70.00001 dBu contour: 31.5 miles or 50.7 kilometers     "},
                     18,
                     70.00001f},
        contour_case{"EnteredPresetKeepsItsLabel",
                     "1000",
                     "100",
                     "34",
                     0,
                     16,
                     {presets_at_100_kw[4]},
                     18,
                     34},
        contour_case{"EnteredSeventy", "1000", "100", "70", 0, 16, {presets_at_100_kw[0]}, 18, 70},
        contour_case{
            "ProbableStandsAloneAbove80",
            "1000",
            "100",
            "100",
            0,
            16,
            {"probable", "    Distance to 100 dBu contour: 6.3 miles or 10.1 kilometers     "},
            19,
            100},
        // At 1 kW the power in dB is exactly 0: a field of exactly 80 is not above 80.
        contour_case{"NoProbableAtExactly80",
                     "1000",
                     "1",
                     "80",
                     0,
                     16,
                     {"    Distance to 80 dBu contour: 6.3 miles or 10.1 kilometers     "},
                     18,
                     80},
        // 10 kW is 9.999897 dB as stored; the level lies 80.0000038 above it,
        // half a float step over 80, and the stored field is 80 (a tie to even).
        contour_case{"NoProbableWhenTheFieldStoresAs80",
                     "1000",
                     "10",
                     "89.999901",
                     0,
                     16,
                     {"    Distance to 89.9999 dBu contour: 6.3 miles or 10.1 kilometers     "},
                     18,
                     89.999901f},
        contour_case{
            "ProbableBeforeEachPresetAbove80",
            "100",
            "0.005",
            "-1",
            0,
            16,
            {"probable",
             "    Distance to 70 dBu (3.16 mV) contour: .9 miles or 1.4 kilometers     ",
             "probable",
             "    Distance to 60 dBu    (1 mV) contour: 1.6 miles or 2.5 kilometers     ",
             "    Distance to 50 dBu  (316 \xE6V) contour: 2.9 miles or 4.6 kilometers     ",
             "    Distance to 40 dBu  (100 \xE6V) contour: 5.3 miles or 8.5 kilometers     ",
             "    Distance to 34 dBu   (50 \xE6V) contour: 7.5 miles or 12 kilometers     "},
            24,
            34},
        contour_case{"OverflowGoesOnWithZeroDistances",
                     "1000",
                     "100",
                     "400",
                     1,
                     16,
                     {"probable", "    Distance to 400 dBu contour: 0 miles or 0 kilometers     "},
                     19,
                     400},
        contour_case{"InfiniteEntryOverflowsOnItsNaN",
                     "1000",
                     "100",
                     "3.4028236E+38",
                     1,
                     16,
                     {"probable", "    Distance to Inf dBu contour: 0 miles or 0 kilometers     "},
                     19,
                     std::numeric_limits<float>::infinity()},
        contour_case{
            "EightyColumnAndTwoRowLinesScrollOnce",
            "1000",
            "1E10",
            "-1",
            0,
            15,
            {"    Distance to 70 dBu (3.16 mV) contour: 867.7 miles or 1397.2 kilometers",
             "    Distance to 60 dBu    (1 mV) contour: 2861.2 miles or 4607.4 "
             "kilometers     ",
             "    Distance to 50 dBu  (316 \xE6V) contour: 14919.9 miles or 24025.6", "kilometers",
             "    Distance to 40 dBu  (100 \xE6V) contour: 138251.3 miles or 222626.8",
             "kilometers", "    Distance to 34 dBu   (50 \xE6V) contour: 730421.6 miles or 1176202",
             "kilometers"},
            24,
            34},
        contour_case{
            "TwoOverflowsAnsweredYes",
            "1000",
            "1E20",
            "-1",
            2,
            15,
            {"    Distance to 70 dBu (3.16 mV) contour: 1.530034E+24 miles or 2.463823E+24",
             "kilometers",
             "    Distance to 60 dBu    (1 mV) contour: 3.639765E+29 miles or 5.861135E+29",
             "kilometers",
             "    Distance to 50 dBu  (316 \xE6V) contour: 7.306083E+35 miles or "
             "1.176503E+36",
             "kilometers", "    Distance to 40 dBu  (100 \xE6V) contour: 0 miles or 0 kilometers",
             "    Distance to 34 dBu   (50 \xE6V) contour: 0 miles or 0 kilometers"},
            24,
            34},
        // An entry above the single range arrives as +infinity: every preset's
        // polynomial overflows at the exponential.
        contour_case{"InfiniteHeightOverflowsAtEachPreset", "3.4028236E+38", "100", "-1", 5, 16,
                     presets_with_zero_distances, 22, 34},
        contour_case{"InfinitePowerOverflowsAtEachPreset", "1000", "3.4028236E+38", "-1", 5, 16,
                     presets_with_zero_distances, 22, 34}),
    [](const testing::TestParamInfo<contour_case>& info) { return std::string(info.param.name); });

TEST(ContourLines, EightyCharacterLineTakesOneRow) {
  headless_session s(scenario::prompts_then_contours);
  ASSERT_EQ(s.type("1000\r1E10\r60\r"), program_state::waiting_for_key);
  EXPECT_EQ(s.row(16),
            "    Distance to 60 dBu    (1 mV) contour: 2861.2 miles or 4607.4 kilometers     ")
      << s.dump();
  EXPECT_EQ(s.row(17), padded("")) << s.dump();
  EXPECT_EQ(s.cursor_row(), 18);
}

TEST(ContourLines, OverflowAnsweredNoEndsBeforeTheLastPreset) {
  headless_session s(scenario::prompts_then_contours);
  ASSERT_EQ(s.type("1000\r1E20\r-1\r"), program_state::in_dialog);
  EXPECT_EQ(s.dialog()->text, overflow_at_38);
  EXPECT_EQ(s.dialog()->caption, "Unhandled Error #6 - drovlan");
  EXPECT_EQ(s.answer(false), program_state::finished);
  EXPECT_EQ(s.exit_code(), 0);
  // The 70, 60 and 50 dBu lines, two rows each; nothing of the 40 dBu line.
  EXPECT_EQ(s.row(21), padded("kilometers")) << s.dump();
  EXPECT_EQ(s.row(22), padded("")) << s.dump();
  EXPECT_EQ(s.cursor_row(), 22);
  EXPECT_EQ(calculator::vars().contour_level, 40);
}

TEST(ContourLines, OverflowDialogComesAfterProbable) {
  headless_session s(scenario::prompts_then_contours);
  ASSERT_EQ(s.type("1000\r100\r400\r"), program_state::in_dialog);
  EXPECT_EQ(s.row(16), padded("probable")) << s.dump();
  EXPECT_EQ(s.row(17), padded("")) << s.dump();
  EXPECT_EQ(calculator::vars().log_distance, 445.72205f);
  s.answer(true);
  EXPECT_EQ(calculator::vars().tenths_distance, 0);
  EXPECT_EQ(calculator::vars().distance_miles, 0);
}

// No entry gives a level that is not a number; set one in its place, and
// neither branch of the block runs.
TEST(ContourLines, NaNEntryRunsNeitherBranch) {
  headless_session s([] {
    auto& v = calculator::vars();
    calculator::ask_antenna_height(v.antenna_height);
    calculator::ask_power(v.radiated_power);
    v.contour_entry = std::numeric_limits<float>::quiet_NaN();
    calculator::show_contours(v.contour_entry, v.contour_level, v.radiated_power, v.antenna_height);
    (void)screen::input_chars(1);
  });
  ASSERT_EQ(s.type("1000\r100\r"), program_state::waiting_for_key);
  for (int r = 14; r <= 25; ++r) EXPECT_EQ(s.row(r), padded("")) << "row " << r << "\n" << s.dump();
  EXPECT_EQ(s.cursor_row(), 17);
  EXPECT_EQ(s.cursor_column(), 1);
  EXPECT_EQ(calculator::vars().contour_level, 0);
}

}  // namespace
