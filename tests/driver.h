// A headless session: the program's thread on the layer's core, with keys typed
// into its queue, dialogs answered and the screen read back as text.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "screen/frontend.h"

namespace drivertest {

inline constexpr std::string_view enter = "\r";

class headless_session {
 public:
  // Runs the whole program, or `body` in its place, on the program's thread.
  headless_session();
  explicit headless_session(std::function<void()> body);
  ~headless_session();
  headless_session(const headless_session&) = delete;
  headless_session& operator=(const headless_session&) = delete;

  // Types each byte as a key, waiting for room in the queue when it is full,
  // then waits until the program has taken them all and blocks again.
  screen::program_state type(std::string_view keys);
  screen::program_state press(screen::key_press key);
  // Queues keys without waiting for the program; returns how many were lost.
  int type_ahead(std::string_view keys);
  // Waits until the program blocks: waiting for a key, in a dialog, or finished.
  screen::program_state settle();

  std::string row(int r) const;                  // 80 characters
  std::string cells(int r, int c, int n) const;  // n characters from column c
  std::uint8_t attribute(int r, int c) const;
  int cursor_row() const;
  int cursor_column() const;
  bool wrap_pending() const;
  std::string title() const;
  // All 25 rows, numbered, for failure messages.
  std::string dump() const;

  std::optional<screen::dialog_request> dialog() const;
  // Answers the open dialog and waits until the program blocks again.
  screen::program_state answer(bool yes);

  // Waits for the process's end and gives its exit code (nullopt on timeout).
  std::optional<int> exit_code(std::chrono::milliseconds timeout = std::chrono::seconds(5));

 private:
  std::thread program_;
  std::thread keeper_;
};

}  // namespace drivertest
