// The main procedure's title screen.
#include <gtest/gtest.h>

#include <cstring>

#include "calculator/calculator.h"
#include "screen/frontend.h"
#include "tests/driver.h"

namespace {

// The title screen as the height prompt first waits on it.
TEST(TitleScreen, HeadingAndCreditLineOnLightGrey) {
  drivertest::headless_session s;
  ASSERT_EQ(s.settle(), screen::program_state::waiting_for_key);
  EXPECT_EQ(s.title(), "Drovlan - A Quorvantel - V2.01");
  ASSERT_EQ(std::strlen(calculator::credit_line), 23u);
  const std::string blank(80, ' ');
  for (int r = 1; r <= 25; ++r) {
    std::string expected = blank;
    if (r == 4) expected.replace(19, 36, "THEORETICAL COVERAGE CONTOURS FOR FM");
    if (r == 10) expected.replace(14, 22, "Antenna HAAT in Feet? ");
    if (r == 25) expected.replace(54, 23, calculator::credit_line);
    EXPECT_EQ(s.row(r), expected) << "row " << r << "\n" << s.dump();
    for (int c = 1; c <= 80; ++c) ASSERT_EQ(s.attribute(r, c), 0x70) << r << "," << c;
  }
  EXPECT_EQ(s.cursor_row(), 10);
  EXPECT_EQ(s.cursor_column(), 37);
  EXPECT_TRUE(screen::text_cursor_visible());
}

TEST(TitleScreen, CreditLineIsPrintable) {
  for (const char* p = calculator::credit_line; *p; ++p) {
    EXPECT_GE(static_cast<unsigned char>(*p), 32);
    EXPECT_LT(static_cast<unsigned char>(*p), 127);
  }
}

}  // namespace
