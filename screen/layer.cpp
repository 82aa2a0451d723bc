#include "screen/layer.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "screen/layer_state.h"

namespace screen {
namespace detail {

namespace {
std::unique_ptr<layer_state>& state_holder() {
  static std::unique_ptr<layer_state> holder = std::make_unique<layer_state>();
  return holder;
}
}  // namespace

layer_state& state() {
  return *state_holder();
}

void close_bell::wait_for(std::chrono::milliseconds timeout) {
  timespec until{};
  clock_gettime(CLOCK_REALTIME, &until);
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
  until.tv_sec += static_cast<time_t>(ns / 1'000'000'000);
  until.tv_nsec += static_cast<long>(ns % 1'000'000'000);
  if (until.tv_nsec >= 1'000'000'000) {
    ++until.tv_sec;
    until.tv_nsec -= 1'000'000'000;
  }
  while (sem_timedwait(&sem_, &until) != 0 && errno == EINTR) {
  }
}

void set_text_cursor(bool visible) {
  auto& s = state();
  std::lock_guard lock(s.screen_mutex);
  s.cursor_visible = visible;
  s.generation.fetch_add(1, std::memory_order_relaxed);
  s.screen_cv.notify_all();
}

std::optional<key_press> pop_key() {
  auto& s = state();
  std::lock_guard lock(s.control_mutex);
  if (s.key_count == 0) return std::nullopt;
  const key_press k = s.keys[s.key_head];
  s.key_head = (s.key_head + 1) % key_queue_capacity;
  --s.key_count;
  return k;
}

bool wait_for_key(std::chrono::milliseconds timeout) {
  auto& s = state();
  std::unique_lock lock(s.control_mutex);
  if (s.key_count > 0) return true;
  if (s.stop.load()) return false;
  s.state = program_state::waiting_for_key;
  s.control_cv.notify_all();
  s.control_cv.wait_for(lock, timeout, [&] { return s.key_count > 0 || s.stop.load(); });
  if (s.state == program_state::waiting_for_key) s.state = program_state::running;
  return s.key_count > 0;
}

void sleep_unless_stopped(std::chrono::milliseconds duration) {
  auto& s = state();
  std::unique_lock lock(s.control_mutex);
  s.control_cv.wait_for(lock, duration, [&] { return s.stop.load(); });
}

bool ask_dialog(dialog_request request) {
  auto& s = state();
  std::function<void()> listener;
  {
    std::lock_guard lock(s.control_mutex);
    s.dialog = std::move(request);
    s.dialog_answer.reset();
    s.state = program_state::in_dialog;
    listener = s.dialog_listener;
    s.control_cv.notify_all();
  }
  if (listener) listener();
  std::unique_lock lock(s.control_mutex);
  s.control_cv.wait(lock, [&] { return s.dialog_answer.has_value(); });
  const bool yes = *s.dialog_answer;
  s.dialog.reset();
  s.dialog_answer.reset();
  s.state = program_state::running;
  s.control_cv.notify_all();
  return yes;
}

}  // namespace detail

using detail::state;

// --- front ends ----------------------------------------------------------------

std::string program_file_name(const std::string& command_word) {
  const auto slash = command_word.find_last_of("/\\");
  return slash == std::string::npos ? command_word : command_word.substr(slash + 1);
}

void reset_layer(const std::string& program_path) {
  detail::state_holder() = std::make_unique<detail::layer_state>();
  state().program_name = program_file_name(program_path);
}

std::thread start_program_thread(std::function<void()> body) {
  return std::thread([body = std::move(body)] {
    try {
      set_fpu_precision();
      body();
    } catch (const detail::program_stopped&) {
    }
    // A body that simply returns counts as finished too, for the handshake.
    auto& s = state();
    std::lock_guard lock(s.control_mutex);
    s.program_finished.store(true);
    s.state = program_state::finished;
    s.control_cv.notify_all();
  });
}

std::thread program_thread_entry(void (*main_procedure)()) {
  return start_program_thread(main_procedure);
}

std::thread housekeeping_thread(std::function<void(int)> end_process) {
  return std::thread([end_process = std::move(end_process)] {
    auto& s = state();
    using namespace std::chrono_literals;
    while (s.close_request.load() == 0 && !s.window_close.load() && !s.end_now.load())
      s.closing.wait_for(detail::idle_recheck);
    request_stop();
    for (;;) {
      // A user's request waits for an open dialog; the system's does not. Asked
      // again each round: a dialog may open just as the stop is set, and a
      // signal may come while a dialog holds a close request.
      if (s.end_now.load()) answer_dialog(false);
      if (s.program_finished.load() &&
          (!s.render_registered.load() || s.render_acknowledged.load()))
        break;
      s.closing.wait_for(16ms);
    }
    std::fflush(nullptr);
    end_process(s.exit_code.load());
  });
}

screen_view snapshot_screen() {
  auto& s = state();
  std::lock_guard lock(s.screen_mutex);
  return screen_view{s.grid, s.cursor_visible, s.generation.load(std::memory_order_relaxed)};
}

std::uint64_t screen_generation() {
  return state().generation.load(std::memory_order_relaxed);
}

void wait_for_screen_change(std::uint64_t screen_seen, std::uint64_t title_seen,
                            std::chrono::steady_clock::time_point deadline) {
  auto& s = state();
  std::unique_lock lock(s.screen_mutex);
  s.screen_cv.wait_until(lock, deadline, [&] {
    return s.generation.load(std::memory_order_relaxed) != screen_seen ||
           s.title_generation.load() != title_seen || s.stop.load();
  });
}

std::string window_title() {
  auto& s = state();
  std::lock_guard lock(s.title_mutex);
  return s.title;
}

std::uint64_t title_generation() {
  return state().title_generation.load();
}

bool push_key(key_press key) {
  auto& s = state();
  std::lock_guard lock(s.control_mutex);
  if (s.paused) {
    s.paused = false;
    s.control_cv.notify_all();
    return true;
  }
  if (s.key_count == key_queue_capacity) return false;
  s.keys[(s.key_head + s.key_count) % key_queue_capacity] = key;
  ++s.key_count;
  if (s.state == program_state::waiting_for_key) s.state = program_state::running;
  s.control_cv.notify_all();
  return true;
}

std::size_t pending_keys() {
  auto& s = state();
  std::lock_guard lock(s.control_mutex);
  return s.key_count;
}

void request_pause() {
  auto& s = state();
  std::lock_guard lock(s.control_mutex);
  s.paused = true;
  s.event.store(true);
}

void request_window_close() {
  state().window_close.store(true);
  state().closing.ring();
}

void request_close(int exit_code) {
  auto& s = state();
  s.exit_code.store(exit_code);
  s.close_request.store(1);
  s.closing.ring();
}

void request_end_now() {
  auto& s = state();
  s.end_now.store(true);
  s.closing.ring();
}

bool stop_requested() {
  return state().stop.load();
}

void request_stop() {
  auto& s = state();
  {
    std::lock_guard lock(s.control_mutex);
    s.stop.store(true);
    s.event.store(true);
    s.control_cv.notify_all();
  }
  std::lock_guard lock(s.screen_mutex);
  s.screen_cv.notify_all();
}

void register_render_thread() {
  state().render_registered.store(true);
}
void acknowledge_stop_render() {
  state().render_acknowledged.store(true);
}

void set_dialog_listener(std::function<void()> listener) {
  auto& s = state();
  std::lock_guard lock(s.control_mutex);
  s.dialog_listener = std::move(listener);
}

std::optional<dialog_request> open_dialog() {
  auto& s = state();
  std::lock_guard lock(s.control_mutex);
  if (s.dialog_answer.has_value()) return std::nullopt;
  return s.dialog;
}

void answer_dialog(bool yes) {
  auto& s = state();
  std::lock_guard lock(s.control_mutex);
  if (!s.dialog || s.dialog_answer) return;
  s.dialog_answer = yes;
  s.control_cv.notify_all();
}

std::optional<program_state> wait_until_settled(std::chrono::milliseconds timeout) {
  auto& s = state();
  std::unique_lock lock(s.control_mutex);
  const bool settled = s.control_cv.wait_for(lock, timeout, [&] {
    return s.state == program_state::finished || s.state == program_state::in_dialog ||
           (s.state == program_state::waiting_for_key && s.key_count == 0);
  });
  if (!settled) return std::nullopt;
  return s.state;
}

program_state current_program_state() {
  auto& s = state();
  std::lock_guard lock(s.control_mutex);
  return s.state;
}

bool text_cursor_visible() {
  auto& s = state();
  std::lock_guard lock(s.screen_mutex);
  return s.cursor_visible;
}

// --- the program's operations ----------------------------------------------------

void set_window_title(const text_value& title) {
  if (detail::error_pending()) return;
  auto& s = state();
  {
    std::lock_guard lock(s.title_mutex);
    s.title = title;
    s.title_generation.fetch_add(1);
  }
  // Under the screen lock, so a waiter between its check and its sleep still hears it.
  std::lock_guard lock(s.screen_mutex);
  s.screen_cv.notify_all();
}

void set_colour(long long foreground, long long background, long long /*third*/, int mask) {
  if (detail::error_pending()) return;
  auto& s = state();
  const bool fg_given = mask & 1, bg_given = mask & 2;
  if ((fg_given && static_cast<unsigned long long>(foreground) > 31) ||
      (bg_given && static_cast<unsigned long long>(background) > 15)) {
    runtime_error(error_illegal_function_call);
    return;
  }
  std::lock_guard lock(s.screen_mutex);
  if (fg_given) s.foreground = static_cast<int>(foreground);
  if (bg_given) s.background = static_cast<int>(background) & 7;
  const int blink = s.foreground >= 16 ? 128 : 0;
  s.grid.set_attribute(static_cast<std::uint8_t>((s.foreground & 15) + 16 * s.background + blink));
}

void clear_screen() {
  if (detail::error_pending()) return;
  detail::with_grid([](text_grid& g) { g.clear(); });
}

void locate_cursor(long long row, long long column, long long visibility, long long, long long,
                   int mask) {
  if (detail::error_pending()) return;
  if (((mask & 1) && (row < 1 || row > screen_rows)) ||
      ((mask & 2) && (column < 1 || column > screen_columns))) {
    runtime_error(error_illegal_function_call);
    return;
  }
  detail::with_grid([&](text_grid& g) {
    g.locate((mask & 1) ? static_cast<int>(row) : g.row(),
             (mask & 2) ? static_cast<int>(column) : g.column());
  });
  if (mask & 4) detail::set_text_cursor(visibility != 0);
}

void make_fit(const text_value& text) {
  detail::with_grid([&](text_grid& g) { g.make_fit(text.size()); });
}

void print_text(const text_value& text, bool newline) {
  if (detail::error_pending()) return;
  std::string_view rest(text);
  bool continued = false;
  for (;;) {
    const std::size_t done =
        detail::with_grid([&](text_grid& g) { return g.print(rest, newline, continued); });
    if (done == rest.size() && (done == 0 || rest[done - 1] != 7)) break;
    // A bell: pause outside the lock, then go on with what follows it.
    detail::sleep_unless_stopped(std::chrono::milliseconds(250));
    rest.remove_prefix(done);
    continued = true;
    if (rest.empty()) {
      detail::with_grid([&](text_grid& g) { g.print(rest, newline, true); });
      break;
    }
  }
}

void print_newline() {
  detail::with_grid([](text_grid& g) { g.newline(); });
}

text_value tab_to_column(long long n) {
  if (detail::error_pending()) return {};
  if (n < -32768 || n > 32767) {
    runtime_error(error_overflow);
    return {};
  }
  if (n > screen_columns) n %= screen_columns;
  if (n <= 0) n = 1;
  const int column = detail::with_grid([](text_grid& g) { return g.column(); });
  if (n < column) return "\r" + std::string(static_cast<std::size_t>(n - 1), ' ');
  return std::string(static_cast<std::size_t>(n - column), ' ');
}

text_value string_of_chars(long long count, long long code) {
  if (count < 0) return {};
  return text_value(static_cast<std::size_t>(count), static_cast<char>(code & 255));
}

int strings_equal(const text_value& a, const text_value& b) {
  return a == b ? -1 : 0;
}

// --- errors and ending -------------------------------------------------------------

bool event_flag() {
  return state().event.load(std::memory_order_acquire);
}

text_value error_text(int error_number) {
  switch (error_number) {
    case 2:
      return "Syntax error";
    case 4:
      return "Out of DATA";
    case 5:
      return "Illegal function call";
    case 6:
      return "Overflow";
    case 7:
      return "Out of memory";
    case 11:
      return "Division by zero";
    case 13:
      return "Type mismatch";
    case 14:
      return "Out of string space";
    case 16:
    case 17:
      return "Out of memory";
    default:
      return "Unprintable error";
  }
}

void runtime_error(int error_number) {
  auto& s = state();
  if (s.pending_error != 0) return;
  if (error_number <= 0) error_number = error_illegal_function_call;
  if (error_number == error_out_of_memory || error_number == error_out_of_memory_copy) {
    // Critical: there is no going on from here.
    detail::ask_dialog(
        {"Critical Error #" + std::to_string(error_number), error_text(error_number), false});
    request_close(1);
    end_program_thread();
  }
  s.pending_error = error_number;
  s.event.store(true, std::memory_order_release);
}

void show_error_dialog() {
  auto& s = state();
  const std::string caption =
      "Unhandled Error #" + std::to_string(s.pending_error) + " - " + s.program_name;
  const std::string text = "Line: " + std::to_string(s.error_statement) + " (in main module)\n" +
                           error_text(s.pending_error) + "\nContinue?";
  if (detail::ask_dialog({caption, text, true})) {
    s.pending_error = 0;
    return;
  }
  close_request().store(1);
  end_program_thread();
}

void line_hook(int statement, int, int) {
  auto& s = state();
  s.event.store(false);
  {
    std::unique_lock lock(s.control_mutex);
    while (s.paused && !s.stop.load()) s.control_cv.wait_for(lock, std::chrono::milliseconds(10));
  }
  if (s.stop.load()) end_program_thread();
  if (s.pending_error != 0) {
    s.error_statement = statement;
    // A stop requested meanwhile ends the program at the end of the next
    // statement: its event flag is set.
    show_error_dialog();
  }
}

void end_program_thread() {
  auto& s = state();
  // The program may have set the close request itself just before.
  s.closing.ring();
  {
    std::unique_lock lock(s.control_mutex);
    s.program_finished.store(true);
    s.state = program_state::finished;
    s.control_cv.notify_all();
    while (!s.stop.load()) s.control_cv.wait_for(lock, std::chrono::milliseconds(16));
  }
  throw detail::program_stopped{};
}

std::atomic<std::uint8_t>& close_request() {
  return state().close_request;
}

}  // namespace screen
