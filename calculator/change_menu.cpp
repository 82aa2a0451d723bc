#include "calculator/calculator.h"

namespace calculator {

using namespace screen;

namespace {

bool key_is(const text_value& key, const char* upper, const char* lower) {
  return strings_equal(key, upper) != 0 || strings_equal(key, lower) != 0;
}

}  // namespace

void change_menu(single_value& entry, single_value& level, single_value& log_height,
                 single_value& power_db) {
  variables& v = vars();
  locate_cursor(23, 15);
  const text_value menu = "change: <H>eight, <P>ower, <D>bu, <Q>uit";
  make_fit(menu);
  print_text(menu, false);
  end_statement(82);
  v.menu_key = input_chars(1);
  end_statement(83);

  locate_cursor(16, 1);
  for (double control = 1;;) {
    v.clear_row = static_cast<single_value>(control);
    if (control > 8) break;
    const text_value blanks = string_of_chars(78, 32);
    make_fit(blanks);
    print_text(blanks, false);
    print_text("", true);
    control = static_cast<double>(static_cast<long double>(v.clear_row) + 1);
  }
  end_statement(84);

  if (key_is(v.menu_key, "H", "h")) ask_antenna_height(log_height);
  end_statement(85);
  if (key_is(v.menu_key, "P", "p")) ask_power(power_db);
  end_statement(86);
  if (key_is(v.menu_key, "D", "d")) ask_contour_level(entry);
  end_statement(87);
  if (key_is(v.menu_key, "q", "Q")) {
    close_request().store(1);
    end_program_thread();
  }
  end_statement(88);
  show_contours(entry, level, power_db, log_height);
  end_statement(89);
}

}  // namespace calculator
