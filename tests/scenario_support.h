// Program bodies of the result scenarios: the height, the power and the
// contour level reach the calculator through its own prompts, typed as keys.
#pragma once

#include "calculator/calculator.h"
#include "screen/layer.h"

namespace scenario {

// On a screen cleared in the program's colours: the three prompts, the
// contour block, then a wait for one key. Without the title screen and the
// change menu, so the cursor stays where the block leaves it.
inline void prompts_then_contours() {
  auto& v = calculator::vars();
  screen::set_colour(0, 7, 0, 3);
  screen::clear_screen();
  calculator::ask_antenna_height(v.antenna_height);
  calculator::ask_power(v.radiated_power);
  calculator::ask_contour_level(v.contour_entry);
  calculator::show_contours(v.contour_entry, v.contour_level, v.radiated_power, v.antenna_height);
  (void)screen::input_chars(1);
}

}  // namespace scenario
