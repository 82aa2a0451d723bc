// The decimal text of single-precision numbers.
#include "screen/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/test_names.h"

namespace {

struct number_case {
  float value;
  const char* text;
};

void PrintTo(const number_case& c, std::ostream* os) {
  *os << std::hexfloat << c.value << " as \"" << c.text << '"';
}

class NumberTextTest : public testing::TestWithParam<number_case> {};

TEST_P(NumberTextTest, Text) {
  const auto& c = GetParam();
  EXPECT_EQ(screen::single_to_string(c.value), c.text) << "value " << std::hexfloat << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberTextTest,
    testing::Values(
        number_case{0.0f, " 0"}, number_case{-0.0f, " 0"}, number_case{100.0f, " 100"},
        number_case{0.5f, " .5"}, number_case{-0.25f, "-.25"}, number_case{31.5f, " 31.5"},
        number_case{55.0f, " 55"}, number_case{0.1f, " .1"}, number_case{1.5e7f, " 1.5E+07"},
        number_case{1e-8f, " 1E-08"},
        // e = 6 stays fixed, e = 7 goes to exponent notation.
        number_case{1234567.0f, " 1234567"}, number_case{9999999.0f, " 9999999"},
        number_case{12345678.0f, " 1.234568E+07"}, number_case{10000000.0f, " 1E+07"},
        // e - d = -8 stays fixed, -9 goes to exponent notation.
        number_case{1e-7f, " .0000001"}, number_case{1.5e-7f, " 1.5E-07"},
        number_case{0.0123456f, " .0123456"}, number_case{0.01234567f, " 1.234567E-02"},
        number_case{0.001234567f, " 1.234567E-03"},
        // Rounding to 7 digits on the exact value: 62.1f is 62.099998..., 0.1f is 0.100000001...
        number_case{62.1f, " 62.1"}, number_case{1.0f / 3.0f, " .3333333"},
        number_case{2.0f / 3.0f, " .6666667"}, number_case{16777215.0f, " 1.677722E+07"},
        // A tie on the exact value goes to the even digit: 1.0000005E+07 and 1.0000015E+07.
        number_case{10000005.0f, " 1E+07"}, number_case{10000015.0f, " 1.000002E+07"},
        // Rounding carries into a new digit.
        number_case{9999999.5f, " 1E+07"}, number_case{0.99999994f, " .9999999"},
        number_case{-123.456f, "-123.456"}, number_case{3.4028235e38f, " 3.402823E+38"},
        number_case{-1.17549435e-38f, "-1.175494E-38"}, number_case{1.4e-45f, " 1.401298E-45"},
        number_case{std::numeric_limits<float>::infinity(), " Inf"},
        number_case{-std::numeric_limits<float>::infinity(), "-Inf"},
        number_case{std::numeric_limits<float>::quiet_NaN(), " NaN"},
        number_case{-std::numeric_limits<float>::quiet_NaN(), " NaN"}),
    [](const auto& info) { return testnames::readable(info.index, info.param.text); });

TEST(NumberText, NeverMoreThanThirteenCharacters) {
  // Walk the exponents with a few significands each.
  for (int e = -45; e <= 38; ++e) {
    for (float m : {1.0f, 1.2345678f, 9.9999999f, 5.5f}) {
      const float x = m * std::pow(10.0f, static_cast<float>(e));
      EXPECT_LE(screen::single_to_string(x).size(), 13u) << x;
      EXPECT_LE(screen::single_to_string(-x).size(), 13u) << -x;
    }
  }
}

}  // namespace
