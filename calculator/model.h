// The coverage model's statements, one function per group, in the order that
// compute_contour runs them between its printing. Each works on vars().
#pragma once

#include <cstdint>
#include <string_view>

#include "calculator/calculator.h"

namespace calculator {

// The 25 coefficients, row by row (power of the normalized field), each row
// by power of the log height; every item ends with a comma.
extern const text_value coefficient_text;
inline constexpr std::int32_t coefficient_text_length = 233;

// normalized_field = level - power_db.
void normalize_field(const single_value& level, const single_value& power_db);
// log_distance = the polynomial in normalized_field and log_height, reading
// the coefficients from data_offset on.
void sum_polynomial(const single_value& log_height);
// tenths_distance = e^log_distance * 10; the one statement that can fail.
void exponentiate_distance();
// distance_miles = tenths_distance rounded half up to a whole tenth.
void round_miles();
// The kilometres printed for `miles`: truncated to a tenth.
single_value kilometres_of(single_value miles);

// The model alone, without the result line: what one evaluation computes.
void evaluate_model(const single_value& level, const single_value& power_db,
                    const single_value& log_height);

// Called after each outer step of the polynomial when set; null in the program.
extern void (*outer_step_observer)(const variables&);

}  // namespace calculator
