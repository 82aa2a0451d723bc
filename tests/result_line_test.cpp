// The result lines and the contour sequence on the screen: whole rows of text,
// the "probable " row, the wrapped lines, the scroll and the overflow dialogs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "calculator/calculator.h"
#include "tests/driver.h"
#include "tests/scenario_support.h"

namespace {

using drivertest::headless_session;
using screen::program_state;

const std::string heading = "THEORETICAL COVERAGE CONTOURS FOR FM";
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

struct contour_case {
  const char* name;
  double kilowatts;
  float entry;
  int overflow_dialogs;  // each answered Yes
  int first_row;         // of the block, after any scrolling
  std::vector<std::string> rows;
  int cursor_row;
  float level_after;
};

void PrintTo(const contour_case& c, std::ostream* os) {
  *os << c.name;
}

class ContourRows : public testing::TestWithParam<contour_case> {};

TEST_P(ContourRows, WholeRowsCursorAndLevel) {
  const contour_case& c = GetParam();
  headless_session s(scenario::show_contours_once(1000, c.kilowatts, c.entry));
  for (int d = 0; d < c.overflow_dialogs; ++d) {
    ASSERT_EQ(s.settle(), program_state::in_dialog) << "dialog " << d << "\n" << s.dump();
    EXPECT_EQ(s.dialog()->text, overflow_at_38);
    s.answer(true);
  }
  ASSERT_EQ(s.settle(), program_state::waiting_for_key) << s.dump();

  const int scrolled = 16 - c.first_row;
  EXPECT_EQ(s.row(4 - scrolled), padded(std::string(19, ' ') + heading)) << s.dump();
  for (int r = 1; r <= 24; ++r) {
    const int i = r - c.first_row;
    if (r == 4 - scrolled) continue;
    const std::string expected =
        i >= 0 && i < static_cast<int>(c.rows.size()) ? padded(c.rows[i]) : padded("");
    EXPECT_EQ(s.row(r), expected) << "row " << r << "\n" << s.dump();
  }
  EXPECT_EQ(s.row(25), padded(std::string(54, ' ') + calculator::credit_line));
  EXPECT_EQ(s.cursor_row(), c.cursor_row) << s.dump();
  EXPECT_EQ(s.cursor_column(), 1);
  EXPECT_EQ(calculator::vars().contour_level, c.level_after);
  EXPECT_EQ(calculator::vars().data_offset, 0);
  for (int col = 1; col <= 80; ++col) ASSERT_EQ(s.attribute(c.first_row, col), 0x70) << col;
}

INSTANTIATE_TEST_SUITE_P(
    At1000Feet, ContourRows,
    testing::Values(
        contour_case{"Presets", 100, -1, 0, 16, presets_at_100_kw, 22, 34},
        contour_case{"AnyNegativeEntryGivesThePresets", 100, -1000, 0, 16, presets_at_100_kw, 22,
                     34},
        contour_case{"HalfBelowZero", 100, -0.5f, 0, 16, presets_at_100_kw, 22, 34},
        contour_case{"EnteredWholeNumberHasNoDecimals",
                     100,
                     54,
                     0,
                     16,
                     {"    Distance to 54 dBu contour: 55 miles or 88.5 kilometers     "},
                     18,
                     54},
        contour_case{"ZeroIsOneEvaluation",
                     100,
                     0,
                     0,
                     16,
                     {"    Distance to 0 dBu contour: 374.6 miles or 603.2 kilometers     "},
                     18,
                     0},
        contour_case{"MinusZeroIsNotBelowZero",
                     100,
                     -0.0f,
                     0,
                     16,
                     {"    Distance to 0 dBu contour: 374.6 miles or 603.2 kilometers     "},
                     18,
                     0},
        contour_case{"LabelOnlyOnExactEquality",
                     100,
                     70.00001f,
                     0,
                     16,
                     {"    Distance to 70.00001 dBu contour: 31.5 miles or 50.7 kilometers     "},
                     18,
                     70.00001f},
        contour_case{"EnteredPresetKeepsItsLabel", 100, 34, 0, 16, {presets_at_100_kw[4]}, 18, 34},
        contour_case{"EnteredSeventy", 100, 70, 0, 16, {presets_at_100_kw[0]}, 18, 70},
        contour_case{
            "ProbableStandsAloneAbove80",
            100,
            100,
            0,
            16,
            {"probable", "    Distance to 100 dBu contour: 6.3 miles or 10.1 kilometers     "},
            19,
            100},
        contour_case{"NaNEntryRunsNeitherBranch",
                     100,
                     std::numeric_limits<float>::quiet_NaN(),
                     0,
                     16,
                     {},
                     17,
                     0},
        contour_case{"OverflowGoesOnWithZeroDistances",
                     100,
                     400,
                     1,
                     16,
                     {"probable", "    Distance to 400 dBu contour: 0 miles or 0 kilometers     "},
                     19,
                     400},
        contour_case{"InfiniteEntryOverflowsOnItsNaN",
                     100,
                     std::numeric_limits<float>::infinity(),
                     1,
                     16,
                     {"probable", "    Distance to Inf dBu contour: 0 miles or 0 kilometers     "},
                     19,
                     std::numeric_limits<float>::infinity()},
        contour_case{
            "EightyColumnAndTwoRowLinesScrollOnce",
            1e10,
            -1,
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
            1e20,
            -1,
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
            34}),
    [](const testing::TestParamInfo<contour_case>& info) { return std::string(info.param.name); });

TEST(ContourLines, EightyCharacterLineTakesOneRow) {
  headless_session s(scenario::show_contours_once(1000, 1e10, 60));
  ASSERT_EQ(s.settle(), program_state::waiting_for_key);
  EXPECT_EQ(s.row(16),
            "    Distance to 60 dBu    (1 mV) contour: 2861.2 miles or 4607.4 kilometers     ")
      << s.dump();
  EXPECT_EQ(s.row(17), padded("")) << s.dump();
  EXPECT_EQ(s.cursor_row(), 18);
}

TEST(ContourLines, OverflowAnsweredNoEndsBeforeTheLastPreset) {
  headless_session s(scenario::show_contours_once(1000, 1e20, -1));
  ASSERT_EQ(s.settle(), program_state::in_dialog);
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
  headless_session s(scenario::show_contours_once(1000, 100, 400));
  ASSERT_EQ(s.settle(), program_state::in_dialog);
  EXPECT_EQ(s.row(16), padded("probable")) << s.dump();
  EXPECT_EQ(s.row(17), padded("")) << s.dump();
  EXPECT_EQ(calculator::vars().log_distance, 445.72205f);
  s.answer(true);
  EXPECT_EQ(calculator::vars().tenths_distance, 0);
  EXPECT_EQ(calculator::vars().distance_miles, 0);
}

}  // namespace
