// The contour calculator: the program that runs on the text-screen layer.
#pragma once

#include <cstdint>

#include "screen/layer.h"

namespace calculator {

using screen::single_value;
using screen::text_value;

// Every variable of the calculator. One instance lives from the start of the
// program to its end; the procedures share it.
struct variables {
  single_value antenna_height = 0;  // feet while typed, then its natural logarithm
  single_value radiated_power = 0;  // kW while typed, then dB relative to 1 kW
  single_value contour_entry = 0;   // as typed; below 0 selects the presets
  single_value contour_level = 0;   // the level being evaluated
  single_value normalized_field = 0;
  single_value log_distance = 0;
  single_value field_power = 0;
  single_value height_term = 0;
  single_value height_power = 0;
  single_value coefficient = 0;
  single_value tenths_distance = 0;
  single_value distance_miles = 0;
  text_value menu_key;
  single_value clear_row = 0;
  std::int32_t data_offset = 0;  // read position in the coefficient text
};

// The calculator's variables; reset_variables() puts them back to their start values.
variables& vars();
void reset_variables();

// The 23-character credit line of the title screen.
inline constexpr const char* credit_line = "Drovlan contour program";
inline constexpr const char* window_title_text = "Drovlan - A Quorvantel - V2.01";

// The entry point: never returns.
[[noreturn]] void main_module();

void ask_antenna_height(single_value& height);
void ask_power(single_value& power);
void ask_contour_level(single_value& entry);
void show_contours(single_value& contour_entry, single_value& contour_level,
                   single_value& radiated_power, single_value& antenna_height);
void compute_contour(single_value& level, single_value& power_db, single_value& log_height);
void change_menu(single_value& entry, single_value& level, single_value& log_height,
                 single_value& power_db);

}  // namespace calculator
