#include <chrono>

#include "screen/layer.h"
#include "screen/layer_state.h"

namespace screen {

text_value read_key() {
  const auto key = detail::pop_key();
  if (!key) return {};
  if (key->extended) return text_value{'\0', static_cast<char>(key->scan)};
  return text_value(1, static_cast<char>(key->code));
}

text_value input_chars(int count, int /*file_number*/, bool /*file_given*/) {
  text_value result;
  if (detail::error_pending()) return result;
  while (static_cast<int>(result.size()) < count) {
    if (stop_requested()) return result;
    const text_value key = read_key();
    if (!key.empty()) {
      // A two-byte key gives its first byte, the 0; the scan code is dropped.
      result.push_back(key[0]);
      continue;
    }
    line_hook(0, 0, 0);
    // Woken at once by a key or the stop request; a pause needs no poll, as the
    // key that ends it is swallowed either way.
    detail::wait_for_key(detail::idle_recheck);
  }
  return result;
}

}  // namespace screen
