#include "screen/window/x_events.h"

#include <X11/Xutil.h>

// Last: it defines min and max as macros. For XESetWireToEvent, Xlib's hook for
// the conversion of events as they are read.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace screen::window {

namespace {

// --- the close request ---------------------------------------------------------------------

using wire_to_event = Bool (*)(Display*, XEvent*, xEvent*);
wire_to_event convert_client_message = nullptr;
Window closable = 0;
// The open error box: only an answer closes it, so its close request is dropped.
Window unclosable = 0;
Atom wm_protocols = 0, wm_delete_window = 0;
void (*close_requested)() = nullptr;

// The window library answers WM_DELETE_WINDOW by destroying the window, with no
// way to refuse, and only once it gets round to the event. Seen here, as Xlib
// reads it, the request is taken at once and the window stays: an open error
// dialog can hold the ending with the screen still behind it.
Bool take_or_convert(Display* display, XEvent* event, xEvent* wire) {
  if (convert_client_message(display, event, wire) == False) return False;
  const XClientMessageEvent& message = event->xclient;
  if (message.message_type != wm_protocols || message.format != 32 ||
      static_cast<Atom>(message.data.l[0]) != wm_delete_window) {
    return True;
  }
  if (message.window == closable) {
    close_requested();
    return False;  // not queued
  }
  return message.window == unclosable && unclosable != 0 ? False : True;
}

// --- the watching connection ---------------------------------------------------------------

Display* watcher = nullptr;
Window watched_main = 0;

}  // namespace

void take_close_requests(Display* display, Window window, void (*on_close)()) {
  wm_protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  wm_delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
  closable = window;
  close_requested = on_close;
  convert_client_message = XESetWireToEvent(display, ClientMessage, take_or_convert);
}

void refuse_close_requests(Window window) {
  unclosable = window;
}

bool open_watch(Display* display, Window main_window) {
  watcher = XOpenDisplay(DisplayString(display));
  if (watcher == nullptr) return false;
  watched_main = main_window;
  // X lets several clients select the same events of one window: the window
  // library keeps its own, this connection sees them all in the order typed.
  XSelectInput(watcher, main_window, StructureNotifyMask | KeyPressMask);
  XSync(watcher, False);
  return true;
}

int watch_fd() {
  return watcher != nullptr ? ConnectionNumber(watcher) : -1;
}

bool is_watch_connection(const Display* display) {
  return watcher != nullptr && display == watcher;
}

void watch_keys_of(Window window) {
  if (watcher == nullptr) return;
  XSelectInput(watcher, window, KeyPressMask);
  // Selected before the window can go: a key pressed at once is not missed.
  XSync(watcher, False);
}

bool take_watched_events(void (*on_key)(const key_effect& effect, Window window)) {
  if (watcher == nullptr) return false;
  bool destroyed = false;
  while (XPending(watcher) > 0) {
    XEvent event;
    XNextEvent(watcher, &event);
    switch (event.type) {
      case KeyPress: {
        char text[8];
        KeySym keysym = NoSymbol;
        const int length = XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
        on_key(key_effect_of(keysym, event.xkey.state, text, length), event.xkey.window);
        break;
      }
      case MappingNotify:
        // A remapped keyboard (xmodmap, or a tool that types keys it lacks).
        XRefreshKeyboardMapping(&event.xmapping);
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == watched_main) destroyed = true;
        break;
      default:
        break;
    }
  }
  return destroyed;
}

}  // namespace screen::window
