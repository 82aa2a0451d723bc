#include "screen/window/key_map.h"

#include <GL/freeglut.h>

namespace screen::window {

int scan_code(int special_key) {
  if (special_key >= GLUT_KEY_F1 && special_key <= GLUT_KEY_F10) {
    return 59 + (special_key - GLUT_KEY_F1);
  }
  switch (special_key) {
    case GLUT_KEY_F11:
      return 133;
    case GLUT_KEY_F12:
      return 134;
    case GLUT_KEY_UP:
      return 72;
    case GLUT_KEY_DOWN:
      return 80;
    case GLUT_KEY_LEFT:
      return 75;
    case GLUT_KEY_RIGHT:
      return 77;
    case GLUT_KEY_HOME:
      return 71;
    case GLUT_KEY_END:
      return 79;
    case GLUT_KEY_PAGE_UP:
      return 73;
    case GLUT_KEY_PAGE_DOWN:
      return 81;
    case GLUT_KEY_INSERT:
      return 82;
    case GLUT_KEY_DELETE:
      return 83;
    default:
      return 0;  // modifiers, lock keys, keypad centre: not keys of their own
  }
}

key_press character_key(unsigned char character) {
  // Delete arrives as a character; on the PC it is a key without one.
  if (character == 127) return key_press::special(83);
  return key_press::character(character);
}

}  // namespace screen::window
