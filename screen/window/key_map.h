// Keys pressed in the program's windows as the PC's: a character as its byte,
// a key without one as its scan code; modifiers and lock keys are no keys at
// all. Pause, Ctrl+Break and Alt+F4 are requests rather than keys.
#pragma once

#include "screen/frontend.h"

namespace screen::window {

struct key_effect {
  enum class kind {
    none,          // not a key: a modifier, a lock key, the keypad's centre...
    key,           // `key`, for the queue or the open dialog
    pause,         // Pause, or Ctrl+Num Lock: hold the program until the next key
    close,         // Ctrl+Break: end the program
    close_window,  // Alt+F4: close the window it is typed in
  };
  kind what = kind::none;
  key_press key{};
};

// A key press as X gives it: the keysym and the text that XLookupString makes
// of it, and the modifier mask of the event's state.
key_effect key_effect_of(unsigned long keysym, unsigned int state, const char* text, int length);

}  // namespace screen::window
