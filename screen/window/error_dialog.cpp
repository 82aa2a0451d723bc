#include "screen/window/error_dialog.h"

#include "screen/window/frame_pipe.h"
// clang-format off
#include <GL/freeglut.h>
// clang-format on
#include <GL/glx.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "screen/dialog_keys.h"
#include "screen/render.h"
#include "screen/window/x_events.h"

namespace screen::window {

namespace {

// Main thread only.
struct dialog_box {
  int window = 0;
  Window xwindow = 0;
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
// The main window, to return to once the dialog is answered, and its X id.
int owner_window = 0;
Window owner_xwindow = 0;
std::atomic<bool> dialog_announced{true};  // look once at start, then on each announcement

constexpr int dialog_margin = 16;
constexpr int line_height = 20;
constexpr int button_width = 80;
constexpr int button_height = 24;
constexpr int button_gap = 12;
constexpr int title_bar_room = 112;

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
  // A window manager's title bar shows the caption beside its own icon and
  // buttons, in a font of about our width.
  const int caption_width = static_cast<int>(dialog.request.caption.size()) * 8 + title_bar_room;
  dialog.width = std::max({dialog.width, caption_width, 240});
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

// A rectangle's outline, `thickness` pixels wide, inside x, y, w, h.
void outline(const pixel_image& img, int x, int y, int w, int h, int thickness,
             std::uint32_t colour) {
  img.fill_rect(x, y, w, thickness, colour);
  img.fill_rect(x, y + h - thickness, w, thickness, colour);
  img.fill_rect(x, y, thickness, h, colour);
  img.fill_rect(x + w - thickness, y, thickness, h, colour);
}

void paint_dialog() {
  const pixel_image img{dialog.width, dialog.height, dialog.pixels.data()};
  const std::uint32_t grey = text_palette[7], black = text_palette[0], white = text_palette[15],
                      dark = text_palette[8];
  img.fill_rect(0, 0, img.width, img.height, grey);
  // A frame of its own: without a window manager there is none, and the box
  // is the same grey as the screen behind it.
  outline(img, 0, 0, img.width, img.height, 2, black);
  img.fill_rect(2, 2, img.width - 4, 1, white);
  img.fill_rect(2, 2, 1, img.height - 4, white);
  img.fill_rect(2, img.height - 3, img.width - 4, 1, dark);
  img.fill_rect(img.width - 3, 2, 1, img.height - 4, dark);
  int y = dialog_margin;
  for (const auto& line : dialog.lines) {
    img.draw_text(dialog_margin, y + (line_height - 16) / 2, line, black);
    y += line_height;
  }
  for (std::size_t i = 0; i < dialog.buttons.size(); ++i) {
    const auto& b = dialog.buttons[i];
    const bool focused = static_cast<int>(i) == dialog.focus;
    // Raised: light top and left, dark bottom and right.
    img.fill_rect(b.x, b.y, b.w, b.h, dark);
    img.fill_rect(b.x, b.y, b.w - 1, b.h - 1, white);
    img.fill_rect(b.x + 1, b.y + 1, b.w - 2, b.h - 2, grey);
    const int label_width = static_cast<int>(std::char_traits<char>::length(b.label)) * 8;
    const int label_x = b.x + (b.w - label_width) / 2, label_y = b.y + (b.h - 16) / 2;
    if (focused) {
      // The focused button, plainly: a thick black frame and a dotted box
      // around its label.
      outline(img, b.x - 2, b.y - 2, b.w + 4, b.h + 4, 2, black);
      const int fx = label_x - 4, fy = label_y - 1, fw = label_width + 8, fh = 18;
      for (int d = 0; d < fw; d += 2) {
        img.fill_rect(fx + d, fy, 1, 1, black);
        img.fill_rect(fx + d, fy + fh - 1, 1, 1, black);
      }
      for (int d = 0; d < fh; d += 2) {
        img.fill_rect(fx, fy + d, 1, 1, black);
        img.fill_rect(fx + fw - 1, fy + d, 1, 1, black);
      }
    }
    img.draw_text(label_x, label_y, b.label, black);
  }
}

void close_dialog_window() {
  if (dialog.window == 0) return;
  const int window = dialog.window;
  dialog.window = 0;
  dialog.xwindow = 0;
  refuse_close_requests(0);
  glutDestroyWindow(window);
}

// Answers the open dialog; `first_button` is Yes (or the only button).
void answer(bool first_button) {
  if (dialog.window == 0) return;
  close_dialog_window();
  answer_dialog(first_button);
  if (owner_window != 0) glutSetWindow(owner_window);
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
  // freeglut calls this for a box that we destroyed ourselves, as late as the
  // end of the loop pass, when the next box may already be open: only the open
  // box's own window counts. Its close requests never get this far
  // (refuse_close_requests); should the window go all the same, the question
  // still stands and the box opens again.
  if (dialog.window == 0 || glutGetWindow() != dialog.window) return;
  dialog.window = 0;
  dialog.xwindow = 0;
  refuse_close_requests(0);
  dialog_announced.store(true);
}

// Only an answer closes the box: a window manager that reads these hints gives
// it no close button, and may move it only.
void offer_no_close(Display* display, Window window) {
  const Atom hints = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  constexpr long functions_given = 1, move_only = 4;
  const long value[5] = {functions_given, move_only, 0, 0, 0};
  XChangeProperty(display, window, hints, hints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(value), 5);
}

void open_dialog_window(dialog_request request) {
  dialog.request = std::move(request);
  layout_dialog();
  int x = 0, y = 0;
  if (owner_window != 0) {
    glutSetWindow(owner_window);
    x = glutGet(GLUT_WINDOW_X) + (glutGet(GLUT_WINDOW_WIDTH) - dialog.width) / 2;
    y = glutGet(GLUT_WINDOW_Y) + (glutGet(GLUT_WINDOW_HEIGHT) - dialog.height) / 2;
  }
  glutInitWindowPosition(std::max(x, 0), std::max(y, 0));
  glutInitWindowSize(dialog.width, dialog.height);
  dialog.window = glutCreateWindow(dialog.request.caption.c_str());
  dialog.xwindow = glXGetCurrentDrawable();
  refuse_close_requests(dialog.xwindow);
  offer_no_close(glXGetCurrentDisplay(), dialog.xwindow);
  // Owned by the main window: a window manager keeps it above and with it.
  if (owner_xwindow != 0)
    XSetTransientForHint(glXGetCurrentDisplay(), dialog.xwindow, owner_xwindow);
  // Its keys come, with the main window's, in the order typed from the watch.
  watch_keys_of(dialog.xwindow);
  dialog.image = gl_image{};
  dialog.image.create(dialog.width, dialog.height, glew_ready);
  glutDisplayFunc(on_dialog_display);
  glutMouseFunc(on_dialog_mouse);
  glutCloseFunc(on_dialog_close);
}

}  // namespace

void listen_for_dialogs() {
  set_dialog_listener([] {
    dialog_announced.store(true);
    wake_main_loop();
  });
}

bool dialog_window_open() {
  return dialog.window != 0;
}

bool is_dialog_window(Window xwindow) {
  return dialog.window != 0 && xwindow == dialog.xwindow;
}

bool tend_dialog(int main_window, Window main_xwindow) {
  owner_window = main_window;
  owner_xwindow = main_xwindow;
  bool work = false;
  if (dialog.window != 0 && !open_dialog()) {
    // Answered for the user: the system ends the program.
    close_dialog_window();
    work = true;
  }
  if (dialog.window == 0 && dialog_announced.exchange(false)) {
    if (auto request = open_dialog()) {
      open_dialog_window(std::move(*request));
      return true;
    }
  }
  return work;
}

void dialog_takes(key_press key) {
  const int focus = dialog.focus;
  if (const auto first_button = dialog_key_answer(key, dialog.request.yes_no, dialog.focus)) {
    answer(*first_button);
  } else if (dialog.focus != focus) {
    glutPostWindowRedisplay(dialog.window);
  }
}

void main_window_gone() {
  owner_window = 0;
  owner_xwindow = 0;
  close_dialog_window();
}

}  // namespace screen::window
