// The layer as its front ends see it: the window, and the headless driver of
// the tests. Everything here is safe to call from any thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "screen/grid.h"
#include "screen/types.h"

namespace screen {

// Puts the whole layer back to its start state: blank screen, empty queue, no
// title, no error. Only while no program thread runs.
void reset_layer(const std::string& program_path = "drovlan");
// The program's file name as the error dialog names it: the first word of the
// command line after its last / or \.
std::string program_file_name(const std::string& command_word);

// --- start-up --------------------------------------------------------------
// Runs `main_procedure` on the program's own thread, with the arithmetic set
// up; the thread ends quietly once the layer has stopped the program.
std::thread program_thread_entry(void (*main_procedure)());
std::thread start_program_thread(std::function<void()> body);

// Wakes at once for a close request, a closed window or an end at once; then
// stops the program, waits for its thread (and the render thread, if
// registered) to acknowledge, and calls `end_process` with the exit code.
std::thread housekeeping_thread(std::function<void(int)> end_process);

// --- screen ------------------------------------------------------------------
struct screen_view {
  text_grid grid;
  bool cursor_visible = false;
  std::uint64_t generation = 0;  // changes whenever the screen does
};
screen_view snapshot_screen();
std::uint64_t screen_generation();
// Blocks until the screen or the title differs from the generations seen, the
// stop request is set, or `deadline` passes.
void wait_for_screen_change(std::uint64_t screen_seen, std::uint64_t title_seen,
                            std::chrono::steady_clock::time_point deadline);

// The kept title, "Untitled" until the program sets one; generation counts changes.
std::string window_title();
std::uint64_t title_generation();

// --- keyboard --------------------------------------------------------------
struct key_press {
  std::uint8_t code = 0;  // the character, or 0 for a key without one
  std::uint8_t scan = 0;  // the scan code of a key without a character
  bool extended = false;
  static key_press character(std::uint8_t c) { return {c, 0, false}; }
  static key_press special(std::uint8_t scan_code) { return {0, scan_code, true}; }
};
inline constexpr std::size_t key_queue_capacity = 15;
// Queues a key typed in the window; false when the queue was full and the key lost.
// While the program is paused the key only resumes it.
bool push_key(key_press key);
std::size_t pending_keys();
// Holds the program between two statements until the next key.
void request_pause();

// --- ending ----------------------------------------------------------------
// The user's requests wait for an open error dialog's answer: the program ends
// after No at once, after Yes at the end of the next statement.
// The window's close button.
void request_window_close();
// Ctrl+Break and Alt+F4: the same as the program's own close request.
void request_close(int exit_code = 0);
// The system's requests (a signal, the window destroyed under the program) end
// it at once, an open error dialog counting as No. Safe in a signal handler.
void request_end_now();
bool stop_requested();
// Sets the stop request at once (tests' teardown; the housekeeping thread).
void request_stop();
// The render thread takes part in the stop handshake once registered.
void register_render_thread();
void acknowledge_stop_render();

// --- dialogs -----------------------------------------------------------------
struct dialog_request {
  std::string caption;
  std::string text;    // lines separated by \n
  bool yes_no = true;  // false: one button only (a critical error)
};
// Called on the program's thread each time a dialog opens.
void set_dialog_listener(std::function<void()> listener);
std::optional<dialog_request> open_dialog();
// Yes (or the only button) when `yes`; No otherwise.
void answer_dialog(bool yes);

// --- the program's state, for drivers ------------------------------------------
enum class program_state { running, waiting_for_key, in_dialog, finished };
// Waits until the program is blocked: waiting for a key with the queue empty,
// in a dialog, or finished. Returns the state reached, or nullopt on timeout.
std::optional<program_state> wait_until_settled(std::chrono::milliseconds timeout);
program_state current_program_state();
bool text_cursor_visible();

}  // namespace screen
