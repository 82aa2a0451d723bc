#include "screen/layer.h"
#include "screen/layer_state.h"

namespace screen {

void input_values(single_value& value, bool newline) {
  value = 0;
  while (!stop_requested()) {
    detail::wait_for_key(std::chrono::milliseconds(10));
    if (auto key = detail::pop_key(); key && !key->extended && key->code == 13) break;
  }
  if (newline && !stop_requested()) print_text("", true);
}

}  // namespace screen
