// The window front end: opens the text screen's window on the calling thread,
// which must be the process's main thread, and runs its event loop.
#pragma once

namespace screen::window {

// Hands argc/argv to the window library unchanged, opens the 640x400 window
// with the kept title and runs the loop. Before a window opens, a failure of
// the window library or a missing display mode ends the process with exit
// code 1 and a message on standard error. Returns only once the loop has ended
// after the window was closed; the housekeeping thread then ends the process.
void run_window(int& argc, char** argv);

}  // namespace screen::window
