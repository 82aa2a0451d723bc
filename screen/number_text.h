// The decimal text of a single-precision number.
#pragma once

#include "screen/types.h"

namespace screen {

// A blank for a value of 0 or more (a minus sign otherwise), then at most 7
// significant digits in fixed or exponent notation; at most 13 characters.
// Values that are not finite have fixed texts of their own:
// " Inf" and "-Inf" for the infinities, " NaN" for every not-a-number.
text_value single_to_string(single_value x);

}  // namespace screen
