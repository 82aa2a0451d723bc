// How the error dialog takes a key, apart from any window: the front end and
// the tests' reference screen share it.
#pragma once

#include <optional>

#include "screen/frontend.h"

namespace screen {

// `focus` is the focused button (0 is the first: Yes, or the one OK button);
// Tab and the arrows move it. Gives the answer when the key answers the dialog
// (true: the first button), nothing otherwise.
std::optional<bool> dialog_key_answer(key_press key, bool yes_no, int& focus);

}  // namespace screen
