#include "tests/driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "calculator/calculator.h"

namespace drivertest {

namespace {
std::mutex exit_mutex;
std::condition_variable exit_cv;
std::optional<int> exit_seen;

constexpr auto settle_timeout = std::chrono::seconds(10);

// The layer is one per process: a second live session would reset it under the first.
std::atomic<bool> session_alive{false};
}  // namespace

headless_session::headless_session() : headless_session([] { calculator::main_module(); }) {}

headless_session::headless_session(std::function<void()> body) {
  if (session_alive.exchange(true)) {
    ADD_FAILURE() << "a second headless session was started while one is alive";
  }
  screen::reset_layer("/usr/local/bin/drovlan");
  calculator::reset_variables();
  {
    std::lock_guard lock(exit_mutex);
    exit_seen.reset();
  }
  program_ = screen::start_program_thread(std::move(body));
  keeper_ = screen::housekeeping_thread([](int code) {
    std::lock_guard lock(exit_mutex);
    exit_seen = code;
    exit_cv.notify_all();
  });
}

headless_session::~headless_session() {
  screen::request_stop();
  while (screen::open_dialog()) screen::answer_dialog(false);
  // A dialog may open between the check and the join: keep answering until done.
  while (screen::current_program_state() != screen::program_state::finished) {
    if (screen::open_dialog()) screen::answer_dialog(false);
    screen::wait_until_settled(std::chrono::milliseconds(50));
  }
  program_.join();
  screen::request_window_close();
  keeper_.join();
  session_alive = false;
}

screen::program_state headless_session::settle() {
  const auto state = screen::wait_until_settled(settle_timeout);
  if (!state) {
    ADD_FAILURE() << "the program did not settle; screen:\n" << dump();
    return screen::program_state::running;
  }
  return *state;
}

screen::program_state headless_session::press(screen::key_press key) {
  while (!screen::push_key(key)) {
    if (!screen::wait_until_settled(settle_timeout)) break;
  }
  return settle();
}

screen::program_state headless_session::type(std::string_view keys) {
  for (const char c : keys) {
    const auto key = screen::key_press::character(static_cast<std::uint8_t>(c));
    while (!screen::push_key(key)) {
      if (!screen::wait_until_settled(settle_timeout)) {
        ADD_FAILURE() << "queue stayed full while typing \"" << keys << "\"";
        return screen::program_state::running;
      }
    }
  }
  return settle();
}

int headless_session::type_ahead(std::string_view keys) {
  int lost = 0;
  for (const char c : keys) {
    if (!screen::push_key(screen::key_press::character(static_cast<std::uint8_t>(c)))) ++lost;
  }
  return lost;
}

std::string headless_session::row(int r) const {
  return screen::snapshot_screen().grid.row_text(r);
}

std::string headless_session::cells(int r, int c, int n) const {
  return row(r).substr(static_cast<std::size_t>(c - 1), static_cast<std::size_t>(n));
}

std::uint8_t headless_session::attribute(int r, int c) const {
  return screen::snapshot_screen().grid.at(r, c).attribute;
}

int headless_session::cursor_row() const {
  return screen::snapshot_screen().grid.row();
}
int headless_session::cursor_column() const {
  return screen::snapshot_screen().grid.column();
}
bool headless_session::wrap_pending() const {
  return screen::snapshot_screen().grid.wrap_pending();
}
std::string headless_session::title() const {
  return screen::window_title();
}

std::string headless_session::dump() const {
  const auto view = screen::snapshot_screen();
  std::string out;
  for (int r = 1; r <= screen::screen_rows; ++r) {
    char label[8];
    std::snprintf(label, sizeof label, "%2d|", r);
    out += label + view.grid.row_text(r) + "|\n";
  }
  out += "cursor at row " + std::to_string(view.grid.row()) + ", column " +
         std::to_string(view.grid.column()) + "\n";
  return out;
}

std::optional<screen::dialog_request> headless_session::dialog() const {
  return screen::open_dialog();
}

screen::program_state headless_session::answer(bool yes) {
  screen::answer_dialog(yes);
  // Wait until the dialog is gone before settling again.
  for (;;) {
    const auto state = settle();
    if (state != screen::program_state::in_dialog || screen::open_dialog()) return state;
  }
}

std::optional<int> headless_session::exit_code(std::chrono::milliseconds timeout) {
  std::unique_lock lock(exit_mutex);
  exit_cv.wait_for(lock, timeout, [] { return exit_seen.has_value(); });
  return exit_seen;
}

}  // namespace drivertest
