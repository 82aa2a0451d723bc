#include "screen/dialog_keys.h"

namespace screen {

std::optional<bool> dialog_key_answer(key_press key, bool yes_no, int& focus) {
  const int buttons = yes_no ? 2 : 1;
  const bool moves_focus =
      key.extended ? (key.scan == 72 || key.scan == 75 || key.scan == 77 || key.scan == 80)
                   : key.code == 9;
  if (moves_focus) {
    focus = (focus + 1) % buttons;
    return std::nullopt;
  }
  if (key.extended) return std::nullopt;
  switch (key.code) {
    case 'y':
    case 'Y':
      if (yes_no) return true;
      break;
    case 'n':
    case 'N':
      if (yes_no) return false;
      break;
    case 13:
    case ' ':
      return focus == 0;
    case 27:
      // A Yes/No box has no cancel; the one-button box takes Escape as its button.
      if (!yes_no) return true;
      break;
    default:
      break;
  }
  return std::nullopt;
}

}  // namespace screen
