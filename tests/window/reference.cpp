// The screen that the window should show after a sequence of keys, as the
// core renders it: runs the calculator headless, types the keys (named as
// xdotool names them) and writes the image in both phases of the text cursor.
//   window_reference PREFIX [KEY...]
// writes PREFIX.ppm (cursor drawn), PREFIX-nocursor.ppm and PREFIX.txt (the
// rows as text), and prints the state reached: waiting, dialog or finished.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "calculator/calculator.h"
#include "screen/dialog_keys.h"
#include "screen/frontend.h"
#include "screen/render.h"

namespace {

using screen::key_press;

// The key that the window front end queues for an xdotool key name.
std::optional<key_press> key_for(const std::string& name) {
  static const std::map<std::string, key_press> named = {
      {"Return", key_press::character(13)},   {"Escape", key_press::character(27)},
      {"BackSpace", key_press::character(8)}, {"Tab", key_press::character(9)},
      {"space", key_press::character(' ')},   {"minus", key_press::character('-')},
      {"plus", key_press::character('+')},    {"period", key_press::character('.')},
      {"Up", key_press::special(72)},         {"Down", key_press::special(80)},
      {"Left", key_press::special(75)},       {"Right", key_press::special(77)},
      {"Home", key_press::special(71)},       {"End", key_press::special(79)},
      {"Prior", key_press::special(73)},      {"Next", key_press::special(81)},
      {"Insert", key_press::special(82)},     {"Delete", key_press::special(83)},
  };
  if (const auto it = named.find(name); it != named.end()) return it->second;
  if (name.size() == 1) return key_press::character(static_cast<std::uint8_t>(name[0]));
  if (name.size() == 6 && name.starts_with("ctrl+")) {
    return key_press::character(static_cast<std::uint8_t>(name[5] & 0x1F));
  }
  if (name.size() >= 2 && name[0] == 'F') {
    const int n = std::atoi(name.c_str() + 1);
    if (n >= 1 && n <= 10) return key_press::special(static_cast<std::uint8_t>(58 + n));
    if (n == 11 || n == 12) return key_press::special(static_cast<std::uint8_t>(122 + n));
  }
  return std::nullopt;
}

screen::program_state settle() {
  const auto state = screen::wait_until_settled(std::chrono::seconds(10));
  if (!state) {
    std::fprintf(stderr, "window_reference: the program did not settle\n");
    std::_Exit(2);
  }
  return *state;
}

// The dialog takes the key as the window's does.
void dialog_key(const key_press& key, int& focus) {
  const auto open = screen::open_dialog();
  const auto yes = screen::dialog_key_answer(key, !open || open->yes_no, focus);
  if (!yes) return;
  screen::answer_dialog(*yes);
  for (;;) {
    const auto state = settle();
    if (state != screen::program_state::in_dialog || screen::open_dialog()) return;
  }
}

bool write_ppm(const std::string& path, const std::vector<std::uint32_t>& bgra) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << screen::frame_width << ' ' << screen::frame_height << "\n255\n";
  for (const std::uint32_t p : bgra) {
    const char rgb[3] = {static_cast<char>((p >> 16) & 0xFF), static_cast<char>((p >> 8) & 0xFF),
                         static_cast<char>(p & 0xFF)};
    out.write(rgb, 3);
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_reference PREFIX [KEY...]\n");
    return 2;
  }
  const std::string prefix = argv[1];
  std::vector<key_press> keys;
  for (int i = 2; i < argc; ++i) {
    const auto key = key_for(argv[i]);
    if (!key) {
      std::fprintf(stderr, "window_reference: unknown key name %s\n", argv[i]);
      return 2;
    }
    keys.push_back(*key);
  }

  screen::reset_layer("drovlan");
  calculator::reset_variables();
  std::thread program = screen::program_thread_entry(&calculator::main_module);
  program.detach();

  auto state = settle();
  int focus = 0;
  for (const auto& key : keys) {
    if (state == screen::program_state::finished) break;
    if (state == screen::program_state::in_dialog) {
      dialog_key(key, focus);
    } else {
      focus = 0;
      while (!screen::push_key(key)) settle();
    }
    state = settle();
  }

  const auto view = screen::snapshot_screen();
  std::vector<std::uint32_t> pixels(screen::frame_pixels);
  screen::render_frame(view.grid, view.cursor_visible, true, true, pixels.data());
  bool ok = write_ppm(prefix + ".ppm", pixels);
  screen::render_frame(view.grid, view.cursor_visible, false, true, pixels.data());
  ok = write_ppm(prefix + "-nocursor.ppm", pixels) && ok;

  std::ofstream text(prefix + ".txt");
  for (int r = 1; r <= screen::screen_rows; ++r) {
    char label[8];
    std::snprintf(label, sizeof label, "%2d|", r);
    text << label << view.grid.row_text(r) << "|\n";
  }
  const char* name = state == screen::program_state::in_dialog  ? "dialog"
                     : state == screen::program_state::finished ? "finished"
                                                                : "waiting";
  text << "state: " << name << '\n';
  text.close();
  ok = ok && text;
  std::printf("%s\n", name);
  std::fflush(nullptr);
  // The program's thread is parked in the layer: leave without unwinding it.
  std::_Exit(ok ? 0 : 1);
}
