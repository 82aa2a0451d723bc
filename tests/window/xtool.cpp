// Small X requests the window tests need and xdotool does not make:
//   xtool windows      the viewable top-level windows, bottom first: "0xID<TAB>name";
//                      under a window manager the client window inside each frame
//   xtool property ID NAME   the property NAME of window ID (or of "root"), one
//                      item a line: an atom's name, or a number in hex
//   xtool close ID     the window manager's close request (WM_DELETE_WINDOW)
//   xtool watch        prints "ready", then "created 0xID" for every top-level
//                      window created, until its standard input closes
//   xtool numlock      the Num Lock state: "on" or "off"
//   xtool unfocus      the keyboard focus to no window: keys go nowhere
//   xtool tap KEYSYM[+KEYSYM...]...  presses and releases the keys that carry
//                      them as they are, in one burst: xdotool would add Shift
//                      or toggle Num Lock to reach the keysym named, and waits
//                      between keys. KEYSYM+KEYSYM holds the first while the
//                      second is pressed.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A window may go between the listing and the question about it.
int ignore_gone_windows(Display*, XErrorEvent* error) {
  if (error->error_code == BadWindow) return 0;
  std::fprintf(stderr, "xtool: X error %d\n", error->error_code);
  std::exit(1);
}

int usage() {
  std::fprintf(stderr,
               "usage: xtool windows | close WINDOW | property WINDOW NAME | watch"
               " | numlock | unfocus | tap KEYSYM[+KEYSYM...]...\n");
  return 2;
}

std::string window_name(Display* d, Window w) {
  XTextProperty prop{};
  if (XGetWMName(d, w, &prop) == 0 || prop.value == nullptr) return {};
  std::string name(reinterpret_cast<const char*>(prop.value), prop.nitems);
  XFree(prop.value);
  return name;
}

// The window that a window manager's frame holds, found by the WM_STATE that
// the manager puts on it; the window itself where there is no frame.
Window client_of(Display* d, Window w) {
  const Atom wm_state = XInternAtom(d, "WM_STATE", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, w, wm_state, 0, 0, False, AnyPropertyType, &type, &format, &count,
                         &after, &data) == Success) {
    if (data != nullptr) XFree(data);
    if (type != 0) return w;
  }
  Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  Window found = 0;
  if (XQueryTree(d, w, &root, &parent, &children, &n) != 0) {
    for (unsigned i = 0; i < n && found == 0; ++i) {
      const Window inner = client_of(d, children[i]);
      if (inner != children[i] || !window_name(d, inner).empty()) found = inner;
    }
    if (children != nullptr) XFree(children);
  }
  return found != 0 ? found : w;
}

int print_property(Display* d, Window w, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 256, False, AnyPropertyType, &type,
                         &format, &count, &after, &data) != Success ||
      data == nullptr) {
    return 1;
  }
  for (unsigned long i = 0; i < count; ++i) {
    // Xlib hands items of format 32 over as longs.
    const unsigned long item = format == 32   ? reinterpret_cast<const unsigned long*>(data)[i]
                               : format == 16 ? reinterpret_cast<const unsigned short*>(data)[i]
                                              : data[i];
    if (type == XA_ATOM) {
      char* atom = XGetAtomName(d, item);
      std::printf("%s\n", atom);
      XFree(atom);
    } else {
      std::printf("0x%lx\n", item);
    }
  }
  XFree(data);
  return 0;
}

int list_windows(Display* d) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count) == 0) return 1;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(d, children[i], &attributes) == 0) continue;
    if (attributes.map_state != IsViewable) continue;
    const Window client = client_of(d, children[i]);
    std::printf("0x%lx\t%s\n", client, window_name(d, client).c_str());
  }
  if (children != nullptr) XFree(children);
  return 0;
}

int send_close(Display* d, Window w) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w;
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &event);
  XSync(d, False);
  return 0;
}

int watch(Display* d) {
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
  std::printf("ready\n");
  std::fflush(stdout);
  pollfd fds[2] = {{ConnectionNumber(d), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  for (;;) {
    while (XPending(d) > 0) {
      XEvent event;
      XNextEvent(d, &event);
      if (event.type == CreateNotify) {
        std::printf("created 0x%lx\n", event.xcreatewindow.window);
        std::fflush(stdout);
      }
    }
    if (poll(fds, 2, -1) < 0) return 1;
    if (fds[1].revents != 0) {
      char buffer[64];
      if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) return 0;
    }
  }
}

int print_num_lock(Display* d) {
  XkbStateRec state{};
  const unsigned mask = XkbKeysymToModifiers(d, XK_Num_Lock);
  if (mask == 0 || XkbGetState(d, XkbUseCoreKbd, &state) != Success) return 1;
  std::printf("%s\n", (state.locked_mods & mask) != 0 ? "on" : "off");
  return 0;
}

// Every key first, so that nothing is pressed when a name is wrong.
int tap(Display* d, char** words, int count) {
  std::vector<std::vector<KeyCode>> chords;
  for (int i = 0; i < count; ++i) {
    std::vector<KeyCode>& chord = chords.emplace_back();
    std::string word = words[i];
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = word.find('+', start);
      const std::string name = word.substr(start, end - start);
      const KeySym keysym = XStringToKeysym(name.c_str());
      const KeyCode code = keysym == NoSymbol ? 0 : XKeysymToKeycode(d, keysym);
      if (code == 0) {
        std::fprintf(stderr, "xtool: no key carries %s\n", name.c_str());
        return 1;
      }
      chord.push_back(code);
    }
  }
  for (const auto& chord : chords) {
    for (const KeyCode code : chord) XTestFakeKeyEvent(d, code, True, CurrentTime);
    for (auto code = chord.rbegin(); code != chord.rend(); ++code) {
      XTestFakeKeyEvent(d, *code, False, CurrentTime);
    }
  }
  XSync(d, False);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    std::fprintf(stderr, "xtool: cannot open display\n");
    return 1;
  }
  XSetErrorHandler(ignore_gone_windows);
  const std::string command = argv[1];
  int rc = 0;
  if (command == "windows" && argc == 2) {
    rc = list_windows(d);
  } else if (command == "close" && argc == 3) {
    rc = send_close(d, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
  } else if (command == "property" && argc == 4) {
    const std::string id = argv[2];
    const Window w = id == "root" ? DefaultRootWindow(d)
                                  : static_cast<Window>(std::strtoul(id.c_str(), nullptr, 0));
    rc = print_property(d, w, argv[3]);
  } else if (command == "watch" && argc == 2) {
    rc = watch(d);
  } else if (command == "numlock" && argc == 2) {
    rc = print_num_lock(d);
  } else if (command == "unfocus" && argc == 2) {
    XSetInputFocus(d, None, RevertToNone, CurrentTime);
    XSync(d, False);
  } else if (command == "tap" && argc >= 3) {
    rc = tap(d, argv + 2, argc - 2);
  } else {
    rc = usage();
  }
  XCloseDisplay(d);
  return rc;
}
