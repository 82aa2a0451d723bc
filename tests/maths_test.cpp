// Mathematics in extended precision and their failures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "screen/frontend.h"
#include "screen/layer.h"
#include "screen/layer_state.h"

namespace {

class MathsTest : public testing::Test {
 protected:
  void SetUp() override {
    screen::reset_layer();
    screen::set_fpu_precision();
  }
  int pending() const { return screen::detail::state().pending_error; }
};

TEST_F(MathsTest, ExponentialLimit) {
  const double limit = 88.02969;
  EXPECT_GT(screen::exponential(limit), 1e38L);
  EXPECT_EQ(pending(), 0);
  EXPECT_EQ(screen::exponential(std::nextafter(limit, 100.0)), 0);
  EXPECT_EQ(pending(), 6);
}

TEST_F(MathsTest, ExponentialOfNaNOverflowsAndOfMinusInfinityIsZero) {
  EXPECT_EQ(screen::exponential(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(pending(), 6);
  screen::reset_layer();
  EXPECT_EQ(screen::exponential(-std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(screen::exponential(-800.0), 0);
  EXPECT_EQ(pending(), 0);
}

TEST_F(MathsTest, ExponentialIsRoundedToDouble) {
  const long double r = screen::exponential(1.0);
  EXPECT_EQ(r, static_cast<long double>(static_cast<double>(r)));
  EXPECT_EQ(static_cast<double>(r), std::exp(1.0));
}

TEST_F(MathsTest, NaturalLog) {
  EXPECT_EQ(static_cast<float>(screen::natural_log(100.0)), 4.6051702f);
  EXPECT_EQ(static_cast<float>(screen::natural_log(1000.0)), 6.9077554f);
  EXPECT_TRUE(std::isinf(screen::natural_log(std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(screen::natural_log(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_EQ(pending(), 0);
  for (double bad : {0.0, -0.0, -1.0}) {
    screen::reset_layer();
    EXPECT_EQ(screen::natural_log(bad), 0) << bad;
    EXPECT_EQ(pending(), 5) << bad;
  }
}

// Each of these logarithms has bits beyond a double in extended precision.
TEST_F(MathsTest, NaturalLogIsRoundedToDouble) {
  for (const double x : {10.0, 2.0, 1000.0, 0.001, 100.5}) {
    const long double r = screen::natural_log(x);
    EXPECT_EQ(r, static_cast<long double>(static_cast<double>(r))) << x;
    EXPECT_EQ(static_cast<double>(r), std::log(x)) << x;
  }
}

TEST_F(MathsTest, RaiseToPower) {
  struct {
    long double base, exponent, expected;
  } cases[] = {
      {0, 0, 1},   {5, 0, 1},   {1, 1e30L, 1},    {2, 10, 1024}, {-2, 3, -8},
      {-2, 4, 16}, {-3, 1, -3}, {0.5L, 2, 0.25L}, {9, 0.5L, 3},  {2, -1, 0.5L},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(screen::raise_to_power(c.base, c.exponent), c.expected)
        << c.base << "^" << c.exponent;
  }
  EXPECT_EQ(pending(), 0);
  // Products of the powers are rounded to the 64-bit significand one by one.
  const long double x = 50.000206L;
  EXPECT_EQ(screen::raise_to_power(x, 3), x * (x * x));
  EXPECT_EQ(screen::raise_to_power(x, 4), (x * x) * (x * x));
  EXPECT_EQ(screen::raise_to_power(1, std::numeric_limits<long double>::quiet_NaN()), 1);
}

TEST_F(MathsTest, NegativeBaseWithFractionalExponentFails) {
  EXPECT_EQ(screen::raise_to_power(-2, 0.5L), 0);
  EXPECT_EQ(pending(), 5);
  screen::reset_layer();
  EXPECT_EQ(screen::raise_to_power(-2, std::numeric_limits<long double>::quiet_NaN()), 0);
  EXPECT_EQ(pending(), 5);
}

TEST_F(MathsTest, Floor) {
  EXPECT_EQ(screen::floor_value(314.74185), 314);
  EXPECT_EQ(screen::floor_value(-0.5), -1);
  EXPECT_TRUE(std::isinf(screen::floor_value(std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(screen::floor_value(std::numeric_limits<double>::quiet_NaN())));
}

TEST_F(MathsTest, FirstErrorWinsAndPendingErrorSuppressesOperations) {
  screen::raise_to_power(-1, 0.5L);
  screen::exponential(1000);
  EXPECT_EQ(pending(), 5);
  EXPECT_EQ(screen::exponential(1.0), 0);
  EXPECT_EQ(screen::natural_log(10.0), 0);
}

TEST_F(MathsTest, ReadDataNumber) {
  const std::string data = "3.68,-.72486,5.6445E-4,0,1.2.3,4E39,1x,";
  const auto n = static_cast<std::int32_t>(data.size());
  std::int32_t at = 0;
  EXPECT_EQ(static_cast<float>(
                screen::read_data_number(data, at, n, screen::value_type::single_precision)),
            3.68f);
  EXPECT_EQ(at, 5);
  EXPECT_EQ(static_cast<double>(
                screen::read_data_number(data, at, n, screen::value_type::single_precision)),
            -0.72486);
  EXPECT_EQ(static_cast<double>(
                screen::read_data_number(data, at, n, screen::value_type::single_precision)),
            5.6445E-4);
  EXPECT_EQ(screen::read_data_number(data, at, n, screen::value_type::single_precision), 0);
  EXPECT_EQ(pending(), 0);
  const std::int32_t malformed = at;
  EXPECT_EQ(screen::read_data_number(data, at, n, screen::value_type::single_precision), 0);
  EXPECT_EQ(pending(), 2);
  EXPECT_EQ(at, malformed);

  screen::reset_layer();
  at = malformed + 6;
  EXPECT_EQ(screen::read_data_number(data, at, n, screen::value_type::single_precision), 0);
  EXPECT_EQ(pending(), 6);

  screen::reset_layer();
  at = n;
  EXPECT_EQ(screen::read_data_number(data, at, n, screen::value_type::single_precision), 0);
  EXPECT_EQ(pending(), 4);
}

TEST_F(MathsTest, ReadDataNumberCountsSeventeenSignificantDigits) {
  const std::string data = "0.1000000000000000055511151231257827,123456789012345678901,";
  std::int32_t at = 0;
  const auto n = static_cast<std::int32_t>(data.size());
  EXPECT_EQ(static_cast<double>(
                screen::read_data_number(data, at, n, screen::value_type::single_precision)),
            0.1);
  EXPECT_EQ(static_cast<double>(
                screen::read_data_number(data, at, n, screen::value_type::single_precision)),
            123456789012345670000.0);
}

}  // namespace
