#include "screen/window/frame_pipe.h"

// clang-format off
#include <GL/glu.h>
// clang-format on
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string_view>
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

namespace {

bool can_make_mipmaps() {
  return glew_ready && (GLEW_VERSION_3_0 || GLEW_ARB_framebuffer_object);
}

int pot(int v) {
  int p = 1;
  while (p < v) p *= 2;
  return p;
}

bool has_token(const char* list, const char* token) {
  if (list == nullptr) return false;
  const std::string_view all(list), wanted(token);
  for (std::size_t at = all.find(wanted); at != std::string_view::npos;
       at = all.find(wanted, at + 1)) {
    const std::size_t end = at + wanted.size();
    if ((at == 0 || all[at - 1] == ' ') && (end == all.size() || all[end] == ' ')) return true;
  }
  return false;
}

}  // namespace

void gl_image::create(int w, int h, bool glew_is_ready) {
  width = w;
  height = h;
  const bool npot = glew_is_ready && (GLEW_VERSION_2_0 || GLEW_ARB_texture_non_power_of_two);
  texture_width = npot ? w : pot(w);
  texture_height = npot ? h : pot(h);
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  allocated = false;
  use_glu = false;
}

// The texture's storage comes with the first image, in one step where the
// image fills it: allocating it empty and then filling it costs the start a
// further pass over a megabyte.
bool gl_image::allocate(const std::uint32_t* pixels, bool whole) {
  allocated = true;
  const bool exact = whole && texture_width == width && texture_height == height;
  while (glGetError() != GL_NO_ERROR) {
  }
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture_width, texture_height, 0, GL_BGRA,
               GL_UNSIGNED_BYTE, exact ? pixels : nullptr);
  // Last resort for an implementation that takes neither size nor format:
  // GLU builds the texture from the whole padded image each time.
  use_glu = glGetError() != GL_NO_ERROR;
  if (use_glu) {
    texture_width = pot(width);
    texture_height = pot(height);
  }
  if (use_glu || texture_width != width || texture_height != height) {
    padded.assign(static_cast<std::size_t>(texture_width) * texture_height, 0xFF000000u);
  }
  return exact && !use_glu;
}

void gl_image::upload(const std::uint32_t* pixels, pixel_rect band) {
  if (band.empty()) return;
  glBindTexture(GL_TEXTURE_2D, texture);
  if (!allocated && allocate(pixels, band == pixel_rect{0, 0, width, height})) {
    if (filtered) make_mipmaps();
    return;
  }
  if (!use_glu) {
    // Rows of the band only, read out of the whole image.
    glPixelStorei(GL_UNPACK_ROW_LENGTH, width);
    glTexSubImage2D(GL_TEXTURE_2D, 0, band.x, band.y, band.width, band.height, GL_BGRA,
                    GL_UNSIGNED_BYTE,
                    pixels + static_cast<std::ptrdiff_t>(band.y) * width + band.x);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    if (filtered) make_mipmaps();
    return;
  }
  for (int y = 0; y < height; ++y) {
    std::copy_n(pixels + static_cast<std::ptrdiff_t>(y) * width, width,
                padded.begin() + static_cast<std::ptrdiff_t>(y) * texture_width);
  }
  gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, texture_width, texture_height, GL_BGRA,
                    GL_UNSIGNED_BYTE, padded.data());
  set_filtered(filtered);
}

void gl_image::make_mipmaps() const {
  if (allocated && can_make_mipmaps()) glGenerateMipmap(GL_TEXTURE_2D);
}

void gl_image::set_filtered(bool on) {
  const bool was = filtered;
  filtered = on;
  glBindTexture(GL_TEXTURE_2D, texture);
  // Scaled down, each window pixel averages the texels under it: mipmaps keep
  // thin strokes from vanishing between samples.
  const bool mipmapped = use_glu || can_make_mipmaps();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  !on         ? GL_NEAREST
                  : mipmapped ? GL_LINEAR_MIPMAP_LINEAR
                              : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, on ? GL_LINEAR : GL_NEAREST);
  if (on && !was && !use_glu) make_mipmaps();
}

// Window pixels map one to one onto the projection, so that at whole multiples
// every texel covers exactly k x k pixels.
void gl_image::draw(const pixel_rect& area, int window_width, int window_height) const {
  glViewport(0, 0, window_width, window_height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, window_width, 0, window_height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  // The quad's edges lie on whole pixels, so every sample of a pixel would
  // come out alike: rasterising once per pixel saves the samples' work.
  glDisable(GL_MULTISAMPLE);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBindTexture(GL_TEXTURE_2D, texture);
  const float s = static_cast<float>(width) / static_cast<float>(texture_width);
  const float t = static_cast<float>(height) / static_cast<float>(texture_height);
  // GL counts rows from the bottom; image row 0 is the top of the area.
  const auto left = static_cast<float>(area.x), right = static_cast<float>(area.x + area.width);
  const auto top = static_cast<float>(window_height - area.y);
  const auto bottom = static_cast<float>(window_height - area.y - area.height);
  glBegin(GL_QUADS);
  glTexCoord2f(0, t);
  glVertex2f(left, bottom);
  glTexCoord2f(s, t);
  glVertex2f(right, bottom);
  glTexCoord2f(s, 0);
  glVertex2f(right, top);
  glTexCoord2f(0, 0);
  glVertex2f(left, top);
  glEnd();
}

void window_painter::create(bool glew_is_ready) {
  image_.create(frame_width, frame_height, glew_is_ready);
  Display* display = glXGetCurrentDisplay();
  buffer_age_ =
      display != nullptr &&
      has_token(glXQueryExtensionsString(display, DefaultScreen(display)), "GLX_EXT_buffer_age");
}

void window_painter::resize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  placement_ = place_image(width, height);
  image_.set_filtered(placement_.scale == 0);
  plan_.invalidate();
}

void window_painter::upload(const std::uint32_t* image, cell_rect changed) {
  image_.upload(image, image_pixels(changed));
  uploaded_ = unite(uploaded_, changed);
}

bool window_painter::draw() {
  std::optional<int> age;
  if (buffer_age_) {
    unsigned int value = 0;
    glXQueryDrawable(glXGetCurrentDisplay(), glXGetCurrentDrawable(), GLX_BACK_BUFFER_AGE_EXT,
                     &value);
    age = static_cast<int>(value);
  }
  const back_buffer_plan::frame frame = plan_.next(uploaded_, age);
  uploaded_ = {};
  if (frame.area.empty()) return false;
  if (frame.whole_window) {
    glDisable(GL_SCISSOR_TEST);
    // Black around the image; the image itself covers the rest.
    if (placement_.area != pixel_rect{0, 0, width_, height_}) {
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT);
    }
  } else {
    const pixel_rect r = window_pixels(placement_, frame.area);
    glEnable(GL_SCISSOR_TEST);
    glScissor(r.x, height_ - r.y - r.height, r.width, r.height);
  }
  image_.draw(placement_.area, width_, height_);
  glDisable(GL_SCISSOR_TEST);
  return true;
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
cell_rect frame_changes;                         // since the main thread took them; guarded
std::uint64_t frame_serial = 0;                  // guarded by frame_mutex
std::atomic<std::uint64_t> frame_ready{0};

// Draws the cells whose look changed, when the cells or a phase the image
// depends on have changed, and otherwise sleeps until one of them does: an
// idle screen costs nothing, a blink redraws the cursor's cell alone, and a
// change is drawn as soon as it is made.
void render_loop() {
  drawn_frame drawn;
  bool have_frame = false;
  screen_view view;
  screen_looks shown{};
  std::uint64_t seen_title = title_generation();
  const auto start = steady::now();
  while (!stop_requested()) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(steady::now() - start).count();
    const frame_phases phases = phases_at(ms);
    if (needs_new_frame(have_frame ? &drawn : nullptr, screen_generation(), phases)) {
      // A phase alone changes nothing in the cells: the last copy serves.
      if (!have_frame || view.generation != screen_generation()) view = snapshot_screen();
      const screen_looks looks = looks_of(view.grid, view.cursor_visible, phases);
      const cell_rect changed = have_frame ? changed_cells(shown, looks) : whole_screen;
      if (!changed.empty()) {
        {
          std::lock_guard lock(frame_mutex);
          render_cells(view.grid, view.cursor_visible, phases.cursor, phases.blink, changed,
                       frame.data());
          frame_changes = unite(frame_changes, changed);
          frame_ready.store(++frame_serial);
        }
        wake_main_loop();
      }
      shown = looks;
      drawn = {view.generation, phases, depends_on_phases(view.grid, view.cursor_visible)};
      have_frame = true;
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
window_painter main_painter;
std::uint64_t uploaded_serial = 0;

}  // namespace

void create_main_image() {
  main_painter.create(glew_ready);
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
  main_painter.resize(width, height);
  {
    std::lock_guard lock(frame_mutex);
    if (frame_serial != uploaded_serial) {
      main_painter.upload(frame.data(), frame_changes);
      frame_changes = {};
      uploaded_serial = frame_serial;
    } else {
      main_painter.contents_lost();
    }
  }
  if (main_painter.draw()) glutSwapBuffers();
}

}  // namespace screen::window
