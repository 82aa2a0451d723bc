// Shared state of the layer, for its own source files only.
#pragma once

#include <semaphore.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "screen/frontend.h"
#include "screen/grid.h"

namespace screen::detail {

// Thrown through the program's thread once the layer has stopped it; caught
// where the thread began, so the thread ends without unwinding into anything.
struct program_stopped {};

// How long a waiting thread sleeps at most before it looks again unasked. Every
// change it waits for wakes it at once, so this is only a backstop, and long
// enough that an idle program costs no measurable time.
inline constexpr std::chrono::milliseconds idle_recheck{60'000};

// Rung by whatever may end the program; the housekeeping thread waits on it. A
// POSIX semaphore because ringing it is safe in a signal handler.
class close_bell {
 public:
  close_bell() { sem_init(&sem_, 0, 0); }
  ~close_bell() { sem_destroy(&sem_); }
  close_bell(const close_bell&) = delete;
  close_bell& operator=(const close_bell&) = delete;
  void ring() { sem_post(&sem_); }
  // Waits until rung or `timeout` passes.
  void wait_for(std::chrono::milliseconds timeout);

 private:
  sem_t sem_;
};

struct layer_state {
  // The screen: cells, cursor, colours. Guarded by screen_mutex; every change,
  // the title's too, is announced on screen_cv.
  std::mutex screen_mutex;
  std::condition_variable screen_cv;
  text_grid grid;
  int foreground = 7;
  int background = 0;
  bool cursor_visible = false;
  std::atomic<std::uint64_t> generation{1};

  std::mutex title_mutex;
  std::string title = "Untitled";
  std::atomic<std::uint64_t> title_generation{0};

  // Keys, the program's state and dialogs. Guarded by control_mutex; every
  // change is announced on control_cv.
  std::mutex control_mutex;
  std::condition_variable control_cv;
  std::array<key_press, key_queue_capacity> keys{};
  std::size_t key_head = 0;
  std::size_t key_count = 0;
  program_state state = program_state::running;
  bool paused = false;
  std::optional<dialog_request> dialog;
  std::optional<bool> dialog_answer;
  std::function<void()> dialog_listener;

  // Errors: touched by the program's thread only, apart from the event flag.
  int pending_error = 0;
  int error_statement = 0;
  std::atomic<bool> event{false};

  std::atomic<std::uint8_t> close_request{0};
  close_bell closing;
  std::atomic<int> exit_code{0};
  std::atomic<bool> window_close{false};
  std::atomic<bool> end_now{false};
  std::atomic<bool> stop{false};
  std::atomic<bool> program_finished{false};
  std::atomic<bool> render_registered{false};
  std::atomic<bool> render_acknowledged{false};

  std::string program_name = "drovlan";

  // Tests only: counts down the numeric entry's screen copies to one that fails.
  int failing_copy = 0;
};

layer_state& state();

inline bool error_pending() {
  return state().pending_error != 0;
}

// Runs `change` on the grid under the screen lock and marks the screen changed.
template <typename F>
auto with_grid(F&& change) {
  auto& s = state();
  std::lock_guard lock(s.screen_mutex);
  s.generation.fetch_add(1, std::memory_order_relaxed);
  s.screen_cv.notify_all();
  return change(s.grid);
}

void set_text_cursor(bool visible);

// The oldest key, if any.
std::optional<key_press> pop_key();
// Blocks until a key is queued, the stop request is set or `timeout` passes;
// meanwhile the program counts as waiting for a key. True when a key is queued.
bool wait_for_key(std::chrono::milliseconds timeout);
// Sleeps up to `duration`, waking early for the stop request.
void sleep_unless_stopped(std::chrono::milliseconds duration);

// Tests only: the nth screen copy that the numeric entry takes from now on
// fails as if memory had run out (1: its first copy, 2: its second).
inline void fail_screen_copy(int nth) {
  state().failing_copy = nth;
}

// Shows a dialog and waits for its answer (true: Yes).
bool ask_dialog(dialog_request request);

}  // namespace screen::detail
