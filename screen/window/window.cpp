#include "screen/window/window.h"

// GLEW before any other GL header.
#include <GL/glew.h>
// clang-format off
#include <GL/freeglut.h>
#include <GL/glu.h>
// clang-format on
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "screen/dialog_keys.h"
#include "screen/frontend.h"
#include "screen/render.h"

namespace screen::window {

namespace {

using steady = std::chrono::steady_clock;

// The render thread looks again unasked after this long; every change wakes it
// at once, so this is only a backstop.
constexpr auto idle_recheck = std::chrono::seconds(60);

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
  char text[256] = "";
  XGetErrorText(display, error->error_code, text, sizeof text);
  fail("X error: " + std::string(text) + " (request " + std::to_string(error->request_code) + ")");
}

int on_x_io_error(Display*) {
  fail("the connection to the X display was lost");
}

extern "C" void on_stop_signal(int) {
  // Ctrl+Break's path: only lock-free atomic stores happen here.
  request_close(0);
}

// --- GL: one image, one texture, one quad ----------------------------------------

struct gl_image {
  GLuint texture = 0;
  int width = 0, height = 0;
  int texture_width = 0, texture_height = 0;
  bool use_glu = false;
  std::vector<std::uint32_t> padded;  // the power-of-two fallbacks

  void create(int w, int h, bool glew_ready) {
    width = w;
    height = h;
    const bool npot = glew_ready && (GLEW_VERSION_2_0 || GLEW_ARB_texture_non_power_of_two);
    auto pot = [](int v) {
      int p = 1;
      while (p < v) p *= 2;
      return p;
    };
    texture_width = npot ? w : pot(w);
    texture_height = npot ? h : pot(h);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    while (glGetError() != GL_NO_ERROR) {
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture_width, texture_height, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, nullptr);
    // Last resort for an implementation that takes neither size nor format:
    // GLU builds the texture from the whole padded image each time.
    use_glu = glGetError() != GL_NO_ERROR;
    if (use_glu) {
      texture_width = pot(w);
      texture_height = pot(h);
    }
    if (use_glu || texture_width != w || texture_height != h) {
      padded.assign(static_cast<std::size_t>(texture_width) * texture_height, 0xFF000000u);
    }
  }

  void upload(const std::uint32_t* pixels) {
    glBindTexture(GL_TEXTURE_2D, texture);
    if (!use_glu) {
      glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
      return;
    }
    for (int y = 0; y < height; ++y) {
      std::copy_n(pixels + static_cast<std::ptrdiff_t>(y) * width, width,
                  padded.begin() + static_cast<std::ptrdiff_t>(y) * texture_width);
    }
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, texture_width, texture_height, GL_BGRA,
                      GL_UNSIGNED_BYTE, padded.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  }

  // The whole viewport, texel centres on pixel centres at the native size.
  void draw(int viewport_width, int viewport_height) const {
    glViewport(0, 0, viewport_width, viewport_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, texture);
    const float s = static_cast<float>(width) / static_cast<float>(texture_width);
    const float t = static_cast<float>(height) / static_cast<float>(texture_height);
    // Image row 0 is the top of the window.
    glBegin(GL_QUADS);
    glTexCoord2f(0, t);
    glVertex2f(0, 0);
    glTexCoord2f(s, t);
    glVertex2f(1, 0);
    glTexCoord2f(s, 0);
    glVertex2f(1, 1);
    glTexCoord2f(0, 0);
    glVertex2f(0, 1);
    glEnd();
  }
};

bool glew_ready = false;

void bind_default_framebuffer() {
  if (!glew_ready) return;
  if (GLEW_ARB_framebuffer_object || GLEW_VERSION_3_0) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
  } else if (GLEW_EXT_framebuffer_object) {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  }
}

// --- the screen image: written by the render thread, read by the main thread -------

std::mutex frame_mutex;
std::vector<std::uint32_t> frame(frame_pixels);  // guarded by frame_mutex
std::uint64_t frame_serial = 0;                  // guarded by frame_mutex
std::atomic<std::uint64_t> frame_ready{0};

// Wakes the main loop from its wait on the display connection: a new frame, a
// new title, a dialog or the end.
int wake_fd = -1;

void wake_main_loop() {
  const std::uint64_t one = 1;
  // Non-blocking: a counter that cannot take more already has a wake pending.
  [[maybe_unused]] const auto written = write(wake_fd, &one, sizeof one);
}

// Draws a new image only when the cells, or a phase the last image depends on,
// have changed, and otherwise sleeps until one of them does: an idle screen
// costs nothing, and a change is drawn as soon as it is made.
void render_loop() {
  drawn_frame drawn;
  bool have_frame = false;
  std::uint64_t seen_title = title_generation();
  const auto start = steady::now();
  while (!stop_requested()) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(steady::now() - start).count();
    const frame_phases phases = phases_at(ms);
    if (needs_new_frame(have_frame ? &drawn : nullptr, screen_generation(), phases)) {
      const screen_view view = snapshot_screen();
      {
        std::lock_guard lock(frame_mutex);
        drawn.phased =
            render_frame(view.grid, view.cursor_visible, phases.cursor, phases.blink, frame.data());
        frame_ready.store(++frame_serial);
      }
      drawn.generation = view.generation;
      drawn.phases = phases;
      have_frame = true;
      wake_main_loop();
    }
    if (const auto t = title_generation(); t != seen_title) {
      seen_title = t;
      wake_main_loop();
    }
    const auto deadline = drawn.phased
                              ? start + std::chrono::milliseconds(ms + ms_to_next_phase_change(ms))
                              : steady::now() + idle_recheck;
    wait_for_screen_change(drawn.generation, seen_title, deadline);
  }
  acknowledge_stop_render();
  wake_main_loop();
}

// --- windows: main thread only ------------------------------------------------------

int main_window = 0;
gl_image main_image;
std::uint64_t uploaded_serial = 0;
std::uint64_t shown_title_generation = ~0ull;

struct dialog_box {
  int window = 0;
  dialog_request request;
  std::vector<std::string> lines;
  int width = 0, height = 0;
  int focus = 0;  // 0 the first button (Yes, or the only one)
  gl_image image;
  std::vector<std::uint32_t> pixels;
  struct button {
    int x, y, w, h;
    const char* label;
  };
  std::vector<button> buttons;
};
dialog_box dialog;
std::atomic<bool> dialog_announced{true};  // look once at start, then on each announcement

constexpr int dialog_margin = 16;
constexpr int line_height = 20;
constexpr int button_width = 80;
constexpr int button_height = 24;
constexpr int button_gap = 12;

void layout_dialog() {
  dialog.lines.clear();
  std::size_t start = 0;
  for (;;) {
    const auto end = dialog.request.text.find('\n', start);
    dialog.lines.push_back(dialog.request.text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  std::size_t longest = 0;
  for (const auto& line : dialog.lines) longest = std::max(longest, line.size());
  const int count = dialog.request.yes_no ? 2 : 1;
  const int buttons_width = count * button_width + (count - 1) * button_gap;
  dialog.width = std::max(static_cast<int>(longest) * 8, buttons_width) + 2 * dialog_margin;
  dialog.width = std::max(dialog.width, 240);
  const int text_height = static_cast<int>(dialog.lines.size()) * line_height;
  dialog.height = dialog_margin + text_height + dialog_margin + button_height + dialog_margin;
  dialog.buttons.clear();
  int x = (dialog.width - buttons_width) / 2;
  const int y = dialog.height - dialog_margin - button_height;
  if (dialog.request.yes_no) {
    dialog.buttons.push_back({x, y, button_width, button_height, "Yes"});
    x += button_width + button_gap;
    dialog.buttons.push_back({x, y, button_width, button_height, "No"});
  } else {
    dialog.buttons.push_back({x, y, button_width, button_height, "OK"});
  }
  dialog.focus = 0;
  dialog.pixels.assign(static_cast<std::size_t>(dialog.width) * dialog.height, 0);
}

void paint_dialog() {
  const pixel_image img{dialog.width, dialog.height, dialog.pixels.data()};
  const std::uint32_t grey = text_palette[7], black = text_palette[0], white = text_palette[15],
                      dark = text_palette[8];
  img.fill_rect(0, 0, img.width, img.height, grey);
  int y = dialog_margin;
  for (const auto& line : dialog.lines) {
    img.draw_text(dialog_margin, y + (line_height - 16) / 2, line, black);
    y += line_height;
  }
  for (std::size_t i = 0; i < dialog.buttons.size(); ++i) {
    const auto& b = dialog.buttons[i];
    const bool focused = static_cast<int>(i) == dialog.focus;
    img.fill_rect(b.x, b.y, b.w, b.h, focused ? black : dark);
    img.fill_rect(b.x + 1, b.y + 1, b.w - 2, b.h - 2, white);
    img.fill_rect(b.x + 2, b.y + 2, b.w - 3, b.h - 3, dark);
    img.fill_rect(b.x + 2, b.y + 2, b.w - 4, b.h - 4, grey);
    if (focused) img.fill_rect(b.x + 2, b.y + 2, b.w - 4, b.h - 4, white);
    if (focused) img.fill_rect(b.x + 3, b.y + 3, b.w - 6, b.h - 6, grey);
    const int label_width = static_cast<int>(std::char_traits<char>::length(b.label)) * 8;
    img.draw_text(b.x + (b.w - label_width) / 2, b.y + (b.h - 16) / 2, b.label, black);
  }
}

void close_dialog_window() {
  if (dialog.window == 0) return;
  const int window = dialog.window;
  dialog.window = 0;
  glutDestroyWindow(window);
}

// Answers the open dialog; `first_button` is Yes (or the only button).
void answer(bool first_button) {
  if (dialog.window == 0) return;
  close_dialog_window();
  answer_dialog(first_button);
  if (main_window != 0) glutSetWindow(main_window);
}

int scan_code(int key);

void dialog_takes(key_press key) {
  const int focus = dialog.focus;
  if (const auto first_button = dialog_key_answer(key, dialog.request.yes_no, dialog.focus)) {
    answer(*first_button);
  } else if (dialog.focus != focus) {
    glutPostWindowRedisplay(dialog.window);
  }
}

void dialog_key(unsigned char key) {
  dialog_takes(key_press::character(key));
}

void dialog_special(int key) {
  if (const int scan = scan_code(key); scan != 0) {
    dialog_takes(key_press::special(static_cast<std::uint8_t>(scan)));
  }
}

void on_dialog_display() {
  paint_dialog();
  bind_default_framebuffer();
  dialog.image.upload(dialog.pixels.data());
  dialog.image.draw(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
  glutSwapBuffers();
}

void on_dialog_mouse(int button, int state, int x, int y) {
  if (button != GLUT_LEFT_BUTTON || state != GLUT_UP) return;
  // Window pixels back to image pixels, should the window have been resized.
  const int w = std::max(glutGet(GLUT_WINDOW_WIDTH), 1),
            h = std::max(glutGet(GLUT_WINDOW_HEIGHT), 1);
  const int ix = x * dialog.width / w, iy = y * dialog.height / h;
  for (std::size_t i = 0; i < dialog.buttons.size(); ++i) {
    const auto& b = dialog.buttons[i];
    if (ix >= b.x && ix < b.x + b.w && iy >= b.y && iy < b.y + b.h) {
      answer(i == 0);
      return;
    }
  }
}

void on_dialog_close() {
  // Closed by the window manager: freeglut destroys the window itself. A Yes/No
  // box closed this way counts as No, the one-button box as its button.
  // freeglut also calls this for a box that we destroyed ourselves, as late as
  // the end of the loop pass, when the next box may already be open: only the
  // open box's own window answers it.
  if (dialog.window == 0 || glutGetWindow() != dialog.window) return;
  dialog.window = 0;
  answer_dialog(!dialog.request.yes_no);
}

void open_dialog_window(dialog_request request) {
  dialog.request = std::move(request);
  layout_dialog();
  int x = 0, y = 0;
  if (main_window != 0) {
    glutSetWindow(main_window);
    x = glutGet(GLUT_WINDOW_X) + (glutGet(GLUT_WINDOW_WIDTH) - dialog.width) / 2;
    y = glutGet(GLUT_WINDOW_Y) + (glutGet(GLUT_WINDOW_HEIGHT) - dialog.height) / 2;
  }
  glutInitWindowPosition(std::max(x, 0), std::max(y, 0));
  glutInitWindowSize(dialog.width, dialog.height);
  dialog.window = glutCreateWindow(dialog.request.caption.c_str());
  dialog.image = gl_image{};
  dialog.image.create(dialog.width, dialog.height, glew_ready);
  glutDisplayFunc(on_dialog_display);
  glutKeyboardFunc([](unsigned char key, int, int) { dialog_key(key); });
  glutSpecialFunc([](int key, int, int) { dialog_special(key); });
  glutMouseFunc(on_dialog_mouse);
  glutCloseFunc(on_dialog_close);
}

// --- the main window's callbacks ------------------------------------------------------

void close_main_window() {
  // The dialog goes first, answered No, then the process ends.
  request_window_close();
  if (dialog.window != 0) {
    close_dialog_window();
    answer_dialog(false);
  }
}

void on_display() {
  bind_default_framebuffer();
  {
    std::lock_guard lock(frame_mutex);
    if (frame_serial != uploaded_serial) {
      main_image.upload(frame.data());
      uploaded_serial = frame_serial;
    }
  }
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  main_image.draw(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
  glutSwapBuffers();
}

void on_reshape(int, int) {
  glutPostRedisplay();
}

void on_keyboard(unsigned char key, int, int) {
  if (dialog.window != 0) {
    dialog_key(key);  // modal: the dialog takes the keys
    return;
  }
  // Delete arrives as a character; on the PC it is a key without one.
  if (key == 127) {
    push_key(key_press::special(83));
    return;
  }
  push_key(key_press::character(key));
}

int scan_code(int key) {
  if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F10) return 59 + (key - GLUT_KEY_F1);
  switch (key) {
    case GLUT_KEY_F11:
      return 133;
    case GLUT_KEY_F12:
      return 134;
    case GLUT_KEY_UP:
      return 72;
    case GLUT_KEY_DOWN:
      return 80;
    case GLUT_KEY_LEFT:
      return 75;
    case GLUT_KEY_RIGHT:
      return 77;
    case GLUT_KEY_HOME:
      return 71;
    case GLUT_KEY_END:
      return 79;
    case GLUT_KEY_PAGE_UP:
      return 73;
    case GLUT_KEY_PAGE_DOWN:
      return 81;
    case GLUT_KEY_INSERT:
      return 82;
    case GLUT_KEY_DELETE:
      return 83;
    default:
      return 0;  // modifiers, lock keys, keypad centre: not keys of their own
  }
}

void on_special(int key, int, int) {
  const int modifiers = glutGetModifiers();
  if (key == GLUT_KEY_F4 && (modifiers & GLUT_ACTIVE_ALT)) {
    // Alt+F4 also where no window manager turns it into a close request.
    close_main_window();
    request_close(0);
    return;
  }
  if (dialog.window != 0) {
    dialog_special(key);
    return;
  }
  if (key == GLUT_KEY_NUM_LOCK) {
    if (modifiers & GLUT_ACTIVE_CTRL) request_pause();
    return;
  }
  if (const int scan = scan_code(key); scan != 0) {
    push_key(key_press::special(static_cast<std::uint8_t>(scan)));
  }
}

void on_close() {
  main_window = 0;  // freeglut destroys it after this call
  close_main_window();
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
    if (const auto ready = frame_ready.load(); ready != posted_serial) {
      posted_serial = ready;
      glutPostWindowRedisplay(main_window);
      work = true;
    }
  }
  if (stop_requested()) {
    // Ending (a signal, say): a dialog open now would hold the end for ever.
    if (dialog.window != 0) work = true;
    close_dialog_window();
    if (open_dialog()) answer_dialog(false);
  } else if (dialog.window == 0 && dialog_announced.exchange(false)) {
    if (auto request = open_dialog()) {
      open_dialog_window(std::move(*request));
      work = true;
    }
  }
  return work;
}

bool main_window_destroyed(Display* watcher) {
  if (watcher == nullptr) return false;
  bool destroyed = false;
  while (XPending(watcher) > 0) {
    XEvent event;
    XNextEvent(watcher, &event);
    if (event.type == DestroyNotify && event.xdestroywindow.window == main_xwindow)
      destroyed = true;
  }
  return destroyed;
}

// freeglut's own loop, but asleep until the display connection or another
// thread has something for it, instead of waking on a timer: nothing is drawn
// or swapped while nothing changes, and a new frame is shown without delay.
void run_event_loop() {
  Display* display = glXGetCurrentDisplay();
  // freeglut ignores its window being destroyed by another client; left so, the
  // program would run on with nothing to show or type into. A connection of our
  // own sees the destruction whatever freeglut does with its events.
  Display* watcher = XOpenDisplay(DisplayString(display));
  if (watcher != nullptr) {
    XSelectInput(watcher, main_xwindow, StructureNotifyMask);
    XFlush(watcher);
  }
  pollfd watched[3] = {{ConnectionNumber(display), POLLIN, 0},
                       {wake_fd, POLLIN, 0},
                       {watcher != nullptr ? ConnectionNumber(watcher) : -1, POLLIN, 0}};
  for (;;) {
    if (main_window != 0 && (main_window_destroyed(watcher) || main_xwindow_gone)) {
      main_window = 0;
      close_main_window();
      return;
    }
    glutMainLoopEvent();
    if (main_window == 0 && dialog.window == 0) return;
    if (tend_windows()) continue;
    // Also sends what is still buffered, the last swap included, before sleeping.
    if (XPending(display) > 0) continue;
    if (poll(watched, 3, -1) > 0 && (watched[1].revents & POLLIN)) {
      std::uint64_t count = 0;
      [[maybe_unused]] const auto got = read(wake_fd, &count, sizeof count);
    }
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

  glutInitErrorFunc(on_library_error);
  glutInit(&argc, argv);
  XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(on_x_io_error);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);

  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_MULTISAMPLE);
  if (!glutGet(GLUT_DISPLAY_MODE_POSSIBLE)) {
    fail("no display mode with double buffering, RGBA colour, a depth buffer and multisampling");
  }

  wake_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake_fd < 0) fail("cannot create the wake-up event");
  set_dialog_listener([] {
    dialog_announced.store(true);
    wake_main_loop();
  });

  glutInitWindowSize(frame_width, frame_height);
  // The generation first: a title set in between is applied by the next pass.
  shown_title_generation = title_generation();
  main_window = glutCreateWindow(window_title().c_str());
  main_xwindow = glXGetCurrentDrawable();

  glew_ready = glewInit() == GLEW_OK;
  main_image.create(frame_width, frame_height, glew_ready);

  glutDisplayFunc(on_display);
  glutReshapeFunc(on_reshape);
  glutWindowStatusFunc(on_window_status);
  glutKeyboardFunc(on_keyboard);
  glutSpecialFunc(on_special);
  glutCloseFunc(on_close);

  register_render_thread();
  std::thread(render_loop).detach();
  run_event_loop();
}

}  // namespace screen::window
