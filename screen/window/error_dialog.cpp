#include "screen/window/error_dialog.h"

#include "screen/window/frame_pipe.h"
// clang-format off
#include <GL/freeglut.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "screen/dialog_keys.h"
#include "screen/render.h"
#include "screen/window/key_map.h"

namespace screen::window {

namespace {

// Main thread only.
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
// The main window, to return to once the dialog is answered.
int owner_window = 0;
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
  if (owner_window != 0) {
    glutSetWindow(owner_window);
    x = glutGet(GLUT_WINDOW_X) + (glutGet(GLUT_WINDOW_WIDTH) - dialog.width) / 2;
    y = glutGet(GLUT_WINDOW_Y) + (glutGet(GLUT_WINDOW_HEIGHT) - dialog.height) / 2;
  }
  glutInitWindowPosition(std::max(x, 0), std::max(y, 0));
  glutInitWindowSize(dialog.width, dialog.height);
  dialog.window = glutCreateWindow(dialog.request.caption.c_str());
  dialog.image = gl_image{};
  dialog.image.create(dialog.width, dialog.height, glew_ready);
  glutDisplayFunc(on_dialog_display);
  glutKeyboardFunc([](unsigned char key, int, int) { dialog_takes(character_key(key)); });
  glutSpecialFunc([](int key, int, int) {
    if (const int scan = scan_code(key); scan != 0) {
      dialog_takes(key_press::special(static_cast<std::uint8_t>(scan)));
    }
  });
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

bool tend_dialog(int main_window) {
  owner_window = main_window;
  if (stop_requested()) {
    // Ending (a signal, say): a dialog open now would hold the end for ever.
    const bool work = dialog.window != 0;
    close_dialog_window();
    if (open_dialog()) answer_dialog(false);
    return work;
  }
  if (dialog.window == 0 && dialog_announced.exchange(false)) {
    if (auto request = open_dialog()) {
      open_dialog_window(std::move(*request));
      return true;
    }
  }
  return false;
}

void dialog_takes(key_press key) {
  const int focus = dialog.focus;
  if (const auto first_button = dialog_key_answer(key, dialog.request.yes_no, dialog.focus)) {
    answer(*first_button);
  } else if (dialog.focus != focus) {
    glutPostWindowRedisplay(dialog.window);
  }
}

void main_window_closing() {
  owner_window = 0;
  if (dialog.window == 0) return;
  close_dialog_window();
  answer_dialog(false);
}

}  // namespace screen::window
