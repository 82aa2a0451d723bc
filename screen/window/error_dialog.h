// The error dialog as a window of its own, opened by the main thread when the
// program's thread announces one and answered by its keys, its mouse or its
// close button.
#pragma once

#include <X11/Xlib.h>

#include "screen/frontend.h"

namespace screen::window {

// Has the program's announcements of a dialog wake the main loop.
void listen_for_dialogs();
bool dialog_window_open();
// Whether `xwindow` is the open dialog's window.
bool is_dialog_window(Window xwindow);
// Opens the window of a newly announced dialog, centred over `main_window`
// (0: none) and owned by its X window; closes the window of a dialog answered
// for the user. True when it gave the window library something to do.
bool tend_dialog(int main_window, Window main_xwindow);
// A key typed while the dialog is open.
void dialog_takes(key_press key);
// The main window has gone: the dialog's window goes too, unanswered (the
// program ends at once, the dialog counting as No).
void main_window_gone();

}  // namespace screen::window
