// The error dialog as a window of its own, opened by the main thread when the
// program's thread announces one and answered by its keys, its mouse or its
// close button.
#pragma once

#include "screen/frontend.h"

namespace screen::window {

// Has the program's announcements of a dialog wake the main loop.
void listen_for_dialogs();
bool dialog_window_open();
// Opens the window of a newly announced dialog, centred over `main_window`
// (0: none); once the program is stopping, closes any dialog, answering No.
// True when it gave the window library something to do.
bool tend_dialog(int main_window);
// A key typed while the dialog is open.
void dialog_takes(key_press key);
// The main window is going: the open dialog, if any, closes answering No.
void main_window_closing();

}  // namespace screen::window
