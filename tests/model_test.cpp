// The coverage model: the coefficient text, the worked example level by level
// and the far levels as the program evaluates them from typed entries, and the
// two rounding steps on their own.
#include "calculator/model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <ostream>
#include <string>

#include "screen/frontend.h"
#include "screen/layer_state.h"
#include "tests/driver.h"
#include "tests/scenario_support.h"
#include "tests/typed_scenario.h"

namespace {

using calculator::vars;

struct outer_steps {
  int count = 0;
  std::array<float, 5> log_distance{};
  std::array<float, 5> height_term{};
};
outer_steps seen;

void record_outer_step(const calculator::variables& v) {
  if (seen.count < 5) {
    seen.log_distance[seen.count] = v.log_distance;
    seen.height_term[seen.count] = v.height_term;
  }
  ++seen.count;
}

class ModelTest : public testing::Test {
 protected:
  void SetUp() override {
    screen::reset_layer();
    calculator::reset_variables();
    screen::set_fpu_precision();
    seen = {};
    calculator::outer_step_observer = &record_outer_step;
  }
  void TearDown() override {
    session_.reset();
    calculator::outer_step_observer = nullptr;
  }

  // The program evaluates `level` itself: 1000 ft, 100 kW and the level
  // typed at its prompts, the block shown once. Returns the kilometres.
  float evaluate(const std::string& level) {
    session_.reset();  // one session at a time
    session_ = std::make_unique<drivertest::headless_session>(scenario::prompts_then_contours);
    EXPECT_EQ(session_->type("1000\r100\r" + level + "\r"), screen::program_state::waiting_for_key)
        << session_->dump();
    return calculator::kilometres_of(vars().distance_miles);
  }
  std::string row(int r) const { return drivertest::right_trimmed(session_->row(r)); }
  int pending() const { return screen::detail::state().pending_error; }

 private:
  std::unique_ptr<drivertest::headless_session> session_;
};

TEST_F(ModelTest, CoefficientTextHoldsTwentyFiveItems) {
  const auto& text = calculator::coefficient_text;
  EXPECT_EQ(text.size(), 233u);
  EXPECT_EQ(text.back(), ',');
  EXPECT_EQ(std::count(text.begin(), text.end(), ','), 25);
  EXPECT_EQ(text.find(' '), std::string::npos);
}

struct worked_level {
  std::string typed;
  float normalized_field;
  std::array<float, 5> log_distance;
  float tenths, miles, kilometres;
};

void PrintTo(const worked_level& w, std::ostream* os) {
  *os << w.typed << " dBu";
}

class WorkedExample : public ModelTest, public testing::WithParamInterface<worked_level> {};

TEST_P(WorkedExample, EveryStoredFigure) {
  const worked_level& w = GetParam();
  const float km = evaluate(w.typed);
  const auto& v = vars();
  EXPECT_EQ(v.normalized_field, w.normalized_field);
  ASSERT_EQ(seen.count, 5);
  const std::array<float, 5> height_terms{4.9393296f, -0.03418489f, 0.00051862246f,
                                          -0.000010971925f, 0.00000004704413f};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(seen.height_term[i], height_terms[i]) << "outer step " << i;
    EXPECT_EQ(seen.log_distance[i], w.log_distance[i]) << "outer step " << i;
  }
  EXPECT_EQ(v.log_distance, w.log_distance[4]);
  EXPECT_EQ(v.field_power, 5);
  EXPECT_EQ(v.height_power, 5);
  EXPECT_EQ(v.coefficient, -5.9243E-9f);  // the last of the 25
  EXPECT_EQ(v.tenths_distance, w.tenths);
  EXPECT_EQ(v.distance_miles, w.miles);
  EXPECT_EQ(km, w.kilometres);
  EXPECT_EQ(pending(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Presets, WorkedExample,
    testing::Values(worked_level{"70",
                                 50.000206f,
                                 {4.9393296f, 3.230078f, 4.5266447f, 3.155137f, 3.4491677f},
                                 314.74185f,
                                 31.5f,
                                 50.7f},
                    worked_level{"60",
                                 40.000206f,
                                 {4.9393296f, 3.5719268f, 4.4017315f, 3.6995175f, 3.819953f},
                                 456.02063f,
                                 45.6f,
                                 73.4f},
                    worked_level{"50",
                                 30.000206f,
                                 {4.9393296f, 3.913776f, 4.3805428f, 4.084295f, 4.1224017f},
                                 617.0727f,
                                 61.7f,
                                 99.3f},
                    worked_level{"40",
                                 20.000206f,
                                 {4.9393296f, 4.255625f, 4.463078f, 4.3753f, 4.3828273f},
                                 800.64075f,
                                 80.1f,
                                 128.9f},
                    worked_level{"34",
                                 14.000206f,
                                 {4.9393296f, 4.460734f, 4.562387f, 4.5322785f, 4.5340858f},
                                 931.38324f,
                                 93.1f,
                                 149.9f}),
    [](const auto& info) { return info.param.typed + "dBu"; });

TEST_F(ModelTest, EnteredLevels) {
  const struct {
    const char* level;
    float normalized_field, tenths, miles, kilometres;
  } cases[] = {
      {"54", 34.000206f, 550.47205f, 55, 88.5f},
      {"0", -19.999794f, 3745.64893f, 374.6f, 603.2f},
      {"100", 80.000206f, 62.526825f, 6.3f, 10.1f},
  };
  for (const auto& c : cases) {
    const float km = evaluate(c.level);
    EXPECT_EQ(vars().normalized_field, c.normalized_field) << c.level;
    EXPECT_EQ(vars().tenths_distance, c.tenths) << c.level;
    EXPECT_EQ(vars().distance_miles, c.miles) << c.level;
    EXPECT_EQ(km, c.kilometres) << c.level;
    EXPECT_EQ(pending(), 0);
  }
}

TEST_F(ModelTest, FarLevelStaysFiniteJustBelowTheSingleRange) {
  const float km = evaluate("301");
  EXPECT_EQ(vars().log_distance, 86.15179f);
  EXPECT_EQ(vars().tenths_distance, 2.60163056e38f);
  EXPECT_EQ(vars().distance_miles, 2.60163051e37f);
  EXPECT_EQ(km, 4.1894212e37f);
  EXPECT_EQ(row(17), "    Distance to 301 dBu contour: 2.601631E+37 miles or 4.189421E+37");
  EXPECT_EQ(row(18), "kilometers");
  EXPECT_EQ(pending(), 0);
}

TEST_F(ModelTest, InfiniteTenthsGiveNaNMilesWithoutAnError) {
  const float km = evaluate("301.2");
  EXPECT_EQ(vars().log_distance, 86.51905f);
  EXPECT_TRUE(std::isinf(vars().tenths_distance));
  EXPECT_TRUE(std::isnan(vars().distance_miles));
  EXPECT_TRUE(std::isnan(km));
  EXPECT_EQ(row(17), "    Distance to 301.2 dBu contour: NaN miles or NaN kilometers");
  EXPECT_EQ(pending(), 0);
}

// Every pass of the change menu evaluates again from the first coefficient.
TEST_F(ModelTest, SecondEvaluationReadsTheSameCoefficients) {
  drivertest::headless_session s;
  ASSERT_EQ(s.type("1000\r100\r50\r"), screen::program_state::waiting_for_key);
  const std::string first_line = s.row(16);
  const float first_log_distance = vars().log_distance;
  ASSERT_EQ(s.type("x"), screen::program_state::waiting_for_key) << s.dump();
  EXPECT_EQ(seen.count, 10);
  EXPECT_EQ(s.row(16), first_line);
  EXPECT_EQ(vars().log_distance, first_log_distance);
  EXPECT_EQ(vars().log_distance, 4.1224017f);
  EXPECT_EQ(vars().coefficient, -5.9243E-9f);
}

TEST_F(ModelTest, MilesRoundHalfUpToATenth) {
  const struct {
    float tenths, miles;
  } cases[] = {{314.5f, 31.5f}, {314.49997f, 31.4f}, {0.5f, 0.1f}, {0.49999997f, 0}, {0, 0}};
  for (const auto& c : cases) {
    vars().tenths_distance = c.tenths;
    calculator::round_miles();
    EXPECT_EQ(vars().distance_miles, c.miles) << c.tenths;
  }
}

// The divisor is the double 0.621: the single 0.621 lies below it, and would
// give 3100 and 3678.1 for the last two.
TEST_F(ModelTest, KilometresTruncateFromTheSingleMiles) {
  const struct {
    float miles, kilometres;
  } cases[] = {{62.1f, 99.9f}, {124.2f, 199.9f}, {186.3f, 300},      {57.5f, 92.5f},
               {0.1f, 0.1f},   {0, 0},           {1925.1f, 3099.9f}, {2284.1f, 3678}};
  for (const auto& c : cases)
    EXPECT_EQ(calculator::kilometres_of(c.miles), c.kilometres) << c.miles;
}

}  // namespace
