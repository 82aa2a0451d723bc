// The frame pipe: the render thread draws into the screen image the cells whose
// look changed; the main thread uploads the changed band into one texture and
// draws, of the quad, what the back buffer lacks. Also the wake-up of the main loop.
#pragma once

// GLEW before any other GL header.
#include <GL/glew.h>

#include <cstdint>
#include <vector>

#include "screen/render.h"

namespace screen::window {

// Whether GLEW initialised; set once the main window's context exists.
extern bool glew_ready;
// Binds the window's own framebuffer through the extension, when there is one.
void bind_default_framebuffer();

// One image in one texture, drawn as a quad where a placement puts it.
struct gl_image {
  GLuint texture = 0;
  int width = 0, height = 0;
  int texture_width = 0, texture_height = 0;
  bool allocated = false;  // storage comes with the first upload
  bool use_glu = false;
  bool filtered = false;              // scaled down: linear, with mipmaps where they can be made
  std::vector<std::uint32_t> padded;  // the power-of-two fallbacks

  void create(int w, int h, bool glew_ready);
  // Uploads `band` of `pixels` (width x height, row 0 at the top).
  void upload(const std::uint32_t* pixels, pixel_rect band);
  void upload(const std::uint32_t* pixels) { upload(pixels, {0, 0, width, height}); }
  // Nearest texels at whole multiples; filtered when scaled down.
  void set_filtered(bool on);
  // Over `area` of the window (window pixels, row 0 at the top), or over all of it.
  void draw(const pixel_rect& area, int window_width, int window_height) const;
  void draw(int window_width, int window_height) const {
    draw({0, 0, window_width, window_height}, window_width, window_height);
  }

 private:
  // True when it stored the whole image already.
  bool allocate(const std::uint32_t* pixels, bool whole);
  void make_mipmaps() const;
};

// The main window's drawing apart from where its image comes from: the texture,
// where the image stands in the window and what the back buffer holds. Main
// thread, with the window's context current.
class window_painter {
 public:
  void create(bool glew_ready);
  // The window's size now; a new size makes the next frame whole.
  void resize(int width, int height);
  // The window system asked for a redraw of its own (an expose): draw it whole.
  void contents_lost() { plan_.invalidate(); }
  // Takes the cells of `image` (the 640x400 screen image) that changed since
  // the last upload.
  void upload(const std::uint32_t* image, cell_rect changed);
  // Draws what the back buffer lacks of the image; false when the window
  // already shows it, so that nothing needs swapping.
  bool draw();

 private:
  gl_image image_;
  back_buffer_plan plan_;
  image_placement placement_ = place_image(frame_width, frame_height);
  int width_ = frame_width, height_ = frame_height;
  cell_rect uploaded_;  // uploaded since the last frame drawn
  bool buffer_age_ = false;
};

// --- waking the main loop ------------------------------------------------------------
// An eventfd that the other threads ring: a new frame, a new title, a dialog or the end.
// False when it cannot be made.
bool create_wake_event();
int wake_event_fd();
void wake_main_loop();
// Takes the rings that woke the loop.
void drain_wake_event();

// --- the main window's image -----------------------------------------------------------
// Creates the texture of the main window, in its current GL context.
void create_main_image();
// Starts the render thread, which takes part in the stop handshake.
void start_render_thread();
// Serial number of the newest image, which changes with every image drawn.
std::uint64_t newest_frame();
// Draws into the current window what it lacks of the newest image, and swaps:
// main thread only. Called with no new image, it redraws the window whole, as
// the window system then wants it drawn again (an expose).
void draw_main_window(int width, int height);

}  // namespace screen::window
