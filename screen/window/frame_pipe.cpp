#include "screen/window/frame_pipe.h"

// clang-format off
#include <GL/glu.h>
// clang-format on
#include <GL/freeglut.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "screen/frontend.h"
#include "screen/render.h"

namespace screen::window {

bool glew_ready = false;

void bind_default_framebuffer() {
  if (!glew_ready) return;
  if (GLEW_ARB_framebuffer_object || GLEW_VERSION_3_0) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
  } else if (GLEW_EXT_framebuffer_object) {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  }
}

void gl_image::create(int w, int h, bool glew_is_ready) {
  width = w;
  height = h;
  const bool npot = glew_is_ready && (GLEW_VERSION_2_0 || GLEW_ARB_texture_non_power_of_two);
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

void gl_image::upload(const std::uint32_t* pixels) {
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
void gl_image::draw(int viewport_width, int viewport_height) const {
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

// --- waking the main loop --------------------------------------------------------------

namespace {
int wake_fd = -1;
}  // namespace

bool create_wake_event() {
  wake_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  return wake_fd >= 0;
}

int wake_event_fd() {
  return wake_fd;
}

void wake_main_loop() {
  const std::uint64_t one = 1;
  // Non-blocking: a counter that cannot take more already has a wake pending.
  [[maybe_unused]] const auto written = write(wake_fd, &one, sizeof one);
}

void drain_wake_event() {
  std::uint64_t count = 0;
  [[maybe_unused]] const auto got = read(wake_fd, &count, sizeof count);
}

// --- the screen image: written by the render thread, read by the main thread -------

namespace {

using steady = std::chrono::steady_clock;

// The render thread looks again unasked after this long; every change wakes it
// at once, so this is only a backstop.
constexpr auto idle_recheck = std::chrono::seconds(60);

std::mutex frame_mutex;
std::vector<std::uint32_t> frame(frame_pixels);  // guarded by frame_mutex
std::uint64_t frame_serial = 0;                  // guarded by frame_mutex
std::atomic<std::uint64_t> frame_ready{0};

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

// Main thread only.
gl_image main_image;
std::uint64_t uploaded_serial = 0;

}  // namespace

void create_main_image() {
  main_image.create(frame_width, frame_height, glew_ready);
}

void start_render_thread() {
  register_render_thread();
  std::thread(render_loop).detach();
}

std::uint64_t newest_frame() {
  return frame_ready.load();
}

void draw_main_window(int width, int height) {
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
  main_image.draw(width, height);
  glutSwapBuffers();
}

}  // namespace screen::window
