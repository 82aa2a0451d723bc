// The CPU time of one redraw in a real window of the calculator's display
// mode, through the window front end's own painter: a cursor blink, a full
// screen of new text, a swap with nothing drawn, and the way every frame was
// drawn before (the whole image uploaded, cleared and drawn); the blink also
// spaced as at a prompt. Each figure is split into rendering the cells,
// uploading, drawing and swapping (until the frame is finished); CPU time is
// the whole process's, the renderer's threads included.
//   frame_cost [--single-sample]   the second without multisampling, to compare
// Prints "NAME cpu_ms render_ms upload_ms draw_ms swap_ms wall_ms" lines.
#include "screen/window/frame_pipe.h"
// clang-format off
#include <GL/freeglut.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace screen;
using namespace screen::window;

double process_cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double wall_ms() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A screen like the height prompt's, and one full of text.
text_grid prompt_grid() {
  text_grid g;
  g.set_attribute(0x70);
  g.clear();
  g.locate(4, 20);
  g.print("THEORETICAL COVERAGE CONTOURS FOR FM", false);
  g.locate(10, 15);
  g.print("Antenna HAAT in Feet? 10", false);
  return g;
}

text_grid full_grid(char first) {
  text_grid g;
  g.set_attribute(0x70);
  g.clear();
  for (int r = 1; r <= screen_rows; ++r) {
    std::string line;
    for (int c = 0; c < screen_columns; ++c) line += static_cast<char>(first + (r + c) % 26);
    g.locate(r, 1);
    g.print(line, false);
  }
  g.locate(1, 1);
  return g;
}

struct split {
  double cpu = 0, render = 0, upload = 0, draw = 0, swap = 0, wall = 0;
};

window_painter painter;
std::vector<std::uint32_t> image(frame_pixels);
constexpr int frames = 200;

// Runs `count` redraws, `apart` from each other; `prepare(i)` renders frame i
// into the image and says what changed.
enum class way { painter, whole_frame, swap_alone };

split measure(const std::function<cell_rect(int)>& prepare, way how = way::painter,
              gl_image* whole = nullptr, int count = frames, std::chrono::milliseconds apart = {}) {
  const bool old_way = how == way::whole_frame;
  split s;
  for (int i = 0; i < count; ++i) {
    if (apart.count() > 0) std::this_thread::sleep_for(apart);
    const double cpu0 = process_cpu_ms(), wall0 = wall_ms();
    double t = cpu0;
    const cell_rect changed = prepare(i);
    double u = process_cpu_ms();
    s.render += u - t;
    bind_default_framebuffer();
    if (old_way) {
      whole->upload(image.data());
    } else {
      painter.upload(image.data(), changed);
    }
    t = process_cpu_ms();
    s.upload += t - u;
    bool drawn = true;
    if (how == way::swap_alone) {
    } else if (old_way) {
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      whole->draw(frame_width, frame_height);
    } else {
      drawn = painter.draw();
    }
    u = process_cpu_ms();
    s.draw += u - t;
    if (drawn) glutSwapBuffers();
    glFinish();
    s.swap += process_cpu_ms() - u;
    s.cpu += process_cpu_ms() - cpu0;
    s.wall += wall_ms() - wall0;
  }
  for (double* v : {&s.cpu, &s.render, &s.upload, &s.draw, &s.swap, &s.wall}) *v /= count;
  return s;
}

void report(const char* name, const split& s) {
  std::printf("%s %.3f %.3f %.3f %.3f %.3f %.3f\n", name, s.cpu, s.render, s.upload, s.draw, s.swap,
              s.wall);
}

void run_all() {
  const text_grid prompt = prompt_grid();
  const text_grid full_a = full_grid('A'), full_b = full_grid('a');
  render_frame(prompt, true, true, true, image.data());
  painter.upload(image.data(), whole_screen);
  // The first frames draw whole; what follows is what each kind of frame costs.
  for (int i = 0; i < 3; ++i) {
    if (painter.draw()) glutSwapBuffers();
    painter.upload(image.data(), whole_screen);
  }

  // Each run three times over; the lowest, as the least disturbed.
  auto best = [](const std::function<split()>& run) {
    split low = run();
    for (int i = 0; i < 2; ++i) {
      const split s = run();
      if (s.cpu < low.cpu) low = s;
    }
    return low;
  };
  // The cursor's cell at the height prompt, in and out of its phase.
  const auto blink_frame = [&](int i) {
    const cell_rect cursor{prompt.column() - 1, prompt.row() - 1, prompt.column(), prompt.row()};
    render_cells(prompt, true, i % 2 == 1, true, cursor, image.data());
    return cursor;
  };
  const split blink = best([&] { return measure(blink_frame); });
  // The same as at a prompt, one blink per half period: the renderer's threads
  // and caches are cold at each.
  const split blink_apart = measure(blink_frame, way::painter, nullptr, 12,
                                    std::chrono::milliseconds(cursor_half_period_ms));
  const split full = best([&] {
    return measure([&](int i) {
      render_frame(i % 2 ? full_a : full_b, false, true, true, image.data());
      return whole_screen;
    });
  });
  // The swap of an unchanged frame, with nothing drawn: the floor of any frame.
  const split swap_only =
      best([&] { return measure([](int) { return cell_rect{}; }, way::swap_alone); });
  // The way before: the whole image uploaded, the window cleared and drawn whole.
  gl_image whole;
  whole.create(frame_width, frame_height, glew_ready);
  const split before = best([&] {
    return measure(
        [&](int i) {
          render_frame(i % 2 ? full_a : full_b, false, true, true, image.data());
          return whole_screen;
        },
        way::whole_frame, &whole);
  });
  const split before_blink = best([&] {
    return measure(
        [&](int i) {
          render_frame(prompt, true, i % 2 == 1, true, image.data());
          return whole_screen;
        },
        way::whole_frame, &whole);
  });
  report("blink", blink);
  report("blink-apart", blink_apart);
  report("full", full);
  report("unchanged", swap_only);
  report("whole-blink", before_blink);
  report("whole-full", before);
}

bool done = false;
void on_display() {
  if (done) return;
  done = true;
  run_all();
  std::fflush(stdout);
  glutLeaveMainLoop();
}

}  // namespace

int main(int argc, char** argv) {
  bool single_sample = false;
  for (int i = 1; i < argc; ++i) single_sample |= std::strcmp(argv[i], "--single-sample") == 0;
  glutInit(&argc, argv);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH |
                      (single_sample ? 0u : static_cast<unsigned>(GLUT_MULTISAMPLE)));
  glutInitWindowSize(frame_width, frame_height);
  glutCreateWindow("frame cost");
  window::glew_ready = glewInit() == GLEW_OK;
  painter.create(window::glew_ready);
  glutDisplayFunc(on_display);
  glutMainLoop();
  return 0;
}
