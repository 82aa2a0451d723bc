// The rules of the numeric entry: which texts are the beginning of a number
// that a single-precision variable can take, and the value such a text has.
// Pure: no screen, no keys, so the rules can be tested and fuzzed on their own.
#pragma once

#include <string_view>

#include "screen/types.h"

namespace screen {

struct entry_verdict {
  // The text is the beginning of a valid number.
  bool valid = false;
  // What the variable holds for a valid text; 0 for a refused one.
  single_value value = 0;
};

entry_verdict check_entry(std::string_view entry);

}  // namespace screen
