#include "screen/window/key_map.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace screen::window {

namespace {

key_effect key(key_press pressed) {
  return {key_effect::kind::key, pressed};
}

// The PC scan code of a key without a character; 0 for one that is no key.
int scan_code(unsigned long keysym) {
  if (keysym >= XK_F1 && keysym <= XK_F10) return 59 + static_cast<int>(keysym - XK_F1);
  switch (keysym) {
    case XK_F11:
      return 133;
    case XK_F12:
      return 134;
    case XK_Up:
    case XK_KP_Up:
      return 72;
    case XK_Down:
    case XK_KP_Down:
      return 80;
    case XK_Left:
    case XK_KP_Left:
      return 75;
    case XK_Right:
    case XK_KP_Right:
      return 77;
    case XK_Home:
    case XK_KP_Home:
      return 71;
    case XK_End:
    case XK_KP_End:
      return 79;
    case XK_Prior:
    case XK_KP_Prior:
      return 73;
    case XK_Next:
    case XK_KP_Next:
      return 81;
    case XK_Insert:
    case XK_KP_Insert:
      return 82;
    case XK_KP_Delete:
      return 83;
    default:
      return 0;
  }
}

}  // namespace

key_effect key_effect_of(unsigned long keysym, unsigned int state, const char* text, int length) {
  const bool ctrl = (state & ControlMask) != 0, alt = (state & Mod1Mask) != 0;
  // Ctrl+Pause gives Break on a PC keymap; Pause with Ctrl held counts the
  // same where a keymap has no Break.
  if (keysym == XK_Break || (keysym == XK_Pause && ctrl)) return {key_effect::kind::close};
  if (keysym == XK_Pause || (keysym == XK_Num_Lock && ctrl)) return {key_effect::kind::pause};
  // Also where no window manager turns Alt+F4 into a close request.
  if (keysym == XK_F4 && alt) return {key_effect::kind::close_window};
  if (length > 0) {
    const auto c = static_cast<unsigned char>(text[0]);
    // Delete gives a character; on the PC it is a key without one.
    return key(c == 127 ? key_press::special(83) : key_press::character(c));
  }
  if (const int scan = scan_code(keysym); scan != 0) {
    return key(key_press::special(static_cast<std::uint8_t>(scan)));
  }
  return {};
}

}  // namespace screen::window
