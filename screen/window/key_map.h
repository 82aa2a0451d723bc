// The window library's keys as the PC's: a character as its byte, a key
// without one as its scan code; modifiers and lock keys are no keys at all.
#pragma once

#include "screen/frontend.h"

namespace screen::window {

// The PC scan code of one of the window library's special keys; 0 for a key
// that is none of its own (a modifier, a lock key, the keypad's centre).
int scan_code(int special_key);
// The key that a character from the window library stands for.
key_press character_key(unsigned char character);

}  // namespace screen::window
