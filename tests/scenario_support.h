// Shared set-up of the result scenarios: the converted height and power as the
// prompts store them, and a program body that shows the contours once.
#pragma once

#include <functional>

#include "calculator/calculator.h"
#include "screen/layer.h"

namespace scenario {

// The height variable after its prompt: the logarithm of the feet.
inline screen::single_value log_height(double feet) {
  return static_cast<screen::single_value>(screen::natural_log(feet));
}

// The power variable after its prompt: dB relative to 1 kW.
inline screen::single_value power_db(double kilowatts) {
  return static_cast<screen::single_value>(
      static_cast<long double>(static_cast<double>(screen::natural_log(kilowatts))) * 4.3429);
}

// The title screen as the main procedure leaves it: black on light grey, the
// credit line on row 25 and the heading on row 4.
inline void title_screen() {
  screen::set_colour(0, 7, 0, 3);
  screen::clear_screen();
  screen::locate_cursor(25, 55);
  screen::print_text(calculator::credit_line, true);
  screen::locate_cursor(4, 20);
  screen::print_text("THEORETICAL COVERAGE CONTOURS FOR FM", true);
  screen::print_text("", true);
}

// The title screen, then the contours for `entry` (below 0: the presets) from
// the converted height and power, then a wait for one key.
inline std::function<void()> show_contours_once(double feet, double kilowatts,
                                                screen::single_value entry) {
  return [=] {
    auto& v = calculator::vars();
    title_screen();
    v.antenna_height = log_height(feet);
    v.radiated_power = power_db(kilowatts);
    v.contour_entry = entry;
    calculator::show_contours(v.contour_entry, v.contour_level, v.radiated_power, v.antenna_height);
    (void)screen::input_chars(1);
  };
}

}  // namespace scenario
