#include "calculator/calculator.h"

namespace calculator {

// Not built yet: the program waits here for its end.
void ask_antenna_height(single_value&) { screen::end_program_thread(); }
void ask_power(single_value&) { screen::end_program_thread(); }
void ask_contour_level(single_value&) { screen::end_program_thread(); }

}  // namespace calculator
