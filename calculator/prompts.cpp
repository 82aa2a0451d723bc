#include "calculator/calculator.h"

namespace calculator {

using namespace screen;

namespace {

void print_item(const text_value& text) {
  make_fit(text);
  print_text(text, false);
}

void end_line() {
  print_text("", true);
}

// Blanks what a previous answer left on the prompt's row, ending the line.
void blank_from(int row, int column, int count) {
  locate_cursor(row, column);
  print_item(string_of_chars(count, 32));
  end_line();
}

}  // namespace

void ask_antenna_height(single_value& height) {
  blank_from(10, 15, 30);
  locate_cursor(10, 15);
  end_statement(53);
  print_text("Antenna HAAT in Feet", false);
  print_text("? ", false);
  input_values(height, true);
  end_statement(54);
  constexpr single_value floor_feet = 100;
  if (height < floor_feet) height = floor_feet;
  end_statement(55);
  height = static_cast<single_value>(natural_log(static_cast<double>(height)));
  end_statement(56);
}

void ask_power(single_value& power) {
  constexpr single_value threshold = 0.001f;
  // The model's figures were made with 4.3429, not with 10 / ln 10.
  constexpr double decibel_factor = 4.3429;
  for (;;) {
    blank_from(12, 26, 10);
    end_statement(61);
    locate_cursor(12, 15);
    print_text("ERP in kW", false);
    print_text("? ", false);
    input_values(power, true);
    end_statement(62);
    const bool again = power < threshold;
    end_statement(63);
    if (!again) break;
  }
  power = static_cast<single_value>(natural_log(static_cast<double>(power)) *
                                    static_cast<long double>(decibel_factor));
  end_statement(64);
}

void ask_contour_level(single_value& entry) {
  blank_from(14, 38, 31);
  end_statement(69);
  locate_cursor(14, 15);
  print_text("Contour field strength in dBu/m (-1 = presets)", false);
  print_text("? ", false);
  input_values(entry, true);
  end_line();
  end_statement(70);
}

}  // namespace calculator
