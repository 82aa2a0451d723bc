// The frame pipe: the render thread draws the cells into the screen image
// whenever what it shows would change; the main thread uploads that image into
// one texture and draws it as a quad. Also the wake-up of the main loop.
#pragma once

// GLEW before any other GL header.
#include <GL/glew.h>

#include <cstdint>
#include <vector>

namespace screen::window {

// Whether GLEW initialised; set once the main window's context exists.
extern bool glew_ready;
// Binds the window's own framebuffer through the extension, when there is one.
void bind_default_framebuffer();

// One image in one texture, drawn as a quad over the whole viewport.
struct gl_image {
  GLuint texture = 0;
  int width = 0, height = 0;
  int texture_width = 0, texture_height = 0;
  bool use_glu = false;
  std::vector<std::uint32_t> padded;  // the power-of-two fallbacks

  void create(int w, int h, bool glew_ready);
  void upload(const std::uint32_t* pixels);
  void draw(int viewport_width, int viewport_height) const;
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
// Draws the newest image into the current window and swaps: main thread only.
void draw_main_window(int width, int height);

}  // namespace screen::window
