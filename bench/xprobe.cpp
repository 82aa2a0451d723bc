// Measures windows from outside, the way a user sees them: keys go in through
// XTest, pixels come back through XGetImage polled in a tight loop. Used by
// bench/window_figures.sh; runs on $DISPLAY.
//
//   xprobe find NAME TIMEOUT_MS                  prints the window id once viewable
//   xprobe keys NAME KEYSYM...                   focuses NAME and types the keys
//   xprobe shot NAME X Y W H FILE                writes the region as a binary PPM
//   xprobe shows NAME X Y W H FG BG TIMEOUT_MS   waits until the region shows both
//                                                colours (RRGGBB); fails on timeout
//   xprobe startup NAME X Y W H FG BG -- CMD...  runs CMD; ms until the region
//                                                shows both colours (RRGGBB)
//   xprobe latency NAME X Y W H COUNT KEYSYM...  ms from each key to the first
//                                                change of the region
//
// A region of W or H 0 means the whole window. Times go to stdout, one line each.
// Pixels come through shared memory where the server offers it, so that even
// a whole window is read back in a fraction of a millisecond.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

double ms_since(clock_type::time_point start) {
  return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

[[noreturn]] void die(const std::string& message) {
  std::fprintf(stderr, "xprobe: %s\n", message.c_str());
  std::exit(2);
}

// A window that vanished between two requests is no error worth stopping for.
int quiet_errors(Display*, XErrorEvent*) {
  return 0;
}

std::optional<Window> find_named(Display* dpy, Window under, const char* name) {
  Window root_return = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(dpy, under, &root_return, &parent, &children, &count)) return std::nullopt;
  std::optional<Window> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* window_name = nullptr;
    if (XFetchName(dpy, children[i], &window_name) && window_name) {
      const bool match = std::strcmp(window_name, name) == 0;
      XFree(window_name);
      XWindowAttributes attributes;
      if (match && XGetWindowAttributes(dpy, children[i], &attributes) &&
          attributes.map_state == IsViewable) {
        found = children[i];
      }
    }
    if (!found) found = find_named(dpy, children[i], name);
  }
  if (children) XFree(children);
  return found;
}

struct region {
  int x = 0, y = 0, w = 0, h = 0;
};

region resolve(Display* dpy, Window w, region r) {
  if (r.w > 0 && r.h > 0) return r;
  XWindowAttributes attributes;
  XGetWindowAttributes(dpy, w, &attributes);
  return {0, 0, attributes.width, attributes.height};
}

// One shared-memory image of the size last asked for, kept between reads.
struct shared_image {
  XImage* image = nullptr;
  XShmSegmentInfo segment{};
  bool unavailable = false;

  XImage* of_size(Display* dpy, int w, int h) {
    if (unavailable) return nullptr;
    if (image && image->width == w && image->height == h) return image;
    release(dpy);
    if (!XShmQueryExtension(dpy)) {
      unavailable = true;
      return nullptr;
    }
    const int screen = DefaultScreen(dpy);
    image = XShmCreateImage(dpy, DefaultVisual(dpy, screen),
                            static_cast<unsigned>(DefaultDepth(dpy, screen)), ZPixmap, nullptr,
                            &segment, static_cast<unsigned>(w), static_cast<unsigned>(h));
    if (!image) {
      unavailable = true;
      return nullptr;
    }
    segment.shmid =
        shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * h, IPC_CREAT | 0600);
    segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    segment.readOnly = False;
    XShmAttach(dpy, &segment);
    XSync(dpy, False);
    // Gone with the last detach, also if the probe dies.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    return image;
  }
  void release(Display* dpy) {
    if (!image) return;
    XShmDetach(dpy, &segment);
    XDestroyImage(image);
    shmdt(segment.shmaddr);
    image = nullptr;
  }
};
shared_image shared;

void copy_pixels(XImage* image, int w, int h, std::vector<std::uint32_t>& out) {
  out.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
  std::size_t at = 0;
  for (int y = 0; y < h; ++y) {
    if (direct) {
      const char* row = image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
      for (int x = 0; x < w; ++x) {
        std::uint32_t p;
        std::memcpy(&p, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof p);
        out[at++] = p & 0xFFFFFFu;
      }
    } else {
      for (int x = 0; x < w; ++x) {
        out[at++] = static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
      }
    }
  }
}

// The region's pixels as 0xRRGGBB values, read from the screen so that a
// window partly off it (the server puts an unplaced one at -1,-1) still reads;
// the part off the screen is left out. Empty when the window is not there.
std::vector<std::uint32_t> grab(Display* dpy, Window w, region r, int* width = nullptr,
                                int* height = nullptr) {
  std::vector<std::uint32_t> out;
  const Window root = DefaultRootWindow(dpy);
  int sx = 0, sy = 0;
  Window child = 0;
  if (!XTranslateCoordinates(dpy, w, root, r.x, r.y, &sx, &sy, &child)) return out;
  const int screen_w = DisplayWidth(dpy, DefaultScreen(dpy));
  const int screen_h = DisplayHeight(dpy, DefaultScreen(dpy));
  const int x0 = std::max(sx, 0), y0 = std::max(sy, 0);
  const int x1 = std::min(sx + r.w, screen_w), y1 = std::min(sy + r.h, screen_h);
  if (x1 <= x0 || y1 <= y0) return out;
  const int w_on = x1 - x0, h_on = y1 - y0;
  if (width) *width = w_on;
  if (height) *height = h_on;
  if (XImage* image = shared.of_size(dpy, w_on, h_on)) {
    if (XShmGetImage(dpy, root, image, x0, y0, AllPlanes)) copy_pixels(image, w_on, h_on, out);
    return out;
  }
  XImage* image = XGetImage(dpy, root, x0, y0, static_cast<unsigned>(w_on),
                            static_cast<unsigned>(h_on), AllPlanes, ZPixmap);
  if (!image) return out;
  copy_pixels(image, w_on, h_on, out);
  XDestroyImage(image);
  return out;
}

Window wait_for_window(Display* dpy, const char* name, double timeout_ms) {
  const auto start = clock_type::now();
  for (;;) {
    if (auto w = find_named(dpy, DefaultRootWindow(dpy), name)) return *w;
    if (ms_since(start) > timeout_ms) die(std::string("no window named \"") + name + "\"");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void focus(Display* dpy, Window w) {
  XSetInputFocus(dpy, w, RevertToPointerRoot, CurrentTime);
  XSync(dpy, False);
}

KeyCode keycode(Display* dpy, const char* name) {
  const KeySym sym = XStringToKeysym(name);
  const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(dpy, sym);
  if (code == 0) die(std::string("no key for ") + name);
  return code;
}

void tap(Display* dpy, KeyCode code) {
  XTestFakeKeyEvent(dpy, code, True, CurrentTime);
  XTestFakeKeyEvent(dpy, code, False, CurrentTime);
  XFlush(dpy);
}

region parse_region(char** argv) {
  return {std::atoi(argv[0]), std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3])};
}

int cmd_find(Display* dpy, int argc, char** argv) {
  if (argc < 2) die("find NAME TIMEOUT_MS");
  std::printf("%lu\n", wait_for_window(dpy, argv[0], std::atof(argv[1])));
  return 0;
}

int cmd_keys(Display* dpy, int argc, char** argv) {
  if (argc < 1) die("keys NAME KEYSYM...");
  const Window w = wait_for_window(dpy, argv[0], 5000);
  focus(dpy, w);
  for (int i = 1; i < argc; ++i) {
    tap(dpy, keycode(dpy, argv[i]));
    XSync(dpy, False);
    // Lets the program take each key before the next, as a quick typist would.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return 0;
}

int cmd_shot(Display* dpy, int argc, char** argv) {
  if (argc < 6) die("shot NAME X Y W H FILE");
  const Window w = wait_for_window(dpy, argv[0], 5000);
  const region r = resolve(dpy, w, parse_region(argv + 1));
  int width = 0, height = 0;
  const auto pixels = grab(dpy, w, r, &width, &height);
  if (pixels.empty()) die("no image");
  FILE* f = std::fopen(argv[5], "wb");
  if (!f) die(std::string("cannot write ") + argv[5]);
  std::fprintf(f, "P6\n%d %d\n255\n", width, height);
  for (const std::uint32_t p : pixels) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                  static_cast<unsigned char>(p >> 8),
                                  static_cast<unsigned char>(p)};
    std::fwrite(rgb, 1, 3, f);
  }
  std::fclose(f);
  return 0;
}

bool shows_both(const std::vector<std::uint32_t>& pixels, std::uint32_t fg, std::uint32_t bg) {
  return std::find(pixels.begin(), pixels.end(), fg) != pixels.end() &&
         std::find(pixels.begin(), pixels.end(), bg) != pixels.end();
}

std::uint32_t parse_colour(const char* text) {
  return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16));
}

int cmd_shows(Display* dpy, int argc, char** argv) {
  if (argc < 8) die("shows NAME X Y W H FG BG TIMEOUT_MS");
  const double timeout = std::atof(argv[7]);
  const auto start = clock_type::now();
  const Window w = wait_for_window(dpy, argv[0], timeout);
  const region r = resolve(dpy, w, parse_region(argv + 1));
  const std::uint32_t fg = parse_colour(argv[5]), bg = parse_colour(argv[6]);
  while (!shows_both(grab(dpy, w, r), fg, bg)) {
    if (ms_since(start) > timeout) die(std::string("\"") + argv[0] + "\" never showed its text");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return 0;
}

void end_child(pid_t child) {
  kill(child, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (waitpid(child, nullptr, WNOHANG) == child) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

int cmd_startup(Display* dpy, int argc, char** argv) {
  int sep = 0;
  while (sep < argc && std::strcmp(argv[sep], "--") != 0) ++sep;
  if (sep < 7 || sep + 1 >= argc) die("startup NAME X Y W H FG BG -- CMD...");
  const char* name = argv[0];
  const region wanted = parse_region(argv + 1);
  const std::uint32_t fg = parse_colour(argv[5]), bg = parse_colour(argv[6]);
  char** command = argv + sep + 1;

  const auto start = clock_type::now();
  const pid_t child = fork();
  if (child < 0) die("fork");
  if (child == 0) {
    execvp(command[0], command);
    std::_Exit(127);
  }
  double took = -1;
  std::optional<Window> w;
  while (ms_since(start) < 20000) {
    if (waitpid(child, nullptr, WNOHANG) == child) die("the program ended before it showed");
    if (!w) w = find_named(dpy, DefaultRootWindow(dpy), name);
    if (w) {
      if (shows_both(grab(dpy, *w, resolve(dpy, *w, wanted)), fg, bg)) {
        took = ms_since(start);
        break;
      }
    }
  }
  end_child(child);
  if (took < 0) die("the text never showed");
  std::printf("%.2f\n", took);
  return 0;
}

int cmd_latency(Display* dpy, int argc, char** argv) {
  if (argc < 7) die("latency NAME X Y W H COUNT KEYSYM...");
  const Window w = wait_for_window(dpy, argv[0], 5000);
  const region r = resolve(dpy, w, parse_region(argv + 1));
  const int count = std::atoi(argv[5]);
  std::vector<KeyCode> keys;
  for (int i = 6; i < argc; ++i) keys.push_back(keycode(dpy, argv[i]));
  focus(dpy, w);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  for (int i = 0; i < count; ++i) {
    const auto before = grab(dpy, w, r);
    if (before.empty()) die("the window is gone");
    const auto start = clock_type::now();
    tap(dpy, keys[static_cast<std::size_t>(i) % keys.size()]);
    double took = -1;
    while (ms_since(start) < 2000) {
      if (grab(dpy, w, r) != before) {
        took = ms_since(start);
        break;
      }
    }
    if (took < 0) die("key " + std::to_string(i + 1) + " showed no change within 2 s");
    std::printf("%.3f\n", took);
    std::fflush(stdout);
    // Keys far enough apart that each one is measured on its own.
    std::this_thread::sleep_for(std::chrono::milliseconds(60 + (i * 37) % 50));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) die("find|keys|shot|shows|startup|latency ...");
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) die("cannot open the display");
  XSetErrorHandler(quiet_errors);
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(dpy, &event_base, &error_base, &major, &minor)) die("no XTest");
  const std::string command = argv[1];
  int rc = 2;
  if (command == "find") rc = cmd_find(dpy, argc - 2, argv + 2);
  if (command == "keys") rc = cmd_keys(dpy, argc - 2, argv + 2);
  if (command == "shot") rc = cmd_shot(dpy, argc - 2, argv + 2);
  if (command == "shows") rc = cmd_shows(dpy, argc - 2, argv + 2);
  if (command == "startup") rc = cmd_startup(dpy, argc - 2, argv + 2);
  if (command == "latency") rc = cmd_latency(dpy, argc - 2, argv + 2);
  shared.release(dpy);
  XCloseDisplay(dpy);
  if (rc == 2) die("unknown command " + command);
  return rc;
}
