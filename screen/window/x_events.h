// The X events that the window library does not hand the program as it needs
// them: the close request of the main window, taken before the library would
// destroy the window; and, on a connection of the program's own, the
// destruction of the main window and every key pressed in the program's
// windows, in the order pressed. Main thread only.
#pragma once

#include <X11/Xlib.h>

#include "screen/window/key_map.h"

namespace screen::window {

// From now on a close request (WM_DELETE_WINDOW) for `window` arriving on
// `display` calls `on_close` as the connection reads it, and goes no further:
// the window stays as it is.
void take_close_requests(Display* display, Window window, void (*on_close)());
// From now on a close request for `window` is dropped as it is read (0: none).
// Only after take_close_requests.
void refuse_close_requests(Window window);

// Opens the program's own connection to the display of `display` and watches
// `main_window` on it. False when the connection cannot be opened.
bool open_watch(Display* display, Window main_window);
// Its file descriptor, to wait on; -1 when none is open.
int watch_fd();
bool is_watch_connection(const Display* display);
// Also takes the keys pressed in `window` (the error dialog's).
void watch_keys_of(Window window);
// Hands every key read so far to `on_key` with the window it was typed in,
// oldest first. True once the main window has been destroyed.
bool take_watched_events(void (*on_key)(const key_effect& effect, Window window));

}  // namespace screen::window
