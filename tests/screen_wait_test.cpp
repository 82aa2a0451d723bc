// The window's render thread sleeps until the screen changes: every kind of
// change must wake it, and so must the end, or a change would wait for the
// deadline to be shown.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "screen/frontend.h"
#include "screen/layer.h"
#include "screen/layer_state.h"

namespace {

using clock_type = std::chrono::steady_clock;

TEST(ScreenWait, EachChangeWakesTheWaiter) {
  struct wake_case {
    const char* name;
    std::function<void()> change;
  };
  const wake_case cases[] = {
      {"print", [] { screen::print_text("x", false); }},
      {"clear", [] { screen::clear_screen(); }},
      {"locate", [] { screen::locate_cursor(5, 5); }},
      {"newline", [] { screen::print_newline(); }},
      {"text cursor shown", [] { screen::detail::set_text_cursor(true); }},
      {"title", [] { screen::set_window_title("t"); }},
      {"stop request", [] { screen::request_stop(); }},
  };
  // Far enough that returning by it stands out from being woken.
  constexpr auto deadline_after = std::chrono::seconds(30);
  for (const auto& c : cases) {
    screen::reset_layer();
    const std::uint64_t screen_seen = screen::screen_generation();
    const std::uint64_t title_seen = screen::title_generation();
    const auto start = clock_type::now();
    std::thread waiter(
        [&] { screen::wait_for_screen_change(screen_seen, title_seen, start + deadline_after); });
    // Most often the waiter is asleep by now; a change made before it sleeps
    // must be seen all the same.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    c.change();
    waiter.join();
    EXPECT_LT(clock_type::now() - start, deadline_after / 2) << c.name << " did not wake it";
  }
  screen::reset_layer();
}

TEST(ScreenWait, WithoutAChangeItSleepsToTheDeadline) {
  screen::reset_layer();
  const auto start = clock_type::now();
  screen::wait_for_screen_change(screen::screen_generation(), screen::title_generation(),
                                 start + std::chrono::milliseconds(50));
  EXPECT_GE(clock_type::now() - start, std::chrono::milliseconds(50));
}

}  // namespace
