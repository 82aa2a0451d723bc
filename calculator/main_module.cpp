#include "calculator/calculator.h"

namespace calculator {

using namespace screen;

variables& vars() {
  static variables v;
  return v;
}

void reset_variables() {
  vars() = variables{};
}

// Prints one text item where the cursor stands.
static void print_item(const text_value& text) {
  make_fit(text);
  print_text(text, false);
}

static void end_line() {
  print_text("", true);
}

void main_module() {
  set_fpu_precision();
  variables& v = vars();

  set_window_title(window_title_text);
  end_statement(1);
  set_colour(0, 7, 0, 3);
  end_statement(3);
  clear_screen();
  end_statement(4);
  locate_cursor(25, 55);
  print_item(credit_line);
  end_line();
  end_statement(6);
  locate_cursor(4, 20);
  end_statement(7);
  print_item("THEORETICAL COVERAGE CONTOURS FOR FM");
  end_line();
  end_statement(8);
  end_line();
  end_statement(9);

  ask_antenna_height(v.antenna_height);
  end_statement(10);
  ask_power(v.radiated_power);
  end_statement(11);
  ask_contour_level(v.contour_entry);
  end_statement(12);
  show_contours(v.contour_entry, v.contour_level, v.radiated_power, v.antenna_height);
  end_statement(13);
  for (;;) {
    end_statement(14);
    change_menu(v.contour_entry, v.contour_level, v.antenna_height, v.radiated_power);
    end_statement(15);
  }
}

}  // namespace calculator
