#include "screen/window/window.h"

// GLEW before any other GL header.
#include "screen/window/frame_pipe.h"
// clang-format off
#include <GL/freeglut.h>
// clang-format on
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "screen/frontend.h"
#include "screen/render.h"
#include "screen/window/command_line.h"
#include "screen/window/error_dialog.h"
#include "screen/window/key_map.h"
#include "screen/window/x_events.h"

namespace screen::window {

namespace {

std::string program_name = "drovlan";

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", program_name.c_str(), message.c_str());
  std::fflush(nullptr);
  // The program's thread is running: leave without running destructors under it.
  std::_Exit(1);
}

// The window library's fatal errors (no display, for instance) end the process
// here instead of in its own exit(), for the same reason.
void on_library_error(const char* format, va_list args) {
  std::fprintf(stderr, "freeglut (%s): ", program_name.c_str());
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
  std::fflush(nullptr);
  std::_Exit(1);
}

// The window library's connection to the display.
Display* connection = nullptr;
// The main window's X id, and whether another client has destroyed it.
unsigned long main_xwindow = 0;
bool main_xwindow_gone = false;  // X calls, and so their errors, happen on the main thread only

// Xlib's own handlers would exit() under the running threads and can hang there.
int on_x_error(Display* display, XErrorEvent* error) {
  // freeglut may ask about its window before the destruction reaches the loop:
  // an error about the main window means it is gone, and the loop ends it.
  if (main_xwindow != 0 && error->resourceid == main_xwindow) {
    main_xwindow_gone = true;
    return 0;
  }
  // The watch names only the program's own windows: one already gone has
  // nothing left to watch.
  if (is_watch_connection(display) && error->error_code == BadWindow) return 0;
  char text[256] = "";
  XGetErrorText(display, error->error_code, text, sizeof text);
  fail("X error: " + std::string(text) + " (request " + std::to_string(error->request_code) + ")");
}

int on_x_io_error(Display*) {
  fail("the connection to the X display was lost");
}

extern "C" void on_stop_signal(int) {
  // The system's request, not the user's: no dialog holds it. Only lock-free
  // atomic stores and a semaphore post happen here.
  request_end_now();
}

// --- the main window: main thread only ------------------------------------------------

int main_window = 0;
std::uint64_t shown_title_generation = ~0ull;

// Destroyed under the program: nothing is left to answer a dialog in.
void main_window_destroyed() {
  // A server that goes away destroys every window before it drops the last
  // connections: only a display that still answers lost the window to another
  // client. Otherwise this round trip meets the lost connection (exit code 1).
  XSync(connection, False);
  main_window = 0;
  main_window_gone();
  request_end_now();
}

// The size the window system last reported: asking freeglut for it at each
// frame costs a round trip to the server on the way from key to pixel.
int window_width = 0, window_height = 0;

void on_display() {
  if (window_width == 0) {
    window_width = glutGet(GLUT_WINDOW_WIDTH);
    window_height = glutGet(GLUT_WINDOW_HEIGHT);
  }
  draw_main_window(window_width, window_height);
}

void on_reshape(int width, int height) {
  window_width = width;
  window_height = height;
  glutPostRedisplay();
}

// Every key of the program's windows, in the order typed.
void on_key(const key_effect& effect, Window typed_in) {
  switch (effect.what) {
    case key_effect::kind::close_window:
      // The box's own close, where no window manager took the key: only an
      // answer closes the box.
      if (is_dialog_window(typed_in)) return;
      [[fallthrough]];
    case key_effect::kind::close:
      request_close(0);  // held by an open dialog until it is answered
      return;
    case key_effect::kind::pause:
      // The dialog is modal: it takes no pause.
      if (!dialog_window_open()) request_pause();
      return;
    case key_effect::kind::key:
      // Modal: with the dialog open it takes the keys, also the main window's.
      if (dialog_window_open()) {
        dialog_takes(effect.key);
      } else {
        push_key(effect.key);  // while paused, the key only resumes the program
      }
      return;
    case key_effect::kind::none:
      return;
  }
}

void on_close() {
  // The close request never reaches freeglut (x_events.h); should it destroy
  // the window all the same, the window is gone.
  main_window_destroyed();
}

void on_window_status(int status) {
  // Shown again after being covered or minimised: the system wants it drawn.
  if (status != GLUT_HIDDEN) glutPostRedisplay();
}

std::uint64_t posted_serial = 0;

// Carries what the other threads announced over to the windows. True when it
// gave freeglut something to do, which the next pass of the loop does at once.
bool tend_windows() {
  bool work = false;
  if (main_window != 0) {
    if (const auto g = title_generation(); g != shown_title_generation) {
      shown_title_generation = g;
      glutSetWindow(main_window);
      glutSetWindowTitle(window_title().c_str());
      work = true;
    }
    // Once per new frame: a window that cannot be drawn now is drawn when shown.
    if (const auto ready = newest_frame(); ready != posted_serial) {
      posted_serial = ready;
      glutPostWindowRedisplay(main_window);
      work = true;
    }
  }
  return tend_dialog(main_window, main_xwindow) || work;
}

void on_close_request() {
  // The close button, from a window manager or another client: held by an
  // open dialog. Called as Xlib reads the event: atomic stores and a post only.
  request_window_close();
}

// freeglut's own loop, but asleep until the display connection, the watch or
// another thread has something for it, instead of waking on a timer: nothing
// is drawn or swapped while nothing changes, and a new frame is shown without
// delay.
void run_event_loop() {
  pollfd watched[3] = {{ConnectionNumber(connection), POLLIN, 0},
                       {wake_event_fd(), POLLIN, 0},
                       {watch_fd(), POLLIN, 0}};
  for (;;) {
    if (main_window != 0 && (take_watched_events(on_key) || main_xwindow_gone)) {
      main_window_destroyed();
      return;
    }
    glutMainLoopEvent();
    if (main_window == 0 && !dialog_window_open()) return;
    if (tend_windows()) continue;
    // Also sends what is still buffered, the last swap included, before sleeping.
    if (XPending(connection) > 0) continue;
    if (poll(watched, 3, -1) > 0 && (watched[1].revents & POLLIN)) drain_wake_event();
  }
}

}  // namespace

void run_window(int& argc, char** argv) {
  if (argc > 0 && argv[0] != nullptr) program_name = program_file_name(argv[0]);

  struct sigaction action {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // A display that goes away is a lost connection, with its message, also when
  // it is met by a write.
  signal(SIGPIPE, SIG_IGN);

  mend_geometry_arguments(argc, argv, frame_width, frame_height);

  glutInitErrorFunc(on_library_error);
  // Ours from the first request on: the program's thread is already running.
  XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(on_x_io_error);
  glutInit(&argc, argv);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);

  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_MULTISAMPLE);
  if (!glutGet(GLUT_DISPLAY_MODE_POSSIBLE)) {
    fail("no display mode with double buffering, RGBA colour, a depth buffer and multisampling");
  }

  if (!create_wake_event()) fail("cannot create the wake-up event");
  listen_for_dialogs();

  glutInitWindowSize(frame_width, frame_height);
  // The generation first: a title set in between is applied by the next pass.
  shown_title_generation = title_generation();
  main_window = glutCreateWindow(window_title().c_str());
  main_xwindow = glXGetCurrentDrawable();
  connection = glXGetCurrentDisplay();
  // At once, the window being on the screen: a key typed from now on is read.
  // freeglut delivers no Pause or Break and ignores its window being destroyed
  // by another client; a connection of our own sees both, and every other key
  // in the same order, so that one place decides what each key does.
  if (!open_watch(connection, main_xwindow)) {
    fail("cannot open a second connection to the display");
  }
  take_close_requests(connection, main_xwindow, on_close_request);

  glew_ready = glewInit() == GLEW_OK;
  create_main_image();

  glutDisplayFunc(on_display);
  glutReshapeFunc(on_reshape);
  glutWindowStatusFunc(on_window_status);
  glutCloseFunc(on_close);

  start_render_thread();
  run_event_loop();
}

}  // namespace screen::window
