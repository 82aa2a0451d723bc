#include <chrono>
#include <memory>
#include <new>

#include "screen/entry_rules.h"
#include "screen/layer.h"
#include "screen/layer_state.h"

namespace screen {

namespace {

using namespace std::chrono_literals;

std::unique_ptr<text_grid> copy_screen() {
  auto& s = detail::state();
  if (s.failing_copy > 0 && --s.failing_copy == 0) throw std::bad_alloc();
  return std::make_unique<text_grid>(snapshot_screen().grid);
}

bool ignored_byte(unsigned char byte) {
  return byte == 10 || byte == 11 || byte == 12 || (byte >= 28 && byte <= 31);
}

}  // namespace

void input_values(single_value& value, bool newline) {
  // Before the entry: the screen to go back to, and room to redraw it in.
  std::unique_ptr<text_grid> original, redrawn;
  try {
    original = copy_screen();
  } catch (const std::bad_alloc&) {
    runtime_error(error_out_of_memory);
    return;
  }
  try {
    redrawn = copy_screen();
  } catch (const std::bad_alloc&) {
    runtime_error(error_out_of_memory_copy);
    return;
  }

  value = 0;
  std::string entry;
  detail::set_text_cursor(true);

  // The screen as it was, with the entry written again; swapped in whole so
  // the window never shows half of it.
  const auto redraw = [&] {
    *redrawn = *original;
    redrawn->print(entry, false);
    detail::with_grid([&](text_grid& g) { g = *redrawn; });
  };
  const auto offer = [&](char byte) {
    entry.push_back(byte);
    print_text(text_value(1, byte), false);
    const entry_verdict verdict = check_entry(entry);
    if (verdict.valid) {
      value = verdict.value;
      return;
    }
    entry.pop_back();
    redraw();
  };

  for (;;) {
    if (stop_requested()) {
      detail::set_text_cursor(false);
      return;
    }
    const text_value key = read_key();
    if (key.empty()) {
      // Woken at once by a key or the stop request.
      detail::wait_for_key(detail::idle_recheck);
      continue;
    }
    if (key.size() > 1) continue;  // arrows, function keys: no character
    const auto byte = static_cast<unsigned char>(key[0]);
    if (ignored_byte(byte)) continue;
    switch (byte) {
      case 7:
        detail::sleep_unless_stopped(250ms);
        break;
      case 9:
        // Blanks up to the next tab stop, each refused by a number.
        for (std::size_t n = 8 - (entry.size() & 7); n > 0; --n) offer(' ');
        break;
      case 8:
        if (entry.empty()) break;
        entry.pop_back();
        redraw();
        value = check_entry(entry).value;
        break;
      case 13:
        detail::set_text_cursor(false);
        if (newline) print_text("", true);
        return;
      default:
        offer(static_cast<char>(byte));
        break;
    }
  }
}

}  // namespace screen
