#include "screen/window/x_events.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

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
  // The open box's close: dropped, not queued.
  return unclosable != 0 && message.window == unclosable ? False : True;
}

// --- the watching connection ---------------------------------------------------------------

Display* watcher = nullptr;
Window watched_main = 0;

// --- Num Lock under Ctrl ----------------------------------------------------------------

// Ctrl+Num Lock is the PC's Pause and leaves Num Lock alone, but X toggles it
// all the same: locked at the press when it was off, unlocked at the release
// when it was on. So the state is put back once the key is let go, or at our
// next key should the release go to another window.
struct {
  unsigned int mask = 0;      // Num Lock's modifier; 0 when the keyboard has none
  unsigned int keycode = 0;   // the Num Lock key pressed under Ctrl, until its release
  bool was_on = false;        // before that press
  bool owed = false;          // not put back since that press
  unsigned long settled = 0;  // the first serial at which the server has it back
} num_lock;

void put_num_lock_back() {
  num_lock.owed = false;
  XkbLockModifiers(watcher, XkbUseCoreKbd, num_lock.mask, num_lock.was_on ? num_lock.mask : 0);
  num_lock.settled = NextRequest(watcher) - 1;
  XFlush(watcher);
}

bool key_down(unsigned int keycode) {
  char keys[32];
  XQueryKeymap(watcher, keys);
  return ((keys[keycode / 8] >> (keycode % 8)) & 1) != 0;
}

// At every key pressed. One pressed before the server has Num Lock back
// carries the toggled state: it is read as it will be, not as X had it.
void correct_num_lock(XKeyEvent& key) {
  if (num_lock.owed) {
    put_num_lock_back();
    // Let go where we did not see it: no release is left to wait for.
    if (!key_down(num_lock.keycode)) num_lock.keycode = 0;
  }
  // That Num Lock key pressed again: its release went elsewhere.
  if (key.keycode == num_lock.keycode) num_lock.keycode = 0;
  if (key.serial >= num_lock.settled) return;
  key.state = (key.state & ~num_lock.mask) | (num_lock.was_on ? num_lock.mask : 0);
}

void hold_num_lock(const XKeyEvent& press) {
  if (num_lock.mask == 0) return;
  num_lock.keycode = press.keycode;
  num_lock.was_on = (press.state & num_lock.mask) != 0;
  num_lock.owed = true;
}

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
  num_lock.mask = XkbKeysymToModifiers(watcher, XK_Num_Lock);
  // X lets several clients select the same events of one window: the window
  // library keeps its own, this connection sees them all in the order typed.
  XSelectInput(watcher, main_window, StructureNotifyMask | KeyPressMask | KeyReleaseMask);
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
  XSelectInput(watcher, window, KeyPressMask | KeyReleaseMask);
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
        XKeyEvent& key = event.xkey;
        correct_num_lock(key);
        char text[8];
        KeySym keysym = NoSymbol;
        const int length = XLookupString(&key, text, sizeof text, &keysym, nullptr);
        const key_effect effect = key_effect_of(keysym, key.state, text, length);
        if (keysym == XK_Num_Lock && effect.what == key_effect::kind::pause) hold_num_lock(key);
        on_key(effect, key.window);
        break;
      }
      case KeyRelease:
        // Only to put Num Lock back: a release is no key. One that X pairs with
        // a press of the same key, as for a repeat, puts back what that press
        // would find all the same.
        if (event.xkey.keycode == num_lock.keycode) {
          num_lock.keycode = 0;
          put_num_lock_back();
        }
        break;
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
